#include "dialoganswers.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QWidget>

namespace {
void press(QWidget *dialog, const char *button)
{
    if (auto *b = dialog->findChild<QAbstractButton *>(QString::fromLatin1(button)))
        b->click();
}
} // namespace

DialogAnswerer::DialogAnswerer()
{
    connect(&m_timer, &QTimer::timeout, this, &DialogAnswerer::answerFront);
    m_timer.start(5);
}

QString DialogAnswerer::takeAnswer(const QString &cls)
{
    for (int i = 0; i < answers.size(); ++i) {
        if (answers.at(i).section('=', 0, 0) == cls)
            return answers.takeAt(i).section('=', 1);
    }
    return QString();
}

void DialogAnswerer::answerFileDialog(QFileDialog *dialog, const QString &name)
{
    auto *buttons = dialog->findChild<QDialogButtonBox *>();
    QAbstractButton *accept = buttons->button(dialog->acceptMode() == QFileDialog::AcceptSave ? QDialogButtonBox::Save
                                                                                               : QDialogButtonBox::Open);
    said << QStringList{"QFileDialog: " + dialog->windowTitle(), dialog->nameFilters().join(','),
                              dialog->findChild<QLabel *>(QStringLiteral("fileNameLabel"))->text(), accept->text(),
                              buttons->button(QDialogButtonBox::Cancel)->text()}
                      .join(" | ");
    if (name.isEmpty()) {
        dialog->reject();
        return;
    }
    // Set, not typed: the name field's completion would race the folder's
    // listing, which the dialog reads on a thread of its own.
    dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(name);
    if (accept->isEnabled())
        accept->click();
    // A name the dialog does not take (no such file to open, a file not
    // to be replaced) leaves it open: the test goes on without it.
    if (dialog->isVisible()) {
        said << "QFileDialog: not taken: " + name;
        dialog->reject();
    }
}

void DialogAnswerer::answerFront()
{
    if (auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())) {
        QStringList texts;
        for (QAction *a : menu->actions())
            texts << a->text();
        shown << "menu:" + texts.join(",");
        const int pick = takeAnswer("menu").toInt();
        if (pick > 0 && pick <= menu->actions().size()) {
            menu->setActiveAction(menu->actions().at(pick - 1));
            QTest::keyClick(menu, Qt::Key_Return);
        } else {
            menu->close();
        }
        return;
    }
    QWidget *front = QApplication::activeModalWidget();
    if (!front || front == m_answered)
        return;
    m_answered = front;
    const QString cls = QString::fromLatin1(front->metaObject()->className());
    shown << cls;
    if (auto *label = front->findChild<QLabel *>(QStringLiteral("label")))
        said << cls + ": " + label->text();
    const QString answer = takeAnswer(cls);
    if (auto *files = qobject_cast<QFileDialog *>(front)) {
        answerFileDialog(files, answer);
        return;
    }
    if (answer.isEmpty()) {
        if (auto *close = front->findChild<QAbstractButton *>(QStringLiteral("CloseButton")))
            close->click();
        else if (auto *dialog = qobject_cast<QDialog *>(front))
            dialog->reject();   // one of the toolkit's message boxes
        return;
    }
    if (cls == "QuestionDialog") {
        front->findChild<QLineEdit *>("lineEdit")->setText(answer);
    } else if (cls == "addKey") {
        QMetaObject::invokeMethod(front, "UpdateCapslockTip", Q_ARG(int, answer.toInt(nullptr, 16)), Q_ARG(bool, true),
                                  Q_ARG(bool, false));
    } else if (cls == "AddDelayTime") {
        front->findChild<QSpinBox *>("spinBox")->setValue(answer.toInt());
    }
    press(front, "NewHong");
}

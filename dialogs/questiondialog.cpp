#include "questiondialog.h"

#include "macroname.h"
#include "postmsg.h"
#include "ui_QuestionDialog.h"

#include <QInputMethodEvent>
#include <QKeyEvent>

namespace {
// The OK caption is "NewHong" of page Question; the label is set by
// setTextIndex(), never from the table; styled once, at construction.
constexpr NoticeTraits kQuestionDialog = {"Question", {nullptr, 0}, {nullptr, 0, 0}, {&g_langQuestion, 2},
                                        {nullptr, 0}, "Confirm", true, false, true, false, false};

// Characters a key press may not type into the name.
const QString kSwallowedKeyText = QStringLiteral("-=[];',./`\\*+\u3010\uFF1B\uFF0C\u3002\u2019");
// Characters an input method may not commit (as the whole commit).
const QString kSwallowedCommit = QStringLiteral("-=/*\u3010\u3011\u3001\uFF1B\uFF0C\u3002\u2018\u2019\u00B7");
} // namespace

QuestionDialog::QuestionDialog(QWidget *parent)
    : NoticeDialog(kQuestionDialog, parent), ui(new Ui::QuestionDialog)
{
    ui->setupUi(this);
    build();
    connect(ui->NewHong_2, &QToolButton::clicked, this, &QuestionDialog::WindowClosedLan);
    ui->lineEdit->setFocus(Qt::ActiveWindowFocusReason);
    ui->lineEdit->installEventFilter(this);
}

QuestionDialog::~QuestionDialog() = default;

void QuestionDialog::setTextIndex(bool second)
{
    ui->label->setText(second ? m_secondText : m_firstText);
}

void QuestionDialog::WindowClosedLan()
{
    macroName.clear();
    close();
}

void QuestionDialog::SlotSetStyle(int index)
{
    NoticeDialog::SlotSetStyle(index);
    ui->lineEdit->setStyleSheet("QLineEdit{color: rgb(" + themeRgbTriple(g_themeLinEditColor) + ";);}");
}

void QuestionDialog::on_CloseButton_clicked()
{
    macroName.clear();
    close();
}

void QuestionDialog::on_NewHong_clicked()
{
    // The field's rules run on every user edit; running them again here
    // covers text that reached the field in any other way.
    macroName = usableMacroName(ui->lineEdit->text());
    close();
}

void QuestionDialog::SlotAllLanguage(int index)
{
    NoticeDialog::SlotAllLanguage(index);
    m_firstText = langText(g_langQuestion, index, 0);
    m_secondText = langText(g_langQuestion, index, 1);
}

void QuestionDialog::on_lineEdit_textEdited(QString arg1)
{
    QString s = arg1;
    // A space typed at the end removes every space of the name.
    if (s.endsWith(QLatin1Char(' ')))
        s.remove(QLatin1Char(' '));
    ui->lineEdit->setText(usableMacroName(s));
}

bool QuestionDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->lineEdit) {
        if (event->type() == QEvent::KeyPress) {
            const QString text = static_cast<QKeyEvent *>(event)->text();
            if (text.size() == 1 && kSwallowedKeyText.contains(text.at(0)))
                return true;
        } else if (event->type() == QEvent::InputMethod) {
            const QString commit = static_cast<QInputMethodEvent *>(event)->commitString();
            if (commit.size() == 1 && kSwallowedCommit.contains(commit.at(0)))
                return true;
        }
    }
    return NoticeDialog::eventFilter(watched, event);
}

void QuestionDialog::keyPressEvent(QKeyEvent *event)
{
    // Nothing can be typed while Shift is held. Every other key skips the
    // dialog's own handling, so Escape and Return leave the prompt open.
    if (event->key() == Qt::Key_Shift)
        ui->lineEdit->setEnabled(false);
    else
        QWidget::keyPressEvent(event);
}

void QuestionDialog::keyReleaseEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Shift) {
        ui->lineEdit->setEnabled(true);
        ui->lineEdit->setFocus(Qt::OtherFocusReason);
    } else {
        QWidget::keyReleaseEvent(event);
    }
}

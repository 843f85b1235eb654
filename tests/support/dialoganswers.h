#ifndef DIALOGANSWERS_H
#define DIALOGANSWERS_H

// How the tests answer the program's modal dialogs and context menus, as a
// user would, while the code under test waits in exec().

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>

class QFileDialog;
class QWidget;

class DialogAnswerer : public QObject
{
    Q_OBJECT
public:
    // Looks at the window in front every few milliseconds from now on.
    DialogAnswerer();

    // "Class=answer", each taken by the next dialog of that class; "menu=n"
    // picks entry n (1-based) of the next menu, without one (or without an
    // entry n) it is closed.
    // A dialog without an answer is closed. The name prompt takes the
    // answer as its name, the single-key dialog the key of that virtual-key
    // code (hex), the delay dialog that delay; then OK is pressed. The
    // toolkit's file dialog gets the answer typed as the file name and is
    // accepted, or is cancelled without one.
    QStringList answers;
    // Every dialog that showed by class, and every menu as "menu:" and its
    // entries' texts.
    QStringList shown;
    // What every dialog said: "Class: text"; for a file dialog its title,
    // filters, file name label and button texts, split by " | ".
    QStringList said;

private:
    QString takeAnswer(const QString &cls);
    void answerFront();
    void answerFileDialog(QFileDialog *dialog, const QString &name);

    QTimer m_timer;
    QPointer<QWidget> m_answered;
};

#endif

#ifndef QUESTIONDIALOG_H
#define QUESTIONDIALOG_H

// Asks for the name of a macro (new or renamed). The name becomes the
// macro's file name, so the field keeps out what cannot stand in one
// (usableMacroName, on every edit and on OK).

#include "noticedialog.h"

#include <memory>

namespace Ui {
class QuestionDialog;
}

class QuestionDialog : public NoticeDialog
{
    Q_OBJECT
public:
    explicit QuestionDialog(QWidget *parent = nullptr);
    ~QuestionDialog() override;

    // The prompt: false for a new macro, true for a rename.
    void setTextIndex(bool second);

    QString macroName;   // the result: empty when cancelled

public slots:
    void WindowClosedLan();
    void SlotSetStyle(int index) override;
    void on_CloseButton_clicked();
    void on_NewHong_clicked();
    void SlotAllLanguage(int index) override;
    void on_lineEdit_textEdited(QString arg1);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;

private:
    std::unique_ptr<Ui::QuestionDialog> ui;
    QString m_firstText;
    QString m_secondText;
};

#endif // QUESTIONDIALOG_H

#ifndef QUESTIONDIALOGB_H
#define QUESTIONDIALOGB_H

// A notice with the close button only.

#include "noticedialog.h"

#include <memory>

namespace Ui {
class QuestiondialogB;
}

class QuestiondialogB : public NoticeDialog
{
    Q_OBJECT
public:
    explicit QuestiondialogB(QWidget *parent = nullptr);
    ~QuestiondialogB() override;

public slots:
    void on_CloseButton_clicked() { finish(false); }

private:
    std::unique_ptr<Ui::QuestiondialogB> ui;
};

#endif // QUESTIONDIALOGB_H

#ifndef DELETECONFIRM_H
#define DELETECONFIRM_H

// Asks before a macro is deleted.

#include "noticedialog.h"

#include <memory>

namespace Ui {
class DeleteConfirm;
}

class DeleteConfirm : public OneButtonNotice
{
    Q_OBJECT
public:
    explicit DeleteConfirm(QWidget *parent = nullptr);
    ~DeleteConfirm() override;

    bool accepted = false;   // true only when OK closed the question

private:
    std::unique_ptr<Ui::DeleteConfirm> ui;
};

#endif // DELETECONFIRM_H

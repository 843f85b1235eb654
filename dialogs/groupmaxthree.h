#ifndef GROUPMAXTHREE_H
#define GROUPMAXTHREE_H

// A key combination holds more than three keys.

#include "noticedialog.h"

#include <memory>

namespace Ui {
class GroupMaxThree;
}

class GroupMaxThree : public OneButtonNotice
{
    Q_OBJECT
public:
    explicit GroupMaxThree(QWidget *parent = nullptr);
    ~GroupMaxThree() override;

private:
    std::unique_ptr<Ui::GroupMaxThree> ui;
};

#endif // GROUPMAXTHREE_H

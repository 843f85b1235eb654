#ifndef LEFTBUTTONONLY_H
#define LEFTBUTTONONLY_H

// The left-click function cannot leave the only button that has it.

#include "noticedialog.h"

#include <memory>

namespace Ui {
class LeftButtonOnly;
}

class LeftButtonOnly : public OneButtonNotice
{
    Q_OBJECT
public:
    explicit LeftButtonOnly(QWidget *parent = nullptr);
    ~LeftButtonOnly() override;

private:
    std::unique_ptr<Ui::LeftButtonOnly> ui;
};

#endif // LEFTBUTTONONLY_H

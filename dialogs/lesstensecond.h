#ifndef LESSTENSECOND_H
#define LESSTENSECOND_H

// A time below ten seconds was chosen.

#include "noticedialog.h"

#include <memory>

namespace Ui {
class LessTenSecond;
}

class LessTenSecond : public OneButtonNotice
{
    Q_OBJECT
public:
    explicit LessTenSecond(QWidget *parent = nullptr);
    ~LessTenSecond() override;

private:
    std::unique_ptr<Ui::LessTenSecond> ui;
};

#endif // LESSTENSECOND_H

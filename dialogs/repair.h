#ifndef REPAIR_H
#define REPAIR_H

// Asks before mouse and receiver are paired again. Styled once, from the
// product-wide colours: it keeps them after a device's colour set has
// replaced the theme.

#include "noticedialog.h"

#include <memory>

namespace Ui {
class RePair;
}

class RePair : public TwoButtonNotice
{
    Q_OBJECT
public:
    explicit RePair(QWidget *parent = nullptr);
    ~RePair() override;

    bool accepted = false;   // true only when OK closed the question

private:
    std::unique_ptr<Ui::RePair> ui;
};

#endif // REPAIR_H

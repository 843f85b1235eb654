#ifndef KEYNUMBERLIMIT_H
#define KEYNUMBERLIMIT_H

// A recording reached its event limit and was stopped.

#include "noticedialog.h"

#include <memory>

namespace Ui {
class KeyNumberLimit;
}

class KeyNumberLimit : public OneButtonNotice
{
    Q_OBJECT
public:
    explicit KeyNumberLimit(QWidget *parent = nullptr);
    ~KeyNumberLimit() override;

private:
    std::unique_ptr<Ui::KeyNumberLimit> ui;
};

#endif // KEYNUMBERLIMIT_H

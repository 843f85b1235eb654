#ifndef RIPPECONTROL_H
#define RIPPECONTROL_H

// The ripple-control switch of the device page: whether the device smooths
// the pointer. It writes nothing yet.

#include "sensorswitch.h"

namespace Ui {
class RippeControl;
}

class RippeControl : public SensorSwitch
{
    Q_OBJECT
public:
    explicit RippeControl(QWidget *parent = nullptr);
    ~RippeControl() override;

    // The check box text, one blank before it.
    void setText(QString text);

private:
    Ui::RippeControl *ui;
};

#endif // RIPPECONTROL_H

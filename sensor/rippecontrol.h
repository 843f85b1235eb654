#ifndef RIPPECONTROL_H
#define RIPPECONTROL_H

// The ripple-control switch of the device page: whether the device smooths
// the pointer. A click writes it at once.

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

private slots:
    void on_MM0_clicked(bool checked);

private:
    Ui::RippeControl *ui;
};

#endif // RIPPECONTROL_H

#ifndef RIPPECONTROLB_H
#define RIPPECONTROLB_H

// Ripple control as an on/off picture with its label on the left.

#include "sensorswitch.h"

namespace Ui {
class RippeControlB;
}

class RippeControlB : public SensorSwitch
{
    Q_OBJECT
public:
    explicit RippeControlB(QWidget *parent = nullptr);
    ~RippeControlB() override;

    // The label text.
    void setText(QString text);

private slots:
    void on_RippeControl_2_clicked(bool checked);

private:
    Ui::RippeControlB *ui;
};

#endif // RIPPECONTROLB_H

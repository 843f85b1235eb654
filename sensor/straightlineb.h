#ifndef STRAIGHTLINEB_H
#define STRAIGHTLINEB_H

// Angle snapping as an on/off picture with its label on the left.

#include "sensorswitch.h"

namespace Ui {
class StraightLineB;
}

class StraightLineB : public SensorSwitch
{
    Q_OBJECT
public:
    explicit StraightLineB(QWidget *parent = nullptr);
    ~StraightLineB() override;

    // The label text.
    void setText(QString text);

private slots:
    void on_StraightLine_2_clicked(bool checked);

private:
    Ui::StraightLineB *ui;
};

#endif // STRAIGHTLINEB_H

#ifndef MOTIONSYNCB_H
#define MOTIONSYNCB_H

// Motion sync as a smaller on/off picture after a bold label; follows the
// theme's label colour.

#include "sensorswitch.h"

namespace Ui {
class MotionSyncB;
}

class MotionSyncB : public SensorSwitch
{
    Q_OBJECT
public:
    explicit MotionSyncB(QWidget *parent = nullptr);
    ~MotionSyncB() override;

    // The label text.
    void setText(QString text);

private slots:
    void on_MotionSync_2_clicked(bool checked);

private:
    Ui::MotionSyncB *ui;
};

#endif // MOTIONSYNCB_H

#ifndef MOTIONSYNC_H
#define MOTIONSYNC_H

// Motion sync as an on/off picture with its label on the right.

#include "sensorswitch.h"

namespace Ui {
class MotionSync;
}

class MotionSync : public SensorSwitch
{
    Q_OBJECT
public:
    explicit MotionSync(QWidget *parent = nullptr);
    ~MotionSync() override;

    // The label text.
    void setText(QString text);

private slots:
    void on_MotionSync_2_clicked(bool checked);

private:
    Ui::MotionSync *ui;
};

#endif // MOTIONSYNC_H

#ifndef SENSOREFFECTB_H
#define SENSOREFFECTB_H

// The DPI light effect with three exclusive check boxes for its mode:
// steady (MM1), breathing (MM2) and off (MM3). It follows the theme.

#include "sensoreffectframe.h"

namespace Ui {
class SensorEffectB;
}
class QButtonGroup;

class SensorEffectB : public SensorEffectFrame
{
    Q_OBJECT
public:
    explicit SensorEffectB(QWidget *parent = nullptr);
    ~SensorEffectB() override;

    // Mode 0 names MM3, 1 MM1, 2 MM2; other modes are ignored.
    void setModeText(int mode, QString text);
    // Show a speed 1 to 5 and a brightness level 1 to 10 without writing.
    void setSpeed(int speed);
    void setBrightnessLevel(int level);

public slots:
    void on_MM1_clicked(bool checked);
    void on_MM2_clicked(bool checked);
    void on_MM3_clicked(bool checked);
    void SlotSetStyle(int index);

protected:
    void showModeControl(int mode) override;

private:
    Ui::SensorEffectB *ui;
    QButtonGroup *m_modeGroup = nullptr;
};

#endif // SENSOREFFECTB_H

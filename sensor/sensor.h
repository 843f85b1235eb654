#ifndef SENSOR_H
#define SENSOR_H

// The pointer settings page: the system's pointer speed, pointer precision,
// wheel scroll lines and double-click time (platform/pointersettings.h),
// and the mouse's DPI light effect, filled from the device's image. The
// page writes nothing to the device itself; its effect widget does.
//
// Device data arrive from the device threads through blocking-queued
// connections: those signals are never emitted on the GUI thread.

#include "flashdatamap.h"

#include <QWidget>

namespace Ui {
class Sensor;
}
class SensorEffectB;

class Sensor : public QWidget
{
    Q_OBJECT
public:
    explicit Sensor(QWidget *parent = nullptr);
    ~Sensor() override;

    SensorEffectB *effect() const;

    // The DPI level count the device page starts with: the level file of
    // the data folder holds `n` as a decimal number, replaced in one step.
    static bool writeLevelFile(int n);

    // Double-click time and the step of the double-click slider.
    static int doubleClickMs(int step);
    static int doubleClickStep(int ms);

public slots:
    void SlotAllLanguage(int index);
    void SlotSetStyle(int index);
    // Device data: the system settings are read again and the light effect
    // shows the image's; the DPI light refresh takes only the effect.
    void SlotUpDataSenSorUIB(FlashDataMap DataMap);
    void SlotUpDataSenSorUISensor(FlashDataMap DataMap);
    void SlotUpDataDPILed(FlashDataMap DataMap);
    // The effect's factory view, then the system settings.
    void SlotFormReset();
    // A polling rate the mouse took (1: 2000 Hz or more). Nothing on this
    // page depends on the rate, so the page shows nothing for it.
    void SlotHideModel(int index);

    void on_SpeedH_4_valueChanged(int value);
    void on_Add_clicked();
    void on_Rce_clicked();
    void on_Precison_toggled(bool checked);
    void on_SpeedH_2_sliderMoved(int position);
    void on_SpeedH_2_valueChanged(int value);
    void on_ScrollPage_toggled(bool checked);
    void on_SpeedH_3_sliderMoved(int position);
    void on_SpeedH_3_valueChanged(int value);

private:
    // Shows the system's settings without writing any of them back.
    void readSystemSettings();
    void showEffect(const FlashDataMap &image);
    void stepSpeed(int by);

    Ui::Sensor *ui;
    QString m_pictureDir;
};

#endif // SENSOR_H

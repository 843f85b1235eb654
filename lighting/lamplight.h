#ifndef LAMPLIGHT_H
#define LAMPLIGHT_H

// The mouse's light bar: its mode, custom colour, brightness and speed,
// whether it goes off while the mouse moves and after how long it goes off
// when the mouse lies still. Every user change goes to the device at once
// through one device setter; the device's data, an imported or cached
// configuration and a reset fill the page without writing anything back.

#include "colourboxes.h"
#include "flashdatamap.h"

#include <QString>
#include <QWidget>

class QButtonGroup;

namespace Ui {
class LampLight;
}

class LampLight : public QWidget
{
    Q_OBJECT
public:
    explicit LampLight(QWidget *parent = nullptr);
    ~LampLight() override;

    // The idle light-off choices: index 0..10 and the device value of each
    // (units of 10 s, 10 s up to 40 min). -1 for a value or index that is
    // none of them.
    static constexpr int kIdleOffChoices = 11;
    static int idleOffValue(int index);
    static int idleOffIndex(int tenSeconds);

public slots:
    void on_AddR_clicked();
    void on_AddG_clicked();
    void on_AddB_clicked();
    void on_ReduceR_clicked();
    void on_ReduceG_clicked();
    void on_ReduceB_clicked();
    void on_RSpinBox_valueChanged(int arg1);
    void on_GSpinBox_valueChanged(int arg1);
    void on_BSpinBox_valueChanged(int arg1);
    void on_toolButtonColorA_clicked();
    void on_toolButtonColorB_clicked();
    void on_toolButtonColorC_clicked();
    void on_toolButtonColorD_clicked();
    void on_toolButtonColorE_clicked();
    void on_toolButtonColorF_clicked();
    void on_toolButtonColorG_clicked();
    void on_toolButtonColorH_clicked();
    void on_toolButtonColorI_clicked();
    void on_toolButtonColorJ_clicked();
    void on_toolButtonColorK_clicked();
    void on_toolButtonColorL_clicked();
    void on_toolButtonColorM_clicked();
    void on_toolButtonColorN_clicked();
    void on_horizontalLight_valueChanged(int value);
    void on_horizontalSpeed_valueChanged(int value);
    void on_LightSpinBox_2_valueChanged(int arg1);
    void on_SpeedSpinBox_2_valueChanged(int arg1);
    void on_LightMod_editTextChanged(QString arg1);
    void on_LightMod_activated(int index);
    void on_StopCloseTime_activated(int index);
    void on_LightMod_currentIndexChanged(int index);
    // The device's data (sliders enabled).
    void SlotUpDataLightUILight(FlashDataMap DataMap);
    // An imported or cached configuration: also the idle light-off time;
    // the sliders stay disabled until the device's own data arrive.
    void SlotUpDataLightUIA(FlashDataMap DataMap);
    void SlotFormResetLight();
    char ByteToQString(uchar a);
    void on_RippeControl_clicked(bool checked);
    void on_horizontalLight_sliderMoved(int position);
    void on_horizontalSpeed_sliderMoved(int position);
    void SlotAllLanguage(int index);

protected:
    // A press off a number box ends its editing; a press on the colour
    // board picks the screen colour under the pointer.
    void mousePressEvent(QMouseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    // Makes the fourteen presets one exclusive group.
    void InitColorButtonGroup();
    // User changes reach the device only while writing is enabled and the
    // page is not filling itself.
    bool settingGateOpen() const;
    // Before a colour change from a button or the colour board: with writing
    // enabled, an offline device raises the offline notice and stops it.
    bool colourChangeAllowed() const;
    void stepColour(QSpinBox *box, int delta);
    void applyPreset(int index);
    void colourBoxChanged(int r, int g, int b);
    void refreshFrom(const FlashDataMap &map, bool fromConfiguration);
    ColourBoxes colourBoxes() const;

    Ui::LampLight *ui;
    QButtonGroup *m_buttonGroup;
    QString m_pictureDir;
};

#endif // LAMPLIGHT_H

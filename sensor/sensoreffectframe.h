#ifndef SENSOREFFECTFRAME_H
#define SENSOREFFECTFRAME_H

// What both DPI light-effect widgets share: the mouse's DPI indicator light
// is off (mode 0), steady (1) or breathing (2), with a speed of 1 to 5 and
// a brightness of level 1 to 10. A choice of the user is written at once
// and stays on screen only when the mouse took it; filling the widget from
// the device never writes.
//
// Both forms name their common controls alike: the title `label`, the
// captions `label_14` and `label_15`, the sliders `SpeedH` and `LightH`
// with their number boxes `SpeedSpinBox` and `LightSpinBox`, and the lines
// `line` and `line_2` that stand where a hidden slider was.

#include <QFrame>

class QLabel;
class QSlider;
class QSpinBox;

// The brightness the device stores for a level 1 to 10 (16, 30, 60, 90,
// 128, 150, 180, 210, 230, 255); levels outside are taken as 1 or 10.
int dpiLedBrightnessValue(int level);
// The level of a stored brightness; a value that is none of the ten is
// handed on unchanged (the slider takes it into its range).
int dpiLedBrightnessLevel(int value);

class SensorEffectFrame : public QFrame
{
    Q_OBJECT
public:
    void enableSliders(bool enabled);
    // Shows mode 0, 1 or 2 without writing it; other values change nothing.
    void setMode(int mode);
    void setTitle(QString text);
    void setSpeedText(QString text);
    void setBrightnessText(QString text);

    // The mode the widget shows; -1 before any.
    int shownMode() const { return m_shownMode; }

public slots:
    void on_SpeedH_sliderMoved(int position);
    void on_SpeedH_valueChanged(int value);
    void on_LightH_sliderMoved(int position);
    void on_LightH_valueChanged(int value);

protected:
    explicit SensorEffectFrame(QWidget *parent);
    // Finds the common controls once the form is set up.
    void attachControls();
    // The mode's control shows the mode (-1: none) without a signal.
    virtual void showModeControl(int mode) = 0;
    // The user chose a mode: the sliders of that mode show, the mode is
    // written, and a mode the mouse did not take goes back to the last one.
    void chooseMode(int mode);
    // Which sliders the mode shows; -1 shows both.
    void applyLayout(int mode);
    // A speed or brightness level shown without writing it; the slider
    // takes a value outside its range to its nearest end.
    void showSpeed(int speed);
    void showBrightnessLevel(int level);

    QLabel *m_title = nullptr;
    QLabel *m_speedText = nullptr;
    QLabel *m_brightnessText = nullptr;
    QSlider *m_speed = nullptr;
    QSlider *m_light = nullptr;
    QSpinBox *m_speedBox = nullptr;
    QSpinBox *m_lightBox = nullptr;
    QFrame *m_speedLine = nullptr;
    QFrame *m_lightLine = nullptr;
    QString m_pictureDir;

private:
    void showSlider(QSlider *slider, QSpinBox *box, int value);

    int m_shownMode = -1;
    int m_shownSpeed = 1;
    int m_shownLevel = 1;
};

#endif // SENSOREFFECTFRAME_H

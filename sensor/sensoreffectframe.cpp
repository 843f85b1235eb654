#include "sensoreffectframe.h"

#include "devicesetters.h"
#include "devicestate.h"

#include <QLabel>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>

namespace {
constexpr int kBrightness[10] = {16, 30, 60, 90, 128, 150, 180, 210, 230, 255};

bool mayWrite()
{
    return pageMayWrite(PageRefresh::ButtonPage);
}
} // namespace

int dpiLedBrightnessValue(int level)
{
    return kBrightness[qBound(1, level, 10) - 1];
}

int dpiLedBrightnessLevel(int value)
{
    for (int level = 1; level <= 10; ++level) {
        if (kBrightness[level - 1] == value)
            return level;
    }
    return value;
}

SensorEffectFrame::SensorEffectFrame(QWidget *parent) : QFrame(parent) {}

void SensorEffectFrame::attachControls()
{
    m_title = findChild<QLabel *>(QStringLiteral("label"));
    m_speedText = findChild<QLabel *>(QStringLiteral("label_14"));
    m_brightnessText = findChild<QLabel *>(QStringLiteral("label_15"));
    m_speed = findChild<QSlider *>(QStringLiteral("SpeedH"));
    m_light = findChild<QSlider *>(QStringLiteral("LightH"));
    m_speedBox = findChild<QSpinBox *>(QStringLiteral("SpeedSpinBox"));
    m_lightBox = findChild<QSpinBox *>(QStringLiteral("LightSpinBox"));
    m_speedLine = findChild<QFrame *>(QStringLiteral("line"));
    m_lightLine = findChild<QFrame *>(QStringLiteral("line_2"));
    m_shownSpeed = m_speed->value();
    m_shownLevel = m_light->value();
}

void SensorEffectFrame::enableSliders(bool enabled)
{
    m_speed->setEnabled(enabled);
    m_light->setEnabled(enabled);
}

void SensorEffectFrame::setMode(int mode)
{
    if (mode < 0 || mode > 2)
        return;
    const QSignalBlocker speedQuiet(m_speed);
    const QSignalBlocker lightQuiet(m_light);
    showModeControl(mode);
    applyLayout(mode);
    m_shownMode = mode;
}

void SensorEffectFrame::setTitle(QString text)
{
    m_title->setText(text);
}

void SensorEffectFrame::setSpeedText(QString text)
{
    m_speedText->setText(text);
}

void SensorEffectFrame::setBrightnessText(QString text)
{
    m_brightnessText->setText(text);
}

void SensorEffectFrame::chooseMode(int mode)
{
    applyLayout(mode);
    if (mayWrite() && setDpiLedMode(mode)) {
        m_shownMode = mode;
        return;
    }
    showModeControl(m_shownMode);
    applyLayout(m_shownMode);
}

void SensorEffectFrame::applyLayout(int mode)
{
    // Off hides both sliders, steady shows the brightness only, breathing
    // the speed only; a line stands where a slider is hidden.
    const bool speed = mode == 2 || mode < 0;
    const bool light = mode == 1 || mode < 0;
    m_speed->setVisible(speed);
    m_speedBox->setVisible(speed);
    m_light->setVisible(light);
    m_lightBox->setVisible(light);
    m_speedLine->setVisible(!speed);
    m_lightLine->setVisible(!light);
}

void SensorEffectFrame::showSpeed(int speed)
{
    showSlider(m_speed, m_speedBox, speed);
    m_shownSpeed = m_speed->value();
}

void SensorEffectFrame::showBrightnessLevel(int level)
{
    showSlider(m_light, m_lightBox, level);
    m_shownLevel = m_light->value();
}

void SensorEffectFrame::showSlider(QSlider *slider, QSpinBox *box, int value)
{
    const QSignalBlocker quiet(slider);
    slider->setValue(value);
    box->setValue(slider->value());
}

void SensorEffectFrame::on_SpeedH_sliderMoved(int position)
{
    m_speedBox->setValue(position);
}

void SensorEffectFrame::on_SpeedH_valueChanged(int value)
{
    m_speedBox->setValue(value);
    if (mayWrite() && setDpiLedSpeed(u8(value)))
        m_shownSpeed = value;
    else
        showSlider(m_speed, m_speedBox, m_shownSpeed);
}

void SensorEffectFrame::on_LightH_sliderMoved(int position)
{
    m_lightBox->setValue(position);
}

void SensorEffectFrame::on_LightH_valueChanged(int value)
{
    m_lightBox->setValue(value);
    if (mayWrite() && setDpiLedBrightness(u8(dpiLedBrightnessValue(value))))
        m_shownLevel = value;
    else
        showSlider(m_light, m_lightBox, m_shownLevel);
}

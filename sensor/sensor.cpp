#include "sensor.h"
#include "ui_Sensor.h"

#include "deviceevent.h"
#include "globals.h"
#include "pointersettings.h"
#include "postmsg.h"
#include "sensoreffectb.h"
#include "sensorstyle.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QSaveFile>
#include <QSignalBlocker>
#include <QStyleHints>

namespace {
constexpr int kDoubleClickBaseMs = 200;
constexpr int kDoubleClickStepMs = 70;
constexpr int kWheelLinesForPage = 3;

// Texts of the sensor page's language table.
constexpr int kSensorA = 27, kSensorB = 28, kSensorC = 29, kSensorD = 30, kSensorE = 31, kSensorF = 32;
constexpr int kEffectTitle = 15, kSteady = 17, kBreathing = 18, kSpeed = 19, kBrightness = 20;
// The "off" of the settings page: the sensor table's text at the place of
// the off mode names the DPI value.
constexpr int kOffText = 51;
} // namespace

Sensor::Sensor(QWidget *parent) : QWidget(parent), ui(new Ui::Sensor)
{
    registerDeviceMetaTypes();
    ui->setupUi(this);
    // The effect lies on the page without a panel of its own.
    ui->frameEffect->setFrameShape(QFrame::NoFrame);
    // The speed slider offers what the system takes, and clamps the steps.
    ui->SpeedH_4->setRange(kLowestPointerSpeed, kHighestPointerSpeed);
    m_pictureDir = sensorPictureDir();
    applyKeptDoubleClickTime();

    PostMsg *hub = PostMsg::instance();
    connect(hub, &PostMsg::SigUpDataLightSensor, this, &Sensor::SlotUpDataSenSorUISensor,
            Qt::BlockingQueuedConnection);
    connect(hub, &PostMsg::SigUpDataDPILed, this, &Sensor::SlotUpDataDPILed, Qt::BlockingQueuedConnection);
    connect(hub, &PostMsg::SigUpDataSensorUIB, this, &Sensor::SlotUpDataSenSorUIB);
    connect(hub, &PostMsg::SigAllLanguage, this, &Sensor::SlotAllLanguage);
    connect(hub, &PostMsg::SigHideModel, this, &Sensor::SlotHideModel);
    // Like every page, it follows the theme.
    connect(hub, &PostMsg::SigSetStyle, this, &Sensor::SlotSetStyle);
    SlotSetStyle(0);
    SlotAllLanguage(g_language);
}

Sensor::~Sensor()
{
    // A device thread held in a blocking emit towards this page is let go.
    disconnect(PostMsg::instance(), nullptr, this, nullptr);
    QCoreApplication::removePostedEvents(this, QEvent::MetaCall);
    delete ui;
}

SensorEffectB *Sensor::effect() const
{
    return ui->frameEffect;
}

bool Sensor::writeLevelFile(int n)
{
    QSaveFile file(userDataDir() + "/usersetting/SensorPage" + "/Level.ini");
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray text = QByteArray::number(n);
    return file.write(text) == text.size() && file.commit();
}

int Sensor::doubleClickMs(int step)
{
    return step * kDoubleClickStepMs + kDoubleClickBaseMs;
}

int Sensor::doubleClickStep(int ms)
{
    return (ms - kDoubleClickBaseMs) / kDoubleClickStepMs;
}

// ---- Texts and looks -------------------------------------------------------------

void Sensor::SlotAllLanguage(int index)
{
    const auto sensor = [index](int position) { return langText(g_langSensor, index, position); };
    ui->MouseParameters->setText(sensor(kSensorA));
    ui->Sensitive->setText(sensor(kSensorB));
    ui->Precison->setText(sensor(kSensorC));
    ui->ScrollSpeed->setText(sensor(kSensorD));
    ui->ScrollPage->setText(sensor(kSensorE));
    ui->DoubleSpeed->setText(sensor(kSensorF));
    SensorEffectB *effect = ui->frameEffect;
    effect->setModeText(0, langText(g_langFormSetting, index, kOffText));
    effect->setModeText(1, sensor(kSteady));
    effect->setModeText(2, sensor(kBreathing));
    effect->setTitle(sensor(kEffectTitle));
    effect->setSpeedText(sensor(kSpeed));
    effect->setBrightnessText(sensor(kBrightness));
}

void Sensor::SlotSetStyle(int index)
{
    Q_UNUSED(index);
    const QString &P = m_pictureDir;
    const QString label = themeRgbTriple(g_themeLabelColor);
    for (QLabel *l : {ui->MouseParameters, ui->Sensitive, ui->ScrollSpeed, ui->DoubleSpeed})
        l->setStyleSheet(labelStyle(label));
    for (QCheckBox *box : {ui->Precison, ui->ScrollPage})
        box->setStyleSheet("QCheckBox{color: rgb(" + label + ";);}QCheckBox:indicator::checked {image: url(" + P
                           + "LODCheck.png" + ");}QCheckBox::indicator::unchecked {image: url(" + P + "LOD.png"
                           + ");}");
    for (QSpinBox *box : {ui->SpinSpeed, ui->DoubleSpin})
        box->setStyleSheet(QStringLiteral("QSpinBox{color: rgb(136,148,158);background-color: transparent;border: 0px;}"));
    for (QSlider *slider : {ui->SpeedH_4, ui->SpeedH_2, ui->SpeedH_3})
        slider->setStyleSheet(themeSliderStyle(P));
    for (QPushButton *b : {ui->Rce, ui->Add})
        b->setStyleSheet("QPushButton{border:0px;background: transparent;color: rgb(" + label
                         + ");font-size:16px;}QPushButton:hover{color: rgb(" + themeRgbTriple(g_themeSliderColor)
                         + ");}");
}

// ---- Filling from the system and the device ----------------------------------------------

void Sensor::readSystemSettings()
{
    // Showing what the system holds is no change of it.
    const QSignalBlocker precision(ui->Precison);
    const QSignalBlocker wheel(ui->SpeedH_2);
    const QSignalBlocker page(ui->ScrollPage);
    const QSignalBlocker speed(ui->SpeedH_4);
    const QSignalBlocker doubleClick(ui->SpeedH_3);

    ui->Precison->setChecked(systemMouseAcceleration().acceleration == 1);
    const quint32 lines = systemWheelScrollLines();
    const bool byPage = lines == kWheelScrollPage;
    ui->ScrollPage->setChecked(byPage);
    ui->SpeedH_2->setValue(byPage ? kWheelLinesForPage : int(qMin<quint32>(lines, 10)));
    ui->SpinSpeed->setValue(ui->SpeedH_2->value());
    ui->SpeedH_4->setValue(systemPointerSpeed());
    const int ms = QGuiApplication::styleHints()->mouseDoubleClickInterval();
    ui->SpeedH_3->setValue(doubleClickStep(ms));
    ui->DoubleSpin->setValue(ms);
}

void Sensor::showEffect(const FlashDataMap &image)
{
    SensorEffectB *effect = ui->frameEffect;
    if (image.dpiLedEnable == 0)
        effect->setMode(0);
    else if (image.dpiLedMode == 1 || image.dpiLedMode == 2)
        effect->setMode(image.dpiLedMode);
    effect->setSpeed(image.dpiLedSpeed);
    effect->setBrightnessLevel(dpiLedBrightnessLevel(image.dpiLedBrightness));
}

void Sensor::SlotUpDataSenSorUIB(FlashDataMap DataMap)
{
    readSystemSettings();
    ui->frameEffect->enableSliders(true);
    showEffect(DataMap);
}

void Sensor::SlotUpDataSenSorUISensor(FlashDataMap DataMap)
{
    SlotUpDataSenSorUIB(DataMap);
}

void Sensor::SlotUpDataDPILed(FlashDataMap DataMap)
{
    showEffect(DataMap);
}

void Sensor::SlotFormReset()
{
    SensorEffectB *effect = ui->frameEffect;
    effect->setMode(0);
    effect->setSpeed(3);
    effect->setBrightnessLevel(5);
    readSystemSettings();
}

void Sensor::SlotHideModel(int index)
{
    Q_UNUSED(index);
}

// ---- The user's changes -------------------------------------------------------------

void Sensor::on_SpeedH_4_valueChanged(int value)
{
    setSystemPointerSpeed(value);
}

void Sensor::stepSpeed(int by)
{
    {
        // One change, one write.
        const QSignalBlocker quiet(ui->SpeedH_4);
        ui->SpeedH_4->setValue(ui->SpeedH_4->value() + by);
    }
    setSystemPointerSpeed(ui->SpeedH_4->value());
}

void Sensor::on_Add_clicked()
{
    stepSpeed(1);
}

void Sensor::on_Rce_clicked()
{
    stepSpeed(-1);
}

void Sensor::on_Precison_toggled(bool checked)
{
    MouseAcceleration value = systemMouseAcceleration();
    value.acceleration = checked ? 1 : 0;
    setSystemMouseAcceleration(value);
}

void Sensor::on_SpeedH_2_sliderMoved(int position)
{
    ui->SpinSpeed->setValue(position);
}

void Sensor::on_SpeedH_2_valueChanged(int value)
{
    ui->SpinSpeed->setValue(value);
    if (!ui->ScrollPage->isChecked())
        setSystemWheelScrollLines(quint32(value));
}

void Sensor::on_ScrollPage_toggled(bool checked)
{
    setSystemWheelScrollLines(checked ? kWheelScrollPage : quint32(ui->SpinSpeed->value()));
}

void Sensor::on_SpeedH_3_sliderMoved(int position)
{
    ui->DoubleSpin->setValue(doubleClickMs(position));
}

void Sensor::on_SpeedH_3_valueChanged(int value)
{
    ui->DoubleSpin->setValue(doubleClickMs(value));
    setSystemDoubleClickTime(doubleClickMs(value));
}

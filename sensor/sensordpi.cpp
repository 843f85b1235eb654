#include "sensordpi.h"
#include "ui_SensorDPI.h"

#include "configsettings.h"
#include "globals.h"
#include "sensorstyle.h"

#include <QButtonGroup>

namespace {
constexpr int kLevels = 8;
const QPoint kMarkerOffset(12, 13);
const char kValueBoxStyle[] = "QSpinBox{background-color: transparent;color: rgb(255,255,255);border: 0px  solid gray;}";
} // namespace

SensorDPI::SensorDPI(QWidget *parent)
    : QFrame(parent), ui(new Ui::SensorDPI), m_levelGroup(new QButtonGroup(this))
{
    ui->setupUi(this);
    m_pictureDir = sensorPictureDir();
    m_buttonColor = optionColorTriple("ButtonColor");
    m_levels = {ui->BlueButton,   ui->BrightRedButton, ui->RedButton,       ui->YellowButton,
                ui->GreenButton,  ui->PurpleButton,    ui->LightBlueButton, ui->LightYellowButton};
    m_levelGroup->setExclusive(true);

    const QString &P = m_pictureDir;
    const QString levelStyle = "QToolButton{border:0px;border-radius:3px;background-position:center;"
                               "background-repeat:no-repeat;color: rgb("
                               + m_buttonColor + ";);background-image: url(" + P + "MinA.png" + ");}";
    for (int i = 0; i < kLevels; ++i) {
        m_levelGroup->addButton(m_levels.at(i));
        m_levels.at(i)->setStyleSheet(levelStyle + (i < 5 ? "QToolButton:checked {padding: 0px 0px; }" : ""));
    }
    ui->label->setStyleSheet(optionLabelStyle());
    ui->label_2->setStyleSheet(optionLabelStyle());
    ui->horizontalSliderC->setStyleSheet(
        "QSlider::groove:horizontal{height:5px;background:rgb(221, 226, 233);border-radius:2px;}"
        "QSlider::sub-page:horizontal{background:rgb(30, 136, 229);border-radius:2px;}"
        "QSlider::handle:horizontal{width:18px;height:18px;margin:-7px 0;border-image: url("
        + P + "HuaKuai.png" + ");}");
    ui->spinBoxA->setStyleSheet(QString::fromLatin1(kValueBoxStyle));
    ui->spinBoxA_2->setStyleSheet(QString::fromLatin1(kValueBoxStyle));
    for (QFrame *box : {ui->frame_2, ui->frame_3})
        box->setStyleSheet("#" + box->objectName() + "{border-image: url(" + P + "Frame.png" + ");}");
    for (CustomPushButton *b : {ui->ReduceLevelA, ui->ReduceLevelA_2})
        b->setStyleSheet("QPushButton{border:0px;background-image: url(" + P + "Reduce.png" + ");}");
    for (CustomPushButton *b : {ui->AddLevelA, ui->AddLevelA_2})
        b->setStyleSheet("QPushButton{border:0px;background-image: url(" + P + "Add.png" + ");}");
    ui->label_8->setStyleSheet("QLabel{border-image: url(" + P + "Level.png" + ");}");

    QList<QWidget *> controls{ui->horizontalSliderC, ui->ReduceLevelA, ui->AddLevelA, ui->ReduceLevelA_2,
                              ui->AddLevelA_2};
    for (QToolButton *b : m_levels)
        controls.append(b);
    showOnly(controls);
}

SensorDPI::~SensorDPI()
{
    delete ui;
}

void SensorDPI::setMaximum(int dpi)
{
    ui->horizontalSliderC->setMaximum(dpi);
    ui->spinBoxA->setMaximum(dpi);
}

void SensorDPI::setMinimum(int dpi)
{
    ui->horizontalSliderC->setMinimum(dpi);
    ui->spinBoxA->setMinimum(dpi);
}

void SensorDPI::setSliderValue(int dpi)
{
    ui->horizontalSliderC->setValue(dpi);
}

void SensorDPI::blockSliderSignals(bool block)
{
    ui->horizontalSliderC->blockSignals(block);
}

void SensorDPI::setSliderEnabled(bool enabled)
{
    ui->horizontalSliderC->setEnabled(enabled);
}

void SensorDPI::loadDpiSettings()
{
    const QStringList grades = ConfigSettings::instance()->readStringList(
        "Drive" + QString::number(g_selectedDevice.driveIndex + 1), "DPIGrade");
    if (grades.size() < kLevels)
        return;
    for (int i = 0; i < kLevels; ++i)
        m_levels.at(i)->setText(grades.at(i).trimmed());
}

void SensorDPI::setCurrentLevel(int level)
{
    if (level >= 0 && level < kLevels)
        m_levels.at(level)->setChecked(true);
}

void SensorDPI::setLevelText(int level, QString text)
{
    if (level >= 0 && level < kLevels)
        m_levels.at(level)->setText(text);
}

void SensorDPI::setStep(int level)
{
    m_currentLevel = level;
}

void SensorDPI::setStepB(int count)
{
    m_levelCount = count;
}

void SensorDPI::setSpinBoxValue(int count)
{
    ui->spinBoxA_2->setValue(count);
    placeLevelButtons(ui->spinBoxA_2->value());
    moveMarkerToLevel(m_currentLevel + 1);
}

void SensorDPI::setSpinBoxMaximum(int maximum, QString text)
{
    Q_UNUSED(text);
    ui->spinBoxA_2->setMaximum(maximum);
}

void SensorDPI::setLevelCount(int last)
{
    if (last < 0 || last >= kLevels)
        return;
    for (int i = 0; i < kLevels; ++i)
        m_levels.at(i)->setVisible(i <= last);
}

void SensorDPI::moveMarkerToLevel(int n)
{
    if (n < 1 || n > kLevels)
        return;
    ui->label_8->move(m_levels.at(n - 1)->pos() + kMarkerOffset);
}

void SensorDPI::setTexts(QString title, QString caption)
{
    ui->label->setText(title);
    ui->label_2->setText(caption);
}

void SensorDPI::setDpiValue(int dpi)
{
    ui->spinBoxA->setValue(dpi);
    markLimits();
}

void SensorDPI::refreshLevels() {}

void SensorDPI::resetLevels() {}

void SensorDPI::markLimits()
{
    ui->AddLevelA->setForbidden(ui->spinBoxA->value() == ui->spinBoxA->maximum());
    ui->ReduceLevelA->setForbidden(ui->spinBoxA->value() == ui->spinBoxA->minimum());
}

void SensorDPI::placeLevelButtons(int count)
{
    // x of the small level buttons for one to five levels in use; with
    // more the buttons keep their places.
    static const QVector<QVector<int>> kPlaces = {
        {230}, {130, 330}, {130, 230, 330}, {90, 170, 250, 330}, {80, 155, 230, 305, 380}};
    if (count < 1 || count > kPlaces.size())
        return;
    const QVector<int> &xs = kPlaces.at(count - 1);
    for (int i = 0; i < xs.size(); ++i)
        m_levels.at(i)->move(xs.at(i), 75);
}

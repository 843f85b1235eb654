#include "sensoreffectb.h"
#include "ui_SensorEffectB.h"

#include "globals.h"
#include "postmsg.h"
#include "sensorstyle.h"

#include <QButtonGroup>

SensorEffectB::SensorEffectB(QWidget *parent) : SensorEffectFrame(parent), ui(new Ui::SensorEffectB)
{
    ui->setupUi(this);
    attachControls();
    m_modeGroup = new QButtonGroup(this);
    m_modeGroup->setExclusive(true);
    for (QCheckBox *box : {ui->MM1, ui->MM2, ui->MM3})
        m_modeGroup->addButton(box);
    connect(PostMsg::instance(), &PostMsg::SigSetStyle, this, &SensorEffectB::SlotSetStyle);
    SlotSetStyle(0);
}

SensorEffectB::~SensorEffectB()
{
    delete ui;
}

void SensorEffectB::setModeText(int mode, QString text)
{
    QCheckBox *const boxes[3] = {ui->MM3, ui->MM1, ui->MM2};
    if (mode >= 0 && mode < 3)
        boxes[mode]->setText(text);
}

void SensorEffectB::setSpeed(int speed)
{
    showSpeed(speed);
}

void SensorEffectB::setBrightnessLevel(int level)
{
    showBrightnessLevel(level);
}

void SensorEffectB::showModeControl(int mode)
{
    QCheckBox *const boxes[3] = {ui->MM3, ui->MM1, ui->MM2};
    if (mode >= 0 && mode < 3) {
        boxes[mode]->setChecked(true);
        return;
    }
    m_modeGroup->setExclusive(false);
    for (QCheckBox *box : boxes)
        box->setChecked(false);
    m_modeGroup->setExclusive(true);
}

void SensorEffectB::on_MM1_clicked(bool checked)
{
    if (checked)
        chooseMode(1);
}

void SensorEffectB::on_MM2_clicked(bool checked)
{
    if (checked)
        chooseMode(2);
}

void SensorEffectB::on_MM3_clicked(bool checked)
{
    if (checked)
        chooseMode(0);
}

void SensorEffectB::SlotSetStyle(int index)
{
    Q_UNUSED(index);
    m_pictureDir = sensorPictureDir();
    const QString &P = m_pictureDir;
    const QString label = labelStyle(themeRgbTriple(g_themeLabelColor));
    for (QLabel *l : {ui->label, ui->label_14, ui->label_15})
        l->setStyleSheet(label);
    for (QCheckBox *box : {ui->MM1, ui->MM2, ui->MM3})
        box->setStyleSheet("QCheckBox{color: rgb(" + themeRgbTriple(g_themeLabelColor)
                           + ";);}QCheckBox:indicator::checked {image: url(" + P + "LODCheck.png"
                           + ");}QCheckBox::indicator::unchecked {image: url(" + P + "LOD.png" + ");}");
    for (QSlider *slider : {ui->SpeedH, ui->LightH})
        slider->setStyleSheet(themeSliderStyle(P));
    for (QSpinBox *box : {ui->SpeedSpinBox, ui->LightSpinBox})
        box->setStyleSheet(QStringLiteral("QSpinBox{color: rgb(136,148,158);background-color: transparent;border: 0px;}"));
}

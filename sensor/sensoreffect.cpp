#include "sensoreffect.h"
#include "ui_SensorEffect.h"

#include "sensorstyle.h"

#include <QSignalBlocker>

SensorEffect::SensorEffect(QWidget *parent) : SensorEffectFrame(parent), ui(new Ui::SensorEffect)
{
    ui->setupUi(this);
    attachControls();
    m_pictureDir = sensorPictureDir();
    const QString &P = m_pictureDir;
    const QString label = optionColorTriple("LabelColor");
    for (QLabel *l : {ui->label, ui->label_14, ui->label_15})
        l->setStyleSheet(labelStyle(label));
    for (QSpinBox *box : {ui->SpeedSpinBox, ui->LightSpinBox})
        box->setStyleSheet("QSpinBox{color: rgb(" + label + ";);background-color: transparent;border: 0px;}");
    styleOptionComboBox(ui->Model, P);
    for (QSlider *slider : {ui->SpeedH, ui->LightH})
        slider->setStyleSheet(
            "QSlider::groove:horizontal { border-radius: 2px;  height: 5px;background:#ffffff}"
            "QSlider::handle:horizontal{width:22px;height:22px;margin:-9px -4px;border-image: url("
            + P + "HuaKuai.png" + ");}QSlider::sub-page:horizontal{border-radius: 2px;background-color: rgb("
            + optionColorTriple("SliderColor")
            + ");}QSlider::add-page:horizontal{border-radius: 2px;background-color: rgb(255, 255, 255);}");
    // The box starts on its first entry, "off": only the lines show.
    setMode(ui->Model->currentIndex());
}

SensorEffect::~SensorEffect()
{
    delete ui;
}

void SensorEffect::setModeText(int index, QString text)
{
    ui->Model->setItemText(index, text);
}

void SensorEffect::showModeControl(int mode)
{
    const QSignalBlocker quiet(ui->Model);
    ui->Model->setCurrentIndex(mode);
}

void SensorEffect::on_Model_currentIndexChanged(int index)
{
    if (index >= 0 && index <= 2)
        chooseMode(index);
}

#include "stopclosetimeb.h"
#include "ui_StopCloseTimeB.h"

#include "sensorstyle.h"

#include <QRegularExpression>
#include <QSignalBlocker>

namespace {
// The value shown for slider positions 1..11; the first two are seconds.
constexpr int kShown[11] = {10, 30, 1, 5, 10, 15, 20, 25, 30, 35, 40};
constexpr int kLastSecondsPosition = 2;
} // namespace

StopCloseTimeB::StopCloseTimeB(QWidget *parent) : QFrame(parent), ui(new Ui::StopCloseTimeB)
{
    ui->setupUi(this);
    m_pictureDir = sensorPictureDir();
    const QString box = "{background-color: transparent;color: rgb(" + optionColorTriple("LinEditColorSecond")
                        + ");border:1px  solid  rgb(198,209,216);}";
    ui->spinBoxA->setStyleSheet("QSpinBox" + box + "QSpinBox:hover" + box);
    ui->StopClose->setStyleSheet(
        "QSlider::groove:horizontal{height:2px;background:rgba(0,0,0,50);border-radius:6px;}"
        "QSlider::handle:horizontal{width:5px;margin:-6px 0;border-image: url("
        + m_pictureDir + "HuaKuai.png" + ");}QSlider::sub-page:horizontal{background:rgb("
        + optionColorTriple("SliderColor") + ");}QSlider::add-page:horizontal{background:rgb(255,255,255);}");
}

StopCloseTimeB::~StopCloseTimeB()
{
    delete ui;
}

void StopCloseTimeB::setCurrentIndex(int index)
{
    const QSignalBlocker quiet(ui->StopClose);
    ui->StopClose->setValue(index + 1);
    showPosition(ui->StopClose->value());
}

void StopCloseTimeB::setItemText(int index, QString text)
{
    // The captions carry their own figure ("10 s", "30 min"); the box shows
    // its own figure before the unit.
    static const QRegularExpression kFigures(QStringLiteral("[0-9]"));
    if (index == 0)
        m_secondsUnit = text.remove(kFigures);
    else if (index == 5)
        m_minutesUnit = text.remove(kFigures);
    else
        return;
    showPosition(ui->StopClose->value());
}

void StopCloseTimeB::on_StopClose_sliderMoved(int position)
{
    showPosition(position);
}

void StopCloseTimeB::on_StopClose_valueChanged(int value)
{
    showPosition(value);
}

void StopCloseTimeB::showPosition(int position)
{
    if (position < 1 || position > 11)
        return;
    ui->spinBoxA->setSuffix(position <= kLastSecondsPosition ? m_secondsUnit : m_minutesUnit);
    ui->spinBoxA->setValue(kShown[position - 1]);
}

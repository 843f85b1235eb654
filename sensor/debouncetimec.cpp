#include "debouncetimec.h"
#include "ui_DebouncetimeC.h"

#include "devicesetters.h"
#include "devicestate.h"
#include "sensorstyle.h"

namespace {
constexpr int kHighestMs = 20;
constexpr int kLowestStepMs = 1;
} // namespace

DebouncetimeC::DebouncetimeC(QWidget *parent) : QFrame(parent), ui(new Ui::DebouncetimeC)
{
    ui->setupUi(this);
    m_pictureDir = sensorPictureDir();
    const QString box = "{background-color: transparent;color: rgb(" + optionColorTriple("LinEditColorSecond")
                        + ";);border: 1px  solid  rgb(198,209,216);}";
    ui->spinBoxA->setStyleSheet("QSpinBox" + box + "QSpinBox:hover" + box);
    // The folder's light glyphs sit on a round accent face, as the light
    // pages' other plus and minus buttons do.
    const QString face = "border:0px;border-radius:7px;background-color: rgb(" + optionColorTriple("SliderColor")
                         + ");background-position:center;background-repeat:no-repeat;}";
    ui->AddLevelA->setStyleSheet("#AddLevelA{background-image: url(" + m_pictureDir + "Add.png" + ");" + face);
    ui->ReduceLevelA->setStyleSheet("#ReduceLevelA{background-image: url(" + m_pictureDir + "Reduce.png" + ");"
                                    + face);
}

DebouncetimeC::~DebouncetimeC()
{
    delete ui;
}

void DebouncetimeC::setItemText(int index, QString unit)
{
    Q_UNUSED(index);
    ui->spinBoxA->setSuffix(unit);
}

void DebouncetimeC::on_AddLevelA_clicked()
{
    if (ui->spinBoxA->value() != kHighestMs)
        step(1);
}

void DebouncetimeC::on_ReduceLevelA_clicked()
{
    if (ui->spinBoxA->value() != kLowestStepMs)
        step(-1);
}

void DebouncetimeC::step(int by)
{
    const int before = ui->spinBoxA->value();
    ui->spinBoxA->setValue(before + by);
    // A time the mouse did not take is not shown.
    if (!pageMayWrite() || !setDebounceTime(u8(ui->spinBoxA->value())))
        ui->spinBoxA->setValue(before);
}

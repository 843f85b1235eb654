#include "debouncetimeb.h"
#include "ui_DebouncetimeB.h"

#include "devicesetters.h"
#include "devicestate.h"
#include "globals.h"
#include "postmsg.h"
#include "sensorstyle.h"

#include <QSignalBlocker>

DebouncetimeB::DebouncetimeB(QWidget *parent) : QFrame(parent), ui(new Ui::DebouncetimeB)
{
    ui->setupUi(this);
    // The box starts on the slider's time.
    showValue(ui->Debunce->value());
    connect(PostMsg::instance(), &PostMsg::SigSetStyle, this, &DebouncetimeB::SlotSetStyle);
    SlotSetStyle(0);
}

DebouncetimeB::~DebouncetimeB()
{
    delete ui;
}

void DebouncetimeB::setValue(int value)
{
    showValue(value);
}

void DebouncetimeB::setText(QString text)
{
    ui->FireLabel->setText(text);
}

void DebouncetimeB::showValue(int value)
{
    const QSignalBlocker quiet(ui->Debunce);
    ui->Debunce->setValue(value);
    ui->spinBoxA->setValue(ui->Debunce->value());
    m_shownValue = ui->Debunce->value();
}

void DebouncetimeB::on_Debunce_sliderMoved(int position)
{
    ui->spinBoxA->setValue(position);
}

void DebouncetimeB::on_Debunce_valueChanged(int value)
{
    ui->spinBoxA->setValue(value);
    if (pageMayWrite() && setDebounceTime(u8(value)))
        m_shownValue = value;
    else
        showValue(m_shownValue);
}

void DebouncetimeB::SlotSetStyle(int index)
{
    Q_UNUSED(index);
    m_pictureDir = sensorPictureDir();
    ui->spinBoxA->setStyleSheet("QSpinBox{background-color: rgb(" + themeRgbTriple(g_themeButtonSpinBoxColor)
                                + ");color: rgb(" + themeRgbTriple(g_themeLinEditColorSecond)
                                + ";);border: 1px  solid " + g_themeButtonSpinBoxBorder + ";}");
    ui->Debunce->setStyleSheet(
        "QSlider:groove:horizontal{height:3px;left: 0px;right: 0px;border:0px;border-radius:0px;background:rgba(0,0,0,"
        "50);}QSlider:handle:horizontal{ width:  22px;height: 22px;  margin-top: -6px;margin-left: 0px; "
        "margin-bottom: -13px;margin-right: 0px; border-image: url("
        + m_pictureDir + "HuaKuai.png" + ");} QSlider:sub-page:horizontal{background-color: rgb("
        + themeRgbTriple(g_themeSliderColor) + ";);}QSlider:add-page:horizontal{background-color: rgb(136, 148, 158);}");
    ui->FireLabel->setStyleSheet(labelStyle(themeRgbTriple(g_themeLabelColor)));
}

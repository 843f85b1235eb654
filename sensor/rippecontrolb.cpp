#include "rippecontrolb.h"
#include "ui_RippeControlB.h"

#include "devicesetters.h"

RippeControlB::RippeControlB(QWidget *parent) : SensorSwitch(parent), ui(new Ui::RippeControlB)
{
    ui->setupUi(this);
    attachToggle(ui->label, ui->RippeControl_2, setRippleControl, "Close.png", "Open.png", false);
}

RippeControlB::~RippeControlB()
{
    delete ui;
}

void RippeControlB::setText(QString text)
{
    ui->label->setText(text);
}

void RippeControlB::on_RippeControl_2_clicked(bool checked)
{
    switchClicked(checked);
}

#include "rippecontrol.h"
#include "ui_RippeControl.h"

#include "devicesetters.h"

RippeControl::RippeControl(QWidget *parent) : SensorSwitch(parent), ui(new Ui::RippeControl)
{
    ui->setupUi(this);
    attachCheckBox(ui->MM0, setRippleControl);
}

RippeControl::~RippeControl()
{
    delete ui;
}

void RippeControl::setText(QString text)
{
    ui->MM0->setText(" " + text);
}

void RippeControl::on_MM0_clicked(bool checked)
{
    switchClicked(checked);
}

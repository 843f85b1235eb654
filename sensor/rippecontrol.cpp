#include "rippecontrol.h"
#include "ui_RippeControl.h"

RippeControl::RippeControl(QWidget *parent)
    : SensorSwitch(parent), ui(new Ui::RippeControl)
{
    ui->setupUi(this);
    attach(ui->MM0);
}

RippeControl::~RippeControl()
{
    delete ui;
}

void RippeControl::setText(QString text)
{
    ui->MM0->setText(" " + text);
}

#include "motionsyncb.h"
#include "ui_MotionSyncB.h"

#include "devicesetters.h"

MotionSyncB::MotionSyncB(QWidget *parent) : SensorSwitch(parent), ui(new Ui::MotionSyncB)
{
    ui->setupUi(this);
    attachToggle(ui->label, ui->MotionSync_2, setMotionSync, "toggle_off.png", "toggle_on.png", true);
}

MotionSyncB::~MotionSyncB()
{
    delete ui;
}

void MotionSyncB::setText(QString text)
{
    ui->label->setText(text);
}

void MotionSyncB::on_MotionSync_2_clicked(bool checked)
{
    switchClicked(checked);
}

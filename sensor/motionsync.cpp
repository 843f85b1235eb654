#include "motionsync.h"
#include "ui_MotionSync.h"

#include "devicesetters.h"

MotionSync::MotionSync(QWidget *parent) : SensorSwitch(parent), ui(new Ui::MotionSync)
{
    ui->setupUi(this);
    attachToggle(ui->label, ui->MotionSync_2, setMotionSync, "Close.png", "Open.png", false);
}

MotionSync::~MotionSync()
{
    delete ui;
}

void MotionSync::setText(QString text)
{
    ui->label->setText(text);
}

void MotionSync::on_MotionSync_2_clicked(bool checked)
{
    switchClicked(checked);
}

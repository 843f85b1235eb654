#include "straightlineb.h"
#include "ui_StraightLineB.h"

#include "devicesetters.h"

StraightLineB::StraightLineB(QWidget *parent) : SensorSwitch(parent), ui(new Ui::StraightLineB)
{
    ui->setupUi(this);
    attachToggle(ui->label, ui->StraightLine_2, setAngleSnapping, "Close.png", "Open.png", false);
}

StraightLineB::~StraightLineB()
{
    delete ui;
}

void StraightLineB::setText(QString text)
{
    ui->label->setText(text);
}

void StraightLineB::on_StraightLine_2_clicked(bool checked)
{
    switchClicked(checked);
}

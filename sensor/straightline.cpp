#include "straightline.h"
#include "ui_StraightLine.h"

#include "devicesetters.h"

StraightLine::StraightLine(QWidget *parent) : SensorSwitch(parent), ui(new Ui::StraightLine)
{
    ui->setupUi(this);
    attachCheckBox(ui->MM0, setAngleSnapping);
}

StraightLine::~StraightLine()
{
    delete ui;
}

void StraightLine::setText(QString text)
{
    ui->MM0->setText(text);
}

void StraightLine::on_MM0_clicked(bool checked)
{
    switchClicked(checked);
}

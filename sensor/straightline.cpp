#include "straightline.h"
#include "ui_StraightLine.h"

StraightLine::StraightLine(QWidget *parent)
    : SensorSwitch(parent), ui(new Ui::StraightLine)
{
    ui->setupUi(this);
    attach(ui->MM0);
}

StraightLine::~StraightLine()
{
    delete ui;
}

void StraightLine::setText(QString text)
{
    ui->MM0->setText(text);
}

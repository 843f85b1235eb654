#include "stopclosetime.h"
#include "ui_StopCloseTime.h"

#include "sensorstyle.h"

#include <QButtonGroup>

StopCloseTime::StopCloseTime(QWidget *parent)
    : QFrame(parent), ui(new Ui::StopCloseTime), m_group(new QButtonGroup(this))
{
    ui->setupUi(this);
    m_pictureDir = sensorPictureDir();
    m_buttons = {ui->Button10, ui->Button30, ui->Button1, ui->Button5, ui->Button10M, ui->Button30M};
    m_captions = {ui->label_2, ui->label_3, ui->label_4, ui->label_5, ui->label_6, ui->label_7};
    buildOptionRow(m_group, m_buttons, m_captions, ui->label);
}

StopCloseTime::~StopCloseTime()
{
    delete ui;
}

void StopCloseTime::setCurrentIndex(int index)
{
    selectOption(m_buttons, m_captions, index);
}

void StopCloseTime::setItemText(int index, QString text)
{
    if (index >= 0 && index < m_captions.size())
        m_captions.at(index)->setText(text);
    else if (index == m_captions.size())
        ui->label->setText(text);
}

#include "sensorlodb.h"
#include "ui_SensorLODB.h"

#include "sensorstyle.h"

#include <QButtonGroup>

SensorLODB::SensorLODB(QWidget *parent)
    : QFrame(parent), ui(new Ui::SensorLODB), m_group(new QButtonGroup(this))
{
    ui->setupUi(this);
    m_pictureDir = sensorPictureDir();
    // The row shows 0.7 mm first, but the stored values 1, 2, 3 mean 1 mm,
    // 2 mm, 0.7 mm.
    m_buttons = {ui->MM1, ui->MM2, ui->MM0};
    m_captions = {ui->label_3, ui->label_4, ui->label_2};
    buildOptionRow(m_group, {ui->MM0, ui->MM1, ui->MM2}, m_captions, ui->label);
}

SensorLODB::~SensorLODB()
{
    delete ui;
}

void SensorLODB::setCurrentIndex(int option)
{
    selectOption(m_buttons, m_captions, option);
}

void SensorLODB::setText(QString text)
{
    ui->label->setText(text);
}

void SensorLODB::setSecondText(QString text)
{
    Q_UNUSED(text);
}

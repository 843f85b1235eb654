#include "sensorlodb.h"
#include "ui_SensorLODB.h"

#include "devicesetters.h"
#include "devicestate.h"
#include "optionrow.h"
#include "sensorstyle.h"

SensorLODB::SensorLODB(QWidget *parent) : QFrame(parent), ui(new Ui::SensorLODB)
{
    ui->setupUi(this);
    m_pictureDir = sensorPictureDir();
    // The row shows 0.7 mm first, but the stored values 1, 2, 3 mean 1 mm,
    // 2 mm, 0.7 mm. The captions are 51 px wide, centred over their
    // buttons: "0.7mm" does not fit in 41.
    const QList<QAbstractButton *> buttons{ui->MM1, ui->MM2, ui->MM0};
    styleOptionRow(buttons, ui->label);
    m_row.reset(new OptionRow(this, buttons, {ui->label_3, ui->label_4, ui->label_2}));
}

SensorLODB::~SensorLODB()
{
    delete ui;
}

void SensorLODB::setCurrentIndex(int option)
{
    m_row->select(option);
}

void SensorLODB::setText(QString text)
{
    ui->label->setText(text);
}

void SensorLODB::setSecondText(QString text)
{
    Q_UNUSED(text);
}

void SensorLODB::optionClicked(int option, bool checked)
{
    if (!checked)
        return;
    m_row->choose(option, pageMayWrite(PageRefresh::ButtonPage),
                  [option] { return setLiftOffDistance(u8(option + 1)); });
}

void SensorLODB::on_MM0_clicked(bool checked)
{
    optionClicked(2, checked);
}

void SensorLODB::on_MM1_clicked(bool checked)
{
    optionClicked(0, checked);
}

void SensorLODB::on_MM2_clicked(bool checked)
{
    optionClicked(1, checked);
}

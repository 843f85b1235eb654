#include "sensorrateb.h"
#include "ui_SensorRateB.h"

#include "globals.h"
#include "optionrow.h"
#include "postmsg.h"
#include "sensorstyle.h"

SensorRateB::SensorRateB(QWidget *parent) : RateSelector(parent), ui(new Ui::SensorRateB)
{
    ui->setupUi(this);
    m_pictureDir = sensorPictureDir();
    m_row.reset(new OptionRow(this, {ui->Button125HZ, ui->Button250HZ, ui->Button500HZ, ui->Button1000HZ,
                                     ui->Button2000HZ, ui->Button4000HZ, ui->Button8000HZ}));
    connect(PostMsg::instance(), &PostMsg::SigSetStyle, this, &SensorRateB::SlotSetStyle);
    SlotSetStyle(0);
}

SensorRateB::~SensorRateB()
{
    delete ui;
}

void SensorRateB::setText(QString text)
{
    ui->label->setText(text);
}

void SensorRateB::updateRates(int rateClass)
{
    // Which of 2K, 4K and 8K each rate class offers.
    static const bool kOffered[4][3] = {
        {false, false, false}, {true, true, false}, {true, false, false}, {true, true, true}};
    if (rateClass < 0 || rateClass > 3)
        return;
    ui->Button2000HZ->setVisible(kOffered[rateClass][0]);
    ui->Button4000HZ->setVisible(kOffered[rateClass][1]);
    ui->Button8000HZ->setVisible(kOffered[rateClass][2]);
}

void SensorRateB::SlotSetStyle(int index)
{
    Q_UNUSED(index);
    const QString color = themeRgbTriple(g_themeLabelColor);
    ui->label->setStyleSheet(labelStyle(color));
    const QString boxStyle = "QCheckBox{color: rgb(" + color + ";);}QCheckBox::indicator:checked{image: url("
                             + m_pictureDir + "LODCheck.png" + ");}QCheckBox::indicator:unchecked{image: url("
                             + m_pictureDir + "LOD.png" + ");}";
    for (QCheckBox *box : findChildren<QCheckBox *>())
        box->setStyleSheet(boxStyle);
}

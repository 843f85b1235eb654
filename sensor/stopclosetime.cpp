#include "stopclosetime.h"
#include "ui_StopCloseTime.h"

#include "devicesetters.h"
#include "devicestate.h"
#include "optionrow.h"
#include "postmsg.h"
#include "sensorcodes.h"
#include "sensorstyle.h"

namespace {
constexpr int kTimes = 6;
}

StopCloseTime::StopCloseTime(QWidget *parent) : QFrame(parent), ui(new Ui::StopCloseTime)
{
    ui->setupUi(this);
    m_pictureDir = sensorPictureDir();
    const QList<QAbstractButton *> buttons{ui->Button10, ui->Button30,  ui->Button1,
                                           ui->Button5,  ui->Button10M, ui->Button30M};
    styleOptionRow(buttons, ui->label);
    m_row.reset(new OptionRow(this, buttons,
                              {ui->label_2, ui->label_3, ui->label_4, ui->label_5, ui->label_6, ui->label_7}));
    connect(PostMsg::instance(), &PostMsg::SigSetStyle, this, &StopCloseTime::SlotSetStyle);
}

StopCloseTime::~StopCloseTime()
{
    delete ui;
}

void StopCloseTime::setCurrentIndex(int index)
{
    m_row->select(index);
}

void StopCloseTime::setItemText(int index, QString text)
{
    const QList<QLabel *> captions{ui->label_2, ui->label_3, ui->label_4, ui->label_5, ui->label_6, ui->label_7};
    if (index >= 0 && index < kTimes)
        captions.at(index)->setText(text);
    else if (index == kTimes)
        ui->label->setText(text);
}

void StopCloseTime::SlotSetStyle(int index)
{
    Q_UNUSED(index);
}

void StopCloseTime::timeClicked(int index, bool checked)
{
    if (!checked)
        return;
    // The device keeps the time in units of 10 s.
    m_row->choose(index, pageMayWrite(PageRefresh::ButtonPage),
                  [index] { return setSleepTime(u8(kSleepSeconds[index] / 10)); });
}

void StopCloseTime::on_Button10_clicked(bool checked)
{
    timeClicked(0, checked);
}

void StopCloseTime::on_Button30_clicked(bool checked)
{
    timeClicked(1, checked);
}

void StopCloseTime::on_Button1_clicked(bool checked)
{
    timeClicked(2, checked);
}

void StopCloseTime::on_Button5_clicked(bool checked)
{
    timeClicked(3, checked);
}

void StopCloseTime::on_Button10M_clicked(bool checked)
{
    timeClicked(4, checked);
}

void StopCloseTime::on_Button30M_clicked(bool checked)
{
    timeClicked(5, checked);
}

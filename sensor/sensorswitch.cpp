#include "sensorswitch.h"

#include "globals.h"
#include "postmsg.h"
#include "sensorstyle.h"

#include <QCheckBox>

SensorSwitch::SensorSwitch(QWidget *parent) : QFrame(parent) {}

void SensorSwitch::attach(QCheckBox *box)
{
    m_box = box;
    m_box->setAttribute(Qt::WA_TransparentForMouseEvents);
    connect(PostMsg::instance(), &PostMsg::SigSetStyle, this, &SensorSwitch::SlotSetStyle);
    SlotSetStyle(0);
}

void SensorSwitch::setChecked(bool checked)
{
    m_box->setChecked(checked);
}

void SensorSwitch::setSecondText(QString text)
{
    Q_UNUSED(text);
}

void SensorSwitch::SlotSetStyle(int index)
{
    Q_UNUSED(index);
    m_pictureDir = sensorPictureDir();
    m_box->setStyleSheet(switchStyle(m_pictureDir, themeRgbTriple(g_themeLabelColor)));
}

#include "sensorswitch.h"

#include "devicesetters.h"
#include "devicestate.h"
#include "globals.h"
#include "postmsg.h"
#include "sensorstyle.h"

#include <QCheckBox>
#include <QLabel>
#include <QToolButton>

SensorSwitch::SensorSwitch(QWidget *parent) : QFrame(parent) {}

void SensorSwitch::attachCheckBox(QCheckBox *box, Writer write)
{
    m_control = box;
    m_write = write;
    connect(PostMsg::instance(), &PostMsg::SigSetStyle, this, &SensorSwitch::SlotSetStyle);
    SlotSetStyle(0);
}

void SensorSwitch::attachToggle(QLabel *label, QToolButton *button, Writer write, const char *offPicture,
                                const char *onPicture, bool followsTheme)
{
    m_control = button;
    m_label = label;
    m_write = write;
    m_offPicture = QString::fromLatin1(offPicture);
    m_onPicture = QString::fromLatin1(onPicture);
    m_pictureDir = sensorPictureDir();
    applyStyle(optionColorTriple("LabelColor"));
    if (followsTheme) {
        connect(PostMsg::instance(), &PostMsg::SigSetStyle, this, &SensorSwitch::SlotSetStyle);
        SlotSetStyle(0);
    }
}

void SensorSwitch::setChecked(bool checked)
{
    m_control->setChecked(checked);
}

void SensorSwitch::setSecondText(QString text)
{
    if (m_label)
        m_label->setToolTip(text);
}

void SensorSwitch::SlotSetStyle(int index)
{
    Q_UNUSED(index);
    m_pictureDir = sensorPictureDir();
    applyStyle(themeRgbTriple(g_themeLabelColor));
}

void SensorSwitch::applyStyle(const QString &color)
{
    if (!m_label) {
        m_control->setStyleSheet(switchStyle(m_pictureDir, color));
        return;
    }
    m_label->setStyleSheet(labelStyle(color));
    const QString id = "#" + m_control->objectName();
    m_control->setStyleSheet(id + "{color: rgb(255, 255, 255);border:0px;background-position:center;"
                                  "background-repeat:no-repeat;background-image: url("
                             + m_pictureDir + m_offPicture + ");}" + id + ":checked {background-image: url("
                             + m_pictureDir + m_onPicture + ");}");
}

void SensorSwitch::switchClicked(bool checked)
{
    // A click flips the control before it reaches here; it stays flipped
    // only when the device took the value.
    if (!pageMayWrite() || !m_write(checked ? 1 : 0))
        m_control->setChecked(!checked);
}

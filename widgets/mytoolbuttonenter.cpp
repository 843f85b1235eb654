#include "mytoolbuttonenter.h"

namespace {
mytoolButtonEnter::DeviceIconUpdater g_deviceIconUpdater = nullptr;
} // namespace

void mytoolButtonEnter::setDeviceIconUpdater(DeviceIconUpdater updater)
{
    g_deviceIconUpdater = updater;
}

mytoolButtonEnter::mytoolButtonEnter(QWidget *parent) : QToolButton(parent) {}

void mytoolButtonEnter::enterEvent(QEvent *)
{
    // "btn12" is device 12; a name without a number ("btn") is device 0.
    QString name = objectName();
    name.remove(QStringLiteral("btn"));
    const int index = name.toInt(nullptr, 10);
    if (g_deviceIconUpdater)
        g_deviceIconUpdater(index);
}

void mytoolButtonEnter::leaveEvent(QEvent *)
{
    // Deliberately empty: the card keeps the look the refresh gave it.
}

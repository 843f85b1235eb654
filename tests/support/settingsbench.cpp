#include "settingsbench.h"

#include "HIDUsb.h"
#include "deviceenumeration.h"
#include "devicesearch.h"
#include "devicestate.h"
#include "firmwarebench.h"
#include "hidusb_sim.h"
#include "registry.h"
#include "updatetraces.h"

#include <QtTest>

QString updateBench()
{
    return receiverFixture("R1", 4, 1, "M1") + mouseFixture("M1", 1, true);
}

QString receiverWaitingBench()
{
    return bootFixture("B1", 211, 1, "QZR-4K", "R1") + receiverFixture("R1", 4, 1) + mouseFixture("M1", 1, true);
}

QString receiverWaitingBesideM2Bench()
{
    return bootFixture("B1", 211, 1, "QZR-4K", "R1") + receiverFixture("R1", 4, 1) + mouseFixture("M2", 1, true);
}

QString mouseWaitingBench()
{
    // A mouse waits in update mode on its cable, where it was written.
    return bootFixture("B2", 210, 1, "QZM-Q1", "M1") + receiverFixture("R1", 4, 1, "M1") + mouseFixture("M1", 1, true);
}

bool startSettingsBench(FirmwareProgramFolder &folder, const QString &fixture, int receiverImage, int mouseImage)
{
    if (!hidsim::reset(folder.fixture("bench", fixture).toUtf8().constData()))
        return false;
    hidsim::setTimeScale(0);
    if (receiverImage)
        folder.addImage("receiver-4k.bin", firmwareImageBytes(211, 1, quint32(receiverImage), "QZR-4K"));
    if (mouseImage)
        folder.addImage("mouse-q1.bin", firmwareImageBytes(210, 1, quint32(mouseImage), "QZM-Q1"));
    return true;
}

void setUpdateFailRecord(const QString &record)
{
    if (record.isEmpty())
        removeUpdateFailInfo();
    else
        RegistryKey(updateTraceKeyPath()).setValue("UpdateFailInfo", record);
}

DeviceAllInfo settingsEntry(const char *id, const char *mouseBehind)
{
    DeviceAllInfo d = listedDevice(id);
    unsigned char reply[kUsbAddressBufferSize] = {};
    UsbFinderC_GetDeviceOnLineWithUsbAddress(d.devicePath.toUtf8().constData(), reply);
    d.subDevices = {reply[7], reply[8], reply[9]};
    const QString own = deviceVersionText(quint32(hidsim::firmwareVersion(id)));
    if (d.isWired) {
        d.mouseVersion = own;
    } else {
        d.usbVersion = own;
        if (mouseBehind)
            d.mouseVersion = deviceVersionText(quint32(hidsim::firmwareVersion(mouseBehind)));
    }
    return d;
}

void listDevices(const QStringList &ids, const char *mouseBehind)
{
    g_deviceList.clear();
    for (const QString &id : ids)
        g_deviceList.append(settingsEntry(id.toLatin1().constData(), mouseBehind));
    g_deviceListCurrent = true;
}

void selectDevice(const char *id, const char *mouseBehind)
{
    g_selectedDevice = settingsEntry(id, mouseBehind);
    g_selectedDevice.online = 1;
}

void addSettingsBenchColumns()
{
    QTest::addColumn<QString>("fixture");
    QTest::addColumn<QStringList>("listed");
    QTest::addColumn<QString>("selected");
    QTest::addColumn<QString>("record");
    QTest::addColumn<int>("receiverImage");   // version of the image in bin/; 0 none
    QTest::addColumn<int>("mouseImage");
}

bool startSettingsBenchRow(FirmwareProgramFolder &folder)
{
    QFETCH(QString, fixture);
    QFETCH(QStringList, listed);
    QFETCH(QString, selected);
    QFETCH(QString, record);
    QFETCH(int, receiverImage);
    QFETCH(int, mouseImage);
    if (!startSettingsBench(folder, fixture, receiverImage, mouseImage))
        return false;
    setUpdateFailRecord(record);
    listDevices(listed, "M1");
    selectDevice(selected.toLatin1().constData(), "M1");
    return true;
}

#include "deviceenumeration.h"

#include "HIDUsb.h"
#include "configsettings.h"
#include "devicesearch.h"

namespace {

constexpr int kInterface = 1;

} // namespace

QList<QByteArray> findDevicePaths(DeviceFind find, const QString &vid, const QString &pid, int most)
{
    const QByteArray vid8 = vid.toLatin1();
    const QByteArray pid8 = pid.toLatin1();
    char **found = nullptr;
    int count = 0;
    if (find == DeviceFind::DefaultInterface) {
        count = most;
        found = UsbFinderC_FindHidDevicesByDefaultDeviceId(vid8.constData(), pid8.constData(), &count);
    } else {
        found = UsbFinderC_FindHidDevicesByDeviceId(vid8.constData(), pid8.constData(), kInterface, most, &count);
    }
    // Never more entries than were asked for.
    return copyFoundPaths(found, count, most);
}

QList<QStringList> FamilyPids::lists() const
{
    return {usb, wireless, wireless2, wireless4, wireless8};
}

QStringList FamilyPids::searchOrder() const
{
    QStringList pids;
    for (const QStringList &list : lists()) {
        for (const QString &pid : list) {
            if (!pid.isEmpty())
                pids.append(pid);
        }
    }
    return pids;
}

FamilyPids readFamilyPids()
{
    ConfigSettings *config = ConfigSettings::instance();
    FamilyPids lists;
    lists.usb = config->readStringList("Option", "USB_PID");
    lists.wireless = config->readStringList("Option", "Wireless_PID");
    lists.wireless2 = config->readStringList("Option", "Wireless2_PID");
    lists.wireless4 = config->readStringList("Option", "Wireless4_PID");
    lists.wireless8 = config->readStringList("Option", "Wireless8_PID");
    return lists;
}

void enumerateDevices(DeviceFind find, const QString &vid, const QStringList &pids, const FoundDevice &found)
{
    for (const QString &pid : pids) {
        for (const QByteArray &path : findDevicePaths(find, vid, pid)) {
            DeviceAllInfo record = foundDeviceRecord(path, vid, pid);
            found(record, path);
        }
    }
}

bool sameSubDevices(const DeviceAllInfo &a, const DeviceAllInfo &b)
{
    if (a.subDevices.size() < 3 || b.subDevices.size() < 3)
        return false;
    return a.subDevices.mid(0, 3) == b.subDevices.mid(0, 3);
}

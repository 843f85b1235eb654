#include "deviceenumeration.h"

#include "HIDUsb.h"
#include "configsettings.h"
#include "devicelink.h"
#include "devicesearch.h"
#include "devicestate.h"
#include "linktable.h"

QList<DeviceAllInfo> g_foundDevices;
QList<DeviceAllInfo> g_shownDevices;
QList<DeviceAllInfo> g_deviceList;
bool g_deviceListCurrent = false;
bool g_duplicateDevices = false;

QStringList g_wirelessPids;
QStringList g_wireless2Pids;
QStringList g_wireless4Pids;
QStringList g_wireless8Pids;
QString g_searchVid;
QVector<QString> g_searchPids;

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

// ---- The device list's enumeration -------------------------------------------------

void enumerateFoundDevices()
{
    const QString vid = ConfigSettings::instance()->readString("Option", "VID");
    g_shownDevices.clear();
    g_foundDevices.clear();

    const FamilyPids lists = readFamilyPids();
    g_wireless2Pids = lists.wireless2;
    g_wireless4Pids = lists.wireless4;
    g_wireless8Pids = lists.wireless8;
    g_wirelessPids = lists.wireless;

    const QStringList searchOrder = lists.searchOrder();
    g_searchVid = vid;
    g_searchPids = QVector<QString>(searchOrder.begin(), searchOrder.end());

    findDevicesByPids(vid, searchOrder);
}

void findDevicesByPids(const QString &vid, const QStringList &pids)
{
    enumerateDevices(DeviceFind::DefaultInterface, vid, pids, [](DeviceAllInfo &r, const QByteArray &) {
        if (identifyFoundDevice(r)) {
            g_shownDevices.append(r);
            g_foundDevices.append(r);
        }
    });
}

bool identifyFoundDevice(DeviceAllInfo &record)
{
    const QByteArray path8 = record.devicePath.toLatin1();
    const DeviceAllInfo asFound = record;
    const DeviceMatch match = identifyDevice(record, path8.constData());
    if (match == DeviceMatch::Recognised && deviceAnswers(path8.constData()))
        record.online = 1;
    // A record the list does not take stays as it was.
    if (isListed(match))
        return true;
    record = asFound;
    return false;
}

namespace {

// Writes a refreshed shown entry back into g_foundDevices. The two lists
// stop being parallel once the receiver rule has removed shown entries, so
// the entry is found by its path: the one at the same index when it is that
// device, else the first with that path.
void storeFoundDevice(int index, const DeviceAllInfo &record)
{
    if (index >= 0 && index < g_foundDevices.size() && g_foundDevices.at(index).devicePath == record.devicePath) {
        g_foundDevices[index] = record;
        return;
    }
    for (DeviceAllInfo &entry : g_foundDevices) {
        if (entry.devicePath == record.devicePath) {
            entry = record;
            return;
        }
    }
}

} // namespace

void refreshShownDevice(int index, bool reidentify)
{
    if (index < 0 || index >= g_shownDevices.size())
        return;
    DeviceAllInfo r = g_shownDevices.at(index);
    r.online = 0;
    readDeviceAddress(r.devicePath.toLatin1().constData(), g_usbAddressResult);
    if (reidentify)
        identifyFoundDevice(r);
    r.online = g_usbAddressResult[6] == 1 ? 1 : 0;
    r.subDevices = {g_usbAddressResult[7], g_usbAddressResult[8], g_usbAddressResult[9]};
    g_shownDevices[index] = r;
    storeFoundDevice(index, r);
}

void decideShownDevices()
{
    if (g_shownDevices.isEmpty())
        return;

    // One column per configured model; an entry of any other index (the
    // unrecognised one among them) is not counted.
    const int total = configuredDeviceTotal();
    QVector<QVector<int>> counts(kDeviceKindCount, QVector<int>(qMax(total, 0), 0));
    for (int i = 0; i < g_shownDevices.size(); ++i) {
        const DeviceAllInfo &entry = g_shownDevices.at(i);
        const int kind = deviceKindOf(entry);
        if (kind >= 0 && entry.driveIndex >= 0 && entry.driveIndex < total)
            ++counts[kind][entry.driveIndex];
        refreshShownDevice(i);
    }

    g_duplicateDevices = false;
    for (int d = 0; d < total; ++d) {
        // A model is doubled when two records of one kind exist for it (two
        // cable mice, or two receivers of the same link).
        for (int kind = 0; kind < kDeviceKindCount; ++kind) {
            if (counts[kind][d] > 1)
                g_duplicateDevices = true;
        }
        // Exactly one mouse of the model on its cable: the receiver it is
        // paired with reaches that same mouse, so the receiver's entry gets
        // no card (g_foundDevices keeps it). A receiver with another mouse
        // keeps its card beside the cable mouse's.
        if (!g_duplicateDevices && counts[0][d] == 1) {
            DeviceAllInfo cable;
            for (const DeviceAllInfo &entry : qAsConst(g_shownDevices)) {
                if (entry.driveIndex == d && entry.isWired)
                    cable = entry;
            }
            for (int i = g_shownDevices.size() - 1; i >= 0; --i) {
                const DeviceAllInfo &entry = g_shownDevices.at(i);
                if (entry.driveIndex == d && entry.isWired == 0 && sameSubDevices(entry, cable))
                    g_shownDevices.removeAt(i);
            }
        }
    }
}

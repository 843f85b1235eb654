#include "updatereadback.h"

#include "HIDUsb.h"
#include "configsettings.h"
#include "deviceenumeration.h"
#include "devicesearch.h"
#include "firmwareimage.h"
#include "linktable.h"
#include "updatedecision.h"
#include "updatetraces.h"

quint32 UpdateTarget::imageVersion() const
{
    return parseFirmwareHeader(image).version;
}

bool UpdateTarget::isReceiver() const
{
    return deviceCode == kReceiverDeviceCode;
}

QList<DeviceAllInfo> searchFamilyDevices()
{
    QList<DeviceAllInfo> devices;
    const QString vid = ConfigSettings::instance()->readString("Option", "VID");
    enumerateDevices(DeviceFind::DefaultInterface, vid, readFamilyPids().searchOrder(),
                     [&devices](DeviceAllInfo &record, const QByteArray &path) {
                         // Only a device that answers with its ids tells its version.
                         if (identifyDevice(record, path.constData()) == DeviceMatch::Recognised)
                             devices.append(record);
                     });
    return devices;
}

QString reportedVersion(const DeviceAllInfo &device)
{
    return device.usbVersion;
}

bool matchesTarget(const UpdateTarget &target, const DeviceAllInfo &device)
{
    if (device.cid != target.cid || device.mid != target.mid)
        return false;
    if (target.isReceiver())
        return !device.isWired && receiverClassOfLink(device.linkType) == target.receiverClass;
    return device.isWired != 0;
}

const DeviceAllInfo *listedTarget(const UpdateTarget &target, const QList<DeviceAllInfo> &devices)
{
    const DeviceAllInfo *found = nullptr;
    for (const DeviceAllInfo &device : devices) {
        if (!matchesTarget(target, device))
            continue;
        if (!found || device.devicePath == target.path)
            found = &device;
        if (device.devicePath == target.path)
            break;
    }
    return found;
}

bool runsImage(const UpdateTarget &target, const DeviceAllInfo &device)
{
    return !target.image.isEmpty() && reportedVersion(device) == firmwareVersionText(target.imageVersion());
}

TargetReport readBackTarget(const UpdateTarget &target, const QList<DeviceAllInfo> &devices)
{
    if (!target.image.isEmpty() && countBootDevices(target.image, 0) > 0)
        return TargetReport::InUpdateMode;
    const DeviceAllInfo *found = listedTarget(target, devices);
    if (!found)
        return TargetReport::Missing;
    return runsImage(target, *found) ? TargetReport::Right : TargetReport::OtherVersion;
}

TargetReport readBackTarget(const UpdateTarget &target)
{
    return readBackTarget(target, searchFamilyDevices());
}

// ---- The failure record ---------------------------------------------------------------

QString groupOfMid(int mid)
{
    const int total = configuredDeviceTotal();
    for (int k = 0; k < total; ++k) {
        if (modelMid(driveGroup(k)) == mid)
            return driveGroup(k);
    }
    return QString();
}

namespace {

QString modelOf(const QString &group, int deviceCode, int receiverClass)
{
    return deviceCode == kMouseDeviceCode ? mouseModelOf(group) : receiverModelOf(group, receiverClass);
}

// The target of a device kind with the image "bin" holds for it.
UpdateTarget targetWithImage(int deviceCode, int receiverClass, int cid, int mid)
{
    UpdateTarget target;
    target.deviceCode = deviceCode;
    target.receiverClass = receiverClass;
    target.cid = cid;
    target.mid = mid;
    QList<QByteArray> image;
    if (searchFirmwareImages(FirmwareSearchMode::RepairTwin, u8(deviceCode), QString(),
                             modelOf(groupOfMid(mid), deviceCode, receiverClass), u8(cid), u8(mid), &image))
        target.image = image.first();
    return target;
}

bool sameDevice(const UpdateTarget &a, const UpdateTarget &b)
{
    return a.deviceCode == b.deviceCode && a.cid == b.cid && a.mid == b.mid
           && (!a.isReceiver() || a.receiverClass == b.receiverClass);
}

// The class of a receiver listed with this model id, for the record of a
// mouse beside it; 0 when none is.
int listedReceiverClass(const QList<DeviceAllInfo> &devices, int mid)
{
    for (const DeviceAllInfo &device : devices) {
        if (!device.isWired && device.mid == mid && receiverClassOfLink(device.linkType) != 0)
            return receiverClassOfLink(device.linkType);
    }
    return 0;
}

// With no record: the first device of the product found waiting in update
// mode for an image of "bin", receivers before the mouse.
bool recordWaitingDevice()
{
    const int cid = productCid();
    const int total = configuredDeviceTotal();
    for (int k = 0; k < total; ++k) {
        const int mid = modelMid(driveGroup(k));
        QList<UpdateTarget> kinds;
        for (int i = 0; i < kReceiverClassCount; ++i)
            kinds.append(targetWithImage(kReceiverDeviceCode, receiverClassAt(i), cid, mid));
        kinds.append(targetWithImage(kMouseDeviceCode, 0, cid, mid));
        for (UpdateTarget &target : kinds) {
            if (target.image.isEmpty() || countBootDevices(target.image, 0) == 0)
                continue;
            if (!target.isReceiver())
                target.receiverClass = listedReceiverClass(searchFamilyDevices(), mid);
            writeUpdateFailInfo(target.deviceCode, target.receiverClass, target.cid, target.mid);
            return true;
        }
    }
    return false;
}

} // namespace

namespace {

// The device the failure record names, without its image; null deviceCode
// for no or a broken record.
UpdateTarget recordedDevice()
{
    const QStringList record = readUpdateFailFields();
    UpdateTarget recorded;
    if (record.isEmpty())
        return recorded;
    const int code = record.at(0).toInt(nullptr, 10);
    if (code != kMouseDeviceCode && code != kReceiverDeviceCode)
        return recorded;
    recorded.deviceCode = code;
    recorded.receiverClass = receiverClassOfText(record.at(1));
    recorded.cid = record.at(2).toInt(nullptr, 10);
    recorded.mid = record.at(3).toInt(nullptr, 10);
    return recorded;
}

// The version of a mouse away from its cable, as a listed receiver with
// its ids reads it from the mouse paired with it (empty: none answers).
QString versionThroughReceiver(const UpdateTarget &mouse, const QList<DeviceAllInfo> &devices)
{
    for (const DeviceAllInfo &device : devices) {
        if (device.isWired || device.cid != mouse.cid || device.mid != mouse.mid)
            continue;
        const QByteArray path = device.devicePath.toUtf8();
        if (const int version = UsbFinderC_GetVersion(path.constData()))
            return deviceVersionText(quint32(version));
    }
    return QString();
}

// A recorded device is settled only when it reads back right, a mouse also
// through its receiver; one with no image to be compared with is left for
// the user's repair.
bool unsettled(const UpdateTarget &recorded)
{
    if (recorded.image.isEmpty())
        return true;
    const QList<DeviceAllInfo> devices = searchFamilyDevices();
    const TargetReport report = readBackTarget(recorded, devices);
    if (report == TargetReport::Missing && !recorded.isReceiver())
        return versionThroughReceiver(recorded, devices) != firmwareVersionText(recorded.imageVersion());
    return report != TargetReport::Right;
}

} // namespace

UpdateTarget recordedTarget()
{
    const UpdateTarget recorded = recordedDevice();
    return recorded.deviceCode == 0
               ? recorded
               : targetWithImage(recorded.deviceCode, recorded.receiverClass, recorded.cid, recorded.mid);
}

bool settleUpdateFailRecord()
{
    const bool kept = !readUpdateFailInfo().isEmpty();
    const UpdateTarget recorded = recordedTarget();
    if (recorded.deviceCode != 0) {
        if (unsettled(recorded))
            return true;
        removeUpdateFailInfo();
        return recordWaitingDevice();
    }
    // A record the program cannot read names no device: one that waits in
    // update mode takes its place.
    return recordWaitingDevice() || kept;
}

void recordUnfinishedTarget(const UpdateTarget &target)
{
    const UpdateTarget recorded = recordedTarget();
    if (recorded.deviceCode != 0 && !sameDevice(recorded, target) && unsettled(recorded))
        return;
    writeUpdateFailInfo(target.deviceCode, target.receiverClass, target.cid, target.mid);
}

bool forgetRecordOf(const UpdateTarget &target)
{
    const UpdateTarget recorded = recordedDevice();
    if (recorded.deviceCode == 0 || !sameDevice(recorded, target))
        return false;
    removeUpdateFailInfo();
    return true;
}

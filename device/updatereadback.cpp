#include "updatereadback.h"

#include "HIDUsb.h"
#include "configsettings.h"
#include "devicelink.h"
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

bool UpdateTarget::sameKind(const DeviceAllInfo &device) const
{
    if (device.cid != cid || device.mid != mid)
        return false;
    if (isReceiver())
        return !device.isWired && receiverClassOfLink(device.linkType) == receiverClass;
    return device.isWired != 0;
}

bool sameTargetKind(const UpdateTarget &a, const UpdateTarget &b)
{
    return a.deviceCode == b.deviceCode && a.cid == b.cid && a.mid == b.mid
           && (!a.isReceiver() || a.receiverClass == b.receiverClass);
}

bool UpdateTarget::imageFits(const DeviceAllInfo &device) const
{
    return device.cid == cid && device.mid == mid && (device.isWired != 0) != isReceiver();
}

QByteArray pairingIdOf(const DeviceAllInfo &device)
{
    if (device.subDevices.size() < 3)
        return QByteArray();
    QByteArray id;
    for (int i = 0; i < 3; ++i)
        id.append(char(device.subDevices.at(i)));
    // A mouse paired with no receiver tells three zeros.
    return id == QByteArray(3, '\0') ? QByteArray() : id;
}

namespace {

int waitingDevices(const QByteArray &image)
{
    // A count the library does not write is not known: -1.
    return image.isEmpty() ? 0 : countBootDevices(image, -1);
}

bool sameReceiverId(const UpdateTarget &target, const DeviceAllInfo &device)
{
    return !target.receiverId.isEmpty() && pairingIdOf(device) == target.receiverId;
}

} // namespace

BusView readBus()
{
    BusView bus;
    const FamilyPids pids = readFamilyPids();
    const QString vid = ConfigSettings::instance()->readString("Option", "VID");
    enumerateDevices(DeviceFind::DefaultInterface, vid, pids.searchOrder(),
                     [&bus, &pids](DeviceAllInfo &record, const QByteArray &path) {
                         const DeviceMatch match = identifyDevice(record, path.constData());
                         if (match == DeviceMatch::NoAnswer) {
                             record.isWired = pids.usb.contains(record.pidText) ? 1 : 0;
                             bus.unanswered.append(record);
                         } else if (match == DeviceMatch::Recognised) {
                             u8 answer[10] = {};
                             readDeviceAddress(path.constData(), answer);
                             record.subDevices = {answer[7], answer[8], answer[9]};
                             bus.devices.append(record);
                         }
                     });
    bus.waitingFor = waitingDevices;
    return bus;
}

BusView busOf(const QList<DeviceAllInfo> &devices)
{
    BusView bus;
    bus.devices = devices;
    bus.waitingFor = waitingDevices;
    return bus;
}

const DeviceAllInfo *listedTarget(const UpdateTarget &target, const QList<DeviceAllInfo> &devices)
{
    for (const DeviceAllInfo &device : devices) {
        if (target.sameKind(device) && ((!target.path.isEmpty() && device.devicePath == target.path)
                                        || sameReceiverId(target, device)))
            return &device;
    }
    return nullptr;
}

bool runsImage(const UpdateTarget &target, const DeviceAllInfo &device)
{
    return !target.image.isEmpty() && device.usbVersion == firmwareVersionText(target.imageVersion());
}

namespace {

// The version a mouse away from its cable answers with through the listed
// receiver it is paired with: that receiver reaches this mouse alone. Empty
// when no such receiver is listed or the mouse does not answer.
QString versionThroughReceiver(const UpdateTarget &mouse, const QList<DeviceAllInfo> &devices)
{
    for (const DeviceAllInfo &device : devices) {
        if (device.isWired || !sameReceiverId(mouse, device))
            continue;
        const QByteArray path = device.devicePath.toUtf8();
        if (const int version = UsbFinderC_GetVersion(path.constData()))
            return deviceVersionText(quint32(version));
    }
    return QString();
}

} // namespace

TargetReport readBackTarget(const UpdateTarget &target, const BusView &bus)
{
    const QString imageVersion = firmwareVersionText(target.imageVersion());
    if (const DeviceAllInfo *found = listedTarget(target, bus.devices)) {
        // A device that tells no version has not answered yet.
        if (found->usbVersion.isEmpty())
            return TargetReport::Missing;
        return found->usbVersion == imageVersion ? TargetReport::Right : TargetReport::OtherVersion;
    }
    if (!target.isReceiver()) {
        const QString version = versionThroughReceiver(target, bus.devices);
        if (!version.isEmpty())
            return version == imageVersion ? TargetReport::Right : TargetReport::OtherVersion;
    }
    // Not answering: whether it waits in update mode is what the count says
    // (an unanswered count may be it).
    return bus.waitingFor(target.image) != 0 ? TargetReport::InUpdateMode : TargetReport::Missing;
}

void findComeBack(UpdateTarget &target, const BusView &bus, const QStringList &pathsBefore)
{
    if (!target.waiting || !target.path.isEmpty() || !target.receiverId.isEmpty())
        return;
    const DeviceAllInfo *appeared = nullptr;
    int count = 0;
    for (const DeviceAllInfo &device : bus.devices) {
        if (target.sameKind(device) && !pathsBefore.contains(device.devicePath)) {
            appeared = &device;
            ++count;
        }
    }
    if (count == 1) {
        target.path = appeared->devicePath;
        target.receiverId = pairingIdOf(*appeared);
    }
}

UpdaterChoice updaterChoice(const UpdateTarget &target, const BusView &bus)
{
    const int waiting = bus.waitingFor(target.image);
    if (waiting < 0)
        return UpdaterChoice::Several;
    if (target.waiting)
        return waiting == 0 ? UpdaterChoice::Nobody : waiting == 1 ? UpdaterChoice::Target : UpdaterChoice::Several;
    // A device waiting in update mode takes any image that fits it first.
    if (waiting > 0)
        return waiting == 1 ? UpdaterChoice::Another : UpdaterChoice::Several;
    const DeviceAllInfo *taker = nullptr;
    int takers = 0;
    for (const DeviceAllInfo &device : bus.devices) {
        if (target.imageFits(device)) {
            taker = &device;
            ++takers;
        }
    }
    // A device of the image's kind that told no ids may be one it fits.
    for (const DeviceAllInfo &device : bus.unanswered)
        takers += (device.isWired != 0) != target.isReceiver() ? 1 : 0;
    if (takers == 0)
        return UpdaterChoice::Nobody;
    if (takers > 1)
        return UpdaterChoice::Several;
    return taker && taker == listedTarget(target, bus.devices) ? UpdaterChoice::Target : UpdaterChoice::Another;
}

QString groupOfMid(int mid)
{
    const int total = configuredDeviceTotal();
    for (int k = 0; k < total; ++k) {
        if (modelMid(driveGroup(k)) == mid)
            return driveGroup(k);
    }
    return QString();
}

UpdateTarget targetWithImage(int deviceCode, int receiverClass, int cid, int mid)
{
    UpdateTarget target;
    target.deviceCode = deviceCode;
    target.receiverClass = receiverClass;
    target.cid = cid;
    target.mid = mid;
    const QString group = groupOfMid(mid);
    const QString model = deviceCode == kMouseDeviceCode ? mouseModelOf(group) : receiverModelOf(group, receiverClass);
    QList<QByteArray> image;
    if (searchFirmwareImages(FirmwareSearchMode::RepairTwin, u8(deviceCode), QString(), model, u8(cid), u8(mid), &image))
        target.image = image.first();
    return target;
}

// ---- The failure record ---------------------------------------------------------------

namespace {

// The device the record names, without its image; null deviceCode for no
// or a broken record.
UpdateTarget recordedDevice(bool *identityKept)
{
    const QStringList record = readUpdateFailFields();
    UpdateTarget recorded;
    if (identityKept)
        *identityKept = false;
    if (record.isEmpty())
        return recorded;
    const int code = record.at(0).toInt(nullptr, 10);
    if (code != kMouseDeviceCode && code != kReceiverDeviceCode)
        return recorded;
    recorded.deviceCode = code;
    recorded.receiverClass = receiverClassOfText(record.at(1));
    recorded.cid = record.at(2).toInt(nullptr, 10);
    recorded.mid = record.at(3).toInt(nullptr, 10);
    const RecordedDevice which = readUpdateFailDevice();
    recorded.path = which.path;
    recorded.receiverId = which.receiverId;
    if (identityKept)
        *identityKept = which.kept && (!which.path.isEmpty() || !which.receiverId.isEmpty());
    return recorded;
}

bool sameRecordedDevice(const UpdateTarget &recorded, const UpdateTarget &target)
{
    if (!sameTargetKind(recorded, target))
        return false;
    if (target.fromRecord)
        return true;
    // Only a record that names its device by path or receiver id knows
    // which device of its kind it is.
    return (!recorded.path.isEmpty() && recorded.path == target.path)
           || (!recorded.receiverId.isEmpty() && recorded.receiverId == target.receiverId);
}

void writeRecordOf(const UpdateTarget &target, bool writeBegun = false)
{
    writeUpdateFailInfo(target.deviceCode, target.receiverClass, target.cid, target.mid);
    writeUpdateFailDevice(target.path, target.receiverId, writeBegun);
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
// mode for an image of "bin", receivers before the mouse. Which device of
// its model it is, nothing tells.
bool recordWaitingDevice(const BusView &bus)
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
            if (target.image.isEmpty() || bus.waitingFor(target.image) <= 0)
                continue;
            if (!target.isReceiver())
                target.receiverClass = listedReceiverClass(bus.devices, mid);
            writeRecordOf(target);
            return true;
        }
    }
    return false;
}

} // namespace

UpdateTarget recordedTarget(bool *identityKept)
{
    UpdateTarget recorded = recordedDevice(identityKept);
    recorded.fromRecord = recorded.deviceCode != 0;
    if (recorded.deviceCode != 0)
        recorded.image = targetWithImage(recorded.deviceCode, recorded.receiverClass, recorded.cid, recorded.mid).image;
    return recorded;
}

bool recordedDeviceRight(const UpdateTarget &recorded, bool identityKept, const BusView &bus)
{
    // Without an image to compare with, the user's repair decides.
    if (recorded.image.isEmpty())
        return false;
    if (identityKept)
        return readBackTarget(recorded, bus) == TargetReport::Right;
    // A device seen waiting whose path was never known is right only once
    // its repair has read it back (away, it may still wait), or once a
    // write of it began whose end the program did not hear.
    const RecordedDevice which = readUpdateFailDevice();
    if ((which.kept && !which.writeBegun) || bus.waitingFor(recorded.image) != 0)
        return false;
    bool listed = false;
    for (const DeviceAllInfo &device : bus.devices) {
        if (!recorded.sameKind(device))
            continue;
        if (!runsImage(recorded, device))
            return false;
        listed = true;
    }
    return listed;
}

bool settleUpdateFailRecord()
{
    const bool kept = !readUpdateFailInfo().isEmpty();
    const BusView bus = readBus();
    bool identityKept = false;
    const UpdateTarget recorded = recordedTarget(&identityKept);
    if (recorded.deviceCode != 0) {
        // A record that does not say which device it names, seen while a
        // device of its kind waits: it names a waiting device from now on.
        if (!readUpdateFailDevice().kept && bus.waitingFor(recorded.image) > 0)
            writeUpdateFailDevice(QString(), QByteArray());
        if (!recordedDeviceRight(recorded, identityKept, bus))
            return true;
        removeUpdateFailInfo();
        return recordWaitingDevice(bus);
    }
    // A record the program cannot read names no device: one that waits in
    // update mode takes its place.
    return recordWaitingDevice(bus) || kept;
}

bool recordUnfinishedTarget(const UpdateTarget &target, bool mayComeBack)
{
    bool identityKept = false;
    const UpdateTarget recorded = recordedTarget(&identityKept);
    if (recorded.deviceCode != 0 && !sameRecordedDevice(recorded, target)
        && !recordedDeviceRight(recorded, identityKept, readBus()))
        return false;
    writeRecordOf(target, mayComeBack && target.path.isEmpty() && target.receiverId.isEmpty());
    return true;
}

bool forgetRecordOf(const UpdateTarget &target)
{
    const UpdateTarget recorded = recordedDevice(nullptr);
    if (recorded.deviceCode == 0 || !sameRecordedDevice(recorded, target))
        return false;
    removeUpdateFailInfo();
    return true;
}

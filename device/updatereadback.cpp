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

const DeviceAllInfo *listedAt(const UpdateTarget &target, const QList<DeviceAllInfo> &devices)
{
    if (target.path.isEmpty())
        return nullptr;
    for (const DeviceAllInfo &device : devices) {
        if (device.devicePath == target.path && target.sameKind(device))
            return &device;
    }
    return nullptr;
}

bool runsImage(const UpdateTarget &target, const DeviceAllInfo &device)
{
    return !target.image.isEmpty() && device.usbVersion == firmwareVersionText(target.imageVersion());
}

// ---- What a run has seen of the bus ---------------------------------------------------

void BusWatch::start(const BusView &bus)
{
    m_seen.clear();
    m_cameDuring.clear();
    m_write = -1;
    m_writing = false;
    observe(bus);
    for (Sighting &sighting : m_seen)
        sighting.stayed = true;
}

void BusWatch::writeBegins()
{
    ++m_write;
    m_writing = true;
    m_cameDuring.clear();
}

void BusWatch::writeEnded()
{
    m_writing = false;
}

void BusWatch::observe(const BusView &bus)
{
    // A device that told no ids is on the bus all the same.
    QMap<QString, Arrival> present;
    for (const DeviceAllInfo &device : bus.devices)
        present.insert(device.devicePath, {device, true});
    for (const DeviceAllInfo &device : bus.unanswered)
        present.insert(device.devicePath, {device, false});
    for (auto it = m_seen.begin(); it != m_seen.end();) {
        if (present.contains(it.key()))
            ++it;
        else
            it = m_seen.erase(it);
    }
    for (auto it = present.cbegin(); it != present.cend(); ++it) {
        if (m_seen.contains(it.key()))
            continue;
        Sighting sighting;
        sighting.write = m_write;
        sighting.during = m_writing;
        m_seen.insert(it.key(), sighting);
        if (m_writing)
            m_cameDuring << it.value();
    }
}

const DeviceAllInfo *BusWatch::known(const UpdateTarget &target, const BusView &bus) const
{
    const DeviceAllInfo *device = listedAt(target, bus.devices);
    return device && m_seen.value(device->devicePath).stayed ? device : nullptr;
}

bool BusWatch::adoptComeBack(UpdateTarget &target, const BusView &bus)
{
    if (m_writing || m_write < 0)
        return false;
    // A device of its kind that came while it was written may be the one
    // that comes back, or stand where it will: neither can be told.
    // One that told no ids may be of its kind.
    for (const Arrival &came : qAsConst(m_cameDuring)) {
        if (came.answered ? target.sameKind(came.device) : (came.device.isWired != 0) != target.isReceiver())
            return false;
    }
    const DeviceAllInfo *back = nullptr;
    for (const DeviceAllInfo &device : bus.devices) {
        const Sighting sighting = m_seen.value(device.devicePath);
        if (!target.sameKind(device) || sighting.stayed || sighting.write != m_write || sighting.during)
            continue;
        if (back)
            return false;
        back = &device;
    }
    if (!back)
        return false;
    target.path = back->devicePath;
    target.receiverId = pairingIdOf(*back);
    m_seen[back->devicePath].stayed = true;
    return true;
}

TargetReport readBackTarget(const UpdateTarget &target, const BusView &bus, const DeviceAllInfo *known)
{
    if (known) {
        // A device that tells no version has not answered yet.
        if (known->usbVersion.isEmpty())
            return TargetReport::Missing;
        return runsImage(target, *known) ? TargetReport::Right : TargetReport::OtherVersion;
    }
    // Not known: whether something waits in update mode is what the count
    // says (an unanswered count may be it).
    return bus.waitingFor(target.image) != 0 ? TargetReport::InUpdateMode : TargetReport::Missing;
}

UpdaterChoice updaterChoice(const UpdateTarget &target, const BusView &bus, const DeviceAllInfo *known)
{
    const int waiting = bus.waitingFor(target.image);
    if (waiting < 0)
        return UpdaterChoice::NoAnswer;
    if (target.waiting)
        return waiting == 0 ? UpdaterChoice::Absent : waiting == 1 ? UpdaterChoice::Target : UpdaterChoice::Several;
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
        return UpdaterChoice::Absent;
    if (takers > 1)
        return UpdaterChoice::Several;
    if (!taker)
        return UpdaterChoice::NoAnswer;
    if (taker == known)
        return UpdaterChoice::Target;
    // At its own path but not known: it left the bus since, and what is
    // there now may be another.
    return taker->devicePath == target.path ? UpdaterChoice::Absent : UpdaterChoice::Another;
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

UpdateTarget kindWithImage(int deviceCode, int receiverClass, int cid, int mid, const FirmwareShelf &shelf,
                           const ProductModels &product)
{
    UpdateTarget target;
    target.deviceCode = deviceCode;
    target.receiverClass = receiverClass;
    target.cid = cid;
    target.mid = mid;
    const QString model =
        deviceCode == kMouseDeviceCode ? product.mouseModel(mid) : product.receiverModel(mid, receiverClass);
    target.image =
        shelfImageFor(shelf, FirmwareSearchMode::RepairTwin, u8(deviceCode), QString(), model, u8(cid), u8(mid));
    return target;
}

UpdateTarget targetWithImage(int deviceCode, int receiverClass, int cid, int mid)
{
    return kindWithImage(deviceCode, receiverClass, cid, mid, readFirmwareShelf(), readProductModels());
}

// ---- The failure record ---------------------------------------------------------------

RecordView readRecordView()
{
    RecordView view;
    const QStringList record = readUpdateFailFields();
    view.present = !record.isEmpty();
    if (record.isEmpty())
        return view;
    const int code = record.at(0).toInt(nullptr, 10);
    if (code != kMouseDeviceCode && code != kReceiverDeviceCode)
        return view;
    UpdateTarget &recorded = view.device;
    recorded.deviceCode = code;
    recorded.receiverClass = receiverClassOfText(record.at(1));
    recorded.cid = record.at(2).toInt(nullptr, 10);
    recorded.mid = record.at(3).toInt(nullptr, 10);
    recorded.fromRecord = true;
    const RecordedDevice which = readUpdateFailDevice();
    recorded.path = which.path;
    recorded.receiverId = which.receiverId;
    view.identity = !which.kept ? RecordIdentity::None
                    : which.path.isEmpty() ? RecordIdentity::Waiting
                                           : RecordIdentity::Path;
    view.writeBegun = which.writeBegun;
    return view;
}

namespace {

bool sameRecordedDevice(const RecordView &record, const UpdateTarget &target)
{
    if (!sameTargetKind(record.device, target))
        return false;
    if (target.fromRecord)
        return true;
    // Only a record that names its device by its path knows which device
    // of its kind it is.
    return record.identity == RecordIdentity::Path && record.device.path == target.path;
}

void writeRecordOf(const UpdateTarget &target, bool writeBegun = false)
{
    // A target that is the recorded device and is not known by a path of
    // its own yet keeps what the record says of it.
    if (target.fromRecord && target.path.isEmpty()) {
        const RecordedDevice which = readUpdateFailDevice();
        writeUpdateFailInfo(target.deviceCode, target.receiverClass, target.cid, target.mid);
        writeUpdateFailDevice(which.path, which.receiverId, writeBegun);
        return;
    }
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
    const FirmwareShelf shelf = readFirmwareShelf();
    const ProductModels product = readProductModels();
    for (const ProductModels::Model &model : product.models) {
        QList<UpdateTarget> kinds;
        for (int i = 0; i < kReceiverClassCount; ++i)
            kinds.append(kindWithImage(kReceiverDeviceCode, receiverClassAt(i), product.cid, model.mid, shelf, product));
        kinds.append(kindWithImage(kMouseDeviceCode, 0, product.cid, model.mid, shelf, product));
        for (UpdateTarget &target : kinds) {
            if (target.image.isEmpty() || bus.waitingFor(target.image) <= 0)
                continue;
            if (!target.isReceiver())
                target.receiverClass = listedReceiverClass(bus.devices, model.mid);
            writeRecordOf(target);
            return true;
        }
    }
    return false;
}

} // namespace

UpdateTarget recordedTarget()
{
    UpdateTarget recorded = readRecordView().device;
    if (recorded.deviceCode != 0)
        recorded.image = targetWithImage(recorded.deviceCode, recorded.receiverClass, recorded.cid, recorded.mid).image;
    return recorded;
}

bool recordedDeviceRight(const UpdateTarget &recorded, const RecordView &record, const BusView &bus)
{
    // Without an image to compare with, the user's repair decides.
    if (recorded.image.isEmpty())
        return false;
    if (record.identity == RecordIdentity::Path) {
        const DeviceAllInfo *device = listedAt(recorded, bus.devices);
        return device && runsImage(recorded, *device);
    }
    // A device seen waiting whose path was never known is right only once
    // its repair has read it back (away, it may still wait), or once a
    // write of it began whose end the program did not hear.
    if ((record.identity == RecordIdentity::Waiting && !record.writeBegun) || bus.waitingFor(recorded.image) != 0)
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
    RecordView record = readRecordView();
    const UpdateTarget recorded = recordedTarget();
    if (recorded.deviceCode != 0) {
        // A record that does not say which device it names, seen while a
        // device of its kind waits: it names a waiting device from now on.
        if (record.identity == RecordIdentity::None && bus.waitingFor(recorded.image) > 0) {
            writeUpdateFailDevice(QString(), QByteArray());
            record.identity = RecordIdentity::Waiting;
        }
        if (!recordedDeviceRight(recorded, record, bus))
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
    const RecordView record = readRecordView();
    if (record.device.deviceCode != 0 && !sameRecordedDevice(record, target)) {
        UpdateTarget recorded = record.device;
        recorded.image = targetWithImage(recorded.deviceCode, recorded.receiverClass, recorded.cid, recorded.mid).image;
        if (!recordedDeviceRight(recorded, record, readBus()))
            return false;
    }
    writeRecordOf(target, mayComeBack && target.path.isEmpty());
    return true;
}

bool forgetRecordOf(const UpdateTarget &target)
{
    const RecordView record = readRecordView();
    if (record.device.deviceCode == 0 || !sameRecordedDevice(record, target))
        return false;
    removeUpdateFailInfo();
    return true;
}

void forgetRecordOfNoDevice(int mid)
{
    const RecordView record = readRecordView();
    if (record.device.deviceCode != 0 && record.identity == RecordIdentity::None && record.device.mid == mid)
        removeUpdateFailInfo();
}

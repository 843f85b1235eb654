#include "updateplan.h"

#include "devicesearch.h"
#include "firmwareimage.h"
#include "linktable.h"
#include "updatedecision.h"
#include "updatetraces.h"

#include <algorithm>

RecordView readRecordView()
{
    RecordView record;
    record.present = !readUpdateFailFields().isEmpty();
    record.device = recordedTarget(&record.identityKept);
    return record;
}

int UpdatePlan::indexOf(int deviceCode) const
{
    for (int i = 0; i < targets.size(); ++i) {
        if (targets.at(i).deviceCode == deviceCode)
            return i;
    }
    return -1;
}

namespace {

UpdatePlan refused(UpdateReason reason, int receiverClass = 0)
{
    UpdatePlan plan;
    plan.reason = reason;
    plan.receiverClass = receiverClass;
    return plan;
}

// A listed receiver or mouse on its cable as a target, with the image "bin"
// holds for it against the version it reports (none: no image).
UpdateTarget listedDeviceTarget(const DeviceAllInfo &device, int deviceCode, int receiverClass,
                                FirmwareSearchMode mode)
{
    UpdateTarget target;
    target.deviceCode = deviceCode;
    target.receiverClass = receiverClass;
    target.cid = device.cid;
    target.mid = device.mid;
    target.path = device.devicePath;
    target.receiverId = pairingIdOf(device);
    const QString group = groupOfMid(device.mid);
    const QString model = deviceCode == kMouseDeviceCode ? mouseModelOf(group) : receiverModelOf(group, receiverClass);
    // A device whose version is not known is not written: every image
    // would look new to it.
    QList<QByteArray> image;
    if (!device.usbVersion.isEmpty()
        && searchFirmwareImages(mode, u8(deviceCode), device.usbVersion, model, u8(device.cid), u8(device.mid), &image))
        target.image = image.first();
    return target;
}

int receiverClassOf(const DeviceAllInfo &device)
{
    return device.isWired ? 0 : receiverClassOfLink(device.linkType);
}

// The other part of the product a repair pairs the recorded device with: the
// mouse on its cable for a receiver's record, the receiver for a mouse's;
// null when none of the model is listed.
const DeviceAllInfo *otherPartListed(const QList<DeviceAllInfo> &devices, const UpdateTarget &recorded)
{
    for (const DeviceAllInfo &device : devices) {
        if (device.mid == recorded.mid && (device.isWired != 0) == recorded.isReceiver())
            return &device;
    }
    return nullptr;
}

// The recorded device as the target of its repair: the device waiting in
// update mode for its image, or the device itself listed at another
// version. A device that is neither listed nor waiting is away: the user is
// asked to connect it, by its cable for a mouse.
UpdateReason resolveRecorded(const RecordView &record, const BusView &bus, UpdateTarget *resolved)
{
    UpdateTarget target = record.device;
    const UpdateReason away = target.isReceiver() ? UpdateReason::NoReceiver : UpdateReason::NoCable;
    // Without an image nothing can be written, nor asked whether the
    // device waits in update mode.
    if (target.image.isEmpty())
        return UpdateReason::FileError;
    const auto ofKind = [&target](const DeviceAllInfo &device) { return target.sameKind(device); };
    const int waiting = bus.waitingFor(target.image);
    if (waiting < 0 || waiting > 1)
        return UpdateReason::SameDevice;
    if (waiting == 1) {
        // A listed receiver of the class would take the image too.
        if (target.isReceiver() && std::any_of(bus.devices.begin(), bus.devices.end(), ofKind))
            return UpdateReason::SameDevice;
        target.waiting = true;
        *resolved = target;
        return UpdateReason::None;
    }
    // A record that does not say which device of its kind it names is
    // repaired only where that device waits in update mode: a listed device
    // of its model may be another one.
    const DeviceAllInfo *listed = record.identityKept ? listedTarget(target, bus.devices) : nullptr;
    if (!listed)
        return away;
    if (runsImage(target, *listed))
        return UpdateReason::NoDevice;
    target.path = listed->devicePath;
    target.receiverId = pairingIdOf(*listed);
    *resolved = target;
    return UpdateReason::None;
}

// A device of the recorded model of the other kind that waits in update
// mode as well: it is repaired right after the recorded one, before any
// listed device is written. False when several wait and none can be told.
bool addOtherWaiting(UpdatePlan &plan, const UpdateTarget &recorded, const BusView &bus)
{
    const int code = recorded.isReceiver() ? kMouseDeviceCode : kReceiverDeviceCode;
    UpdateTarget waiting = targetWithImage(code, recorded.receiverClass, recorded.cid, recorded.mid);
    const int count = waiting.image.isEmpty() ? 0 : bus.waitingFor(waiting.image);
    if (count == 1) {
        waiting.waiting = true;
        plan.targets << waiting;
    }
    return count == 0 || count == 1;
}

// The devices every repair writes first: the recorded one, then a device of
// its model of the other kind waiting in update mode. One that waits here
// is repaired even while the recorded one cannot be (no image, or away):
// the record stays with its device. Then the other part of the product
// must be listed, unless it is one of them.
UpdateReason addRepairTargets(UpdatePlan &plan, const RecordView &record, const BusView &bus)
{
    const UpdateTarget &recorded = record.device;
    UpdateTarget failed;
    const UpdateReason why = resolveRecorded(record, bus, &failed);
    if (why == UpdateReason::SameDevice)
        return why;
    if (why == UpdateReason::None)
        plan.targets << failed;
    if (!addOtherWaiting(plan, recorded, bus))
        return UpdateReason::SameDevice;
    const int otherCode = recorded.isReceiver() ? kMouseDeviceCode : kReceiverDeviceCode;
    if (!otherPartListed(bus.devices, recorded) && plan.indexOf(otherCode) < 0)
        return recorded.isReceiver() ? UpdateReason::NoCable : UpdateReason::NoReceiver;
    return plan.targets.isEmpty() ? why : UpdateReason::None;
}

// The repair from the settings page: the recorded device, and the other
// part of the product when its image differs.
UpdatePlan planSettingsRepair(const BusView &bus, const RecordView &record)
{
    const UpdateTarget &recorded = record.device;
    UpdatePlan plan;
    plan.receiverClass = recorded.receiverClass;
    const DeviceAllInfo *other = otherPartListed(bus.devices, recorded);
    if (other && other->cid != recorded.cid)
        return refused(UpdateReason::Error, plan.receiverClass);
    const UpdateReason why = addRepairTargets(plan, record, bus);
    if (why != UpdateReason::None)
        return refused(why == UpdateReason::FileError ? UpdateReason::Error : why, plan.receiverClass);
    // Then the listed devices the page's update covers, each when its image
    // is new: the other part of the product, and a mouse on its cable
    // beside a mouse that waits.
    for (const DeviceAllInfo &device : bus.devices) {
        const int code = device.isWired ? kMouseDeviceCode : kReceiverDeviceCode;
        const int receiverClass = device.isWired ? recorded.receiverClass : receiverClassOf(device);
        // A device of the card that tells no version cannot be compared:
        // nothing starts until it answers.
        if (device.mid == recorded.mid && device.usbVersion.isEmpty())
            return refused(UpdateReason::Error, plan.receiverClass);
        const UpdateTarget listed = listedDeviceTarget(device, code, receiverClass, FirmwareSearchMode::ChooseForUpdate);
        const bool already = std::any_of(plan.targets.begin(), plan.targets.end(),
                                         [&device](const UpdateTarget &t) { return listedTarget(t, {device}); });
        if (device.mid == recorded.mid && !already && !listed.image.isEmpty())
            plan.targets << listed;
    }
    return plan;
}

} // namespace

UpdatePlan planSettingsUpdate(const BusView &bus, const DeviceAllInfo &selected, const RecordView &record)
{
    const QList<DeviceAllInfo> &listed = bus.devices;
    if (listed.isEmpty())
        return refused(UpdateReason::Error);
    if (listed.size() >= 3) {
        // Three or more: several mice on their cables, else several receivers.
        const auto wired = std::count_if(listed.begin(), listed.end(), [](const DeviceAllInfo &d) { return d.isWired != 0; });
        return refused(wired >= 2 ? UpdateReason::MultiMouse : UpdateReason::MultiDongle);
    }
    // From a receiver's card the mouse on the cable must be that receiver's
    // own: one paired with another receiver is someone else's.
    if (!selected.isWired) {
        const QByteArray receiverId = pairingIdOf(selected);
        for (const DeviceAllInfo &device : listed) {
            const QByteArray pairedWith = pairingIdOf(device);
            if (device.isWired && !pairedWith.isEmpty() && !receiverId.isEmpty() && pairedWith != receiverId)
                return refused(UpdateReason::ForeignMouse, receiverClassOfLink(selected.linkType));
        }
    }
    // A record of another model than the chosen device's is that model's
    // repair, not this one's.
    const bool ownRecord = record.device.deviceCode == 0 || record.device.mid == selected.mid;
    if (record.present && ownRecord) {
        if (!record.device.deviceCode)
            return refused(UpdateReason::Error);
        // The card's devices: the chosen one and those of the other kind
        // beside it, never another of its own kind.
        BusView page = bus;
        page.devices.clear();
        for (const DeviceAllInfo &device : listed) {
            if (device.devicePath == selected.devicePath || device.isWired != selected.isWired)
                page.devices << device;
        }
        return planSettingsRepair(page, record);
    }
    if (listed.size() == 1)
        return refused(listed.first().isWired ? UpdateReason::NoReceiver : UpdateReason::NoCable);

    // An update: the receiver and the mouse on its cable are listed.
    const DeviceAllInfo &first = listed.at(0);
    const DeviceAllInfo &second = listed.at(1);
    if (!first.isWired && !second.isWired)
        return refused(UpdateReason::NoCable);
    if (first.mid != second.mid) {
        // Beside a chosen receiver the mouse on the cable is what does not
        // fit: it is not this receiver's mouse.
        const bool mouseBesideReceiver = first.isWired != second.isWired && !selected.isWired;
        return refused(mouseBesideReceiver ? UpdateReason::ForeignMouse : UpdateReason::NoReceiver);
    }
    // The card's own device is one of the two.
    if (std::none_of(listed.begin(), listed.end(),
                     [&selected](const DeviceAllInfo &d) { return d.devicePath == selected.devicePath; }))
        return refused(selected.isWired ? UpdateReason::NoCable : UpdateReason::NoReceiver);
    // The receiver must report a paired mouse and have a class.
    const auto receiverIt = std::find_if(listed.begin(), listed.end(), [](const DeviceAllInfo &d) {
        return !d.isWired && !d.subDevices.isEmpty() && receiverClassOfLink(d.linkType) != 0;
    });
    if (receiverIt == listed.end())
        return refused(UpdateReason::NoReceiver);
    const DeviceAllInfo &receiver = *receiverIt;
    const DeviceAllInfo &mouse = &receiver == &first ? second : first;
    UpdatePlan plan;
    plan.receiverClass = receiverClassOfLink(receiver.linkType);
    // A device that tells no version cannot be compared: nothing starts
    // until it answers.
    if (receiver.usbVersion.isEmpty() || mouse.usbVersion.isEmpty())
        return refused(UpdateReason::Error, plan.receiverClass);
    const UpdateTarget receiverTarget =
        listedDeviceTarget(receiver, kReceiverDeviceCode, plan.receiverClass, FirmwareSearchMode::ChooseForUpdate);
    // A mouse's record names the class of the receiver it was updated beside.
    const UpdateTarget mouseTarget =
        listedDeviceTarget(mouse, kMouseDeviceCode, plan.receiverClass, FirmwareSearchMode::ChooseForUpdate);
    for (const UpdateTarget &target : {receiverTarget, mouseTarget}) {
        if (!target.image.isEmpty())
            plan.targets << target;
    }
    if (!plan.targets.isEmpty())
        return plan;
    // A file that fits but is not a whole image is not offered; the user
    // learns that it cannot be used rather than that the devices are up to
    // date.
    const QString group = groupOfMid(receiver.mid);
    const u8 cid = u8(receiver.cid), mid = u8(receiver.mid);
    if (brokenFirmwareImageFits(kReceiverDeviceCode, receiverModelOf(group, plan.receiverClass), cid, mid,
                                receiver.usbVersion)
        || brokenFirmwareImageFits(kMouseDeviceCode, mouseModelOf(group), cid, mid, mouse.usbVersion))
        return refused(UpdateReason::FileError, plan.receiverClass);
    return refused(UpdateReason::VersionNew, plan.receiverClass);
}

UpdatePlan planRepair(const BusView &bus, const RecordView &record)
{
    if (!record.present)
        return UpdatePlan();
    const UpdateTarget &recorded = record.device;
    if (recorded.deviceCode == 0)
        return refused(UpdateReason::Error);
    const QList<DeviceAllInfo> &found = bus.devices;
    // Several mice on their cables or several receivers of the recorded
    // model: the user keeps one. A device of another model is no obstacle.
    int wired = 0, wireless = 0;
    for (const DeviceAllInfo &device : found) {
        if (device.mid == recorded.mid)
            (device.isWired ? wired : wireless) += 1;
    }
    if (wired >= 2)
        return refused(UpdateReason::MultiMouse);
    if (wireless >= 2)
        return refused(UpdateReason::MultiDongle);
    UpdatePlan plan;
    plan.receiverClass = recorded.receiverClass;
    const UpdateReason why = addRepairTargets(plan, record, bus);
    if (why != UpdateReason::None)
        return refused(why, plan.receiverClass);
    // Then the other part of the product, when its image differs.
    const int otherCode = recorded.isReceiver() ? kMouseDeviceCode : kReceiverDeviceCode;
    const DeviceAllInfo *other = otherPartListed(found, recorded);
    if (other && plan.indexOf(otherCode) < 0 && other->usbVersion.isEmpty())
        return refused(UpdateReason::Error, plan.receiverClass);
    if (other && plan.indexOf(otherCode) < 0) {
        const int otherClass = recorded.isReceiver() ? recorded.receiverClass : receiverClassOf(*other);
        const UpdateTarget second = listedDeviceTarget(*other, otherCode, otherClass, FirmwareSearchMode::RepairTwin);
        if (!second.image.isEmpty())
            plan.targets << second;
    }
    return plan;
}

UpdatePlan planAutomaticUpdate(const BusView &bus, const RecordView &record, const QString &keptMouseVersion)
{
    if (bus.devices.size() != 1)
        return refused(UpdateReason::NoDevice);
    const DeviceAllInfo &device = bus.devices.first();
    UpdatePlan plan;
    plan.receiverClass = receiverClassOf(device);
    if (device.usbVersion.isEmpty())
        return refused(UpdateReason::Error, plan.receiverClass);
    const UpdateTarget receiver =
        listedDeviceTarget(device, kReceiverDeviceCode, plan.receiverClass, FirmwareSearchMode::RepairTwin);
    // The mouse paired with the shown receiver, written on its cable.
    UpdateTarget mouse;
    mouse.deviceCode = kMouseDeviceCode;
    mouse.receiverClass = plan.receiverClass;
    mouse.cid = device.cid;
    mouse.mid = device.mid;
    mouse.receiverId = pairingIdOf(device);
    QList<QByteArray> image;
    if (searchFirmwareImages(FirmwareSearchMode::RepairTwin, kMouseDeviceCode, keptMouseVersion,
                             mouseModelOf(groupOfMid(device.mid)), u8(device.cid), u8(device.mid), &image))
        mouse.image = image.first();
    if (receiver.image.isEmpty() && mouse.image.isEmpty())
        return refused(UpdateReason::FileError, plan.receiverClass);
    // A device of the model that waits in update mode is written first: no
    // device is updated while another one waits.
    for (const int code : {kReceiverDeviceCode, kMouseDeviceCode}) {
        UpdateTarget waiting = targetWithImage(code, plan.receiverClass, device.cid, device.mid);
        const int count = waiting.image.isEmpty() ? 0 : bus.waitingFor(waiting.image);
        if (count < 0 || count > 1)
            return refused(UpdateReason::SameDevice, plan.receiverClass);
        if (count == 0)
            continue;
        const UpdateTarget &recorded = record.device;
        if (recorded.deviceCode == code && recorded.mid == waiting.mid
            && (code == kMouseDeviceCode || recorded.receiverClass == waiting.receiverClass))
            waiting = recorded;
        waiting.waiting = true;
        plan.targets << waiting;
    }
    // What it offers: the receiver, and the mouse only when both are new.
    if (!receiver.image.isEmpty() && !device.isWired) {
        plan.targets << receiver;
        if (!mouse.image.isEmpty())
            plan.targets << mouse;
    }
    if (plan.targets.isEmpty())
        return refused(UpdateReason::FileError, plan.receiverClass);
    return plan;
}

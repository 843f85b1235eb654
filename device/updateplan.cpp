#include "updateplan.h"

#include "devicesearch.h"
#include "firmwareimage.h"
#include "linktable.h"

#include <algorithm>

int UpdatePlan::indexOf(int deviceCode) const
{
    for (int i = 0; i < targets.size(); ++i) {
        if (targets.at(i).deviceCode == deviceCode)
            return i;
    }
    return -1;
}

PlanSources readPlanSources()
{
    return {readFirmwareShelf(), readProductModels()};
}

namespace {

UpdatePlan refused(UpdateReason reason, int receiverClass = 0)
{
    UpdatePlan plan;
    plan.reason = reason;
    plan.receiverClass = receiverClass;
    return plan;
}

UpdateReason missingImageReason(int deviceCode)
{
    return deviceCode == kReceiverDeviceCode ? UpdateReason::NoReceiverImage : UpdateReason::NoMouseImage;
}

QString modelOf(const PlanSources &sources, int deviceCode, int mid, int receiverClass)
{
    return deviceCode == kMouseDeviceCode ? sources.product.mouseModel(mid)
                                          : sources.product.receiverModel(mid, receiverClass);
}

UpdateTarget ofKind(const PlanSources &sources, int deviceCode, int receiverClass, int cid, int mid)
{
    return kindWithImage(deviceCode, receiverClass, cid, mid, sources.images, sources.product);
}

// A listed receiver or mouse on its cable as a target, with the image "bin"
// holds for it against the version it reports (none: no image).
UpdateTarget listedDeviceTarget(const PlanSources &sources, const DeviceAllInfo &device, int deviceCode,
                                int receiverClass, FirmwareSearchMode mode)
{
    UpdateTarget target;
    target.deviceCode = deviceCode;
    target.receiverClass = receiverClass;
    target.cid = device.cid;
    target.mid = device.mid;
    target.path = device.devicePath;
    target.receiverId = pairingIdOf(device);
    // A device whose version is not known is not written: every image
    // would look new to it.
    if (!device.usbVersion.isEmpty())
        target.image = shelfImageFor(sources.images, mode, u8(deviceCode), device.usbVersion,
                                     modelOf(sources, deviceCode, device.mid, receiverClass), u8(device.cid),
                                     u8(device.mid));
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

// How many devices wait in update mode for the image, as a reason when
// they cannot be written: none or one can, several cannot be told apart, an
// unanswered count tells nothing.
UpdateReason waitingReason(int count)
{
    return count < 0 ? UpdateReason::NoAnswer : count > 1 ? UpdateReason::SameDevice : UpdateReason::None;
}

// The recorded device as the target of its repair: the device waiting in
// update mode for its image, or the device itself listed at another
// version. A device that is neither listed nor waiting is away: the user is
// asked to connect it, by its cable for a mouse. Of a record that names no
// device, the one listed device of its kind stands for the update of the
// bus.
UpdateReason resolveRecorded(const RecordView &record, const BusView &bus, const PlanSources &sources,
                             UpdateTarget *resolved)
{
    UpdateTarget target = record.device;
    target.image = ofKind(sources, target.deviceCode, target.receiverClass, target.cid, target.mid).image;
    const UpdateReason away = target.isReceiver() ? UpdateReason::NoReceiver : UpdateReason::NoCable;
    // Without an image nothing can be written, nor asked whether the
    // device waits in update mode.
    if (target.image.isEmpty())
        return missingImageReason(target.deviceCode);
    const auto ofKindListed = [&target](const DeviceAllInfo &device) { return target.sameKind(device); };
    const int waiting = bus.waitingFor(target.image);
    if (waitingReason(waiting) != UpdateReason::None)
        return waitingReason(waiting);
    if (waiting == 1) {
        // A listed receiver of the class would take the image too.
        if (target.isReceiver() && std::any_of(bus.devices.begin(), bus.devices.end(), ofKindListed))
            return UpdateReason::SameDevice;
        // Where it waits, no path says which device it is.
        target.waiting = true;
        target.path.clear();
        *resolved = target;
        return UpdateReason::None;
    }
    const DeviceAllInfo *listed = nullptr;
    if (record.identity == RecordIdentity::Path) {
        listed = listedAt(target, bus.devices);
    } else if (record.identity == RecordIdentity::None) {
        // The update of the devices on the bus, as without a record: the
        // device listed is not taken for the one recorded.
        if (std::count_if(bus.devices.begin(), bus.devices.end(), ofKindListed) == 1)
            listed = &*std::find_if(bus.devices.begin(), bus.devices.end(), ofKindListed);
        target.fromRecord = false;
    }
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
// listed device is written. Without an image of that kind nobody can tell
// whether one waits: the plan notes the file as missing.
UpdateReason addOtherWaiting(UpdatePlan &plan, const UpdateTarget &recorded, const BusView &bus,
                             const PlanSources &sources)
{
    const int code = recorded.isReceiver() ? kMouseDeviceCode : kReceiverDeviceCode;
    UpdateTarget waiting = ofKind(sources, code, recorded.receiverClass, recorded.cid, recorded.mid);
    if (waiting.image.isEmpty()) {
        if (!otherPartListed(bus.devices, recorded))
            plan.missingImage = code;
        return UpdateReason::None;
    }
    const int count = bus.waitingFor(waiting.image);
    if (count == 1) {
        waiting.waiting = true;
        plan.targets << waiting;
    }
    return waitingReason(count);
}

// The devices every repair writes first: the recorded one, then a device of
// its model of the other kind waiting in update mode. One that waits here
// is repaired even while the recorded one cannot be (no image, or away):
// the record stays with its device. Then the other part of the product
// must be listed, unless it is one of them or may wait unseen.
UpdateReason addRepairTargets(UpdatePlan &plan, const RecordView &record, const BusView &bus,
                              const PlanSources &sources)
{
    const UpdateTarget &recorded = record.device;
    UpdateTarget failed;
    const UpdateReason why = resolveRecorded(record, bus, sources, &failed);
    if (why == UpdateReason::SameDevice || why == UpdateReason::NoAnswer)
        return why;
    if (why == UpdateReason::None)
        plan.targets << failed;
    if (why == UpdateReason::NoReceiverImage || why == UpdateReason::NoMouseImage)
        plan.missingImage = recorded.deviceCode;
    const UpdateReason other = addOtherWaiting(plan, recorded, bus, sources);
    if (other != UpdateReason::None)
        return other;
    const int otherCode = recorded.isReceiver() ? kMouseDeviceCode : kReceiverDeviceCode;
    if (!otherPartListed(bus.devices, recorded) && plan.indexOf(otherCode) < 0 && plan.missingImage != otherCode)
        return recorded.isReceiver() ? UpdateReason::NoCable : UpdateReason::NoReceiver;
    return plan.targets.isEmpty() ? why : UpdateReason::None;
}

// The repair from the settings page: the recorded device, and the other
// part of the product when its image differs.
UpdatePlan planSettingsRepair(const BusView &bus, const RecordView &record, const PlanSources &sources)
{
    const UpdateTarget &recorded = record.device;
    UpdatePlan plan;
    plan.receiverClass = recorded.receiverClass;
    const DeviceAllInfo *other = otherPartListed(bus.devices, recorded);
    if (other && other->cid != recorded.cid)
        return refused(UpdateReason::Error, plan.receiverClass);
    const UpdateReason why = addRepairTargets(plan, record, bus, sources);
    if (why != UpdateReason::None)
        return refused(why, plan.receiverClass);
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
        const UpdateTarget listed =
            listedDeviceTarget(sources, device, code, receiverClass, FirmwareSearchMode::ChooseForUpdate);
        const bool already = std::any_of(plan.targets.begin(), plan.targets.end(),
                                         [&device](const UpdateTarget &t) { return listedAt(t, {device}); });
        if (device.mid == recorded.mid && !already && !listed.image.isEmpty())
            plan.targets << listed;
    }
    return plan;
}

// The devices of the card: the chosen one and those of the other kind
// beside it, never another of its own kind.
BusView cardDevices(const BusView &bus, const DeviceAllInfo &selected)
{
    BusView page = bus;
    page.devices.clear();
    for (const DeviceAllInfo &device : bus.devices) {
        if (device.devicePath == selected.devicePath || device.isWired != selected.isWired)
            page.devices << device;
    }
    return page;
}

// Whether the record asks for a repair: it names a device, or, naming none,
// a device of its kind waits in update mode. A record that names no device
// and finds none waiting does not stand in the way of an update.
UpdateReason recordRepairs(const RecordView &record, const BusView &bus, const PlanSources &sources, bool *repairs)
{
    *repairs = record.present;
    if (!record.present || record.device.deviceCode == 0 || record.identity != RecordIdentity::None)
        return UpdateReason::None;
    const UpdateTarget kind = ofKind(sources, record.device.deviceCode, record.device.receiverClass,
                                     record.device.cid, record.device.mid);
    // Without an image of its kind the repair says what stands in the way.
    if (kind.image.isEmpty())
        return UpdateReason::None;
    const int waiting = bus.waitingFor(kind.image);
    *repairs = waiting != 0;
    return waiting < 0 ? UpdateReason::NoAnswer : UpdateReason::None;
}

} // namespace

UpdatePlan planSettingsUpdate(const BusView &bus, const DeviceAllInfo &selected, const RecordView &record,
                              const PlanSources &sources)
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
    bool repairs = false;
    const UpdateReason unanswered = recordRepairs(record, bus, sources, &repairs);
    if (unanswered != UpdateReason::None)
        return refused(unanswered);
    if (repairs && ownRecord) {
        if (!record.device.deviceCode)
            return refused(UpdateReason::Error);
        return planSettingsRepair(cardDevices(bus, selected), record, sources);
    }
    if (listed.size() == 1) {
        if (listed.first().isWired)
            return refused(UpdateReason::NoReceiver);
        // A receiver whose page shows the mouse it reaches: that mouse is
        // there, only not on its cable.
        const bool reached = selected.devicePath == listed.first().devicePath && selected.online
                             && !selected.mouseVersion.isEmpty();
        return refused(reached ? UpdateReason::MouseOffCable : UpdateReason::NoCable);
    }

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
    const UpdateTarget receiverTarget = listedDeviceTarget(sources, receiver, kReceiverDeviceCode, plan.receiverClass,
                                                           FirmwareSearchMode::ChooseForUpdate);
    // A mouse's record names the class of the receiver it was updated beside.
    const UpdateTarget mouseTarget = listedDeviceTarget(sources, mouse, kMouseDeviceCode, plan.receiverClass,
                                                        FirmwareSearchMode::ChooseForUpdate);
    for (const UpdateTarget &target : {receiverTarget, mouseTarget}) {
        if (!target.image.isEmpty())
            plan.targets << target;
    }
    if (!plan.targets.isEmpty())
        return plan;
    // A file that fits but is not a whole image is not offered; the user
    // learns that it cannot be used rather than that the devices are up to
    // date.
    const u8 cid = u8(receiver.cid), mid = u8(receiver.mid);
    if (brokenImageOnShelf(sources.images, kReceiverDeviceCode,
                           sources.product.receiverModel(receiver.mid, plan.receiverClass), cid, mid,
                           receiver.usbVersion)
        || brokenImageOnShelf(sources.images, kMouseDeviceCode, sources.product.mouseModel(receiver.mid), cid, mid,
                              mouse.usbVersion))
        return refused(UpdateReason::FileError, plan.receiverClass);
    return refused(UpdateReason::VersionNew, plan.receiverClass);
}

UpdatePlan planRepair(const BusView &bus, const RecordView &record, const PlanSources &sources)
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
    const UpdateReason why = addRepairTargets(plan, record, bus, sources);
    if (why != UpdateReason::None)
        return refused(why, plan.receiverClass);
    // Then the other part of the product, when its image differs.
    const int otherCode = recorded.isReceiver() ? kMouseDeviceCode : kReceiverDeviceCode;
    const DeviceAllInfo *other = otherPartListed(found, recorded);
    if (other && plan.indexOf(otherCode) < 0 && other->usbVersion.isEmpty())
        return refused(UpdateReason::Error, plan.receiverClass);
    if (other && plan.indexOf(otherCode) < 0) {
        const int otherClass = recorded.isReceiver() ? recorded.receiverClass : receiverClassOf(*other);
        const UpdateTarget second =
            listedDeviceTarget(sources, *other, otherCode, otherClass, FirmwareSearchMode::RepairTwin);
        if (!second.image.isEmpty())
            plan.targets << second;
    }
    return plan;
}

UpdatePlan planAutomaticUpdate(const BusView &bus, const RecordView &record, const QString &keptMouseVersion,
                               const PlanSources &sources)
{
    if (bus.devices.size() != 1)
        return refused(UpdateReason::NoDevice);
    const DeviceAllInfo &device = bus.devices.first();
    UpdatePlan plan;
    plan.receiverClass = receiverClassOf(device);
    if (device.usbVersion.isEmpty())
        return refused(UpdateReason::Error, plan.receiverClass);
    const UpdateTarget receiver =
        listedDeviceTarget(sources, device, kReceiverDeviceCode, plan.receiverClass, FirmwareSearchMode::RepairTwin);
    // The mouse paired with the shown receiver, to be written on its cable.
    UpdateTarget mouse;
    mouse.deviceCode = kMouseDeviceCode;
    mouse.receiverClass = plan.receiverClass;
    mouse.cid = device.cid;
    mouse.mid = device.mid;
    mouse.image = shelfImageFor(sources.images, FirmwareSearchMode::RepairTwin, kMouseDeviceCode, keptMouseVersion,
                                sources.product.mouseModel(device.mid), u8(device.cid), u8(device.mid));
    if (receiver.image.isEmpty() && mouse.image.isEmpty())
        return refused(UpdateReason::FileError, plan.receiverClass);
    // A device of the model that waits in update mode is written first: no
    // device is updated while another one waits.
    for (const int code : {kReceiverDeviceCode, kMouseDeviceCode}) {
        UpdateTarget waiting = ofKind(sources, code, plan.receiverClass, device.cid, device.mid);
        const int count = waiting.image.isEmpty() ? 0 : bus.waitingFor(waiting.image);
        if (waitingReason(count) != UpdateReason::None)
            return refused(waitingReason(count), plan.receiverClass);
        if (count == 0)
            continue;
        const UpdateTarget &recorded = record.device;
        if (recorded.deviceCode == code && recorded.mid == waiting.mid
            && (code == kMouseDeviceCode || recorded.receiverClass == waiting.receiverClass)) {
            waiting.fromRecord = true;
            waiting.receiverClass = recorded.receiverClass;
        }
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

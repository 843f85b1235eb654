#ifndef UPDATEREADBACK_H
#define UPDATEREADBACK_H

// What the devices report after a firmware update. A write is done when the
// device answers with the image's version, not when the updater says so:
// an updater that reports success for a device it never reached, or
// failure for one it finished, must not decide what the user is told, nor
// whether the failure record stays.
//
// A device is known by its identity, never by its kind: two mice or two
// receivers of one model share many desks, and a device of the same model
// answering at the image's version says nothing of the one that was
// written. A target is the device at its path; a mouse away from its cable
// is also known through the receiver it is paired with, which reaches that
// mouse and no other.

#include "flashdatamap.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// A device an update writes: a receiver or a mouse, known by its ids, its
// link, its path and the receiver id it goes by; the image it is given.
struct UpdateTarget {
    int deviceCode = 0;       // kMouseDeviceCode or kReceiverDeviceCode
    int receiverClass = 0;    // of a receiver: 1, 2, 4 or 8
    int cid = 0;
    int mid = 0;
    QString path;             // where it is listed; empty: not known (it waits in update mode)
    QByteArray receiverId;    // a receiver's own id, a mouse's receiver's (3 bytes); empty: none known
    bool waiting = false;     // it waits in update mode
    bool fromRecord = false;  // it is the device the failure record names
    QByteArray image;
    quint32 imageVersion() const;
    bool isReceiver() const;
    // Whether a listed device is of the target's kind (a receiver of its
    // class, or a mouse on its cable) with its ids.
    bool sameKind(const DeviceAllInfo &device) const;
    // Whether the updater, handed the image, might write this listed
    // device: it takes a device of the image's kind and ids, a receiver of
    // any class.
    bool imageFits(const DeviceAllInfo &device) const;
};

// Whether two targets are devices of one kind: one model, and a receiver
// of one class.
bool sameTargetKind(const UpdateTarget &a, const UpdateTarget &b);

// The receiver id a listed device goes by (its online answer's bytes 7-9,
// in that order, unlike devicesearch's receiverIdOf); empty when it tells
// none.
QByteArray pairingIdOf(const DeviceAllInfo &device);

// What the bus reports now, as the library tells it.
struct BusView {
    // The devices of the product family that told their ids, with their
    // version and receiver id.
    QList<DeviceAllInfo> devices;
    // Devices of the family that told no ids: the updater may still write
    // one (isWired says whether it is a mouse on its cable, by its product
    // id).
    QList<DeviceAllInfo> unanswered;
    // How many devices waiting in update mode an image fits.
    std::function<int(const QByteArray &image)> waitingFor;
};
// Asked afresh of the library.
BusView readBus();
// A list a window keeps, with the library's count of waiting devices.
BusView busOf(const QList<DeviceAllInfo> &devices);

// What a target reports.
enum class TargetReport {
    Right,          // it answers at its image's version
    InUpdateMode,   // it is not listed, and a device waits in update mode for its image
    OtherVersion,   // it answers at another version
    Missing         // it does not answer: neither listed nor waiting
};

// The listed device that is the target: the one at its path, of its kind
// and ids; null when none is.
const DeviceAllInfo *listedTarget(const UpdateTarget &target, const QList<DeviceAllInfo> &devices);
// Whether a listed device answers at the version of the target's image.
bool runsImage(const UpdateTarget &target, const DeviceAllInfo &device);

// What the target reports: the device at its path; a mouse away from its
// cable through the listed receiver it is paired with.
TargetReport readBackTarget(const UpdateTarget &target, const BusView &bus);

// A target written while it waited in update mode (no path, no receiver id)
// takes the identity of the one device of its kind listed now at none of
// `pathsBefore`, the paths listed before its write; with two, neither.
void findComeBack(UpdateTarget &target, const BusView &bus, const QStringList &pathsBefore);

// Of the devices the updater may write with this target's image, which it
// would take: a device waiting in update mode first, else the one listed
// device the image fits.
enum class UpdaterChoice {
    Target,     // the target, and no other device could take the image
    Nobody,     // no device takes it
    Several,    // more than one device could take it
    Another     // one device takes it, and it is not the target
};
UpdaterChoice updaterChoice(const UpdateTarget &target, const BusView &bus);

// The configuration's group of the model with this model id (empty: none).
QString groupOfMid(int mid);
// The target of a device kind with the image "bin" holds for it (any
// version; empty when there is none).
UpdateTarget targetWithImage(int deviceCode, int receiverClass, int cid, int mid);

// ---- The failure record ---------------------------------------------------------------
// The record names one device (updatetraces.h): its kind and, beside it,
// which device of that kind.

// The device the record names, with the image "bin" holds for it; null
// deviceCode for no or a broken record. `identityKept` is false for a
// record that does not say which device of its kind it names.
UpdateTarget recordedTarget(bool *identityKept = nullptr);

// Whether the recorded device is known to be right now. A device whose
// identity the record keeps answers for itself alone; one seen waiting
// whose path was never known only through its repair; and of a record that
// says nothing of its device, every listed device of its kind must run its
// image, with none waiting.
bool recordedDeviceRight(const UpdateTarget &recorded, bool identityKept, const BusView &bus);

// The failure record follows the devices:
//   - a record whose device is known to be right is removed;
//   - with no record, a device of the product waiting in update mode for
//     an image of "bin" is recorded, so that its repair is offered.
// True when a record remains. Not while an update may write a device: the
// caller asks that first.
bool settleUpdateFailRecord();

// Writes the record for a target whose write may leave it not right,
// unless the record names another device that is not right yet: a second
// failure never hides the first. `mayComeBack`: its write begins, or ended
// well and it has not answered yet. Whether the record names it now.
bool recordUnfinishedTarget(const UpdateTarget &target, bool mayComeBack = false);
// Removes the record when it names this target.
bool forgetRecordOf(const UpdateTarget &target);

#endif // UPDATEREADBACK_H

#ifndef UPDATEREADBACK_H
#define UPDATEREADBACK_H

// What the devices report after a firmware update. A write is done when the
// device answers with the image's version, not when the updater says so:
// an updater that reports success for a device it never reached, or
// failure for one it finished, must not decide what the user is told, nor
// whether the failure record stays. Everything here asks the device
// library afresh; nothing is taken from a list a window keeps.

#include "flashdatamap.h"

#include <QByteArray>
#include <QList>
#include <QString>

// A device an update writes: a receiver or a mouse, known by the ids and
// link it reports and, while it is listed, by its path; the image it is
// given and the version that image holds.
struct UpdateTarget {
    int deviceCode = 0;       // kMouseDeviceCode or kReceiverDeviceCode
    int receiverClass = 0;    // of a receiver: 1, 2, 4 or 8
    int cid = 0;
    int mid = 0;
    QString path;             // empty while it waits in update mode
    QByteArray image;
    quint32 imageVersion() const;
    bool isReceiver() const;
};

// What a target reports.
enum class TargetReport {
    Right,          // listed and answering at its image's version
    InUpdateMode,   // it waits in update mode (the updater's search finds it)
    OtherVersion,   // listed and answering at another version
    Missing         // neither listed nor waiting
};

// The devices of the product family on the bus now, each with its ids, link
// and USB version: the device list's search, made afresh.
QList<DeviceAllInfo> searchFamilyDevices();

// The firmware version a listed device runs, as its search found it.
QString reportedVersion(const DeviceAllInfo &device);

// Whether a listed device is the target's kind of device (a receiver of its
// class, or a mouse on its cable) with its ids.
bool matchesTarget(const UpdateTarget &target, const DeviceAllInfo &device);

// The listed device that answers for the target: the one at its path, else
// the first of its kind and ids; null when none is listed.
const DeviceAllInfo *listedTarget(const UpdateTarget &target, const QList<DeviceAllInfo> &devices);
// Whether a listed device answers at the version of the target's image.
bool runsImage(const UpdateTarget &target, const DeviceAllInfo &device);

// What the target reports now, read from `devices` (searchFamilyDevices())
// and the updater's count of devices waiting in update mode for its image.
// A device listed at the target's path answers for it; else the first
// listed device of its kind and ids.
TargetReport readBackTarget(const UpdateTarget &target, const QList<DeviceAllInfo> &devices);
TargetReport readBackTarget(const UpdateTarget &target);

// The configuration's group of the model with this model id (empty: none).
QString groupOfMid(int mid);

// The failure record follows the devices:
//   - a record whose device is read back right (listed, answering, at the
//     version of the image "bin" holds for it) is removed;
//   - with no record (or one that names no device), a device of the
//     product waiting in update mode for an image of "bin" is recorded, so
//     that its repair is offered.
// True when a record remains. Not while an update may write a device: the
// caller asks that first.
bool settleUpdateFailRecord();

// The target the failure record names, with the image "bin" holds for it
// (empty when there is none); null deviceCode for no or a broken record.
UpdateTarget recordedTarget();

// Writes the record for a target whose write left it not right, unless the
// record names another device that is not right yet: a second failure
// never hides the first.
void recordUnfinishedTarget(const UpdateTarget &target);
// Removes the record when it names this target's device.
bool forgetRecordOf(const UpdateTarget &target);

#endif // UPDATEREADBACK_H

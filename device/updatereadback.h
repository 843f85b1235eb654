#ifndef UPDATEREADBACK_H
#define UPDATEREADBACK_H

// How a firmware update knows the devices it writes, and what they report
// afterwards. A write is done when the device answers with the image's
// version, not when the updater says so: an updater that reports success
// for a device it never reached, or failure for one it finished, must not
// decide what the user is told, nor whether the failure record stays.
//
// A device is known only by what no other device can show, or not at all:
// two mice or two receivers of one model share many desks, and a device of
// the same model answering at the image's version says nothing of the one
// that was written. Within a run a target is
//   - the listed device at its path that has stayed on the bus since the
//     user confirmed the run, or
//   - after its write, the one device of its kind that came onto the bus
//     from that write, while no other device of its kind came during it.
// A receiver id is a pairing, never an identity: it moves when a receiver
// is paired again, and several mice may carry one. A mouse is never read
// back through a receiver.

#include "firmwareimage.h"
#include "flashdatamap.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <functional>

struct ProductModels;

// A device an update writes: a receiver or a mouse, known by its ids, its
// link and its path; the image it is given.
struct UpdateTarget {
    int deviceCode = 0;       // kMouseDeviceCode or kReceiverDeviceCode
    int receiverClass = 0;    // of a receiver: one of linktable.h's classes
    int cid = 0;
    int mid = 0;
    QString path;             // where it is known to be listed; empty: not known
    QByteArray receiverId;    // the receiver id it went by, kept for the record alone
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
    // How many devices waiting in update mode an image fits; -1 when the
    // library gave no count.
    std::function<int(const QByteArray &image)> waitingFor;
};
// Asked afresh of the library.
BusView readBus();
// A list a window keeps, with the library's count of waiting devices.
BusView busOf(const QList<DeviceAllInfo> &devices);

// The listed device at the target's path, of its kind and ids; null when
// none is. Outside a run, what a path can say of a device.
const DeviceAllInfo *listedAt(const UpdateTarget &target, const QList<DeviceAllInfo> &devices);
// Whether a listed device answers at the version of the target's image.
bool runsImage(const UpdateTarget &target, const DeviceAllInfo &device);

// What a run has seen of the bus since the user confirmed it, read after
// read: which devices have stayed on it since, and which came onto it
// during a write or after one.
class BusWatch
{
public:
    // The user confirmed: the devices on the bus now are those that stay.
    void start(const BusView &bus);
    void writeBegins();
    // The updater told the write's end, or was given up on.
    void writeEnded();
    // A read of the bus: a device that went is gone for good (its path no
    // longer names it); one that came is new, during a write or after it.
    void observe(const BusView &bus);
    // The listed device that is the target: at its path, of its kind and
    // ids, on the bus without a break since the confirmation or since it
    // came back from its write. Null: not known.
    const DeviceAllInfo *known(const UpdateTarget &target, const BusView &bus) const;
    // After the target's write, the last that began: the one device of its
    // kind that came onto the bus after that write ended, while none of its
    // kind came during it. The target takes its path and is known by it
    // from then on. False: none such, or more than one.
    bool adoptComeBack(UpdateTarget &target, const BusView &bus);

private:
    struct Sighting {
        int write = -1;        // the write that began last when it came
        bool during = false;   // it came while that write went on
        bool stayed = false;   // on the bus since the confirmation, or known since it came back
    };
    struct Arrival {
        DeviceAllInfo device;
        bool answered = true;   // it told its ids
    };
    QMap<QString, Sighting> m_seen;
    QList<Arrival> m_cameDuring;   // devices that came during the last write
    int m_write = -1;
    bool m_writing = false;
};

// What a target reports.
enum class TargetReport {
    Right,          // it answers at its image's version
    InUpdateMode,   // it is not known, and a device waits in update mode for its image
    OtherVersion,   // it answers at another version
    Missing         // it is not known, and nothing waits for its image
};
// What the target reports, `known` being the listed device that is it.
TargetReport readBackTarget(const UpdateTarget &target, const BusView &bus, const DeviceAllInfo *known);

// Of the devices the updater may write with this target's image, which it
// would take: a device waiting in update mode first, else the one listed
// device the image fits.
enum class UpdaterChoice {
    Target,     // the target, known, and no other device could take the image
    Absent,     // the target is not known on the bus, and no other device takes it
    Several,    // more than one device could take it
    Another,    // one device takes it, and it is not the target
    NoAnswer    // the library did not answer what it would take
};
UpdaterChoice updaterChoice(const UpdateTarget &target, const BusView &bus, const DeviceAllInfo *known);

// The configuration's group of the model with this model id (empty: none).
QString groupOfMid(int mid);
// The target of a device kind with the image the shelf holds for it (any
// version; empty when there is none).
UpdateTarget kindWithImage(int deviceCode, int receiverClass, int cid, int mid, const FirmwareShelf &shelf,
                           const ProductModels &product);
// The same with the images of "bin" and the configuration as they are now.
UpdateTarget targetWithImage(int deviceCode, int receiverClass, int cid, int mid);

// ---- The failure record ---------------------------------------------------------------
// The record names one device (updatetraces.h): its kind and, beside it,
// which device of that kind.

// How the record says which device of its kind it names.
enum class RecordIdentity {
    None,      // it does not: a record an earlier version of the program left
    Waiting,   // a device seen waiting in update mode, whose path is not known
    Path       // the device listed at a path
};

// The failure record as the plans read it: the device it names, without
// an image.
struct RecordView {
    bool present = false;       // a record is stored, readable or not
    UpdateTarget device;        // null deviceCode: none, or a broken one
    RecordIdentity identity = RecordIdentity::None;
    bool writeBegun = false;    // a write of it began whose end the program did not hear
};
RecordView readRecordView();

// The device the record names, with the image "bin" holds for it; null
// deviceCode for no or a broken record.
UpdateTarget recordedTarget();

// Whether the recorded device is known to be right now. One named by its
// path answers for itself alone; one seen waiting whose path was never
// known only through its repair, or once a write of it began whose end
// the program did not hear and nothing waits; of a record that says
// nothing of its device, every listed device of its kind must run its
// image, with none waiting.
bool recordedDeviceRight(const UpdateTarget &recorded, const RecordView &record, const BusView &bus);

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
// Removes a record that names no device of its kind, of this model: a run
// of that model read every target back right.
void forgetRecordOfNoDevice(int mid);

#endif // UPDATEREADBACK_H

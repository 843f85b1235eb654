#ifndef UPDATEPLAN_H
#define UPDATEPLAN_H

// What a firmware update offers, and which devices it would write: a
// function of the devices a window lists, the failure record and the
// images of "bin", for each place a user starts an update. Nothing here
// writes a device, a record or a program-wide value: the update engine
// (updateengine.h) asks for a plan when a dialog offers a run, and again
// when the user confirms it, and writes the targets of that second plan,
// each identified by its path and receiver id.

#include "updatereadback.h"

#include <QList>
#include <QString>

// Why a plan offers nothing, or why a step did not write: each window shows
// its own text for it.
enum class UpdateReason {
    None,          // an update or a repair is offered
    Error,         // the listed devices or the record do not fit
    NoReceiver,    // the receiver is missing
    NoCable,       // the mouse on its cable is missing
    ForeignMouse,  // the mouse on the cable is of another model than the receiver
    MultiMouse,    // several mice on their cables
    MultiDongle,   // several receivers
    NoDevice,      // no device waits in update mode / no device to write
    SameDevice,    // several devices would take the image
    OtherDevice,   // the device the updater would write is not the one confirmed
    WiredMode,     // the mouse step found no mouse on its cable
    VersionNew,    // every device already runs the images of "bin"
    FileError,     // "bin" holds no usable image for the device
    StillWriting   // a write given up on may still be going on
};

// The failure record as a plan reads it.
struct RecordView {
    bool present = false;       // a record is stored, readable or not
    UpdateTarget device;        // null deviceCode: none, or one that names no device
    bool identityKept = false;  // it says which device of its kind it names
};
RecordView readRecordView();

struct UpdatePlan {
    UpdateReason reason = UpdateReason::None;
    // The devices to write, in order: a device the record names first.
    QList<UpdateTarget> targets;
    // Devices the user confirmed that cannot be written now (a run's
    // confirmation only): the run cannot end well.
    QList<UpdateTarget> unreachable;
    // The receiver class the plan speaks of (the listed receiver's, or the
    // record's).
    int receiverClass = 0;
    bool offered() const { return reason == UpdateReason::None && !targets.isEmpty(); }
    int indexOf(int deviceCode) const;
};

// The settings page's update of the chosen device: the receiver and the
// mouse on its cable listed by the device page (or, with a failure record,
// the recorded device and the other part of the product).
UpdatePlan planSettingsUpdate(const BusView &listed, const DeviceAllInfo &selected, const RecordView &record);
// The device list's repair of the recorded device, with the other part of
// the product when its image differs. No record: nothing, and no reason.
UpdatePlan planRepair(const BusView &found, const RecordView &record);
// The main window's automatic update of the one device shown: its receiver,
// and the mouse paired with it when the mouse's image is new against the
// version kept for the model (`keptMouseVersion`); a device waiting in
// update mode for an image of the model first.
UpdatePlan planAutomaticUpdate(const BusView &shown, const RecordView &record, const QString &keptMouseVersion);

#endif // UPDATEPLAN_H

#ifndef UPDATEPLAN_H
#define UPDATEPLAN_H

// What a firmware update offers, and which devices it would write: a
// function of the devices a window lists, the failure record, the images
// found in "bin" and the product configuration, for each place a user
// starts an update. Nothing here reads a file or the configuration, writes
// a device, a record or a program-wide value: the update engine
// (updateengine.h) asks for a plan when a dialog offers a run, and again
// when the user confirms it, and writes the targets of that second plan.

#include "updatedecision.h"
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
    MouseOffCable, // the mouse is reached through its receiver, not on its cable
    ForeignMouse,  // the mouse on the cable is of another model than the receiver
    MultiMouse,    // several mice on their cables
    MultiDongle,   // several receivers
    NoDevice,      // no device waits in update mode / no device to write
    SameDevice,    // several devices would take the image
    OtherDevice,   // the device the updater would write is not the one confirmed
    WiredMode,     // the mouse step found no mouse on its cable
    VersionNew,    // every device already runs the images of "bin"
    FileError,     // "bin" holds no usable image for the device
    NoReceiverImage, // a receiver waits for an image "bin" does not hold
    NoMouseImage,  // a mouse waits for an image "bin" does not hold
    NoAnswer,      // the library did not answer
    StillWriting   // a write given up on may still be going on
};

struct UpdatePlan {
    UpdateReason reason = UpdateReason::None;
    // The devices to write, in order: a device the record names first.
    QList<UpdateTarget> targets;
    // Devices the user confirmed that cannot be written now (a run's
    // confirmation only): the run cannot end well.
    QList<UpdateTarget> unreachable;
    // A device of the plan's model that may wait for an image "bin" does
    // not hold (its device code; 0: none): what can be written is, and the
    // run then says that file is missing.
    int missingImage = 0;
    // The receiver class the plan speaks of (the listed receiver's, or the
    // record's).
    int receiverClass = 0;
    bool offered() const { return reason == UpdateReason::None && !targets.isEmpty(); }
    int indexOf(int deviceCode) const;
};

// What every plan is made of besides the devices: the images found and the
// product configuration.
struct PlanSources {
    FirmwareShelf images;
    ProductModels product;
};
// As "bin" and the configuration are now.
PlanSources readPlanSources();

// The settings page's update of the chosen device: the receiver and the
// mouse on its cable listed by the device page (or, with a failure record
// that names a device, the recorded device and the other part of the
// product).
UpdatePlan planSettingsUpdate(const BusView &listed, const DeviceAllInfo &selected, const RecordView &record,
                              const PlanSources &sources);
// The device list's repair of the recorded device, with the other part of
// the product when its image differs. No record: nothing, and no reason.
UpdatePlan planRepair(const BusView &found, const RecordView &record, const PlanSources &sources);
// The main window's automatic update of the one device shown: its receiver,
// and the mouse paired with it when the mouse's image is new against the
// version kept for the model (`keptMouseVersion`); a device waiting in
// update mode for an image of the model first. The mouse is named by no
// path: it is not on its cable, and a run writes it only where it is known.
UpdatePlan planAutomaticUpdate(const BusView &shown, const RecordView &record, const QString &keptMouseVersion,
                               const PlanSources &sources);

#endif // UPDATEPLAN_H

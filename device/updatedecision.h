#ifndef UPDATEDECISION_H
#define UPDATEDECISION_H

// Which device wants which firmware image: the rules every window that
// offers an update reads, so that the update button, the checks when a
// device is chosen, the update dialog's checks and the run's steps always
// agree. The one state kept here is whether an update is available; nothing
// talks to a device, but for the count of devices waiting in update mode.

#include "devicesearch.h"

#include <QByteArray>
#include <QList>
#include <QString>

// The model name of the firmware images of a receiver class (linktable.h):
// the product configuration's key of that class (receiverModelKeyOfClass)
// in `group`; empty for any other class. A class the configuration names no
// model for has no images: the image search finds none for an empty model
// name.
QString receiverModelOf(const QString &group, int receiverClass);
// The model name of the mouse's images (MM of `group`).
QString mouseModelOf(const QString &group);
// Option/CID and `group`/MID as numbers.
int productCid();
int modelMid(const QString &group);

// What the product configuration says of the models an update may write:
// the product's CID and, by model id, the model names of the mouse's images
// and of each receiver class's. Read once where a plan is made, so that
// the plans depend on what they are given alone.
struct ProductModels {
    struct Model {
        int mid = 0;
        QString mouse;
        QString receivers[4];   // by receiverClassIndex
    };
    int cid = 0;
    QList<Model> models;
    // Empty for a model or class the configuration does not name.
    QString mouseModel(int mid) const;
    QString receiverModel(int mid, int receiverClass) const;
};
ProductModels readProductModels();

// The receiver listed (g_deviceList) beside the mouse on its cable: of two
// listed devices the first receiver that reports a paired mouse, of any
// other number the one receiver listed, if only one is. Null when there is
// none.
const DeviceAllInfo *receiverBesideMouse();

// The versions of the chosen device's receiver and mouse, which the
// settings page shows and an update compares the images with, and its
// receiver's class: a receiver that is chosen tells both versions itself;
// with the mouse on its cable chosen, the receiver listed beside it tells
// its own version and class. A chosen device that is offline reports no
// mouse version, and its own USB version for the receiver.
struct SelectedFirmware {
    QString receiverVersion;
    QString mouseVersion;
    int receiverClass = 0;
};
SelectedFirmware selectedFirmware();
// The version of the chosen device's receiver (kReceiverDeviceCode) or
// mouse (kMouseDeviceCode), as selectedFirmware() tells it.
QString selectedVersionOf(int deviceCode);

// Whether "bin" holds an image for the chosen device's mouse
// (kMouseDeviceCode) or, by the receiver class, its receiver
// (kReceiverDeviceCode) whose version differs from `version`: 1 yes, 0 no.
// An empty version is never new. Stores the product's CID in g_updateCid.
int firmwareUpdateAvailable(int deviceCode, const QString &version, int receiverClass);

// ---- Whether an update is available ----------------------------------------------------
// Whether "bin" holds a newer image for the chosen device's receiver (211)
// and mouse (210). Written by the functions below alone: the decisions when
// a device is opened, when its versions are reported or the device page's
// scan lists the devices, and when an update check or step tells more.
extern u8 g_update211Available;
extern u8 g_update210Available;

// The chosen device's versions, and whether an update waits for either
// device. Without a "bin" folder nothing is looked at (checked is false)
// and both marks keep what they held.
struct FirmwareHint {
    SelectedFirmware versions;
    bool checked = false;
    bool waiting = false;
};
FirmwareHint decideAvailableUpdates();
// A device about to be opened (the chosen one already): whether an update
// waits for its receiver, by the class of its link. Without a "bin" folder
// or a receiver class nothing is looked at and the mark keeps its value.
bool decideOpenedReceiverUpdate(const DeviceAllInfo &device);
// A check offers the mouse's image, or does not.
void noteMouseUpdateOffered(bool offered);
// A step flashed its device: nothing newer waits for it.
void updateFlashed(int deviceCode);
// A step failed, or the update state starts afresh: no mark holds.
void forgetAvailableUpdates();

// ---- The checks before a device is opened ----------------------------------------------
// What follows the firmware check of a mouse the user picks in the device
// list or opens with the space key.
enum class FirmwareOffer {
    PairFirst,        // no mouse version is kept for the model: pair it first
    ReceiverUpdate,   // only the receiver has a newer image: it may go on
    MouseUpdate,      // only the mouse has: it must be updated on its cable first
    PairAgain         // both or neither: pair mouse and receiver again
};
// What the checks compare: the mouse version kept for the model (empty for
// a mouse never paired on this computer; then nothing is compared), and
// whether "bin" holds another image for the mouse and, by the class of its
// receiver link, for the receiver; and what follows. The mouse's image, if
// any, is left in g_firmwareImageList.
struct DeviceFirmwareCheck {
    QString mouseVersion;
    bool mouseNewer = false;
    bool receiverNewer = false;
    FirmwareOffer offer = FirmwareOffer::PairFirst;
};
DeviceFirmwareCheck checkDeviceFirmware(const DeviceAllInfo &device);
FirmwareOffer firmwareOfferOf(const DeviceFirmwareCheck &check);

// Whether the image file's USB id text names the VID and PID of a listed
// device (g_deviceList); false for a file that cannot be read.
bool imageForListedDevice(const QString &path);

// How many devices waiting in update mode the image fits (the library's
// count; `preset` is what the count holds before it answers).
int countBootDevices(const QByteArray &image, int preset);

#endif // UPDATEDECISION_H

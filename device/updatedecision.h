#ifndef UPDATEDECISION_H
#define UPDATEDECISION_H

// Which device wants which firmware image: the rules every window that
// offers an update reads, so that the update button, the checks when a
// device is chosen, the update dialog's checks and the run's steps always
// agree. Nothing here keeps state or talks to a device, but for the count of
// devices waiting in update mode.

#include "devicesearch.h"

#include <QByteArray>
#include <QString>

// The model name of the firmware images of a receiver class (1, 2, 4 or 8:
// the product configuration's DM, D2M, D4M or D8M of `group`); empty for
// any other class. A class the configuration names no model for has no
// images: the image search finds none for an empty model name.
QString receiverModelOf(const QString &group, int receiverClass);
// The model name of the mouse's images (MM of `group`).
QString mouseModelOf(const QString &group);
// Option/CID and `group`/MID as numbers.
int productCid();
int modelMid(const QString &group);

// The first listed receiver (g_deviceList) that reports a paired mouse and,
// when asked, whose link gives it a receiver class; null when none does.
const DeviceAllInfo *listedReceiver(bool withClass);

// The versions of the chosen device's receiver and mouse as the settings
// page shows them, and its receiver's class: a receiver that is chosen
// tells both versions itself; with the mouse on its cable chosen, the
// receiver listed beside it (of exactly two listed devices) tells its own.
// A chosen device that is offline reports no mouse version.
struct SelectedFirmware {
    QString receiverVersion;
    QString mouseVersion;
    int receiverClass = 0;
};
SelectedFirmware selectedFirmware();

// Whether "bin" holds an image for the chosen device's mouse
// (kMouseDeviceCode) or, by the receiver class, its receiver
// (kReceiverDeviceCode) whose version differs from `version`: 1 yes, 0 no.
// An empty version is never new. Stores the product's CID in g_updateCid.
int firmwareUpdateAvailable(int deviceCode, const QString &version, int receiverClass);

// What the checks before a device is opened compare: the mouse version kept
// for the model (empty for a mouse never paired on this computer; then
// nothing is compared), and whether "bin" holds another image for the mouse
// and, by the class of its receiver link, for the receiver. The mouse's
// image, if any, is left in g_firmwareImageList.
struct DeviceFirmwareCheck {
    QString mouseVersion;
    bool mouseNewer = false;
    bool receiverNewer = false;
};
DeviceFirmwareCheck checkDeviceFirmware(const DeviceAllInfo &device);

// Whether the image file's USB id text names the VID and PID of a listed
// device (g_deviceList); false for a file that cannot be read.
bool imageForListedDevice(const QString &path);

// How many devices waiting in update mode the image fits (the library's
// count; `preset` is what the count holds before it answers).
int countBootDevices(const QByteArray &image, int preset);

#endif // UPDATEDECISION_H

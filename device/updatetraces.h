#ifndef UPDATETRACES_H
#define UPDATETRACES_H

// The three traces a firmware update leaves outside the program, and the one
// place that reads and writes them:
//   - the failure record UpdateFailInfo, from which a later repair knows
//     which device to flash again: "code,class,CID,MID" (kMouseDeviceCode or
//     kReceiverDeviceCode; class 0 or a receiver class of linktable.h), four
//     decimal numbers;
//   - the mouse's firmware version, "MouseVer" + CID text + MID text, which
//     the device link records (device/mouseversion.h);
//   - the update log of the device library, Exception/UpDateLog.txt in the
//     per-user data folder.
// Both registry values live under the program's key "...\Mouse Drive Test".

#include "devicesearch.h"
#include "mouseversion.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// "HKEY_CURRENT_USER\Software\Quzmar\Quzmar\Mouse Drive Test".
QString updateTraceKeyPath();

// The failure record as stored; empty when there is none.
QString readUpdateFailInfo();
// The record split at "," (empty parts kept). A record counts only with
// exactly four fields: anything else reads as no record (an empty list).
QStringList readUpdateFailFields();
QStringList parseUpdateFailInfo(const QString &text);
QString formatUpdateFailInfo(int deviceCode, int receiverClass, int cid, int mid);
void writeUpdateFailInfo(int deviceCode, int receiverClass, int cid, int mid);
// Removes the record and the device it names.
void removeUpdateFailInfo();

// Which device of its model the record names, kept beside it as
// "UpdateFailDevice": the path the device was listed at and the receiver
// id it goes by (a receiver's own, the one a mouse is paired with), so that
// the record follows that device and no other of its model. `kept` is
// false for a record written without it; a device found waiting in update
// mode is named with neither path nor id, and `writeBegun` says that a
// write of it began after it was recorded (the program may have ended
// before that write's end was heard).
struct RecordedDevice {
    bool kept = false;
    QString path;
    QByteArray receiverId;
    bool writeBegun = false;
};
RecordedDevice readUpdateFailDevice();
void writeUpdateFailDevice(const QString &path, const QByteArray &receiverId, bool writeBegun = false);

// Overwrites the update log with the eight lines the device library keeps
// about its last update (a missing line is written empty). False when the
// file cannot be opened (nothing is written then).
QString updateLogPath();
bool writeUpdateLog(const char *const *lines);

#endif // UPDATETRACES_H

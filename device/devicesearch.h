#ifndef DEVICESEARCH_H
#define DEVICESEARCH_H

// Who a found device is, whichever page searches: the record of a found
// path, its ids asked from the device and matched against the device groups
// of the product configuration, the kind of its link, and the id record
// with which a mouse on its cable is paired to a receiver.

#include "flashdatamap.h"
#include "linktable.h"

#include <QByteArray>
#include <QList>
#include <QString>

struct UsbDeviceInfo;

// Device codes of the firmware: image headers, the update failure record
// and the firmware searches tell the mouse and the receiver apart by them.
constexpr int kMouseDeviceCode = 210;
constexpr int kReceiverDeviceCode = 211;

// The product configuration group that describes the device of group
// index driveIndex (0-based): "Drive" + (driveIndex + 1).
QString driveGroup(int driveIndex);
// The group of the chosen device (g_selectedDevice). GUI thread.
QString selectedDriveGroup();

// Option/DeviceTotal: the number of device groups, which is also the group
// index a device gets when no group describes it.
int configuredDeviceTotal();

// Copies the paths a search returned, at most `limit` of them: the array
// belongs to the library and changes with its next search.
QList<QByteArray> copyFoundPaths(char **found, int count, int limit = 5);

// A firmware version as text: "v" + (version >> 8) in decimal + "." + the
// low byte as two upper-case hex digits (0x0300 gives v3.00, 0x0A0F v10.0F).
QString deviceVersionText(quint32 version);
// The firmware version the receiver at this path tells of itself (empty
// when it does not answer).
QString receiverOwnVersion(const char *path);

// A record for one found path: the path, the VID and PID texts it was
// searched under, and its USB firmware version text.
DeviceAllInfo foundDeviceRecord(const QByteArray &path, const QString &vid, const QString &pid);

// Asks the device at `path` for its ids (UsbFinderC_GetDeviceInfo) until it
// answers with a CID or MID other than 0, `queries` times at most; the last
// answer counts only when `lastCounts`. `info` holds the last answer. False
// when no answer counted.
bool askDeviceIds(const char *path, int queries, bool lastCounts, UsbDeviceInfo *info);

enum class DeviceMatch {
    NoAnswer,       // the ids stayed 0 and 0 through ten queries
    Recognised,     // a device group describes it
    UnknownModel,   // the product's CID, but no group has its MID
    OtherProduct    // another CID
};

// Asks the device at `path` for its ids (again while both are 0, ten times
// at most; the tenth answer never counts) and matches them against the
// device groups: the first group with the product's CID and the group's
// MID describes it. Always sets isWired from the last link byte and
// driveIndex (the device total unless a group matches); a recognised
// device also gets its cid, mid and linkType. Whether it is online is the
// caller's question.
DeviceMatch identifyDevice(DeviceAllInfo &record, const char *path);

// Whether a device search lists a device it has identified: an
// unanswering device is listed as unrecognised, a recognised one as
// itself, and one that answers but that no device group describes (an
// unknown model or another product) as unrecognised only while the
// configuration describes any device at all.
bool isListed(DeviceMatch match);

// The 5-byte record that pairs a mouse on its cable with a receiver: the
// receiver's id (bytes 9, 8 and 7 of its online answer, in that order), 0,
// and the class code of the receiver class (pairingCodeOfClass).
struct ReceiverIdRecord {
    unsigned char bytes[5] = {};
};
ReceiverIdRecord receiverIdRecord(const QByteArray &receiverId, int receiverClass);
// The receiver id in a receiver's online answer (a buffer of
// kUsbAddressBufferSize bytes): bytes 9, 8 and 7.
QByteArray receiverIdOf(const unsigned char *onlineAnswer);

// Sends the record to every mouse on its cable in `devices`.
void sendReceiverIdToWiredMice(const QList<DeviceAllInfo> &devices, const ReceiverIdRecord &record);

// Pairs every mouse on its cable in `devices` with each receiver of the
// list that answers, in list order. `lastAnswer` receives the online answer
// of every receiver asked, so it ends with the last one's. False when the
// list holds no receiver (nothing was asked, `lastAnswer` is untouched).
bool pairWiredMiceWithReceivers(const QList<DeviceAllInfo> &devices, int receiverClass, unsigned char *lastAnswer);

#endif // DEVICESEARCH_H

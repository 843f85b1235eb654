#ifndef DEVICEENUMERATION_H
#define DEVICEENUMERATION_H

// The search for the devices of the product family, for the device list and
// the device page alike: the product ids the configuration names, the
// library's find calls, and a record for each path found; and the lists of
// what the searches found, which live here and nowhere else.

#include "flashdatamap.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

// ---- The device lists ------------------------------------------------------------
// Three lists of found devices, records held by value, each with one writer,
// all touched on the GUI thread only:
//   g_foundDevices  what is found: every device of the family that the
//                   device list's enumeration identified, in search order
//                   (enumerateFoundDevices); a refreshed card's device gets
//                   its new record here too (refreshShownDevice).
//   g_shownDevices  what is shown: the devices that get a card on the device
//                   list, found less the receivers hidden behind their own
//                   mouse on its cable (decideShownDevices). The device list
//                   page shows them; the frame, the main window and the
//                   update engine read them.
//   g_deviceList    what is listed: the devices the device page's scan found
//                   since the device was chosen (Worker::scanDevices).
// The writers are the functions named, all in deviceenumeration.cpp but the
// device page's scan.
extern QList<DeviceAllInfo> g_foundDevices;
extern QList<DeviceAllInfo> g_shownDevices;
extern QList<DeviceAllInfo> g_deviceList;
// g_deviceList holds what the device page's scan found since the device was
// chosen (before that scan it is empty or tells of another time).
extern bool g_deviceListCurrent;
// The last enumeration of the device list found two devices of one kind and
// model (two cable mice, or two receivers of one link): the list shows a
// notice instead of cards.
extern bool g_duplicateDevices;

// What the device list's last enumeration searched by: the product id lists
// of the receiver classes (the link table's receiverPidsOfClass) and the
// vendor id and every product id in search order (for the pages that open
// a device by them).
extern QStringList g_wirelessPids;
extern QStringList g_wireless2Pids;
extern QStringList g_wireless4Pids;
extern QStringList g_wireless8Pids;
extern QString g_searchVid;
extern QVector<QString> g_searchPids;

// The library's two find calls. The device list and the pairing dialog use
// the default interface (a count of 5 asked for); the device page asks for
// interface 1 and at most 5 paths, the device screen's clock for interface
// 1 and at most 8.
enum class DeviceFind { DefaultInterface, Interface1 };

// The paths found for one VID and PID text (at most `most`), copied: the
// array belongs to the library and changes with its next search.
QList<QByteArray> findDevicePaths(DeviceFind find, const QString &vid, const QString &pid, int most = 5);

// The product id lists of Config.ini's Option group.
struct FamilyPids {
    QStringList usb, wireless, wireless2, wireless4, wireless8;
    // The five lists in the order above.
    QList<QStringList> lists() const;
    // The non-empty texts of every list, in that order; duplicates stay.
    QStringList searchOrder() const;
};
FamilyPids readFamilyPids();

// For each PID text in order (an empty one is searched too) and each path
// found under it: a record of the path (foundDeviceRecord), handed to
// `found` with the path before the next path is looked at.
using FoundDevice = std::function<void(DeviceAllInfo &record, const QByteArray &path)>;
void enumerateDevices(DeviceFind find, const QString &vid, const QStringList &pids, const FoundDevice &found);

// ---- The device list's enumeration -------------------------------------------------

// Empties g_foundDevices and g_shownDevices, reads the product id lists into
// the globals above, and finds every device of the family
// (findDevicesByPids).
void enumerateFoundDevices();
// Appends every device found under vid and one of pids, in that order, that
// identifyFoundDevice takes, to g_foundDevices and to g_shownDevices.
void findDevicesByPids(const QString &vid, const QStringList &pids);
// Fills cid, mid, linkType, isWired, driveIndex and online of a found
// device's record (devicePath set); true when the list takes it (it got a
// driveIndex), else the record stays as it was.
bool identifyFoundDevice(DeviceAllInfo &record);
// Refreshes entry `index` of g_shownDevices from the device: its online
// state and sub-device bytes (the online query into g_usbAddressResult), and
// with reidentify its ids first (identifyFoundDevice); the same device's
// entry of g_foundDevices takes the new record. An index outside the list
// does nothing.
void refreshShownDevice(int index, bool reidentify = false);
// Which of the devices found get a card. Every entry of g_shownDevices is
// counted by kind and model and refreshed (refreshShownDevice); then, model
// by model: two entries of one kind make the list doubled
// (g_duplicateDevices); otherwise, with exactly one mouse of the model on
// its cable, the receivers of the model that reach that same mouse
// (sameSubDevices) leave g_shownDevices (g_foundDevices keeps them). An
// empty list is left as it is, and so is g_duplicateDevices.
void decideShownDevices();

// Whether two records reach the same mouse: their three sub-device bytes
// (bytes 7 to 9 of the online query) name the same receiver id. A
// receiver's record carries its own id there and a mouse on its cable the
// id of the receiver it is paired with, so a receiver and a cable mouse
// match when the cable mouse is the receiver's own. CID and MID cannot tell
// two mice of one model apart. Records without three bytes never match.
bool sameSubDevices(const DeviceAllInfo &a, const DeviceAllInfo &b);

#endif // DEVICEENUMERATION_H

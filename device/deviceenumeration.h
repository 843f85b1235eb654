#ifndef DEVICEENUMERATION_H
#define DEVICEENUMERATION_H

// The search for the devices of the product family, for the device list and
// the device page alike: the product ids the configuration names, the
// library's find calls, and a record for each path found.

#include "flashdatamap.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

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

// Whether two records reach the same mouse: their three sub-device bytes
// (bytes 7 to 9 of the online query) name the same receiver id. A
// receiver's record carries its own id there and a mouse on its cable the
// id of the receiver it is paired with, so a receiver and a cable mouse
// match when the cable mouse is the receiver's own. CID and MID cannot tell
// two mice of one model apart. Records without three bytes never match.
bool sameSubDevices(const DeviceAllInfo &a, const DeviceAllInfo &b);

#endif // DEVICEENUMERATION_H

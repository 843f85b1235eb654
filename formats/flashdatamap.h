#ifndef FLASHDATAMAP_H
#define FLASHDATAMAP_H

// The device records of the program, below every floor that carries them
// (the formats, the signal hub, the device link): the wire records the
// device library fills (FlashDataMap, DongleRGB, in HIDUsbRecords.h) and the
// found-device record DeviceAllInfo, with their meta-type registration.

#include "HIDUsbRecords.h"

#include <QByteArray>
#include <QList>
#include <QMetaType>
#include <QString>

constexpr int kFlashDataMapSize = int(sizeof(FlashDataMap));
// The DPI levels the image holds, and so the most a device offers.
constexpr int kDpiLevelCount = int(sizeof(FlashDataMap::dpiLevels) / sizeof(DpiLevel));

// One found device. Two records are the same device when their paths are equal.
struct DeviceAllInfo {
    QString devicePath;
    QString vidText = QStringLiteral("0");
    QString pidText = QStringLiteral("0");
    u8 cid = 0;
    u8 mid = 0;
    u8 linkType = 0;
    int driveIndex = 0;
    u8 online = 0;
    // 1 for a mouse on its own cable: a link byte with a bit outside the
    // receiver links 0, 1, 4 and 5 ((linkType & 0xFA) != 0, isWiredLink());
    // 0 for a receiver, whose entry stands for it and the mouse it reaches.
    u8 isWired = 0;
    QString usbVersion;
    QString mouseVersion;
    QList<u8> subDevices;

    bool operator==(const DeviceAllInfo &other) const { return devicePath == other.devicePath; }
    bool operator!=(const DeviceAllInfo &other) const { return !(*this == other); }
};

Q_DECLARE_METATYPE(FlashDataMap)
Q_DECLARE_METATYPE(DeviceAllInfo)
Q_DECLARE_METATYPE(DongleRGB *)

// Registers the three record types with the meta-type system, so that the
// signals carrying them can be queued. Safe to call more than once.
void registerDeviceMetaTypes();

#endif // FLASHDATAMAP_H

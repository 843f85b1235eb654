#ifndef LINKTABLE_H
#define LINKTABLE_H

// What the link byte a device reports (byte 2 of its id answer) says about
// it: the one table that the device search, the update checks, pairing and
// the windows ask.
//
// Receivers report the links 0, 1, 4 and 5 (bits 0 and 2 only); any other
// bit set is a mouse on its own cable. Of those, link 3 has the polling
// rates, badge and background of the 8000 Hz receiver, link 2 the rates of
// the 1000 Hz one and no badge.

#include "flashdatamap.h"

#include <QString>
#include <QStringList>

struct LinkKind {
    // A receiver's class, its highest polling rate in kHz: 1, 2, 4 or 8.
    // 0 for a mouse on its cable and for an unknown link.
    int receiverClass = 0;
    // The rate class the polling-rate row is told (SensorRate::updateRates);
    // -1: none.
    int rateClass = -1;
    // The polling-rate row offers 2000, 4000 and 8000 Hz.
    bool highRates = false;
    // The polling-rate badge of the device card ("8KHz.png"); null: none.
    const char *badge = nullptr;
    // The button page's background; the second one has room for the
    // seven rates.
    const char *buttonPageBackground = "key_nr.png";
    // The receiver's light is read and set over this link.
    bool receiverLight = false;
};

// The row of a link byte; an unknown link has the defaults above.
const LinkKind &linkKindOf(int linkType);

// True when the link is a mouse on its own cable: a bit outside 0 and 2.
bool isWiredLink(u8 link);
// The receiver class of a link: 0 -> 1, 4 -> 2, 1 -> 4, 5 -> 8; 0 for any
// other link.
int receiverClassOfLink(int linkType);

// The device is a receiver whose light is read and set over its link.
bool reachesReceiverLight(const DeviceAllInfo &record);

// The receiver classes: 1, 2, 4 and 8, in this order (the device list's
// kinds, the update's count of receivers waiting in update mode).
constexpr int kReceiverClassCount = 4;
int receiverClassAt(int index);
// The position of a class in that order; -1 for any other number.
int receiverClassIndex(int receiverClass);
// The class a text names ("1", "2", "4" or "8", as the update failure
// record writes it); 0 for any other text.
int receiverClassOfText(const QString &text);

// The kinds the device list counts its entries by, to find a model listed
// twice: 0 a mouse on its cable, then one kind per receiver class. -1 for a
// receiver entry of an unknown link, which is not counted.
constexpr int kDeviceKindCount = 1 + kReceiverClassCount;
int deviceKindOf(const DeviceAllInfo &record);

// The class code a mouse on its cable is given with a receiver's id when it
// is paired to a receiver of that class: 2 and 4 give 1, 8 gives 4, any
// other class 0.
u8 pairingCodeOfClass(int receiverClass);

// The product configuration key of a device group that names the model of
// a receiver class's firmware images: DM, D2M, D4M or D8M; null for any
// other class.
const char *receiverModelKeyOfClass(int receiverClass);
// Whether an update asks a receiver of this class for its firmware version
// (UsbFinderC_GetSlaveVersion): the receivers of 2, 4 and 8 kHz tell it,
// the 1 kHz one does not.
bool receiverTellsOwnVersion(int receiverClass);
// The product ids the device list's last enumeration found receivers of
// this class by (g_wirelessPids, g_wireless2Pids, g_wireless4Pids,
// g_wireless8Pids of deviceenumeration.h); an empty list for any other
// class. GUI thread.
const QStringList &receiverPidsOfClass(int receiverClass);

#endif // LINKTABLE_H

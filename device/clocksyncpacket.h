#ifndef CLOCKSYNCPACKET_H
#define CLOCKSYNCPACKET_H

// The clock of the device screen: the date and time packet, 40 bytes (the
// command 0A 00 10, the local date and time, and a checksum in the last
// byte), and its exchange with the device, which answers with a packet of
// the same length that echoes bytes 0 to 6.

#include <QByteArray>
#include <QDateTime>
#include <QStringList>
#include <QVector>

struct ClockSyncPacket {
    static constexpr int kLength = 40;
    static constexpr int kChecksumIndex = kLength - 1;
    // Bytes a valid reply must echo: the command and the date up to the day.
    static constexpr int kEchoedBytes = 7;

    unsigned char bytes[kLength] = {};

    // The packet for one reading of the local date and time; the bytes
    // without a field stay 0 and the checksum is not yet written.
    static ClockSyncPacket forDateTime(const QDateTime &local);

    // 0x55 minus the sum of bytes 0..38, modulo 256.
    static unsigned char checksum(const unsigned char *packet);
    // The reply carries its own valid checksum.
    static bool hasValidChecksum(const unsigned char *reply);
    // The reply answers `sent`: bytes 0..6 echoed and a valid checksum.
    static bool answers(const unsigned char *reply, const unsigned char *sent);
};

// Every path the library finds under the vendor id and each of the product
// ids, in that order.
QStringList findScreenDevicePaths(const QString &vid, const QVector<QString> &pids);

// Opens the screen device for raw packets; false when it cannot be opened
// (gone, or found again under another path).
bool openScreenDevice(const QByteArray &path);

// Writes the checksum into the packet's last byte and sends `length` bytes
// of it to the opened device, up to five times in all, until the device
// echoes it. `reply` (ClockSyncPacket::kLength bytes) holds the last answer.
// True when that answer is verified.
bool exchangeClockSyncPacket(unsigned char *packet, unsigned char *reply, int length = ClockSyncPacket::kLength);

#endif // CLOCKSYNCPACKET_H

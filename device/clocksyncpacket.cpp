#include "clocksyncpacket.h"

#include "HIDUsb.h"
#include "deviceenumeration.h"

#include <cstring>

namespace {
constexpr int kSendsPerAttempt = 5;
constexpr int kMostScreenPaths = 8;
}

ClockSyncPacket ClockSyncPacket::forDateTime(const QDateTime &local)
{
    ClockSyncPacket p;
    const QDate date = local.date();
    const QTime time = local.time();
    p.bytes[0] = 0x0A;   // 16-bit command 0x000A, low byte first
    p.bytes[1] = 0x00;
    p.bytes[2] = 0x10;
    // The year stands high byte first, unlike the command.
    p.bytes[3] = static_cast<unsigned char>(date.year() >> 8);
    p.bytes[4] = static_cast<unsigned char>(date.year() & 0xFF);
    p.bytes[5] = static_cast<unsigned char>(date.month());
    p.bytes[6] = static_cast<unsigned char>(date.day());
    p.bytes[7] = static_cast<unsigned char>(time.hour());
    p.bytes[8] = static_cast<unsigned char>(time.minute());
    p.bytes[9] = static_cast<unsigned char>(time.second());
    // The weekday from the same reading: two readings could straddle
    // midnight and give the device Monday's date with Sunday's weekday.
    p.bytes[10] = static_cast<unsigned char>(date.dayOfWeek());   // 1 Monday .. 7 Sunday
    return p;
}

unsigned char ClockSyncPacket::checksum(const unsigned char *packet)
{
    unsigned char sum = 0;
    for (int i = 0; i < kChecksumIndex; ++i)
        sum = static_cast<unsigned char>(sum + packet[i]);
    return static_cast<unsigned char>(0x55 - sum);
}

bool ClockSyncPacket::hasValidChecksum(const unsigned char *reply)
{
    return reply[kChecksumIndex] == checksum(reply);
}

bool ClockSyncPacket::answers(const unsigned char *reply, const unsigned char *sent)
{
    return std::memcmp(reply, sent, kEchoedBytes) == 0 && hasValidChecksum(reply);
}

QStringList findScreenDevicePaths(const QString &vid, const QVector<QString> &pids)
{
    QStringList found;
    for (const QString &pid : pids) {
        for (const QByteArray &path : findDevicePaths(DeviceFind::Interface1, vid, pid, kMostScreenPaths))
            found.append(QString::fromLatin1(path));
    }
    return found;
}

bool openScreenDevice(const QByteArray &path)
{
    return UsbFinderC_OpenDevice(path.constData()) != 0;
}

bool exchangeClockSyncPacket(unsigned char *packet, unsigned char *reply, int length)
{
    packet[ClockSyncPacket::kChecksumIndex] = ClockSyncPacket::checksum(packet);
    for (int send = 0; send < kSendsPerAttempt; ++send) {
        std::memset(reply, 0, ClockSyncPacket::kLength);
        UsbFinderC_ReadWriteDeviceData(packet, reply, static_cast<unsigned char>(length));
        if (ClockSyncPacket::answers(reply, packet))
            return true;
    }
    return false;
}

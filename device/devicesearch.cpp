#include "devicesearch.h"

#include "HIDUsb.h"
#include "configsettings.h"
#include "devicestate.h"

namespace {
constexpr int kMaxInfoQueries = 10;
}

QString driveGroup(int driveIndex)
{
    return QStringLiteral("Drive") + QString::number(driveIndex + 1);
}

QString selectedDriveGroup()
{
    return driveGroup(g_selectedDevice.driveIndex);
}

int configuredDeviceTotal()
{
    return ConfigSettings::instance()->readString("Option", "DeviceTotal").toInt(nullptr, 10);
}

QList<QByteArray> copyFoundPaths(char **found, int count, int limit)
{
    QList<QByteArray> paths;
    if (!found)
        return paths;
    for (int i = 0; i < qBound(0, count, limit); ++i) {
        if (found[i])
            paths.append(QByteArray(found[i]));
    }
    return paths;
}

QString deviceVersionText(quint32 version)
{
    return "v" + QString::number(version >> 8) + "."
        + QString("%1").arg(version & 0xFF, 2, 16, QLatin1Char('0')).toUpper();
}

DeviceAllInfo foundDeviceRecord(const QByteArray &path, const QString &vid, const QString &pid)
{
    DeviceAllInfo record;
    record.devicePath = QString::fromLatin1(path);
    record.vidText = vid;
    record.pidText = pid;
    unsigned char attribute[12] = {};
    // A device that does not answer tells no version: none is known.
    if (UsbFinderC_GetUsbDeviceAttribute(path.constData(), attribute))
        record.usbVersion = deviceVersionText(quint32(attribute[8]) | (quint32(attribute[9]) << 8));
    return record;
}

QString receiverOwnVersion(const char *path)
{
    int raw = 0;
    return UsbFinderC_GetSlaveVersion(path, &raw) ? deviceVersionText(quint32(raw)) : QString();
}

bool askDeviceIds(const char *path, int queries, bool lastCounts, UsbDeviceInfo *info)
{
    for (int query = 1; query <= queries; ++query) {
        *info = UsbFinderC_GetDeviceInfo(path);
        if (query == queries && !lastCounts)
            return false;
        if (info->cid != 0 || info->mid != 0)
            return true;
    }
    return false;
}

DeviceMatch identifyDevice(DeviceAllInfo &record, const char *path)
{
    ConfigSettings *config = ConfigSettings::instance();
    const int total = configuredDeviceTotal();

    UsbDeviceInfo info = {0, 0, 0};
    if (!askDeviceIds(path, kMaxInfoQueries, false, &info)) {
        record.isWired = isWiredLink(info.link);
        record.driveIndex = total;
        return DeviceMatch::NoAnswer;
    }

    const int productCid = config->readString("Option", "CID").toInt(nullptr, 10);
    for (int k = 0; k < total; ++k) {
        const int mid = config->readString(driveGroup(k), "MID").toInt(nullptr, 10);
        if (info.cid != productCid || info.mid != mid)
            continue;
        record.isWired = isWiredLink(info.link);
        record.cid = info.cid;
        record.mid = info.mid;
        record.linkType = info.link;
        record.driveIndex = k;
        // The USB descriptor of a receiver whose class tells its own version
        // (linktable.h) carries a version of its own: its firmware is the
        // version it tells when asked (none known when it does not answer).
        if (!record.isWired && receiverTellsOwnVersion(receiverClassOfLink(info.link)))
            record.usbVersion = receiverOwnVersion(path);
        return DeviceMatch::Recognised;
    }

    record.isWired = isWiredLink(info.link);
    record.driveIndex = total;
    return info.cid == productCid ? DeviceMatch::UnknownModel : DeviceMatch::OtherProduct;
}

bool isListed(DeviceMatch match)
{
    switch (match) {
    case DeviceMatch::NoAnswer:
    case DeviceMatch::Recognised:
        return true;
    case DeviceMatch::UnknownModel:
    case DeviceMatch::OtherProduct:
        break;
    }
    return configuredDeviceTotal() >= 1;
}

ReceiverIdRecord receiverIdRecord(const QByteArray &receiverId, int receiverClass)
{
    ReceiverIdRecord record;
    for (int i = 0; i < 3 && i < receiverId.size(); ++i)
        record.bytes[i] = static_cast<unsigned char>(receiverId.at(i));
    record.bytes[4] = pairingCodeOfClass(receiverClass);
    return record;
}

QByteArray receiverIdOf(const unsigned char *onlineAnswer)
{
    return QByteArray(1, char(onlineAnswer[9])) + char(onlineAnswer[8]) + char(onlineAnswer[7]);
}

void sendReceiverIdToWiredMice(const QList<DeviceAllInfo> &devices, const ReceiverIdRecord &record)
{
    for (const DeviceAllInfo &mouse : devices) {
        if (mouse.isWired)
            UsbFinderC_SetDongleIDToMouse(mouse.devicePath.toUtf8().constData(), record.bytes);
    }
}

bool pairWiredMiceWithReceivers(const QList<DeviceAllInfo> &devices, int receiverClass, unsigned char *lastAnswer)
{
    bool asked = false;
    for (const DeviceAllInfo &receiver : devices) {
        if (receiver.isWired)
            continue;
        asked = true;
        unsigned char answer[kUsbAddressBufferSize] = {};
        const QByteArray path = receiver.devicePath.toUtf8();
        *lastAnswer = UsbFinderC_GetDeviceOnLineWithUsbAddress(path.constData(), answer);
        if (*lastAnswer == 0)
            continue;
        sendReceiverIdToWiredMice(devices, receiverIdRecord(receiverIdOf(answer), receiverClass));
    }
    return asked;
}

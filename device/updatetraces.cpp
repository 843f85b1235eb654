#include "updatetraces.h"

#include "globals.h"
#include "registry.h"

#include <QFile>

namespace {
const char kFailInfo[] = "UpdateFailInfo";
const char kFailDevice[] = "UpdateFailDevice";
} // namespace

QString updateTraceKeyPath()
{
    return RegistryKey::deviceRecordsKeyPath();
}

QString readUpdateFailInfo()
{
    const QVariant value = RegistryKey(updateTraceKeyPath()).value(QLatin1String(kFailInfo));
    // A record typed into the store by hand without quotes reads back as a
    // list of its fields.
    if (value.type() == QVariant::StringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

QStringList parseUpdateFailInfo(const QString &text)
{
    const QStringList fields = text.split(QLatin1Char(','));
    return fields.size() == 4 ? fields : QStringList();
}

QStringList readUpdateFailFields()
{
    return parseUpdateFailInfo(readUpdateFailInfo());
}

QString formatUpdateFailInfo(int deviceCode, int receiverClass, int cid, int mid)
{
    return QString::number(deviceCode) + "," + QString::number(receiverClass) + "," + QString::number(cid) + ","
           + QString::number(mid);
}

void writeUpdateFailInfo(int deviceCode, int receiverClass, int cid, int mid)
{
    // A new record names no device until it is told which.
    RegistryKey key(updateTraceKeyPath());
    key.remove(QLatin1String(kFailDevice));
    key.setValue(QLatin1String(kFailInfo), formatUpdateFailInfo(deviceCode, receiverClass, cid, mid));
}

void removeUpdateFailInfo()
{
    RegistryKey key(updateTraceKeyPath());
    key.remove(QLatin1String(kFailInfo));
    key.remove(QLatin1String(kFailDevice));
}

RecordedDevice readUpdateFailDevice()
{
    const QVariant value = RegistryKey(updateTraceKeyPath()).value(QLatin1String(kFailDevice));
    RecordedDevice device;
    if (!value.isValid())
        return device;
    // "path|receiver id in hex|w": the path may hold any character but the
    // last two bars.
    const QString text = value.toString();
    const QStringList tail = text.section(QLatin1Char('|'), -2).split(QLatin1Char('|'));
    device.kept = true;
    device.path = text.section(QLatin1Char('|'), 0, -3);
    device.receiverId = QByteArray::fromHex(tail.value(0).toLatin1());
    device.writeBegun = tail.value(1) == QLatin1String("w");
    return device;
}

void writeUpdateFailDevice(const QString &path, const QByteArray &receiverId, bool writeBegun)
{
    RegistryKey(updateTraceKeyPath())
        .setValue(QLatin1String(kFailDevice), path + QLatin1Char('|') + QString::fromLatin1(receiverId.toHex())
                                                  + QLatin1Char('|') + (writeBegun ? "w" : ""));
}

QString updateLogPath()
{
    return userDataDir() + "/Exception/UpDateLog.txt";
}

bool writeUpdateLog(const char *const *lines)
{
    QFile file(updateLogPath());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        return false;
    for (int i = 0; i < 8; ++i) {
        if (lines && lines[i])
            file.write(lines[i]);
        file.write("\n");
    }
    return true;
}

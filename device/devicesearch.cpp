#include "devicesearch.h"

#include "HIDUsb.h"
#include "deviceevent.h"

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

DeviceAllInfo foundDeviceRecord(const QByteArray &path, const QString &vid, const QString &pid)
{
    DeviceAllInfo record;
    record.devicePath = QString::fromLatin1(path);
    record.vidText = vid;
    record.pidText = pid;
    unsigned char attribute[12] = {};
    UsbFinderC_GetUsbDeviceAttribute(path.constData(), attribute);
    record.usbVersion = deviceVersionText(quint32(attribute[8]) | (quint32(attribute[9]) << 8));
    return record;
}

#ifndef DEVICESEARCH_H
#define DEVICESEARCH_H

// What every device search does with the library's answer, whichever page
// searches.

#include "flashdatamap.h"

#include <QByteArray>
#include <QList>
#include <QString>

// Copies the paths a search returned, at most `limit` of them: the array
// belongs to the library and changes with its next search.
QList<QByteArray> copyFoundPaths(char **found, int count, int limit = 5);

// A record for one found path: the path, the VID and PID texts it was
// searched under, and its USB firmware version text.
DeviceAllInfo foundDeviceRecord(const QByteArray &path, const QString &vid, const QString &pid);

#endif // DEVICESEARCH_H

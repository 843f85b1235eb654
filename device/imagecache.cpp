#include "imagecache.h"

#include "configsettings.h"
#include "devicesearch.h"
#include "devicestate.h"
#include "globals.h"

#include <QByteArray>
#include <QDataStream>
#include <QFile>
#include <QSaveFile>

#include <cstring>

namespace {

const char kExportMarker[] = "Malvo";
constexpr int kTextFieldSize = 12;

// Reads one length-framed byte array that must be exactly `expected` bytes
// long. The length is checked before anything is allocated or copied, so a
// damaged or hostile file can neither make us allocate its claimed length
// nor hand back fewer bytes than the caller is about to copy.
bool readFramedBlock(QDataStream &in, QByteArray *out, quint32 expected)
{
    quint32 length = 0;
    in >> length;
    if (in.status() != QDataStream::Ok || length != expected)
        return false;
    QByteArray data(int(length), Qt::Uninitialized);
    if (in.readRawData(data.data(), int(length)) != int(length))
        return false;
    *out = data;
    return true;
}

// A text field as both files hold it: the bytes up to the first zero byte,
// at most the whole field.
QByteArray fieldText(const QByteArray &field)
{
    const int end = field.indexOf('\0');
    return end < 0 ? field : field.left(end);
}

// A text zero-padded to the field size, or cut to it without terminator.
QByteArray toField(const QByteArray &text)
{
    QByteArray field = text.left(kTextFieldSize);
    field.append(QByteArray(kTextFieldSize - field.size(), '\0'));
    return field;
}

// The selected device's sensor name as the export file stores it.
QByteArray selectedSensorField()
{
    const QString sensor = ConfigSettings::instance()->readString(selectedDriveGroup(), QStringLiteral("Sensor"));
    return toField(sensor.toUtf8());
}

void writeImage(QDataStream &out, const FlashDataMap &image)
{
    out.writeBytes(reinterpret_cast<const char *>(&image), uint(sizeof(FlashDataMap)));
}

// Puts the new file in place only when every byte reached it. The explicit
// flush matters: QSaveFile::commit() does not notice a write error that only
// shows when its buffer is flushed on close (a full disk), and would then
// rename a cut-off file over the good one.
void commitOrDiscard(QSaveFile &file, const QDataStream &out)
{
    if (out.status() != QDataStream::Ok || !file.flush() || file.error() != QFileDevice::NoError) {
        file.cancelWriting();
        return;
    }
    file.commit();
}

int finishImport(int result)
{
    g_importResult = result;
    return result;
}

} // namespace

QString deviceCacheDir()
{
    return userDataDir() + QStringLiteral("/Device_Info/");
}

QString deviceCacheFileName(u8 cid, u8 mid)
{
    return QString::asprintf("Device_CID%02X_MID%02X.bin", uint(cid), uint(mid));
}

QString deviceCacheFileName(const DeviceAllInfo &device)
{
    return deviceCacheFileName(device.cid, device.mid);
}

bool loadDeviceInfo(QString name, FlashDataMap *out)
{
    QFile file(deviceCacheDir() + name);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QDataStream in(&file);
    QByteArray body;
    // A cache that does not hold one whole image counts as no cache: copying
    // part of an image would mix it with whatever *out held before.
    if (!readFramedBlock(in, &body, quint32(sizeof(FlashDataMap))))
        return false;
    std::memcpy(out, body.constData(), sizeof(FlashDataMap));
    return true;
}

void saveDeviceInfo(QString name, const FlashDataMap &image)
{
    // Written beside the old file and renamed over it only when complete, so
    // a crash or a full disk never leaves a cut-off cache behind.
    QSaveFile file(deviceCacheDir() + name);
    if (!file.open(QIODevice::WriteOnly))
        return;
    QDataStream out(&file);
    writeImage(out, image);
    commitOrDiscard(file, out);
}

void ExportConfigFile(QString path, FlashDataMap image)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return;
    QDataStream out(&file);
    const QByteArray marker = toField(QByteArray(kExportMarker));
    const QByteArray sensor = selectedSensorField();
    out.writeBytes(marker.constData(), uint(marker.size()));
    out.writeBytes(sensor.constData(), uint(sensor.size()));
    writeImage(out, image);
    commitOrDiscard(file, out);
}

int readConfigFile(const QString &path, FlashDataMap *importRecord)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qCDebug(lcDiagnostics) << "failed";
        return finishImport(ConfigImportBadFile);
    }
    QDataStream in(&file);

    QByteArray marker;
    if (!readFramedBlock(in, &marker, kTextFieldSize) || fieldText(marker) != kExportMarker)
        return finishImport(ConfigImportBadFile);

    QByteArray sensor;
    if (!readFramedBlock(in, &sensor, kTextFieldSize))
        return finishImport(ConfigImportBadFile);
    // Compared as it was written: a long sensor name is cut to the field on
    // export, so it is cut the same way here.
    if (fieldText(sensor) != fieldText(selectedSensorField()))
        return finishImport(ConfigImportWrongDevice);

    QByteArray body;
    if (!readFramedBlock(in, &body, quint32(sizeof(FlashDataMap))))
        return finishImport(ConfigImportBadFile);
    std::memcpy(importRecord, body.constData(), sizeof(FlashDataMap));

    const int maxGrade =
        ConfigSettings::instance()->readString(selectedDriveGroup(), QStringLiteral("DPIMaxGrade")).toInt();
    if (importRecord->dpiLevelCount > maxGrade)
        return finishImport(ConfigImportWrongDevice);
    return finishImport(ConfigImportOk);
}

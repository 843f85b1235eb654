#include "firmwareimage.h"

#include "devicesearch.h"
#include "globals.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QRegularExpression>

#include <cstring>

QList<QByteArray> g_firmwareImageList;
QList<QByteArray> g_repairImageList;
int g_updateCid = 0;

namespace {
QString local8BitField(const QByteArray &bytes, int offset, int size)
{
    const char *start = bytes.constData() + offset;
    const void *nul = std::memchr(start, 0, size_t(size));
    const int length = nul ? int(static_cast<const char *>(nul) - start) : size;
    return QString::fromLocal8Bit(start, length);
}
} // namespace

FirmwareHeader parseFirmwareHeader(const QByteArray &bytes)
{
    FirmwareHeader header;
    if (bytes.size() < kFirmwareHeaderSize)
        return header;
    const auto *b = reinterpret_cast<const quint8 *>(bytes.constData());
    header.version = quint32(b[16]) | (quint32(b[17]) << 8) | (quint32(b[18]) << 16) | (quint32(b[19]) << 24);
    header.deviceCode = b[20];
    header.cid = b[21];
    header.mid = b[22];
    header.bodyLength = quint32(b[24]) | (quint32(b[25]) << 8) | (quint32(b[26]) << 16) | (quint32(b[27]) << 24);
    header.modelName = local8BitField(bytes, 87, 64);
    header.usbIdText = local8BitField(bytes, 279, 64);
    header.valid = true;
    return header;
}

bool isWholeImage(const FirmwareHeader &header, qint64 fileSize)
{
    return header.valid && header.bodyLength > 0 && fileSize - kFirmwareHeaderSize >= qint64(header.bodyLength);
}

QString firmwareVersionText(quint32 version)
{
    return deviceVersionText(version);
}

QString firmwareComparisonText(const QString &versionText)
{
    QString text = versionText;
    return text.remove(QLatin1Char('v'));
}

bool isDecimalComparisonText(const QString &comparisonText)
{
    static const QRegularExpression decimal(QStringLiteral("^(\\d+(\\.\\d*)?|\\.\\d+)$"));
    return decimal.match(comparisonText).hasMatch();
}

double firmwareComparisonNumber(const QString &comparisonText)
{
    if (!isDecimalComparisonText(comparisonText))
        return 0;
    bool ok = false;
    const double value = QLocale::c().toDouble(comparisonText, &ok);
    return ok ? value : 0;
}

QString firmwareFolder()
{
    return programDir() + "/bin";
}

namespace {

bool fits(const FirmwareHeader &header, quint8 deviceCode, const QString &modelName, quint8 cid, quint8 mid)
{
    return header.valid && header.deviceCode == deviceCode && header.cid == cid && header.mid == mid
           && header.modelName == modelName;
}

bool sameHeader(const FirmwareHeader &a, const FirmwareHeader &b)
{
    return a.valid && b.valid && a.version == b.version && a.deviceCode == b.deviceCode && a.cid == b.cid
           && a.mid == b.mid && a.modelName == b.modelName;
}

// The folder's files in name order (case ignored), each with its header
// and whether it is a whole image; `withBytes` also keeps every whole
// image's bytes. Only the first bytes of a file are read otherwise, so that
// a search through large files stays quick. A file that cannot be opened,
// or is too short for a header, fits nothing.
FirmwareShelf readShelf(bool withBytes)
{
    FirmwareShelf shelf;
    const QDir folder(firmwareFolder());
    if (!folder.exists())
        return shelf;
    const QStringList names =
        folder.entryList(QStringList() << QStringLiteral("*.bin"), QDir::Files, QDir::Name | QDir::IgnoreCase);
    for (const QString &name : names) {
        ShelfImage image;
        image.path = folder.filePath(name);
        QFile file(image.path);
        if (file.open(QIODevice::ReadOnly)) {
            image.header = parseFirmwareHeader(file.read(kFirmwareHeaderSize));
            image.whole = isWholeImage(image.header, file.size());
            if (withBytes && image.whole) {
                file.seek(0);
                image.bytes = file.readAll();
                image.whole = isWholeImage(image.header, image.bytes.size());
            }
        }
        shelf << image;
    }
    return shelf;
}

} // namespace

FirmwareShelf readFirmwareShelf()
{
    return readShelf(true);
}

int chooseFirmwareImage(const FirmwareShelf &shelf, FirmwareSearchMode mode, quint8 deviceCode,
                        const QString &deviceVersion, const QString &modelName, quint8 cid, quint8 mid)
{
    const QString device = firmwareComparisonText(deviceVersion);
    const bool hasVersion = !device.isEmpty();
    if (mode == FirmwareSearchMode::AnswerOnly && !hasVersion)
        return -1;
    // The model name is all that ties an image to a kind of device: a
    // device whose model the configuration does not name has no image.
    if (modelName.isEmpty())
        return -1;
    int chosen = -1;
    for (int i = 0; i < shelf.size(); ++i) {
        // One unreadable or broken file must not hide a good image beside it.
        const FirmwareHeader &header = shelf.at(i).header;
        if (!shelf.at(i).whole || !fits(header, deviceCode, modelName, cid, mid))
            continue;
        const QString image = firmwareComparisonText(firmwareVersionText(header.version));
        if (hasVersion && image == device)
            continue;   // the device already runs this image
        // Two texts that are not both decimal numbers have no numeric
        // order: reading them as 0 would make v1.0A and v1.0B equal and
        // hide an image the twin search offers.
        if (hasVersion && mode != FirmwareSearchMode::RepairTwin && isDecimalComparisonText(image)
            && isDecimalComparisonText(device) && firmwareComparisonNumber(image) == firmwareComparisonNumber(device))
            break;   // the answer is what was chosen before
        chosen = i;
    }
    return chosen;
}

QByteArray shelfImageFor(const FirmwareShelf &shelf, FirmwareSearchMode mode, quint8 deviceCode,
                         const QString &deviceVersion, const QString &modelName, quint8 cid, quint8 mid)
{
    const int chosen = chooseFirmwareImage(shelf, mode, deviceCode, deviceVersion, modelName, cid, mid);
    return chosen < 0 ? QByteArray() : shelf.at(chosen).bytes;
}

bool searchFirmwareImages(FirmwareSearchMode mode, quint8 deviceCode, const QString &deviceVersion,
                          const QString &modelName, quint8 cid, quint8 mid, QList<QByteArray> *chosenImage)
{
    if (chosenImage)
        chosenImage->clear();
    const FirmwareShelf shelf = readShelf(false);
    const int chosen = chooseFirmwareImage(shelf, mode, deviceCode, deviceVersion, modelName, cid, mid);
    if (chosen < 0)
        return false;
    if (!chosenImage)
        return true;
    // Only the chosen file is read whole. It must still be the image the
    // search chose: a file changed meanwhile is not handed on.
    QFile file(shelf.at(chosen).path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    const FirmwareHeader header = parseFirmwareHeader(bytes);
    if (!isWholeImage(header, bytes.size()) || !sameHeader(header, shelf.at(chosen).header))
        return false;
    chosenImage->append(bytes);
    return true;
}

bool brokenImageOnShelf(const FirmwareShelf &shelf, quint8 deviceCode, const QString &modelName, quint8 cid,
                        quint8 mid, const QString &deviceVersion)
{
    if (modelName.isEmpty())
        return false;
    const QString device = firmwareComparisonText(deviceVersion);
    for (const ShelfImage &image : shelf) {
        if (!image.whole && fits(image.header, deviceCode, modelName, cid, mid)
            && firmwareComparisonText(firmwareVersionText(image.header.version)) != device)
            return true;
    }
    return false;
}

bool brokenFirmwareImageFits(quint8 deviceCode, const QString &modelName, quint8 cid, quint8 mid,
                             const QString &deviceVersion)
{
    return brokenImageOnShelf(readShelf(false), deviceCode, modelName, cid, mid, deviceVersion);
}

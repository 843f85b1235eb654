#include "picturetiles.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QFile>
#include <QMultiHash>
#include <QRect>
#include <QSaveFile>

#include <cstring>

namespace {

const quint32 kMagic = 0x51555a54;   // "QUZT"
const quint32 kVersion = 1;
const int kLargestSide = 16384;

// A tile without a see-through pixel is drawn by copying, not blending:
// the same pixels, some thousand times over in a full repaint.
QImage opaqueIfItIs(QImage tile)
{
    if (tile.format() != QImage::Format_ARGB32 && tile.format() != QImage::Format_ARGB32_Premultiplied)
        return tile;
    for (int y = 0; y < tile.height(); ++y) {
        const QRgb *pixel = reinterpret_cast<const QRgb *>(tile.constScanLine(y));
        for (int x = 0; x < tile.width(); ++x) {
            if (qAlpha(pixel[x]) != 255)
                return tile;
        }
    }
    return tile.convertToFormat(QImage::Format_RGB32);
}

bool isKeptFormat(int format)
{
    return format == QImage::Format_RGB32 || format == QImage::Format_ARGB32
           || format == QImage::Format_ARGB32_Premultiplied;
}

// Which picture the tiles were cut from: its file's bytes.
QByteArray fingerprint(const QString &pictureFile)
{
    QFile file(pictureFile);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    QCryptographicHash hash(QCryptographicHash::Sha1);
    if (!hash.addData(&file))
        return QByteArray();
    return hash.result();
}

QSize placeSize(const QSize &picture, int tile, int index)
{
    const int columns = (picture.width() + tile - 1) / tile;
    const QRect place(index % columns * tile, index / columns * tile, tile, tile);
    return (place & QRect(QPoint(0, 0), picture)).size();
}

} // namespace

PictureTiles cutIntoTiles(const QImage &image, int tile)
{
    PictureTiles cut;
    if (image.isNull() || image.depth() < 8 || tile <= 0)
        return cut;
    cut.size = image.size();
    const int bytesPerPixel = image.depth() / 8;
    QMultiHash<uint, int> seen;   // a tile's hash: the tiles that have it
    // Each place is hashed and compared where it lies in the picture; only
    // a tile not seen before is copied out.
    for (int y = 0; y < image.height(); y += tile) {
        for (int x = 0; x < image.width(); x += tile) {
            const QRect place = QRect(x, y, tile, tile) & image.rect();
            const size_t rowBytes = size_t(place.width()) * bytesPerPixel;
            const auto row = [&](int r) { return image.constScanLine(y + r) + x * bytesPerPixel; };
            uint hash = 0;
            for (int r = 0; r < place.height(); ++r)
                hash = qHashBits(row(r), rowBytes, hash);
            int index = -1;
            for (auto it = seen.constFind(hash); index < 0 && it != seen.cend() && it.key() == hash; ++it) {
                const QImage &kept = cut.tiles.at(*it);
                bool same = kept.size() == place.size();
                for (int r = 0; same && r < place.height(); ++r)
                    same = std::memcmp(kept.constScanLine(r), row(r), rowBytes) == 0;
                if (same)
                    index = *it;
            }
            if (index < 0) {
                index = cut.tiles.size();
                cut.tiles.append(opaqueIfItIs(image.copy(place)));
                seen.insert(hash, index);
            }
            cut.tileAt.append(index);
        }
    }
    return cut;
}

QString pictureTilesFile(const QString &pictureFile)
{
    return pictureFile + QStringLiteral(".tiles");
}

bool writePictureTiles(const QString &pictureFile, int tile)
{
    const PictureTiles cut = cutIntoTiles(QImage(pictureFile), tile);
    const QByteArray print = fingerprint(pictureFile);
    if (cut.tiles.isEmpty() || print.isEmpty())
        return false;
    for (const QImage &t : cut.tiles) {
        if (!isKeptFormat(t.format()))
            return false;
    }
    QSaveFile file(pictureTilesFile(pictureFile));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QDataStream out(&file);
    out.setVersion(QDataStream::Qt_5_9);
    out << kMagic << kVersion << print << qint32(tile) << qint32(cut.size.width()) << qint32(cut.size.height())
        << qint32(cut.tiles.size());
    for (const QImage &t : cut.tiles) {
        QByteArray pixels;
        pixels.reserve(t.width() * t.height() * 4);
        for (int y = 0; y < t.height(); ++y)
            pixels.append(reinterpret_cast<const char *>(t.constScanLine(y)), t.width() * 4);
        out << qint32(t.width()) << qint32(t.height()) << qint32(t.format()) << pixels;
    }
    out << qint32(cut.tileAt.size());
    for (int index : cut.tileAt)
        out << qint32(index);
    return out.status() == QDataStream::Ok && file.commit();
}

bool readPictureTiles(const QString &pictureFile, int tile, PictureTiles *out)
{
    QFile file(pictureTilesFile(pictureFile));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QDataStream in(&file);
    in.setVersion(QDataStream::Qt_5_9);
    quint32 magic = 0, version = 0;
    QByteArray print;
    qint32 keptTile = 0, width = 0, height = 0, count = 0;
    in >> magic >> version >> print >> keptTile >> width >> height >> count;
    if (in.status() != QDataStream::Ok || magic != kMagic || version != kVersion || keptTile != tile
        || width <= 0 || height <= 0 || width > kLargestSide || height > kLargestSide)
        return false;
    const QSize size(width, height);
    const int places = ((width + tile - 1) / tile) * ((height + tile - 1) / tile);
    if (count <= 0 || count > places || print != fingerprint(pictureFile))
        return false;

    PictureTiles read;
    read.size = size;
    read.tiles.reserve(count);
    for (int i = 0; i < count; ++i) {
        qint32 w = 0, h = 0, format = 0;
        QByteArray pixels;
        in >> w >> h >> format >> pixels;
        if (in.status() != QDataStream::Ok || w <= 0 || h <= 0 || w > tile || h > tile || !isKeptFormat(format)
            || pixels.size() != w * h * 4)
            return false;
        QImage t(w, h, QImage::Format(format));
        for (int y = 0; y < h; ++y)
            std::memcpy(t.scanLine(y), pixels.constData() + y * w * 4, size_t(w) * 4);
        read.tiles.append(t);
    }
    qint32 placesKept = 0;
    in >> placesKept;
    if (in.status() != QDataStream::Ok || placesKept != places)
        return false;
    read.tileAt.reserve(places);
    for (int i = 0; i < places; ++i) {
        qint32 index = -1;
        in >> index;
        // Each place's tile must be of the place's size.
        if (in.status() != QDataStream::Ok || index < 0 || index >= count
            || read.tiles.at(index).size() != placeSize(size, tile, i))
            return false;
        read.tileAt.append(index);
    }
    if (!in.atEnd())
        return false;
    *out = std::move(read);
    return true;
}

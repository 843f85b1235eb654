#include "pagebackground.h"

#include "picturetiles.h"

#include <QEvent>
#include <QImageReader>
#include <QPaintEvent>
#include <QPainter>
#include <QWidget>

PageBackground::PageBackground(QWidget *target, Placement placement)
    : QObject(target), m_target(target), m_placement(placement)
{
    target->installEventFilter(this);
}

PageBackground::~PageBackground()
{
    for (auto &entry : m_decoding)
        entry.second->thread.join();
}

void PageBackground::prepare(const QStringList &files)
{
    for (const QString &file : files) {
        if (m_pictures.contains(file) || m_decoding.count(file))
            continue;
        auto decoding = std::make_unique<Decoding>();
        Decoding *d = decoding.get();
        const QSize size = m_target->size();
        const Placement placement = m_placement;
        d->thread = std::thread([d, file, size, placement] { d->result = decode(file, size, placement); });
        m_decoding.emplace(file, std::move(decoding));
    }
}

void PageBackground::show(const QString &file)
{
    if (file == m_file)
        return;
    m_file = file;
    m_target->update();
}

PageBackground::Decoded PageBackground::decode(const QString &file, const QSize &targetSize, Placement placement)
{
    // The build has cut the large pictures into tiles: read, not decoded.
    // Otherwise straight from the file: the toolkit's picture cache would
    // keep a second copy of pictures this size. A picture of fewer than 8
    // bits a pixel cannot be cut along whole bytes and stays whole; so does
    // one stretched to another size.
    Decoded decoded;
    PictureTiles cut;
    if (readPictureTiles(file, kTile, &cut)) {
        if (placement == Stretch && cut.size != targetSize) {
            decoded.whole = QImage(file);
            return decoded;
        }
    } else {
        QImage image(file);
        if (image.isNull() || image.depth() < 8 || (placement == Stretch && image.size() != targetSize)) {
            decoded.whole = std::move(image);
            return decoded;
        }
        cut = cutIntoTiles(image, kTile);
    }
    decoded.size = cut.size;
    decoded.tiles = std::move(cut.tiles);
    decoded.tileAt = std::move(cut.tileAt);
    return decoded;
}

const PageBackground::Picture &PageBackground::picture(const QString &file)
{
    auto found = m_pictures.constFind(file);
    if (found != m_pictures.constEnd())
        return *found;
    Decoded decoded;
    auto decoding = m_decoding.find(file);
    if (decoding != m_decoding.end()) {
        decoding->second->thread.join();
        decoded = std::move(decoding->second->result);
        m_decoding.erase(decoding);
    } else if (m_placement == Stretch && QImageReader(file).size() != m_target->size()) {
        // Stretched whole: loaded as the style sheets load their pictures,
        // so every widget that shows it shares one copy.
        Picture shown;
        shown.whole = QPixmap(file);
        return *m_pictures.insert(file, std::move(shown));
    } else {
        decoded = decode(file, m_target->size(), m_placement);
    }
    Picture shown;
    shown.whole = QPixmap::fromImage(std::move(decoded.whole));
    shown.size = decoded.size;
    shown.tileAt = std::move(decoded.tileAt);
    shown.tiles.reserve(decoded.tiles.size());
    for (QImage &tile : decoded.tiles)
        shown.tiles.append(QPixmap::fromImage(std::move(tile)));
    return *m_pictures.insert(file, std::move(shown));
}

void PageBackground::paint(const Picture &shown, QPainter &painter, const QRect &exposed) const
{
    if (shown.tiles.isEmpty()) {
        if (m_placement == Stretch) {
            // Smoothed, as the style sheet's border-image draws it.
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            painter.drawPixmap(m_target->rect(), shown.whole);
        } else {
            painter.drawPixmap(origin(shown.whole.size()), shown.whole);
        }
        return;
    }
    // Only the tiles the paint reaches, in the picture's own places.
    const QPoint at = origin(shown.size);
    const int columns = (shown.size.width() + kTile - 1) / kTile;
    const QRect reached = exposed.translated(-at) & QRect(QPoint(0, 0), shown.size);
    if (reached.isEmpty())
        return;
    for (int row = reached.top() / kTile; row <= reached.bottom() / kTile; ++row) {
        for (int column = reached.left() / kTile; column <= reached.right() / kTile; ++column)
            painter.drawPixmap(at + QPoint(column * kTile, row * kTile),
                               shown.tiles.at(shown.tileAt.at(row * columns + column)));
    }
}

QPoint PageBackground::origin(const QSize &pictureSize) const
{
    if (m_placement == Stretch)
        return QPoint(0, 0);
    // Centred as the style sheet centres it, halves rounded down apart (a
    // larger picture is cut off on both sides).
    return QPoint(m_target->width() / 2 - pictureSize.width() / 2, m_target->height() / 2 - pictureSize.height() / 2);
}

bool PageBackground::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_target && event->type() == QEvent::Paint && !m_file.isEmpty()) {
        const Picture &shown = picture(m_file);
        if (!shown.isNull()) {
            QPainter painter(m_target);
            paint(shown, painter, static_cast<QPaintEvent *>(event)->rect());
        }
    }
    return QObject::eventFilter(watched, event);
}

void showFramePicture(QWidget *frame, const QString &file, PageBackground::Placement placement)
{
    auto *background = frame->findChild<PageBackground *>(QString(), Qt::FindDirectChildrenOnly);
    if (!background)
        background = new PageBackground(frame, placement);
    background->show(file);
    frame->setStyleSheet("#" + frame->objectName() + "{border:0px;}");
}

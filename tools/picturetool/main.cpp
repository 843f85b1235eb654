#include "painter.h"

#include "picturetiles.h"

#include <QDir>
#include <QDirIterator>
#include <QImageReader>
#include <QGuiApplication>
#include <cstdio>

// From this many pixels on a picture is also kept as tiles.
constexpr int kTiledPictureArea = 320 * 200;

std::vector<PictureFolder> &pictureFolders()
{
    static std::vector<PictureFolder> folders;
    return folders;
}

QImage canvas(int w, int h, QColor fill)
{
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(fill);
    return img;
}

bool savePng(const QImage &img, const QString &path)
{
    return img.save(path, "PNG");
}

QImage roundedButton(int w, int h, QColor fill, QColor border, int radius, const QString &text, QColor textColor)
{
    QImage img = canvas(w, h);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(border.alpha() ? QPen(border, 1) : Qt::NoPen);
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(0.5, 0.5, w - 1, h - 1), radius, radius);
    if (!text.isEmpty()) {
        QFont f;
        f.setPixelSize(qMax(8, h / 2 - 2));
        f.setBold(true);
        p.setFont(f);
        p.setPen(textColor);
        p.drawText(QRect(0, 0, w, h), Qt::AlignCenter, text);
    }
    return img;
}

QImage glyph(const QString &kind, int size, QColor color, QColor background)
{
    QImage img = canvas(size, size, background);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QPen pen(color, qMax(1.5, size / 12.0), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    const double m = size * 0.3, e = size - m;
    if (kind == "close") {
        p.drawLine(QPointF(m, m), QPointF(e, e));
        p.drawLine(QPointF(e, m), QPointF(m, e));
    } else if (kind == "min") {
        p.drawLine(QPointF(m, size / 2.0), QPointF(e, size / 2.0));
    } else if (kind == "back" || kind == "left") {
        p.drawPolyline(QPolygonF({QPointF(e - size * 0.1, m), QPointF(m + size * 0.05, size / 2.0), QPointF(e - size * 0.1, e)}));
    } else if (kind == "right") {
        p.drawPolyline(QPolygonF({QPointF(m + size * 0.1, m), QPointF(e - size * 0.05, size / 2.0), QPointF(m + size * 0.1, e)}));
    } else if (kind == "check") {
        p.drawPolyline(QPolygonF({QPointF(m, size / 2.0), QPointF(size * 0.45, e), QPointF(e, m)}));
    } else if (kind == "warning") {
        QPainterPath tri;
        tri.moveTo(size / 2.0, size * 0.12);
        tri.lineTo(size * 0.9, size * 0.85);
        tri.lineTo(size * 0.1, size * 0.85);
        tri.closeSubpath();
        p.drawPath(tri);
        p.drawLine(QPointF(size / 2.0, size * 0.4), QPointF(size / 2.0, size * 0.6));
        p.drawPoint(QPointF(size / 2.0, size * 0.72));
    } else if (kind == "setting") {
        p.drawEllipse(QPointF(size / 2.0, size / 2.0), size * 0.16, size * 0.16);
        for (int i = 0; i < 8; ++i) {
            p.save();
            p.translate(size / 2.0, size / 2.0);
            p.rotate(i * 45);
            p.drawLine(QPointF(0, size * 0.24), QPointF(0, size * 0.36));
            p.restore();
        }
        p.drawEllipse(QPointF(size / 2.0, size / 2.0), size * 0.26, size * 0.26);
    }
    return img;
}

QImage dialogPanel(int w, int h, QColor accent, int accentLength)
{
    QImage img = canvas(w, h, kDialogPanel);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kDialogBorder, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(0.5, 0.5, w - 1, h - 1));
    p.setPen(QPen(accent, 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(24, 6), QPointF(24 + accentLength, 6));
    return img;
}

bool saveCloseButtons(const QString &dir, QColor glyphColor)
{
    auto face = [](QColor glyphColor, QColor back) {
        QImage img = canvas(30, 30);
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        if (back.alpha()) {
            p.setPen(Qt::NoPen);
            p.setBrush(back);
            p.drawRoundedRect(QRectF(3, 3, 24, 24), 5, 5);
        }
        p.drawImage(0, 0, glyph(QStringLiteral("close"), 30, glyphColor));
        return img;
    };
    bool ok = savePng(face(glyphColor, Qt::transparent), dir + "/Close.png");
    ok &= savePng(face(Qt::white, QColor(232, 72, 85)), dir + "/CloseHover.png");
    ok &= savePng(face(Qt::white, QColor(186, 50, 62)), dir + "/CloseClick.png");
    return ok;
}

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    // picturetool --icon <size> <file>: the logo alone, for the desktop's
    // icon theme.
    if (argc == 4 && qstrcmp(argv[1], "--icon") == 0) {
        const int size = QByteArray(argv[2]).toInt();
        if (size > 0 && savePng(programLogo(size), QString::fromLocal8Bit(argv[3])))
            return 0;
        std::fprintf(stderr, "picturetool: painting the %s-pixel icon failed\n", argv[2]);
        return 1;
    }
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("Picture");
    bool ok = true;
    for (const PictureFolder &f : pictureFolders()) {
        const QString dir = out + "/" + QString::fromLatin1(f.name);
        QDir().mkpath(dir);
        if (!f.paint(dir)) {
            std::fprintf(stderr, "picturetool: painting %s failed\n", f.name);
            ok = false;
        }
    }
    // The large pictures (page and dialog backgrounds) are also kept as
    // tiles, which the program reads instead of decoding the picture.
    QDirIterator pictures(out, {QStringLiteral("*.png")}, QDir::Files, QDirIterator::Subdirectories);
    while (pictures.hasNext()) {
        const QString file = pictures.next();
        const QSize size = QImageReader(file).size();
        if (size.width() * size.height() >= kTiledPictureArea && !writePictureTiles(file, kPictureTile)) {
            std::fprintf(stderr, "picturetool: cutting %s into tiles failed\n", qPrintable(file));
            ok = false;
        }
    }
    return ok ? 0 : 1;
}

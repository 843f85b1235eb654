// The frame's pictures and the program logo: the window backgrounds with the
// blue header band, the header's navigation icons, the pairing button, the
// minimise and close buttons and the language box's arrows.
#include "painter.h"

#include <QtMath>

namespace {

const QColor kHeaderTop(38, 146, 238);
const QColor kHeaderBottom(24, 118, 214);
const QColor kHeaderLine(18, 96, 182);
const QColor kPage(244, 246, 249);
const QColor kPageLow(236, 240, 245);
const QColor kOrange(240, 120, 20);
const QColor kIconNormal(255, 255, 255, 215);
const QColor kIconHover(255, 255, 0);
constexpr int kWidth = 1340;
constexpr int kHeight = 940;
constexpr int kHeader = 80;

void drawLogoMark(QPainter &p, const QRectF &r, const QColor &ring)
{
    p.save();
    p.setPen(QPen(ring, r.width() * 0.09, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    const QPointF c = r.center() - QPointF(r.width() * 0.06, r.height() * 0.06);
    p.drawEllipse(c, r.width() * 0.26, r.height() * 0.26);
    p.drawLine(c + QPointF(r.width() * 0.18, r.height() * 0.18), r.bottomRight() - QPointF(r.width() * 0.12, r.height() * 0.12));
    p.restore();
}

// The window backgrounds cover the whole window and are decoded whenever the
// program first shows them (some 5 MB each): stored without an alpha channel
// and with light compression they decode in about half the time and are
// drawn without blending. The pixels are the same.
bool saveBackground(const QImage &img, const QString &path)
{
    // The writer's quality 80 is compression level 1.
    return img.convertToFormat(QImage::Format_RGB32).save(path, "PNG", 80);
}

// The window background: header band with the product mark, light page.
QImage background(const QColor &accentStripe, bool panel)
{
    QImage img = canvas(kWidth, kHeight, kPage);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    QLinearGradient page(0, kHeader, 0, kHeight);
    page.setColorAt(0, kPage);
    page.setColorAt(1, kPageLow);
    p.fillRect(QRect(0, kHeader, kWidth, kHeight - kHeader), page);

    QLinearGradient header(0, 0, 0, kHeader);
    header.setColorAt(0, kHeaderTop);
    header.setColorAt(1, kHeaderBottom);
    p.fillRect(QRect(0, 0, kWidth, kHeader), header);
    p.fillRect(QRect(0, kHeader - 1, kWidth, 1), kHeaderLine);
    if (accentStripe.isValid())
        p.fillRect(QRect(0, kHeader, kWidth, 3), accentStripe);

    // Product mark and name on the left of the header.
    const QRectF mark(36, 28, 36, 36);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 40));
    p.drawRoundedRect(mark, 9, 9);
    drawLogoMark(p, mark.adjusted(5, 5, -5, -5), Qt::white);
    QFont font("Montserrat");
    font.setPixelSize(24);
    font.setBold(true);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 3);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(86, 28, 300, 36), Qt::AlignLeft | Qt::AlignVCenter, "QUZMAR");

    if (panel) {
        // The device page sits on one white panel.
        paintPageCard(p, QRectF(30, kHeader + 20, kWidth - 60, kHeight - kHeader - 40));
    }
    return img;
}

// Navigation icon "list of devices": a 2 x 2 grid of rounded tiles.
QImage gridIcon(int w, int h, const QColor &c)
{
    QImage img = canvas(w, h);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    const qreal s = (qMin(w, h) - 3) / 2.0;
    const qreal x0 = (w - (2 * s + 3)) / 2.0, y0 = (h - (2 * s + 3)) / 2.0;
    for (int i = 0; i < 2; ++i)
        for (int j = 0; j < 2; ++j)
            p.drawRoundedRect(QRectF(x0 + i * (s + 3), y0 + j * (s + 3), s, s), 2, 2);
    return img;
}

// Navigation icon "device": a mouse outline with its wheel.
QImage mouseIcon(int w, int h, const QColor &c)
{
    QImage img = canvas(w, h);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal bw = h * 0.62, bh = h - 2;
    const QRectF body((w - bw) / 2.0, 1, bw, bh);
    p.setPen(QPen(c, 1.8));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(body, bw / 2.0, bw / 2.0);
    p.drawLine(QPointF(body.center().x(), body.top() + 3.5), QPointF(body.center().x(), body.top() + 7.5));
    return img;
}

// Navigation icon "settings": a gear.
QImage gearIcon(int w, int h, const QColor &c)
{
    QImage img = canvas(w, h);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF centre(w / 2.0, h / 2.0);
    const qreal r = qMin(w, h) / 2.0 - 1;
    QPainterPath gear;
    const int teeth = 8;
    for (int i = 0; i < teeth * 2; ++i) {
        const qreal a0 = (i * M_PI) / teeth;
        const qreal a1 = ((i + 1) * M_PI) / teeth;
        const qreal rr = (i % 2 == 0) ? r : r * 0.74;
        const QPointF p0 = centre + QPointF(qCos(a0) * rr, qSin(a0) * rr);
        const QPointF p1 = centre + QPointF(qCos(a1) * rr, qSin(a1) * rr);
        if (i == 0)
            gear.moveTo(p0);
        else
            gear.lineTo(p0);
        gear.lineTo(p1);
    }
    gear.closeSubpath();
    QPainterPath hole;
    hole.addEllipse(centre, r * 0.33, r * 0.33);
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawPath(gear.subtracted(hole));
    return img;
}

// The pairing button: a rounded outline with two linked rings.
QImage pairButton(int w, int h)
{
    QImage img = canvas(w, h);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(255, 255, 255, 150), 1.2));
    p.setBrush(QColor(255, 255, 255, 38));
    p.drawRoundedRect(QRectF(1, 1, w - 2, h - 2), 8, 8);
    p.setPen(QPen(Qt::white, 2.2));
    p.setBrush(Qt::NoBrush);
    const qreal cy = h / 2.0;
    p.drawRoundedRect(QRectF(w / 2.0 - 13, cy - 5, 14, 10), 5, 5);
    p.drawRoundedRect(QRectF(w / 2.0 - 1, cy - 5, 14, 10), 5, 5);
    return img;
}

// Minimise and close: a white glyph, on hover over a soft (or red) disc.
QImage cornerButton(bool close, bool hover)
{
    QImage img = canvas(48, 30);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    if (hover) {
        p.setPen(Qt::NoPen);
        p.setBrush(close ? QColor(232, 72, 72) : QColor(255, 255, 255, 56));
        p.drawRoundedRect(QRectF(4, 1, 40, 28), 7, 7);
    }
    p.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap));
    if (close) {
        p.drawLine(QPointF(19, 10), QPointF(29, 20));
        p.drawLine(QPointF(29, 10), QPointF(19, 20));
    } else {
        p.drawLine(QPointF(18, 15), QPointF(30, 15));
    }
    return img;
}

} // namespace

QImage programLogo(int size)
{
    QImage img = canvas(size, size);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    // Drawn on a 64-pixel grid, scaled to the size asked for.
    p.scale(size / 64.0, size / 64.0);
    QLinearGradient g(0, 0, 64, 64);
    g.setColorAt(0, QColor(40, 170, 255));
    g.setColorAt(1, QColor(20, 90, 200));
    p.setBrush(g);
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(4, 4, 56, 56, 14, 14);
    p.setPen(QPen(Qt::white, 5, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(30, 30), 13, 13);
    p.drawLine(QPointF(38, 38), QPointF(47, 47));
    return img;
}

QImage chevron(bool up)
{
    QImage img = canvas(12, 8);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::white, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPolygonF chevron;
    if (up)
        chevron << QPointF(1.5, 6) << QPointF(6, 1.8) << QPointF(10.5, 6);
    else
        chevron << QPointF(1.5, 2) << QPointF(6, 6.2) << QPointF(10.5, 2);
    p.drawPolyline(chevron);
    return img;
}

QImage tintedChevron(bool up, QColor color)
{
    QImage img = chevron(up);
    QPainter p(&img);
    p.setCompositionMode(QPainter::CompositionMode_SourceIn);
    p.fillRect(img.rect(), color);
    return img;
}

QUZ_PICTURE_FOLDER(dialog, "Dialog")
{
    bool ok = savePng(programLogo(64), dir + "/Logo.png");
    ok &= saveBackground(background(QColor(), false), dir + "/main_nr.png");
    ok &= saveBackground(devicePageBackground(background(QColor(), false), kHeader, QColor(30, 136, 229)),
                         dir + "/key_nr.png");
    ok &= saveBackground(devicePageBackground(background(kOrange, false), kHeader, kOrange), dir + "/key_nr_2.png");
    ok &= saveBackground(background(QColor(), true), dir + "/macro_nr.png");
    // Each pair's "normal" picture carries the name the frame gives it.
    ok &= savePng(gridIcon(21, 21, kIconNormal), dir + "/MainHover.png");
    ok &= savePng(gridIcon(21, 21, kIconHover), dir + "/Main.png");
    ok &= savePng(mouseIcon(24, 20, kIconNormal), dir + "/DeviceHover.png");
    ok &= savePng(mouseIcon(24, 20, kIconHover), dir + "/Device.png");
    ok &= savePng(gearIcon(24, 20, kIconNormal), dir + "/Set.png");
    ok &= savePng(gearIcon(24, 20, kIconHover), dir + "/SetHover.png");
    ok &= savePng(pairButton(48, 30), dir + "/Pair.png");
    ok &= savePng(cornerButton(true, false), dir + "/exit_nr.png");
    ok &= savePng(cornerButton(true, true), dir + "/exit_ov.png");
    ok &= savePng(cornerButton(false, false), dir + "/min_nr.png");
    ok &= savePng(cornerButton(false, true), dir + "/min_ov.png");
    ok &= savePng(chevron(false), dir + "/Menu.png");
    ok &= savePng(chevron(true), dir + "/MenuClicked.png");
    ok &= savePng(canvas(142, 60, QColor(19, 19, 19)), dir + "/ComboboxTextBack.png");
    return ok;
}

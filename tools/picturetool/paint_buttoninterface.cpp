// The device page: its background (white cards on the light page, the mouse
// with numbered buttons, and dark places under the texts the page draws in
// white: the six button labels and the profile box), the
// submenu arrow, the option, reset and pairing buttons, the debounce box
// and the battery's charging mark.
#include "painter.h"

#include <QtMath>

namespace {

const QColor kInk(45, 52, 64);          // dark places for white texts
const QColor kInkBorder(30, 36, 46);
const QColor kCard(255, 255, 255);
const QColor kCardBorder(221, 226, 233);
const QColor kMuted(150, 158, 170);
const QColor kOn(30, 136, 229);

void paintPill(QPainter &p, const QRectF &r)
{
    p.setPen(QPen(kInkBorder, 1));
    p.setBrush(kInk);
    p.drawRoundedRect(r, r.height() / 2, r.height() / 2);
}

// A numbered dot that ties a button label to its place on the mouse.
void paintMarker(QPainter &p, const QPointF &centre, int number, QColor accent)
{
    p.setPen(QPen(Qt::white, 1.5));
    p.setBrush(accent);
    p.drawEllipse(centre, 8.5, 8.5);
    QFont f;
    f.setPixelSize(11);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(centre.x() - 8, centre.y() - 8, 16, 16), Qt::AlignCenter, QString::number(number));
}

QImage tipMark()
{
    QImage img = canvas(16, 16);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kMuted, 1.3));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
    QFont f;
    f.setPixelSize(11);
    f.setBold(true);
    p.setFont(f);
    p.drawText(QRectF(0, 0, 16, 16), Qt::AlignCenter, QStringLiteral("?"));
    return img;
}

QImage subMenuArrow(bool hovered)
{
    QImage img = canvas(43, 24);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(hovered ? QColor(20, 20, 20) : kMuted, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygonF({QPointF(18, 7), QPointF(23, 12), QPointF(18, 17)}));
    return img;
}

QImage chargingMark()
{
    QImage img = canvas(20, 20);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath bolt;
    bolt.moveTo(11.5, 1.5);
    bolt.lineTo(4.5, 11);
    bolt.lineTo(9.5, 11);
    bolt.lineTo(8, 18.5);
    bolt.lineTo(15.5, 8.5);
    bolt.lineTo(10.5, 8.5);
    bolt.closeSubpath();
    p.setPen(QPen(QColor(40, 120, 40), 1));
    p.setBrush(QColor(76, 175, 80));
    p.drawPath(bolt);
    return img;
}

// A round control button: a disc (accent when switched on) with a glyph.
enum class Glyph { Restore, Performance, MotionSync, Pair };

QImage roundControl(int size, Glyph glyph, bool on)
{
    QImage img = canvas(size, size);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF disc(1.5, 1.5, size - 3, size - 3);
    p.setPen(QPen(on ? kOn.darker(115) : kInkBorder, 1));
    p.setBrush(on ? kOn : kInk);
    p.drawEllipse(disc);

    const qreal c = size / 2.0;
    const qreal r = size * 0.24;
    p.setPen(QPen(Qt::white, qMax(2.0, size / 18.0), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    switch (glyph) {
    case Glyph::Restore: {
        // A circular arrow, turning back.
        const QRectF arc(c - r, c - r, 2 * r, 2 * r);
        p.drawArc(arc, 100 * 16, 280 * 16);
        const QPointF tip(c + r * qCos(qDegreesToRadians(100.0)), c - r * qSin(qDegreesToRadians(100.0)));
        p.drawPolyline(QPolygonF({tip + QPointF(-size * 0.11, -size * 0.04), tip, tip + QPointF(-size * 0.03, size * 0.11)}));
        break;
    }
    case Glyph::Performance: {
        // A gauge with its needle.
        p.drawArc(QRectF(c - r, c - r * 0.8, 2 * r, 2 * r), 0, 180 * 16);
        p.drawLine(QPointF(c, c + r * 0.2), QPointF(c + r * 0.6, c - r * 0.45));
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(c, c + r * 0.2), 1.5, 1.5);
        break;
    }
    case Glyph::MotionSync: {
        // Two waves in step.
        for (int row = 0; row < 2; ++row) {
            const qreal y = c - r * 0.45 + row * r * 0.9;
            QPainterPath wave;
            wave.moveTo(c - r, y);
            wave.cubicTo(c - r * 0.5, y - r * 0.5, c - r * 0.2, y - r * 0.5, c, y);
            wave.cubicTo(c + r * 0.2, y + r * 0.5, c + r * 0.5, y + r * 0.5, c + r, y);
            p.drawPath(wave);
        }
        break;
    }
    case Glyph::Pair: {
        // Two linked rings.
        p.drawRoundedRect(QRectF(c - r * 1.15, c - r * 0.42, r * 1.3, r * 0.84), r * 0.42, r * 0.42);
        p.drawRoundedRect(QRectF(c - r * 0.15, c - r * 0.42, r * 1.3, r * 0.84), r * 0.42, r * 0.42);
        break;
    }
    }
    return img;
}

} // namespace

void paintPageCard(QPainter &p, const QRectF &r)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(20, 40, 80, 14));
    p.drawRoundedRect(r.translated(0, 3), 14, 14);
    p.setPen(QPen(kCardBorder, 1));
    p.setBrush(kCard);
    p.drawRoundedRect(r, 14, 14);
}

QImage valueBox(int w, int h)
{
    QImage img = canvas(w, h);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    paintPill(p, QRectF(0.5, 0.5, w - 1, h - 1));
    return img;
}

QImage stepGlyph(bool plus, int size)
{
    QImage img = canvas(size, size);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::white, 1.8, Qt::SolidLine, Qt::RoundCap));
    const qreal c = size / 2.0, m = size * 0.22;
    p.drawLine(QPointF(m, c), QPointF(size - m, c));
    if (plus)
        p.drawLine(QPointF(c, m), QPointF(c, size - m));
    return img;
}

QImage checkIndicator(bool checked, int size)
{
    QImage img = canvas(size, size);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(checked ? kOn.darker(110) : QColor(160, 168, 180), 1.2));
    p.setBrush(checked ? kOn : QColor(255, 255, 255));
    p.drawRoundedRect(QRectF(1, 1, size - 2, size - 2), 3.5, 3.5);
    if (checked) {
        p.setPen(QPen(Qt::white, size / 8.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygonF(
            {QPointF(size * 0.27, size * 0.52), QPointF(size * 0.44, size * 0.69), QPointF(size * 0.74, size * 0.33)}));
    }
    return img;
}

QImage devicePageBackground(QImage window, int pageTop, QColor accent)
{
    QPainter p(&window);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.translate(0, pageTop);

    // Device, controls, macro editor and sensor options.
    paintPageCard(p, QRectF(10, 6, 626, 648));
    paintPageCard(p, QRectF(10, 664, 626, 176));
    paintPageCard(p, QRectF(646, 6, 684, 494));
    paintPageCard(p, QRectF(646, 506, 684, 334));

    // The mouse; its buttons carry the numbers of the labels beside it.
    const qreal cx = 505, top = 118, bottom = 300, half = 62;
    paintMouse(p, cx, top, bottom, half, accent, true);
    const qreal len = bottom - top;
    const QPointF onMouse[6] = {
        {cx - half * 0.5, top + len * 0.2},        // left button
        {cx + half * 0.5, top + len * 0.2},        // right button
        {cx, top + len * 0.185},                   // wheel
        {cx - half - 14, top + len * 0.49},        // front side button: forward
        {cx - half - 14, top + len * 0.61},        // rear side button: back
        {cx, top + len * 0.40},                    // DPI button behind the wheel
    };

    // Label places of ButtonA..ButtonF, centred on their texts, and the
    // marker numbers (ButtonD is the forward button, ButtonE the back one).
    struct Label {
        QRectF pill;
        int number;
    };
    const Label labels[6] = {
        {QRectF(178, 174, 190, 18), 1}, {QRectF(178, 194, 190, 18), 2}, {QRectF(178, 219, 190, 18), 3},
        {QRectF(178, 276, 190, 18), 4}, {QRectF(178, 319, 190, 18), 5}, {QRectF(451, 333, 182, 18), 6},
    };
    for (const Label &l : labels) {
        paintPill(p, l.pill);
        paintMarker(p, QPointF(l.pill.left() - 13, l.pill.center().y()), l.number, accent);
        paintMarker(p, onMouse[l.number - 1], l.number, accent);
    }

    // The profile box shows a white text.
    paintPill(p, QRectF(324, 72, 108, 28));
    p.setPen(QPen(Qt::white, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygonF({QPointF(412, 83), QPointF(416, 87), QPointF(420, 83)}));

    // A small battery before the level bar.
    p.setPen(QPen(kMuted, 1.4));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(292, 45, 18, 10), 2, 2);
    p.fillRect(QRectF(310.5, 48, 2, 4), kMuted);
    return window;
}

QUZ_PICTURE_FOLDER(buttoninterface, "Buttoninterface")
{
    bool ok = savePng(subMenuArrow(false), dir + "/menusub_nr.png");
    ok &= savePng(subMenuArrow(true), dir + "/menusub_ov.png");
    ok &= savePng(checkIndicator(false, 14), dir + "/check_nr.png");
    ok &= savePng(checkIndicator(true, 14), dir + "/check_dn.png");
    ok &= savePng(tipMark(), dir + "/Tips.png");
    ok &= savePng(valueBox(130, 30), dir + "/Frame.png");
    ok &= savePng(chargingMark(), dir + "/Charg.png");
    ok &= savePng(stepGlyph(false, 15), dir + "/Reduce.png");
    ok &= savePng(stepGlyph(true, 15), dir + "/Add.png");
    ok &= savePng(roundControl(42, Glyph::Restore, false), dir + "/restore_nr.png");
    ok &= savePng(roundControl(42, Glyph::Performance, false), dir + "/P1.png");
    ok &= savePng(roundControl(42, Glyph::Performance, true), dir + "/P1H.png");
    ok &= savePng(roundControl(50, Glyph::MotionSync, false), dir + "/P2.png");
    ok &= savePng(roundControl(50, Glyph::MotionSync, true), dir + "/P2H.png");
    ok &= savePng(roundControl(50, Glyph::Pair, false), dir + "/Pair.png");
    return ok;
}

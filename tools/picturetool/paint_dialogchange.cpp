// The device list page: device cards (a mouse seen from above, one picture
// per model, online and offline), the unknown-device card (a USB receiver),
// link and offline marks, polling-rate badges, the arrows and the repair
// button. The page is light, so cards are white with a soft edge.
#include "painter.h"

namespace {

const QColor kCardTop(255, 255, 255);
const QColor kCardBottom(243, 246, 250);
const QColor kCardBorder(222, 228, 236);
const QColor kText(44, 50, 60);
const QColor kMuted(150, 158, 170);
const QColor kBlue(30, 136, 229);
const QColor kOrange(240, 120, 20);
const QColor kOffline(214, 69, 80);

struct Model {
    const char *name;
    QColor accent;
};
// Picture index 0 is model 1 (blue colour set), 1 is model 2 (orange).
const Model kModels[2] = {{"QZM-Q1", kBlue}, {"QZM-Q2", kOrange}};

QColor grey(const QColor &c)
{
    const int v = qGray(c.rgb());
    return QColor(v, v, v);
}

void paintCard(QPainter &p, int w, int h, bool dim)
{
    const QRectF card(1.5, 1.5, w - 3, h - 3);
    // Soft shadow: a few translucent outlines below the card.
    p.setPen(Qt::NoPen);
    for (int i = 3; i >= 1; --i) {
        p.setBrush(QColor(20, 30, 50, 6 * (4 - i)));
        p.drawRoundedRect(card.adjusted(0, i, 0, i), 18, 18);
    }
    QLinearGradient g(0, 0, 0, h);
    g.setColorAt(0, kCardTop);
    g.setColorAt(1, dim ? QColor(238, 240, 243) : kCardBottom);
    p.setBrush(g);
    p.setPen(QPen(kCardBorder, 1));
    p.drawRoundedRect(card, 18, 18);
}

} // namespace

QPainterPath mouseBody(qreal cx, qreal top, qreal bottom, qreal half)
{
    const qreal len = bottom - top;
    QPainterPath path;
    path.moveTo(cx, top);
    path.cubicTo(cx + half * 0.78, top, cx + half, top + len * 0.20, cx + half, top + len * 0.47);
    path.cubicTo(cx + half, top + len * 0.82, cx + half * 0.72, bottom, cx, bottom);
    path.cubicTo(cx - half * 0.72, bottom, cx - half, top + len * 0.82, cx - half, top + len * 0.47);
    path.cubicTo(cx - half, top + len * 0.20, cx - half * 0.78, top, cx, top);
    path.closeSubpath();
    return path;
}

// A mouse from above: graphite shell, split main buttons, the wheel and a
// light strip in the model's accent colour.
void paintMouse(QPainter &p, qreal cx, qreal top, qreal bottom, qreal half, QColor accent, bool online)
{
    const qreal len = bottom - top;
    const QColor shellDark = online ? QColor(34, 38, 46) : QColor(168, 174, 184);
    const QColor shellLight = online ? QColor(74, 82, 96) : QColor(206, 211, 218);
    if (!online)
        accent = grey(accent).lighter(115);

    // Shadow on the desk.
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 6; ++i) {
        p.setBrush(QColor(10, 20, 40, 10));
        p.drawEllipse(QPointF(cx, bottom + 2), half * (1.05 - i * 0.06), 10 - i);
    }

    const QPainterPath body = mouseBody(cx, top, bottom, half);
    QLinearGradient side(cx - half, 0, cx + half, 0);
    side.setColorAt(0, shellDark);
    side.setColorAt(0.45, shellLight);
    side.setColorAt(1, shellDark);
    p.setBrush(side);
    p.drawPath(body);

    // A sheen on the palm rest.
    QRadialGradient sheen(QPointF(cx - half * 0.25, top + len * 0.62), half * 0.9);
    sheen.setColorAt(0, QColor(255, 255, 255, online ? 46 : 70));
    sheen.setColorAt(1, QColor(255, 255, 255, 0));
    p.setBrush(sheen);
    p.drawPath(body);

    p.save();
    p.setClipPath(body);
    // Button split and the edge between buttons and palm rest.
    const QColor seam = online ? QColor(18, 20, 26) : QColor(150, 156, 166);
    p.setPen(QPen(seam, 2));
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(cx, top), QPointF(cx, top + len * 0.36));
    QPainterPath edge;
    edge.moveTo(cx - half, top + len * 0.40);
    edge.quadTo(cx, top + len * 0.30, cx + half, top + len * 0.40);
    p.drawPath(edge);
    // Accent strip along the palm rest.
    QLinearGradient strip(0, top + len * 0.40, 0, bottom);
    strip.setColorAt(0, accent);
    QColor fade = accent;
    fade.setAlpha(0);
    strip.setColorAt(1, fade);
    p.setPen(QPen(QBrush(strip), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(cx, top + len * 0.45), QPointF(cx, top + len * 0.62));
    p.restore();

    // Wheel.
    p.setPen(Qt::NoPen);
    p.setBrush(online ? QColor(16, 18, 22) : QColor(140, 146, 156));
    p.drawRoundedRect(QRectF(cx - 8, top + len * 0.10 - 2, 16, len * 0.17 + 4), 7, 7);
    QLinearGradient wheel(0, top + len * 0.10, 0, top + len * 0.27);
    wheel.setColorAt(0, accent.lighter(130));
    wheel.setColorAt(1, accent.darker(120));
    p.setBrush(wheel);
    p.drawRoundedRect(QRectF(cx - 5, top + len * 0.10, 10, len * 0.17), 5, 5);

    // Side buttons on the left flank.
    p.setBrush(online ? QColor(96, 104, 118) : QColor(186, 191, 199));
    p.drawRoundedRect(QRectF(cx - half - 2, top + len * 0.44, 5, len * 0.10), 2, 2);
    p.drawRoundedRect(QRectF(cx - half - 2, top + len * 0.56, 5, len * 0.10), 2, 2);

    // Logo mark.
    p.setPen(QPen(accent, 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPainterPath mark;
    mark.moveTo(cx - 9, top + len * 0.70);
    mark.lineTo(cx, top + len * 0.76);
    mark.lineTo(cx + 9, top + len * 0.70);
    p.drawPath(mark);
}

namespace {

void paintCaption(QPainter &p, const QRectF &rect, const QString &text, QColor color)
{
    QFont font;
    font.setPixelSize(17);
    font.setBold(true);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 1.2);
    p.setFont(font);
    p.setPen(color);
    p.drawText(rect, Qt::AlignCenter, text);
}

QImage deviceCard(const Model &model, bool online)
{
    const int w = 216, h = 328;
    QImage img = canvas(w, h);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    paintCard(p, w, h, !online);
    paintMouse(p, w / 2.0, 44, 248, 58, model.accent, online);
    paintCaption(p, QRectF(0, 270, w, 26), QString::fromLatin1(model.name), online ? kText : kMuted);
    // A short accent bar under the name marks the model's colour set.
    p.setPen(Qt::NoPen);
    p.setBrush(online ? model.accent : kCardBorder);
    p.drawRoundedRect(QRectF(w / 2.0 - 18, 302, 36, 4), 2, 2);
    return img;
}

// A USB receiver: a small body with the connector, a question mark on it.
QImage unknownCard()
{
    const int w = 216, h = 328;
    QImage img = canvas(w, h);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    paintCard(p, w, h, false);
    const qreal cx = w / 2.0;

    // Connector (metal) on top, body below.
    QLinearGradient metal(cx - 26, 0, cx + 26, 0);
    metal.setColorAt(0, QColor(176, 184, 194));
    metal.setColorAt(0.5, QColor(236, 240, 245));
    metal.setColorAt(1, QColor(170, 178, 188));
    p.setPen(QPen(QColor(150, 158, 170), 1));
    p.setBrush(metal);
    p.drawRoundedRect(QRectF(cx - 26, 56, 52, 66), 4, 4);
    p.setBrush(QColor(120, 128, 140));
    p.setPen(Qt::NoPen);
    p.drawRect(QRectF(cx - 14, 72, 10, 10));
    p.drawRect(QRectF(cx + 4, 72, 10, 10));

    const QRectF bodyRect(cx - 40, 118, 80, 134);
    QLinearGradient body(bodyRect.left(), 0, bodyRect.right(), 0);
    body.setColorAt(0, QColor(36, 40, 48));
    body.setColorAt(0.5, QColor(70, 78, 92));
    body.setColorAt(1, QColor(36, 40, 48));
    p.setBrush(body);
    p.drawRoundedRect(bodyRect, 14, 14);
    p.setBrush(QColor(255, 255, 255, 30));
    p.drawRoundedRect(bodyRect.adjusted(6, 6, -44, -8), 8, 8);

    QFont font;
    font.setPixelSize(54);
    font.setBold(true);
    p.setFont(font);
    p.setPen(QColor(230, 234, 240));
    p.drawText(bodyRect, Qt::AlignCenter, QStringLiteral("?"));

    paintCaption(p, QRectF(0, 270, w, 26), QStringLiteral("USB"), kMuted);
    return img;
}

QImage roundIcon(QColor back)
{
    QImage img = canvas(28, 28);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(back);
    p.drawEllipse(QRectF(2, 2, 24, 24));
    return img;
}

QImage wirelessIcon()
{
    QImage img = roundIcon(QColor(38, 166, 91));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    const QPointF c(14, 19);
    for (int r : {5, 9}) {
        const QRectF arc(c.x() - r, c.y() - r, 2 * r, 2 * r);
        p.drawArc(arc, 45 * 16, 90 * 16);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(c, 2, 2);
    return img;
}

QImage usbIcon()
{
    QImage img = roundIcon(QColor(38, 166, 91));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::white, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    // The trident: a stem with two branches, a round and a square end.
    p.drawLine(QPointF(14, 6.5), QPointF(14, 21));
    p.drawPolyline(QPolygonF({QPointF(14, 17), QPointF(9.5, 13.5), QPointF(9.5, 11)}));
    p.drawPolyline(QPolygonF({QPointF(14, 15), QPointF(18.5, 12), QPointF(18.5, 10)}));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(9.5, 10), 1.8, 1.8);
    p.drawRect(QRectF(17, 8, 3, 3));
    p.drawEllipse(QPointF(14, 21.5), 2.2, 2.2);
    QPainterPath tip;
    tip.moveTo(14, 4.5);
    tip.lineTo(11.5, 8);
    tip.lineTo(16.5, 8);
    tip.closeSubpath();
    p.drawPath(tip);
    return img;
}

QImage offlineIcon()
{
    QImage img = roundIcon(kOffline);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::white, 2.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(14, 8), QPointF(14, 15.5));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(14, 20), 1.6, 1.6);
    return img;
}

QImage rateBadge(const QString &text, QColor from, QColor to)
{
    QImage img = canvas(42, 26);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 42, 0);
    g.setColorAt(0, from);
    g.setColorAt(1, to);
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRoundedRect(QRectF(1, 3, 40, 20), 10, 10);
    QFont font;
    font.setPixelSize(12);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(1, 3, 40, 20), Qt::AlignCenter, text);
    return img;
}

QImage arrow(const QString &kind, bool active)
{
    QImage img = canvas(46, 46);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(active ? kBlue : kCardBorder, 1));
    p.setBrush(active ? kBlue : QColor(255, 255, 255));
    p.drawEllipse(QRectF(2.5, 2.5, 41, 41));
    p.drawImage(QRect(9, 9, 28, 28), glyph(kind, 28, active ? QColor(Qt::white) : kText));
    return img;
}

// A wrench on an amber disc: a firmware update is waiting to be repaired.
QImage repairIcon()
{
    QImage img = canvas(36, 33);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(245, 166, 35));
    p.drawEllipse(QRectF(3, 1.5, 30, 30));
    p.translate(18, 16.5);
    p.rotate(-45);
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(-2.5, -2, 5, 13), 2, 2);
    QPainterPath head;
    head.addEllipse(QPointF(0, -6), 6, 6);
    QPainterPath jaw;
    jaw.addRect(QRectF(-2.2, -13, 4.4, 7));
    p.drawPath(head.subtracted(jaw));
    return img;
}

} // namespace

QUZ_PICTURE_FOLDER(dialogchange, "DialogChange")
{
    bool ok = true;
    for (int i = 0; i < 2; ++i) {
        ok &= savePng(deviceCard(kModels[i], true), dir + "/OnLine" + QString::number(i) + ".png");
        ok &= savePng(deviceCard(kModels[i], false), dir + "/DisOnlin" + QString::number(i) + ".png");
    }
    ok &= savePng(unknownCard(), dir + "/Unknow.png");
    ok &= savePng(wirelessIcon(), dir + "/OnLineWifi.png");
    ok &= savePng(usbIcon(), dir + "/OnLineUsb.png");
    ok &= savePng(offlineIcon(), dir + "/DisOnline.png");
    ok &= savePng(rateBadge("1K", QColor(96, 110, 130), QColor(120, 134, 154)), dir + "/1KHz.png");
    ok &= savePng(rateBadge("2K", QColor(24, 150, 160), QColor(40, 180, 170)), dir + "/2KHz.png");
    ok &= savePng(rateBadge("4K", kBlue.darker(110), kBlue.lighter(115)), dir + "/4KHz.png");
    ok &= savePng(rateBadge("8K", QColor(120, 70, 220), kOrange), dir + "/8KHz.png");
    ok &= savePng(arrow(QStringLiteral("left"), false), dir + "/Left.png");
    ok &= savePng(arrow(QStringLiteral("left"), true), dir + "/LeftClick.png");
    ok &= savePng(arrow(QStringLiteral("right"), false), dir + "/Right.png");
    ok &= savePng(arrow(QStringLiteral("right"), true), dir + "/RightClick.png");
    ok &= savePng(repairIcon(), dir + "/Repair.png");
    return ok;
}

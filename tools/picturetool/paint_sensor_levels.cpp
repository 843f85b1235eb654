// The eight-level DPI page's own pictures in the Sensor folder: the level
// toggles (a ring, filled with a dot for the current level) and the
// level-count box on the light page (a white field, a dark arrow).
#include "painter.h"

namespace {

const QColor kAccent(30, 136, 229);
const QColor kRing(176, 186, 200);
const QColor kArrow(72, 80, 94);

QImage levelToggle(bool current)
{
    QImage img = canvas(16, 16);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(current ? kAccent : kRing, 1.5));
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(1.25, 1.25, 13.5, 13.5));
    if (current) {
        p.setPen(Qt::NoPen);
        p.setBrush(kAccent);
        p.drawEllipse(QRectF(4.5, 4.5, 7, 7));
    }
    return img;
}

QImage countField(int w, int h)
{
    QImage img = canvas(w, h);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kDialogBorder, 1));
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(0.5, 0.5, w - 1, h - 1), 5, 5);
    return img;
}

QImage downArrow()
{
    QImage img = canvas(12, 8);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kArrow, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygonF({QPointF(1.5, 2), QPointF(6, 6.2), QPointF(10.5, 2)}));
    return img;
}

} // namespace

QUZ_PICTURE_FOLDER(sensorlevels, "Sensor")
{
    bool ok = savePng(levelToggle(false), dir + "/LOD.png");
    ok &= savePng(levelToggle(true), dir + "/LODCheck.png");
    ok &= savePng(countField(95, 30), dir + "/ComboboxBack.png");
    ok &= savePng(canvas(95, 200, Qt::white), dir + "/ComboboxTextBack.png");
    ok &= savePng(downArrow(), dir + "/Menu.png");
    return ok;
}

// The device page's option widgets: the chosen option of a row, the
// switches' check boxes, the DPI level buttons, slider handle and marker,
// and the value boxes with their plus and minus; the other layouts of the
// options: on/off switches and the open distance box's arrow.
#include "lightingpictures.h"
#include "painter.h"

namespace {

const QColor kAccent(30, 136, 229);
const QColor kLevel(45, 52, 64);

const QColor kRing(176, 186, 200);

// A white disc in a ring; the chosen option of a row carries a dot in an
// accent ring, the slider's handle an accent ring alone, the other options
// a grey ring alone.
QImage accentRing(int size, bool dot, QColor ring = kAccent)
{
    QImage img = canvas(size, size);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF c(size / 2.0, size / 2.0);
    p.setPen(QPen(ring, 2));
    p.setBrush(Qt::white);
    p.drawEllipse(c, size / 2.0 - 1.5, size / 2.0 - 1.5);
    if (dot) {
        p.setPen(Qt::NoPen);
        p.setBrush(kAccent);
        p.drawEllipse(c, size * 0.225, size * 0.225);
    }
    return img;
}

// The marker under the chosen DPI level: a small triangle pointing up.
QImage levelMarker()
{
    QImage img = canvas(30, 30);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(kAccent);
    p.drawPolygon(QPolygonF({QPointF(15, 4), QPointF(21, 12), QPointF(9, 12)}));
    return img;
}

// The arrow of an open combo box: pointing up, in the accent colour.
QImage openComboArrow()
{
    QImage img = chevron(true);
    QPainter p(&img);
    p.setCompositionMode(QPainter::CompositionMode_SourceIn);
    p.fillRect(img.rect(), kAccent);
    return img;
}

} // namespace

QUZ_PICTURE_FOLDER(sensor, "Sensor")
{
    bool ok = savePng(accentRing(20, true), dir + "/ReportRate.png");
    ok &= savePng(accentRing(20, false, kRing), dir + "/ReportRateOff.png");
    ok &= savePng(checkIndicator(false, 16), dir + "/check_nr.png");
    ok &= savePng(checkIndicator(true, 16), dir + "/check_dn.png");
    ok &= savePng(roundedButton(56, 18, kLevel, Qt::transparent, 9), dir + "/MinA.png");
    ok &= savePng(roundedButton(54, 56, kLevel, Qt::transparent, 12), dir + "/MaxA.png");
    ok &= savePng(accentRing(18, false), dir + "/HuaKuai.png");
    ok &= savePng(levelMarker(), dir + "/Level.png");
    ok &= savePng(valueBox(130, 30), dir + "/Frame.png");
    ok &= savePng(stepGlyph(false, 15), dir + "/Reduce.png");
    ok &= savePng(stepGlyph(true, 15), dir + "/Add.png");
    ok &= savePng(lightingSwitch(false), dir + "/Close.png");
    ok &= savePng(lightingSwitch(true), dir + "/Open.png");
    ok &= savePng(lightingSwitch(false).scaled(33, 17, Qt::IgnoreAspectRatio, Qt::SmoothTransformation),
                  dir + "/toggle_off.png");
    ok &= savePng(lightingSwitch(true).scaled(33, 17, Qt::IgnoreAspectRatio, Qt::SmoothTransformation),
                  dir + "/toggle_on.png");
    // The rate check boxes and the distance box share the eight-level DPI
    // page's toggles and box (paint_sensor_levels.cpp); only the open box's
    // arrow is theirs alone.
    ok &= savePng(openComboArrow(), dir + "/MenuClicked.png");
    return ok;
}

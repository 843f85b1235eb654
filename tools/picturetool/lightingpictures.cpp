#include "lightingpictures.h"

namespace {

const QColor kField(255, 255, 255);
const QColor kFieldBorder(200, 206, 216);
const QColor kGlyph(90, 98, 112);

// The preset colours of the buttons ColorA .. ColorN.
const QColor kPresets[14] = {{255, 0, 0},    {0, 255, 255},  {0, 255, 0},     {255, 0, 255},  {255, 255, 0},
                             {255, 80, 0},   {0, 0, 255},    {227, 0, 127},   {46, 166, 223}, {96, 25, 133},
                             {255, 255, 255}, {139, 178, 36}, {255, 155, 51},  {208, 113, 173}};

QImage field(int w, int h)
{
    QImage img = canvas(w, h);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kFieldBorder, 1));
    p.setBrush(kField);
    p.drawRoundedRect(QRectF(0.5, 0.5, w - 1, h - 1), 4, 4);
    return img;
}

QImage lightingChevron(bool up)
{
    QImage img = canvas(12, 12);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(up ? kLightingAccent : kGlyph, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    const double top = up ? 8 : 4, bottom = up ? 4 : 8;
    p.drawPolyline(QPolygonF({QPointF(2.5, top), QPointF(6, bottom), QPointF(9.5, top)}));
    return img;
}

QImage step(bool plus)
{
    QImage img = canvas(14, plus ? 14 : 4);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kGlyph, 2, Qt::SolidLine, Qt::RoundCap));
    const double mid = plus ? 7 : 2;
    p.drawLine(QPointF(2, mid), QPointF(12, mid));
    if (plus)
        p.drawLine(QPointF(7, 2), QPointF(7, 12));
    return img;
}

QImage swatch(QColor colour, int size)
{
    QImage img = canvas(size, size);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    // A grey ring, so white shows on the light panel.
    p.setPen(QPen(kFieldBorder, 1));
    p.setBrush(colour);
    p.drawEllipse(QRectF(0.5, 0.5, size - 1, size - 1));
    return img;
}

// No colour chosen yet: a light square crossed out.
QImage emptyPreview(int size)
{
    QImage img = field(size, size);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kFieldBorder, 1.5));
    p.drawLine(QPointF(size * 0.2, size * 0.8), QPointF(size * 0.8, size * 0.2));
    return img;
}

// The hues left to right, fading to white at the top and to black at the
// bottom, so the board offers light and dark shades of every colour.
QImage colourBoard(QSize size)
{
    QImage img = canvas(size.width(), size.height());
    for (int x = 0; x < size.width(); ++x) {
        const double hue = double(x) / size.width();
        for (int y = 0; y < size.height(); ++y) {
            const double t = double(y) / qMax(1, size.height() - 1);
            const QColor c = t < 0.5 ? QColor::fromHsvF(hue, qMin(1.0, 0.35 + t * 1.3), 1.0)
                                     : QColor::fromHsvF(hue, 1.0, qMax(0.0, 1.0 - (t - 0.5) * 1.3));
            img.setPixelColor(x, y, c);
        }
    }
    return img;
}

} // namespace

QImage lightingSwitch(bool on)
{
    QImage img = canvas(36, 18);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(on ? kLightingAccent : QColor(196, 202, 212));
    p.drawRoundedRect(QRectF(0, 0, 36, 18), 9, 9);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(on ? 27 : 9, 9), 7, 7);
    return img;
}

QImage lightingHandle()
{
    QImage img = canvas(6, 18);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::white, 1));
    p.setBrush(kLightingAccent.darker(120));
    p.drawRoundedRect(QRectF(0.5, 0.5, 5, 17), 2, 2);
    return img;
}

bool saveLightingEditor(const QString &dir, int swatchSize, QSize board)
{
    bool ok = savePng(field(308, 34), dir + "/ComboboxBack.png");
    ok &= savePng(field(308, 160), dir + "/ComboboxTextBack.png");
    ok &= savePng(lightingChevron(false), dir + "/Menu.png");
    ok &= savePng(lightingChevron(true), dir + "/MenuClicked.png");
    ok &= savePng(step(false), dir + "/Reduce.png");
    ok &= savePng(step(true), dir + "/Add.png");
    ok &= savePng(emptyPreview(60), dir + "/PreviewColor.png");
    for (int i = 0; i < 14; ++i)
        ok &= savePng(swatch(kPresets[i], swatchSize), dir + "/Color" + QChar('A' + i) + ".png");
    ok &= savePng(colourBoard(board), dir + "/ColorBoard.png");
    ok &= savePng(lightingSwitch(false), dir + "/Close.png");
    ok &= savePng(lightingSwitch(true), dir + "/Open.png");
    return ok;
}

// The lighting editor and the device screen dialogs of the settings page:
// their panel and close button, the editor's mode box and colour editor
// (18-pixel presets, a 200 x 22 colour board), and the screen dialogs'
// picture slots, buttons and screen-off switch.
#include "lightingpictures.h"

#include <QFile>

namespace {

// A picture slot: a light card with a small landscape, the accent edge when
// chosen.
QImage pictureSlot(bool chosen)
{
    QImage img = canvas(74, 100);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(chosen ? kLightingAccent : kDialogBorder, chosen ? 2 : 1));
    p.setBrush(QColor(242, 244, 248));
    p.drawRoundedRect(QRectF(1, 1, 72, 98), 6, 6);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(200, 206, 216));
    p.drawPolygon(QPolygonF({QPointF(18, 62), QPointF(32, 44), QPointF(44, 58), QPointF(50, 50), QPointF(58, 62)}));
    p.drawEllipse(QPointF(50, 38), 4, 4);
    return img;
}

// The dialog panel a shade darker than the notices' one: the sliders' white
// grooves must show on it.
QImage panel()
{
    QImage img = canvas(638, 318, QColor(238, 241, 245));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kDialogBorder, 1));
    p.drawRect(QRectF(0.5, 0.5, 637, 317));
    p.setPen(QPen(kLightingAccent, 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(24, 6), QPointF(104, 6));
    return img;
}

} // namespace

QUZ_PICTURE_FOLDER(screeinfo, "ScreeInfo")
{
    // Close.png is the screen-off switch here: the close button's own
    // picture is CloseButton.png.
    QFile::remove(dir + "/CloseButton.png");
    bool ok = saveCloseButtons(dir, kDialogGlyph);
    ok &= QFile::rename(dir + "/Close.png", dir + "/CloseButton.png");
    ok &= saveLightingEditor(dir, 18, QSize(200, 22));
    ok &= savePng(panel(), dir + "/Back.png");
    ok &= savePng(lightingHandle(), dir + "/Slider.png");
    ok &= savePng(pictureSlot(false), dir + "/Pic.png");
    ok &= savePng(pictureSlot(true), dir + "/PicHover.png");
    ok &= savePng(roundedButton(96, 26, kLightingAccent, kLightingAccent.lighter(125), 6), dir + "/Button.png");
    ok &= savePng(roundedButton(96, 26, kLightingAccent.lighter(115), kLightingAccent, 6), dir + "/ButtonHover.png");
    return ok;
}

// The colour chooser of the DPI levels: fourteen swatches (K.png, and
// K_K.png with a ring when chosen), its panel and its two buttons. The
// swatches show the colours the chooser hands back for the shipped models.
#include "painter.h"

namespace {

const QColor kAccent(0, 150, 255);
const QColor kSwatches[14] = {{0xfc, 0x00, 0x00}, {0xff, 0xa3, 0x00}, {0xff, 0xff, 0x00}, {0x00, 0xff, 0x00},
                              {0x00, 0x80, 0xff}, {0x00, 0x00, 0xff}, {0x88, 0x00, 0xc8}, {0xf2, 0x0a, 0xea},
                              {0x02, 0xff, 0xb3}, {0x34, 0xf8, 0xf2}, {0xff, 0xff, 0xff}, {0x00, 0x00, 0x00},
                              {0x00, 0x83, 0x25}, {0xff, 0xff, 0xff}};

// A rounded square of the colour inside a thin grey edge, so white shows
// on the light panel; the chosen one gets an accent ring around it.
QImage swatch(QColor colour, bool chosen)
{
    QImage img = canvas(40, 40);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    if (chosen) {
        p.setPen(QPen(kAccent, 2.5));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(1.25, 1.25, 37.5, 37.5), 9, 9);
    }
    p.setPen(QPen(kDialogBorder, 1));
    p.setBrush(colour);
    p.drawRoundedRect(QRectF(6.5, 6.5, 27, 27), 5, 5);
    return img;
}

} // namespace

QUZ_PICTURE_FOLDER(warningdialogswatches, "WarningDialog")
{
    bool ok = savePng(dialogPanel(350, 275, kAccent, 64), dir + "/Color_popup_BG.png");
    ok &= savePng(roundedButton(156, 44, kAccent, kAccent.lighter(125), 8), dir + "/15.png");
    for (int k = 1; k <= 14; ++k) {
        const QString n = QString::number(k);
        ok &= savePng(swatch(kSwatches[k - 1], false), dir + "/" + n + ".png");
        ok &= savePng(swatch(kSwatches[k - 1], true), dir + "/" + n + "_" + n + ".png");
    }
    return ok;
}

// The pictures of the notice family: a light panel (the notices' text is
// dark until a device's colours arrive, and the colour sets keep it dark), the close button and the
// action button. The action button is asked for as "Confirm" by most notices
// and as "ConFirm" by one; file names are case-sensitive here, so both exist.
#include "painter.h"

namespace {
const QColor kPanel(250, 251, 253);
const QColor kPanelBorder(200, 206, 216);
const QColor kAccent(0, 150, 255);
const QColor kAccentPressed(0, 112, 204);
const QColor kGlyph(110, 118, 132);

QImage background()
{
    // Square and opaque: the notices are not translucent windows, so round
    // transparent corners would show black.
    QImage img = canvas(448, 154, kPanel);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kPanelBorder, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(0.5, 0.5, 447, 153));
    // A short accent line under the top edge marks the panel as a notice.
    p.setPen(QPen(kAccent, 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(24, 6), QPointF(88, 6));
    return img;
}
} // namespace

QUZ_PICTURE_FOLDER(warningdialog, "WarningDialog")
{
    bool ok = savePng(background(), dir + "/BackGround.png");
    ok &= saveCloseButtons(dir, kGlyph);
    const QImage confirm = roundedButton(82, 30, kAccent, kAccent.lighter(125), 6);
    const QImage confirmClick = roundedButton(82, 30, kAccentPressed, kAccentPressed.lighter(120), 6);
    for (const char *name : {"Confirm", "ConFirm"}) {
        ok &= savePng(confirm, dir + "/" + name + ".png");
        ok &= savePng(confirmClick, dir + "/" + name + "Click.png");
    }
    return ok;
}

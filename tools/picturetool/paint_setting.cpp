// The pairing and the update and repair dialogs: their panel, the action
// button face and the close button. The panel matches the notice family
// (the dialogs' texts use the product-wide label colour, drawn on it).
#include "painter.h"

namespace {
const QColor kPanel(250, 251, 253);
const QColor kPanelBorder(200, 206, 216);
const QColor kAccent(30, 136, 229);
const QColor kGlyph(110, 118, 132);

QImage panel()
{
    // Square and opaque: without a compositing desktop a translucent window
    // shows black where the picture is transparent, so round corners would
    // come out as black wedges.
    QImage img = canvas(552, 300, kPanel);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, 300);
    g.setColorAt(0, kPanel.lighter(112));
    g.setColorAt(1, kPanel);
    p.setPen(QPen(kPanelBorder, 1));
    p.setBrush(g);
    p.drawRect(QRectF(0.5, 0.5, 551, 299));
    p.setPen(QPen(kAccent, 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(24, 7), QPointF(104, 7));
    return img;
}
} // namespace

QUZ_PICTURE_FOLDER(setting, "Setting")
{
    bool ok = savePng(panel(), dir + "/BackSecondPage.png");
    ok &= savePng(roundedButton(180, 33, kAccent, kAccent.lighter(125), 8), dir + "/Pair.png");
    ok &= saveCloseButtons(dir, kGlyph);
    return ok;
}

// The check box pictures of the dialog family (the key-combination dialog's
// modifier boxes, the "do not show again" boxes): an empty rounded square
// and the same square filled with the accent and a check mark.
#include "painter.h"

namespace {
const QColor kAccent(0, 150, 255);

QImage box(bool checked)
{
    QImage img = canvas(16, 16);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(checked ? kAccent : kDialogBorder.darker(115), 1));
    p.setBrush(checked ? kAccent : Qt::white);
    p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 3, 3);
    if (checked)
        p.drawImage(0, 0, glyph(QStringLiteral("check"), 16, Qt::white));
    return img;
}
} // namespace

QUZ_PICTURE_FOLDER(warningdialogcheckbox, "WarningDialog")
{
    bool ok = savePng(box(false), dir + "/CheckBox.png");
    ok &= savePng(box(true), dir + "/CheckBoxCheck.png");
    return ok;
}

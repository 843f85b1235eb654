// The receiver LED dialog of the settings page: its panel, close button,
// heading marker and check boxes.
#include "painter.h"

namespace {

const QColor kAccent(0, 120, 215);

QImage checkBox(bool checked)
{
    QImage img = canvas(16, 16);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(checked ? kAccent : kDialogBorder, 1));
    p.setBrush(checked ? kAccent : QColor(255, 255, 255));
    p.drawRoundedRect(QRectF(0.5, 0.5, 15, 15), 3, 3);
    if (checked)
        p.drawImage(0, 0, glyph(QStringLiteral("check"), 16, Qt::white));
    return img;
}

} // namespace

QUZ_PICTURE_FOLDER(formsetting, "FormSetting")
{
    bool ok = savePng(dialogPanel(638, 318, kAccent, 80), dir + "/Back.png");
    ok &= saveCloseButtons(dir, kDialogGlyph);
    ok &= savePng(roundedButton(16, 10, kAccent, Qt::transparent, 3), dir + "/Title.png");
    ok &= savePng(checkBox(true), dir + "/CheckBoxCheck.png");
    ok &= savePng(checkBox(false), dir + "/CheckBox2.png");
    return ok;
}

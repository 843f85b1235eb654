// The settings page's own pictures: the two language badges beside the
// language buttons and the faces of the firmware update button (an update
// waits, hovered, and up to date). The button's text is white.
#include "painter.h"

namespace {

const QColor kAccent(0, 120, 215);

QImage languageBadge(const QString &text)
{
    QImage img = canvas(38, 21);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kAccent, 1));
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(0.5, 0.5, 37, 20), 4, 4);
    QFont f;
    f.setPixelSize(13);
    f.setBold(true);
    p.setFont(f);
    p.setPen(kAccent);
    p.drawText(QRect(0, 0, 38, 21), Qt::AlignCenter, text);
    return img;
}

} // namespace

QUZ_PICTURE_FOLDER(formsettingpage, "FormSetting")
{
    bool ok = savePng(languageBadge(QStringLiteral("EN")), dir + "/En.png");
    ok &= savePng(languageBadge(QString::fromUtf8("\xE4\xB8\xAD")), dir + "/Cn.png");
    ok &= savePng(roundedButton(150, 26, QColor(232, 96, 28), Qt::transparent, 6), dir + "/WaitUpdate.png");
    ok &= savePng(roundedButton(150, 26, QColor(244, 124, 58), Qt::transparent, 6), dir + "/WaitUpdateHover.png");
    ok &= savePng(roundedButton(150, 26, kAccent, Qt::transparent, 6), dir + "/Confirm.png");
    return ok;
}

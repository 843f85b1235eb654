// The macro editor on the device page: the record buttons, the save and
// new-macro buttons, the check boxes of the repeat and delay modes, the
// event chooser's arrow, the add buttons and the rows' rename, delete and
// delay marks, and the press and release marks of the event rows.
#include "painter.h"

namespace {

const QColor kAccent(30, 136, 229);
const QColor kAccentHover(20, 112, 196);
const QColor kAccentPressed(14, 90, 160);
const QColor kRecord(214, 60, 60);
const QColor kInk(45, 52, 64);

// A record button: a dark pill with a red dot while idle, a red pill with
// a white square while recording.
QImage recordButton(bool recording, bool hovered)
{
    QImage img = canvas(200, 24);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor face = recording ? (hovered ? kRecord.darker(115) : kRecord) : (hovered ? kInk.lighter(130) : kInk);
    p.setPen(Qt::NoPen);
    p.setBrush(face);
    p.drawRoundedRect(QRectF(0.5, 0.5, 199, 23), 11.5, 11.5);
    p.setBrush(recording ? Qt::white : kRecord);
    if (recording)
        p.drawRect(QRectF(14, 8, 8, 8));
    else
        p.drawEllipse(QPointF(18, 12), 4.5, 4.5);
    return img;
}

QImage addButton(bool hovered)
{
    QImage img = canvas(24, 24);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(hovered ? kAccentHover : kAccent);
    p.drawEllipse(QPointF(12, 12), 10.5, 10.5);
    p.drawImage(4, 4, stepGlyph(true, 16));
    return img;
}

// The row marks on the purple-grey rows: a pencil and a bin, drawn light;
// under the mouse they sit on a lighter face.
QImage rowMark(bool rename, bool hovered)
{
    QImage img = canvas(52, 22);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    if (hovered) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255, 60));
        p.drawRoundedRect(QRectF(0.5, 0.5, 51, 21), 6, 6);
    }
    p.setPen(QPen(Qt::white, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    if (rename) {
        p.drawPolygon(QPolygonF({QPointF(21, 15), QPointF(22, 11.5), QPointF(29.5, 4), QPointF(32, 6.5),
                                 QPointF(24.5, 14), QPointF(21, 15)}));
        p.drawLine(QPointF(20, 17.5), QPointF(32, 17.5));
    } else {
        p.drawLine(QPointF(20, 6), QPointF(32, 6));
        p.drawLine(QPointF(24, 6), QPointF(24.5, 4));
        p.drawLine(QPointF(24.5, 4), QPointF(27.5, 4));
        p.drawLine(QPointF(27.5, 4), QPointF(28, 6));
        p.drawPolyline(QPolygonF({QPointF(21.5, 8), QPointF(22.5, 18), QPointF(29.5, 18), QPointF(30.5, 8)}));
    }
    return img;
}

QImage delayMark()
{
    QImage img = canvas(14, 14);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::white, 1.3, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(7, 7), 5.5, 5.5);
    p.drawPolyline(QPolygonF({QPointF(7, 4), QPointF(7, 7), QPointF(9.5, 8.5)}));
    return img;
}

// The event rows' marks: an arrow onto a key top for a press, an arrow
// leaving it for a release, drawn light for the purple-grey rows.
QImage pressMark(bool release)
{
    QImage img = canvas(16, 16);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::white, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(3, 14), QPointF(13, 14));
    if (release) {
        p.drawLine(QPointF(8, 11), QPointF(8, 2));
        p.drawPolyline(QPolygonF({QPointF(4.5, 5.5), QPointF(8, 2), QPointF(11.5, 5.5)}));
    } else {
        p.drawLine(QPointF(8, 2), QPointF(8, 11));
        p.drawPolyline(QPolygonF({QPointF(4.5, 7.5), QPointF(8, 11), QPointF(11.5, 7.5)}));
    }
    return img;
}

} // namespace

QUZ_PICTURE_FOLDER(macro, "Macro")
{
    bool ok = savePng(recordButton(false, false), dir + "/RECORD_nr.png");
    ok &= savePng(recordButton(false, true), dir + "/RECORD_ov.png");
    ok &= savePng(recordButton(true, false), dir + "/RECORD_dn.png");
    ok &= savePng(recordButton(true, true), dir + "/RECORD_hover.png");
    ok &= savePng(roundedButton(62, 22, kAccent, Qt::transparent, 11), dir + "/Button.png");
    ok &= savePng(roundedButton(62, 22, kAccentHover, Qt::transparent, 11), dir + "/ButtonHover.png");
    ok &= savePng(roundedButton(62, 22, kAccentPressed, Qt::transparent, 11), dir + "/ButtonClick.png");
    ok &= savePng(roundedButton(80, 22, kAccent, Qt::transparent, 11), dir + "/NewMacro.png");
    ok &= savePng(roundedButton(80, 22, kAccentHover, Qt::transparent, 11), dir + "/NewMacroHover.png");
    ok &= savePng(checkIndicator(false, 16), dir + "/CheckBox.png");
    ok &= savePng(checkIndicator(true, 16), dir + "/CheckBoxCheck.png");
    // The insert-event list is a light field.
    ok &= savePng(tintedChevron(false, kFieldArrow), dir + "/Menu.png");
    ok &= savePng(tintedChevron(true, kOpenArrow), dir + "/MenuClicked.png");
    ok &= savePng(addButton(false), dir + "/add_btn_nr.png");
    ok &= savePng(addButton(true), dir + "/add_btn_ov.png");
    ok &= savePng(rowMark(true, false), dir + "/Rename.png");
    ok &= savePng(rowMark(true, true), dir + "/RenameHover.png");
    ok &= savePng(rowMark(false, false), dir + "/Delete.png");
    ok &= savePng(rowMark(false, true), dir + "/DeleteHover.png");
    ok &= savePng(delayMark(), dir + "/MacroTime.png");
    ok &= savePng(pressMark(false), dir + "/MacroDown.png");
    ok &= savePng(pressMark(true), dir + "/MacroUp.png");
    return ok;
}

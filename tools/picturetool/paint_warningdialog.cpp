// The pictures of the notice family: a light panel (the notices' text is
// dark until a device's colours arrive, and the colour sets keep it dark),
// the close button and the action button. The action button is asked for as "Confirm" by most notices
// and as "ConFirm" by one; file names are case-sensitive here, so both exist.
#include "painter.h"

namespace {
const QColor kAccent(0, 150, 255);
const QColor kAccentPressed(0, 112, 204);
} // namespace

QUZ_PICTURE_FOLDER(warningdialog, "WarningDialog")
{
    bool ok = savePng(dialogPanel(448, 154, kAccent, 64), dir + "/BackGround.png");
    ok &= saveCloseButtons(dir, kDialogGlyph);
    const QImage confirm = roundedButton(82, 30, kAccent, kAccent.lighter(125), 6);
    const QImage confirmClick = roundedButton(82, 30, kAccentPressed, kAccentPressed.lighter(120), 6);
    for (const char *name : {"Confirm", "ConFirm"}) {
        ok &= savePng(confirm, dir + "/" + name + ".png");
        ok &= savePng(confirmClick, dir + "/" + name + "Click.png");
    }
    return ok;
}

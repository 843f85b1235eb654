// The pairing and the update and repair dialogs: their panel, the action
// button face (and its disabled face) and the close button. The panel matches the notice family
// (the dialogs' texts use the product-wide label colour, drawn on it).
#include "painter.h"

namespace {
const QColor kAccent(30, 136, 229);
} // namespace

QUZ_PICTURE_FOLDER(setting, "Setting")
{
    bool ok = savePng(dialogPanel(552, 300, kAccent, 80), dir + "/BackSecondPage.png");
    ok &= savePng(roundedButton(180, 33, kAccent, kAccent.lighter(125), 8), dir + "/Pair.png");
    // The same face greyed: a button that cannot act must not look like one
    // that can.
    ok &= savePng(roundedButton(180, 33, QColor(226, 230, 236), QColor(206, 211, 219), 8), dir + "/PairDisabled.png");
    ok &= saveCloseButtons(dir, kDialogGlyph);
    return ok;
}

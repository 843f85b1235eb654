// Pictures of the pages no window opens: the debounce box of the device
// page's folder (a light field with a dark arrow, the arrow in the accent
// while open) and the stand-alone macro page's delay switch.
#include "lightingpictures.h"
#include "painter.h"

namespace {

const QColor kFieldArrow(72, 80, 94);
const QColor kOpenArrow(30, 136, 229);

// The white chevron of the picture tool in another colour.
QImage tintedChevron(bool up, QColor color)
{
    QImage img = chevron(up);
    QPainter p(&img);
    p.setCompositionMode(QPainter::CompositionMode_SourceIn);
    p.fillRect(img.rect(), color);
    return img;
}

QImage smallSwitch(bool on)
{
    return lightingSwitch(on).scaled(33, 17, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

} // namespace

QUZ_PICTURE_FOLDER(debouncebox, "Buttoninterface")
{
    bool ok = savePng(roundedButton(141, 34, Qt::white, kDialogBorder, 5), dir + "/ComboboxBack.png");
    ok &= savePng(canvas(141, 200, Qt::white), dir + "/ComboboxTextBack.png");
    ok &= savePng(tintedChevron(false, kFieldArrow), dir + "/Menu.png");
    ok &= savePng(tintedChevron(true, kOpenArrow), dir + "/MenuClicked.png");
    return ok;
}

QUZ_PICTURE_FOLDER(macropage, "Macro")
{
    bool ok = savePng(smallSwitch(false), dir + "/toggle_off.png");
    ok &= savePng(smallSwitch(true), dir + "/toggle_on.png");
    return ok;
}

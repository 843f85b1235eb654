// The mouse lighting page: its mode box, colour editor (28-pixel presets, a
// 308 x 34 colour board), the light-off switch and the slider handle. The
// page lies on the light frame, so fields are white with a grey edge.
#include "lightingpictures.h"

QUZ_PICTURE_FOLDER(light, "Light")
{
    bool ok = saveLightingEditor(dir, 28, QSize(308, 34));
    ok &= savePng(lightingHandle(), dir + "/HuaKuai.png");
    return ok;
}

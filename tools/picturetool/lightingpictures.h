#ifndef PICTURETOOL_LIGHTINGPICTURES_H
#define PICTURETOOL_LIGHTINGPICTURES_H

// The pictures the lighting editor, the lighting page and the device screen
// dialogs share: the mode box, the colour editor and the on/off switch. Each
// folder gets its own copy, at the sizes its widgets have.

#include "painter.h"

// The accent of the lighting pictures, the product's slider colour.
const QColor kLightingAccent(0, 120, 215);

// An on/off switch of 36 x 18: grey with the knob left, or the accent with
// the knob right.
QImage lightingSwitch(bool on);
// A slider handle of 6 x 18.
QImage lightingHandle();

// Writes the mode box pictures (ComboboxBack, ComboboxTextBack, Menu,
// MenuClicked), the colour editor (Reduce, Add, PreviewColor, ColorA ..
// ColorN as round swatches of `swatchSize`, ColorBoard of `board`) and the
// switch (Close off, Open on) into `dir`.
bool saveLightingEditor(const QString &dir, int swatchSize, QSize board);

#endif

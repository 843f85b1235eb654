#ifndef SCREENCOLORPICK_H
#define SCREENCOLORPICK_H

// Picking a colour off the screen under the mouse pointer, for the colour
// boards of the lighting editor and the lighting page.

#include <QColor>
#include <QPoint>

// Where to grab for a pointer at `cursor`: both coordinates scaled by
// desktopHorzRes / screenWidth and truncated towards zero, so a pointer
// position in virtualised coordinates lands on the device pixel under it
// (2880 / 1920 turns (101, 11) into (151, 16)). A width of 0 or less
// leaves the position as it is.
QPoint scaledGrabPoint(const QPoint &cursor, int desktopHorzRes, int screenWidth);

// The colour of the screen pixel at `at`; false (and `color` untouched)
// when the screen gives no picture there.
bool grabScreenPixel(const QPoint &at, QColor *color);

// The whole pick: the pointer position, scaled, then grabbed.
bool pickColorUnderCursor(QColor *color);

#endif // SCREENCOLORPICK_H

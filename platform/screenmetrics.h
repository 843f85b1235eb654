#ifndef SCREENMETRICS_H
#define SCREENMETRICS_H

#include <QSize>

// The desktop's size in physical pixels, readable before the application
// object exists (the scale factor must be set before it is created). 0x0
// when no display can be read.
QSize desktopPixelSize();

// The primary screen's logical resolution in dots per inch; 96 when there is
// no screen. Needs the application object.
double logicalScreenDpi();

#endif // SCREENMETRICS_H

#ifndef DESKTOPRESOLUTION_H
#define DESKTOPRESOLUTION_H

// The two widths the screen colour pick scales the pointer position with:
// the desktop's width as the program's coordinates see it (the system
// metric of the screen width) and its width in device pixels (the device
// capability of the desktop's horizontal resolution). On a system that
// virtualises coordinates for programs unaware of high resolutions the two
// differ; here the toolkit hands out and takes back the same coordinates,
// so both report the primary screen's width and the scale is 1. 0 without
// a screen.

int screenWidthMetric();
int desktopHorizontalResolution();

#endif // DESKTOPRESOLUTION_H

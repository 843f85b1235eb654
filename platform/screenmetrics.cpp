#include "screenmetrics.h"

#include <QGuiApplication>
#include <QScreen>

#ifdef QUZ_HAVE_X11
#include <X11/Xlib.h>
#endif

QSize desktopPixelSize()
{
#ifdef QUZ_HAVE_X11
    if (!qEnvironmentVariableIsEmpty("DISPLAY")) {
        if (Display *display = XOpenDisplay(nullptr)) {
            const int screen = DefaultScreen(display);
            const QSize size(DisplayWidth(display, screen), DisplayHeight(display, screen));
            XCloseDisplay(display);
            return size;
        }
    }
#endif
    return QSize(0, 0);
}

double logicalScreenDpi()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInch() : 96.0;
}

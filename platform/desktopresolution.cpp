#include "desktopresolution.h"

#include <QGuiApplication>
#include <QScreen>

namespace {
int primaryScreenWidth()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().width() : 0;
}
} // namespace

int screenWidthMetric()
{
    return primaryScreenWidth();
}

int desktopHorizontalResolution()
{
    return primaryScreenWidth();
}

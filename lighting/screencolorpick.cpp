#include "screencolorpick.h"

#include "desktopresolution.h"

#include <QCursor>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>

QPoint scaledGrabPoint(const QPoint &cursor, int desktopHorzRes, int screenWidth)
{
    if (screenWidth <= 0)
        return cursor;
    const double scale = double(desktopHorzRes) / double(screenWidth);
    return QPoint(static_cast<int>(cursor.x() * scale), static_cast<int>(cursor.y() * scale));
}

bool grabScreenPixel(const QPoint &at, QColor *color)
{
    QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen || !color)
        return false;
    const QImage image = screen->grabWindow(0, at.x(), at.y(), 1, 1).toImage();
    if (image.isNull() || !image.valid(0, 0))
        return false;
    *color = QColor(image.pixel(0, 0));
    return true;
}

bool pickColorUnderCursor(QColor *color)
{
    return grabScreenPixel(scaledGrabPoint(QCursor::pos(), desktopHorizontalResolution(), screenWidthMetric()), color);
}

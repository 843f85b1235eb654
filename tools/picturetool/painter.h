#ifndef PICTURETOOL_PAINTER_H
#define PICTURETOOL_PAINTER_H

// The picture tool paints every picture the windows load by name. Each
// paint_<folder>.cpp registers one function that writes its folder's files;
// main() runs them all into the program folder's Picture/ directory.

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QString>
#include <functional>
#include <vector>

struct PictureFolder {
    const char *name;                                   // e.g. "Dialog"
    std::function<bool(const QString &folderPath)> paint;
};

std::vector<PictureFolder> &pictureFolders();

struct PictureFolderRegistration {
    PictureFolderRegistration(const char *name, std::function<bool(const QString &)> paint)
    {
        pictureFolders().push_back({name, paint});
    }
};

#define QUZ_PICTURE_FOLDER(ident, folderName) \
    static bool paint_##ident(const QString &dir); \
    static PictureFolderRegistration reg_##ident(folderName, paint_##ident); \
    static bool paint_##ident(const QString &dir)

// Shared drawing helpers: a transparent canvas, saving, and a few shapes.
QImage canvas(int w, int h, QColor fill = Qt::transparent);
bool savePng(const QImage &img, const QString &path);
// A rounded, flat button face with an optional 1 px border and centred text.
QImage roundedButton(int w, int h, QColor fill, QColor border = Qt::transparent,
                     int radius = 6, const QString &text = QString(), QColor textColor = Qt::white);
// A small glyph icon: "close", "min", "back", "check", "warning", "left", "right", "setting".
QImage glyph(const QString &kind, int size, QColor color, QColor background = Qt::transparent);

// The light dialogs' colours.
const QColor kDialogPanel(250, 251, 253);
const QColor kDialogBorder(200, 206, 216);
const QColor kDialogGlyph(110, 118, 132);

// The program's logo, size pixels square: the tray icon (64) and the
// desktop's icon for the program.
QImage programLogo(int size);

// A dialog's background: square and opaque (the dialogs are not translucent
// windows, so round transparent corners would show black), a 1 px border and
// a short accent line under the top edge of the given length.
QImage dialogPanel(int w, int h, QColor accent, int accentLength);

// Close.png, CloseHover.png and CloseClick.png of a dialog: the glyph alone,
// then on a red face when hovered and pressed.
bool saveCloseButtons(const QString &dir, QColor glyphColor);

// A mouse seen from above, centred on cx between top and bottom, half as
// wide as `half`: shell, split main buttons, wheel and two side buttons on
// the left flank, the light strip and wheel in the accent colour.
QPainterPath mouseBody(qreal cx, qreal top, qreal bottom, qreal half);
void paintMouse(QPainter &p, qreal cx, qreal top, qreal bottom, qreal half, QColor accent, bool online);

// A white card with a soft shadow on the light page.
void paintPageCard(QPainter &p, const QRectF &r);

// A white chevron of 12 x 8 pointing down, or up: the arrow of a combo box.
QImage chevron(bool up);
// The same chevron in another colour: the arrows of light fields, dark while
// closed and in the accent while open.
QImage tintedChevron(bool up, QColor color);
const QColor kFieldArrow(72, 80, 94);
const QColor kOpenArrow(30, 136, 229);

// The device page's background: the frame's window picture with the page's
// cards, the mouse and the places of the white texts drawn on it. The page
// starts `pageTop` pixels below the window's top.
QImage devicePageBackground(QImage window, int pageTop, QColor accent);

// Pictures the device page's folders share (Buttoninterface, Sensor,
// Macro): a dark value box for white figures, the plus and minus beside
// it, and a check box indicator.
QImage valueBox(int w, int h);
QImage stepGlyph(bool plus, int size);
QImage checkIndicator(bool checked, int size);

#endif

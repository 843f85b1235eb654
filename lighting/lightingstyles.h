#ifndef LIGHTINGSTYLES_H
#define LIGHTINGSTYLES_H

// What the lighting editor, the lighting page and the device screen dialogs
// share: their style sheets (built from the product colours of Config.ini
// group "Option" and the pictures of a folder), the fourteen preset colours
// and which widgets each light mode uses.

#include <QColor>
#include <QString>

class QComboBox;
class QDialog;
class QWidget;

namespace LightingStyles {

// The frameless sub-window that every one of these dialogs is.
void makeFramelessDialog(QDialog *dialog);

// "r,g,b" of an "Option" colour of Config.ini. A missing or short list
// gives the start value of the theme colour of the same name, so a broken
// entry never builds a broken style sheet.
QString optionRgb(const char *key);

// "QLabel{color: rgb(r,g,b;);}"
QString labelStyle(const QString &rgb);
// A picture centred in the widget named `objectName`, no border.
QString pictureStyle(const QString &objectName, const QString &picturePath);
// A picture centred in the widget named `objectName`, no border (the
// picture named first).
QString backgroundStyle(const QString &objectName, const QString &picturePath);
// A close button: the picture, then its hover and pressed pictures.
QString closeButtonStyle(const QString &picturePath, const QString &hoverPath, const QString &pressedPath);
// An on/off switch: `offPath` unchecked, `onPath` checked.
QString switchStyle(const QString &objectName, const QString &offPath, const QString &onPath);
// A 1..10 level slider with the handle picture; `handleMargin` is the
// handle's left and right margin in pixels.
QString sliderStyle(const QString &handlePath, int handleMargin, const QString &fillRgb);
// The red, green and blue boxes.
QString colourSpinBoxStyle(const QString &textRgb);
// The preview swatch of a chosen colour.
QString previewStyle(int r, int g, int b);

// Styles the mode box from the pictures of `dir` and gives it a list view
// whose chosen and hovered rows take `selectRgb`, at most five rows tall.
void styleModeBox(QComboBox *box, const QString &dir, const QString &textRgb, const QString &buttonRgb,
                  const QString &selectRgb);

// Styles the colour editor that the lighting editor and the lighting page
// share, found under `owner` by object name: the plus and minus buttons, the
// red, green and blue boxes, the preview (a picture until the first colour),
// the fourteen presets and the colour board.
void styleColourEditor(QWidget *owner, const QString &dir);
// The colour of preset button 0 ("A") .. 13 ("N").
constexpr int kPresetCount = 14;
QColor presetColor(int index);

// Shows the widgets under `owner` that light mode `index` uses and hides the
// others: the brightness and speed sliders (with their number boxes where
// there are any), the grey lines that stand in for a hidden slider, and the
// colour editor with its captions. Modes 0..5 are those of the mode box, 6 a
// mode with brightness only; any other index changes nothing.
void applyModeLayout(QWidget *owner, int index);

} // namespace LightingStyles

#endif // LIGHTINGSTYLES_H

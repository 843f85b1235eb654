#ifndef WIDGETFONTS_H
#define WIDGETFONTS_H

// Fonts of a window built from a form: the program undoes the system's font
// scaling (fontFactorForDpi() in app/startup.h) on every window it shows.

#include <functional>

class QWidget;

// Multiplies the font point size of the widget and of every widget below it
// by factor. A null widget does nothing.
void scaleWidgetFonts(QWidget *widget, double factor);

// Makes a widget below `parent` with `make` and gives it the fonts it would
// have had, had it been there when scaleWidgetFonts scaled a widget above
// `parent`: made while `parent` has its font of before the scaling, then
// scaled by the same factor. Below a widget whose fonts were never scaled,
// it only makes it. For parts of a window built after the window is shown.
QWidget *makeWithScaledFonts(QWidget *parent, const std::function<QWidget *()> &make);

#endif // WIDGETFONTS_H

#ifndef WIDGETFONTS_H
#define WIDGETFONTS_H

// Fonts of a window built from a form: the program undoes the system's font
// scaling (fontFactorForDpi() in app/startup.h) on every window it shows.

class QWidget;

// Multiplies the font point size of the widget and of every widget below it
// by factor. A null widget does nothing.
void scaleWidgetFonts(QWidget *widget, double factor);

#endif // WIDGETFONTS_H

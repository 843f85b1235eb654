#ifndef AFTERFIRSTPAINT_H
#define AFTERFIRSTPAINT_H

#include <functional>

class QObject;
class QWidget;

// Runs `work` once, from the event loop right after `window` first paints
// (asked for once it has painted: from the event loop at once): for what the
// program needs built but does not show at start, so the window comes up
// without waiting for it. Nothing runs if `context` is gone by then, or if
// the window never paints. Works asked for the same window run in the order
// they were asked for, those that a work asks for after it.
//
// A press, a key or a wheel turn meant for the window first runs every work
// that waits, so input never reaches the window before what it may need.
void runAfterFirstPaint(QWidget *window, QObject *context, std::function<void()> work);

// Runs at once, in order, what waits for `window`'s first paint: for a caller
// that needs it now (a slot reached before the window painted).
void runWorksAfterFirstPaintNow(QWidget *window);

#endif // AFTERFIRSTPAINT_H

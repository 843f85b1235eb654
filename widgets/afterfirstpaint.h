#ifndef AFTERFIRSTPAINT_H
#define AFTERFIRSTPAINT_H

#include <functional>

class QObject;
class QWidget;

// Runs `work` once, from the event loop right after `window` next paints (at
// start: its first paint): for what the program needs built but does not show
// at start, so the window comes up without waiting for it. Nothing runs if
// `context` is gone by then, or if the window never paints. Works asked for
// the same window run in the order they were asked for.
void runAfterFirstPaint(QWidget *window, QObject *context, std::function<void()> work);

#endif // AFTERFIRSTPAINT_H

#ifndef GUITHREAD_H
#define GUITHREAD_H

// The widgets, the selection, the live image and the device lists belong to
// the GUI thread. Code on another thread (the device library's callbacks, the
// Worker) hands its work over with these helpers instead of touching them.

#include <QEventLoop>

#include <functional>

// Runs fn on the GUI thread and waits until it has run; runs it at once when
// already on the GUI thread (or when no application object exists). Only a
// thread the GUI thread never waits for may call it. When the application
// goes away before fn could run, fn is dropped and the wait ends.
void runOnGuiThreadBlocking(const std::function<void()> &fn);

// Queues fn to the GUI thread and returns at once; on the GUI thread itself
// fn runs at once. Without an application object there is no GUI thread and
// fn is dropped.
void queueOnGuiThread(std::function<void()> fn);

// Always queues fn to the GUI thread, also from the GUI thread itself, so
// that calls from a callback the library may make on either thread run in
// the order they were made and never inside the call that caused them.
void postToGuiThread(std::function<void()> fn);

// Waits ms milliseconds in a nested event loop on the GUI thread: events
// keep running, and the thread sleeps between them. The timer is monotonic,
// so a wait across midnight or a clock change ends on time. The flags choose
// which events run (ExcludeUserInputEvents keeps the user's input waiting).
void waitWithEvents(int ms, QEventLoop::ProcessEventsFlags flags = QEventLoop::AllEvents);

// For a device-change callback, on any thread: runs `work` on the GUI thread
// (at once when called there), unless a pause holds device changes.
void queueDeviceChangeWork(void (*work)());

// Pauses the GUI thread for ms milliseconds while it keeps painting. The
// user's input waits until the pause is over, and so does device-change
// work that arrives meanwhile: it runs after the handler that paused
// returns, as it would after a sleep. GUI thread only.
void pauseHoldingDeviceChanges(int ms);

// Holds device-change work from now until it is called with false (an
// update's end view waits for the user: what the bus did meanwhile is
// looked at once the user has seen how the update ended). The held work
// then runs after the caller returns, each piece once. GUI thread only.
void holdDeviceChanges(bool hold);

#endif // GUITHREAD_H

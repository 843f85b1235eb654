#include "devicewatch.h"

#include "HIDUsb.h"
#include "guithread.h"
#include "worker.h"

#include <QVector>

#include <atomic>
#include <utility>

namespace {

// The library's settle time: a burst of changes is reported once.
constexpr int kSettleMs = 600;

std::atomic<int (*)()> s_listCallback{nullptr};

// GUI thread only.
int s_pauseDepth = 0;
QVector<void (*)()> s_heldWork;

// Handed to the library for the device list: the page may not exist (yet).
int deviceListChanged()
{
    int (*callback)() = s_listCallback.load();
    return callback ? callback() : 0;
}

void runOrHold(void (*work)())
{
    if (s_pauseDepth > 0)
        s_heldWork.append(work);
    else
        work();
}

} // namespace

void watchDeviceChanges(DeviceChangeListener listener)
{
    StartUsbChanged(listener == DeviceChangeListener::DeviceList ? &deviceListChanged : &Worker::onUsbChanged,
                    kSettleMs);
}

void stopWatchingDeviceChanges()
{
    StopUsbChanged();
}

void setDeviceListCallback(int (*callback)())
{
    s_listCallback = callback;
}

void queueDeviceChangeWork(void (*work)())
{
    queueOnGuiThread([work] { runOrHold(work); });
}

void pauseHoldingDeviceChanges(int ms)
{
    ++s_pauseDepth;
    waitWithEvents(ms, QEventLoop::ExcludeUserInputEvents);
    if (--s_pauseDepth > 0)
        return;
    // Queued, not run here: the work comes after the handler that paused.
    for (void (*work)() : std::exchange(s_heldWork, {}))
        postToGuiThread([work] { runOrHold(work); });
}

#include "devicewatch.h"

#include "HIDUsb.h"
#include "worker.h"

#include <atomic>

namespace {

// The library's settle time: a burst of changes is reported once.
constexpr int kSettleMs = 600;

std::atomic<int (*)()> s_listCallback{nullptr};

// Handed to the library for the device list: the page may not exist (yet).
int deviceListChanged()
{
    int (*callback)() = s_listCallback.load();
    return callback ? callback() : 0;
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

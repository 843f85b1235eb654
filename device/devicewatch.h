#ifndef DEVICEWATCH_H
#define DEVICEWATCH_H

// The watch on the USB bus. While it is on, the device library tells one
// listener of every arrival and removal, once the bus has been quiet for
// 600 ms: the device list or the device page. The library calls on a thread
// of its own; the listener's work runs on the GUI thread.

enum class DeviceChangeListener {
    DeviceList,   // the callback the list page set (setDeviceListCallback)
    DevicePage    // the device page's scan (Worker::onUsbChanged)
};

// Watch on, for this listener; a later call hands the watch to the other.
void watchDeviceChanges(DeviceChangeListener listener);
// Watch off.
void stopWatchingDeviceChanges();

// The list page's device-change callback, set when the page is built. A
// change reported for the device list before that is dropped.
void setDeviceListCallback(int (*callback)());

#endif // DEVICEWATCH_H

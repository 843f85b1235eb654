#ifndef DEVICEEVENT_H
#define DEVICEEVENT_H

// The device server's event callback: everything the mouse reports arrives
// here, on a thread of the device library. Device data go into the live
// image g_flashDataMap, which belongs to the GUI thread: the callback hands
// each change there and waits until it is made. The data reach the pages as
// copies through PostMsg signals, whose device-data receivers are connected
// blocking-queued, so the callback waits until the pages have taken them.

#include <QtGlobal>
#include <functional>

// Hand this to UsbServerC_Start. Never call it on the GUI thread while a
// page is connected blocking-queued to the device-data signals.
void onDeviceEvent(const unsigned char *report, int reportLen, const unsigned char *data, unsigned int dataLen);

// Starts (or restarts) the device server for the device named by `handle`,
// with onDeviceEvent as its callback.
void startEventServer(const char *handle);
// The same for the chosen device (g_deviceHandle), once a dialog that
// talked to the receiver or to another device has closed. GUI thread.
void restartEventServer();

// Asks for the reads that the seven status bytes in g_statusFlags call for.
void onDeviceStatusChanged();

// The clock behind the 3 s guard between two full re-reads requested by
// status events. By default g_statusReadTimer; tests put in their own.
struct StatusReadClock {
    std::function<qint64()> elapsed;   // ms since the last (re)start
    std::function<void()> restart;
};
void setStatusReadClock(const StatusReadClock &clock);
// Back to g_statusReadTimer.
void resetStatusReadClock();

#endif // DEVICEEVENT_H

#ifndef DEVICESTATE_H
#define DEVICESTATE_H

// Device state shared by the device link and the windows. Three threads
// meet here: the GUI thread, the Worker thread (Worker::run) and the device
// library's event thread (onDeviceEvent).
// - The flags that more than one of them reads or writes are atomics of
//   their old width; every use as a plain number still works.
// - The records (the selection, the live image, the cache names, the
//   receiver LED record, the device list) belong to the GUI thread: only it
//   writes them. The event callback and the Worker hand their changes over
//   and read copies (device/guithread.h, Worker::start).
// - The buffers the event callback decodes into (battery, status bytes) and
//   the key records it keeps across a reconnection are its own.

#include "flashdatamap.h"

#include <QElapsedTimer>
#include <QList>
#include <QString>

#include <atomic>

extern FlashDataMap g_flashDataMap;
extern DeviceAllInfo g_selectedDevice;
extern DeviceAllInfo g_pairDevice;
extern QByteArray g_devicePathUtf8;
extern const char *g_deviceHandle;
// The placeholder path the Worker uses until a device is chosen: a real
// zero-terminated text that names no device.
extern const char kDummyDeviceHandle[];
// The lists of found devices (g_deviceList and the device list's) are in
// deviceenumeration.h.

// The selected device's path as the program's own copy. The library's path
// arrays are replaced by its next search, so g_deviceHandle always points
// into g_devicePathUtf8 (or at the dummy path). GUI thread only.
void setDeviceHandlePath(const QByteArray &path);
// Points g_deviceHandle at kDummyDeviceHandle. GUI thread only.
void setDummyDeviceHandle();
// A copy of the current handle text, safe on any thread.
QByteArray deviceHandleCopy();

extern std::atomic<u8> g_deviceOnline;
extern std::atomic<u8> g_lastStartedOnline;
extern std::atomic<u8> g_workerReadPending;
extern std::atomic<u8> g_deviceDataLoaded;
extern std::atomic<u8> g_deviceLost;
extern std::atomic<u8> g_rereadRequested;
extern std::atomic<u8> g_paramReloadPending;
extern u8 g_clearKeyRecords;
extern u8 g_skipDongleQuery;
extern QList<int> g_keepKeyParams;
extern std::atomic<u8> g_configApplying;
extern std::atomic<int> g_devicePageActive;
extern QString g_deviceCachePath;
extern QString g_deviceCacheName;

extern u8 *g_usbAddressInfo;     // >= 10 bytes; byte 6 online, 7..9 sub-devices
extern u8 *g_usbAddressResult;   // the device list page's buffer of the same form
extern DongleRGB *g_dongleRgb;
extern u8 *g_batteryStatus;      // 4 bytes: level, charging
extern u8 *g_statusFlags;        // 7 bytes
extern std::atomic<int> g_showBatteryValue;

extern u8 g_uiWriteEnabled;
extern u8 g_buttonPageRefreshing;
extern u8 g_lightPageRefreshing;
extern std::atomic<u8> g_buttonUiUpToDate;
extern int g_importResult;
extern u8 g_upgradeIdle;
// The settings page's update and repair dialog (g_updateRepairDialog) is on
// screen: device changes and a new mouse version then have it check again.
// The dialog keeps it. GUI thread only. It follows the dialog and is never
// reset on its own.
extern bool g_updateDialogShown;
extern QElapsedTimer g_statusReadTimer;

constexpr int kUsbAddressBufferSize = 16;

// Puts every device global back to its start value; tests call it in init().
void resetDeviceState();

#endif // DEVICESTATE_H

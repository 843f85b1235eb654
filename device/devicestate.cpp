#include "devicestate.h"

#include "deviceenumeration.h"

#include <cstring>
#include <mutex>

namespace {
u8 *zeroedBuffer(int size)
{
    u8 *p = new u8[size];
    std::memset(p, 0, size);
    return p;
}
// The path handed to the library before any device is chosen.
const char kEmptyPath[1] = {0};

std::mutex &handleMutex()
{
    static std::mutex mutex;
    return mutex;
}
} // namespace

// The shared flags keep the width of the plain numbers they were.
static_assert(sizeof(std::atomic<u8>) == 1 && std::atomic<u8>::is_always_lock_free, "one-byte flags");
static_assert(sizeof(std::atomic<int>) == sizeof(int) && std::atomic<int>::is_always_lock_free, "int flags");

FlashDataMap g_flashDataMap = {};
DeviceAllInfo g_selectedDevice;
DeviceAllInfo g_pairDevice;
QByteArray g_devicePathUtf8;
const char *g_deviceHandle = kEmptyPath;
const char kDummyDeviceHandle[] = "a";

void setDeviceHandlePath(const QByteArray &path)
{
    std::lock_guard<std::mutex> locker(handleMutex());
    g_devicePathUtf8 = path;
    g_deviceHandle = g_devicePathUtf8.constData();
}

void setDummyDeviceHandle()
{
    std::lock_guard<std::mutex> locker(handleMutex());
    g_deviceHandle = kDummyDeviceHandle;
}

QByteArray deviceHandleCopy()
{
    std::lock_guard<std::mutex> locker(handleMutex());
    return QByteArray(g_deviceHandle ? g_deviceHandle : "");
}

std::atomic<u8> g_deviceOnline{0};
std::atomic<u8> g_lastStartedOnline{0};
std::atomic<u8> g_workerReadPending{0};
std::atomic<u8> g_deviceDataLoaded{0};
std::atomic<u8> g_deviceLost{0};
std::atomic<u8> g_rereadRequested{0};
std::atomic<u8> g_paramReloadPending{0};
u8 g_clearKeyRecords = 0;
u8 g_skipDongleQuery = 0;
QList<int> g_keepKeyParams;
std::atomic<u8> g_configApplying{0};
std::atomic<int> g_devicePageActive{0};
QString g_deviceCachePath;
QString g_deviceCacheName;

u8 *g_usbAddressInfo = zeroedBuffer(kUsbAddressBufferSize);
u8 *g_usbAddressResult = [] {
    u8 *p = zeroedBuffer(kUsbAddressBufferSize);
    p[0] = 0x31;
    return p;
}();
DongleRGB *g_dongleRgb = reinterpret_cast<DongleRGB *>(zeroedBuffer(sizeof(DongleRGB)));
u8 *g_batteryStatus = zeroedBuffer(4);
u8 *g_statusFlags = zeroedBuffer(7);
std::atomic<int> g_showBatteryValue{0};

bool g_updateDialogShown = false;
u8 g_uiWriteEnabled = 0;
u8 g_buttonPageRefreshing = 0;
u8 g_lightPageRefreshing = 0;
std::atomic<u8> g_buttonUiUpToDate{0};
int g_importResult = 0;
u8 g_upgradeIdle = 1;
QElapsedTimer g_statusReadTimer;

void resetDeviceState()
{
    std::memset(&g_flashDataMap, 0, sizeof g_flashDataMap);
    g_selectedDevice = DeviceAllInfo();
    g_pairDevice = DeviceAllInfo();
    g_devicePathUtf8.clear();
    g_deviceHandle = kEmptyPath;
    g_deviceList.clear();
    g_deviceListCurrent = false;
    g_deviceOnline = g_lastStartedOnline = g_workerReadPending = 0;
    g_deviceDataLoaded = g_deviceLost = g_rereadRequested = 0;
    g_paramReloadPending = g_clearKeyRecords = g_skipDongleQuery = 0;
    g_keepKeyParams.clear();
    g_configApplying = 0;
    g_devicePageActive = 0;
    g_deviceCachePath.clear();
    g_deviceCacheName.clear();
    std::memset(g_usbAddressInfo, 0, kUsbAddressBufferSize);
    std::memset(g_usbAddressResult, 0, kUsbAddressBufferSize);
    g_usbAddressResult[0] = 0x31;
    std::memset(g_dongleRgb, 0, sizeof(DongleRGB));
    std::memset(g_batteryStatus, 0, 4);
    std::memset(g_statusFlags, 0, 7);
    g_showBatteryValue = 0;
    g_uiWriteEnabled = g_buttonPageRefreshing = g_lightPageRefreshing = 0;
    g_buttonUiUpToDate = 0;
    g_importResult = 0;
    g_upgradeIdle = 1;
    g_statusReadTimer.invalidate();
}

#include "deviceevent.h"

#include "HIDUsb.h"
#include "configsettings.h"
#include "devicesearch.h"
#include "devicestate.h"
#include "globals.h"
#include "updateengine.h"
#include "guithread.h"
#include "imagecache.h"
#include "linktable.h"
#include "mouseversion.h"
#include "postmsg.h"

#include <QDebug>

#include <cstring>

namespace {

enum DeviceEvent {
    EventBattery = 4,
    EventDeviceData = 8,
    EventReconnected = 9,
    EventStatusChanged = 10,
    EventProfile = 14,
    EventVersion = 18,
    EventDongleLed = 21,
    EventLongRange = 23
};

constexpr unsigned int kFullReadSize = 6912;
constexpr qint64 kRereadGuardMs = 3000;
// The decoders of the library read a payload of their own size; a short
// payload is handed over zero-padded so they never read past it.
constexpr int kDecoderPadding = 64;

StatusReadClock defaultClock()
{
    StatusReadClock clock;
    clock.elapsed = [] {
        // A timer that was never started counts as long ago.
        return g_statusReadTimer.isValid() ? g_statusReadTimer.elapsed() : kRereadGuardMs + 1;
    };
    clock.restart = [] { g_statusReadTimer.start(); };
    return clock;
}

StatusReadClock &statusClock()
{
    static StatusReadClock clock = defaultClock();
    return clock;
}

QByteArray paddedPayload(const unsigned char *data, unsigned int dataLen)
{
    QByteArray bytes(int(qMax<unsigned int>(dataLen, kDecoderPadding)), '\0');
    if (data && dataLen)
        std::memcpy(bytes.data(), data, dataLen);
    return bytes;
}

const unsigned char *bytesOf(const QByteArray &bytes)
{
    return reinterpret_cast<const unsigned char *>(bytes.constData());
}

// The selection, the live image, the cache name and the receiver LED record
// belong to the GUI thread. The callback runs on the library's thread: it
// reads a copy of the selection and hands every change of the others to the
// GUI thread, waiting until it is made (as it waits for the pages anyway).
DeviceAllInfo selectedDevice()
{
    DeviceAllInfo device;
    runOnGuiThreadBlocking([&] { device = g_selectedDevice; });
    return device;
}

// Applies change to the live image on the GUI thread; returns a copy of the
// changed image for the signals.
FlashDataMap changeImage(const std::function<void(FlashDataMap &)> &change)
{
    FlashDataMap copy;
    runOnGuiThreadBlocking([&] {
        change(g_flashDataMap);
        copy = g_flashDataMap;
    });
    return copy;
}

// Hands the whole live image to the device, on the GUI thread, where the
// device setters send it too.
void sendImage()
{
    runOnGuiThreadBlocking([] { ProtocolDataUpdate(&g_flashDataMap); });
}

// The receiver LED record is read and written where the pages read it. Its
// mode after fill(g_dongleRgb).
u8 updateDongleRgb(const std::function<void(DongleRGB *)> &fill)
{
    u8 mode = 0;
    runOnGuiThreadBlocking([&] {
        fill(g_dongleRgb);
        mode = g_dongleRgb->ledMode;
    });
    return mode;
}

// Item `index` of a product configuration list as a number (a text that is
// no number reads 0); false when the group has no such item, which callers
// treat as "leave alone".
bool listNumber(const QStringList &list, int index, int *value)
{
    if (index >= list.size())
        return false;
    *value = list.at(index).trimmed().toInt();
    return true;
}

void handleBattery(const unsigned char *data, unsigned int dataLen)
{
    const QByteArray payload = paddedPayload(data, dataLen);
    GetDeviceBatteryStatus(bytesOf(payload), g_batteryStatus);
    PostMsg::instance()->postBattery(g_batteryStatus[1] > 0, g_batteryStatus[0], g_showBatteryValue == 1);
}

// Zeroes the key records and macro blocks that a reconnection invalidates.
// Buttons whose default function is a key record ("0x05 ...") keep theirs,
// and so does every button after the first of them.
void clearKeyRecordsAfterReconnect(FlashDataMap &image, const DeviceAllInfo &device)
{
    const QString group = driveGroup(device.driveIndex);
    for (int n = 1; n <= 6; ++n) {
        const QStringList param = ConfigSettings::instance()->readStringList(group, "KeyParam" + QString::number(n));
        if (!param.isEmpty() && param.first() == QLatin1String("0x05"))
            g_keepKeyParams.append(n - 1);
    }
    if (g_keepKeyParams.isEmpty()) {
        auto *bytes = reinterpret_cast<u8 *>(&image);
        const size_t start = offsetof(FlashDataMap, keyRecords);
        std::memset(bytes + start, 0, sizeof(FlashDataMap) - start);
    } else {
        for (int k = 0; k < 16; ++k) {
            if (g_keepKeyParams.contains(k))
                break;
            std::memset(&image.keyRecords[k], 0, sizeof(KeyParamRecord));
            std::memset(&image.macroRecords[k], 0, sizeof(MacroRecord));
        }
    }
    g_clearKeyRecords = 0;
}

void handleFullRead(const unsigned char *data)
{
    // The device's image is built apart and becomes the live image in one
    // step on the GUI thread.
    FlashDataMap image;
    std::memset(&image, 0, sizeof image);
    ProtocolDataParser(data, &image);
    const DeviceAllInfo device = selectedDevice();

    UsbServer_ReadDPILed();
    UsbServer_ReadBatteryLevel();
    UsbServer_ReadVersion();
    UsbServer_ReadConfig();

    if (!g_skipDongleQuery) {
        const QByteArray path = device.devicePath.toLatin1();
        if (reachesReceiverLight(device)) {
            const u8 mode = updateDongleRgb([&](DongleRGB *rgb) { UsbFinderC_Get4KDongleRGBValue(path.constData(), rgb); });
            if (mode != 0)
                PostMsg::instance()->postRGBValue(g_dongleRgb);
        }
        unsigned char longRange = 115;
        UsbFinderC_GetLongRangeMode(path.constData(), &longRange);
        if (longRange != 115 && longRange != 0)
            PostMsg::instance()->postLongRangeMode(true);
    }
    g_skipDongleQuery = 0;

    if (g_clearKeyRecords)
        clearKeyRecordsAfterReconnect(image, device);

    runOnGuiThreadBlocking([&] {
        g_flashDataMap = image;
        g_deviceCacheName = deviceCacheFileName(device.cid, device.mid);
        ProtocolDataUpdate(&g_flashDataMap);
    });
    g_keepKeyParams.clear();
    g_buttonUiUpToDate = 0;

    PostMsg *hub = PostMsg::instance();
    hub->postUpDataLightUIButton(image);
    hub->postUpDataLightLight(image);
    hub->postUpDataLightSensor(image);
    hub->postForm();

    g_deviceDataLoaded = 1;
    g_workerReadPending = 0;
}

void handleDeviceData(u8 flag, u8 subCommand, const unsigned char *data, unsigned int dataLen)
{
    if (flag != 0)
        return;
    PostMsg *hub = PostMsg::instance();
    if (subCommand == 4 && dataLen == 1) {
        const u8 level = data[0];
        changeImage([level](FlashDataMap &image) { image.dpiLevel = level; });
        hub->postUpDataDPI(level);
        sendImage();
    } else if (subCommand == 0x4C && dataLen == 8) {
        hub->postUpDataDPILed(changeImage([data](FlashDataMap &image) { BufferToDPILed(data, &image.dpiLedMode); }));
    } else if (subCommand == 0xA0 && dataLen == 9) {
        hub->postUpDataLightLight(changeImage([data](FlashDataMap &image) { BufferToLedBar(data, &image.lightMode); }));
    } else if (subCommand == 0 && dataLen == 1) {
        const u8 rate = data[0];
        changeImage([rate](FlashDataMap &image) { image.reportRate = rate; });
        hub->postUpDataReportRate(rate);
        sendImage();
    } else if (subCommand == 0 && dataLen == kFullReadSize) {
        handleFullRead(data);
    }
}

void handleReconnected()
{
    UsbServer_SetBatteryOptimizeEnable(1);
    const DeviceAllInfo device = selectedDevice();
    const QStringList advanced = ConfigSettings::instance()->readStringList(driveGroup(device.driveIndex), "Adveanced");
    const QByteArray path = device.devicePath.toLatin1();

    int ledMode = 0;
    if (listNumber(advanced, 1, &ledMode) && ledMode >= 1 && reachesReceiverLight(device)) {
        const u8 mode = updateDongleRgb([&](DongleRGB *rgb) {
            rgb->ledMode = u8(ledMode);
            UsbFinderC_Set4KDongleRGB(path.constData(), rgb);
        });
        if (mode != 0)
            PostMsg::instance()->postRGBValue(g_dongleRgb);
    }

    int longRange = 0;
    if (listNumber(advanced, 0, &longRange)) {
        if (longRange == 0) {
            UsbFinderC_SetLongRangeMode(path.constData(), 0);
            PostMsg::instance()->postLongRangeMode(false);
        } else if (longRange == 1) {
            UsbFinderC_SetLongRangeMode(path.constData(), 1);
            PostMsg::instance()->postLongRangeMode(true);
        }
    }

    UsbServer_ReadAllFlashData();
    g_clearKeyRecords = 1;
    g_skipDongleQuery = 1;
}

void handleStatusChanged(const unsigned char *data, unsigned int dataLen)
{
    const QByteArray payload = paddedPayload(data, dataLen);
    GetDeviceStatusChanged(bytesOf(payload), g_statusFlags);
    onDeviceStatusChanged();
}

void handleVersion()
{
    const DeviceAllInfo device = selectedDevice();
    const QByteArray utf8Path = device.devicePath.toUtf8();
    const int version = UsbFinderC_GetVersion(utf8Path.constData());
    const QString text = deviceVersionText(quint32(version));
    const QString cid = ConfigSettings::instance()->readString("Option", "CID");
    const QString mid = ConfigSettings::instance()->readString(driveGroup(device.driveIndex), "MID");

    // The selection and the registry belong to the GUI thread: write them
    // there before anyone hears of the new version.
    bool checkUpdate = false;
    runOnGuiThreadBlocking([&] {
        // The version belongs to the device it was read from; a selection
        // changed meanwhile keeps its own.
        if (g_selectedDevice.devicePath == device.devicePath)
            g_selectedDevice.mouseVersion = text;
        checkUpdate = g_updateDialogShown && !UpdateEngine::instance()->updateUnderWay();
        writeMouseVersion(cid, mid, text);
    });
    if (checkUpdate)
        PostMsg::instance()->postCheckUpdate();
    PostMsg::instance()->postSetver(0);
}

} // namespace

void startEventServer(const char *handle)
{
    UsbServerC_Start(handle, handle, onDeviceEvent);
}

void restartEventServer()
{
    const QByteArray handle = deviceHandleCopy();
    startEventServer(handle.constData());
}

void setStatusReadClock(const StatusReadClock &clock)
{
    statusClock() = clock;
}

void resetStatusReadClock()
{
    statusClock() = defaultClock();
}

void onDeviceStatusChanged()
{
    if (g_statusFlags[0] > 0)
        UsbServer_ReadCurrentDPI();
    if (g_statusFlags[1] > 0)
        UsbServer_ReadReportRate();
    if (g_statusFlags[6] > 0)
        UsbServer_ReadBatteryLevel();
    if (g_statusFlags[5] > 0)
        UsbServer_ReadLedBar();
    if (g_statusFlags[3] > 0)
        UsbServer_ReadDPILed();
    if (g_statusFlags[2] > 0) {
        StatusReadClock &clock = statusClock();
        if (clock.elapsed() > kRereadGuardMs) {
            clock.restart();
            g_rereadRequested = 1;
            g_paramReloadPending = 1;
        }
    }
}

void onDeviceEvent(const unsigned char *report, int reportLen, const unsigned char *data, unsigned int dataLen)
{
    if (!report)
        return;
    const u8 event = reportLen > 1 ? report[1] : 0;
    const u8 flag = reportLen > 3 ? report[3] : 0;
    const u8 subCommand = reportLen > 4 ? report[4] : 0;
    if (!data)
        dataLen = 0;

    switch (event) {
    case EventBattery:
        handleBattery(data, dataLen);
        break;
    case EventDeviceData:
        handleDeviceData(flag, subCommand, data, dataLen);
        break;
    case EventReconnected:
        handleReconnected();
        break;
    case EventStatusChanged:
        handleStatusChanged(data, dataLen);
        break;
    case EventProfile:
        if (dataLen == 1)
            PostMsg::instance()->postUpDataConfigUI(4, data[0], true);
        else
            PostMsg::instance()->postUpDataConfigUI(0, 0, false);
        break;
    case EventVersion:
        handleVersion();
        break;
    case EventDongleLed:
        if (g_dongleRgb) {
            // The event carries the receiver's new record: take it, or the
            // pages would show the mode from before the change until the
            // next full read.
            if (data && dataLen == sizeof(DongleRGB))
                updateDongleRgb([&](DongleRGB *rgb) { std::memcpy(rgb, data, sizeof(DongleRGB)); });
            PostMsg::instance()->postRGBValue(g_dongleRgb);
        }
        break;
    case EventLongRange:
        if (dataLen == 10)
            PostMsg::instance()->postLongRangeMode(false);
        break;
    default:
        break;
    }
}

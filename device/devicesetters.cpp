#include "devicesetters.h"

#include "buttoncodes.h"
#include "devicelink.h"
#include "devicestate.h"
#include "postmsg.h"
#include "sensorcodes.h"
#include "worker.h"

#include <HIDUsb.h>

#include <QTimer>

#include <cstring>

namespace {

// Asks the library whether the chosen device answers; when it does not,
// raises the offline notice unless the button page is only filling its
// widgets from device data (a notice then would be a false alarm).
bool answersOrNotice()
{
    if (deviceAnswers(g_deviceHandle))
        return true;
    if (g_buttonPageRefreshing == 0)
        PostMsg::instance()->postMouseOffLineo(0);
    return false;
}

// The write rule shared by every setter: store only when the device answers,
// then send the whole image exactly once, however many fields changed.
template <typename Store>
bool writeImage(Store &&store)
{
    if (!answersOrNotice())
        return false;
    store(g_flashDataMap);
    ProtocolDataUpdate(&g_flashDataMap);
    return true;
}

// The buttons a page shows: device buttons 0 to 5.
bool isPageButton(int button)
{
    return button >= 0 && button <= 5;
}

} // namespace

bool isDeviceOnline()
{
    return answersOrNotice();
}

bool pageMayWrite(PageRefresh refresh)
{
    if (g_uiWriteEnabled == 0)
        return false;
    switch (refresh) {
    case PageRefresh::None: return true;
    case PageRefresh::ButtonPage: return g_buttonPageRefreshing == 0;
    case PageRefresh::LightPage: return g_lightPageRefreshing == 0;
    }
    return false;
}

bool setReportRate(u8 code)
{
    return writeImage([&](FlashDataMap &m) { m.reportRate = code; });
}

bool setDpiLevelCount(u8 count)
{
    return writeImage([&](FlashDataMap &m) { m.dpiLevelCount = count; });
}

bool setCurrentDpiLevel(u8 level)
{
    return writeImage([&](FlashDataMap &m) { m.dpiLevel = level; });
}

bool setOption03(u8 value)
{
    return writeImage([&](FlashDataMap &m) { m.option03 = value; });
}

bool setOption04(u8 value)
{
    return writeImage([&](FlashDataMap &m) { m.option04 = value; });
}

bool setOption04B(u8 value)
{
    return setOption04(value);
}

bool setLiftOffDistance(u8 code)
{
    return writeImage([&](FlashDataMap &m) { m.liftOffDistance = code; });
}

bool setDebounceTime(u8 ms)
{
    return writeImage([&](FlashDataMap &m) { m.debounceTime = ms; });
}

bool setMotionSync(u8 on)
{
    return writeImage([&](FlashDataMap &m) { m.motionSync = on; });
}

bool setLedIdleOffTime(u8 tenSeconds)
{
    return writeImage([&](FlashDataMap &m) { m.ledIdleOffTime = tenSeconds; });
}

bool setAngleSnapping(u8 on)
{
    return writeImage([&](FlashDataMap &m) { m.angleSnapping = on; });
}

bool setRippleControl(u8 on)
{
    return writeImage([&](FlashDataMap &m) { m.rippleControl = on; });
}

bool setLedOffWhileMoving(u8 on)
{
    return writeImage([&](FlashDataMap &m) { m.ledOffWhileMoving = on; });
}

bool setOption0C(int value)
{
    return writeImage([&](FlashDataMap &m) {
        m.option0C = u8(value);
        if (value == 0)
            m.option04 = 0;
    });
}

bool setSleepTime(u8 tenSeconds)
{
    return writeImage([&](FlashDataMap &m) { m.sleepTime = tenSeconds; });
}

bool setOption0E(u8 value)
{
    return writeImage([&](FlashDataMap &m) { m.option0E = value; });
}

bool setDpiLevelValue(int level, u8 b0, u8 b1, u8 b2)
{
    return writeImage([&](FlashDataMap &m) {
        DpiLevel &entry = m.dpiLevels[level];
        entry.code[0] = b0;
        entry.code[1] = b1;
        entry.code[2] = b2;
    });
}

bool setDpiLevelColor(int level, u8 r, u8 g, u8 b)
{
    return writeImage([&](FlashDataMap &m) {
        DpiLevel &entry = m.dpiLevels[level];
        entry.r = r;
        entry.g = g;
        entry.b = b;
    });
}

bool swapDpiLevels(const u8 entryA[6], const u8 entryB[6], int levelB, int levelA, u8 level)
{
    return writeImage([&](FlashDataMap &m) {
        std::memcpy(&m.dpiLevels[levelA], entryA, sizeof(DpiLevel));
        std::memcpy(&m.dpiLevels[levelB], entryB, sizeof(DpiLevel));
        m.dpiLevel = level;
        m.dpiLevelCount = u8(level + 1);
    });
}

bool swapDpiLevels(const DpiLevel &entryA, const DpiLevel &entryB, int levelB, int levelA, u8 level)
{
    return swapDpiLevels(reinterpret_cast<const u8 *>(&entryA), reinterpret_cast<const u8 *>(&entryB),
                         levelB, levelA, level);
}

bool setDpiLedMode(int mode)
{
    return writeImage([&](FlashDataMap &m) {
        if (mode == 0) {
            m.dpiLedEnable = 0;
        } else {
            m.dpiLedEnable = 1;
            m.dpiLedMode = u8(mode);
        }
    });
}

bool setDpiLedBrightness(u8 value)
{
    return writeImage([&](FlashDataMap &m) { m.dpiLedBrightness = value; });
}

bool setDpiLedSpeed(u8 value)
{
    return writeImage([&](FlashDataMap &m) { m.dpiLedSpeed = value; });
}

bool setLightMode(int mode)
{
    return writeImage([&](FlashDataMap &m) {
        if (mode == 0) {
            m.lightEnable = 0;
        } else {
            m.lightEnable = 1;
            m.lightMode = u8(mode);
        }
    });
}

bool setLightColor(u8 r, u8 g, u8 b)
{
    return writeImage([&](FlashDataMap &m) {
        m.lightR = r;
        m.lightG = g;
        m.lightB = b;
    });
}

bool setLightSpeed(u8 value)
{
    return writeImage([&](FlashDataMap &m) { m.lightSpeed = value; });
}

bool setLightBrightness(u8 value)
{
    return writeImage([&](FlashDataMap &m) { m.lightBrightness = value; });
}

bool setButtonFunction(int k, u8 type, u8 code, u8 param)
{
    return writeImage([&](FlashDataMap &m) {
        m.buttonFunctions[k].type = type;
        m.buttonFunctions[k].code = code;
        m.buttonFunctions[k].param = param;
    });
}

bool setButtonKeys(int k, const u8 function[3], const KeyParamRecord *record)
{
    return writeImage([&](FlashDataMap &m) {
        std::memcpy(&m.buttonFunctions[k], function, sizeof(ButtonFunction));
        std::memcpy(&m.keyRecords[k], record, sizeof(KeyParamRecord));
    });
}

bool setButtonKeys(int k, const ButtonFunction &function, const KeyParamRecord *record)
{
    return setButtonKeys(k, reinterpret_cast<const u8 *>(&function), record);
}

const ConsumerKey *writeConsumerKey(int button, int usageLow)
{
    const ConsumerKey *key = consumerKeyOf(usageLow);
    if (!key || !isPageButton(button))
        return nullptr;
    const KeyParamRecord record = KeyParamRecordInit(u8(key->usage >> 8), u8(key->usage & 0xFF));
    return setButtonKeys(button, kKeyRecordFunction, &record) ? key : nullptr;
}

bool writeCombinationKey(int button, const QString &text)
{
    if (!isPageButton(button))
        return false;
    const std::optional<KeyParamRecord> record = SplitKeyCombination(text);
    return record && setButtonKeys(button, kKeyRecordFunction, &*record);
}

void LookupSensorDpi(int level, int dpi)
{
    if (level < 0 || level >= kDpiLevelCount)
        return;
    // A table sensor without an entry falls back to the unit the level has now.
    const DpiLevelCode c = encodeDpiLevel(dpi, g_flashDataMap.dpiLevels[level].code[2]);
    setDpiLevelValue(level, c.code, c.code, c.flags);
}

bool SendMacroToDevice(int k, const u8 function[3], const u8 block[592])
{
    return writeImage([&](FlashDataMap &m) {
        std::memcpy(&m.buttonFunctions[k], function, sizeof(ButtonFunction));
        std::memcpy(&m.macroRecords[k], block, sizeof(MacroRecord));
    });
}

bool SendMacroToDevice(int k, const ButtonFunction &function, const u8 block[592])
{
    return SendMacroToDevice(k, reinterpret_cast<const u8 *>(&function), block);
}

ButtonMacroBinding buttonMacroBinding(int k)
{
    return {g_flashDataMap.buttonFunctions[k], g_flashDataMap.macroRecords[k]};
}

bool resendButtonMacro(int k, const u8 block[592], int loopMode)
{
    const ButtonMacroBinding held = buttonMacroBinding(k);
    const ButtonFunction function{held.function.type, held.function.code,
                                  loopMode >= 0 ? u8(loopMode) : held.function.param};
    return SendMacroToDevice(k, function, block ? block : reinterpret_cast<const u8 *>(&held.block));
}

bool setCurrentProfile(u8 index)
{
    if (!answersOrNotice())
        return false;
    return UsbServer_SetCurrentConfig(index) != 0;
}

void sendWholeImage(const FlashDataMap &image)
{
    g_flashDataMap = image;
    ProtocolDataUpdate(&image);
}

void startFactoryReset()
{
    g_configApplying = 1;
    if (g_checkTimer)
        g_checkTimer->stop();
    UsbServer_SetBatteryOptimizeEnable(0);
    ProtocolDataUpdate(&g_flashDataMap);
    UsbServer_SetClearSetting();
    // A refresh from before the reset must not count as the one that shows
    // the restored configuration.
    g_buttonUiUpToDate = 0;
    // The Worker restarts the server and reads the restored configuration.
    g_workerReadPending = 1;
    if (g_worker)
        g_worker->start(QThread::InheritPriority);
}

void finishFactoryReset()
{
    g_configApplying = 0;
    if (g_checkTimer)
        g_checkTimer->start();
}

bool setReceiverLedMode(u8 mode)
{
    if (!answersOrNotice())
        return false;
    g_dongleRgb->ledMode = mode;
    UsbFinderC_Set4KDongleRGB(g_deviceHandle, g_dongleRgb);
    return true;
}

bool setLongRangeMode(u8 on)
{
    if (!answersOrNotice())
        return false;
    UsbFinderC_SetLongRangeMode(g_deviceHandle, on);
    return true;
}

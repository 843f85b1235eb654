#ifndef DEVICESETTERS_H
#define DEVICESETTERS_H

// The only way the pages change a device setting: each setter stores its
// field(s) in the live image g_flashDataMap and hands the whole image to the
// library, which encodes and sends it. All of them share one rule:
//  - the chosen device does not answer: the image stays as it is, the offline
//    notice SigMouseOffLineo(0) is raised (not while the button page fills
//    its widgets from device data) and the setter returns false;
//  - it answers: store, send the image once, return true without waiting for
//    a reply (the device's later events refresh the pages).
// Arguments are stored as given; ranges and indexes are the callers' concern
// (button 0..15, DPI level 0..7). GUI thread only.

#include "flashdatamap.h"

#include <QString>

struct ConsumerKey;

// The online check and offline notice alone, without a write.
bool isDeviceOnline();

// May a page slot write to the device now? Filling widgets from device data
// must never echo a write back: writes wait for the write gate
// (g_uiWriteEnabled: open once a device page is shown, shut while the DPI
// widgets are refreshed) and, for the controls that a page's full refresh
// also sets, for that page's refresh (its refreshing flag) to end.
enum class PageRefresh {
    None,         // the write gate alone
    ButtonPage,   // and g_buttonPageRefreshing
    LightPage     // and g_lightPageRefreshing
};
bool pageMayWrite(PageRefresh refresh = PageRefresh::None);

bool setReportRate(u8 code);
bool setDpiLevelCount(u8 count);
bool setCurrentDpiLevel(u8 level);
bool setOption03(u8 value);
bool setOption04(u8 value);
bool setOption04B(u8 value);
bool setLiftOffDistance(u8 code);
bool setDebounceTime(u8 ms);
bool setMotionSync(u8 on);
bool setLedIdleOffTime(u8 tenSeconds);
bool setAngleSnapping(u8 on);
bool setRippleControl(u8 on);
bool setLedOffWhileMoving(u8 on);
// Turning option0C off also turns option04 off; turning it on leaves option04.
bool setOption0C(int value);
bool setSleepTime(u8 tenSeconds);
bool setOption0E(u8 value);

bool setDpiLevelValue(int level, u8 b0, u8 b1, u8 b2);
bool setDpiLevelColor(int level, u8 r, u8 g, u8 b);
// Entry levelA takes entryA, then entry levelB takes entryB (so with equal
// levels the entry ends up holding entryB); the current level becomes `level`
// and the level count level + 1. One send for all of it.
bool swapDpiLevels(const u8 entryA[6], const u8 entryB[6], int levelB, int levelA, u8 level);
bool swapDpiLevels(const DpiLevel &entryA, const DpiLevel &entryB, int levelB, int levelA, u8 level);

// Mode 0 switches the indicator off and keeps the last mode; any other mode
// switches it on with that mode.
bool setDpiLedMode(int mode);
bool setDpiLedBrightness(u8 value);
bool setDpiLedSpeed(u8 value);
// Same rule as setDpiLedMode for the light bar.
bool setLightMode(int mode);
bool setLightColor(u8 r, u8 g, u8 b);
bool setLightSpeed(u8 value);
bool setLightBrightness(u8 value);

bool setButtonFunction(int k, u8 type, u8 code, u8 param);
// The button's function and its key record, stored together and sent once.
bool setButtonKeys(int k, const u8 function[3], const KeyParamRecord *record);
bool setButtonKeys(int k, const ButtonFunction &function, const KeyParamRecord *record);

// The button's function and its 592-byte macro block, stored together and
// sent once.
bool SendMacroToDevice(int k, const u8 function[3], const u8 block[592]);
bool SendMacroToDevice(int k, const ButtonFunction &function, const u8 block[592]);
// What button k holds in the live image: its function and its macro block.
struct ButtonMacroBinding {
    ButtonFunction function;
    MacroRecord block;
};
ButtonMacroBinding buttonMacroBinding(int k);
// Button k's macro sent again once the macro changed: the block becomes
// `block` (null: the one it holds), the function's parameter, the loop
// mode, becomes `loopMode` (-1: the one it has); type and code stay. Stored
// and sent once, as SendMacroToDevice.
bool resendButtonMacro(int k, const u8 block[592], int loopMode = -1);

// Three writes whose bytes formats/ makes first. Gives device button 0..5
// the consumer key of `usageLow` (function 5,0,0 and the key's record, one
// send). Returns the key's row once the device took it; null when the byte
// names no key, the button is out of range or the device is offline (then
// nothing is stored). The page then stores the function and labels the
// button.
const ConsumerKey *writeConsumerKey(int button, int usageLow);
// The same for a combination text; false when the button is out of range,
// the text has more than three parts or the device is offline.
bool writeCombinationKey(int button, const QString &text);
// Encodes `dpi` for level 0..7 with the selected sensor's tables and writes
// its three code bytes; the level's colour stays. Any other level (-1: none
// selected) writes nothing and raises no notice.
void LookupSensorDpi(int level, int dpi);

// Asks the mouse to switch to on-board profile `index` (0..3); the image is
// not touched, the device reports the new profile itself. False when the
// device does not answer (with the notice, as above) or refuses.
bool setCurrentProfile(u8 index);

// Makes `image` the live image and sends it whole, as a configuration
// import does once its file has passed the checks. No online check: the
// import made its own before it began.
void sendWholeImage(const FlashDataMap &image);

// Factory reset, after the page's online check and the user's consent. The
// start stops the lost-device watch, sends the current image once more,
// has the device restore its factory configuration and the Worker read it
// again (the button page counts as stale until it has refreshed from that
// read). The page waits for its refresh, then calls finishFactoryReset(),
// which starts the watch again.
void startFactoryReset();
void finishFactoryReset();

// The receiver's settings, sent to the receiver itself rather than in the
// image: its LED mode (1..3, byte 0 of g_dongleRgb) and long-range mode.
bool setReceiverLedMode(u8 mode);
bool setLongRangeMode(u8 on);

#endif // DEVICESETTERS_H

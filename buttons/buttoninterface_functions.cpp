// The function slots of the shared button menu. Each gives the button of
// g_menuButtonIndex one function: the device takes it first, and only then
// does the button's label change and the page store it. The label is what
// the page shows again when it reads the function back from the device:
// five blanks before a menu text, eight before a key combination or a macro.
#include "buttoninterface.h"

#include "buttoncodes.h"
#include "devicesetters.h"
#include "devicestate.h"
#include "firekey.h"
#include "groupkey.h"
#include "leftbuttononly.h"
#include "macroblock.h"
#include "macrofile.h"
#include "macrolist.h"
#include "popupmenu.h"
#include "sensorcodes.h"

#include <QAction>
#include <QPushButton>

namespace {

const QString kMenuLabelPrefix = QStringLiteral("     ");
const QString kKeysLabelPrefix = QStringLiteral("        ");

// Rapid fire on a button that has none yet starts from these.
constexpr int kRapidFireInterval = 10;
constexpr int kRapidFireCount = 3;

// A label without its five-blank prefix: what is compared with menu texts.
QString labelTail(const QPushButton *button)
{
    return button->text().mid(kMenuLabelPrefix.size());
}

} // namespace

// ---- What the page holds ---------------------------------------------------------

Buttoninterface::StoredFunction Buttoninterface::storedButtonFunction(int button) const
{
    StoredFunction f;
    if (button >= 0 && button < m_buttonTypes.size()) {
        f.type = m_buttonTypes.at(button);
        f.code = m_buttonCodes.at(button);
        f.param = m_buttonParams.at(button);
    }
    return f;
}

// ---- The common steps ----------------------------------------------------------

bool Buttoninterface::keepsLastLeftClick(int menuIndex)
{
    const QString left = m_leftClickAction->text();
    int leftButtons = 0;
    for (int i = 0; i < kButtonCount; ++i) {
        if (labelTail(buttonWidget(i)) == left)
            ++leftButtons;
    }
    if (leftButtons != 1 || labelTail(buttonWidget(menuIndex)) != left)
        return false;
    LeftButtonOnly notice(nullptr);
    placeNotice(&notice, 20, -50);
    notice.exec();
    return true;
}

void Buttoninterface::commitFunction(int menuIndex, const std::function<bool(int k)> &write, const QString &label,
                                     int type, int code, int param)
{
    const int k = deviceButtonIndex(menuIndex);
    if (k < 0 || !write(k))
        return;
    buttonWidget(menuIndex)->setText(label);
    setButtonFunction(k, type, code, param);
}

void Buttoninterface::assignFromMenu(const std::function<bool(int k)> &write, const QString &label, int type,
                                     int code, int param)
{
    const int menuIndex = g_menuButtonIndex;
    if (deviceButtonIndex(menuIndex) < 0 || keepsLastLeftClick(menuIndex))
        return;
    commitFunction(menuIndex, write, label, type, code, param);
}

// ---- Mouse functions ---------------------------------------------------------------

void Buttoninterface::assignSingleCode(Function function, int type, int code)
{
    assignFromMenu([type, code](int k) { return ::setButtonFunction(k, u8(type), u8(code), 0); },
                   kMenuLabelPrefix + functionAction(function)->text(), type, code, 0);
}

void Buttoninterface::slotLeftKey() { assignSingleCode(FnLeftKey, kMouseFunctionType, 1); }
void Buttoninterface::slotRightKey() { assignSingleCode(FnRightKey, kMouseFunctionType, 2); }
void Buttoninterface::slotWheelKey() { assignSingleCode(FnWheelKey, kMouseFunctionType, 4); }
void Buttoninterface::slotBackKey() { assignSingleCode(FnBackKey, kMouseFunctionType, 8); }
void Buttoninterface::slotForwardKey() { assignSingleCode(FnForwardKey, kMouseFunctionType, 16); }
void Buttoninterface::slotDisableKey() { assignSingleCode(FnDisableKey, kDisabledFunctionType, 0); }
void Buttoninterface::slotDPILoopKey() { assignSingleCode(FnDPILoopKey, kDpiFunctionType, 1); }
void Buttoninterface::slotDPIUpKey() { assignSingleCode(FnDPIUpKey, kDpiFunctionType, 2); }
void Buttoninterface::slotDPIDownKey() { assignSingleCode(FnDPIDownKey, kDpiFunctionType, 3); }
void Buttoninterface::slotKeyWheelUp() { assignSingleCode(FnKeyWheelUp, kWheelFunctionType, 1); }
void Buttoninterface::slotKeyWheelDown() { assignSingleCode(FnKeyWheelDown, kWheelFunctionType, 2); }
void Buttoninterface::slotPollingRateKey() { assignSingleCode(FnPollingRateKey, kPollingRateFunctionType, 0); }

// Rapid fire asks for its interval and count first; the left-click rule
// comes after the dialog.
void Buttoninterface::slotProfileSwitchKey()
{
    const int menuIndex = g_menuButtonIndex;
    const int k = deviceButtonIndex(menuIndex);
    if (k < 0)
        return;
    const QString own = functionAction(FnProfileSwitchKey)->text();
    const StoredFunction stored = storedButtonFunction(k);
    FireKey dialog(nullptr);
    if (labelTail(buttonWidget(menuIndex)) == own && stored.type >= 0) {
        dialog.setInterval(stored.code);
        dialog.setCount(stored.param);
    } else {
        dialog.setInterval(kRapidFireInterval);
        dialog.setCount(kRapidFireCount);
    }
    placeNotice(&dialog, -50, -70);
    dialog.exec();
    if (!dialog.accepted || keepsLastLeftClick(menuIndex))
        return;
    const int interval = dialog.interval;
    const int count = dialog.count;
    commitFunction(
        menuIndex,
        [interval, count](int b) { return ::setButtonFunction(b, kRapidFireFunctionType, u8(interval), u8(count)); },
        kMenuLabelPrefix + own, kRapidFireFunctionType, interval, count);
}

// ---- Key combinations --------------------------------------------------------------

// The left-click rule comes before the dialog: the only left-click button
// never gets as far as typing keys.
void Buttoninterface::slotKeyCombinationKey()
{
    const int menuIndex = g_menuButtonIndex;
    if (deviceButtonIndex(menuIndex) < 0 || keepsLastLeftClick(menuIndex))
        return;
    GroupKey dialog(nullptr);
    placeNotice(&dialog, 20, -50);
    dialog.exec();
    const QString text = dialog.m_resultText;
    if (!dialog.m_accepted || text.isEmpty())
        return;
    commitFunction(
        menuIndex, [&text](int k) { return writeCombinationKey(k, text); }, kKeysLabelPrefix + text,
        kKeyRecordFunctionType, 0, 0);
}

// ---- Media and application keys ------------------------------------------------

void Buttoninterface::assignConsumerKey(int usageLow)
{
    assignFromMenu([usageLow](int k) { return writeConsumerKey(k, usageLow) != nullptr; },
                   kMenuLabelPrefix + consumerKeyAction(usageLow)->text(), kKeyRecordFunctionType, 0, 0);
}

void Buttoninterface::slotMediaPlayerKey() { assignConsumerKey(0x83); }
void Buttoninterface::slotPlayPauseKey() { assignConsumerKey(0xCD); }
void Buttoninterface::slotNextKey() { assignConsumerKey(0xB5); }
void Buttoninterface::slotMuteKey() { assignConsumerKey(0xE2); }
void Buttoninterface::slotPreviousKey() { assignConsumerKey(0xB6); }
void Buttoninterface::slotStopplayKey() { assignConsumerKey(0xB7); }
void Buttoninterface::slotVoulumeupKey() { assignConsumerKey(0xE9); }
void Buttoninterface::slotVoulumedownKey() { assignConsumerKey(0xEA); }
void Buttoninterface::slotEmailKey() { assignConsumerKey(0x8A); }
void Buttoninterface::slotCalculatorKey() { assignConsumerKey(0x92); }
void Buttoninterface::slotMycomputerKey() { assignConsumerKey(0x94); }
void Buttoninterface::slotHomePageKey() { assignConsumerKey(0x23); }
void Buttoninterface::slotSearchKey() { assignConsumerKey(0x21); }
void Buttoninterface::slotStopWebKey() { assignConsumerKey(0x26); }
void Buttoninterface::slotRefreshKey() { assignConsumerKey(0x27); }
void Buttoninterface::slotFavoritesKey() { assignConsumerKey(0x2A); }

// ---- Fixed DPI -----------------------------------------------------------------------

void Buttoninterface::assignFixedDpi(Function function, int dpi)
{
    const int code = int(DpiButtonValue(dpi));
    // The DPI value itself follows the title, without the blanks that align
    // it in the menu: the same label the page shows for a fixed DPI it reads
    // from the device.
    const QString label =
        kMenuLabelPrefix + m_fixedDpiMenu->title() + "-" + functionAction(function)->text().trimmed();
    assignFromMenu([code](int k) { return ::setButtonFunction(k, kFixedDpiFunctionType, u8(code & 0xFF), 0); }, label,
                   kFixedDpiFunctionType, code, 0);
}

void Buttoninterface::slotKey100() { assignFixedDpi(FnKey100, 100); }
void Buttoninterface::slotKey200() { assignFixedDpi(FnKey200, 200); }
void Buttoninterface::slotKey300() { assignFixedDpi(FnKey300, 300); }
void Buttoninterface::slotKey400() { assignFixedDpi(FnKey400, 400); }
void Buttoninterface::slotKey500() { assignFixedDpi(FnKey500, 500); }
void Buttoninterface::slotKey600() { assignFixedDpi(FnKey600, 600); }
void Buttoninterface::slotKey700() { assignFixedDpi(FnKey700, 700); }
void Buttoninterface::slotKey800() { assignFixedDpi(FnKey800, 800); }
void Buttoninterface::slotKey900() { assignFixedDpi(FnKey900, 900); }
void Buttoninterface::slotKey1000() { assignFixedDpi(FnKey1000, 1000); }
void Buttoninterface::slotKey1100() { assignFixedDpi(FnKey1100, 1100); }
void Buttoninterface::slotKey1200() { assignFixedDpi(FnKey1200, 1200); }

// ---- Macros ------------------------------------------------------------------------

void Buttoninterface::slotMacroMenu()
{
    MacroList chooser(nullptr);
    placeNotice(&chooser, 20, -50);
    chooser.exec();
    const QString name = chooser.macroName;
    if (chooser.accepted && !name.isEmpty())
        slotMacroNameKey(name);
}

// The left-click rule comes after the chooser: the user has picked a macro
// by the time the notice says it cannot go on this button.
void Buttoninterface::slotMacroNameKey(const QString &name)
{
    const int menuIndex = g_menuButtonIndex;
    if (deviceButtonIndex(menuIndex) < 0 || keepsLastLeftClick(menuIndex))
        return;
    // Filling the block from the file is refused while the page fills its
    // widgets from device data.
    MacroDownloadRecord block = emptyMacroBlock();
    if (!pageMayWrite() || !ReadMacroFile(m_macroDir, name, &block))
        return;
    // The whole number is kept on the page; the device takes its low byte.
    const int loopMode = ReadMacroHeader(m_macroDir, name).toInt();
    commitFunction(
        menuIndex,
        [&block, loopMode](int k) {
            return SendMacroToDevice(k, macroButtonFunction(k, loopMode), block.bytes());
        },
        kKeysLabelPrefix + m_macroLabelPrefix + name, kMacroFunctionType, deviceButtonIndex(menuIndex), loopMode);
}

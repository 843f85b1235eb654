// The page's answers to device data: full refreshes from an image, the
// partial reports of DPI level, polling rate, profiles and battery, and the
// view without device data.
#include "buttoninterface.h"

#include "configsettings.h"
#include "globals.h"
#include "postmsg.h"

int Buttoninterface::reportRateIndexOf(int code)
{
    switch (code) {
    case 0x08: return 0;
    case 0x04: return 1;
    case 0x02: return 2;
    case 0x01: return 3;
    case 0x10: return 4;
    case 0x20: return 5;
    case 0x40: return 6;
    default: return -1;
    }
}

void Buttoninterface::refreshFromImage(const FlashDataMap &image)
{
    g_sensorName = ConfigSettings::instance()->readString(
        "Drive" + QString::number(g_selectedDevice.driveIndex + 1), "Sensor");
    m_shownImage = image;
    m_factoryView = false;

    const int rate = reportRateIndexOf(image.reportRate);
    if (rate >= 0)
        m_reportRateIndex = rate;
    if (g_selectedDevice.isReceiver && (image.reportRate == 0x10 || image.reportRate == 0x20))
        m_reportRateIndex = 3;
    m_dpiLevel = image.dpiLevel;

    loadButtonFunctions(image);
    ++m_fullRefreshCount;
}

void Buttoninterface::SlotUpDataButtonUIButton(FlashDataMap DataMap)
{
    g_buttonUiUpToDate = 0;
    g_buttonPageRefreshing = 1;
    refreshFromImage(DataMap);
    g_buttonUiUpToDate = 1;
    g_buttonPageRefreshing = 0;
}

void Buttoninterface::SlotUpDataButtonUIB(FlashDataMap DataMap)
{
    g_buttonPageRefreshing = 1;
    refreshFromImage(DataMap);
    PostMsg::instance()->postLightToFrom(DataMap.sleepTime * 10);
    g_buttonPageRefreshing = 0;
}

void Buttoninterface::SlotUpDataConfigUI(int ToTalItem, int SelectIndex, bool ItemEnable)
{
    m_profileCount = ToTalItem > 0 ? ToTalItem : (ToTalItem == 0 ? 1 : 0);
    m_profileEnabled = ItemEnable;
    if (ToTalItem >= 1)
        m_profileIndex = SelectIndex;
}

void Buttoninterface::SlotUpDataDPI(int index)
{
    g_uiWriteEnabled = 0;
    if (index >= 0 && index <= 7)
        m_dpiLevel = index;
    g_uiWriteEnabled = 1;
}

void Buttoninterface::SlotUpDataReportRate(int index)
{
    const int rate = reportRateIndexOf(index);
    if (rate >= 0)
        m_reportRateIndex = rate;
}

void Buttoninterface::SlotBattery(bool IsCharg, int Number, bool IsText)
{
    m_charging = IsCharg;
    m_batteryLevel = Number;
    m_batteryText = QString::number(Number) + (IsText ? QStringLiteral("%") : QString());
}

void Buttoninterface::SlotFormResetButton()
{
    g_buttonPageRefreshing = 1;
    m_factoryView = true;
    m_dpiLevel = 1;
    m_reportRateIndex = 3;
    PostMsg::instance()->postMouseIndex(0);
    PostMsg::instance()->postLightToFrom(60);
    g_buttonPageRefreshing = 0;
}

void Buttoninterface::SlotMouseIndex(int index)
{
    Q_UNUSED(index);
}

// The button labels keep their default functions until they are drawn
// from the image.
void Buttoninterface::RenderButtonLabels(int button, int type, int code, int param, FlashDataMap image)
{
    Q_UNUSED(button);
    Q_UNUSED(type);
    Q_UNUSED(code);
    Q_UNUSED(param);
    Q_UNUSED(image);
}

// The macro editor's key fields take keys once the page's keyboard hook is
// part of the program.
void Buttoninterface::SlotFocusIn(int index)
{
    Q_UNUSED(index);
}

void Buttoninterface::SlotFocusOut() {}

// Buttons bound to a deleted macro get their defaults once the function
// slots assign them.
void Buttoninterface::SlotDeleteMacroButton(QString MacroName)
{
    Q_UNUSED(MacroName);
}

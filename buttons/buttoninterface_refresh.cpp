// The page's answers to device data: full refreshes from an image, the
// partial reports of DPI level, polling rate, profiles and battery, the view
// without device data, the button labels, and the key fields' hook.
//
// Filling a widget must never write back to the device: the full refresh
// and the factory view hold g_buttonPageRefreshing for their whole span, so
// every slot that a widget change could reach stays inert and a setter it
// might still reach stays silent when the device is offline.
#include "buttoninterface.h"
#include "ui_Buttoninterface.h"

#include "buttoncodes.h"
#include "configsettings.h"
#include "devicesearch.h"
#include "devicestate.h"
#include "globals.h"
#include "keyboardhook.h"
#include "keytables.h"
#include "linktable.h"
#include "macroblock.h"
#include "macrofile.h"
#include "popupmenu.h"
#include "postmsg.h"
#include "sensorcodes.h"

#include <QAction>

namespace {

constexpr char kBatteryLowStyle[] =
    "#progressBar{border: 1px solid #CCCCCC; border-radius: 3px; background-color: transparent;}"
    "#progressBar::chunk { border-radius: 2px; background-color: rgb(152, 43, 34);}";
constexpr char kBatteryStyle[] =
    "#progressBar{border: 1px solid #CCCCCC; border-radius: 3px; background-color: transparent;}"
    "#progressBar::chunk { border-radius: 2px; background-color: rgb(0, 255, 153);}";
// Below this level the bar turns red.
constexpr int kBatteryLowBelow = 16;

QString lightText(int position)
{
    return langText(g_langLight, g_language, position);
}

// The function the short label of (type, code) names; FunctionCount for
// a pair that has none.
Buttoninterface::Function shortLabelFunction(int type, int code)
{
    using B = Buttoninterface;
    switch (type) {
    case kDisabledFunctionType: return B::FnDisableKey;
    case kMouseFunctionType:
        switch (code) {
        case 1: return B::FnLeftKey;
        case 2: return B::FnRightKey;
        case 4: return B::FnWheelKey;
        case 8: return B::FnBackKey;
        case 16: return B::FnForwardKey;
        default: return B::FunctionCount;
        }
    case kDpiFunctionType:
        switch (code) {
        case 1: return B::FnDPILoopKey;
        case 2: return B::FnDPIUpKey;
        case 3: return B::FnDPIDownKey;
        default: return B::FunctionCount;
        }
    case kWheelFunctionType:
        switch (code) {
        case 1: return B::FnKeyWheelUp;
        case 2: return B::FnKeyWheelDown;
        default: return B::FunctionCount;
        }
    case kRapidFireFunctionType: return B::FnProfileSwitchKey;
    case kPollingRateFunctionType: return B::FnPollingRateKey;
    default: return B::FunctionCount;
    }
}

const QString kShortForm = QStringLiteral("     ");
const QString kLongForm = QStringLiteral("        ");

// The names of a key record's presses joined by "+": the first half of its
// events, at most the record's six slots whatever its count byte says.
QString combinationLabel(const KeyParamRecord &record)
{
    const int presses = qMin(record.bytes[0] / 2, kKeyEventSlots);
    QStringList names;
    for (int i = 0; i < presses; ++i) {
        const KeyEvent event = keyEventAt(record, i);
        names << KeyCodeToName(event.code & 0xFF, event.kind);
    }
    return names.join(QLatin1Char('+'));
}

} // namespace

// ---- Full refresh -------------------------------------------------------------

void Buttoninterface::SlotUpDataButtonUIButton(FlashDataMap DataMap)
{
    g_buttonUiUpToDate = 0;
    g_buttonPageRefreshing = 1;
    refreshFromImage(DataMap, false);
    g_buttonUiUpToDate = 1;
    g_buttonPageRefreshing = 0;
}

void Buttoninterface::SlotUpDataButtonUIB(FlashDataMap DataMap)
{
    g_buttonPageRefreshing = 1;
    refreshFromImage(DataMap, true);
    g_buttonPageRefreshing = 0;
}

void Buttoninterface::refreshFromImage(const FlashDataMap &image, bool sleepToSettings)
{
    g_sensorName = ConfigSettings::instance()->readString(selectedDriveGroup(), "Sensor");
    m_shownImage = image;
    m_factoryView = false;

    showSensorOptions(image);
    if (sleepToSettings)
        PostMsg::instance()->postLightToFrom(image.sleepTime * 10);
    showOption0C(image.option0C != 0);
    showReportRate(image);
    showDpiLevels(image);

    const int buttons = loadButtonFunctions(image);
    for (int k = 0; k < buttons; ++k)
        RenderButtonLabels(k, m_buttonTypes.at(k), m_buttonCodes.at(k), m_buttonParams.at(k), image);
    ++m_fullRefreshCount;
}

void Buttoninterface::showSensorOptions(const FlashDataMap &image)
{
    ui->toolButton->setChecked(image.option04 == 1);
    ui->Reset_3->setChecked(image.motionSync != 0);
    ui->frame_4->setChecked(image.angleSnapping != 0);
    ui->frame->setChecked(image.rippleControl != 0);
    ui->spinBoxButton->setValue(image.debounceTime);
    ui->frameLOD->setCurrentIndex(image.liftOffDistance - 1);
    const int sleep = sleepIndexOf(image.sleepTime * 10);
    if (sleep >= 0)
        ui->frameLOD_2->setCurrentIndex(sleep);
}

void Buttoninterface::showOption0C(bool on)
{
    const bool blocked = ui->Reset_4->blockSignals(true);
    ui->Reset_4->setChecked(on);
    ui->Reset_4->blockSignals(blocked);
    ui->toolButton->setVisible(on);
    ui->pushButton->setVisible(!on);
    ui->label_10->setText(lightText(on ? 4 : 3));
}

void Buttoninterface::showReportRate(const FlashDataMap &image)
{
    showReportRateChoices();
    const int rate = reportRateIndexOf(image.reportRate);
    if (rate >= 0)
        m_reportRateIndex = rate;
    // A receiver shows a stored 2000 or 4000 Hz as 1000 Hz.
    if (g_selectedDevice.isWired && (image.reportRate == 0x10 || image.reportRate == 0x20))
        m_reportRateIndex = 3;
    if (m_reportRateIndex >= 0)
        ui->frameRate->setCurrentIndex(m_reportRateIndex);
    const int rateClass = linkKindOf(g_selectedDevice.linkType).rateClass;
    if (rateClass >= 0)
        ui->frameRate->updateRates(rateClass);
}

void Buttoninterface::showReportRateChoices()
{
    ui->frameRate->setHighRatesVisible(linkKindOf(g_selectedDevice.linkType).highRates);
}

void Buttoninterface::showDpiLevels(const FlashDataMap &image)
{
    SensorDPI *dpi = ui->frameDpi;
    dpi->refreshLevels();
    dpi->blockSliderSignals(true);
    dpi->setSliderEnabled(true);
    dpi->setStepB(image.dpiLevelCount);
    dpi->setStep(image.dpiLevel);
    // No more levels than the image holds, whatever the product data offer.
    const int offered =
        qMin(ConfigSettings::instance()->readString(selectedDriveGroup(), "DPIMaxGrade").toInt(), kDpiLevelCount);
    if (offered > 0)
        dpi->setSpinBoxMaximum(offered, QString());

    setDpiRanges(parseDpiRanges(ConfigSettings::instance()->readStringList(selectedDriveGroup(), "DPIRange")));
    if (g_dpiRangeCount >= 1) {
        m_dpiMinText = g_dpiRangeTexts.at(0);
        m_dpiMaxText = g_dpiRangeTexts.at(3 * (g_dpiRangeCount - 1) + 1);
    }
    dpi->setMaximum(m_dpiMaxText.toInt());
    dpi->setMinimum(m_dpiMinText.toInt());

    for (int level = 0; level < offered; ++level) {
        const DpiLevel &entry = image.dpiLevels[level];
        const int value = decodeDpiLevel(entry.code[0], entry.code[2]);
        dpi->setLevelText(level, QString::number(value));
        if (level == image.dpiLevel) {
            dpi->setSliderValue(value);
            dpi->setDpiValue(value);
        }
    }

    dpi->setLevelCount(image.dpiLevelCount - 1);
    dpi->setSpinBoxValue(image.dpiLevelCount);
    dpi->moveMarkerToLevel(image.dpiLevel + 1);
    dpi->setCurrentLevel(image.dpiLevel);
    dpi->blockSliderSignals(false);
    ui->Reset_3->setChecked(image.motionSync != 0);
}

// ---- Partial reports ------------------------------------------------------------

void Buttoninterface::SlotUpDataConfigUI(int ToTalItem, int SelectIndex, bool ItemEnable)
{
    ui->ProjectChoose->clear();
    const bool blocked = ui->ProjectChoose->blockSignals(true);
    const int items = ToTalItem == 0 ? 1 : ToTalItem;
    for (int i = 0; i < items; ++i)
        ui->ProjectChoose->insertItem(i, "    " + m_profileLabelPrefix + QString::number(i + 1));
    ui->ProjectChoose->blockSignals(blocked);
    ui->ProjectChoose->setEnabled(ItemEnable);
    if (ToTalItem >= 1) {
        ui->ProjectChoose->setCurrentIndex(SelectIndex);
        m_profileIndex = ui->ProjectChoose->currentIndex();
    }
}

void Buttoninterface::SlotUpDataDPI(int index)
{
    g_uiWriteEnabled = 0;
    ui->frameDpi->moveMarkerToLevel(index + 1);
    if (index >= 0 && index < kDpiLevelCount) {
        ui->frameDpi->setCurrentLevel(index);
        ui->frameDpi->setStep(index);
    }
    g_uiWriteEnabled = 1;
}

void Buttoninterface::SlotUpDataReportRate(int index)
{
    const int rate = reportRateIndexOf(index);
    if (rate < 0)
        return;
    m_reportRateIndex = rate;
    ui->frameRate->setCurrentIndex(rate);
}

void Buttoninterface::SlotBattery(bool IsCharg, int Number, bool IsText)
{
    ui->label->setVisible(IsCharg);
    ui->progressBar->setValue(Number);
    ui->label_2->setText(QString::number(Number) + (IsText ? QStringLiteral("%") : QString()));
    ui->progressBar->setStyleSheet(QString::fromLatin1(Number < kBatteryLowBelow ? kBatteryLowStyle : kBatteryStyle));
}

int Buttoninterface::batteryLevel() const
{
    return ui->progressBar->value();
}

QString Buttoninterface::batteryText() const
{
    return ui->label_2->text();
}

void Buttoninterface::SlotMouseIndex(int index)
{
    Q_UNUSED(index);
}

// ---- The view without device data --------------------------------------------

void Buttoninterface::SlotFormResetButton()
{
    g_buttonPageRefreshing = 1;
    m_factoryView = true;
    PostMsg *hub = PostMsg::instance();

    ui->frame->setChecked(false);
    ui->frame_4->setChecked(false);
    hub->postMouseIndex(0);
    ui->frameLOD_2->setCurrentIndex(2);
    ui->frameLOD->setCurrentIndex(0);

    showOption0C(false);
    ui->Reset_3->setChecked(true);
    ui->toolButton->setChecked(false);

    // Left, right, middle, back, forward and DPI cycle; the labels keep
    // what they show.
    m_buttonTypes = {1, 1, 1, 1, 1, 2};
    m_buttonCodes = {1, 2, 4, 8, 16, 1};
    m_buttonParams = {0, 0, 0, 0, 0, 0};
    hub->postLightToFrom(60);

    SensorDPI *dpi = ui->frameDpi;
    dpi->setMaximum(kHighestDpi);
    dpi->setMinimum(100);
    dpi->loadDpiSettings();
    dpi->setSpinBoxMaximum(6, QString());
    dpi->setLevelCount(4);
    dpi->setSpinBoxValue(5);
    dpi->moveMarkerToLevel(2);
    dpi->setCurrentLevel(1);
    dpi->setSliderValue(800);
    dpi->setDpiValue(800);

    showReportRateChoices();
    const int rateClass = linkKindOf(g_selectedDevice.linkType).rateClass;
    if (rateClass >= 0) {
        ui->frameRate->updateRates(rateClass);
        m_reportRateIndex = 3;
        ui->frameRate->setCurrentIndex(3);
    }

    ui->Reset_3->setChecked(true);
    ui->frame->setChecked(false);
    ui->frame_4->setChecked(false);
    g_buttonPageRefreshing = 0;
}

// ---- Button labels ------------------------------------------------------------

void Buttoninterface::RenderButtonLabels(int button, int type, int code, int param, FlashDataMap image)
{
    QPushButton *widget = buttonForDevice(button);
    if (!widget)
        return;

    const Function shortFunction = shortLabelFunction(type, code);
    if (shortFunction != FunctionCount) {
        widget->setText(kShortForm + functionAction(shortFunction)->text());
        return;
    }

    switch (type) {
    case kKeyRecordFunctionType: {
        const KeyParamRecord &record = image.keyRecords[button];
        const KeyEvent first = keyEventAt(record, 0);
        if (first.kind == KeyKindConsumer) {
            if (QAction *action = consumerKeyAction(first.code & 0xFF))
                widget->setText(kShortForm + action->text());
        } else {
            widget->setText(kLongForm + combinationLabel(record));
        }
        break;
    }
    case kMacroFunctionType: {
        const MacroDownloadRecord block = macroBlockOf(image, button);
        const QString name = macroBlockStoredName(block);
        widget->setText(kLongForm + m_macroLabelPrefix + name);
        // The loop line and the rows go in with one write: a program ended
        // between two writes would leave the macro with its loop line only.
        SaveMacroFile(m_macroDir, name, QString::number(param), macroBlockRows(block, buttonPageMouseNames()));
        PostMsg::instance()->postButtonToMacro(image, button);
        break;
    }
    case kFixedDpiFunctionType:
        widget->setText(kShortForm + m_fixedDpiMenu->title() + "-" + QString::number(fixedDpiOfCode(code)));
        break;
    default:
        break;
    }
}

// ---- The macro editor's key fields --------------------------------------------

void Buttoninterface::SlotFocusIn(int index)
{
    if (index == 0 || index == 1) {
        m_keyboardHook->InstallKeyboardHook();
        g_keyHookCallback = bindKeyHookCallback(
            this, index == 0 ? &Buttoninterface::UpdateCapslockTipB : &Buttoninterface::UpdateCapslockTipC);
    }
    qCDebug(lcDiagnostics) << index;
}

void Buttoninterface::SlotFocusOut()
{
    m_keyboardHook->RemoveKeyboardHook();
}

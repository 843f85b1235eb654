// The settings page's update run: the steps the armed check timer takes
// once a second, the updater's events and the page's state at the end of a
// step.

#include "updaterun.h"

#include "formsetting.h"
#include "ui_FormSetting.h"

#include "HIDUsb.h"
#include "configsettings.h"
#include "firmwareimage.h"
#include "globals.h"
#include "guithread.h"
#include "pagerepairdialog.h"
#include "postmsg.h"
#include "updaterepair.h"
#include "updatetraces.h"
#include "updatewarning.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

int g_updateReceiverClass = 0;
int g_updateMid = 0;
int g_updatingDeviceCode = 0;
int g_receiverUpdateState = UpdateNotStarted;
int g_mouseUpdateState = UpdateNotStarted;
int g_updateImageCount = 1;
QTimer *g_dongleCheckTimer = nullptr;
QTimer *g_mouseCheckTimer = nullptr;
int g_transitionMode = 0;
QString g_textNoRecieve, g_textNoUSB, g_textError, g_textMultiMouse, g_textMultiDongle;
unsigned char g_pairQueryOnline = 0;
QByteArray g_receiverIdBytes;
QByteArray g_updateRunningImage;
bool g_updateEndShown = false;

void showUpdateEnd(int view)
{
    g_updateEndShown = true;
    PostMsg::instance()->postProgress(0, view);
}
bool g_updateFlashed = false;

namespace {

const qint64 kDefaultWatchdogMs = 10 * 60 * 1000;
qint64 g_watchdogMs = kDefaultWatchdogMs;
QElapsedTimer g_lastUpdateEvent;
QList<QByteArray> g_heldImages;
int g_updatesUnanswered = 0;   // starts not yet answered by an end event

void updaterEnded()
{
    if (g_updatesUnanswered > 0 && --g_updatesUnanswered == 0)
        g_heldImages.clear();
}

int &stateOf(int deviceCode)
{
    return deviceCode == kReceiverDeviceCode ? g_receiverUpdateState : g_mouseUpdateState;
}

void finishSucceededStep()
{
    PostMsg *hub = PostMsg::instance();
    const QString version = firmwareVersionText(parseFirmwareHeader(g_updateRunningImage).version);
    if (g_receiverUpdateState == UpdateRunning) {
        g_receiverUpdateState = UpdateSucceeded;
        // With two images the mouse's step still follows: the dialog shows
        // success only at its end.
        if (g_updateImageCount == 1)
            showUpdateEnd(2);
        hub->postLabelText(0, version);
        g_updateFlashed = true;
    }
    if (g_mouseUpdateState == UpdateRunning) {
        g_mouseUpdateState = UpdateSucceeded;
        ConfigSettings *config = ConfigSettings::instance();
        writeMouseVersion(config->readString("Option", "CID"), config->readString(selectedDriveGroup(), "MID"),
                          version);
        showUpdateEnd(2);
        hub->postLabelText(1, version);
        g_updateFlashed = true;
    }
    removeUpdateFailInfo();
}

} // namespace

const QList<QByteArray> &imagesHeldForUpdater()
{
    return g_heldImages;
}

void setUpdateWatchdogMs(qint64 ms)
{
    g_watchdogMs = ms > 0 ? ms : kDefaultWatchdogMs;
}

void resetUpdateRunState()
{
    g_updateReceiverClass = 0;
    g_updateMid = 0;
    g_updatingDeviceCode = 0;
    g_receiverUpdateState = UpdateNotStarted;
    g_mouseUpdateState = UpdateNotStarted;
    g_updateImageCount = 1;
    g_transitionMode = 0;
    g_pairQueryOnline = 0;
    g_receiverIdBytes.clear();
    g_updateRunningImage.clear();
    g_heldImages.clear();
    g_updatesUnanswered = 0;
    g_updateEndShown = false;
    g_updateFlashed = false;
    g_update210Available = 0;
    g_update211Available = 0;
    g_firmwareUpdating = 0;
    g_firmwareImageList.clear();
    g_updateCid = 0;
    g_watchdogMs = kDefaultWatchdogMs;
    g_lastUpdateEvent.invalidate();
}

void startUpdaterFor(int deviceCode, const QByteArray &image)
{
    g_updatingDeviceCode = deviceCode;
    stateOf(deviceCode) = UpdateRunning;
    g_updateRunningImage = image;
    g_heldImages.append(image);
    ++g_updatesUnanswered;
    // The update dialog refuses to close while the updater writes.
    g_repairUpgradeStarted = 1;
    g_lastUpdateEvent.start();
    UsbUpgrade_Start(reinterpret_cast<const unsigned char *>(g_updateRunningImage.constData()),
                     &FormSetting::upgradeStepCallback, 10000);
}

bool updateWatchdogExpired()
{
    return g_lastUpdateEvent.isValid() && g_lastUpdateEvent.elapsed() >= g_watchdogMs;
}

void failUpdateStep()
{
    g_lastUpdateEvent.invalidate();
    writeUpdateLog();
    g_update210Available = 0;
    g_update211Available = 0;
    if (g_receiverUpdateState == UpdateRunning)
        g_receiverUpdateState = UpdateFailed;
    if (g_mouseUpdateState == UpdateRunning)
        g_mouseUpdateState = UpdateFailed;
    showUpdateEnd(1);
    writeUpdateFailInfo(g_updatingDeviceCode, g_updateReceiverClass, g_updateCid, g_updateMid);
}

void handleUpdateEvent(const QByteArray &event)
{
    if (event.size() < 3 || quint8(event.at(0)) != 7)
        return;
    const int subKind = quint8(event.at(1));
    const int value = quint8(event.at(2));
    if (subKind == 1) {
        g_lastUpdateEvent.start();
        PostMsg *hub = PostMsg::instance();
        if (g_receiverUpdateState == UpdateRunning)
            hub->postProgress(g_updateImageCount == 1 ? value : value / 2, 0);
        if (g_mouseUpdateState == UpdateRunning)
            hub->postProgress(g_updateImageCount == 1 ? value : value / 2 + 50, 0);
    } else if (subKind == 2) {
        g_lastUpdateEvent.invalidate();
        if (value == 1)
            finishSucceededStep();
        else
            failUpdateStep();
        updaterEnded();
    }
}

// ---- The page's part of the run ----------------------------------------------------

void queueUpdaterEvent(const unsigned char *event, void (*handler)(const QByteArray &))
{
    if (!event)
        return;
    const QByteArray copy(reinterpret_cast<const char *>(event), 3);
    // Queued even from the GUI thread, so that events are handled in the
    // order the library sent them.
    postToGuiThread([copy, handler]() { handler(copy); });
}

void FormSetting::upgradeStepCallback(const unsigned char *event)
{
    queueUpdaterEvent(event, &handleUpdateEvent);
}

void FormSetting::onDongleCheckTimer()
{
    runUpdateStep(m_updateStep, kReceiverDeviceCode, m_receiverVersion);
}

void FormSetting::onMouseCheckTimer()
{
    runUpdateStep(m_updateStep, kMouseDeviceCode, m_mouseVersion);
}

void FormSetting::markChecksRunning()
{
    g_firmwareUpdating = 1;
}

void FormSetting::stopChecks()
{
    if (g_dongleCheckTimer)
        g_dongleCheckTimer->stop();
    if (g_mouseCheckTimer)
        g_mouseCheckTimer->stop();
    g_firmwareUpdating = 0;
}

bool FormSetting::isReceiverUpdateRunning()
{
    return g_receiverUpdateState == UpdateRunning;
}

bool FormSetting::isMouseUpdateRunning()
{
    return g_mouseUpdateState == UpdateRunning;
}

bool FormSetting::isUpdateRunning()
{
    return isReceiverUpdateRunning() || isMouseUpdateRunning();
}

bool FormSetting::searchForRun(int deviceCode, const QString &version, const QString &model) const
{
    return isNewFirmwareInBin(u8(deviceCode), version, model, u8(g_updateCid & 0xFF), u8(g_updateMid & 0xFF));
}

void FormSetting::nothingToUpdate(int deviceCode)
{
    if (deviceCode == kReceiverDeviceCode) {
        g_receiverUpdateState = UpdateNothingNew;
        showReceiverResult();
        m_updateNotNeeded = 1;
    } else {
        g_mouseUpdateState = UpdateNothingNew;
        showMouseResult();
        m_mouseUpdateNotNeeded = 1;
    }
    m_updateStep = 4;
}

void FormSetting::receiverBootCount(int receiverClass, const QString &model)
{
    if (!searchForRun(kReceiverDeviceCode, QString(), model) || g_firmwareImageList.isEmpty())
        return;
    int *count = receiverClass == 1   ? &m_bootCount1
                 : receiverClass == 2 ? &m_bootCount2
                 : receiverClass == 4 ? &m_bootCount4
                                      : &m_bootCount8;
    UsbUpgradeC_FindBootDevices(reinterpret_cast<const unsigned char *>(g_firmwareImageList.first().constData()),
                                count);
}

void FormSetting::prepareStep(int deviceCode, const QString &versionText)
{
    ConfigSettings *config = ConfigSettings::instance();
    const QString group = selectedDriveGroup();
    g_updateCid = config->readString("Option", "CID").toInt(nullptr, 10);
    g_updateMid = config->readString(group, "MID").toInt(nullptr, 10);

    bool chosen = false;
    if (deviceCode == kMouseDeviceCode) {
        chosen = searchForRun(kMouseDeviceCode, versionText, config->readString(group, "MM"));
    } else {
        m_receiverPaths.clear();
        // A receiver's model is known only where the configuration names
        // it; the 1K receiver's key is read as it stands.
        auto tryClass = [&](int receiverClass) {
            const QString model = config->readString(group, receiverModelKey(receiverClass));
            if (receiverClass != 1 && model.isEmpty())
                return;
            chosen = searchForRun(kReceiverDeviceCode, QString(), model);
            if (chosen)
                receiverBootCount(receiverClass, model);
        };
        if (!g_selectedDevice.isWired) {
            if (!receiverModelKey(g_updateReceiverClass).isEmpty())
                tryClass(g_updateReceiverClass);
            for (const DeviceAllInfo &entry : qAsConst(g_deviceList)) {
                if (!entry.isWired && entry.devicePath == g_selectedDevice.devicePath)
                    m_receiverPaths.append(g_selectedDevice.devicePath);
            }
        } else {
            for (int receiverClass : {4, 8, 2, 1}) {
                if (receiverClass == g_updateReceiverClass) {
                    tryClass(receiverClass);
                    break;
                }
            }
            for (const DeviceAllInfo &entry : qAsConst(g_deviceList)) {
                if (!entry.isWired)
                    m_receiverPaths.append(entry.devicePath);
            }
        }
    }
    if (!chosen && g_updateReceiverClass != 0)
        nothingToUpdate(deviceCode);
    else
        m_updateStep = 1;
}

void FormSetting::warnAboutDevices(int deviceCode, int targets)
{
    if (deviceCode == kReceiverDeviceCode) {
        g_receiverUpdateState = UpdateNotStarted;
        showReceiverResult();
    } else {
        g_mouseUpdateState = UpdateNotStarted;
        showMouseResult();
    }
    const QString text = targets == 0 ? (deviceCode == kReceiverDeviceCode ? m_textNoDevice : g_updateWarningText) : m_textSameDevice;
    m_lastWarningText = text;
    if (m_continueUpdate) {
        buildUpdateDialogs();
        const QPoint g = mapToGlobal(QPoint(0, 0));
        m_updateWarning->move(g.x() + (width() - m_updateWarning->width()) / 2 + 20,
                              g.y() + (height() - m_updateWarning->height()) / 2 - 50);
        m_updateWarning->setModal(true);
        m_updateWarning->setText(text);
        m_updateWarning->show();
        m_continueUpdate = 0;
    } else {
        (deviceCode == kReceiverDeviceCode ? m_receiverWarning : m_mouseWarning) = targets == 0 ? 1 : 2;
    }
    m_updateStep = 4;
}

void FormSetting::countAndStartStep(int deviceCode, const QString &versionText)
{
    ConfigSettings *config = ConfigSettings::instance();
    const QString group = selectedDriveGroup();
    int targets = 0;
    if (deviceCode == kMouseDeviceCode) {
        targets = m_failedWasMouse;
        for (const DeviceAllInfo &entry : qAsConst(g_deviceList))
            targets += entry.isWired ? 1 : 0;
    } else {
        targets = m_receiverPaths.size() + m_bootCount1 + m_bootCount2 + m_bootCount4 + m_bootCount8;
    }
    if (targets != 1) {
        warnAboutDevices(deviceCode, targets);
        return;
    }

    bool found = false;
    if (deviceCode == kReceiverDeviceCode) {
        const int waiting = m_bootCount1 == 1 ? 1 : m_bootCount2 == 1 ? 2 : m_bootCount4 == 1 ? 4 : m_bootCount8 == 1 ? 8 : 0;
        if (waiting) {
            // The receiver waits in update mode: its image again, whatever
            // version it had.
            found = searchForRun(kReceiverDeviceCode, QString(), config->readString(group, receiverModelKey(waiting)));
        } else {
            QString version = versionText;
            int receiverClass = 1;
            if (g_updateReceiverClass == 4 || g_updateReceiverClass == 8 || g_updateReceiverClass == 2) {
                receiverClass = g_updateReceiverClass;
                int raw = 0;
                const QByteArray path = m_receiverPaths.first().toUtf8();
                version = UsbFinderC_GetSlaveVersion(path.constData(), &raw) ? firmwareVersionText(quint32(raw))
                                                                            : QString();
            }
            found = searchForRun(kReceiverDeviceCode, version, config->readString(group, receiverModelKey(receiverClass)));
        }
    } else {
        found = searchForRun(kMouseDeviceCode, versionText, config->readString(group, "MM"));
    }
    if (!found || g_firmwareImageList.isEmpty()) {
        nothingToUpdate(deviceCode);
        return;
    }
    startUpdaterFor(deviceCode, g_firmwareImageList.first());
    m_updateStep = 2;
}

void FormSetting::runUpdateStep(int step, int deviceCode, QString versionText)
{
    switch (step) {
    case 0:
        prepareStep(deviceCode, versionText);
        break;
    case 1:
        countAndStartStep(deviceCode, versionText);
        break;
    case 2:
        // The step's state was set before the updater started, so an end
        // that came at once is not lost.
        m_updateStep = 3;
        break;
    case 3:
        if (stateOf(deviceCode) == UpdateRunning && updateWatchdogExpired())
            failUpdateStep();
        if (stateOf(deviceCode) != UpdateRunning)
            m_updateStep = 4;
        break;
    case 4:
        endOfRun(deviceCode);
        break;
    default:
        break;
    }
}

void FormSetting::endOfRun(int deviceCode)
{
    if (deviceCode == kReceiverDeviceCode) {
        m_receiverCheckRunning = 0;
        showReceiverResult();
    } else {
        m_mouseCheckRunning = 0;
        showMouseResult();
    }
    m_continueUpdate = 0;
    stopChecks();
    if (deviceCode == kReceiverDeviceCode) {
        // A failed receiver keeps its failure record: a mouse flashed now
        // would remove it and the repair would no longer be offered.
        if (m_failedWasMouse == 1 && g_receiverUpdateState != UpdateFailed) {
            m_continueUpdate = 1;
            on_Mouse_clicked();
        } else {
            SlotContinue(0);
        }
    }
    const bool chained = (g_dongleCheckTimer && g_dongleCheckTimer->isActive())
                         || (g_mouseCheckTimer && g_mouseCheckTimer->isActive());
    if (chained)
        return;
    g_repairUpgradeStarted = 0;
    // The dialog still shows the update as running when the run ended
    // without a result it was told of: tell it how the run ended.
    if (g_updateEndShown || !g_updateRepairDialog)
        return;
    if (g_updateFlashed) {
        // A device was flashed, but this step found no device to flash: the
        // other one keeps its old firmware, and the update did not complete.
        showUpdateEnd(stateOf(deviceCode) == UpdateNotStarted ? 5 : 2);
        return;
    }
    g_updateEndShown = true;
    g_updateRepairDialog->setStateText(stateOf(deviceCode) == UpdateNothingNew ? m_textVerNew : m_lastWarningText);
    g_updateRepairDialog->showErrorView();
}

void FormSetting::showReceiverResult()
{
    g_upgradeIdle = 1;
    switch (g_receiverUpdateState) {
    case UpdateNothingNew:
        ui->toolButton_2->setVisible(true);
        m_receiverWarning = 0;
        setUpToDateStyle();
        break;
    case UpdateSucceeded:
        ui->toolButton_2->setVisible(true);
        m_receiverWarning = 0;
        removeUpdateFailInfo();
        setUpToDateStyle();
        g_update211Available = 0;
        break;
    case UpdateRunning:
        ui->toolButton_2->setVisible(true);
        m_receiverWarning = 0;
        removeUpdateFailInfo();
        break;
    default:
        break;
    }
    m_updateStep = 4;
}

void FormSetting::showMouseResult()
{
    g_upgradeIdle = 1;
    switch (g_mouseUpdateState) {
    case UpdateNothingNew:
        ui->Receive_2->setText(m_textVerNew);
        setUpToDateStyle();
        break;
    case UpdateSucceeded:
        removeUpdateFailInfo();
        setUpToDateStyle();
        g_update210Available = 0;
        break;
    case UpdateRunning:
        removeUpdateFailInfo();
        break;
    default:
        break;
    }
    m_updateStep = 4;
}

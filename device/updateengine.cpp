#include "updateengine.h"

#include "HIDUsb.h"
#include "configsettings.h"
#include "devicestate.h"
#include "firmwareimage.h"
#include "globals.h"
#include "guithread.h"
#include "postmsg.h"
#include "updatedecision.h"
#include "updatetraces.h"

#include <QTimer>

#include <algorithm>
#include <limits>
#include <numeric>
#include <utility>

int g_updateReceiverClass = 0;
int g_updateMid = 0;
int g_updatingDeviceCode = 0;
int g_receiverUpdateState = UpdateNotStarted;
int g_mouseUpdateState = UpdateNotStarted;
int g_updateImageCount = 1;
QTimer *g_dongleCheckTimer = nullptr;
QTimer *g_mouseCheckTimer = nullptr;
unsigned char g_repairUpgradeStarted = 0;
int g_repairStage = 0;
int g_repairImageCount = 1;
unsigned char g_repairProgressSplit = 1;
int g_repairFailedIsMouse = 0;
int g_repairReceiverClass = 0;
int g_repairCid = 0;
int g_repairMid = 0;
QString g_repairMouseModel;
QStringList g_repairFailInfo;

namespace {

const qint64 kDefaultWatchdogMs = 10 * 60 * 1000;
// A step of the settings page's run each second.
const int kCheckTickMs = 1000;

// The watchdog's time: QUZ_UPDATE_WATCHDOG_MS when it names a positive
// number of milliseconds, else ten minutes.
qint64 watchdogMsFromEnvironment()
{
    bool ok = false;
    const qint64 ms = qEnvironmentVariable("QUZ_UPDATE_WATCHDOG_MS").toLongLong(&ok);
    return ok && ms > 0 ? ms : kDefaultWatchdogMs;
}

int timerInterval(qint64 ms)
{
    return int(qBound<qint64>(1, ms, std::numeric_limits<int>::max()));
}

int &stateOf(int deviceCode)
{
    return deviceCode == kReceiverDeviceCode ? g_receiverUpdateState : g_mouseUpdateState;
}

QTimer *timerOf(int deviceCode)
{
    return deviceCode == kReceiverDeviceCode ? g_dongleCheckTimer : g_mouseCheckTimer;
}

bool checkTimerActive()
{
    return g_dongleCheckTimer->isActive() || g_mouseCheckTimer->isActive();
}

bool endedWell(int state)
{
    return state == UpdateSucceeded || state == UpdateNothingNew;
}

} // namespace

// ---- The engine ---------------------------------------------------------------------

UpdateEngine *UpdateEngine::instance()
{
    static UpdateEngine *engine = new UpdateEngine;
    return engine;
}

UpdateEngine::UpdateEngine()
    : m_watchdog(new QTimer)
{
    m_watchdog->setSingleShot(true);
    m_watchdog->setInterval(timerInterval(watchdogMsFromEnvironment()));
    connect(m_watchdog.get(), &QTimer::timeout, this, &UpdateEngine::watchdogExpired);

    for (const int deviceCode : {kReceiverDeviceCode, kMouseDeviceCode}) {
        QTimer *timer = new QTimer(this);
        timer->setInterval(kCheckTickMs);
        connect(timer, &QTimer::timeout, this, [this, deviceCode] { runStep(deviceCode); });
        (deviceCode == kReceiverDeviceCode ? g_dongleCheckTimer : g_mouseCheckTimer) = timer;
    }
}

UpdateEngine::~UpdateEngine() = default;

void UpdateEngine::reset()
{
    m_flavour = Flavour::Settings;
    m_endShown = false;
    m_flashed = false;
    m_runningImage.clear();
    m_heldImages.clear();
    m_unanswered = 0;
    m_stepOpen = false;
    m_givenUpCode = 0;
    dismissEndView();
    m_watchdog->stop();
    m_watchdog->setInterval(timerInterval(watchdogMsFromEnvironment()));
    stopCheckTimers();
    m_updateNotNeeded = m_mouseUpdateNotNeeded = false;
    m_mouseCheckRunning = m_receiverCheckRunning = false;
    m_step = 0;
    m_receiverPaths.clear();
    m_continueUpdate = false;
    m_receiverWarning = m_mouseWarning = 0;
    m_lastWarning = UpdateReason::None;
    m_failedReceiverModel.clear();
    m_receiverModel.clear();
    m_driveGroup.clear();
    m_bootCounts.fill(0);
    m_failedWasMouse = false;
    m_automatic = false;
}

void UpdateEngine::setWatchdogMs(qint64 ms)
{
    m_watchdog->setInterval(timerInterval(ms > 0 ? ms : watchdogMsFromEnvironment()));
}

void UpdateEngine::beginRun(Flavour flavour)
{
    m_flavour = flavour;
    m_endShown = false;
    m_flashed = false;
    g_repairUpgradeStarted = 1;
}

int UpdateEngine::handToUpdater(const QByteArray &image)
{
    m_runningImage = image;
    m_heldImages.append(image);
    ++m_unanswered;
    m_stepOpen = true;
    m_watchdog->start();
    return UsbUpgrade_Start(reinterpret_cast<const unsigned char *>(m_runningImage.constData()),
                            &UpdateEngine::updaterCallback, 10000);
}

void UpdateEngine::updaterCallback(const unsigned char *event)
{
    if (!event)
        return;
    const QByteArray copy(reinterpret_cast<const char *>(event), 3);
    // Queued even from the GUI thread, so that events are handled in the
    // order the library sent them and never inside the start that caused
    // them.
    postToGuiThread([copy]() { UpdateEngine::instance()->handleEvent(copy); });
}

void UpdateEngine::handleEvent(const QByteArray &event)
{
    if (event.size() < 3 || quint8(event.at(0)) != 7)
        return;
    const int subKind = quint8(event.at(1));
    const int value = quint8(event.at(2));
    if (subKind == 1) {
        // Progress counts only for the step that waits for it: a step given
        // up on moves no bar.
        if (!m_stepOpen)
            return;
        m_watchdog->start();
        if (m_flavour == Flavour::Settings)
            settingsProgress(value);
        else
            repairProgress(value);
    } else if (subKind == 2) {
        const bool ownEnd = m_stepOpen;
        if (m_unanswered > 0 && --m_unanswered == 0)
            m_heldImages.clear();
        if (!ownEnd) {
            lateEnd(value == 1);
            return;
        }
        m_stepOpen = false;
        // A step that goes on with the next image starts the watchdog again.
        m_watchdog->stop();
        if (m_flavour == Flavour::Settings)
            settingsEnd(value == 1);
        else
            repairEnd(value == 1);
    }
}

void UpdateEngine::lateEnd(bool success)
{
    // The end of a step given up on, or of none at all: the run it belonged
    // to is over and the user has been told so. It starts, arms or chains
    // nothing and changes no run's view. A write that ended well after all
    // leaves its device working: the failure the step recorded no longer
    // holds.
    const int code = std::exchange(m_givenUpCode, 0);
    if (!success || code == 0 || m_unanswered > 0)
        return;
    const QStringList record = readUpdateFailFields();
    if (!record.isEmpty() && record.at(0).toInt(nullptr, 10) == code) {
        removeUpdateFailInfo();
        PostMsg::instance()->postUpDateButton(true);
    }
}

void UpdateEngine::watchdogExpired()
{
    // The updater has not been heard of for the watchdog's time: its step
    // ends as failed. It may still be writing: its image stays held, and no
    // new run starts until its end event has come.
    m_stepOpen = false;
    if (m_flavour == Flavour::Settings) {
        m_givenUpCode = g_updatingDeviceCode;
        failSettingsStep();
    } else {
        m_givenUpCode = g_repairStage == 0 ? kReceiverDeviceCode : kMouseDeviceCode;
        failRepairStep();
    }
}

void UpdateEngine::recordFailure(int deviceCode, int receiverClass, int cid, int mid)
{
    writeUpdateLog(UsbUpgradeC_GetLogs());
    writeUpdateFailInfo(deviceCode, receiverClass, cid, mid);
}

// ---- The settings page: the check -----------------------------------------------------

UpdateReason UpdateEngine::checkUpdate()
{
    if (earlierStepWriting())
        return UpdateReason::StillWriting;
    g_updateReceiverClass = 0;
    m_failedWasMouse = false;
    const QStringList record = readUpdateFailFields();

    m_driveGroup = selectedDriveGroup();
    const QString mouseModel = mouseModelOf(m_driveGroup);
    const u8 mid = u8(modelMid(m_driveGroup) & 0xFF);
    g_updateCid = productCid();
    const u8 cid = u8(g_updateCid & 0xFF);

    const int listed = g_deviceList.size();
    if (listed == 0)
        return UpdateReason::Error;

    if (listed >= 3) {
        // Three or more: several mice on their cables, else several receivers.
        const int wired = int(std::count_if(g_deviceList.begin(), g_deviceList.end(),
                                            [](const DeviceAllInfo &entry) { return entry.isWired != 0; }));
        return wired >= 2 ? UpdateReason::MultiMouse : UpdateReason::MultiDongle;
    }

    if (listed == 1) {
        // A repair: the device that failed waits in update mode and is not
        // listed; the listed one is the other part of the product.
        const DeviceAllInfo &entry = g_deviceList.first();
        if (record.isEmpty())
            return entry.isWired ? UpdateReason::NoReceiver : UpdateReason::NoCable;
        const int failedCode = record.at(0).toInt(nullptr, 10);
        const int failedCid = record.at(2).toInt(nullptr, 10);
        const int failedMid = record.at(3).toInt(nullptr, 10);
        if (failedCode == kReceiverDeviceCode) {
            if (!entry.isWired || entry.mid != failedMid)
                return UpdateReason::NoCable;
        } else if (failedCode == kMouseDeviceCode) {
            m_failedWasMouse = true;
            if (entry.isWired || entry.mid != failedMid)
                return UpdateReason::NoReceiver;
        } else {
            return UpdateReason::Error;
        }
        if (const int recordedClass = receiverClassOfText(record.at(1))) {
            g_updateReceiverClass = recordedClass;
            m_failedReceiverModel = receiverModelOf(m_driveGroup, g_updateReceiverClass);
        }
        if (entry.cid != failedCid)
            return UpdateReason::Error;

        const u8 recordCid = u8(failedCid & 0xFF);
        const bool image =
            failedCode == kReceiverDeviceCode
                ? searchFirmwareImages(FirmwareSearchMode::ChooseForUpdate, kReceiverDeviceCode, QString(),
                                       m_failedReceiverModel, recordCid, mid, &g_firmwareImageList)
                : searchFirmwareImages(FirmwareSearchMode::ChooseForUpdate, kMouseDeviceCode, QString(), mouseModel,
                                       recordCid, mid, &g_firmwareImageList);
        // Without an image there is nothing to flash and nothing to ask the
        // library about.
        if (!image || g_firmwareImageList.isEmpty())
            return UpdateReason::Error;
        const int count = countBootDevices(g_firmwareImageList.first(), 5);
        if (count == 0)
            return UpdateReason::NoDevice;
        if (count != 1)
            return UpdateReason::SameDevice;
        // The other device, on its own version.
        const SelectedFirmware versions = selectedFirmware();
        const bool other =
            failedCode == kReceiverDeviceCode
                ? searchFirmwareImages(FirmwareSearchMode::ChooseForUpdate, kMouseDeviceCode, versions.mouseVersion,
                                       mouseModel, cid, mid, &g_firmwareImageList)
                : searchFirmwareImages(FirmwareSearchMode::ChooseForUpdate, kReceiverDeviceCode,
                                       versions.receiverVersion, m_failedReceiverModel, cid, mid, &g_firmwareImageList);
        g_updateImageCount = other ? 2 : 1;
        return UpdateReason::None;
    }

    // An update: the receiver and the mouse on its cable are listed.
    const DeviceAllInfo &first = g_deviceList.at(0);
    const DeviceAllInfo &second = g_deviceList.at(1);
    if (!first.isWired && !second.isWired)
        return UpdateReason::NoCable;
    if (first.mid != second.mid)
        return UpdateReason::NoReceiver;
    // Of the two, the one with its flag clear: it must report a paired
    // mouse and have a receiver class.
    const DeviceAllInfo *receiver = receiverBesideMouse();
    if (!receiver || receiverClassOfLink(receiver->linkType) == 0)
        return UpdateReason::NoReceiver;
    g_updateReceiverClass = receiverClassOfLink(receiver->linkType);
    m_receiverModel = receiverModelOf(m_driveGroup, g_updateReceiverClass);

    const UpdateImages images = chooseUpdateImages(selectedFirmware(), m_receiverModel, mouseModel, cid, mid);
    if (images.receiver || images.mouse) {
        g_updateImageCount = images.receiver && images.mouse ? 2 : 1;
        return UpdateReason::None;
    }
    m_updateNotNeeded = true;
    return UpdateReason::VersionNew;
}

// ---- The settings page: starting and arming ----------------------------------------------

UpdateEngine::Armed UpdateEngine::confirmUpdate()
{
    // A run that goes on is not started twice.
    if (runInProgress())
        return Armed::Nothing;
    if (earlierStepWriting()) {
        emit runEndedWithout(UpdateReason::StillWriting);
        return Armed::Nothing;
    }
    beginRun(Flavour::Settings);
    m_bootCounts.fill(0);

    Armed armed = Armed::Nothing;
    const bool receiverNew = searchFirmwareImages(FirmwareSearchMode::ChooseForUpdate, kReceiverDeviceCode,
                                                  selectedVersionOf(kReceiverDeviceCode), m_failedReceiverModel,
                                                  u8(g_updateCid & 0xFF),
                                                  u8(modelMid(m_driveGroup) & 0xFF), &g_firmwareImageList);
    if (!receiverNew && m_failedWasMouse) {
        m_continueUpdate = true;
        armMouse();
        armed = Armed::Mouse;
    } else if (g_receiverUpdateState != UpdateRunning && g_mouseUpdateState != UpdateRunning && !m_mouseCheckRunning
               && !m_updateNotNeeded) {
        armRun(kReceiverDeviceCode);
        armed = Armed::Receiver;
    } else if (m_updateNotNeeded) {
        continueRun();
        armed = Armed::Continued;
    }
    endWhenNothingArmed();
    return armed;
}

void UpdateEngine::endWhenNothingArmed()
{
    // The user confirmed, yet no step could be armed: the run ends here,
    // and the dialog says so instead of showing a run that never moves.
    if (checkTimerActive() || m_endShown || !runInProgress())
        return;
    if (m_updateNotNeeded)
        endWithoutFlashing(UpdateReason::VersionNew);
    else
        showSettingsEnd(1);
}

void UpdateEngine::armReceiver()
{
    g_updateReceiverClass = selectedFirmware().receiverClass;
    if (!m_updateNotNeeded && !m_mouseCheckRunning)
        armRun(kReceiverDeviceCode);
}

void UpdateEngine::armMouse()
{
    if (g_selectedDevice.isWired) {
        // The mouse on its cable must be the one listed first.
        if (g_deviceList.isEmpty() || !g_deviceList.first().isWired
            || g_deviceList.first().mid != g_selectedDevice.mid) {
            showSettingsEnd(5);
            return;
        }
    }
    if (!m_mouseUpdateNotNeeded && !m_receiverCheckRunning)
        armRun(kMouseDeviceCode);
}

void UpdateEngine::continueRun()
{
    m_bootCounts.fill(0);
    if (g_update210Available && endedWell(g_receiverUpdateState)) {
        m_continueUpdate = true;
        armMouse();
    }
    if (g_update211Available && endedWell(g_mouseUpdateState)) {
        m_continueUpdate = true;
        armReceiver();
    }
}

void UpdateEngine::armRun(int deviceCode)
{
    // The dialog's run writes a device, or a step given up on may still
    // write one: nothing else starts beside it.
    if ((runInProgress() && m_flavour == Flavour::Repair) || earlierStepWriting())
        return;
    // A step armed without the user's confirmation (a run continued) is a
    // run all the same.
    if (!runInProgress())
        beginRun(Flavour::Settings);
    g_firmwareUpdating = 1;
    m_step = 0;
    m_receiverWarning = 0;
    m_mouseWarning = 0;
    g_upgradeIdle = 0;
    timerOf(deviceCode)->start();
    (deviceCode == kReceiverDeviceCode ? m_receiverCheckRunning : m_mouseCheckRunning) = true;
}

int UpdateEngine::deferredWarning(int deviceCode) const
{
    return deviceCode == kReceiverDeviceCode ? m_receiverWarning : m_mouseWarning;
}

void UpdateEngine::clearDeferredWarning(int deviceCode)
{
    (deviceCode == kReceiverDeviceCode ? m_receiverWarning : m_mouseWarning) = 0;
}

void UpdateEngine::forgetChecks()
{
    m_receiverWarning = m_mouseWarning = 0;
    m_updateNotNeeded = false;
    m_mouseUpdateNotNeeded = false;
    // The steps of a run in progress stay armed: clearing them would let the
    // other device's step start beside it.
    if (!runInProgress()) {
        m_mouseCheckRunning = false;
        m_receiverCheckRunning = false;
    }
}

void UpdateEngine::stopCheckTimers()
{
    g_dongleCheckTimer->stop();
    g_mouseCheckTimer->stop();
    g_firmwareUpdating = 0;
}

// ---- The settings page: the steps --------------------------------------------------------

bool UpdateEngine::searchForRun(int deviceCode, const QString &version, const QString &model)
{
    return searchFirmwareImages(FirmwareSearchMode::ChooseForUpdate, u8(deviceCode), version, model,
                                u8(g_updateCid & 0xFF), u8(g_updateMid & 0xFF), &g_firmwareImageList);
}

int &UpdateEngine::bootCount(int receiverClass)
{
    return m_bootCounts[size_t(receiverClassIndex(receiverClass))];
}

void UpdateEngine::nothingToUpdate(int deviceCode)
{
    stateOf(deviceCode) = UpdateNothingNew;
    showStepEnd(deviceCode);
    (deviceCode == kReceiverDeviceCode ? m_updateNotNeeded : m_mouseUpdateNotNeeded) = true;
    m_step = 4;
}

void UpdateEngine::prepareStep(int deviceCode, const QString &version)
{
    const QString group = selectedDriveGroup();
    g_updateCid = productCid();
    g_updateMid = modelMid(group);

    bool chosen = false;
    if (deviceCode == kMouseDeviceCode) {
        chosen = searchForRun(kMouseDeviceCode, version, mouseModelOf(group));
    } else {
        m_receiverPaths.clear();
        const int receiverClass = g_updateReceiverClass;
        if (isReceiverClass(receiverClass)) {
            chosen = searchForRun(kReceiverDeviceCode, QString(), receiverModelOf(group, receiverClass));
            if (chosen && !g_firmwareImageList.isEmpty()) {
                int &count = bootCount(receiverClass);
                count = countBootDevices(g_firmwareImageList.first(), count);
            }
        }
        for (const DeviceAllInfo &entry : qAsConst(g_deviceList)) {
            if (entry.isWired)
                continue;
            // A chosen receiver is the one to flash; beside the mouse on its
            // cable, every listed receiver counts.
            if (g_selectedDevice.isWired)
                m_receiverPaths.append(entry.devicePath);
            else if (entry.devicePath == g_selectedDevice.devicePath)
                m_receiverPaths.append(g_selectedDevice.devicePath);
        }
    }
    if (!chosen && g_updateReceiverClass != 0)
        nothingToUpdate(deviceCode);
    else
        m_step = 1;
}

void UpdateEngine::warnAboutDevices(int deviceCode, int targets)
{
    stateOf(deviceCode) = UpdateNotStarted;
    showStepEnd(deviceCode);
    const UpdateReason reason = targets == 0 ? (deviceCode == kReceiverDeviceCode ? UpdateReason::NoDevice : UpdateReason::WiredMode)
                                             : UpdateReason::SameDevice;
    m_lastWarning = reason;
    if (m_continueUpdate) {
        m_continueUpdate = false;
        emit deviceWarning(deviceCode, reason);
    } else {
        (deviceCode == kReceiverDeviceCode ? m_receiverWarning : m_mouseWarning) = targets == 0 ? 1 : 2;
    }
    m_step = 4;
}

void UpdateEngine::countAndStartStep(int deviceCode, const QString &version)
{
    const QString group = selectedDriveGroup();
    int targets = 0;
    if (deviceCode == kMouseDeviceCode) {
        targets = m_failedWasMouse ? 1 : 0;
        for (const DeviceAllInfo &entry : qAsConst(g_deviceList))
            targets += entry.isWired ? 1 : 0;
    } else {
        targets = m_receiverPaths.size() + std::accumulate(m_bootCounts.begin(), m_bootCounts.end(), 0);
    }
    if (targets != 1) {
        warnAboutDevices(deviceCode, targets);
        return;
    }

    bool found = false;
    if (deviceCode == kReceiverDeviceCode) {
        // The first class, in the table's order, of which one receiver waits.
        const auto one = std::find(m_bootCounts.begin(), m_bootCounts.end(), 1);
        const int waiting = one == m_bootCounts.end() ? 0 : receiverClassAt(int(one - m_bootCounts.begin()));
        if (waiting) {
            // The receiver waits in update mode: its image again, whatever
            // version it had.
            found = searchForRun(kReceiverDeviceCode, QString(), receiverModelOf(group, waiting));
        } else {
            // A receiver that does not tell its version is taken for the
            // 1 kHz one, whose version is the one the device core knows.
            QString receiverVersion = version;
            int receiverClass = 1;
            if (receiverTellsOwnVersion(g_updateReceiverClass)) {
                receiverClass = g_updateReceiverClass;
                int raw = 0;
                const QByteArray path = m_receiverPaths.first().toUtf8();
                receiverVersion =
                    UsbFinderC_GetSlaveVersion(path.constData(), &raw) ? firmwareVersionText(quint32(raw)) : QString();
            }
            found = searchForRun(kReceiverDeviceCode, receiverVersion, receiverModelOf(group, receiverClass));
        }
    } else {
        found = searchForRun(kMouseDeviceCode, version, mouseModelOf(group));
    }
    if (!found || g_firmwareImageList.isEmpty()) {
        nothingToUpdate(deviceCode);
        return;
    }
    // The step's state is set before the updater starts: its end may come
    // at once.
    g_updatingDeviceCode = deviceCode;
    stateOf(deviceCode) = UpdateRunning;
    handToUpdater(g_firmwareImageList.first());
    m_step = 2;
}

void UpdateEngine::runStep(int deviceCode)
{
    const QString version = selectedVersionOf(deviceCode);
    switch (m_step) {
    case 0:
        prepareStep(deviceCode, version);
        break;
    case 1:
        countAndStartStep(deviceCode, version);
        break;
    case 2:
        m_step = 3;
        break;
    case 3:
        if (stateOf(deviceCode) != UpdateRunning)
            m_step = 4;
        break;
    case 4:
        endOfStep(deviceCode);
        break;
    default:
        break;
    }
}

void UpdateEngine::endOfStep(int deviceCode)
{
    (deviceCode == kReceiverDeviceCode ? m_receiverCheckRunning : m_mouseCheckRunning) = false;
    showStepEnd(deviceCode);
    m_continueUpdate = false;
    stopCheckTimers();
    // Once its end view is shown the run is over: nothing is chained after
    // it. A failed receiver keeps its record: a mouse flashed now would
    // remove it and the repair would no longer be offered.
    if (deviceCode == kReceiverDeviceCode && !m_endShown) {
        if (m_failedWasMouse && g_receiverUpdateState != UpdateFailed) {
            m_continueUpdate = true;
            armMouse();
        } else {
            continueRun();
        }
    }
    if (checkTimerActive())
        return;
    finishSettingsRun(deviceCode);
}

void UpdateEngine::finishSettingsRun(int deviceCode)
{
    if (!m_endShown) {
        if (m_flashed) {
            // A device was flashed, but this step found no device to flash:
            // the other one keeps its old firmware, and the update did not
            // complete.
            showSettingsEnd(stateOf(deviceCode) == UpdateNotStarted ? 5 : 2);
        } else {
            endWithoutFlashing(stateOf(deviceCode) == UpdateNothingNew ? UpdateReason::VersionNew : m_lastWarning);
        }
    }
    g_repairUpgradeStarted = 0;
}

void UpdateEngine::showStepEnd(int deviceCode)
{
    g_upgradeIdle = 1;
    const int state = stateOf(deviceCode);
    if (state == UpdateSucceeded || state == UpdateRunning)
        removeUpdateFailInfo();
    if (state == UpdateNothingNew || state == UpdateSucceeded || state == UpdateRunning) {
        if (deviceCode == kReceiverDeviceCode)
            m_receiverWarning = 0;
    }
    if (state == UpdateSucceeded)
        updateFlashed(deviceCode);
    m_step = 4;
    emit stepShown(deviceCode, state);
}

void UpdateEngine::showSettingsEnd(int view)
{
    m_endShown = true;
    endRun();
    PostMsg::instance()->postProgress(0, view);
}

void UpdateEngine::endWithoutFlashing(UpdateReason reason)
{
    m_endShown = true;
    endRun();
    emit runEndedWithout(reason);
}

void UpdateEngine::endRun()
{
    g_repairUpgradeStarted = 0;
    // The dialog on screen shows how the run ended until the user dismisses
    // it: what the bus does meanwhile waits.
    if (!m_viewsOnScreen.isEmpty() && !m_endViewUp) {
        m_endViewUp = true;
        holdDeviceChanges(true);
    }
}

bool UpdateEngine::updateUnderWay() const
{
    return dialogHeld() || g_firmwareUpdating != 0 || g_repairUpdating != 0 || g_upgradeIdle == 0;
}

void UpdateEngine::viewShown(const QObject *view, bool shown)
{
    if (shown) {
        m_viewsOnScreen.insert(view);
        return;
    }
    m_viewsOnScreen.remove(view);
    if (m_viewsOnScreen.isEmpty())
        dismissEndView();
}

void UpdateEngine::dismissEndView()
{
    if (!m_endViewUp)
        return;
    m_endViewUp = false;
    holdDeviceChanges(false);
}

void UpdateEngine::settingsProgress(int percent)
{
    PostMsg *hub = PostMsg::instance();
    if (g_receiverUpdateState == UpdateRunning)
        hub->postProgress(g_updateImageCount == 1 ? percent : percent / 2, 0);
    if (g_mouseUpdateState == UpdateRunning)
        hub->postProgress(g_updateImageCount == 1 ? percent : percent / 2 + 50, 0);
}

void UpdateEngine::settingsEnd(bool success)
{
    if (!success) {
        failSettingsStep();
        return;
    }
    PostMsg *hub = PostMsg::instance();
    const QString version = firmwareVersionText(parseFirmwareHeader(m_runningImage).version);
    // The chosen device runs the image's version now: the device core knows
    // it before any page shows it.
    if (g_receiverUpdateState == UpdateRunning) {
        g_receiverUpdateState = UpdateSucceeded;
        m_flashed = true;
        g_selectedDevice.usbVersion = version;
        // With two images the mouse's step still follows: the dialog shows
        // success only at its end.
        if (g_updateImageCount == 1)
            showSettingsEnd(2);
        hub->postLabelText(0, version);
    }
    if (g_mouseUpdateState == UpdateRunning) {
        g_mouseUpdateState = UpdateSucceeded;
        m_flashed = true;
        g_selectedDevice.mouseVersion = version;
        ConfigSettings *config = ConfigSettings::instance();
        writeMouseVersion(config->readString("Option", "CID"), config->readString(selectedDriveGroup(), "MID"),
                          version);
        showSettingsEnd(2);
        hub->postLabelText(1, version);
    }
    removeUpdateFailInfo();
}

void UpdateEngine::failSettingsStep()
{
    m_watchdog->stop();
    forgetAvailableUpdates();
    if (g_receiverUpdateState == UpdateRunning)
        g_receiverUpdateState = UpdateFailed;
    if (g_mouseUpdateState == UpdateRunning)
        g_mouseUpdateState = UpdateFailed;
    recordFailure(g_updatingDeviceCode, g_updateReceiverClass, g_updateCid, g_updateMid);
    showSettingsEnd(1);
}

// ---- The update and repair dialog -------------------------------------------------------

RepairPlan UpdateEngine::checkRepair(const RepairPlan &current, bool autoUpdate)
{
    RepairPlan plan = current;
    plan.offered = false;
    plan.reason = UpdateReason::None;
    if (earlierStepWriting()) {
        plan.reason = UpdateReason::StillWriting;
        return plan;
    }
    g_repairFailInfo = readUpdateFailInfo().split(QLatin1Char(','));
    if (g_repairFailInfo.size() != 4)
        return plan;

    g_repairReceiverClass = 0;
    plan.failedDeviceCode = g_repairFailInfo.at(0).toInt(nullptr, 10);
    const int modelId = g_repairFailInfo.at(3).toInt(nullptr, 10);
    const auto refuse = [&plan](UpdateReason reason) {
        plan.reason = reason;
        return plan;
    };

    if (g_foundDevices.isEmpty()) {
        return refuse(plan.failedDeviceCode == kMouseDeviceCode      ? UpdateReason::NoReceiver
                      : plan.failedDeviceCode == kReceiverDeviceCode ? UpdateReason::NoCable
                                                                     : UpdateReason::NoDevice);
    }

    if (g_foundDevices.size() >= 2) {
        int wired = 0, wireless = 0;
        DeviceAllInfo lastWired, lastWireless;
        for (const DeviceAllInfo &device : qAsConst(g_foundDevices)) {
            if (device.isWired) {
                ++wired;
                lastWired = device;
            } else {
                ++wireless;
                lastWireless = device;
            }
        }
        if (wired >= 2)
            return refuse(UpdateReason::MultiMouse);
        if (wireless >= 2)
            return refuse(UpdateReason::MultiDongle);
        if (plan.failedDeviceCode == kMouseDeviceCode && wired == 1 && lastWired.mid != modelId)
            return refuse(UpdateReason::MultiMouse);
        if (plan.failedDeviceCode == kReceiverDeviceCode && wireless == 1 && lastWireless.mid != modelId)
            return refuse(UpdateReason::MultiDongle);
    }

    // Receivers listed beside the one waiting in update mode: one of the
    // recorded class would take the image too.
    int listedReceivers = 0;
    if (plan.failedDeviceCode == kReceiverDeviceCode) {
        const auto countIn = [](const QStringList &pids) {
            int n = 0;
            for (const DeviceAllInfo &device : qAsConst(g_foundDevices))
                n += pids.contains(device.pidText) ? 1 : 0;
            return n;
        };
        QStringList anyClass;
        for (int i = 0; i < kReceiverClassCount; ++i)
            anyClass += receiverPidsOfClass(receiverClassAt(i));
        listedReceivers = countIn(anyClass);
        if (listedReceivers == 1)
            listedReceivers = countIn(receiverPidsOfClass(receiverClassOfText(g_repairFailInfo.at(1))));
    }

    g_repairStage = 0;

    if (autoUpdate) {
        plan.ready = true;
    } else {
        const DeviceAllInfo &first = g_foundDevices.first();
        if (plan.failedDeviceCode == kReceiverDeviceCode && (!first.isWired || first.mid != modelId))
            return refuse(UpdateReason::NoCable);
        if (plan.failedDeviceCode == kMouseDeviceCode && (first.isWired || first.mid != modelId))
            return refuse(UpdateReason::NoReceiver);

        const int total = configuredDeviceTotal();
        for (int k = 0; k < total; ++k) {
            if (modelMid(driveGroup(k)) == modelId) {
                plan.driveGroup = driveGroup(k);
                break;
            }
        }
        g_repairMouseModel = mouseModelOf(plan.driveGroup);
        if (const int recordedClass = receiverClassOfText(g_repairFailInfo.at(1))) {
            g_repairReceiverClass = recordedClass;
            plan.receiverModel = receiverModelOf(plan.driveGroup, g_repairReceiverClass);
        }
        g_repairCid = g_repairFailInfo.at(2).toInt(nullptr, 10);
        g_repairMid = modelMid(plan.driveGroup);

        const u8 cid = u8(g_repairCid & 0xFF);
        const u8 mid = u8(g_repairMid & 0xFF);
        const auto search = [&](int code, const QString &model) {
            return searchFirmwareImages(FirmwareSearchMode::RepairTwin, u8(code), QString(), model, cid, mid,
                                        &g_repairImageList);
        };
        const bool mouseImage = search(kMouseDeviceCode, g_repairMouseModel);
        const bool receiverImage = search(kReceiverDeviceCode, plan.receiverModel);
        g_repairImageCount = mouseImage && receiverImage ? 2 : 1;
        // The image of the recorded kind is the one left in the list.
        g_repairFailedIsMouse = plan.failedDeviceCode == kReceiverDeviceCode ? 0 : 1;
        plan.ready = g_repairFailedIsMouse ? search(kMouseDeviceCode, g_repairMouseModel)
                                           : search(kReceiverDeviceCode, plan.receiverModel);
    }

    // Without an image there is nothing to flash and nothing to ask the
    // library about.
    if (!plan.ready || g_repairImageList.isEmpty())
        return refuse(UpdateReason::FileError);
    const int total = countBootDevices(g_repairImageList.first(), 5) + listedReceivers;
    if (total == 1) {
        plan.offered = true;
        return plan;
    }
    g_repairUpdating = 0;
    return refuse(total == 0 ? UpdateReason::NoDevice : UpdateReason::SameDevice);
}

RepairPlan UpdateEngine::planAutomaticUpdate(const RepairPlan &current)
{
    RepairPlan plan = current;
    plan.ready = false;
    plan.offered = false;
    plan.reason = UpdateReason::None;
    if (earlierStepWriting()) {
        plan.reason = UpdateReason::StillWriting;
        return plan;
    }
    if (g_shownDevices.size() != 1) {
        plan.reason = UpdateReason::NoDevice;
        return plan;
    }
    const DeviceAllInfo device = g_shownDevices.first();
    plan.driveGroup = driveGroup(device.driveIndex);
    g_repairMouseModel = mouseModelOf(plan.driveGroup);
    g_repairReceiverClass = receiverClassOfLink(device.linkType);
    plan.receiverModel = receiverModelOf(plan.driveGroup, g_repairReceiverClass);
    const QString cidText = ConfigSettings::instance()->readString("Option", "CID");
    const QString midText = ConfigSettings::instance()->readString(plan.driveGroup, "MID");
    g_repairCid = cidText.toInt(nullptr, 10);
    g_repairMid = midText.toInt(nullptr, 10);
    // Only a record of the receiver is settled by flashing the receiver.
    const QStringList record = readUpdateFailFields();
    g_repairFailedIsMouse = !record.isEmpty() && record.at(0).toInt(nullptr, 10) == kMouseDeviceCode ? 1 : 0;
    g_repairStage = 0;
    g_repairProgressSplit = 1;

    const u8 cid = u8(g_repairCid & 0xFF);
    const u8 mid = u8(g_repairMid & 0xFF);
    const bool mouseNew = searchFirmwareImages(FirmwareSearchMode::RepairTwin, kMouseDeviceCode,
                                               readMouseVersion(cidText, midText), g_repairMouseModel, cid, mid,
                                               &g_repairImageList);
    const bool receiverNew = searchFirmwareImages(FirmwareSearchMode::RepairTwin, kReceiverDeviceCode,
                                                  device.usbVersion, plan.receiverModel, cid, mid, &g_repairImageList);
    g_repairImageCount = mouseNew && receiverNew ? 2 : 1;
    if (!mouseNew && !receiverNew) {
        plan.reason = UpdateReason::FileError;
        return plan;
    }
    plan.ready = true;
    plan.offered = true;
    return plan;
}

int UpdateEngine::startRepairRun(const RepairPlan &plan, bool automatic)
{
    if (runInProgress())
        return -2;
    if (earlierStepWriting())
        return -3;
    if (!plan.ready)
        return -1;
    beginRun(Flavour::Repair);
    m_automatic = automatic;
    g_repairUpdating = 1;
    g_upgradeIdle = 0;
    g_repairProgressSplit = 1;

    const u8 cid = u8(g_repairCid & 0xFF);
    const u8 mid = u8(modelMid(plan.driveGroup) & 0xFF);
    const QString receiverVersion = g_foundDevices.isEmpty() ? QString() : g_foundDevices.first().usbVersion;
    if (searchFirmwareImages(FirmwareSearchMode::RepairTwin, kReceiverDeviceCode, receiverVersion, plan.receiverModel,
                             cid, mid, &g_repairImageList)) {
        g_repairStage = 0;
    } else {
        g_repairStage = 1;
        g_repairProgressSplit = 0;
        if (!searchFirmwareImages(FirmwareSearchMode::RepairTwin, kMouseDeviceCode, QString(), g_repairMouseModel,
                                  cid, mid, &g_repairImageList)) {
            // Nothing to flash: no success to report, and the device
            // changes must be heard again.
            g_repairUpdating = 0;
            endRepairRun();
            return -1;
        }
    }
    return handToUpdater(g_repairImageList.first());
}

void UpdateEngine::repairProgress(int percent)
{
    int p = percent;
    if (g_repairImageCount == 2) {
        if (g_repairStage == 0)
            p = p / 2;
        else if (g_repairProgressSplit)
            p = p / 2 + 50;
    }
    PostMsg::instance()->postAutoRepairProgress(p);
}

void UpdateEngine::repairEnd(bool success)
{
    if (!success) {
        failRepairStep();
        return;
    }
    PostMsg *hub = PostMsg::instance();
    // An automatic update that had only the receiver to flash is done with
    // it; a repair goes on with the mouse.
    const bool lastImage = g_repairStage == 1 || (m_automatic && g_repairImageCount == 1);
    if (lastImage) {
        hub->postAutoRepair(0);
        hub->postUpDateButton(true);
        hub->postProgress(0, 2);
        g_repairUpdating = 0;
    }
    if (g_repairStage == g_repairFailedIsMouse)
        removeUpdateFailInfo();
    if (!lastImage) {
        g_repairStage = 1;
        const bool image = searchFirmwareImages(FirmwareSearchMode::RepairTwin, kMouseDeviceCode, QString(),
                                                g_repairMouseModel, u8(g_repairCid), u8(g_repairMid),
                                                &g_repairImageList);
        bool target = g_repairFailedIsMouse == 1;
        for (const DeviceAllInfo &device : qAsConst(g_foundDevices)) {
            if (device.isWired && device.mid == g_repairMid)
                target = true;
        }
        if (image && target) {
            // The run goes on with the mouse image.
            handToUpdater(g_repairImageList.first());
            return;
        }
        hub->postAutoRepair(1);
        hub->postUpDateButton(true);
        hub->postProgress(0, 5);
        g_repairUpdating = 0;
    }
    endRepairRun();
}

void UpdateEngine::failRepairStep()
{
    m_watchdog->stop();
    PostMsg *hub = PostMsg::instance();
    hub->postAutoRepair(1);
    hub->postUpDateButton(false);
    hub->postProgress(0, 6);
    recordFailure(g_repairStage == 0 ? kReceiverDeviceCode : kMouseDeviceCode, g_repairReceiverClass, g_repairCid,
                  g_repairMid);
    g_repairUpdating = 0;
    endRepairRun();
}

void UpdateEngine::endRepairRun()
{
    g_upgradeIdle = 1;
    m_automatic = false;
    endRun();
}

void resetUpdateRunState()
{
    g_updateReceiverClass = 0;
    g_updateMid = 0;
    g_updatingDeviceCode = 0;
    g_receiverUpdateState = UpdateNotStarted;
    g_mouseUpdateState = UpdateNotStarted;
    g_updateImageCount = 1;
    g_repairUpgradeStarted = 0;
    g_repairStage = 0;
    g_repairImageCount = 1;
    g_repairProgressSplit = 1;
    g_repairFailedIsMouse = 0;
    g_repairReceiverClass = 0;
    g_repairCid = 0;
    g_repairMid = 0;
    g_repairMouseModel.clear();
    g_repairFailInfo.clear();
    forgetAvailableUpdates();
    g_firmwareUpdating = 0;
    g_repairUpdating = 0;
    g_upgradeIdle = 1;
    g_firmwareImageList.clear();
    g_repairImageList.clear();
    g_updateCid = 0;
    UpdateEngine::instance()->reset();
}

#include "updateengine.h"

#include "HIDUsb.h"
#include "configsettings.h"
#include "deviceenumeration.h"
#include "devicestate.h"
#include "firmwareimage.h"
#include "globals.h"
#include "guithread.h"
#include "postmsg.h"
#include "updatedecision.h"
#include "updatereadback.h"
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
// How long a flashed device may take to come back at its new version, and
// how often it is asked meanwhile.
const qint64 kDefaultReadBackMs = 5000;
const int kReadBackPollMs = 100;
// A step of the settings page's run each second.
const int kCheckTickMs = 1000;

// The other part of the product a repair pairs the failed device with, in a
// list: the mouse on its cable for a receiver's record, the receiver for a
// mouse's; null when it is not listed.
const DeviceAllInfo *otherPartListed(const QList<DeviceAllInfo> &devices, int failedCode, int mid)
{
    const bool receiverFailed = failedCode == kReceiverDeviceCode;
    for (const DeviceAllInfo &device : devices) {
        if (device.mid == mid && (device.isWired != 0) == receiverFailed)
            return &device;
    }
    return nullptr;
}

// The watchdog's time: QUZ_UPDATE_WATCHDOG_MS when it names a positive
// number of milliseconds, else ten minutes.
qint64 watchdogMsFromEnvironment()
{
    bool ok = false;
    const qint64 ms = qEnvironmentVariable("QUZ_UPDATE_WATCHDOG_MS").toLongLong(&ok);
    return ok && ms > 0 ? ms : kDefaultWatchdogMs;
}

qint64 readBackMsFromEnvironment()
{
    bool ok = false;
    const qint64 ms = qEnvironmentVariable("QUZ_UPDATE_READBACK_MS").toLongLong(&ok);
    return ok && ms >= 0 ? ms : kDefaultReadBackMs;
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
    : m_readBackPoll(new QTimer), m_readBackMs(readBackMsFromEnvironment()), m_watchdog(new QTimer)
{
    m_readBackPoll->setSingleShot(true);
    m_readBackPoll->setInterval(kReadBackPollMs);
    connect(m_readBackPoll.get(), &QTimer::timeout, this, &UpdateEngine::judgeStep);
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
    m_targets.clear();
    m_planned = false;
    m_current = -1;
    m_stepEnd = StepEnd::Success;
    m_givenUp = UpdateTarget();
    m_readBackPoll->stop();
    m_readBackMs = readBackMsFromEnvironment();
    m_runningImage.clear();
    m_heldImages.clear();
    m_unanswered = 0;
    m_stepOpen = false;
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
}


void UpdateEngine::setWatchdogMs(qint64 ms)
{
    m_watchdog->setInterval(timerInterval(ms > 0 ? ms : watchdogMsFromEnvironment()));
}

void UpdateEngine::beginRun(Flavour flavour, bool keepPlan)
{
    m_flavour = flavour;
    m_endShown = false;
    m_current = -1;
    m_readBackPoll->stop();
    if (!keepPlan) {
        m_targets.clear();
        m_planned = false;
    }
    for (RunTarget &target : m_targets) {
        target.handed = target.progressed = target.judged = false;
        target.report = TargetReport::Missing;
    }
    m_stepsEnded.clear();
    m_lastWarning = UpdateReason::None;
    g_repairUpgradeStarted = 1;
}

void UpdateEngine::planTarget(const UpdateTarget &target)
{
    if (targetIndexOf(target.deviceCode) >= 0)
        return;
    RunTarget planned;
    planned.target = target;
    m_targets.append(planned);
}

int UpdateEngine::targetIndexOf(int deviceCode) const
{
    for (int i = 0; i < m_targets.size(); ++i) {
        if (m_targets.at(i).target.deviceCode == deviceCode)
            return i;
    }
    return -1;
}

int UpdateEngine::handedCount() const
{
    return int(std::count_if(m_targets.begin(), m_targets.end(), [](const RunTarget &t) { return t.handed; }));
}

bool UpdateEngine::everyTargetHanded() const
{
    return handedCount() == m_targets.size();
}

int UpdateEngine::handTarget(const UpdateTarget &target)
{
    RunTarget handed;
    handed.target = target;
    handed.handed = true;
    int index = targetIndexOf(target.deviceCode);
    if (index < 0) {
        m_targets.append(handed);
        index = m_targets.size() - 1;
    } else {
        m_targets[index] = handed;
    }
    m_current = index;
    return handToUpdater(target.image);
}

int UpdateEngine::barValue(int percent, int imageCount) const
{
    if (imageCount != 2)
        return percent;
    return handedCount() <= 1 ? percent / 2 : percent / 2 + 50;
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
        if (m_current >= 0)
            m_targets[m_current].progressed = true;
        if (m_flavour == Flavour::Settings)
            settingsProgress(value);
        else
            repairProgress(value);
    } else if (subKind == 2) {
        const bool ownEnd = m_stepOpen;
        if (m_unanswered > 0 && --m_unanswered == 0)
            m_heldImages.clear();
        if (!ownEnd) {
            lateEnd();
            return;
        }
        m_stepOpen = false;
        endStep(value == 1 ? StepEnd::Success : StepEnd::Failure);
    }
}


void UpdateEngine::lateEnd()
{
    // The end of a step given up on, or of none at all: the run it belonged
    // to is over and the user has been told so. It starts, arms or chains
    // nothing and changes no run's view. Whatever it says, the device tells
    // how the write went: a device that works now (at the image's version,
    // or unchanged because nothing was written) needs no repair, one left in
    // update mode keeps its record.
    if (m_givenUp.deviceCode == 0 || m_unanswered > 0)
        return;
    const UpdateTarget givenUp = std::exchange(m_givenUp, UpdateTarget());
    switch (readBackTarget(givenUp)) {
    case TargetReport::Right:
    case TargetReport::OtherVersion:
        forgetRecordOf(givenUp);
        break;
    case TargetReport::InUpdateMode:
        recordUnfinishedTarget(givenUp);
        break;
    case TargetReport::Missing:
        break;
    }
    PostMsg::instance()->postUpDateButton(readUpdateFailInfo().isEmpty());
}

void UpdateEngine::watchdogExpired()
{
    // The updater has not been heard of for the watchdog's time: its step
    // ends. It may still be writing: its image stays held, and no new run
    // starts until its end event has come.
    m_stepOpen = false;
    endStep(StepEnd::GivenUp);
}

void UpdateEngine::endStep(StepEnd end)
{
    m_watchdog->stop();
    m_stepEnd = end;
    if (m_current < 0 || m_current >= m_targets.size())
        return;
    m_readBackClock.start();
    judgeStep();
}

void UpdateEngine::judgeStep()
{
    if (m_current < 0 || m_current >= m_targets.size())
        return;
    RunTarget &target = m_targets[m_current];
    target.report = readBackTarget(target.target);
    // A device the updater flashed restarts with its new firmware: it is
    // asked again until it answers, for a while.
    if (m_stepEnd == StepEnd::Success && target.report != TargetReport::Right
        && m_readBackClock.elapsed() < m_readBackMs) {
        m_readBackPoll->start();
        return;
    }
    target.judged = true;
    stepJudged();
}

void UpdateEngine::stepJudged()
{
    const RunTarget judged = m_targets.at(m_current);
    if (m_stepEnd != StepEnd::Success)
        writeUpdateLog(UsbUpgradeC_GetLogs());
    if (judged.report == TargetReport::Right) {
        forgetRecordOf(judged.target);
    } else {
        forgetAvailableUpdates();
        // A device is recorded for its repair when it waits in update mode,
        // or may have been written and is gone, or may still be written (its
        // updater fell silent). A device that answers unchanged after the
        // updater's end was never written.
        const bool mayBeWritten = judged.report == TargetReport::InUpdateMode
                                  || (judged.report == TargetReport::Missing && judged.progressed)
                                  || m_stepEnd == StepEnd::GivenUp;
        if (mayBeWritten)
            recordUnfinishedTarget(judged.target);
    }
    if (m_stepEnd == StepEnd::GivenUp)
        m_givenUp = judged.target;
    if (m_flavour == Flavour::Settings)
        settingsStepJudged(judged);
    else
        repairStepJudged(judged);
}

void UpdateEngine::concludeRun()
{
    if (m_endShown)
        return;
    // Targets the run did not reach, or reached without reading back, are
    // asked now.
    QList<DeviceAllInfo> devices;
    bool searched = false;
    const RunTarget *failed = nullptr;
    for (RunTarget &target : m_targets) {
        if (!target.judged) {
            if (!searched)
                devices = searchFamilyDevices();
            searched = true;
            target.report = readBackTarget(target.target, devices);
            target.judged = true;
        }
        if (!failed && target.report != TargetReport::Right)
            failed = &target;
    }
    m_endShown = true;
    PostMsg *hub = PostMsg::instance();
    // The failure view names the device that is not right; a device that
    // refused its image before anything was written is said to be unchanged.
    const int failedCode = failed ? failed->target.deviceCode : 0;
    const bool unchanged = failed && failed->handed && !failed->progressed && m_stepEnd == StepEnd::Failure
                           && failed->report == TargetReport::OtherVersion;
    const int failureView = unchanged ? 7 : (m_flavour == Flavour::Settings ? 1 : 6);
    if (m_flavour == Flavour::Settings) {
        endRun();
        hub->postProgress(failedCode, failed ? failureView : 2);
        hub->postUpDateButton(readUpdateFailInfo().isEmpty());
        return;
    }
    g_repairUpdating = 0;
    hub->postAutoRepair(failed ? 1 : 0);
    hub->postUpDateButton(readUpdateFailInfo().isEmpty());
    hub->postProgress(failedCode, failed ? failureView : 2);
    endRepairRun();
}

bool UpdateEngine::repairWanted()
{
    if (updateUnderWay() || earlierStepWriting())
        return !readUpdateFailInfo().isEmpty();
    return settleUpdateFailRecord();
}
// ---- The settings page: the check -----------------------------------------------------

UpdateReason UpdateEngine::checkUpdate()
{
    if (earlierStepWriting())
        return UpdateReason::StillWriting;
    g_updateReceiverClass = 0;
    m_failedWasMouse = false;
    m_targets.clear();
    m_planned = false;
    // The record follows the devices: a device read back right since keeps
    // none, one found waiting in update mode gets one.
    repairWanted();
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

    if (!record.isEmpty()) {
        // A repair: the device that failed waits in update mode (or, listed,
        // runs another version than its image), and the other part of the
        // product is listed to be paired with it again.
        const int failedCode = record.at(0).toInt(nullptr, 10);
        const int failedCid = record.at(2).toInt(nullptr, 10);
        const int failedMid = record.at(3).toInt(nullptr, 10);
        if (failedCode != kReceiverDeviceCode && failedCode != kMouseDeviceCode)
            return UpdateReason::Error;
        const bool receiverFailed = failedCode == kReceiverDeviceCode;
        const DeviceAllInfo *other = otherPartListed(g_deviceList, failedCode, failedMid);
        if (!other)
            return receiverFailed ? UpdateReason::NoCable : UpdateReason::NoReceiver;
        if (const int recordedClass = receiverClassOfText(record.at(1))) {
            g_updateReceiverClass = recordedClass;
            m_failedReceiverModel = receiverModelOf(m_driveGroup, g_updateReceiverClass);
        }
        if (other->cid != failedCid)
            return UpdateReason::Error;

        UpdateTarget failed;
        failed.deviceCode = failedCode;
        failed.receiverClass = g_updateReceiverClass;
        failed.cid = failedCid;
        failed.mid = mid;
        if (!searchFirmwareImages(FirmwareSearchMode::ChooseForUpdate, u8(failedCode), QString(),
                                  receiverFailed ? m_failedReceiverModel : mouseModel, u8(failedCid & 0xFF), mid,
                                  &g_firmwareImageList)
            || g_firmwareImageList.isEmpty())
            return UpdateReason::Error;
        failed.image = g_firmwareImageList.first();
        const int count = countBootDevices(failed.image, 5);
        if (count == 0) {
            // Not waiting: the recorded device is listed, answering at
            // another version, and its repair writes it.
            const auto listedFailed = std::find_if(g_deviceList.begin(), g_deviceList.end(), [&](const DeviceAllInfo &e) {
                return matchesTarget(failed, e) && !runsImage(failed, e);
            });
            if (listedFailed == g_deviceList.end())
                return UpdateReason::NoDevice;
            failed.path = listedFailed->devicePath;
        } else if (count != 1) {
            return UpdateReason::SameDevice;
        } else if (receiverFailed && std::any_of(g_deviceList.begin(), g_deviceList.end(), [&](const DeviceAllInfo &e) {
                       return matchesTarget(failed, e);
                   })) {
            // A listed receiver of the class would take the image too.
            return UpdateReason::SameDevice;
        }
        // A device waiting in update mode is written before the other one.
        m_failedWasMouse = !receiverFailed && count == 1;
        // The other device, on its own version.
        const SelectedFirmware versions = selectedFirmware();
        const int otherCode = receiverFailed ? kMouseDeviceCode : kReceiverDeviceCode;
        const QString otherVersion = receiverFailed ? versions.mouseVersion : versions.receiverVersion;
        planTarget(failed);
        m_planned = true;
        const bool otherNew = searchFirmwareImages(FirmwareSearchMode::ChooseForUpdate, u8(otherCode), otherVersion,
                                                   receiverFailed ? mouseModel : m_failedReceiverModel, cid, mid,
                                                   &g_firmwareImageList);
        if (otherNew)
            planSettingsTargets({otherCode}, versions);
        g_updateImageCount = otherNew ? 2 : 1;
        return UpdateReason::None;
    }

    if (listed == 1)
        return g_deviceList.first().isWired ? UpdateReason::NoReceiver : UpdateReason::NoCable;

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

    const SelectedFirmware versions = selectedFirmware();
    const UpdateImages images = chooseUpdateImages(versions, m_receiverModel, mouseModel, cid, mid);
    if (images.receiver || images.mouse) {
        g_updateImageCount = images.receiver && images.mouse ? 2 : 1;
        QList<int> codes;
        if (images.receiver)
            codes << kReceiverDeviceCode;
        if (images.mouse)
            codes << kMouseDeviceCode;
        planSettingsTargets(codes, versions);
        m_planned = true;
        return UpdateReason::None;
    }
    // A file that fits but is not a whole image is not offered; the user
    // learns that it cannot be used rather than that the devices are up to
    // date.
    if (brokenFirmwareImageFits(kReceiverDeviceCode, m_receiverModel, cid, mid, versions.receiverVersion)
        || brokenFirmwareImageFits(kMouseDeviceCode, mouseModel, cid, mid, versions.mouseVersion))
        return UpdateReason::FileError;
    m_updateNotNeeded = true;
    return UpdateReason::VersionNew;
}

void UpdateEngine::planSettingsTargets(const QList<int> &deviceCodes, const SelectedFirmware &versions)
{
    for (const int code : deviceCodes) {
        UpdateTarget target;
        target.deviceCode = code;
        target.receiverClass = g_updateReceiverClass;
        target.cid = g_updateCid;
        target.mid = modelMid(m_driveGroup);
        const bool receiver = code == kReceiverDeviceCode;
        QList<QByteArray> image;
        if (searchFirmwareImages(FirmwareSearchMode::ChooseForUpdate, u8(code),
                                 receiver ? versions.receiverVersion : versions.mouseVersion,
                                 receiver ? receiverModelOf(m_driveGroup, g_updateReceiverClass) : mouseModelOf(m_driveGroup),
                                 u8(target.cid & 0xFF), u8(target.mid & 0xFF), &image))
            target.image = image.first();
        if (const DeviceAllInfo *listed = listedTarget(target, g_deviceList))
            target.path = listed->devicePath;
        planTarget(target);
    }
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
    beginRun(Flavour::Settings, true);
    m_bootCounts.fill(0);

    Armed armed = Armed::Nothing;
    // A mouse that waits in update mode is repaired before the receiver is
    // written: no device is updated while another one waits.
    if (m_failedWasMouse) {
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
        // The mouse on its cable must be listed, wherever in the list.
        const bool listed = std::any_of(g_deviceList.begin(), g_deviceList.end(), [](const DeviceAllInfo &entry) {
            return entry.isWired && entry.mid == g_selectedDevice.mid;
        });
        if (!listed) {
            if (handedCount() > 0)
                concludeRun();
            else
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
    // Each device has one step in a run: one that ended, written or
    // refused, is not armed again by the other's end.
    if (runInProgress() && m_stepsEnded.contains(deviceCode))
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
    UpdateTarget target;
    target.deviceCode = deviceCode;
    target.receiverClass = g_updateReceiverClass;
    target.cid = g_updateCid;
    target.mid = g_updateMid;
    if (deviceCode == kReceiverDeviceCode) {
        // The first class, in the table's order, of which one receiver waits.
        const auto one = std::find(m_bootCounts.begin(), m_bootCounts.end(), 1);
        const int waiting = one == m_bootCounts.end() ? 0 : receiverClassAt(int(one - m_bootCounts.begin()));
        if (waiting) {
            target.receiverClass = waiting;
            // The receiver waits in update mode: its image again, whatever
            // version it had.
            found = searchForRun(kReceiverDeviceCode, QString(), receiverModelOf(group, waiting));
        } else {
            // A receiver that does not tell its version is taken for the
            // 1 kHz one, whose version is the one the device core knows.
            target.path = m_receiverPaths.value(0);
            QString receiverVersion = version;
            int receiverClass = 1;
            if (receiverTellsOwnVersion(g_updateReceiverClass)) {
                receiverClass = g_updateReceiverClass;
                receiverVersion = receiverOwnVersion(m_receiverPaths.value(0).toUtf8().constData());
            }
            found = searchForRun(kReceiverDeviceCode, receiverVersion, receiverModelOf(group, receiverClass));
        }
    } else {
        found = searchForRun(kMouseDeviceCode, version, mouseModelOf(group));
        for (const DeviceAllInfo &entry : qAsConst(g_deviceList)) {
            if (entry.isWired)
                target.path = entry.devicePath;
        }
    }
    if (!found || g_firmwareImageList.isEmpty()) {
        nothingToUpdate(deviceCode);
        return;
    }
    // The step's state is set before the updater starts: its end may come
    // at once.
    g_updatingDeviceCode = deviceCode;
    stateOf(deviceCode) = UpdateRunning;
    target.image = g_firmwareImageList.first();
    handTarget(target);
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
    // it. Each device has one step in a run, written or not: the mouse that
    // waited in update mode goes first and the receiver follows it.
    m_stepsEnded.insert(deviceCode);
    const int other = deviceCode == kReceiverDeviceCode ? kMouseDeviceCode : kReceiverDeviceCode;
    const int otherIndex = targetIndexOf(other);
    const bool otherDone = m_stepsEnded.contains(other) || (otherIndex >= 0 && m_targets.at(otherIndex).handed);
    if (!m_endShown && !otherDone) {
        if (deviceCode == kReceiverDeviceCode && m_failedWasMouse && g_receiverUpdateState != UpdateFailed) {
            m_continueUpdate = true;
            armMouse();
        } else if (deviceCode == kReceiverDeviceCode || m_failedWasMouse) {
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
        if (handedCount() > 0) {
            // Every device the run meant to write is read back, those its
            // steps did not reach too.
            concludeRun();
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
    if (g_receiverUpdateState == UpdateRunning || g_mouseUpdateState == UpdateRunning)
        PostMsg::instance()->postProgress(barValue(percent, g_updateImageCount), 0);
}

void UpdateEngine::settingsStepJudged(const RunTarget &judged)
{
    const int code = judged.target.deviceCode;
    if (judged.report != TargetReport::Right) {
        stateOf(code) = UpdateFailed;
        concludeRun();
        return;
    }
    // The device runs the image's version now: the device core knows it
    // before any page shows it.
    stateOf(code) = UpdateSucceeded;
    const QString version = firmwareVersionText(judged.target.imageVersion());
    PostMsg *hub = PostMsg::instance();
    if (code == kReceiverDeviceCode) {
        g_selectedDevice.usbVersion = version;
        hub->postLabelText(0, version);
    } else {
        g_selectedDevice.mouseVersion = version;
        ConfigSettings *config = ConfigSettings::instance();
        writeMouseVersion(config->readString("Option", "CID"), config->readString(selectedDriveGroup(), "MID"),
                          version);
        hub->postLabelText(1, version);
    }
    // The last device the check planned ends the run; a step the watchdog
    // gave up on chains nothing, its updater may still answer.
    if (m_stepEnd == StepEnd::GivenUp || (m_planned && everyTargetHanded()))
        concludeRun();
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
    repairWanted();   // the record settled first
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
        // The other part of the product is listed, wherever in the list: the
        // mouse on its cable for a receiver's repair, the receiver for the
        // mouse's.
        const bool otherListed = otherPartListed(g_foundDevices, plan.failedDeviceCode, modelId) != nullptr;
        if (plan.failedDeviceCode == kReceiverDeviceCode && !otherListed)
            return refuse(UpdateReason::NoCable);
        if (plan.failedDeviceCode == kMouseDeviceCode && !otherListed)
            return refuse(UpdateReason::NoReceiver);

        plan.driveGroup = groupOfMid(modelId);
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
    int total = countBootDevices(g_repairImageList.first(), 5) + listedReceivers;
    // A recorded mouse that does not wait in update mode but is listed on its
    // cable at another version is the device to write.
    if (total == 0 && plan.failedDeviceCode == kMouseDeviceCode) {
        UpdateTarget mouse;
        mouse.deviceCode = kMouseDeviceCode;
        mouse.cid = g_repairCid;
        mouse.mid = g_repairMid;
        mouse.image = g_repairImageList.first();
        total = int(std::count_if(g_foundDevices.begin(), g_foundDevices.end(), [&](const DeviceAllInfo &d) {
            return matchesTarget(mouse, d) && !runsImage(mouse, d);
        }));
    }
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
    g_repairUpdating = 1;
    g_upgradeIdle = 0;

    // The targets are the devices themselves: every one that waits in
    // update mode for an image, then every listed one whose own version
    // differs from its image; receivers before the mouse. The automatic
    // update writes what it offered: the shown receiver, and the mouse only
    // when its image was found new too (then on its cable, where the mouse
    // is written).
    const u8 cid = u8(g_repairCid & 0xFF);
    const int mid = modelMid(plan.driveGroup);
    const QList<DeviceAllInfo> devices = searchFamilyDevices();
    QList<UpdateTarget> waiting, listed;
    for (const int code : {kReceiverDeviceCode, kMouseDeviceCode}) {
        UpdateTarget target;
        target.deviceCode = code;
        target.receiverClass = g_repairReceiverClass;
        target.cid = g_repairCid;
        target.mid = mid;
        const QString model = code == kReceiverDeviceCode ? plan.receiverModel : g_repairMouseModel;
        if (!searchFirmwareImages(FirmwareSearchMode::RepairTwin, u8(code), QString(), model, cid, u8(mid & 0xFF),
                                  &g_repairImageList))
            continue;
        target.image = g_repairImageList.first();
        if (countBootDevices(target.image, 0) > 0) {
            waiting.append(target);
            continue;
        }
        const bool offeredMouse = code == kMouseDeviceCode && automatic && g_repairImageCount == 2;
        if (code == kMouseDeviceCode && automatic && !offeredMouse)
            continue;
        const DeviceAllInfo *found = listedTarget(target, devices);
        if (found && runsImage(target, *found))
            continue;   // it runs its image already
        if (found)
            target.path = found->devicePath;
        // A mouse the automatic update offered stays a target when it is not
        // on its cable: the run cannot write it and says so.
        if (found || offeredMouse)
            listed.append(target);
    }
    for (const UpdateTarget &target : waiting + listed)
        planTarget(target);
    g_repairImageCount = m_targets.size() == 2 ? 2 : 1;
    if (m_targets.isEmpty()) {
        // Nothing to flash: no success to report, and the device changes
        // must be heard again.
        g_repairUpdating = 0;
        endRepairRun();
        return -1;
    }
    return handNextRepairTarget();
}

int UpdateEngine::handNextRepairTarget()
{
    for (const RunTarget &next : qAsConst(m_targets)) {
        if (next.handed)
            continue;
        // A device neither listed nor waiting cannot be written: the run
        // ends and names it.
        if (next.target.path.isEmpty() && countBootDevices(next.target.image, 0) == 0) {
            concludeRun();
            return 0;
        }
        g_repairStage = next.target.deviceCode == kReceiverDeviceCode ? 0 : 1;
        g_repairProgressSplit = handedCount() > 0 ? 1 : 0;
        return handTarget(next.target);
    }
    return 0;
}

void UpdateEngine::repairProgress(int percent)
{
    PostMsg::instance()->postAutoRepairProgress(barValue(percent, g_repairImageCount));
}

void UpdateEngine::repairStepJudged(const RunTarget &judged)
{
    // A device not right ends the run, and so does a step the watchdog gave
    // up on; else the next device is written.
    if (judged.report != TargetReport::Right || m_stepEnd == StepEnd::GivenUp || everyTargetHanded()) {
        concludeRun();
        return;
    }
    handNextRepairTarget();
}

void UpdateEngine::endRepairRun()
{
    g_upgradeIdle = 1;
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

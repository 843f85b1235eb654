#include "updateengine.h"

#include "HIDUsb.h"
#include "configsettings.h"
#include "deviceenumeration.h"
#include "devicestate.h"
#include "firmwareimage.h"
#include "globals.h"
#include "guithread.h"
#include "mouseversion.h"
#include "postmsg.h"
#include "updatedecision.h"
#include "updatetraces.h"

#include <QTimer>

#include <algorithm>
#include <atomic>
#include <limits>

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

std::atomic<int> UpdateEngine::s_eventsSent{0};

namespace {

const qint64 kDefaultWatchdogMs = 10 * 60 * 1000;
// How long a written device may take to come back at its new version, and
// how often it is asked meanwhile.
const qint64 kDefaultReadBackMs = 5000;
const int kReadBackPollMs = 100;
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

QTimer *timerOf(int deviceCode)
{
    return deviceCode == kReceiverDeviceCode ? g_dongleCheckTimer : g_mouseCheckTimer;
}

// What a check offers while a write given up on may still be going on.
UpdatePlan stillWriting()
{
    UpdatePlan plan;
    plan.reason = UpdateReason::StillWriting;
    return plan;
}

// A step armed without a confirmed run found no device or several.
UpdateReason stepCountReason(int count, int deviceCode)
{
    if (count > 1)
        return UpdateReason::SameDevice;
    return deviceCode == kReceiverDeviceCode ? UpdateReason::NoDevice : UpdateReason::WiredMode;
}

} // namespace

// ---- The engine and its phase ----------------------------------------------------------

UpdateEngine *UpdateEngine::instance()
{
    static UpdateEngine *engine = new UpdateEngine;
    return engine;
}

UpdateEngine::UpdateEngine()
    : m_watchdog(new QTimer), m_readBackPoll(new QTimer), m_readBackMs(readBackMsFromEnvironment())
{
    m_readBackPoll->setSingleShot(true);
    m_readBackPoll->setInterval(kReadBackPollMs);
    connect(m_readBackPoll.get(), &QTimer::timeout, this, &UpdateEngine::judgeTarget);
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
    m_watchdog->stop();
    m_watchdog->setInterval(timerInterval(watchdogMsFromEnvironment()));
    m_readBackPoll->stop();
    m_readBackMs = readBackMsFromEnvironment();
    stopCheckTimers();
    m_flavour = Flavour::Settings;
    m_offer = UpdatePlan();
    m_targets.clear();
    m_current = -1;
    m_completed = false;
    m_abandoned = UpdateTarget();
    m_missingImage = 0;
    m_watch = BusWatch();
    m_view = RunView();
    m_upToDate = false;
    m_receiverWarning = m_mouseWarning = 0;
    setPhase(Phase::Idle);
}

void UpdateEngine::setWatchdogMs(qint64 ms)
{
    m_watchdog->setInterval(timerInterval(ms > 0 ? ms : watchdogMsFromEnvironment()));
}

bool UpdateEngine::runInProgress() const
{
    return m_phase == Phase::Confirmed || m_phase == Phase::Writing || m_phase == Phase::ReadingBack;
}

void UpdateEngine::setPhase(Phase phase)
{
    const bool wasHeld = m_phase == Phase::EndViewShown;
    m_phase = phase;
    // The end view gone, the dialog shows nothing of the run any more.
    if (wasHeld && phase == Phase::Idle)
        m_view = RunView();
    // The dialog on screen shows how the run ended until the user dismisses
    // it: what the bus does meanwhile waits.
    if (wasHeld != (phase == Phase::EndViewShown))
        holdDeviceChanges(!wasHeld);
    if (!runInProgress())
        stopCheckTimers();
    publishState();
}

int UpdateEngine::stateOf(int deviceCode) const
{
    const auto it = std::find_if(m_targets.begin(), m_targets.end(),
                                 [deviceCode](const RunTarget &t) { return t.target.deviceCode == deviceCode; });
    if (it == m_targets.end())
        return m_upToDate ? UpdateNothingNew : UpdateNotStarted;
    if (it->judged && it->handed)
        return it->report == TargetReport::Right ? UpdateSucceeded : UpdateFailed;
    return it->handed ? UpdateRunning : UpdateNotStarted;
}

void UpdateEngine::publishState()
{
    const bool running = runInProgress();
    g_repairUpgradeStarted = running ? 1 : 0;
    g_upgradeIdle = running ? 0 : 1;
    g_firmwareUpdating = running && m_flavour == Flavour::Settings ? 1 : 0;
    m_view.settingsRun = m_flavour == Flavour::Settings;
    g_repairUpdating = running && m_flavour != Flavour::Settings ? 1 : 0;
    g_receiverUpdateState = stateOf(kReceiverDeviceCode);
    g_mouseUpdateState = stateOf(kMouseDeviceCode);
    const bool offerOnly = m_phase == Phase::Idle || m_phase == Phase::Offered;
    const int count = std::max(1, int(offerOnly ? m_offer.targets.size() : m_targets.size()));
    (m_flavour == Flavour::Settings ? g_updateImageCount : g_repairImageCount) = count;
    // The chosen image: the one being written, else the last one offered.
    QByteArray image;
    if (!offerOnly && m_current >= 0 && m_current < m_targets.size())
        image = m_targets.at(m_current).target.image;
    else if (offerOnly && !m_offer.targets.isEmpty())
        image = m_offer.targets.last().image;
    if (!image.isEmpty())
        (m_flavour == Flavour::Settings ? g_firmwareImageList : g_repairImageList) = {image};
    if (m_current >= 0 && m_current < m_targets.size()) {
        const int code = m_targets.at(m_current).target.deviceCode;
        g_updatingDeviceCode = code;
        g_repairStage = code == kMouseDeviceCode ? 1 : 0;
        g_repairProgressSplit = m_current > 0 ? 1 : 0;
    }
}

void UpdateEngine::viewShown(const QObject *view, bool shown)
{
    if (shown) {
        m_viewsOnScreen.insert(view);
        return;
    }
    m_viewsOnScreen.remove(view);
    if (m_viewsOnScreen.isEmpty() && m_phase == Phase::EndViewShown)
        setPhase(Phase::Idle);
}

QList<QByteArray> UpdateEngine::heldImages() const
{
    QList<QByteArray> images;
    if (m_phase == Phase::Writing)
        images << m_targets.at(m_current).target.image;
    if (earlierStepWriting())
        images << m_abandoned.image;
    return images;
}

bool UpdateEngine::repairWanted()
{
    if (updateUnderWay() || earlierStepWriting())
        return !readUpdateFailInfo().isEmpty();
    return settleUpdateFailRecord();
}

// ---- A run -----------------------------------------------------------------------------

void UpdateEngine::beginRun(Flavour flavour, const UpdatePlan &plan)
{
    m_flavour = flavour;
    m_offer = UpdatePlan();
    m_targets.clear();
    for (const UpdateTarget &target : plan.targets) {
        RunTarget confirmed;
        confirmed.target = target;
        m_targets << confirmed;
    }
    for (const UpdateTarget &target : plan.unreachable) {
        RunTarget confirmed;
        confirmed.target = target;
        confirmed.refused = UpdaterChoice::Absent;
        m_targets << confirmed;
    }
    m_current = -1;
    m_completed = false;
    m_missingImage = plan.missingImage;
    m_view = RunView();
    m_view.stage = RunView::Stage::Running;
    // What is on the bus now is what the user confirmed beside: a device
    // known by its path stays known while it stays there.
    m_watch.start(readBus());
    setPhase(Phase::Confirmed);
    goOn();
}

int UpdateEngine::nextTarget() const
{
    for (int i = 0; i < m_targets.size(); ++i) {
        if (!m_targets.at(i).handed && m_targets.at(i).refused == UpdaterChoice::Target)
            return i;
    }
    return -1;
}

void UpdateEngine::goOn()
{
    const int next = nextTarget();
    if (next < 0) {
        concludeRun();
        return;
    }
    m_current = next;
    setPhase(Phase::Confirmed);
    // The settings page's run takes its steps on its check timers.
    if (m_flavour == Flavour::Settings)
        timerOf(m_targets.at(next).target.deviceCode)->start();
    else
        writeTarget(next);
}

void UpdateEngine::runStep(int deviceCode)
{
    timerOf(deviceCode)->stop();
    const int next = nextTarget();
    if (m_phase == Phase::Confirmed && m_flavour == Flavour::Settings && next >= 0
        && m_targets.at(next).target.deviceCode == deviceCode)
        writeTarget(next);
}

void UpdateEngine::writeTarget(int index)
{
    m_current = index;
    RunTarget &step = m_targets[index];
    const BusView bus = readBus();
    m_watch.observe(bus);
    const UpdaterChoice choice = updaterChoice(step.target, bus, knownDevice(step, bus));
    if (choice != UpdaterChoice::Target) {
        refuseStep(index, choice);
        return;
    }
    step.handed = true;
    m_watch.writeBegins();
    // The device is recorded before its write begins: a program that ends
    // before the write's end is heard leaves the record of a device that
    // may wait in update mode, away from the bus too. A record that names
    // no path or id (a device that waits) is this target's from now on,
    // whatever identity it comes back with.
    if (recordUnfinishedTarget(step.target, true))
        step.target.fromRecord = true;
    setPhase(Phase::Writing);
    m_watchdog->start();
    UsbUpgrade_Start(reinterpret_cast<const unsigned char *>(step.target.image.constData()),
                     &UpdateEngine::updaterCallback, 10000);
}

void UpdateEngine::refuseStep(int index, UpdaterChoice choice)
{
    // Nothing is written: the updater would write another device, several
    // could take the image, or the target is gone.
    // The end view says why, and nothing else comes over it.
    RunTarget &step = m_targets[index];
    step.refused = choice;
    if (m_flavour == Flavour::Settings)
        emit stepShown(step.target.deviceCode, UpdateNotStarted);
    concludeRun();
}

void UpdateEngine::updaterCallback(const unsigned char *event)
{
    if (!event)
        return;
    const QByteArray copy(reinterpret_cast<const char *>(event), 3);
    const int sent = ++s_eventsSent;
    // Queued even from the GUI thread, so that events are handled in the
    // order the library sent them and never inside the start that caused
    // them.
    postToGuiThread([copy, sent]() { UpdateEngine::instance()->handleEvent(copy, sent); });
}

void UpdateEngine::handleEvent(const QByteArray &event, int sent)
{
    if (event.size() < 3 || quint8(event.at(0)) != 7)
        return;
    const int subKind = quint8(event.at(1));
    const int value = quint8(event.at(2));
    if (subKind == 1) {
        // Progress counts only for the write the run waits for.
        if (m_phase != Phase::Writing)
            return;
        m_watchdog->start();
        m_targets[m_current].progressed = true;
        // A device of the target's kind that comes while the write goes on
        // is not the one written: it never answers for it. The bus is read
        // as it is now, so only while the updater has not gone on since:
        // before 100 % the written device cannot be back.
        const BusView bus = readBus();
        if (value < 100 && sent == s_eventsSent)
            m_watch.observe(bus);
        m_view.bar = barValue(value);
        if (m_flavour == Flavour::Settings)
            PostMsg::instance()->postProgress(m_view.bar, ProgressBar);
        else
            PostMsg::instance()->postAutoRepairProgress(m_view.bar);
    } else if (subKind == 2) {
        if (m_phase == Phase::Writing)
            writeEnded(value == 1 ? WriteEnd::Success : WriteEnd::Failure);
        else if (earlierStepWriting())
            lateEnd(value == 1);
        // An end of no write at all is dropped.
    }
}

int UpdateEngine::barValue(int percent) const
{
    // Each target fills its share of the bar, in the order they are written.
    const int shares = std::max(1, int(m_targets.size()));
    return (100 * m_current + percent) / shares;
}

void UpdateEngine::watchdogExpired()
{
    // The updater has not been heard of for the watchdog's time: the write
    // is given up on. It may still be going on: its image stays held, and
    // no run starts until its end event has come.
    if (m_phase == Phase::Writing)
        writeEnded(WriteEnd::GivenUp);
}

void UpdateEngine::writeEnded(WriteEnd end)
{
    m_watchdog->stop();
    RunTarget &step = m_targets[m_current];
    step.end = end;
    m_watch.writeEnded();
    if (end == WriteEnd::GivenUp)
        m_abandoned = step.target;
    setPhase(Phase::ReadingBack);
    m_readBackClock.start();
    judgeTarget();
}

void UpdateEngine::judgeTarget()
{
    if (m_phase != Phase::ReadingBack)
        return;
    RunTarget &step = m_targets[m_current];
    const BusView bus = readBus();
    m_watch.observe(bus);
    // A write that failed brings no device back.
    if (step.end != WriteEnd::Failure && !knownDevice(step, bus))
        m_watch.adoptComeBack(step.target, bus);
    step.report = readBackTarget(step.target, bus, knownDevice(step, bus));
    // A device the updater says it wrote restarts with its new firmware: it
    // is asked again until it answers, for a while.
    if (step.end == WriteEnd::Success && step.report != TargetReport::Right
        && m_readBackClock.elapsed() < m_readBackMs) {
        m_readBackPoll->start();
        return;
    }
    step.judged = true;
    targetJudged();
}

void UpdateEngine::targetJudged()
{
    const RunTarget judged = m_targets.at(m_current);
    if (judged.end != WriteEnd::Success)
        writeUpdateLog(UsbUpgradeC_GetLogs());
    if (judged.report != TargetReport::Right)
        forgetAvailableUpdates();
    // A device that answers, at its image's version or unchanged, needs no
    // repair; one the updater took may have been left in update mode, or
    // may still be written, and keeps its record.
    if (judged.report == TargetReport::Right
        || (judged.report == TargetReport::OtherVersion && judged.end != WriteEnd::GivenUp))
        forgetRecordOf(judged.target);
    else
        recordUnfinishedTarget(judged.target,
                               judged.end != WriteEnd::Failure && judged.report == TargetReport::Missing);
    if (judged.report == TargetReport::Right && m_flavour == Flavour::Settings)
        settingsTargetRight(judged.target);
    publishState();
    if (m_flavour == Flavour::Settings)
        showStepEnd(judged.target.deviceCode);
    // A target not right ends the run, and so does a write given up on: its
    // updater may still answer.
    if (judged.report == TargetReport::Right && judged.end != WriteEnd::GivenUp)
        goOn();
    else
        concludeRun();
}

void UpdateEngine::lateEnd(bool success)
{
    // The end of a write given up on: the run it belonged to is over and the
    // user has been told so. It starts, arms or chains nothing and changes
    // no run's view. Whatever it says, the device tells how the write went:
    // a device that works now (at the image's version, or unchanged) needs
    // no repair, one left in update mode keeps its record.
    // Only a device that stayed where the run knew it answers: what came
    // onto the bus since the run ended was not watched.
    Q_UNUSED(success);
    UpdateTarget abandoned = m_abandoned;
    m_abandoned = UpdateTarget();
    const BusView bus = readBus();
    m_watch.observe(bus);
    switch (readBackTarget(abandoned, bus, m_watch.known(abandoned, bus))) {
    case TargetReport::Right:
    case TargetReport::OtherVersion:
        forgetRecordOf(abandoned);
        break;
    case TargetReport::InUpdateMode:
        recordUnfinishedTarget(abandoned);
        break;
    case TargetReport::Missing:
        break;
    }
    PostMsg::instance()->postUpDateButton(readUpdateFailInfo().isEmpty());
}

bool UpdateEngine::RunTarget::right() const
{
    // A device that answers at its image's version was written, even where
    // its updater's end never came in time.
    return handed && report == TargetReport::Right;
}

const DeviceAllInfo *UpdateEngine::knownDevice(const RunTarget &step, const BusView &bus) const
{
    return m_watch.known(step.target, bus);
}

RunOutcome UpdateEngine::outcomeOf(const RunTarget &step) const
{
    if (!step.handed) {
        switch (step.refused) {
        case UpdaterChoice::Another: return RunOutcome::WrongDevice;
        case UpdaterChoice::Several: return RunOutcome::Several;
        case UpdaterChoice::NoAnswer: return RunOutcome::NoAnswer;
        case UpdaterChoice::Absent:
        case UpdaterChoice::Target:
            return step.target.deviceCode == m_missingImage ? RunOutcome::NoImage : RunOutcome::Absent;
        }
    }
    if (step.end == WriteEnd::GivenUp)
        return RunOutcome::Silent;
    // The updater refused the image before it wrote anything, and the
    // device answers as it did.
    if (!step.progressed && step.end == WriteEnd::Failure && step.report == TargetReport::OtherVersion)
        return RunOutcome::Unchanged;
    return RunOutcome::Failed;
}

void UpdateEngine::concludeRun()
{
    m_readBackPoll->stop();
    // Targets the run did not reach are asked now; a target whose step
    // wrote nothing is not right, whatever it runs.
    const BusView bus = readBus();
    m_watch.observe(bus);
    const RunTarget *failed = nullptr;
    for (RunTarget &step : m_targets) {
        if (!step.judged) {
            step.report = readBackTarget(step.target, bus, knownDevice(step, bus));
            step.judged = true;
        }
        if (!failed && !step.right())
            failed = &step;
    }
    // A run the watchdog ended is named by the device whose updater fell
    // silent, whatever it reads now: the devices after it were never
    // written.
    if (failed) {
        for (const RunTarget &step : m_targets)
            if (step.end == WriteEnd::GivenUp)
                failed = &step;
    }
    m_view.outcome = failed ? outcomeOf(*failed) : m_missingImage ? RunOutcome::NoImage : RunOutcome::Completed;
    m_view.deviceCode = failed ? failed->target.deviceCode : m_missingImage;
    m_completed = m_view.outcome == RunOutcome::Completed && !m_targets.isEmpty();
    if (m_completed) {
        // A record an earlier version left names no device of the model:
        // every device the run wrote answers right now.
        forgetRecordOfNoDevice(m_targets.first().target.mid);
        m_upToDate = true;
    }
    m_view.stage = RunView::Stage::Ended;
    setPhase(m_viewsOnScreen.isEmpty() ? Phase::Idle : Phase::EndViewShown);

    PostMsg *hub = PostMsg::instance();
    const int kind = progressKindOf(m_view.outcome, m_flavour == Flavour::Settings);
    if (m_flavour != Flavour::Settings)
        hub->postAutoRepair(m_completed ? 0 : 1);
    hub->postUpDateButton(readUpdateFailInfo().isEmpty());
    hub->postProgress(m_view.deviceCode, kind);
}

void UpdateEngine::showRefusal(UpdateReason reason)
{
    m_view = RunView();
    m_view.settingsRun = m_flavour == Flavour::Settings;
    m_view.stage = RunView::Stage::Refused;
    m_view.reason = reason;
}

void UpdateEngine::endWithoutWriting(UpdateReason reason)
{
    m_flavour = Flavour::Settings;
    m_targets.clear();
    m_current = -1;
    m_completed = false;
    showRefusal(reason);
    setPhase(m_viewsOnScreen.isEmpty() ? Phase::Idle : Phase::EndViewShown);
    emit runEndedWithout(reason);
}

// ---- The settings page -------------------------------------------------------------------

UpdateReason UpdateEngine::checkUpdate()
{
    if (earlierStepWriting())
        return offer(Flavour::Settings, stillWriting()).reason;
    // The record follows the devices: a device read back right since keeps
    // none, one found waiting in update mode gets one.
    repairWanted();
    const UpdatePlan plan = planNow(Flavour::Settings);
    g_updateReceiverClass = plan.receiverClass;
    g_updateCid = productCid();
    g_updateMid = modelMid(selectedDriveGroup());
    if (!dialogHeld())
        m_upToDate = plan.reason == UpdateReason::VersionNew;
    if (plan.reason == UpdateReason::None)
        noteMouseUpdateOffered(plan.indexOf(kMouseDeviceCode) >= 0);
    offer(Flavour::Settings, plan);
    return plan.reason;
}

RepairPlan UpdateEngine::offer(Flavour flavour, const UpdatePlan &plan)
{
    // A check while a run holds the dialog changes nothing of the run.
    if (!dialogHeld()) {
        m_flavour = flavour;
        m_offer = plan;
        if (plan.offered()) {
            m_view = RunView();
            m_view.settingsRun = flavour == Flavour::Settings;
            m_view.stage = RunView::Stage::Offered;
        } else {
            showRefusal(plan.reason);
        }
        setPhase(plan.offered() ? Phase::Offered : Phase::Idle);
    }
    return {plan.reason, plan.offered()};
}

UpdateEngine::Armed UpdateEngine::confirmUpdate()
{
    // A run that goes on is not started twice.
    if (runInProgress())
        return Armed::Nothing;
    if (earlierStepWriting()) {
        showRefusal(UpdateReason::StillWriting);
        emit runEndedWithout(UpdateReason::StillWriting);
        return Armed::Nothing;
    }
    const UpdatePlan plan = confirmedPlan(Flavour::Settings);
    g_updateReceiverClass = plan.receiverClass;
    if (!plan.offered()) {
        m_upToDate = plan.reason == UpdateReason::VersionNew;
        endWithoutWriting(plan.reason == UpdateReason::None ? UpdateReason::Error : plan.reason);
        return m_upToDate ? Armed::Continued : Armed::Nothing;
    }
    m_upToDate = false;
    m_receiverWarning = m_mouseWarning = 0;
    beginRun(Flavour::Settings, plan);
    return plan.targets.first().isReceiver() ? Armed::Receiver : Armed::Mouse;
}

void UpdateEngine::armReceiver()
{
    if (!runInProgress())
        countStepDevices(kReceiverDeviceCode);
}

void UpdateEngine::armMouse()
{
    if (!runInProgress())
        countStepDevices(kMouseDeviceCode);
}

void UpdateEngine::continueRun()
{
    // A confirmed run goes on by itself; without one, each device with an
    // update is looked at and warned of now.
    if (runInProgress())
        return;
    for (const int code : {kMouseDeviceCode, kReceiverDeviceCode}) {
        if (code == kMouseDeviceCode ? g_update210Available : g_update211Available)
            countStepDevices(code, true);
    }
}

void UpdateEngine::countStepDevices(int deviceCode, bool now)
{
    // What the step would find: the receivers it may take (the chosen one,
    // or every listed one beside a chosen mouse) or the mice on their
    // cables, and the devices waiting in update mode for the image.
    const SelectedFirmware versions = selectedFirmware();
    const UpdateTarget kind =
        targetWithImage(deviceCode, versions.receiverClass, productCid(), modelMid(selectedDriveGroup()));
    int count = std::max(0, busOf({}).waitingFor(kind.image));
    for (const DeviceAllInfo &entry : qAsConst(g_deviceList)) {
        if (deviceCode == kMouseDeviceCode)
            count += entry.isWired ? 1 : 0;
        else if (!entry.isWired)
            count += g_selectedDevice.isWired || entry.devicePath == g_selectedDevice.devicePath ? 1 : 0;
    }
    // Exactly one: nothing is written without the user's confirmation.
    if (count == 1)
        return;
    const UpdateReason reason = stepCountReason(count, deviceCode);
    warnAboutStep(deviceCode, reason, now);
    showRefusal(reason);
    emit runEndedWithout(reason);
}

void UpdateEngine::warnAboutStep(int deviceCode, UpdateReason reason, bool now)
{
    emit stepShown(deviceCode, UpdateNotStarted);
    if (now)
        emit deviceWarning(deviceCode, reason);
    else
        (deviceCode == kReceiverDeviceCode ? m_receiverWarning : m_mouseWarning) = reason == UpdateReason::SameDevice ? 2 : 1;
}

void UpdateEngine::settingsTargetRight(const UpdateTarget &target)
{
    // The device runs the image's version now: the device core knows it
    // before any page shows it.
    const QString version = firmwareVersionText(target.imageVersion());
    PostMsg *hub = PostMsg::instance();
    if (target.isReceiver()) {
        g_selectedDevice.usbVersion = version;
        hub->postLabelText(0, version);
    } else {
        g_selectedDevice.mouseVersion = version;
        writeMouseVersion(QString::number(target.cid), QString::number(target.mid), version);
        hub->postLabelText(1, version);
    }
    updateFlashed(target.deviceCode);
}

void UpdateEngine::showStepEnd(int deviceCode)
{
    const int state = stateOf(deviceCode);
    if (deviceCode == kReceiverDeviceCode
        && (state == UpdateNothingNew || state == UpdateSucceeded || state == UpdateRunning))
        m_receiverWarning = 0;
    emit stepShown(deviceCode, state);
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
}

void UpdateEngine::devicesChecked(bool updateWaiting)
{
    if (updateWaiting && !dialogHeld())
        m_upToDate = false;
}

void UpdateEngine::stopCheckTimers()
{
    g_dongleCheckTimer->stop();
    g_mouseCheckTimer->stop();
}

// ---- The update and repair dialog -------------------------------------------------------

RepairPlan UpdateEngine::checkRepair(bool autoUpdate)
{
    if (autoUpdate)
        return planAutomaticUpdate();
    if (earlierStepWriting())
        return offer(Flavour::Repair, stillWriting());
    repairWanted();   // the record settled first
    g_repairFailInfo = readUpdateFailInfo().split(QLatin1Char(','));
    const RecordView record = readRecordView();
    const UpdatePlan plan = planNow(Flavour::Repair);
    if (record.device.deviceCode != 0) {
        g_repairFailedIsMouse = record.device.isReceiver() ? 0 : 1;
        g_repairCid = record.device.cid;
        g_repairMid = record.device.mid;
        g_repairMouseModel = mouseModelOf(groupOfMid(record.device.mid));
    }
    g_repairReceiverClass = plan.receiverClass;
    return offer(Flavour::Repair, plan);
}

UpdatePlan UpdateEngine::planNow(Flavour flavour) const
{
    const PlanSources sources = readPlanSources();
    switch (flavour) {
    case Flavour::Settings:
        return planSettingsUpdate(busOf(g_deviceList), g_selectedDevice, readRecordView(), sources);
    case Flavour::Repair:
        return planRepair(busOf(g_foundDevices), readRecordView(), sources);
    case Flavour::Automatic:
        break;
    }
    // The mouse's version is the one kept for the shown device's model.
    const QString mid = QString::number(g_shownDevices.value(0).mid);
    return ::planAutomaticUpdate(busOf(g_shownDevices), readRecordView(),
                                 readMouseVersion(QString::number(productCid()), mid), sources);
}

UpdatePlan UpdateEngine::confirmedPlan(Flavour flavour)
{
    repairWanted();
    const UpdatePlan now = planNow(flavour);
    // The user confirms the devices the dialog offered: of those, the ones
    // a plan of the devices as they are now still writes, with the images
    // "bin" holds now.
    if (m_phase != Phase::Offered || m_flavour != flavour)
        return now;
    const auto sameDevice = [](const UpdateTarget &a, const UpdateTarget &b) {
        // Of one kind and known alike: waiting, at one path, or by nothing
        // (a mouse away from its cable, which the run cannot know).
        return sameTargetKind(a, b) && a.waiting == b.waiting
               && (a.waiting || a.path == b.path);
    };
    UpdatePlan confirmed = now;
    confirmed.targets.clear();
    for (const UpdateTarget &target : qAsConst(now.targets)) {
        if (std::any_of(m_offer.targets.begin(), m_offer.targets.end(),
                        [&](const UpdateTarget &offered) { return sameDevice(offered, target); }))
            confirmed.targets << target;
    }
    if (confirmed.targets.isEmpty() && confirmed.reason == UpdateReason::None)
        confirmed.reason = UpdateReason::FileError;
    // An offered device the run cannot write now is still one the user
    // confirmed: the run does not end well without it.
    // One whose image has left "bin" meanwhile is not written either: the
    // run then says that its file is missing.
    for (const UpdateTarget &offered : qAsConst(m_offer.targets)) {
        if (std::any_of(now.targets.begin(), now.targets.end(),
                        [&](const UpdateTarget &target) { return sameDevice(offered, target); }))
            continue;
        confirmed.unreachable << offered;
        if (targetWithImage(offered.deviceCode, offered.receiverClass, offered.cid, offered.mid).image.isEmpty())
            confirmed.missingImage = offered.deviceCode;
    }
    return confirmed;
}

RepairPlan UpdateEngine::planAutomaticUpdate()
{
    if (earlierStepWriting())
        return offer(Flavour::Automatic, stillWriting());
    const UpdatePlan plan = planNow(Flavour::Automatic);
    const int mid = g_shownDevices.value(0).mid;
    g_repairReceiverClass = plan.receiverClass;
    g_repairCid = productCid();
    g_repairMid = mid;
    g_repairMouseModel = mouseModelOf(groupOfMid(mid));
    return offer(Flavour::Automatic, plan);
}

int UpdateEngine::startRepairRun(UpdateReason *why)
{
    if (runInProgress())
        return -2;
    if (earlierStepWriting())
        return -3;
    // The dialog's last check says which run it offered.
    const Flavour flavour = m_flavour == Flavour::Automatic ? Flavour::Automatic : Flavour::Repair;
    const UpdatePlan plan = confirmedPlan(flavour);
    if (!plan.offered()) {
        const UpdateReason reason = plan.reason == UpdateReason::None ? UpdateReason::FileError : plan.reason;
        if (why)
            *why = reason;
        showRefusal(reason);
        return -1;
    }
    beginRun(flavour, plan);
    return 1;
}

void resetUpdateRunState()
{
    g_updateReceiverClass = 0;
    g_updateMid = 0;
    g_updatingDeviceCode = 0;
    g_repairStage = 0;
    g_repairProgressSplit = 1;
    g_repairFailedIsMouse = 0;
    g_repairReceiverClass = 0;
    g_repairCid = 0;
    g_repairMid = 0;
    g_repairMouseModel.clear();
    g_repairFailInfo.clear();
    forgetAvailableUpdates();
    g_firmwareImageList.clear();
    g_repairImageList.clear();
    g_updateCid = 0;
    UpdateEngine::instance()->reset();
    g_updateImageCount = 1;
    g_repairImageCount = 1;
}

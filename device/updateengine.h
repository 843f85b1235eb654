#ifndef UPDATEENGINE_H
#define UPDATEENGINE_H

// The firmware update, written once for every window that offers it. An
// update can leave a mouse or a receiver unusable, so what it writes, when,
// and how it ends is decided here and nowhere else; the settings page and
// the update and repair dialog only show it.
//
// One run at a time, in one of these phases:
//
//   Idle ──check──▶ Offered ──the user confirms──▶ Confirmed ◀─────────┐
//                                                     │ the next target │
//                                                     ▼                 │
//                                                  Writing              │
//                                                     │ its end (or the │
//                                                     ▼ watchdog)       │
//                                                 ReadingBack ──right───┘
//                                                     │ the last target, or one not right
//                                                     ▼
//                                   EndViewShown (a dialog is on screen) ──dismissed──▶ Idle
//
// A check (the settings page's update button, the device list's repair
// button, the main window's automatic update) makes a plan
// (device/updateplan.h) and offers it. The user's confirmation makes the
// plan again from the devices as they are then, and its targets are fixed:
// each a device with its image, known by its path while it stays on the
// bus. Each target is written in turn, and only when the updater would
// write that device and no other; then it is read back by what only it can
// show (device/updatereadback.h). The run ends on "Update completed." only
// when every target reads back at its image's version; otherwise its end
// view names the first that does not and why. The failure record follows
// the devices the same way.
//
// What the dialogs show of it is the engine's run view (device/updateview.h).
//
// The phase is written in one place (setPhase), and every program-wide
// value other parts read about the update (updateUnderWay(), the check
// timers' state, g_upgradeIdle and the per-device states) is derived from
// it there.
//
// A write the watchdog gave up on (the updater silent for its time) may
// still be going on: until the updater reports its end, no run starts.
//
// Everything runs on the GUI thread; the updater calls back on a thread of
// its own, and its events are queued to the GUI thread in the order it sent
// them before anything here looks at them.

#include "devicesearch.h"
#include "updatedecision.h"
#include "updateplan.h"
#include "updatereadback.h"
#include "updateview.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

#include <atomic>
#include <memory>

class QTimer;

// What became of a device's step of the settings page's run.
enum UpdateStepState {
    UpdateNotStarted = 0,   // or the device count was wrong
    UpdateRunning = 1,
    UpdateSucceeded = 2,
    UpdateFailed = 3,
    UpdateNothingNew = 4
};

// What the update and repair dialog's check decided for one dialog.
struct RepairPlan {
    UpdateReason reason = UpdateReason::None;
    bool offered = false;        // the run can start
};

// ---- State the windows and the device link read (written by the engine) --------
// Settings page's run.
extern int g_updateReceiverClass;    // 0 or a receiver class (linktable.h)
extern int g_updateMid;              // Config.ini Drive<k>/MID of the chosen device
extern int g_updatingDeviceCode;     // the target handed to the updater
extern int g_receiverUpdateState;    // UpdateStepState
extern int g_mouseUpdateState;
extern int g_updateImageCount;       // how many targets share the bar, each an equal part in turn
// The settings page's check timers (1000 ms), which the engine makes and
// owns: a tick starts the write of the device whose step is armed.
extern QTimer *g_dongleCheckTimer;
extern QTimer *g_mouseCheckTimer;
// The update and repair dialog's run.
extern unsigned char g_repairUpgradeStarted;   // a run is in progress: no dialog closes
extern int g_repairStage;                      // 0 the receiver is written, 1 the mouse
extern int g_repairImageCount;                 // how many targets share the bar
extern unsigned char g_repairProgressSplit;    // the second target fills the bar's upper half
extern int g_repairFailedIsMouse;              // the failure record names the mouse
extern int g_repairReceiverClass;              // 0 or a receiver class (linktable.h)
extern int g_repairCid;
extern int g_repairMid;
extern QString g_repairMouseModel;
extern QStringList g_repairFailInfo;

class UpdateEngine : public QObject
{
    Q_OBJECT
public:
    enum class Phase { Idle, Offered, Confirmed, Writing, ReadingBack, EndViewShown };

    static UpdateEngine *instance();
    ~UpdateEngine() override;

    // Start values, no run, the check timers stopped (tests).
    void reset();
    // How long a write may go without any event of the updater before it is
    // given up on (default ten minutes; 0 or less: the default).
    void setWatchdogMs(qint64 ms);

    Phase phase() const { return m_phase; }
    // From the user's confirmation to the run's end: no dialog closes and
    // no check replaces the run's view.
    bool runInProgress() const;
    // The run goes on, or its end view waits for the user: the dialog
    // belongs to the run, and device changes wait until it is dismissed.
    bool dialogHeld() const { return runInProgress() || m_phase == Phase::EndViewShown; }
    // The one question whether an update is under way: what the bus does is
    // not checked for an update meanwhile (the device list, the Worker and
    // a new version read ask this before they post a check). A write the
    // watchdog gave up on may still be going on until its end comes.
    bool updateUnderWay() const { return dialogHeld() || earlierStepWriting(); }
    // What the dialogs show: the offer, why nothing can start, the run's
    // bar and how it ended.
    const RunView &runView() const { return m_view; }
    // An update dialog came on screen or went off it. A run ends in an end
    // view only while one is on screen; the end view is dismissed when the
    // last one goes.
    void viewShown(const QObject *view, bool shown);
    // Whether the last run that ended wrote every target and read each back
    // at its image's version: what "Update completed." says.
    bool lastRunCompleted() const { return m_completed; }
    // Whether the settings page says the devices are up to date: after a
    // check found nothing newer, or a run read every target back right,
    // until a check of the devices says otherwise.
    bool upToDate() const { return m_upToDate; }
    // A check of the chosen device's versions against "bin": whether an
    // update waits for it.
    void devicesChecked(bool updateWaiting);
    // Another device is chosen: nothing is known of it yet.
    void forgetUpToDate() { m_upToDate = false; }
    // The update dialog tells that the run it showed left the devices up to
    // date.
    void markUpToDate() { m_upToDate = true; }
    // Every image handed to the updater whose write has not yet ended: the
    // library reads an image while it writes it.
    QList<QByteArray> heldImages() const;
    // A write the engine gave up on has not answered yet and may still be
    // going on. Until its end event comes no run starts: the updater's
    // events name no run. Its end event, when it comes, starts, arms and
    // shows nothing.
    bool earlierStepWriting() const { return m_abandoned.deviceCode != 0; }
    // Whether the device list offers a repair: a failure record is kept
    // (settled against the devices first when no update may write one now).
    bool repairWanted();

    // ---- The settings page ----------------------------------------------------------
    // What the update dialog offers for the listed devices and the failure
    // record. None: an update or a repair can start.
    UpdateReason checkUpdate();

    // The user confirmed the update: its targets are fixed and the first
    // one's step is armed. What was armed, for the view.
    enum class Armed { Nothing, Receiver, Mouse, Continued };
    Armed confirmUpdate();
    // The device's step of a confirmed run (the page's on_Receive_clicked and
    // on_Mouse_clicked, SlotContinue). Without a confirmed run nothing is
    // written: the devices the step would find are counted, and a wrong
    // count is warned of.
    void armReceiver();
    void armMouse();
    void continueRun();
    // One tick of the device's check timer: the armed step writes its target.
    void runStep(int deviceCode);
    // Tells the page how the device's step stands (stepShown).
    void showStepEnd(int deviceCode);
    // The warning a step left for later: 0 none, 1 no device, 2 several.
    int deferredWarning(int deviceCode) const;
    void clearDeferredWarning(int deviceCode);
    // Forgets the checks (a device came or went): the deferred warnings.
    // The offer on screen stays what the user confirms, "up to date" stays
    // until a check says otherwise; a run in progress stays as it is.
    void forgetChecks();
    void stopCheckTimers();

    // ---- The update and repair dialog ---------------------------------------------
    // Whether the dialog may repair the device the failure record names;
    // autoUpdate: the main window's automatic update, planned again.
    RepairPlan checkRepair(bool autoUpdate);
    // The automatic update of the one device shown (the main window's key).
    RepairPlan planAutomaticUpdate();
    // The user confirmed the dialog's offer, a repair or the automatic
    // update: -1 when there is nothing to write (the run ends at once), -2
    // while another run is in progress, -3 while a write given up on may
    // still be going on, else 1. `why` is told why nothing could be written.
    int startRepairRun(UpdateReason *why = nullptr);

    // The one callback handed to the updater (the library's thread).
    static void updaterCallback(const unsigned char *event);

signals:
    // The page shows how a device's step stands (button style and face).
    void stepShown(int deviceCode, int state);
    // A step found no device or several, while warnings are shown at once:
    // the page's notice says it.
    void deviceWarning(int deviceCode, UpdateReason reason);
    // The settings page's run ended without writing anything: the dialog
    // says why.
    void runEndedWithout(UpdateReason reason);

private:
    enum class Flavour { Settings, Repair, Automatic };
    // How a write ended: the updater's end event, or the watchdog.
    enum class WriteEnd { Success, Failure, GivenUp };
    // A confirmed target and what became of it.
    struct RunTarget {
        UpdateTarget target;
        bool handed = false;       // given its image
        bool progressed = false;   // the updater reported progress for it
        bool judged = false;       // read back since
        WriteEnd end = WriteEnd::Success;
        TargetReport report = TargetReport::Missing;
        UpdaterChoice refused = UpdaterChoice::Target;   // not Target: its step wrote nothing
        bool right() const;
    };

    UpdateEngine();

    // The one writer of the phase, and of everything derived from it.
    void setPhase(Phase phase);
    void publishState();
    int stateOf(int deviceCode) const;

    // A confirmed run begins with these targets.
    void beginRun(Flavour flavour, const UpdatePlan &plan);
    // The next target that is not handed yet; -1 when none is left.
    int nextTarget() const;
    // Arms the next target's step, or ends the run when none is left.
    void goOn();
    // The step of target `index`: its image goes to the updater if the
    // updater would write that device and no other.
    void writeTarget(int index);
    void refuseStep(int index, UpdaterChoice choice);
    // `sent`: the event's number among all the updater has sent.
    void handleEvent(const QByteArray &event, int sent);
    void watchdogExpired();
    void writeEnded(WriteEnd end);
    void judgeTarget();
    void targetJudged();
    void lateEnd(bool success);
    // Every target is read back; the end view says whether each is right or
    // names the first that is not.
    void concludeRun();
    void endWithoutWriting(UpdateReason reason);
    // The end view of a run that did not read every target back right.
    RunOutcome outcomeOf(const RunTarget &step) const;
    void showRefusal(UpdateReason reason);
    // The target's device on the bus as the run knows it; null: not known.
    const DeviceAllInfo *knownDevice(const RunTarget &step, const BusView &bus) const;
    int barValue(int percent) const;
    // The settings page's step warnings: now (a step continued from
    // another) or kept for later.
    void warnAboutStep(int deviceCode, UpdateReason reason, bool now);
    // A step armed without a confirmed run: the devices it would find.
    void countStepDevices(int deviceCode, bool now = false);
    void settingsTargetRight(const UpdateTarget &target);
    // The main window's automatic update of the one device shown.
    UpdatePlan automaticPlan() const;
    // A check's plan becomes the run's offer, unless a run holds the dialog.
    RepairPlan offer(Flavour flavour, const UpdatePlan &plan);
    // What the user's confirmation fixes: the offer on screen of that kind,
    // else a plan of the devices as they are now.
    UpdatePlan confirmedPlan(Flavour flavour);
    UpdatePlan planNow(Flavour flavour) const;

    // How many events the updater has sent (its thread counts them).
    static std::atomic<int> s_eventsSent;

    Phase m_phase = Phase::Idle;
    Flavour m_flavour = Flavour::Settings;
    UpdatePlan m_offer;            // what the last check offered
    QList<RunTarget> m_targets;    // the confirmed targets, in the order they are written
    int m_current = -1;            // the target whose step runs
    bool m_completed = false;      // the last run read every target back right
    UpdateTarget m_abandoned;      // the target of the write given up on
    int m_missingImage = 0;        // a device of the run whose firmware file is missing
    BusWatch m_watch;              // what the run has seen of the bus
    RunView m_view;
    QSet<const QObject *> m_viewsOnScreen;
    std::unique_ptr<QTimer> m_watchdog;
    std::unique_ptr<QTimer> m_readBackPoll;
    QElapsedTimer m_readBackClock;
    // How long a written device may take to answer at its image's version
    // while it restarts (QUZ_UPDATE_READBACK_MS).
    qint64 m_readBackMs = 0;

    // The settings page's checks.
    bool m_upToDate = false;
    int m_receiverWarning = 0;
    int m_mouseWarning = 0;
};

// Start values of every update state (tests).
void resetUpdateRunState();

#endif // UPDATEENGINE_H

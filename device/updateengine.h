#ifndef UPDATEENGINE_H
#define UPDATEENGINE_H

// The firmware update, written once for every window that offers it. An
// update can leave a mouse or a receiver unusable, so what it flashes, when
// and how it ends is decided here and nowhere else; the settings page and
// the update and repair dialog only show it: they start it, show its
// progress and end views (the engine tells them through the PostMsg hub and
// its own signals) and ask it whether the dialog may close.
//
// The engine holds:
//   - the checks: what the settings page's update would flash
//     (checkUpdate), whether a failed update can be repaired (checkRepair)
//     and what the main window's automatic update flashes
//     (planAutomaticUpdate);
//   - the run, entered from two places: the settings page, whose run takes
//     one step a second on the engine's check timers (g_dongleCheckTimer
//     for the receiver, g_mouseCheckTimer for the mouse: 0 look for the image,
//     1 count the devices and start the updater, 2 mark the step as
//     running, 3 wait for its end, 4 show it and go on with the other
//     device), and the update and repair dialog, whose run goes on from one
//     end event of the updater to the next (the receiver image, then the
//     mouse image). Both hand their images to the updater in one place,
//     which holds every image until its start has been answered, maps the
//     progress onto the bar, ends an updater that falls silent after the
//     watchdog's time and writes the failure record and the log;
//   - the one state "a run is in progress", from the user's confirmation
//     to the run's end view: no dialog closes meanwhile;
//   - the end: the end view is shown once per run.
//
// The devices' versions the run compares the images with are the device
// core's (selectedFirmware of device/updatedecision.h), and a step that
// flashed its device gives the chosen device its new version there; the
// pages only show them. No page is needed for a run.
//
// A run's targets are devices (device/updatereadback.h): each receiver or
// mouse it writes, with its image. A device that waits in update mode is
// written before any other, and no other device is written while it
// waits. After every step the device is read back: only a device that
// answers at its image's version counts as flashed, and the run shows
// "Update completed." only when every target does; otherwise its failure
// view names the device that is not right. The failure record follows the
// devices the same way: a step that leaves its device in update mode (or
// gone after it was written) records it, a device read back right takes
// its record away, and a device that was never written gets none.
//
// Everything runs on the GUI thread; the updater calls back on a thread of
// its own, and its events are queued to the GUI thread in the order it sent
// them before anything here looks at them.

#include "devicesearch.h"
#include "updatedecision.h"
#include "updatereadback.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

#include <array>
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

// Why a check offers nothing, or why a step did not flash: each window shows
// its own text for it.
enum class UpdateReason {
    None,          // an update or a repair is offered
    Error,         // the listed devices or the record do not fit
    NoReceiver,    // the receiver is missing
    NoCable,       // the mouse on its cable is missing
    MultiMouse,    // several mice on their cables
    MultiDongle,   // several receivers
    NoDevice,      // no device waits in update mode / no device to flash
    SameDevice,    // several devices would take the image
    WiredMode,     // the mouse step found no mouse on its cable
    VersionNew,    // every device already runs the images of "bin"
    FileError,     // "bin" holds no image for the device
    StillWriting   // a step given up on may still be writing its device
};

// What the update and repair dialog's check decided for one dialog.
struct RepairPlan {
    bool ready = false;          // an image of the recorded kind is chosen
    int failedDeviceCode = 0;    // first field of the failure record
    QString driveGroup;          // the configuration group of the record's model
    QString receiverModel;       // the receiver model of the record's class
    UpdateReason reason = UpdateReason::None;
    bool offered = false;        // the repair can start
};

// ---- State the windows and the device link read ----------------------------------
// Settings page's run (plain values, written by the engine).
extern int g_updateReceiverClass;    // 0, 1, 2, 4 or 8
extern int g_updateMid;              // Config.ini Drive<k>/MID of the chosen device
extern int g_updatingDeviceCode;     // the step handed to the updater
extern int g_receiverUpdateState;    // UpdateStepState
extern int g_mouseUpdateState;
extern int g_updateImageCount;       // 2: the receiver fills 0..50 % of the bar, the mouse 50..100 %
// The settings page's run's check timers (1000 ms), which the engine makes
// and owns: each tick is a step of the armed device's run.
extern QTimer *g_dongleCheckTimer;
extern QTimer *g_mouseCheckTimer;
// The update and repair dialog's run.
extern unsigned char g_repairUpgradeStarted;   // a run is in progress: no dialog closes
extern int g_repairStage;                      // 0 the receiver image, 1 the mouse image
extern int g_repairImageCount;                 // 2 when both images take part
extern unsigned char g_repairProgressSplit;    // the mouse fills the bar's upper half
extern int g_repairFailedIsMouse;              // the failure record names the mouse
extern int g_repairReceiverClass;              // 0, 1, 2, 4 or 8
extern int g_repairCid;
extern int g_repairMid;
extern QString g_repairMouseModel;
extern QStringList g_repairFailInfo;

class UpdateEngine : public QObject
{
    Q_OBJECT
public:
    static UpdateEngine *instance();
    ~UpdateEngine() override;

    // Start values, no run, the check timers stopped (tests).
    void reset();
    // How long a step may go without any event of the updater before it is
    // ended as failed (default ten minutes; 0 or less: the default).
    void setWatchdogMs(qint64 ms);

    // From the user's confirmation (or the arming of a step) until the run's
    // end view: while true, no dialog closes and no check replaces the run's
    // view.
    bool runInProgress() const { return g_repairUpgradeStarted != 0; }
    // The run's end view (success, failure, or why nothing was flashed)
    // stays on screen until the user dismisses it: the dialog belongs to
    // the run from the user's confirmation until then. No check replaces
    // its view, nothing but the user closes it, and device changes wait
    // (they are looked at once it is dismissed).
    bool dialogHeld() const { return runInProgress() || m_endViewUp; }
    // A run goes on, its steps are still winding down, or its end view
    // waits for the user: what the bus does is not checked for an update
    // meanwhile (the device list, the Worker and a new version read ask
    // this before they post a check; the update button before it opens).
    bool updateUnderWay() const;
    // An update dialog came on screen or went off it. A run ends in an end
    // view only while one is on screen; the end view is dismissed when the
    // last one goes.
    void viewShown(const QObject *view, bool shown);
    // Every image handed to the updater whose start has not yet been
    // answered by an end event: the library reads an image while it writes
    // it, and a step the watchdog ended may still be writing.
    const QList<QByteArray> &heldImages() const { return m_heldImages; }
    // A step the engine gave up on (its updater fell silent for the
    // watchdog's time) has not answered yet and may still be writing its
    // device. Until its end event comes no run starts: the updater's events
    // name no run, and a late end would count for the new one. Its end
    // event, when it comes, starts, arms and shows nothing; an end event of
    // no step at all is dropped the same way.
    bool earlierStepWriting() const { return m_unanswered > (m_stepOpen ? 1 : 0); }
    // Whether the device list offers a repair: a failure record is kept
    // (settled against the devices first when no update may write one now,
    // device/updatereadback.h).
    bool repairWanted();

    // ---- The settings page ----------------------------------------------------------
    // What the update dialog offers for the listed devices, their versions
    // and the failure record. None: an update or a repair can start.
    UpdateReason checkUpdate();
    bool updateNotNeeded() const { return m_updateNotNeeded; }
    void clearUpdateNotNeeded() { m_updateNotNeeded = false; }

    // The user confirmed the update: the run begins, with the receiver
    // unless only the failed mouse remains. What was armed, for the view.
    enum class Armed { Nothing, Receiver, Mouse, Continued };
    Armed confirmUpdate();
    // Arms the receiver's or the mouse's step (the page's on_Receive_clicked
    // and on_Mouse_clicked); a run that was not confirmed begins here.
    void armReceiver();
    void armMouse();
    // Arms the other device once one has ended well (SlotContinue).
    void continueRun();
    // One tick of the armed timer: step `step()` of the device's run,
    // against the device's version as the device core knows it.
    void runStep(int deviceCode);
    // The end of a device's step: idle again, the record and the
    // availability flags as the result leaves them; stepShown follows.
    void showStepEnd(int deviceCode);
    int step() const { return m_step; }
    // The warning a step left for later: 0 none, 1 no device, 2 several.
    int deferredWarning(int deviceCode) const;
    void clearDeferredWarning(int deviceCode);
    // Forgets the flags of earlier checks and runs (a device came or went);
    // the flags of a run in progress stay.
    void forgetChecks();
    void stopCheckTimers();

    // ---- The update and repair dialog ---------------------------------------------
    // What the dialog may repair after a failed update; `current` is what the
    // dialog decided last (a record naming an unknown class keeps its
    // receiver model). autoUpdate: the dialog's automatic update, whose
    // parameters are set already.
    RepairPlan checkRepair(const RepairPlan &current, bool autoUpdate);
    // The automatic update of the one device shown (the main window's key).
    RepairPlan planAutomaticUpdate(const RepairPlan &current);
    // Starts the dialog's run: the receiver image when the receiver runs
    // another version, else the mouse image. -1 when there is nothing to
    // flash (the run ends at once), -2 while another run is in progress, -3
    // while a step given up on may still be writing, else what the
    // updater's start answered.
    int startRepairRun(const RepairPlan &plan, bool automatic);

    // The one callback handed to the updater (the library's thread).
    static void updaterCallback(const unsigned char *event);

signals:
    // The page shows the end of a device's step (button style and face).
    void stepShown(int deviceCode, int state);
    // A step found no device or several, while warnings are shown at once:
    // the page's notice says it.
    void deviceWarning(int deviceCode, UpdateReason reason);
    // The settings page's run ended without flashing anything: the dialog
    // says why.
    void runEndedWithout(UpdateReason reason);

private:
    enum class Flavour { Settings, Repair };
    // How a step's write ended: the updater's end event, or the watchdog.
    enum class StepEnd { Success, Failure, GivenUp };
    // A device the run writes, and what became of it.
    struct RunTarget {
        UpdateTarget target;
        bool handed = false;       // given its image in this run
        bool progressed = false;   // the updater reported progress for it
        bool judged = false;       // read back since
        TargetReport report = TargetReport::Missing;
    };

    UpdateEngine();
    // A run begins; a run the user confirmed keeps the targets its check
    // planned.
    void beginRun(Flavour flavour, bool keepPlan = false);
    // Adds a target the run means to write (not yet given its image).
    void planTarget(const UpdateTarget &target);
    int targetIndexOf(int deviceCode) const;
    int handedCount() const;
    bool everyTargetHanded() const;
    // Gives the target its image: the step of that device starts.
    int handTarget(const UpdateTarget &target);
    int handToUpdater(const QByteArray &image);
    // Where the bar stands for a step's percent: with two targets the first
    // fills the lower half and the second the upper.
    int barValue(int percent, int imageCount) const;
    void handleEvent(const QByteArray &event);
    void lateEnd();
    void watchdogExpired();
    // The step ended: its device is read back (again after a while, as
    // long as a device the updater flashed has not come back yet), its
    // failure record follows what it reports, and the run goes on or ends.
    void endStep(StepEnd end);
    void judgeStep();
    void stepJudged();
    // The run is over: every target is read back, and the end view says
    // whether each is right or names the first that is not.
    void concludeRun();
    // The run is over: its end view holds the dialog.
    void endRun();
    void dismissEndView();
    void showSettingsEnd(int view);
    // The settings page's run ends with nothing flashed: the dialog says why.
    void endWithoutFlashing(UpdateReason reason);

    // The settings page's run.
    bool searchForRun(int deviceCode, const QString &version, const QString &model);
    void armRun(int deviceCode);
    void nothingToUpdate(int deviceCode);
    void prepareStep(int deviceCode, const QString &version);
    void countAndStartStep(int deviceCode, const QString &version);
    void warnAboutDevices(int deviceCode, int targets);
    void endOfStep(int deviceCode);
    void finishSettingsRun(int deviceCode);
    void settingsProgress(int percent);
    void settingsStepJudged(const RunTarget &judged);
    void endWhenNothingArmed();
    // The devices the settings page's check found to want an image.
    void planSettingsTargets(const QList<int> &deviceCodes, const SelectedFirmware &versions);
    int &bootCount(int receiverClass);

    // The dialog's run.
    void repairProgress(int percent);
    void repairStepJudged(const RunTarget &judged);
    int handNextRepairTarget();
    void endRepairRun();

    Flavour m_flavour = Flavour::Settings;
    bool m_endShown = false;     // the run has shown its end view
    QList<RunTarget> m_targets;  // in the order they are written
    bool m_planned = false;      // the settings page's check planned them
    int m_current = -1;          // the target whose step runs
    StepEnd m_stepEnd = StepEnd::Success;
    UpdateTarget m_givenUp;      // the target of the step the watchdog ended
    QSet<int> m_stepsEnded;      // the device codes whose step ended in this run
    std::unique_ptr<QTimer> m_readBackPoll;
    QElapsedTimer m_readBackClock;
    // How long a device the updater says it flashed may take to answer at
    // its image's version while it restarts (QUZ_UPDATE_READBACK_MS).
    qint64 m_readBackMs = 0;
    QByteArray m_runningImage;
    QList<QByteArray> m_heldImages;
    int m_unanswered = 0;        // starts not yet answered by an end event
    bool m_stepOpen = false;     // the run waits for the end of its last start
    bool m_endViewUp = false;
    QSet<const QObject *> m_viewsOnScreen;
    std::unique_ptr<QTimer> m_watchdog;

    // The settings page's run.
    bool m_updateNotNeeded = false;
    bool m_mouseUpdateNotNeeded = false;
    bool m_mouseCheckRunning = false;
    bool m_receiverCheckRunning = false;
    int m_step = 0;
    QStringList m_receiverPaths;
    bool m_continueUpdate = false;
    int m_receiverWarning = 0;
    int m_mouseWarning = 0;
    UpdateReason m_lastWarning = UpdateReason::None;
    QString m_failedReceiverModel;
    QString m_receiverModel;
    QString m_driveGroup;
    // The receivers waiting in update mode that the image of each receiver
    // class fits, in the link table's order of the classes.
    std::array<int, kReceiverClassCount> m_bootCounts{};
    bool m_failedWasMouse = false;
};

// Start values of every update state (tests).
void resetUpdateRunState();

#endif // UPDATEENGINE_H

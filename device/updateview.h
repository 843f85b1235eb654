#ifndef UPDATEVIEW_H
#define UPDATEVIEW_H

// What a firmware update's dialog shows, as the update engine decides it:
// the run's one view, which every dialog and the settings page render and
// none keeps a copy of, and the kinds of the hub's SigProgress(value, kind),
// the one message that carries the view's bar and end to the dialogs.

#include "updateplan.h"

// How a run ended, as its end view says.
enum class RunOutcome {
    None,
    Completed,    // every target read back at its image's version
    Failed,       // the device named does not report its image's version
    Unchanged,    // the device named refused its image: nothing was written
    WrongDevice,  // the device the updater would take is not the one confirmed
    Several,      // more than one device could take the device's image
    Absent,       // the device named is not on the bus where the run knows it: asked for
    Silent,       // the updater fell silent writing the device named
    NoAnswer,     // the library did not answer
    NoImage       // what could be written was; the device named has no firmware file
};

// The kinds of SigProgress(value, kind). The bar carries the percent in
// value; every other kind is an end view and carries the device code of
// the device it names (0: none).
enum ProgressKind {
    ProgressBar = 0,
    ProgressFailed = 1,            // the failure view of the settings page's run
    ProgressCompleted = 2,
    ProgressHideCancel = 3,
    ProgressHideCancelEmptyBar = 4,
    ProgressFailedAtHalf = 5,      // the failure view, the bar at 50
    ProgressRepairFailed = 6,      // the failure view of a repair, its action button as it is
    ProgressUnchanged = 7,
    ProgressWrongDevice = 8,
    ProgressSeveral = 9,
    ProgressAbsent = 10,
    ProgressSilent = 11,
    ProgressNoAnswer = 12,
    ProgressNoImage = 13
};

// The end view of an outcome (the settings page's run and a repair show a
// failure differently), and the outcome an end view shows.
int progressKindOf(RunOutcome outcome, bool settingsRun);
RunOutcome outcomeOfProgressKind(int kind);

// The run's view.
struct RunView {
    enum class Stage {
        Idle,       // nothing checked yet
        Offered,    // a check offers a run: the dialog asks for the confirmation
        Refused,    // a check, or a confirmation, found why nothing can start
        Running,    // from the confirmation to the end
        Ended       // the end view waits for the user
    };
    Stage stage = Stage::Idle;
    // The settings page's run: its confirmation goes through the page.
    bool settingsRun = false;
    int bar = 0;
    RunOutcome outcome = RunOutcome::None;
    int deviceCode = 0;      // the device the end view names
    UpdateReason reason = UpdateReason::None;   // why nothing can start
};

#endif // UPDATEVIEW_H

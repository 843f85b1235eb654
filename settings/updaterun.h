#ifndef UPDATERUN_H
#define UPDATERUN_H

// State of the settings page's firmware update runs, shared by the page,
// its check timers and the updater's events, per device code
// (kMouseDeviceCode, kReceiverDeviceCode). Every value here is written on the GUI thread only: the
// updater's events are queued there before they touch anything.

#include <QByteArray>
#include <QList>
#include <QString>

class QTimer;

// What became of a device's current step.
enum UpdateStepState {
    UpdateNotStarted = 0,   // or the device count was wrong
    UpdateRunning = 1,
    UpdateSucceeded = 2,
    UpdateFailed = 3,
    UpdateNothingNew = 4
};

extern int g_updateReceiverClass;    // 0, 1, 2, 4 or 8
extern int g_updateMid;              // Config.ini Drive<k>/MID of the selected device
extern int g_updatingDeviceCode;     // the step handed to the updater
extern int g_receiverUpdateState;    // UpdateStepState
extern int g_mouseUpdateState;
extern int g_updateImageCount;       // 2: receiver fills 0..50 % of the bar, mouse 50..100 %
extern QTimer *g_dongleCheckTimer;   // the page's, 1000 ms
extern QTimer *g_mouseCheckTimer;
extern int g_transitionMode;         // Config.ini Option/Transition
// The page's texts that the engine shows (page FormSetting of the language
// files); g_updateWarningText is the wired-mode text.
extern QString g_textNoRecieve, g_textNoUSB, g_textError, g_textMultiMouse, g_textMultiDongle;
// What the last re-pairing asked of the receivers.
extern unsigned char g_pairQueryOnline;
extern QByteArray g_receiverIdBytes;
// The image of the running step, whatever a search meanwhile chooses; its
// version is what the labels show when the step succeeds.
extern QByteArray g_updateRunningImage;
// Every image handed to the updater since it was last idle. The library
// reads an image while it writes it, and a step the watchdog ended may still
// be writing when the next one starts: the images are let go only once
// every start has been answered by its end event.
const QList<QByteArray> &imagesHeldForUpdater();
// Since the user started the update: the dialog has been told how it ended
// (success or failure view), and some step has flashed its device. A run
// that ends without telling the dialog still owes it an end.
extern bool g_updateEndShown;
extern bool g_updateFlashed;
// Shows the dialog an end view of the run (SigProgress(0, view): 2 the
// success view, 1 and 5 failure views) and marks the run's end as shown,
// so nothing later covers it.
void showUpdateEnd(int view);

// Hands the image to the updater for this device. The step's state and the
// device code are set first: an end event may follow at once.
void startUpdaterFor(int deviceCode, const QByteArray &image);
// True when the running step has heard nothing from the updater for longer
// than the watchdog allows; it is then ended as failed.
bool updateWatchdogExpired();
// The failure end of a step (the updater's, or the watchdog's): log, flags,
// failure view, failure record.
void failUpdateStep();
// The updater calls back on a thread of its own: the event's three bytes
// (kind, sub-kind, value) are copied and handed to `handler` on the GUI
// thread, in the order the updater sent them.
void queueUpdaterEvent(const unsigned char *event, void (*handler)(const QByteArray &));
// One event of the updater, on the GUI thread: kind 7; sub-kind 1 progress
// (value = percent), 2 end (value 1 = success).
void handleUpdateEvent(const QByteArray &event);

// How long a step may go without any event (default ten minutes).
void setUpdateWatchdogMs(qint64 ms);

// Puts the run state back to its start values (tests).
void resetUpdateRunState();

#endif // UPDATERUN_H

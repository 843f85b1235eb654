#ifndef HIDUSB_STATE_H
#define HIDUSB_STATE_H

// The one simulated bench and the helpers the C functions share. Every
// member is guarded by Bench::mutex; no callback is ever called while it is
// held, and no function waits for a library thread while holding it.

#include "sim_internal.h"

#include <atomic>

namespace hidsim {
namespace detail {

struct Server {
    bool active = false;
    std::string path;
    UsbServerEventCallback callback = nullptr;
    int generation = 0;
    bool lastReachable = false;
};

// How a write leaves its device.
enum class WriteEnd {
    NewFirmware,   // it restarts on the image
    UpdateMode,    // it waits in update mode
    OldFirmware,   // it restarts on the firmware it had (one that waited in
                   // update mode had none and waits on)
};

// How the next update of one device goes wrong.
struct UpdateFault {
    int failAt = -1;     // the write stops at this percentage (-1: it does not)
    bool silent = false; // no event after the start
    int holdMs = 0;      // the end event comes this much later (not scaled)
    // Where a write that reached 100 % ends: its check passes, or fails.
    WriteEnd verified = WriteEnd::NewFirmware;
    int comebackMs = 0;  // restarting, the device is off the bus this long (not scaled)
    int holdAt = -1;     // the write waits at this percentage until let go (-1: it does not)
    bool holdEnd = false; // written, the device runs the image; its end event waits until let go
};

// The write of one image. The run's number tells the steps queued for an
// earlier write, which a pulled device ended, that they are out of date.
struct Upgrade {
    bool running = false;
    int run = 0;
    std::string target;                // "boot:<id>", "mouse:<id>", "receiver:<id>"
    std::vector<std::string> devices;  // the ids a pulled plug ends it for
    Bytes header;                      // the image's header, kept for the end
    UsbUpgradeCallback callback = nullptr;
    bool silent = false;
    UpdateFault fault;                 // how this write goes wrong
    int heldAt = -1;                   // the percent it waits at behind the gate
    std::function<void()> resume;      // what follows once the gate lets it go
};

struct Bench {
    std::mutex mutex;
    bool initialized = false;
    std::string fixtureFile;
    std::string stateDir;
    bool stateDirSet = false;

    std::vector<Mouse> mice;
    std::vector<Receiver> receivers;
    std::vector<BootDevice> boots;

    Server server;
    UsbChangedCallback changeCallback = nullptr;
    int settleMs = 600;
    int changeSeq = 0;

    int failSends = 0;
    int failAnswers = 0;                            // queries that get no answer
    bool failPairing = false;
    int failUpdateAt = -1;                          // the next update of any device
    std::map<std::string, UpdateFault> updateFaults;   // the next update of a device, by its id
    Upgrade upgrade;                                // the write in progress
    bool stepGate = false;                          // every write waits after each progress report
    std::string heldEndOf;                          // the device whose end event waits (holdEnd)
    std::function<void()> heldEnd;                  // telling it, once let go
    int upgradeSerial = 0;
    std::map<std::string, int> updatesBegun;        // writes begun, by device id (kept by restart)
    std::vector<std::string> upgradeLog = std::vector<std::string>(8);

    int corruptReplies = 0;
    bool corruptEcho = false;
    std::string openPath;
    Bytes lastClock;
    int eventSeq = 0;
    int pcDriverStatus = 0;
    int batteryOptimize = 0;
};

// ---- The bench, its fixture and its state file (state.cpp) ----

Bench &bench();                // call only with the lock held or for .mutex
void ensureInit();             // lock held
Dispatcher &events();          // device events and pairing
Dispatcher &changes();         // device-change notices
Dispatcher &upgrades();        // firmware update steps
extern std::atomic<double> g_timeScale;

// Lock held. Fills the bench with the devices of its fixture file, or of the
// default bus when there is none or it cannot be read, each mouse with its
// factory flash; withState then loads the flash kept in the state file.
void buildBench(Bench &b, bool withState);
// $XDG_DATA_HOME/QuzmarSim, or ~/.local/share/QuzmarSim.
std::string defaultStateDir();
std::string stateFile(const Bench &b);

// ---- Device look-ups (lookup.cpp) ----

// The id of no receiver: a mouse paired with none.
const ReceiverId kNoReceiver{{0, 0, 0}};

// A mouse or receiver that runs its firmware: neither waiting in update
// mode nor away restarting after an update.
template <class Device>
bool runsFirmware(const Device &d)
{
    return !d.bootMode && !d.away;
}
// On the bus as itself: a receiver plugged in, or a mouse on its cable, that
// runs its firmware.
bool listed(const Receiver &r);
bool listed(const Mouse &m);
// The version a receiver's USB descriptor reports: a 1K receiver's is its
// firmware version, that of a receiver of any other class (Receiver::cls)
// its own.
int usbVersionOf(const Receiver &r);

// Lookups, lock held. Only listed devices are found by path.
Receiver *receiverByPath(const char *path);
Mouse *cableMouseByPath(const char *path);
Mouse *mouseById(const std::string &id);
Receiver *receiverById(const std::string &id);
BootDevice *bootById(const std::string &id);
// The mouse a receiver reaches: the one it was paired with last, while that
// mouse still carries its id and runs its firmware.
Mouse *mouseBehind(const Receiver &r);
// Lock held. The receiver is paired with the mouse: the mouse takes its id,
// and it reaches that mouse from now on.
void pairMouse(Receiver &r, Mouse &m);
// Lock held. A receiver that reaches no mouse carrying its id (a fixture or
// state file that names none) reaches the first mouse that carries it.
void choosePairedMice(Bench &b);
// The mouse that answers on this path (through the receiver or on the cable).
Mouse *answeringMouse(const char *path);
Mouse *serverMouse();
Receiver *serverReceiver();
std::string receiverPath(const Receiver &r);
std::string cablePath(const Mouse &m);
std::string bootPath(const BootDevice &b);
int receiverPid(int cls);
u8 receiverLink(int cls);

// ---- The flash and how changes go out (state.cpp) ----

Bytes currentImage(const Mouse &m);
void storeImage(Mouse &m, const u8 *image, int profile);

// Lock held. Saves the flash of every device to the state file.
void saveState();
// Lock held. The write in progress, if any, is cut: its device is left
// waiting in update mode, partly written, and no step of it follows.
void cutWrite();
// Lock held. A change of the bus: the device-change callback runs settleMs
// after the last change; a mouse the server lost and found again reports
// itself with event 9.
void busChanged();
// Lock held. Consume one injected send failure, or one injected query
// that gets no answer; true when this send or query fails.
bool sendFails();
bool answerFails();
// Lock held. A write waiting behind the step gate goes on.
void releaseHeldStep();
// Lock held. A write waiting at a step of the device (the mouse or receiver
// written, or the device in update mode that stands for none), or that
// device's end event waiting, goes on; false when nothing of it waits.
bool releaseHold(const std::string &id);
// Lock held. Sets a fault of the next update of a mouse, receiver or device
// in update mode; false for an unknown id.
bool setUpdateFault(const char *id, const std::function<void(UpdateFault &)> &set);
// Lock held. What waits now, as "<device> <percent>" or "<device> end"
// (empty: nothing), told to the command file's writer (tellHold()).
void noteHold();
// Lock held. The device (mouse, receiver or device in update mode) was
// pulled: the write to it, if any, ends as failed. True when one did.
bool pullEndsUpdate(const std::string &id);
// Lock held. The device in update mode that stands for a mouse or receiver.
BootDevice *standInFor(const std::string &id);

// Lock held. Queues an event for the running server. The payload maker runs
// on the event thread with the lock held; returning false drops the event
// (nobody answered).
void queueEvent(int delayMs, u8 event, u8 flag, u8 sub, std::function<bool(Bytes &)> payload);
void queueStatus(int delayMs, u8 statusBits);

// ---- Call records (simcontrol.cpp) ----

// Records one call of the library with its arguments (own lock).
void logCall(const std::string &text);
void logImage(const u8 *image);
std::string hexText(const u8 *p, int n);
std::string quoted(const char *s);

// ---- Command file (commandfile.cpp) ----

// Starts the thread that runs the commands of an outside process's command
// file; nothing for an empty name.
void startControlWatch(const std::string &file);
// Lock held. Writes what waits into the file beside the command file
// ("<command file>.held"), or removes it for an empty text: the writer of
// the commands learns that its hold has been reached.
void tellHold(const std::string &text);

} // namespace detail
} // namespace hidsim

#endif // HIDUSB_STATE_H

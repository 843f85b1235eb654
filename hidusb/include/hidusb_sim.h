#ifndef HIDUSB_SIM_H
#define HIDUSB_SIM_H

// Control of the simulated bench behind the device library, for tests and
// demos. The program itself never includes this header.
//
// Devices are named by their fixture ids ("R1", "M1", ...), see
// hidusb/README.md for the fixture format and the default bus.

#include "HIDUsb.h"

#include <string>
#include <vector>

namespace hidsim {

// ---- Bench ---------------------------------------------------------------------

// A factory-fresh bench: fixture file (null or empty: the environment's
// HIDUSB_SIM_FIXTURE, else the default bus), the state file erased, every
// callback, server, queued event, fault and log dropped. False when the
// fixture cannot be read (the default bus is used then).
HIDUSB_API bool reset(const char *fixtureFile = nullptr);
// As a new process would find it: memory dropped, the bench rebuilt from the
// current fixture and the mice's flash reloaded from the state file. A device
// being written is left partly written, waiting in update mode.
HIDUSB_API void restart();
// The folder of the state file (default: $XDG_DATA_HOME or
// ~/.local/share, + "/QuzmarSim"). Takes effect for later loads and saves.
HIDUSB_API void setStateDir(const char *dir);
HIDUSB_API std::string stateFilePath();

// Every delay of the simulated devices is multiplied by this (1.0 = real
// time, 0 = as fast as possible). Default 1.0, or HIDUSB_SIM_TIME_SCALE.
HIDUSB_API void setTimeScale(double scale);
HIDUSB_API double timeScale();

// Waits until no event, change notice or update step is queued or being
// delivered. Called on a thread that runs a Qt event loop, it keeps
// processing that loop's events while it waits. False on timeout.
HIDUSB_API bool waitIdle(int timeoutMs = 5000);
// The same for events and change notices alone, looked at more often: update
// steps may still be queued (an end event held back, for one).
HIDUSB_API bool waitBusIdle(int timeoutMs = 5000);

// ---- Devices -------------------------------------------------------------------

// The path of a receiver, of a mouse's cable connection, or of a device in
// update mode; empty when the id is unknown.
HIDUSB_API std::string pathOf(const char *id);
HIDUSB_API std::vector<std::string> deviceIds();
// Plugs or unplugs a receiver, a mouse's cable or a device in update mode.
HIDUSB_API bool plug(const char *id, bool plugged);
// A mouse switched on and in range of its receiver (or not).
HIDUSB_API bool setOnline(const char *mouseId, bool online);
HIDUSB_API bool setBattery(const char *mouseId, int level, bool charging);
// The user presses the mouse's DPI button: the current level moves on and
// the device reports a status change.
HIDUSB_API bool pressDpiButton(const char *mouseId);
HIDUSB_API int firmwareVersion(const char *id);   // mouse or receiver
// The version a receiver's USB descriptor reports: a 1K receiver's is its
// firmware version; a receiver of any other class (hidusb/README.md) tells
// its firmware version only when asked (UsbFinderC_GetSlaveVersion), and
// its USB version is its own (fixture key usbversion, default the firmware
// version it starts with), which a firmware update does not change. -1 for
// no receiver.
HIDUSB_API int usbVersion(const char *receiverId);
// A mouse or receiver left waiting in update mode by a failed update.
HIDUSB_API bool inUpdateMode(const char *id);
// A receiver plugged in, a mouse on its cable, a device in update mode
// plugged in (as plug() left it, or the fixture after a restart()); not a
// device away restarting after its update (slowComeback()).
HIDUSB_API bool attached(const char *id);
HIDUSB_API int currentProfile(const char *mouseId);
HIDUSB_API int longRangeMode(const char *receiverId);
HIDUSB_API bool dongleRgb(const char *receiverId, unsigned char out10[10]);
// The receiver id (3 bytes, online-buffer order) a mouse is paired with. A
// mouse keeps it when its receiver is paired with another mouse later, so
// several mice may carry one id.
HIDUSB_API std::vector<unsigned char> pairedReceiverId(const char *mouseId);
// The mouse a receiver reaches: the one it was paired with last, while that
// mouse still carries its id (empty: none).
HIDUSB_API std::string pairedMouse(const char *receiverId);
// The user pairs the receiver with the mouse (as the pairing dialog would):
// the mouse takes the receiver's id, and the receiver reaches it from now on.
HIDUSB_API bool pair(const char *receiverId, const char *mouseId);
HIDUSB_API std::vector<unsigned char> receiverId(const char *receiverId);
// Last date/time packet accepted by the device screen (empty if none).
HIDUSB_API std::vector<unsigned char> lastClockPacket();

// The 10,428-byte image a mouse holds (profile -1: the current one).
HIDUSB_API bool storedImage(const char *mouseId, unsigned char *out10428, int profile = -1);
HIDUSB_API bool setStoredImage(const char *mouseId, const unsigned char *image10428, int profile = -1);
// The factory image of a model.
HIDUSB_API void factoryImage(int mid, unsigned char *out10428);

// ---- Faults ----------------------------------------------------------------------

// The next n sends to a device (image, settings, receiver settings, raw
// packets) fail as if the transfer broke.
HIDUSB_API void failNextSends(int n);
// The next n answers to raw packets (UsbFinderC_ReadWriteDeviceData) reach
// the program damaged: with a wrong checksum, or with breakEcho a valid
// checksum over a changed echo of the packet (byte 3). The device itself
// took the packets.
HIDUSB_API void corruptNextReplies(int n, bool breakEcho = false);
// The next pairing run ends with failure.
HIDUSB_API void failNextPairing();
// The next update of any device fails when it reaches this percentage (-1:
// none).
HIDUSB_API void failUpdateAt(int percent);
// Faults of the next update of one device (a mouse, a receiver or a device in
// update mode, also when it is written in update mode for the mouse or
// receiver it stands for), each used up by that update; false for an
// unknown id:
// - it fails when its progress reaches percent (-1: it does not);
HIDUSB_API bool failUpdate(const char *deviceId, int percent);
// - it sends no event after its start (the device is written as usual);
HIDUSB_API bool silentUpdate(const char *deviceId, bool silent);
// - it is written as usual, but its end event comes ms later (real
//   milliseconds, not scaled by the time scale).
HIDUSB_API bool holdUpdate(const char *deviceId, int ms);
// - it is written to 100 % and then fails its verification: the end reports
//   failure, the log says "verify: failed", and the device either stays
//   waiting in update mode or, with restartsOld, restarts on the firmware it
//   had before (working, listed); a device that waited in update mode before
//   the write had no firmware to restart on and waits on;
HIDUSB_API bool failVerify(const char *deviceId, bool restartsOld);
// - it is written as usual, but after the write the device is off the bus
//   (neither listed nor in update mode nor attached(), its version
//   unreadable) for ms real milliseconds before it comes back at its new
//   version, a bus change each time (after a failed verification with
//   restartsOld, at its old version). A restart() meanwhile brings it back
//   at once.
HIDUSB_API bool slowComeback(const char *deviceId, int ms);
// Pulling a device (plug(id, false)) while it is written fails the write: an
// end event with failure, and the device waits in update mode. So does a
// restart() while it is written (no end event: the library has ended).

// While the gate is on, every write pauses after each progress report (the
// event already handed to the callback) until releaseUpdateStep(): a test
// acts at a moment inside a write at any time scale, 0 included. Off by
// default; reset() turns it off. updateStepHeld(): the percent the running
// write waits at, -1 when none waits.
HIDUSB_API void setUpdateStepGate(bool on);
HIDUSB_API int updateStepHeld();
HIDUSB_API void releaseUpdateStep();

// The next n answers of the query functions (UsbFinderC_GetUsbDeviceAttribute,
// UsbFinderC_GetDeviceInfo, UsbFinderC_GetVersion, UsbFinderC_GetSlaveVersion,
// UsbFinderC_GetDeviceOnLineWithUsbAddress, UsbUpgradeC_FindBootDevices) fail
// as if the device did not answer: zeros, false, no count written. Each call
// of one of them uses one up; reset() and restart() drop what is left.
HIDUSB_API void failNextAnswers(int n);

// ---- Records ---------------------------------------------------------------------

// Every library call with its arguments, e.g. "UsbServer_SetCurrentConfig(2)".
HIDUSB_API std::vector<std::string> calls();
HIDUSB_API int countCalls(const char *function);
// How many writes the updater has begun on a mouse or receiver (also while
// it waited in update mode) since the last reset(); restart() keeps them.
HIDUSB_API int updatesBegun(const char *id);
HIDUSB_API void clearCalls();
// A copy of every image handed to ProtocolDataUpdate, in order.
HIDUSB_API std::vector<std::vector<unsigned char>> sentImages();
HIDUSB_API void clearSentImages();

} // namespace hidsim

#endif // HIDUSB_SIM_H

#ifndef KEYHOOKLAYER_H
#define KEYHOOKLAYER_H

// Low-level keyboard hooks: procedures that see every key pressed or
// released in any window of the program before the window's widgets do,
// each reduced to a message and a record with the key's virtual-key code
// (the Windows key numbering the key-entry code is written against).
//
// Hooks form a chain, the latest installed first. The chain is fed by one
// application-wide event filter (installLowLevelKeyEventFilter()) that takes
// each key event where it reaches a window, so every native event is seen
// once, and never swallows it: the window's widgets still get every key.
//
// What the layer cannot see: keys the desktop grabs for itself (window
// switching, the screen lock and the like) and keys the toolkit consumes as
// a shortcut of the window in front never reach the program, so no hook
// hears them. Keys arrive only while a window of the program has the
// keyboard focus.
//
// GUI thread only.

#include <QtGlobal>
#include <qnamespace.h>

class QKeyEvent;

// Messages of a hook procedure.
constexpr quintptr kKeyMsgDown = 0x100;      // key pressed
constexpr quintptr kKeyMsgUp = 0x101;        // key released
constexpr quintptr kKeyMsgSysDown = 0x104;   // pressed with Alt held, or Alt or F10 itself
constexpr quintptr kKeyMsgSysUp = 0x105;     // released with Alt held

// The code with which the chain hands a procedure a real key event; a
// procedure acts on the record only for this code and passes every other
// code straight on.
constexpr int kKeyHookAction = 0;

// Virtual-key code of a key the layer has no number for.
constexpr quint32 kVirtualKeyUnknown = 0xFF;

struct LowLevelKeyRecord {
    quint32 vkCode = 0;     // virtual-key code
    quint32 scanCode = 0;   // the native scan code, 0 where there is none
    quint32 time = 0;       // event time in ms
};

// A hook procedure. It returns what callNextLowLevelKeyHook() returned.
typedef qintptr (*LowLevelKeyProc)(int code, quintptr message, const LowLevelKeyRecord *record);
typedef void *LowLevelKeyHook;

// Puts `proc` at the head of the chain. Returns its handle, or null for a
// null procedure. Also installs the event filter when an application object
// exists and it is not installed yet.
LowLevelKeyHook installLowLevelKeyHook(LowLevelKeyProc proc);
// Takes the hook out of the chain; false for a null or unknown handle. A
// hook removed while a key is being handed down the chain is skipped for
// the rest of that key.
bool removeLowLevelKeyHook(LowLevelKeyHook hook);
// Hands the key on to the next procedure of the chain and returns its
// result (0 at the end of the chain). The chain knows which procedure is
// running, so the handle may be stale or null (a procedure that removed its
// own hook still passes the key on).
qintptr callNextLowLevelKeyHook(LowLevelKeyHook hook, int code, quintptr message, const LowLevelKeyRecord *record);
// True while a window of the program has the keyboard focus: the window in
// front belongs to the GUI thread.
bool lowLevelKeyForegroundIsOurs();

// The application-wide event filter that feeds the chain. Installing it
// again does nothing.
void installLowLevelKeyEventFilter();

// ---- The way from a key event to the chain ---------------------------------
// Each step is public so that tests can drive the chain exactly as a real
// event does.

// The chain's entry: hands one key to every hook, latest first.
qintptr dispatchLowLevelKey(int code, quintptr message, const LowLevelKeyRecord &record);
// What the event filter does with a key event that reached a window:
// translates it and, unless it is dropped, dispatches it with code
// kKeyHookAction. `x11KeyCodes` says whether the event's native scan code
// is an X11 key code (the filter passes whether the platform gives those).
void deliverKeyEventToHooks(const QKeyEvent &event, bool x11KeyCodes);
// The translation alone: false for an event that is not delivered (the
// release half of an auto-repeat pair: a held key repeats key-downs only).
bool lowLevelKeyFromEvent(const QKeyEvent &event, bool x11KeyCodes, quintptr *message, LowLevelKeyRecord *record);
// Virtual-key code of an X11 key code by its position on a US keyboard
// (left and right modifiers told apart); keypad keys read the toolkit key
// to tell their Num Lock meaning from their cursor meaning. 0 for a key
// code the table has no position for.
quint32 virtualKeyFromX11KeyCode(quint32 keyCode, int qtKey);
// Virtual-key code from the toolkit's key and keypad modifier, for events
// without a scan code; shifted symbols give their US key ("!" gives "1").
quint32 virtualKeyFromQtKey(int qtKey, Qt::KeyboardModifiers modifiers);

#endif // KEYHOOKLAYER_H

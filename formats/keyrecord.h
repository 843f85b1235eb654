#ifndef KEYRECORD_H
#define KEYRECORD_H

// The key event as the device stores it, and the two records that hold
// such events: a button's 52-byte KeyParamRecord and the event area of a
// 592-byte macro block. Little-endian.
//
// KeyEvent, 8 bytes:
//   0      action: 0 press, 1 release
//   1      kind (KeyKind): 0 modifier bit, 1 keyboard usage, 2 consumer
//          usage, 4 mouse-button bit
//   2-3    code
//   4-7    delayMs: the pause after the event
//
// KeyParamRecord:
//   0      eventCount: 2 for one key or consumer key, 2n for n keys (n 1..3)
//   1-3    0
//   4..51  six KeyEvent slots; slots from eventCount on are zero
//
// A macro block's events stand from byte 32, 70 of them (macroblock.h).

#include "flashdatamap.h"

// How a code is read.
enum KeyKind {
    KeyKindModifier = 0,     // one bit of the modifier byte
    KeyKindKeyboard = 1,     // a keyboard usage (usage page 0x07)
    KeyKindConsumer = 2,     // a consumer usage (page 0x0C)
    KeyKindMouseButton = 4,  // one bit of the mouse-button byte
};

enum KeyAction { KeyActionPress = 0, KeyActionRelease = 1 };

constexpr int kKeyEventSize = 8;
constexpr int kKeyEventSlots = 6;
constexpr int kKeyEventsAt = 4;
// Every key record the program builds pauses 10 ms after each event.
constexpr int kKeyEventDelayMs = 10;

// Events of a 592-byte macro block: from byte 32 to its end.
constexpr int kMacroEventsAt = 32;
constexpr int kMacroEventSlots = (int(sizeof(MacroRecord)) - kMacroEventsAt) / kKeyEventSize;

struct KeyEvent {
    u8 action = 0;
    u8 kind = 0;
    quint16 code = 0;
    quint32 delayMs = 0;
};

// Slot 0..5 of a record; any other slot reads as an empty event and is not
// written.
KeyEvent keyEventAt(const KeyParamRecord &record, int slot);
void setKeyEvent(KeyParamRecord &record, int slot, const KeyEvent &event);

#endif // KEYRECORD_H

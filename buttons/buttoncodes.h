#ifndef BUTTONCODES_H
#define BUTTONCODES_H

// What a button does, as the device stores it: a 3-byte ButtonFunction and,
// for functions that send keys, a 52-byte KeyParamRecord of key events the
// device plays on a press. Every key-sending function is type 5 with code
// and parameter 0; the keys live only in the record.
//
// KeyParamRecord (little-endian):
//   0      eventCount: 2 for one key or consumer key, 2n for n keys (n 1..3)
//   1-3    0
//   4..51  six KeyEvent slots of 8 bytes; slots from eventCount on are zero
// KeyEvent:
//   0      action: 0 press, 1 release
//   1      kind (KeyKind): 0 modifier bit, 1 keyboard usage, 2 consumer usage
//   2-3    code
//   4-7    delayMs: 10 in every record the program builds

#include "flashdatamap.h"

#include <QString>
#include <QVector>
#include <optional>

constexpr int kKeyEventSlots = 6;
constexpr int kKeyEventDelayMs = 10;
constexpr int kMaxCombinationKeys = 3;
constexpr u8 kKeyRecordFunctionType = 5;

// Events of a 592-byte macro block: 8 bytes each from byte 32.
constexpr int kMacroEventsAt = 32;
constexpr int kMacroEventSize = 8;
constexpr int kMacroEventSlots = (int(sizeof(MacroRecord)) - kMacroEventsAt) / kMacroEventSize;

enum KeyAction { KeyActionPress = 0, KeyActionRelease = 1 };

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

#endif // BUTTONCODES_H

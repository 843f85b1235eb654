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
#include <QStringList>
#include <QVector>
#include <optional>

constexpr int kKeyEventSlots = 6;
constexpr int kKeyEventDelayMs = 10;
constexpr int kMaxCombinationKeys = 3;
// The type byte of a ButtonFunction. Type 6, a macro, is in macroblock.h.
constexpr u8 kDisabledFunctionType = 0;
constexpr u8 kMouseFunctionType = 1;       // code: the mouse-button bit
constexpr u8 kDpiFunctionType = 2;         // code: 1 cycle, 2 up, 3 down
constexpr u8 kWheelFunctionType = 3;       // code: 1 up, 2 down
constexpr u8 kRapidFireFunctionType = 4;   // code: interval, parameter: count
constexpr u8 kKeyRecordFunctionType = 5;
constexpr u8 kPollingRateFunctionType = 7;
constexpr u8 kFixedDpiFunctionType = 10;   // code: DpiButtonValue (sensorcodes.h)

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

// ---- Consumer keys ---------------------------------------------------------

// The sixteen media and application keys. The low byte names a key
// uniquely; `text` is its menu action's text until a language is applied.
struct ConsumerKey {
    u8 low;
    quint16 usage;
    const char *text;
};
const QVector<ConsumerKey> &consumerKeys();
// The row of a low byte, or null.
const ConsumerKey *consumerKeyOf(int usageLow);

// The consumer record of usage high * 256 + low: press and release of that
// usage (kind 2), delay 10, event count 2.
KeyParamRecord KeyParamRecordInit(u8 usageHigh, u8 usageLow);

// ---- Key combinations ------------------------------------------------------

// The record of a combination text (one to three names joined by "+"): the
// presses in text order, then the releases in reverse order; an empty part
// or an unknown name is keyboard code 0. A text of more than three parts
// does not fit the six event slots and gives no record: its later parts
// would spill into the next button's record.
std::optional<KeyParamRecord> SplitKeyCombination(const QString &text);

// ---- Writing a button ------------------------------------------------------

// The function of every key-sending button: play its key record.
constexpr ButtonFunction kKeyRecordFunction = {kKeyRecordFunctionType, 0, 0};

// Gives device button 0..5 the consumer key of `usageLow` through the
// device setter (function 5,0,0 and the key's record, one send). Returns
// the key's row once the device took it; null when the byte names no key,
// the button is out of range or the device is offline (then nothing is
// stored). The page then stores the function and labels the button.
const ConsumerKey *writeConsumerKey(int button, int usageLow);

// The same for a combination text; false when the button is out of range,
// the text has more than three parts or the device is offline.
bool writeCombinationKey(int button, const QString &text);

// ---- Default key functions of the product configuration --------------------

// What a KeyParam<n> list of a device group says about button n-1 when its
// macro goes away.
struct KeyParamDefault {
    enum Kind {
        MouseDefault,   // no key record default: the button's mouse function
        Consumer,       // "0x05", x, low byte (hexadecimal, "0x" optional)
        Combination,    // "0x05", x, x, combination text
        NoChange,       // "0x05" in a list of another length
    };
    Kind kind = MouseDefault;
    int usageLow = 0;
    QString text;
};
// A missing or empty list is MouseDefault.
KeyParamDefault keyParamDefault(const QStringList &list);

#endif // BUTTONCODES_H

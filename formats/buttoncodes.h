#ifndef BUTTONCODES_H
#define BUTTONCODES_H

// What a button does, as the device stores it: a 3-byte ButtonFunction and,
// for functions that send keys, a 52-byte KeyParamRecord of key events the
// device plays on a press (its layout in keyrecord.h). Every key-sending
// function is type 5 with code and parameter 0; the keys live only in the
// record.

#include "keyrecord.h"

#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>

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

// The function of every key-sending button: play its key record.
constexpr ButtonFunction kKeyRecordFunction = {kKeyRecordFunctionType, 0, 0};

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

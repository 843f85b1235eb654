#ifndef MACROROW_H
#define MACROROW_H

// One event of a macro as the editors hold it, and the loop mode. The same
// rows are written to the macro file, to the device block and to the
// exchange file, and read back from each of them.

#include <QString>
#include <QVector>

// Loop modes: the first line of a macro file and the parameter of a macro
// button's function. Anything else is a repeat count.
constexpr int kLoopUntilPressedAgain = 253;
constexpr int kLoopUntilReleased = 254;
constexpr int kLoopUntilAnyKey = 255;
constexpr int kMaxRepeatCount = 250;

// Kinds of a macro key: what its code means.
constexpr int kMacroKindModifier = 0;   // a bit of the HID modifier byte
constexpr int kMacroKindKey = 1;        // a HID keyboard usage
constexpr int kMacroKindMouse = 4;      // a bit of the HID mouse-button byte

// The delay a new row shows: "10ms". A function, so rows made by static
// initialisers elsewhere never copy it before it exists.
inline QString defaultDelayText()
{
    return QStringLiteral("10ms");
}

struct MacroRow {
    QString name;                      // a key name or a mouse-button name, as shown
    int code = 0;                      // what the name stood for when the row was made;
    int kind = kMacroKindKey;          // a row keeps them when the names change language
    bool release = false;              // false: key down, true: key up
    QString delay = defaultDelayText(); // the delay after the event, as shown

    bool operator==(const MacroRow &o) const
    {
        return name == o.name && code == o.code && kind == o.kind && release == o.release && delay == o.delay;
    }
    bool operator!=(const MacroRow &o) const { return !(*this == o); }
};
typedef QVector<MacroRow> MacroRows;

// The row that goes with `row` as the other half of one key stroke: for a
// key down, the next key up of the same key (code and kind) after it; for a
// key up, the nearest key down of that key before it. -1 when there is none
// or `row` is outside the rows. A key given to both rows of a pair keeps a
// macro that lets go of every key it presses doing so.
int pairedEventRow(const MacroRows &rows, int row);

// The milliseconds of a delay text: every "ms" removed, the rest read as a
// decimal number; 0 when it is not one.
quint32 macroDelayMs(const QString &delayText);
// The delay text of a number of milliseconds: 235 gives "235ms".
QString macroDelayText(quint32 ms);

// The loop mode a macro file's first word stands for: 253, 254 and 255 as
// they are, a repeat count of 1 to 250 as it is, anything else 1.
int macroLoopMode(const QString &loopText);

#endif // MACROROW_H

#ifndef MACRORECORDER_H
#define MACRORECORDER_H

// What a recording makes of the keys the hook reports, without widgets:
// which key events become rows, the time between them and the end at the
// 70th row. The editor appends the rows and writes the delays.
//
// A held key repeats its key-down: only the first one counts. Keys are told
// apart by code, so rolling from one key to the next keeps every press; a
// release always counts, even of a key held before the recording began.
// Each counted event after the first gives the previous row the time since
// the event before it. A key without a macro name adds no row, and the time
// from it to the next key is not measured.

#include "macrorow.h"

#include <QSet>
#include <QtGlobal>

#include <functional>

struct MacroRecordStep {
    bool delay = false;        // the previous row gets a delay
    qint64 elapsedMs = 0;      // the time since the previous event
    bool row = false;          // a row to append
    MacroRow key;              // its key, down or up
    bool limitReached = false; // that row is the last one: recording ends
};

class MacroRecorder
{
public:
    // The clock delays are measured with, in milliseconds; null is the
    // system's steady clock. Tests give their own.
    void setClock(std::function<qint64()> clock);

    void start();
    // Ends a recording; the next key only starts the clock.
    void stop();
    bool running() const { return m_running; }

    // One key event from the hook: virtual-key code and down or up.
    MacroRecordStep keyEvent(int virtualKey, bool down);

private:
    qint64 now() const;

    std::function<qint64()> m_clock;
    bool m_running = false;
    bool m_firstEvent = true;   // the next counted key starts the clock
    int m_rows = 0;
    QSet<int> m_held;           // keys down now
    qint64 m_mark = 0;          // when the last counted key came
};

#endif // MACRORECORDER_H

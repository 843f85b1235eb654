#ifndef MACRORECORDER_H
#define MACRORECORDER_H

// What a recording makes of the keys the hook reports, without widgets:
// which key events become rows, the time between them and the end at the
// 70th row. The editor appends the rows and writes the delays.
//
// A held key repeats its key-down: only the first one counts. Each counted
// event after the first gives the previous row the time since the event
// before it. A key without a macro name adds no row, and the time from it
// to the next key is not measured.

#include "macrorow.h"

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
    // Milliseconds of a monotonic clock; tests give their own.
    typedef std::function<qint64()> Clock;
    MacroRecorder();
    explicit MacroRecorder(Clock clock);

    void start();
    void stop();
    bool running() const { return m_running; }
    int rowCount() const { return m_rows; }

    // One key event from the hook: virtual-key code and down or up. While
    // not recording, only the clock restarts.
    MacroRecordStep keyEvent(int virtualKey, bool down);

private:
    Clock m_clock;
    bool m_running = false;
    bool m_firstEvent = true;
    int m_lastKey = -1;
    int m_rows = 0;
    qint64 m_since = 0;
};

#endif // MACRORECORDER_H

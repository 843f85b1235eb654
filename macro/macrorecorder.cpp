#include "macrorecorder.h"

#include "macroblock.h"
#include "macrokeys.h"

#include <QElapsedTimer>

namespace {
qint64 monotonicMs()
{
    static QElapsedTimer clock;
    if (!clock.isValid())
        clock.start();
    return clock.elapsed();
}
} // namespace

MacroRecorder::MacroRecorder() : MacroRecorder(monotonicMs) {}

MacroRecorder::MacroRecorder(Clock clock) : m_clock(std::move(clock)) {}

void MacroRecorder::start()
{
    m_running = true;
    m_firstEvent = true;
    m_lastKey = -1;
    m_rows = 0;
}

void MacroRecorder::stop()
{
    m_running = false;
    m_lastKey = -1;
    m_rows = 0;
}

MacroRecordStep MacroRecorder::keyEvent(int virtualKey, bool down)
{
    MacroRecordStep step;
    if (!m_running) {
        m_since = m_clock();
        return step;
    }
    // A held key repeats its key-down; its release always counts.
    if (virtualKey == m_lastKey) {
        if (down)
            return step;
        m_lastKey = 0;
    } else {
        m_lastKey = virtualKey;
    }
    const qint64 now = m_clock();
    if (m_firstEvent) {
        m_firstEvent = false;
    } else {
        step.delay = true;
        step.elapsedMs = now - m_since;
    }
    m_since = now;
    if (!recordedRow(virtualKey, down, &step.key)) {
        // The time from a key without a name to the next one is not known.
        m_firstEvent = true;
        return step;
    }
    step.row = true;
    if (++m_rows == kMacroMaxEvents) {
        step.limitReached = true;
        m_running = false;
        m_rows = 0;
    }
    return step;
}

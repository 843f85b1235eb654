#include "macrorecorder.h"

#include "macroblock.h"
#include "macrokeys.h"

#include <chrono>

void MacroRecorder::setClock(std::function<qint64()> clock)
{
    m_clock = std::move(clock);
}

qint64 MacroRecorder::now() const
{
    if (m_clock)
        return m_clock();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void MacroRecorder::start()
{
    m_running = true;
    m_firstEvent = true;
    m_rows = 0;
    m_held.clear();
}

void MacroRecorder::stop()
{
    m_running = false;
    m_rows = 0;
    m_held.clear();
}

MacroRecordStep MacroRecorder::keyEvent(int virtualKey, bool down)
{
    MacroRecordStep step;
    if (!m_running) {
        m_mark = now();
        return step;
    }
    if (down) {
        if (m_held.contains(virtualKey))
            return step;
        m_held.insert(virtualKey);
    } else {
        m_held.remove(virtualKey);
    }
    const qint64 at = now();
    if (m_firstEvent) {
        m_firstEvent = false;
    } else {
        step.delay = true;
        step.elapsedMs = at - m_mark;
    }
    m_mark = at;
    if (!recordedRow(virtualKey, down, &step.key)) {
        m_firstEvent = true;
        return step;
    }
    step.row = true;
    if (++m_rows == kMacroMaxEvents) {
        step.limitReached = true;
        stop();
    }
    return step;
}

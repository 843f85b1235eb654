#include "macrorow.h"

quint32 macroDelayMs(const QString &delayText)
{
    QString digits = delayText;
    digits.remove(QStringLiteral("ms"));
    bool ok = false;
    const quint32 ms = digits.toUInt(&ok, 10);
    return ok ? ms : 0;
}

QString macroDelayText(quint32 ms)
{
    return QString::number(ms) + QStringLiteral("ms");
}

int macroLoopMode(const QString &loopText)
{
    bool ok = false;
    const int mode = loopText.toInt(&ok, 10);
    if (!ok)
        return 1;
    if (mode == kLoopUntilPressedAgain || mode == kLoopUntilReleased || mode == kLoopUntilAnyKey)
        return mode;
    return mode >= 1 && mode <= kMaxRepeatCount ? mode : 1;
}

int pairedEventRow(const MacroRows &rows, int row)
{
    if (row < 0 || row >= rows.size())
        return -1;
    const MacroRow &event = rows.at(row);
    const int step = event.release ? -1 : 1;
    for (int i = row + step; i >= 0 && i < rows.size(); i += step) {
        const MacroRow &other = rows.at(i);
        if (other.release != event.release && other.code == event.code && other.kind == event.kind)
            return i;
    }
    return -1;
}

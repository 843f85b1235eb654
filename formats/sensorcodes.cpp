#include "sensorcodes.h"

#include "programservices.h"

#include <QFile>
#include <QtGlobal>

QString g_sensorName;
QStringList g_sensorDefineNames;
QVector<int> g_sensorDefineValues;

int g_dpiRangeCount = 0;
int g_dpiRangeType = 0;
QVector<int> g_dpiRangeLows;
QVector<int> g_dpiRangeHighs;
QVector<QString> g_dpiRangeTexts(3 * kMaxDpiRanges);

namespace {

// Definition lines of the sensor's option switches, not of DPI codes.
const char *const kOptionSwitches[] = {
    "SUPPORT_SENSOR_MODE_SEL", "SUPPORT_LOD_CAL", "SUPPORT_RIPPLE",
    "SUPPORT_FIXLINE", "SUPPORT_MOTION_SYNC", "SUPPORT_MOUSEPAD_CAL",
};

bool isOptionSwitch(const QString &text)
{
    for (const char *name : kOptionSwitches) {
        if (text.contains(QLatin1String(name)))
            return true;
    }
    return false;
}

// The only sensors whose linear codes carry bits 8 and 9 in the flag byte.
bool hasTenBitCodes()
{
    return g_sensorName == QLatin1String("3395") || g_sensorName == QLatin1String("3950");
}

QString codeTableKey()
{
    return QStringLiteral("SENSOR_") + g_sensorName + QStringLiteral("_DPI");
}

// The code of DPI value n in the sensor's table, or -1.
int tableCodeOf(int n)
{
    const QString name = codeTableKey() + QLatin1Char('_') + QString::number(n);
    const int i = g_sensorDefineNames.indexOf(name);
    return i >= 0 && i < g_sensorDefineValues.size() ? g_sensorDefineValues.at(i) : -1;
}

// The DPI value of a code in the sensor's table: the number after
// "SENSOR_<model>_DPI_" of the first line with that code; 0 when no line
// has it; -1 when the sensor has no table at all.
int tableDpiOf(int code)
{
    const QString key = codeTableKey();
    bool anyLine = false;
    for (int i = 0; i < g_sensorDefineNames.size() && i < g_sensorDefineValues.size(); ++i) {
        const QString &name = g_sensorDefineNames.at(i);
        const int at = name.indexOf(key);
        if (at < 0)
            continue;
        anyLine = true;
        if (g_sensorDefineValues.at(i) != code)
            continue;
        int dpi = 0;
        for (int j = at + key.size() + 1; j < name.size() && name.at(j).isDigit() && dpi < 10000000; ++j)
            dpi = dpi * 10 + name.at(j).digitValue();
        return dpi;
    }
    return anyLine ? 0 : -1;
}

// Values beyond int, from products of product data, stay within int.
int clampToInt(qint64 v)
{
    return int(qBound<qint64>(INT_MIN, v, INT_MAX));
}

} // namespace

// ---- Sensor definitions ------------------------------------------------------

SensorDefines parseSensorDefines(const QByteArray &bytes)
{
    SensorDefines out;
    for (QByteArray raw : bytes.split('\n')) {
        if (raw.endsWith('\r'))
            raw.chop(1);
        QString line = QString::fromUtf8(raw);
        const int comment = line.indexOf(QLatin1String("//"));
        if (comment >= 0)
            line.truncate(comment);
        const QStringList parts = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (parts.size() != 2 || parts.at(0) != QLatin1String("#define") || isOptionSwitch(parts.at(1)))
            continue;
        const QStringList fields = parts.at(1).split(QLatin1Char('\t'), Qt::SkipEmptyParts);
        if (fields.size() != 2)
            continue;
        const QString &value = fields.at(1);
        out.names << fields.at(0);
        out.values << (value.contains(QLatin1String("0x")) ? value.toInt(nullptr, 16) : value.toInt());
    }
    return out;
}

void loadSensorDefines()
{
    QFile file(ProgramServices::programDir() + QStringLiteral("/driver_sensor.h"));
    SensorDefines defines;
    if (file.open(QIODevice::ReadOnly))
        defines = parseSensorDefines(file.readAll());
    g_sensorDefineNames = defines.names;
    g_sensorDefineValues = defines.values;
}

// ---- DPI ranges ----------------------------------------------------------------

DpiRangeTable parseDpiRanges(const QStringList &list)
{
    DpiRangeTable table;
    if (list.isEmpty())
        return table;
    table.type = list.last().toInt(nullptr, 16);
    const int count = (list.size() - 1) / 3;
    if (count < 1 || count > kMaxDpiRanges)
        return table;
    for (int r = 0; r < count; ++r) {
        DpiRange range;
        range.lowText = list.at(3 * r);
        range.highText = list.at(3 * r + 1);
        range.stepText = list.at(3 * r + 2);
        range.low = range.lowText.toInt();
        range.high = range.highText.toInt();
        range.step = range.stepText.toInt();
        table.ranges << range;
    }
    return table;
}

void setDpiRanges(const DpiRangeTable &table)
{
    g_dpiRangeType = table.type;
    g_dpiRangeCount = qMin(table.ranges.size(), kMaxDpiRanges);
    g_dpiRangeLows.clear();
    g_dpiRangeHighs.clear();
    g_dpiRangeTexts = QVector<QString>(3 * kMaxDpiRanges);
    for (int r = 0; r < g_dpiRangeCount; ++r) {
        const DpiRange &range = table.ranges.at(r);
        g_dpiRangeTexts[3 * r] = range.lowText;
        g_dpiRangeTexts[3 * r + 1] = range.highText;
        g_dpiRangeTexts[3 * r + 2] = range.stepText;
        g_dpiRangeLows << range.low;
        g_dpiRangeHighs << range.high;
    }
}

DpiRangeTable currentDpiRanges()
{
    QStringList list;
    const int count = qBound(0, g_dpiRangeCount, kMaxDpiRanges);
    for (int i = 0; i < 3 * count && i < g_dpiRangeTexts.size(); ++i)
        list << g_dpiRangeTexts.at(i);
    list << QString::number(g_dpiRangeType, 16);
    return parseDpiRanges(list);
}

void resetSensorTables()
{
    g_sensorName.clear();
    g_sensorDefineNames.clear();
    g_sensorDefineValues.clear();
    setDpiRanges(DpiRangeTable());
}

// ---- Snapping and stepping -------------------------------------------------------

DpiSnap snapToDpiRange(int dpi, const DpiRangeTable &table)
{
    const QVector<DpiRange> &r = table.ranges;
    for (int k = 0; k < r.size(); ++k) {
        if (dpi >= r[k].low && dpi <= r[k].high) {
            if (r[k].step <= 0)
                return {dpi, 0};
            const qint64 steps = (qint64(dpi) - r[k].low) / r[k].step;
            return {clampToInt(r[k].low + steps * r[k].step), r[k].step};
        }
        if (k + 1 < r.size() && dpi > r[k].high && dpi < r[k + 1].low)
            return {r[k + 1].low, qMax(0, r[k + 1].step)};
    }
    return {dpi, 0};
}

int dpiStepUp(int dpi, const DpiRangeTable &table)
{
    const QVector<DpiRange> &r = table.ranges;
    const int n = r.size();
    for (int j = 0; j < n; ++j) {
        if (j > 0 && dpi >= r[j - 1].high && dpi < r[j].low)
            return r[j].low;
        const bool last = j == n - 1;
        if (dpi >= r[j].low && (last ? dpi <= r[j].high : dpi < r[j].high))
            return clampToInt(qint64(dpi) + r[j].step);
    }
    return dpi;
}

int dpiStepDown(int dpi, const DpiRangeTable &table)
{
    const QVector<DpiRange> &r = table.ranges;
    for (int j = 0; j < r.size(); ++j) {
        if (j > 0 && dpi > r[j - 1].high && dpi < r[j].low)
            return r[j].low;
        if (dpi >= r[j].low && dpi <= r[j].high) {
            const qint64 down = qint64(dpi) - r[j].step;
            // Below a range's lowest value lies the gap, which snapping
            // would lift straight back: go on to the range below instead.
            if (j > 0 && down < r[j].low)
                return r[j - 1].high;
            return clampToInt(down);
        }
    }
    return dpi;
}

// ---- DPI codes -----------------------------------------------------------------

bool sensorHasCodeTable()
{
    const QString key = codeTableKey();
    for (const QString &name : g_sensorDefineNames) {
        if (name.contains(key))
            return true;
    }
    return false;
}

DpiLevelCode encodeDpiLevel(int dpi, u8 currentFlags)
{
    const int fallbackStep = (currentFlags & 0x22) ? 100 : 50;
    const int fallback = dpi / fallbackStep;

    int flags = 0;
    int m = 1;
    const int count = qMin(g_dpiRangeCount, qMin(g_dpiRangeLows.size(), g_dpiRangeHighs.size()));
    if (g_dpiRangeType == 0x33) {
        static const int rangeFlags[4] = {0x00, 0x22, 0x11, 0x33};
        static const int rangeUnits[4] = {1, 2, 2, 4};
        for (int r = count - 1; r >= 0; --r) {
            if (dpi >= g_dpiRangeLows.at(r)) {
                flags = rangeFlags[qMin(r, 3)];
                m = rangeUnits[qMin(r, 3)];
                break;
            }
        }
    } else if (g_dpiRangeType == 0x22 || g_dpiRangeType == 0x11) {
        // With no range there is no bound to pass: the base unit.
        if (count >= 1 && dpi > g_dpiRangeHighs.at(0)) {
            flags = g_dpiRangeType;
            m = 2;
        }
    }

    int code;
    if (sensorHasCodeTable()) {
        const int found = tableCodeOf(dpi / m);
        code = found >= 0 ? found : fallback;
    } else {
        // A value past what the code holds would wrap around to a far
        // smaller DPI: keep it at the largest (or smallest) code instead.
        const int maxCode = hasTenBitCodes() ? 0x3FF : 0xFF;
        code = qBound(0, dpi / (50 * m) - 1, maxCode);
        if (hasTenBitCodes()) {
            const int h = code >> 8;
            flags |= (h << 2) | (h << 6);
        }
    }
    return {u8(code & 0xFF), u8(flags & 0xFF)};
}

int decodeDpiLevel(u8 code, u8 flags)
{
    int dpi = tableDpiOf(code);
    if (dpi > 0 && (flags & 0x22))
        dpi *= 2;
    if (dpi < 0) {
        int c = code;
        if (hasTenBitCodes())
            c |= (flags & 0xC0) << 2;
        dpi = (c + 1) * ((flags & 0x22) ? 100 : 50);
    }
    if (flags & 0x11)
        dpi *= 2;
    return dpi;
}

unsigned int DpiButtonValue(int dpi)
{
    if (sensorHasCodeTable()) {
        const int found = tableCodeOf(dpi);
        return unsigned(found >= 0 ? found : dpi / 100);
    }
    return unsigned(dpi / 100 - 1);
}

int fixedDpiOfCode(int code)
{
    const int dpi = tableDpiOf(code);
    return dpi >= 0 ? dpi : (code + 1) * 100;
}

// ---- Polling rate and sleep time -----------------------------------------------

int reportRateIndexOf(int code)
{
    for (int i = 0; i < 7; ++i) {
        if (kReportRateCodes[i] == code)
            return i;
    }
    return -1;
}

int sleepIndexOf(int seconds)
{
    for (int i = 0; i < 6; ++i) {
        if (kSleepSeconds[i] == seconds)
            return i;
    }
    return -1;
}

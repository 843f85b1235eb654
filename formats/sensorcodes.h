#ifndef SENSORCODES_H
#define SENSORCODES_H

// The mouse keeps its DPI levels as sensor codes, not as DPI values. How a
// value becomes a code depends on the selected sensor: some sensors have a
// table of codes in the program folder's "driver_sensor.h", the others use
// a linear code in units of 50 DPI, doubled or quadrupled in the higher DPI
// ranges of the device. This file holds the tables that describe the
// selected device (filled on the GUI thread: the definitions once, the
// sensor and its DPI ranges on every refresh of the button page), the
// conversions between DPI values and codes both ways, the snapping of a
// DPI value to the device's ranges that both DPI pages use, and the
// device's polling-rate and sleep-time choices.
//
// A level's three code bytes: byte 0 and byte 1 the low 8 bits of the code,
// byte 2 the flags, each pair of bits set together so both nibbles agree:
//   0x11  the decoded value is doubled
//   0x22  the unit is 100 DPI instead of 50
//   0x0C and 0xC0  bits 8 and 9 of the code, only for the sensors "3395"
//                  and "3950" without a code table (codes up to 1023)

#include "flashdatamap.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

// ---- Sensor definitions ------------------------------------------------------

// The sensor of the chosen device ("3395", ...), as its Drive group names it;
// the button page sets it on every refresh.
extern QString g_sensorName;

// The definition lines of "driver_sensor.h", in file order: names and their
// values side by side. Only "SENSOR_<model>_DPI_<n>" lines matter: DPI n of
// that sensor model has the line's code.
extern QStringList g_sensorDefineNames;
extern QVector<int> g_sensorDefineValues;

struct SensorDefines {
    QStringList names;
    QVector<int> values;
};
// Reads lines "#define" blank NAME tab VALUE, with an optional "//"
// comment; VALUE is hexadecimal when it holds "0x", else decimal (0 when it
// is no number). Lines ending in LF, CR LF or nothing are all taken. Lines
// of the sensor option switches (SUPPORT_...) and any other line are skipped.
SensorDefines parseSensorDefines(const QByteArray &bytes);
// Fills the two tables from the program folder's file; a missing file
// leaves them empty.
void loadSensorDefines();

// ---- DPI ranges of the selected device --------------------------------------

// The DPI values a level can be given at all, whatever the device: the value
// box, the wheel over it and the slider before the device's ranges are
// known keep within them.
constexpr int kLowestDpi = 10;
constexpr int kHighestDpi = 32000;

constexpr int kMaxDpiRanges = 4;

// The product configuration's "DPIRange" list: one to four triples (lowest
// DPI, highest DPI, slider step, decimal texts), then the range type in
// hexadecimal (0x11, 0x22 and 0x33 select the higher units).
struct DpiRange {
    QString lowText, highText, stepText;
    int low = 0, high = 0, step = 0;
};
struct DpiRangeTable {
    int type = 0;
    QVector<DpiRange> ranges;   // none unless the list held one to four triples
};
DpiRangeTable parseDpiRanges(const QStringList &list);

// The tables of the selected device. The range count is 0 unless the
// product data hold one to four ranges, so the bounds below always exist
// for every counted range. g_dpiRangeTexts are the low, high and step texts
// of ranges 1 to 4 (twelve texts, empty past the count).
extern int g_dpiRangeCount;
extern int g_dpiRangeType;
extern QVector<int> g_dpiRangeLows;
extern QVector<int> g_dpiRangeHighs;
extern QVector<QString> g_dpiRangeTexts;

void setDpiRanges(const DpiRangeTable &table);
// The tables above as one value, for the DPI pages' snapping and stepping.
DpiRangeTable currentDpiRanges();
// Sensor name, definitions and ranges back to their start values.
void resetSensorTables();

// ---- Snapping and stepping along the ranges ----------------------------------

struct DpiSnap {
    int dpi;
    int pageStep;   // the slider's page step for the range, 0: leave it
};
// Fits a DPI value to the ranges, first match in ascending order: inside a
// range it goes down to that range's grid (counted from the range's lowest
// DPI, so it never falls below it); in the gap after a range it goes up to
// the next range's lowest DPI. Below the first range, above the last, with
// no ranges or in a range whose step is not positive it stays as it is.
DpiSnap snapToDpiRange(int dpi, const DpiRangeTable &table);
// The DPI plus and minus buttons: one step along the ranges. Plus at a
// range's highest DPI goes to the next range's lowest; minus at a range's
// lowest goes to the previous range's highest. The result is then set on
// the slider, which clamps and snaps it.
int dpiStepUp(int dpi, const DpiRangeTable &table);
int dpiStepDown(int dpi, const DpiRangeTable &table);

// ---- DPI codes ---------------------------------------------------------------

// True when "driver_sensor.h" holds codes for g_sensorName.
bool sensorHasCodeTable();

struct DpiLevelCode {
    u8 code;    // bytes 0 and 1 of the level
    u8 flags;   // byte 2
};
// The code of a level's DPI for the selected sensor and ranges.
// currentFlags is the level's flag byte before the write: a table sensor
// without an entry for the value falls back to the value in that unit.
DpiLevelCode encodeDpiLevel(int dpi, u8 currentFlags);
// The DPI value a level's code bytes 0 and 2 stand for (0 for a table
// sensor whose table does not hold the code).
int decodeDpiLevel(u8 code, u8 flags);
// LookupSensorDpi, which writes a level's code to the device, is a device
// operation (devicesetters.h).

// The code byte of a fixed-DPI button function (type 10): the table's code,
// else dpi / 100 - 1. The device takes the low 8 bits.
unsigned int DpiButtonValue(int dpi);
// The DPI a fixed-DPI code stands for, for the button label: the inverse of
// DpiButtonValue (0 for a table sensor whose table does not hold the code).
int fixedDpiOfCode(int code);

// ---- Polling rate and sleep time -----------------------------------------------

// The polling-rate codes of the rate choice, index 0..6: 125, 250, 500,
// 1000, 2000, 4000 and 8000 Hz.
constexpr int kReportRateCodes[7] = {0x08, 0x04, 0x02, 0x01, 0x10, 0x20, 0x40};
// The sleep times of the sleep choice in seconds, index 0..5; the device
// keeps them in units of 10 s.
constexpr int kSleepSeconds[6] = {10, 30, 60, 300, 600, 1800};
// The index of a code or time in its choice, -1 for any other value.
int reportRateIndexOf(int code);
int sleepIndexOf(int seconds);

#endif // SENSORCODES_H

#ifndef POINTERSETTINGS_H
#define POINTERSETTINGS_H

// The system's own pointer settings, with the meanings a Windows desktop
// gives them: the acceleration triple of the mouse (two thresholds and the
// acceleration, which is 0 off and 1 for "enhance pointer precision"), the
// pointer speed 1 to 20, the wheel's scroll lines (or a page at a time) and
// the double-click time.
//
// Desktops here have no one interface for these: the values are kept in
// the per-user data folder (usersetting/SensorPage/Pointer.ini) and read
// back from there, and the double-click time is also put into effect for
// this program, where the pages read it. Values never set read as the
// Windows defaults: thresholds 6 and 10 with acceleration 1, speed 10,
// 3 lines.
//
// Each setter answers like the system call: false for a value the system
// would refuse, and then nothing is kept. GUI thread only.

#include <QString>
#include <QtGlobal>

struct MouseAcceleration {
    int threshold1 = 6;
    int threshold2 = 10;
    int acceleration = 1;

    bool operator==(const MouseAcceleration &o) const
    {
        return threshold1 == o.threshold1 && threshold2 == o.threshold2 && acceleration == o.acceleration;
    }
};

// The pointer speeds the system takes.
constexpr int kLowestPointerSpeed = 1;
constexpr int kHighestPointerSpeed = 20;

// The wheel scrolls a page instead of lines.
constexpr quint32 kWheelScrollPage = 0xFFFFFFFF;

// The per-user data folder the values are kept in. The stand-in knows
// nothing of the program it serves: app/ hands the folder in once at
// start-up.
void setPointerSettingsDataDir(const QString &dataDir);

MouseAcceleration systemMouseAcceleration();
bool setSystemMouseAcceleration(const MouseAcceleration &value);
int systemPointerSpeed();
// kLowestPointerSpeed to kHighestPointerSpeed.
bool setSystemPointerSpeed(int speed);
quint32 systemWheelScrollLines();
bool setSystemWheelScrollLines(quint32 lines);
// Milliseconds, 1 to 5000; also the program's own double-click interval.
bool setSystemDoubleClickTime(int ms);
// Puts a double-click time kept earlier into effect for this program
// (once the application object exists); nothing when none was kept.
void applyKeptDoubleClickTime();

#endif // POINTERSETTINGS_H

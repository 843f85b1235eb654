#include "pointersettings.h"

#include <QGuiApplication>
#include <QSettings>
#include <QStyleHints>

namespace {

constexpr int kDefaultSpeed = 10;
constexpr quint32 kDefaultWheelLines = 3;
constexpr int kLongestDoubleClickMs = 5000;

const char kGroup[] = "Pointer/";

QString &dataDir()
{
    static QString dir;
    return dir;
}

QString keptPath()
{
    return dataDir() + "/usersetting/SensorPage/Pointer.ini";
}

QVariant kept(const char *key)
{
    return QSettings(keptPath(), QSettings::IniFormat).value(QLatin1String(kGroup) + QLatin1String(key));
}

int keptInt(const char *key, int fallback)
{
    bool ok = false;
    const int value = kept(key).toInt(&ok);
    return ok ? value : fallback;
}

void keep(const char *key, const QVariant &value)
{
    QSettings settings(keptPath(), QSettings::IniFormat);
    settings.setValue(QLatin1String(kGroup) + QLatin1String(key), value);
    settings.sync();
}

} // namespace

void setPointerSettingsDataDir(const QString &dir)
{
    dataDir() = dir;
}

MouseAcceleration systemMouseAcceleration()
{
    const MouseAcceleration defaults;
    MouseAcceleration value;
    value.threshold1 = keptInt("Threshold1", defaults.threshold1);
    value.threshold2 = keptInt("Threshold2", defaults.threshold2);
    value.acceleration = keptInt("Acceleration", defaults.acceleration);
    return value;
}

bool setSystemMouseAcceleration(const MouseAcceleration &value)
{
    keep("Threshold1", value.threshold1);
    keep("Threshold2", value.threshold2);
    keep("Acceleration", value.acceleration);
    return true;
}

int systemPointerSpeed()
{
    return qBound(kLowestPointerSpeed, keptInt("Speed", kDefaultSpeed), kHighestPointerSpeed);
}

bool setSystemPointerSpeed(int speed)
{
    if (speed < kLowestPointerSpeed || speed > kHighestPointerSpeed)
        return false;
    keep("Speed", speed);
    return true;
}

quint32 systemWheelScrollLines()
{
    bool ok = false;
    const quint32 lines = kept("WheelLines").toUInt(&ok);
    return ok ? lines : kDefaultWheelLines;
}

bool setSystemWheelScrollLines(quint32 lines)
{
    keep("WheelLines", lines);
    return true;
}

bool setSystemDoubleClickTime(int ms)
{
    if (ms < 1 || ms > kLongestDoubleClickMs)
        return false;
    keep("DoubleClickTime", ms);
    QGuiApplication::styleHints()->setMouseDoubleClickInterval(ms);
    return true;
}

void applyKeptDoubleClickTime()
{
    const int ms = keptInt("DoubleClickTime", 0);
    if (ms >= 1 && ms <= kLongestDoubleClickMs && QGuiApplication::instance())
        QGuiApplication::styleHints()->setMouseDoubleClickInterval(ms);
}

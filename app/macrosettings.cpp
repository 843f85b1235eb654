#include "macrosettings.h"

#include "globals.h"

#include <QSettings>
#include <QTextCodec>
#include <QVariant>

namespace {
MacroSettings *s_macroSettings = nullptr;
} // namespace

MacroSettings::MacroSettings()
    : settings(nullptr)
    , path(userDataDir() + "/Macro.ini")
{
    settings = new QSettings(path, QSettings::IniFormat);
    // Before the first read: the codec decides how the file is parsed.
    settings->setIniCodec(QTextCodec::codecForName("UTF-8"));
}

MacroSettings::~MacroSettings()
{
    delete settings;
}

MacroSettings *MacroSettings::instance()
{
    std::lock_guard<std::mutex> locker(g_macroSettingsMutex);
    if (!s_macroSettings)
        s_macroSettings = new MacroSettings();
    return s_macroSettings;
}

void MacroSettings::resetForTests()
{
    std::lock_guard<std::mutex> locker(g_macroSettingsMutex);
    if (s_macroSettings) {
        // A read or write still going on elsewhere ends before the store goes.
        std::lock_guard<std::mutex> inUse(s_macroSettings->accessMutex);
    }
    delete s_macroSettings;
    s_macroSettings = nullptr;
}

void MacroSettings::writeString(QString group, QString key, QString value)
{
    std::lock_guard<std::mutex> locker(accessMutex);
    settings->setValue(group + "/" + key, value);
    // The store lives to the end of the process and is never destroyed, so
    // nothing else would flush a change made just before a crash or a quick
    // exit.
    settings->sync();
}

QString MacroSettings::readString(QString group, QString key)
{
    std::lock_guard<std::mutex> locker(accessMutex);
    return settings->value(group + "/" + key, QString()).toString();
}

void MacroSettings::remove(QString group, QString key)
{
    std::lock_guard<std::mutex> locker(accessMutex);
    settings->remove(group + "/" + key);
    settings->sync();
}

QStringList MacroSettings::readStringList(QString group, QString key)
{
    std::lock_guard<std::mutex> locker(accessMutex);
    QStringList list = settings->value(group + "/" + key, QString()).toStringList();
    if (list.size() == 1 && list.first().isEmpty())
        list.clear();
    return list;
}

#ifndef MACROSETTINGS_H
#define MACROSETTINGS_H

// The user settings: "Macro.ini" in the per-user data folder, UTF-8. It holds
// the language choice and a few switches, not macros.

#include <QString>
#include <QStringList>

#include <mutex>

class QSettings;

class MacroSettings
{
public:
    // The one store, created on first use and then kept for the process.
    static MacroSettings *instance();
    // Drops the store so that the next instance() opens the file of the
    // current home folder. Only for tests.
    static void resetForTests();

    // Writes group + "/" + key and puts it on disk at once.
    void writeString(QString group, QString key, QString value);
    // group + "/" + key as text, empty when missing.
    QString readString(QString group, QString key);
    void remove(QString group, QString key);
    QStringList readStringList(QString group, QString key);

    QString filePath() const { return path; }

private:
    MacroSettings();
    ~MacroSettings();
    MacroSettings(const MacroSettings &) = delete;
    MacroSettings &operator=(const MacroSettings &) = delete;

    QSettings *settings;
    QString path;
    std::mutex accessMutex;   // QSettings is not safe for concurrent use of one object
};

#endif // MACROSETTINGS_H

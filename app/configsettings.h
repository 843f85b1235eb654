#ifndef CONFIGSETTINGS_H
#define CONFIGSETTINGS_H

// The product configuration: "usersetting/Config.ini" of the program folder,
// shipped with the program and only read. Thirteen of its keys hold Base64
// text and come back decoded.

#include <QString>
#include <QStringList>

#include <mutex>

class QSettings;

class ConfigSettings
{
public:
    // The one store, created on first use and then kept for the process.
    static ConfigSettings *instance();
    // Drops the store so that the next instance() reads the file of the
    // current program folder. Only for tests: no other thread may be using
    // the store at that moment.
    static void resetForTests();

    // group + "/" + key as text (empty when missing), decoded for the
    // encoded keys.
    QString readString(QString group, QString key);
    // group + "/" + key as a list (empty when missing), each element
    // decoded for the encoded keys.
    QStringList readStringList(QString group, QString key);
    // The program never writes its product configuration; kept for tools.
    void writeString(QString group, QString key, QString value);
    void remove(QString group, QString key);

    // Base64 of UTF-8 text back to text. No line feeds or blanks are
    // removed here; readString() does that for the encoded keys.
    static QString decodeBase64(QString text);
    // True for the thirteen keys stored as Base64.
    static bool isEncodedKey(const QString &key);

    QString filePath() const { return path; }

private:
    ConfigSettings();
    ~ConfigSettings();
    ConfigSettings(const ConfigSettings &) = delete;
    ConfigSettings &operator=(const ConfigSettings &) = delete;

    static QString decodeValue(const QString &text);

    QSettings *settings;
    QString path;
    // The GUI thread, the Worker thread and the device library's threads
    // all read the store, and QSettings is not safe for concurrent use of
    // one object: every access goes through this lock.
    std::mutex accessMutex;
};

// Replaces the theme by colour set c of Config.ini ("ColorSet<c>"), whole
// values as read.
void loadThemeColorSet(int c);

#endif // CONFIGSETTINGS_H

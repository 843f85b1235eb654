#ifndef REGISTRY_H
#define REGISTRY_H

// The few registry values the program keeps (mouse versions, the failed
// update record, the language left by an installer, the start-up entry)
// live in one ini file of the user's configuration folder:
// $XDG_CONFIG_HOME/Quzmar/registry.ini ($XDG_CONFIG_HOME defaults to
// ~/.config). A key path such as
// "HKEY_CURRENT_USER\Software\Quzmar\Quzmar\Mouse Drive Test" becomes the
// group "Software/Quzmar/Quzmar/Mouse Drive Test" of that file. Every
// registry access goes through RegistryKey; a QSettings opened in native
// format on such a path would create a file of that literal name in the
// current folder instead.
//
// Separate RegistryKey objects may be used on different threads at once.

#include <QString>
#include <QVariant>

#include <memory>

class QSettings;

class RegistryKey
{
public:
    explicit RegistryKey(const QString &keyPath);
    ~RegistryKey();
    RegistryKey(const RegistryKey &) = delete;
    RegistryKey &operator=(const RegistryKey &) = delete;

    QVariant value(const QString &name, const QVariant &defaultValue = QVariant()) const;
    // Writes and puts the value on disk at once, so another RegistryKey
    // (also on another thread) sees it.
    void setValue(const QString &name, const QVariant &value);
    void remove(const QString &name);
    bool contains(const QString &name) const;

    // The group of the store that stands for the key path.
    QString group() const { return m_group; }

    // The program's name, which names the store's folder and the program's
    // own keys. The stand-in knows nothing of the program it serves: app/
    // names it once at start-up, before any key is opened.
    static void setProgramName(const QString &name);

    // The file that holds every key.
    static QString storePath();
    // The program's own keys: "HKEY_CURRENT_USER\Software\Quzmar\Quzmar\"
    // + name.
    static QString programKeyPath(const QString &name);
    // "...\Mouse Drive Test": the mouse version records ("MouseVer" + CID +
    // MID) and the record of a failed update ("UpdateFailInfo").
    static QString deviceRecordsKeyPath();
    // "HKEY_CURRENT_USER\A\B" -> "A/B". Keys of other hives keep the hive
    // name as their first group level so that they never meet the user's.
    static QString groupForKeyPath(const QString &keyPath);

private:
    QString fullName(const QString &name) const;

    QString m_group;
    std::unique_ptr<QSettings> m_settings;
};

#endif // REGISTRY_H

#ifndef INISTORE_H
#define INISTORE_H

// What the two settings stores share: an ini file behind QSettings, read
// and written as group + "/" + key, and one instance per store for the
// whole process.

#include <QString>
#include <QStringList>

#include <mutex>

class QSettings;

class IniStore
{
public:
    IniStore(const IniStore &) = delete;
    IniStore &operator=(const IniStore &) = delete;

    // group + "/" + key as text, empty when missing.
    QString readString(QString group, QString key);
    // group + "/" + key as a list; a missing key is the empty list, not one
    // empty element.
    QStringList readStringList(QString group, QString key);
    // Both change the file and put it on disk at once: a store lives to the
    // end of the process and is never destroyed, so nothing else would
    // flush a change made just before a crash or a quick exit.
    void writeString(QString group, QString key, QString value);
    void remove(QString group, QString key);

    QString filePath() const { return m_path; }

protected:
    // `utf8`: the file is read and written with the UTF-8 ini codec.
    IniStore(const QString &path, bool utf8);
    virtual ~IniStore();

    // What a read hands back of the stored text of `key`; each element of
    // a list on its own.
    virtual QString decoded(const QString &key, const QString &text) const;

    // Returns once no read or write is going on.
    void waitForAccess();

private:
    QSettings *m_settings;
    const QString m_path;
    // The GUI thread, the Worker thread and the device library's threads
    // all use the stores, and QSettings is not safe for concurrent use of
    // one object: every access goes through this lock.
    std::mutex m_access;
};

// The one instance of Store, created on first use under
// Store::creationMutex() and then kept for the process. Store makes its
// constructor and destructor available to this class.
template <typename Store>
class ProcessIniStore : public IniStore
{
public:
    static Store *instance()
    {
        std::lock_guard<std::mutex> locker(Store::creationMutex());
        if (!s_store)
            s_store = new Store();
        return s_store;
    }
    // Drops the store so that the next instance() reads the file anew (the
    // program folder or the home folder may have changed). Only for tests:
    // no other thread may be holding the store at that moment.
    static void resetForTests()
    {
        std::lock_guard<std::mutex> locker(Store::creationMutex());
        // A read or write still going on elsewhere ends before the store goes.
        if (s_store)
            s_store->waitForAccess();
        delete s_store;
        s_store = nullptr;
    }

protected:
    using IniStore::IniStore;

private:
    static inline Store *s_store = nullptr;
};

#endif // INISTORE_H

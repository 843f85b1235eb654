#include "inistore.h"

#include <QSettings>
#include <QTextCodec>
#include <QVariant>

IniStore::IniStore(const QString &path, bool utf8)
    : m_settings(new QSettings(path, QSettings::IniFormat))
    , m_path(path)
{
    // Before the first read: the codec decides how the file is parsed.
    if (utf8)
        m_settings->setIniCodec(QTextCodec::codecForName("UTF-8"));
}

IniStore::~IniStore()
{
    delete m_settings;
}

QString IniStore::decoded(const QString &key, const QString &text) const
{
    Q_UNUSED(key)
    return text;
}

void IniStore::waitForAccess()
{
    std::lock_guard<std::mutex> inUse(m_access);
}

// The decoding runs under the lock too: the last touch of the store by a
// reading thread is then ordered before a reset that deletes it.
QString IniStore::readString(QString group, QString key)
{
    std::lock_guard<std::mutex> locker(m_access);
    return decoded(key, m_settings->value(group + "/" + key, QString()).toString());
}

QStringList IniStore::readStringList(QString group, QString key)
{
    std::lock_guard<std::mutex> locker(m_access);
    QStringList list = m_settings->value(group + "/" + key, QString()).toStringList();
    if (list.size() == 1 && list.first().isEmpty())
        list.clear();
    for (QString &element : list)
        element = decoded(key, element);
    return list;
}

void IniStore::writeString(QString group, QString key, QString value)
{
    std::lock_guard<std::mutex> locker(m_access);
    m_settings->setValue(group + "/" + key, value);
    m_settings->sync();
}

void IniStore::remove(QString group, QString key)
{
    std::lock_guard<std::mutex> locker(m_access);
    m_settings->remove(group + "/" + key);
    m_settings->sync();
}

#include "configsettings.h"

#include "globals.h"

#include <QByteArray>
#include <QSettings>
#include <QVariant>

namespace {
ConfigSettings *s_configSettings = nullptr;

const char *const kEncodedKeys[] = {
    "MM", "DM", "D2M", "D4M", "D8M", "Sensor", "CID", "VID",
    "USB_PID", "Wireless_PID", "Wireless2_PID", "Wireless4_PID", "Wireless8_PID",
};
} // namespace

ConfigSettings::ConfigSettings()
    : settings(nullptr)
    , path(programDir() + "/usersetting/Config.ini")
{
    settings = new QSettings(path, QSettings::IniFormat);
}

ConfigSettings::~ConfigSettings()
{
    delete settings;
}

ConfigSettings *ConfigSettings::instance()
{
    std::lock_guard<std::mutex> locker(g_configSettingsMutex);
    if (!s_configSettings)
        s_configSettings = new ConfigSettings();
    return s_configSettings;
}

void ConfigSettings::resetForTests()
{
    std::lock_guard<std::mutex> locker(g_configSettingsMutex);
    if (s_configSettings) {
        // A read or write still going on elsewhere ends before the store goes.
        std::lock_guard<std::mutex> inUse(s_configSettings->accessMutex);
    }
    delete s_configSettings;
    s_configSettings = nullptr;
}

bool ConfigSettings::isEncodedKey(const QString &key)
{
    for (const char *k : kEncodedKeys) {
        if (key == QLatin1String(k))
            return true;
    }
    return false;
}

QString ConfigSettings::decodeBase64(QString text)
{
    return QString::fromUtf8(QByteArray::fromBase64(text.toUtf8()));
}

QString ConfigSettings::decodeValue(const QString &text)
{
    QString decoded = decodeBase64(text);
    decoded.replace(QStringLiteral("\n"), QString());
    decoded.replace(QStringLiteral(" "), QString());
    return decoded;
}

QString ConfigSettings::readString(QString group, QString key)
{
    QString value;
    {
        std::lock_guard<std::mutex> locker(accessMutex);
        value = settings->value(group + "/" + key, QString()).toString();
    }
    if (isEncodedKey(key))
        value = decodeValue(value);
    return value;
}

QStringList ConfigSettings::readStringList(QString group, QString key)
{
    QStringList list;
    {
        std::lock_guard<std::mutex> locker(accessMutex);
        list = settings->value(group + "/" + key, QString()).toStringList();
    }
    // A missing key reads as an empty list, not as one empty element.
    if (list.size() == 1 && list.first().isEmpty())
        list.clear();
    if (isEncodedKey(key)) {
        for (QString &element : list)
            element = decodeValue(element);
    }
    return list;
}

void ConfigSettings::writeString(QString group, QString key, QString value)
{
    std::lock_guard<std::mutex> locker(accessMutex);
    settings->setValue(group + "/" + key, value);
}

void ConfigSettings::remove(QString group, QString key)
{
    std::lock_guard<std::mutex> locker(accessMutex);
    settings->remove(group + "/" + key);
}

void loadThemeColorSet(int c)
{
    ConfigSettings *config = ConfigSettings::instance();
    const QString group = "ColorSet" + QString::number(c);
    for (const ThemeEntry &e : themeEntries()) {
        if (e.list)
            *e.list = config->readStringList(group, QString::fromLatin1(e.key));
        else
            *e.text = config->readString(group, QString::fromLatin1(e.key));
    }
}

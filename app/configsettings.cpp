#include "configsettings.h"

#include "globals.h"

#include <QByteArray>

namespace {
const char *const kEncodedKeys[] = {
    "MM", "DM", "D2M", "D4M", "D8M", "Sensor", "CID", "VID",
    "USB_PID", "Wireless_PID", "Wireless2_PID", "Wireless4_PID", "Wireless8_PID",
};
} // namespace

ConfigSettings::ConfigSettings()
    : ProcessIniStore(programDir() + "/usersetting/Config.ini", false)
{
}

std::mutex &ConfigSettings::creationMutex()
{
    return g_configSettingsMutex;
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

QString ConfigSettings::decoded(const QString &key, const QString &text) const
{
    if (!isEncodedKey(key))
        return text;
    QString value = decodeBase64(text);
    value.replace(QStringLiteral("\n"), QString());
    value.replace(QStringLiteral(" "), QString());
    return value;
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

#include "registry.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>

namespace {
QString &programName()
{
    static QString name;
    return name;
}
} // namespace

void RegistryKey::setProgramName(const QString &name)
{
    programName() = name;
}

QString RegistryKey::storePath()
{
    QString base = QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME"));
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + "/.config";
    return base + "/" + programName() + "/registry.ini";
}

QString RegistryKey::programKeyPath(const QString &name)
{
    return "HKEY_CURRENT_USER\\Software\\" + programName() + "\\" + programName() + "\\" + name;
}

QString RegistryKey::deviceRecordsKeyPath()
{
    return programKeyPath(QStringLiteral("Mouse Drive Test"));
}

QString RegistryKey::groupForKeyPath(const QString &keyPath)
{
    QStringList parts = QString(keyPath).replace('/', '\\').split('\\', Qt::SkipEmptyParts);
    if (!parts.isEmpty()) {
        const QString hive = parts.first().toUpper();
        if (hive == QLatin1String("HKEY_CURRENT_USER") || hive == QLatin1String("HKCU"))
            parts.removeFirst();
    }
    return parts.join('/');
}

RegistryKey::RegistryKey(const QString &keyPath)
    : m_group(groupForKeyPath(keyPath))
{
    const QString path = storePath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    m_settings.reset(new QSettings(path, QSettings::IniFormat));
}

RegistryKey::~RegistryKey() = default;

QString RegistryKey::fullName(const QString &name) const
{
    return m_group.isEmpty() ? name : m_group + "/" + name;
}

QVariant RegistryKey::value(const QString &name, const QVariant &defaultValue) const
{
    return m_settings->value(fullName(name), defaultValue);
}

void RegistryKey::setValue(const QString &name, const QVariant &value)
{
    m_settings->setValue(fullName(name), value);
    m_settings->sync();
}

void RegistryKey::remove(const QString &name)
{
    m_settings->remove(fullName(name));
    m_settings->sync();
}

bool RegistryKey::contains(const QString &name) const
{
    return m_settings->contains(fullName(name));
}

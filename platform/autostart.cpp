#include "autostart.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

QString configHome()
{
    const QString base = QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME"));
    return base.isEmpty() || !QDir::isAbsolutePath(base) ? QDir::homePath() + "/.config" : base;
}

} // namespace

QString autostartEntryPath(const QString &name)
{
    QString file = name;
    file.replace(QLatin1Char('/'), QLatin1Char('_'));
    if (file.isEmpty())
        file = QStringLiteral("Quzmar");
    return configHome() + "/autostart/" + file + ".desktop";
}

QString autostartExecValue(const QString &programPath)
{
    // Inside the quotes, ", `, $ and \ are escaped; the value as a whole is a
    // string of the entry format, whose own escapes apply first (so one
    // backslash of the path is written as four), and % starts a field code.
    QString quoted;
    for (const QChar c : programPath) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        quoted += c;
    }
    QString value = QLatin1Char('"') + quoted + QLatin1Char('"');
    value.replace(QLatin1String("\\"), QLatin1String("\\\\"));
    value.replace(QLatin1String("\n"), QLatin1String("\\n"));
    value.replace(QLatin1String("\t"), QLatin1String("\\t"));
    value.replace(QLatin1String("\r"), QLatin1String("\\r"));
    value.replace(QLatin1String("%"), QLatin1String("%%"));
    return value;
}

bool writeAutostartEntry(const QString &name, const QString &programPath)
{
    const QString path = autostartEntryPath(name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    QString displayName = name;
    displayName.replace(QLatin1Char('\n'), QLatin1Char(' '));
    const QString text = "[Desktop Entry]\nType=Application\nName=" + displayName + "\nExec="
                         + autostartExecValue(programPath) + "\nTerminal=false\nX-GNOME-Autostart-enabled=true\n";
    file.write(text.toUtf8());
    return file.commit();
}

bool removeAutostartEntry(const QString &name)
{
    const QString path = autostartEntryPath(name);
    return !QFile::exists(path) || QFile::remove(path);
}

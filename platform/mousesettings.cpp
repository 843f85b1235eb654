#include "mousesettings.h"

#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

namespace {

struct MouseSettingsProgram {
    const char *program;
    const char *argument;   // null: none
};

// The mouse pages of the common desktops' settings programs.
const MouseSettingsProgram kPrograms[] = {
    {"gnome-control-center", "mouse"},
    {"cinnamon-settings", "mouse"},
    {"kcmshell5", "mouse"},
    {"xfce4-mouse-settings", nullptr},
    {"mate-mouse-properties", nullptr},
    {"lxqt-config-input", nullptr},
    {"lxinput", nullptr},
};

} // namespace

bool openDesktopMouseSettings()
{
    for (const MouseSettingsProgram &candidate : kPrograms) {
        const QString program = QStandardPaths::findExecutable(QString::fromLatin1(candidate.program));
        if (program.isEmpty())
            continue;
        QStringList arguments;
        if (candidate.argument)
            arguments << QString::fromLatin1(candidate.argument);
        return QProcess::startDetached(program, arguments);
    }
    return false;
}

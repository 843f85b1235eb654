#ifndef AUTOSTART_H
#define AUTOSTART_H

// Start with the system: the program's entry in the desktop's autostart
// folder, $XDG_CONFIG_HOME/autostart/<name>.desktop ($XDG_CONFIG_HOME
// defaults to ~/.config). The desktop starts every program listed there
// when the user logs in.

#include <QString>

QString autostartEntryPath(const QString &name);
// Writes the entry that starts programPath; false when it cannot be written.
bool writeAutostartEntry(const QString &name, const QString &programPath);
// Removes the entry; true when none is left.
bool removeAutostartEntry(const QString &name);
// The Exec value that runs programPath with no arguments: the path quoted,
// with the characters the entry format gives a meaning escaped.
QString autostartExecValue(const QString &programPath);

#endif // AUTOSTART_H

#ifndef MOUSESETTINGS_H
#define MOUSESETTINGS_H

// The system's own mouse settings: the first mouse settings program of a
// desktop found on the PATH is started, detached. False when none is found
// or it cannot be started.
bool openDesktopMouseSettings();

#endif // MOUSESETTINGS_H

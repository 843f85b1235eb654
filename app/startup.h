#ifndef STARTUP_H
#define STARTUP_H

// The pieces of process start-up that main() runs in order, kept apart from
// main() so each can be exercised on its own.

#include <QByteArray>
#include <QString>

#include <thread>

class QSharedMemory;

// Creates, where missing, the folders of the per-user data folder (Log,
// Device_Info, Exception, usersetting and its MainPage, MacroPage and
// SensorPage) and an empty Macro.ini. Failures are ignored.
void createUserFolders(const QString &dataDir);

// The QT_SCALE_FACTOR text for a desktop of w x h physical pixels: the
// smaller whole quotient of w / 1920 and h / 1080 when the desktop exceeds
// 1920 x 1080 on both sides; empty when the factor must be left alone.
QByteArray scaleFactorFor(int width, int height);
// Sets QT_SCALE_FACTOR from scaleFactorFor(); an empty result leaves it.
void applyScaleFactor(int width, int height);

// Removes every file of the folder older than 7 whole days. Sub-folders are
// never touched; a file dated in the future counts as new.
void removeOldFiles(const QString &folder);

// The font factor that undoes the system's font scaling: 96 / dpi
// (scaleWidgetFonts() in widgets/widgetfonts.h applies it).
float fontFactorForDpi(double dpi);

// Loads the system's font configuration (fontconfig's files and caches) on a
// thread of its own, so it overlaps the toolkit's start instead of delaying
// the first text the window lays out; the toolkit then finds it loaded.
// Join the thread before anything uses fonts. Without fontconfig it returns
// a thread that was never started.
std::thread startLoadingFontConfiguration();

// The key of the segment that marks a running instance.
QString instanceMarkerKey();
// Takes the single-instance marker: true when this process now owns it (or
// no marker can be made at all), false when a running instance that uses the
// same temporary folder holds it. The segment names its owner: one left
// behind by an instance that was killed is removed, and one that only shares
// the system key (another program's, or an instance's of another temporary
// folder) is left alone while this process takes a key of its own. Claims
// from several processes at once are taken one after the other.
bool claimInstanceMarker(QSharedMemory &marker);
// Gives the marker up and deletes it as the process ends, so neither its
// segment nor the semaphore Qt keeps beside it stays.
void releaseInstanceMarker(QSharedMemory *marker);

#endif // STARTUP_H

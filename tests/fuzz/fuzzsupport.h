#ifndef FUZZSUPPORT_H
#define FUZZSUPPORT_H

// What every fuzz target needs once per process: an application object (for
// applicationDirPath() and the settings stores) and, where the target writes
// the program's data files, a program folder of its own.

#include "globals.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdint>

inline void ensureFuzzApplication()
{
    if (QCoreApplication::instance())
        return;
    static int argc = 1;
    static char name[] = "fuzz";
    static char *argv[] = {name, nullptr};
    new QCoreApplication(argc, argv);
}

// A temporary program folder with the given sub-folder, used as programDir().
inline QString fuzzProgramFolder(const QString &subFolder)
{
    static QTemporaryDir *dir = nullptr;
    if (!dir) {
        ensureFuzzApplication();
        dir = new QTemporaryDir;
        setProgramDirOverride(dir->path());
    }
    QDir().mkpath(dir->path() + "/" + subFolder);
    return dir->path();
}

// Writes the fuzz input as a file; false when it cannot be written.
inline bool writeFuzzFile(const QString &path, const uint8_t *data, size_t size)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(reinterpret_cast<const char *>(data), qint64(size)) == qint64(size);
}

#endif

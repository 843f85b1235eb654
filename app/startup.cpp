#include "startup.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QElapsedTimer>
#include <QSharedMemory>
#include <QThread>

#include "globals.h"

#ifdef QUZ_HAVE_FONTCONFIG
#include <fontconfig/fontconfig.h>
#endif

void createUserFolders(const QString &dataDir)
{
    static const char *const folders[] = {
        "/Log", "/Device_Info", "/Exception", "/usersetting",
        "/usersetting/MainPage", "/usersetting/MacroPage", "/usersetting/SensorPage",
    };
    for (const char *folder : folders) {
        const QString path = dataDir + QLatin1String(folder);
        QDir dir(path);
        if (!dir.exists())
            dir.mkpath(path);
    }
    QFile macroIni(dataDir + QStringLiteral("/Macro.ini"));
    if (!macroIni.exists()) {
        if (macroIni.open(QIODevice::WriteOnly | QIODevice::Text))
            macroIni.close();
    }
}

QByteArray scaleFactorFor(int width, int height)
{
    const int ws = width > 1920 ? width / 1920 : 0;
    const int hs = height > 1080 ? height / 1080 : 0;
    if (ws == 0 || hs == 0)
        return QByteArray();
    return QString::number(double(qMin(ws, hs)), 'g', 6).toLatin1();
}

void applyScaleFactor(int width, int height)
{
    const QByteArray factor = scaleFactorFor(width, height);
    if (!factor.isEmpty())
        qputenv("QT_SCALE_FACTOR", factor);
}

void removeOldFiles(const QString &folder)
{
    static const qint64 kSecondsPerDay = 86400;
    if (folder.isEmpty())   // QDir("") would be the working folder
        return;
    const qint64 now = QDateTime::currentDateTime().toSecsSinceEpoch();
    const QFileInfoList entries = QDir(folder).entryInfoList();
    for (const QFileInfo &entry : entries) {
        if (entry.isDir())
            continue;
        // A modification time in the future (a clock that was set back, a
        // file copied from another machine) is a new file, not an old one.
        const qint64 age = qMax<qint64>(0, now - entry.lastModified().toSecsSinceEpoch());
        if (age / kSecondsPerDay > 7)
            QFile::remove(entry.absoluteFilePath());
    }
}

float fontFactorForDpi(double dpi)
{
    if (dpi <= 0)
        return 1.0f;
    return 1.0f / (float(dpi) / 96.0f);
}

QString instanceMarkerKey()
{
    return g_productName + QStringLiteral("Test");
}

bool claimInstanceMarker(QSharedMemory &marker)
{
    // A segment outlives the process that made it. Attaching and detaching a
    // probe removes a segment nobody is attached to any more (left by an
    // instance that exited or crashed); one that a running instance holds
    // stays, and then creating fails with AlreadyExists. An instance that was
    // killed a moment ago can still count as attached for a few tens of
    // milliseconds after it has gone, so "already exists" is only believed
    // once it has held for half a second.
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        {
            QSharedMemory probe(marker.key());
            if (probe.attach(QSharedMemory::ReadWrite))
                probe.detach();
        }
        if (marker.create(1, QSharedMemory::ReadWrite))
            return true;
        if (marker.error() != QSharedMemory::AlreadyExists)
            return true;
        if (waited.elapsed() >= 500)
            return false;
        QThread::msleep(25);
    }
}

std::thread startLoadingFontConfiguration()
{
#ifdef QUZ_HAVE_FONTCONFIG
    // FcInit installs the configuration it loads as the current one, which
    // the toolkit's font database takes when it is first filled.
    return std::thread([] { FcInit(); });
#else
    return std::thread();
#endif
}

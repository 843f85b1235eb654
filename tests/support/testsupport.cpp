#include "testsupport.h"

#include "configsettings.h"
#include "deviceevent.h"
#include "devicestate.h"
#include "globals.h"
#include "hidusb_sim.h"
#include "imagecache.h"
#include "languageloader.h"
#include "macrosettings.h"
#include "sensorcodes.h"
#include "updatedecision.h"

#include <QCoreApplication>
#include <QDir>
#include <QVector>

namespace {
// Before any test code runs: programDir() and any program a test starts
// use the built program folder.
void nameProgramFolder()
{
    qputenv("QUZ_PROGRAM_DIR", QByteArray(QUZ_PROGRAM_DIR));
}

QVector<void (*)()> &addedResets()
{
    static QVector<void (*)()> resets;
    return resets;
}
} // namespace
Q_COREAPP_STARTUP_FUNCTION(nameProgramFolder)

void addGlobalReset(void (*reset)())
{
    if (!addedResets().contains(reset))
        addedResets().append(reset);
}

QString builtProgramDir()
{
    return QStringLiteral(QUZ_PROGRAM_DIR);
}

void resetAllGlobals()
{
    resetDeviceState();
    forgetAvailableUpdates();
    resetTheme();
    resetSensorTables();
    g_language = 0;
    useToolkitLanguage(0);
    setProgramDirOverride(QString());
    ConfigSettings::resetForTests();
    MacroSettings::resetForTests();
    for (void (*reset)() : addedResets())
        reset();
}

void resetDeviceBench()
{
    resetAllGlobals();
    resetStatusReadClock();
    hidsim::reset();
    hidsim::setTimeScale(0);
    registerDeviceMetaTypes();
    QDir().mkpath(deviceCacheDir());
}

DeviceAllInfo benchReceiverEntry()
{
    DeviceAllInfo d;
    d.devicePath = QString::fromStdString(hidsim::pathOf("R1"));
    d.vidText = "5A51";
    d.pidText = "F514";
    d.cid = 0x21;
    d.mid = 1;
    d.linkType = 1;
    d.isWired = 0;
    d.driveIndex = 0;
    return d;
}

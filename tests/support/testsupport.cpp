#include "testsupport.h"

#include "configsettings.h"
#include "deviceevent.h"
#include "globals.h"
#include "hidusb_sim.h"
#include "keyboardhook.h"
#include "macrosettings.h"
#include "sensorcodes.h"

void resetAllGlobals()
{
    resetDeviceState();
    resetTheme();
    resetSensorTables();
    resetKeyHooks();
    g_language = 0;
    setProgramDirOverride(QString());
    ConfigSettings::resetForTests();
    MacroSettings::resetForTests();
}

void resetDeviceBench()
{
    resetAllGlobals();
    resetStatusReadClock();
    hidsim::reset();
    hidsim::setTimeScale(0);
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
    d.isReceiver = 0;
    d.driveIndex = 0;
    return d;
}

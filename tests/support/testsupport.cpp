#include "testsupport.h"

#include "configsettings.h"
#include "globals.h"
#include "macrosettings.h"

void resetAllGlobals()
{
    resetDeviceState();
    resetTheme();
    g_language = 0;
    setProgramDirOverride(QString());
    ConfigSettings::resetForTests();
    MacroSettings::resetForTests();
}

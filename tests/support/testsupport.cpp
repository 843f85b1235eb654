#include "testsupport.h"

#include "globals.h"

void resetAllGlobals()
{
    resetDeviceState();
    resetTheme();
    g_language = 0;
    setProgramDirOverride(QString());
}

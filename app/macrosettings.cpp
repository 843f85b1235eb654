#include "macrosettings.h"

#include "globals.h"

MacroSettings::MacroSettings()
    : ProcessIniStore(userDataDir() + "/Macro.ini", true)
{
}

std::mutex &MacroSettings::creationMutex()
{
    return g_macroSettingsMutex;
}

#ifndef MACROSETTINGS_H
#define MACROSETTINGS_H

// The user settings: "Macro.ini" in the per-user data folder, UTF-8. It holds
// the language choice and a few switches, not macros. Every write and
// removal is on disk at once.

#include "inistore.h"

class MacroSettings : public ProcessIniStore<MacroSettings>
{
private:
    friend class ProcessIniStore<MacroSettings>;
    static std::mutex &creationMutex();
    MacroSettings();
    ~MacroSettings() override = default;
};

#endif // MACROSETTINGS_H

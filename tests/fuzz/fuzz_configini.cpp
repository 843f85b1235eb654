// Config.ini as the device link reads it: any bytes as the file, then the
// Base64 keys, the lists and the colour lists every window turns into style
// sheets.
#include "configsettings.h"
#include "fuzzsupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString dir = fuzzProgramFolder("usersetting");
    if (!writeFuzzFile(dir + "/usersetting/Config.ini", data, size))
        return 0;
    ConfigSettings::resetForTests();
    ConfigSettings *cfg = ConfigSettings::instance();
    const int total = cfg->readString("Option", "DeviceTotal").toInt();
    cfg->readString("Option", "VID");
    cfg->readString("Option", "CID").toInt();
    for (const char *key : {"USB_PID", "Wireless_PID", "Wireless2_PID", "Wireless4_PID", "Wireless8_PID", "VPC"})
        cfg->readStringList("Option", key);
    rgbTriple(cfg->readStringList("Option", "LabelColor"), "0,0,0");
    for (int k = 1; k <= qBound(0, total, 16); ++k) {
        const QString group = "Drive" + QString::number(k);
        cfg->readString(group, "MID").toInt();
        cfg->readString(group, "Sensor");
        cfg->readStringList(group, "DPIRange");
        cfg->readStringList("Adveanced", group);
        for (int n = 1; n <= 6; ++n)
            cfg->readStringList(group, "KeyParam" + QString::number(n));
        const QString set = "ColorSet" + cfg->readString(group, "ColorKey");
        for (const ThemeEntry &e : themeEntries()) {
            if (e.list)
                rgbTriple(cfg->readStringList(set, e.key), e.initial);
            else
                cfg->readString(set, e.key);
        }
    }
    return 0;
}

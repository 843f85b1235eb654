// The per-device cache and the configuration import file: any bytes as the
// file, then the reader with its checks. Neither may read past the data or
// hand back an image that did not pass them.
#include "devicestate.h"
#include "fuzzsupport.h"
#include "imagecache.h"

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    ensureFuzzApplication();
    QDir().mkpath(deviceCacheDir());
    const QString cachePath = deviceCacheDir() + "fuzz.bin";
    if (!writeFuzzFile(cachePath, data, size))
        return 0;

    FlashDataMap out;
    std::memset(&out, 0xA5, sizeof out);
    const FlashDataMap before = out;
    if (!loadDeviceInfo("fuzz.bin", &out) && std::memcmp(&out, &before, sizeof out) != 0)
        std::abort();   // a rejected cache must leave the record alone

    g_selectedDevice.driveIndex = size > 0 ? data[0] % 3 : 0;   // one past the groups too
    FlashDataMap imported = before;
    const int result = readConfigFile(cachePath, &imported);
    // An unreadable file must not touch the record (a file of another
    // device may fill it; the caller then discards it on result 2).
    if (result == 1 && std::memcmp(&imported, &before, sizeof imported) != 0)
        std::abort();
    if (result < 0 || result > 2 || g_importResult != result)
        std::abort();
    return 0;
}

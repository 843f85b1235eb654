// The per-device cache and the configuration import file: any bytes as the
// file, then the reader with its checks. Neither may read past the data or
// hand back an image that did not pass them.
#include "devicestate.h"
#include "globals.h"
#include "imagecache.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {
void setUp()
{
    static bool done = [] {
        static int argc = 1;
        static char name[] = "fuzz_imagefiles";
        static char *argv[] = {name, nullptr};
        new QCoreApplication(argc, argv);
        QDir().mkpath(deviceCacheDir());
        return true;
    }();
    (void)done;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    setUp();
    const QString cachePath = deviceCacheDir() + "fuzz.bin";
    {
        QFile f(cachePath);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        f.write(reinterpret_cast<const char *>(data), qint64(size));
    }

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

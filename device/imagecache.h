#ifndef IMAGECACHE_H
#define IMAGECACHE_H

// The per-device cache of the configuration image and the configuration
// export file. Both frame byte arrays the way QDataStream::writeBytes does:
// a big-endian 32-bit length followed by the bytes.
//
// Cache file (userDataDir()/Device_Info/Device_CID<hh>_MID<hh>.bin):
//   u32 10428, the image                                  10,432 bytes
// Export file (any name the user picks):
//   u32 12, "Malvo" zero-padded to 12 bytes,
//   u32 12, the sensor name (UTF-8) zero-padded or cut to 12 bytes,
//   u32 10428, the image                                  10,464 bytes

#include "flashdatamap.h"

#include <QString>

// The cache folder, with a trailing slash.
QString deviceCacheDir();
// "Device_CID" + cid + "_MID" + mid + ".bin", both ids as two upper-case hex
// digits (CID 0x0A, MID 0x03 give Device_CID0A_MID03.bin).
QString deviceCacheFileName(u8 cid, u8 mid);
QString deviceCacheFileName(const DeviceAllInfo &device);

// Reads the cached image `name` of the cache folder into *out. False, with
// *out untouched, when the file cannot be opened or does not hold exactly one
// whole image.
bool loadDeviceInfo(QString name, FlashDataMap *out);
// Writes the image as the cache file `name`. The old file is replaced only
// once the new one is completely on disk; a file that cannot be written is
// skipped silently and leaves the old one as it was.
void saveDeviceInfo(QString name, const FlashDataMap &image);

// Writes the export file to `path` for the selected device (its sensor name
// comes from the product configuration). Nothing happens when it cannot be
// written.
void ExportConfigFile(QString path, FlashDataMap image);

// Results of the import checks.
enum ConfigImportResult {
    ConfigImportOk = 0,          // *importRecord holds the file's image
    ConfigImportBadFile = 1,     // cannot be opened, not an export file, damaged
    ConfigImportWrongDevice = 2  // other sensor, or more DPI levels than allowed
};

// Checks an export file against the selected device and reads its image into
// *importRecord. Returns the result and stores it in g_importResult. The
// record may only be used when the result is 0.
int readConfigFile(const QString &path, FlashDataMap *importRecord);

#endif // IMAGECACHE_H

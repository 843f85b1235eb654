// Firmware image files from the program folder's bin/: any bytes as the
// image, then the header parse and the version texts the comparisons use.
#include "firmwareimage.h"

#include <QByteArray>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), int(size));
    const FirmwareHeader header = parseFirmwareHeader(bytes);
    const QString text = firmwareVersionText(header.version);
    firmwareComparisonNumber(firmwareComparisonText(text));
    firmwareComparisonNumber(firmwareComparisonText(header.modelName));
    return 0;
}

// Writes one firmware image file:
//   firmwaretool <file> <device code> <CID> <MID> <version> <model> <USB id> [size]
// Numbers are decimal or 0x-hexadecimal; the version is major << 8 | minor.

#include "firmwareimagewriter.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

bool number(const char *text, unsigned long max, unsigned long *out)
{
    char *end = nullptr;
    const unsigned long value = std::strtoul(text, &end, 0);
    if (!*text || *end || value > max)
        return false;
    *out = value;
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 8 && argc != 9) {
        std::fprintf(stderr, "usage: %s <file> <device code> <CID> <MID> <version> <model> <USB id> [size]\n",
                     argv[0]);
        return 2;
    }
    unsigned long code = 0, cid = 0, mid = 0, version = 0, size = 728 + 4096;
    if (!number(argv[2], 255, &code) || !number(argv[3], 255, &cid) || !number(argv[4], 255, &mid)
        || !number(argv[5], 0xFFFFFFFFul, &version) || (argc == 9 && !number(argv[8], 64ul << 20, &size))) {
        std::fprintf(stderr, "%s: a number is out of range\n", argv[0]);
        return 2;
    }
    FirmwareImageFields fields;
    fields.deviceCode = uint8_t(code);
    fields.cid = uint8_t(cid);
    fields.mid = uint8_t(mid);
    fields.version = uint32_t(version);
    fields.model = argv[6];
    fields.usbId = argv[7];
    fields.size = size_t(size);
    const std::vector<uint8_t> bytes = makeFirmwareImage(fields);

    FILE *file = std::fopen(argv[1], "wb");
    if (!file) {
        std::perror(argv[1]);
        return 1;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (std::fclose(file) != 0 || !written) {
        std::perror(argv[1]);
        return 1;
    }
    return 0;
}

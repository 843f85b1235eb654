#ifndef FIRMWAREIMAGEWRITER_H
#define FIRMWAREIMAGEWRITER_H

// Writes a firmware image file as the program and the device library read
// it: a 728-byte header followed by the body.
//
//   16  u32 LE  version: minor = low byte, major = value >> 8
//   20  u8      device code: 210 mouse, 211 receiver
//   21  u8      CID
//   22  u8      MID
//   24  u32 LE  length of the body (the bytes after the header); the
//               device library's updater refuses an image without one
//   87  64      model name, 8-bit text, NUL-padded
//   279 64      USB id text naming the VID and PID of the device, NUL-padded
//
// Shared by the build-time tool and the tests, so that both write exactly
// the layout the program's reader expects.

#include <cstdint>
#include <string>
#include <vector>

struct FirmwareImageFields {
    uint32_t version = 0;
    uint8_t deviceCode = 210;
    uint8_t cid = 0;
    uint8_t mid = 0;
    std::string model;
    std::string usbId;
    size_t size = 728 + 4096;   // whole file; never less than the header
};

inline std::vector<uint8_t> makeFirmwareImage(const FirmwareImageFields &fields)
{
    const size_t header = 728;
    std::vector<uint8_t> bytes(fields.size < header ? header : fields.size, 0);
    for (int i = 0; i < 4; ++i)
        bytes[16 + size_t(i)] = uint8_t(fields.version >> (8 * i));
    bytes[20] = fields.deviceCode;
    bytes[21] = fields.cid;
    bytes[22] = fields.mid;
    for (int i = 0; i < 4; ++i)
        bytes[24 + size_t(i)] = uint8_t((bytes.size() - header) >> (8 * i));
    for (size_t i = 0; i < fields.model.size() && i < 64; ++i)
        bytes[87 + i] = uint8_t(fields.model[i]);
    for (size_t i = 0; i < fields.usbId.size() && i < 64; ++i)
        bytes[279 + i] = uint8_t(fields.usbId[i]);
    // A body that differs between images: the bytes follow from the header.
    uint32_t x = fields.version * 2654435761u ^ (uint32_t(fields.deviceCode) << 16) ^ (uint32_t(fields.mid) << 8) ^ fields.cid;
    for (size_t i = header; i < bytes.size(); ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        bytes[i] = uint8_t(x);
    }
    return bytes;
}

#endif // FIRMWAREIMAGEWRITER_H

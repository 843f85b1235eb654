// The device event callback with headers and payloads of any length against
// a zeroed image. Input: byte 0 the header length (0..15), bit 4 of byte 0
// pads the payload to the full-read size, then the header, then the payload.
#include "HIDUsb.h"
#include "devicestate.h"
#include "deviceevent.h"
#include "globals.h"
#include "hidusb_sim.h"

#include "fuzzsupport.h"

#include <QVector>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const bool ready = [] {
        ensureFuzzApplication();
        registerDeviceMetaTypes();
        hidsim::setTimeScale(0.0);
        return true;
    }();
    (void)ready;
    if (size < 1)
        return 0;
    resetDeviceState();
    resetStatusReadClock();
    g_selectedDevice.driveIndex = data[0] >> 6;   // 0, 1, or past the groups
    g_selectedDevice.linkType = (data[0] >> 5) & 1;

    const size_t headerLen = std::min<size_t>(data[0] & 0x0F, size - 1);
    QVector<unsigned char> header(int(headerLen) + 1);   // never a null pointer
    std::memcpy(header.data(), data + 1, headerLen);
    const uint8_t *payload = data + 1 + headerLen;
    size_t payloadLen = size - 1 - headerLen;
    QVector<unsigned char> body(int(payloadLen) + 1);
    std::memcpy(body.data(), payload, payloadLen);
    if (data[0] & 0x10) {
        body.resize(6912 + 1);
        payloadLen = 6912;
    }
    onDeviceEvent(header.constData(), int(headerLen), body.constData(), unsigned(payloadLen));
    return 0;
}

#include "keyrecord.h"

KeyEvent keyEventAt(const KeyParamRecord &record, int slot)
{
    KeyEvent event;
    if (slot < 0 || slot >= kKeyEventSlots)
        return event;
    const u8 *p = record.bytes + kKeyEventsAt + kKeyEventSize * slot;
    event.action = p[0];
    event.kind = p[1];
    event.code = quint16(p[2] | (p[3] << 8));
    event.delayMs = quint32(p[4]) | (quint32(p[5]) << 8) | (quint32(p[6]) << 16) | (quint32(p[7]) << 24);
    return event;
}

void setKeyEvent(KeyParamRecord &record, int slot, const KeyEvent &event)
{
    if (slot < 0 || slot >= kKeyEventSlots)
        return;
    u8 *p = record.bytes + kKeyEventsAt + kKeyEventSize * slot;
    p[0] = event.action;
    p[1] = event.kind;
    p[2] = u8(event.code & 0xFF);
    p[3] = u8(event.code >> 8);
    for (int i = 0; i < 4; ++i)
        p[4 + i] = u8((event.delayMs >> (8 * i)) & 0xFF);
}

// Finding the simulated devices: the paths and USB ids they show on the bus,
// and the look-ups by path and by name that every C function starts from.

#include "state.h"

#include <cstdio>

namespace hidsim {
namespace detail {

int receiverPid(int cls)
{
    switch (cls) {
    case 1: return 0xF511;
    case 2: return 0xF512;
    case 8: return 0xF518;
    default: return 0xF514;
    }
}

u8 receiverLink(int cls)
{
    switch (cls) {
    case 1: return 0;
    case 2: return 4;
    case 8: return 5;
    default: return 1;
    }
}

std::string receiverPath(const Receiver &r)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04X:%04X", kVendorId, receiverPid(r.cls));
    return "/dev/hidsim/" + std::string(buf) + "/" + r.id;
}

std::string cablePath(const Mouse &m)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04X:%04X", kVendorId, kCablePid);
    return "/dev/hidsim/" + std::string(buf) + "/" + m.id;
}

std::string bootPath(const BootDevice &d)
{
    return "/dev/hidsim/boot/" + d.id;
}

bool listed(const Receiver &r)
{
    return r.plugged && runsFirmware(r);
}

bool listed(const Mouse &m)
{
    return m.cable && runsFirmware(m);
}

int usbVersionOf(const Receiver &r)
{
    return r.cls == 1 ? r.version : r.usbVersion;
}

Receiver *receiverByPath(const char *path)
{
    if (!path)
        return nullptr;
    for (Receiver &r : bench().receivers)
        if (listed(r) && receiverPath(r) == path)
            return &r;
    return nullptr;
}

Mouse *cableMouseByPath(const char *path)
{
    if (!path)
        return nullptr;
    for (Mouse &m : bench().mice)
        if (listed(m) && cablePath(m) == path)
            return &m;
    return nullptr;
}

template <class Device>
static Device *byId(std::vector<Device> &devices, const std::string &id)
{
    for (Device &d : devices)
        if (d.id == id)
            return &d;
    return nullptr;
}

Mouse *mouseById(const std::string &id) { return byId(bench().mice, id); }
Receiver *receiverById(const std::string &id) { return byId(bench().receivers, id); }
BootDevice *bootById(const std::string &id) { return byId(bench().boots, id); }

Mouse *mouseBehind(const Receiver &r)
{
    if (r.rid == kNoReceiver)
        return nullptr;
    // Another mouse carrying its id (paired with it earlier) is not heard.
    Mouse *m = mouseById(r.mouse);
    return m && runsFirmware(*m) && m->pairedId == r.rid ? m : nullptr;
}

void pairMouse(Receiver &r, Mouse &m)
{
    m.pairedId = r.rid;
    r.mouse = m.id;
}

void choosePairedMice(Bench &b)
{
    for (Receiver &r : b.receivers) {
        const Mouse *m = mouseById(r.mouse);
        if (m && m->pairedId == r.rid)
            continue;
        r.mouse.clear();
        for (const Mouse &carrier : b.mice) {
            if (r.rid != kNoReceiver && carrier.pairedId == r.rid) {
                r.mouse = carrier.id;
                break;
            }
        }
    }
}

Mouse *answeringMouse(const char *path)
{
    if (Receiver *r = receiverByPath(path)) {
        // A mouse waiting in update mode runs no firmware that could answer.
        Mouse *m = mouseBehind(*r);
        return m && m->online && !m->bootMode ? m : nullptr;
    }
    return cableMouseByPath(path);
}

Mouse *serverMouse()
{
    const Server &s = bench().server;
    return s.active ? answeringMouse(s.path.c_str()) : nullptr;
}

Receiver *serverReceiver()
{
    const Server &s = bench().server;
    return s.active ? receiverByPath(s.path.c_str()) : nullptr;
}

} // namespace detail
} // namespace hidsim

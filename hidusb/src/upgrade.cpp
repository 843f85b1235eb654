// The firmware updater: finds the device an image fits (one waiting in
// update mode first, else a working receiver, or a mouse on its cable),
// writes it in steps and reports
// progress and the end through the caller's callback on a library thread.
// A failed write leaves the device waiting in update mode.

#include "state.h"

#include <cstdio>
#include <cstring>

using namespace hidsim::detail;

namespace {

constexpr int kHeaderSize = 728;
constexpr int kModelOffset = 87;
constexpr int kModelMax = 64;
// Every field is read from the header the caller hands over.
static_assert(kModelOffset + kModelMax <= kHeaderSize, "header fields lie within the header");

struct ImageHeader {
    int version = 0;
    int code = 0;
    u8 cid = 0;
    u8 mid = 0;
    std::string model;
};

ImageHeader readHeader(const u8 *image)
{
    ImageHeader h;
    h.version = int(unsigned(image[16]) | unsigned(image[17]) << 8 | unsigned(image[18]) << 16
                    | unsigned(image[19]) << 24);
    h.code = image[20];
    h.cid = image[21];
    h.mid = image[22];
    const char *model = reinterpret_cast<const char *>(image + kModelOffset);
    h.model.assign(model, strnlen(model, kModelMax));
    return h;
}

std::string versionText(int v)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "v%d.%02X", (v >> 8) & 0xFFFFFF, v & 0xFF);
    return buf;
}

bool bootFits(const BootDevice &d, const ImageHeader &h)
{
    return d.plugged && d.code == h.code && d.cid == h.cid && d.mid == h.mid
           && (d.model.empty() || d.model == h.model);
}

// Lock held. Where the image goes: "boot:<id>", "mouse:<id>", "receiver:<id>".
std::string findTarget(const ImageHeader &h)
{
    Bench &b = bench();
    for (const BootDevice &d : b.boots)
        if (bootFits(d, h))
            return "boot:" + d.id;
    if (h.code == 210) {
        // A mouse is updated in wired mode: only a mouse on its own cable
        // takes the image, never one reached through its receiver.
        for (const Mouse &m : b.mice) {
            if (!m.bootMode && m.cable && m.cid == h.cid && m.mid == h.mid)
                return "mouse:" + m.id;
        }
    } else if (h.code == 211) {
        for (const Receiver &r : b.receivers)
            if (r.plugged && !r.bootMode && r.cid == h.cid && r.mid == h.mid)
                return "receiver:" + r.id;
    }
    return std::string();
}

// Lock held. The end of a run on the target.
void finish(const std::string &target, const ImageHeader &h, bool success)
{
    Bench &b = bench();
    const std::string kind = target.substr(0, target.find(':'));
    const std::string id = target.substr(target.find(':') + 1);
    std::string device = id;
    if (kind == "boot") {
        BootDevice *d = bootById(id);
        device = d ? d->device : std::string();
        if (success && d)
            d->plugged = false;   // it restarts as the device it stands for
    }
    Mouse *m = mouseById(device);
    Receiver *r = receiverById(device);
    if (kind == "boot" && device.empty()) {
        m = nullptr;
        r = nullptr;
    }
    if (success) {
        if (m) {
            m->version = h.version;
            m->bootMode = false;
        }
        if (r) {
            r->version = h.version;
            r->bootMode = false;
        }
    } else if (kind != "boot" && (m || r)) {
        if (m)
            m->bootMode = true;
        if (r)
            r->bootMode = true;
        const std::string bootId = device + "-boot";
        BootDevice *d = bootById(bootId);
        if (!d) {
            b.boots.push_back(BootDevice());
            d = &b.boots.back();
            d->id = bootId;
        }
        d->code = h.code;
        d->cid = h.cid;
        d->mid = h.mid;
        d->model = h.model;
        d->device = device;
        d->plugged = true;
    }
    b.upgradeRunning = false;
    saveState();
    busChanged();
}

void report(UsbUpgradeCallback callback, u8 kind, u8 value)
{
    const u8 event[4] = {7, kind, value, 0};
    if (callback)
        callback(event);
}

} // namespace

extern "C" int UsbUpgradeC_FindBootDevices(const unsigned char *image, int *count)
{
    logCall("UsbUpgradeC_FindBootDevices()");
    std::lock_guard<std::mutex> lock(bench().mutex);
    ensureInit();
    int n = 0;
    if (image) {
        const ImageHeader h = readHeader(image);
        for (const BootDevice &d : bench().boots)
            if (bootFits(d, h))
                ++n;
    }
    if (count)
        *count = n;
    return n > 0 ? 1 : 0;
}

extern "C" unsigned char UsbUpgrade_Start(const unsigned char *image, UsbUpgradeCallback callback, int timeoutMs)
{
    logCall("UsbUpgrade_Start(image, " + std::string(callback ? "callback" : "null") + ", "
            + std::to_string(timeoutMs) + ")");
    std::lock_guard<std::mutex> lock(bench().mutex);
    ensureInit();
    Bench &b = bench();
    if (!image) {
        upgrades().post(scaled(20), [callback]() { report(callback, 2, 0); });
        return 0;
    }
    const ImageHeader h = readHeader(image);
    const std::string target = findTarget(h);
    b.upgradeLog.assign(8, std::string());
    b.upgradeLog[0] = "image: device " + std::to_string(h.code) + ", CID " + std::to_string(h.cid) + ", MID "
                      + std::to_string(h.mid) + ", model \"" + h.model + "\", " + versionText(h.version);
    if (b.upgradeRunning || target.empty()) {
        b.upgradeLog[1] = b.upgradeRunning ? "busy: another update is running" : "no device fits the image";
        b.upgradeLog[7] = "result: failure";
        // The end is still reported, so that nobody waits for it in vain.
        upgrades().post(scaled(20), [callback]() { report(callback, 2, 0); });
        return 0;
    }
    b.upgradeRunning = true;
    const int failAt = b.failUpdateAt;
    b.failUpdateAt = -1;
    b.upgradeLog[1] = "target: " + target;
    b.upgradeLog[2] = "enter update mode: ok";
    b.upgradeLog[3] = "erase: ok";
    const int step = 100;   // ms per 5 %
    int delay = 0;
    for (int p = 0; p <= 100; p += 5) {
        delay += step;
        const bool failsHere = failAt >= 0 && p >= failAt;
        if (failsHere) {
            const int at = p;
            upgrades().post(scaled(delay), [callback, target, h, at]() {
                {
                    std::lock_guard<std::mutex> l(bench().mutex);
                    bench().upgradeLog[4] = "write: stopped at " + std::to_string(at) + " %";
                    bench().upgradeLog[5] = "verify: not reached";
                    bench().upgradeLog[6] = "device left in update mode";
                    bench().upgradeLog[7] = "result: failure";
                    finish(target, h, false);
                }
                report(callback, 2, 0);
            });
            return 1;
        }
        upgrades().post(scaled(delay), [callback, p]() { report(callback, 1, u8(p)); });
    }
    upgrades().post(scaled(delay + step), [callback, target, h]() {
        {
            std::lock_guard<std::mutex> l(bench().mutex);
            bench().upgradeLog[4] = "write: 100 %";
            bench().upgradeLog[5] = "verify: ok";
            bench().upgradeLog[6] = "restart: " + versionText(h.version);
            bench().upgradeLog[7] = "result: success";
            finish(target, h, true);
        }
        report(callback, 2, 1);
    });
    return 1;
}

extern "C" char **UsbUpgradeC_GetLogs(void)
{
    logCall("UsbUpgradeC_GetLogs()");
    thread_local std::vector<std::string> texts;
    thread_local std::vector<char *> array;
    {
        std::lock_guard<std::mutex> lock(bench().mutex);
        ensureInit();
        texts = bench().upgradeLog;
    }
    texts.resize(8);
    array.clear();
    for (std::string &t : texts)
        array.push_back(&t[0]);
    array.push_back(nullptr);
    return array.data();
}

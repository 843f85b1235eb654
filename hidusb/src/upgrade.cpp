// The firmware updater: finds the device an image fits (one waiting in
// update mode first, else a working receiver, or a mouse on its cable),
// writes it in steps and reports progress and the end through the caller's
// callback on a library thread. A failed write, or a device pulled while it
// is written, leaves the device waiting in update mode. Each device can be
// given a fault for its next update: a write that stops at a percentage, an
// updater that falls silent, an end event that comes late, a written image
// that fails its check, a device slow to come back after its restart; or a
// hold, a write (or its end event) that waits where it is until let go.

#include "state.h"

#include <cstdio>
#include <cstring>

using namespace hidsim::detail;

namespace {

constexpr int kHeaderSize = 728;
constexpr int kStepMs = 100;   // a write's time for 5 %
constexpr int kBodyLengthOffset = 24;
constexpr int kModelOffset = 87;
constexpr int kModelMax = 64;
const char *const kLeftInUpdateMode = "device left in update mode";
// Every field is read from the header the caller hands over.
static_assert(kModelOffset + kModelMax <= kHeaderSize, "header fields lie within the header");

struct ImageHeader {
    int version = 0;
    int code = 0;
    u8 cid = 0;
    u8 mid = 0;
    unsigned bodyLength = 0;
    std::string model;
};

unsigned u32At(const u8 *p)
{
    return unsigned(p[0]) | unsigned(p[1]) << 8 | unsigned(p[2]) << 16 | unsigned(p[3]) << 24;
}

ImageHeader readHeader(const u8 *image)
{
    ImageHeader h;
    h.version = int(u32At(image + 16));
    h.code = image[20];
    h.cid = image[21];
    h.mid = image[22];
    h.bodyLength = u32At(image + kBodyLengthOffset);
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
            if (listed(m) && m.cid == h.cid && m.mid == h.mid)
                return "mouse:" + m.id;
        }
    } else if (h.code == 211) {
        for (const Receiver &r : b.receivers)
            if (listed(r) && r.cid == h.cid && r.mid == h.mid)
                return "receiver:" + r.id;
    }
    return std::string();
}

// Lock held. The ids a write to the target is known by: the device itself
// and, for a device in update mode, the mouse or receiver it stands for.
std::vector<std::string> targetIds(const std::string &target)
{
    const std::string kind = target.substr(0, target.find(':'));
    const std::string id = target.substr(target.find(':') + 1);
    std::vector<std::string> ids{id};
    if (kind == "boot") {
        const BootDevice *d = bootById(id);
        if (d && !d->device.empty())
            ids.push_back(d->device);
    }
    return ids;
}

// Lock held. The faults set for the next update of any of these devices,
// used up by this update.
UpdateFault takeFault(const std::vector<std::string> &ids)
{
    Bench &b = bench();
    UpdateFault fault;
    for (const std::string &id : ids) {
        const auto it = b.updateFaults.find(id);
        if (it == b.updateFaults.end())
            continue;
        if (it->second.failAt >= 0)
            fault.failAt = it->second.failAt;
        fault.silent = fault.silent || it->second.silent;
        if (it->second.holdMs > 0)
            fault.holdMs = it->second.holdMs;
        if (it->second.verified != WriteEnd::NewFirmware)
            fault.verified = it->second.verified;
        if (it->second.comebackMs > 0)
            fault.comebackMs = it->second.comebackMs;
        if (it->second.holdAt >= 0)
            fault.holdAt = it->second.holdAt;
        fault.holdEnd = fault.holdEnd || it->second.holdEnd;
        b.updateFaults.erase(it);
    }
    if (b.failUpdateAt >= 0 && fault.failAt < 0)
        fault.failAt = b.failUpdateAt;
    b.failUpdateAt = -1;
    return fault;
}

// Lock held. The device a write to this target changes: the mouse or
// receiver itself, or the one a device in update mode stands for (empty:
// none).
std::string writtenDevice(const std::string &target)
{
    const std::string kind = target.substr(0, target.find(':'));
    const std::string id = target.substr(target.find(':') + 1);
    if (kind != "boot")
        return id;
    const BootDevice *d = bootById(id);
    return d ? d->device : std::string();
}

// Lock held. The device a hold of a write to this target is told by: the
// one it changes, else the device in update mode written.
std::string heldDevice(const std::string &target)
{
    const std::string device = writtenDevice(target);
    return device.empty() ? target.substr(target.find(':') + 1) : device;
}

// Lock held. A write to a working mouse or receiver that stops leaves it
// waiting in update mode, partly written; one already in update mode stays
// as it is.
void leaveInUpdateMode(const std::string &target, const ImageHeader &h)
{
    Bench &b = bench();
    if (target.compare(0, 5, "boot:") == 0)
        return;
    const std::string device = writtenDevice(target);
    Mouse *m = mouseById(device);
    Receiver *r = receiverById(device);
    if (!m && !r)
        return;
    if (m)
        m->bootMode = true;
    if (r)
        r->bootMode = true;
    BootDevice *d = standInFor(device);
    if (!d) {
        b.boots.push_back(BootDevice());
        d = &b.boots.back();
        d->id = device + "-boot";
    }
    d->code = h.code;
    d->cid = h.cid;
    d->mid = h.mid;
    d->model = h.model;
    d->device = device;
    // It shows on the bus in update mode while it stays attached.
    d->plugged = m ? m->cable : r->plugged;
}

// Lock held. The away flag of a mouse or receiver that does not wait in
// update mode (null: none).
bool *awayFlag(const std::string &device)
{
    if (Mouse *m = mouseById(device))
        return m->bootMode ? nullptr : &m->away;
    if (Receiver *r = receiverById(device))
        return r->bootMode ? nullptr : &r->away;
    return nullptr;
}

// Lock held. The device restarts slowly: it is off the bus for ms (real
// milliseconds, not scaled) and then comes back. A restart() meanwhile
// rebuilds the bench, which brings it back at once.
void restartSlowly(const std::string &device, int ms)
{
    bool *away = awayFlag(device);
    if (!away)
        return;
    *away = true;
    upgrades().post(ms, [device]() {
        std::lock_guard<std::mutex> l(bench().mutex);
        bool *stillAway = awayFlag(device);
        if (!stillAway || !*stillAway)
            return;
        *stillAway = false;
        busChanged();
    });
}

// Lock held. The end of a write on its target: it runs the image, waits in
// update mode, or runs what it ran before (as the write found it). One that
// restarts on firmware may be slow to come back.
void finish(const std::string &target, const ImageHeader &h, WriteEnd end)
{
    Bench &b = bench();
    if (end == WriteEnd::NewFirmware) {
        if (target.compare(0, 5, "boot:") == 0) {
            if (BootDevice *d = bootById(target.substr(5)))
                d->plugged = false;   // it restarts as the device it stands for
        }
        const std::string device = writtenDevice(target);
        if (Mouse *m = mouseById(device)) {
            m->version = h.version;
            m->bootMode = false;
        }
        if (Receiver *r = receiverById(device)) {
            r->version = h.version;
            r->bootMode = false;
        }
    } else if (end == WriteEnd::UpdateMode) {
        leaveInUpdateMode(target, h);
    }
    if (end != WriteEnd::UpdateMode && b.upgrade.fault.comebackMs > 0)
        restartSlowly(writtenDevice(target), b.upgrade.fault.comebackMs);
    b.upgrade.running = false;
    b.upgrade.heldAt = -1;
    b.upgrade.resume = nullptr;
    noteHold();
    saveState();
    busChanged();
}

void report(UsbUpgradeCallback callback, u8 kind, u8 value)
{
    const u8 event[4] = {7, kind, value, 0};
    if (callback)
        callback(event);
}

// Lock held. Whether the write `run` is still the one in progress.
bool writing(int run)
{
    return bench().upgrade.running && bench().upgrade.run == run;
}

// Lock held. A write that cannot begin: its end is still reported, so that
// nobody waits for it in vain.
unsigned char refuse(UsbUpgradeCallback callback, const std::string &why)
{
    Bench &b = bench();
    b.upgradeLog[1] = why;
    b.upgradeLog[7] = "result: failure";
    upgrades().post(scaled(20), [callback]() { report(callback, 2, 0); });
    return 0;
}

// Lock held. The write stops: the device is left in update mode, the log
// says where, and the end comes as a failure.
void failWrite(const std::string &stopped)
{
    Bench &b = bench();
    const Upgrade write = b.upgrade;
    b.upgradeLog[4] = stopped;
    b.upgradeLog[5] = "verify: not reached";
    b.upgradeLog[6] = kLeftInUpdateMode;
    b.upgradeLog[7] = "result: failure";
    finish(write.target, readHeader(write.header.data()), WriteEnd::UpdateMode);
    if (!write.silent)
        upgrades().post(0, [callback = write.callback]() { report(callback, 2, 0); });
}

// Lock held. The end of a write that reached 100 %: the device checks the
// image and runs it, unless its fault fails the check. Returns the end
// event's value; *tell is the callback to tell it at once (left null: the
// news comes late, or never).
u8 completeWrite(UsbUpgradeCallback *tell)
{
    Bench &b = bench();
    const Upgrade write = b.upgrade;
    const ImageHeader h = readHeader(write.header.data());
    const WriteEnd end = write.fault.verified;
    const u8 result = end == WriteEnd::NewFirmware ? 1 : 0;
    b.upgradeLog[4] = "write: 100 %";
    b.upgradeLog[5] = result ? "verify: ok" : "verify: failed";
    b.upgradeLog[6] = kLeftInUpdateMode;
    b.upgradeLog[7] = result ? "result: success" : "result: failure";
    if (end == WriteEnd::NewFirmware) {
        b.upgradeLog[6] = "restart: " + versionText(h.version);
    } else if (end == WriteEnd::OldFirmware && write.target.compare(0, 5, "boot:") != 0) {
        const std::string device = writtenDevice(write.target);
        const Mouse *m = mouseById(device);
        b.upgradeLog[6] = "restart: " + versionText(m ? m->version : receiverById(device)->version);
    }
    finish(write.target, h, end);
    if (write.silent)
        return result;
    if (write.fault.holdEnd) {
        b.heldEndOf = heldDevice(write.target);
        b.heldEnd = [callback = write.callback, result]() { report(callback, 2, result); };
        noteHold();
        return result;
    }
    if (write.fault.holdMs <= 0) {
        *tell = write.callback;
        return result;
    }
    // The device runs its firmware already; only the news is late.
    upgrades().post(write.fault.holdMs, [callback = write.callback, result]() { report(callback, 2, result); });
    return result;
}

// One step of the write `run`: at percent it stops if its fault says so,
// else reports its progress and goes on (behind the gate, once let go).
void writeStep(int run, int percent)
{
    UsbUpgradeCallback callback = nullptr;
    u8 result = 0;
    {
        std::lock_guard<std::mutex> l(bench().mutex);
        Upgrade &write = bench().upgrade;
        if (!writing(run))
            return;
        if (percent > 100) {
            result = completeWrite(&callback);
        } else if (write.fault.failAt >= 0 && percent >= write.fault.failAt) {
            failWrite("write: stopped at " + std::to_string(percent) + " %");
            return;
        } else if (!write.silent) {
            callback = write.callback;
        }
    }
    if (percent > 100) {
        if (callback)
            report(callback, 2, result);
        return;
    }
    if (callback)
        report(callback, 1, u8(percent));
    std::lock_guard<std::mutex> l(bench().mutex);
    Bench &b = bench();
    if (!writing(run))
        return;
    auto next = [run, percent]() { writeStep(run, percent + 5); };
    Upgrade &write = b.upgrade;
    const bool holdHere = write.fault.holdAt >= 0 && percent >= write.fault.holdAt;
    if ((b.stepGate && callback) || holdHere) {
        if (holdHere)
            write.fault.holdAt = -1;   // held once, it then goes on to its end
        write.heldAt = percent;
        write.resume = next;
        noteHold();
        return;
    }
    upgrades().post(scaled(kStepMs), next);
}

} // namespace

namespace hidsim {
namespace detail {

BootDevice *standInFor(const std::string &id)
{
    for (BootDevice &d : bench().boots)
        if (!id.empty() && d.device == id)
            return &d;
    return nullptr;
}

void cutWrite()
{
    Bench &b = bench();
    if (!b.upgrade.running)
        return;
    leaveInUpdateMode(b.upgrade.target, readHeader(b.upgrade.header.data()));
    b.upgrade.running = false;
    saveState();
}

void releaseHeldStep()
{
    Upgrade &write = bench().upgrade;
    if (!write.resume)
        return;
    write.heldAt = -1;
    upgrades().post(scaled(kStepMs), std::move(write.resume));
    write.resume = nullptr;
    noteHold();
}

bool releaseHold(const std::string &id)
{
    Bench &b = bench();
    if (b.upgrade.running && b.upgrade.resume && heldDevice(b.upgrade.target) == id) {
        releaseHeldStep();
        return true;
    }
    if (!b.heldEnd || b.heldEndOf != id)
        return false;
    upgrades().post(0, std::move(b.heldEnd));
    b.heldEnd = nullptr;
    b.heldEndOf.clear();
    noteHold();
    return true;
}

void noteHold()
{
    const Bench &b = bench();
    std::string text;
    if (b.upgrade.running && b.upgrade.resume)
        text = heldDevice(b.upgrade.target) + " " + std::to_string(b.upgrade.heldAt);
    else if (b.heldEnd)
        text = b.heldEndOf + " end";
    tellHold(text);
}

bool pullEndsUpdate(const std::string &id)
{
    Bench &b = bench();
    if (!b.upgrade.running)
        return false;
    for (const std::string &written : b.upgrade.devices) {
        if (written == id) {
            failWrite("write: the device was unplugged");
            return true;
        }
    }
    return false;
}

} // namespace detail
} // namespace hidsim

extern "C" int UsbUpgradeC_FindBootDevices(const unsigned char *image, int *count)
{
    logCall("UsbUpgradeC_FindBootDevices()");
    std::lock_guard<std::mutex> lock(bench().mutex);
    ensureInit();
    if (answerFails())
        return 0;
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
    b.upgradeLog.assign(8, std::string());
    b.upgradeLog[0] = "image: device " + std::to_string(h.code) + ", CID " + std::to_string(h.cid) + ", MID "
                      + std::to_string(h.mid) + ", model \"" + h.model + "\", " + versionText(h.version);
    if (b.upgrade.running)
        return refuse(callback, "busy: another update is running");
    // The device checks what it receives: a header without firmware after
    // it is not written.
    if (h.bodyLength == 0)
        return refuse(callback, "refused: the image holds no firmware");
    const std::string target = findTarget(h);
    if (target.empty())
        return refuse(callback, "no device fits the image");

    const int run = ++b.upgradeSerial;
    b.upgrade.running = true;
    b.upgrade.run = run;
    b.upgrade.target = target;
    b.upgrade.devices = targetIds(target);
    b.upgrade.header.assign(image, image + kHeaderSize);
    b.upgrade.callback = callback;
    for (const std::string &id : b.upgrade.devices)
        ++b.updatesBegun[id];
    const UpdateFault fault = takeFault(b.upgrade.devices);
    b.upgrade.silent = fault.silent;
    b.upgradeLog[1] = "target: " + target;
    b.upgradeLog[2] = "enter update mode: ok";
    b.upgradeLog[3] = "erase: ok";
    b.upgrade.fault = fault;
    upgrades().post(scaled(kStepMs), [run]() { writeStep(run, 0); });
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

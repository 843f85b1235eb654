// The library's C functions, answered by the simulated bench.

#include "state.h"

#include "HIDUsbRecords.h"

#include <cstring>
#include <set>

using namespace hidsim::detail;

namespace {

struct Locked {
    std::lock_guard<std::mutex> lock{bench().mutex};
    Locked() { ensureInit(); }
};

// Path texts are kept for the life of the process, so a pointer the
// program keeps into a search result never dangles; only the array itself
// is replaced by the next search.
char *intern(const std::string &path)
{
    static std::mutex mutex;
    static std::set<std::string> *texts = new std::set<std::string>;
    std::lock_guard<std::mutex> lock(mutex);
    return const_cast<char *>(texts->insert(path).first->c_str());
}

int parseHex(const char *text)
{
    if (!text)
        return -1;
    std::string s(text);
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.erase(s.begin());
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\n' || s.back() == '\r'))
        s.pop_back();
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X'))
        s = s.substr(2);
    if (s.empty() || s.size() > 4)
        return -1;
    int v = 0;
    for (char c : s) {
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else
            return -1;
        v = v * 16 + d;
    }
    return v;
}

// Lock held. Paths of the attached devices with this VID and PID.
std::vector<std::string> search(const char *vid, const char *pid, int max)
{
    std::vector<std::string> found;
    if (parseHex(vid) != kVendorId)
        return found;
    const int p = parseHex(pid);
    Bench &b = bench();
    if (p == kCablePid) {
        for (const Mouse &m : b.mice)
            if (listed(m))
                found.push_back(cablePath(m));
    } else {
        for (const Receiver &r : b.receivers)
            if (listed(r) && receiverPid(r.cls) == p)
                found.push_back(receiverPath(r));
    }
    if (int(found.size()) > max)
        found.resize(size_t(max));
    return found;
}

char **toArray(std::vector<char *> &array, const std::vector<std::string> &paths)
{
    array.clear();
    for (const std::string &p : paths)
        array.push_back(intern(p));
    array.push_back(nullptr);
    return array.data();
}

std::string num(long v)
{
    return std::to_string(v);
}

// Lock held. The path a query reaches: none, as if no device were there,
// when it gets no answer.
const char *reached(const char *path)
{
    return answerFails() ? nullptr : path;
}

} // namespace

// ---- Discovery -------------------------------------------------------------------

extern "C" char **UsbFinderC_FindHidDevicesByDefaultDeviceId(const char *vid, const char *pid, int *count)
{
    thread_local std::vector<char *> array;
    logCall("UsbFinderC_FindHidDevicesByDefaultDeviceId(" + quoted(vid) + ", " + quoted(pid) + ", "
            + (count ? num(*count) : std::string("null")) + ")");
    std::vector<std::string> paths;
    {
        Locked l;
        int max = count && *count > 0 ? *count : 5;
        paths = search(vid, pid, max < 5 ? max : 5);
    }
    if (count)
        *count = int(paths.size());
    return toArray(array, paths);
}

extern "C" char **UsbFinderC_FindHidDevicesByDeviceId(const char *vid, const char *pid, int interfaceId,
                                                      int maxCount, int *count)
{
    thread_local std::vector<char *> array;
    logCall("UsbFinderC_FindHidDevicesByDeviceId(" + quoted(vid) + ", " + quoted(pid) + ", " + num(interfaceId)
            + ", " + num(maxCount) + ")");
    std::vector<std::string> paths;
    {
        Locked l;
        paths = search(vid, pid, maxCount > 0 ? maxCount : 5);
    }
    if (count)
        *count = int(paths.size());
    return toArray(array, paths);
}

extern "C" int UsbFinderC_GetUsbDeviceAttribute(const char *path, unsigned char *attribute12)
{
    logCall("UsbFinderC_GetUsbDeviceAttribute(" + quoted(path) + ")");
    Locked l;
    path = reached(path);
    if (!attribute12)
        return 0;
    int pid = 0, version = 0;
    u8 cid = 0, mid = 0, link = 0;
    if (Receiver *r = receiverByPath(path)) {
        pid = receiverPid(r->cls);
        version = usbVersionOf(*r);
        cid = r->cid;
        mid = r->mid;
        link = receiverLink(r->cls);
    } else if (Mouse *m = cableMouseByPath(path)) {
        pid = kCablePid;
        version = m->version;
        cid = m->cid;
        mid = m->mid;
        link = 2;
    } else {
        return 0;
    }
    const u8 a[12] = {u8(kVendorId & 0xFF), u8(kVendorId >> 8), u8(pid & 0xFF), u8(pid >> 8), 1, cid, mid, link,
                      u8(version & 0xFF), u8((version >> 8) & 0xFF), 0, 0};
    std::memcpy(attribute12, a, sizeof a);
    return 1;
}

extern "C" UsbDeviceInfo UsbFinderC_GetDeviceInfo(const char *path)
{
    logCall("UsbFinderC_GetDeviceInfo(" + quoted(path) + ")");
    Locked l;
    path = reached(path);
    if (Receiver *r = receiverByPath(path))
        return UsbDeviceInfo{r->cid, r->mid, receiverLink(r->cls)};
    if (Mouse *m = cableMouseByPath(path))
        return UsbDeviceInfo{m->cid, m->mid, 2};
    return UsbDeviceInfo{0, 0, 0};
}

extern "C" unsigned char UsbFinderC_GetDeviceOnLine(const char *path)
{
    logCall("UsbFinderC_GetDeviceOnLine(" + quoted(path) + ")");
    Locked l;
    return answeringMouse(path) ? 1 : 0;
}

extern "C" unsigned char UsbFinderC_GetDeviceOnLineWithUsbAddress(const char *path, unsigned char *buffer10)
{
    logCall("UsbFinderC_GetDeviceOnLineWithUsbAddress(" + quoted(path) + ")");
    Locked l;
    path = reached(path);
    u8 b[10] = {u8(kVendorId & 0xFF), u8(kVendorId >> 8), 0, 0, 0, 0, 0, 0, 0, 0};
    int pid = 0;
    ReceiverId id{{0, 0, 0}};
    u8 cid = 0, mid = 0;
    if (Receiver *r = receiverByPath(path)) {
        pid = receiverPid(r->cls);
        id = r->rid;
        cid = r->cid;
        mid = r->mid;
    } else if (Mouse *m = cableMouseByPath(path)) {
        pid = kCablePid;
        id = m->pairedId;
        cid = m->cid;
        mid = m->mid;
    } else {
        if (buffer10)
            std::memset(buffer10, 0, 10);
        return 0;
    }
    const u8 online = answeringMouse(path) ? 1 : 0;
    b[2] = u8(pid & 0xFF);
    b[3] = u8(pid >> 8);
    b[4] = cid;
    b[5] = mid;
    b[6] = online;
    b[7] = id[0];
    b[8] = id[1];
    b[9] = id[2];
    if (buffer10)
        std::memcpy(buffer10, b, 10);
    return online;
}

extern "C" int UsbFinderC_GetVersion(const char *path)
{
    logCall("UsbFinderC_GetVersion(" + quoted(path) + ")");
    Locked l;
    Mouse *m = answeringMouse(reached(path));
    return m ? m->version : 0;
}

extern "C" int StartUsbChanged(UsbChangedCallback callback, int settleMs)
{
    logCall("StartUsbChanged(" + std::string(callback ? "callback" : "null") + ", " + num(settleMs) + ")");
    Locked l;
    Bench &b = bench();
    b.changeCallback = callback;
    b.settleMs = settleMs > 0 ? settleMs : 0;
    // A fresh registration learns the current bus at once, after the settle time.
    busChanged();
    return callback ? 1 : 0;
}

extern "C" void StopUsbChanged(void)
{
    logCall("StopUsbChanged()");
    Locked l;
    bench().changeCallback = nullptr;
    ++bench().changeSeq;
}

// ---- Device server ------------------------------------------------------------------

extern "C" int UsbServerC_Start(const char *path, const char *path2, UsbServerEventCallback callback)
{
    logCall("UsbServerC_Start(" + quoted(path) + ", " + quoted(path2) + ", "
            + std::string(callback ? "callback" : "null") + ")");
    Locked l;
    Server &s = bench().server;
    ++s.generation;   // answers still queued for an earlier start are dropped
    s.active = true;
    s.path = path ? path : "";
    s.callback = callback;
    s.lastReachable = serverMouse() != nullptr;
    return receiverByPath(path) || cableMouseByPath(path) ? 1 : 0;
}

extern "C" void UsbServer_Exit(void)
{
    logCall("UsbServer_Exit()");
    Locked l;
    Server &s = bench().server;
    ++s.generation;
    s.active = false;
    s.callback = nullptr;
}

extern "C" int UsbServer_SetPCDriverStatus(int status)
{
    logCall("UsbServer_SetPCDriverStatus(" + num(status) + ")");
    Locked l;
    bench().pcDriverStatus = status;
    return serverMouse() ? 1 : 0;
}

extern "C" int UsbServer_SetBatteryOptimizeEnable(int enable)
{
    logCall("UsbServer_SetBatteryOptimizeEnable(" + num(enable) + ")");
    Locked l;
    bench().batteryOptimize = enable;
    return serverMouse() ? 1 : 0;
}

extern "C" int UsbServer_SetCurrentConfig(unsigned char index)
{
    logCall("UsbServer_SetCurrentConfig(" + num(index) + ")");
    Locked l;
    Mouse *m = serverMouse();
    if (!m || index >= kProfiles || sendFails())
        return 0;
    m->profile = index;
    saveState();
    // The mouse reports the new profile and that its whole configuration changed.
    queueEvent(10, 14, 0, 0, [](Bytes &d) {
        Mouse *mm = serverMouse();
        if (!mm)
            return false;
        d = {u8(mm->profile)};
        return true;
    });
    queueStatus(15, 1 << 2);
    return 1;
}

extern "C" int UsbServer_SetClearSetting(void)
{
    logCall("UsbServer_SetClearSetting()");
    Locked l;
    Mouse *m = serverMouse();
    if (!m || sendFails())
        return 0;
    // Every profile back to the factory configuration, the first one active.
    m->profiles.assign(kProfiles, factoryForm(m->mid));
    m->profile = 0;
    saveState();
    queueEvent(20, 14, 0, 0, [](Bytes &d) {
        Mouse *mm = serverMouse();
        if (!mm)
            return false;
        d = {u8(mm->profile)};
        return true;
    });
    // The mouse restarts with its factory configuration and announces itself
    // again, as after any reconnection.
    queueEvent(300, 9, 0, 0, [](Bytes &d) {
        if (!serverMouse())
            return false;
        d = {1};
        return true;
    });
    return 1;
}

extern "C" int UsbServer_EnterDonglePairOnlyCid(unsigned char cid)
{
    logCall("UsbServer_EnterDonglePairOnlyCid(" + num(cid) + ")");
    Locked l;
    Receiver *r = serverReceiver();
    if (!r)
        return 0;
    r->pairState = 1;
    const int run = ++r->pairRun;
    const std::string rid = r->id;
    const bool fail = bench().failPairing;
    bench().failPairing = false;
    // The receiver listens for a mouse of that CID for a while.
    events().post(scaled(1200), [rid, run, cid, fail]() {
        std::lock_guard<std::mutex> lock(bench().mutex);
        Receiver *rr = receiverById(rid);
        if (!rr || rr->pairRun != run || rr->pairState != 1 || !rr->plugged)
            return;
        Mouse *chosen = nullptr;
        if (!fail) {
            for (Mouse &m : bench().mice) {
                if (!runsFirmware(m) || !m.online || m.cid != cid)
                    continue;
                if (m.id == rr->mouse) {   // its own mouse first
                    chosen = &m;
                    break;
                }
                if (!chosen)
                    chosen = &m;
            }
        }
        if (!chosen) {
            rr->pairState = 2;
            return;
        }
        // A mouse paired with it before keeps its id, but is not heard.
        pairMouse(*rr, *chosen);
        rr->pairState = 3;
        saveState();
        busChanged();
    });
    return 1;
}

extern "C" int UsbServer_ReadDonglePairStatus(void)
{
    logCall("UsbServer_ReadDonglePairStatus()");
    Locked l;
    if (!bench().server.active)
        return 0;
    queueEvent(5, 6, 0, 0, [](Bytes &d) {
        if (Receiver *r = serverReceiver()) {
            d = {u8(r->pairState)};
            return true;
        }
        if (bench().server.active && cableMouseByPath(bench().server.path.c_str())) {
            d = {2};   // a mouse on its cable cannot pair
            return true;
        }
        return false;
    });
    return 1;
}

namespace {

// Lock held. A read request the mouse answers after a short delay.
int read(const char *name, int delayMs, u8 event, u8 sub, std::function<void(const Mouse &, Bytes &)> fill)
{
    logCall(std::string(name) + "()");
    if (!bench().server.active)
        return 0;
    queueEvent(delayMs, event, 0, sub, [fill](Bytes &d) {
        Mouse *m = serverMouse();
        if (!m)
            return false;
        fill(*m, d);
        return true;
    });
    return 1;
}

} // namespace

extern "C" int UsbServer_ReadAllFlashData(void)
{
    Locked l;
    return read("UsbServer_ReadAllFlashData", 60, 8, 0,
                [](const Mouse &m, Bytes &d) { d = m.profiles[size_t(m.profile)]; });
}

extern "C" int UsbServer_ReadDPILed(void)
{
    Locked l;
    return read("UsbServer_ReadDPILed", 8, 8, 0x4C, [](const Mouse &m, Bytes &d) {
        const Bytes img = currentImage(m);
        d = {img[66], img[63], img[64], img[65], 0, 0, 0, 0};
    });
}

extern "C" int UsbServer_ReadBatteryLevel(void)
{
    Locked l;
    return read("UsbServer_ReadBatteryLevel", 10, 4, 0, [](const Mouse &m, Bytes &d) {
        d = {u8(m.charging ? 1 : 0), u8(m.battery)};
    });
}

extern "C" int UsbServer_ReadVersion(void)
{
    Locked l;
    return read("UsbServer_ReadVersion", 10, 18, 0, [](const Mouse &m, Bytes &d) {
        d = {u8(m.version & 0xFF), u8((m.version >> 8) & 0xFF)};
    });
}

extern "C" int UsbServer_ReadConfig(void)
{
    Locked l;
    return read("UsbServer_ReadConfig", 8, 14, 0, [](const Mouse &m, Bytes &d) { d = {u8(m.profile)}; });
}

extern "C" int UsbServer_ReadCurrentDPI(void)
{
    Locked l;
    return read("UsbServer_ReadCurrentDPI", 8, 8, 4,
                [](const Mouse &m, Bytes &d) { d = {currentImage(m)[2]}; });
}

extern "C" int UsbServer_ReadReportRate(void)
{
    Locked l;
    return read("UsbServer_ReadReportRate", 8, 8, 0,
                [](const Mouse &m, Bytes &d) { d = {currentImage(m)[0]}; });
}

extern "C" int UsbServer_ReadLedBar(void)
{
    Locked l;
    return read("UsbServer_ReadLedBar", 8, 8, 0xA0, [](const Mouse &m, Bytes &d) {
        const Bytes img = currentImage(m);
        d = {img[73], img[67], img[71], img[72], img[68], img[69], img[70], 0, 0};
    });
}

// ---- Configuration image ---------------------------------------------------------------

extern "C" int ProtocolDataParser(const unsigned char *deviceBytes, FlashDataMap *map)
{
    logCall("ProtocolDataParser()");
    if (!deviceBytes || !map)
        return 0;
    return decodeForm(deviceBytes, reinterpret_cast<u8 *>(map)) ? 1 : 0;
}

extern "C" int ProtocolDataUpdate(const FlashDataMap *map)
{
    logCall("ProtocolDataUpdate()");
    if (!map)
        return 0;
    const u8 *image = reinterpret_cast<const u8 *>(map);
    logImage(image);
    Locked l;
    Mouse *m = serverMouse();
    if (!m || sendFails())
        return 0;
    Bytes form(kFormSize, 0);
    if (!encodeForm(image, form.data()))
        return 0;   // too much to hold: the mouse keeps what it had
    m->profiles[size_t(m->profile)] = form;
    saveState();
    return 1;
}

extern "C" void BufferToDPILed(const unsigned char *data, unsigned char *dpiLedBlock)
{
    if (!data || !dpiLedBlock)
        return;
    dpiLedBlock[0] = data[1];   // mode
    dpiLedBlock[1] = data[2];   // brightness
    dpiLedBlock[2] = data[3];   // speed
    dpiLedBlock[3] = data[0];   // enable
}

extern "C" void BufferToLedBar(const unsigned char *data, unsigned char *ledBarBlock)
{
    if (!data || !ledBarBlock)
        return;
    ledBarBlock[0] = data[1];   // mode
    ledBarBlock[1] = data[4];   // R
    ledBarBlock[2] = data[5];   // G
    ledBarBlock[3] = data[6];   // B
    ledBarBlock[4] = data[2];   // speed
    ledBarBlock[5] = data[3];   // brightness
    ledBarBlock[6] = data[0];   // enable
}

extern "C" void GetDeviceBatteryStatus(const unsigned char *data, unsigned char *battery4)
{
    if (!data || !battery4)
        return;
    battery4[0] = data[1];
    battery4[1] = data[0] & 1;
    battery4[2] = 0;
    battery4[3] = 0;
}

extern "C" void GetDeviceStatusChanged(const unsigned char *data, unsigned char *status7)
{
    if (!data || !status7)
        return;
    for (int i = 0; i < 7; ++i)
        status7[i] = (data[0] >> i) & 1;
}

// ---- Receiver ----------------------------------------------------------------------------

extern "C" int UsbFinderC_Get4KDongleRGBValue(const char *path, DongleRGB *rgb)
{
    logCall("UsbFinderC_Get4KDongleRGBValue(" + quoted(path) + ")");
    Locked l;
    Receiver *r = receiverByPath(path);
    if (!r || !rgb)
        return 0;
    std::memcpy(rgb, r->rgb.data(), 10);
    return 1;
}

extern "C" int UsbFinderC_Set4KDongleRGB(const char *path, const DongleRGB *rgb)
{
    const u8 *bytes = reinterpret_cast<const u8 *>(rgb);
    logCall("UsbFinderC_Set4KDongleRGB(" + quoted(path) + ", " + (rgb ? hexText(bytes, 10) : "null") + ")");
    Locked l;
    Receiver *r = receiverByPath(path);
    if (!r || !rgb || bytes[0] < 1 || bytes[0] > 3 || sendFails())
        return 0;
    const bool changed = std::memcmp(r->rgb.data(), bytes, 10) != 0;
    std::memcpy(r->rgb.data(), bytes, 10);
    saveState();
    if (changed && serverReceiver() == r)
        queueEvent(10, 21, 0, 0, [](Bytes &d) {
            Receiver *rr = serverReceiver();
            if (!rr)
                return false;
            d.assign(rr->rgb.begin(), rr->rgb.end());
            return true;
        });
    return 1;
}

extern "C" int UsbFinderC_GetLongRangeMode(const char *path, unsigned char *mode)
{
    logCall("UsbFinderC_GetLongRangeMode(" + quoted(path) + ")");
    Locked l;
    Receiver *r = receiverByPath(path);
    if (!r || !mode)
        return 0;
    *mode = r->longRange;
    return 1;
}

extern "C" int UsbFinderC_SetLongRangeMode(const char *path, unsigned char on)
{
    logCall("UsbFinderC_SetLongRangeMode(" + quoted(path) + ", " + num(on) + ")");
    Locked l;
    Receiver *r = receiverByPath(path);
    if (!r || sendFails())
        return 0;
    const u8 value = on ? 1 : 0;
    const bool changed = r->longRange != value;
    r->longRange = value;
    saveState();
    if (changed && serverReceiver() == r)
        queueEvent(10, 23, 0, 0, [](Bytes &d) {
            Receiver *rr = serverReceiver();
            if (!rr)
                return false;
            // Normal range is reported with the receiver's 10-byte state.
            if (rr->longRange)
                d = {1};
            else
                d.assign(rr->rgb.begin(), rr->rgb.end());
            return true;
        });
    return 1;
}

extern "C" int UsbFinderC_SetDongleIDToMouse(const char *path, const unsigned char *record5)
{
    logCall("UsbFinderC_SetDongleIDToMouse(" + quoted(path) + ", " + (record5 ? hexText(record5, 5) : "null")
            + ")");
    Locked l;
    Mouse *m = cableMouseByPath(path);
    if (!m || !record5 || sendFails())
        return 0;
    m->pairedId = {{record5[2], record5[1], record5[0]}};
    // The receiver of that id reaches this mouse from now on; another mouse
    // that carries the id keeps it.
    for (Receiver &r : bench().receivers)
        if (r.rid == m->pairedId)
            pairMouse(r, *m);
    saveState();
    busChanged();
    return 1;
}

extern "C" bool UsbFinderC_GetSlaveVersion(const char *path, int *version)
{
    logCall("UsbFinderC_GetSlaveVersion(" + quoted(path) + ")");
    Locked l;
    Receiver *r = receiverByPath(reached(path));
    if (!r || !version)
        return false;
    *version = r->version;
    return true;
}

extern "C" unsigned char UsbFinderC_OpenDevice(const char *path)
{
    logCall("UsbFinderC_OpenDevice(" + quoted(path) + ")");
    Locked l;
    if (!receiverByPath(path) && !cableMouseByPath(path))
        return 0;
    bench().openPath = path;
    return 1;
}

extern "C" int UsbFinderC_ReadWriteDeviceData(const unsigned char *packet, unsigned char *reply, unsigned char length)
{
    logCall("UsbFinderC_ReadWriteDeviceData(" + (packet ? hexText(packet, length < 12 ? length : 12) : "null")
            + ", " + num(length) + ")");
    Locked l;
    if (!reply)
        return 0;
    std::memset(reply, 0, length);
    const std::string &open = bench().openPath;
    if (!packet || length < 8 || open.empty() || (!receiverByPath(open.c_str()) && !cableMouseByPath(open.c_str()))
        || sendFails())
        return 0;
    u8 sum = 0;
    for (int i = 0; i < length - 1; ++i)
        sum = u8(sum + packet[i]);
    if (u8(0x55 - sum) != packet[length - 1])
        return 0;   // a corrupt packet is dropped without an answer
    const bool clock = packet[0] == 0x0A && packet[1] == 0x00 && packet[2] == 0x10;
    if (clock) {
        bench().lastClock.assign(packet, packet + length);
        std::memcpy(reply, packet, 7);       // acknowledged: the command and date echoed
    } else {
        std::memcpy(reply, packet, 2);
        reply[2] = 0xFF;                     // command not supported
    }
    Bench &b = bench();
    const bool damaged = b.corruptReplies > 0;
    if (damaged) {
        --b.corruptReplies;
        if (b.corruptEcho)
            reply[3] = u8(reply[3] ^ 0x5A);
    }
    u8 rsum = 0;
    for (int i = 0; i < length - 1; ++i)
        rsum = u8(rsum + reply[i]);
    reply[length - 1] = u8(0x55 - rsum);
    if (damaged && !b.corruptEcho)
        reply[length - 1] = u8(reply[length - 1] ^ 0xFF);
    return 1;
}

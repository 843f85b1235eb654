// The control calls of hidusb_sim.h, with which tests and demos set up and
// steer the bench, and the records of every library call they read back.

#include "state.h"
#include "hidusb_sim.h"

#include <QCoreApplication>
#include <QFile>
#include <QThread>

#include <chrono>
#include <cstdio>
#include <cstring>

namespace hidsim {
namespace detail {

namespace {

std::mutex g_logMutex;
std::vector<std::string> g_calls;
std::vector<Bytes> g_sentImages;
constexpr size_t kMaxCalls = 20000;

void dropRuntime(Bench &b)
{
    // Generations keep counting, so nothing queued before stays valid.
    const int generation = b.server.generation + 1;
    b.server = Server();
    b.server.generation = generation;
    b.changeCallback = nullptr;
    ++b.changeSeq;
    b.failSends = 0;
    b.failAnswers = 0;
    b.corruptReplies = 0;
    b.corruptEcho = false;
    b.failPairing = false;
    b.failUpdateAt = -1;
    b.updateFaults.clear();
    b.upgrade = Upgrade();
    b.heldEndOf.clear();
    b.heldEnd = nullptr;
    noteHold();
    b.upgradeLog.assign(8, std::string());
    b.openPath.clear();
    b.lastClock.clear();
    events().clear();
    changes().clear();
    upgrades().clear();
}

} // namespace

void logCall(const std::string &text)
{
    std::lock_guard<std::mutex> lock(g_logMutex);
    if (g_calls.size() >= kMaxCalls)
        g_calls.erase(g_calls.begin(), g_calls.begin() + kMaxCalls / 2);
    g_calls.push_back(text);
}

void logImage(const u8 *image)
{
    std::lock_guard<std::mutex> lock(g_logMutex);
    if (g_sentImages.size() >= 1000)
        g_sentImages.erase(g_sentImages.begin(), g_sentImages.begin() + 500);
    g_sentImages.emplace_back(image, image + kImageSize);
}

std::string hexText(const u8 *p, int n)
{
    std::string s;
    char buf[4];
    for (int i = 0; i < n; ++i) {
        std::snprintf(buf, sizeof buf, i ? " %02X" : "%02X", p[i]);
        s += buf;
    }
    return s;
}

std::string quoted(const char *s)
{
    return s ? "\"" + std::string(s) + "\"" : std::string("null");
}

} // namespace detail

// ---- Control calls -------------------------------------------------------------

using namespace detail;

namespace {
struct Locked {
    std::lock_guard<std::mutex> lock{bench().mutex};
    Locked() { ensureInit(); }
};
} // namespace

bool reset(const char *fixtureFile)
{
    Locked l;
    Bench &b = bench();
    dropRuntime(b);
    b.fixtureFile = fixtureFile && *fixtureFile ? fixtureFile : qgetenv("HIDUSB_SIM_FIXTURE").toStdString();
    if (!b.stateDirSet)
        b.stateDir = defaultStateDir();
    QFile::remove(QString::fromStdString(stateFile(b)));
    b.updatesBegun.clear();
    b.stepGate = false;
    buildBench(b, false);
    {
        std::lock_guard<std::mutex> lock(g_logMutex);
        g_calls.clear();
        g_sentImages.clear();
    }
    return b.fixtureFile.empty() || QFile::exists(QString::fromStdString(b.fixtureFile));
}

void restart()
{
    Locked l;
    Bench &b = bench();
    // The library ends: a device it was writing is left partly written.
    cutWrite();
    dropRuntime(b);
    buildBench(b, true);
}

void setStateDir(const char *dir)
{
    Locked l;
    Bench &b = bench();
    b.stateDirSet = dir && *dir;
    b.stateDir = b.stateDirSet ? std::string(dir) : defaultStateDir();
}

std::string stateFilePath()
{
    Locked l;
    return stateFile(bench());
}

void setTimeScale(double scale)
{
    g_timeScale = scale < 0 ? 0 : scale;
}

double timeScale()
{
    return g_timeScale.load();
}

namespace {
bool waitUntilIdle(int timeoutMs, bool updates, std::chrono::microseconds poll)
{
    const std::int64_t end = nowMs() + timeoutMs;
    QCoreApplication *app = QCoreApplication::instance();
    const bool pumpEvents = app && QThread::currentThread() == app->thread();
    int quiet = 0;
    while (nowMs() < end) {
        // Callbacks may queue further work: idle must hold twice in a row.
        if (events().idle() && changes().idle() && (!updates || upgrades().idle())) {
            if (++quiet >= 2)
                return true;
        } else {
            quiet = 0;
        }
        if (pumpEvents)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        std::this_thread::sleep_for(poll);
    }
    return false;
}
} // namespace

bool waitIdle(int timeoutMs)
{
    return waitUntilIdle(timeoutMs, true, std::chrono::milliseconds(1));
}

bool waitBusIdle(int timeoutMs)
{
    return waitUntilIdle(timeoutMs, false, std::chrono::microseconds(100));
}

std::string pathOf(const char *id)
{
    Locked l;
    const std::string key = id ? id : "";
    if (Receiver *r = receiverById(key))
        return receiverPath(*r);
    if (Mouse *m = mouseById(key))
        return cablePath(*m);
    if (BootDevice *d = bootById(key))
        return bootPath(*d);
    return std::string();
}

std::vector<std::string> deviceIds()
{
    Locked l;
    std::vector<std::string> ids;
    for (const Receiver &r : bench().receivers)
        ids.push_back(r.id);
    for (const Mouse &m : bench().mice)
        ids.push_back(m.id);
    for (const BootDevice &d : bench().boots)
        ids.push_back(d.id);
    return ids;
}

bool plug(const char *id, bool plugged)
{
    Locked l;
    const std::string key = id ? id : "";
    bool inUpdateMode = false;
    if (Receiver *r = receiverById(key)) {
        r->plugged = plugged;
        if (!plugged)
            r->pairState = 0;
        inUpdateMode = r->bootMode;
    } else if (Mouse *m = mouseById(key)) {
        m->cable = plugged;
        inUpdateMode = m->bootMode;
    } else if (BootDevice *d = bootById(key)) {
        d->plugged = plugged;
    } else {
        return false;
    }
    // A device waiting in update mode comes and goes as that.
    if (inUpdateMode) {
        if (BootDevice *d = standInFor(key))
            d->plugged = plugged;
    }
    if (plugged || !pullEndsUpdate(key))
        busChanged();
    return true;
}

bool setOnline(const char *mouseId, bool online)
{
    Locked l;
    Mouse *m = mouseById(mouseId ? mouseId : "");
    if (!m)
        return false;
    if (m->online != online) {
        m->online = online;
        busChanged();
    }
    return true;
}

bool setBattery(const char *mouseId, int level, bool charging)
{
    Locked l;
    Mouse *m = mouseById(mouseId ? mouseId : "");
    if (!m)
        return false;
    m->battery = level < 0 ? 0 : level > 100 ? 100 : level;
    m->charging = charging;
    if (serverMouse() == m)
        queueStatus(5, 1 << 6);
    return true;
}

bool pressDpiButton(const char *mouseId)
{
    Locked l;
    Mouse *m = mouseById(mouseId ? mouseId : "");
    if (!m)
        return false;
    Bytes img = currentImage(*m);
    const int count = img[1] >= 1 && img[1] <= 8 ? img[1] : 1;
    img[2] = u8((img[2] + 1) % count);
    storeImage(*m, img.data(), m->profile);
    saveState();
    if (serverMouse() == m)
        queueStatus(5, 1 << 0);
    return true;
}

int firmwareVersion(const char *id)
{
    Locked l;
    const std::string key = id ? id : "";
    if (Mouse *m = mouseById(key))
        return m->version;
    if (Receiver *r = receiverById(key))
        return r->version;
    return -1;
}

int usbVersion(const char *receiverId)
{
    Locked l;
    Receiver *r = detail::receiverById(receiverId ? receiverId : "");
    return r ? usbVersionOf(*r) : -1;
}

int currentProfile(const char *mouseId)
{
    Locked l;
    Mouse *m = mouseById(mouseId ? mouseId : "");
    return m ? m->profile : -1;
}

int longRangeMode(const char *receiverId)
{
    Locked l;
    Receiver *r = detail::receiverById(receiverId ? receiverId : "");
    return r ? r->longRange : -1;
}

bool dongleRgb(const char *receiverId, unsigned char out10[10])
{
    Locked l;
    Receiver *r = detail::receiverById(receiverId ? receiverId : "");
    if (!r)
        return false;
    std::memcpy(out10, r->rgb.data(), 10);
    return true;
}

std::vector<unsigned char> pairedReceiverId(const char *mouseId)
{
    Locked l;
    Mouse *m = mouseById(mouseId ? mouseId : "");
    return m ? std::vector<unsigned char>(m->pairedId.begin(), m->pairedId.end()) : std::vector<unsigned char>();
}

std::vector<unsigned char> receiverId(const char *id)
{
    Locked l;
    Receiver *r = detail::receiverById(id ? id : "");
    return r ? std::vector<unsigned char>(r->rid.begin(), r->rid.end()) : std::vector<unsigned char>();
}

std::string pairedMouse(const char *receiverId)
{
    Locked l;
    Receiver *r = detail::receiverById(receiverId ? receiverId : "");
    return r ? r->mouse : std::string();
}

bool pair(const char *receiverId, const char *mouseId)
{
    Locked l;
    Receiver *r = detail::receiverById(receiverId ? receiverId : "");
    Mouse *m = mouseById(mouseId ? mouseId : "");
    if (!r || !m)
        return false;
    pairMouse(*r, *m);
    saveState();
    busChanged();
    return true;
}

std::vector<unsigned char> lastClockPacket()
{
    Locked l;
    return bench().lastClock;
}

bool storedImage(const char *mouseId, unsigned char *out10428, int profile)
{
    Locked l;
    Mouse *m = mouseById(mouseId ? mouseId : "");
    if (!m || profile >= kProfiles)
        return false;
    return decodeForm(m->profiles[size_t(profile < 0 ? m->profile : profile)].data(), out10428);
}

bool setStoredImage(const char *mouseId, const unsigned char *image10428, int profile)
{
    Locked l;
    Mouse *m = mouseById(mouseId ? mouseId : "");
    if (!m || profile >= kProfiles)
        return false;
    Bytes form(kFormSize, 0);
    if (!encodeForm(image10428, form.data()))
        return false;
    m->profiles[size_t(profile < 0 ? m->profile : profile)] = form;
    saveState();
    return true;
}

void factoryImage(int mid, unsigned char *out10428)
{
    const Bytes img = detail::factoryImage(mid);
    std::memcpy(out10428, img.data(), img.size());
}

void failNextSends(int n)
{
    Locked l;
    bench().failSends = n < 0 ? 0 : n;
}

void failNextAnswers(int n)
{
    Locked l;
    bench().failAnswers = n < 0 ? 0 : n;
}

void corruptNextReplies(int n, bool breakEcho)
{
    Locked l;
    bench().corruptReplies = n < 0 ? 0 : n;
    bench().corruptEcho = breakEcho;
}

void failNextPairing()
{
    Locked l;
    bench().failPairing = true;
}

void failUpdateAt(int percent)
{
    Locked l;
    bench().failUpdateAt = percent;
}

bool detail::setUpdateFault(const char *id, const std::function<void(UpdateFault &)> &set)
{
    const std::string key = id ? id : "";
    if (!mouseById(key) && !receiverById(key) && !bootById(key))
        return false;
    set(bench().updateFaults[key]);
    return true;
}

bool failUpdate(const char *deviceId, int percent)
{
    Locked l;
    return setUpdateFault(deviceId, [percent](UpdateFault &f) { f.failAt = percent < 0 ? -1 : percent; });
}

bool silentUpdate(const char *deviceId, bool silent)
{
    Locked l;
    return setUpdateFault(deviceId, [silent](UpdateFault &f) { f.silent = silent; });
}

bool holdUpdate(const char *deviceId, int ms)
{
    Locked l;
    return setUpdateFault(deviceId, [ms](UpdateFault &f) { f.holdMs = ms < 0 ? 0 : ms; });
}

bool failVerify(const char *deviceId, bool restartsOld)
{
    Locked l;
    return setUpdateFault(deviceId, [restartsOld](UpdateFault &f) {
        f.verified = restartsOld ? WriteEnd::OldFirmware : WriteEnd::UpdateMode;
    });
}

bool slowComeback(const char *deviceId, int ms)
{
    Locked l;
    return setUpdateFault(deviceId, [ms](UpdateFault &f) { f.comebackMs = ms < 0 ? 0 : ms; });
}

bool attached(const char *id)
{
    Locked l;
    const std::string key = id ? id : "";
    if (Mouse *m = mouseById(key))
        return m->cable && !m->away;
    if (Receiver *r = receiverById(key))
        return r->plugged && !r->away;
    if (BootDevice *d = bootById(key))
        return d->plugged;
    return false;
}

void setUpdateStepGate(bool on)
{
    Locked l;
    bench().stepGate = on;
    if (!on)
        releaseHeldStep();
}

int updateStepHeld()
{
    Locked l;
    return bench().upgrade.running ? bench().upgrade.heldAt : -1;
}

void releaseUpdateStep()
{
    Locked l;
    releaseHeldStep();
}

bool inUpdateMode(const char *id)
{
    Locked l;
    const std::string key = id ? id : "";
    if (Mouse *m = mouseById(key))
        return m->bootMode;
    if (Receiver *r = receiverById(key))
        return r->bootMode;
    return false;
}

int updatesBegun(const char *id)
{
    Locked l;
    const auto it = bench().updatesBegun.find(id ? id : "");
    return it == bench().updatesBegun.end() ? 0 : it->second;
}

std::vector<std::string> calls()
{
    std::lock_guard<std::mutex> lock(g_logMutex);
    return g_calls;
}

int countCalls(const char *function)
{
    const std::string prefix = std::string(function ? function : "") + "(";
    std::lock_guard<std::mutex> lock(g_logMutex);
    int n = 0;
    for (const std::string &c : g_calls)
        if (c.compare(0, prefix.size(), prefix) == 0)
            ++n;
    return n;
}

void clearCalls()
{
    std::lock_guard<std::mutex> lock(g_logMutex);
    g_calls.clear();
}

std::vector<std::vector<unsigned char>> sentImages()
{
    std::lock_guard<std::mutex> lock(g_logMutex);
    return g_sentImages;
}

void clearSentImages()
{
    std::lock_guard<std::mutex> lock(g_logMutex);
    g_sentImages.clear();
}

} // namespace hidsim

// The simulated bench: its devices, the fixture that describes them, the
// state file that keeps the mice's flash across runs, and the control calls
// of hidusb_sim.h.

#include "bench.h"
#include "hidusb_sim.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QSettings>
#include <QThread>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace hidsim {
namespace detail {

std::atomic<double> g_timeScale{1.0};

namespace {

std::mutex g_logMutex;
std::vector<std::string> g_calls;
std::vector<Bytes> g_sentImages;
constexpr size_t kMaxCalls = 20000;

const ReceiverId kNoReceiver{{0, 0, 0}};

ReceiverId parseId(const QVariant &value)
{
    QString text = value.type() == QVariant::StringList ? value.toStringList().join(' ') : value.toString();
    text.replace(':', ' ').replace(',', ' ');
    const QStringList parts = text.split(' ', Qt::SkipEmptyParts);
    ReceiverId id = kNoReceiver;
    for (int i = 0; i < 3 && i < parts.size(); ++i)
        id[size_t(i)] = u8(parts[i].toUInt(nullptr, 16));
    return id;
}

int number(const QSettings &s, const char *key, int fallback)
{
    const QVariant v = s.value(QLatin1String(key));
    if (!v.isValid())
        return fallback;
    bool ok = false;
    const int n = v.toString().trimmed().toInt(&ok, 0);
    return ok ? n : fallback;
}

void defaultBus(Bench &b)
{
    Receiver r;
    r.id = "R1";
    r.cls = 4;
    r.rid = {{0x3A, 0x51, 0x01}};
    r.version = 0x0102;
    b.receivers.push_back(r);

    Mouse m1;
    m1.id = "M1";
    m1.pairedId = r.rid;
    m1.battery = 80;
    b.mice.push_back(m1);

    Mouse m2;
    m2.id = "M2";
    m2.cable = true;
    m2.charging = true;
    m2.battery = 100;
    m2.pairedId = {{0x3A, 0x52, 0x07}};   // its own receiver, not on this bus
    b.mice.push_back(m2);
}

bool loadFixture(Bench &b, const std::string &file)
{
    if (!QFile::exists(QString::fromStdString(file)))
        return false;
    QSettings s(QString::fromStdString(file), QSettings::IniFormat);
    if (s.status() != QSettings::NoError)
        return false;
    std::vector<std::pair<std::string, std::string>> pairings;   // receiver id, mouse id
    for (const QString &group : s.childGroups()) {
        s.beginGroup(group);
        const QString type = s.value("type").toString().trimmed().toLower();
        const std::string id = group.toStdString();
        if (type == "receiver") {
            Receiver r;
            r.id = id;
            r.cls = number(s, "class", 4);
            if (r.cls != 1 && r.cls != 2 && r.cls != 4 && r.cls != 8)
                r.cls = 4;
            r.rid = parseId(s.value("id", "3A 51 01"));
            r.version = number(s, "version", r.version);
            r.cid = u8(number(s, "cid", 0x21));
            r.mid = u8(number(s, "mid", 1));
            r.plugged = number(s, "plugged", 1) != 0;
            r.rgb[0] = u8(number(s, "led", 1));
            r.longRange = u8(number(s, "longrange", 0) ? 1 : 0);
            const QString mouse = s.value("mouse").toString().trimmed();
            if (!mouse.isEmpty())
                pairings.emplace_back(id, mouse.toStdString());
            b.receivers.push_back(r);
        } else if (type == "mouse") {
            Mouse m;
            m.id = id;
            m.cid = u8(number(s, "cid", 0x21));
            m.mid = u8(number(s, "mid", 1));
            m.version = number(s, "version", m.version);
            m.battery = number(s, "battery", m.battery);
            m.charging = number(s, "charging", 0) != 0;
            m.online = number(s, "online", 1) != 0;
            m.cable = number(s, "cable", 0) != 0;
            if (s.contains("paired"))
                m.pairedId = parseId(s.value("paired"));
            b.mice.push_back(m);
        } else if (type == "boot") {
            BootDevice d;
            d.id = id;
            d.code = number(s, "code", 210);
            d.cid = u8(number(s, "cid", 0x21));
            d.mid = u8(number(s, "mid", 1));
            d.model = s.value("model").toString().toStdString();
            d.device = s.value("device").toString().trimmed().toStdString();
            d.plugged = number(s, "plugged", 1) != 0;
            b.boots.push_back(d);
        }
        s.endGroup();
    }
    for (const auto &p : pairings) {
        Receiver *r = nullptr;
        for (Receiver &x : b.receivers)
            if (x.id == p.first)
                r = &x;
        for (Mouse &m : b.mice)
            if (m.id == p.second && r)
                m.pairedId = r->rid;
    }
    // A device in update mode that names a device stands in for it.
    for (const BootDevice &d : b.boots) {
        if (!d.plugged || d.device.empty())
            continue;
        for (Mouse &m : b.mice)
            if (m.id == d.device)
                m.bootMode = true;
        for (Receiver &r : b.receivers)
            if (r.id == d.device)
                r.bootMode = true;
    }
    return true;
}

std::string defaultStateDir()
{
    QString base = QString::fromLocal8Bit(qgetenv("XDG_DATA_HOME"));
    if (base.isEmpty())
        base = QDir::homePath() + "/.local/share";
    return (base + "/QuzmarSim").toStdString();
}

QString stateFile(const Bench &b)
{
    return QString::fromStdString(b.stateDir) + "/hidusb-state.json";
}

void loadState(Bench &b)
{
    QFile f(stateFile(b));
    if (!f.open(QIODevice::ReadOnly))
        return;
    const QJsonObject root = QJsonDocument::fromJson(f.readAll()).object();
    const QJsonObject mice = root.value("mice").toObject();
    for (Mouse &m : b.mice) {
        const QJsonObject o = mice.value(QString::fromStdString(m.id)).toObject();
        if (o.isEmpty() || o.value("mid").toInt(-1) != m.mid)
            continue;   // another model under the same name: start from the factory
        m.version = o.value("version").toInt(m.version);
        const QJsonArray profiles = o.value("profiles").toArray();
        for (int i = 0; i < kProfiles && i < profiles.size(); ++i) {
            const QByteArray form = QByteArray::fromBase64(profiles[i].toString().toLatin1());
            u8 probe[kImageSize];
            if (form.size() == kFormSize && decodeForm(reinterpret_cast<const u8 *>(form.constData()), probe))
                m.profiles[size_t(i)].assign(form.begin(), form.end());
        }
        m.profile = qBound(0, o.value("profile").toInt(0), kProfiles - 1);
        if (o.contains("paired"))
            m.pairedId = parseId(o.value("paired").toString());
    }
    const QJsonObject receivers = root.value("receivers").toObject();
    for (Receiver &r : b.receivers) {
        const QJsonObject o = receivers.value(QString::fromStdString(r.id)).toObject();
        if (o.isEmpty())
            continue;
        r.version = o.value("version").toInt(r.version);
        r.longRange = u8(o.value("longRange").toInt(r.longRange));
        const QByteArray rgb = QByteArray::fromHex(o.value("rgb").toString().toLatin1());
        if (rgb.size() == 10)
            std::memcpy(r.rgb.data(), rgb.constData(), 10);
    }
}

void build(Bench &b, bool withState)
{
    b.mice.clear();
    b.receivers.clear();
    b.boots.clear();
    if (b.fixtureFile.empty() || !loadFixture(b, b.fixtureFile)) {
        b.mice.clear();
        b.receivers.clear();
        b.boots.clear();
        defaultBus(b);
    }
    for (Mouse &m : b.mice) {
        m.profiles.assign(kProfiles, factoryForm(m.mid));
        m.profile = 0;
    }
    if (!b.stateDirSet)
        b.stateDir = defaultStateDir();
    if (withState)
        loadState(b);
}

void dropRuntime(Bench &b)
{
    // Generations keep counting, so nothing queued before stays valid.
    const int generation = b.server.generation + 1;
    b.server = Server();
    b.server.generation = generation;
    b.changeCallback = nullptr;
    ++b.changeSeq;
    b.failSends = 0;
    b.corruptReplies = 0;
    b.corruptEcho = false;
    b.failPairing = false;
    b.failUpdateAt = -1;
    b.upgradeRunning = false;
    b.upgradeLog.assign(8, std::string());
    b.openPath.clear();
    b.lastClock.clear();
    events().clear();
    changes().clear();
    upgrades().clear();
}

} // namespace

Bench &bench()
{
    static Bench *b = new Bench;   // never destroyed: library threads may outlive exit handlers
    return *b;
}

Dispatcher &events()
{
    static Dispatcher *d = new Dispatcher("events");
    return *d;
}

Dispatcher &changes()
{
    static Dispatcher *d = new Dispatcher("changes");
    return *d;
}

Dispatcher &upgrades()
{
    static Dispatcher *d = new Dispatcher("upgrade");
    return *d;
}

int scaled(int ms)
{
    const double s = g_timeScale.load();
    return s <= 0 ? 0 : int(ms * s + 0.5);
}

void ensureInit()
{
    Bench &b = bench();
    if (b.initialized)
        return;
    b.initialized = true;
    const QByteArray scale = qgetenv("HIDUSB_SIM_TIME_SCALE");
    if (!scale.isEmpty()) {
        bool ok = false;
        const double s = scale.toDouble(&ok);
        if (ok && s >= 0)
            g_timeScale = s;
    }
    b.fixtureFile = qgetenv("HIDUSB_SIM_FIXTURE").toStdString();
    build(b, true);
    startControlWatch(qgetenv("HIDUSB_SIM_CONTROL").toStdString());
}

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

Receiver *receiverByPath(const char *path)
{
    if (!path)
        return nullptr;
    for (Receiver &r : bench().receivers)
        if (r.plugged && !r.bootMode && receiverPath(r) == path)
            return &r;
    return nullptr;
}

Mouse *cableMouseByPath(const char *path)
{
    if (!path)
        return nullptr;
    for (Mouse &m : bench().mice)
        if (m.cable && !m.bootMode && cablePath(m) == path)
            return &m;
    return nullptr;
}

Mouse *mouseById(const std::string &id)
{
    for (Mouse &m : bench().mice)
        if (m.id == id)
            return &m;
    return nullptr;
}

Receiver *receiverById(const std::string &id)
{
    for (Receiver &r : bench().receivers)
        if (r.id == id)
            return &r;
    return nullptr;
}

BootDevice *bootById(const std::string &id)
{
    for (BootDevice &d : bench().boots)
        if (d.id == id)
            return &d;
    return nullptr;
}

Mouse *mouseBehind(const Receiver &r)
{
    if (r.rid == kNoReceiver)
        return nullptr;
    for (Mouse &m : bench().mice)
        if (!m.bootMode && m.pairedId == r.rid)
            return &m;
    return nullptr;
}

Mouse *answeringMouse(const char *path)
{
    if (Receiver *r = receiverByPath(path)) {
        Mouse *m = mouseBehind(*r);
        return m && m->online ? m : nullptr;
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

Bytes currentImage(const Mouse &m)
{
    Bytes img(kImageSize, 0);
    if (!decodeForm(m.profiles[size_t(m.profile)].data(), img.data()))
        img = factoryImage(m.mid);
    return img;
}

void storeImage(Mouse &m, const u8 *image, int profile)
{
    Bytes form(kFormSize, 0);
    if (encodeForm(image, form.data()))
        m.profiles[size_t(profile)] = form;
}

void saveState()
{
    Bench &b = bench();
    QJsonObject mice;
    for (const Mouse &m : b.mice) {
        QJsonObject o;
        o["mid"] = m.mid;
        o["version"] = m.version;
        o["profile"] = m.profile;
        o["paired"] = QString::fromStdString(hexText(m.pairedId.data(), 3));
        QJsonArray profiles;
        for (const Bytes &form : m.profiles)
            profiles.append(QString::fromLatin1(
                QByteArray(reinterpret_cast<const char *>(form.data()), int(form.size())).toBase64()));
        o["profiles"] = profiles;
        mice[QString::fromStdString(m.id)] = o;
    }
    QJsonObject receivers;
    for (const Receiver &r : b.receivers) {
        QJsonObject o;
        o["version"] = r.version;
        o["longRange"] = r.longRange;
        o["rgb"] = QString::fromLatin1(QByteArray(reinterpret_cast<const char *>(r.rgb.data()), 10).toHex());
        receivers[QString::fromStdString(r.id)] = o;
    }
    QJsonObject root;
    root["format"] = 1;
    root["mice"] = mice;
    root["receivers"] = receivers;
    QDir().mkpath(QString::fromStdString(b.stateDir));
    // Written whole or not at all, like a flash page.
    QSaveFile f(stateFile(b));
    if (f.open(QIODevice::WriteOnly)) {
        f.write(QJsonDocument(root).toJson(QJsonDocument::Compact));
        f.commit();
    }
}

bool sendFails()
{
    Bench &b = bench();
    if (b.failSends > 0) {
        --b.failSends;
        return true;
    }
    return false;
}

void queueEvent(int delayMs, u8 event, u8 flag, u8 sub, std::function<bool(Bytes &)> payload)
{
    Bench &b = bench();
    if (!b.server.active)
        return;
    const int generation = b.server.generation;
    events().post(scaled(delayMs), [=]() {
        UsbServerEventCallback callback = nullptr;
        u8 header[8] = {0x08, event, 0, flag, sub, 0, 0, 0};
        Bytes data;
        {
            std::lock_guard<std::mutex> lock(bench().mutex);
            Bench &bb = bench();
            if (!bb.server.active || bb.server.generation != generation || !bb.server.callback)
                return;
            if (!payload(data))
                return;
            header[2] = u8(++bb.eventSeq);
            callback = bb.server.callback;
        }
        static const u8 none = 0;
        callback(header, int(sizeof header), data.empty() ? &none : data.data(), unsigned(data.size()));
    });
}

void queueStatus(int delayMs, u8 statusBits)
{
    queueEvent(delayMs, 10, 0, 0, [statusBits](Bytes &d) {
        if (!serverMouse())
            return false;
        d = {statusBits};
        return true;
    });
}

void busChanged()
{
    Bench &b = bench();
    const bool reachable = serverMouse() != nullptr;
    if (b.server.active && reachable && !b.server.lastReachable) {
        // The mouse answers again: it announces itself.
        queueEvent(100, 9, 0, 0, [](Bytes &d) {
            if (!serverMouse())
                return false;
            d = {1};
            return true;
        });
    }
    b.server.lastReachable = reachable;

    if (!b.changeCallback)
        return;
    const int seq = ++b.changeSeq;
    changes().post(scaled(b.settleMs), [seq]() {
        UsbChangedCallback callback = nullptr;
        {
            std::lock_guard<std::mutex> lock(bench().mutex);
            if (bench().changeSeq != seq)
                return;   // a later change restarted the settle time
            callback = bench().changeCallback;
        }
        if (callback)
            callback();
    });
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
    QFile::remove(stateFile(b));
    build(b, false);
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
    dropRuntime(b);
    build(b, true);
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
    return stateFile(bench()).toStdString();
}

void setTimeScale(double scale)
{
    g_timeScale = scale < 0 ? 0 : scale;
}

double timeScale()
{
    return g_timeScale.load();
}

bool waitIdle(int timeoutMs)
{
    const std::int64_t end = nowMs() + timeoutMs;
    QCoreApplication *app = QCoreApplication::instance();
    const bool pumpEvents = app && QThread::currentThread() == app->thread();
    int quiet = 0;
    while (nowMs() < end) {
        // Callbacks may queue further work: idle must hold twice in a row.
        if (events().idle() && changes().idle() && upgrades().idle()) {
            if (++quiet >= 2)
                return true;
        } else {
            quiet = 0;
        }
        if (pumpEvents)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
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
    if (Receiver *r = receiverById(key)) {
        r->plugged = plugged;
        if (!plugged)
            r->pairState = 0;
    } else if (Mouse *m = mouseById(key)) {
        m->cable = plugged;
    } else if (BootDevice *d = bootById(key)) {
        d->plugged = plugged;
    } else {
        return false;
    }
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

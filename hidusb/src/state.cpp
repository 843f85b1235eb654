// The simulated bench and where its devices come from: the one bench with
// its delivery threads and time scale, the fixture (or the default bus) that
// describes the devices, the state file that keeps their flash across runs,
// and how a change of the bench goes out to the program as events and
// device-change notices.

#include "state.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QSettings>

#include <cstring>

namespace hidsim {
namespace detail {

std::atomic<double> g_timeScale{1.0};

namespace {

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
    r.usbVersion = r.version;
    b.receivers.push_back(r);

    Mouse m1;
    m1.id = "M1";
    m1.pairedId = r.rid;
    m1.battery = 80;
    b.receivers.back().mouse = m1.id;
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
            r.usbVersion = number(s, "usbversion", r.version);
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
                pairMouse(*r, m);
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

void loadState(Bench &b)
{
    QFile f(QString::fromStdString(stateFile(b)));
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
        if (o.contains("updateMode"))
            m.bootMode = o.value("updateMode").toBool();
    }
    const QJsonObject receivers = root.value("receivers").toObject();
    for (Receiver &r : b.receivers) {
        const QJsonObject o = receivers.value(QString::fromStdString(r.id)).toObject();
        if (o.isEmpty())
            continue;
        r.version = o.value("version").toInt(r.version);
        r.usbVersion = o.value("usbVersion").toInt(r.usbVersion);
        r.longRange = u8(o.value("longRange").toInt(r.longRange));
        const QByteArray rgb = QByteArray::fromHex(o.value("rgb").toString().toLatin1());
        if (rgb.size() == 10)
            std::memcpy(r.rgb.data(), rgb.constData(), 10);
        if (o.contains("updateMode"))
            r.bootMode = o.value("updateMode").toBool();
        if (o.contains("mouse"))
            r.mouse = o.value("mouse").toString().toStdString();
    }
    // Devices in update mode: those a failed update left, and the fixture's
    // as their updates left them.
    const QJsonObject boots = root.value("boots").toObject();
    for (auto it = boots.begin(); it != boots.end(); ++it) {
        const QJsonObject o = it.value().toObject();
        const std::string id = it.key().toStdString();
        const std::string device = o.value("device").toString().toStdString();
        BootDevice *d = bootById(id);
        // One that stands for no device of this bench belongs to another.
        if (!d && !mouseById(device) && !receiverById(device))
            continue;
        if (!d) {
            b.boots.push_back(BootDevice());
            d = &b.boots.back();
            d->id = id;
        }
        d->code = o.value("code").toInt(d->code);
        d->cid = u8(o.value("cid").toInt(d->cid));
        d->mid = u8(o.value("mid").toInt(d->mid));
        d->model = o.value("model").toString(QString::fromStdString(d->model)).toStdString();
        d->device = o.value("device").toString(QString::fromStdString(d->device)).toStdString();
        d->plugged = o.value("plugged").toBool(d->plugged);
    }
    // A device that stands for a mouse or receiver shows while that one is
    // in update mode and attached (the fixture tells what is attached).
    for (BootDevice &d : b.boots) {
        if (const Mouse *m = mouseById(d.device))
            d.plugged = m->bootMode && m->cable;
        else if (const Receiver *r = receiverById(d.device))
            d.plugged = r->bootMode && r->plugged;
    }
}

} // namespace

std::string defaultStateDir()
{
    QString base = QString::fromLocal8Bit(qgetenv("XDG_DATA_HOME"));
    if (base.isEmpty())
        base = QDir::homePath() + "/.local/share";
    return (base + "/QuzmarSim").toStdString();
}

std::string stateFile(const Bench &b)
{
    return b.stateDir + "/hidusb-state.json";
}

void buildBench(Bench &b, bool withState)
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
    choosePairedMice(b);
}

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
    buildBench(b, true);
    startControlWatch(qgetenv("HIDUSB_SIM_CONTROL").toStdString());
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
        o["updateMode"] = m.bootMode;
        mice[QString::fromStdString(m.id)] = o;
    }
    QJsonObject receivers;
    for (const Receiver &r : b.receivers) {
        QJsonObject o;
        o["version"] = r.version;
        o["usbVersion"] = r.usbVersion;
        o["longRange"] = r.longRange;
        o["rgb"] = QString::fromLatin1(QByteArray(reinterpret_cast<const char *>(r.rgb.data()), 10).toHex());
        o["updateMode"] = r.bootMode;
        o["mouse"] = QString::fromStdString(r.mouse);
        receivers[QString::fromStdString(r.id)] = o;
    }
    QJsonObject boots;
    for (const BootDevice &d : b.boots) {
        QJsonObject o;
        o["code"] = d.code;
        o["cid"] = d.cid;
        o["mid"] = d.mid;
        o["model"] = QString::fromStdString(d.model);
        o["device"] = QString::fromStdString(d.device);
        o["plugged"] = d.plugged;
        boots[QString::fromStdString(d.id)] = o;
    }
    QJsonObject root;
    root["format"] = 1;
    root["mice"] = mice;
    root["receivers"] = receivers;
    root["boots"] = boots;
    QDir().mkpath(QString::fromStdString(b.stateDir));
    // Written whole or not at all, like a flash page.
    QSaveFile f(QString::fromStdString(stateFile(b)));
    if (f.open(QIODevice::WriteOnly)) {
        f.write(QJsonDocument(root).toJson(QJsonDocument::Compact));
        f.commit();
    }
}

namespace {
// Uses up one of a number of injected failures; true when one was left.
bool takeFailure(int &left)
{
    if (left <= 0)
        return false;
    --left;
    return true;
}
} // namespace

bool sendFails()
{
    return takeFailure(bench().failSends);
}

bool answerFails()
{
    return takeFailure(bench().failAnswers);
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
} // namespace hidsim

// The simulated device library: discovery, events on the library's threads,
// the device form of the image, persistence, pairing, update, faults.

#include <HIDUsb.h>
#include <hidusb_sim.h>
#include "flashdatamap.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Event {
    int event = 0;
    int flag = 0;
    int sub = 0;
    std::vector<unsigned char> data;
    std::thread::id thread;
};

std::mutex g_mutex;
std::vector<Event> g_events;
std::vector<std::vector<unsigned char>> g_upgrade;
std::vector<std::thread::id> g_changeThreads;

void onEvent(const unsigned char *report, int reportLen, const unsigned char *data, unsigned int dataLen)
{
    Event e;
    e.event = reportLen > 1 ? report[1] : 0;
    e.flag = reportLen > 3 ? report[3] : 0;
    e.sub = reportLen > 4 ? report[4] : 0;
    e.data.assign(data, data + dataLen);
    e.thread = std::this_thread::get_id();
    std::lock_guard<std::mutex> lock(g_mutex);
    g_events.push_back(e);
}

int onChange()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_changeThreads.push_back(std::this_thread::get_id());
    return 0;
}

// A device the user pulls when the write reaches a percentage ("restart":
// the program ends then).
std::string g_pullId;
int g_pullAt = -1;
// The device whose state an end event notes (empty: none), the state noted
// (onBus()) and how many change callbacks had come by then.
std::string g_watch;
QString g_atEnd;
int g_changesAtEnd = 0;

QString onBus(const char *id);

void onUpgrade(const unsigned char *event)
{
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        g_upgrade.emplace_back(event, event + 3);
    }
    if (event[1] == 2 && !g_watch.empty()) {
        const QString seen = onBus(g_watch.c_str());
        hidsim::waitBusIdle();
        std::lock_guard<std::mutex> lock(g_mutex);
        g_atEnd = seen;
        g_changesAtEnd = int(g_changeThreads.size());
    }
    if (event[1] == 1 && event[2] == g_pullAt) {
        if (g_pullId == "restart")
            hidsim::restart();
        else
            hidsim::plug(g_pullId.c_str(), false);
    }
}

// Runs lines the way another process steers the bench: through the command
// file, which the library removes once it has run them.
bool runControlLines(const QString &file, const QByteArray &lines)
{
    QFile f(file + ".new");
    if (!f.open(QIODevice::WriteOnly) || f.write(lines) != lines.size())
        return false;
    f.close();
    QFile::remove(file);
    if (!QFile::rename(file + ".new", file))
        return false;
    QElapsedTimer waited;
    waited.start();
    while (QFile::exists(file) && waited.elapsed() < 5000)
        QThread::msleep(10);
    return !QFile::exists(file);
}

std::vector<Event> takeEvents()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    std::vector<Event> e;
    e.swap(g_events);
    return e;
}

int changeCount()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    return int(g_changeThreads.size());
}

const Event *find(const std::vector<Event> &events, int event, int sub = -1)
{
    for (const Event &e : events)
        if (e.event == event && (sub < 0 || e.sub == sub))
            return &e;
    return nullptr;
}

std::string path(const char *id)
{
    return hidsim::pathOf(id);
}

// How the library shows a mouse on its cable (M...) or a receiver (R...):
// listed, by the version it answers with (hex); "update mode"; "away" (not
// attached either).
QString onBus(const char *id)
{
    const bool receiver = id[0] == 'R';
    int count = 5;
    UsbFinderC_FindHidDevicesByDefaultDeviceId("5A51", receiver ? "F514" : "F510", &count);
    int version = 0;
    if (receiver)
        UsbFinderC_GetSlaveVersion(path(id).c_str(), &version);
    else
        version = UsbFinderC_GetVersion(path(id).c_str());
    if (count == 1 && version > 0)
        return QString::number(version, 16);
    if (count || version)
        return "?";
    if (hidsim::inUpdateMode(id))
        return "update mode";
    return hidsim::attached(id) ? "?" : "away";
}

// Another write of this image: true when it reports progress and ends well.
bool updatesAsUsual(const std::vector<unsigned char> &img)
{
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        g_upgrade.clear();
    }
    if (!UsbUpgrade_Start(img.data(), onUpgrade, 10000) || !hidsim::waitIdle())
        return false;
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_upgrade.size() > 1 && g_upgrade.back() == std::vector<unsigned char>{7, 2, 1};
}

std::vector<unsigned char> image(const char *mouse)
{
    std::vector<unsigned char> img(sizeof(FlashDataMap));
    hidsim::storedImage(mouse, img.data());
    return img;
}

// A busy but realistic configuration: every setting byte, all key records
// and half of the macro blocks filled.
std::vector<unsigned char> busyImage(unsigned seed)
{
    std::mt19937 rng(seed);
    std::vector<unsigned char> img(sizeof(FlashDataMap), 0);
    for (int i = 0; i < 956; ++i)
        img[size_t(i)] = u8(rng() | 1);
    for (int k = 0; k < 8; ++k)
        for (int i = 0; i < 592; ++i)
            img[size_t(956 + 592 * 2 * k + i)] = u8(rng());
    img[122] = 0xC3;
    img[123] = 0x3C;
    return img;
}

std::vector<unsigned char> firmware(int code, int mid, int version, const char *model)
{
    std::vector<unsigned char> f(1024, 0);
    f[16] = u8(version & 0xFF);
    f[17] = u8(version >> 8);
    f[20] = u8(code);
    f[21] = 0x21;
    f[22] = u8(mid);
    f[24] = u8(f.size() - 728);   // the body's length
    f[25] = u8((f.size() - 728) >> 8);
    std::memcpy(f.data() + 87, model, std::strlen(model));
    return f;
}

} // namespace

class TestHidUsb : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_state;

    QString controlFile() const { return m_state.path() + "/control"; }

private slots:
    void initTestCase()
    {
        // Read when the library first starts up.
        qputenv("HIDUSB_SIM_CONTROL", controlFile().toUtf8());
    }

    void init()
    {
        g_pullAt = -1;
        g_watch.clear();
        hidsim::setStateDir(m_state.path().toUtf8().constData());
        QVERIFY(hidsim::reset());
        hidsim::setTimeScale(0);
        takeEvents();
        std::lock_guard<std::mutex> lock(g_mutex);
        g_upgrade.clear();
        g_changeThreads.clear();
    }

    void cleanup()
    {
        UsbServer_Exit();
        StopUsbChanged();
        hidsim::waitIdle();
    }

    void discoveryFindsTheDefaultBus()
    {
        int count = 0;
        char **paths = UsbFinderC_FindHidDevicesByDeviceId("5A51", "F514", 1, 5, &count);
        QCOMPARE(count, 1);
        const char *receiver = paths[0];
        QCOMPARE(std::string(receiver), path("R1"));

        const UsbDeviceInfo info = UsbFinderC_GetDeviceInfo(receiver);
        QCOMPARE(int(info.cid), 0x21);
        QCOMPARE(int(info.mid), 1);
        QCOMPARE(int(info.link), 1);   // 4K receiver

        unsigned char attr[12] = {};
        QCOMPARE(UsbFinderC_GetUsbDeviceAttribute(receiver, attr), 1);
        QCOMPARE(attr[8] | attr[9] << 8, 0x0102);
        QCOMPARE(UsbFinderC_GetVersion(receiver), 0x0105);   // the mouse behind it

        unsigned char online[10] = {};
        QCOMPARE(int(UsbFinderC_GetDeviceOnLineWithUsbAddress(receiver, online)), 1);
        QCOMPARE(int(online[6]), 1);
        QCOMPARE(std::vector<unsigned char>(online + 7, online + 10), hidsim::receiverId("R1"));

        // The mouse on its cable, with the optional 0x and lower case.
        count = 5;
        paths = UsbFinderC_FindHidDevicesByDefaultDeviceId("0x5a51", "f510", &count);
        QCOMPARE(count, 1);
        QCOMPARE(std::string(paths[0]), path("M2"));
        QCOMPARE(int(UsbFinderC_GetDeviceInfo(paths[0]).link), 2);
        QCOMPARE(int(UsbFinderC_GetDeviceOnLine(paths[0])), 1);

        // Other receivers, another vendor, garbage: nothing.
        for (const char *pid : {"F511", "F512", "F518"}) {
            count = 5;
            UsbFinderC_FindHidDevicesByDefaultDeviceId("5A51", pid, &count);
            QCOMPARE(count, 0);
        }
        count = 5;
        UsbFinderC_FindHidDevicesByDefaultDeviceId("1234", "F514", &count);
        QCOMPARE(count, 0);
        UsbFinderC_FindHidDevicesByDefaultDeviceId(nullptr, "zz", &count);
        QCOMPARE(count, 0);
        QCOMPARE(int(UsbFinderC_GetDeviceInfo("a").cid), 0);
        QCOMPARE(int(UsbFinderC_GetDeviceOnLine("a")), 0);

        // A path text stays valid after later searches.
        QCOMPARE(std::string(receiver), path("R1"));

        // Queries that get no answer fail as for no device, once each; then
        // the device answers again. reset() drops what is left.
        QVERIFY(runControlLines(controlFile(), "failanswers 6\n"));
        QCOMPARE(UsbFinderC_GetUsbDeviceAttribute(receiver, attr), 0);
        QCOMPARE(int(UsbFinderC_GetDeviceInfo(receiver).mid), 0);
        QCOMPARE(UsbFinderC_GetVersion(receiver), 0);
        int version = -1;
        QVERIFY(!UsbFinderC_GetSlaveVersion(receiver, &version));
        QCOMPARE(int(UsbFinderC_GetDeviceOnLineWithUsbAddress(receiver, online)), 0);
        QCOMPARE(std::vector<unsigned char>(online, online + 10), std::vector<unsigned char>(10, 0));
        count = -1;
        QCOMPARE(UsbUpgradeC_FindBootDevices(firmware(210, 1, 0x0106, "QZM-Q1").data(), &count), 0);
        QCOMPARE(count, -1);
        QCOMPARE(UsbFinderC_GetVersion(receiver), 0x0105);
        hidsim::failNextAnswers(1);
        QVERIFY(hidsim::reset());
        QCOMPARE(int(UsbFinderC_GetDeviceInfo(receiver).mid), 1);
    }

    void eventsArriveOnALibraryThreadAndDecode()
    {
        const std::string p = path("R1");
        QCOMPARE(UsbServerC_Start(p.c_str(), p.c_str(), onEvent), 1);
        UsbServer_ReadBatteryLevel();
        UsbServer_ReadVersion();
        UsbServer_ReadConfig();
        UsbServer_ReadCurrentDPI();
        UsbServer_ReadReportRate();
        UsbServer_ReadDPILed();
        UsbServer_ReadLedBar();
        QVERIFY(hidsim::waitIdle());
        const std::vector<Event> events = takeEvents();
        QCOMPARE(int(events.size()), 7);
        for (const Event &e : events) {
            QVERIFY(e.thread != std::this_thread::get_id());
            QCOMPARE(e.flag, 0);
        }

        const std::vector<unsigned char> img = image("M1");
        const Event *battery = find(events, 4);
        QVERIFY(battery);
        unsigned char status[4] = {9, 9, 9, 9};
        GetDeviceBatteryStatus(battery->data.data(), status);
        QCOMPARE(int(status[0]), 80);
        QCOMPARE(int(status[1]), 0);

        QVERIFY(find(events, 18));
        QCOMPARE(find(events, 14)->data, std::vector<unsigned char>{0});
        QCOMPARE(find(events, 8, 4)->data, std::vector<unsigned char>{img[2]});
        const Event *rate = find(events, 8, 0);
        QCOMPARE(rate->data, std::vector<unsigned char>{img[0]});

        const Event *dpiLed = find(events, 8, 0x4C);
        QCOMPARE(int(dpiLed->data.size()), 8);
        unsigned char block[7] = {};
        BufferToDPILed(dpiLed->data.data(), block);
        QCOMPARE(std::vector<unsigned char>(block, block + 4), std::vector<unsigned char>(&img[63], &img[67]));
        const Event *bar = find(events, 8, 0xA0);
        QCOMPARE(int(bar->data.size()), 9);
        BufferToLedBar(bar->data.data(), block);
        QCOMPARE(std::vector<unsigned char>(block, block + 7), std::vector<unsigned char>(&img[67], &img[74]));

        // A status change names what to read again.
        hidsim::setBattery("M1", 15, true);
        QVERIFY(hidsim::waitIdle());
        const std::vector<Event> more = takeEvents();
        QVERIFY(find(more, 10));
        unsigned char flags[7] = {};
        GetDeviceStatusChanged(find(more, 10)->data.data(), flags);
        QCOMPARE(std::vector<unsigned char>(flags, flags + 7), (std::vector<unsigned char>{0, 0, 0, 0, 0, 0, 1}));
    }

    void fullReadDecodesAndImagesRoundTrip()
    {
        const std::string p = path("R1");
        UsbServerC_Start(p.c_str(), p.c_str(), onEvent);
        UsbServer_ReadAllFlashData();
        QVERIFY(hidsim::waitIdle());
        std::vector<Event> events = takeEvents();
        const Event *full = find(events, 8, 0);
        QVERIFY(full);
        QCOMPARE(int(full->data.size()), 6912);
        FlashDataMap map;
        std::memset(&map, 0, sizeof map);
        QCOMPARE(ProtocolDataParser(full->data.data(), &map), 1);
        std::vector<unsigned char> factory(sizeof map);
        hidsim::factoryImage(1, factory.data());
        QVERIFY(std::memcmp(&map, factory.data(), sizeof map) == 0);
        QVERIFY(map.reserved[0] != 0);   // the firmware's own bytes come through

        // Every byte of a busy image survives the send and the read back.
        const std::vector<unsigned char> busy = busyImage(7);
        QCOMPARE(ProtocolDataUpdate(reinterpret_cast<const FlashDataMap *>(busy.data())), 1);
        QCOMPARE(image("M1"), busy);
        QCOMPARE(hidsim::sentImages().back(), busy);
        UsbServer_ReadAllFlashData();
        QVERIFY(hidsim::waitIdle());
        events = takeEvents();
        std::memset(&map, 0, sizeof map);
        QCOMPARE(ProtocolDataParser(find(events, 8, 0)->data.data(), &map), 1);
        QVERIFY(std::memcmp(&map, busy.data(), sizeof map) == 0);

        // Noise in every byte cannot fit the device: refused, nothing changes.
        std::vector<unsigned char> noise(sizeof map);
        std::mt19937 rng(3);
        for (auto &b : noise)
            b = u8(rng() | 0x10);
        QCOMPARE(ProtocolDataUpdate(reinterpret_cast<const FlashDataMap *>(noise.data())), 0);
        QCOMPARE(image("M1"), busy);

        // A damaged form leaves the image alone.
        std::vector<unsigned char> bad = find(events, 8, 0)->data;
        bad[500] ^= 0xFF;
        std::memset(&map, 0x77, sizeof map);
        QCOMPARE(ProtocolDataParser(bad.data(), &map), 0);
        QCOMPARE(int(map.reportRate), 0x77);
    }

    void mouseKeepsItsSettingsAcrossRuns()
    {
        const std::string p = path("M2");
        UsbServerC_Start(p.c_str(), p.c_str(), onEvent);
        const std::vector<unsigned char> busy = busyImage(11);
        QCOMPARE(ProtocolDataUpdate(reinterpret_cast<const FlashDataMap *>(busy.data())), 1);
        QCOMPARE(UsbServer_SetCurrentConfig(3), 1);
        QVERIFY(QFile::exists(QString::fromStdString(hidsim::stateFilePath())));
        QVERIFY(hidsim::stateFilePath().find(m_state.path().toStdString()) == 0);

        hidsim::restart();
        QCOMPARE(hidsim::currentProfile("M2"), 3);
        std::vector<unsigned char> img(busy.size());
        QVERIFY(hidsim::storedImage("M2", img.data(), 0));
        QCOMPARE(img, busy);
        // The other mouse was never touched.
        std::vector<unsigned char> factory(busy.size());
        hidsim::factoryImage(1, factory.data());
        QCOMPARE(image("M1"), factory);

        // A fresh bench forgets it.
        hidsim::reset();
        QCOMPARE(hidsim::currentProfile("M2"), 0);
        QCOMPARE(image("M2"), factory);
    }

    void profilesAndFactoryReset()
    {
        const std::string p = path("R1");
        UsbServerC_Start(p.c_str(), p.c_str(), onEvent);
        const std::vector<unsigned char> busy = busyImage(5);
        ProtocolDataUpdate(reinterpret_cast<const FlashDataMap *>(busy.data()));
        QCOMPARE(UsbServer_SetCurrentConfig(2), 1);
        QVERIFY(hidsim::waitIdle());
        std::vector<Event> events = takeEvents();
        QCOMPARE(find(events, 14)->data, std::vector<unsigned char>{2});
        unsigned char flags[7] = {};
        GetDeviceStatusChanged(find(events, 10)->data.data(), flags);
        QCOMPARE(int(flags[2]), 1);   // whole configuration changed
        QCOMPARE(UsbServer_SetCurrentConfig(4), 0);   // there are four profiles
        QVERIFY(hidsim::countCalls("UsbServer_SetCurrentConfig") == 2);
        const std::vector<std::string> calls = hidsim::calls();
        QVERIFY(std::find(calls.begin(), calls.end(), "UsbServer_SetCurrentConfig(2)") != calls.end());

        QCOMPARE(UsbServer_SetClearSetting(), 1);
        QCOMPARE(hidsim::currentProfile("M1"), 0);
        std::vector<unsigned char> factory(busy.size());
        hidsim::factoryImage(1, factory.data());
        QCOMPARE(image("M1"), factory);
        std::vector<unsigned char> other(busy.size());
        QVERIFY(hidsim::storedImage("M1", other.data(), 2));
        QCOMPARE(other, factory);
        // The restored mouse reports profile 0 and announces itself again.
        QVERIFY(hidsim::waitIdle());
        events = takeEvents();
        QVERIFY(find(events, 14));
        QCOMPARE(find(events, 14)->data, std::vector<unsigned char>{0});
        QVERIFY(find(events, 9));
    }

    void deviceChangesReachTheCallback()
    {
        QCOMPARE(StartUsbChanged(onChange, 600), 1);
        QVERIFY(hidsim::waitIdle());
        QCOMPARE(changeCount(), 1);   // the current bus, once

        hidsim::plug("R1", false);
        QVERIFY(hidsim::waitIdle());
        QCOMPARE(changeCount(), 2);
        int count = 5;
        UsbFinderC_FindHidDevicesByDefaultDeviceId("5A51", "F514", &count);
        QCOMPARE(count, 0);
        QCOMPARE(int(UsbFinderC_GetDeviceOnLine(path("R1").c_str())), 0);

        hidsim::plug("R1", true);
        hidsim::setOnline("M1", false);
        hidsim::setOnline("M1", true);
        QVERIFY(hidsim::waitIdle());
        QVERIFY(changeCount() >= 3);
        count = 5;
        UsbFinderC_FindHidDevicesByDefaultDeviceId("5A51", "F514", &count);
        QCOMPARE(count, 1);
        {
            std::lock_guard<std::mutex> lock(g_mutex);
            for (std::thread::id t : g_changeThreads)
                QVERIFY(t != std::this_thread::get_id());
        }

        // A burst within the settle time is reported once.
        hidsim::setTimeScale(0.1);   // 60 ms
        const int before = changeCount();
        hidsim::plug("M2", false);
        hidsim::plug("M2", true);
        hidsim::plug("R1", false);
        QVERIFY(hidsim::waitIdle());
        QCOMPARE(changeCount(), before + 1);

        StopUsbChanged();
        hidsim::plug("R1", true);
        QVERIFY(hidsim::waitIdle());
        QCOMPARE(changeCount(), before + 1);
    }

    void callsFromTheWaitedOnThreadReturnAtOnce()
    {
        // A callback that blocks until this thread lets it go, as the
        // program's blocking-queued signals do with the GUI thread.
        static std::mutex mutex;
        static std::condition_variable cv;
        static bool entered = false;
        static bool released = false;
        entered = released = false;
        struct Blocker {
            static void callback(const unsigned char *, int, const unsigned char *, unsigned int)
            {
                std::unique_lock<std::mutex> lock(mutex);
                entered = true;
                cv.notify_all();
                cv.wait_for(lock, std::chrono::seconds(3), [] { return released; });
            }
        };
        const std::string p = path("R1");
        UsbServerC_Start(p.c_str(), p.c_str(), Blocker::callback);
        UsbServer_ReadBatteryLevel();
        UsbServer_ReadVersion();   // queued behind the blocked one
        {
            std::unique_lock<std::mutex> lock(mutex);
            QVERIFY(cv.wait_for(lock, std::chrono::seconds(3), [] { return entered; }));
        }
        QElapsedTimer t;
        t.start();
        UsbServer_Exit();
        StopUsbChanged();
        StartUsbChanged(onChange, 600);
        UsbServerC_Start(p.c_str(), p.c_str(), onEvent);
        UsbFinderC_GetDeviceOnLine(p.c_str());
        UsbServer_Exit();
        // A call that waited would have returned only when the callback gave
        // up after its 3 s; the margin below that is for a busy machine.
        QVERIFY2(t.elapsed() < 2000, "a library call waited for the blocked callback");
        {
            std::lock_guard<std::mutex> lock(mutex);
            released = true;
        }
        cv.notify_all();
        QVERIFY(hidsim::waitIdle());
        // Nothing queued for the ended servers was delivered afterwards.
        QVERIFY(takeEvents().empty());
    }

    void pairingOutcomes()
    {
        const std::string p = path("R1");
        UsbServerC_Start(p.c_str(), p.c_str(), onEvent);
        hidsim::setTimeScale(0.05);
        QCOMPARE(UsbServer_EnterDonglePairOnlyCid(0x21), 1);
        UsbServer_ReadDonglePairStatus();
        QVERIFY(hidsim::waitIdle());
        UsbServer_ReadDonglePairStatus();
        QVERIFY(hidsim::waitIdle());
        std::vector<Event> events = takeEvents();
        std::vector<int> statuses;
        for (const Event &e : events)
            if (e.event == 6)
                statuses.push_back(e.data.at(0));
        QCOMPARE(statuses, (std::vector<int>{1, 3}));

        // An injected failure, and a CID no mouse has.
        hidsim::failNextPairing();
        UsbServer_EnterDonglePairOnlyCid(0x21);
        QVERIFY(hidsim::waitIdle());
        UsbServer_ReadDonglePairStatus();
        QVERIFY(hidsim::waitIdle());
        QCOMPARE(find(takeEvents(), 6)->data, std::vector<unsigned char>{2});
        UsbServer_EnterDonglePairOnlyCid(6);
        QVERIFY(hidsim::waitIdle());
        UsbServer_ReadDonglePairStatus();
        QVERIFY(hidsim::waitIdle());
        QCOMPARE(find(takeEvents(), 6)->data, std::vector<unsigned char>{2});

        // With its own mouse switched off the receiver takes the other one
        // and reaches it alone: the mouse it had keeps its id, unheard.
        hidsim::setOnline("M1", false);
        UsbServer_EnterDonglePairOnlyCid(0x21);
        QVERIFY(hidsim::waitIdle());
        QCOMPARE(hidsim::pairedReceiverId("M2"), hidsim::receiverId("R1"));
        QCOMPARE(hidsim::pairedReceiverId("M1"), hidsim::receiverId("R1"));
        QCOMPARE(hidsim::pairedMouse("R1"), std::string("M2"));
        QCOMPARE(int(UsbFinderC_GetDeviceOnLine(p.c_str())), 1);
        hidsim::setOnline("M1", true);
        hidsim::setOnline("M2", false);
        QCOMPARE(int(UsbFinderC_GetDeviceOnLine(p.c_str())), 0);
    }

    void firmwareUpdateOutcomes()
    {
        std::vector<unsigned char> img = firmware(210, 1, 0x0106, "QZM-Q1");
        int count = 5;
        QCOMPARE(UsbUpgradeC_FindBootDevices(img.data(), &count), 0);
        QCOMPARE(count, 0);

        QCOMPARE(int(UsbUpgrade_Start(img.data(), onUpgrade, 10000)), 1);
        QVERIFY(hidsim::waitIdle());
        std::vector<std::vector<unsigned char>> steps;
        {
            std::lock_guard<std::mutex> lock(g_mutex);
            steps.swap(g_upgrade);
        }
        QVERIFY(steps.size() > 3);
        int last = -1;
        for (size_t i = 0; i + 1 < steps.size(); ++i) {
            QCOMPARE(int(steps[i][0]), 7);
            QCOMPARE(int(steps[i][1]), 1);
            QVERIFY(steps[i][2] > last);
            last = steps[i][2];
        }
        QCOMPARE(last, 100);
        QCOMPARE(steps.back(), (std::vector<unsigned char>{7, 2, 1}));
        // A mouse image goes to the mouse on its cable (M2), never to the
        // one reached through the receiver (M1).
        QCOMPARE(hidsim::firmwareVersion("M2"), 0x0106);
        QCOMPARE(hidsim::firmwareVersion("M1"), 0x0105);
        QCOMPARE(UsbFinderC_GetVersion(path("R1").c_str()), 0x0105);
        QVERIFY(std::string(UsbUpgradeC_GetLogs()[7]).find("success") != std::string::npos);

        // Without a mouse on its cable a mouse image has no target, even
        // with a mouse of its model online behind the receiver.
        QVERIFY(hidsim::plug("M2", false));
        QCOMPARE(int(UsbUpgrade_Start(img.data(), onUpgrade, 10000)), 0);
        QVERIFY(hidsim::waitIdle());
        {
            std::lock_guard<std::mutex> lock(g_mutex);
            QCOMPARE(g_upgrade.back(), (std::vector<unsigned char>{7, 2, 0}));
            g_upgrade.clear();
        }
        QCOMPARE(hidsim::firmwareVersion("M1"), 0x0105);

        // An image for no attached device ends in failure, not in silence.
        img = firmware(211, 9, 0x0200, "QZR-4K");
        QCOMPARE(int(UsbUpgrade_Start(img.data(), onUpgrade, 10000)), 0);
        QVERIFY(hidsim::waitIdle());
        {
            std::lock_guard<std::mutex> lock(g_mutex);
            QCOMPARE(g_upgrade.size(), size_t(1));
            QCOMPARE(g_upgrade.back(), (std::vector<unsigned char>{7, 2, 0}));
            g_upgrade.clear();
        }

        // Behind the step gate a write waits after each progress report, at
        // time scale 0 too; a restart meanwhile leaves its device in update
        // mode, and no end is told.
        QVERIFY(hidsim::plug("M2", true));
        hidsim::setUpdateStepGate(true);
        img = firmware(210, 1, 0x0107, "QZM-Q1");
        QCOMPARE(int(UsbUpgrade_Start(img.data(), onUpgrade, 10000)), 1);
        QTRY_COMPARE(hidsim::updateStepHeld(), 0);
        hidsim::releaseUpdateStep();
        QTRY_COMPARE(hidsim::updateStepHeld(), 5);
        hidsim::restart();
        QCOMPARE(hidsim::updateStepHeld(), -1);
        QVERIFY(hidsim::inUpdateMode("M2"));
        QVERIFY(hidsim::waitIdle());
        {
            std::lock_guard<std::mutex> lock(g_mutex);
            QCOMPARE(g_upgrade, (std::vector<std::vector<unsigned char>>{{7, 1, 0}, {7, 1, 5}}));
        }
        // Waiting in update mode, it has no firmware to restart on when the
        // image fails its check.
        hidsim::setUpdateStepGate(false);
        QVERIFY(hidsim::failVerify("M2", true));
        QVERIFY(!updatesAsUsual(img));
        QCOMPARE(std::string(UsbUpgradeC_GetLogs()[5]), std::string("verify: failed"));
        QVERIFY(hidsim::inUpdateMode("M2"));
        // Slow to come back after its repair, it is back at once in a
        // restarted program.
        QVERIFY(hidsim::slowComeback("M2", 60000));
        QVERIFY(UsbUpgrade_Start(img.data(), onUpgrade, 10000));
        QTRY_VERIFY(!hidsim::inUpdateMode("M2"));
        QCOMPARE(onBus("M2"), QString("away"));
        hidsim::restart();
        QCOMPARE(onBus("M2"), QString("107"));
    }

    // How the next update of one device goes wrong, set from another
    // process's command file: what the program hears, what the device (the
    // mouse on its cable M2, or the receiver R1) runs afterwards, and whether
    // it waits in update mode, also as a restarted program finds it.
    void updateFaults_data()
    {
        QTest::addColumn<QString>("device");     // the one the image fits
        QTest::addColumn<QByteArray>("lines");   // the command file
        QTest::addColumn<QString>("pull");       // pulled when the write reaches 30 % ("restart": the program ends)
        QTest::addColumn<int>("bodyLength");     // of the image handed over
        QTest::addColumn<int>("lastProgress");   // -1: no progress event
        QTest::addColumn<int>("end");            // end event's value; -1: none
        QTest::addColumn<int>("version");        // the device's firmware afterwards
        QTest::addColumn<bool>("updateMode");

        QTest::newRow("no fault") << "M2" << QByteArray() << "" << 296 << 100 << 1 << 0x106 << false;
        QTest::newRow("failupdate") << "M2" << QByteArray("failupdate M2 40\n") << "" << 296 << 35 << 0 << 0x105 << true;
        QTest::newRow("another device's fault")
            << "M2" << QByteArray("failupdate R1 40\n") << "" << 296 << 100 << 1 << 0x106 << false;
        QTest::newRow("silentupdate") << "M2" << QByteArray("silentupdate M2 1\n") << "" << 296 << -1 << -1 << 0x106 << false;
        QTest::newRow("holdupdate") << "M2" << QByteArray("holdupdate M2 400\n") << "" << 296 << 100 << 1 << 0x106 << false;
        QTest::newRow("failverify stay")
            << "M2" << QByteArray("failverify M2 stay\n") << "" << 296 << 100 << 0 << 0x105 << true;
        QTest::newRow("failverify old") << "M2" << QByteArray("failverify M2 old\n") << "" << 296 << 100 << 0 << 0x105 << false;
        QTest::newRow("slowcomeback") << "M2" << QByteArray("slowcomeback M2 300\n") << "" << 296 << 100 << 1 << 0x106 << false;
        QTest::newRow("lines that are no command")
            << "M2"
            << QByteArray("failupdate M2\nfailupdate M2 40 now\nfailupdate M2 140\nsilentupdate M2 2\n"
                          "holdupdate M2 -5\nfailupdate M9 40\nfail M2 40\nfailverify M2 maybe\n"
                          "slowcomeback M2 -1\nfailanswers\nfailanswers M2 3\nfailanswers 3x\n")
            << "" << 296 << 100 << 1 << 0x106 << false;
        QTest::newRow("the cable pulled while it is written")
            << "M2" << QByteArray() << "M2" << 296 << 30 << 0 << 0x105 << true;
        QTest::newRow("another device pulled meanwhile")
            << "M2" << QByteArray() << "R1" << 296 << 100 << 1 << 0x106 << false;
        QTest::newRow("an image without a body") << "M2" << QByteArray() << "" << 0 << -1 << 0 << 0x105 << false;
        // A real device whose write is cut is left partly written.
        QTest::newRow("the program ends while it writes")
            << "M2" << QByteArray() << "restart" << 296 << 30 << -1 << 0x105 << true;
        QTest::newRow("a receiver's write fails")
            << "R1" << QByteArray("failupdate R1 40\n") << "" << 296 << 35 << 0 << 0x102 << true;
    }
    void updateFaults()
    {
        QFETCH(QString, device);
        QFETCH(QByteArray, lines);
        QFETCH(QString, pull);
        QFETCH(int, bodyLength);
        QFETCH(int, lastProgress);
        QFETCH(int, end);
        QFETCH(int, version);
        QFETCH(bool, updateMode);

        const QByteArray id = device.toLatin1();
        StartUsbChanged(onChange, 600);
        g_watch = id.toStdString();
        if (!lines.isEmpty())
            QVERIFY(runControlLines(controlFile(), lines));
        g_pullId = pull.toStdString();
        g_pullAt = pull.isEmpty() ? -1 : 30;
        const std::vector<unsigned char> fitting =
            device == "R1" ? firmware(211, 1, 0x0106, "QZR-4K") : firmware(210, 1, 0x0106, "QZM-Q1");
        std::vector<unsigned char> img = fitting;
        img[24] = u8(bodyLength);
        img[25] = u8(bodyLength >> 8);
        QElapsedTimer started;
        started.start();
        QCOMPARE(int(UsbUpgrade_Start(img.data(), onUpgrade, 10000)), bodyLength ? 1 : 0);
        // A held end comes late; the device runs its firmware before.
        const bool held = lines.startsWith("hold");
        if (held) {
            QTRY_COMPARE(hidsim::firmwareVersion(id), version);
            std::lock_guard<std::mutex> lock(g_mutex);
            QVERIFY(started.elapsed() >= 400 || g_upgrade.empty() || g_upgrade.back()[1] != 2);
        }
        QVERIFY(hidsim::waitIdle());
        QVERIFY(!held || started.elapsed() >= 400);

        std::vector<std::vector<unsigned char>> steps;
        {
            std::lock_guard<std::mutex> lock(g_mutex);
            steps.swap(g_upgrade);
        }
        int last = -1;
        int ended = -1;
        for (const std::vector<unsigned char> &step : steps) {
            QCOMPARE(ended, -1);   // nothing after the end
            if (step[1] == 1)
                last = step[2];
            else if (step[1] == 2)
                ended = step[2];
        }
        QCOMPARE(last, lastProgress);
        QCOMPARE(ended, end);
        // How the library shows the device now and when its end was told: a
        // device slow to come back was away then, and its return is a change.
        const QString now = updateMode ? QString("update mode") : QString::number(version, 16);
        const bool slow = lines.startsWith("slow");
        if (ended >= 0) {
            std::lock_guard<std::mutex> lock(g_mutex);
            QCOMPARE(g_atEnd, slow ? QString("away") : now);
            QCOMPARE(int(g_changeThreads.size()) - g_changesAtEnd, slow ? 1 : 0);
        }
        QCOMPARE(onBus(id), now);
        const bool restarted = pull == "restart";
        if (!restarted) {
            const char *const *log = UsbUpgradeC_GetLogs();
            QVERIFY(std::string(log[7]).find(end == 1 || ended < 0 ? "success" : "failure") != std::string::npos);
            QCOMPARE(std::string(log[5]) == "verify: failed", lastProgress == 100 && end == 0);
        }
        QCOMPARE(hidsim::firmwareVersion(id), version);
        QCOMPARE(hidsim::inUpdateMode(id), updateMode);
        QCOMPARE(hidsim::firmwareVersion("M1"), 0x0105);
        int count = 5;
        UsbUpgradeC_FindBootDevices(img.data(), &count);
        QCOMPARE(count, updateMode && (pull.isEmpty() || restarted) ? 1 : 0);
        // A pulled device comes back as it was left: in update mode.
        if (!pull.isEmpty() && !restarted) {
            QVERIFY(hidsim::plug(pull.toLatin1().constData(), true));
            count = 5;
            UsbUpgradeC_FindBootDevices(img.data(), &count);
            QCOMPARE(count, updateMode ? 1 : 0);
        }
        // The fault was used up by that update: the next one goes as usual
        // (before a restart, which forgets every fault).
        g_pullAt = -1;
        if (!updateMode)
            QVERIFY(updatesAsUsual(fitting));
        hidsim::restart();
        QCOMPARE(hidsim::inUpdateMode(id), updateMode);
        count = 5;
        UsbUpgradeC_FindBootDevices(img.data(), &count);
        QCOMPARE(count, updateMode ? 1 : 0);
        QCOMPARE(onBus(id), updateMode ? QString("update mode") : QString("106"));
        // The repair brings it back.
        if (updateMode) {
            QVERIFY(updatesAsUsual(fitting));
            QCOMPARE(hidsim::firmwareVersion(id), 0x0106);
            QVERIFY(!hidsim::inUpdateMode(id));
        }
    }

    void offlineMouseAndFailedSends()
    {
        const std::string p = path("R1");
        UsbServerC_Start(p.c_str(), p.c_str(), onEvent);
        const std::vector<unsigned char> before = image("M1");
        hidsim::setOnline("M1", false);
        QCOMPARE(int(UsbFinderC_GetDeviceOnLine(p.c_str())), 0);
        unsigned char online[10] = {};
        QCOMPARE(int(UsbFinderC_GetDeviceOnLineWithUsbAddress(p.c_str(), online)), 0);
        QCOMPARE(int(online[6]), 0);
        QCOMPARE(int(UsbFinderC_GetDeviceInfo(p.c_str()).mid), 1);   // the receiver still answers
        const std::vector<unsigned char> busy = busyImage(1);
        QCOMPARE(ProtocolDataUpdate(reinterpret_cast<const FlashDataMap *>(busy.data())), 0);
        QCOMPARE(image("M1"), before);
        UsbServer_ReadAllFlashData();
        QVERIFY(hidsim::waitIdle());
        QVERIFY(takeEvents().empty());

        // Back online: it announces itself with event 9.
        hidsim::setOnline("M1", true);
        QVERIFY(hidsim::waitIdle());
        QVERIFY(find(takeEvents(), 9));

        hidsim::failNextSends(1);
        QCOMPARE(ProtocolDataUpdate(reinterpret_cast<const FlashDataMap *>(busy.data())), 0);
        QCOMPARE(image("M1"), before);
        QCOMPARE(ProtocolDataUpdate(reinterpret_cast<const FlashDataMap *>(busy.data())), 1);
        QCOMPARE(image("M1"), busy);

        // No server, no device: nothing is written.
        UsbServer_Exit();
        QCOMPARE(ProtocolDataUpdate(reinterpret_cast<const FlashDataMap *>(before.data())), 0);
        QCOMPARE(image("M1"), busy);
    }

    void receiverSettingsAndCablePairing()
    {
        const std::string r = path("R1");
        const std::string m = path("M2");
        UsbServerC_Start(r.c_str(), r.c_str(), onEvent);
        DongleRGB rgb;
        std::memset(&rgb, 0, sizeof rgb);
        QCOMPARE(UsbFinderC_Get4KDongleRGBValue(r.c_str(), &rgb), 1);
        QCOMPARE(int(rgb.ledMode), 1);
        rgb.ledMode = 3;
        QCOMPARE(UsbFinderC_Set4KDongleRGB(r.c_str(), &rgb), 1);
        rgb.ledMode = 0;
        QCOMPARE(UsbFinderC_Set4KDongleRGB(r.c_str(), &rgb), 0);
        unsigned char stored[10] = {};
        hidsim::dongleRgb("R1", stored);
        QCOMPARE(int(stored[0]), 3);

        QCOMPARE(UsbFinderC_SetLongRangeMode(r.c_str(), 1), 1);
        QCOMPARE(UsbFinderC_SetLongRangeMode(r.c_str(), 0), 1);
        QVERIFY(hidsim::waitIdle());
        std::vector<Event> events = takeEvents();
        QVERIFY(find(events, 21));
        QCOMPARE(int(events.back().event), 23);
        QCOMPARE(int(events.back().data.size()), 10);   // normal range
        unsigned char mode = 115;
        UsbFinderC_GetLongRangeMode(m.c_str(), &mode);
        QCOMPARE(int(mode), 115);   // a mouse on its cable has no range setting
        UsbFinderC_SetLongRangeMode(r.c_str(), 1);
        UsbFinderC_GetLongRangeMode(r.c_str(), &mode);
        QCOMPARE(int(mode), 1);

        int version = 0;
        QVERIFY(UsbFinderC_GetSlaveVersion(r.c_str(), &version));
        QCOMPARE(version, 0x0102);
        QVERIFY(!UsbFinderC_GetSlaveVersion(m.c_str(), &version));

        // The cable mouse takes the receiver's id, bytes 9, 8, 7 of its answer.
        unsigned char online[10] = {};
        UsbFinderC_GetDeviceOnLineWithUsbAddress(r.c_str(), online);
        const unsigned char record[5] = {online[9], online[8], online[7], 0, 1};
        QCOMPARE(UsbFinderC_SetDongleIDToMouse(m.c_str(), record), 1);
        QCOMPARE(hidsim::pairedReceiverId("M2"), hidsim::receiverId("R1"));
        UsbFinderC_GetDeviceOnLineWithUsbAddress(m.c_str(), online);
        QCOMPARE(std::vector<unsigned char>(online + 7, online + 10), hidsim::receiverId("R1"));
        QCOMPARE(UsbFinderC_SetDongleIDToMouse(r.c_str(), record), 0);   // not a mouse on a cable
    }

    void rawPacketOfTheDeviceScreen()
    {
        QCOMPARE(int(UsbFinderC_OpenDevice("nothing")), 0);
        unsigned char packet[40] = {0x0A, 0x00, 0x10, 0x07, 0xE8, 0x05, 0x11, 0x0D, 0x2D, 0x1E, 0x05};
        packet[39] = 0xD9;
        unsigned char reply[40];
        QCOMPARE(UsbFinderC_ReadWriteDeviceData(packet, reply, 40), 0);   // nothing open
        QCOMPARE(int(UsbFinderC_OpenDevice(path("R1").c_str())), 1);
        QCOMPARE(UsbFinderC_ReadWriteDeviceData(packet, reply, 40), 1);
        QVERIFY(std::memcmp(reply, packet, 7) == 0);
        unsigned char sum = 0;
        for (int i = 0; i < 39; ++i)
            sum = u8(sum + reply[i]);
        QCOMPARE(int(reply[39]), int(u8(0x55 - sum)));
        QCOMPARE(hidsim::lastClockPacket(), std::vector<unsigned char>(packet, packet + 40));

        packet[39] ^= 1;
        std::memset(reply, 0xEE, sizeof reply);
        QCOMPARE(UsbFinderC_ReadWriteDeviceData(packet, reply, 40), 0);
        QCOMPARE(int(reply[0]) | reply[39], 0);
    }

    void fixtureDescribesTheBench()
    {
        const QString file = m_state.path() + "/bench.ini";
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        const QByteArray usbVersion = "usbversion=0x0110\n";
        QByteArray bench = "[R8]\ntype=receiver\nclass=8\nid=11 22 33\nversion=0x0201\nmid=2\nmouse=Q2\n" + usbVersion
                           + "[Q2]\ntype=mouse\nmid=2\nversion=0x0300\nonline=0\nbattery=42\n"
                             "[B1]\ntype=boot\ncode=211\nmid=2\nmodel=QZR-8K\n"
                             "[R1K]\ntype=receiver\nclass=1\nid=11 22 44\nversion=0x0105\nmid=3\n" + usbVersion;
        f.write(bench);
        f.close();
        QVERIFY(hidsim::reset(file.toUtf8().constData()));
        int count = 5;
        // The array lives until the next search; the path text for good.
        const char *receiver = UsbFinderC_FindHidDevicesByDefaultDeviceId("5A51", "F518", &count)[0];
        QCOMPARE(count, 1);
        const UsbDeviceInfo info = UsbFinderC_GetDeviceInfo(receiver);
        QCOMPARE(int(info.mid), 2);
        QCOMPARE(int(info.link), 5);
        QCOMPARE(int(UsbFinderC_GetDeviceOnLine(receiver)), 0);
        count = 5;
        UsbFinderC_FindHidDevicesByDefaultDeviceId("5A51", "F514", &count);
        QCOMPARE(count, 0);
        std::vector<unsigned char> img = firmware(211, 2, 0x0202, "QZR-8K");
        QCOMPARE(UsbUpgradeC_FindBootDevices(img.data(), &count), 1);
        QCOMPARE(count, 1);
        img = firmware(211, 2, 0x0202, "QZR-4K");
        UsbUpgradeC_FindBootDevices(img.data(), &count);
        QCOMPARE(count, 0);
        hidsim::setOnline("Q2", true);
        QCOMPARE(UsbFinderC_GetVersion(receiver), 0x0300);

        // An 8K receiver's USB version is its own: its update leaves it, and
        // the state file keeps it (the fixture no longer names it). A 1K
        // receiver's is its firmware version.
        QCOMPARE(hidsim::usbVersion("R1K"), 0x0105);
        for (const std::vector<unsigned char> &update :
             {firmware(211, 2, 0x0202, "QZR-8X"), firmware(211, 3, 0x0106, "QZR-1K")}) {
            QCOMPARE(int(UsbUpgrade_Start(update.data(), onUpgrade, 10000)), 1);
            QVERIFY(hidsim::waitIdle());
        }
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bench.replace(usbVersion, ""));
        f.close();
        hidsim::restart();
        unsigned char attr[12] = {};
        QCOMPARE(UsbFinderC_GetUsbDeviceAttribute(receiver, attr), 1);
        QCOMPARE(attr[8] | attr[9] << 8, 0x0110);
        int version = 0;
        QVERIFY(UsbFinderC_GetSlaveVersion(receiver, &version));
        QCOMPARE(version, 0x0202);
        QCOMPARE(hidsim::usbVersion("R1K"), 0x0106);

        // An unreadable fixture falls back to the default bus.
        QVERIFY(!hidsim::reset("/nonexistent/bench.ini"));
        count = 5;
        UsbFinderC_FindHidDevicesByDefaultDeviceId("5A51", "F514", &count);
        QCOMPARE(count, 1);
    }
};

QTEST_MAIN(TestHidUsb)
#include "tst_hidusb.moc"

// The device-event callback against the simulated device library: what each
// event does to the live image, the flags, the library and the pages.

#include "HIDUsb.h"
#include "buttoninterface.h"
#include "configsettings.h"
#include "deviceevent.h"
#include "devicesearch.h"
#include "devicestate.h"
#include "globals.h"
#include "hidusb_sim.h"
#include "postmsg.h"
#include "registry.h"
#include "testsupport.h"
#include "worker.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <cstring>
#include <thread>

namespace {

// The callback runs on a library thread in the program; so it does here,
// while the GUI thread keeps its event loop going for blocking receivers.
template <class F>
bool runOffGuiThread(F fn)
{
    std::atomic<bool> done{false};
    std::thread t([&] {
        fn();
        done = true;
    });
    QElapsedTimer timer;
    timer.start();
    while (!done && timer.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    t.join();
    return done;
}

void sendEvent(int event, int flag, int sub, const QByteArray &payload, int reportLen = 5)
{
    const unsigned char report[5] = {0x08, u8(event), 0, u8(flag), u8(sub)};
    const QByteArray data = payload.isEmpty() ? QByteArray(1, '\0') : payload;
    QVERIFY(runOffGuiThread([&] {
        onDeviceEvent(report, reportLen, reinterpret_cast<const unsigned char *>(data.constData()),
                      unsigned(payload.size()));
    }));
}

QByteArray imageBytes(const FlashDataMap &map)
{
    return QByteArray(reinterpret_cast<const char *>(&map), int(sizeof map));
}

QList<QString> callsOf(const char *prefix)
{
    QList<QString> out;
    for (const std::string &c : hidsim::calls()) {
        const QString call = QString::fromStdString(c);
        if (call.startsWith(QLatin1String(prefix)))
            out.append(call);
    }
    return out;
}

int indexOfCall(const QString &name)
{
    const auto calls = hidsim::calls();
    for (int i = 0; i < int(calls.size()); ++i) {
        if (QString::fromStdString(calls[size_t(i)]).startsWith(name))
            return i;
    }
    return -1;
}

void selectMouseThroughReceiver()
{
    g_selectedDevice = DeviceAllInfo();
    g_selectedDevice.devicePath = QString::fromStdString(hidsim::pathOf("R1"));
    g_selectedDevice.cid = 0x21;
    g_selectedDevice.mid = 1;
    g_selectedDevice.linkType = 1;
    g_selectedDevice.isWired = 0;
    g_selectedDevice.driveIndex = 0;
}

} // namespace

class TestDeviceEvent : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir *program = nullptr;

    // A program folder whose Config.ini is the shipped one with `replace`
    // applied to it.
    void useConfig(const QString &from, const QString &to)
    {
        delete program;
        program = new QTemporaryDir;
        QFile shipped(builtProgramDir() + "/usersetting/Config.ini");
        QVERIFY(shipped.open(QIODevice::ReadOnly));
        QString text = QString::fromUtf8(shipped.readAll());
        if (!from.isEmpty()) {
            QVERIFY(text.contains(from));
            text.replace(from, to);
        }
        QDir().mkpath(program->path() + "/usersetting");
        QFile f(program->path() + "/usersetting/Config.ini");
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(text.toUtf8());
        f.close();
        setProgramDirOverride(program->path());
        ConfigSettings::resetForTests();
    }

    // Starts the server on the selected device and runs one full read.
    void fullRead()
    {
        const QByteArray path = g_selectedDevice.devicePath.toLatin1();
        QCOMPARE(UsbServerC_Start(path.constData(), path.constData(), onDeviceEvent), 1);
        g_deviceDataLoaded = 0;
        UsbServer_ReadAllFlashData();
        QTRY_COMPARE_WITH_TIMEOUT(int(g_deviceDataLoaded), 1, 10000);
    }

private slots:
    void initTestCase()
    {
        registerDeviceMetaTypes();
    }
    void init()
    {
        resetDeviceBench();
    }
    void cleanup()
    {
        UsbServer_Exit();
        hidsim::waitIdle();
        setProgramDirOverride(QString());
        ConfigSettings::resetForTests();
        delete program;
        program = nullptr;
    }

    void versionText_data()
    {
        QTest::addColumn<int>("version");
        QTest::addColumn<QString>("text");
        QTest::newRow("3.00") << 0x0300 << "v3.00";
        QTest::newRow("10.0F") << 0x0A0F << "v10.0F";
        QTest::newRow("1.05") << 0x0105 << "v1.05";
        QTest::newRow("2.1A") << 0x021A << "v2.1A";
        QTest::newRow("zero") << 0 << "v0.00";
    }
    void versionText()
    {
        QFETCH(int, version);
        QFETCH(QString, text);
        QCOMPARE(deviceVersionText(quint32(version)), text);
    }

    void ignoredEvents()
    {
        g_flashDataMap.reportRate = 8;
        g_flashDataMap.dpiLevel = 2;
        const QByteArray before = imageBytes(g_flashDataMap);
        QSignalSpy dpi(PostMsg::instance(), &PostMsg::SigUpDataDPI);
        QSignalSpy image(PostMsg::instance(), &PostMsg::SigUpDataLightUIButton);
        hidsim::clearCalls();

        sendEvent(8, 1, 0, QByteArray(6912, '\x11'));   // non-zero flag, even with a full payload
        sendEvent(8, 2, 4, QByteArray(1, '\x05'));
        sendEvent(8, 0, 4, QByteArray(2, '\x05'));      // wrong length for the DPI level
        sendEvent(8, 0, 0, QByteArray(100, '\x05'));    // neither rate nor full read
        sendEvent(99, 0, 0, QByteArray(1, '\x05'));
        sendEvent(8, 0, 4, QByteArray(1, '\x05'), 1);   // header too short for an event

        QCOMPARE(imageBytes(g_flashDataMap), before);
        QCOMPARE(dpi.count(), 0);
        QCOMPARE(image.count(), 0);
        QCOMPARE(hidsim::countCalls("ProtocolDataParser"), 0);
        QCOMPARE(hidsim::countCalls("ProtocolDataUpdate"), 0);
        QCOMPARE(int(g_deviceDataLoaded), 0);
    }

    void partialReports()
    {
        QSignalSpy dpi(PostMsg::instance(), &PostMsg::SigUpDataDPI);
        QSignalSpy rate(PostMsg::instance(), &PostMsg::SigUpDataReportRate);
        QSignalSpy profile(PostMsg::instance(), &PostMsg::SigUpDataConfigUI);
        hidsim::clearCalls();

        sendEvent(8, 0, 4, QByteArray(1, '\x03'));
        QCOMPARE(int(g_flashDataMap.dpiLevel), 3);
        QCOMPARE(dpi.count(), 1);
        QCOMPARE(dpi.first().first().toInt(), 3);

        sendEvent(8, 0, 0, QByteArray(1, '\x10'));
        QCOMPARE(int(g_flashDataMap.reportRate), 0x10);
        QCOMPARE(rate.first().first().toInt(), 0x10);
        QCOMPARE(hidsim::countCalls("ProtocolDataUpdate"), 2);

        sendEvent(14, 0, 0, QByteArray(1, '\x02'));
        sendEvent(14, 0, 0, QByteArray(2, '\x02'));
        QCOMPARE(profile.count(), 2);
        QCOMPARE(profile.at(0), QList<QVariant>() << 4 << 2 << true);
        QCOMPARE(profile.at(1), QList<QVariant>() << 0 << 0 << false);
    }

    // A full read decodes the device's configuration, hands the pages their
    // own copies, sends the image back and asks for the follow-up reads.
    void fullReadFillsImageAndPages()
    {
        Buttoninterface page;
        selectMouseThroughReceiver();
        QSignalSpy rgb(PostMsg::instance(), &PostMsg::SigRGBValue);
        QSignalSpy light(PostMsg::instance(), &PostMsg::SigUpDataLightLight);
        QSignalSpy form(PostMsg::instance(), &PostMsg::SigForm);
        g_workerReadPending = 1;
        hidsim::clearCalls();

        fullRead();

        QByteArray stored(kFlashDataMapSize, '\0');
        QVERIFY(hidsim::storedImage("M1", reinterpret_cast<unsigned char *>(stored.data())));
        QCOMPARE(imageBytes(g_flashDataMap), stored);
        QVERIFY(stored.count('\0') < stored.size());   // a real configuration, not zeros
        QCOMPARE(imageBytes(page.shownImage()), stored);
        QCOMPARE(int(g_buttonUiUpToDate), 1);           // the page finished its refresh
        QCOMPARE(int(g_workerReadPending), 0);
        QCOMPARE(g_deviceCacheName, QString("Device_CID21_MID01.bin"));
        QCOMPARE(light.count(), 1);
        QCOMPARE(imageBytes(light.first().first().value<FlashDataMap>()), stored);
        QCOMPARE(form.count(), 1);
        // The receiver's LED record was read (4K link, mouse through the receiver).
        QCOMPARE(rgb.count(), 1);

        const int parsed = indexOfCall("ProtocolDataParser");
        QVERIFY(parsed >= 0);
        const int a = indexOfCall("UsbServer_ReadDPILed");
        const int b = indexOfCall("UsbServer_ReadBatteryLevel");
        const int c = indexOfCall("UsbServer_ReadVersion");
        const int d = indexOfCall("UsbServer_ReadConfig");
        QVERIFY(parsed < a && a < b && b < c && c < d);
        const auto sent = hidsim::sentImages();
        QVERIFY(!sent.empty());
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(sent.front().data()), int(sent.front().size())), stored);

        // The follow-up answers reach the page as well.
        QTRY_COMPARE_WITH_TIMEOUT(page.batteryLevel(), 80, 5000);
        QCOMPARE(page.batteryText(), QString("80%"));
        QTRY_COMPARE_WITH_TIMEOUT(g_selectedDevice.mouseVersion, QString("v1.05"), 5000);
    }

    // After a reconnection only the buttons before the first one whose
    // default function is a key record lose their key records and macros.
    void reconnectClearsKeyRecords_data()
    {
        QTest::addColumn<bool>("keepThird");
        QTest::newRow("no key-record default") << false;
        QTest::newRow("third button keeps") << true;
    }
    void reconnectClearsKeyRecords()
    {
        QFETCH(bool, keepThird);
        useConfig("KeyParam3=0x01, 0x04, 0x00\nKeyParam4=0x01, 0x08, 0x00\nKeyParam5=0x01, 0x10, 0x00\n"
                  "KeyParam6=0x02, 0x01, 0x00\nAdveanced=2, 0",
                  keepThird ? "KeyParam3=0x05, 0x00, 0xCD\nKeyParam4=0x01, 0x08, 0x00\nKeyParam5=0x01, 0x10, 0x00\n"
                              "KeyParam6=0x02, 0x01, 0x00\nAdveanced=2, 0"
                            : "KeyParam3=0x01, 0x04, 0x00\nKeyParam4=0x01, 0x08, 0x00\nKeyParam5=0x01, 0x10, 0x00\n"
                              "KeyParam6=0x02, 0x01, 0x00\nAdveanced=2, 0");
        FlashDataMap marked;
        QVERIFY(hidsim::storedImage("M1", reinterpret_cast<unsigned char *>(&marked)));
        for (int k = 0; k < 16; ++k) {
            marked.keyRecords[k].bytes[0] = u8(0x40 + k);
            marked.macroRecords[k].bytes[5] = u8(0x80 + k);
        }
        marked.reserved[0] = 0x7A;
        QVERIFY(hidsim::setStoredImage("M1", reinterpret_cast<const unsigned char *>(&marked)));

        selectMouseThroughReceiver();
        g_clearKeyRecords = 1;
        g_skipDongleQuery = 1;
        hidsim::clearCalls();
        fullRead();

        const int kept = keepThird ? 2 : 16;
        for (int k = 0; k < 16; ++k) {
            const bool cleared = k < kept;
            QCOMPARE(int(g_flashDataMap.keyRecords[k].bytes[0]), cleared ? 0 : 0x40 + k);
            QCOMPARE(int(g_flashDataMap.macroRecords[k].bytes[5]), cleared ? 0 : 0x80 + k);
        }
        QCOMPARE(int(g_flashDataMap.reserved[0]), 0x7A);   // before offset 124: untouched
        QCOMPARE(int(g_clearKeyRecords), 0);
        QCOMPARE(int(g_skipDongleQuery), 0);
        QVERIFY(g_keepKeyParams.isEmpty());
        // No receiver query after a reconnection; the cleared image went back.
        QCOMPARE(hidsim::countCalls("UsbFinderC_Get4KDongleRGBValue"), 0);
        QCOMPARE(hidsim::countCalls("UsbFinderC_GetLongRangeMode"), 0);
        const auto sent = hidsim::sentImages();
        QVERIFY(!sent.empty());
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(sent.back().data()), kFlashDataMapSize),
                 imageBytes(g_flashDataMap));
    }

    void reconnectEvent_data()
    {
        QTest::addColumn<QString>("advanced");
        QTest::addColumn<int>("longRangeSets");
        QTest::addColumn<int>("ledSets");
        QTest::newRow("leave both alone") << "Adveanced=2, -1" << 0 << 0;
        QTest::newRow("missing") << "" << 0 << 0;
        QTest::newRow("one item") << "Adveanced=1" << 1 << 0;
        QTest::newRow("set both") << "Adveanced=1, 3" << 1 << 1;
        QTest::newRow("LED zero") << "Adveanced=0, 0" << 1 << 0;
        // Items that are there but no numbers read 0: range off, LED alone.
        QTest::newRow("no numbers") << "Adveanced=off, x" << 1 << 0;
    }
    void reconnectEvent()
    {
        QFETCH(QString, advanced);
        QFETCH(int, longRangeSets);
        QFETCH(int, ledSets);
        useConfig("KeyParam6=0x02, 0x01, 0x00\nAdveanced=2, 0", "KeyParam6=0x02, 0x01, 0x00\n" + advanced);
        selectMouseThroughReceiver();
        QSignalSpy longRange(PostMsg::instance(), &PostMsg::SigLongRangeMode);
        QSignalSpy rgb(PostMsg::instance(), &PostMsg::SigRGBValue);
        hidsim::clearCalls();

        sendEvent(9, 0, 0, QByteArray(1, '\x01'));

        QCOMPARE(hidsim::countCalls("UsbServer_SetBatteryOptimizeEnable"), 1);
        QCOMPARE(hidsim::countCalls("UsbFinderC_SetLongRangeMode"), longRangeSets);
        QCOMPARE(hidsim::countCalls("UsbFinderC_Set4KDongleRGB"), ledSets);
        QCOMPARE(longRange.count(), longRangeSets);
        QCOMPARE(rgb.count(), ledSets);
        if (ledSets)
            QCOMPARE(int(g_dongleRgb->ledMode), 3);
        QCOMPARE(hidsim::countCalls("UsbServer_ReadAllFlashData"), 1);
        QCOMPARE(int(g_clearKeyRecords), 1);
        QCOMPARE(int(g_skipDongleQuery), 1);
    }

    // Status byte 2 asks for a full re-read at most once in 3 s.
    void statusRereadGuard()
    {
        qint64 now = 10000;
        qint64 started = 0;
        StatusReadClock clock;
        clock.elapsed = [&] { return now - started; };
        clock.restart = [&] { started = now; };
        setStatusReadClock(clock);

        int requests = 0;
        for (qint64 t : {10000, 11000, 12500}) {
            now = t;
            std::memset(g_statusFlags, 0, 7);
            g_statusFlags[2] = 1;
            onDeviceStatusChanged();
            if (g_rereadRequested)
                ++requests;
            g_rereadRequested = 0;
        }
        QCOMPARE(requests, 1);
        QCOMPARE(int(g_paramReloadPending), 1);
        now = 13001;
        onDeviceStatusChanged();
        QCOMPARE(int(g_rereadRequested), 1);
        resetStatusReadClock();
    }

    void statusRequestsInOrder()
    {
        hidsim::clearCalls();
        const unsigned char all[7] = {1, 1, 0, 1, 1, 1, 1};
        std::memcpy(g_statusFlags, all, 7);
        onDeviceStatusChanged();
        QStringList names;
        for (const QString &c : callsOf("UsbServer_Read"))
            names << c.section('(', 0, 0);
        QCOMPARE(names, QStringList() << "UsbServer_ReadCurrentDPI" << "UsbServer_ReadReportRate"
                                      << "UsbServer_ReadBatteryLevel" << "UsbServer_ReadLedBar"
                                      << "UsbServer_ReadDPILed");
    }

    void versionEventRecordsVersion()
    {
        selectMouseThroughReceiver();
        QSignalSpy setver(PostMsg::instance(), &PostMsg::SigSetver);
        QSignalSpy check(PostMsg::instance(), &PostMsg::SigCheckUpdate);
        sendEvent(18, 0, 0, QByteArray(2, '\x01'));
        QCOMPARE(g_selectedDevice.mouseVersion, QString("v1.05"));
        RegistryKey key("HKEY_CURRENT_USER\\Software\\Quzmar\\Quzmar\\Mouse Drive Test");
        QCOMPARE(key.value("MouseVer331").toString(), QString("v1.05"));
        QCOMPARE(setver.count(), 1);
        QCOMPARE(setver.first().first().toInt(), 0);
        QCOMPARE(check.count(), 0);   // no update dialog shown
    }

    void receiverEvents()
    {
        QSignalSpy rgb(PostMsg::instance(), &PostMsg::SigRGBValue);
        QSignalSpy longRange(PostMsg::instance(), &PostMsg::SigLongRangeMode);
        g_dongleRgb->ledMode = 1;
        sendEvent(21, 0, 0, QByteArray(1, '\0'));
        QCOMPARE(int(g_dongleRgb->ledMode), 1);   // too short to be a record: kept
        QByteArray record(10, '\0');
        record[0] = 3;
        record[4] = 7;
        sendEvent(21, 0, 0, record);
        QCOMPARE(int(g_dongleRgb->ledMode), 3);   // the receiver's new record is shown
        QCOMPARE(int(g_dongleRgb->data[3]), 7);
        sendEvent(23, 0, 0, QByteArray(10, '\0'));
        sendEvent(23, 0, 0, QByteArray(9, '\0'));
        QCOMPARE(rgb.count(), 2);
        QCOMPARE(longRange.count(), 1);
        QCOMPARE(longRange.first().first().toBool(), false);
    }
};

QTEST_MAIN(TestDeviceEvent)
#include "tst_deviceevent.moc"

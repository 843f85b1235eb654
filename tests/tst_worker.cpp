// The device worker and the device page's discovery against the simulated
// device library: starting the server, offline devices and their cache,
// the lost-device poll, and following the device across USB changes.

#include "deviceenumeration.h"
#include "devicestate.h"
#include "firmwarebench.h"
#include "HIDUsb.h"
#include "buttoninterface.h"
#include "containreset.h"
#include "configsettings.h"
#include "deviceevent.h"
#include "devicesearch.h"
#include "dialogchange.h"
#include "globals.h"
#include "hidusb_sim.h"
#include "imagecache.h"
#include "postmsg.h"
#include "testsupport.h"
#include "updatedecision.h"
#include "worker.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

DeviceAllInfo cableEntry(const char *id)
{
    DeviceAllInfo d;
    d.devicePath = QString::fromStdString(hidsim::pathOf(id));
    d.vidText = "5A51";
    d.pidText = "F510";
    d.cid = 0x21;
    d.mid = 1;
    d.linkType = 2;
    d.isWired = 1;
    d.driveIndex = 0;
    return d;
}

// What the device list does when the user picks a device.
void choose(const DeviceAllInfo &device)
{
    PostMsg::instance()->postSelectMouseInfo(device);
    setDeviceHandlePath(device.devicePath.toUtf8());
}

bool finished()
{
    return g_worker && g_worker->isFinished();
}

} // namespace

class TestWorker : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Buttoninterface> page;

    void runWorker()
    {
        g_worker->startRead();
        QTRY_VERIFY_WITH_TIMEOUT(finished(), 10000);
    }

private slots:
    void initTestCase()
    {
        registerDeviceMetaTypes();
    }
    void init()
    {
        resetDeviceBench();
        QDir().mkpath(deviceCacheDir());
        page.reset(new Buttoninterface);
        g_checkTimer->stop();   // the tests drive the poll themselves
        g_devicePageActive = 1;
    }
    void cleanup()
    {
        StopUsbChanged();
        UsbServer_Exit();
        hidsim::waitIdle();
        page.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!g_worker);
        QFile::remove(deviceCacheDir() + "Device_CID21_MID01.bin");
    }

    void constructionState()
    {
        QVERIFY(g_worker);
        QVERIFY(g_checkTimer);
        QCOMPARE(g_checkTimer->interval(), 1300);
        QCOMPARE(QByteArray(g_deviceHandle), QByteArray("a"));
        QCOMPARE(int(g_workerReadPending), 1);
        QCOMPARE(g_showBatteryValue, 1);
    }

    void sameDeviceStartsOnce()
    {
        choose(cableEntry("M2"));
        QCOMPARE(g_deviceCachePath, QString("Device_CID21_MID01.bin"));
        QSignalSpy upload(PostMsg::instance(), &PostMsg::SigUpDataParam);

        runWorker();
        QTRY_COMPARE_WITH_TIMEOUT(page->fullRefreshCount(), 1, 10000);
        QCOMPARE(hidsim::countCalls("UsbServerC_Start"), 1);
        QCOMPARE(hidsim::countCalls("UsbServer_SetPCDriverStatus"), 1);
        QTRY_COMPARE(upload.count(), 1);
        QCOMPARE(upload.first().first().toInt(), 0);

        runWorker();
        QCOMPARE(hidsim::countCalls("UsbServerC_Start"), 1);
        QCOMPARE(int(g_workerReadPending), 0);

        // Back from the list: the same device is started and read again.
        PostMsg::instance()->postMainPageChange();
        runWorker();
        QCOMPARE(hidsim::countCalls("UsbServerC_Start"), 2);
        QTRY_COMPARE_WITH_TIMEOUT(page->fullRefreshCount(), 2, 10000);
    }

    void offlineWithoutCache()
    {
        hidsim::setOnline("M1", false);
        choose(benchReceiverEntry());
        runWorker();
        QVERIFY(page->showsFactoryView());
        QCOMPARE(int(g_deviceLost), 1);
        QCOMPARE(int(g_selectedDevice.online), 0);
        QCOMPARE(hidsim::countCalls("UsbServerC_Start"), 1);
        QCOMPARE(hidsim::countCalls("UsbServer_ReadAllFlashData"), 1);
    }

    void offlineWithCache()
    {
        FlashDataMap cached;
        std::memset(&cached, 0, sizeof cached);
        cached.reportRate = 2;
        cached.dpiLevel = 4;
        cached.keyRecords[3].bytes[7] = 0x33;
        saveDeviceInfo("Device_CID21_MID01.bin", cached);

        hidsim::setOnline("M1", false);
        choose(benchReceiverEntry());
        runWorker();
        QVERIFY(!page->showsFactoryView());
        QCOMPARE(std::memcmp(&page->shownImage(), &cached, sizeof cached), 0);
        QCOMPARE(page->reportRateIndex(), 2);
        // Only the pages see the cached image.
        QCOMPARE(int(g_flashDataMap.reportRate), 0);
        QCOMPARE(hidsim::countCalls("UsbServerC_Start"), 1);
    }

    void lostDevicePoll()
    {
        g_deviceLost = 1;
        FirmwareProgramFolder folder;
        QVERIFY(startHeldUpdate(folder));   // an update runs: leave the device alone
        setDeviceHandlePath(benchReceiverEntry().devicePath.toUtf8());
        hidsim::clearCalls();
        g_worker->SlotCheckOnline();
        QCOMPARE(hidsim::countCalls("UsbFinderC_GetDeviceOnLine"), 0);
        QCOMPARE(int(g_deviceLost), 1);

        // A re-read wanted while the device is away waits for it.
        forgetHeldUpdate();
        g_rereadRequested = 1;
        hidsim::setOnline("M1", false);
        g_worker->SlotCheckOnline();
        QCOMPARE(int(g_deviceLost), 1);
        QCOMPARE(int(g_rereadRequested), 1);

        QSignalSpy close(PostMsg::instance(), &PostMsg::SigCloseOffOnline);
        hidsim::setOnline("M1", true);
        g_worker->SlotCheckOnline();
        QCOMPARE(int(g_deviceLost), 0);
        QCOMPARE(close.count(), 1);
        QCOMPARE(int(g_rereadRequested), 0);
        QTRY_VERIFY_WITH_TIMEOUT(finished(), 10000);
    }

    void unansweredDeviceIsUnrecognised()
    {
        g_selectedDevice = benchReceiverEntry();
        DeviceAllInfo record;
        hidsim::clearCalls();
        QCOMPARE(Worker::identifyDevice(record, "no-such-device"), 0);
        QCOMPARE(hidsim::countCalls("UsbFinderC_GetDeviceInfo"), 10);
        QCOMPARE(record.driveIndex, 2);   // DeviceTotal

        DeviceAllInfo known;
        const QByteArray path = QByteArray::fromStdString(hidsim::pathOf("R1"));
        known.devicePath = QString::fromLatin1(path);
        QCOMPARE(Worker::identifyDevice(known, path.constData()), 1);
        QCOMPARE(int(known.linkType), 1);
        QCOMPARE(int(known.isWired), 0);
        QCOMPARE(known.subDevices.size(), 3);
    }

    // A device that answers but that no device group describes: a model of
    // the product the configuration lacks, another product, or no groups.
    void unrecognisedAnswers_data()
    {
        QTest::addColumn<QStringList>("configLines");   // replaced lines
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("driveIndex");
        QTest::newRow("unknown model") << QStringList{"MID=1", "MID=9"} << 2 << 2;
        QTest::newRow("other product") << QStringList{"CID=MzMK", "CID=MzQK"} << 3 << 2;
        QTest::newRow("no device groups") << QStringList{"DeviceTotal=2", "DeviceTotal=0"} << 0 << 0;
    }
    void unrecognisedAnswers()
    {
        QFETCH(QStringList, configLines);
        QFETCH(int, result);
        QFETCH(int, driveIndex);
        QTemporaryDir program;
        QVERIFY(QDir().mkpath(program.path() + "/usersetting"));
        QFile shipped(builtProgramDir() + "/usersetting/Config.ini");
        QVERIFY(shipped.open(QIODevice::ReadOnly));
        QByteArray config = shipped.readAll();
        QVERIFY(config.contains(configLines.at(0).toLatin1()));
        config.replace(configLines.at(0).toLatin1(), configLines.at(1).toLatin1());
        QFile changed(program.path() + "/usersetting/Config.ini");
        QVERIFY(changed.open(QIODevice::WriteOnly));
        changed.write(config);
        changed.close();
        setProgramDirOverride(program.path());
        ConfigSettings::resetForTests();

        DeviceAllInfo record;
        record.cid = 0x77;
        const QByteArray path = QByteArray::fromStdString(hidsim::pathOf("M2"));
        hidsim::clearCalls();
        const int found = Worker::identifyDevice(record, path.constData());
        // The device list lists what the device page finds.
        DeviceAllInfo listed;
        listed.devicePath = QString::fromLatin1(path);
        const bool shown = DialogChange::identifyDevice(listed);
        setProgramDirOverride(QString());
        ConfigSettings::resetForTests();

        QCOMPARE(shown, result != 0);
        // A record the list does not take stays as it was.
        QCOMPARE(int(listed.isWired), shown ? 1 : 0);
        QCOMPARE(found, result);
        QCOMPARE(record.driveIndex, driveIndex);
        QCOMPARE(int(record.isWired), 1);
        // Only a recognised device takes the ids it answered.
        QCOMPARE(int(record.cid), 0x77);
        QCOMPARE(hidsim::countCalls("UsbFinderC_GetDeviceInfo"), 2);   // one answer each
        QCOMPARE(hidsim::countCalls("UsbFinderC_GetDeviceOnLineWithUsbAddress"), 0);
    }

    // Pairing by cable: every answering receiver of the list hands its id
    // and its class code to every mouse on its cable in the list.
    void cableMiceTakeTheReceiverId_data()
    {
        QTest::addColumn<int>("receiverClass");
        QTest::addColumn<QString>("classCode");
        QTest::newRow("1K") << 1 << "00";
        QTest::newRow("2K") << 2 << "01";
        QTest::newRow("4K") << 4 << "01";
        QTest::newRow("8K") << 8 << "04";
    }
    void cableMiceTakeTheReceiverId()
    {
        QFETCH(int, receiverClass);
        QFETCH(QString, classCode);
        const QList<DeviceAllInfo> devices = {cableEntry("M2"), benchReceiverEntry()};
        const std::vector<unsigned char> receiverId = hidsim::receiverId("R1");
        QVERIFY(hidsim::pairedReceiverId("M2") != receiverId);
        unsigned char answer = 0x55;
        hidsim::clearCalls();

        QVERIFY(pairWiredMiceWithReceivers(devices, receiverClass, &answer));

        QCOMPARE(int(answer), 1);
        QCOMPARE(hidsim::pairedReceiverId("M2"), receiverId);
        const std::vector<std::string> calls = hidsim::calls();
        QCOMPARE(int(calls.size()), 2);
        QVERIFY(calls.at(0).rfind("UsbFinderC_GetDeviceOnLineWithUsbAddress(", 0) == 0);
        const QString sent = QString::fromStdString(calls.at(1));
        QVERIFY2(sent.startsWith("UsbFinderC_SetDongleIDToMouse(") && sent.endsWith(" 00 " + classCode + ")"), qPrintable(sent));

        // Without a receiver in the list nothing is asked or sent.
        hidsim::clearCalls();
        answer = 0x55;
        QVERIFY(!pairWiredMiceWithReceivers({cableEntry("M2")}, receiverClass, &answer));
        QCOMPARE(int(answer), 0x55);
        QVERIFY(hidsim::calls().empty());
    }

    // The selected mouse, reached first through its receiver, is plugged in
    // by its cable: the page moves to the cable entry and reads it.
    void sameMouseOnOtherEntryRestarts()
    {
        g_selectedDevice = benchReceiverEntry();
        Worker::scanDevices();
        QCOMPARE(g_selectedDevice.subDevices.size(), 3);
        hidsim::plug("M1", true);
        hidsim::waitIdle();
        QSignalSpy back(PostMsg::instance(), &PostMsg::SigChangeMainDialog);

        Worker::scanDevices();
        const QString cablePath = QString::fromStdString(hidsim::pathOf("M1"));
        QCOMPARE(g_selectedDevice.devicePath, cablePath);
        QCOMPARE(QString::fromUtf8(g_deviceHandle), cablePath);
        QCOMPARE(back.count(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(page->fullRefreshCount(), 1, 10000);
        bool startedOnCable = false;
        for (const std::string &call : hidsim::calls())
            startedOnCable |= QString::fromStdString(call).startsWith("UsbServerC_Start") && QString::fromStdString(call).contains(cablePath);
        QVERIFY(startedOnCable);
    }

    void emptyScan_data()
    {
        QTest::addColumn<bool>("updating");
        QTest::newRow("idle") << false;
        QTest::newRow("update running") << true;
    }
    void emptyScan()
    {
        QFETCH(bool, updating);
        // The update's end, when the receiver goes, is not handled before
        // the scan.
        FirmwareProgramFolder folder;
        if (updating)
            QVERIFY(startHeldUpdate(folder));
        hidsim::plug("R1", false);
        hidsim::plug("M2", false);
        g_selectedDevice = benchReceiverEntry();
        QSignalSpy back(PostMsg::instance(), &PostMsg::SigChangeMainDialog);
        QSignalSpy setver(PostMsg::instance(), &PostMsg::SigSetver);

        Worker::scanDevices();
        QVERIFY(g_deviceList.isEmpty());
        QCOMPARE(setver.count(), 1);
        if (updating) {
            QCOMPARE(g_selectedDevice.devicePath, benchReceiverEntry().devicePath);
            QCOMPARE(back.count(), 0);
        } else {
            QVERIFY(g_selectedDevice.devicePath.isEmpty());
            QCOMPARE(back.count(), 1);
            QCOMPARE(back.first().first().toInt(), 0);
        }
    }

    void receiverHintsWithoutBinFolder()
    {
        // The program folder of the build ships demo images: a folder of its
        // own without "bin".
        QTemporaryDir program;
        QVERIFY(QDir().mkpath(program.path() + "/usersetting"));
        QVERIFY(QFile::copy(builtProgramDir() + "/usersetting/Config.ini",
                            program.path() + "/usersetting/Config.ini"));
        setProgramDirOverride(program.path());
        ConfigSettings::resetForTests();
        g_selectedDevice = cableEntry("M2");
        g_selectedDevice.mouseVersion = "v1.05";
        QSignalSpy label(PostMsg::instance(), &PostMsg::SigLabelTextB);
        Worker::scanDevices();
        setProgramDirOverride(QString());
        ConfigSettings::resetForTests();
        QCOMPARE(label.count(), 1);
        QCOMPARE(label.first().at(1).toString(), QString());
        QCOMPARE(int(g_update211Available), 0);
    }

    // The receiver's firmware hint: the receiver entry gives the version and
    // the receiver class (4K: model D4M), the images lie in the program
    // folder's "bin".
    void receiverHintsFromImages_data()
    {
        QTest::addColumn<bool>("folder");
        QTest::addColumn<quint32>("imageVersion");
        QTest::addColumn<QString>("mark");
        QTest::newRow("no bin folder") << false << 0u << QString();
        QTest::newRow("newer receiver image") << true << 0x103u << QString("true");
        QTest::newRow("running receiver image") << true << 0x102u << QString();
    }
    void receiverHintsFromImages()
    {
        QFETCH(bool, folder);
        QFETCH(quint32, imageVersion);
        QFETCH(QString, mark);
        QTemporaryDir program;
        QVERIFY(QDir().mkpath(program.path() + "/usersetting"));
        QVERIFY(QFile::copy(builtProgramDir() + "/usersetting/Config.ini",
                            program.path() + "/usersetting/Config.ini"));
        if (folder) {
            QVERIFY(QDir().mkpath(program.path() + "/bin"));
            QFile f(program.path() + "/bin/receiver.bin");
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(firmwareImageBytes(211, 1, imageVersion, "QZR-4K"));
        }
        setProgramDirOverride(program.path());
        ConfigSettings::resetForTests();

        g_selectedDevice = cableEntry("M2");
        g_selectedDevice.mouseVersion = "v1.05";
        QSignalSpy label(PostMsg::instance(), &PostMsg::SigLabelTextB);
        Worker::scanDevices();
        setProgramDirOverride(QString());
        ConfigSettings::resetForTests();

        QCOMPARE(g_deviceList.size(), 2);
        QCOMPARE(label.count(), 1);
        QCOMPARE(label.first().at(0).toString(), QString("v1.02"));
        QCOMPARE(label.first().at(1).toString(), mark);
        QCOMPARE(int(g_update211Available), mark.isEmpty() ? 0 : 1);
    }

    // Plug, select, full read, the mouse away and back, the receiver pulled
    // and put back.
    void followsDeviceAcrossChanges()
    {
        QCOMPARE(StartUsbChanged(&Worker::onUsbChanged, 600), 1);
        choose(benchReceiverEntry());
        runWorker();
        QTRY_COMPARE_WITH_TIMEOUT(page->fullRefreshCount(), 1, 10000);

        // The mouse goes out of range and comes back: it announces itself
        // and the page is read again (key records of the reconnection).
        hidsim::setOnline("M1", false);
        QVERIFY(hidsim::waitIdle());
        hidsim::setOnline("M1", true);
        QVERIFY(hidsim::waitIdle());
        QTRY_COMPARE_WITH_TIMEOUT(page->fullRefreshCount(), 2, 10000);
        QCOMPARE(int(g_clearKeyRecords), 0);
        QCOMPARE(g_selectedDevice.devicePath, benchReceiverEntry().devicePath);

        // The receiver is pulled: the page goes back to the list.
        QSignalSpy back(PostMsg::instance(), &PostMsg::SigChangeMainDialog);
        hidsim::plug("R1", false);
        QVERIFY(hidsim::waitIdle());
        QTRY_COMPARE_WITH_TIMEOUT(back.count(), 1, 10000);
        QCOMPARE(back.first().first().toInt(), 0);
        UsbServer_Exit();   // what the main window does on its way back

        // Put back and chosen again: read again.
        hidsim::plug("R1", true);
        QVERIFY(hidsim::waitIdle());
        QTRY_VERIFY_WITH_TIMEOUT(!g_deviceList.isEmpty(), 10000);
        PostMsg::instance()->postMainPageChange();
        choose(benchReceiverEntry());
        runWorker();
        QTRY_COMPARE_WITH_TIMEOUT(page->fullRefreshCount(), 3, 10000);
    }

    // Factory reset from the device page: the device is restored, restarts,
    // and the page is read again from the restored configuration.
    void factoryReset()
    {
        choose(benchReceiverEntry());
        runWorker();
        QTRY_COMPARE_WITH_TIMEOUT(page->fullRefreshCount(), 1, 10000);
        g_flashDataMap.debounceTime = 77;
        ProtocolDataUpdate(&g_flashDataMap);
        QVERIFY(hidsim::waitIdle());
        hidsim::clearCalls();

        bool asked = false;
        QTimer answer;
        connect(&answer, &QTimer::timeout, [&] {
            if (auto *question = qobject_cast<ContainReset *>(QApplication::activeModalWidget())) {
                asked = true;
                question->accepted = true;
                question->close();
            }
        });
        answer.start(20);
        page->on_Reset_clicked();
        answer.stop();

        QVERIFY(asked);
        const std::vector<std::string> calls = hidsim::calls();
        auto at = [&](const std::string &call) {
            return int(std::find(calls.begin(), calls.end(), call) - calls.begin());
        };
        QVERIFY(at("UsbServer_SetBatteryOptimizeEnable(0)") < at("ProtocolDataUpdate()"));
        QVERIFY(at("ProtocolDataUpdate()") < at("UsbServer_SetClearSetting()"));
        QVERIFY(at("UsbServer_SetClearSetting()") < int(calls.size()));
        QCOMPARE(int(g_configApplying), 0);
        QVERIFY(g_checkTimer->isActive());
        g_checkTimer->stop();
        QTRY_COMPARE_WITH_TIMEOUT(page->fullRefreshCount(), 2, 10000);
        FlashDataMap factory;
        hidsim::factoryImage(1, reinterpret_cast<unsigned char *>(&factory));
        QCOMPARE(int(page->shownImage().debounceTime), int(factory.debounceTime));

        // Offline: only the offline notice.
        hidsim::setOnline("M1", false);
        hidsim::clearCalls();
        QSignalSpy offline(PostMsg::instance(), &PostMsg::SigMouseOffLineo);
        page->on_Reset_clicked();
        QCOMPARE(offline.count(), 1);
        QCOMPARE(hidsim::countCalls("UsbServer_SetClearSetting"), 0);
    }

    void pageEndDoesNotHang()
    {
        choose(cableEntry("M2"));
        g_worker->startRead();
        QElapsedTimer timer;
        timer.start();
        page.reset();   // may meet run() in a blocking emit towards this thread
        QVERIFY(timer.elapsed() < 5000);
        QVERIFY(!g_worker);
        page.reset(new Buttoninterface);
    }
};

QTEST_MAIN(TestWorker)
#include "tst_worker.moc"

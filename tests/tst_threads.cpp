// Where the device library's event thread, the Worker thread and the GUI
// thread meet: every device answer and every Worker run must reach the
// state the pages read without a data race. Run under ThreadSanitizer
// (scripts/test.sh tsan), a race here fails the test; in every build the
// checks say what the user sees.

#include "HIDUsb.h"
#include "deviceevent.h"
#include "devicestate.h"
#include "globals.h"
#include "guithread.h"
#include "hidusb_sim.h"
#include "postmsg.h"
#include "testsupport.h"
#include "worker.h"

#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <atomic>
#include <cstring>
#include <memory>
#include <thread>

namespace {

FlashDataMap deviceImage()
{
    FlashDataMap image;
    std::memset(&image, 0, sizeof image);
    hidsim::storedImage("M1", reinterpret_cast<unsigned char *>(&image));
    return image;
}

void setDeviceImage(const FlashDataMap &image)
{
    hidsim::setStoredImage("M1", reinterpret_cast<const unsigned char *>(&image));
}

// The default bench's mouse M1 behind its receiver R1, chosen, its server
// running and its image read once.
void openBenchMouse()
{
    const DeviceAllInfo entry = benchReceiverEntry();
    g_selectedDevice = entry;
    setDeviceHandlePath(entry.devicePath.toUtf8());
    const QByteArray path = entry.devicePath.toLatin1();
    QCOMPARE(UsbServerC_Start(path.constData(), path.constData(), onDeviceEvent), 1);
    g_deviceDataLoaded = 0;
    UsbServer_ReadAllFlashData();
    QTRY_COMPARE_WITH_TIMEOUT(int(g_deviceDataLoaded), 1, 10000);
}

// The device answers of the first test, each arriving on the library's
// event thread.
enum Answer { DpiButton, LedBar, ReportRate, FullRead, ReceiverLed, Version };

} // namespace

class TestThreads : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Worker> worker;

private slots:
    void init()
    {
        resetDeviceBench();
    }
    void cleanup()
    {
        StopUsbChanged();
        UsbServer_Exit();
        hidsim::waitIdle();
        if (worker) {
            worker->wait(10000);
            worker.reset();
        }
    }

    // A device answer changes the live image, the receiver LED record or the
    // selection; the GUI thread reads them meanwhile, as the pages do.
    void deviceAnswerReachesGuiState_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("mouse's DPI button pressed") << int(DpiButton);
        QTest::newRow("light bar read") << int(LedBar);
        QTest::newRow("report rate read") << int(ReportRate);
        QTest::newRow("whole image read again") << int(FullRead);
        QTest::newRow("receiver LED record read") << int(ReceiverLed);
        QTest::newRow("version while the list names the device again") << int(Version);
    }
    void deviceAnswerReachesGuiState()
    {
        QFETCH(int, answer);
        openBenchMouse();
        FlashDataMap changed = deviceImage();

        switch (Answer(answer)) {
        case DpiButton: {
            const u8 before = g_flashDataMap.dpiLevel;
            QVERIFY(hidsim::pressDpiButton("M1"));
            QTRY_VERIFY_WITH_TIMEOUT(g_flashDataMap.dpiLevel != before, 10000);
            QCOMPARE(int(g_flashDataMap.dpiLevel), int(deviceImage().dpiLevel));
            break;
        }
        case LedBar:
            changed.lightR = u8(changed.lightR ^ 0x5A);
            setDeviceImage(changed);
            UsbServer_ReadLedBar();
            QTRY_COMPARE_WITH_TIMEOUT(int(g_flashDataMap.lightR), int(changed.lightR), 10000);
            break;
        case ReportRate:
            changed.reportRate = changed.reportRate == 1 ? 8 : 1;
            setDeviceImage(changed);
            UsbServer_ReadReportRate();
            QTRY_COMPARE_WITH_TIMEOUT(int(g_flashDataMap.reportRate), int(changed.reportRate), 10000);
            break;
        case FullRead:
            changed.debounceTime = u8(changed.debounceTime + 3);
            setDeviceImage(changed);
            g_deviceCacheName.clear();
            UsbServer_ReadAllFlashData();
            QTRY_COMPARE_WITH_TIMEOUT(int(g_flashDataMap.debounceTime), int(changed.debounceTime), 10000);
            QTRY_COMPARE_WITH_TIMEOUT(g_deviceCacheName, QString("Device_CID21_MID01.bin"), 10000);
            break;
        case ReceiverLed: {
            QCOMPARE(int(g_dongleRgb->ledMode), 1);   // the bench receiver's mode
            DongleRGB rgb;
            QVERIFY(hidsim::dongleRgb("R1", reinterpret_cast<unsigned char *>(&rgb)));
            rgb.ledMode = 3;
            const QByteArray path = g_selectedDevice.devicePath.toLatin1();
            QCOMPARE(UsbFinderC_Set4KDongleRGB(path.constData(), &rgb), 1);
            UsbServer_ReadAllFlashData();
            QTRY_COMPARE_WITH_TIMEOUT(int(g_dongleRgb->ledMode), 3, 10000);
            break;
        }
        case Version: {
            g_selectedDevice.mouseVersion.clear();
            const DeviceAllInfo entry = g_selectedDevice;
            UsbServer_ReadVersion();
            g_selectedDevice = entry;   // as the Worker's slot does when the list names it
            QTRY_COMPARE_WITH_TIMEOUT(g_selectedDevice.mouseVersion, QString("v1.05"), 10000);
            break;
        }
        }
        QVERIFY(hidsim::waitIdle());
        // What the program holds is what the device holds.
        const FlashDataMap held = deviceImage();
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(&g_flashDataMap), kFlashDataMapSize),
                 QByteArray(reinterpret_cast<const char *>(&held), kFlashDataMapSize));
    }

    // The Worker reads the selection and the cache name on its own thread
    // while the GUI thread may choose a device at that very moment; what it
    // finds about the device it checked goes to that device only.
    void workerRunMeetsNewChoice_data()
    {
        QTest::addColumn<bool>("otherDevice");
        QTest::newRow("the same device named again") << false;
        QTest::newRow("another device chosen") << true;
    }
    void workerRunMeetsNewChoice()
    {
        QFETCH(bool, otherDevice);
        worker.reset(new Worker);
        g_checkTimer->stop();
        g_devicePageActive = 1;
        const DeviceAllInfo first = benchReceiverEntry();
        PostMsg::instance()->postSelectMouseInfo(first);
        setDeviceHandlePath(first.devicePath.toUtf8());
        DeviceAllInfo next = first;
        if (otherDevice) {
            next.devicePath = QString::fromStdString(hidsim::pathOf("M2"));
            next.linkType = 2;
            next.isWired = 1;
        }

        worker->startRead();
        PostMsg::instance()->postSelectMouseInfo(next);   // while run() starts
        QTRY_VERIFY_WITH_TIMEOUT(worker->isFinished(), 10000);
        QVERIFY(worker->wait(10000));
        QTRY_COMPARE_WITH_TIMEOUT(int(g_deviceDataLoaded), 1, 10000);
        QCOMPARE(int(g_workerReadPending), 0);

        // The server was started on the device the run was started for.
        QStringList starts;
        for (const std::string &call : hidsim::calls()) {
            if (QString::fromStdString(call).startsWith("UsbServerC_Start"))
                starts << QString::fromStdString(call);
        }
        QCOMPARE(starts.size(), 1);
        QVERIFY(starts.first().contains(first.devicePath));
        QVERIFY(hidsim::waitIdle());
        QCoreApplication::processEvents();
        QCOMPARE(g_selectedDevice.devicePath, next.devicePath);
        QCOMPARE(int(g_selectedDevice.online), otherDevice ? 0 : 1);
    }

    // The two ways to the GUI thread: a queued call runs there, sees what the
    // caller did before and keeps its order; a blocking call has run there
    // when it returns, and runs at once when the GUI thread itself calls.
    void handOverToGuiThread()
    {
        int seenOnGui = 0;
        QThread *gui = QThread::currentThread();
        std::atomic<bool> wrongThread{false};
        int value = 0;
        std::thread library([&] {
            value = 7;
            queueOnGuiThread([&] {
                wrongThread = wrongThread || QThread::currentThread() != gui;
                seenOnGui = value;
            });
            int answer = 0;
            runOnGuiThreadBlocking([&] {
                wrongThread = wrongThread || QThread::currentThread() != gui;
                answer = seenOnGui + 1;
            });
            value = answer;
        });
        QTRY_COMPARE_WITH_TIMEOUT(seenOnGui, 7, 10000);
        library.join();
        QCOMPARE(value, 8);   // the queued call ran before the blocking one
        QVERIFY(!wrongThread);

        bool ranHere = false;
        runOnGuiThreadBlocking([&] { ranHere = true; });
        QVERIFY(ranHere);
    }
};

QTEST_MAIN(TestThreads)
#include "tst_threads.moc"

// The pairing dialog against the simulated receivers: which device it pairs
// and with which CID, how a run ends (success, refusal, the receiver pulled,
// a receiver that never answers), and that nothing closes it mid-run.

#include "HIDUsb.h"
#include "deviceenumeration.h"
#include "devicepairing.h"
#include "devicestate.h"
#include "firmwarebench.h"
#include "globals.h"
#include "hidusb_sim.h"
#include "match.h"
#include "testsupport.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

#include <memory>

namespace {

QString pathOf(const char *id)
{
    return QString::fromStdString(hidsim::pathOf(id));
}

} // namespace

class TestPairing : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Match> match;

    QPushButton *button() { return match->findChild<QPushButton *>("MatchButton"); }
    QString text(int position) { return langText(g_langMatch, 0, position); }

    void open()
    {
        match.reset(new Match);
        match->init();
        match->show();
        QApplication::setActiveWindow(match.get());
        match->onUSBTimeupDestroy();
    }

    // One poll of the dialog, with the receiver's answer delivered.
    void poll(bool waitForBench = true)
    {
        if (waitForBench)
            QVERIFY(hidsim::waitIdle());
        match->onPairTimeupDestroy();
        if (waitForBench)
            QVERIFY(hidsim::waitIdle());
        QCoreApplication::processEvents();
        match->onUSBTimeupDestroy();
    }

    // Space is the button's shortcut: it holds the button down and clicks it
    // a moment later; the click (or none, on a button that cannot act) has
    // happened once the button is up again.
    void pressSpace()
    {
        QTest::keyClick(match.get(), Qt::Key_Space);
        QTRY_VERIFY(!button()->isDown());
    }

    void report(int status)
    {
        const unsigned char header[8] = {0, 6, 0, 0, 0, 0, 0, 0};
        const unsigned char data[1] = {static_cast<unsigned char>(status)};
        const int stateBefore = g_pairState;
        onPairReport(header, 8, data, 1);
        // Handed to the GUI thread queued, never inside the library's call.
        QCOMPARE(g_pairState, stateBefore);
        QCoreApplication::processEvents();
        match->onUSBTimeupDestroy();
    }

private slots:
    void initTestCase() { startFirmwareTests(); }

    void init()
    {
        resetFirmwareBench();
        g_pairing = 0;
        g_pairState = 0;
        g_reopenDevicePage = 0;
    }

    void cleanup()
    {
        g_pairing = 0;
        match.reset();
        UsbServer_Exit();
        hidsim::setTimeScale(0);
    }

    // The receiver's pairing status is event 6 with the status in data byte
    // 0: 1 pairing, 2 failure, 3 success; nothing else is a status.
    void pairStatusDecoded_data()
    {
        QTest::addColumn<int>("event");
        QTest::addColumn<int>("reportLen");
        QTest::addColumn<int>("dataLen");
        QTest::addColumn<int>("byte");
        QTest::addColumn<int>("status");   // -1: not a pairing status
        QTest::newRow("still pairing") << 6 << 8 << 1 << 1 << int(PairStatus::Pairing);
        QTest::newRow("failed") << 6 << 8 << 1 << 2 << int(PairStatus::Failed);
        QTest::newRow("succeeded") << 6 << 2 << 1 << 3 << int(PairStatus::Succeeded);
        QTest::newRow("unknown status") << 6 << 8 << 1 << 4 << -1;
        QTest::newRow("status 0") << 6 << 8 << 1 << 0 << -1;
        QTest::newRow("another event") << 8 << 8 << 1 << 3 << -1;
        QTest::newRow("report without event byte") << 6 << 1 << 1 << 3 << -1;
        QTest::newRow("no data") << 6 << 8 << 0 << 3 << -1;
    }
    void pairStatusDecoded()
    {
        QFETCH(int, event);
        QFETCH(int, reportLen);
        QFETCH(int, dataLen);
        QFETCH(int, byte);
        QFETCH(int, status);
        const unsigned char header[8] = {0, static_cast<unsigned char>(event), 0, 0, 0, 0, 0, 0};
        const unsigned char data[1] = {static_cast<unsigned char>(byte)};
        // Starts as something other than the expected status.
        PairStatus decoded = status == int(PairStatus::Failed) ? PairStatus::Succeeded : PairStatus::Failed;
        QCOMPARE(decodePairStatus(header, reportLen, data, unsigned(dataLen), &decoded), status >= 0);
        if (status >= 0)
            QCOMPARE(int(decoded), status);
    }

    // What init() pairs and the CID it hands the receiver.
    void deviceAndCid_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("pairedId");
        QTest::addColumn<int>("cid");
        QTest::addColumn<bool>("offered");
        QTest::addColumn<bool>("wiredNotice");
        QTest::newRow("device page: the selected device") << "page" << "R1" << 0x21 << true << false;
        QTest::newRow("device list: the stored device") << "stored" << "R1" << 0x21 << true << false;
        // Discovery lists the cable mouse before the receiver.
        QTest::newRow("first found: the cable mouse") << "found" << "M2" << 0x21 << false << true;
        QTest::newRow("nothing found: not offered") << "none" << "" << 6 << false << false;
        QTest::newRow("device never answers: its record's CID") << "mute" << "RZ" << 0x22 << true << false;
        QTest::newRow("record without CID: from VPC") << "vpc" << "R1" << 33 << true << false;
        QTest::newRow("record without CID, not in VPC") << "novpc" << "R1" << 6 << true << false;
    }
    void deviceAndCid()
    {
        QFETCH(QString, source);
        QFETCH(QString, pairedId);
        QFETCH(int, cid);
        QFETCH(bool, offered);
        QFETCH(bool, wiredNotice);

        FirmwareProgramFolder folder;
        QVERIFY(hidsim::reset(folder.fixture("bench", receiverFixture("R1", 4, 1, "M1") + mouseFixture("M1", 1, false)
                                                           + mouseFixture("M2", 1, true)
                                                           + "[RZ]\ntype=receiver\nclass=4\ncid=0\nmid=0\n")
                                  .toUtf8()
                                  .constData()));
        // The selected device is another one: its answers must not count.
        g_selectedDevice = listedDevice("M2");
        if (source == "page") {
            g_devicePageActive = 1;
            g_selectedDevice = listedDevice("R1");
        } else if (source == "stored") {
            g_pairWithStoredDevice = 1;
            g_pairDevice = listedDevice("R1");
        } else if (source == "found") {
            g_foundDevices = {listedDevice("M2"), listedDevice("R1")};
        } else if (source == "mute") {
            g_pairWithStoredDevice = 1;
            g_pairDevice = listedDevice("R1");
            g_pairDevice.devicePath = pathOf("RZ");
            g_pairDevice.cid = 0x22;
        } else if (source == "vpc" || source == "novpc") {
            g_pairWithStoredDevice = 1;
            g_pairDevice = listedDevice("R1");
            g_pairDevice.cid = 0;
            if (source == "novpc")
                g_pairDevice.pidText = "F599";
        }
        open();

        QCOMPARE(match->devicePath(), pairedId.isEmpty() ? QString() : pathOf(pairedId.toLatin1().constData()));
        QCOMPARE(int(match->pairCid()), cid);
        QCOMPARE(button()->isEnabled(), offered);
        QCOMPARE(match->findChild<QLabel *>("label")->isVisible(), wiredNotice);
        QCOMPARE(match->findChild<QLabel *>("textEdit")->isVisible(), !wiredNotice);

        hidsim::clearCalls();
        pressSpace();
        QCOMPARE(hidsim::countCalls("UsbServer_EnterDonglePairOnlyCid"), offered ? 1 : 0);
        if (offered) {
            QCOMPARE(hidsim::calls().back(), "UsbServer_EnterDonglePairOnlyCid(" + std::to_string(cid) + ")");
            QCOMPARE(g_pairState, 1);
        }
    }

    // How a run ends, started from the device list or from a device page.
    void runEnds_data()
    {
        QTest::addColumn<QString>("receiver");
        QTest::addColumn<bool>("fromPage");
        QTest::addColumn<int>("state");
        QTest::addColumn<int>("textPosition");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("pairs") << "pairs" << false << 2 << 5 << false;
        QTest::newRow("pairs, from a device page") << "pairs" << true << 2 << 5 << false;
        QTest::newRow("refuses") << "refuses" << false << 3 << 4 << true;
        QTest::newRow("refuses, from a device page") << "refuses" << true << 3 << 4 << true;
        QTest::newRow("pulled out during the run") << "pulled" << true << 3 << 4 << true;
        QTest::newRow("never answers") << "silent" << true << 3 << 4 << true;
        QTest::newRow("says it is still pairing") << "busy" << false << 1 << 3 << true;
    }
    void runEnds()
    {
        QFETCH(QString, receiver);
        QFETCH(bool, fromPage);
        QFETCH(int, state);
        QFETCH(int, textPosition);
        QFETCH(bool, enabled);

        const bool slow = receiver == "silent" || receiver == "busy";
        if (receiver == "refuses")
            hidsim::failNextPairing();
        if (fromPage) {
            g_devicePageActive = 1;
            g_selectedDevice = benchReceiverEntry();
        } else {
            g_pairWithStoredDevice = 1;
            g_pairDevice = benchReceiverEntry();
        }
        open();
        QVERIFY(button()->isEnabled());
        if (slow)
            hidsim::setTimeScale(1e6);   // the receiver's answers never come
        button()->click();
        QCOMPARE(g_pairState, 1);
        QCOMPARE(int(g_pairing), 1);
        QCOMPARE(button()->text(), text(3));
        QCOMPARE(g_devicePageActive, 0);

        if (receiver == "pulled")
            hidsim::plug("R1", false);
        if (receiver == "busy")
            report(1);
        if (receiver == "silent") {
            for (int i = 1; i < Match::kPairTimeoutPolls; ++i)
                poll(false);
            QCOMPARE(g_pairState, 1);
            poll(false);
        } else if (!slow) {
            poll();
        }

        QCOMPARE(g_pairState, state);
        QCOMPARE(int(g_pairing), state == 1 ? 1 : 0);
        QCOMPARE(button()->text(), text(textPosition));
        QCOMPARE(button()->isEnabled(), enabled);
        QCOMPARE(g_devicePageActive, fromPage && state != 1 ? 1 : 0);

        if (state == 3 && receiver != "pulled") {
            // After a failure the button starts a new run.
            hidsim::clearCalls();
            button()->click();
            QCOMPARE(hidsim::countCalls("UsbServerC_Start"), 1);
            QCOMPARE(g_pairState, 1);
        } else if (state == 2) {
            hidsim::clearCalls();
            pressSpace();
            QCOMPARE(hidsim::countCalls("UsbServerC_Start"), 0);
        }
    }

    // Neither Escape nor the close button ends the dialog during a run; once
    // the run is over both close it and the device list listens again.
    void closingWaitsForTheRun()
    {
        g_pairWithStoredDevice = 1;
        g_pairDevice = benchReceiverEntry();
        open();
        hidsim::setTimeScale(1e6);
        button()->click();
        auto *close = match->findChild<QToolButton *>("CloseButton");
        QTest::keyClick(match.get(), Qt::Key_Escape);
        close->click();
        match->close();
        QVERIFY(match->isVisible());

        report(2);
        QCOMPARE(g_pairState, 3);
        hidsim::clearCalls();
        QTest::keyClick(match.get(), Qt::Key_Escape);
        QVERIFY(!match->isVisible());
        QCOMPARE(hidsim::countCalls("StartUsbChanged"), 1);
    }
};

QTEST_MAIN(TestPairing)
#include "tst_pairing.moc"

// The update and repair dialog against the simulated devices: what the
// check offers for a failure record and the attached devices, and the
// automatic update of the main window's key. The runs themselves, from
// either place they start, are in tst_updaterun.

#include "HIDUsb.h"
#include "deviceenumeration.h"
#include "devicestate.h"
#include "firmwarebench.h"
#include "globals.h"
#include "hidusb_sim.h"
#include "pagerepairdialog.h"
#include "postmsg.h"
#include "registry.h"
#include "settingsbench.h"
#include "testsupport.h"
#include "updaterepair.h"
#include "updatetraces.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProgressBar>
#include <QSignalSpy>
#include <QToolButton>
#include <QtTest>

#include <memory>

namespace {

QString autoRepairText(int position)
{
    return langText(g_langAutoRepair, 0, position);
}

} // namespace

class TestRepair : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<FirmwareProgramFolder> folder;
    std::unique_ptr<UpDateRepair> dialog;

    void bench(const QString &fixture, const QStringList &listed, const QString &images)
    {
        QVERIFY(hidsim::reset(folder->fixture("bench", fixture).toUtf8().constData()));
        hidsim::setTimeScale(0);
        for (const QString &id : listed)
            g_foundDevices.append(listedDevice(id.toLatin1().constData()));
        if (images.contains("receiver"))
            folder->addImage("receiver-4k.bin", firmwareImageBytes(211, 1, 0x103, "QZR-4K"));
        // "mouse" at 0x106; "mouse105" at the version the mice run.
        if (images.contains("mouse"))
            folder->addImage("mouse-q1.bin", firmwareImageBytes(210, 1, images.contains("mouse105") ? 0x105 : 0x106, "QZM-Q1"));
        if (images.contains("8k"))
            folder->addImage("receiver-8k.bin", firmwareImageBytes(211, 2, 0x103, "QZR-8K"));
    }

    void setRecord(const QString &record)
    {
        if (record.isEmpty())
            removeUpdateFailInfo();
        else
            RegistryKey(updateTraceKeyPath()).setValue("UpdateFailInfo", record);
    }

    QToolButton *tool(const char *name) { return dialog->findChild<QToolButton *>(name); }

private slots:
    void initTestCase() { startFirmwareTests(); }

    void init()
    {
        resetFirmwareBench();
        removeUpdateFailInfo();
        g_foundDevices.clear();
        g_wirelessPids = QStringList{"F511"};
        g_wireless2Pids = QStringList{"F512"};
        g_wireless4Pids = QStringList{"F514"};
        g_wireless8Pids = QStringList{"F518"};
        QDir().mkpath(userDataDir() + "/Exception");
        QFile::remove(updateLogPath());
        folder.reset(new FirmwareProgramFolder);
        dialog.reset(new UpDateRepair);
        dialog->resetView();
        dialog->show();
        QApplication::setActiveWindow(dialog.get());
    }

    void cleanup()
    {
        dialog.reset();
        folder.reset();
        hidsim::setTimeScale(0);
        hidsim::waitIdle();
        QCoreApplication::processEvents();
    }

    // What the check offers: the repair, or the reason why not.
    void checkDecides_data()
    {
        QTest::addColumn<QString>("record");
        QTest::addColumn<QString>("fixture");
        QTest::addColumn<QStringList>("listed");
        QTest::addColumn<QString>("images");
        QTest::addColumn<int>("text");        // position on page AutoRepair; -1 none
        QTest::addColumn<int>("imageCount");  // 0: not checked
        QTest::addColumn<QString>("recordAfter");

        const QString boot = receiverWaitingBesideM2Bench();
        const QStringList m2{"M2"};
        const auto row = [](const char *name, const QString &record, const QString &fixture, const QStringList &listed,
                            const QString &images, int text, int imageCount, const QString &after) {
            QTest::newRow(name) << record << fixture << listed << images << text << imageCount << after;
        };
        const QString waiting = "211,4,33,1";
        // A device waiting in update mode is offered its repair, whatever
        // the record says: it is recorded in place of none or of one that
        // names no device.
        row("no record, the receiver waits", "", boot, m2, "receiver mouse", 12, 2, waiting);
        row("no record, nothing waits", "", receiverFixture("R1", 4, 1) + mouseFixture("M2", 1, true), m2,
            "receiver mouse", -1, 0, "");
        row("three fields", "211,4,33", boot, m2, "receiver mouse", 12, 2, waiting);
        row("five fields", "211,4,33,1,0", boot, m2, "receiver mouse", 12, 2, waiting);
        // Without the mouse's image nobody can tell whether a mouse waits
        // too: the receiver is repaired, nothing is "not found".
        row("nothing listed, receiver failed", waiting, boot, QStringList(), "receiver", 12, 0, waiting);
        // The receiver waits in update mode beside a record of the mouse:
        // it is repaired, and the mouse keeps its record.
        row("nothing listed, mouse failed", "210,4,33,1", boot, QStringList(), "receiver", 12, 0, "210,4,33,1");
        row("nothing listed, unknown kind", "212,4,33,1", boot, QStringList(), "receiver", 12, 0, waiting);
        row("two mice on their cables", waiting, boot + mouseFixture("M3", 1, true), QStringList{"M2", "M3"}, "receiver",
            10, 0, waiting);
        row("two receivers", waiting, receiverFixture("R1", 4, 1) + receiverFixture("R2", 8, 1), QStringList{"R1", "R2"},
            "receiver", 11, 0, waiting);
        row("receiver failed, a receiver listed", waiting, receiverFixture("R1", 4, 1), QStringList{"R1"},
            "receiver mouse", 6, 0, waiting);
        row("mouse failed, a cable mouse listed", "210,4,33,1", receiverFixture("R1", 4, 1) + mouseFixture("M2", 1, true),
            m2, "receiver mouse", 5, 0, "210,4,33,1");
        // The receiver waits, and "bin" has no image of it: that is said,
        // never that it is not found.
        row("mouse failed, the receiver waits with no image", "210,4,33,1", boot, m2, "mouse", 12, 0, "210,4,33,1");
        row("no image", waiting, boot, m2, "", 16, 0, waiting);
        row("no image of the failed kind", waiting, boot, m2, "mouse", 16, 0, waiting);
        // The receiver is neither waiting nor listed: it is to be plugged in.
        row("nothing in update mode", waiting, receiverFixture("R1", 4, 1) + mouseFixture("M2", 1, true), m2, "receiver",
            5, 0, waiting);
        row("two in update mode", waiting, boot + bootFixture("B3", 211, 1, "QZR-4K", ""), m2, "receiver", 3, 0, waiting);
        row("a receiver of the class listed beside it", waiting, boot + receiverFixture("R2", 4, 1),
            QStringList{"M2", "R2"}, "receiver", 3, 0, waiting);
        // Every receiver class counts, the 8 kHz one too.
        const QString waiting8k = bootFixture("B1", 211, 2, "QZR-8K", "R8") + receiverFixture("R8", 8, 2)
                                  + mouseFixture("M3", 2, true);
        row("an 8 kHz receiver waits", "211,8,33,2", waiting8k, QStringList{"M3"}, "8k", 12, 1, "211,8,33,2");
        row("an 8 kHz receiver of the class listed beside it", "211,8,33,2", waiting8k + receiverFixture("R9", 8, 2),
            QStringList{"M3", "R9"}, "8k", 3, 0, "211,8,33,2");
        row("receiver repair, both images", waiting, boot, m2, "receiver mouse", 12, 2, waiting);
        row("receiver repair, its image only", waiting, boot, m2, "receiver", 12, 1, waiting);
        row("mouse repair", "210,4,33,1", mouseWaitingBench(), QStringList{"R1"}, "mouse", 12, 1, "210,4,33,1");
        // Listed first or not, the receiver beside the mouse is found.
        row("mouse repair, a mouse on its cable listed first", "210,4,33,1",
            mouseWaitingBench() + mouseFixture("M2", 1, true), QStringList{"M2", "R1"}, "mouse", 12, 1, "210,4,33,1");
        // The recorded mouse does not wait but runs another version on its
        // cable: it is the device the repair writes, never "not found". A
        // record an earlier version left, which does not say which mouse it
        // names, does not stand in the way: the mouse on its cable is
        // updated.
        row("mouse recorded, listed on its cable", "210,4,33,1|M1", updateBench(), QStringList{"M1", "R1"}, "mouse", 12,
            1, "210,4,33,1");
        row("a mouse recorded without saying which, one on its cable", "210,4,33,1", updateBench(),
            QStringList{"M1", "R1"}, "mouse", 12, 1, "210,4,33,1");
    }
    void checkDecides()
    {
        QFETCH(QString, record);
        QFETCH(QString, fixture);
        QFETCH(QStringList, listed);
        QFETCH(QString, images);
        QFETCH(int, text);
        QFETCH(int, imageCount);
        QFETCH(QString, recordAfter);

        bench(fixture, listed, images);
        // "record|id": the record names that device by its path.
        setRecord(record.section('|', 0, 0));
        if (record.contains('|'))
            writeUpdateFailDevice(QString::fromStdString(hidsim::pathOf(record.section('|', 1).toLatin1())), QByteArray());
        hidsim::clearCalls();
        dialog->SlotRepairCheckUpdate();

        QCOMPARE(dialog->stateText(), text < 0 ? QString() : autoRepairText(text));
        const bool offered = text == 12;
        QCOMPARE(tool("NewHong_2")->text(), offered || text < 0 ? autoRepairText(4) : langText(g_langDialogChange, 0, 4));
        if (imageCount)
            QCOMPARE(g_repairImageCount, imageCount);
        QCOMPARE(RegistryKey(updateTraceKeyPath()).value("UpdateFailInfo").toString(), recordAfter);
    }

    // The main window's key: an automatic update of the one device shown.
    void automaticUpdate_data()
    {
        QTest::addColumn<QString>("mouseVersion");
        QTest::addColumn<QString>("images");
        QTest::addColumn<bool>("twoShown");
        QTest::addColumn<int>("text");   // page Progress 1, 2; negative: page AutoRepair
        QTest::addColumn<int>("bar");
        QTest::addColumn<int>("receiverVersion");
        QTest::newRow("the receiver, the mouse is current") << "v1.06" << "receiver mouse" << false << 1 << 100 << 0x103;
        // Off its cable the mouse is not known: its step writes nothing, and
        // the end view asks for it on its cable.
        QTest::newRow("the mouse too, but not on its cable") << "v1.05" << "receiver mouse" << false << 12 << 50 << 0x103;
        QTest::newRow("a mouse kept older, not on its cable") << "v1.04" << "receiver mouse105" << false << 12 << 50 << 0x103;
        QTest::newRow("no new image") << "v1.06" << "mouse" << false << -8 << 0 << 0x102;
        QTest::newRow("two devices shown") << "v1.06" << "receiver mouse" << true << -2 << 0 << 0x102;
    }
    void automaticUpdate()
    {
        QFETCH(QString, mouseVersion);
        QFETCH(QString, images);
        QFETCH(bool, twoShown);
        QFETCH(int, text);
        QFETCH(int, bar);
        QFETCH(int, receiverVersion);

        // A second mouse, on its cable, only where two devices are shown.
        bench(receiverFixture("R1", 4, 1, "M1") + mouseFixture("M1", 1, false)
                  + (twoShown ? mouseFixture("M2", 1, true) : QString()),
              QStringList{"R1"}, images);
        writeMouseVersion("33", "1", mouseVersion);
        g_shownDevices = g_foundDevices;
        if (twoShown)
            g_shownDevices.append(listedDevice("M2"));
        std::unique_ptr<UpDateRepair> updater(new UpDateRepair);
        updater->show();
        hidsim::clearCalls();

        updater->startAutoUpdate(0);
        QTRY_COMPARE_WITH_TIMEOUT(int(g_upgradeIdle), 1, 10000);
        QVERIFY(hidsim::waitIdle());
        QCoreApplication::processEvents();

        QCOMPARE(updater->stateText(), text < 0 ? autoRepairText(-text) : langText(g_langProgress, 0, text));
        QCOMPARE(updater->findChild<QProgressBar *>("progressBar_2")->value(), bar);
        // The end view's buttons speak the program's language, not the form's.
        QCOMPARE(updater->findChild<QToolButton *>("NewHong")->text(), autoRepairText(1));
        QCOMPARE(hidsim::countCalls("UsbUpgrade_Start"), bar > 0 ? 1 : 0);
        QCOMPARE(hidsim::firmwareVersion("R1"), receiverVersion);
        // The mouse is never flashed here: not on its cable, or current.
        QCOMPARE(hidsim::firmwareVersion("M1"), 0x105);
        QCOMPARE(int(g_repairUpdating), 0);
    }

    // Only the settings page's instance tells the device link that the
    // update dialog is on screen, and only while it is.
    void deviceLinkSeesTheKeptDialog()
    {
        g_updateDialogShown = false;
        dialog->hide();
        dialog->show();
        QVERIFY(!g_updateDialogShown);

        auto kept = std::make_unique<UpDateRepair>();
        g_updateRepairDialog = kept.get();
        QVERIFY(!g_updateDialogShown);
        kept->show();
        QVERIFY(g_updateDialogShown);
        dialog->hide();
        QVERIFY(g_updateDialogShown);
        kept->close();
        QVERIFY(!g_updateDialogShown);
        kept->show();
        kept.reset();
        QVERIFY(!g_updateDialogShown);
        g_updateRepairDialog = nullptr;
    }
};

QTEST_MAIN(TestRepair)
#include "tst_repair.moc"

// The settings page's update runs against the simulated receiver and mouse:
// from the update dialog's action button to the last step, what the devices
// hold afterwards, what the labels, the dialog, the failure record, the log
// and the mouse version say, the warnings of a step without its device, and
// a run whose updater falls silent.

#include "HIDUsb.h"
#include "firmwarebench.h"
#include "formsetting.h"
#include "globals.h"
#include "hidusb_sim.h"
#include "pagerepairdialog.h"
#include "postmsg.h"
#include "registry.h"
#include "settingsbench.h"
#include "testsupport.h"
#include "updaterepair.h"
#include "updaterun.h"
#include "updatetraces.h"
#include "updatewarning.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <algorithm>
#include <functional>
#include <memory>

class TestUpdateRun : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<FirmwareProgramFolder> folder;
    std::unique_ptr<FormSetting> page;

    QLabel *label(const char *name) { return page->findChild<QLabel *>(name); }
    QToolButton *dialogButton(const char *name) { return g_updateRepairDialog->findChild<QToolButton *>(name); }
    QProgressBar *progressBar() { return g_updateRepairDialog->findChild<QProgressBar *>("progressBar_2"); }

    void bench(const QString &fixture, int receiverImage, int mouseImage)
    {
        QVERIFY(startSettingsBench(*folder, fixture, receiverImage, mouseImage));
    }

    // The check timers' ticks, one after the other, until no run is armed;
    // `beforeTick` sees the state between two ticks.
    void runToEnd(const std::function<void()> &beforeTick = {})
    {
        for (int tick = 0; tick < 40; ++tick) {
            QVERIFY(hidsim::waitIdle());
            QCoreApplication::processEvents();
            if (beforeTick)
                beforeTick();
            if (g_dongleCheckTimer->isActive())
                page->onDongleCheckTimer();
            else if (g_mouseCheckTimer->isActive())
                page->onMouseCheckTimer();
            else
                return;
        }
        QFAIL("the run never ended");
    }

private slots:
    void initTestCase() { startFirmwareTests(); }

    void init()
    {
        resetFirmwareBench();
        resetUpdateRunState();
        removeUpdateFailInfo();
        RegistryKey(updateTraceKeyPath()).remove(mouseVersionValueName("33", "1"));
        QDir().mkpath(userDataDir() + "/Exception");
        QFile::remove(updateLogPath());
        folder.reset(new FirmwareProgramFolder);
        page.reset(new FormSetting);
        page->buildUpdateDialogs();
        page->show();
        g_devicePageActive = 1;
    }

    void cleanup()
    {
        page.reset();
        folder.reset();
        g_deviceList.clear();
        setUpdateWatchdogMs(0);
        QCoreApplication::processEvents();
    }

    // A run from the dialog's action button to its end.
    void runEnds_data()
    {
        addSettingsBenchColumns();
        QTest::addColumn<int>("failAt");
        QTest::addColumn<int>("starts");           // images handed to the updater
        QTest::addColumn<int>("receiverAfter");    // firmware the devices hold afterwards
        QTest::addColumn<int>("mouseAfter");
        QTest::addColumn<bool>("success");
        QTest::addColumn<int>("bar");
        QTest::addColumn<QString>("recordAfter");
        QTest::addColumn<QString>("receiverLabel");
        QTest::addColumn<QString>("mouseLabel");
        QTest::addColumn<bool>("cableOut");        // the mouse's cable is pulled once the receiver is flashed

        const QString both = updateBench();
        const QStringList pair{"R1", "M1"};
        QTest::newRow("receiver, then the mouse")
            << both << pair << "R1" << "" << 0x103 << 0x106 << -1 << 2 << 0x103 << 0x106 << true << 100 << "" << "v1.03" << "v1.06" << false;
        QTest::newRow("only the receiver new")
            << both << pair << "R1" << "" << 0x103 << 0x105 << -1 << 1 << 0x103 << 0x105 << true << 100 << "" << "v1.03" << "v1.05" << false;
        QTest::newRow("receiver current, the mouse new")
            << both << pair << "R1" << "" << 0x102 << 0x106 << -1 << 1 << 0x102 << 0x106 << true << 100 << "" << "v1.02" << "v1.06" << false;
        QTest::newRow("the receiver fails at 40 %, the mouse waits")
            << both << pair << "R1" << "" << 0x103 << 0x106 << 40 << 1 << 0x102 << 0x105 << false << 17 << "211,4,33,1" << "v1.02" << "v1.05" << false;
        QTest::newRow("the mouse fails at 60 %")
            << both << pair << "R1" << "" << 0x102 << 0x106 << 60 << 1 << 0x102 << 0x105 << false << 55 << "210,4,33,1" << "v1.02" << "v1.05" << false;
        // The receiver is flashed but the mouse's step cannot run: the update
        // did not complete, and nothing may say it did.
        QTest::newRow("the mouse on its cable selected, listed after the receiver")
            << both << pair << "M1" << "" << 0x103 << 0x106 << -1 << 1 << 0x103 << 0x105 << false << 50 << "" << "v1.03" << "v1.05" << false;
        QTest::newRow("the mouse's cable pulled while the receiver is flashed")
            << both << pair << "R1" << "" << 0x103 << 0x106 << -1 << 1 << 0x103 << 0x105 << false << 50 << "" << "v1.03" << "v1.05" << true;
        QTest::newRow("receiver repaired from the mouse's cable, then the mouse")
            << receiverWaitingBench() << QStringList{"M1"} << "M1" << "211,4,33,1" << 0x103 << 0x106 << -1 << 2 << 0x103
            << 0x106 << true << 100 << "" << "v1.03" << "v1.06" << false;
        QTest::newRow("mouse repaired behind an updated receiver")
            << mouseWaitingBench() << QStringList{"R1"} << "R1" << "210,4,33,1" << 0x103 << 0x106 << -1 << 2 << 0x103 << 0x106
            << true << 100 << "" << "v1.03" << "v1.06" << false;
        QTest::newRow("mouse repaired, the receiver current")
            << mouseWaitingBench() << QStringList{"R1"} << "R1" << "210,4,33,1" << 0x102 << 0x106 << -1 << 1 << 0x102 << 0x106
            << true << 100 << "" << "v1.02" << "v1.06" << false;
    }
    void runEnds()
    {
        QFETCH(int, failAt);
        QFETCH(int, starts);
        QFETCH(int, receiverAfter);
        QFETCH(int, mouseAfter);
        QFETCH(bool, success);
        QFETCH(int, bar);
        QFETCH(QString, recordAfter);
        QFETCH(QString, receiverLabel);
        QFETCH(QString, mouseLabel);
        QFETCH(bool, cableOut);

        QVERIFY(startSettingsBenchRow(*folder));

        // The version report finds the images newer: the dialog offers them.
        page->SetVer(0);
        QVERIFY(g_updateRepairDialog->isVisible());
        QCOMPARE(g_updateRepairDialog->stateText(), langText(g_langAutoRepair, 0, 12));

        hidsim::failUpdateAt(failAt);
        hidsim::clearCalls();
        QSignalSpy progress(PostMsg::instance(), &PostMsg::SigProgress);
        // The updater reports at once (no delays on the bench): every event
        // is already there when the step that started it next looks.
        dialogButton("NewHong_2")->click();
        QCOMPARE(int(g_upgradeIdle), 0);
        QCOMPARE(int(g_firmwareUpdating), 1);
        runToEnd([cableOut] {
            if (cableOut && g_receiverUpdateState == UpdateSucceeded && g_deviceList.size() == 2) {
                QVERIFY(hidsim::plug("M1", false));
                listDevices({"R1"}, "M1");
            }
        });

        QCOMPARE(hidsim::countCalls("UsbUpgrade_Start"), starts);
        QCOMPARE(hidsim::firmwareVersion("R1"), receiverAfter);
        QCOMPARE(hidsim::firmwareVersion("M1"), mouseAfter);
        QCOMPARE(g_updateRepairDialog->stateText(), langText(g_langProgress, 0, success ? 1 : 2));
        QCOMPARE(progressBar()->value(), bar);
        QCOMPARE(readUpdateFailInfo(), recordAfter);
        QCOMPARE(QFile::exists(updateLogPath()), failAt >= 0);
        if (failAt >= 0) {
            QFile log(updateLogPath());
            QVERIFY(log.open(QIODevice::ReadOnly | QIODevice::Text));
            QCOMPARE(log.readAll().split('\n').size(), 9);
            QCOMPARE(int(g_update210Available), 0);
            QCOMPARE(int(g_update211Available), 0);
        }
        // The labels show what the devices now run.
        QCOMPARE(label("label_5")->text(), receiverLabel);
        QCOMPARE(label("label_7")->text(), mouseLabel);
        QCOMPARE(readMouseVersion("33", "1"), mouseAfter == 0x106 ? QString("v1.06") : QString());
        // Nothing is left running and device changes are heard again.
        QCOMPARE(int(g_upgradeIdle), 1);
        QCOMPARE(int(g_firmwareUpdating), 0);
        QVERIFY(!g_dongleCheckTimer->isActive() && !g_mouseCheckTimer->isActive());

        // The bar only grows; with two images the receiver fills its lower
        // half and the mouse the upper.
        int last = -1;
        for (const QList<QVariant> &args : qAsConst(progress)) {
            if (args.at(1).toInt() != 0)
                continue;
            QVERIFY(args.at(0).toInt() >= last);
            last = args.at(0).toInt();
        }
        if (starts == 2)
            QVERIFY(progress.contains(QList<QVariant>{50, 0}));

        // Closing after a finished update tells the page it is current.
        QTest::keyClick(g_updateRepairDialog, Qt::Key_Escape);
        QTRY_VERIFY(!g_updateRepairDialog->isVisible());
        QCOMPARE(page->findChild<QToolButton *>("Receive_2")->text(),
                 langText(g_langFormSetting, 0, success ? 18 : 7));
    }

    // A step whose device is missing or not alone: the warning now (a run
    // continued from another) or kept for later (one the user started),
    // and the dialog learns why nothing was flashed.
    void stepWarnings_data()
    {
        QTest::addColumn<QString>("fixture");
        QTest::addColumn<QStringList>("listed");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<bool>("continued");
        QTest::addColumn<int>("deviceCode");
        QTest::addColumn<int>("deferred");
        QTest::addColumn<int>("text");   // FormSetting position

        const QString both = updateBench();
        QTest::newRow("receiver run without a receiver")
            << both << QStringList{"M1"} << "M1" << false << 211 << 1 << 15;
        QTest::newRow("receiver run, another waits in update mode")
            << both + bootFixture("B3", 211, 1, "QZR-4K", "") << QStringList{"R1"} << "R1" << false << 211 << 2 << 17;
        QTest::newRow("mouse run continued without a mouse on its cable")
            << both << QStringList{"R1"} << "R1" << true << 210 << 0 << 14;
        QTest::newRow("mouse run continued, two mice on their cables")
            << both + mouseFixture("M2", 1, true) << QStringList{"M1", "M2"} << "R1" << true << 210 << 0 << 17;
    }
    void stepWarnings()
    {
        QFETCH(QString, fixture);
        QFETCH(QStringList, listed);
        QFETCH(QString, selected);
        QFETCH(bool, continued);
        QFETCH(int, deviceCode);
        QFETCH(int, deferred);
        QFETCH(int, text);

        bench(fixture, 0x103, 0x106);
        listDevices(listed, "M1");
        selectDevice(selected.toLatin1().constData(), "M1");
        page->SetVer(5);
        g_updateReceiverClass = 4;
        hidsim::clearCalls();
        if (continued) {
            g_update210Available = 1;
            g_receiverUpdateState = UpdateNothingNew;
            emit PostMsg::instance()->SigContinue(0);
        } else {
            page->on_Receive_clicked();
        }
        QVERIFY(g_dongleCheckTimer->isActive() || g_mouseCheckTimer->isActive());
        runToEnd();

        QCOMPARE(hidsim::countCalls("UsbUpgrade_Start"), 0);
        QCOMPARE(page->deferredWarning(deviceCode), deferred);
        QCOMPARE(page->updateNotice()->isVisible(), continued);
        const QString expected = langText(g_langFormSetting, 0, text);
        if (continued)
            QCOMPARE(page->updateNotice()->findChild<QLabel *>("label")->text(), expected);
        QCOMPARE(g_updateRepairDialog->stateText(), expected);
        QCOMPARE(int(g_upgradeIdle), 1);
        QCOMPARE(int(g_firmwareUpdating), 0);
        page->updateNotice()->hide();
    }

    // An updater that never reports the end: the run ends as failed after
    // the watchdog's time, and only then may the dialog close. The next run
    // leaves the silent updater its image: it may still be reading it.
    void silentUpdaterEndsByWatchdog()
    {
        bench(updateBench(), 0x103, 0x106);
        listDevices({"R1", "M1"}, "M1");
        selectDevice("R1", "M1");
        page->SetVer(0);
        setUpdateWatchdogMs(300);
        // Every step of the updater far in the future.
        hidsim::setTimeScale(10000);
        dialogButton("NewHong_2")->click();
        for (int tick = 0; tick < 4; ++tick)
            page->onDongleCheckTimer();
        QCOMPARE(page->updateStep(), 3);

        QTest::keyClick(g_updateRepairDialog, Qt::Key_Escape);
        QVERIFY(g_updateRepairDialog->isVisible());
        page->onDongleCheckTimer();
        QCOMPARE(page->updateStep(), 3);

        QTRY_VERIFY(updateWatchdogExpired());
        page->onDongleCheckTimer();
        page->onDongleCheckTimer();
        QCoreApplication::processEvents();
        QVERIFY(!g_dongleCheckTimer->isActive() && !g_mouseCheckTimer->isActive());
        QCOMPARE(readUpdateFailInfo(), QString("211,4,33,1"));
        QCOMPARE(g_updateRepairDialog->stateText(), langText(g_langProgress, 0, 2));
        QCOMPARE(int(g_update210Available), 0);
        QCOMPARE(int(g_upgradeIdle), 1);

        const char *silentImage = g_updateRunningImage.constData();
        hidsim::setTimeScale(0);
        hidsim::clearCalls();
        page->on_Receive_clicked();
        for (int tick = 0; tick < 3; ++tick)   // steps 0 to 2: the updater starts
            page->onDongleCheckTimer();
        QTRY_COMPARE(g_receiverUpdateState, int(UpdateFailed));   // refused: the silent one still runs
        page->onDongleCheckTimer();
        page->onDongleCheckTimer();
        QVERIFY(!g_dongleCheckTimer->isActive());
        QCOMPARE(hidsim::countCalls("UsbUpgrade_Start"), 1);
        QVERIFY(g_updateRunningImage.constData() != silentImage);
        const QList<QByteArray> &held = imagesHeldForUpdater();
        QVERIFY(std::any_of(held.begin(), held.end(),
                            [silentImage](const QByteArray &image) { return image.constData() == silentImage; }));
        QTest::keyClick(g_updateRepairDialog, Qt::Key_Escape);
        QTRY_VERIFY(!g_updateRepairDialog->isVisible());
    }
};

QTEST_MAIN(TestUpdateRun)
#include "tst_updaterun.moc"

// Firmware update runs against the simulated receivers and mice, through
// both places a user starts one: the settings page's update button and the
// device list's repair button. Each run goes from the dialog's action button
// to its end on the program's own timers; the table says which devices end
// up flashed, what the dialog says, where the bar stands and what record the
// run leaves, and every run is tried for closing at each moment: nothing
// closes the dialog from the user's confirmation to the run's end view.

#include "deviceenumeration.h"
#include "devicestate.h"
#include "devicewatch.h"
#include "dialogchange.h"
#include "firmwarebench.h"
#include "firmwareimage.h"
#include "formsetting.h"
#include "globals.h"
#include "hidusb_sim.h"
#include "pagerepairdialog.h"
#include "postmsg.h"
#include "registry.h"
#include "settingsbench.h"
#include "testsupport.h"
#include "updatedecision.h"
#include "updatereadback.h"
#include "updateengine.h"
#include "updaterepair.h"
#include "updatetraces.h"
#include "updatewarning.h"
#include "worker.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QMap>
#include <QProgressBar>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <algorithm>
#include <functional>
#include <memory>

namespace {

// A language text named "Page position".
QString textNamed(const QString &name)
{
    const QStringList parts = name.split(' ');
    const int position = parts.value(1).toInt();
    if (parts.first() == "Progress")
        return langText(g_langProgress, 0, position);
    if (parts.first() == "AutoRepair")
        return langText(g_langAutoRepair, 0, position);
    return langText(g_langFormSetting, 0, position);
}

// The devices of the bench whose firmware changed since `before`, by id.
QStringList flashedSince(const QMap<QString, int> &before)
{
    const QMap<QString, int> after = firmwareOnTheBench();
    QStringList changed;
    for (auto it = before.begin(); it != before.end(); ++it) {
        if (after.value(it.key()) != it.value())
            changed << it.key();
    }
    return changed;
}


// A device of a table: "M" a mouse of model 1 on its cable, "Q" one of
// model 2, "R" a 4K receiver of model 1, then "@path", "=version", "#receiver
// id" and, of a receiver, "+version" of the mouse it reaches.
DeviceAllInfo tableDevice(const QString &word)
{
    DeviceAllInfo device;
    const bool receiver = word.startsWith('R');
    device.cid = 33;
    device.mid = word.contains('Q') ? 2 : 1;
    device.isWired = receiver ? 0 : 1;
    device.linkType = receiver ? 1 : 2;
    device.online = 1;
    device.devicePath = word.section('@', 1).section(QRegularExpression("[=#+]"), 0, 0);
    const QString version = word.section('=', 1).section(QRegularExpression("[#+]"), 0, 0);
    if (!version.isEmpty())
        device.usbVersion = firmwareVersionText(version.toUInt(nullptr, 16));
    if (word.contains('#'))
        device.subDevices = {0x3A, 0x51, u8(word.section('#', 1).mid(1).section('+', 0, 0).toInt())};
    if (word.contains('+'))
        device.mouseVersion = firmwareVersionText(word.section('+', 1).toUInt(nullptr, 16));
    return device;
}

// The bus of a table: devices, "?<device>" one that told no ids, "w<n>"
// devices waiting in update mode for any image, "wr<n>" / "wm<n>" for the
// receiver's / the mouse's (-1: not known).
BusView tableBus(const QString &words)
{
    BusView view;
    QMap<QChar, int> waiting;
    for (const QString &word : words.split(' ', Qt::SkipEmptyParts)) {
        if (word.startsWith('w')) {
            const bool kind = word.size() > 1 && word.at(1).isLetter();
            waiting[kind ? word.at(1) : QChar('*')] = word.mid(kind ? 2 : 1).toInt();
        } else if (word.startsWith('?')) {
            view.unanswered << tableDevice(word.mid(1));
        } else {
            view.devices << tableDevice(word);
        }
    }
    view.waitingFor = [waiting](const QByteArray &image) {
        const QChar kind = parseFirmwareHeader(image).deviceCode == kReceiverDeviceCode ? 'r' : 'm';
        return waiting.value(kind, waiting.value('*', 0));
    };
    return view;
}


// A record of a table: "-" none, else "R"/"M" with ":none" (it names no
// device, as earlier versions left it), ":wait" (a device seen waiting),
// ":@path"; "!" after it: a write of it began whose end was not heard.
RecordView tableRecord(const QString &word)
{
    RecordView view;
    view.present = word != "-";
    if (!view.present)
        return view;
    view.device.deviceCode = word.startsWith('R') ? kReceiverDeviceCode : kMouseDeviceCode;
    view.device.receiverClass = word.startsWith('R') ? 4 : 0;
    view.device.cid = 33;
    view.device.mid = 1;
    view.device.fromRecord = true;
    const QString which = word.section(':', 1).remove('!');
    view.identity = which == "none" ? RecordIdentity::None
                    : which == "wait" ? RecordIdentity::Waiting
                                      : RecordIdentity::Path;
    view.device.path = which.startsWith('@') ? which.mid(1) : QString();
    view.writeBegun = word.endsWith('!');
    return view;
}

} // namespace

class TestUpdateRun : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<FirmwareProgramFolder> folder;
    std::unique_ptr<FormSetting> page;

    UpDateRepair *dialog() { return g_updateRepairDialog; }
    QLabel *label(const char *name) { return page->findChild<QLabel *>(name); }
    QToolButton *dialogButton(const char *name) { return dialog()->findChild<QToolButton *>(name); }
    QProgressBar *progressBar() { return dialog()->findChild<QProgressBar *>("progressBar_2"); }

    // Every way a user closes the dialog: Escape, the close button, the
    // window's close. True when it closed.
    bool tryToClose()
    {
        QTest::keyClick(dialog(), Qt::Key_Escape);
        dialogButton("CloseButton")->click();
        dialog()->close();
        return !dialog()->isVisible();
    }

    // Images "code:mid:version:model", separated by blanks, in name order;
    // a fifth field makes an image that is not whole (brokenFirmwareImageBytes).
    void addImages(const QString &images)
    {
        int n = 0;
        for (const QString &image : images.split(' ', Qt::SkipEmptyParts)) {
            const QStringList f = image.split(':');
            const int code = f.at(0).toInt(), mid = f.at(1).toInt();
            const quint32 version = quint32(f.at(2).toUInt(nullptr, 16));
            const QByteArray model = f.value(3).toLatin1();
            folder->addImage(QString("image%1.bin").arg(n++),
                             f.size() > 4 ? brokenFirmwareImageBytes(code, mid, version, model, f.at(4))
                                          : firmwareImageBytes(code, mid, version, model));
        }
    }

    bool runOver() const
    {
        return !UpdateEngine::instance()->runInProgress() && !g_dongleCheckTimer->isActive()
               && !g_mouseCheckTimer->isActive() && g_upgradeIdle == 1;
    }

    // The check timers' ticks, one after the other, until no run is armed.
    void runToEnd()
    {
        for (int tick = 0; tick < 40; ++tick) {
            QVERIFY(hidsim::waitIdle());
            QCoreApplication::processEvents();
            if (g_dongleCheckTimer->isActive())
                page->onDongleCheckTimer();
            else if (g_mouseCheckTimer->isActive())
                page->onMouseCheckTimer();
            else
                return;
        }
        QFAIL("the run never ended");
    }

    // Both images newer, and either R1 with M1 on its cable for the settings
    // page, or R1 waiting in update mode after a failed update beside M2 on
    // its cable for the device list's repair.
    bool startScene(bool settings)
    {
        if (!startSettingsBench(*folder, settings ? updateBench() : receiverWaitingBesideM2Bench(), 0x103, 0x106))
            return false;
        setUpdateFailRecord(settings ? "" : "211,4,33,1");
        return true;
    }

    // The user opens the dialog: the settings page's update button, or the
    // device list's repair button.
    void openDialog(const QString &entry, const QStringList &listed, const QString &selected)
    {
        if (entry == "settings") {
            listDevices(listed, "M1");
            selectDevice(selected.toLatin1().constData(), "M1");
            // The version report: the page learns what is new, and may offer
            // it at once; then the update button.
            page->SetVer(0);
            page->findChild<QToolButton *>("Receive_2")->click();
        } else {
            g_devicePageActive = 0;
            g_foundDevices.clear();
            for (const QString &id : listed)
                g_foundDevices.append(listedDevice(id.toLatin1().constData()));
            // As the device list's repair button does.
            dialog()->resetView();
            dialog()->setModal(true);
            emit PostMsg::instance()->SigRepairCheckUpdate();
            dialog()->show();
        }
    }

private slots:
    void initTestCase() { startFirmwareTests(); }

    void init()
    {
        resetFirmwareBench();
        removeUpdateFailInfo();
        for (const char *mid : {"1", "2"})
            RegistryKey(updateTraceKeyPath()).remove(mouseVersionValueName("33", mid));
        QDir().mkpath(userDataDir() + "/Exception");
        QFile::remove(updateLogPath());
        g_wirelessPids = QStringList{"F511"};
        g_wireless2Pids = QStringList{"F512"};
        g_wireless4Pids = QStringList{"F514"};
        g_wireless8Pids = QStringList{"F518"};
        folder.reset(new FirmwareProgramFolder);
        page.reset(new FormSetting);
        page->buildUpdateDialogs();
        page->show();
        // The program's own timers, only quicker than a second.
        g_dongleCheckTimer->setInterval(5);
        g_mouseCheckTimer->setInterval(5);
        g_devicePageActive = 1;
    }

    void cleanup()
    {
        qunsetenv("QUZ_UPDATE_WATCHDOG_MS");
        page.reset();
        folder.reset();
        g_deviceList.clear();
        g_foundDevices.clear();
        hidsim::setTimeScale(0);
        hidsim::waitIdle();
        QCoreApplication::processEvents();
    }

    void runs_data()
    {
        QTest::addColumn<QString>("entry");        // "settings": the update button; "repair": the device list
        QTest::addColumn<QString>("fixture");
        QTest::addColumn<QStringList>("listed");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QString>("record");
        QTest::addColumn<QString>("images");       // code:mid:version:model ...
        QTest::addColumn<QString>("change");       // "", "fail [<device>] <percent>", "slow <device> <ms>", "keep <images>", "cable out", "silent", "drop images", "no log folder"
        QTest::addColumn<bool>("offered");         // the dialog offers the run
        QTest::addColumn<QString>("flashed");      // the bench's devices that took an image ("R1" or "R1=0x103")
        QTest::addColumn<QString>("text");         // what the dialog says at the end
        QTest::addColumn<int>("bar");
        QTest::addColumn<QString>("recordAfter");

        const QString both = updateBench();
        const QStringList pair{"R1", "M1"};
        const QString images = "211:1:0x103:QZR-4K 210:1:0x106:QZM-Q1";
        const QString receiverOnly = "211:1:0x103:QZR-4K";
        const QString mouseOnly = "210:1:0x106:QZM-Q1";

        // From the settings page: receiver R1 with M1, which is on its cable too.
        QTest::newRow("settings: the receiver, then the mouse")
            << "settings" << both << pair << "R1" << "" << images << "" << true << "M1 R1" << "Progress 1" << 100 << "";
        // The receiver restarts slowly: the run waits for it to answer.
        QTest::newRow("settings: the receiver slow to come back")
            << "settings" << both << pair << "R1" << "" << images << "slow R1 1500" << true << "M1 R1" << "Progress 1"
            << 100 << "";
        // The offered mouse's image leaves "bin" before the confirmation: it
        // is not written with the image once offered.
        QTest::newRow("settings: the mouse's image gone before the confirmation")
            << "settings" << both << pair << "R1" << "" << images << "keep " + receiverOnly << true << "R1"
            << "AutoRepair 17" << 50 << "";
        QTest::newRow("settings: only the receiver new")
            << "settings" << both << pair << "R1" << "" << "211:1:0x103:QZR-4K 210:1:0x105:QZM-Q1" << "" << true << "R1"
            << "Progress 1" << 100 << "";
        QTest::newRow("settings: the receiver on its image's version, the mouse new")
            << "settings" << both << pair << "R1" << "" << "211:1:0x102:QZR-4K 210:1:0x106:QZM-Q1" << "" << true << "M1"
            << "Progress 1" << 100 << "";
        QTest::newRow("settings: both on their images' versions")
            << "settings" << both << pair << "R1" << "" << "211:1:0x102:QZR-4K 210:1:0x105:QZM-Q1" << "" << false << ""
            << "FormSetting 18" << 0 << "";
        QTest::newRow("settings: the receiver fails at 40 %, the mouse waits")
            << "settings" << both << pair << "R1" << "" << images << "fail 40" << true << "" << "Progress 3" << 17
            << "211,4,33,1";
        QTest::newRow("settings: the mouse fails at 60 %")
            << "settings" << both << pair << "R1" << "" << "211:1:0x102:QZR-4K 210:1:0x106:QZM-Q1" << "fail 60" << true
            << "" << "Progress 4" << 55 << "210,4,33,1";
        // The mouse on its cable is the mouse whatever its place in the list.
        QTest::newRow("settings: the mouse on its cable selected, listed after the receiver")
            << "settings" << both << pair << "M1" << "" << images << "" << true << "M1 R1" << "Progress 1" << 100 << "";
        // The receiver is flashed but the mouse's step cannot run: the update
        // did not complete, and the view names the mouse.
        QTest::newRow("settings: the mouse's cable pulled between the steps")
            << "settings" << both << pair << "R1" << "" << images << "cable out" << true << "R1" << "Progress 12" << 50 << "";
        QTest::newRow("settings: the updater falls silent")
            << "settings" << both << pair << "R1" << "" << images << "silent" << true << "" << "Progress 13" << 0
            << "211,4,33,1";
        // A receiver waiting in update mode is recorded and offered its
        // repair; beside a listed receiver of its class the image would fit
        // both, and nothing starts.
        QTest::newRow("settings: another receiver waits in update mode")
            << "settings" << both + bootFixture("B3", 211, 1, "QZR-4K", "") << pair << "R1" << "" << images << "" << false
            << "" << "FormSetting 17" << 0 << "211,4,33,1";
        // A mouse image goes to the mouse on its cable, never to the one that
        // answers through the receiver.
        QTest::newRow("settings: a mouse on its cable beside a receiver with its own mouse")
            << "settings" << receiverFixture("R1", 4, 1, "M1") + mouseFixture("M1", 1, false) + mouseFixture("M2", 1, true)
            << QStringList{"M2", "R1"} << "M2" << "" << images << "" << true << "M2 R1" << "Progress 1" << 100 << "";
        QTest::newRow("settings: the receiver repaired from the mouse's cable, then the mouse")
            << "settings" << receiverWaitingBench() << QStringList{"M1"} << "M1" << "211,4,33,1" << images << "" << true
            << "M1 R1" << "Progress 1" << 100 << "";
        QTest::newRow("settings: the mouse repaired behind an updated receiver")
            << "settings" << mouseWaitingBench() << QStringList{"R1"} << "R1" << "210,4,33,1" << images << "" << true
            << "M1 R1" << "Progress 1" << 100 << "";
        QTest::newRow("settings: the mouse repaired, the receiver current")
            << "settings" << mouseWaitingBench() << QStringList{"R1"} << "R1" << "210,4,33,1"
            << "211:1:0x102:QZR-4K 210:1:0x106:QZM-Q1" << "" << true << "M1" << "Progress 1" << 100 << "";
        // Only a whole image is offered: a file whose header declares no body,
        // or more than the file holds, is passed over for the one beside it;
        // alone, it cannot be used, and the dialog says so.
        for (const char *broken : {"empty", "short", "header"}) {
            QTest::addRow("settings: a receiver image (%s) beside the stock one", broken)
                << "settings" << both << pair << "R1" << ""
                << "211:1:0x103:QZR-4K 211:1:0x109:QZR-4K:" + QString(broken) + " 210:1:0x105:QZM-Q1" << "" << true << "R1=0x103"
                << "Progress 1" << 100 << "";
        }
        QTest::newRow("settings: only a truncated receiver image")
            << "settings" << both << pair << "R1" << "" << "211:1:0x109:QZR-4K:short 210:1:0x105:QZM-Q1" << "" << false
            << "" << "AutoRepair 8" << 0 << "";
        // The mouse that waits in update mode is repaired first; the receiver
        // failing after it is recorded, and the mouse's repair is not lost.
        QTest::newRow("settings: the mouse waits, then the receiver's write fails")
            << "settings" << mouseWaitingBench() << QStringList{"R1"} << "R1" << "210,4,33,1"
            << "211:1:0x105:QZR-4K 210:1:0x107:QZM-Q1" << "fail R1 40" << true << "M1=0x107" << "Progress 3" << 67
            << "211,4,33,1";
        // An 8 kHz receiver waiting in update mode is repaired from its
        // mouse's cable like any other class.
        QTest::newRow("settings: an 8 kHz receiver repaired from the mouse's cable")
            << "settings"
            << bootFixture("B1", 211, 2, "QZR-8K", "R8") + receiverFixture("R8", 8, 2) + mouseFixture("M3", 2, true)
            << QStringList{"M3"} << "M3" << "211,8,33,2" << "211:2:0x103:QZR-8K 210:2:0x106:QZM-Q2" << "" << true
            << "M3 R8" << "Progress 1" << 100 << "";
        // A waiting mouse of the first model keeps its record when the
        // update of the other model fails beside it: a second failure never
        // hides the first.
        QTest::newRow("settings: the other model's receiver fails while a mouse waits")
            << "settings" << mouseWaitingBench() + receiverFixture("R8", 8, 2, "M3") + mouseFixture("M3", 2, true)
            << QStringList{"R8", "M3"} << "R8" << "210,4,33,1" << "211:2:0x103:QZR-8K 210:2:0x106:QZM-Q2"
            << "fail R8 40" << true << "" << "Progress 3" << 17 << "210,4,33,1";
        // A receiver class whose model the configuration leaves empty has no
        // image, not even one with an empty model name: neither the check
        // nor the run flashes it.
        for (const auto &row : {std::make_pair(1, 1), std::make_pair(2, 1), std::make_pair(8, 1), std::make_pair(4, 2)}) {
            const int cls = row.first, mid = row.second;
            const QString bench = receiverFixture("R1", cls, mid, "M1") + mouseFixture("M1", mid, true);
            const QString blank = QString("211:%1:0x103:").arg(mid);
            QTest::addRow("settings: class %d with an empty receiver model, the mouse new", cls)
                << "settings" << bench << QStringList{"M1", "R1"} << "R1" << ""
                << blank + QString(" 210:%1:0x106:QZM-Q%1").arg(mid) << "" << true << "M1" << "Progress 1" << 100 << "";
            QTest::addRow("settings: class %d with an empty receiver model alone", cls)
                << "settings" << bench << QStringList{"M1", "R1"} << "R1" << "" << blank << "" << false << ""
                << "FormSetting 18" << 0 << "";
        }

        // From the device list's repair button, the failed device waiting in
        // update mode.
        const QString boot = receiverWaitingBesideM2Bench();
        const QStringList m2{"M2"};
        QTest::newRow("repair: the receiver, then the mouse")
            << "repair" << boot << m2 << "" << "211,4,33,1" << images << "" << true << "M2 R1" << "Progress 1" << 100 << "";
        // The receiver waits in update mode: it is repaired whatever version
        // the mouse listed beside it runs.
        QTest::newRow("repair: the receiver waits, its image of the mouse's version")
            << "repair" << boot << m2 << "" << "211,4,33,1" << "211:1:0x105:QZR-4K 210:1:0x107:QZM-Q1" << "" << true
            << "M2=0x107 R1=0x105" << "Progress 1" << 100 << "";
        QTest::newRow("repair: the receiver fails at 40 %")
            << "repair" << boot << m2 << "" << "211,4,33,1" << images << "fail 40" << true << "" << "Progress 3" << 17
            << "211,4,33,1";
        QTest::newRow("repair: the receiver fails, the log cannot be written")
            << "repair" << boot << m2 << "" << "211,4,33,1" << images << "no log folder" << true << "" << "Progress 3"
            << 17 << "211,4,33,1";
        QTest::newRow("repair: the mouse alone")
            << "repair" << mouseWaitingBench() << QStringList{"R1"} << "" << "210,4,33,1" << mouseOnly << "" << true
            << "M1" << "Progress 1" << 100 << "";
        QTest::newRow("repair: the mouse alone fails at 60 %")
            << "repair" << mouseWaitingBench() << QStringList{"R1"} << "" << "210,4,33,1" << mouseOnly << "fail 60" << true
            << "" << "Progress 4" << 55 << "210,4,33,1";
        // Every device the repair had an image for is right: it is complete.
        QTest::newRow("repair: the receiver repaired, no mouse image")
            << "repair" << boot << m2 << "" << "211,4,33,1" << receiverOnly << "" << true << "R1" << "Progress 1" << 100
            << "";
        QTest::newRow("repair: the images gone before the run")
            << "repair" << boot << m2 << "" << "211,4,33,1" << images << "drop images" << true << "" << "AutoRepair 16" << 0
            << "211,4,33,1";
        QTest::newRow("repair: the updater falls silent")
            << "repair" << boot << m2 << "" << "211,4,33,1" << images << "silent" << true << "" << "Progress 13" << 0
            << "211,4,33,1";
    }
    void runs()
    {
        QFETCH(QString, entry);
        QFETCH(QString, fixture);
        QFETCH(QStringList, listed);
        QFETCH(QString, selected);
        QFETCH(QString, record);
        QFETCH(QString, images);
        QFETCH(QString, change);
        QFETCH(bool, offered);
        QFETCH(QString, flashed);
        QFETCH(QString, text);
        QFETCH(int, bar);
        QFETCH(QString, recordAfter);

        QVERIFY(hidsim::reset(folder->fixture("bench", fixture).toUtf8().constData()));
        hidsim::setTimeScale(0.02);
        addImages(images);
        setUpdateFailRecord(record);
        const QMap<QString, int> before = firmwareOnTheBench();
        const bool settings = entry == "settings";
        UpdateEngine *engine = UpdateEngine::instance();

        openDialog(entry, listed, selected);
        if (!offered) {
            // Up to date on the button, or why not in the dialog.
            QCOMPARE(dialog()->isVisible() ? dialog()->stateText()
                                           : page->findChild<QToolButton *>("Receive_2")->text(),
                     textNamed(text));
            QCOMPARE(hidsim::countCalls("UsbUpgrade_Start"), 0);
            QCOMPARE(firmwareOnTheBench(), before);
            QCOMPARE(readUpdateFailInfo(), recordAfter);
            return;
        }
        QVERIFY(dialog()->isVisible());
        QCOMPARE(dialog()->stateText(), langText(g_langAutoRepair, 0, 12));

        const QStringList changes = change.split(' ');
        // A log folder that is missing matters where a step fails.
        const int failAt = changes.first() == "fail" ? changes.last().toInt() : change == "no log folder" ? 40 : -1;
        // "fail <device> <percent>": that device's write; else the next one.
        if (changes.first() == "fail" && changes.size() == 3)
            QVERIFY(hidsim::failUpdate(changes.at(1).toLatin1().constData(), failAt));
        else
            hidsim::failUpdateAt(failAt);
        if (change == "silent") {
            engine->setWatchdogMs(300);
            hidsim::setTimeScale(10000);   // every step of the updater far away
        }
        if (changes.first() == "slow")
            QVERIFY(hidsim::slowComeback(changes.at(1).toLatin1().constData(), changes.last().toInt()));
        if (change == "drop images" || changes.first() == "keep")
            folder->removeImages();
        if (changes.first() == "keep")
            addImages(changes.mid(1).join(' '));
        if (change == "no log folder")
            QDir(userDataDir() + "/Exception").removeRecursively();

        // At every moment of the run, nothing closes the dialog: between the
        // steps, and while the updater reports.
        QStringList closedAt;
        bool progressSeen = false;
        const auto duringRun = [&](const QString &moment) {
            if (tryToClose())
                closedAt << moment;
        };
        const auto onProgress = [&]() {
            if (!progressSeen) {
                progressSeen = true;
                duringRun("during progress");
            }
        };
        QSignalSpy progress(PostMsg::instance(), &PostMsg::SigProgress);
        QSignalSpy repairProgress(PostMsg::instance(), &PostMsg::SigAutoRepairProgress);
        QSignalSpy endedWithout(engine, &UpdateEngine::runEndedWithout);
        QMetaObject::Connection c1 = connect(PostMsg::instance(), &PostMsg::SigProgress, this, [&](int, int kind) {
            if (kind == 0)
                onProgress();
        });
        QMetaObject::Connection c2 = connect(PostMsg::instance(), &PostMsg::SigAutoRepairProgress, this, onProgress);
        QMetaObject::Connection c3 = connect(engine, &UpdateEngine::stepShown, this, [&](int code, int state) {
            if (code != kReceiverDeviceCode || state != UpdateSucceeded)
                return;
            if (change == "cable out") {
                QVERIFY(hidsim::plug("M1", false));
                listDevices({"R1"}, "M1");
            }
            // The receiver's step has ended; unless that was the run's end
            // view, the mouse's step follows.
            if (engine->runInProgress())
                duringRun("between the steps");
        });
        hidsim::clearCalls();

        // The user confirms.
        dialogButton("NewHong_2")->click();
        // Only a run that found nothing to flash has ended already.
        if (!text.startsWith("AutoRepair"))
            duringRun("before the first tick");
        QTRY_VERIFY_WITH_TIMEOUT(runOver(), 15000);
        if (change != "silent")
            QVERIFY(hidsim::waitIdle());
        QCoreApplication::processEvents();
        disconnect(c1);
        disconnect(c2);
        disconnect(c3);
        QCOMPARE(closedAt, QStringList());
        QVERIFY(dialog()->isVisible());

        // Which devices took an image, and which version where the row says.
        const QStringList changed = flashedSince(before);
        QCOMPARE(changed.join(' '), QString(flashed).remove(QRegularExpression("=\\S+")));
        for (const QString &device : flashed.split(' ', Qt::SkipEmptyParts)) {
            const QStringList f = device.split('=');
            if (f.size() == 2)
                QCOMPARE(hidsim::firmwareVersion(f.at(0).toLatin1()), int(f.at(1).toUInt(nullptr, 16)));
        }
        const bool failedByUpdater = failAt >= 0 || change == "silent";
        QCOMPARE(hidsim::countCalls("UsbUpgrade_Start"), changed.size() + (failedByUpdater ? 1 : 0));

        // What the dialog shows, once.
        QCOMPARE(dialog()->stateText(), textNamed(text));
        QCOMPARE(progressBar()->value(), bar);
        int ends = endedWithout.count();
        for (const QList<QVariant> &args : qAsConst(progress))
            ends += args.at(1).toInt() != 0 ? 1 : 0;
        // A run refused before any write ends in the dialog's own text.
        QCOMPARE(ends, text.startsWith("AutoRepair") && flashed.isEmpty() ? 0 : 1);

        // The traces the run leaves.
        QCOMPARE(readUpdateFailInfo(), recordAfter);
        const bool log = failedByUpdater && change != "no log folder";
        QCOMPARE(QFile::exists(updateLogPath()), log);
        if (log) {
            QFile file(updateLogPath());
            QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
            QCOMPARE(file.readAll().split('\n').size(), 9);   // eight lines, each ended
        }
        if (failedByUpdater) {
            QCOMPARE(int(g_update210Available), 0);
            QCOMPARE(int(g_update211Available), 0);
        }
        const auto version = [](const QString &id) { return firmwareVersionText(quint32(hidsim::firmwareVersion(id.toLatin1()))); };
        const QStringList mice = changed.filter(QRegularExpression("^M"));
        if (settings) {
            // The settings page's run records the version of a mouse it flashed.
            QCOMPARE(readMouseVersion("33", QString::number(g_selectedDevice.mid)),
                     mice.isEmpty() ? QString() : version(mice.first()));
            // The chosen device and the labels tell what the devices now run.
            for (const QString &id : changed) {
                const bool receiver = id.startsWith('R');
                QCOMPARE(receiver ? g_selectedDevice.usbVersion : g_selectedDevice.mouseVersion, version(id));
                QCOMPARE(label(receiver ? "label_5" : "label_7")->text(), version(id));
            }
        }
        QCOMPARE(int(g_firmwareUpdating), 0);
        QCOMPARE(int(g_repairUpdating), 0);
        QCOMPARE(int(g_repairUpgradeStarted), 0);

        // The bar only grows; with two images the receiver fills its lower
        // half and the mouse the upper.
        QList<int> values;
        for (const QList<QVariant> &args : qAsConst(progress)) {
            if (args.at(1).toInt() == 0)
                values << args.at(0).toInt();
        }
        for (const QList<QVariant> &args : qAsConst(repairProgress))
            values << args.at(0).toInt();
        QVERIFY(std::is_sorted(values.begin(), values.end()));
        if (changed.size() == 2)
            QVERIFY(values.contains(50) && values.contains(100));

        // Once the run has ended the action button closes the dialog. The
        // device page, where it stays, gets its device server back; after
        // anything but a full update the window goes back to the device
        // list (as the main window does on that signal), which runs none.
        page->updateNotice()->hide();
        QApplication::setActiveWindow(dialog());
        QSignalSpy newVersion(PostMsg::instance(), &PostMsg::SigSetNewVer);
        const QMetaObject::Connection toList = connect(PostMsg::instance(), &PostMsg::SigChangeMainDialog, this,
                                                       [](int index) { g_devicePageActive = index; });
        hidsim::clearCalls();
        QTest::keyClick(dialog(), Qt::Key_Return);
        QTRY_VERIFY(!dialog()->isVisible());
        disconnect(toList);
        QCOMPARE(newVersion.count(), bar == 100 ? 1 : 0);
        // A run that ended with its bar short of 100 % takes the window back
        // to the list.
        const bool backToList = (text.startsWith("Progress") || !flashed.isEmpty()) && bar != 100;
        QCOMPARE(hidsim::countCalls("UsbServerC_Start"), settings && !backToList ? 1 : 0);
        if (settings)
            QCOMPARE(page->findChild<QToolButton *>("Receive_2")->text(), textNamed(bar == 100 ? "FormSetting 18" : "FormSetting 7"));
    }

    // Whether the recorded device is known right, from the record and the
    // bus alone (the images 0x0103 and 0x0106); a record that stays asks
    // for a repair for ever.
    void recordedDevicesRight_data()
    {
        QTest::addColumn<QString>("record");
        QTest::addColumn<QString>("bus");
        QTest::addColumn<bool>("right");
        QTest::newRow("at its path, on its image") << "M:@b" << "M@b=0106 M@a=0105" << true;
        QTest::newRow("at its path, older") << "M:@b" << "M@b=0105 M@a=0106" << false;
        QTest::newRow("away, another of its kind on the image") << "M:@b" << "M@a=0106" << false;
        QTest::newRow("seen waiting, nothing waits now") << "M:wait" << "M@a=0106" << false;
        QTest::newRow("seen waiting, written unheard, on its image") << "M:wait!" << "M@a=0106" << true;
        QTest::newRow("seen waiting, written unheard, still waiting") << "M:wait!" << "M@a=0106 wm1" << false;
        QTest::newRow("an older record, every one of its kind on the image") << "R:none" << "R@r=0103 M@b=0105" << true;
        QTest::newRow("an older record, one of its kind older") << "M:none" << "M@a=0106 M@b=0105" << false;
        QTest::newRow("an older record, one waiting") << "M:none" << "M@a=0106 wm1" << false;
        QTest::newRow("an older record, none of its kind listed") << "M:none" << "R@r=0103" << false;
    }

    void recordedDevicesRight()
    {
        QFETCH(QString, record);
        QFETCH(QString, bus);
        QFETCH(bool, right);
        const RecordView view = tableRecord(record);
        UpdateTarget recorded = view.device;
        recorded.image = view.device.isReceiver() ? firmwareImageBytes(kReceiverDeviceCode, 1, 0x0103, "QZR-4K")
                                                  : firmwareImageBytes(kMouseDeviceCode, 1, 0x0106, "QZM-Q1");
        QCOMPARE(recordedDeviceRight(recorded, view, tableBus(bus)), right);
    }

    // What a run knows of its target over the reads of the bus it makes,
    // and what the updater would take and the target reports. The moments:
    // "c" the confirmation, "o" a read before the step, "s" the step (the
    // updater's choice; the write begins), "d" a read during the write,
    // "a" a read after its end (the last one is judged). A device: "M" a
    // mouse of model 1 on its cable, "Q" one of model 2, "R" a 4K receiver
    // of model 1, then "@path", "=version" and "#receiver id"; "?M" a mouse
    // that told no ids; "w<n>" devices waiting for the image (-1: not
    // known). The target is a mouse or a receiver of model 1 at a path, or
    // waiting ("M@"); its image is 0x0107.
    void readBackChoices_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("moments");
        QTest::addColumn<QString>("expected");   // choice, report, the path it is known at
        QTest::newRow("the target alone on its cable")
            << "M@b" << "c M@b=0105; s M@b=0105; a M@b=0107" << "Target Right b";
        QTest::newRow("two mice on their cables") << "M@b" << "c M@a=0105 M@b=0105; s M@a=0105 M@b=0105" << "Several OtherVersion b";
        QTest::newRow("another model's mouse beside it")
            << "M@b" << "c M@b=0105 Q@q=0105; s M@b=0105 Q@q=0105" << "Target OtherVersion b";
        QTest::newRow("a mouse that told no ids beside it") << "M@b" << "c M@b=0105; s M@b=0105 ?M@x" << "Several OtherVersion b";
        QTest::newRow("a receiver by its path") << "R@r" << "c R@r=0104 M@b=0105; s R@r=0104 M@b=0105" << "Target OtherVersion r";
        QTest::newRow("a count not known") << "M@b" << "c M@b=0105; s M@b=0105 w-1" << "NoAnswer OtherVersion b";
        QTest::newRow("nothing listed") << "M@b" << "c M@b=0105; s " << "Absent Missing b";
        QTest::newRow("the target waits after its write")
            << "M@b" << "c M@b=0105; s M@b=0105; a w1" << "Target InUpdateMode b";
        // A receiver id names a pairing: another mouse carrying it, on the
        // cable the target left, is another mouse.
        QTest::newRow("the cable moved to a mouse carrying the same receiver id")
            << "M@b" << "c M@b=0105#r1; o M@a=0107#r1; s M@a=0107#r1" << "Another Missing b";
        QTest::newRow("written, pulled, another mouse carrying its receiver id on a cable")
            << "M@b" << "c M@b=0105#r1; s M@b=0105#r1; d M@a=0107#r1 w1; a M@a=0107#r1 w1"
            << "Target InUpdateMode b";
        // Gone from the bus and back at its path: what is there may be
        // another device.
        QTest::newRow("the target left and came back before its step")
            << "M@b" << "c M@b=0105; o ; s M@b=0105; a M@b=0107" << "Absent Missing b";
        QTest::newRow("the target on its image after a slow restart")
            << "M@b" << "c M@b=0105; s M@b=0105; a ; a M@b=0107" << "Target Right b";
        QTest::newRow("a waiting target, one device came after its write")
            << "M@" << "c M@a=0105 w1; s M@a=0105 w1; d M@a=0105 w1; a M@a=0105 M@c=0107" << "Target Right c";
        QTest::newRow("a waiting target, two came after its write")
            << "M@" << "c w1; s w1; a M@c=0107 M@d=0105" << "Target Missing -";
        // One that came while the target was written cannot be told from
        // the target coming back.
        QTest::newRow("a waiting target, a mouse came during its write")
            << "M@" << "c w1; s w1; d M@c=0107 w1; a M@c=0107" << "Target Missing -";
        QTest::newRow("a waiting target, a mouse came during its write, then it came back")
            << "M@" << "c w1; s w1; d M@c=0107 w1; a M@c=0107 M@d=0107" << "Target Missing -";
        QTest::newRow("a waiting target, a mouse that told no ids came during its write")
            << "M@" << "c w1; s w1; d ?M@c w1; a M@c=0107" << "Target Missing -";
        QTest::newRow("a waiting target, another model's mouse came during its write")
            << "M@" << "c w1; s w1; d Q@q=0105 w1; a Q@q=0105 M@c=0107" << "Target Right c";
        QTest::newRow("two waiting") << "M@" << "c w2; s w2" << "Several InUpdateMode -";
    }

    void readBackChoices()
    {
        QFETCH(QString, target);
        QFETCH(QString, moments);
        QFETCH(QString, expected);
        UpdateTarget wanted;
        wanted.deviceCode = target.startsWith('R') ? kReceiverDeviceCode : kMouseDeviceCode;
        wanted.receiverClass = target.startsWith('R') ? 4 : 0;
        wanted.cid = 33;
        wanted.mid = 1;
        wanted.path = target.section('@', 1);
        wanted.waiting = wanted.path.isEmpty();
        wanted.image = firmwareImageBytes(wanted.deviceCode, 1, 0x0107, wanted.isReceiver() ? "QZR-4K" : "QZM-Q1");
        static const QStringList choices{"Target", "Absent", "Several", "Another", "NoAnswer"};
        BusWatch watch;
        BusView last = tableBus(QString());
        QString choice;
        bool ended = false;
        for (const QString &moment : moments.split(';')) {
            const QString kind = moment.trimmed().left(1);
            last = tableBus(moment.trimmed().mid(1));
            if (kind == "c") {
                watch.start(last);
            } else if (kind == "s") {
                watch.observe(last);
                choice = choices.value(int(updaterChoice(wanted, last, watch.known(wanted, last))));
                watch.writeBegins();
            } else if (kind == "a") {
                if (!std::exchange(ended, true))
                    watch.writeEnded();
                watch.observe(last);
                if (!watch.known(wanted, last))
                    watch.adoptComeBack(wanted, last);
            } else {
                watch.observe(last);
            }
        }
        static const QStringList reports{"Right", "InUpdateMode", "OtherVersion", "Missing"};
        const QString report = reports.value(int(readBackTarget(wanted, last, watch.known(wanted, last))));
        QCOMPARE(QStringList({choice, report, wanted.path.isEmpty() ? QString("-") : wanted.path}).join(' '), expected);
    }

    // The plans, from the devices listed, the record and the images alone.
    // The place: "settings <path of the card's device>", "repair" or "auto
    // <the mouse's kept version>"; the bus as readBackChoices' moments; the
    // record "-" (none) or "R"/"M" with ":none" (it names no device, as
    // earlier versions left it), ":wait" (a device seen waiting) or ":@path";
    // the images "r<version>" / "m<version>". Expected: the reason, then the
    // targets in order ("M@" one without a path), then "!R"/"!M" for a part
    // whose image is missing.
    void plans_data()
    {
        QTest::addColumn<QString>("place");
        QTest::addColumn<QString>("bus");
        QTest::addColumn<QString>("record");
        QTest::addColumn<QString>("images");
        QTest::addColumn<QString>("expected");
        const QString both = "r0103 m0106";
        QTest::newRow("the receiver and the mouse on its cable")
            << "settings r" << "R@r=0102#r1 M@b=0105#r1" << "-" << both << "None R@r M@b";
        QTest::newRow("two mice carrying the receiver's id on their cables")
            << "settings b" << "R@r=0102#r1 M@b=0105#r1 M@a=0106#r1" << "-" << both << "MultiMouse";
        QTest::newRow("a mouse the receiver reaches, off its cable")
            << "settings r" << "R@r=0102#r1+0105" << "-" << both << "MouseOffCable";
        QTest::newRow("a mouse that tells no version") << "settings r" << "R@r=0102#r1 M@b#r1" << "-" << both << "Error";
        QTest::newRow("an older mouse record, nothing waiting")
            << "settings b" << "R@r=0103#r1 M@b=0105#r1" << "M:none" << both << "None M@b";
        QTest::newRow("an older receiver record, nothing waiting")
            << "settings r" << "R@r=0102#r1 M@b=0106#r1" << "R:none" << both << "None R@r";
        QTest::newRow("an older record, a mouse waiting")
            << "settings r" << "R@r=0103#r1 wm1" << "M:none" << both << "None M@";
        QTest::newRow("the list's repair of an older record")
            << "repair" << "R@r=0103#r1 M@b=0105#r1" << "M:none" << both << "None M@b";
        QTest::newRow("an older record, a mouse waiting, no mouse image")
            << "repair" << "R@r=0103#r1 wm1" << "M:none" << "r0103" << "NoMouseImage";
        QTest::newRow("both waiting, no receiver image") << "repair" << "wm1" << "R:wait" << "m0106" << "None M@ !R";
        QTest::newRow("a waiting mouse beside another on its image")
            << "repair" << "R@r=0103#r1 M@a=0106#r1 wm1" << "M:wait" << both << "None M@";
        QTest::newRow("a recorded mouse away") << "repair" << "R@r=0103#r1" << "M:@b" << both << "NoCable";
        QTest::newRow("a recorded mouse at its path, the receiver older")
            << "repair" << "R@r=0102#r1 M@b=0105#r1" << "M:@b" << both << "None M@b R@r";
        QTest::newRow("two mice waiting") << "repair" << "R@r=0103#r1 wm2" << "M:wait" << both << "SameDevice";
        QTest::newRow("no count of waiting devices") << "repair" << "R@r=0103#r1 wm-1" << "M:wait" << both << "NoAnswer";
        QTest::newRow("the automatic update: the mouse by no path")
            << "auto 0105" << "R@r=0102#r1" << "-" << both << "None R@r M@";
    }

    void plans()
    {
        QFETCH(QString, place);
        QFETCH(QString, bus);
        QFETCH(QString, record);
        QFETCH(QString, images);
        QFETCH(QString, expected);
        QString shelf;
        for (const QString &image : images.split(' '))
            shelf += QString("%1:1:%2:%3 ").arg(image.startsWith('r') ? "211" : "210", image.mid(1),
                                                image.startsWith('r') ? "QZR-4K" : "QZM-Q1");
        addImages(shelf);
        const RecordView view = tableRecord(record);
        const BusView devices = tableBus(bus);
        const PlanSources sources = readPlanSources();
        const QString where = place.section(' ', 1);
        UpdatePlan plan;
        if (place.startsWith("settings"))
            plan = planSettingsUpdate(devices, *std::find_if(devices.devices.begin(), devices.devices.end(),
                                                             [&](const DeviceAllInfo &d) { return d.devicePath == where; }),
                                      view, sources);
        else if (place == "repair")
            plan = planRepair(devices, view, sources);
        else
            plan = planAutomaticUpdate(devices, view, firmwareVersionText(where.toUInt(nullptr, 16)), sources);
        static const QStringList reasons{"None", "Error", "NoReceiver", "NoCable", "MouseOffCable", "ForeignMouse",
                                         "MultiMouse", "MultiDongle", "NoDevice", "SameDevice", "OtherDevice",
                                         "WiredMode", "VersionNew", "FileError", "NoReceiverImage", "NoMouseImage",
                                         "NoAnswer", "StillWriting"};
        QStringList got{reasons.value(int(plan.reason))};
        for (const UpdateTarget &target : qAsConst(plan.targets))
            got << QString(target.isReceiver() ? "R@" : "M@") + target.path;
        if (plan.missingImage)
            got << (plan.missingImage == kReceiverDeviceCode ? "!R" : "!M");
        QCOMPARE(got.join(' '), expected);
    }

    // Each entry's whole run with no page and no dialog: the engine ticks
    // the settings run on its own timers and compares with the versions
    // the device core knows; the dialog's run goes from one end event to
    // the next.
    void runsWithoutPage_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("flashed");
        QTest::newRow("settings: the receiver, then the mouse") << "settings" << "M1 R1";
        QTest::newRow("repair: the receiver, then the mouse") << "repair" << "M2 R1";
    }
    void runsWithoutPage()
    {
        QFETCH(QString, entry);
        QFETCH(QString, flashed);
        const bool settings = entry == "settings";
        page.reset();
        QVERIFY(!g_updateRepairDialog);
        QVERIFY(startScene(settings));
        hidsim::setTimeScale(0.02);
        const QMap<QString, int> before = firmwareOnTheBench();
        UpdateEngine *engine = UpdateEngine::instance();
        QSignalSpy views(PostMsg::instance(), &PostMsg::SigProgress);
        QSignalSpy bar(PostMsg::instance(), &PostMsg::SigAutoRepairProgress);
        QSignalSpy labels(PostMsg::instance(), &PostMsg::SigLabelText);

        if (settings) {
            listDevices({"R1", "M1"}, "M1");
            selectDevice("R1", "M1");
            QCOMPARE(engine->checkUpdate(), UpdateReason::None);
            QCOMPARE(engine->confirmUpdate(), UpdateEngine::Armed::Receiver);
        } else {
            g_foundDevices = {listedDevice("M2")};
            QVERIFY(engine->checkRepair(false).offered);
            QVERIFY(engine->startRepairRun() >= 0);
        }
        QVERIFY(engine->runInProgress());
        QTRY_VERIFY_WITH_TIMEOUT(runOver(), 15000);
        QVERIFY(hidsim::waitIdle());
        QCoreApplication::processEvents();

        QCOMPARE(flashedSince(before).join(' '), flashed);
        QCOMPARE(hidsim::countCalls("UsbUpgrade_Start"), 2);
        QCOMPARE(readUpdateFailInfo(), QString());
        QList<int> ends, values;
        for (const QList<QVariant> &args : qAsConst(views))
            (args.at(1).toInt() == 0 ? values : ends) << args.at(args.at(1).toInt() == 0 ? 0 : 1).toInt();
        for (const QList<QVariant> &args : qAsConst(bar))
            values << args.at(0).toInt();
        QCOMPARE(ends, QList<int>{2});
        // The receiver fills the bar's lower half, then the mouse the upper.
        QVERIFY(std::is_sorted(values.begin(), values.end()));
        QVERIFY(values.contains(50) && values.contains(100));
        if (settings) {
            const auto version = [](const char *id) { return firmwareVersionText(quint32(hidsim::firmwareVersion(id))); };
            QCOMPARE(labels.count(), 2);
            QCOMPARE(labels.at(0), (QList<QVariant>{0, version("R1")}));
            QCOMPARE(labels.at(1), (QList<QVariant>{1, version("M1")}));
            QCOMPARE(g_selectedDevice.usbVersion, version("R1"));
            QCOMPARE(g_selectedDevice.mouseVersion, version("M1"));
        }
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

        QVERIFY(startSettingsBench(*folder, fixture, 0x103, 0x106));
        listDevices(listed, "M1");
        selectDevice(selected.toLatin1().constData(), "M1");
        page->SetVer(5);
        g_updateReceiverClass = 4;
        hidsim::clearCalls();
        // A step no user confirmed writes nothing, whatever it finds.
        if (continued) {
            g_update210Available = 1;
            emit PostMsg::instance()->SigContinue(0);
        } else {
            page->on_Receive_clicked();
        }
        QVERIFY(!g_dongleCheckTimer->isActive() && !g_mouseCheckTimer->isActive());

        QCOMPARE(hidsim::countCalls("UsbUpgrade_Start"), 0);
        QCOMPARE(page->deferredWarning(deviceCode), deferred);
        QCOMPARE(page->updateNotice()->isVisible(), continued);
        const QString expected = langText(g_langFormSetting, 0, text);
        if (continued)
            QCOMPARE(page->updateNotice()->findChild<QLabel *>("label")->text(), expected);
        QCOMPARE(dialog()->stateText(), expected);
        QVERIFY(!UpdateEngine::instance()->runInProgress());
        QCOMPARE(int(g_upgradeIdle), 1);
        QCOMPARE(int(g_firmwareUpdating), 0);
        page->updateNotice()->hide();
    }

    // The end view stays as it came, whatever the bus does meanwhile: the
    // device list page and the Worker hear every device change as they do
    // in the program (the failed device going into update mode, a cable
    // pulled and put back), at the devices' own pace and three times slower.
    // What the dialog shows 0.1 s, 1 s and 5 s after its end view came, and
    // what the devices run once the user has closed it and the device
    // changes have been looked at.
    void endViewStays_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<double>("scale");
        QTest::addColumn<QString>("fault");        // "fail <device> <percent>", "pull <device> at <bar>"
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("bar");              // -1: wherever the pulled write left it
        QTest::addColumn<QString>("flashed");
        QTest::addColumn<QString>("updateMode");   // devices left waiting in update mode

        for (const double scale : {1.0, 3.0}) {
            QTest::addRow("settings: the receiver fails at 40 %%, time x%g", scale)
                << "settings" << scale << "fail R1 40" << "Progress 3" << 17 << "" << "R1";
            QTest::addRow("repair: the receiver fails at 40 %%, time x%g", scale)
                << "repair" << scale << "fail R1 40" << "Progress 3" << 17 << "" << "R1";
        }
        QTest::newRow("settings: both flashed, time x3")
            << "settings" << 3.0 << "" << "Progress 1" << 100 << "M1 R1" << "";
        QTest::newRow("settings: the mouse's cable pulled during its write and put back")
            << "settings" << 1.0 << "pull M1 at 70" << "Progress 4" << -1 << "R1" << "M1";
    }
    void endViewStays()
    {
        QFETCH(QString, entry);
        QFETCH(double, scale);
        QFETCH(QString, fault);
        QFETCH(QString, text);
        QFETCH(int, bar);
        QFETCH(QString, flashed);
        QFETCH(QString, updateMode);

        const bool settings = entry == "settings";
        QVERIFY(startScene(settings));
        hidsim::setTimeScale(scale);
        const QMap<QString, int> before = firmwareOnTheBench();
        // The device list page watches the bus, the Worker follows the
        // device page's device.
        auto list = std::make_unique<DialogChange>();
        list->show();
        auto worker = std::make_unique<Worker>(nullptr);
        g_worker = worker.get();
        if (settings) {
            g_devicePageActive = 1;
            const DeviceAllInfo chosen = settingsEntry("R1", "M1");
            PostMsg::instance()->postSelectMouseInfo(chosen);
            setDeviceHandlePath(chosen.devicePath.toUtf8());
            watchDeviceChanges(DeviceChangeListener::DevicePage);
            QTRY_COMPARE_WITH_TIMEOUT(g_deviceList.size(), 2, 10000);
            QVERIFY(hidsim::waitIdle(10000));
            QTRY_VERIFY(!worker->isRunning());
            page->SetVer(0);
            page->findChild<QToolButton *>("Receive_2")->click();
        } else {
            g_devicePageActive = 0;
            QTRY_COMPARE_WITH_TIMEOUT(g_foundDevices.size(), 1, 10000);
            list->findChild<QPushButton *>("Repair")->click();
        }
        QTRY_COMPARE(dialog()->stateText(), langText(g_langAutoRepair, 0, 12));

        const QStringList f = fault.split(' ');
        if (f.first() == "fail")
            QVERIFY(hidsim::failUpdate(f.at(1).toLatin1().constData(), f.at(2).toInt()));
        QMetaObject::Connection pull;
        if (f.first() == "pull") {
            pull = connect(PostMsg::instance(), &PostMsg::SigProgress, this, [&](int value, int kind) {
                if (kind == 0 && value >= f.at(3).toInt() && hidsim::plug(f.at(1).toLatin1().constData(), false))
                    disconnect(pull);
            });
        }
        hidsim::clearCalls();
        dialogButton("NewHong_2")->click();
        QTRY_COMPARE_WITH_TIMEOUT(dialog()->stateText(), textNamed(text), 60000);
        disconnect(pull);
        // The cable goes back in while the end view is up.
        if (f.first() == "pull")
            QVERIFY(hidsim::plug(f.at(1).toLatin1().constData(), true));

        // What the view shows, sampled after it came.
        const auto view = [this]() {
            return QStringList{dialog()->isVisible() ? "shown" : "closed", dialog()->stateText(),
                               QString::number(progressBar()->value()),
                               dialogButton("NewHong_2")->isVisible() ? dialogButton("NewHong_2")->text() : "-"};
        };
        const QStringList first = view();
        QList<QStringList> samples;
        for (const int ms : {100, 1000, 5000})
            QTimer::singleShot(ms, this, [&samples, view]() { samples << view(); });
        QTRY_COMPARE_WITH_TIMEOUT(samples.size(), 3, 10000);
        const QStringList expected{"shown", textNamed(text), bar < 0 ? first.at(2) : QString::number(bar),
                                   langText(g_langDialogChange, 0, 4)};
        for (const QStringList &sample : qAsConst(samples))
            QCOMPARE(sample, expected);

        // The user closes it; then the device changes are looked at, and
        // nothing more is flashed.
        dialogButton("NewHong_2")->click();
        QVERIFY(!dialog()->isVisible());
        QVERIFY(hidsim::waitIdle(20000));
        QTRY_VERIFY(!worker->isRunning());
        QCoreApplication::processEvents();
        QVERIFY(hidsim::waitIdle(20000));
        QStringList waiting;
        for (const QString &id : before.keys()) {
            if (hidsim::inUpdateMode(id.toLatin1().constData()))
                waiting << id;
        }
        QCOMPARE(flashedSince(before).join(' '), flashed);
        QCOMPARE(waiting.join(' '), updateMode);
        QCOMPARE(hidsim::countCalls("UsbUpgrade_Start"), flashed.split(' ', Qt::SkipEmptyParts).size()
                                                          + (fault.isEmpty() ? 0 : 1));
        QVERIFY(!dialog()->isVisible());

        StopUsbChanged();
        g_worker = nullptr;
        worker.reset();
        list.reset();
    }

    // End events that belong to no step waiting for one: they flash
    // nothing, chain nothing and leave every view as it is. While a step the
    // watchdog gave up on may still write, no run starts; its late end, if
    // it ends well, clears the failure it recorded.
    void lateEndEvents_data()
    {
        QTest::addColumn<QString>("entry");       // "settings", "repair"; "": no run
        QTest::addColumn<QString>("ending");      // how the run's step ends: its write held past the watchdog
                                                  // ("watchdog"), failing after it ("watchdog, then fail"), failing
        QTest::addColumn<bool>("dismissed");      // the user closes the end view before the late end
        QTest::addColumn<QString>("endText");     // the end view when it came
        QTest::addColumn<QString>("text");        // the dialog afterwards; empty: not shown
        QTest::addColumn<QString>("flashed");
        QTest::addColumn<QString>("recordAfter");

        QTest::newRow("outside any run") << "" << "" << false << "" << "" << "" << "211,4,33,1";
        // The receiver is written when the watchdog gives up on it: the end
        // view names the receiver's silent updater, the mouse after it was
        // never reached.
        QTest::newRow("settings: the step the watchdog ended")
            << "settings" << "watchdog" << false << "Progress 13" << "Progress 13" << "R1" << "";
        QTest::newRow("settings: the step the watchdog ended, the view dismissed")
            << "settings" << "watchdog" << true << "Progress 13" << "" << "R1" << "";
        QTest::newRow("repair: the step the watchdog ended")
            << "repair" << "watchdog" << false << "Progress 13" << "Progress 13" << "R1" << "";
        QTest::newRow("repair: the step the watchdog ended, the view dismissed")
            << "repair" << "watchdog" << true << "Progress 13" << "" << "R1" << "";
        // The receiver is not written yet when the watchdog gives up; its
        // write fails later and leaves it in update mode: the record stays.
        QTest::newRow("settings: a failure after the watchdog ended the step")
            << "settings" << "watchdog, then fail" << false << "Progress 13" << "Progress 13" << "" << "211,4,33,1";
        QTest::newRow("repair: a failure dismissed")
            << "repair" << "fail" << true << "Progress 3" << "" << "" << "211,4,33,1";
    }
    void lateEndEvents()
    {
        QFETCH(QString, entry);
        QFETCH(QString, ending);
        QFETCH(bool, dismissed);
        QFETCH(QString, endText);
        QFETCH(QString, text);
        QFETCH(QString, flashed);
        QFETCH(QString, recordAfter);

        const bool settings = entry == "settings";
        const bool watchdog = ending.startsWith("watchdog");
        QVERIFY(startScene(settings));
        const QMap<QString, int> before = firmwareOnTheBench();
        UpdateEngine *engine = UpdateEngine::instance();
        // The watchdog's time as the program takes it from its environment.
        qputenv("QUZ_UPDATE_WATCHDOG_MS", "300");
        engine->reset();
        hidsim::setTimeScale(0.02);
        if (ending == "watchdog")
            QVERIFY(hidsim::holdUpdate("R1", 1500));
        if (ending.endsWith("fail"))
            QVERIFY(hidsim::failUpdate("R1", 40));
        // Progress far apart: the watchdog gives up before the first.
        if (ending == "watchdog, then fail")
            hidsim::setTimeScale(4);

        if (!entry.isEmpty()) {
            openDialog(entry, settings ? QStringList{"R1", "M1"} : QStringList{"M2"}, "R1");
            QCOMPARE(dialog()->stateText(), langText(g_langAutoRepair, 0, 12));
            dialogButton("NewHong_2")->click();
            QTRY_COMPARE_WITH_TIMEOUT(dialog()->stateText(), textNamed(endText), 5000);
            QTRY_VERIFY(runOver());
            if (dismissed) {
                dialogButton("NewHong")->click();
                QVERIFY(!dialog()->isVisible());
            }
        }
        hidsim::clearCalls();
        QSignalSpy repairButton(PostMsg::instance(), &PostMsg::SigUpDateButton);
        if (watchdog) {
            QVERIFY(engine->earlierStepWriting());
            // Asked again meanwhile, the dialog says the update is still
            // finishing, and nothing starts.
            if (dismissed) {
                openDialog(entry, settings ? QStringList{"R1", "M1"} : QStringList{"M2"}, "R1");
                QCOMPARE(dialog()->stateText(), langText(g_langAutoRepair, 0, 13));
                dialogButton("NewHong_2")->click();
                QVERIFY(!dialog()->isVisible());
            }
        } else {
            // An end and a progress event nobody waits for.
            const unsigned char stray[][3] = {{7, 1, 50}, {7, 2, 1}};
            for (const unsigned char *event : stray)
                UpdateEngine::updaterCallback(event);
        }
        QVERIFY(hidsim::waitIdle(10000));
        QTRY_VERIFY_WITH_TIMEOUT(!engine->earlierStepWriting(), 10000);
        QCoreApplication::processEvents();
        QVERIFY(hidsim::waitIdle());
        QCoreApplication::processEvents();

        QCOMPARE(hidsim::countCalls("UsbUpgrade_Start"), 0);
        // The device list offers the repair as long as the record is kept.
        if (!repairButton.isEmpty())
            QCOMPARE(repairButton.last().at(0).toBool(), recordAfter.isEmpty());
        QCOMPARE(flashedSince(before).join(' '), flashed);
        QCOMPARE(dialog()->isVisible(), !text.isEmpty());
        if (!text.isEmpty())
            QCOMPARE(dialog()->stateText(), textNamed(text));
        QCOMPARE(readUpdateFailInfo(), recordAfter);
        QVERIFY(engine->heldImages().isEmpty());
    }

    // The end view and the failure record follow what the device reports,
    // not what the updater said: a mouse written after the watchdog gave up
    // on it loses its record once the program, started again, finds it
    // right; a device that refused its image at the start is left as it was
    // and gets no record.
    void recordFollowsTheDevice_data()
    {
        QTest::addColumn<QString>("ending");   // "silent, restart": the write ends unheard, the program restarts;
                                               // "refused": the updater's failed end before any progress
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("recordBefore");   // once the end view came
        QTest::addColumn<QString>("flashed");
        QTest::newRow("the watchdog gave up on the mouse, the program restarted")
            << "silent, restart" << "Progress 14" << "210,4,33,1" << "M2=0x107";
        QTest::newRow("the receiver refused its image at the start") << "refused" << "Progress 5" << "" << "";
    }
    void recordFollowsTheDevice()
    {
        QFETCH(QString, ending);
        QFETCH(QString, text);
        QFETCH(QString, recordBefore);
        QFETCH(QString, flashed);

        // R1 with M1 behind it, and M2 on its cable; only the mouse's image is
        // new when the mouse's write is watched, only the receiver's when the
        // receiver refuses.
        const bool restart = ending.endsWith("restart");
        QVERIFY(hidsim::reset(folder->fixture("bench", receiverFixture("R1", 4, 1, "M1") + mouseFixture("M1", 1, false)
                                                           + mouseFixture("M2", 1, true))
                                  .toUtf8()
                                  .constData()));
        addImages(restart ? "211:1:0x102:QZR-4K 210:1:0x107:QZM-Q1" : "211:1:0x103:QZR-4K 210:1:0x105:QZM-Q1");
        const QMap<QString, int> before = firmwareOnTheBench();
        UpdateEngine *engine = UpdateEngine::instance();
        if (restart) {
            // The write takes some 400 ms; the watchdog gives up long before.
            hidsim::setTimeScale(0.2);
            engine->setWatchdogMs(100);
            QVERIFY(hidsim::silentUpdate("M2", true));
        } else {
            hidsim::setTimeScale(10000);   // the write itself never gets anywhere
        }
        openDialog("settings", {"M2", "R1"}, "R1");
        QCOMPARE(dialog()->stateText(), langText(g_langAutoRepair, 0, 12));
        hidsim::clearCalls();
        dialogButton("NewHong_2")->click();
        if (!restart) {
            QTRY_COMPARE(hidsim::countCalls("UsbUpgrade_Start"), 1);
            const unsigned char refused[3] = {7, 2, 0};
            UpdateEngine::updaterCallback(refused);
        }
        QTRY_VERIFY_WITH_TIMEOUT(runOver(), 5000);
        QCOMPARE(dialog()->stateText(), textNamed(text));
        QCOMPARE(readUpdateFailInfo(), recordBefore);
        if (!restart) {
            QCOMPARE(flashedSince(before), QStringList());
            QVERIFY(!hidsim::inUpdateMode("R1"));
            return;
        }

        // The mouse is written after all; the program is started again
        // before its updater says so, and the device list looks at the bus.
        QTRY_COMPARE(hidsim::firmwareVersion("M2"), 0x107);
        page.reset();
        resetUpdateRunState();
        hidsim::restart();
        auto list = std::make_unique<DialogChange>();
        list->show();
        QTRY_VERIFY(!g_foundDevices.isEmpty());
        QVERIFY(hidsim::waitIdle());
        QCoreApplication::processEvents();
        QCOMPARE(readUpdateFailInfo(), QString());
        QVERIFY(list->findChild<QPushButton *>("Repair")->isHidden());
        QCOMPARE(flashedSince(before).join(' '), QString(flashed).section('=', 0, 0));
        StopUsbChanged();
    }

    // A run that ended well leaves no watchdog armed: past its time no
    // failure shows, and no record or log is written.
    void successLeavesNothingArmed()
    {
        QVERIFY(startSettingsBench(*folder, updateBench(), 0x103, 0x106));
        UpdateEngine::instance()->setWatchdogMs(300);
        hidsim::setTimeScale(0.02);
        openDialog("settings", {"R1", "M1"}, "R1");
        dialogButton("NewHong_2")->click();
        QTRY_VERIFY_WITH_TIMEOUT(runOver() && dialog()->stateText() == textNamed("Progress 1"), 5000);
        QCOMPARE(hidsim::firmwareVersion("M1"), 0x106);

        QSignalSpy views(PostMsg::instance(), &PostMsg::SigProgress);
        QVERIFY(!views.wait(900));
        QCOMPARE(dialog()->stateText(), textNamed("Progress 1"));
        QCOMPARE(readUpdateFailInfo(), QString());
        QVERIFY(!QFile::exists(updateLogPath()));
    }
};

QTEST_MAIN(TestUpdateRun)
#include "tst_updaterun.moc"

// The top-level window: the language moved over from the registry, the
// device-link switches between list and device page, tray trips and the
// way back, closing and leaving from the tray in order, the offline notice,
// the keys and dragging.

#include "HIDUsb.h"
#include "deviceenumeration.h"
#include "devicestate.h"
#include "dialog.h"
#include "dialoganswers.h"
#include "dialogmain.h"
#include "globals.h"
#include "hidusb_sim.h"
#include "imagecache.h"
#include "macroeditorshared.h"
#include "macrosettings.h"
#include "match.h"
#include "mouseoffline.h"
#include "postmsg.h"
#include "registry.h"
#include "testsupport.h"
#include "ui_Dialog.h"

#include <QApplication>
#include <QMenu>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTimer>
#include <QtTest>

#include <cstring>
#include <memory>

namespace {

const QString kProgramKey = "HKEY_CURRENT_USER\\Software\\Quzmar\\Quzmar\\Quzmar";
const QString kMouseVersionKey = "HKEY_CURRENT_USER\\Software\\Quzmar\\Quzmar\\Mouse Drive Test";

std::vector<std::string> callsNamed(const char *prefix)
{
    std::vector<std::string> out;
    for (const std::string &c : hidsim::calls()) {
        if (c.rfind(prefix, 0) == 0)
            out.push_back(c);
    }
    return out;
}

int countCall(const char *call)
{
    int n = 0;
    for (const std::string &c : hidsim::calls()) {
        if (c == call)
            ++n;
    }
    return n;
}

// Position of the first call starting with prefix, -1 when absent.
int callIndex(const char *prefix, int from = 0)
{
    const std::vector<std::string> all = hidsim::calls();
    for (int i = from; i < int(all.size()); ++i) {
        if (all[size_t(i)].rfind(prefix, 0) == 0)
            return i;
    }
    return -1;
}

// Closes the next modal window a moment after it comes up and reports its
// class name.
void closeNextModal(QString *seen, int delayMs = 100)
{
    QTimer::singleShot(delayMs, [seen] {
        if (QWidget *w = QApplication::activeModalWidget()) {
            *seen = QString::fromLatin1(w->metaObject()->className());
            if (QDialog *d = qobject_cast<QDialog *>(w))
                d->reject();
            else
                w->close();
        }
    });
}

DeviceAllInfo mouseEntry()
{
    DeviceAllInfo d = benchReceiverEntry();
    d.online = 1;
    return d;
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<DialogMain> window;

    void build()
    {
        window.reset(new DialogMain(nullptr));
        hidsim::waitIdle();
        QCoreApplication::processEvents();
        hidsim::clearCalls();
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
        MacroSettings::instance()->remove("Language", "Language");
        RegistryKey(kProgramKey).remove("LanguageIndex");
        RegistryKey(kMouseVersionKey).remove("MouseVer3301");
    }
    void cleanup()
    {
        StopUsbChanged();
        UsbServer_Exit();
        hidsim::waitIdle();
        window.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QFile::remove(deviceCacheDir() + "Device_CID21_MID01.bin");
    }

    void languageMovesOverFromTheRegistry()
    {
        RegistryKey(kProgramKey).setValue("LanguageIndex", 1);
        build();
        QCOMPARE(MacroSettings::instance()->readString("Language", "Language"), QString("1"));
        QCOMPARE(g_language, 1);
        QVERIFY(!RegistryKey(kProgramKey).contains("LanguageIndex"));
        // The frame's language box followed the start-up announcement.
        QCOMPARE(window->framePage()->form()->comboBox->currentIndex(), 1);
    }

    void noRegistryLanguageKeepsTheUserSetting()
    {
        MacroSettings::instance()->writeString("Language", "Language", "1");
        build();
        QCOMPARE(g_language, 1);
        QCOMPARE(MacroSettings::instance()->readString("Language", "Language"), QString("1"));
    }

    void unusableStoredLanguageFallsBackToEnglish()
    {
        MacroSettings::instance()->writeString("Language", "Language", "17");
        build();
        QCOMPARE(g_language, 0);
    }

    void windowShape()
    {
        build();
        QCOMPARE(window->size(), QSize(1340, 940));
        QCOMPARE(window->minimumSize(), window->maximumSize());
        QVERIFY(window->windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(window->windowTitle(), QString("Quzmar"));
        QCOMPARE(window->systemTrayIcon()->toolTip(), QString("Quzmar"));
        QVERIFY(!window->systemTrayIcon()->icon().isNull());
    }

    void toTheDevicePage()
    {
        build();
        QSignalSpy stackIndex(PostMsg::instance(), &PostMsg::SigSelectStackInde);
        g_uiWriteEnabled = 0;
        window->SlotChangeMainDialog(1);
        QCOMPARE(int(g_uiWriteEnabled), 1);
        QCOMPARE(stackIndex.count(), 1);
        QCOMPARE(stackIndex.at(0).at(0).toInt(), 1);
        QCOMPARE(window->framePage()->form()->stackedWidgetDialog->currentIndex(), 0);
        QCOMPARE(countCall("StartUsbChanged(callback, 600)"), 1);
    }

    void backToTheList()
    {
        build();
        g_devicePageActive = 1;
        window->SlotChangeMainDialog(1);
        QStringList order;
        PostMsg *hub = PostMsg::instance();
        QList<QMetaObject::Connection> links;
        links << connect(hub, &PostMsg::SigSecondPageChange, [&order] { order << "second"; });
        links << connect(hub, &PostMsg::SigSelectStackInde, [&order](int i) { order << QString("stack%1").arg(i); });
        links << connect(hub, &PostMsg::SigMainPageChange, [&order] {
            order << QString("main%1").arg(g_devicePageActive);
        });
        hidsim::clearCalls();
        window->SlotChangeMainDialog(0);
        for (const auto &l : links)
            disconnect(l);
        QCOMPARE(order, QStringList({"second", "stack0", "main0"}));
        QCOMPARE(g_devicePageActive, 0);
        const int exitAt = callIndex("UsbServer_Exit()");
        QVERIFY(exitAt >= 0);
        QVERIFY(callIndex("StartUsbChanged(callback, 600)", exitAt) > exitAt);
        QCOMPARE(window->framePage()->form()->stackedWidgetDialog->currentIndex(), 1);
    }

    // The way back pauses with events running: a device opened meanwhile
    // keeps the device page's watch, the list's comes no more.
    void deviceOpenedDuringTheWayBackKeepsItsWatch()
    {
        build();
        QSignalSpy stackIndex(PostMsg::instance(), &PostMsg::SigSelectStackInde);
        QTimer::singleShot(0, window.get(), [this] { window->SlotChangeMainDialog(1); });
        window->SlotChangeMainDialog(0);
        QCOMPARE(stackIndex.count(), 2);
        QCOMPARE(stackIndex.last().at(0).toInt(), 1);
        QCOMPARE(countCall("StartUsbChanged(callback, 600)"), 1);
        QVERIFY(callIndex("StartUsbChanged(callback, 600)") > callIndex("UsbServer_Exit()"));
    }

    void otherIndexesOnlyEnableWriting()
    {
        build();
        QSignalSpy stackIndex(PostMsg::instance(), &PostMsg::SigSelectStackInde);
        g_uiWriteEnabled = 0;
        window->SlotChangeMainDialog(5);
        QCOMPARE(int(g_uiWriteEnabled), 1);
        QCOMPARE(stackIndex.count(), 0);
        QVERIFY(hidsim::calls().empty());
    }

    void startMinimisedLeavesTheDriverStatus()
    {
        build();
        window->show();
        window->SlotChangeSize(2);
        QVERIFY(window->isInTray());
        QCOMPARE(int(callsNamed("UsbServer_SetPCDriverStatus").size()), 0);
        // No tray here: the window is minimised, never lost.
        if (!QSystemTrayIcon::isSystemTrayAvailable())
            QVERIFY(window->isMinimized());
        else
            QVERIFY(!window->isVisible());
    }

    void minimiseTellsTheDeviceFirst()
    {
        build();
        window->show();
        window->SlotChangeSize(0);
        QVERIFY(window->isInTray());
        QCOMPARE(callsNamed("UsbServer_SetPCDriverStatus"), std::vector<std::string>{"UsbServer_SetPCDriverStatus(0)"});
        QVERIFY(window->systemTrayMenu());
        const QList<QAction *> actions = window->systemTrayMenu()->actions();
        QCOMPARE(actions.size(), 3);
        QCOMPARE(actions.at(0)->text(), langText(g_langDialogMain, 0, 0));
        QVERIFY(actions.at(1)->isSeparator());
        QCOMPARE(actions.at(2)->text(), langText(g_langDialogMain, 0, 1));
    }

    void trayMenuTakesTheLanguageOnTheNextTrip()
    {
        build();
        window->SlotChangeSize(2);
        window->SlotAllLanguage(1);
        QCOMPARE(window->systemTrayMenu()->actions().at(0)->text(), langText(g_langDialogMain, 0, 0));
        window->slotActionMain();
        window->SlotChangeSize(2);
        QCOMPARE(window->systemTrayMenu()->actions().at(0)->text(), langText(g_langDialogMain, 1, 0));
    }

    // However often the window went to the tray, one activation runs the
    // handler once: the context menu opens once.
    void twoTripsGiveOneActivation()
    {
        build();
        window->SlotChangeSize(2);
        window->slotActionMain();
        window->SlotChangeSize(2);
        int menuShows = 0;
        QMenu *menu = window->systemTrayMenu();
        QTimer closer;
        connect(&closer, &QTimer::timeout, [menu, &menuShows] {
            if (menu->isVisible()) {
                ++menuShows;
                menu->close();
            }
        });
        closer.start(20);
        // The menu runs inside the activation: when the signal returns, every
        // menu it opened has been shown and closed.
        emit window->systemTrayIcon()->activated(QSystemTrayIcon::Context);
        QCOMPARE(menuShows, 1);
    }

    // Going to the tray set the driver status to 0; coming back to an open
    // device page sets it to 1 again, by any of the three ways back.
    void restoringReopensTheDeviceLink_data()
    {
        QTest::addColumn<int>("way");
        QTest::newRow("click") << 0;
        QTest::newRow("double click") << 1;
        QTest::newRow("menu") << 2;
    }
    void restoringReopensTheDeviceLink()
    {
        QFETCH(int, way);
        build();
        window->show();
        g_devicePageActive = 1;
        window->SlotChangeSize(0);
        hidsim::clearCalls();
        if (way == 0)
            emit window->systemTrayIcon()->activated(QSystemTrayIcon::Trigger);
        else if (way == 1)
            emit window->systemTrayIcon()->activated(QSystemTrayIcon::DoubleClick);
        else
            window->systemTrayMenu()->actions().at(0)->trigger();
        QVERIFY(!window->isInTray());
        QVERIFY(window->isVisible());
        QVERIFY(!window->isMinimized());
        QVERIFY(!window->systemTrayIcon()->isVisible());
        QCOMPARE(callsNamed("UsbServer_SetPCDriverStatus"), std::vector<std::string>{"UsbServer_SetPCDriverStatus(1)"});
    }

    void restoringToTheListLeavesTheStatus()
    {
        build();
        window->SlotChangeSize(0);
        hidsim::clearCalls();
        emit window->systemTrayIcon()->activated(QSystemTrayIcon::Trigger);
        QVERIFY(callsNamed("UsbServer_SetPCDriverStatus").empty());
        // A click while the window is not away changes nothing either.
        g_devicePageActive = 1;
        emit window->systemTrayIcon()->activated(QSystemTrayIcon::Trigger);
        QVERIFY(callsNamed("UsbServer_SetPCDriverStatus").empty());
    }

    void closingEndsTheDeviceLinkInOrder()
    {
        build();
        window->show();
        QSignalSpy finished(window.get(), &QDialog::finished);
        window->SlotChangeSize(1);
        const int status = callIndex("UsbServer_SetPCDriverStatus(0)");
        const int stop = callIndex("StopUsbChanged()");
        const int exit = callIndex("UsbServer_Exit()");
        QVERIFY(status >= 0);
        QVERIFY(stop > status);
        QVERIFY(exit > stop);
        QVERIFY(!window->isVisible());
    }

    // Leaving from the tray's menu ends the device link like closing does and
    // keeps the device image, instead of dropping everything at once.
    void trayExitShutsDownInOrder()
    {
        build();
        FlashDataMap image;
        u8 *p = reinterpret_cast<u8 *>(&image);
        for (int i = 0; i < int(sizeof image); ++i)
            p[i] = u8(i * 5 + 3);
        g_flashDataMap = image;
        g_deviceCacheName = "Device_CID21_MID01.bin";
        g_devicePageActive = 1;
        window->SlotChangeSize(0);
        hidsim::clearCalls();
        window->systemTrayMenu()->actions().at(2)->trigger();
        const int status = callIndex("UsbServer_SetPCDriverStatus(0)");
        const int stop = callIndex("StopUsbChanged()");
        const int exit = callIndex("UsbServer_Exit()");
        QVERIFY(status >= 0);
        QVERIFY(stop > status);
        QVERIFY(exit > stop);
        FlashDataMap cached;
        QVERIFY(loadDeviceInfo("Device_CID21_MID01.bin", &cached));
        QVERIFY(std::memcmp(&cached, &image, sizeof image) == 0);
    }

    void offlineNotice()
    {
        build();
        QString seen;
        closeNextModal(&seen);
        PostMsg::instance()->postMouseOffLineo(1);
        QCOMPARE(seen, QString("MouseOffLine"));
        QCOMPARE(g_offlineNoticeReason, 1);
        QCOMPARE(int(g_deviceLost), 1);
        QCOMPARE(int(g_rereadRequested), 1);
    }

    void offlineNoticeClosesWhenTheDeviceIsBack()
    {
        build();
        bool open = false;
        QTimer::singleShot(100, [&open] {
            open = qobject_cast<MouseOffLine *>(QApplication::activeModalWidget()) != nullptr;
            PostMsg::instance()->postCloseOffOnline();
        });
        window->SlotMouseOffLine(0);
        QVERIFY(open);
        QCOMPARE(g_offlineNoticeReason, 0);
    }

    void keys()
    {
        build();
        window->show();
        QSignalSpy enter(PostMsg::instance(), &PostMsg::SigEnterKey);
        QTest::keyClick(window.get(), Qt::Key_Return);
        QTest::keyClick(window.get(), Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(enter.count(), 2);
        QTest::keyClick(window.get(), Qt::Key_Escape);
        QTest::keyClick(window.get(), Qt::Key_F12);
        QVERIFY(window->isVisible());
        QCOMPARE(enter.count(), 2);
    }

    void spaceDoesNothingWithoutExactlyOneMouse_data()
    {
        QTest::addColumn<int>("devices");
        QTest::addColumn<bool>("receiver");
        QTest::addColumn<bool>("recording");
        QTest::newRow("two devices") << 2 << false << false;
        QTest::newRow("none") << 0 << false << false;
        QTest::newRow("one receiver") << 1 << true << false;
        QTest::newRow("recording a macro") << 1 << false << true;
    }
    void spaceDoesNothingWithoutExactlyOneMouse()
    {
        QFETCH(int, devices);
        QFETCH(bool, receiver);
        QFETCH(bool, recording);
        build();
        g_shownDevices.clear();   // the list the window found on the bench
        for (int i = 0; i < devices; ++i) {
            DeviceAllInfo d = mouseEntry();
            d.isWired = receiver ? 1 : 0;
            g_shownDevices.append(d);
        }
        g_macroRecording = recording ? 1 : 0;
        // Space acts inside the key press, so a dialog it opened has come and
        // gone when keyClick returns; the answerer ends with this test.
        DialogAnswerer answerer;
        QTest::keyClick(window.get(), Qt::Key_Space);
        g_macroRecording = 0;
        QCOMPARE(answerer.shown, QStringList());
        QVERIFY(callsNamed("UsbServerC_Start").empty());
    }

    // One mouse whose version was never recorded: pair first, then the device
    // server starts again with the event callback.
    void spaceWithUnknownMousePairsAndRestartsTheServer()
    {
        build();
        g_shownDevices = {mouseEntry()};
        setDeviceHandle();
        g_pairWithStoredDevice = 1;
        QString seen;
        bool storedFlagCleared = false;
        QTimer::singleShot(100, [&seen, &storedFlagCleared] {
            storedFlagCleared = g_pairWithStoredDevice == 0;
            if (Match *m = qobject_cast<Match *>(QApplication::activeModalWidget())) {
                seen = "Match";
                m->reject();
            }
        });
        QTest::keyClick(window.get(), Qt::Key_Space);
        QCOMPARE(seen, QString("Match"));
        QVERIFY(storedFlagCleared);
        const std::vector<std::string> starts = callsNamed("UsbServerC_Start");
        QCOMPARE(int(starts.size()), 1);
        QVERIFY(starts.front().find("callback") != std::string::npos);
    }

    // A known version and no newer firmware anywhere: pairing as well.
    void spaceWithKnownMouseAndNothingNewPairs()
    {
        build();
        g_shownDevices = {mouseEntry()};
        RegistryKey(kMouseVersionKey).setValue("MouseVer3301", "v1.05");
        QString seen;
        closeNextModal(&seen, 150);
        QTest::keyClick(window.get(), Qt::Key_Space);
        QCOMPARE(seen, QString("Match"));
        QCOMPARE(int(callsNamed("UsbServerC_Start").size()), 1);
    }

    void dragOnlyWithTheLeftButtonAlone()
    {
        build();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        window->move(100, 100);
        QTRY_COMPARE(window->pos(), QPoint(100, 100));
        const QPoint start = window->pos();
        auto drag = [this](Qt::MouseButton pressed, Qt::MouseButtons held) {
            const QPoint inside(300, 20);
            const QPoint global = window->mapToGlobal(inside);
            QMouseEvent press(QEvent::MouseButtonPress, inside, global, pressed, held, Qt::NoModifier);
            QCoreApplication::sendEvent(window.get(), &press);
            QMouseEvent move(QEvent::MouseMove, inside + QPoint(40, 30), global + QPoint(40, 30), Qt::NoButton, held,
                             Qt::NoModifier);
            QCoreApplication::sendEvent(window.get(), &move);
            QMouseEvent release(QEvent::MouseButtonRelease, inside + QPoint(40, 30), global + QPoint(40, 30), pressed,
                                Qt::NoButton, Qt::NoModifier);
            QCoreApplication::sendEvent(window.get(), &release);
        };
        drag(Qt::RightButton, Qt::RightButton);
        QCOMPARE(window->pos(), start);
        drag(Qt::LeftButton, Qt::LeftButton | Qt::RightButton);
        QCOMPARE(window->pos(), start);
        drag(Qt::LeftButton, Qt::LeftButton);
        QCOMPARE(window->pos(), start + QPoint(40, 30));
    }

private:
    void setDeviceHandle();
};

void TestMainWindow::setDeviceHandle()
{
    extern void setDeviceHandlePath(const QByteArray &path);
    setDeviceHandlePath(QByteArray::fromStdString(hidsim::pathOf("R1")));
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"

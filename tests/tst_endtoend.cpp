// The program end to end against the simulated devices, in-process: the
// top-level window starts, lists the devices, opens the one the user clicks,
// the full read reaches the device page, the user goes back and closes the
// program; Qt reports no warning on the way.

#include "HIDUsb.h"
#include "buttoninterface.h"
#include "deviceenumeration.h"
#include "devicelistcards.h"
#include "devicestate.h"
#include "dialog.h"
#include "dialogchange.h"
#include "dialogmain.h"
#include "globals.h"
#include "hidusb_sim.h"
#include "imagecache.h"
#include "testsupport.h"
#include "ui_Dialog.h"

#include <QApplication>
#include <QStackedWidget>
#include <QTemporaryFile>
#include <QToolButton>
#include <QtTest>

#include <cstring>
#include <memory>

namespace {

QStringList g_warnings;
QtMessageHandler g_previousHandler = nullptr;

void collectWarnings(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtWarningMsg || type == QtCriticalMsg || type == QtFatalMsg)
        g_warnings << message;
    if (g_previousHandler)
        g_previousHandler(type, context, message);
}

} // namespace

class TestEndToEnd : public QObject
{
    Q_OBJECT

private:
    QTemporaryFile fixture;

private slots:
    void initTestCase()
    {
        registerDeviceMetaTypes();
        resetAllGlobals();
        // One 4K receiver with its mouse switched on, both running the
        // firmware the program ships (older firmware would have the update
        // dialog offer the update).
        QVERIFY(fixture.open());
        fixture.write("[R1]\ntype=receiver\nclass=4\nid=3A 51 01\nversion=0x0103\ncid=0x21\nmid=1\n"
                      "plugged=1\nled=1\nlongrange=0\nmouse=M1\n\n"
                      "[M1]\ntype=mouse\nmid=1\nversion=0x0106\nbattery=80\ncharging=0\nonline=1\ncable=0\n");
        fixture.close();
        QVERIFY(hidsim::reset(fixture.fileName().toLocal8Bit().constData()));
        // The simulated devices answer a little faster than real ones.
        hidsim::setTimeScale(0.2);
        QDir().mkpath(deviceCacheDir());
        g_previousHandler = qInstallMessageHandler(collectWarnings);
    }
    void cleanupTestCase()
    {
        qInstallMessageHandler(g_previousHandler);
    }

    void listChooseReadBackClose()
    {
        DialogMain *window = new DialogMain(nullptr);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        Dialog *frame = window->framePage();
        QStackedWidget *stack = frame->form()->stackedWidgetDialog;
        QCOMPARE(stack->currentWidget(), static_cast<QWidget *>(frame->deviceListPage()));

        // The list fills from the device-change callback.
        QTRY_VERIFY_WITH_TIMEOUT(!g_deviceButtons.isEmpty() && !QApplication::activeModalWidget(), 10000);
        const QString receiverPath = QString::fromStdString(hidsim::pathOf("R1"));
        auto receiverCard = [&receiverPath] {
            for (int i = 0; i < g_shownDevices.size(); ++i) {
                if (g_shownDevices.at(i).online && g_shownDevices.at(i).devicePath == receiverPath)
                    return i;
            }
            return -1;
        };
        QTRY_VERIFY_WITH_TIMEOUT(receiverCard() >= 0, 10000);
        const int card = receiverCard();
        QVERIFY2(card >= 0, "the receiver with its online mouse is listed");
        QToolButton *button = nullptr;
        for (QToolButton *b : qAsConst(g_deviceButtons)) {
            if (b && b->objectName() == QString("btn%1").arg(card))
                button = b;
        }
        QVERIFY(button);

        // Choose it: the device page comes up and the full read fills it.
        Buttoninterface *page = frame->buttonPage();
        const int refreshesBefore = page->fullRefreshCount();
        button->click();
        QTRY_COMPARE_WITH_TIMEOUT(g_devicePageActive, 1, 5000);
        QTRY_VERIFY_WITH_TIMEOUT(page->fullRefreshCount() > refreshesBefore, 10000);
        QCOMPARE(stack->currentWidget(), static_cast<QWidget *>(page));
        QVERIFY(!frame->form()->toolButton_2->isHidden());

        unsigned char stored[sizeof(FlashDataMap)];
        QVERIFY(hidsim::storedImage("M1", stored));
        QVERIFY(std::memcmp(&page->shownImage(), stored, sizeof stored) == 0);
        QVERIFY(std::memcmp(&g_flashDataMap, stored, sizeof stored) == 0);

        // The upload notice closes by itself and keeps the first cache.
        QTRY_VERIFY_WITH_TIMEOUT(!QApplication::activeModalWidget(), 15000);
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(deviceCacheDir() + g_deviceCacheName), 5000);

        // Back to the list.
        frame->on_toolButton_clicked();
        QTRY_COMPARE_WITH_TIMEOUT(stack->currentWidget(), static_cast<QWidget *>(frame->deviceListPage()), 10000);
        QCOMPARE(g_devicePageActive, 0);
        QVERIFY(frame->form()->toolButton_2->isHidden());
        QTRY_VERIFY_WITH_TIMEOUT(!g_deviceButtons.isEmpty(), 10000);

        // Close: the device link ends in order and the window goes.
        hidsim::clearCalls();
        QTest::mouseClick(frame->form()->CloseButton, Qt::LeftButton);
        QVERIFY(!window->isVisible());
        const std::vector<std::string> calls = hidsim::calls();
        auto at = [&calls](const std::string &c) {
            for (size_t i = 0; i < calls.size(); ++i) {
                if (calls[i] == c)
                    return int(i);
            }
            return -1;
        };
        QVERIFY(at("UsbServer_SetPCDriverStatus(0)") >= 0);
        QVERIFY(at("StopUsbChanged()") > at("UsbServer_SetPCDriverStatus(0)"));
        QVERIFY(at("UsbServer_Exit()") > at("StopUsbChanged()"));

        hidsim::waitIdle();
        delete window;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY2(g_warnings.isEmpty(), qPrintable(g_warnings.join("\n")));
    }
};

QTEST_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"

// The lighting editor, the receiver LED dialog, the device screen clock and
// the mouse lighting page against the simulated receiver and mouse: what
// reaches the device, what the widgets show, and what must never be sent.

#include "clocksyncpacket.h"
#include "deviceenumeration.h"
#include "deviceevent.h"
#include "devicestate.h"
#include "globals.h"
#include "inputpica.h"
#include "inputpicb.h"
#include "lamplight.h"
#include "languageloader.h"
#include "ledinfo.h"
#include "lightmodeset.h"
#include "postmsg.h"
#include "screencolorpick.h"
#include "testsupport.h"

#include <HIDUsb.h>
#include <hidusb_sim.h>

#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QLabel>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QToolButton>
#include <QtTest>

#include <functional>

namespace {

typedef std::function<void(QWidget *)> PageAction;

template <class T>
T *child(QWidget *w, const char *name)
{
    T *c = w->findChild<T *>(QString::fromLatin1(name));
    if (!c)
        qFatal("no child %s", name);
    return c;
}

QColor boxes(QWidget *w)
{
    return QColor(child<QSpinBox>(w, "RSpinBox")->value(), child<QSpinBox>(w, "GSpinBox")->value(),
                  child<QSpinBox>(w, "BSpinBox")->value());
}

void click(QWidget *w, const char *name)
{
    child<QToolButton>(w, name)->click();
}

void press(QWidget *w, const char *onChild, QEvent::Type type = QEvent::MouseButtonPress)
{
    const QPoint pos = child<QWidget>(w, onChild)->geometry().center();
    QMouseEvent event(type, pos, w->mapToGlobal(pos), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &event);
}

void ignoreEvents(const unsigned char *, int, const unsigned char *, unsigned int)
{
}

FlashDataMap deviceImage()
{
    FlashDataMap m;
    if (!hidsim::storedImage("M1", reinterpret_cast<unsigned char *>(&m)))
        qFatal("no image");
    return m;
}

const QPoint kSwatchAt(700, 400);   // the pointer over the solid red window
const QColor kSwatch(200, 30, 60);

} // namespace

Q_DECLARE_METATYPE(PageAction)

class TestLighting : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir stateDir;
    QByteArray receiverPath;
    QWidget swatch;   // a window of one colour for the screen colour pick
    int notices = 0;
    int closeSignals = 0;

    void startServer(UsbServerEventCallback callback)
    {
        receiverPath = QByteArray::fromStdString(hidsim::pathOf("R1"));
        g_deviceHandle = receiverPath.constData();
        g_selectedDevice = benchReceiverEntry();
        UsbServerC_Start(g_deviceHandle, g_deviceHandle, callback);
    }

private slots:
    void initTestCase();
    void init();

    void clockPacket_data();
    void clockPacket();
    void clockExchange_data();
    void clockExchange();
    void clockTick_data();
    void clockTick();

    void receiverLed_data();
    void receiverLed();
    void receiverLedFromDevice();

    void modeLayout_data();
    void modeLayout();
    void editorColour_data();
    void editorColour();
    void scaledGrabPoint_data();
    void scaledGrabPoint();

    void lampWrites_data();
    void lampWrites();
    void lampRefresh_data();
    void lampRefresh();
    void lampFollowsDevice();
    void texts_data();
    void texts();
};

void TestLighting::initTestCase()
{
    QVERIFY(stateDir.isValid());
    registerDeviceMetaTypes();
    hidsim::setStateDir(stateDir.path().toLocal8Bit().constData());
    LanguageLoader().LanguageTextLoader();
    QVERIFY(!g_langLight.isEmpty());
    connect(PostMsg::instance(), &PostMsg::SigMouseOffLineo, this, [this] { ++notices; });
    connect(PostMsg::instance(), &PostMsg::SigButtonCheck, this, [this] { ++closeSignals; });

    swatch.setWindowFlags(Qt::FramelessWindowHint);
    swatch.setAutoFillBackground(true);
    QPalette palette;
    palette.setColor(QPalette::Window, kSwatch);
    swatch.setPalette(palette);
    swatch.setGeometry(QRect(kSwatchAt - QPoint(20, 20), QSize(40, 40)));
    swatch.show();
    QVERIFY(QTest::qWaitForWindowExposed(&swatch));
}

void TestLighting::init()
{
    resetDeviceBench();
    hidsim::setStateDir(stateDir.path().toLocal8Bit().constData());
    hidsim::reset();
    startServer(ignoreEvents);
    QVERIFY(hidsim::storedImage("M1", reinterpret_cast<unsigned char *>(&g_flashDataMap)));
    g_uiWriteEnabled = 1;
    g_searchVid = "5A51";
    g_searchPids = {"F514"};
    {
        QMutexLocker lock(&g_screenDevicePathsMutex);
        g_screenDevicePaths.clear();
    }
    QCursor::setPos(kSwatchAt);
    hidsim::clearCalls();
    hidsim::clearSentImages();
    notices = closeSignals = 0;
}

// ---- Device screen clock ------------------------------------------------------

void TestLighting::clockPacket_data()
{
    QTest::addColumn<QDateTime>("when");
    QTest::addColumn<QByteArray>("head");   // bytes 0..10
    QTest::addColumn<int>("checksum");
    QTest::newRow("Friday afternoon") << QDateTime(QDate(2024, 5, 17), QTime(13, 45, 30))
                                      << QByteArray::fromHex("0A001007E805110D2D1E05") << 0xD9;
    QTest::newRow("Sunday is 7") << QDateTime(QDate(2024, 5, 19), QTime(0, 0, 0))
                                 << QByteArray::fromHex("0A001007E8051300000007") << 0x2D;
    QTest::newRow("Monday is 1, year high byte first") << QDateTime(QDate(2026, 1, 5), QTime(23, 59, 59))
                                                       << QByteArray::fromHex("0A001007EA0105173B3B01") << 0xB6;
}

void TestLighting::clockPacket()
{
    QFETCH(QDateTime, when);
    QFETCH(QByteArray, head);
    QFETCH(int, checksum);
    const ClockSyncPacket p = ClockSyncPacket::forDateTime(when);
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(p.bytes), 11), head);
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(p.bytes) + 11, 29), QByteArray(29, '\0'));
    QCOMPARE(int(InputPicA::packetChecksum(p.bytes)), checksum);
}

void TestLighting::clockExchange_data()
{
    QTest::addColumn<int>("damaged");
    QTest::addColumn<bool>("breakEcho");
    QTest::addColumn<int>("sends");
    QTest::addColumn<bool>("answered");
    QTest::newRow("first reply good") << 0 << false << 1 << true;
    QTest::newRow("bad checksum twice") << 2 << false << 3 << true;
    QTest::newRow("changed echo four times") << 4 << true << 5 << true;
    QTest::newRow("five bad checksums give up") << 5 << false << 5 << false;
    QTest::newRow("five changed echoes give up") << 7 << true << 5 << false;
}

void TestLighting::clockExchange()
{
    QFETCH(int, damaged);
    QFETCH(bool, breakEcho);
    QFETCH(int, sends);
    QFETCH(bool, answered);
    InputPicA dialog(nullptr);
    QVERIFY(UsbFinderC_OpenDevice(receiverPath.constData()));
    ClockSyncPacket packet = ClockSyncPacket::forDateTime(QDateTime(QDate(2024, 5, 17), QTime(13, 45, 30)));
    hidsim::corruptNextReplies(damaged, breakEcho);
    hidsim::clearCalls();
    const unsigned char *reply = dialog.exchangePacket(packet.bytes);
    QCOMPARE(hidsim::countCalls("UsbFinderC_ReadWriteDeviceData"), sends);
    QCOMPARE(reply != nullptr, answered);
    QCOMPARE(int(packet.bytes[39]), 0xD9);
    // The device took the packet whatever happened to its answers.
    const std::vector<unsigned char> got = hidsim::lastClockPacket();
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(got.data()), int(got.size())),
             QByteArray(reinterpret_cast<const char *>(packet.bytes), 40));
    if (reply)
        QVERIFY(InputPicA::verifyReply(reply));
}

void TestLighting::clockTick_data()
{
    QTest::addColumn<bool>("enable");
    QTest::addColumn<QStringList>("pids");
    QTest::addColumn<int>("ticks");
    QTest::addColumn<int>("plugging");   // 0 plugged, 1 pulled after the start, 2 plugged in after it
    QTest::addColumn<int>("opens");
    QTest::addColumn<bool>("sent");
    QTest::newRow("not started") << false << QStringList{"F514"} << 0 << 0 << 0 << false;
    QTest::newRow("49 ticks send nothing") << true << QStringList{"F514"} << 49 << 0 << 0 << false;
    QTest::newRow("the 50th tick sends") << true << QStringList{"F514"} << 50 << 0 << 1 << true;
    QTest::newRow("two attempts in 100 ticks") << true << QStringList{"F514"} << 100 << 0 << 2 << true;
    QTest::newRow("no device found") << true << QStringList{"F518"} << 100 << 0 << 0 << false;
    QTest::newRow("no product ids") << true << QStringList() << 50 << 0 << 0 << false;
    QTest::newRow("device gone") << true << QStringList{"F514"} << 50 << 1 << 1 << false;
    QTest::newRow("device arrives after the start") << true << QStringList{"F514"} << 50 << 2 << 1 << true;
}

void TestLighting::clockTick()
{
    QFETCH(bool, enable);
    QFETCH(QStringList, pids);
    QFETCH(int, ticks);
    QFETCH(int, plugging);
    QFETCH(int, opens);
    QFETCH(bool, sent);
    g_searchPids = pids.toVector();
    InputPicA dialog(nullptr);
    if (plugging == 2) {
        QVERIFY(hidsim::plug("R1", false));
        QVERIFY(hidsim::waitIdle());
    }
    const int callbacksBefore = hidsim::countCalls("StartUsbChanged");
    dialog.startClockSync(enable);
    QCOMPARE(dialog.clockSyncRunning(), enable);
    // The device list keeps the library's one device-change notice.
    QCOMPARE(hidsim::countCalls("StartUsbChanged"), callbacksBefore);
    QCOMPARE(hidsim::countCalls("UsbFinderC_FindHidDevicesByDeviceId"), enable ? pids.size() : 0);
    // The screen is searched on interface 1 for at most eight paths.
    for (const std::string &call : hidsim::calls()) {
        if (call.rfind("UsbFinderC_FindHidDevicesByDeviceId(", 0) == 0)
            QVERIFY2(QString::fromStdString(call).endsWith(", 1, 8)"), call.c_str());
    }
    if (plugging != 0) {
        QVERIFY(hidsim::plug("R1", plugging == 2));
        QVERIFY(hidsim::waitIdle());
    }
    const QDateTime before = QDateTime::currentDateTime();
    for (int i = 0; i < ticks; ++i)
        dialog.onEraseChipTimeTimer();
    QCOMPARE(hidsim::countCalls("UsbFinderC_OpenDevice"), opens);
    const std::vector<unsigned char> got = hidsim::lastClockPacket();
    QCOMPARE(!got.empty(), sent);
    if (sent) {
        const QDateTime at(QDate((got[3] << 8) | got[4], got[5], got[6]), QTime(got[7], got[8], got[9]));
        QVERIFY(at >= before.addSecs(-1) && at <= QDateTime::currentDateTime());
        QCOMPARE(int(got[10]), at.date().dayOfWeek());
    }
    if (plugging == 1) {
        // A path that no longer opens is dropped: the next attempt searches.
        QMutexLocker lock(&g_screenDevicePathsMutex);
        QVERIFY(g_screenDevicePaths.isEmpty());
    }
}

// ---- Receiver LED dialog --------------------------------------------------------

void TestLighting::receiverLed_data()
{
    QTest::addColumn<QList<int>>("modes");   // reported one after the other
    QTest::addColumn<int>("driveIndex");
    QTest::addColumn<bool>("wired");
    QTest::addColumn<int>("link");
    QTest::addColumn<int>("checked");   // 1..3, 0 none
    QTest::newRow("mode 1 then 2") << QList<int>{1, 2} << 0 << false << 1 << 2;
    QTest::newRow("mode 3") << QList<int>{3} << 0 << false << 1 << 3;
    QTest::newRow("unknown mode keeps the box") << QList<int>{1, 0, 4} << 0 << false << 1 << 1;
    QTest::newRow("model without the option") << QList<int>{1, 2} << 1 << false << 1 << 0;
    QTest::newRow("model missing from the configuration") << QList<int>{2} << 7 << false << 1 << 0;
    QTest::newRow("mouse on its cable") << QList<int>{2} << 0 << true << 1 << 0;
    QTest::newRow("another receiver link") << QList<int>{2} << 0 << false << 4 << 0;
}

void TestLighting::receiverLed()
{
    QFETCH(QList<int>, modes);
    QFETCH(int, driveIndex);
    QFETCH(bool, wired);
    QFETCH(int, link);
    QFETCH(int, checked);
    g_selectedDevice.driveIndex = driveIndex;
    g_selectedDevice.isWired = wired ? 1 : 0;
    g_selectedDevice.linkType = u8(link);
    LedInfo dialog(nullptr);
    DongleRGB rgb = {};
    for (int mode : modes) {
        rgb.ledMode = u8(mode);
        dialog.SlotRGBValue(&rgb);
    }
    const char *names[] = {"ReUntil", "ReUntil_2", "ReUntil_3"};
    for (int i = 0; i < 3; ++i)
        QCOMPARE(child<QCheckBox>(&dialog, names[i])->isChecked(), checked == i + 1);
    // Only a mirror: nothing goes to the device.
    QCOMPARE(hidsim::countCalls("UsbFinderC_Set4KDongleRGB"), 0);
    click(&dialog, "CloseButton");
    QCOMPARE(closeSignals, 1);
}

void TestLighting::receiverLedFromDevice()
{
    // The device link reads the receiver's LED record after a full read and
    // hands it over from the library's thread, waiting for the dialog.
    unsigned char record[10] = {2};
    QVERIFY(UsbFinderC_Set4KDongleRGB(receiverPath.constData(), reinterpret_cast<const DongleRGB *>(record)));
    LedInfo dialog(nullptr);
    startServer(onDeviceEvent);
    UsbServer_ReadAllFlashData();
    QVERIFY(hidsim::waitIdle());
    QVERIFY(child<QCheckBox>(&dialog, "ReUntil_2")->isChecked());
    QVERIFY(!child<QCheckBox>(&dialog, "ReUntil")->isChecked());
}

// ---- Lighting editor and page: layout and colour -----------------------------------------

void TestLighting::modeLayout_data()
{
    QTest::addColumn<bool>("page");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QStringList>("hidden");
    const QStringList always = {"label", "LightMod", "label_2", "label_3"};
    for (bool page : {false, true}) {
        const QString who = page ? "page " : "editor ";
        const QStringList pageAlways = page ? QStringList{"label_4", "RippeControl", "label_5", "StopCloseTime"}
                                            : QStringList{"CloseButton"};
        QTest::newRow(qPrintable(who + "off")) << page << 0 << always + pageAlways + QStringList{"line", "line_2"}
                                               << QStringList{"horizontalLight", "horizontalSpeed", "RSpinBox",
                                                              "toolButtonColorN", "label_7"};
        QTest::newRow(qPrintable(who + "colour flow"))
            << page << 1 << QStringList{"horizontalLight", "horizontalSpeed"}
            << QStringList{"line", "line_2", "RSpinBox", "labelPreView"};
        QTest::newRow(qPrintable(who + "steady mixed colours"))
            << page << 3 << QStringList{"horizontalLight", "line_2", "RSpinBox", "AddB", "toolButtonColorA", "label_7"}
            << QStringList{"horizontalSpeed", "line"};
    }
    QTest::newRow("page readouts follow their sliders") << true << 3 << QStringList{"LightSpinBox_2"}
                                                        << QStringList{"SpeedSpinBox_2"};
}

void TestLighting::modeLayout()
{
    QFETCH(bool, page);
    QFETCH(int, mode);
    QFETCH(QStringList, shown);
    QFETCH(QStringList, hidden);
    QScopedPointer<QWidget> w(page ? static_cast<QWidget *>(new LampLight(nullptr))
                                   : static_cast<QWidget *>(new LightModeSet(nullptr)));
    child<QComboBox>(w.data(), "LightMod")->setCurrentIndex(mode);
    for (const QString &name : shown)
        QVERIFY2(!child<QWidget>(w.data(), qPrintable(name))->isHidden(), qPrintable(name));
    for (const QString &name : hidden)
        QVERIFY2(child<QWidget>(w.data(), qPrintable(name))->isHidden(), qPrintable(name));
    // A box without a current item changes nothing.
    child<QComboBox>(w.data(), "LightMod")->setCurrentIndex(-1);
    for (const QString &name : shown)
        QVERIFY2(!child<QWidget>(w.data(), qPrintable(name))->isHidden(), qPrintable(name));
}

void TestLighting::editorColour_data()
{
    QTest::addColumn<PageAction>("action");
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<bool>("previewShowsColour");
    QTest::newRow("untouched") << PageAction([](QWidget *) {}) << QColor(0, 0, 0) << false;
    QTest::newRow("minus at 0") << PageAction([](QWidget *w) { click(w, "ReduceR"); }) << QColor(0, 0, 0) << false;
    QTest::newRow("plus") << PageAction([](QWidget *w) { click(w, "AddG"); }) << QColor(0, 1, 0) << true;
    QTest::newRow("preset then plus at 255")
        << PageAction([](QWidget *w) {
               click(w, "toolButtonColorK");
               click(w, "AddB");
           })
        << QColor(255, 255, 255) << true;
    QTest::newRow("preset N") << PageAction([](QWidget *w) { click(w, "toolButtonColorN"); }) << QColor(208, 113, 173)
                              << true;
    QTest::newRow("colour board") << PageAction([](QWidget *w) { press(w, "label_7"); }) << kSwatch << true;
    QTest::newRow("colour board off every window") << PageAction([](QWidget *w) {
        QCursor::setPos(5, 595);
        press(w, "label_7");
    }) << QColor(0, 0, 0) << false;
    QTest::newRow("double-click on the board") << PageAction([](QWidget *w) {
        press(w, "label_7", QEvent::MouseButtonDblClick);
    }) << QColor(0, 0, 0) << false;
}

void TestLighting::editorColour()
{
    QFETCH(PageAction, action);
    QFETCH(QColor, colour);
    QFETCH(bool, previewShowsColour);
    LightModeSet editor(nullptr);
    action(&editor);
    QCOMPARE(boxes(&editor), colour);
    const QString preview = child<QLabel>(&editor, "labelPreView")->styleSheet();
    QCOMPARE(preview.contains("PreviewColor.png"), !previewShowsColour);
    if (previewShowsColour)
        QVERIFY(preview.contains(QString("rgb(%1,%2,%3)").arg(colour.red()).arg(colour.green()).arg(colour.blue())));
    // The editor keeps its choice to itself.
    QVERIFY(hidsim::sentImages().empty());
    QCOMPARE(closeSignals, 0);
    click(&editor, "CloseButton");
    QCOMPARE(closeSignals, 1);
}

void TestLighting::scaledGrabPoint_data()
{
    QTest::addColumn<int>("desktopHorzRes");
    QTest::addColumn<int>("screenWidth");
    QTest::addColumn<QPoint>("cursor");
    QTest::addColumn<QPoint>("grab");
    QTest::newRow("150 % truncates") << 2880 << 1920 << QPoint(101, 11) << QPoint(151, 16);
    QTest::newRow("unscaled") << 1920 << 1920 << QPoint(101, 11) << QPoint(101, 11);
    QTest::newRow("200 %") << 3840 << 1920 << QPoint(7, 9) << QPoint(14, 18);
    QTest::newRow("left of the primary screen") << 2880 << 1920 << QPoint(-101, 3) << QPoint(-151, 4);
    QTest::newRow("no screen width") << 2880 << 0 << QPoint(101, 11) << QPoint(101, 11);
}

void TestLighting::scaledGrabPoint()
{
    QFETCH(int, desktopHorzRes);
    QFETCH(int, screenWidth);
    QFETCH(QPoint, cursor);
    QFETCH(QPoint, grab);
    QCOMPARE(::scaledGrabPoint(cursor, desktopHorzRes, screenWidth), grab);
}

// ---- Mouse lighting page ------------------------------------------------------------

void TestLighting::lampWrites_data()
{
    QTest::addColumn<PageAction>("action");
    QTest::addColumn<int>("sends");
    QTest::addColumn<QByteArray>("expected");   // offset, value pairs of the device's image
    QTest::addColumn<bool>("offline");
    QTest::addColumn<bool>("writesEnabled");
    auto bytes = [](std::initializer_list<int> pairs) {
        QByteArray b;
        for (int v : pairs)
            b.append(char(v));
        return b;
    };
    QTest::newRow("brightness slider 1 sends 0")
        << PageAction([](QWidget *w) { child<QSlider>(w, "horizontalLight")->setValue(1); }) << 1
        << bytes({72, 0}) << false << true;
    QTest::newRow("speed slider 10 sends 9")
        << PageAction([](QWidget *w) { child<QSlider>(w, "horizontalSpeed")->setValue(10); }) << 1
        << bytes({71, 9}) << false << true;
    QTest::newRow("off keeps the mode") << PageAction([](QWidget *w) {
        child<QComboBox>(w, "LightMod")->setCurrentIndex(0);
    }) << 1 << bytes({73, 0, 67, 4}) << false << true;
    QTest::newRow("mode 3 switches on") << PageAction([](QWidget *w) {
        child<QComboBox>(w, "LightMod")->setCurrentIndex(3);
    }) << 1 << bytes({73, 1, 67, 3}) << false << true;
    QTest::newRow("idle light-off 15 min") << PageAction([](QWidget *w) {
        emit child<QComboBox>(w, "StopCloseTime")->activated(5);
    }) << 1 << bytes({8, 90, 13, 6}) << false << true;
    QTest::newRow("light off while moving") << PageAction([](QWidget *w) { click(w, "RippeControl"); }) << 1
                                            << bytes({11, 1}) << false << true;
    QTest::newRow("preset on red: green, then blue")
        << PageAction([](QWidget *w) { click(w, "toolButtonColorK"); }) << 2 << bytes({68, 255, 69, 255, 70, 255})
        << false << true;
    QTest::newRow("the same preset again") << PageAction([](QWidget *w) {
        click(w, "toolButtonColorA");
    }) << 0 << bytes({68, 255, 69, 0}) << false << true;
    QTest::newRow("plus at 255, minus at 0") << PageAction([](QWidget *w) {
        click(w, "AddR");
        click(w, "ReduceG");
    }) << 0 << bytes({68, 255, 69, 0}) << false << true;
    QTest::newRow("minus") << PageAction([](QWidget *w) { click(w, "ReduceR"); }) << 1 << bytes({68, 254})
                           << false << true;
    QTest::newRow("colour board") << PageAction([](QWidget *w) { press(w, "label_7"); }) << 3
                                  << bytes({68, kSwatch.red(), 69, kSwatch.green(), 70, kSwatch.blue()}) << false
                                  << true;
    QTest::newRow("press on a colour box") << PageAction([](QWidget *w) { press(w, "GSpinBox"); }) << 0
                                           << bytes({68, 255}) << false << true;
    QTest::newRow("offline preset: notice, nothing changes")
        << PageAction([](QWidget *w) { click(w, "toolButtonColorG"); }) << 0 << bytes({68, 255, 70, 0}) << true
        << true;
    QTest::newRow("writes disabled") << PageAction([](QWidget *w) {
        click(w, "toolButtonColorG");
        child<QSlider>(w, "horizontalLight")->setValue(1);
        emit child<QComboBox>(w, "StopCloseTime")->activated(0);
    }) << 0 << bytes({68, 255, 70, 0, 72, 4}) << false << false;
}

void TestLighting::lampWrites()
{
    QFETCH(PageAction, action);
    QFETCH(int, sends);
    QFETCH(QByteArray, expected);
    QFETCH(bool, offline);
    QFETCH(bool, writesEnabled);
    FlashDataMap start = g_flashDataMap;
    start.lightEnable = 1;
    start.lightMode = 4;
    start.lightR = 255;
    start.lightG = start.lightB = 0;
    start.lightBrightness = 4;
    start.lightSpeed = 2;
    start.ledIdleOffTime = 6;
    start.sleepTime = 6;
    start.ledOffWhileMoving = 0;
    g_flashDataMap = start;
    QVERIFY(ProtocolDataUpdate(&g_flashDataMap));

    LampLight page(nullptr);
    page.SlotUpDataLightUILight(start);
    if (offline) {
        QVERIFY(hidsim::setOnline("M1", false));
        QVERIFY(hidsim::waitIdle());
    }
    g_uiWriteEnabled = writesEnabled ? 1 : 0;
    hidsim::clearSentImages();
    action(&page);
    QCOMPARE(int(hidsim::sentImages().size()), sends);
    QCOMPARE(notices, offline ? 1 : 0);
    const FlashDataMap now = offline ? g_flashDataMap : deviceImage();
    const auto *image = reinterpret_cast<const u8 *>(&now);
    for (int i = 0; i + 1 < expected.size(); i += 2)
        QCOMPARE(int(image[u8(expected[i])]), int(u8(expected[i + 1])));
    if (offline)
        QCOMPARE(boxes(&page), QColor(255, 0, 0));
}

void TestLighting::lampRefresh_data()
{
    QTest::addColumn<bool>("fromConfiguration");
    QTest::addColumn<int>("enable");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("level");   // brightness and speed byte
    QTest::addColumn<int>("idleOff");
    QTest::addColumn<int>("shownMode");
    QTest::addColumn<int>("shownIdle");
    QTest::newRow("device data, light off shows off") << false << 0 << 4 << 9 << 90 << 0 << 0;
    QTest::newRow("device data leave the idle choice") << false << 1 << 5 << 0 << 30 << 5 << 0;
    QTest::newRow("configuration: 15 min") << true << 1 << 2 << 9 << 90 << 2 << 5;
    QTest::newRow("configuration: 450 s is no choice") << true << 1 << 3 << 3 << 45 << 3 << 0;
}

void TestLighting::lampRefresh()
{
    QFETCH(bool, fromConfiguration);
    QFETCH(int, enable);
    QFETCH(int, mode);
    QFETCH(int, level);
    QFETCH(int, idleOff);
    QFETCH(int, shownMode);
    QFETCH(int, shownIdle);
    LampLight page(nullptr);
    // Built while writing is enabled, the page still sends nothing.
    QVERIFY(hidsim::sentImages().empty());
    FlashDataMap map = g_flashDataMap;
    map.lightEnable = u8(enable);
    map.lightMode = u8(mode);
    map.lightBrightness = map.lightSpeed = u8(level);
    map.lightR = 12;
    map.lightG = 34;
    map.lightB = 56;
    map.ledIdleOffTime = u8(idleOff);
    map.ledOffWhileMoving = 1;
    if (fromConfiguration)
        page.SlotUpDataLightUIA(map);
    else
        page.SlotUpDataLightUILight(map);
    QVERIFY(hidsim::sentImages().empty());
    QCOMPARE(notices, 0);
    QCOMPARE(child<QComboBox>(&page, "LightMod")->currentIndex(), shownMode);
    QCOMPARE(child<QSlider>(&page, "horizontalLight")->value(), level + 1);
    QCOMPARE(child<QSpinBox>(&page, "SpeedSpinBox_2")->value(), level + 1);
    QCOMPARE(child<QSlider>(&page, "horizontalSpeed")->isEnabled(), !fromConfiguration);
    QCOMPARE(boxes(&page), QColor(12, 34, 56));
    QVERIFY(child<QLabel>(&page, "labelPreView")->styleSheet().contains("rgb(12,34,56)"));
    QVERIFY(child<QToolButton>(&page, "RippeControl")->isChecked());
    QCOMPARE(child<QComboBox>(&page, "StopCloseTime")->currentIndex(), shownIdle);

    // A reset shows the defaults, keeps the colour and sends nothing either.
    page.SlotFormResetLight();
    QVERIFY(hidsim::sentImages().empty());
    QCOMPARE(child<QComboBox>(&page, "LightMod")->currentIndex(), 1);
    QCOMPARE(child<QSlider>(&page, "horizontalSpeed")->value(), 8);
    QCOMPARE(child<QSpinBox>(&page, "LightSpinBox_2")->value(), 10);
    QCOMPARE(child<QComboBox>(&page, "StopCloseTime")->currentIndex(), 2);
    QCOMPARE(boxes(&page), QColor(12, 34, 56));
    QCOMPARE(g_lightPageRefreshing, u8(0));
}

void TestLighting::lampFollowsDevice()
{
    // What the mouse holds reaches the page through the device link's full
    // read, delivered from the library's thread.
    FlashDataMap stored = deviceImage();
    stored.lightEnable = 1;
    stored.lightMode = 2;
    stored.lightR = 1;
    stored.lightG = 2;
    stored.lightB = 3;
    stored.lightBrightness = 6;
    QVERIFY(hidsim::setStoredImage("M1", reinterpret_cast<const unsigned char *>(&stored)));
    LampLight page(nullptr);
    startServer(onDeviceEvent);
    UsbServer_ReadAllFlashData();
    QVERIFY(hidsim::waitIdle());
    QCOMPARE(child<QComboBox>(&page, "LightMod")->currentIndex(), 2);
    QCOMPARE(boxes(&page), QColor(1, 2, 3));
    QCOMPARE(child<QSpinBox>(&page, "LightSpinBox_2")->value(), 7);
}

void TestLighting::texts_data()
{
    QTest::addColumn<int>("which");   // 0 receiver LED, 1 lighting page, 2 screen dialog A, 3 B, 4 mode editor
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("object");
    QTest::addColumn<QString>("text");
    QTest::newRow("LED heading") << 0 << 0 << "label_14" << "Choose what the receiver's LED shows";
    QTest::newRow("LED heading, Chinese") << 0 << 1 << "label_14" << "选择接收器上的LED指示灯所传达的信息";
    QTest::newRow("idle light-off caption") << 1 << 0 << "label_5" << "Idle time before light off";
    QTest::newRow("colour flow item") << 1 << 1 << "LightMod#1" << "彩色流动";
    QTest::newRow("idle choice 15 min") << 1 << 0 << "StopCloseTime#5" << "15 min";
    QTest::newRow("idle choice 40 min, Chinese") << 1 << 1 << "StopCloseTime#10" << "40分钟";
    QTest::newRow("screen dialog A") << 2 << 0 << "Output" << "Export";
    QTest::newRow("screen dialog B") << 3 << 1 << "label_3" << "屏幕亮度";
    // Each caption says what its widget does, in both languages: none reads
    // a text another window placed at the same position of its page.
    QTest::newRow("lighting page title") << 1 << 0 << "label" << "Lighting mode";
    QTest::newRow("lighting page title, Chinese") << 1 << 1 << "label" << "灯光模式";
    QTest::newRow("lighting page mode off") << 1 << 0 << "LightMod#0" << "Off";
    QTest::newRow("lighting page breathing") << 1 << 0 << "LightMod#2" << "Single-colour breathing";
    QTest::newRow("lighting page steady, Chinese") << 1 << 1 << "LightMod#3" << "混色常亮";
    QTest::newRow("LED mode 2") << 0 << 0 << "textEdit_3" << "Mode 2: the receiver light shows the battery level.";
    QTest::newRow("screen off switch") << 2 << 0 << "label" << "Screen off";
    QTest::newRow("picture preview, closed bracket") << 3 << 0 << "label_2" << "Picture preview (1080x1920)";
    QTest::newRow("picture preview, Chinese") << 2 << 1 << "label_2" << "图片预览(1080x1920)";
    QTest::newRow("screen brightness") << 2 << 0 << "label_3" << "Screen brightness";
    QTest::newRow("picture import") << 3 << 0 << "Input" << "Import";
    QTest::newRow("picture export, Chinese") << 3 << 1 << "Output" << "导出";
    QTest::newRow("mode editor title") << 4 << 0 << "label" << "Lighting mode";
    QTest::newRow("mode editor off") << 4 << 0 << "LightMod#0" << "Off";
    QTest::newRow("mode editor neon, Chinese") << 4 << 1 << "LightMod#4" << "霓虹";
    QTest::newRow("mode editor mixed breathing") << 4 << 0 << "LightMod#5" << "Mixed-colour breathing";
    QTest::newRow("mode editor brightness") << 4 << 0 << "label_2" << "Brightness";
}

void TestLighting::texts()
{
    QFETCH(int, which);
    QFETCH(int, language);
    QFETCH(QString, object);
    QFETCH(QString, text);
    QScopedPointer<QWidget> w;
    switch (which) {
    case 0: {
        auto *d = new LedInfo(nullptr);
        d->SlotAllLanguage(language);
        w.reset(d);
        break;
    }
    case 1:
        w.reset(new LampLight(nullptr));
        PostMsg::instance()->postAllLanguage(language);
        break;
    case 2: {
        auto *d = new InputPicA(nullptr);
        d->SlotAllLanguage(language);
        w.reset(d);
        break;
    }
    case 3: {
        auto *d = new InputPicB(nullptr);
        d->SlotAllLanguage(language);
        w.reset(d);
        break;
    }
    default: {
        auto *d = new LightModeSet(nullptr);
        d->SlotAllLanguage(language);
        w.reset(d);
        break;
    }
    }
    const QStringList parts = object.split('#');
    QWidget *target = child<QWidget>(w.data(), qPrintable(parts.at(0)));
    QString shown;
    if (auto *box = qobject_cast<QComboBox *>(target))
        shown = box->itemText(parts.at(1).toInt());
    else if (auto *label = qobject_cast<QLabel *>(target))
        shown = label->text();
    else if (auto *button = qobject_cast<QToolButton *>(target))
        shown = button->text();
    else if (auto *edit = qobject_cast<QTextEdit *>(target))
        shown = edit->toPlainText();
    QCOMPARE(shown, text);
}

QTEST_MAIN(TestLighting)
#include "tst_lighting.moc"

// The device setters against the simulated mouse of the stand-in library:
// the one write rule (offline: nothing stored, one notice; online: one send
// of the whole image) and the setters with rules beyond a plain store.

#include "devicesetters.h"
#include "devicestate.h"
#include "globals.h"
#include "postmsg.h"
#include "testsupport.h"
#include "worker.h"

#include <HIDUsb.h>
#include <hidusb_sim.h>

#include <QTemporaryDir>
#include <QtTest>

#include <cstring>
#include <functional>
#include <vector>

namespace {

const char kReceiver[] = "R1";
const char kMouse[] = "M1";

typedef std::vector<std::pair<int, u8>> ByteChanges;   // offset, new value

struct SetterCase {
    std::function<bool()> call;
    ByteChanges changes;   // what an online call must change, by file offset
};

QByteArray imageBytes(const FlashDataMap &m)
{
    return QByteArray(reinterpret_cast<const char *>(&m), int(sizeof(FlashDataMap)));
}

// The device-event callback of the server; these tests only write.
void ignoreEvents(const unsigned char *, int, const unsigned char *, unsigned int)
{
}

} // namespace

Q_DECLARE_METATYPE(SetterCase)

class TestSetters : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir stateDir;
    QByteArray receiverPath;
    int notices = 0;
    QList<int> noticeArgs;

    void setMouseOnline(bool online)
    {
        QVERIFY(hidsim::setOnline(kMouse, online));
        QVERIFY(hidsim::waitIdle());
        QCOMPARE(UsbFinderC_GetDeviceOnLine(g_deviceHandle) != 0, online);
        hidsim::clearCalls();
        hidsim::clearSentImages();
    }
    QByteArray deviceImage()
    {
        QByteArray out(kFlashDataMapSize, '\0');
        if (!hidsim::storedImage(kMouse, reinterpret_cast<unsigned char *>(out.data())))
            return QByteArray();
        return out;
    }

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void writeRule_data();
    void writeRuleOffline();
    void writeRuleOffline_data() { writeRule_data(); }
    void writeRuleOfflineWhileRefreshing();
    void writeRuleOfflineWhileRefreshing_data() { writeRule_data(); }
    void writeRuleOnline();
    void writeRuleOnline_data() { writeRule_data(); }

    void isDeviceOnlineNeverSends();
    void option0CClearsOption04();
    void option0CClearsOption04_data();
    void modeZeroSwitchesOffAndKeepsMode();
    void swapDpiLevelsOrder();
    void swapDpiLevelsOrder_data();

    void pageMayWrite_data();
    void pageMayWrite();
    void profileOnlyWhenOnline();
    void wholeImageSentAsGiven();
    void factoryResetOrder();
};

void TestSetters::initTestCase()
{
    QVERIFY(stateDir.isValid());
    registerDeviceMetaTypes();
    hidsim::setStateDir(stateDir.path().toLocal8Bit().constData());
    hidsim::setTimeScale(0);
    connect(PostMsg::instance(), &PostMsg::SigMouseOffLineo, this, [this](int index) {
        ++notices;
        noticeArgs << index;
    });
}

void TestSetters::init()
{
    resetAllGlobals();
    QVERIFY(hidsim::reset());
    receiverPath = QByteArray::fromStdString(hidsim::pathOf(kReceiver));
    QVERIFY(!receiverPath.isEmpty());
    g_deviceHandle = receiverPath.constData();
    // Start from what the mouse holds, as after a full read.
    QVERIFY(hidsim::storedImage(kMouse, reinterpret_cast<unsigned char *>(&g_flashDataMap)));
    g_flashDataMap.option04 = 1;
    UsbServerC_Start(g_deviceHandle, g_deviceHandle, ignoreEvents);
    notices = 0;
    noticeArgs.clear();
    hidsim::clearCalls();
    hidsim::clearSentImages();
}

void TestSetters::cleanup()
{
    UsbServer_Exit();
    hidsim::waitIdle();
}

void TestSetters::writeRule_data()
{
    QTest::addColumn<SetterCase>("setter");

    static const u8 entryA[6] = {0x11, 0x12, 0x13, 0x14, 0x15, 0x16};
    static const u8 entryB[6] = {0x21, 0x22, 0x23, 0x24, 0x25, 0x26};
    static const u8 function[3] = {5, 0, 0};
    static KeyParamRecord keys;
    std::memset(&keys, 0xA5, sizeof keys);
    static u8 macro[592];
    std::memset(macro, 0x5A, sizeof macro);

    auto add = [](const char *name, std::function<bool()> call, ByteChanges changes) {
        QTest::newRow(name) << SetterCase{std::move(call), std::move(changes)};
    };
    auto range = [](int offset, const u8 *bytes, int n) {
        ByteChanges c;
        for (int i = 0; i < n; ++i)
            c.push_back({offset + i, bytes[i]});
        return c;
    };

    add("setReportRate", [] { return setReportRate(0x20); }, {{0, 0x20}});
    add("setDpiLevelCount", [] { return setDpiLevelCount(6); }, {{1, 6}});
    add("setCurrentDpiLevel", [] { return setCurrentDpiLevel(5); }, {{2, 5}});
    add("setOption03", [] { return setOption03(0x33); }, {{3, 0x33}});
    add("setOption04", [] { return setOption04(0); }, {{4, 0}});
    add("setOption04B", [] { return setOption04B(0); }, {{4, 0}});
    add("setLiftOffDistance", [] { return setLiftOffDistance(3); }, {{5, 3}});
    add("setDebounceTime", [] { return setDebounceTime(12); }, {{6, 12}});
    add("setMotionSync", [] { return setMotionSync(1); }, {{7, 1}});
    add("setLedIdleOffTime", [] { return setLedIdleOffTime(240); }, {{8, 240}});
    add("setAngleSnapping", [] { return setAngleSnapping(1); }, {{9, 1}});
    add("setRippleControl", [] { return setRippleControl(1); }, {{10, 1}});
    add("setLedOffWhileMoving", [] { return setLedOffWhileMoving(1); }, {{11, 1}});
    add("setOption0C", [] { return setOption0C(0); }, {{12, 0}, {4, 0}});
    add("setSleepTime", [] { return setSleepTime(180); }, {{13, 180}});
    add("setOption0E", [] { return setOption0E(0xEE); }, {{14, 0xEE}});
    add("setDpiLevelValue", [] { return setDpiLevelValue(7, 0xA1, 0xA2, 0xA3); },
        {{57, 0xA1}, {58, 0xA2}, {59, 0xA3}});
    add("setDpiLevelColor", [] { return setDpiLevelColor(2, 0xB1, 0xB2, 0xB3); },
        {{30, 0xB1}, {31, 0xB2}, {32, 0xB3}});
    {
        ByteChanges c = range(15 + 6 * 1, entryA, 6);
        const ByteChanges b = range(15 + 6 * 4, entryB, 6);
        c.insert(c.end(), b.begin(), b.end());
        c.push_back({2, 3});
        c.push_back({1, 4});
        add("swapDpiLevels", [] { return swapDpiLevels(entryA, entryB, 4, 1, 3); }, c);
    }
    add("setDpiLedMode", [] { return setDpiLedMode(2); }, {{63, 2}, {66, 1}});
    add("setDpiLedBrightness", [] { return setDpiLedBrightness(0x64); }, {{64, 0x64}});
    add("setDpiLedSpeed", [] { return setDpiLedSpeed(0x65); }, {{65, 0x65}});
    add("setLightMode", [] { return setLightMode(3); }, {{67, 3}, {73, 1}});
    add("setLightColor", [] { return setLightColor(0xC1, 0xC2, 0xC3); }, {{68, 0xC1}, {69, 0xC2}, {70, 0xC3}});
    add("setLightSpeed", [] { return setLightSpeed(0x47); }, {{71, 0x47}});
    add("setLightBrightness", [] { return setLightBrightness(0x48); }, {{72, 0x48}});
    add("setButtonFunction", [] { return setButtonFunction(15, 10, 0x22, 0x33); },
        {{119, 10}, {120, 0x22}, {121, 0x33}});
    {
        ByteChanges c = range(74 + 3 * 2, function, 3);
        const ByteChanges k = range(124 + 52 * 2, keys.bytes, 52);
        c.insert(c.end(), k.begin(), k.end());
        add("setButtonKeys", [] { return setButtonKeys(2, function, &keys); }, c);
    }
    {
        const u8 macroFunction[3] = {6, 5, 9};
        ByteChanges c = range(74 + 3 * 5, macroFunction, 3);
        const ByteChanges k = range(956 + 592 * 5, macro, 592);
        c.insert(c.end(), k.begin(), k.end());
        add("SendMacroToDevice", [] { return SendMacroToDevice(5, ButtonFunction{6, 5, 9}, macro); }, c);
    }
    {
        // Type and code stay as the mouse holds them; the parameter is the loop mode.
        ByteChanges c = {{74 + 3 * 4 + 2, 9}};
        const ByteChanges k = range(956 + 592 * 4, macro, 592);
        c.insert(c.end(), k.begin(), k.end());
        add("resendButtonMacro", [] { return resendButtonMacro(4, macro, 9); }, c);
        add("resendButtonMacro as held", [] { return resendButtonMacro(4, nullptr); }, {});
    }
}

void TestSetters::writeRuleOffline()
{
    QFETCH(SetterCase, setter);
    setMouseOnline(false);
    const QByteArray before = imageBytes(g_flashDataMap);

    QVERIFY(!setter.call());

    QCOMPARE(imageBytes(g_flashDataMap), before);
    QCOMPARE(notices, 1);
    QCOMPARE(noticeArgs.value(0), 0);
    QCOMPARE(hidsim::countCalls("ProtocolDataUpdate"), 0);
    QVERIFY(hidsim::sentImages().empty());
}

void TestSetters::writeRuleOfflineWhileRefreshing()
{
    QFETCH(SetterCase, setter);
    setMouseOnline(false);
    const QByteArray before = imageBytes(g_flashDataMap);
    g_buttonPageRefreshing = 1;

    QVERIFY(!setter.call());

    QCOMPARE(imageBytes(g_flashDataMap), before);
    QCOMPARE(notices, 0);
    QCOMPARE(hidsim::countCalls("ProtocolDataUpdate"), 0);
}

void TestSetters::writeRuleOnline()
{
    QFETCH(SetterCase, setter);
    setMouseOnline(true);
    QByteArray expected = imageBytes(g_flashDataMap);
    for (const auto &change : setter.changes)
        expected[change.first] = char(change.second);
    // The refresh flag only silences the notice; it never stops a write.
    g_buttonPageRefreshing = 1;

    QVERIFY(setter.call());

    QCOMPARE(imageBytes(g_flashDataMap), expected);
    QCOMPARE(notices, 0);
    QCOMPARE(hidsim::countCalls("ProtocolDataUpdate"), 1);
    const auto sent = hidsim::sentImages();
    QCOMPARE(int(sent.size()), 1);
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(sent.front().data()), int(sent.front().size())), expected);

    // The mouse itself now holds the written fields.
    QVERIFY(hidsim::waitIdle());
    const QByteArray held = deviceImage();
    QCOMPARE(held.size(), kFlashDataMapSize);
    for (const auto &change : setter.changes)
        QCOMPARE(u8(held[change.first]), change.second);
}

void TestSetters::isDeviceOnlineNeverSends()
{
    setMouseOnline(true);
    const QByteArray before = imageBytes(g_flashDataMap);
    QVERIFY(isDeviceOnline());
    QCOMPARE(notices, 0);

    setMouseOnline(false);
    QVERIFY(!isDeviceOnline());
    QCOMPARE(notices, 1);
    g_buttonPageRefreshing = 1;
    QVERIFY(!isDeviceOnline());
    QCOMPARE(notices, 1);

    QCOMPARE(hidsim::countCalls("ProtocolDataUpdate"), 0);
    QCOMPARE(imageBytes(g_flashDataMap), before);
}

void TestSetters::option0CClearsOption04_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("option04");
    QTest::newRow("off clears option04") << 0 << 0;
    QTest::newRow("on keeps option04") << 1 << 1;
    QTest::newRow("other value keeps option04") << 2 << 1;
}

void TestSetters::option0CClearsOption04()
{
    QFETCH(int, value);
    QFETCH(int, option04);
    setMouseOnline(true);
    g_flashDataMap.option04 = 1;
    QVERIFY(setOption0C(value));
    const u8 *p = reinterpret_cast<const u8 *>(&g_flashDataMap);
    QCOMPARE(int(p[12]), value);
    QCOMPARE(int(p[4]), option04);
    QCOMPARE(hidsim::countCalls("ProtocolDataUpdate"), 1);
}

void TestSetters::modeZeroSwitchesOffAndKeepsMode()
{
    setMouseOnline(true);
    g_flashDataMap.lightMode = 2;
    g_flashDataMap.lightEnable = 1;
    g_flashDataMap.dpiLedMode = 1;
    g_flashDataMap.dpiLedEnable = 1;

    QVERIFY(setLightMode(0));
    QCOMPARE(int(g_flashDataMap.lightEnable), 0);
    QCOMPARE(int(g_flashDataMap.lightMode), 2);
    QVERIFY(setDpiLedMode(0));
    QCOMPARE(int(g_flashDataMap.dpiLedEnable), 0);
    QCOMPARE(int(g_flashDataMap.dpiLedMode), 1);

    QVERIFY(setLightMode(3));
    QCOMPARE(int(g_flashDataMap.lightEnable), 1);
    QCOMPARE(int(g_flashDataMap.lightMode), 3);
    QVERIFY(setDpiLedMode(2));
    QCOMPARE(int(g_flashDataMap.dpiLedEnable), 1);
    QCOMPARE(int(g_flashDataMap.dpiLedMode), 2);

    QCOMPARE(hidsim::countCalls("ProtocolDataUpdate"), 4);
}

void TestSetters::swapDpiLevelsOrder_data()
{
    QTest::addColumn<int>("levelA");
    QTest::addColumn<int>("levelB");
    QTest::addColumn<int>("level");
    QTest::newRow("distinct levels") << 5 << 2 << 2;
    QTest::newRow("equal levels: B is stored last") << 3 << 3 << 3;
    QTest::newRow("first level") << 0 << 0 << 0;
}

void TestSetters::swapDpiLevelsOrder()
{
    QFETCH(int, levelA);
    QFETCH(int, levelB);
    QFETCH(int, level);
    setMouseOnline(true);
    const DpiLevel a = {{0x01, 0x02, 0x03}, 0xAA, 0xAB, 0xAC};
    const DpiLevel b = {{0x04, 0x05, 0x06}, 0xBA, 0xBB, 0xBC};
    const FlashDataMap before = g_flashDataMap;

    QVERIFY(swapDpiLevels(a, b, levelB, levelA, u8(level)));

    QCOMPARE(QByteArray(reinterpret_cast<const char *>(&g_flashDataMap.dpiLevels[levelB]), 6),
             QByteArray(reinterpret_cast<const char *>(&b), 6));
    if (levelA != levelB)
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(&g_flashDataMap.dpiLevels[levelA]), 6),
                 QByteArray(reinterpret_cast<const char *>(&a), 6));
    for (int i = 0; i < 8; ++i) {
        if (i != levelA && i != levelB)
            QCOMPARE(std::memcmp(&g_flashDataMap.dpiLevels[i], &before.dpiLevels[i], 6), 0);
    }
    QCOMPARE(int(g_flashDataMap.dpiLevel), level);
    QCOMPARE(int(g_flashDataMap.dpiLevelCount), level + 1);
    QCOMPARE(hidsim::countCalls("ProtocolDataUpdate"), 1);
}

void TestSetters::pageMayWrite_data()
{
    QTest::addColumn<int>("gate");
    QTest::addColumn<int>("buttonRefreshing");
    QTest::addColumn<int>("lightRefreshing");
    QTest::addColumn<bool>("gateOnly");
    QTest::addColumn<bool>("buttonPage");
    QTest::addColumn<bool>("lightPage");
    QTest::newRow("gate shut") << 0 << 0 << 0 << false << false << false;
    QTest::newRow("gate open") << 1 << 0 << 0 << true << true << true;
    QTest::newRow("button page refreshing") << 1 << 1 << 0 << true << false << true;
    QTest::newRow("lighting page refreshing") << 1 << 0 << 1 << true << true << false;
    QTest::newRow("gate shut, both refreshing") << 0 << 1 << 1 << false << false << false;
}

void TestSetters::pageMayWrite()
{
    QFETCH(int, gate);
    QFETCH(int, buttonRefreshing);
    QFETCH(int, lightRefreshing);
    g_uiWriteEnabled = u8(gate);
    g_buttonPageRefreshing = u8(buttonRefreshing);
    g_lightPageRefreshing = u8(lightRefreshing);

    QTEST(::pageMayWrite(), "gateOnly");
    QTEST(::pageMayWrite(PageRefresh::ButtonPage), "buttonPage");
    QTEST(::pageMayWrite(PageRefresh::LightPage), "lightPage");
    // Asking never talks to the device.
    QVERIFY(hidsim::calls().empty());
}

void TestSetters::profileOnlyWhenOnline()
{
    const QByteArray before = imageBytes(g_flashDataMap);
    setMouseOnline(false);
    QVERIFY(!setCurrentProfile(2));
    QCOMPARE(notices, 1);
    QCOMPARE(hidsim::countCalls("UsbServer_SetCurrentConfig"), 0);

    setMouseOnline(true);
    QVERIFY(setCurrentProfile(2));
    QCOMPARE(notices, 1);
    QCOMPARE(hidsim::calls().back(), std::string("UsbServer_SetCurrentConfig(2)"));
    // The profile is the device's own; the image is neither changed nor sent.
    QCOMPARE(imageBytes(g_flashDataMap), before);
    QCOMPARE(hidsim::countCalls("ProtocolDataUpdate"), 0);
}

void TestSetters::wholeImageSentAsGiven()
{
    setMouseOnline(true);
    FlashDataMap imported = g_flashDataMap;
    imported.sleepTime = 60;
    imported.dpiLevels[3].r = 0x7E;

    sendWholeImage(imported);

    QCOMPARE(imageBytes(g_flashDataMap), imageBytes(imported));
    const auto sent = hidsim::sentImages();
    QCOMPARE(int(sent.size()), 1);
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(sent.front().data()), int(sent.front().size())),
             imageBytes(imported));
}

void TestSetters::factoryResetOrder()
{
    setMouseOnline(true);
    QTimer watch;
    watch.setInterval(1300);
    watch.start();
    g_checkTimer = &watch;
    g_buttonUiUpToDate = 1;

    startFactoryReset();
    QVERIFY(!watch.isActive());
    QCOMPARE(int(g_configApplying), 1);
    QCOMPARE(int(g_buttonUiUpToDate), 0);
    QCOMPARE(int(g_workerReadPending), 1);
    const std::vector<std::string> expected = {"UsbServer_SetBatteryOptimizeEnable(0)", "ProtocolDataUpdate()",
                                               "UsbServer_SetClearSetting()"};
    QCOMPARE(hidsim::calls(), expected);
    QCOMPARE(int(hidsim::sentImages().size()), 1);

    finishFactoryReset();
    QVERIFY(watch.isActive());
    QCOMPARE(int(g_configApplying), 0);
    g_checkTimer = nullptr;
}

QTEST_MAIN(TestSetters)
#include "tst_setters.moc"

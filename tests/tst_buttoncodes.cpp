// Button functions and key records as the simulated mouse receives them:
// consumer keys, key combinations, what is refused, and the default key
// functions of the product configuration.

#include "buttoncodes.h"
#include "devicesetters.h"
#include "devicestate.h"
#include "globals.h"
#include "testsupport.h"

#include <HIDUsb.h>
#include <hidusb_sim.h>

#include <QTemporaryDir>
#include <QtTest>

namespace {

const char kMouse[] = "M1";

void ignoreEvents(const unsigned char *, int, const unsigned char *, unsigned int)
{
}

// Event bytes as the record holds them: action, kind, code, delay 10.
QByteArray ev(int action, int kind, int code)
{
    const char b[8] = {char(action), char(kind), char(code & 0xFF), char(code >> 8), 10, 0, 0, 0};
    return QByteArray(b, 8);
}

QByteArray recordOf(int count, const QList<QByteArray> &events)
{
    QByteArray r(4, '\0');
    r[0] = char(count);
    for (const QByteArray &e : events)
        r += e;
    return r.leftJustified(52, '\0');
}

} // namespace

class TestButtonCodes : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir stateDir;
    QByteArray receiverPath;

    // What the mouse holds for device button k: its function and record.
    QByteArray heldButton(int k)
    {
        if (!hidsim::waitIdle())
            return QByteArray();
        QByteArray image(kFlashDataMapSize, '\0');
        if (!hidsim::storedImage(kMouse, reinterpret_cast<unsigned char *>(image.data())))
            return QByteArray();
        return image.mid(74 + 3 * k, 3) + image.mid(124 + 52 * k, 52);
    }

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void consumerKeys_data();
    void consumerKeys();
    void combinations_data();
    void combinations();
    void offlineWritesNothing();
    void keyParamDefaults_data();
    void keyParamDefaults();
};

void TestButtonCodes::initTestCase()
{
    QVERIFY(stateDir.isValid());
    registerDeviceMetaTypes();
    hidsim::setStateDir(stateDir.path().toLocal8Bit().constData());
}

void TestButtonCodes::init()
{
    resetDeviceBench();
    receiverPath = QByteArray::fromStdString(hidsim::pathOf("R1"));
    g_deviceHandle = receiverPath.constData();
    QVERIFY(hidsim::storedImage(kMouse, reinterpret_cast<unsigned char *>(&g_flashDataMap)));
    UsbServerC_Start(g_deviceHandle, g_deviceHandle, ignoreEvents);
    hidsim::clearSentImages();
}

void TestButtonCodes::cleanup()
{
    UsbServer_Exit();
    hidsim::waitIdle();
}

void TestButtonCodes::consumerKeys_data()
{
    QTest::addColumn<int>("low");
    QTest::addColumn<int>("usage");   // 0: no such key
    // The sixteen media and application keys, by their usage of the
    // consumer page of the HID Usage Tables.
    const struct {
        const char *name;
        int usage;
    } keys[] = {
        {"Media Player", 0x0183}, {"Play/Pause", 0x00CD}, {"Next", 0x00B5},        {"Mute", 0x00E2},
        {"Previous", 0x00B6},     {"Stop play", 0x00B7},  {"Volume up", 0x00E9},   {"Volume down", 0x00EA},
        {"Email", 0x018A},        {"Calculator", 0x0192}, {"My computer", 0x0194}, {"Home page", 0x0223},
        {"Search", 0x0221},       {"Stop web", 0x0226},   {"Refresh", 0x0227},     {"Favorites", 0x022A},
    };
    for (const auto &k : keys)
        QTest::newRow(k.name) << (k.usage & 0xFF) << k.usage;
    QTest::newRow("no key 0x10") << 0x10 << 0;
    QTest::newRow("no key 0x84") << 0x84 << 0;
}

// Every consumer key reaches device button 3 byte for byte; an unknown
// byte or a button off the page sends nothing.
void TestButtonCodes::consumerKeys()
{
    QFETCH(int, low);
    QFETCH(int, usage);
    const QByteArray before = heldButton(3);

    QVERIFY(!writeConsumerKey(6, low));
    QVERIFY(!writeConsumerKey(-1, low));
    const ConsumerKey *key = writeConsumerKey(3, low);

    if (!usage) {
        QVERIFY(!key);
        QVERIFY(hidsim::sentImages().empty());
        QCOMPARE(heldButton(3), before);
        return;
    }
    QVERIFY(key);
    QCOMPARE(int(key->usage), usage);
    QCOMPARE(QString(key->text), QString(QTest::currentDataTag()));
    QCOMPARE(int(hidsim::sentImages().size()), 1);
    const QByteArray expected =
        QByteArray::fromHex("050000") + recordOf(2, {ev(0, 2, usage), ev(1, 2, usage)});
    QCOMPARE(heldButton(3).toHex(' '), expected.toHex(' '));
}

void TestButtonCodes::combinations_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("record");   // empty: refused

    QTest::newRow("Ctrl+C") << "Ctrl+C"
        << recordOf(4, {ev(0, 0, 0x01), ev(0, 1, 0x06), ev(1, 1, 0x06), ev(1, 0, 0x01)});
    QTest::newRow("Ctrl+Shift+A releases in reverse") << "Ctrl+Shift+A"
        << recordOf(6, {ev(0, 0, 0x01), ev(0, 0, 0x02), ev(0, 1, 0x04),
                        ev(1, 1, 0x04), ev(1, 0, 0x02), ev(1, 0, 0x01)});
    QTest::newRow("Tab") << "Tab" << recordOf(2, {ev(0, 1, 0x2B), ev(1, 1, 0x2B)});
    QTest::newRow("Ctrl+Num+") << "Ctrl+Num+"
        << recordOf(4, {ev(0, 0, 0x01), ev(0, 1, 0x57), ev(1, 1, 0x57), ev(1, 0, 0x01)});
    QTest::newRow("A++B: empty middle") << "A++B"
        << recordOf(6, {ev(0, 1, 0x04), ev(0, 1, 0), ev(0, 1, 0x05),
                        ev(1, 1, 0x05), ev(1, 1, 0), ev(1, 1, 0x04)});
    QTest::newRow("Right Alt+Enter") << "Right Alt+Enter"
        << recordOf(4, {ev(0, 0, 0x40), ev(0, 1, 0x28), ev(1, 1, 0x28), ev(1, 0, 0x40)});
    QTest::newRow("four parts refused") << "Ctrl+Shift+Alt+A" << QByteArray();
    QTest::newRow("product data with five parts") << "A+B+C+D+E" << QByteArray();
}

// The record reaches device button 5, and the record after it (button 6)
// is never touched; a refused text sends nothing.
void TestButtonCodes::combinations()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, record);
    const QByteArray before = heldButton(5);
    const QByteArray next = heldButton(6);

    const bool written = writeCombinationKey(5, text);

    QCOMPARE(written, !record.isEmpty());
    QCOMPARE(heldButton(6), next);
    if (record.isEmpty()) {
        QVERIFY(!SplitKeyCombination(text));
        QVERIFY(hidsim::sentImages().empty());
        QCOMPARE(heldButton(5), before);
        return;
    }
    QCOMPARE(heldButton(5).toHex(' '), (QByteArray::fromHex("050000") + record).toHex(' '));
    QVERIFY(!writeCombinationKey(6, text));
    QCOMPARE(int(hidsim::sentImages().size()), 1);
}

void TestButtonCodes::offlineWritesNothing()
{
    QVERIFY(hidsim::setOnline(kMouse, false));
    QVERIFY(hidsim::waitIdle());
    const QByteArray before = heldButton(2);
    const QByteArray image(reinterpret_cast<const char *>(&g_flashDataMap), kFlashDataMapSize);

    QVERIFY(!writeConsumerKey(2, 0xE9));
    QVERIFY(!writeCombinationKey(2, "Ctrl+C"));

    QCOMPARE(QByteArray(reinterpret_cast<const char *>(&g_flashDataMap), kFlashDataMapSize), image);
    QVERIFY(hidsim::sentImages().empty());
    QCOMPARE(heldButton(2), before);
}

void TestButtonCodes::keyParamDefaults_data()
{
    QTest::addColumn<QStringList>("list");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("low");
    QTest::addColumn<QString>("text");

    QTest::newRow("shipped consumer key") << QStringList{"0x05", "0x00", "0xCD"}
                                          << int(KeyParamDefault::Consumer) << 0xCD << "";
    QTest::newRow("low byte without 0x") << QStringList{"0x05", "0x00", "E9"}
                                         << int(KeyParamDefault::Consumer) << 0xE9 << "";
    QTest::newRow("not hexadecimal") << QStringList{"0x05", "0x00", "zz"}
                                     << int(KeyParamDefault::Consumer) << 0 << "";
    QTest::newRow("combination") << QStringList{"0x05", "0x00", "0x00", "Ctrl+C"}
                                 << int(KeyParamDefault::Combination) << 0 << "Ctrl+C";
    QTest::newRow("two elements") << QStringList{"0x05", "0x00"} << int(KeyParamDefault::NoChange) << 0 << "";
    QTest::newRow("mouse function") << QStringList{"0x01", "0x01", "0x00"}
                                    << int(KeyParamDefault::MouseDefault) << 0 << "";
    QTest::newRow("missing list") << QStringList() << int(KeyParamDefault::MouseDefault) << 0 << "";
}

void TestButtonCodes::keyParamDefaults()
{
    QFETCH(QStringList, list);
    QFETCH(int, kind);
    QFETCH(int, low);
    QFETCH(QString, text);
    const KeyParamDefault d = keyParamDefault(list);
    QCOMPARE(int(d.kind), kind);
    QCOMPARE(d.usageLow, low);
    QCOMPARE(d.text, text);
}

QTEST_GUILESS_MAIN(TestButtonCodes)
#include "tst_buttoncodes.moc"

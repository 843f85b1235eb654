// The key tables: every view over the same names and codes, the gaps and
// quirks the labels, combination texts and macro files depend on, and the
// combination tokeniser.

#include "buttoncodes.h"
#include "globals.h"
#include "keytables.h"
#include "testsupport.h"

#include <QtTest>

#include <cstring>

namespace {

MouseButtonNames sampleMouseNames()
{
    return {"Left", "Right", "Middle", "Back", "Forward"};
}

} // namespace

class TestKeyTables : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void codeToName_data();
    void codeToName();
    void everyCodeAndKind();
    void nameToCodeViews_data();
    void nameToCodeViews();
    void everyKeyRoundTrips();
    void hexTextToName_data();
    void hexTextToName();
    void combinationTokens_data();
    void combinationTokens();
    void comboEvents_data();
    void comboEvents();
};

void TestKeyTables::init()
{
    resetAllGlobals();
    g_mouseButtonName1 = "Left";
    g_mouseButtonName2 = "Right";
    g_mouseButtonName4 = "Middle";
    g_mouseButtonName8 = "Back";
    g_mouseButtonName16 = "Forward";
}

void TestKeyTables::codeToName_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("label");   // KeyCodeToName
    QTest::addColumn<QString>("macro");   // DeviceKeyToKeyName

    QTest::newRow("A as key") << 0x04 << 1 << "A" << "A";
    QTest::newRow("0x04 as modifier") << 0x04 << 0 << "Alt" << "LAlt";
    QTest::newRow("0x04 as consumer") << 0x04 << 2 << "" << "";
    QTest::newRow("0x08 modifier") << 0x08 << 0 << "Win" << "LWin";
    QTest::newRow("0x20 modifier") << 0x20 << 0 << "Right Shift" << "RShift";
    QTest::newRow("0x20 key") << 0x20 << 1 << "3" << "3";
    QTest::newRow("0x40 modifier") << 0x40 << 0 << "Right Alt" << "RAlt";
    QTest::newRow("0x40 mouse kind") << 0x40 << 4 << "" << "F7";
    QTest::newRow("0x40 consumer kind") << 0x40 << 2 << "" << "F7";
    QTest::newRow("0x01 any kind") << 0x01 << 1 << "Ctrl" << "LCtrl";
    QTest::newRow("0x80 as key") << 0x80 << 1 << "Win" << "RWin";
    QTest::newRow("keypad Enter") << 0x58 << 1 << "Enter" << "Enter";
    QTest::newRow("Num3") << 0x5B << 1 << "Num3" << "Num3";
    QTest::newRow("code 0") << 0x00 << 1 << "" << "";
    QTest::newRow("0x32 has no name") << 0x32 << 1 << "" << "";
    QTest::newRow("wide code") << 0x104 << 1 << "" << "";
}

void TestKeyTables::codeToName()
{
    QFETCH(int, code);
    QFETCH(int, kind);
    QFETCH(QString, label);
    QFETCH(QString, macro);
    QCOMPARE(KeyCodeToName(code, kind), label);
    QCOMPARE(DeviceKeyToKeyName(code, kind), macro);
}

// Over the whole byte range: the two vocabularies differ only in modifier
// names, a name appears only for a named code, and the shared codes follow
// the kind.
void TestKeyTables::everyCodeAndKind()
{
    const QSet<int> modifierOnly = {0x01, 0x02, 0x80};
    const QSet<int> shared = {0x04, 0x08, 0x10, 0x20, 0x40};
    for (int code = 0; code <= 0xFF; ++code) {
        for (int kind : {0, 1, 2, 4}) {
            const QString label = KeyCodeToName(code, kind);
            const QString macro = DeviceKeyToKeyName(code, kind);
            const QByteArray where = QByteArray::number(code, 16) + "/" + QByteArray::number(kind);
            int usage = -1;
            for (const KeyboardKey &k : keyboardKeys()) {
                if (k.usage == code)
                    usage = k.usage;
            }
            if (modifierOnly.contains(code)) {
                QVERIFY2(macroModifierBit(macro) == code, where);
            } else if (shared.contains(code) && kind == 0) {
                QVERIFY2(combinationModifierBit(label) == code, where);
                QVERIFY2(macroModifierBit(macro) == code, where);
            } else if (shared.contains(code) && kind != 1) {
                QVERIFY2(label.isEmpty(), where);
                QCOMPARE(macro, code == 0x40 ? QString("F7") : QString());
            } else if (code == 0x58) {
                QCOMPARE(label, QString("Enter"));
            } else if (usage >= 0) {
                QVERIFY2(!label.isEmpty() && label == macro, where);
                QVERIFY2(keyboardUsageOf(label) == code, where);
            } else {
                QVERIFY2(label.isEmpty() && macro.isEmpty(), where);
            }
        }
    }
}

void TestKeyTables::nameToCodeViews_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("hex");   // KeyNameToHexCode
    QTest::addColumn<int>("eventKind");     // KeyNameToMacroEvent, kind byte
    QTest::addColumn<int>("eventCode");     // code bytes; -1: left as they were

    QTest::newRow("Tab") << "Tab" << QStringList{"0x2B", "1"} << 1 << 0x2B;
    QTest::newRow("Enter is 0x28") << "Enter" << QStringList{"0x28", "1"} << 1 << 0x28;
    QTest::newRow("RWin") << "RWin" << QStringList{"0x80", "0"} << 0 << 0x80;
    QTest::newRow("forward button") << "Forward" << QStringList{"0x10", "4"} << 4 << 0x10;
    QTest::newRow("empty name") << "" << QStringList{"0x00", "1"} << 1 << 0;
    QTest::newRow("left arrow") << QString(QChar(0x2190)) << QStringList{"0x50", "1"} << 1 << 0x50;
    QTest::newRow("combination name") << "Ctrl" << QStringList() << 1 << -1;
    QTest::newRow("lower case") << "tab" << QStringList() << 1 << -1;
}

void TestKeyTables::nameToCodeViews()
{
    QFETCH(QString, name);
    QFETCH(QStringList, hex);
    QFETCH(int, eventKind);
    QFETCH(int, eventCode);

    QCOMPARE(KeyNameToHexCode(name), hex);

    u8 block[592];
    std::memset(block, 0xEE, sizeof block);
    const int index = 3;
    KeyNameToMacroEvent(name, index, block);
    const u8 *event = block + 32 + 8 * index;
    QCOMPARE(int(event[0]), 0xEE);
    QCOMPARE(int(event[1]), eventKind);
    QCOMPARE(int(event[2] | (event[3] << 8)), eventCode < 0 ? 0xEEEE : eventCode);
    QCOMPARE(int(event[4]), 0xEE);
    QCOMPARE(int(event[7]), 0xEE);

    // The last event of the block is written, one past it never is.
    std::memset(block, 0, sizeof block);
    KeyNameToMacroEvent("A", kMacroEventSlots - 1, block);
    QCOMPARE(int(block[592 - 6]), 0x04);
    KeyNameToMacroEvent("A", kMacroEventSlots, block);
    KeyNameToMacroEvent("A", -1, block);
    int sum = 0;
    for (u8 b : block)
        sum += b;
    QCOMPARE(sum, 1 + 4);
}

// Every name survives each of its round trips, and with the mouse-button
// names still empty the empty name stays the keyboard's code 0.
void TestKeyTables::everyKeyRoundTrips()
{
    for (const KeyboardKey &k : keyboardKeys()) {
        const QStringList hex = KeyNameToHexCode(k.name);
        QCOMPARE(hex.size(), 2);
        QCOMPARE(KeyNameToCode(hex[0], hex[1].toInt()), k.name);
        QCOMPARE(KeyCodeToName(k.usage, 1), k.name);
        QCOMPARE(DeviceKeyToKeyName(k.usage, 1), k.name);
        const KeyParamRecord r = KeyNameToComboCode(k.name, 0, 1, KeyParamRecord{});
        QCOMPARE(int(keyEventAt(r, 0).code), k.usage);
    }
    for (const ModifierKey &m : modifierKeys()) {
        const QStringList hex = KeyNameToHexCode(m.macroName);
        QCOMPARE(KeyNameToCode(hex[0], hex[1].toInt()), m.macroName);
        QCOMPARE(DeviceKeyToKeyName(m.bit, 0), m.macroName);
        if (!m.combinationName.isEmpty()) {
            QCOMPARE(KeyCodeToName(m.bit, 0), m.combinationName);
            const KeyParamRecord r = KeyNameToComboCode(m.combinationName, 0, 1, KeyParamRecord{});
            QCOMPARE(int(keyEventAt(r, 1).code), m.bit);
            QCOMPARE(int(keyEventAt(r, 1).kind), 0);
        }
    }
    for (int bit : {0x01, 0x02, 0x04, 0x08, 0x10}) {
        const QString name = MouseButtonName(bit);
        QVERIFY(!name.isEmpty());
        QCOMPARE(KeyNameToCode(keyHexText(bit), 4), name);
    }
    // A translated button name equal to a key is the key.
    MouseButtonNames clash = sampleMouseNames();
    clash.middle = "Tab";
    QCOMPARE(KeyNameToHexCode("Tab", clash), (QStringList{"0x2B", "1"}));
    QCOMPARE(KeyNameToHexCode("", MouseButtonNames{}), (QStringList{"0x00", "1"}));
}

void TestKeyTables::hexTextToName_data()
{
    QTest::addColumn<QString>("hex");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("name");

    QTest::newRow("G") << "0x0A" << 1 << "G";
    QTest::newRow("lower-case digits") << "0x0a" << 1 << "";
    QTest::newRow("0x05 as modifier") << "0x05" << 0 << "";
    QTest::newRow("0x04 as mouse") << "0x04" << 4 << "Middle";
    QTest::newRow("back button") << "0x08" << 4 << "Back";
    QTest::newRow("keypad Enter has no row") << "0x58" << 1 << "";
    QTest::newRow("0x80 as key") << "0x80" << 1 << "";
    QTest::newRow("0x80 as modifier") << "0x80" << 0 << "RWin";
    QTest::newRow("0x00 is the empty name") << "0x00" << 1 << "";
}

void TestKeyTables::hexTextToName()
{
    QFETCH(QString, hex);
    QFETCH(int, kind);
    QFETCH(QString, name);
    QCOMPARE(KeyNameToCode(hex, kind), name);
}

void TestKeyTables::combinationTokens_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("tokens");

    QTest::newRow("Ctrl+C") << "Ctrl+C" << QStringList{"Ctrl", "C"};
    QTest::newRow("one key") << "Tab" << QStringList{"Tab"};
    QTest::newRow("A++B keeps the empty part") << "A++B" << QStringList{"A", "", "B"};
    QTest::newRow("Num+ alone") << "Num+" << QStringList{"Num+"};
    QTest::newRow("Ctrl+Num+") << "Ctrl+Num+" << QStringList{"Ctrl", "Num+"};
    QTest::newRow("Num+ first") << "Num++Shift" << QStringList{"Num+", "Shift"};
    QTest::newRow("Num- stays") << "Ctrl+Num-" << QStringList{"Ctrl", "Num-"};
    QTest::newRow("trailing plus") << "Ctrl+" << QStringList{"Ctrl", ""};
    QTest::newRow("empty text") << "" << QStringList{""};
}

void TestKeyTables::combinationTokens()
{
    QFETCH(QString, text);
    QFETCH(QStringList, tokens);
    QCOMPARE(::combinationTokens(text), tokens);
}

void TestKeyTables::comboEvents_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("code");   // -1: no slot written

    QTest::newRow("F alone") << "F" << 0 << 1 << 1 << 0x09;
    QTest::newRow("Win is 0x08") << "Win" << 1 << 3 << 0 << 0x08;
    QTest::newRow("macro name not held") << "LCtrl" << 0 << 1 << 1 << 0x7777;
    QTest::newRow("empty part") << "" << 1 << 3 << 1 << 0;
    QTest::newRow("release past the slots") << "A" << 0 << 4 << 0 << -1;
    QTest::newRow("index past count") << "A" << 2 << 2 << 0 << -1;
}

// One part's press and release: slots, action, delay, kind and code.
void TestKeyTables::comboEvents()
{
    QFETCH(QString, name);
    QFETCH(int, index);
    QFETCH(int, count);
    QFETCH(int, kind);
    QFETCH(int, code);

    KeyParamRecord start;
    std::memset(&start, 0, sizeof start);
    for (int slot = 0; slot < kKeyEventSlots; ++slot) {
        KeyEvent e;
        e.code = 0x7777;
        setKeyEvent(start, slot, e);
    }
    start.bytes[0] = 0x42;
    const KeyParamRecord r = KeyNameToComboCode(name, index, count, start);
    if (code < 0) {
        QVERIFY(std::memcmp(&r, &start, sizeof r) == 0);
        return;
    }
    QCOMPARE(int(r.bytes[0]), 0x42);
    const int release = 2 * count - 1 - index;
    for (int slot = 0; slot < kKeyEventSlots; ++slot) {
        const KeyEvent e = keyEventAt(r, slot);
        if (slot != index && slot != release) {
            QCOMPARE(int(e.code), 0x7777);
            QCOMPARE(int(e.delayMs), 0);
            continue;
        }
        QCOMPARE(int(e.action), slot == index ? 0 : 1);
        QCOMPARE(int(e.kind), kind);
        QCOMPARE(int(e.code), code);
        QCOMPARE(int(e.delayMs), 10);
    }
}

QTEST_GUILESS_MAIN(TestKeyTables)
#include "tst_keytables.moc"

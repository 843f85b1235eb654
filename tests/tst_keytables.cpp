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

// The named keys: name, usage of the keyboard page of the HID Usage Tables
// and Windows virtual-key code, written out here and not taken from the
// table under test.
struct Key {
    QString name;
    int usage;
    int vk;
};

QVector<Key> expectedKeys()
{
    QVector<Key> keys;
    for (int i = 0; i < 26; ++i)
        keys.append({QString(QChar('A' + i)), 0x04 + i, 'A' + i});
    for (int i = 1; i <= 9; ++i) {
        keys.append({QString::number(i), 0x1D + i, 0x30 + i});
        keys.append({"Num" + QString::number(i), 0x58 + i, 0x60 + i});
    }
    for (int i = 1; i <= 12; ++i)
        keys.append({"F" + QString::number(i), 0x39 + i, 0x6F + i});
    const struct {
        const char *name;   // UTF-8
        int usage, vk;
    } rest[] = {
        {"0", 0x27, 0x30},        {"Enter", 0x28, 0x0D},  {"Esc", 0x29, 0x1B},     {"BackSpace", 0x2A, 0x08},
        {"Tab", 0x2B, 0x09},      {"Space", 0x2C, 0x20},  {"-", 0x2D, 0xBD},       {"=", 0x2E, 0xBB},
        {"[", 0x2F, 0xDB},        {"]", 0x30, 0xDD},      {"\\", 0x31, 0xDC},     {";", 0x33, 0xBA},
        {"'", 0x34, 0xDE},        {"`", 0x35, 0xC0},      {",", 0x36, 0xBC},       {".", 0x37, 0xBE},
        {"/", 0x38, 0xBF},        {"CapsLock", 0x39, 0x14}, {"Screen", 0x46, 0x2C}, {"Scroll", 0x47, 0x91},
        {"Pause", 0x48, 0x13},    {"Insert", 0x49, 0x2D}, {"Home", 0x4A, 0x24},    {"PgUp", 0x4B, 0x21},
        {"Del", 0x4C, 0x2E},      {"End", 0x4D, 0x23},    {"PgDn", 0x4E, 0x22},    {"→", 0x4F, 0x27},
        {"←", 0x50, 0x25},   {"↓", 0x51, 0x28}, {"↑", 0x52, 0x26},  {"NumLock", 0x53, 0x90},
        {"Num/", 0x54, 0x6F},     {"Num*", 0x55, 0x6A},   {"Num-", 0x56, 0x6D},    {"Num+", 0x57, 0x6B},
        {"Num0", 0x62, 0x60},     {"Num.", 0x63, 0x6E},   {"APPs", 0x65, 0x5D},
    };
    for (const auto &k : rest)
        keys.append({QString::fromUtf8(k.name), k.usage, k.vk});
    return keys;
}

// The modifier bits with their combination and macro names and the
// virtual-key code of each key.
struct Modifier {
    int bit;
    const char *combination;
    const char *macro;
    int vk;
};
const Modifier kModifiers[] = {
    {0x01, "Ctrl", "LCtrl", 0xA2},        {0x02, "Shift", "LShift", 0xA0},       {0x04, "Alt", "LAlt", 0xA4},
    {0x08, "Win", "LWin", 0x5B},          {0x10, "Right Ctrl", "RCtrl", 0xA3},   {0x20, "Right Shift", "RShift", 0xA1},
    {0x40, "Right Alt", "RAlt", 0xA5},    {0x80, "", "RWin", 0x5C},
};

} // namespace

class TestKeyTables : public QObject
{
    Q_OBJECT

private slots:
    void init();

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

// Over the whole byte range, against the written-out tables: the two
// vocabularies differ only in modifier names, a name appears only for a
// named code, and the shared codes follow the kind.
void TestKeyTables::everyCodeAndKind()
{
    QMap<int, QString> byUsage, byVk;
    for (const Key &k : expectedKeys()) {
        byUsage[k.usage] = k.name;
        byVk[k.vk] = k.name;
    }
    for (const Modifier &m : kModifiers)
        byVk[m.vk] = m.macro;
    for (int code = 0; code <= 0xFF; ++code) {
        const Modifier *mod = nullptr;
        for (const Modifier &m : kModifiers)
            mod = m.bit == code ? &m : mod;
        const QString where = QString::asprintf("%02X/", code);
        for (int kind : {0, 1, 2, 4}) {
            QString label = code == 0x58 ? QString("Enter") : byUsage.value(code), macro = label;
            if (mod && !byUsage.contains(code)) {
                label = code == 0x80 ? QString("Win") : QString(mod->combination), macro = mod->macro;
            } else if (mod && kind == 0) {
                label = mod->combination, macro = mod->macro;
            } else if (mod && kind != 1) {
                label.clear();
                macro = code == 0x40 ? QString("F7") : QString();
            }
            QCOMPARE(where + QString::number(kind) + " " + KeyCodeToName(code, kind) + "|" + DeviceKeyToKeyName(code, kind),
                     where + QString::number(kind) + " " + label + "|" + macro);
        }
        const QString hex = QString::asprintf("0x%02X", code);
        QCOMPARE(where + KeyNameToCode(hex, 1) + "|" + KeyNameToCode(hex, 0),
                 where + (code == 0x58 ? QString() : byUsage.value(code)) + "|" + (mod ? mod->macro : ""));
        QCOMPARE(where + virtualKeyMacroName(code), where + byVk.value(code));
    }
    // Only the byte is a code: 0x104 is not A.
    QCOMPARE(KeyCodeToName(0x104, 1) + DeviceKeyToKeyName(0x104, 1), QString());
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

// Every name gives its own code in each view that takes a name, and the
// mouse-button names still empty leave the empty name the keyboard's code 0.
void TestKeyTables::everyKeyRoundTrips()
{
    u8 block[592] = {};
    for (const Key &k : expectedKeys()) {
        const QString hex = QString::asprintf("0x%02X", k.usage);
        QCOMPARE(KeyNameToHexCode(k.name), (QStringList{hex, "1"}));
        KeyNameToMacroEvent(k.name, 0, block);
        const KeyParamRecord r = KeyNameToComboCode(k.name, 0, 1, KeyParamRecord{});
        QCOMPARE(k.name + QString::asprintf(" %d %d, %d %d", block[33], block[34] | block[35] << 8,
                                            keyEventAt(r, 1).kind, keyEventAt(r, 1).code),
                 k.name + QString::asprintf(" 1 %d, 1 %d", k.usage, k.usage));
    }
    for (const Modifier &m : kModifiers) {
        QCOMPARE(KeyNameToHexCode(m.macro), (QStringList{QString::asprintf("0x%02X", m.bit), "0"}));
        const KeyParamRecord r = KeyNameToComboCode(m.combination, 0, 1, KeyParamRecord{});
        if (m.bit != 0x80) {   // no combination name maps to the right Win key
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

// The macro core: names, the key vocabulary of rows, macro files, the
// 592-byte device block and exchange files, byte for byte, and a macro that
// travels from its file to the simulated mouse and back.

#include "devicesetters.h"
#include "devicestate.h"
#include "globals.h"
#include "macroblock.h"
#include "macroexchange.h"
#include "macrofile.h"
#include "macrokeys.h"
#include "macroname.h"
#include "testsupport.h"

#include <HIDUsb.h>
#include <hidusb_sim.h>

#include <QDataStream>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

#include <cstring>

namespace {

const MouseButtonNames kEnglish{"Left", "Right", "Middle", "Back", "Forward"};
const MouseButtonNames kChinese{QString::fromUtf8("左键"), QString::fromUtf8("右键"), QString::fromUtf8("中键"),
                                QString::fromUtf8("后退"), QString::fromUtf8("前进")};

MacroRow row(const QString &name, int code, int kind, bool release, const QString &delay)
{
    MacroRow r;
    r.name = name;
    r.code = code;
    r.kind = kind;
    r.release = release;
    r.delay = delay;
    return r;
}

// "name|0xNN|kind|down/up|delay", one text per row, to compare whole lists.
QStringList describe(const MacroRows &rows)
{
    QStringList out;
    for (const MacroRow &r : rows)
        out << r.name + "|" + keyHexText(r.code) + "|" + QString::number(r.kind) + "|" +
                   (r.release ? "up" : "down") + "|" + r.delay;
    return out;
}

QByteArray blockBytes(const MacroDownloadRecord &block)
{
    return QByteArray(reinterpret_cast<const char *>(block.bytes()), int(sizeof block));
}

// The device block of a macro named `name` (ASCII) holding the rows
// described as describe() gives them, laid out byte by byte: name length,
// name, event count at 31, then 8 bytes an event (action, kind, code and
// delay, little-endian).
QByteArray expectedBlock(const QByteArray &name, const QStringList &rows)
{
    QByteArray b(592, '\0');
    b[0] = char(name.size());
    b.replace(1, name.size(), name);
    b[31] = char(rows.size());
    for (int i = 0; i < rows.size(); ++i) {
        const QStringList f = rows.at(i).split('|');
        const int code = f.at(1).mid(2).toInt(nullptr, 16);
        const quint32 delay = f.at(4).chopped(2).toUInt();
        const char event[8] = {char(f.at(3) == "up"), char(f.at(2).toInt()), char(code), char(code >> 8),
                               char(delay), char(delay >> 8), char(delay >> 16), char(delay >> 24)};
        b.replace(32 + 8 * i, 8, QByteArray(event, 8));
    }
    return b;
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QIcon picture(const QColor &color)
{
    QImage image(24, 24, QImage::Format_ARGB32);
    image.fill(color);
    return QIcon(QPixmap::fromImage(image));
}

const MacroRows &sampleRows()
{
    static const MacroRows rows = {
        row("A", 0x04, 1, false, "10ms"),
        row("A", 0x04, 1, true, "25ms"),
        row("Left", 0x01, 4, false, "10ms"),
        row("LShift", 0x02, 0, true, "0ms"),
    };
    return rows;
}

} // namespace

class TestMacroCore : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir *work = nullptr;
    QString folder;
    QString path(const QString &name) const { return folder + "/" + name; }
    QStringList folderFiles() const { return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name); }

private slots:
    void init();
    void cleanup();

    void nameCheck();
    void rowKeys();
    void recordingNames();
    void blockLayout();
    void blockLimitsAndReadBack();
    void fileRoundTrip_data();
    void fileRoundTrip();
    void fileGrammar_data();
    void fileGrammar();
    void folderOperations();
    void exchangeLayout();
    void exchangeRoundTrip();
    void exchangeRejects();
    void macroReachesTheMouse();
};

void TestMacroCore::init()
{
    resetAllGlobals();
    g_langButtoninterface.clear();
    work = new QTemporaryDir;
    QVERIFY(work->isValid());
    folder = work->path() + "/MacroPage";
    QVERIFY(QDir().mkpath(folder));
}

void TestMacroCore::cleanup()
{
    delete work;
    work = nullptr;
}

void TestMacroCore::nameCheck()
{
    const QString han = QString::fromUtf8("中");
    const struct {
        QString typed;
        QString name;
        bool fileName;   // usable as a file name as it stands (long names too)
    } cases[] = {
        {"macro1", "macro1", true},
        {"", "", false},
        {".", "", false},
        {"..", "", false},
        {"...", "...", true},
        {"../x", "..x", false},
        {"a/b\\c", "abc", false},
        // The folder's listing leaves out names holding "xml" (exactly so).
        {"myxml", "myxml", false},
        {"myXML", "myXML", true},
        {QString("a\nb") + QChar(0) + "c" + QChar(0x7F), "abc", false},
        {QString(31, 'x'), QString(30, 'x'), true},
        {han.repeated(11), han.repeated(10), true},
        // A letter is never cut from its combining mark.
        {QString(29, 'x') + "e" + QChar(0x0301), QString(29, 'x'), true},
    };
    for (const auto &c : cases) {
        QCOMPARE(usableMacroName(c.typed), c.name);
        QCOMPARE(isMacroFileName(c.typed), c.fileName);
    }
    const struct {
        const char *file;
        QString name;
    } files[] = {
        {"/tmp/x.ini", "x"}, {"a.ini.ini", "a.ini"}, {"C:/in/y.dat", "y.dat"}, {"/p/.ini", ""}, {"A.INI", "A.INI"},
        {"/p/...ini", ""}, {"/p/a.xml.ini", "a.xml"},
    };
    for (const auto &f : files)
        QCOMPARE(macroNameFromFileName(f.file), f.name);
    QCOMPARE(macroFilePath(folder, "../x"), QString());
    QCOMPARE(macroFilePath(folder, "m"), folder + "/m.ini");
}

void TestMacroCore::rowKeys()
{
    const struct {
        QString name;
        MouseButtonNames mouse;
        bool known;
        int code;
        int kind;
    } names[] = {
        {"A", kEnglish, true, 0x04, 1},
        {"LAlt", kEnglish, true, 0x04, 0},
        {"RWin", kEnglish, true, 0x80, 0},
        {"Enter", kEnglish, true, 0x28, 1},
        {QString(QChar(0x2190)), kEnglish, true, 0x50, 1},
        {"", MouseButtonNames(), true, 0x00, 1},   // the empty name before empty mouse names
        {"Forward", kEnglish, true, 0x10, 4},
        {"Forward", kChinese, false, 0x00, 1},      // a name of another language
        {"a", kEnglish, false, 0x00, 1},
        {"Ctrl", kEnglish, false, 0x00, 1},         // a combination name, not a macro name
    };
    for (const auto &n : names) {
        MacroKey key;
        QCOMPARE(macroKeyForName(n.name, n.mouse, &key), n.known);
        QCOMPARE(key.code, n.code);
        QCOMPARE(key.kind, n.kind);
        const MacroRow made = macroRowForName(n.name, true, n.mouse);
        QCOMPARE(describe({made}), describe({row(n.name, n.code, n.kind, true, "10ms")}));
        // The block gets the same kind and code from the name.
        MacroDownloadRecord block = emptyMacroBlock();
        KeyNameToDownloadBytes(n.name, 3, 69, &block, n.mouse);
        QCOMPARE(int(block.events[69].kind), n.kind);
        QCOMPARE(block.events[69].code(), n.code);
        const QStringList fileWords = {keyHexText(n.code), QString::number(n.kind)};
        QCOMPARE(KeyNameToHidCode(n.name, n.mouse), n.known ? fileWords : QStringList());
    }
    const struct {
        int code;
        int kind;
        bool pair;
    } pairs[] = {
        {0x00, 1, true},  {0x65, 1, true},  {0x58, 1, false}, {0x32, 1, false}, {0x66, 1, false},
        {0x80, 0, true},  {0x03, 0, false}, {0x10, 4, true},  {0x20, 4, false}, {0x04, 2, false},
    };
    for (const auto &p : pairs)
        QCOMPARE(isMacroKey(p.code, p.kind), p.pair);
    QCOMPARE(HidCodeToKeyName("0x10", 4, kEnglish), QString("Forward"));
}

void TestMacroCore::recordingNames()
{
    int rows = 0;
    for (int vk = 0; vk < 256; ++vk) {
        MacroRow recorded;
        if (!recordedRow(vk, false, &recorded))
            continue;
        ++rows;
        // Every recorded row names a key of the vocabulary and carries it,
        // so recorded rows write and send what they show.
        QVERIFY2(isMacroKey(recorded.code, recorded.kind), qPrintable(QString::number(vk, 16)));
        QCOMPARE(describe({recorded}), describe({macroRowForName(virtualKeyMacroName(vk), true, kEnglish)}));
    }
    QCOMPARE(rows, 104);
    const struct {
        int vk;
        bool row;
        QString shown;
    } spots[] = {
        {0x41, true, "A|0x04|1|down|10ms"},  {0x60, true, "Num0|0x62|1|down|10ms"},
        {0xA5, true, "RAlt|0x40|0|down|10ms"}, {0x5C, true, "RWin|0x80|0|down|10ms"},
        {0xDC, true, "\\|0x31|1|down|10ms"}, {0x0C, true, "|0x00|1|down|10ms"},   // keypad 5: the empty name
        {0x10, false, ""},                   {0x7C, false, ""},   // side-less Shift, F13
    };
    for (const auto &s : spots) {
        MacroRow recorded;
        QCOMPARE(recordedRow(s.vk, true, &recorded), s.row);
        if (s.row)
            QCOMPARE(describe({recorded}).value(0), s.shown);
    }
}

void TestMacroCore::blockLayout()
{
    const MacroRows rows = {
        row("LCtrl", 0x01, 0, false, "10ms"),
        row("C", 0x06, 1, false, "10ms"),
        row("C", 0x06, 1, true, "50ms"),
    };
    const MacroDownloadRecord block = buildMacroBlock("ab", rows);
    QByteArray expected(592, '\0');
    expected[0] = 2;
    expected[1] = 'a';
    expected[2] = 'b';
    expected[31] = 3;
    const QByteArray events = QByteArray::fromHex("0000010000000000" "0001060000000000" "0101060000000000");
    expected.replace(32, events.size(), events);
    expected[36] = 10;
    expected[44] = 10;
    expected[52] = 50;
    QCOMPARE(blockBytes(block), expected);
    QCOMPARE(blockBytes(macroBlockOf(FlashDataMap(), 16)), QByteArray(592, '\0'));

    const ButtonFunction f = macroButtonFunction(4, kLoopUntilReleased);
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(&f), 3), QByteArray::fromHex("0604FE"));
    const int deviceIndex[] = {0, 1, 2, 4, 3, 5, -1};
    for (int position = 0; position < 7; ++position)
        QCOMPARE(macroButtonDeviceIndex(position), deviceIndex[position]);
    QCOMPARE(macroDelayMs("70000ms"), 70000u);
    QCOMPARE(macroDelayMs("abc"), 0u);
    QCOMPARE(macroDelayMs("-5ms"), 0u);
}

void TestMacroCore::blockLimitsAndReadBack()
{
    // 71 rows and a 31-byte name: 70 events and 30 name bytes, nothing more.
    MacroRows many;
    for (int i = 0; i < 71; ++i)
        many << row("B", 0x05, 1, i % 2 == 1, QString::number(i) + "ms");
    MacroDownloadRecord block = buildMacroBlock(QString(31, 'n'), many);
    QCOMPARE(int(block.eventCount), 70);
    QCOMPARE(int(block.nameLength), 30);
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(block.name), 30), QByteArray(30, 'n'));
    QCOMPARE(block.events[69].delay(), 69u);
    const QString han = QString::fromUtf8("中");
    block = buildMacroBlock(han.repeated(11), {});
    QCOMPARE(QString::fromLocal8Bit(reinterpret_cast<const char *>(block.name), block.nameLength), han.repeated(10));

    // A count byte above 70 from the device reads 70 events, no further.
    block.eventCount = 200;
    QCOMPARE(macroBlockRows(block, kEnglish).size(), 70);

    // A name from the device is taken as it stands, all 30 bytes of it.
    MacroDownloadRecord full = emptyMacroBlock();
    std::memset(full.name, 'z', sizeof full.name);
    full.eventCount = 1;
    QCOMPARE(macroBlockStoredName(full), QString(30, 'z'));

    // Renaming keeps the events and leaves no byte of the longer name.
    block = buildMacroBlock("eightchr", sampleRows());
    renameMacroBlock(&block, "xy");
    QByteArray name(30, '\0');
    name[0] = 'x';
    name[1] = 'y';
    QCOMPARE(int(block.nameLength), 2);
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(block.name), 30), name);
    QCOMPARE(describe(macroBlockRows(block, kEnglish)), describe(sampleRows()));

    // Read back: every event keeps its delay, the last one too, and each
    // row stands for the key its name shows.
    MacroDownloadRecord device = emptyMacroBlock();
    const struct {
        int action, kind, code;
        quint32 delay;
    } events[] = {{0, 4, 0x10, 5}, {0, 1, 0x58, 6}, {1, 2, 0x40, 7}, {1, 1, 0x70, 8}, {0, 4, 0x20, 300}};
    for (int i = 0; i < 5; ++i) {
        device.events[i].action = u8(events[i].action);
        device.events[i].kind = u8(events[i].kind);
        device.events[i].setCode(events[i].code);
        device.events[i].setDelay(events[i].delay);
    }
    device.eventCount = 5;
    QCOMPARE(describe(macroBlockRows(device, kEnglish)),
             QStringList({"Forward|0x10|4|down|5ms", "Enter|0x28|1|down|6ms", "F7|0x40|1|up|7ms", "|0x00|1|up|8ms",
                          "|0x00|1|down|300ms"}));
}

void TestMacroCore::fileRoundTrip_data()
{
    QTest::addColumn<QString>("loop");
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("crlf");
    const struct {
        const char *loop;
        int mode;
    } loops[] = {{"253", 253}, {"254", 254}, {"255", 255}, {"1", 1}, {"250", 250}};
    for (const auto &l : loops) {
        QTest::addRow("%s CRLF", l.loop) << QString(l.loop) << l.mode << true;
        QTest::addRow("%s LF", l.loop) << QString(l.loop) << l.mode << false;
    }
}

void TestMacroCore::fileRoundTrip()
{
    QFETCH(QString, loop);
    QFETCH(int, mode);
    QFETCH(bool, crlf);
    const QByteArray expected = loop.toUtf8() +
                                "\r\n0x04 1 0\r\n10ms\r\n0x04 1 1\r\n25ms\r\n0x01 4 0\r\n10ms\r\n0x02 0 1\r\n0ms\r\n";
    QVERIFY(SaveMacroFile(folder, "m", loop, sampleRows()));   // made when missing
    QCOMPARE(readFile(path("m.ini")), expected);
    if (!crlf)
        QVERIFY(writeFile(path("m.ini"), QByteArray(expected).replace("\r\n", "\n")));

    MacroFileContent content;
    QVERIFY(loadMacroFile(folder, "m", kEnglish, &content));
    QVERIFY(content.hasLoopLine);
    QCOMPARE(content.loopText, loop);
    QCOMPARE(macroLoopMode(content.loopText), mode);
    QCOMPARE(ReadMacroHeader(folder, "m"), loop);
    QCOMPARE(describe(content.rows), describe(sampleRows()));

    MacroDownloadRecord fromFile;
    QVERIFY(ReadMacroFile(folder, "m", &fromFile));
    QCOMPARE(blockBytes(fromFile), expectedBlock("m", describe(sampleRows())));

    // In another language the mouse row has another name but the same key;
    // saved while the names change again, it still gives the same file.
    QVERIFY(loadMacroFile(folder, "m", kChinese, &content));
    QCOMPARE(content.rows.at(2).name, kChinese.left);
    QVERIFY(SaveMacroFile(folder, "m", loop, content.rows));
    QCOMPARE(readFile(path("m.ini")), expected);
}

void TestMacroCore::fileGrammar_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("loop");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("created") << QByteArray() << QString() << QStringList();
    QTest::newRow("no events") << QByteArray("254\r\n") << "254" << QStringList();
    QTest::newRow("blank first line") << QByteArray("   \n") << "" << QStringList();
    QTest::newRow("key line then key line")
        << QByteArray("1\n0x04 1 0\n0x05 1 0\n25ms\n") << "1" << QStringList({"A|0x04|1|down|10ms", "B|0x05|1|down|25ms"});
    QTest::newRow("last key line without line end")
        << QByteArray("1\r\n0x04 1 0\r\n10ms\r\n0x05 1 1") << "1" << QStringList({"A|0x04|1|down|10ms"});
    QTest::newRow("lower-case code") << QByteArray("1\n0x0a 1 0\n5ms\n") << "1" << QStringList({"|0x00|1|down|5ms"});
    QTest::newRow("keypad Enter") << QByteArray("1\n0x58 1 0\n5ms\n") << "1" << QStringList({"|0x00|1|down|5ms"});
    QTest::newRow("modifier and mouse")
        << QByteArray("1\n0x04 0 0\n1ms\n0x10 4 1\n7ms\n") << "1"
        << QStringList({"LAlt|0x04|0|down|1ms", "Forward|0x10|4|up|7ms"});
    QTest::newRow("other action, early delay") << QByteArray("1\n99ms\n0x04 1 2\n5ms\n") << "1" << QStringList();
    QTest::newRow("two and four words")
        << QByteArray("1\n0x04 1 0\na b\n0x04 1 0 x\n30ms\n") << "1" << QStringList({"A|0x04|1|down|30ms"});
    QTest::newRow("unknown kind") << QByteArray("1\n0x04 7 0\n3ms\n") << "1" << QStringList({"|0x00|1|down|3ms"});
}

void TestMacroCore::fileGrammar()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, loop);
    QFETCH(QStringList, rows);
    const MacroFileContent content = parseMacroFile(file, kEnglish);
    QCOMPARE(content.hasLoopLine, !file.isEmpty());
    QCOMPARE(content.loopText, loop);
    QCOMPARE(describe(content.rows), rows);
    QVERIFY(writeFile(path("g.ini"), file));
    QCOMPARE(ReadMacroHeader(folder, "g"), file.isEmpty() ? QString("0") : loop);
    // What the editor shows is what the device gets.
    MacroDownloadRecord block;
    QVERIFY(ReadMacroFile(folder, "g", &block));
    QCOMPARE(blockBytes(block), expectedBlock("g", rows));
}

void TestMacroCore::folderOperations()
{
    QCOMPARE(listMacroNames(folder), QStringList());
    for (const char *name : {"b.ini", "A.ini", "c.ini", "a.ini.ini", "notes.txt", "ListMain.xml", "xml.ini",
                             ".dot.ini", "UP.INI", ".ini"})
        QVERIFY(writeFile(path(name), "1\r\n"));
    QVERIFY(QFile::link(path("b.ini"), path("link.ini")));
    QCOMPARE(listMacroNames(folder), QStringList({".dot", "A", "a.ini", "b", "c"}));

    // Unsafe names never reach the file system.
    QVERIFY(!CreateMacroFile(folder, "../escape"));
    QVERIFY(!SaveMacroFile(folder, "", "254", {}));
    QVERIFY(!SaveMacroFile(folder, "axml", "254", {}));
    QVERIFY(!QFile::exists(work->path() + "/escape.ini"));
    QVERIFY(!QFile::exists(folder + "/.ini.ini"));
    QVERIFY(!QFile::exists(path("axml.ini")));

    // Older versions appended a device's rows with bare line feeds.
    QVERIFY(writeFile(path("dev.ini"), "254\r\n0x04 1 0\n10ms\n0x04 1 1\n25ms\n"));
    MacroFileContent content;
    QVERIFY(loadMacroFile(folder, "dev", kEnglish, &content));
    QCOMPARE(describe(content.rows), describe(sampleRows().mid(0, 2)));

    QCOMPARE(ReadMacroHeader(folder, "missing"), QString("0"));
    QVERIFY(!loadMacroFile(folder, "missing", kEnglish, &content));
    QVERIFY(CreateMacroFile(folder, "dev"));
    QCOMPARE(readFile(path("dev.ini")), QByteArray());
    QCOMPARE(ReadMacroHeader(folder, "dev"), QString("0"));
    MacroDownloadRecord block;
    QVERIFY(!ReadMacroFile(folder, "missing", &block));
    QCOMPARE(blockBytes(block), QByteArray(592, '\0'));

    // A rename never replaces another macro.
    QVERIFY(!renameMacroFile(folder, "b", "c"));
    QCOMPARE(readFile(path("c.ini")), QByteArray("1\r\n"));
    QVERIFY(renameMacroFile(folder, "b", "d"));
    QVERIFY(QFile::exists(path("d.ini")) && !QFile::exists(path("b.ini")));
    QVERIFY(removeMacroFile(folder, "d"));
    QVERIFY(!removeMacroFile(folder, ".."));
}

void TestMacroCore::exchangeLayout()
{
    QByteArray expected;
    expected += QByteArray::fromHex("0000000C") + QByteArray("Malvo") + QByteArray(7, '\0');
    expected += QByteArray::fromHex("00000030") + QByteArray("m") + QByteArray(47, '\0');
    expected += QByteArray::fromHex("0000000C") + QByteArray("255") + QByteArray(9, '\0');
    expected += QByteArray(4, '\0');
    const QIcon down = picture(Qt::green);
    const QIcon up = picture(Qt::red);
    QCOMPARE(macroExchangeBytes("m", "255", {}, down, up), expected);

    // Two rows: the toolkit reads every field back where it stands.
    const MacroRows rows = {row("A", 0x04, 1, false, "10ms"), row("Left", 0x01, 4, true, "300ms")};
    const QByteArray bytes = macroExchangeBytes(QString(50, 'n'), "7", rows, down, up);
    QCOMPARE(bytes.mid(20, 48), QByteArray(48, 'n'));   // a long name fills the field
    QCOMPARE(bytes.mid(84, 4), QByteArray::fromHex("00000002"));
    QCOMPARE(bytes.mid(88, 6), QByteArray::fromHex("000000020041"));
    QDataStream in(bytes);
    in.setVersion(QDataStream::Qt_5_9);
    in.skipRawData(84);
    qint32 count = 0;
    in >> count;
    QCOMPARE(count, 2);
    for (const MacroRow &r : rows) {
        QString name;
        QIcon icon;
        char *action = nullptr;
        uint actionLength = 0;
        QString delay;
        in >> name >> icon;
        in.readBytes(action, actionLength);
        in >> delay;
        QCOMPARE(name, r.name);
        QCOMPARE(icon.pixmap(24, 24).toImage().pixelColor(3, 3), QColor(r.release ? Qt::red : Qt::green));
        QCOMPARE(QByteArray(action, int(actionLength)), QByteArray(r.release ? "1" : "0", 2));
        QCOMPARE(delay, r.delay);
        delete[] action;
    }
    QCOMPARE(in.status(), QDataStream::Ok);
    QVERIFY(in.atEnd());
}

void TestMacroCore::exchangeRoundTrip()
{
    const QString programFolder = work->path() + "/program";
    QVERIFY(QDir().mkpath(programFolder + "/Picture/Macro"));
    setProgramDirOverride(programFolder);
    QVERIFY(picture(Qt::green).pixmap(24, 24).save(macroRowIconPath(false)));
    QVERIFY(picture(Qt::red).pixmap(24, 24).save(macroRowIconPath(true)));

    // Both languages loaded: texts 4 to 8 name left, right, middle, forward, back.
    for (const MouseButtonNames &n : {kEnglish, kChinese})
        g_langButtoninterface.append({"", "", "", "", n.left, n.right, n.middle, n.forward, n.back});
    MacroRows rows = sampleRows();
    // Rows named in the other language, and in none.
    rows << row(kChinese.back, 0x08, 4, true, "45ms") << row("Links", 0x01, 4, true, "5ms");
    const QString exported = work->path() + "/x.ini";
    QVERIFY(exportMacroExchange(exported, "k", "253", rows));

    MacroExportFile in;
    QCOMPARE(importMacroExchange(exported, folder, macroNameFromFileName(exported), kEnglish, &in), MacroImported);
    QCOMPARE(in.loopText, QString("253"));
    QVERIFY(!in.rowsLeftOut);
    QCOMPARE(describe(in.rows), describe(sampleRows()) + QStringList({"Back|0x08|4|up|45ms", "Links|0x00|1|up|5ms"}));
    QCOMPARE(readFile(path("x.ini")),
             QByteArray("253\r\n0x04 1 0\r\n10ms\r\n0x04 1 1\r\n25ms\r\n0x01 4 0\r\n10ms\r\n0x02 0 1\r\n0ms\r\n"
                        "0x08 4 1\r\n45ms\r\n0x00 1 1\r\n5ms\r\n"));

    // Rows past the 70 of a device block are not taken.
    MacroRows many;
    for (int i = 0; i < 75; ++i)
        many << row("B", 0x05, 1, false, "1ms");
    QVERIFY(exportMacroExchange(exported, "k", "1", many));
    QCOMPARE(importMacroExchange(exported, folder, "y", kEnglish, &in), MacroImported);
    QCOMPARE(in.rows.size(), 70);
    QVERIFY(in.rowsLeftOut);
    QVERIFY(exportMacroExchange(exported, "k", "1", many.mid(0, 70)));
    QCOMPARE(importMacroExchange(exported, folder, "z", kEnglish, &in), MacroImported);
    QVERIFY(!in.rowsLeftOut);

    // Loop modes: those the editor shows; an empty field (no box was
    // checked) is one run.
    const struct {
        const char *field;
        const char *loop;
    } loops[] = {{"", "1"}, {"250", "250"}, {"253", "253"}, {"254", "254"}, {"255", "255"}, {"007", "7"}};
    for (const auto &l : loops) {
        QVERIFY(exportMacroExchange(exported, "k", l.field, sampleRows()));
        QVERIFY(QFile::remove(path("z.ini")));
        QCOMPARE(importMacroExchange(exported, folder, "z", kEnglish, &in), MacroImported);
        QCOMPARE(in.loopText, QString(l.loop));
        QCOMPARE(readFile(path("z.ini")).split('\r').value(0), QByteArray(l.loop));
    }
}

void TestMacroCore::exchangeRejects()
{
    const QByteArray good = macroExchangeBytes("k", "1", sampleRows(), picture(Qt::green), picture(Qt::red));
    const QString source = work->path() + "/in.bin";
    auto importOf = [&](const QByteArray &bytes) {
        MacroExportFile ex;
        ex.loopText = "untouched";
        const int result = writeFile(source, bytes) ? importMacroExchange(source, folder, "n", kEnglish, &ex) : -1;
        // Only an import leaves anything in the caller's hands.
        return result == MacroImported || ex.loopText == "untouched" ? result : -2;
    };
    auto withInt = [&](int at, quint32 value) {
        QByteArray b = good;
        for (int i = 0; i < 4; ++i)
            b[at + i] = char(value >> (24 - 8 * i));
        return b;
    };
    const int nameAt = 88;
    auto withLoop = [&](const char *loop) {
        return QByteArray(good).replace(72, 12, QByteArray(loop).leftJustified(12, '\0'));
    };
    const int notExchange = MacroImportUnreadable, refused = MacroImportRefused;
    const struct {
        const char *what;
        QByteArray bytes;
        int result;
    } cases[] = {
        {"wrong marker", QByteArray(good).replace("Malvo", "Malvx"), notExchange},
        {"empty file", QByteArray(), notExchange},
        {"count -1", withInt(84, 0xFFFFFFFFu), refused},
        {"count 0x7FFFFFFF", withInt(84, 0x7FFFFFFFu), refused},
        {"count past the rows", withInt(84, 5), refused},
        {"odd name length", withInt(nameAt, 3), refused},
        {"name past the end", withInt(nameAt, 0x7FFFFFF0u), refused},
        {"loop mode not a number", withLoop("x"), refused},
        // Numbers the editor cannot show: the device would take 509 as 253.
        {"loop 0", withLoop("0"), refused},
        {"loop 251", withLoop("251"), refused},
        {"loop 252", withLoop("252"), refused},
        {"loop 509", withLoop("509"), refused},
        {"loop of 11 digits", withLoop("99999999999"), refused},
        {"icon of another kind", QByteArray(good).replace("Q\0P\0i\0x", 8, "Q\0I\0c\0o", 8), refused},
    };
    for (const auto &c : cases)
        QVERIFY2(importOf(c.bytes) == c.result, c.what);
    // Cut anywhere: not an exchange file before the marker is whole.
    for (int size = 0; size < good.size(); ++size)
        QVERIFY2(importOf(good.left(size)) == (size < 16 ? notExchange : refused), qPrintable(QString::number(size)));
    QCOMPARE(folderFiles(), QStringList());

    // An existing macro of that name is left as it is.
    QVERIFY(writeFile(path("n.ini"), "mine"));
    QCOMPARE(importOf(good), int(MacroImportNameTaken));
    QCOMPARE(readFile(path("n.ini")), QByteArray("mine"));
    QVERIFY(QFile::remove(path("n.ini")));
    QCOMPARE(importOf(good), int(MacroImported));
}

void TestMacroCore::macroReachesTheMouse()
{
    resetDeviceBench();
    const std::string receiver = hidsim::pathOf("R1");
    g_deviceHandle = receiver.c_str();
    QVERIFY(hidsim::storedImage("M1", reinterpret_cast<unsigned char *>(&g_flashDataMap)));
    UsbServerC_Start(g_deviceHandle, g_deviceHandle,
                     [](const unsigned char *, int, const unsigned char *, unsigned int) {});

    // Bound from its file to ButtonD (device button 4), as the function menu does.
    QVERIFY(SaveMacroFile(folder, "combo", "254", sampleRows()));
    MacroDownloadRecord block;
    QVERIFY(ReadMacroFile(folder, "combo", &block));
    const int k = macroButtonDeviceIndex(3);
    const int loop = macroLoopMode(ReadMacroHeader(folder, "combo"));
    QVERIFY(SendMacroToDevice(k, macroButtonFunction(k, loop), block.bytes()));
    QVERIFY(hidsim::waitIdle());

    FlashDataMap held;
    QVERIFY(hidsim::storedImage("M1", reinterpret_cast<unsigned char *>(&held)));
    UsbServer_Exit();
    QCOMPARE(int(held.buttonFunctions[4].type), 6);
    QCOMPARE(int(held.buttonFunctions[4].code), 4);
    QCOMPARE(int(held.buttonFunctions[4].param), 254);
    const MacroDownloadRecord onDevice = macroBlockOf(held, 4);
    QCOMPARE(blockBytes(onDevice), blockBytes(block));
    // Read back from the device, it is the same macro under the same name.
    QCOMPARE(macroBlockStoredName(onDevice), QString("combo"));
    QCOMPARE(describe(macroBlockRows(onDevice, kEnglish)), describe(sampleRows()));
}

QTEST_MAIN(TestMacroCore)
#include "tst_macrocore.moc"

// DPI values and sensor codes: the sensor definition file, the DPI ranges
// of the product configuration, snapping and stepping along them, and the
// level and fixed-DPI codes, which must read back as the DPI that was set.

#include "configsettings.h"
#include "devicesetters.h"
#include "devicestate.h"
#include "globals.h"
#include "sensorcodes.h"
#include "testsupport.h"

#include <HIDUsb.h>
#include <hidusb_sim.h>

#include <QTemporaryDir>
#include <QtTest>

#include <cstring>

namespace {

typedef QList<QPair<QString, int>> Defines;

// Code tables of a sensor "T1": DPI n has code n / 100 for n = 100..12800;
// "gap" lacks the line of 500 DPI.
void useSensor(const QString &sensor, const QString &table)
{
    g_sensorName = sensor;
    g_sensorDefineNames = QStringList{"SUPPORT_RIPPLE", "SENSOR_OTHER_DPI_400"};
    g_sensorDefineValues = {1, 3};
    if (table.isEmpty())
        return;
    for (int n = 100; n <= 12800; n += 100) {
        if (table == "gap" && n == 500)
            continue;
        g_sensorDefineNames << "SENSOR_T1_DPI_" + QString::number(n);
        g_sensorDefineValues << n / 100;
    }
}

void useRanges(const QString &list)
{
    setDpiRanges(parseDpiRanges(list.split(',', Qt::SkipEmptyParts)));
}

void ignoreEvents(const unsigned char *, int, const unsigned char *, unsigned int)
{
}

} // namespace

class TestSensorCodes : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void sensorFile_data();
    void sensorFile();
    void shippedSensorFile();
    void dpiRanges_data();
    void dpiRanges();
    void snap_data();
    void snap();
    void levelCodes_data();
    void levelCodes();
    void everyRangeTypeReadsBack();
    void fixedDpiCodes();
    void levelsThroughTheMouse();
};

void TestSensorCodes::init()
{
    resetAllGlobals();
}

void TestSensorCodes::sensorFile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Defines>("defines");

    QTest::newRow("hex value") << QByteArray("#define SENSOR_X_DPI_400\t0x10\n")
                               << Defines{{"SENSOR_X_DPI_400", 16}};
    QTest::newRow("option switch skipped") << QByteArray("#define SUPPORT_RIPPLE\t1\n") << Defines{};
    QTest::newRow("last line without LF") << QByteArray("#define A\t1\n#define B\t7")
                                          << Defines{{"A", 1}, {"B", 7}};
    QTest::newRow("CRLF") << QByteArray("#define A\t7\r\n#define B\t0x20\r\n") << Defines{{"A", 7}, {"B", 32}};
    QTest::newRow("comment") << QByteArray("#define A\t7 //c\n") << Defines{{"A", 7}};
    QTest::newRow("comment of words, hex") << QByteArray("#define A\t0x1F // the code\n") << Defines{{"A", 31}};
    QTest::newRow("no number") << QByteArray("#define A\tzz\n") << Defines{{"A", 0}};
    QTest::newRow("not definitions")
        << QByteArray("// #define A\t1\n#undef A\t1\n#define A 7\n#define\tA\t7\n#define A\t7\t9\n\n\n")
        << Defines{};
    QTest::newRow("empty file") << QByteArray() << Defines{};
}

void TestSensorCodes::sensorFile()
{
    QFETCH(QByteArray, bytes);
    QFETCH(Defines, defines);
    const SensorDefines got = parseSensorDefines(bytes);
    Defines pairs;
    for (int i = 0; i < got.names.size(); ++i)
        pairs << qMakePair(got.names[i], got.values.value(i, -1));
    QCOMPARE(pairs, defines);
}

// The file shipped beside the program has one sensor with a code table;
// the sensors of the shipped devices have none. No file: empty tables.
void TestSensorCodes::shippedSensorFile()
{
    loadSensorDefines();
    QCOMPARE(g_sensorDefineNames.size(), 120);
    QCOMPARE(g_sensorDefineValues.size(), 120);
    for (const char *sensor : {"QS12", "3395", "3950"}) {
        g_sensorName = sensor;
        QCOMPARE(sensorHasCodeTable(), g_sensorName == "QS12");
    }
    g_sensorName = "QS12";
    for (int dpi = 100; dpi <= 12000; dpi += 100)
        QCOMPARE(decodeDpiLevel(encodeDpiLevel(dpi, 0).code, 0), dpi);

    QTemporaryDir empty;
    setProgramDirOverride(empty.path());
    loadSensorDefines();
    QVERIFY(g_sensorDefineNames.isEmpty() && g_sensorDefineValues.isEmpty());
}

void TestSensorCodes::dpiRanges_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<int>("type");
    QTest::addColumn<QList<int>>("bounds");   // low, high, step of each range

    QTest::newRow("shipped device 1") << "50,10000,50,10100,26000,100,0" << 0
                                      << QList<int>{50, 10000, 50, 10100, 26000, 100};
    QTest::newRow("four ranges") << "100,1999,50,2000,3999,100,4000,7999,100,8000,26000,200,33" << 0x33
                                 << QList<int>{100, 1999, 50, 2000, 3999, 100, 4000, 7999, 100, 8000, 26000, 200};
    QTest::newRow("a spare item") << "100,3000,50,9,22" << 0x22 << QList<int>{100, 3000, 50};
    QTest::newRow("type only") << "22" << 0x22 << QList<int>{};
    QTest::newRow("five ranges") << "1,2,1,3,4,1,5,6,1,7,8,1,9,10,1,33" << 0x33 << QList<int>{};
    QTest::newRow("empty") << "" << 0 << QList<int>{};
}

// What the refresh stores, read back as the DPI pages read it; after a
// device with four ranges, one with fewer leaves no stale texts.
void TestSensorCodes::dpiRanges()
{
    QFETCH(QString, list);
    QFETCH(int, type);
    QFETCH(QList<int>, bounds);

    useRanges("1,2,1,3,4,1,5,6,1,7,8,1,11");
    useRanges(list);

    const int count = bounds.size() / 3;
    QCOMPARE(g_dpiRangeType, type);
    QCOMPARE(g_dpiRangeCount, count);
    QCOMPARE(g_dpiRangeLows.size(), count);
    QCOMPARE(g_dpiRangeHighs.size(), count);
    QCOMPARE(g_dpiRangeTexts.size(), 12);
    for (int i = 0; i < 12; ++i)
        QCOMPARE(g_dpiRangeTexts[i], i < bounds.size() ? QString::number(bounds[i]) : QString());
    const DpiRangeTable t = currentDpiRanges();
    QCOMPARE(t.type, type);
    QCOMPARE(t.ranges.size(), count);
    for (int r = 0; r < count; ++r) {
        QCOMPARE(g_dpiRangeLows[r], bounds[3 * r]);
        QCOMPARE(g_dpiRangeHighs[r], bounds[3 * r + 1]);
        QCOMPARE(t.ranges[r].step, bounds[3 * r + 2]);
    }
    // Without a first range the range types choose nothing.
    if (!count)
        QCOMPARE(int(encodeDpiLevel(20000, 0).flags), 0);
}

void TestSensorCodes::snap_data()
{
    QTest::addColumn<QString>("ranges");
    QTest::addColumn<QString>("op");   // "snap", "up" or "down"
    QTest::addColumn<int>("dpi");
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("pageStep");   // snap only

    const QString two = "100,3000,50,3200,32000,100,0";
    QTest::newRow("gap jumps up") << two << "snap" << 3100 << 3200 << 100;
    QTest::newRow("down to the grid") << two << "snap" << 2975 << 2950 << 50;
    QTest::newRow("above the last") << two << "snap" << 40000 << 40000 << 0;
    QTest::newRow("second range") << "50,10000,50,10100,26000,100,0" << "snap" << 12345 << 12300 << 100;
    QTest::newRow("gap after the first") << "50,10000,50,10100,26000,100,0" << "snap" << 10050 << 10100 << 100;
    QTest::newRow("grid from the range minimum") << "150,1000,100,0" << "snap" << 170 << 150 << 100;
    QTest::newRow("odd minimum keeps its grid") << "50,1000,100,0" << "snap" << 260 << 250 << 100;
    QTest::newRow("step 0: no snapping") << "100,1000,0,0" << "snap" << 555 << 555 << 0;
    QTest::newRow("no ranges") << "0" << "snap" << 555 << 555 << 0;
    QTest::newRow("wide range, no overflow") << "-2147483648,2147483647,7,0" << "snap" << 2147483647
                                             << 2147483644 << 7;

    QTest::newRow("plus at a top") << two << "up" << 3000 << 3200 << 0;
    QTest::newRow("plus at the end") << two << "up" << 32000 << 32100 << 0;
    QTest::newRow("plus in a gap") << two << "up" << 3100 << 3200 << 0;
    QTest::newRow("minus at a range minimum") << two << "down" << 3200 << 3000 << 0;
    QTest::newRow("minus at the bottom") << two << "down" << 100 << 50 << 0;
    QTest::newRow("one range plus") << "100,1000,100,0" << "up" << 1000 << 1100 << 0;
}

void TestSensorCodes::snap()
{
    QFETCH(QString, ranges);
    QFETCH(QString, op);
    QFETCH(int, dpi);
    QFETCH(int, result);
    QFETCH(int, pageStep);
    const DpiRangeTable t = parseDpiRanges(ranges.split(',', Qt::SkipEmptyParts));
    if (op == "snap") {
        const DpiSnap s = snapToDpiRange(dpi, t);
        QCOMPARE(s.dpi, result);
        QCOMPARE(s.pageStep, pageStep);
    } else {
        QCOMPARE(op == "up" ? dpiStepUp(dpi, t) : dpiStepDown(dpi, t), result);
    }
}

void TestSensorCodes::levelCodes_data()
{
    QTest::addColumn<QString>("sensor");
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("ranges");
    QTest::addColumn<int>("dpi");
    QTest::addColumn<int>("currentFlags");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("flags");
    QTest::addColumn<int>("reads");   // decoded again; -1: not a DPI of the table

    const QString r22 = "100,10000,50,10100,20000,100,22";
    const QString r33 = "100,1999,50,2000,3999,100,4000,7999,100,8000,26000,200,33";
    QTest::newRow("0x22 at the bound") << "Q9" << "" << r22 << 10000 << 0 << 199 << 0x00 << 10000;
    QTest::newRow("0x22 above") << "Q9" << "" << r22 << 10100 << 0 << 100 << 0x22 << 10100;
    QTest::newRow("0x11 at the bound") << "Q9" << "" << QString(r22).replace(",22", ",11") << 10000 << 0
                                       << 199 << 0x00 << 10000;
    QTest::newRow("0x33 range 4") << "Q9" << "" << r33 << 8000 << 0 << 39 << 0x33 << 8000;
    QTest::newRow("0x33 range 3") << "Q9" << "" << r33 << 4000 << 0 << 39 << 0x11 << 4000;
    QTest::newRow("0x33 range 2") << "Q9" << "" << r33 << 2000 << 0 << 19 << 0x22 << 2000;
    QTest::newRow("0x33 below all") << "Q9" << "" << r33 << 50 << 0 << 0 << 0x00 << 50;
    QTest::newRow("0x22 without ranges") << "Q9" << "" << "22" << 10100 << 0 << 201 << 0x00 << 10100;
    QTest::newRow("3395 ten bits") << "3395" << "" << "0" << 25600 << 0 << 0xFF << 0x44 << 25600;
    QTest::newRow("3950 ten bits") << "3950" << "" << "0" << 30000 << 0 << 0x57 << 0x88 << 30000;
    QTest::newRow("3395 past 10 bits") << "3395" << "" << "0" << 60000 << 0 << 0xFF << 0xCC << 51200;
    QTest::newRow("8-bit sensor past 8 bits") << "Q9" << "" << "0" << 20000 << 0 << 0xFF << 0x00 << 12800;
    QTest::newRow("table") << "T1" << "full" << "0" << 400 << 0 << 4 << 0x00 << 400;
    QTest::newRow("table, 0x22 range") << "T1" << "full" << "100,1000,100,1200,8000,200,22" << 3000 << 0
                                       << 15 << 0x22 << 3000;
    QTest::newRow("table lacks 500") << "T1" << "gap" << "0" << 500 << 0 << 10 << 0x00 << -1;
    QTest::newRow("table lacks 500, unit 100") << "T1" << "gap" << "0" << 500 << 0x22 << 5 << 0x00 << -1;
}

void TestSensorCodes::levelCodes()
{
    QFETCH(QString, sensor);
    QFETCH(QString, table);
    QFETCH(QString, ranges);
    QFETCH(int, dpi);
    QFETCH(int, currentFlags);
    QFETCH(int, code);
    QFETCH(int, flags);
    QFETCH(int, reads);
    useSensor(sensor, table);
    useRanges(ranges);

    const DpiLevelCode c = encodeDpiLevel(dpi, u8(currentFlags));
    QCOMPARE(int(c.code), code);
    QCOMPARE(int(c.flags), flags);
    if (reads >= 0)
        QCOMPARE(decodeDpiLevel(c.code, c.flags), reads);
}

// Every DPI on the grid of every range type comes back as itself, for the
// ten-bit sensors, another sensor and a sensor with a code table; and the
// levels of the product's own devices read as their default DPI values.
void TestSensorCodes::everyRangeTypeReadsBack()
{
    const QStringList configs = {
        "100,12800,100,0",
        "100,4000,100,4200,8000,200,22",
        "100,4000,100,4200,8000,200,11",
        "100,1900,100,2000,3800,200,4000,7800,200,8000,16000,400,33",
    };
    for (const QString sensor : {"3395", "3950", "Q9", "T1"}) {
        useSensor(sensor, sensor == QLatin1String("T1") ? "full" : "");
        for (const QString &config : configs) {
            useRanges(config);
            const DpiRangeTable t = currentDpiRanges();
            for (const DpiRange &r : t.ranges) {
                for (int dpi = r.low; dpi <= r.high; dpi += r.step) {
                    const DpiLevelCode c = encodeDpiLevel(dpi, 0);
                    QVERIFY2(decodeDpiLevel(c.code, c.flags) == dpi,
                             qPrintable(sensor + " " + config + " " + QString::number(dpi)));
                }
            }
        }
    }
    // Sensor 3395, code 0x12B written with only the upper pair of bits.
    useSensor("3395", "");
    QCOMPARE(decodeDpiLevel(0x2B, 0x40), 15000);
    // A table code with both flag pairs: four times the table's value.
    useSensor("T1", "full");
    QCOMPARE(decodeDpiLevel(8, 0x33), 3200);
}

void TestSensorCodes::fixedDpiCodes()
{
    for (const QString sensor : {"3395", "T1"}) {
        useSensor(sensor, sensor == QLatin1String("T1") ? "full" : "");
        for (int dpi = 100; dpi <= 1200; dpi += 100)
            QCOMPARE(fixedDpiOfCode(int(DpiButtonValue(dpi) & 0xFF)), dpi);
    }
    useSensor("3395", "");
    QCOMPARE(DpiButtonValue(400), 3u);
    QCOMPARE(fixedDpiOfCode(3), 400);
    useSensor("T1", "gap");
    QCOMPARE(DpiButtonValue(500), 5u);
    QCOMPARE(fixedDpiOfCode(5), 0);
}

// A level written through the setter is held by the mouse as a code that
// reads back as the DPI set, the colour untouched; levels outside 0..7
// send nothing.
void TestSensorCodes::levelsThroughTheMouse()
{
    resetDeviceBench();
    const QByteArray path = QByteArray::fromStdString(hidsim::pathOf("R1"));
    g_deviceHandle = path.constData();
    u8 factory[kFlashDataMapSize];
    u8 held[kFlashDataMapSize];
    QVERIFY(hidsim::storedImage("M1", factory));
    std::memcpy(&g_flashDataMap, factory, sizeof factory);
    UsbServerC_Start(g_deviceHandle, g_deviceHandle, ignoreEvents);

    ConfigSettings *cfg = ConfigSettings::instance();
    for (int drive : {1, 2}) {
        const QString group = "Drive" + QString::number(drive);
        g_sensorName = cfg->readString(group, "Sensor");
        setDpiRanges(parseDpiRanges(cfg->readStringList(group, "DPIRange")));
        const QStringList grades = cfg->readStringList(group, "DPIGrade");
        QCOMPARE(grades.size(), 8);
        for (int level = 0; level < 8; ++level) {
            // The mouse of the first device starts with these levels.
            if (drive == 1)
                QCOMPARE(decodeDpiLevel(factory[15 + 6 * level], factory[17 + 6 * level]), grades[level].toInt());
            const int dpi = snapToDpiRange(grades[level].toInt(), currentDpiRanges()).dpi;
            QCOMPARE(dpi, grades[level].toInt());
            LookupSensorDpi(level, dpi);
            QVERIFY(hidsim::waitIdle());
            QVERIFY(hidsim::storedImage("M1", held));
            const u8 *entry = held + 15 + 6 * level;
            QCOMPARE(entry[0], entry[1]);
            QCOMPARE(decodeDpiLevel(entry[0], entry[2]), dpi);
            QCOMPARE(QByteArray(reinterpret_cast<const char *>(entry + 3), 3),
                     QByteArray(reinterpret_cast<const char *>(factory + 15 + 6 * level + 3), 3));
        }
    }
    hidsim::clearSentImages();
    LookupSensorDpi(-1, 800);
    LookupSensorDpi(8, 800);
    QVERIFY(hidsim::sentImages().empty());
    UsbServer_Exit();
    hidsim::waitIdle();
}

QTEST_GUILESS_MAIN(TestSensorCodes)
#include "tst_sensorcodes.moc"

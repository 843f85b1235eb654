// The per-device image cache and the configuration export file: their exact
// bytes, the reader's checks, and that damaged files are never half-used.

#include "configsettings.h"
#include "devicestate.h"
#include "globals.h"
#include "imagecache.h"
#include "testsupport.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <cstring>
#include <sys/resource.h>

namespace {

QByteArray imageBytes(const FlashDataMap &m)
{
    return QByteArray(reinterpret_cast<const char *>(&m), int(sizeof(FlashDataMap)));
}

FlashDataMap patternImage(int seed)
{
    FlashDataMap m;
    u8 *p = reinterpret_cast<u8 *>(&m);
    for (int i = 0; i < kFlashDataMapSize; ++i)
        p[i] = u8(seed + (i * 13) % 249);
    m.dpiLevelCount = 4;
    m.reserved[0] = 0xC3;   // never touched by the program, must travel unchanged
    m.reserved[1] = 0x3C;
    return m;
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), qint64(bytes.size()));
}

QByteArray be32(quint32 v)
{
    QByteArray out;
    QDataStream s(&out, QIODevice::WriteOnly);
    s << v;
    return out;
}

QByteArray field12(const QByteArray &text)
{
    return text + QByteArray(12 - text.size(), '\0');
}

// An export file put together by hand, so the reader is tested against the
// format rather than against our own writer.
QByteArray exportFile(const QByteArray &marker, const QByteArray &sensor, const QByteArray &image)
{
    return be32(quint32(marker.size())) + marker + be32(quint32(sensor.size())) + sensor
        + be32(quint32(image.size())) + image;
}

} // namespace

class TestImageCache : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir programFolder;
    QTemporaryDir files;
    QString cacheDir;

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void cacheName_data();
    void cacheName();

    void cacheFileBytes();
    void cacheReplacesLongerFile();
    void cacheMissingFile();
    void cacheDamagedFileIgnored_data();
    void cacheDamagedFileIgnored();
    void cacheWriteFailureKeepsOldFile();
    void cacheUnwritableFolderKeepsOldFile();

    void exportFileBytes();
    void exportLongSensorName();
    void exportUnwritablePathDoesNothing();

    void importRoundTrip();
    void importResults_data();
    void importResults();
    void importDpiLevelCountLimit_data();
    void importDpiLevelCountLimit();
    void importFromOtherDevice();
};

void TestImageCache::initTestCase()
{
    QVERIFY(programFolder.isValid());
    QVERIFY(files.isValid());
    QVERIFY(QDir(programFolder.path()).mkpath("usersetting"));
    // Sensor names are stored as Base64 in the product configuration.
    const QByteArray ini = "[Drive1]\nSensor=" + QByteArray("3395").toBase64() + "\nDPIMaxGrade=6\n"
        "[Drive2]\nSensor=" + QByteArray("39501234567890").toBase64() + "\nDPIMaxGrade=8\n"
        "[Drive3]\nSensor=" + QByteArray("3950").toBase64() + "\nDPIMaxGrade=8\n";
    writeAll(programFolder.path() + "/usersetting/Config.ini", ini);
}

void TestImageCache::init()
{
    resetAllGlobals();
    setProgramDirOverride(programFolder.path());
    ConfigSettings::resetForTests();
    g_selectedDevice.driveIndex = 0;
    cacheDir = userDataDir() + "/Device_Info";
    QDir(cacheDir).removeRecursively();
    QVERIFY(QDir().mkpath(cacheDir));
}

void TestImageCache::cleanupTestCase()
{
    ConfigSettings::resetForTests();
}

void TestImageCache::cacheName_data()
{
    QTest::addColumn<int>("cid");
    QTest::addColumn<int>("mid");
    QTest::addColumn<QString>("name");
    QTest::newRow("leading zeros") << 1 << 32 << "Device_CID01_MID20.bin";
    QTest::newRow("upper-case hex") << 0x0A << 0x03 << "Device_CID0A_MID03.bin";
    QTest::newRow("full bytes") << 0xFF << 0xAB << "Device_CIDFF_MIDAB.bin";
}

void TestImageCache::cacheName()
{
    QFETCH(int, cid);
    QFETCH(int, mid);
    QFETCH(QString, name);
    DeviceAllInfo device;
    device.cid = u8(cid);
    device.mid = u8(mid);
    QCOMPARE(deviceCacheFileName(device), name);
    QCOMPARE(deviceCacheDir(), userDataDir() + "/Device_Info/");
}

void TestImageCache::cacheFileBytes()
{
    const FlashDataMap image = patternImage(5);
    const QString name = deviceCacheFileName(1, 32);
    saveDeviceInfo(name, image);

    const QByteArray file = readAll(cacheDir + "/Device_CID01_MID20.bin");
    QCOMPARE(file.size(), 10432);
    QCOMPARE(file.left(4), QByteArray::fromHex("000028BC"));
    QCOMPARE(file.mid(4), imageBytes(image));

    FlashDataMap back = {};
    QVERIFY(loadDeviceInfo(name, &back));
    QCOMPARE(imageBytes(back), imageBytes(image));
    QCOMPARE(int(back.reserved[0]), 0xC3);
    QCOMPARE(int(back.reserved[1]), 0x3C);
}

void TestImageCache::cacheReplacesLongerFile()
{
    const QString name = deviceCacheFileName(2, 2);
    writeAll(cacheDir + "/" + name, QByteArray(20000, '\x7F'));
    const FlashDataMap image = patternImage(9);
    saveDeviceInfo(name, image);
    const QByteArray file = readAll(cacheDir + "/" + name);
    QCOMPARE(file.size(), 10432);
    QCOMPARE(file.mid(4), imageBytes(image));
}

void TestImageCache::cacheMissingFile()
{
    FlashDataMap out = patternImage(3);
    QVERIFY(!loadDeviceInfo(deviceCacheFileName(7, 7), &out));
    QCOMPARE(imageBytes(out), imageBytes(patternImage(3)));
}

void TestImageCache::cacheDamagedFileIgnored_data()
{
    QTest::addColumn<QByteArray>("content");
    const QByteArray image = imageBytes(patternImage(1));
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("length only") << QByteArray::fromHex("000028BC");
    QTest::newRow("cut short") << QByteArray::fromHex("000028BC") + image.left(5000);
    QTest::newRow("short array") << be32(100) + image.left(100);
    QTest::newRow("long array") << be32(10429) + image + QByteArray(1, '\0');
    QTest::newRow("hostile length") << be32(0xFFFFFFF0u) + image;
    QTest::newRow("null array") << be32(0xFFFFFFFFu);
}

void TestImageCache::cacheDamagedFileIgnored()
{
    QFETCH(QByteArray, content);
    const QString name = deviceCacheFileName(3, 4);
    writeAll(cacheDir + "/" + name, content);
    FlashDataMap out = patternImage(77);
    QVERIFY(!loadDeviceInfo(name, &out));
    QCOMPARE(imageBytes(out), imageBytes(patternImage(77)));
}

void TestImageCache::cacheWriteFailureKeepsOldFile()
{
    // A file-size limit makes the write fail part-way through, as a full
    // disk would; the good cache must survive it whole.
    const QString name = deviceCacheFileName(1, 32);
    const FlashDataMap good = patternImage(11);
    saveDeviceInfo(name, good);
    const QByteArray before = readAll(cacheDir + "/" + name);
    QCOMPARE(before.size(), 10432);

    struct rlimit old;
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
    auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limited = old;
    limited.rlim_cur = 4096;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &limited), 0);
    saveDeviceInfo(name, patternImage(12));
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previousHandler);

    QCOMPARE(readAll(cacheDir + "/" + name), before);
    QCOMPARE(QDir(cacheDir).entryList(QDir::Files), QStringList() << name);
    FlashDataMap back = {};
    QVERIFY(loadDeviceInfo(name, &back));
    QCOMPARE(imageBytes(back), imageBytes(good));
}

void TestImageCache::cacheUnwritableFolderKeepsOldFile()
{
    const QString name = deviceCacheFileName(1, 32);
    saveDeviceInfo(name, patternImage(21));
    const QByteArray before = readAll(cacheDir + "/" + name);
    QVERIFY(QFile::setPermissions(cacheDir, QFile::ReadOwner | QFile::ExeOwner));
    QFile probe(cacheDir + "/probe");
    if (probe.open(QIODevice::WriteOnly)) {
        probe.remove();
        QFile::setPermissions(cacheDir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QSKIP("file permissions are not enforced for this user");
    }
    saveDeviceInfo(name, patternImage(22));
    QFile::setPermissions(cacheDir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(readAll(cacheDir + "/" + name), before);
}

void TestImageCache::exportFileBytes()
{
    const FlashDataMap image = patternImage(31);
    const QString path = files.path() + "/config.bin";
    ExportConfigFile(path, image);

    const QByteArray file = readAll(path);
    QCOMPARE(file.size(), 10464);
    QCOMPARE(file.left(36).toHex(), (QByteArray::fromHex("0000000C") + "Malvo" + QByteArray(7, '\0')
                                     + QByteArray::fromHex("0000000C") + "3395" + QByteArray(8, '\0')
                                     + QByteArray::fromHex("000028BC"))
                                        .toHex());
    QCOMPARE(file.mid(36), imageBytes(image));
}

void TestImageCache::exportLongSensorName()
{
    // A name of 12 bytes or more is cut without terminator, and a file made
    // that way must still import on the same device.
    g_selectedDevice.driveIndex = 1;
    const FlashDataMap image = patternImage(41);
    const QString path = files.path() + "/long.bin";
    ExportConfigFile(path, image);
    const QByteArray file = readAll(path);
    QCOMPARE(file.size(), 10464);
    QCOMPARE(file.mid(16, 16), QByteArray::fromHex("0000000C") + QByteArray("395012345678"));

    FlashDataMap record = {};
    QCOMPARE(readConfigFile(path, &record), 0);
    QCOMPARE(imageBytes(record), imageBytes(image));
}

void TestImageCache::exportUnwritablePathDoesNothing()
{
    const QString path = files.path() + "/no/such/folder/config.bin";
    ExportConfigFile(path, patternImage(1));
    QVERIFY(!QFileInfo::exists(path));
}

void TestImageCache::importRoundTrip()
{
    const FlashDataMap image = patternImage(51);
    const QString path = files.path() + "/roundtrip.bin";
    ExportConfigFile(path, image);
    g_importResult = -1;
    FlashDataMap record = {};
    QCOMPARE(readConfigFile(path, &record), 0);
    QCOMPARE(g_importResult, 0);
    QCOMPARE(imageBytes(record), imageBytes(image));
    QCOMPARE(int(record.reserved[0]), 0xC3);
    QCOMPARE(int(record.reserved[1]), 0x3C);
}

void TestImageCache::importResults_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("result");
    const QByteArray image = imageBytes(patternImage(61));
    const QByteArray marker = field12("Malvo");
    const QByteArray sensor = field12("3395");
    QTest::newRow("valid") << exportFile(marker, sensor, image) << 0;
    QTest::newRow("marker followed by a non-zero byte")
        << exportFile(QByteArray("MalvoX") + QByteArray(6, '\0'), sensor, image) << 1;
    QTest::newRow("other marker") << exportFile(field12("Malv"), sensor, image) << 1;
    QTest::newRow("marker field of 5 bytes") << exportFile("Malvo", sensor, image) << 1;
    QTest::newRow("other sensor") << exportFile(marker, field12("3950"), image) << 2;
    QTest::newRow("sensor with a longer name") << exportFile(marker, field12("33950"), image) << 2;
    QTest::newRow("empty file") << QByteArray() << 1;
    QTest::newRow("a cache file") << be32(10428) + image << 1;
    QTest::newRow("short image") << exportFile(marker, sensor, image.left(10000)) << 1;
    QTest::newRow("cut off") << exportFile(marker, sensor, image).left(9000) << 1;
    QTest::newRow("hostile image length")
        << be32(12) + marker + be32(12) + sensor + be32(0x7FFFFFFFu) + image.left(64) << 1;
}

void TestImageCache::importResults()
{
    QFETCH(QByteArray, content);
    QFETCH(int, result);
    const QString path = files.path() + "/import.bin";
    writeAll(path, content);
    g_importResult = -1;
    FlashDataMap record = patternImage(2);
    QCOMPARE(readConfigFile(path, &record), result);
    QCOMPARE(g_importResult, result);
    // A file that is not a whole export file leaves the record alone.
    if (result == 1)
        QCOMPARE(imageBytes(record), imageBytes(patternImage(2)));
}

void TestImageCache::importDpiLevelCountLimit_data()
{
    QTest::addColumn<int>("levels");
    QTest::addColumn<int>("result");
    QTest::newRow("at the limit") << 6 << 0;
    QTest::newRow("above the limit") << 8 << 2;
    QTest::newRow("one above") << 7 << 2;
}

void TestImageCache::importDpiLevelCountLimit()
{
    QFETCH(int, levels);
    QFETCH(int, result);
    FlashDataMap image = patternImage(71);
    image.dpiLevelCount = u8(levels);
    const QString path = files.path() + "/levels.bin";
    ExportConfigFile(path, image);   // Drive1 allows 6 levels
    FlashDataMap record = {};
    QCOMPARE(readConfigFile(path, &record), result);
    QCOMPARE(g_importResult, result);
}

void TestImageCache::importFromOtherDevice()
{
    g_selectedDevice.driveIndex = 2;   // sensor "3950"
    const QString path = files.path() + "/other.bin";
    ExportConfigFile(path, patternImage(81));
    g_selectedDevice.driveIndex = 0;   // sensor "3395"
    FlashDataMap record = {};
    QCOMPARE(readConfigFile(path, &record), 2);
    QCOMPARE(readConfigFile(files.path() + "/missing.bin", &record), 1);
    QCOMPARE(g_importResult, 1);
}

QTEST_MAIN(TestImageCache)
#include "tst_imagecache.moc"

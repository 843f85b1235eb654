// Firmware images in the program folder's "bin": header parsing, the search
// for a new image and the firmware check of the selected device.

#include "configsettings.h"
#include "deviceenumeration.h"
#include "devicestate.h"
#include "firmwareimage.h"
#include "formsetting.h"
#include "globals.h"
#include "registry.h"
#include "testsupport.h"
#include "updaterepair.h"
#include "updatedecision.h"
#include "updatetraces.h"
#include "tools/firmwaretool/firmwareimagewriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QByteArray makeImage(quint32 version, quint8 code, quint8 cid, quint8 mid, const QByteArray &model,
                     int size = kFirmwareHeaderSize + 32)
{
    FirmwareImageFields fields;
    fields.version = version;
    fields.deviceCode = code;
    fields.cid = cid;
    fields.mid = mid;
    fields.model = model.toStdString();
    fields.usbId = "VID_5A51&PID_F514";
    fields.size = size_t(size);
    const std::vector<uint8_t> bytes = makeFirmwareImage(fields);
    return QByteArray(reinterpret_cast<const char *>(bytes.data()), int(bytes.size()));
}

// A file in the listing that cannot be opened. Root opens any file whatever
// its mode, so there it is a link to a kernel file nobody may read.
bool makeUnreadable(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    f.close();
    f.setPermissions(QFileDevice::Permissions());
    if (QFile(path).open(QIODevice::ReadOnly)) {
        QFile::remove(path);
        if (!QFile::link("/proc/sys/vm/compact_memory", path))
            return false;
    }
    return QFileInfo(path).isFile() && !QFile(path).open(QIODevice::ReadOnly);
}

} // namespace

class TestFirmware : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir *program = nullptr;

    QString binDir() const { return program->path() + "/bin"; }
    void writeImage(const QString &name, const QByteArray &bytes)
    {
        QDir().mkpath(binDir());
        QFile f(binDir() + "/" + name);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    void writeConfig(const QString &text)
    {
        QDir().mkpath(program->path() + "/usersetting");
        QFile f(program->path() + "/usersetting/Config.ini");
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(text.toUtf8());
        f.close();
        ConfigSettings::resetForTests();
    }

private slots:
    void init()
    {
        resetAllGlobals();
        g_firmwareImageList.clear();
        g_repairImageList.clear();
        delete program;
        program = new QTemporaryDir;
        setProgramDirOverride(program->path());
        // CID 33 ("MzMK"), Drive1: MID 1, MM "QZM-Q1", D4M "QZR-4K", DM empty.
        writeConfig("[Option]\nCID=MzMK\nDeviceTotal=1\n[Drive1]\nMID=1\nMM=UVpNLVExCg==\n"
                    "D4M=UVpSLTRLCg==\nDM=\n");
    }
    void cleanup()
    {
        setProgramDirOverride(QString());
        ConfigSettings::resetForTests();
        delete program;
        program = nullptr;
    }

    void headerFields()
    {
        QByteArray bytes = makeImage(0, 211, 33, 2, "ABC");
        bytes[16] = 0x03;
        bytes[17] = 0x02;
        bytes[18] = 0x01;
        bytes[19] = 0x00;
        const FirmwareHeader h = parseFirmwareHeader(bytes);
        QVERIFY(h.valid);
        QCOMPARE(firmwareVersionText(h.version), QString("v258.03"));
        QCOMPARE(h.deviceCode, quint8(211));
        QCOMPARE(h.modelName, QString("ABC"));
        QVERIFY(h.usbIdText.contains("F514"));

        // A file shorter than the header fits nothing and is never read past.
        QVERIFY(!parseFirmwareHeader(bytes.left(kFirmwareHeaderSize - 1)).valid);
    }

    void comparisonNumbers()
    {
        QCOMPARE(firmwareComparisonText("v1.05"), QString("1.05"));
        QCOMPARE(firmwareComparisonNumber("1.05"), 1.05);
        QCOMPARE(firmwareComparisonNumber("1.0A"), 0.0);
        QCOMPARE(firmwareComparisonNumber(""), 0.0);
        QCOMPARE(firmwareComparisonNumber("1e3"), 0.0);
    }

    void missingOrEmptyFolder()
    {
        QVERIFY(!FormSetting::isNewFirmwareInBin(210, "v1.05", "QZM-Q1", 33, 1));
        QDir().mkpath(binDir());
        QVERIFY(!FormSetting::isNewFirmwareInBin(210, "", "QZM-Q1", 33, 1));
        QVERIFY(g_firmwareImageList.isEmpty());
        // Images for other devices only.
        writeImage("other.bin", makeImage(0x106, 211, 33, 1, "QZM-Q1"));
        writeImage("other2.bin", makeImage(0x106, 210, 34, 1, "QZM-Q1"));
        writeImage("other3.bin", makeImage(0x106, 210, 33, 1, "qzm-q1"));
        writeImage("short.bin", makeImage(0x106, 210, 33, 1, "QZM-Q1").left(100));
        QVERIFY(!FormSetting::isNewFirmwareInBin(210, "v1.05", "QZM-Q1", 33, 1));
        QVERIFY(g_firmwareImageList.isEmpty());
    }

    void sameVersionSkippedOtherChosen()
    {
        const QByteArray a = makeImage(0x105, 210, 33, 1, "QZM-Q1");
        const QByteArray b = makeImage(0x106, 210, 33, 1, "QZM-Q1", kFirmwareHeaderSize + 64);
        writeImage("a.bin", a);
        writeImage("B.bin", b);   // after a.bin: name order ignores case

        QVERIFY(FormSetting::isNewFirmwareInBin(210, "v1.05", "QZM-Q1", 33, 1));
        QCOMPARE(g_firmwareImageList.size(), 1);
        QCOMPARE(g_firmwareImageList.first(), b);

        // Another version counts as new, an older one too.
        QVERIFY(FormSetting::isNewFirmwareInBin(210, "v1.06", "QZM-Q1", 33, 1));
        QCOMPARE(g_firmwareImageList.first(), a);

        // Without a device version every fitting image is new: the last wins.
        QVERIFY(FormSetting::isNewFirmwareInBin(210, "", "QZM-Q1", 33, 1));
        QCOMPARE(g_firmwareImageList.first(), b);
        QVERIFY(UpDateRepair::isNewFirmwareInBin(210, "", "QZM-Q1", 33, 1));
        QCOMPARE(g_repairImageList.first(), b);
        // The answer-only search needs a version.
        QVERIFY(!FormSetting::isNewFirmwareAvailable(210, "", "QZM-Q1", 33, 1));
        QVERIFY(FormSetting::isNewFirmwareAvailable(210, "v1.05", "QZM-Q1", 33, 1));

        // The only image is the running one.
        QFile::remove(binDir() + "/B.bin");
        QVERIFY(!FormSetting::isNewFirmwareInBin(210, "v1.05", "QZM-Q1", 33, 1));
        QVERIFY(g_firmwareImageList.isEmpty());
    }

    void hexMinorsFoundByBothSearches()
    {
        writeImage("x.bin", makeImage(0x10B, 211, 33, 1, "QZR-4K"));
        QVERIFY(FormSetting::isNewFirmwareInBin(211, "v1.0A", "QZR-4K", 33, 1));
        QVERIFY(UpDateRepair::isNewFirmwareInBin(211, "v1.0A", "QZR-4K", 33, 1));
    }

    void checkFirmwareUpdate()
    {
        g_selectedDevice.driveIndex = 0;
        writeImage("mouse.bin", makeImage(0x106, 210, 33, 1, "QZM-Q1"));
        writeImage("dongle.bin", makeImage(0x103, 211, 33, 1, "QZR-4K"));
        writeImage("blank.bin", makeImage(0x109, 211, 33, 1, ""));

        QCOMPARE(FormSetting::checkFirmwareUpdate(210, "v1.05", 0), 1);
        QCOMPARE(g_updateCid, 33);
        QCOMPARE(FormSetting::checkFirmwareUpdate(210, "v1.06", 0), 0);
        QCOMPARE(FormSetting::checkFirmwareUpdate(210, "", 0), 0);
        QCOMPARE(FormSetting::checkFirmwareUpdate(211, "v1.02", 4), 1);
        QCOMPARE(FormSetting::checkFirmwareUpdate(211, "v1.03", 4), 0);
        // Unknown receiver class: no search.
        QCOMPARE(FormSetting::checkFirmwareUpdate(211, "v1.02", 3), 0);
        // A model the configuration does not name has no image, not even
        // one whose model name field is empty: the empty receiver models
        // (DM, D2M, D8M of Drive1) and an empty MM alike.
        for (int receiverClass : {1, 2, 8})
            QCOMPARE(FormSetting::checkFirmwareUpdate(211, "v1.02", receiverClass), 0);
        writeConfig("[Option]\nCID=MzMK\nDeviceTotal=2\n[Drive1]\nMID=1\n[Drive2]\nMID=2\nMM=\n");
        g_selectedDevice.driveIndex = 1;
        writeImage("plain.bin", makeImage(0x107, 210, 33, 2, ""));
        QCOMPARE(FormSetting::checkFirmwareUpdate(210, "v1.05", 0), 0);
        QVERIFY(!FormSetting::isNewFirmwareInBin(210, QString(), QString(), 33, 2));
        QVERIFY(!UpDateRepair::isNewFirmwareInBin(211, QString(), QString(), 33, 1));
        QVERIFY(g_firmwareImageList.isEmpty() && g_repairImageList.isEmpty());
    }

    // The versions an update compares with and the receiver's class: a
    // chosen receiver tells its own; the mouse on its cable takes them from
    // the receiver listed beside it: of two listed devices the first that
    // reports a paired mouse, of any other number the only receiver.
    void chosenDeviceFirmware_data()
    {
        QTest::addColumn<QString>("listed");     // R receiver, r one that reports no mouse, M mouse on its cable
        QTest::addColumn<QString>("chosen");     // M the mouse on its cable (v1.07 over USB, v1.05), M- offline, R
        QTest::addColumn<QString>("expected");   // receiver version, mouse version, receiver class
        QTest::newRow("the mouse beside its receiver") << "M R" << "M" << "v1.02 v1.05 4";
        QTest::newRow("the receiver listed first") << "R M" << "M" << "v1.02 v1.05 4";
        QTest::newRow("two mice beside one receiver") << "R M M" << "M" << "v1.02 v1.05 4";
        QTest::newRow("the receiver listed alone") << "R" << "M" << "v1.02 v1.05 4";
        QTest::newRow("two receivers beside the mouse") << "R R M" << "M" << "- v1.05 0";
        QTest::newRow("a receiver that reports no mouse") << "r M" << "M" << "- v1.05 0";
        QTest::newRow("no receiver") << "M M" << "M" << "- v1.05 0";
        QTest::newRow("the mouse offline") << "M R" << "M-" << "v1.07 - 4";
        QTest::newRow("the receiver chosen") << "R M M" << "R" << "v1.02 v1.05 4";
    }
    void chosenDeviceFirmware()
    {
        QFETCH(QString, listed);
        QFETCH(QString, chosen);
        QFETCH(QString, expected);
        DeviceAllInfo receiver;
        receiver.usbVersion = "v1.02";
        receiver.linkType = 1;
        receiver.subDevices = {1, 2, 3};
        DeviceAllInfo mouse;
        mouse.isWired = 1;
        mouse.linkType = 2;
        mouse.usbVersion = "v1.07";
        g_deviceList.clear();
        for (const QString &id : listed.split(' ')) {
            g_deviceList << (id == "M" ? mouse : receiver);
            if (id == "r")
                g_deviceList.last().subDevices.clear();
        }
        g_selectedDevice = chosen == "R" ? receiver : mouse;
        g_selectedDevice.mouseVersion = "v1.05";
        g_selectedDevice.online = chosen != "M-";

        const SelectedFirmware f = selectedFirmware();
        const auto shown = [](const QString &version) { return version.isEmpty() ? QString("-") : version; };
        QCOMPARE(QStringList({shown(f.receiverVersion), shown(f.mouseVersion), QString::number(f.receiverClass)}).join(' '),
                 expected);
        QCOMPARE(selectedVersionOf(211), f.receiverVersion);
        QCOMPARE(selectedVersionOf(210), f.mouseVersion);
        g_deviceList.clear();
    }

    // What follows the check of a mouse picked in the device list or opened
    // with the space key.
    void firmwareOffers()
    {
        using O = FirmwareOffer;
        const auto offer = [](const char *kept, bool receiverNewer, bool mouseNewer) {
            DeviceFirmwareCheck check;
            check.mouseVersion = kept;
            check.receiverNewer = receiverNewer;
            check.mouseNewer = mouseNewer;
            return firmwareOfferOf(check);
        };
        QCOMPARE(offer("", true, false), O::PairFirst);
        QCOMPARE(offer("v1.05", true, false), O::ReceiverUpdate);
        QCOMPARE(offer("v1.05", false, true), O::MouseUpdate);
        QCOMPARE(offer("v1.05", true, true), O::PairAgain);
        QCOMPARE(offer("v1.05", false, false), O::PairAgain);
    }

    // A search reads the headers of the folder's files and only the chosen
    // image whole: a large file of another device costs it one header.
    void searchReadsHeadersOnly()
    {
        const QByteArray chosen = makeImage(0x106, 210, 33, 1, "QZM-Q1");
        writeImage("a-mouse.bin", chosen);
        writeImage("b-large.bin", makeImage(0x107, 210, 33, 2, "QZM-Q2"));
        QFile large(binDir() + "/b-large.bin");
        QVERIFY(large.resize(64 * 1024 * 1024));   // sparse: no disk is used
        const auto bytesRead = [] {
            QFile io("/proc/self/io");
            if (!io.open(QIODevice::ReadOnly))
                return qint64(-1);
            for (const QByteArray &line : io.readAll().split('\n')) {
                if (line.startsWith("rchar:"))
                    return line.mid(6).trimmed().toLongLong();
            }
            return qint64(-1);
        };
        const qint64 before = bytesRead();
        if (before < 0)
            QSKIP("this system does not count the bytes a process reads");
        QVERIFY(FormSetting::isNewFirmwareInBin(210, "v1.05", "QZM-Q1", 33, 1));
        QVERIFY(bytesRead() - before < 1024 * 1024);
        QCOMPARE(g_firmwareImageList.value(0), chosen);
    }

    // Image names match "*.bin" whatever their case.
    void upperCaseExtension()
    {
        const QByteArray image = makeImage(0x106, 210, 33, 1, "QZM-Q1");
        writeImage("MOUSE.BIN", image);
        QVERIFY(FormSetting::isNewFirmwareInBin(210, "v1.05", "QZM-Q1", 33, 1));
        QCOMPARE(g_firmwareImageList.value(0), image);
    }

    // The three searches over one folder: A (update), the repair twin, and
    // B (answer only). A broken file hides nothing; the twins agree on every
    // version a device reports.
    void searchesAgree_data()
    {
        QTest::addColumn<QStringList>("files");   // name:version[/file size[/declared body]], or name:unreadable
        QTest::addColumn<QString>("device");
        QTest::addColumn<QString>("chosen");      // file A and the twin choose; empty: none
        QTest::addColumn<bool>("answerB");
        QTest::newRow("unreadable file before the image") << QStringList{"0.bin:unreadable", "a.bin:0x106"} << "v1.05"
                                                          << "a.bin" << true;
        QTest::newRow("unreadable file after the image") << QStringList{"a.bin:0x106", "z.bin:unreadable"} << "v1.05"
                                                         << "a.bin" << true;
        QTest::newRow("only an unreadable file") << QStringList{"a.bin:unreadable"} << "v1.05" << "" << false;
        QTest::newRow("a header without firmware after it")
            << QStringList{"a.bin:0x106", "b.bin:0x107/728"} << "v1.05" << "a.bin" << true;
        QTest::newRow("only a header") << QStringList{"a.bin:0x106/728"} << "v1.05" << "" << false;
        // The updater learns an image's length from its header alone.
        QTest::newRow("a file shorter than its header declares")
            << QStringList{"a.bin:0x106", "b.bin:0x107/1000/4096"} << "v1.05" << "a.bin" << true;
        QTest::newRow("a body the header declares empty")
            << QStringList{"a.bin:0x106", "b.bin:0x107/4824/0"} << "v1.05" << "a.bin" << true;
        QTest::newRow("a file longer than its header declares")
            << QStringList{"a.bin:0x106", "b.bin:0x107/4824/96"} << "v1.05" << "b.bin" << true;
        QTest::newRow("hexadecimal minors: v1.0A, image v1.0B") << QStringList{"x.bin:0x10B"} << "v1.0A" << "x.bin"
                                                                << true;
        QTest::newRow("hexadecimal minor against a decimal one") << QStringList{"x.bin:0x10B"} << "v1.05" << "x.bin"
                                                                 << true;
        QTest::newRow("the running image among others") << QStringList{"a.bin:0x10A", "b.bin:0x10B"} << "v1.0B"
                                                        << "a.bin" << true;
    }
    void searchesAgree()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, device);
        QFETCH(QString, chosen);
        QFETCH(bool, answerB);
        QDir().mkpath(binDir());
        QMap<QString, QByteArray> written;
        for (const QString &file : files) {
            const QString name = file.section(':', 0, 0);
            const QString what = file.section(':', 1);
            if (what == "unreadable") {
                if (!makeUnreadable(binDir() + "/" + name))
                    QSKIP("no unreadable file can be made here");
                continue;
            }
            const int size = what.section('/', 1, 1).toInt();
            written[name] = makeImage(what.section('/', 0, 0).toUInt(nullptr, 16), 211, 33, 1, "QZR-4K",
                                      size ? size : kFirmwareHeaderSize + 32);
            if (!what.section('/', 2, 2).isEmpty()) {
                const quint32 declared = what.section('/', 2, 2).toUInt();
                for (int i = 0; i < 4; ++i)
                    written[name][24 + i] = char(declared >> (8 * i));
            }
            writeImage(name, written[name]);
        }
        QCOMPARE(FormSetting::isNewFirmwareInBin(211, device, "QZR-4K", 33, 1), !chosen.isEmpty());
        QCOMPARE(g_firmwareImageList.value(0), written.value(chosen));
        QCOMPARE(UpDateRepair::isNewFirmwareInBin(211, device, "QZR-4K", 33, 1), !chosen.isEmpty());
        QCOMPARE(g_repairImageList.value(0), written.value(chosen));
        QCOMPARE(FormSetting::isNewFirmwareAvailable(211, device, "QZR-4K", 33, 1), answerB);
    }

    // The failure record: four decimal fields, anything else is no record.
    void failureRecord_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QStringList>("fields");
        QTest::newRow("four fields") << QVariant("211,4,5,12") << QStringList{"211", "4", "5", "12"};
        QTest::newRow("three fields") << QVariant("211,4,5") << QStringList();
        QTest::newRow("five fields") << QVariant("211,4,5,12,1") << QStringList();
        QTest::newRow("empty field kept") << QVariant("210,,5,12") << QStringList{"210", "", "5", "12"};
        QTest::newRow("absent") << QVariant() << QStringList();
        // Typed into the store by hand, unquoted: the store reads a list.
        QTest::newRow("stored as a list") << QVariant(QStringList{"211", "8", "33", "2"})
                                          << QStringList{"211", "8", "33", "2"};
    }
    void failureRecord()
    {
        QFETCH(QVariant, stored);
        QFETCH(QStringList, fields);
        RegistryKey key(updateTraceKeyPath());
        if (stored.isValid())
            key.setValue("UpdateFailInfo", stored);
        else
            key.remove("UpdateFailInfo");
        QCOMPARE(readUpdateFailFields(), fields);

        writeUpdateFailInfo(211, 4, 5, 12);
        QCOMPARE(RegistryKey(updateTraceKeyPath()).value("UpdateFailInfo").toString(), QString("211,4,5,12"));
        removeUpdateFailInfo();
        QVERIFY(readUpdateFailInfo().isEmpty());
        // The mouse version value sits beside it, named by CID and MID text.
        writeMouseVersion("33", "1", "v1.06");
        QCOMPARE(RegistryKey(updateTraceKeyPath()).value("MouseVer331").toString(), QString("v1.06"));
        QCOMPARE(readMouseVersion("33", "1"), QString("v1.06"));
    }

    void imageForListedDevice()
    {
        writeImage("d.bin", makeImage(0x103, 211, 33, 1, "QZR-4K"));
        DeviceAllInfo d;
        d.vidText = "5A51";
        d.pidText = "F511";
        g_deviceList = {d};
        QVERIFY(!FormSetting::isImageForListedDevice(binDir() + "/d.bin"));
        d.pidText = "F514";
        g_deviceList.append(d);
        QVERIFY(FormSetting::isImageForListedDevice(binDir() + "/d.bin"));
        QVERIFY(!FormSetting::isImageForListedDevice(binDir() + "/none.bin"));
    }
};

QTEST_MAIN(TestFirmware)
#include "tst_firmware.moc"

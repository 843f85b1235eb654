// Firmware images in the program folder's "bin": header parsing, the search
// for a new image and the firmware check of the selected device.

#include "configsettings.h"
#include "firmwareimage.h"
#include "formsetting.h"
#include "globals.h"
#include "testsupport.h"
#include "updaterepair.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QByteArray makeImage(quint32 version, quint8 code, quint8 cid, quint8 mid, const QByteArray &model,
                     int size = kFirmwareHeaderSize + 32)
{
    QByteArray bytes(size, '\0');
    bytes[16] = char(version & 0xFF);
    bytes[17] = char((version >> 8) & 0xFF);
    bytes[18] = char((version >> 16) & 0xFF);
    bytes[19] = char((version >> 24) & 0xFF);
    bytes[20] = char(code);
    bytes[21] = char(cid);
    bytes[22] = char(mid);
    for (int i = 0; i < model.size() && i < 64; ++i)
        bytes[87 + i] = model[i];
    const QByteArray usb = "VID_5A51&PID_F514";
    for (int i = 0; i < usb.size(); ++i)
        bytes[279 + i] = usb[i];
    bytes[size - 1] = char(0x5A);   // a body byte, to tell files apart
    return bytes;
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

    void hexMinorsStopSearchButNotTwin()
    {
        writeImage("x.bin", makeImage(0x10B, 211, 33, 1, "QZR-4K"));
        QVERIFY(!FormSetting::isNewFirmwareInBin(211, "v1.0A", "QZR-4K", 33, 1));
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
        // A receiver class without a model name in the configuration is not
        // matched against images that carry no model name either.
        QCOMPARE(FormSetting::checkFirmwareUpdate(211, "v1.02", 1), 0);

        // The mouse's model name is compared as it stands: an empty MM fits an
        // image whose model name field is empty.
        writeConfig("[Option]\nCID=MzMK\nDeviceTotal=2\n[Drive1]\nMID=1\n[Drive2]\nMID=2\nMM=\n");
        g_selectedDevice.driveIndex = 1;
        QCOMPARE(FormSetting::checkFirmwareUpdate(210, "v1.05", 0), 0);
        writeImage("plain.bin", makeImage(0x107, 210, 33, 2, ""));
        QCOMPARE(FormSetting::checkFirmwareUpdate(210, "v1.05", 0), 1);
    }

    // Image names match "*.bin" whatever their case.
    void upperCaseExtension()
    {
        const QByteArray image = makeImage(0x106, 210, 33, 1, "QZM-Q1");
        writeImage("MOUSE.BIN", image);
        QVERIFY(FormSetting::isNewFirmwareInBin(210, "v1.05", "QZM-Q1", 33, 1));
        QCOMPARE(g_firmwareImageList.value(0), image);
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

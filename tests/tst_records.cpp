// The device records and the theme helpers that every window relies on.
#include "globals.h"
#include "testsupport.h"

#include <QtTest>
#include <cstring>

class TestRecords : public QObject
{
    Q_OBJECT
private slots:
    void init() { resetAllGlobals(); }

    void imageStartsZeroAndFieldsLandOnTheirOffsets()
    {
        const u8 *raw = reinterpret_cast<const u8 *>(&g_flashDataMap);
        for (int i = 0; i < kFlashDataMapSize; ++i)
            QCOMPARE(int(raw[i]), 0);
        g_flashDataMap.sleepTime = 0x33;
        g_flashDataMap.dpiLevels[1].b = 0x44;
        g_flashDataMap.lightEnable = 0x55;
        g_flashDataMap.buttonFunctions[15].param = 0x66;
        g_flashDataMap.keyRecords[1].bytes[0] = 0x77;
        g_flashDataMap.macroRecords[15].bytes[591] = 0x88;
        QCOMPARE(int(raw[13]), 0x33);
        QCOMPARE(int(raw[15 + 6 + 5]), 0x44);
        QCOMPARE(int(raw[73]), 0x55);
        QCOMPARE(int(raw[74 + 45 + 2]), 0x66);
        QCOMPARE(int(raw[124 + 52]), 0x77);
        QCOMPARE(int(raw[10427]), 0x88);
    }

    void deviceRecordsCompareByPathOnly()
    {
        DeviceAllInfo a;
        QCOMPARE(a.vidText, QString("0"));
        QCOMPARE(a.pidText, QString("0"));
        QVERIFY(a.devicePath.isEmpty() && a.subDevices.isEmpty());
        a.devicePath = "/dev/a";
        a.cid = 1;
        DeviceAllInfo b;
        b.devicePath = "/dev/a";
        b.mid = 9;
        QVERIFY(a == b);
        b.devicePath = "/dev/b";
        QVERIFY(a != b);
    }

    void imageTravelsThroughQueuedSignalsByValue()
    {
        registerDeviceMetaTypes();
        QVERIFY(QMetaType::type("FlashDataMap") != QMetaType::UnknownType);
        QVERIFY(QMetaType::type("DeviceAllInfo") != QMetaType::UnknownType);
        QVERIFY(QMetaType::type("DongleRGB*") != QMetaType::UnknownType);
        FlashDataMap copy = g_flashDataMap;
        copy.reserved[0] = 0x12;
        QVariant v = QVariant::fromValue(copy);
        QCOMPARE(int(v.value<FlashDataMap>().reserved[0]), 0x12);
    }

    void startBuffers()
    {
        QCOMPARE(int(g_usbAddressResult[0]), 0x31);
        QCOMPARE(int(g_usbAddressInfo[0]), 0);
        QCOMPARE(int(g_upgradeIdle), 1);
        QCOMPARE(QByteArray(g_deviceHandle), QByteArray());
        QCOMPARE(QByteArray(kDummyDeviceHandle), QByteArray("a"));
        QCOMPARE(g_deviceMid, 1);
    }

    void themeStartsAtItsDefaultsAndShortListsFallBack()
    {
        QCOMPARE(themeEntries().size(), 25);
        QCOMPARE(themeRgb(g_themeLabelColor), QString("rgb(0,0,0)"));
        QCOMPARE(themeRgb(g_themeButtonColor), QString("rgb(255,255,255)"));
        QCOMPARE(themeRgbTriple(g_themeMenuBack), QString("1,1,1"));
        g_themeMenuBack = QStringList{"9", "8"};
        QCOMPARE(themeRgbTriple(g_themeMenuBack), QString("1,1,1"));
        g_themeLabelColor = QStringList{"10", " 20", "30"};
        QCOMPARE(themeRgb(g_themeLabelColor), QString("rgb(10,20,30)"));
        g_themeLabelColor.clear();
        QCOMPARE(themeRgb(g_themeLabelColor), QString("rgb(0,0,0)"));
        QCOMPARE(rgbTriple(QStringList{"1"}, "7,7,7"), QString("7,7,7"));
        resetTheme();
        QCOMPARE(g_themeMenuBack, (QStringList{"1", "1", "1"}));
        QCOMPARE(g_themeMenuBorder, QString("#000000"));
    }

    void languageLookupFallsBack()
    {
        LanguageTextTable t;
        QCOMPARE(langText(t, 0, 0), QString());
        t.append(QVector<QString>{"one", "two"});
        t.append(QVector<QString>{"eins"});
        QCOMPARE(langText(t, 1, 0), QString("eins"));
        QCOMPARE(langText(t, 1, 1), QString("two"));    // short entry: language 0
        QCOMPARE(langText(t, 7, 1), QString("two"));    // missing language: language 0
        QCOMPARE(langText(t, -1, 0), QString("one"));
        QCOMPARE(langText(t, 0, 5), QString());
        QCOMPARE(langText(t, 0, -1), QString());
        g_language = 1;
        QCOMPARE(langText(t, 0), QString("eins"));
    }
};

QTEST_MAIN(TestRecords)
#include "tst_records.moc"

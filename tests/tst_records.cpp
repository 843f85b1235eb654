// The device records and the theme helpers that every window relies on.
#include "deviceenumeration.h"
#include "devicestate.h"
#include "globals.h"
#include "linktable.h"
#include "testsupport.h"

#include <QtTest>
#include <cstring>

class TestRecords : public QObject
{
    Q_OBJECT
private slots:
    void init() { resetAllGlobals(); }

    // The image's bytes are a file format (cache and export files). The
    // record header fixes the sizes and the block offsets; the single-byte
    // settings and the order inside a DPI level and a button function are
    // fixed only here.
    void singleByteFieldsLandOnTheirOffsets()
    {
        struct Field {
            const char *name;
            int offset;
            u8 *(*at)(FlashDataMap &);
        };
#define QUZ_FIELD(offset, member) {#member, offset, [](FlashDataMap &m) { return &m.member; }}
        const Field fields[] = {
            QUZ_FIELD(0, reportRate), QUZ_FIELD(1, dpiLevelCount), QUZ_FIELD(2, dpiLevel),
            QUZ_FIELD(3, option03), QUZ_FIELD(4, option04), QUZ_FIELD(5, liftOffDistance),
            QUZ_FIELD(6, debounceTime), QUZ_FIELD(7, motionSync), QUZ_FIELD(8, ledIdleOffTime),
            QUZ_FIELD(9, angleSnapping), QUZ_FIELD(10, rippleControl), QUZ_FIELD(11, ledOffWhileMoving),
            QUZ_FIELD(12, option0C), QUZ_FIELD(13, sleepTime), QUZ_FIELD(14, option0E),
            QUZ_FIELD(15 + 6 + 2, dpiLevels[1].code[2]), QUZ_FIELD(15 + 6 + 3, dpiLevels[1].r),
            QUZ_FIELD(15 + 6 + 4, dpiLevels[1].g), QUZ_FIELD(15 + 6 + 5, dpiLevels[1].b),
            QUZ_FIELD(63, dpiLedMode), QUZ_FIELD(64, dpiLedBrightness), QUZ_FIELD(65, dpiLedSpeed),
            QUZ_FIELD(66, dpiLedEnable), QUZ_FIELD(67, lightMode), QUZ_FIELD(68, lightR), QUZ_FIELD(69, lightG),
            QUZ_FIELD(70, lightB), QUZ_FIELD(71, lightSpeed), QUZ_FIELD(72, lightBrightness),
            QUZ_FIELD(73, lightEnable), QUZ_FIELD(74 + 3 * 15, buttonFunctions[15].type),
            QUZ_FIELD(74 + 3 * 15 + 1, buttonFunctions[15].code), QUZ_FIELD(74 + 3 * 15 + 2, buttonFunctions[15].param),
        };
#undef QUZ_FIELD
        for (const Field &f : fields) {
            FlashDataMap image;
            std::memset(&image, 0, sizeof image);
            *f.at(image) = 0xA5;
            const u8 *raw = reinterpret_cast<const u8 *>(&image);
            QVERIFY2(raw[f.offset] == 0xA5, f.name);
        }
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

    // What a link byte says, for every window that asks. Receivers report
    // 0, 1, 4 and 5; any other bit set is a mouse on its cable.
    void linkByteTable_data()
    {
        QTest::addColumn<int>("link");
        // wired, receiver class, kind of a receiver entry, badge, high rates
        // (and the second page background), rate class, receiver light, the
        // class code pairing gives a mouse for the receiver's class, the
        // model key of the class's firmware images, whether an update asks
        // the receiver for its version, the product id list of the class
        QTest::addColumn<QString>("expected");
        QTest::newRow("1K receiver") << 0 << "0 1 1 1KHz.png 0 0 0 0 DM 0 Wireless_PID";
        QTest::newRow("4K receiver") << 1 << "0 4 3 4KHz.png 0 1 1 1 D4M 1 Wireless4_PID";
        QTest::newRow("cable") << 2 << "1 0 -1 - 0 0 0 0 - 0 -";
        QTest::newRow("cable, 8K") << 3 << "1 0 -1 8KHz.png 1 3 0 0 - 0 -";
        QTest::newRow("2K receiver") << 4 << "0 2 2 2KHz.png 0 2 0 1 D2M 1 Wireless2_PID";
        QTest::newRow("8K receiver") << 5 << "0 8 4 8KHz.png 1 3 0 4 D8M 1 Wireless8_PID";
        QTest::newRow("unknown cable link") << 6 << "1 0 -1 - 0 -1 0 0 - 0 -";
        QTest::newRow("unknown link") << 0xFF << "1 0 -1 - 0 -1 0 0 - 0 -";
    }
    void linkByteTable()
    {
        QFETCH(int, link);
        QFETCH(QString, expected);
        const LinkKind &kind = linkKindOf(link);
        DeviceAllInfo receiverEntry;
        receiverEntry.linkType = u8(link);
        const int receiverClass = receiverClassOfLink(link);
        g_wirelessPids = QStringList{"Wireless_PID"};
        g_wireless2Pids = QStringList{"Wireless2_PID"};
        g_wireless4Pids = QStringList{"Wireless4_PID"};
        g_wireless8Pids = QStringList{"Wireless8_PID"};
        const char *modelKey = receiverModelKeyOfClass(receiverClass);
        const QString got = QStringList{QString::number(isWiredLink(u8(link))),
                                        QString::number(receiverClassOfLink(link)),
                                        QString::number(deviceKindOf(receiverEntry)),
                                        kind.badge ? QString(kind.badge) : QString("-"),
                                        QString::number(kind.highRates),
                                        QString::number(kind.rateClass),
                                        QString::number(reachesReceiverLight(receiverEntry)),
                                        QString::number(pairingCodeOfClass(receiverClass)),
                                        modelKey ? QString(modelKey) : QString("-"),
                                        QString::number(receiverTellsOwnVersion(receiverClass)),
                                        receiverPidsOfClass(receiverClass).value(0, "-")}
                                .join(' ');
        // The record's text names the same classes.
        QCOMPARE(receiverClassOfText(QString::number(receiverClass)), receiverClass);
        QCOMPARE(got, expected);
        QCOMPARE(QString(kind.buttonPageBackground), kind.highRates ? QString("key_nr_2.png") : QString("key_nr.png"));
        // A mouse on its cable is counted as such, and never has the receiver's light.
        receiverEntry.isWired = 1;
        QCOMPARE(deviceKindOf(receiverEntry), 0);
        QVERIFY(!reachesReceiverLight(receiverEntry));
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

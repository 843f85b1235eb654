// The two ini stores, the registry stand-in and the shipped product
// configuration.
#include "configsettings.h"
#include "globals.h"
#include "macrosettings.h"
#include "registry.h"
#include "testsupport.h"

#include <QtTest>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSettings>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>
#include <array>
#include <atomic>

namespace {

QString b64(const QString &text)
{
    return QString::fromLatin1(text.toUtf8().toBase64());
}

// Writes an ini text as "usersetting/Config.ini" below dir.
void writeConfig(const QString &dir, const QByteArray &text)
{
    QDir().mkpath(dir + "/usersetting");
    QFile f(dir + "/usersetting/Config.ini");
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text);
}

bool allDecimal(const QStringList &list)
{
    for (const QString &s : list) {
        bool ok = false;
        s.toInt(&ok);
        if (!ok)
            return false;
    }
    return true;
}

bool isRgbList(const QStringList &list)
{
    if (list.size() != 3)
        return false;
    for (const QString &s : list) {
        bool ok = false;
        const int v = s.toInt(&ok);
        if (!ok || v < 0 || v > 255)
            return false;
    }
    return true;
}

} // namespace

class TestSettings : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;

    void pointConfigAt(const QString &dir)
    {
        setProgramDirOverride(dir);
        ConfigSettings::resetForTests();
    }

    void pointConfigAtShippedFile()
    {
        pointConfigAt(QStringLiteral(QUZ_SOURCE_DIR) + "/resources");
        QVERIFY(QFile::exists(ConfigSettings::instance()->filePath()));
    }

private slots:
    void init()
    {
        resetAllGlobals();
        ConfigSettings::resetForTests();
        MacroSettings::resetForTests();
    }

    void cleanupTestCase()
    {
        setProgramDirOverride(QString());
        ConfigSettings::resetForTests();
        MacroSettings::resetForTests();
    }

    // ---- ConfigSettings ----------------------------------------------------

    void encodedKeysAreDecodedAndOthersLeftAlone()
    {
        const QString dir = m_dir.path() + "/decode";
        const QByteArray ini =
            "[Option]\n"
            "CID=" + b64("33\n").toLatin1() + "\n"
            "USB_PID=" + b64("F510\n").toLatin1() + ", " + b64("F5 0A").toLatin1() + "\n"
            "DeviceTotal=" + b64("33\n").toLatin1() + "\n"
            "[Drive1]\n"
            "Sensor=" + b64("3395\n").toLatin1() + "\n"
            "MID=" + b64("1").toLatin1() + "\n"
            "MM=" + b64("Grüße-1").toLatin1() + "\n"
            "DM=\n";
        writeConfig(dir, ini);
        pointConfigAt(dir);
        ConfigSettings *cfg = ConfigSettings::instance();

        QCOMPARE(cfg->readString("Drive1", "Sensor"), QString("3395"));
        QCOMPARE(cfg->readString("Option", "CID").toInt(), 33);
        QCOMPARE(cfg->readStringList("Option", "USB_PID"), QStringList({"F510", "F50A"}));
        // Keys outside the thirteen come back exactly as stored.
        QCOMPARE(cfg->readString("Option", "DeviceTotal"), b64("33\n"));
        QCOMPARE(cfg->readString("Drive1", "MID"), b64("1"));
        // Decoding is UTF-8 throughout.
        QCOMPARE(cfg->readString("Drive1", "MM"), QString("Grüße-1"));
        // An encoded key present but empty reads empty.
        QCOMPARE(cfg->readString("Drive1", "DM"), QString());
        QVERIFY(cfg->readStringList("Drive1", "DM").isEmpty());

        QVERIFY(ConfigSettings::isEncodedKey("Wireless8_PID"));
        QVERIFY(!ConfigSettings::isEncodedKey("MID"));
        QVERIFY(!ConfigSettings::isEncodedKey("sensor"));
        // The stand-alone decoder keeps line feeds; only the key reads drop them.
        QCOMPARE(ConfigSettings::decodeBase64(b64("a b\n")), QString("a b\n"));
        // Not Base64 at all: whatever comes out, no crash.
        ConfigSettings::decodeBase64("!!not base64!!");
    }

    void missingFileOrKeyReadsEmpty()
    {
        pointConfigAt(m_dir.path() + "/nowhere");
        ConfigSettings *cfg = ConfigSettings::instance();
        QVERIFY(cfg->readString("Option", "VID").isEmpty());
        QVERIFY(cfg->readString("Option", "DeviceTotal").isEmpty());
        QCOMPARE(cfg->readString("Option", "DeviceTotal").toInt(), 0);
        QVERIFY(cfg->readStringList("Option", "USB_PID").isEmpty());
        QVERIFY(cfg->readStringList("Drive1", "KeyParam1").isEmpty());
        // Reading creates no file.
        QVERIFY(!QFile::exists(cfg->filePath()));
    }

    void instanceIsOneObjectUntilReset()
    {
        const QString a = m_dir.path() + "/a";
        const QString b = m_dir.path() + "/b";
        writeConfig(a, "[Option]\nDeviceTotal=1\n");
        writeConfig(b, "[Option]\nDeviceTotal=2\n");
        pointConfigAt(a);
        ConfigSettings *first = ConfigSettings::instance();
        QCOMPARE(ConfigSettings::instance(), first);
        QCOMPARE(first->readString("Option", "DeviceTotal"), QString("1"));
        pointConfigAt(b);
        QCOMPARE(ConfigSettings::instance()->readString("Option", "DeviceTotal"), QString("2"));
    }

    void concurrentReadsAgree()
    {
        pointConfigAtShippedFile();
        std::atomic<int> wrong{0};
        std::atomic<int> created{0};
        std::array<ConfigSettings *, 8> seen{};
        QList<QThread *> threads;
        for (int t = 0; t < 8; ++t) {
            threads << QThread::create([t, &wrong, &created, &seen] {
                ConfigSettings *cfg = ConfigSettings::instance();
                seen[t] = cfg;
                ++created;
                for (int i = 0; i < 400; ++i) {
                    const QString group = "Drive" + QString::number(1 + (i + t) % 2);
                    if (cfg->readString(group, "MID") != QString::number(1 + (i + t) % 2))
                        ++wrong;
                    if (cfg->readStringList("Option", "Wireless4_PID") != QStringList{"F514"})
                        ++wrong;
                    if (cfg->readStringList("ColorSet1", "DPIBorder").size() != 3)
                        ++wrong;
                    if (cfg->readString("Option", "VID") != "5A51")
                        ++wrong;
                }
            });
        }
        // The first uses race on purpose: all of them must get the one store.
        ConfigSettings::resetForTests();
        for (QThread *th : threads)
            th->start();
        for (QThread *th : threads) {
            QVERIFY(th->wait(60000));
            delete th;
        }
        QCOMPARE(created.load(), 8);
        QCOMPARE(wrong.load(), 0);
        for (ConfigSettings *p : seen)
            QCOMPARE(p, seen[0]);
    }

    // ---- MacroSettings -----------------------------------------------------

    void macroSettingsRoundTripSurvivesANewStore()
    {
        QDir().mkpath(userDataDir());
        MacroSettings *m = MacroSettings::instance();
        QCOMPARE(m->filePath(), userDataDir() + "/Macro.ini");
        // Empty or missing file: empty text, language 0.
        QVERIFY(m->readString("Language", "Language").isEmpty());
        QCOMPARE(m->readString("Language", "Language").toInt(), 0);

        const QString text = QString::fromUtf8("宏 Grüße ñ — ✓");
        m->writeString("Macro", "Name", text);
        m->writeString("Language", "Language", "1");
        m->writeString("AutoMin", "Enable", "0");
        QCOMPARE(m->readString("Macro", "Name"), text);

        // The value is on disk at once, readable by a store opened afresh.
        MacroSettings::resetForTests();
        MacroSettings *again = MacroSettings::instance();
        QCOMPARE(again->readString("Macro", "Name"), text);
        QCOMPARE(again->readString("Language", "Language"), QString("1"));
        QCOMPARE(again->readString("AutoMin", "Enable"), QString("0"));
        QFile f(userDataDir() + "/Macro.ini");
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(f.readAll().contains(text.toUtf8()));

        again->remove("Macro", "Name");
        QVERIFY(again->readString("Macro", "Name").isEmpty());
        QVERIFY(again->readStringList("Macro", "Name").isEmpty());
        MacroSettings::resetForTests();
        QVERIFY(MacroSettings::instance()->readString("Macro", "Name").isEmpty());
    }

    // ---- Registry stand-in ---------------------------------------------------

    void registryValuesPersistAndKeysStaySeparate()
    {
        const QString driveKey = "HKEY_CURRENT_USER\\Software\\Quzmar\\Quzmar\\Mouse Drive Test";
        const QString programKey = "HKEY_CURRENT_USER\\Software\\Quzmar\\Quzmar\\Quzmar";
        QCOMPARE(RegistryKey::deviceRecordsKeyPath(), driveKey);
        QCOMPARE(RegistryKey::programKeyPath("Quzmar"), programKey);
        QCOMPARE(RegistryKey::groupForKeyPath(driveKey), QString("Software/Quzmar/Quzmar/Mouse Drive Test"));
        QVERIFY(RegistryKey::groupForKeyPath("HKEY_LOCAL_MACHINE\\Software\\X")
                != RegistryKey::groupForKeyPath("HKEY_CURRENT_USER\\Software\\X"));

        const QString xdg = QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME"));
        if (!xdg.isEmpty())
            QCOMPARE(RegistryKey::storePath(), xdg + "/Quzmar/registry.ini");

        // Work from an empty current folder to see that nothing lands there.
        QTemporaryDir cwd;
        const QString oldCwd = QDir::currentPath();
        QVERIFY(QDir::setCurrent(cwd.path()));
        {
            RegistryKey drive(driveKey);
            RegistryKey program(programKey);
            QVERIFY(!drive.contains("MouseVer331"));
            QCOMPARE(drive.value("MouseVer331", "none").toString(), QString("none"));
            drive.setValue("MouseVer331", "v1.0A");
            drive.setValue("UpdateFailInfo", "211,4,33,1");
            program.setValue("LanguageIndex", 5);
            QVERIFY(!program.contains("MouseVer331"));
            QVERIFY(!drive.contains("LanguageIndex"));
        }
        {
            RegistryKey drive(driveKey);
            RegistryKey program(programKey);
            QCOMPARE(drive.value("MouseVer331").toString(), QString("v1.0A"));
            QCOMPARE(drive.value("UpdateFailInfo").toString(), QString("211,4,33,1"));
            QCOMPARE(program.value("LanguageIndex").toInt(), 5);
            drive.remove("UpdateFailInfo");
            program.remove("LanguageIndex");
            program.remove("NeverThere");
        }
        {
            RegistryKey drive(driveKey);
            QVERIFY(!drive.contains("UpdateFailInfo"));
            QVERIFY(drive.contains("MouseVer331"));
            QVERIFY(!RegistryKey(programKey).contains("LanguageIndex"));
        }
        const QStringList leftovers = QDir(cwd.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
        QDir::setCurrent(oldCwd);
        QVERIFY2(leftovers.isEmpty(), qPrintable(leftovers.join(", ")));
        QVERIFY(QFile::exists(RegistryKey::storePath()));
    }

    void registryWritesFromAnotherThreadAreSeen()
    {
        const QString key = "HKEY_CURRENT_USER\\Software\\Quzmar\\Quzmar\\Mouse Drive Test";
        QThread *writer = QThread::create([key] {
            for (int i = 0; i < 50; ++i)
                RegistryKey(key).setValue("MouseVer33" + QString::number(i % 3), "v1." + QString::number(i));
        });
        writer->start();
        for (int i = 0; i < 50; ++i)
            RegistryKey(key).value("MouseVer330");
        QVERIFY(writer->wait(60000));
        delete writer;
        QCOMPARE(RegistryKey(key).value("MouseVer331").toString(), QString("v1.49"));
        QCOMPARE(RegistryKey(key).value("MouseVer332").toString(), QString("v1.47"));
    }

    // ---- The shipped Config.ini ------------------------------------------------

    void shippedOptionGroup()
    {
        pointConfigAtShippedFile();
        ConfigSettings *cfg = ConfigSettings::instance();
        {
            QSettings raw(cfg->filePath(), QSettings::IniFormat);
            QCOMPARE(raw.status(), QSettings::NoError);
            const QStringList groups = raw.childGroups();
            for (const char *g : {"Option", "Drive1", "Drive2", "Adveanced", "ColorSet1", "ColorSet2"})
                QVERIFY2(groups.contains(g), g);
        }
        QCOMPARE(cfg->readString("Option", "VID"), QString("5A51"));
        QCOMPARE(cfg->readString("Option", "CID"), QString("33"));
        QCOMPARE(cfg->readString("Option", "InterfaceId"), QString("1"));
        QCOMPARE(cfg->readString("Option", "DeviceId"), QString("5"));
        QCOMPARE(cfg->readString("Option", "DeviceTotal").toInt(), 2);
        QCOMPARE(cfg->readString("Option", "ShowBatteryValue").toInt(), 1);
        bool ok = false;
        cfg->readString("Option", "Transition").toInt(&ok);
        QVERIFY(ok);

        const QStringList pidKeys = {"USB_PID", "Wireless_PID", "Wireless2_PID", "Wireless4_PID", "Wireless8_PID"};
        const QStringList pids = {"F510", "F511", "F512", "F514", "F518"};
        for (int i = 0; i < pidKeys.size(); ++i)
            QCOMPARE(cfg->readStringList("Option", pidKeys[i]), QStringList{pids[i]});

        // Pairing falls back on these triples when a device gives no CID:
        // one per product id, all with the product's CID.
        const QStringList vpc = cfg->readStringList("Option", "VPC");
        QCOMPARE(vpc.size() % 3, 0);
        QSet<QString> covered;
        for (int i = 0; i + 2 < vpc.size(); i += 3) {
            QCOMPARE(vpc[i], QString("5A51"));
            QCOMPARE(vpc[i + 2].toInt(), 33);
            covered.insert(vpc[i + 1]);
        }
        QCOMPARE(covered, QSet<QString>(pids.begin(), pids.end()));

        for (const char *key : {"LabelColor", "ButtonColor", "ComboxTextColor", "ComboxSelectColor",
                                "ComboxBackGroundColor", "LinEditColorSecond", "SliderColor"})
            QVERIFY2(isRgbList(cfg->readStringList("Option", key)), key);
    }

    void shippedDriveGroups()
    {
        pointConfigAtShippedFile();
        ConfigSettings *cfg = ConfigSettings::instance();
        const int total = cfg->readString("Option", "DeviceTotal").toInt();
        const QStringList sensors = {"3395", "3950"};
        const QStringList mouseModels = {"QZM-Q1", "QZM-Q2"};
        const QStringList receiverKeys = {"DM", "D2M", "D4M", "D8M"};
        QSet<int> mids;
        for (int k = 1; k <= total; ++k) {
            const QString g = "Drive" + QString::number(k);
            const QByteArray where = g.toLatin1();

            const int mid = cfg->readString(g, "MID").toInt();
            QVERIFY2(mid >= 1 && mid <= 67, where);   // the device choice keeps 1..67 only
            QCOMPARE(mid, k);                         // the card pictures exist for MID 1 and 2
            mids.insert(mid);
            QCOMPARE(cfg->readString(g, "Sensor"), sensors[k - 1]);
            QCOMPARE(cfg->readString(g, "MM"), mouseModels[k - 1]);

            // Model texts are compared with a 64-byte field of image headers.
            int receivers = 0;
            const QStringList modelKeys = QStringList(receiverKeys) << "MM";
            for (const QString &key : modelKeys) {
                const QString model = cfg->readString(g, key);
                QVERIFY2(model.toLocal8Bit().size() < 64, where);
                for (QChar c : model)
                    QVERIFY2(c.unicode() > 32 && c.unicode() < 127, where);
                if (key != "MM" && !model.isEmpty())
                    ++receivers;
            }
            QCOMPARE(receivers, 1);
            QCOMPARE(cfg->readString(g, k == 1 ? "D4M" : "D8M"), QString(k == 1 ? "QZR-4K" : "QZR-8K"));

            const int colorKey = cfg->readString(g, "ColorKey").toInt();
            QCOMPARE(colorKey, k);
            QCOMPARE(cfg->readString(g, "KeyNumber").toInt(), 6);
            const int levels = cfg->readString(g, "DPIMaxGrade").toInt();
            QVERIFY2(levels >= 1 && levels <= 8, where);

            // DPI ranges: one to four ascending segments whose bounds lie on
            // their step, then the range type in hexadecimal. Every level
            // must stay within the 10-bit linear code of these sensors.
            const QStringList range = cfg->readStringList(g, "DPIRange");
            QCOMPARE((range.size() - 1) % 3, 0);
            const int segments = (range.size() - 1) / 3;
            QVERIFY2(segments >= 1 && segments <= 4, where);
            QVERIFY2(allDecimal(range.mid(0, range.size() - 1)), where);
            bool ok = false;
            range.last().toInt(&ok, 16);
            QVERIFY2(ok, where);
            int previousMax = 0;
            for (int s = 0; s < segments; ++s) {
                const int lo = range[3 * s].toInt(), hi = range[3 * s + 1].toInt(), step = range[3 * s + 2].toInt();
                QVERIFY2(step > 0 && lo > previousMax && lo <= hi, where);
                QVERIFY2(lo % step == 0 && hi % step == 0, where);
                QVERIFY2(hi / 50 - 1 <= 1023, where);
                previousMax = hi;
            }

            // Default levels: eight values on the DPI grid.
            const QStringList grades = cfg->readStringList(g, "DPIGrade");
            QCOMPARE(grades.size(), 8);
            for (const QString &grade : grades) {
                const int dpi = grade.toInt();
                bool onGrid = false;
                for (int s = 0; s < segments; ++s) {
                    const int lo = range[3 * s].toInt(), hi = range[3 * s + 1].toInt(), step = range[3 * s + 2].toInt();
                    if (dpi >= lo && dpi <= hi && dpi % step == 0)
                        onGrid = true;
                }
                QVERIFY2(onGrid, qPrintable(g + " " + grade));
            }
            const QStringList colorsA = cfg->readStringList(g, "DPIColorA");
            QCOMPARE(colorsA.size(), 24);
            for (int i = 0; i < 24; i += 3)
                QVERIFY2(isRgbList(colorsA.mid(i, 3)), where);
            const QStringList colors = cfg->readStringList(g, "DPIColor");
            QCOMPARE(colors.size(), 8);
            for (int i = 0; i < 8; ++i) {
                const QColor c(colors[i]);
                QVERIFY2(c.isValid(), where);
                QCOMPARE(QStringList({QString::number(c.red()), QString::number(c.green()), QString::number(c.blue())}),
                         colorsA.mid(3 * i, 3));
            }

            // Button defaults: six lists; a key record is 0x05 with three or
            // four elements.
            for (int n = 1; n <= 6; ++n) {
                const QStringList param = cfg->readStringList(g, "KeyParam" + QString::number(n));
                QVERIFY2(param.size() >= 3, where);
                bool hex = false;
                for (const QString &p : param.mid(0, 3)) {
                    QVERIFY2(p.startsWith("0x"), where);
                    p.toInt(&hex, 16);
                    QVERIFY2(hex, where);
                }
                if (param[0] == "0x05")
                    QVERIFY2(param.size() == 3 || param.size() == 4, where);
            }

            // Receiver options, read under both orientations.
            const QStringList adv = cfg->readStringList(g, "Adveanced");
            QCOMPARE(cfg->readStringList("Adveanced", g), adv);
            QCOMPARE(adv.size(), 2);
            const int longRange = adv[0].toInt(&ok);
            QVERIFY2(ok && longRange >= 0 && longRange <= 2, where);
            const int led = adv[1].toInt(&ok);
            QVERIFY2(ok && led >= -1 && led <= 3, where);
        }
        QCOMPARE(mids.size(), total);
    }

    void shippedColorSets()
    {
        pointConfigAtShippedFile();
        ConfigSettings *cfg = ConfigSettings::instance();
        const QRegularExpression hexColour("^#[0-9a-fA-F]{6}$");
        const int total = cfg->readString("Option", "DeviceTotal").toInt();
        for (int k = 1; k <= total; ++k) {
            const QString set = "ColorSet" + cfg->readString("Drive" + QString::number(k), "ColorKey");
            for (const ThemeEntry &e : themeEntries()) {
                const QByteArray what = (set + "/" + e.key).toLatin1();
                if (e.list) {
                    QVERIFY2(isRgbList(cfg->readStringList(set, e.key)), what);
                } else {
                    QVERIFY2(hexColour.match(cfg->readString(set, e.key)).hasMatch(), what);
                }
            }
        }
        QCOMPARE(themeEntries().size(), 25);
    }
};

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"

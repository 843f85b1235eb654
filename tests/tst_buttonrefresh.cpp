// The device page against the simulated mouse: what it shows after every
// kind of device data (never writing anything back, online or offline),
// the button labels it reads from the image, its own controls reaching the
// device (and showing the old state when the device does not take them),
// and buttons bound to a deleted macro falling back to their defaults.

#include "HIDUsb.h"
#include "buttoninterface.h"
#include "containreset.h"
#include "deviceevent.h"
#include "configsettings.h"
#include "devicestate.h"
#include "hidusb_sim.h"
#include "languageloader.h"
#include "postmsg.h"
#include "testsupport.h"
#include "worker.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include <cstring>
#include <functional>
#include <memory>

using PageStep = std::function<void(Buttoninterface &)>;
Q_DECLARE_METATYPE(PageStep)

namespace {

FlashDataMap factoryImage()
{
    FlashDataMap image;
    hidsim::factoryImage(1, reinterpret_cast<unsigned char *>(&image));
    return image;
}

FlashDataMap storedImage()
{
    FlashDataMap image;
    hidsim::storedImage("M1", reinterpret_cast<unsigned char *>(&image));
    return image;
}

template <typename T> T *find(QObject &root, const char *name)
{
    T *w = root.findChild<T *>(QString::fromLatin1(name));
    if (!w)
        qFatal("no child %s", name);
    return w;
}

bool checked(QObject &root, const char *name)
{
    return find<QAbstractButton>(root, name)->isChecked();
}

QString text(QObject &root, const char *name)
{
    return find<QAbstractButton>(root, name)->text();
}

// A refresh of both kinds with an image edited from the factory one.
PageStep refresh(std::function<void(FlashDataMap &)> edit)
{
    return [edit](Buttoninterface &page) {
        FlashDataMap image = factoryImage();
        edit(image);
        page.SlotUpDataButtonUIB(image);
        page.SlotUpDataButtonUIButton(image);
    };
}

// Answers every modal notice: records its class and text, accepts a reset
// question when asked to, then closes it.
struct NoticeAnswer {
    QStringList seen;
    bool acceptReset = true;
    std::function<void()> whileOpen;
    QTimer timer;
    NoticeAnswer()
    {
        QObject::connect(&timer, &QTimer::timeout, [this] {
            QWidget *w = QApplication::activeModalWidget();
            if (!w)
                return;
            const QList<QLabel *> labels = w->findChildren<QLabel *>();
            seen << QString(w->metaObject()->className()) + ":" + (labels.isEmpty() ? QString() : labels.first()->text());
            if (auto *question = qobject_cast<ContainReset *>(w))
                question->accepted = acceptReset;
            if (whileOpen)
                whileOpen();
            w->close();
        });
        timer.start(10);
    }
};

const QString kShort = QStringLiteral("     ");
const QString kLong = QStringLiteral("        ");

} // namespace

class TestButtonRefresh : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Buttoninterface> page;
    std::unique_ptr<QTemporaryDir> program;

    // A program folder whose Config.ini is the shipped one with these
    // "key=value" lines in place of the same keys of [Drive1].
    void useDrive1(const QStringList &lines)
    {
        QFile shipped(builtProgramDir() + "/usersetting/Config.ini");
        QVERIFY(shipped.open(QIODevice::ReadOnly));
        QStringList ini = QString::fromUtf8(shipped.readAll()).split('\n');
        const int group = ini.indexOf("[Drive1]");
        for (const QString &line : lines) {
            const QString key = line.section('=', 0, 0) + "=";
            int at = group + 1;
            while (at < ini.size() && !ini.at(at).startsWith('[') && !ini.at(at).startsWith(key))
                ++at;
            if (at < ini.size() && ini.at(at).startsWith(key))
                ini[at] = line;
            else
                ini.insert(group + 1, line);
        }
        program.reset(new QTemporaryDir);
        QDir().mkpath(program->path() + "/usersetting");
        const QString shippedDir = builtProgramDir();
        QFile::copy(shippedDir + "/driver_sensor.h", program->path() + "/driver_sensor.h");
        QFile::link(shippedDir + "/Picture", program->path() + "/Picture");
        QFile config(program->path() + "/usersetting/Config.ini");
        QVERIFY(config.open(QIODevice::WriteOnly));
        config.write(ini.join('\n').toUtf8());
        config.close();
        setProgramDirOverride(program->path());
        ConfigSettings::resetForTests();
    }

    // The default bench's 4K receiver with its mouse, as the device page
    // talks to it.
    void select()
    {
        g_selectedDevice = benchReceiverEntry();
        setDeviceHandlePath(g_selectedDevice.devicePath.toUtf8());
        g_deviceOnline = 1;
        UsbServerC_Start(g_deviceHandle, g_deviceHandle, onDeviceEvent);
    }

    void newPage()
    {
        page.reset(new Buttoninterface);
        g_checkTimer->stop();
        page->SlotAllLanguage(0);
        g_uiWriteEnabled = 1;
    }

private slots:
    void initTestCase()
    {
        registerDeviceMetaTypes();
        LanguageLoader loader;
        loader.LanguageTextLoader();
    }
    void init()
    {
        resetDeviceBench();
        QDir(userDataDir()).removeRecursively();
        newPage();
        select();
    }
    void cleanup()
    {
        StopUsbChanged();
        UsbServer_Exit();
        hidsim::waitIdle();
        page.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        setProgramDirOverride(QString());
        ConfigSettings::resetForTests();
        program.reset();
    }

    // ---- What the page shows ---------------------------------------------------

    // Each row fills the page and checks what it shows; every row runs with
    // the device answering and not: filling the page never writes.
    void showsWhatTheDeviceHolds_data()
    {
        QTest::addColumn<QStringList>("drive");
        QTest::addColumn<PageStep>("step");
        auto add = [](const char *name, const QStringList &drive, PageStep step) {
            QTest::newRow(name) << drive << step;
        };
        auto shown = [](std::function<void(FlashDataMap &)> edit, PageStep check) {
            return PageStep([=](Buttoninterface &p) { refresh(edit)(p), check(p); });
        };
        add("receiver shows 2000 Hz as 1000 Hz, a later report as 2000 Hz", {}, [](Buttoninterface &p) {
            g_selectedDevice.isWired = 1;
            refresh([](FlashDataMap &d) { d.reportRate = 0x10; })(p);
            QVERIFY(checked(p, "Button1000HZ"));
            p.SlotUpDataReportRate(0x10);
            QVERIFY(checked(p, "Button2000HZ"));
        });
        add("link with high rates shows 8000 Hz", {}, [](Buttoninterface &p) {
            g_selectedDevice.linkType = 3;
            refresh([](FlashDataMap &d) { d.reportRate = 0x40; })(p);
            QVERIFY(checked(p, "Button8000HZ") && !find<QWidget>(p, "Button8000HZ")->isHidden());
        });
        add("options, 30 min sleep, 0.7 mm lift-off, debounce", {}, shown([](FlashDataMap &d) {
            d.sleepTime = 180, d.liftOffDistance = 3, d.angleSnapping = 1, d.rippleControl = 0, d.motionSync = 0;
            d.debounceTime = 13;
        }, [](Buttoninterface &p) {
            QVERIFY(checked(p, "Button30M") && checked(*find<QWidget>(p, "frameLOD"), "MM0"));
            QVERIFY(checked(*find<QWidget>(p, "frame_4"), "MM0") && !checked(*find<QWidget>(p, "frame"), "MM0"));
            QVERIFY(!checked(p, "Reset_3"));
            QCOMPARE(find<QSpinBox>(p, "spinBoxButton")->value(), 13);
        }));
        add("performance option on with 20K", {}, shown([](FlashDataMap &d) { d.option0C = 1, d.option04 = 1; },
                                                         [](Buttoninterface &p) {
            QVERIFY(checked(p, "Reset_4") && checked(p, "toolButton"));
            QVERIFY(!find<QWidget>(p, "toolButton")->isHidden() && find<QWidget>(p, "pushButton")->isHidden());
            QCOMPARE(find<QLabel>(p, "label_10")->text(), QString("Performance on"));
            // A language change keeps telling the switch's state.
            p.SlotAllLanguage(1);
            QCOMPARE(find<QLabel>(p, "label_10")->text(), QString::fromUtf8("高性能模式：开"));
            p.SlotAllLanguage(0);
            QCOMPARE(find<QLabel>(p, "label_10")->text(), QString("Performance on"));
        }));
        add("3395 level with bits 8 and 9 of the code", {}, shown([](FlashDataMap &d) {
            d.dpiLevel = 1, d.dpiLevels[1].code[0] = 0x2B, d.dpiLevels[1].code[2] = 0x40;
        }, [](Buttoninterface &p) {
            QCOMPARE(text(p, "BrightRedButton"), QString("15000"));
            QCOMPARE(find<QSpinBox>(p, "spinBoxA")->value(), 15000);
        }));
        add("table sensor: doubled twice, a code outside the table",
            {"Sensor=UVMxMgo=", "DPIRange=100, 12000, 100, 0x33"}, shown([](FlashDataMap &d) {
                d.dpiLevels[0].code[0] = 0x08, d.dpiLevels[0].code[2] = 0x33;
                d.dpiLevels[2].code[0] = 0xFF, d.dpiLevels[2].code[2] = 0;
            }, [](Buttoninterface &p) {
                QCOMPARE(text(p, "BlueButton"), QString("1600"));
                QCOMPARE(text(p, "RedButton"), QString("0"));
            }));
        add("product data naming more levels and buttons than the image holds", {"DPIMaxGrade=5000", "KeyNumber=100"},
            shown([](FlashDataMap &d) { std::memset(d.keyRecords, 0xFF, sizeof d.keyRecords); },
                  [](Buttoninterface &p) { QCOMPARE(text(p, "LightYellowButton"), QString("26000")); }));
        // As many levels as the shipped product data let the user choose,
        // each a level button the page shows.
        add("the shipped product data offer only levels the page shows", {}, [](Buttoninterface &p) {
            ConfigSettings *config = ConfigSettings::instance();
            const int models = config->readString("Option", "DeviceTotal").toInt();
            QVERIFY(models > 0);
            const auto *frame = find<QWidget>(p, "frameDpi");
            for (int k = 1; k <= models; ++k) {
                const int offered = config->readString(QString("Drive%1").arg(k), "DPIMaxGrade").toInt();
                refresh([offered](FlashDataMap &d) { d.dpiLevelCount = u8(offered), d.dpiLevel = 0; })(p);
                int shown = 0;
                for (const char *name : {"BlueButton", "BrightRedButton", "RedButton", "YellowButton", "GreenButton",
                                         "PurpleButton", "LightBlueButton", "LightYellowButton"}) {
                    const auto *level = find<QWidget>(p, name);
                    const QRect place(level->mapTo(frame, QPoint(0, 0)), level->size());
                    if (level->isVisibleTo(frame) && frame->rect().intersects(place))
                        ++shown;
                }
                QCOMPARE(shown, offered);
            }
        });
        add("profiles: four with the third selected, then none reported", {}, [](Buttoninterface &p) {
            auto *box = find<QComboBox>(p, "ProjectChoose");
            p.SlotUpDataConfigUI(4, 2, true);
            QVERIFY(box->count() == 4 && box->isEnabled());
            QCOMPARE(box->currentText(), QString("    Profile 3"));
            p.SlotUpDataConfigUI(0, 0, false);
            QVERIFY(box->count() == 1 && !box->isEnabled());
        });
        add("battery red at 15, green at 16", {}, [](Buttoninterface &p) {
            p.SlotBattery(false, 15, true);
            QVERIFY(find<QLabel>(p, "label")->isHidden() && p.batteryText() == "15%");
            QVERIFY(find<QWidget>(p, "progressBar")->styleSheet().contains("152, 43, 34"));
            p.SlotBattery(true, 16, false);
            QVERIFY(!find<QLabel>(p, "label")->isHidden() && p.batteryText() == "16");
            QVERIFY(find<QWidget>(p, "progressBar")->styleSheet().contains("0, 255, 153"));
        });
        add("a DPI level past the image changes nothing", {}, [](Buttoninterface &p) {
            p.SlotUpDataDPI(3);
            g_uiWriteEnabled = 0;
            p.SlotUpDataDPI(9);
            QVERIFY(checked(p, "YellowButton") && g_uiWriteEnabled == 1);
        });
        add("factory view without device data", {}, [](Buttoninterface &p) {
            p.SlotFormResetButton();
            QVERIFY(checked(p, "Button1000HZ") && checked(p, "Button1") && checked(*find<QWidget>(p, "frameLOD"), "MM1"));
            QVERIFY(checked(p, "Reset_3") && !checked(p, "Reset_4"));
            QCOMPARE(find<QSpinBox>(p, "spinBoxA")->value(), 800);
        });
        add("language change without a cache file labels from the live image", {}, [](Buttoninterface &p) {
            g_flashDataMap = factoryImage();
            g_flashDataMap.buttonFunctions[0] = {1, 2, 0};
            p.SlotAllLanguage(0);
            QCOMPARE(p.buttonWidget(0)->text(), kShort + "   Right click");
        });
        add("the press field takes keys until a field loses the focus", {}, [](Buttoninterface &p) {
            p.SlotFocusIn(0);
            QVERIFY(g_keyHookHandle && g_keyHookCallback);
            p.SlotFocusOut();
            QVERIFY(!g_keyHookHandle && g_keyHookCallback);
            p.SlotFocusIn(2);
            QVERIFY(!g_keyHookHandle);
        });
    }
    void showsWhatTheDeviceHolds()
    {
        QFETCH(QStringList, drive);
        QFETCH(PageStep, step);
        useDrive1(drive);
        newPage();
        select();
        QSignalSpy offline(PostMsg::instance(), &PostMsg::SigMouseOffLineo);
        for (const bool online : {true, false}) {
            hidsim::setOnline("M1", online);
            QVERIFY(hidsim::waitIdle());
            hidsim::clearCalls();
            step(*page);
            QCOMPARE(hidsim::countCalls("ProtocolDataUpdate"), 0);
            QCOMPARE(offline.count(), 0);
        }
    }

    // ---- Button labels --------------------------------------------------------------

    void labelsFromTheImage_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("code");
        QTest::addColumn<QByteArray>("block");   // key record or macro block of the button
        QTest::addColumn<QString>("label");      // "" = left as it was
        QTest::addColumn<QString>("file");       // the macro file written, "" = none
        const QByteArray none;
        const QByteArray ctrlShiftA = QByteArray::fromHex("06000000"
                                                          "0000010000000000" "0000020000000000" "0001040000000000"
                                                          "0101040000000000" "0100020000000000" "0100010000000000");
        QTest::newRow("wheel click") << 1 << 4 << none << kShort + "   Middle click" << "";
        QTest::newRow("no mouse function 3") << 1 << 3 << none << "" << "";
        QTest::newRow("media key by its low byte") << 5 << 0 << QByteArray::fromHex("020000000002830200")
                                                    << kShort + "   Media player" << "";
        QTest::newRow("unknown media key") << 5 << 0 << QByteArray::fromHex("020000000002840000") << "" << "";
        QTest::newRow("combination in the order entered") << 5 << 0 << ctrlShiftA << kLong + "Ctrl+Shift+A" << "";
        QTest::newRow("count byte past the record")
            << 5 << 0 << QByteArray(ctrlShiftA).replace(0, 1, "\xFF") << kLong + "Ctrl+Shift+A+A+Shift+Ctrl" << "";
        QTest::newRow("macro") << 6 << 0 << QByteArray("\x04Jump") << kLong + "Macro-Jump" << "Jump.ini";
        QTest::newRow("macro name with a path")
            << 6 << 0 << QByteArray("\x04../x") << kLong + "Macro-../x" << "";
        QTest::newRow("fixed DPI of a sensor without table") << 10 << 3 << none << kShort + "   Fixed DPI-400" << "";
    }
    void labelsFromTheImage()
    {
        QFETCH(int, type);
        QFETCH(int, code);
        QFETCH(QByteArray, block);
        QFETCH(QString, label);
        QFETCH(QString, file);
        FlashDataMap image = factoryImage();
        auto *bytes = type == 6 ? image.macroRecords[3].bytes : image.keyRecords[3].bytes;
        std::memcpy(bytes, block.constData(), size_t(block.size()));
        QPushButton *e = find<QPushButton>(*page, "ButtonE");   // device button 3
        e->setText("before");
        const QString macroDir = userDataDir() + "/usersetting/MacroPage";
        QDir().mkpath(macroDir);
        page->RenderButtonLabels(3, type, code, 2, image);
        QCOMPARE(e->text(), label.isEmpty() ? QString("before") : label);
        QCOMPARE(QDir(macroDir).entryList(QDir::Files), file.isEmpty() ? QStringList() : QStringList{file});
        QVERIFY(!QFile::exists(userDataDir() + "/usersetting/x.ini"));
        if (!file.isEmpty()) {
            QFile written(macroDir + "/" + file);
            QVERIFY(written.open(QIODevice::ReadOnly));
            QCOMPARE(written.readAll(), QByteArray("2\r\n"));
        }
    }

    // A fresh mouse of each model shows a name on every button.
    void factoryImagesLabelEveryButton_data()
    {
        QTest::addColumn<int>("mid");
        QTest::addColumn<QStringList>("labels");   // ButtonA .. ButtonF
        const QStringList mouse = {"Left click", "Right click", "Middle click", "Forward", "Back"};
        QTest::newRow("4K mouse: DPI cycle on the sixth") << 1 << (mouse + QStringList{"DPI cycle"});
        QTest::newRow("8K mouse: play/pause on the sixth") << 2 << (mouse + QStringList{"Play/Pause"});
    }
    void factoryImagesLabelEveryButton()
    {
        QFETCH(int, mid);
        QFETCH(QStringList, labels);
        FlashDataMap image;
        hidsim::factoryImage(mid, reinterpret_cast<unsigned char *>(&image));
        const char *widgets[] = {"ButtonA", "ButtonB", "ButtonC", "ButtonD", "ButtonE", "ButtonF"};
        for (const char *name : widgets)
            find<QPushButton>(*page, name)->setText(QString());
        for (int k = 0; k < 6; ++k) {
            const ButtonFunction &f = image.buttonFunctions[k];
            page->RenderButtonLabels(k, f.type, f.code, f.param, image);
        }
        QStringList shown;
        for (const char *name : widgets)
            shown << find<QPushButton>(*page, name)->text().trimmed();
        QCOMPARE(shown, labels);
    }

    // ---- The page's own controls ----------------------------------------------------

    void debounceSteps_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("step");
        QTest::addColumn<bool>("online");
        QTest::addColumn<int>("shown");
        QTest::addColumn<bool>("warned");
        QTest::newRow("minus at 0 sends 0 again") << 0 << -1 << true << 0 << true;
        QTest::newRow("plus at 20 sends 20 again") << 20 << 1 << true << 20 << false;
        QTest::newRow("up to 7 warns") << 6 << 1 << true << 7 << true;
        QTest::newRow("down to 7 warns") << 8 << -1 << true << 7 << true;
        QTest::newRow("up to 8 does not") << 7 << 1 << true << 8 << false;
        QTest::newRow("offline keeps the time shown") << 5 << 1 << false << 5 << false;
    }
    void debounceSteps()
    {
        QFETCH(int, start);
        QFETCH(int, step);
        QFETCH(bool, online);
        QFETCH(int, shown);
        QFETCH(bool, warned);
        refresh([start](FlashDataMap &d) { d.debounceTime = u8(start); })(*page);
        hidsim::setOnline("M1", online);
        hidsim::clearCalls();
        NoticeAnswer answer;
        find<QPushButton>(*page, step > 0 ? "AddLevelCC" : "ReduceLevelCC")->click();
        QCOMPARE(find<QSpinBox>(*page, "spinBoxButton")->value(), shown);
        QCOMPARE(hidsim::countCalls("ProtocolDataUpdate"), online ? 1 : 0);
        if (online)
            QCOMPARE(int(storedImage().debounceTime), shown);
        QCOMPARE(answer.seen.filter("LessThree").size(), warned ? 1 : 0);
    }

    void switchesReachTheDevice_data()
    {
        // Bytes 4 (20K), 7 (motion sync) and 12 (performance) before and after.
        QTest::addColumn<QByteArray>("control");
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<bool>("online");
        QTest::addColumn<QByteArray>("after");   // "" = nothing sent
        QTest::addColumn<QString>("notice");
        const QString performanceNotice = "LessThree:Performance mode is on: the mouse reacts faster and uses more power.";
        const QString fast = "LessThree:20K mode is on: the sensor runs at 20,000 frames per second and the battery "
                             "runs down faster.";
        QTest::newRow("motion sync on") << QByteArray("Reset_3") << QByteArray("000000") << true << QByteArray("000100") << "";
        QTest::newRow("motion sync offline") << QByteArray("Reset_3") << QByteArray("000000") << false << QByteArray() << "";
        QTest::newRow("performance on") << QByteArray("Reset_4") << QByteArray("000000") << true << QByteArray("000001")
                                        << performanceNotice;
        QTest::newRow("performance offline") << QByteArray("Reset_4") << QByteArray("000000") << false << QByteArray() << "";
        QTest::newRow("performance off also ends 20K")
            << QByteArray("Reset_4") << QByteArray("010101") << true << QByteArray("000100") << "";
        QTest::newRow("20K on") << QByteArray("toolButton") << QByteArray("000001") << true << QByteArray("010001") << fast;
    }
    void switchesReachTheDevice()
    {
        QFETCH(QByteArray, control);
        QFETCH(QByteArray, before);
        QFETCH(bool, online);
        QFETCH(QByteArray, after);
        QFETCH(QString, notice);
        const QByteArray start = QByteArray::fromHex(before);
        refresh([&](FlashDataMap &d) { d.option04 = u8(start[0]), d.motionSync = u8(start[1]), d.option0C = u8(start[2]); })(*page);
        g_flashDataMap = page->shownImage();
        QVERIFY(ProtocolDataUpdate(&g_flashDataMap));   // the device holds the state shown
        hidsim::setOnline("M1", online);
        hidsim::clearCalls();
        QSignalSpy offline(PostMsg::instance(), &PostMsg::SigMouseOffLineo);
        NoticeAnswer answer;
        find<QToolButton>(*page, control.constData())->click();

        QCOMPARE(hidsim::countCalls("ProtocolDataUpdate"), after.isEmpty() ? 0 : 1);
        QCOMPARE(offline.count(), online ? 0 : 1);
        QCOMPARE(answer.seen, notice.isEmpty() ? QStringList() : QStringList{notice});
        const FlashDataMap d = storedImage();
        const char held[] = {char(d.option04), char(d.motionSync), char(d.option0C)};
        QCOMPARE(QByteArray(held, 3).toHex(), after.isEmpty() ? before : after);
        // Every switch shows what the device holds; the 20K switch shows
        // only while performance mode is on.
        QCOMPARE(checked(*page, "toolButton"), held[0] == 1);
        QCOMPARE(checked(*page, "Reset_3"), held[1] == 1);
        QCOMPARE(checked(*page, "Reset_4"), held[2] == 1);
        QCOMPARE(find<QWidget>(*page, "toolButton")->isHidden(), held[2] == 0);
        QCOMPARE(find<QLabel>(*page, "label_10")->text(), held[2] ? "Performance on" : "Performance off");
    }

    void profileChoice_data()
    {
        QTest::addColumn<bool>("online");
        QTest::newRow("the device switches and reports it") << true;
        QTest::newRow("offline: back to the profile shown, nothing sent") << false;
    }
    void profileChoice()
    {
        QFETCH(bool, online);
        page->SlotUpDataConfigUI(4, 1, true);
        hidsim::setOnline("M1", online);
        QVERIFY(hidsim::waitIdle());
        hidsim::clearCalls();
        QSignalSpy offline(PostMsg::instance(), &PostMsg::SigMouseOffLineo);
        auto *box = find<QComboBox>(*page, "ProjectChoose");
        // A choice by keyboard or wheel: no press recorded an index.
        box->setCurrentIndex(3);
        emit box->activated(3);
        QVERIFY(hidsim::waitIdle());
        QCOMPARE(hidsim::countCalls("UsbServer_SetCurrentConfig"), online ? 1 : 0);
        QCOMPARE(hidsim::currentProfile("M1"), online ? 3 : 0);
        QCOMPARE(box->currentIndex(), online ? 3 : 1);
        QCOMPARE(offline.count(), online ? 0 : 1);
    }

    void resetAsksFirst_data()
    {
        QTest::addColumn<bool>("accept");
        QTest::newRow("cancelled: nothing sent") << false;
        QTest::newRow("accepted: the worker waits behind the notice") << true;
    }
    void resetAsksFirst()
    {
        QFETCH(bool, accept);
        hidsim::clearCalls();
        NoticeAnswer answer;
        answer.acceptReset = accept;
        QList<int> applying;
        answer.whileOpen = [&] { applying << g_configApplying; };
        page->on_Reset_clicked();
        // Accepted: the image once more, then the restore.
        const std::vector<std::string> calls = hidsim::calls();
        const auto at = std::find(calls.begin(), calls.end(), "UsbServer_SetBatteryOptimizeEnable(0)");
        QCOMPARE(at != calls.end(), accept);
        if (accept)
            QVERIFY(at + 2 < calls.end() && at[1] == "ProtocolDataUpdate()" && at[2] == "UsbServer_SetClearSetting()");
        else
            QCOMPARE(hidsim::countCalls("ProtocolDataUpdate") + hidsim::countCalls("UsbServer_SetClearSetting"), 0);
        QCOMPARE(applying, accept ? (QList<int>{0, 1}) : QList<int>{0});
        QCOMPARE(int(g_configApplying), 0);
        QCOMPARE(answer.seen.filter("UpDataParam").size(), accept ? 1 : 0);
    }

    void pairingGivesTheDeviceBackToThePage()
    {
        hidsim::clearCalls();
        NoticeAnswer answer;
        page->on_Reset_2_clicked();
        QCOMPARE(answer.seen.filter("Match").size(), 1);
        const std::vector<std::string> calls = hidsim::calls();
        const auto listen = std::find(calls.rbegin(), calls.rend(), "StartUsbChanged(callback, 600)");
        QVERIFY(listen != calls.rend());
        QCOMPARE(calls.back(), "UsbServerC_Start(\"" + hidsim::pathOf("R1") + "\", \"" + hidsim::pathOf("R1") + "\", callback)");
    }

    // ---- Buttons bound to a deleted macro -----------------------------------------

    void deletedMacroFallsBack_data()
    {
        QTest::addColumn<QStringList>("drive");
        QTest::addColumn<QString>("editorPrefix");   // the macro editor's text, "" = the shipped one
        QTest::addColumn<QList<int>>("bound");       // widgets ButtonA..F showing the macro
        QTest::addColumn<QStringList>("labels");     // their labels after, "" = not looked at
        QTest::addColumn<QStringList>("ran");        // mouse defaults chosen, "slot@menu index"
        QTest::newRow("no key defaults: forward on D, then back on E")
            << QStringList() << "" << QList<int>{3, 4} << QStringList{"", ""}
            << QStringList{"slotForwardKey@3", "slotBackKey@4"};
        QTest::newRow("two buttons to their key defaults")
            << QStringList{"KeyParam4=0x05, 0x00, 0xE9", "KeyParam6=0x05, 0x00, 0x00, Ctrl+C"} << ""
            << QList<int>{4, 5} << QStringList{kShort + "   Volume up", kShort + "Ctrl+C"} << QStringList();
        QTest::newRow("a key default of two items changes nothing")
            << QStringList{"KeyParam2=0x05, 0x00"} << "" << QList<int>{1} << QStringList{kLong + "Macro-Jump"}
            << QStringList();
        QTest::newRow("the editor names the macro with another prefix")
            << QStringList() << "Deleted: " << QList<int>{1} << QStringList{""} << QStringList{"slotRightKey@1"};
    }
    void deletedMacroFallsBack()
    {
        QFETCH(QStringList, drive);
        QFETCH(QString, editorPrefix);
        QFETCH(QList<int>, bound);
        QFETCH(QStringList, labels);
        QFETCH(QStringList, ran);
        useDrive1(drive);
        QString &shippedPrefix = g_langMacro[0][19];
        const QString keep = shippedPrefix;
        if (!editorPrefix.isEmpty())
            shippedPrefix = editorPrefix;
        page->SlotAllLanguage(0);
        shippedPrefix = keep;
        g_flashDataMap = storedImage();

        // A combination whose text is the macro's name is no binding.
        page->buttonWidget(2)->setText(kLong + "Jump");
        for (int i : bound)
            page->buttonWidget(i)->setText(kLong + "Macro-Jump");
        QStringList chosen;
        for (int f = 0; f < Buttoninterface::FunctionCount; ++f) {
            QAction *action = page->functionAction(Buttoninterface::Function(f));
            connect(action, &QAction::triggered, this,
                    [&chosen, action] { chosen << action->objectName() + "@" + QString::number(g_menuButtonIndex); });
        }
        page->SlotDeleteMacroButton((editorPrefix.isEmpty() ? QString("Macro-") : editorPrefix) + "Jump");

        QCOMPARE(chosen, ran);
        QCOMPARE(page->buttonWidget(2)->text(), kLong + "Jump");
        const FlashDataMap d = storedImage();
        for (int i = 0; i < bound.size(); ++i) {
            if (labels.at(i).isEmpty())
                continue;
            QCOMPARE(page->buttonWidget(bound.at(i))->text(), labels.at(i));
            const int k = Buttoninterface::deviceButtonIndex(bound.at(i));
            const bool assigned = !labels.at(i).contains("Macro-");
            QCOMPARE(int(d.buttonFunctions[k].type), assigned ? 5 : int(factoryImage().buttonFunctions[k].type));
        }
        if (bound == QList<int>{4, 5})
            QCOMPARE(QByteArray(reinterpret_cast<const char *>(d.keyRecords[3].bytes), 12),
                     QByteArray::fromHex("020000000002E9000A000000"));
    }
};

QTEST_MAIN(TestButtonRefresh)
#include "tst_buttonrefresh.moc"

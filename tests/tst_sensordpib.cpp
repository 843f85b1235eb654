// The eight-level DPI page and its two dialogs against the simulated mouse:
// the slider scale, what a slider, the wheel, a typed value, a toggle, the
// level count and a colour send, and what must not be sent.

#include "adddpivalue.h"
#include "colorselect.h"
#include "configsettings.h"
#include "devicestate.h"
#include "globals.h"
#include "languageloader.h"
#include "postmsg.h"
#include "sensorcodes.h"
#include "sensordpib.h"
#include "testsupport.h"

#include <HIDUsb.h>
#include <hidusb_sim.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QSlider>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

typedef std::function<void(SensorDPIB *)> PageAction;
typedef std::function<void(QDialog *)> DialogAction;

const QStringList kProductRanges = {"50", "10000", "50", "10100", "26000", "100", "0"};

template <class T>
T *child(QWidget *w, const QString &name)
{
    T *c = w->findChild<T *>(name);
    if (!c)
        qFatal("no child %s", qPrintable(name));
    return c;
}

QSpinBox *spin(QWidget *page, int level)
{
    return child<QSpinBox>(page, "spinBox" + QString(QChar('A' + level)));
}

QSlider *slider(QWidget *page, int level)
{
    return child<QSlider>(page, "horizontalSlider" + QString(QChar('A' + level)));
}

FlashDataMap deviceImage()
{
    FlashDataMap m;
    if (!hidsim::storedImage("M1", reinterpret_cast<unsigned char *>(&m)))
        qFatal("no image");
    return m;
}

int deviceDpi(int level)
{
    const DpiLevel &l = deviceImage().dpiLevels[level];
    return decodeDpiLevel(l.code[0], l.code[2]);
}

// Runs `act` on the modal dialog the next exec() opens; counts the dialogs
// it met.
int g_modalsSeen = 0;
void onModal(DialogAction act)
{
    QTimer::singleShot(0, [act] {
        if (auto *d = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
            ++g_modalsSeen;
            act(d);
        }
    });
}

void clickIn(QDialog *d, const char *name)
{
    child<QToolButton>(d, QString::fromLatin1(name))->click();
}

void wheel(QWidget *target, int delta)
{
    QWheelEvent e(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                  Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(target, &e);
}

void doubleClick(QWidget *target, Qt::MouseButton button)
{
    QMouseEvent e(QEvent::MouseButtonDblClick, QPointF(5, 5), button, button, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &e);
}

// Types a value into the DPI entry box and confirms it with Return.
DialogAction typeValue(int value)
{
    return [value](QDialog *d) {
        QSpinBox *box = child<QSpinBox>(d, "spinBox");
        box->selectAll();
        QTest::keyClicks(box, QString::number(value));
        QTest::keyClick(box, Qt::Key_Return);
    };
}

void ignoreEvents(const unsigned char *, int, const unsigned char *, unsigned int) {}

enum Gate { Open, Offline, OfflineRefreshing, Applying, WritesOff, Refreshing };

} // namespace

Q_DECLARE_METATYPE(PageAction)
Q_DECLARE_METATYPE(DialogAction)

class TestSensorDpiB : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir stateDir;
    QByteArray receiverPath;
    int notices = 0;

    // The page as an owner sets it up: the product's values, eight
    // level-count entries with all eight in use, sliders over the range.
    std::unique_ptr<SensorDPIB> makePage()
    {
        const u8 writes = g_uiWriteEnabled;
        g_uiWriteEnabled = 0;
        std::unique_ptr<SensorDPIB> page(new SensorDPIB(nullptr));
        const DpiRangeTable ranges = currentDpiRanges();
        page->setMinimum(ranges.ranges.first().low);
        page->setMaximum(ranges.ranges.last().high);
        page->loadDpiSettings();
        page->clearChooseEvent();
        for (int i = 0; i < kDpiLevelCount; ++i)
            page->insertChooseEventItem(i, QString::number(i + 1));
        child<QComboBox>(page.get(), "ChooseEvent")->setCurrentIndex(7);
        g_uiWriteEnabled = writes;
        return page;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(stateDir.isValid());
        registerDeviceMetaTypes();
        hidsim::setStateDir(stateDir.path().toLocal8Bit().constData());
        LanguageLoader().LanguageTextLoader();
        QVERIFY(!g_langSensor.isEmpty());
        connect(PostMsg::instance(), &PostMsg::SigMouseOffLineo, this, [this] { ++notices; });
    }

    void init()
    {
        resetDeviceBench();
        hidsim::setStateDir(stateDir.path().toLocal8Bit().constData());
        hidsim::reset();
        receiverPath = QByteArray::fromStdString(hidsim::pathOf("R1"));
        g_deviceHandle = receiverPath.constData();
        g_selectedDevice = benchReceiverEntry();
        UsbServerC_Start(g_deviceHandle, g_deviceHandle, ignoreEvents);
        QVERIFY(hidsim::storedImage("M1", reinterpret_cast<unsigned char *>(&g_flashDataMap)));
        g_sensorName = "3395";
        setDpiRanges(parseDpiRanges(kProductRanges));
        g_uiWriteEnabled = 1;
        g_deviceMid = 1;
        g_modalsSeen = 0;
        hidsim::clearSentImages();
        notices = 0;
    }

    void sliderScale_data();
    void sliderScale();
    void writes_data();
    void writes();
    void wheelSteps_data();
    void wheelSteps();
    void loading_data();
    void loading();
    void dialogs_data();
    void dialogs();
    void selectionBorder();
    void layout_data();
    void layout();
};

// ---- The slider scale -----------------------------------------------------------

void TestSensorDpiB::sliderScale_data()
{
    QTest::addColumn<QStringList>("ranges");
    QTest::addColumn<QList<QPoint>>("dpiToPosition");   // x: DPI, y: position
    QTest::addColumn<QList<QPoint>>("positionToDpi");   // x: position, y: DPI
    QTest::newRow("50..26000") << kProductRanges
                               << QList<QPoint>{{400, 6537}, {1600, 13024}, {26000, 25998}, {50, 50}}
                               << QList<QPoint>{{6536, 399}, {6537, 400}, {13023, 1599}, {13024, 1600},
                                                {25998, 26000}, {40000, 26000}, {0, 50}};
    // Products of this range pass 2^31: they must not wrap to a small DPI.
    QTest::newRow("50..100000") << QStringList{"50", "100000", "100", "0"}
                                << QList<QPoint>{{100000, 99998}, {1600, 50024}, {400, 25037}}
                                << QList<QPoint>{{99998, 100000}, {90000, 80313}};
    QTest::newRow("lowest DPI not below 400: one to one")
        << QStringList{"400", "3200", "100", "0"} << QList<QPoint>{{800, 800}, {100, 400}, {5000, 3200}}
        << QList<QPoint>{{1234, 1234}, {50, 400}, {9000, 3200}};
    QTest::newRow("highest DPI not above 1600: one to one")
        << QStringList{"100", "1600", "50", "0"} << QList<QPoint>{{800, 800}, {2000, 1600}}
        << QList<QPoint>{{700, 700}, {20, 100}};
    QTest::newRow("no range") << QStringList() << QList<QPoint>{{800, 800}} << QList<QPoint>{{1234, 1234}};
}

void TestSensorDpiB::sliderScale()
{
    QFETCH(QStringList, ranges);
    QFETCH(QList<QPoint>, dpiToPosition);
    QFETCH(QList<QPoint>, positionToDpi);
    const DpiRangeTable table = parseDpiRanges(ranges);
    for (const QPoint &p : dpiToPosition)
        QCOMPARE(dpiSliderPosition(p.x(), table), p.y());
    for (const QPoint &p : positionToDpi)
        QCOMPARE(dpiAtSliderPosition(p.x(), table), p.y());
    if (table.ranges.isEmpty())
        return;
    // Along the whole travel the DPI never goes down, and every DPI comes
    // back from its own position.
    const int low = table.ranges.first().low, high = table.ranges.last().high;
    int last = INT_MIN;
    for (int p = low; p <= high; ++p) {
        const int d = dpiAtSliderPosition(p, table);
        QVERIFY2(d >= last, qPrintable(QString("position %1").arg(p)));
        last = d;
    }
    for (int d = low; d <= high; d += 10) {
        const int p = dpiSliderPosition(d, table);
        QVERIFY2(dpiAtSliderPosition(p, table) <= d && d <= dpiAtSliderPosition(p + 1, table),
                 qPrintable(QString("DPI %1").arg(d)));
    }
}

// ---- What reaches the mouse ---------------------------------------------------------

void TestSensorDpiB::writes_data()
{
    QTest::addColumn<PageAction>("action");
    QTest::addColumn<int>("gate");
    QTest::addColumn<int>("sends");
    QTest::addColumn<int>("level");   // whose DPI on the device and in its box
    QTest::addColumn<int>("dpi");     // on the device
    QTest::addColumn<int>("shown");   // in the level's box
    QTest::addColumn<QByteArray>("image");   // offset, value pairs of the device's image
    auto bytes = [](std::initializer_list<int> pairs) {
        QByteArray b;
        for (int v : pairs)
            b.append(char(v));
        return b;
    };
    auto release = [](int level, int dpi) {
        return PageAction([level, dpi](SensorDPIB *p) { slider(p, level)->setValue(p->dpiToSliderPosition(dpi)); });
    };
    const QByteArray none;

    QTest::newRow("slider A at 1600") << release(0, 1600) << int(Open) << 1 << 0 << 1600 << 1600 << none;
    QTest::newRow("slider in the gap goes to the next range")
        << PageAction([](SensorDPIB *p) {
               slider(p, 2)->setValue(p->dpiToSliderPosition(10050));
               QCOMPARE(slider(p, 2)->pageStep(), 100);
           })
        << int(Open) << 1 << 2 << 10100 << 10100 << none;
    QTest::newRow("slider H on the same scale") << release(7, 1600) << int(Open) << 1 << 7 << 1600 << 1600 << none;
    // The slider first pages toward the click, then jumps to it: only the
    // value it settles on is sent.
    QTest::newRow("a click three quarters along the groove sends once") << PageAction([](SensorDPIB *p) {
        QTest::mouseClick(slider(p, 0), Qt::LeftButton, Qt::NoModifier, QPoint(285, 12));
        QCoreApplication::sendPostedEvents(p);
    }) << int(Open) << 1 << 0 << 13800 << 13800 << none;
    QTest::newRow("dragging only previews") << PageAction([](SensorDPIB *p) {
        emit slider(p, 0)->sliderMoved(p->dpiToSliderPosition(1600));
    }) << int(Open) << 0 << 0 << 400 << 1600 << none;
    QTest::newRow("applying a configuration shows, sends nothing")
        << release(0, 1600) << int(Applying) << 0 << 0 << 400 << 1600 << none;
    QTest::newRow("offline: notice, box and device unchanged")
        << release(0, 1600) << int(Offline) << 0 << 0 << 400 << 400 << none;
    QTest::newRow("offline while the button page fills: silent")
        << release(0, 1600) << int(OfflineRefreshing) << 0 << 0 << 400 << 1600 << none;

    QTest::newRow("typed 1234 on the grid") << PageAction([](SensorDPIB *p) {
        onModal(typeValue(1234));
        doubleClick(spin(p, 0), Qt::LeftButton);
    }) << int(Open) << 1 << 0 << 1200 << 1200 << none;
    QTest::newRow("typed beyond the sensor stops at its highest") << PageAction([](SensorDPIB *p) {
        onModal(typeValue(30000));
        doubleClick(spin(p, 3), Qt::LeftButton);
    }) << int(Open) << 1 << 3 << 26000 << 26000 << none;
    QTest::newRow("right double-click opens nothing") << PageAction([](SensorDPIB *p) {
        onModal([](QDialog *d) { d->close(); });
        doubleClick(spin(p, 0), Qt::RightButton);
        QCoreApplication::processEvents();
        QCOMPARE(g_modalsSeen, 0);
    }) << int(Open) << 0 << 0 << 400 << 400 << none;

    QTest::newRow("count: third entry sends 3") << PageAction([](SensorDPIB *p) {
        child<QComboBox>(p, "ChooseEvent")->setCurrentIndex(2);
        QVERIFY(spin(p, 2)->isVisibleTo(p));
        QVERIFY(!spin(p, 3)->isVisibleTo(p));
    }) << int(Open) << 1 << -1 << 0 << 0 << bytes({1, 3});
    QTest::newRow("count while writes are off: rows only") << PageAction([](SensorDPIB *p) {
        child<QComboBox>(p, "ChooseEvent")->setCurrentIndex(2);
        QVERIFY(!spin(p, 3)->isVisibleTo(p));
    }) << int(WritesOff) << 0 << -1 << 0 << 0 << none;
    QTest::newRow("emptied count list sends nothing")
        << PageAction([](SensorDPIB *p) { child<QComboBox>(p, "ChooseEvent")->clear(); }) << int(Open) << 0 << -1
        << 0 << 0 << none;

    QTest::newRow("toggle C makes level 2 current")
        << PageAction([](SensorDPIB *p) { child<QCheckBox>(p, "MC")->click(); }) << int(Open) << 1 << -1 << 0 << 0
        << bytes({2, 2});
    QTest::newRow("current level H") << PageAction([](SensorDPIB *p) { p->setCurrentLevel(7); }) << int(Open) << 1
                                     << -1 << 0 << 0 << bytes({2, 7});
    QTest::newRow("current level offline: notice, not checked") << PageAction([](SensorDPIB *p) {
        p->setCurrentLevel(7);
        QVERIFY(!child<QCheckBox>(p, "MH")->isChecked());
    }) << int(Offline) << 0 << -1 << 0 << 0 << none;
    QTest::newRow("toggle while the button page fills: no send")
        << PageAction([](SensorDPIB *p) { child<QCheckBox>(p, "MC")->click(); }) << int(Refreshing) << 0 << -1 << 0
        << 0 << none;

    QTest::newRow("chooser: green for D") << PageAction([](SensorDPIB *p) {
        onModal([](QDialog *d) {
            clickIn(d, "toolButton_4");
            clickIn(d, "OK");
        });
        child<QToolButton>(p, "YellowButtonA")->click();
        QVERIFY(child<QToolButton>(p, "YellowButtonA")->styleSheet().contains("background-color:#00ff00;"));
    }) << int(Open) << 1 << -1 << 0 << 0 << bytes({15 + 3 * 6 + 3, 0, 15 + 3 * 6 + 4, 255, 15 + 3 * 6 + 5, 0});
    QTest::newRow("chooser cancelled") << PageAction([](SensorDPIB *p) {
        onModal([](QDialog *d) {
            clickIn(d, "toolButton_4");
            clickIn(d, "Cancel");
        });
        child<QToolButton>(p, "BlueButtonA")->click();
    }) << int(Open) << 0 << -1 << 0 << 0 << none;
    QTest::newRow("chooser OK without a swatch") << PageAction([](SensorDPIB *p) {
        onModal([](QDialog *d) { clickIn(d, "OK"); });
        child<QToolButton>(p, "BlueButtonA")->click();
    }) << int(Open) << 0 << -1 << 0 << 0 << none;
    QTest::newRow("colour dialog of G: 5, 10, 255") << PageAction([](SensorDPIB *p) {
        child<QToolButton>(p, "LightBlueButtonA")->click();
        p->SetColor(QColor(5, 10, 255));
        QVERIFY(child<QToolButton>(p, "LightBlueButtonA")->styleSheet().contains("#050aff"));
    }) << int(Open) << 1 << -1 << 0 << 0 << bytes({15 + 36 + 3, 5, 15 + 36 + 4, 10, 15 + 36 + 5, 255});
    QTest::newRow("a colour before any colour button goes nowhere")
        << PageAction([](SensorDPIB *p) { p->SetColor(QColor(5, 10, 255)); }) << int(Open) << 0 << -1 << 0 << 0
        << none;
    QTest::newRow("colour while the button page fills: shown, not sent") << PageAction([](SensorDPIB *p) {
        child<QToolButton>(p, "LightYellowButtonA")->click();
        p->SetColor(QColor(1, 2, 3));
        QVERIFY(child<QToolButton>(p, "LightYellowButtonA")->styleSheet().contains("#010203"));
    }) << int(Refreshing) << 0 << -1 << 0 << 0 << none;
}

void TestSensorDpiB::writes()
{
    QFETCH(PageAction, action);
    QFETCH(int, gate);
    QFETCH(int, sends);
    QFETCH(int, level);
    QFETCH(int, dpi);
    QFETCH(int, shown);
    QFETCH(QByteArray, image);
    std::unique_ptr<SensorDPIB> page = makePage();
    const FlashDataMap before = deviceImage();
    QCOMPARE(deviceDpi(0), 400);
    if (gate == Offline || gate == OfflineRefreshing) {
        QVERIFY(hidsim::setOnline("M1", false));
        QVERIFY(hidsim::waitIdle());
    }
    g_buttonPageRefreshing = (gate == OfflineRefreshing || gate == Refreshing) ? 1 : 0;
    g_configApplying = gate == Applying ? 1 : 0;
    g_uiWriteEnabled = gate == WritesOff ? 0 : 1;
    hidsim::clearSentImages();

    action(page.get());

    QCOMPARE(int(hidsim::sentImages().size()), sends);
    QCOMPARE(notices, gate == Offline ? 1 : 0);
    if (level >= 0) {
        QCOMPARE(deviceDpi(level), dpi);
        QCOMPARE(spin(page.get(), level)->value(), shown);
    }
    const FlashDataMap now = deviceImage();
    const auto *bytesNow = reinterpret_cast<const u8 *>(&now);
    for (int i = 0; i + 1 < image.size(); i += 2)
        QCOMPARE(int(bytesNow[u8(image[i])]), int(u8(image[i + 1])));
    if (sends == 0)
        QVERIFY(memcmp(&before, &now, sizeof now) == 0);
}

// ---- The wheel over a value box ----------------------------------------------------

void TestSensorDpiB::wheelSteps_data()
{
    QTest::addColumn<bool>("productGrid");   // else a grid of 10 over the whole wheel range
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("delta");
    QTest::addColumn<int>("shown");
    QTest::newRow("9990 up") << false << 9990 << 120 << 10000;
    QTest::newRow("10000 up") << false << 10000 << 120 << 10050;
    QTest::newRow("10050 down") << false << 10050 << -120 << 10000;
    QTest::newRow("10000 down") << false << 10000 << -120 << 9990;
    QTest::newRow("30000 up") << false << 30000 << 120 << 30100;
    QTest::newRow("30100 down") << false << 30100 << -120 << 30000;
    QTest::newRow("32000 up stays") << false << 32000 << 120 << 32000;
    QTest::newRow("10 down stays") << false << 10 << -120 << 10;
    QTest::newRow("less than a notch") << false << 1230 << 60 << 1230;
    QTest::newRow("three notches keep the band's step") << false << 9990 << 360 << 10020;
    QTest::newRow("off the grid steps with its band") << false << 10020 << 120 << 10070;
    QTest::newRow("up on a grid of 50 goes one step") << true << 400 << 120 << 450;
    QTest::newRow("down on a grid of 50") << true << 400 << -120 << 350;
    QTest::newRow("three notches up over the gap") << true << 9950 << 360 << 10200;
    QTest::newRow("up into the gap") << true << 10000 << 120 << 10100;
    QTest::newRow("up at the sensor's highest") << true << 26000 << 120 << 26000;
}

void TestSensorDpiB::wheelSteps()
{
    QFETCH(bool, productGrid);
    QFETCH(int, start);
    QFETCH(int, delta);
    QFETCH(int, shown);
    if (!productGrid)
        setDpiRanges(parseDpiRanges({"10", "32000", "10", "0"}));
    std::unique_ptr<SensorDPIB> page = makePage();
    page->setLevelValue(1, QString::number(start));
    hidsim::clearSentImages();
    wheel(spin(page.get(), 1), delta);
    QCOMPARE(spin(page.get(), 1)->value(), shown);
    QCOMPARE(slider(page.get(), 1)->value(), page->dpiToSliderPosition(shown));
    QCOMPARE(int(hidsim::sentImages().size()), 1);
    QCOMPARE(deviceDpi(1), qMax(50, shown / 50 * 50));   // the sensor counts in 50s from 50
}

// ---- Loading from the product data --------------------------------------------------

void TestSensorDpiB::loading_data()
{
    QTest::addColumn<QString>("colours");
    QTest::addColumn<QString>("grades");
    QTest::addColumn<QStringList>("buttonColours");   // A, B, C, H as shown
    QTest::addColumn<QList<int>>("values");           // A .. H, empty: unchanged
    QTest::newRow("shipped product") << QString() << QString()
                                     << QStringList{"#ff0000", "#00ff00", "#0000ff", "#ffffff"}
                                     << QList<int>{400, 800, 1600, 3200, 6400, 12000, 20000, 26000};
    QTest::newRow("two colours only")
        << "255, 0, 0, 0, 255, 255" << "100, 200, 300, 400, 500, 600, 700, 800"
        << QStringList{"#ff0000", "#00ffff", "#00ff00", "#00d4d4"}
        << QList<int>{100, 200, 300, 400, 500, 600, 700, 800};
    QTest::newRow("a list ending inside a triple, numbers out of range")
        << "300, -5, 16, 1, 2" << "100, 200, 300, 400, 500, 600, 700, x"
        << QStringList{"#ff0010", "#0000ff", "#00ff00", "#00d4d4"}
        << QList<int>{100, 200, 300, 400, 500, 600, 700, 50};
    QTest::newRow("seven values load nothing") << "1, 2, 3" << "100, 200, 300, 400, 500, 600, 700"
                                               << QStringList{"rgb(255, 0, 0)", "rgb(255, 0, 0)"}
                                               << QList<int>();
}

void TestSensorDpiB::loading()
{
    QFETCH(QString, colours);
    QFETCH(QString, grades);
    QFETCH(QStringList, buttonColours);
    QFETCH(QList<int>, values);
    QTemporaryDir dir;
    if (!colours.isEmpty()) {
        QVERIFY(QDir(dir.path()).mkpath("usersetting"));
        QFile ini(dir.path() + "/usersetting/Config.ini");
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write(("[Drive1]\nDPIColorA=" + colours + "\nDPIGrade=" + grades + "\n").toUtf8());
        ini.close();
        QVERIFY(QFile::link(programDir() + "/Picture", dir.path() + "/Picture"));
        setProgramDirOverride(dir.path());
        ConfigSettings::resetForTests();
    }
    SensorDPIB page(nullptr);
    page.setMaximum(30000);
    const QList<int> start = {spin(&page, 0)->value(), spin(&page, 7)->value()};
    page.loadDpiSettings();
    const char *const buttons[] = {"BlueButtonA", "BrightRedButtonA", "RedButtonA", "LightYellowButtonA"};
    for (int i = 0; i < buttonColours.size(); ++i)
        QVERIFY2(child<QToolButton>(&page, buttons[i])->styleSheet().contains(buttonColours.at(i)),
                 qPrintable(child<QToolButton>(&page, buttons[i])->styleSheet()));
    if (values.isEmpty()) {
        QCOMPARE(QList<int>({spin(&page, 0)->value(), spin(&page, 7)->value()}), start);
    } else {
        for (int level = 0; level < kDpiLevelCount; ++level) {
            QCOMPARE(spin(&page, level)->value(), values.at(level));
            QCOMPARE(slider(&page, level)->value(), page.dpiToSliderPosition(values.at(level)));
        }
    }
    QVERIFY(hidsim::sentImages().empty());
}

// ---- The two dialogs ------------------------------------------------------------------

void TestSensorDpiB::dialogs_data()
{
    QTest::addColumn<int>("kind");   // 0 the DPI entry, 1 the colour chooser
    QTest::addColumn<int>("preset");   // DPI preset, or the model id
    QTest::addColumn<DialogAction>("action");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("result");   // the value or colour handed back
    auto keys = [](QList<int> seq) {
        return DialogAction([seq](QDialog *d) {
            for (int k : seq)
                QTest::keyClick(d, Qt::Key(k), k == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
        });
    };
    auto clicks = [](QStringList names) {
        return DialogAction([names](QDialog *d) {
            for (const QString &n : names)
                child<QToolButton>(d, n)->click();
        });
    };
    QTest::newRow("OK keeps the preset") << 0 << 1600 << clicks({"NewHong"}) << true << "1600";
    QTest::newRow("preset 5 shows 10") << 0 << 5 << keys({Qt::Key_Return}) << true << "10";
    QTest::newRow("preset 40000 shows 32000") << 0 << 40000 << keys({Qt::Key_Return}) << true << "32000";
    QTest::newRow("typed 1234 as typed") << 0 << 10 << typeValue(1234) << true << "1234";
    QTest::newRow("keypad Enter confirms") << 0 << 800 << keys({Qt::Key_Enter}) << true << "800";
    QTest::newRow("Escape stays, close button cancels")
        << 0 << 800 << DialogAction([](QDialog *d) {
               QTest::keyClick(d, Qt::Key_Escape);
               QVERIFY(d->isVisible());
               clickIn(d, "CloseButton");
           })
        << false << "";
    QTest::newRow("model 9: twelve swatches, white") << 1 << 9 << clicks({"toolButton_11", "OK"}) << true << "#ffffff";
    QTest::newRow("model 8: fourteen swatches, other shades")
        << 1 << 8 << clicks({"toolButton_11", "OK"}) << true << "#f20aea";
    QTest::newRow("model 8: the thirteenth") << 1 << 8 << clicks({"toolButton_13", "OK"}) << true << "#008325";
    QTest::newRow("negative model is not special") << 1 << -8 << clicks({"toolButton_2", "OK"}) << true << "#ffa300";
    QTest::newRow("last swatch counts") << 1 << 1 << clicks({"toolButton_2", "toolButton_9", "OK"}) << true
                                        << "#02ffb3";
    QTest::newRow("Cancel after a swatch") << 1 << 1 << clicks({"toolButton_2", "Cancel"}) << false << "#ffa300";
    QTest::newRow("Escape") << 1 << 1 << keys({Qt::Key_Escape}) << false << "";
}

void TestSensorDpiB::dialogs()
{
    QFETCH(int, kind);
    QFETCH(int, preset);
    QFETCH(DialogAction, action);
    QFETCH(bool, accepted);
    QFETCH(QString, result);
    onModal(action);
    if (kind == 0) {
        AddDpiValue d(nullptr);
        d.setValue(preset);
        d.exec();
        QCOMPARE(d.accepted, accepted);
        if (accepted)
            QCOMPARE(QString::number(d.value), result);
    } else {
        g_deviceMid = preset;
        ColorSelect d(nullptr);
        const bool special = preset == 8;
        QCOMPARE(child<QToolButton>(&d, "toolButton_13")->isVisibleTo(&d), special);
        QCOMPARE(child<QToolButton>(&d, "toolButton_13")->pos(), special ? QPoint(252, 120) : QPoint(190, 160));
        QCOMPARE(child<QToolButton>(&d, "toolButton_7")->pos(), special ? QPoint(300, 70) : QPoint(30, 120));
        d.exec();
        QCOMPARE(d.accepted, accepted);
        QCOMPARE(d.selectedColor, result);
    }
    QCOMPARE(g_modalsSeen, 1);
}

// ---- Looks ------------------------------------------------------------------------------

void TestSensorDpiB::selectionBorder()
{
    g_themeDPISpinBoxborder = QStringList{"1", "2", "3"};
    g_themeDPISpinBoxborderA = QStringList{"7", "8", "9"};
    std::unique_ptr<SensorDPIB> page = makePage();
    child<QCheckBox>(page.get(), "MA")->click();
    child<QCheckBox>(page.get(), "MC")->click();
    QVERIFY(spin(page.get(), 0)->styleSheet().contains("rgb(1,2,3)"));
    QVERIFY(spin(page.get(), 2)->styleSheet().contains("rgb(7,8,9)"));
    // A new colour set keeps the current level marked.
    g_themeDPISpinBoxborderA = QStringList{"4", "5", "6"};
    PostMsg::instance()->postSetStyle(0);
    QVERIFY(spin(page.get(), 2)->styleSheet().contains("rgb(4,5,6)"));
    QVERIFY(!spin(page.get(), 0)->styleSheet().contains("rgb(4,5,6)"));
}

void TestSensorDpiB::layout_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("prompt");
    QTest::addColumn<QStringList>("chooser");   // title, OK, Cancel
    QTest::addColumn<QString>("levelCount");     // caption of the level-count list
    QTest::newRow("English") << 0 << "Please enter a DPI value" << QStringList{"Choose a level colour", "OK", "Cancel"}
                             << "DPI levels";
    QTest::newRow("Chinese") << 1 << "请输入DPI数值" << QStringList{"选择档位颜色", "确定", "取消"} << "DPI级数";
}

// Every control lies inside its window and says what it is for; with
// QUZ_SHOT_DIR set the three windows are saved as pictures to look at.
void TestSensorDpiB::layout()
{
    QFETCH(int, language);
    QFETCH(QString, prompt);
    QFETCH(QStringList, chooser);
    QFETCH(QString, levelCount);
    g_language = language;
    ConfigSettings *config = ConfigSettings::instance();
    for (const ThemeEntry &e : themeEntries()) {
        if (e.list)
            *e.list = config->readStringList("ColorSet1", QString::fromLatin1(e.key));
        else
            *e.text = config->readString("ColorSet1", QString::fromLatin1(e.key));
    }
    std::unique_ptr<SensorDPIB> page = makePage();
    page->setSubtitleText(langText(g_langSensor, 0));
    child<QCheckBox>(page.get(), "MB")->setChecked(true);
    AddDpiValue entry(nullptr);
    entry.setValue(1600);
    ColorSelect colours(nullptr);
    QCOMPARE(child<QLabel>(&entry, "label")->text(), prompt);
    QCOMPARE(child<QLabel>(page.get(), "label")->text(), levelCount);
    QCOMPARE(QStringList({child<QLabel>(&colours, "label")->text(), child<QToolButton>(&colours, "OK")->text(),
                          child<QToolButton>(&colours, "Cancel")->text()}),
             chooser);
    for (QWidget *w : std::initializer_list<QWidget *>{page.get(), &entry, &colours}) {
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        for (QWidget *c : w->findChildren<QWidget *>()) {
            if (!c->isVisibleTo(w) || !c->parentWidget() || c->parentWidget()->inherits("QComboBox"))
                continue;
            QVERIFY2(c->parentWidget()->rect().contains(c->geometry()), qPrintable(c->objectName()));
            // No caption is cut.
            auto *label = qobject_cast<QLabel *>(c);
            if ((label && !label->wordWrap()) || qobject_cast<QCheckBox *>(c))
                QVERIFY2(c->sizeHint().width() <= c->width(), qPrintable(c->objectName()));
            if (auto *button = qobject_cast<QToolButton *>(c))
                QVERIFY2(button->fontMetrics().horizontalAdvance(button->text()) < button->width(),
                         qPrintable(c->objectName()));
        }
        const QString shots = qEnvironmentVariable("QUZ_SHOT_DIR");
        if (!shots.isEmpty())
            w->grab().save(shots + "/" + w->objectName() + "-" + QString::number(language) + ".png");
    }
}

QTEST_MAIN(TestSensorDpiB)
#include "tst_sensordpib.moc"

// The performance widgets against the simulated mouse: every option click
// reaches the mouse as the expected byte, and a click the mouse does not
// take (writing disabled, mouse offline) leaves the widget as it was; the
// DPI frame's drags, steps, level choice and level count end up on the mouse
// (the first drag after start included, a dropped selected level swapped
// down) and its slider shows how far it is filled; the device page filling
// the widgets from the device or resetting its view sends nothing; the high
// rates show on the receivers that have them; options, captions and levels
// sit where the layout puts them; the sleep slider only shows a time.

#include "buttoninterface.h"
#include "configsettings.h"
#include "devicestate.h"
#include "globals.h"
#include "motionsync.h"
#include "motionsyncb.h"
#include "postmsg.h"
#include "rippecontrol.h"
#include "rippecontrolb.h"
#include "sensor.h"
#include "sensorcodes.h"
#include "sensordpi.h"
#include "sensorlod.h"
#include "sensorlodb.h"
#include "sensorrate.h"
#include "sensorrateb.h"
#include "sensorstyle.h"
#include "stopclosetime.h"
#include "stopclosetimeb.h"
#include "straightline.h"
#include "straightlineb.h"
#include "testsupport.h"
#include "worker.h"

#include <HIDUsb.h>
#include <hidusb_sim.h>

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

const char kMouse[] = "M1";
const int kLevelDpis[8] = {400, 800, 1600, 3200, 6400, 12000, 20000, 26000};

void ignoreEvents(const unsigned char *, int, const unsigned char *, unsigned int) {}

FlashDataMap mouseImage(const char *mouse = kMouse)
{
    FlashDataMap image;
    hidsim::storedImage(mouse, reinterpret_cast<unsigned char *>(&image));
    return image;
}

int sends()
{
    return hidsim::countCalls("ProtocolDataUpdate");
}

// What a widget shows: its checked controls, its marked captions and its
// combo box entry.
QStringList shown(QWidget *w)
{
    QStringList on;
    for (QAbstractButton *b : w->findChildren<QAbstractButton *>())
        if (b->isChecked())
            on << b->objectName();
    for (QLabel *l : w->findChildren<QLabel *>())
        if (l->styleSheet() == QLatin1String(kSelectedCaptionStyle))
            on << l->objectName();
    for (QComboBox *c : w->findChildren<QComboBox *>())
        on << c->currentText();
    on.sort();
    return on;
}

void clickChild(QWidget *w, const char *name)
{
    auto *b = w->findChild<QAbstractButton *>(QString::fromLatin1(name));
    QVERIFY2(b && b->isVisible(), name);
    // A check box takes clicks on its indicator at the left.
    const QPoint at = qobject_cast<QCheckBox *>(b) ? QPoint(8, b->height() / 2) : b->rect().center();
    QTest::mouseClick(b, Qt::LeftButton, {}, at);
}

struct OptionCase {
    std::function<QWidget *()> make;   // a widget the page filled with another value
    std::function<void(QWidget *)> choose;
    int offset;
    int value;
    int hideModel;   // SigHideModel argument after a taken rate, -1: none
};

enum class Gate { Open, WritingDisabled, Offline };

// Where a widget of the device page sits: the frame it lies in (its object
// name on the page), its name and its place in the frame. Captions are
// compared by their centre.
struct Place {
    const char *frame;
    const char *object;
    QRect at;
};

// The DPI frame's controls by name, and the decoded levels the mouse holds.
struct DpiCase {
    int count, level;                   // the device's level count and level
    std::function<void(SensorDPI &)> act;
    bool online;
    bool applying;
    int sends;
    QVector<int> mouseLevels;           // all eight afterwards
    int mouseLevel, mouseCount;
    int shownDpi, shownLevel, shownCount;
};

} // namespace

Q_DECLARE_METATYPE(OptionCase)
Q_DECLARE_METATYPE(Gate)
Q_DECLARE_METATYPE(DpiCase)
Q_DECLARE_METATYPE(QVector<Place>)
using ImageEdit = std::function<void(FlashDataMap &)>;
Q_DECLARE_METATYPE(QVector<ImageEdit>)

class TestSensorWidgets : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir stateDir;
    QByteArray handle;
    int notices = 0;
    QList<int> hideModels;

    // The page's device: the default bench's 4K receiver with its mouse,
    // read in full, writing enabled as on the device page.
    void useDevice(const char *receiver, const char *mouse = kMouse)
    {
        handle = QByteArray::fromStdString(hidsim::pathOf(receiver));
        g_deviceHandle = handle.constData();
        g_flashDataMap = mouseImage(mouse);
        UsbServerC_Start(g_deviceHandle, g_deviceHandle, ignoreEvents);
        g_uiWriteEnabled = 1;
        QVERIFY(hidsim::waitIdle());
        hidsim::clearCalls();
        hidsim::clearSentImages();
        notices = 0;
        hideModels.clear();
    }
    void setMouseOnline(bool online)
    {
        QVERIFY(hidsim::setOnline(kMouse, online));
        QVERIFY(hidsim::waitIdle());
        hidsim::clearCalls();
    }
    // The mouse holds the given level count and level and the eight DPIs.
    void storeLevels(int count, int level)
    {
        FlashDataMap image = mouseImage();
        image.dpiLevelCount = u8(count);
        image.dpiLevel = u8(level);
        for (int k = 0; k < 8; ++k) {
            const DpiLevelCode c = encodeDpiLevel(kLevelDpis[k], image.dpiLevels[k].code[2]);
            image.dpiLevels[k].code[0] = image.dpiLevels[k].code[1] = c.code;
            image.dpiLevels[k].code[2] = c.flags;
        }
        QVERIFY(hidsim::setStoredImage(kMouse, reinterpret_cast<const unsigned char *>(&image)));
        g_flashDataMap = image;
    }
    static QVector<int> levelsOf(const FlashDataMap &image)
    {
        QVector<int> dpis;
        for (const DpiLevel &l : image.dpiLevels)
            dpis << decodeDpiLevel(l.code[0], l.code[2]);
        return dpis;
    }

    // The device page as it shows the selected device: the bench's 4K
    // receiver unless a test identifies another.
    std::unique_ptr<Buttoninterface> page;
    Buttoninterface &devicePage()
    {
        if (!page) {
            page.reset(new Buttoninterface);
            g_checkTimer->stop();
            // The page starts the link without a device; this one is chosen.
            setDeviceHandlePath(handle);
        }
        return *page;
    }
    // A full refresh from the mouse's image, edited.
    void refreshPage(const std::function<void(FlashDataMap &)> &edit)
    {
        FlashDataMap image = mouseImage();
        edit(image);
        devicePage().SlotUpDataButtonUIB(image);
        devicePage().SlotUpDataButtonUIButton(image);
    }
    template <typename T> T *pageChild(const char *name = nullptr)
    {
        T *w = name ? devicePage().findChild<T *>(QString::fromLatin1(name)) : devicePage().findChild<T *>();
        if (!w)
            qFatal("no %s on the device page", name ? name : T::staticMetaObject.className());
        return w;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(stateDir.isValid());
        registerDeviceMetaTypes();
        connect(PostMsg::instance(), &PostMsg::SigMouseOffLineo, this, [this] { ++notices; });
        connect(PostMsg::instance(), &PostMsg::SigHideModel, this, [this](int i) { hideModels << i; });
    }
    void init()
    {
        resetDeviceBench();
        hidsim::setStateDir(stateDir.path().toLocal8Bit().constData());
        QVERIFY(hidsim::reset());
        // The default mouse's product: its sensor and DPI ranges.
        ConfigSettings *config = ConfigSettings::instance();
        g_sensorName = config->readString("Drive1", "Sensor");
        setDpiRanges(parseDpiRanges(config->readStringList("Drive1", "DPIRange")));
        QCOMPARE(g_dpiRangeCount, 2);
        g_selectedDevice = benchReceiverEntry();
        useDevice("R1");
    }
    void cleanup()
    {
        page.reset();
        UsbServer_Exit();
        hidsim::waitIdle();
    }

    void optionClicksReachTheMouse_data();
    void optionClicksReachTheMouse();
    void dpiChangesReachTheMouse_data();
    void dpiChangesReachTheMouse();
    void dpiSliderShowsHowFarItIsFilled();
    void fillingFromTheDeviceSendsNothing_data();
    void fillingFromTheDeviceSendsNothing();
    void highRatesOnlyWhereTheReceiverHasThem_data();
    void highRatesOnlyWhereTheReceiverHasThem();
    void everythingSitsInItsPlace_data();
    void everythingSitsInItsPlace();
    void sleepSliderOnlyShowsATime_data();
    void sleepSliderOnlyShowsATime();
};

// ---- Option widgets ----------------------------------------------------------------

void TestSensorWidgets::optionClicksReachTheMouse_data()
{
    QTest::addColumn<OptionCase>("option");
    QTest::addColumn<Gate>("gate");

    std::vector<std::pair<QByteArray, OptionCase>> rows;
    const auto add = [&rows](const QByteArray &name, OptionCase c) { rows.push_back({name, std::move(c)}); };

    const char *rates[7] = {"Button125HZ",  "Button250HZ",  "Button500HZ", "Button1000HZ",
                            "Button2000HZ", "Button4000HZ", "Button8000HZ"};
    for (int i = 0; i < 7; ++i) {
        const QByteArray name = rates[i];
        add("rate " + name,
            {[i] {
                 auto *w = new SensorRate;
                 w->setHighRatesVisible(true);
                 w->setCurrentIndex((i + 1) % 7);
                 return w;
             },
             [name](QWidget *w) { clickChild(w, name); }, 0, kReportRateCodes[i], i >= 4 ? 1 : 0});
        add("rate boxes " + name,
            {[] { return new SensorRateB; }, [name](QWidget *w) { clickChild(w, name); }, 0, kReportRateCodes[i],
             i >= 4 ? 1 : 0});
    }

    // Option index = stored value - 1; the row shows 0.7 mm (stored 3) first.
    const char *distances[3] = {"MM1", "MM2", "MM0"};
    for (int o = 0; o < 3; ++o) {
        const QByteArray name = distances[o];
        add("distance " + name,
            {[o] {
                 auto *w = new SensorLODB;
                 w->setCurrentIndex((o + 1) % 3);
                 return w;
             },
             [name](QWidget *w) { clickChild(w, name); }, 5, o + 1, -1});
    }
    // The combo box: with 0.7 mm offered its entries store 3, 1, 2.
    for (int entry = 0; entry < 3; ++entry) {
        add("distance box, 3 entries, entry " + QByteArray::number(entry),
            {[entry] {
                 auto *w = new SensorLOD;
                 w->addShortOption();
                 w->setCurrentIndex(entry == 0 ? 0 : 2);   // stored 1 or 3: another entry
                 return w;
             },
             [entry](QWidget *w) { w->findChild<QComboBox *>("LOD")->setCurrentIndex(entry); }, 5,
             entry == 0 ? 3 : entry, -1});
    }
    add("distance box, 2 entries, 2mm",
        {[] {
             auto *w = new SensorLOD;
             w->addShortOption();
             w->removeShortOption();
             w->setCurrentIndex(0);
             return w;
         },
         [](QWidget *w) { w->findChild<QComboBox *>("LOD")->setCurrentIndex(1); }, 5, 2, -1});

    const char *times[6] = {"Button10", "Button30", "Button1", "Button5", "Button10M", "Button30M"};
    const int tens[6] = {1, 3, 6, 30, 60, 180};
    for (int i = 0; i < 6; ++i) {
        const QByteArray name = times[i];
        add("sleep " + name,
            {[i] {
                 auto *w = new StopCloseTime;
                 w->setCurrentIndex((i + 1) % 6);
                 return w;
             },
             [name](QWidget *w) { clickChild(w, name); }, 13, tens[i], -1});
    }

    struct Switch {
        const char *name;
        std::function<SensorSwitch *()> make;
        const char *control;
        int offset;
    };
    const Switch switches[] = {
        {"ripple", [] { return new RippeControl; }, "MM0", 10},
        {"angle snapping", [] { return new StraightLine; }, "MM0", 9},
        {"ripple picture", [] { return new RippeControlB; }, "RippeControl_2", 10},
        {"angle snapping picture", [] { return new StraightLineB; }, "StraightLine_2", 9},
        {"motion sync", [] { return new MotionSync; }, "MotionSync_2", 7},
        {"motion sync small", [] { return new MotionSyncB; }, "MotionSync_2", 7},
    };
    for (const Switch &s : switches) {
        for (const bool on : {true, false}) {
            const auto make = s.make;
            const QByteArray control = s.control;
            add(QByteArray(s.name) + (on ? " on" : " off"),
                {[make, on] {
                     SensorSwitch *w = make();
                     w->setChecked(!on);
                     return w;
                 },
                 [control](QWidget *w) { clickChild(w, control); }, s.offset, on ? 1 : 0, -1});
        }
    }

    const std::pair<const char *, Gate> gates[] = {
        {"", Gate::Open}, {", writing disabled", Gate::WritingDisabled}, {", offline", Gate::Offline}};
    for (const auto &gate : gates)
        for (const auto &row : rows)
            QTest::newRow((row.first + gate.first).constData()) << row.second << gate.second;
}

void TestSensorWidgets::optionClicksReachTheMouse()
{
    QFETCH(OptionCase, option);
    QFETCH(Gate, gate);

    std::unique_ptr<QWidget> w(option.make());
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    QCOMPARE(sends(), 0);   // filled by the page with writing enabled
    const QStringList before = shown(w.get());
    const u8 held = reinterpret_cast<const u8 *>(&g_flashDataMap)[option.offset];

    if (gate == Gate::Offline)
        setMouseOnline(false);
    if (gate == Gate::WritingDisabled)
        g_uiWriteEnabled = 0;
    option.choose(w.get());

    const u8 *image = reinterpret_cast<const u8 *>(&g_flashDataMap);
    if (gate == Gate::Open) {
        QCOMPARE(sends(), 1);
        QCOMPARE(int(image[option.offset]), option.value);
        QVERIFY(hidsim::waitIdle());
        const FlashDataMap onMouse = mouseImage();
        QCOMPARE(int(reinterpret_cast<const u8 *>(&onMouse)[option.offset]), option.value);
        QVERIFY(shown(w.get()) != before);
        QCOMPARE(hideModels, option.hideModel < 0 ? QList<int>() : QList<int>{option.hideModel});
        QCOMPARE(notices, 0);
        return;
    }
    QCOMPARE(sends(), 0);
    QCOMPARE(image[option.offset], held);
    QCOMPARE(shown(w.get()), before);
    QCOMPARE(hideModels, QList<int>());
    QCOMPARE(notices, gate == Gate::Offline ? 1 : 0);
}

// ---- DPI frame ---------------------------------------------------------------------

void TestSensorWidgets::dpiChangesReachTheMouse_data()
{
    QTest::addColumn<DpiCase>("c");

    const auto drag = [](int to) {
        return [to](SensorDPI &dpi) {
            auto *slider = dpi.findChild<QSlider *>("horizontalSliderC");
            slider->setSliderDown(true);
            slider->setSliderPosition(to);
            slider->setSliderDown(false);
        };
    };
    const auto click = [](const char *name) {
        return [name](SensorDPI &dpi) { clickChild(&dpi, name); };
    };
    const auto level = [](int k, int dpi) {
        QVector<int> l(kLevelDpis, kLevelDpis + 8);
        l[k] = dpi;
        return l;
    };
    const auto swapped = [](int a, int b) {
        QVector<int> l(kLevelDpis, kLevelDpis + 8);
        std::swap(l[a], l[b]);
        return l;
    };
    const QVector<int> same(kLevelDpis, kLevelDpis + 8);
    // Ranges 50-10000 step 50 and 10100-26000 step 100; levels 400, 800,
    // 1600, 3200, 6400, ...
    QTest::newRow("first drag after start is written")
        << DpiCase{5, 1, drag(3120), true, false, 1, level(1, 3100), 1, 5, 3100, 1, 5};
    QTest::newRow("drag into the gap lifts to the next range")
        << DpiCase{5, 1, drag(10050), true, false, 1, level(1, 10100), 1, 5, 10100, 1, 5};
    // 50 + 25950 * 150 / 300 = 13025, on the grid of 10100-26000: 13000.
    QTest::newRow("a click on the groove sends once")
        << DpiCase{5, 1,
                   [](SensorDPI &dpi) {
                       auto *slider = dpi.findChild<QSlider *>("horizontalSliderC");
                       QTest::mouseClick(slider, Qt::LeftButton, {}, QPoint(150, slider->height() / 2));
                       QCoreApplication::sendPostedEvents(&dpi);
                   },
                   true, false, 1, level(1, 13000), 1, 5, 13000, 1, 5};
    QTest::newRow("plus and minus step inside a range")
        << DpiCase{5, 4,
                   [click](SensorDPI &dpi) {
                       click("AddLevelA")(dpi);
                       click("AddLevelA")(dpi);
                       click("ReduceLevelA")(dpi);
                   },
                   true, false, 3, level(4, 6450), 4, 5, 6450, 4, 5};
    QTest::newRow("minus at a range's lowest goes to the range below")
        << DpiCase{5, 1,
                   [drag, click](SensorDPI &dpi) {
                       drag(10100)(dpi);
                       click("ReduceLevelA")(dpi);
                   },
                   true, false, 2, level(1, 10000), 1, 5, 10000, 1, 5};
    QTest::newRow("plus at a range's highest goes to the next range")
        << DpiCase{5, 1,
                   [drag, click](SensorDPI &dpi) {
                       drag(10000)(dpi);
                       click("AddLevelA")(dpi);
                   },
                   true, false, 2, level(1, 10100), 1, 5, 10100, 1, 5};
    QTest::newRow("a level click selects it and sends its DPI again")
        << DpiCase{5, 1, click("YellowButton"), true, false, 2, same, 3, 5, 3200, 3, 5};
    QTest::newRow("applying a configuration sends no DPI")
        << DpiCase{5, 1, drag(3120), true, true, 0, same, 1, 5, 3100, 1, 5};
    QTest::newRow("offline drag is put back")
        << DpiCase{5, 1, drag(3120), false, false, 0, same, 1, 5, 800, 1, 5};
    QTest::newRow("offline plus changes nothing")
        << DpiCase{5, 1, click("AddLevelA"), false, false, 0, same, 1, 5, 800, 1, 5};
    QTest::newRow("offline level choice is put back")
        << DpiCase{5, 1, click("YellowButton"), false, false, 0, same, 1, 5, 800, 1, 5};
    // Dropping the selected level: it changes places with the new last one.
    QTest::newRow("dropping the selected level swaps it down")
        << DpiCase{5, 4, click("ReduceLevelA_2"), true, false, 1, swapped(3, 4), 3, 4, 6400, 3, 4};
    QTest::newRow("dropping it again moves it down once more")
        << DpiCase{4, 3, click("ReduceLevelA_2"), true, false, 1, swapped(2, 3), 2, 3, 3200, 2, 3};
    QTest::newRow("dropping another level writes the count only")
        << DpiCase{5, 1, click("ReduceLevelA_2"), true, false, 1, same, 1, 4, 800, 1, 4};
    QTest::newRow("raising the count brings the level back as it was")
        << DpiCase{4, 1, click("AddLevelA_2"), true, false, 1, same, 1, 5, 800, 1, 5};
    QTest::newRow("offline count change is put back")
        << DpiCase{5, 4, click("ReduceLevelA_2"), false, false, 0, same, 4, 5, 6400, 4, 5};
}

void TestSensorWidgets::dpiChangesReachTheMouse()
{
    QFETCH(DpiCase, c);
    storeLevels(c.count, c.level);
    refreshPage([](FlashDataMap &) {});
    SensorDPI &dpi = *pageChild<SensorDPI>();
    devicePage().show();
    QVERIFY(QTest::qWaitForWindowExposed(&devicePage()));
    QCOMPARE(sends(), 0);

    if (!c.online)
        setMouseOnline(false);
    g_configApplying = c.applying ? 1 : 0;
    c.act(dpi);

    QCOMPARE(sends(), c.sends);
    QCOMPARE(notices, c.online ? 0 : 1);
    QVERIFY(hidsim::waitIdle());
    const FlashDataMap onMouse = mouseImage();
    QCOMPARE(levelsOf(onMouse), c.mouseLevels);
    QCOMPARE(int(onMouse.dpiLevel), c.mouseLevel);
    QCOMPARE(int(onMouse.dpiLevelCount), c.mouseCount);

    QCOMPARE(dpi.findChild<QSpinBox *>("spinBoxA")->value(), c.shownDpi);
    QCOMPARE(dpi.findChild<QSpinBox *>("spinBoxA_2")->value(), c.shownCount);
    QStringList texts, expected;
    int checked = -1;
    const QList<QToolButton *> levels{
        dpi.findChild<QToolButton *>("BlueButton"),   dpi.findChild<QToolButton *>("BrightRedButton"),
        dpi.findChild<QToolButton *>("RedButton"),    dpi.findChild<QToolButton *>("YellowButton"),
        dpi.findChild<QToolButton *>("GreenButton")};
    for (int k = 0; k < levels.size(); ++k) {
        if (levels.at(k)->isChecked())
            checked = k;
        QCOMPARE(levels.at(k)->isVisible(), k < c.shownCount);
        if (k < c.shownCount) {
            texts << levels.at(k)->text();
            expected << QString::number(c.mouseLevels.at(k));
        }
    }
    QCOMPARE(checked, c.shownLevel);
    QCOMPARE(dpi.currentLevelIndex(), c.shownLevel);
    // The levels show what the mouse holds (the one exception: a value
    // shown while a configuration is being applied).
    if (!c.applying)
        QCOMPARE(texts, expected);
}

// The filled part of the DPI slider in yellow, the rest of its groove
// white, and the groove outlined so that it shows on the light card.
void TestSensorWidgets::dpiSliderShowsHowFarItIsFilled()
{
    SensorDPI dpi;
    dpi.blockSliderSignals(true);
    dpi.setMinimum(100);
    dpi.setMaximum(32000);
    dpi.setSliderValue(16050);
    dpi.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dpi));
    auto *slider = dpi.findChild<QSlider *>("horizontalSliderC");
    const QImage look = slider->grab().toImage();
    const int middle = slider->height() / 2, empty = slider->width() * 3 / 4;
    QCOMPARE(look.pixelColor(slider->width() / 4, middle), QColor(255, 255, 0));
    QCOMPARE(look.pixelColor(empty, middle), QColor(255, 255, 255));
    int darkest = 255;
    for (int y = 0; y < slider->height(); ++y)
        darkest = qMin(darkest, look.pixelColor(empty, y).value());
    QVERIFY2(darkest < 200, "the groove has no outline");
}

// ---- Filling from the device ---------------------------------------------------------

void TestSensorWidgets::fillingFromTheDeviceSendsNothing_data()
{
    QTest::addColumn<bool>("online");
    QTest::addColumn<int>("view");   // 0, 3 the two full refreshes, 1 reset view, 2 level event
    for (const bool online : {true, false}) {
        const QByteArray where = online ? ", online" : ", offline";
        QTest::newRow("full refresh" + where) << online << 0;
        QTest::newRow("full refresh of the buttons" + where) << online << 3;
        QTest::newRow("reset view" + where) << online << 1;
        QTest::newRow("level event" + where) << online << 2;
    }
}

void TestSensorWidgets::fillingFromTheDeviceSendsNothing()
{
    QFETCH(bool, online);
    QFETCH(int, view);
    storeLevels(4, 2);
    FlashDataMap image = mouseImage();
    image.reportRate = 0x20, image.liftOffDistance = 3, image.sleepTime = 30, image.angleSnapping = 2;
    image.rippleControl = 0;
    // First shown otherwise, so that the view changes what each widget shows.
    refreshPage([view](FlashDataMap &d) {
        d.dpiLevelCount = 5, d.dpiLevel = 0, d.reportRate = 0x08, d.liftOffDistance = 1, d.sleepTime = 1;
        d.angleSnapping = view == 1 ? 1 : 0, d.rippleControl = 1;
    });
    if (!online)
        setMouseOnline(false);
    hidsim::clearCalls();
    Buttoninterface &p = devicePage();
    if (view == 0)
        p.SlotUpDataButtonUIB(image);
    else if (view == 3)
        p.SlotUpDataButtonUIButton(image);
    else if (view == 1)
        p.SlotFormResetButton();
    else
        p.SlotUpDataDPI(2);   // the mouse's DPI button

    QCOMPARE(sends(), 0);
    QCOMPARE(notices, 0);
    SensorDPI *dpi = pageChild<SensorDPI>();
    const QStringList rate = shown(pageChild<SensorRate>()), sleep = shown(pageChild<StopCloseTime>());
    const QStringList lod = shown(pageChild<SensorLODB>()), levels = shown(dpi);
    const QStringList switches = shown(pageChild<StraightLine>()) + shown(pageChild<RippeControl>());
    if (view == 0 || view == 3) {
        // The 4K receiver's link has no high rates, but the stored one is
        // still the one checked.
        QCOMPARE(rate, (QStringList{"Button4000HZ", "label_7"}));
        QCOMPARE(lod, (QStringList{"MM0", "label_2"}));
        QCOMPARE(sleep, (QStringList{"Button5", "label_5"}));
        QCOMPARE(switches, QStringList{"MM0"});   // angle snapping on, ripple control off
        QCOMPARE(levels, QStringList{"RedButton"});
        QCOMPARE(dpi->findChild<QSpinBox *>("spinBoxA_2")->value(), 4);
        QCOMPARE(dpi->findChild<QSpinBox *>("spinBoxA")->value(), kLevelDpis[2]);
    } else if (view == 1) {
        QCOMPARE(rate, (QStringList{"Button1000HZ", "label_5"}));
        QCOMPARE(sleep, (QStringList{"Button1", "label_4"}));
        QCOMPARE(switches, QStringList());
        QCOMPARE(levels, QStringList{"BrightRedButton"});
        QCOMPARE(dpi->findChild<QSpinBox *>("spinBoxA")->value(), 800);
        // The product's default levels.
        QCOMPARE(dpi->findChild<QToolButton *>("BrightRedButton")->text(), QString("800"));
    } else {
        QCOMPARE(levels, QStringList{"RedButton"});
        QCOMPARE(g_uiWriteEnabled, u8(1));
    }
}

// ---- Polling rates by receiver ---------------------------------------------------------

void TestSensorWidgets::highRatesOnlyWhereTheReceiverHasThem_data()
{
    QTest::addColumn<QString>("device");   // fixture lines of the device chosen
    QTest::addColumn<int>("shownRates");
    QTest::addColumn<QString>("fastest");
    QTest::addColumn<int>("code");
    // Link bytes 0, 4, 1, 5 and a cable's 2; only the 8K receiver's link 5
    // (and link 3, which no device of the family has) carries 2000 to
    // 8000 Hz.
    const QString receiver = "[RX]\ntype=receiver\nclass=%1\nid=11 22 33\ncid=0x21\nmid=1\nplugged=1\nmouse=M1\n";
    QTest::newRow("1K receiver") << receiver.arg(1) << 4 << "Button1000HZ" << 0x01;
    QTest::newRow("2K receiver") << receiver.arg(2) << 4 << "Button1000HZ" << 0x01;
    QTest::newRow("4K receiver") << receiver.arg(4) << 4 << "Button1000HZ" << 0x01;
    QTest::newRow("8K receiver") << receiver.arg(8) << 7 << "Button8000HZ" << 0x40;
    QTest::newRow("mouse on its cable") << QString() << 4 << "Button1000HZ" << 0x01;
}

void TestSensorWidgets::highRatesOnlyWhereTheReceiverHasThem()
{
    QFETCH(QString, device);
    QFETCH(int, shownRates);
    QFETCH(QString, fastest);
    QFETCH(int, code);
    UsbServer_Exit();
    QVERIFY(hidsim::waitIdle());
    const QString fixture = stateDir.path() + "/receivers.ini";
    {
        QFile f(fixture);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write((device + "[M1]\ntype=mouse\nmid=1\nonline=1\ncable=" + (device.isEmpty() ? "1" : "0") + "\n")
                    .toLatin1());
    }
    QVERIFY(hidsim::reset(fixture.toLocal8Bit().constData()));
    const char *chosen = device.isEmpty() ? "M1" : "RX";
    // Chosen as the device list chooses it.
    DeviceAllInfo record;
    record.devicePath = QString::fromStdString(hidsim::pathOf(chosen));
    QCOMPARE(Worker::identifyDevice(record, record.devicePath.toUtf8().constData()), 1);
    g_selectedDevice = record;
    useDevice(chosen);

    refreshPage([](FlashDataMap &d) { d.reportRate = 0x08; });
    Sensor pointerPage;
    devicePage().show();
    QVERIFY(QTest::qWaitForWindowExposed(&devicePage()));
    SensorRate *rate = pageChild<SensorRate>();
    int visible = 0;
    for (QToolButton *b : rate->findChildren<QToolButton *>())
        visible += b->isVisible() ? 1 : 0;
    QCOMPARE(visible, shownRates);

    clickChild(rate, fastest.toLatin1().constData());
    QCOMPARE(sends(), 1);
    QVERIFY(hidsim::waitIdle());
    QCOMPARE(int(mouseImage().reportRate), code);
    // The pointer settings page is the one that hears the choice.
    QCOMPARE(hideModels, QList<int>{code == 0x40 ? 1 : 0});
    QVERIFY(QObject::disconnect(PostMsg::instance(), &PostMsg::SigHideModel, &pointerPage, &Sensor::SlotHideModel));
}

// ---- Placements ----------------------------------------------------------------------------

void TestSensorWidgets::everythingSitsInItsPlace_data()
{
    using Fill = ImageEdit;   // one refresh of the page
    QTest::addColumn<QVector<Fill>>("refreshes");
    QTest::addColumn<int>("linkType");
    QTest::addColumn<QVector<Place>>("places");

    const auto rates = [](QVector<QPoint> buttons, QVector<QPoint> captions) {
        const char *b[7] = {"Button125HZ",  "Button250HZ",  "Button500HZ", "Button1000HZ",
                            "Button2000HZ", "Button4000HZ", "Button8000HZ"};
        const char *c[7] = {"label_2", "label_3", "label_4", "label_5", "label_6", "label_7", "label_8"};
        QVector<Place> p;
        for (int i = 0; i < buttons.size(); ++i) {
            p.push_back({"frameRate", b[i], QRect(buttons.at(i), QSize(20, 20))});
            p.push_back({"frameRate", c[i], QRect(captions.at(i), QSize(i == 0 ? 81 : 90, 21))});
        }
        return p;
    };
    // Level buttons 1 to 5 at these x (y 75), the marker under level `at`.
    const auto levels = [](QVector<int> xs, int at) {
        const char *b[5] = {"BlueButton", "BrightRedButton", "RedButton", "YellowButton", "GreenButton"};
        QVector<Place> p;
        for (int i = 0; i < xs.size(); ++i)
            p.push_back({"frameDpi", b[i], QRect(xs.at(i), 75, 56, 18)});
        p.push_back({"frameDpi", "label_8", QRect(xs.at(at) + 12, 75 + 13, 30, 30)});
        return p;
    };
    const auto count = [](int n, int level) {
        return Fill([n, level](FlashDataMap &d) { d.dpiLevelCount = u8(n), d.dpiLevel = u8(level); });
    };

    QTest::newRow("four rates") << QVector<Fill>{count(5, 1)} << 1
                                << rates({{107, 22}, {189, 22}, {271, 22}, {353, 22}},
                                         {{75, 0}, {152, 0}, {234, 0}, {316, 0}});
    QTest::newRow("seven rates")
        << QVector<Fill>{count(5, 1)} << 5
        << rates({{103, 23}, {169, 23}, {234, 23}, {299, 23}, {364, 23}, {430, 23}, {495, 23}},
                 {{73, 0}, {138, 0}, {203, 0}, {268, 0}, {333, 0}, {398, 0}, {463, 0}});
    QTest::newRow("one level") << QVector<Fill>{count(5, 0), count(1, 0)} << 1 << levels({230}, 0);
    QTest::newRow("two levels") << QVector<Fill>{count(2, 1)} << 1 << levels({130, 330}, 1);
    QTest::newRow("three levels") << QVector<Fill>{count(3, 1)} << 1 << levels({130, 230, 330}, 1);
    QTest::newRow("four levels") << QVector<Fill>{count(4, 3)} << 1 << levels({90, 170, 250, 330}, 3);
    QTest::newRow("five levels") << QVector<Fill>{count(1, 0), count(5, 2)} << 1
                                 << levels({80, 155, 230, 305, 380}, 2);
    // A mouse holding more levels than the product offers (five, the level
    // buttons the frame shows) is shown with as many as it offers; the large
    // buttons stay beyond the frame's shown part.
    QVector<Place> seven = levels({80, 155, 230, 305, 380}, 0);
    seven += {{"frameDpi", "PurpleButton", {800, 99, 54, 56}},
              {"frameDpi", "LightBlueButton", {700, 99, 54, 56}},
              {"frameDpi", "LightYellowButton", {652, 99, 54, 56}}};
    QTest::newRow("two levels, then a mouse holding seven") << QVector<Fill>{count(2, 0), count(7, 0)} << 1 << seven;
    // The lift-off options and their captions ("0.7mm" needs more than 41
    // px: the captions are wider about the same centres).
    const QVector<Place> distances{
        {"frameLOD", "MM0", {104, 23, 20, 20}},    {"frameLOD", "MM1", {166, 23, 20, 20}},
        {"frameLOD", "MM2", {228, 23, 20, 20}},    {"frameLOD", "label_2", {94, 0, 41, 21}},
        {"frameLOD", "label_3", {155, 0, 41, 21}}, {"frameLOD", "label_4", {217, 0, 41, 21}}};
    QTest::newRow("lift-off distances") << QVector<Fill>{count(5, 1)} << 1 << distances;
}

// Each row fills the device page from the mouse and finds every widget
// named where the layout puts it, so that no two of them change places, and
// every caption among them shows its text whole.
void TestSensorWidgets::everythingSitsInItsPlace()
{
    QFETCH(QVector<ImageEdit>, refreshes);
    QFETCH(int, linkType);
    QFETCH(QVector<Place>, places);
    g_selectedDevice.linkType = u8(linkType);
    for (const ImageEdit &fill : refreshes)
        refreshPage(fill);
    for (const Place &place : places) {
        QWidget *frame = pageChild<QWidget>(place.frame);
        auto *w = frame->findChild<QWidget *>(QString::fromLatin1(place.object));
        QVERIFY2(w && w->parentWidget() == frame, place.object);
        const QString where = QString("%1 %2").arg(place.frame, place.object);
        if (auto *caption = qobject_cast<QLabel *>(w)) {
            QCOMPARE(w->geometry().center(), place.at.center());
            QVERIFY2(caption->fontMetrics().horizontalAdvance(caption->text()) <= w->width(),
                     qPrintable(where + " cuts " + caption->text()));
        } else {
            QVERIFY2(w->geometry() == place.at, qPrintable(where));
        }
    }
}

// ---- The sleep slider ---------------------------------------------------------------------

void TestSensorWidgets::sleepSliderOnlyShowsATime_data()
{
    QTest::addColumn<QString>("seconds");   // caption of 10 s
    QTest::addColumn<QString>("minutes");   // caption of 30 min
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("text");
    QTest::newRow("10 s") << "10 s" << "30 min" << 0 << "10 s";
    QTest::newRow("30 s") << "10 s" << "30 min" << 1 << "30 s";
    QTest::newRow("1 min") << "10 s" << "30 min" << 2 << "1 min";
    QTest::newRow("40 min") << "10 s" << "30 min" << 10 << "40 min";
    QTest::newRow("in Chinese") << "10秒" << "30分钟" << 4 << "10分钟";
}

void TestSensorWidgets::sleepSliderOnlyShowsATime()
{
    QFETCH(QString, seconds);
    QFETCH(QString, minutes);
    QFETCH(int, index);
    QFETCH(QString, text);
    StopCloseTimeB sleep;
    sleep.setItemText(0, seconds);
    sleep.setItemText(5, minutes);
    auto *box = sleep.findChild<QSpinBox *>("spinBoxA");
    auto *slider = sleep.findChild<QSlider *>("StopClose");

    sleep.setCurrentIndex(index);
    QCOMPARE(box->text(), text);
    QCOMPARE(slider->value(), index + 1);
    // The user's drag shows the same, and nothing reaches the mouse.
    sleep.setCurrentIndex(index == 0 ? 1 : 0);
    slider->setSliderDown(true);
    slider->setSliderPosition(index + 1);
    slider->setSliderDown(false);
    QCOMPARE(box->text(), text);
    QCOMPARE(sends(), 0);
}

QTEST_MAIN(TestSensorWidgets)
#include "tst_sensorwidgets.moc"

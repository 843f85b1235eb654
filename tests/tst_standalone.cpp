// The classes no window opens, as a user would meet them on a page of
// their own: the stand-alone macro page (its delay rows, its name field, its
// files, recording and the device block it sends), the DPI light effect and
// debounce widgets against the simulated mouse, and the pointer settings
// page, which fills without writing anything back.

#include "configsettings.h"
#include "debouncetime.h"
#include "debouncetimeb.h"
#include "debouncetimec.h"
#include "dialoganswers.h"
#include "devicestate.h"
#include "globals.h"
#include "hidusb_sim.h"
#include "keyboardhook.h"
#include "keyhooklayer.h"
#include "macroeditorshared.h"
#include "languageloader.h"
#include "macro.h"
#include "macroblock.h"
#include "macrofile.h"
#include "macrokeys.h"
#include "macroexchange.h"
#include "macroexchangedialog.h"
#include "pointersettings.h"
#include "postmsg.h"
#include "sensor.h"
#include "sensoreffect.h"
#include "sensoreffectb.h"
#include "testsupport.h"

#include <HIDUsb.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QGuiApplication>
#include <QStyleHints>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <cstring>
#include <functional>
#include <memory>

namespace {

const char kMouse[] = "M1";

void ignoreEvents(const unsigned char *, int, const unsigned char *, unsigned int) {}

QString macroFolder()
{
    return userDataDir() + "/usersetting/MacroPage";
}

// File texts are written with "|" for each CR LF line end.
void putFiles(const QStringList &files)
{
    QDir().mkpath(macroFolder());
    for (const QString &f : files) {
        QFile file(macroFolder() + "/" + f.section('=', 0, 0));
        if (file.open(QIODevice::WriteOnly))
            file.write(QString(f.section('=', 1)).replace("|", "\r\n").toUtf8());
    }
}

QString fileOf(const QString &name)
{
    QFile f(macroFolder() + "/" + name + ".ini");
    if (!f.open(QIODevice::ReadOnly))
        return "<none>";
    return QString::fromUtf8(f.readAll()).replace("\r\n", "|");
}

FlashDataMap mouseImage()
{
    FlashDataMap image;
    hidsim::storedImage(kMouse, reinterpret_cast<unsigned char *>(&image));
    return image;
}

int sends()
{
    return hidsim::countCalls("ProtocolDataUpdate");
}

template <typename T> T *child(QWidget *w, const char *name)
{
    T *c = w->findChild<T *>(QString::fromLatin1(name));
    if (!c)
        qFatal("no child %s", name);
    return c;
}

enum class Gate { Open, WritingDisabled, Refreshing, Offline };

// A widget filled as an owner fills it, and what the user does with it.
struct WidgetCase {
    std::function<QWidget *()> make;
    std::function<void(QWidget *)> act;
    QVector<int> bytes;      // image offset and value pairs the act writes
    QString shownAfter;      // what the widget shows once the mouse took it
    bool warns = false;      // the short-debounce notice
    bool onlyOpen = false;   // a case whose gates say nothing more
};

// The DPI light bytes 63 to 66 of the mouse's image.
QVector<int> effectBytes(const FlashDataMap &image)
{
    return {image.dpiLedMode, image.dpiLedBrightness, image.dpiLedSpeed, image.dpiLedEnable};
}

// What an effect or debounce widget shows: its checked box or combo entry
// and its number boxes.
QString shownBy(QWidget *w)
{
    QStringList out;
    for (QAbstractButton *b : w->findChildren<QAbstractButton *>())
        if (b->isChecked())
            out << b->objectName();
    for (QComboBox *c : w->findChildren<QComboBox *>())
        out << c->objectName() + "=" + QString::number(c->currentIndex());
    for (QSpinBox *b : w->findChildren<QSpinBox *>())
        out << b->objectName() + "=" + QString::number(b->value());
    out.sort();
    return out.join(" ");
}

void releaseSliderAt(QWidget *w, const char *name, int value)
{
    auto *slider = child<QSlider>(w, name);
    slider->setSliderDown(true);
    slider->setSliderPosition(value);
    slider->setSliderDown(false);
}

} // namespace

Q_DECLARE_METATYPE(Gate)
Q_DECLARE_METATYPE(WidgetCase)

class TestStandalone : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir stateDir;
    QByteArray handle;
    DialogAnswerer answerer;
    QStringList &answers = answerer.answers;
    QStringList &dialogs = answerer.shown;
    QStringList hub;

    // The default bench's receiver with its mouse, read in full, writing
    // enabled as on the device page.
    void useMouse(bool online = true)
    {
        handle = QByteArray::fromStdString(hidsim::pathOf("R1"));
        g_deviceHandle = handle.constData();
        g_flashDataMap = mouseImage();
        UsbServerC_Start(g_deviceHandle, g_deviceHandle, ignoreEvents);
        g_uiWriteEnabled = 1;
        QVERIFY(hidsim::waitIdle());
        if (!online) {
            QVERIFY(hidsim::setOnline(kMouse, false));
            QVERIFY(hidsim::waitIdle());
        }
        hidsim::clearCalls();
    }

    // ---- The macro page ----------------------------------------------------
    std::unique_ptr<Macro> page;
    QStringList seen;   // what steps looked at: blocks sent, files exported

    QListWidget *macros() const { return child<QListWidget>(page.get(), "listWidgetHong"); }
    QListWidget *events() const { return child<QListWidget>(page.get(), "listWidgetKey"); }

    // The event list as shown: "A v" / "A ^" for key rows, delay rows as
    // their text.
    QStringList shownEvents() const
    {
        QStringList out;
        for (int i = 0; i < events()->count(); ++i) {
            const QListWidgetItem *item = events()->item(i);
            out << (item->text().endsWith("ms") ? item->text() : item->text() + (item->type() ? " ^" : " v"));
        }
        return out;
    }
    static QString rowsText(const MacroRows &rows)
    {
        QStringList out;
        for (const MacroRow &r : rows)
            out << r.name + (r.release ? " ^ " : " v ") + r.delay;
        return out.join(", ");
    }
    // A key through the program's hook chain, down and up.
    static void hookKey(int vk)
    {
        LowLevelKeyRecord r;
        r.vkCode = quint32(vk);
        dispatchLowLevelKey(kKeyHookAction, kKeyMsgDown, r);
        dispatchLowLevelKey(kKeyHookAction, kKeyMsgUp, r);
    }

    void step(const QString &s)
    {
        const QStringList w = s.split(' ');
        const QString &verb = w.at(0);
        const QString arg = w.value(1);
        QWidget *p = page.get();
        if (verb == "name") {   // typed into the name field, then its button
            QLineEdit *field = child<QLineEdit>(p, "MacroName");
            field->setFocus();
            QTest::keyClicks(field, s.section(' ', 1));
            child<QPushButton>(p, "MacroNameEnter")->click();
        } else if (verb == "click") {
            const int row = macroRow(macros(), arg);
            QTest::mouseClick(macros()->viewport(), Qt::LeftButton, {},
                              macros()->visualItemRect(macros()->item(row)).center());
        } else if (verb == "current") {
            events()->setCurrentRow(arg.toInt());
        } else if (verb == "left" || verb == "mid") {
            child<QPushButton>(p, verb == "left" ? "LeftButton_2" : "MidButton_2")->click();
        } else if (verb == "press" || verb == "release") {   // a key caught in the box, then its button
            const char *box = verb == "press" ? "lineEditPress" : "lineEditRelease";
            QApplication::setActiveWindow(p);   // again after a notice: the hook hears keys then
            QVERIFY(QTest::qWaitForWindowActive(p));
            child<QLineEdit>(p, box)->setFocus();
            hookKey(arg.toInt(nullptr, 16));
            child<QPushButton>(p, verb == "press" ? "lineEditPress_2" : "lineEditRelease_2")->click();
        } else if (verb == "paste") {   // text put into the press box without a key
            child<QLineEdit>(p, "lineEditPress")->setText(arg);
            child<QPushButton>(p, "lineEditPress_2")->click();
        } else if (verb == "delay") {
            child<QSpinBox>(p, "lineEditDelay")->setValue(arg.toInt());
            child<QPushButton>(p, "lineEditDelay_2")->click();
        } else if (verb == "edit") {   // edit <row> <answer>: the event list's menu, first entry
            answers << (events()->item(arg.toInt())->text().endsWith("ms") ? "AddDelayTime=" : "addKey=") + w.value(2);
            answers << "menu=1";
            page->on_listWidgetKey_customContextMenuRequested(
                events()->visualItemRect(events()->item(arg.toInt())).center());
        } else if (verb == "drop") {
            answers << "menu=2";
            page->on_listWidgetKey_customContextMenuRequested(
                events()->visualItemRect(events()->item(arg.toInt())).center());
        } else if (verb == "loop") {
            child<QAbstractButton>(p, arg == "254" ? "ReUntilLoose" : arg == "255" ? "ReUntilClick" : "ReNumber")->click();
        } else if (verb == "count") {
            child<QSpinBox>(p, "NumberEdit")->setValue(arg.toInt());
        } else if (verb == "save") {
            child<QAbstractButton>(p, "Save")->click();
        } else if (verb == "record") {   // record <keys in hex>, without measured delays
            child<QCheckBox>(p, "AutoInsertDelay")->setChecked(false);
            child<QPushButton>(p, "StartRecord")->click();
            for (const QString &vk : s.section(' ', 1).split(' ', Qt::SkipEmptyParts))
                hookKey(vk.toInt(nullptr, 16));
            child<QPushButton>(p, "StopRecord")->click();
        } else if (verb == "typed") {   // typed <letters> on the keyboard while recording, the name field focused
            child<QCheckBox>(p, "AutoInsertDelay")->setChecked(false);
            child<QPushButton>(p, "StartRecord")->click();
            child<QLineEdit>(p, "MacroName")->setFocus();
            for (const QChar c : arg)
                QTest::keyClick(p->windowHandle(), c.toLatin1());
            child<QPushButton>(p, "StopRecord")->click();
            seen << "name field: " + child<QLineEdit>(p, "MacroName")->text();
        } else if (verb == "arrive") {   // arrive <name>: device data with button 2 running a macro of that name
            FlashDataMap image = mouseImage();
            image.buttonFunctions[2] = macroButtonFunction(2, 254);
            const MacroDownloadRecord block = buildMacroBlock(arg, {macroRowForName("B", false, {})});
            std::memcpy(image.macroRecords[2].bytes, block.bytes(), sizeof block);
            page->SlotButtonToMacro(image, 2);
            seen << "listed: " + QStringList(listMacroNames(macroFolder())).join(",");
        } else if (verb == "send") {   // the shown macro to device button 2
            page->SlotMacroDownLoadData(page->shownMacro(), 2);
            const FlashDataMap image = mouseImage();
            seen << "block: " + rowsText(macroBlockRows(macroBlockOf(image, 2), page->mouseButtonNames()));
        } else if (verb == "export") {
            const QString path = QDir::homePath() + "/x.ini";
            setExchangeFileQuestion([path](bool) { return path; });
            page->ExPortMacro();
            QFile f(path);
            MacroExportFile ex;
            seen << (f.open(QIODevice::ReadOnly) && parseMacroExchange(f.readAll(), page->mouseButtonNames(), &ex)
                         ? "export " + ex.loopText + ": " + rowsText(ex.rows)
                         : QString("no export"));
        } else {
            QFAIL(qPrintable("unknown step " + s));
        }
    }

private slots:
    void initTestCase()
    {
        QVERIFY(stateDir.isValid());
        LanguageLoader().LanguageTextLoader();
        registerDeviceMetaTypes();
        PostMsg *h = PostMsg::instance();
        connect(h, &PostMsg::SigUpDataMacro, this, [this](QString n, int i) { hub << QString("update %1 %2").arg(n).arg(i); });
        connect(h, &PostMsg::SigMouseOffLineo, this, [this] { hub << "offline"; });
    }
    void init()
    {
        resetDeviceBench();
        hidsim::setStateDir(stateDir.path().toLocal8Bit().constData());
        QVERIFY(hidsim::reset());
        g_standaloneMacroRecording = 0;
        QDir(userDataDir()).removeRecursively();
        QDir().mkpath(userDataDir() + "/usersetting/SensorPage");
        dialogs.clear();
        answers.clear();
        hub.clear();
        seen.clear();
        setExchangeFileQuestion(nullptr);
    }
    void cleanup()
    {
        page.reset();
        UsbServer_Exit();
        hidsim::waitIdle();
        setExchangeFileQuestion(nullptr);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void macroPageKeepsEventsAndDelays_data();
    void macroPageKeepsEventsAndDelays();
    void widgetsWriteOnlyWhatTheMouseTakes_data();
    void widgetsWriteOnlyWhatTheMouseTakes();
    void pointerPageFillsWithoutWriting_data();
    void pointerPageFillsWithoutWriting();
    void pointerPageSetsTheSystem_data();
    void pointerPageSetsTheSystem();
    void eachClassShowsItsTexts_data();
    void eachClassShowsItsTexts();
};

// ---- The stand-alone macro page ----------------------------------------------------

void TestStandalone::macroPageKeepsEventsAndDelays_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("shown");     // the event list afterwards
    QTest::addColumn<QString>("file");          // "name=text" of one macro file afterwards
    QTest::addColumn<QStringList>("told");      // hub, dialogs and what the steps looked at

    const QString a = "a=1|0x04 1 0|25ms|0x04 1 1|10ms|";
    const QStringList aRows = {"A v", "25ms", "A ^", "10ms"};
    QTest::newRow("a macro's delays are rows of their own") << QStringList{"click a"} << aRows << a << QStringList();
    QTest::newRow("the block holds the events, not the delay rows")
        << QStringList{"click a", "send"} << aRows << a << QStringList{"block: A v 25ms, A ^ 10ms"};
    QTest::newRow("recorded without measured delays: 0ms between, none after the last")
        << QStringList{"click a", "record 41 42", "send", "save"}
        << QStringList{"A v", "0ms", "A ^", "0ms", "B v", "0ms", "B ^"}
        << "a=1|0x04 1 0|0ms|0x04 1 1|0ms|0x05 1 0|0ms|0x05 1 1|0ms|"
        << QStringList{"update a 0", "block: A v 0ms, A ^ 0ms, B v 0ms, B ^ 0ms"};
    QTest::newRow("keys typed while recording go to the macro, not to the name field")
        << QStringList{"click a", "typed hi"} << QStringList{"H v", "0ms", "H ^", "0ms", "I v", "0ms", "I ^"} << a
        << QStringList{"name field: "};
    QTest::newRow("a pair on an empty macro, then one after the last row")
        << QStringList{"name m", "left", "current 2", "mid", "save"}
        << QStringList{"Left click v", "0ms", "Left click ^", "0ms", "Middle click v", "0ms", "Middle click ^"}
        << "m=1|0x01 4 0|0ms|0x01 4 1|0ms|0x04 4 0|0ms|0x04 4 1|0ms|" << QStringList{"update m 0"};
    QTest::newRow("a captured key after an event goes behind its delay")
        << QStringList{"click a", "current 0", "press A0", "save"}
        << QStringList{"A v", "25ms", "LShift v", "0ms", "A ^", "10ms"}
        << "a=1|0x04 1 0|25ms|0x02 0 0|0ms|0x04 1 1|10ms|" << QStringList{"update a 0"};
    QTest::newRow("a captured release on a delay row goes right after it")
        << QStringList{"click a", "current 1", "release 42"} << QStringList{"A v", "25ms", "B ^", "0ms", "A ^", "10ms"}
        << a << QStringList();
    QTest::newRow("text that names no key is not inserted")
        << QStringList{"click a", "current 1", "paste hello"} << aRows << a << QStringList();
    QTest::newRow("a delay replaces the delay row it is put on")
        << QStringList{"click a", "current 1", "delay 70", "save"} << QStringList{"A v", "70ms", "A ^", "10ms"}
        << "a=1|0x04 1 0|70ms|0x04 1 1|10ms|" << QStringList{"update a 0"};
    QTest::newRow("a delay on an event row replaces the delay before it")
        << QStringList{"click a", "current 2", "delay 5"} << QStringList{"A v", "5ms", "A ^", "10ms"} << a
        << QStringList();
    QTest::newRow("a deleted event's delay adds to the one before")
        << QStringList{"click a", "drop 2", "save"} << QStringList{"A v", "25ms", "10ms"} << "a=1|0x04 1 0|35ms|"
        << QStringList{"menu:Modify,Delete event", "update a 0"};
    QTest::newRow("rows are edited through the list's menu, a key up's key with its key down")
        << QStringList{"click a", "edit 1 300", "edit 2 42", "save", "send"}
        << QStringList{"B v", "300ms", "B ^", "10ms"} << "a=1|0x05 1 0|300ms|0x05 1 1|10ms|"
        << QStringList{"menu:Modify,Delete event", "AddDelayTime", "menu:Modify,Delete event", "addKey", "update a 0",
                       "block: B v 300ms, B ^ 10ms"};
    // Inside the macro an event's index and its row differ: either half of
    // the inner stroke takes the other along, and no delay row changes.
    const QStringList nested = {"click a", "current 1", "press 42", "current 3", "delay 5", "release 42"};
    const QStringList nestedEdited = {"A v", "25ms", "C v", "5ms", "C ^", "0ms", "A ^", "10ms"};
    const QString nestedFile = "a=1|0x04 1 0|25ms|0x06 1 0|5ms|0x06 1 1|0ms|0x04 1 1|10ms|";
    const QStringList nestedTold = {"menu:Modify,Delete event", "addKey", "update a 0",
                                    "block: A v 25ms, C v 5ms, C ^ 0ms, A ^ 10ms"};
    QTest::newRow("an inner key down's key, with its key up")
        << nested + QStringList{"edit 2 43", "save", "send"} << nestedEdited << nestedFile << nestedTold;
    QTest::newRow("an inner key up's key, with its key down")
        << nested + QStringList{"edit 4 43", "save", "send"} << nestedEdited << nestedFile << nestedTold;
    // The middle button has A's code; a key up of it is no key up of A.
    QTest::newRow("an outer key down's key, past a mouse stroke of the same code")
        << QStringList{"click a", "current 1", "mid", "edit 0 43", "save", "send"}
        << QStringList{"C v", "25ms", "Middle click v", "0ms", "Middle click ^", "0ms", "C ^", "10ms"}
        << "a=1|0x06 1 0|25ms|0x04 4 0|0ms|0x04 4 1|0ms|0x06 1 1|10ms|"
        << QStringList{"menu:Modify,Delete event", "addKey", "update a 0",
                       "block: C v 25ms, Middle click v 0ms, Middle click ^ 0ms, C ^ 10ms"};
    QTest::newRow("only the loop mode changed")
        << QStringList{"click a", "loop 254", "save"} << aRows << "a=254|0x04 1 0|25ms|0x04 1 1|10ms|"
        << QStringList{"update a 1"};
    QTest::newRow("a mode the page has no box for is kept")
        << QStringList{"click b", "mid", "save", "export"} << QStringList{"B v", "10ms", "0ms", "Middle click v", "0ms", "Middle click ^"}
        << "b=253|0x05 1 0|10ms|0x04 4 0|0ms|0x04 4 1|0ms|"
        << QStringList{"update b 0", "export 253: B v 10ms, Middle click v 0ms, Middle click ^ 0ms"};
    QTest::newRow("a new name from the field, refused characters left out")
        << QStringList{"name n/e-w"} << QStringList() << "new=" << QStringList();
    QTest::newRow("a taken name from the field") << QStringList{"name a"} << QStringList() << a
                                                 << QStringList{"SameMacro"};
    QTest::newRow("a name holding xml from the field") << QStringList{"name myxml"} << QStringList()
                                                       << "myxml=<none>" << QStringList{"SameMacro"};
    // As on the device page: a name from the mouse that cannot be a macro's
    // file name gets no file, not one under a cleaned name.
    QTest::newRow("a macro from the mouse") << QStringList{"arrive ok"} << QStringList() << "ok=254|0x05 1 0|10ms|"
                                            << QStringList{"listed: a,b,c,ok"};
    QTest::newRow("a name from the mouse with a slash") << QStringList{"arrive a/b"} << QStringList() << "ab=<none>"
                                                        << QStringList{"listed: a,b,c"};
    QTest::newRow("a name from the mouse holding xml") << QStringList{"arrive myxml"} << QStringList()
                                                       << "myxml=<none>" << QStringList{"listed: a,b,c"};
    // A macro holds the 70 events of a device block.
    QTest::newRow("the 70th event, then a pair, then one more")
        << QStringList{"click c", "press 41", "left", "press 42"}
        << QString("A v,0ms,").repeated(70).split(',', Qt::SkipEmptyParts)
        << "c=1|" + QString("0x04 1 0|0ms|").repeated(69) << QStringList{"KeyNumberLimit", "KeyNumberLimit"};
    QTest::newRow("export holds the events, not the delay rows")
        << QStringList{"click a", "current 1", "delay 40", "export"} << QStringList{"A v", "40ms", "A ^", "10ms"} << a
        << QStringList{"export 1: A v 40ms, A ^ 10ms"};
}

// The page as a user works it: its list shows each delay as a row, and
// the file, the device block and the exchange file hold the same events
// the device page's editor writes.
void TestStandalone::macroPageKeepsEventsAndDelays()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, shown);
    QFETCH(QString, file);
    QFETCH(QStringList, told);
    useMouse();
    g_language = 0;
    putFiles({"a.ini=1|0x04 1 0|25ms|0x04 1 1|10ms|", "b.ini=253|0x05 1 0|10ms|",
              "c.ini=1|" + QString("0x04 1 0|0ms|").repeated(69)});
    page.reset(new Macro);
    page->show();
    QApplication::setActiveWindow(page.get());
    QVERIFY(QTest::qWaitForWindowActive(page.get()));
    for (const QString &st : steps)
        step(st);
    QCOMPARE(shownEvents(), shown);
    QCOMPARE(file.section('=', 0, 0) + "=" + fileOf(file.section('=', 0, 0)), file);
    QCOMPARE(dialogs + hub + seen, told);
}

// ---- Light effect and debounce widgets against the mouse ------------------------------------

void TestStandalone::widgetsWriteOnlyWhatTheMouseTakes_data()
{
    QTest::addColumn<WidgetCase>("widget");
    QTest::addColumn<Gate>("gate");
    // Every widget starts as the mouse is: steady at level 5 (128), speed 3;
    // debounce 4 ms.
    const auto effectB = [] {
        auto *w = new SensorEffectB;
        w->setMode(1);
        w->setSpeed(3);
        w->setBrightnessLevel(5);
        return static_cast<QWidget *>(w);
    };
    const auto effect = [] {
        auto *w = new SensorEffect;
        w->setMode(1);
        return static_cast<QWidget *>(w);
    };
    const auto click = [](const char *name) {
        return [name](QWidget *w) { child<QAbstractButton>(w, name)->click(); };
    };
    const auto release = [](const char *name, int value) {
        return [name, value](QWidget *w) { releaseSliderAt(w, name, value); };
    };
    const auto choose = [](int index) {
        return [index](QWidget *w) { child<QComboBox>(w, index < 100 ? "Model" : "Debunce")->setCurrentIndex(index % 100); };
    };
    const auto debounceC = [](int start) {
        return [start] {
            auto *w = new DebouncetimeC;
            child<QSpinBox>(w, "spinBoxA")->setValue(start);
            return static_cast<QWidget *>(w);
        };
    };
    const QString B = "LightSpinBox=%1 MM%2 SpeedSpinBox=%3";
    std::vector<std::pair<const char *, WidgetCase>> rows = {
        {"boxes: breathing", {effectB, click("MM2"), {63, 2, 66, 1}, B.arg(5).arg(2).arg(3)}},
        {"boxes: off keeps the mode byte", {effectB, click("MM3"), {63, 1, 66, 0}, B.arg(5).arg(3).arg(3)}},
        {"boxes: brightness level 10 is 255", {effectB, release("LightH", 10), {64, 255}, B.arg(10).arg(1).arg(3)}},
        {"boxes: brightness level 1 is 16", {effectB, release("LightH", 1), {64, 16}, B.arg(1).arg(1).arg(3)}},
        {"boxes: speed 4", {effectB, release("SpeedH", 4), {65, 4}, B.arg(5).arg(1).arg(4)}},
        {"boxes: a drag only shows the speed",
         {effectB, [](QWidget *w) {
              auto *slider = child<QSlider>(w, "SpeedH");
              slider->setSliderDown(true);
              slider->setSliderPosition(5);
          }, {}, B.arg(5).arg(1).arg(5), false, true}},
        {"box: breathing", {effect, choose(2), {63, 2, 66, 1}, "LightSpinBox=1 Model=2 SpeedSpinBox=1"}},
        {"box: brightness level 2 is 30", {effect, release("LightH", 2), {64, 30}, "LightSpinBox=2 Model=1 SpeedSpinBox=1"}},
        {"debounce box: 7 ms warns", {[] { return new DebounceTime; }, choose(107), {6, 7}, "Debunce=7", true}},
        {"debounce box: 8 ms", {[] { return new DebounceTime; }, choose(108), {6, 8}, "Debunce=8"}},
        {"debounce slider: set, then released at 12",
         {[] {
              auto *w = new DebouncetimeB;
              w->setValue(4);
              return static_cast<QWidget *>(w);
          }, release("Debunce", 12), {6, 12}, "spinBoxA=12"}},
        {"debounce steps: up from 4", {debounceC(4), click("AddLevelA"), {6, 5}, "spinBoxA=5"}},
        {"debounce steps: down from the first 0 stays 0", {debounceC(0), click("ReduceLevelA"), {6, 0}, "spinBoxA=0"}},
        {"debounce steps: up at 20", {debounceC(20), click("AddLevelA"), {}, "spinBoxA=20", false, true}},
        {"debounce steps: down at 1", {debounceC(1), click("ReduceLevelA"), {}, "spinBoxA=1", false, true}},
    };
    const std::pair<const char *, Gate> gates[] = {{"", Gate::Open},
                                                   {", writing disabled", Gate::WritingDisabled},
                                                   {", page refreshing", Gate::Refreshing},
                                                   {", offline", Gate::Offline}};
    for (const auto &row : rows) {
        for (const auto &gate : gates) {
            if (gate.second == Gate::Open || !row.second.onlyOpen)
                QTest::newRow((QByteArray(row.first) + gate.first).constData()) << row.second << gate.second;
        }
    }
}

// A choice reaches the mouse once and shows; a choice the mouse does not
// take (writing disabled, the page refreshing where the widget waits for
// it, the mouse offline) changes neither the mouse nor what the widget
// shows. Filling a widget as its owner does sends nothing.
void TestStandalone::widgetsWriteOnlyWhatTheMouseTakes()
{
    QFETCH(WidgetCase, widget);
    QFETCH(Gate, gate);
    FlashDataMap start = mouseImage();
    start.dpiLedMode = 1;
    start.dpiLedBrightness = 128;
    start.dpiLedSpeed = 3;
    start.dpiLedEnable = 1;
    start.debounceTime = 4;
    QVERIFY(hidsim::setStoredImage(kMouse, reinterpret_cast<const unsigned char *>(&start)));
    useMouse(gate != Gate::Offline);
    std::unique_ptr<QWidget> w(widget.make());
    w->show();
    QCOMPARE(sends(), 0);
    const QString before = shownBy(w.get());
    g_uiWriteEnabled = gate == Gate::WritingDisabled ? 0 : 1;
    g_buttonPageRefreshing = gate == Gate::Refreshing ? 1 : 0;
    widget.act(w.get());

    // Only the debounce widgets write while the page refreshes, without
    // the notice.
    const bool debounce = QByteArray(QTest::currentDataTag()).startsWith("debounce");
    const bool taken = gate == Gate::Open || (gate == Gate::Refreshing && debounce);
    FlashDataMap expected = start;
    auto *bytes = reinterpret_cast<u8 *>(&expected);
    for (int i = 0; taken && i + 1 < widget.bytes.size(); i += 2)
        bytes[widget.bytes.at(i)] = u8(widget.bytes.at(i + 1));
    QCOMPARE(sends(), taken && !widget.bytes.isEmpty() ? 1 : 0);
    QCOMPARE(effectBytes(mouseImage()), effectBytes(expected));
    QCOMPARE(int(mouseImage().debounceTime), int(expected.debounceTime));
    QCOMPARE(shownBy(w.get()), taken ? widget.shownAfter : before);
    QCOMPARE(dialogs, widget.warns && gate == Gate::Open ? QStringList{"LessThree"} : QStringList());
    QCOMPARE(hub, gate == Gate::Offline ? QStringList{"offline"} : QStringList());
}

// ---- The pointer settings page -----------------------------------------------------------

void TestStandalone::pointerPageFillsWithoutWriting_data()
{
    QTest::addColumn<QStringList>("fills");   // slot: DPI light enable, mode, brightness, speed
    QTest::addColumn<QString>("shown");       // the effect afterwards
    const QString S = "LightSpinBox=%1 MM%2 SpeedSpinBox=%3";
    QTest::newRow("steady, level 5") << QStringList{"UIB 1 1 128 3"} << S.arg(5).arg(1).arg(3);
    QTest::newRow("breathing, level 10") << QStringList{"UISensor 1 2 255 5"} << S.arg(10).arg(2).arg(5);
    QTest::newRow("light off whatever its mode") << QStringList{"UIB 0 2 128 3"} << S.arg(5).arg(3).arg(3);
    QTest::newRow("an unknown mode keeps the shown one")
        << QStringList{"UIB 1 2 128 3", "DPILed 1 3 128 3"} << S.arg(5).arg(2).arg(3);
    QTest::newRow("an unlisted brightness shows the top level")
        << QStringList{"DPILed 1 1 100 3"} << QString("LightSpinBox=10 MM1 SpeedSpinBox=3");
    QTest::newRow("brightness 0 and speed 9 show the slider ends")
        << QStringList{"DPILed 1 1 0 9"} << QString("LightSpinBox=1 MM1 SpeedSpinBox=5");
    QTest::newRow("the factory view") << QStringList{"UIB 1 2 255 5", "reset"} << S.arg(5).arg(3).arg(3);
}

// However the page is filled, the mouse and the system keep what they
// hold, and the page shows it: a double-click time of 530 ms (not on a
// step) shows step 4 and stays 530.
void TestStandalone::pointerPageFillsWithoutWriting()
{
    QFETCH(QStringList, fills);
    QFETCH(QString, shown);
    useMouse();
    setSystemPointerSpeed(13);
    setSystemWheelScrollLines(kWheelScrollPage);
    setSystemMouseAcceleration({6, 10, 0});
    QGuiApplication::styleHints()->setMouseDoubleClickInterval(530);
    QFile kept(userDataDir() + "/usersetting/SensorPage/Pointer.ini");
    QVERIFY(kept.open(QIODevice::ReadOnly));
    const QByteArray keptBefore = kept.readAll();
    kept.close();

    Sensor page;
    for (const QString &fill : fills) {
        const QStringList f = fill.split(' ');
        FlashDataMap image = mouseImage();
        image.dpiLedEnable = u8(f.value(1).toInt());
        image.dpiLedMode = u8(f.value(2).toInt());
        image.dpiLedBrightness = u8(f.value(3).toInt());
        image.dpiLedSpeed = u8(f.value(4).toInt());
        if (f.at(0) == "UIB")
            page.SlotUpDataSenSorUIB(image);
        else if (f.at(0) == "UISensor")
            page.SlotUpDataSenSorUISensor(image);
        else if (f.at(0) == "DPILed")
            page.SlotUpDataDPILed(image);
        else
            page.SlotFormReset();
    }
    QCOMPARE(shownBy(page.effect()), shown);
    QCOMPARE(sends(), 0);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), keptBefore);
    QCOMPARE(QGuiApplication::styleHints()->mouseDoubleClickInterval(), 530);
    if (fills.first().startsWith("UI")) {
        QCOMPARE(child<QSlider>(&page, "SpeedH_4")->value(), 13);
        QVERIFY(!child<QCheckBox>(&page, "Precison")->isChecked());
        QVERIFY(child<QCheckBox>(&page, "ScrollPage")->isChecked());
        QCOMPARE(child<QSpinBox>(&page, "SpinSpeed")->value(), 3);
        QCOMPARE(child<QSlider>(&page, "SpeedH_3")->value(), 4);
        QCOMPARE(child<QSpinBox>(&page, "DoubleSpin")->value(), 530);
    }
}

void TestStandalone::pointerPageSetsTheSystem_data()
{
    QTest::addColumn<QString>("start");    // speed, wheel lines (0: a page), acceleration
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("system");   // speed, lines, thresholds and acceleration, double-click ms
    QTest::newRow("plus at 20 keeps 20") << "20 3 1" << "Add" << "20 3 6,10,1 400";
    QTest::newRow("minus") << "10 3 1" << "Rce" << "9 3 6,10,1 400";
    QTest::newRow("minus at 1 keeps 1") << "1 3 1" << "Rce" << "1 3 6,10,1 400";
    QTest::newRow("speed slider") << "10 3 1" << "SpeedH_4 15" << "15 3 6,10,1 400";
    QTest::newRow("precision off keeps the thresholds") << "10 3 1" << "Precison" << "10 3 6,10,0 400";
    QTest::newRow("wheel lines") << "10 3 1" << "SpeedH_2 7" << "10 7 6,10,1 400";
    QTest::newRow("wheel while scrolling a page") << "10 0 1" << "SpeedH_2 7" << "10 0 6,10,1 400";
    QTest::newRow("page scrolling off gives the box's lines") << "10 0 1" << "ScrollPage" << "10 3 6,10,1 400";
    QTest::newRow("double-click step 4") << "10 3 1" << "SpeedH_3 4" << "10 3 6,10,1 480";
}

// Each control sets its system value once, as the page shows it; the
// double-click time also takes effect in the program.
void TestStandalone::pointerPageSetsTheSystem()
{
    QFETCH(QString, start);
    QFETCH(QString, action);
    QFETCH(QString, system);
    const QStringList st = start.split(' ');
    setSystemPointerSpeed(st.at(0).toInt());
    setSystemWheelScrollLines(st.at(1) == "0" ? kWheelScrollPage : st.at(1).toUInt());
    setSystemMouseAcceleration({6, 10, st.at(2).toInt()});
    QGuiApplication::styleHints()->setMouseDoubleClickInterval(400);
    Sensor page;
    page.SlotUpDataSenSorUIB(mouseImage());
    const QStringList a = action.split(' ');
    if (a.size() == 2)
        child<QSlider>(&page, a.at(0).toLatin1().constData())->setValue(a.at(1).toInt());
    else
        child<QAbstractButton>(&page, a.at(0).toLatin1().constData())->click();
    const MouseAcceleration acc = systemMouseAcceleration();
    const quint32 lines = systemWheelScrollLines();
    QCOMPARE(QString("%1 %2 %3,%4,%5 %6")
                 .arg(systemPointerSpeed())
                 .arg(lines == kWheelScrollPage ? 0 : int(lines))
                 .arg(acc.threshold1)
                 .arg(acc.threshold2)
                 .arg(acc.acceleration)
                 .arg(QGuiApplication::styleHints()->mouseDoubleClickInterval()),
             system);
    // The level file the device page starts from.
    QVERIFY(Sensor::writeLevelFile(6));
    QFile level(userDataDir() + "/usersetting/SensorPage/Level.ini");
    QVERIFY(level.open(QIODevice::ReadOnly));
    QCOMPARE(level.readAll(), QByteArray("6"));
}

// ---- Every class on screen ---------------------------------------------------------

void TestStandalone::eachClassShowsItsTexts_data()
{
    QTest::addColumn<int>("language");
    QTest::newRow("English") << 0;
    QTest::newRow("Chinese") << 1;
}

// Each class shows, in both languages, the texts of its role, and none is
// cut. With QUZ_SHOT_DIR set the pages are also saved as pictures.
void TestStandalone::eachClassShowsItsTexts()
{
    QFETCH(int, language);
    g_language = language;
    // The colours of the default mouse, as choosing it gives them.
    ConfigSettings *config = ConfigSettings::instance();
    for (const ThemeEntry &e : themeEntries())
        e.list ? void(*e.list = config->readStringList("ColorSet1", QString::fromLatin1(e.key)))
               : void(*e.text = config->readString("ColorSet1", QString::fromLatin1(e.key)));
    putFiles({"Clicker.ini=1|0x04 1 0|25ms|0x04 1 1|10ms|", "Typer.ini=254|"});
    std::vector<std::unique_ptr<QWidget>> widgets;
    widgets.emplace_back(new Macro);
    widgets.emplace_back(new Sensor);
    widgets.emplace_back(new SensorEffect);
    widgets.emplace_back(new DebounceTime);
    widgets.emplace_back(new DebouncetimeB);
    widgets.emplace_back(new DebouncetimeC);
    auto *macro = static_cast<Macro *>(widgets.at(0).get());
    macro->findChild<QListWidget *>("listWidgetHong")->setCurrentRow(0);
    macro->on_listWidgetHong_clicked(QModelIndex());
    static_cast<Sensor *>(widgets.at(1).get())->SlotFormReset();
    // The texts an owner gives the widgets that have no language of their own.
    const auto sensorText = [language](int position) { return langText(g_langSensor, language, position); };
    auto *effect = static_cast<SensorEffect *>(widgets.at(2).get());
    effect->setTitle(sensorText(15));
    effect->setSpeedText(sensorText(19));
    effect->setBrightnessText(sensorText(20));
    effect->setModeText(0, langText(g_langFormSetting, language, 51));
    effect->setModeText(1, sensorText(17));
    effect->setModeText(2, sensorText(18));
    for (int ms = 0; ms <= 20; ++ms)
        static_cast<DebounceTime *>(widgets.at(3).get())->setItemText(ms, "ms");
    static_cast<DebouncetimeB *>(widgets.at(4).get())->setText(langText(g_langButtoninterface, language, 43));
    static_cast<DebouncetimeC *>(widgets.at(5).get())->setItemText(0, "ms");
    for (auto &w : widgets) {
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        // Check boxes leave room for their mark.
        for (QWidget *t : w->findChildren<QWidget *>()) {
            const QString text = t->property("text").toString();
            if (!t->isVisible() || text.isEmpty() || !(qobject_cast<QLabel *>(t) || qobject_cast<QCheckBox *>(t)))
                continue;
            const int room = t->width() - (qobject_cast<QCheckBox *>(t) ? 24 : 0);
            QVERIFY2(t->fontMetrics().horizontalAdvance(text) <= room, qPrintable(text));
        }
        const QString shots = qEnvironmentVariable("QUZ_SHOT_DIR");
        if (!shots.isEmpty())
            w->grab().save(shots + QString("/%1-%2.png").arg(w->metaObject()->className()).arg(language));
    }
    QCOMPARE(child<QLineEdit>(macro, "MacroName")->placeholderText(), langText(g_langMacro, language, 28));
    // A macro row's menu: export, rename and delete, then the list's new
    // and import.
    QListWidget *list = child<QListWidget>(macro, "listWidgetHong");
    macro->on_listWidgetHong_customContextMenuRequested(list->visualItemRect(list->item(1)).center());
    QStringList rowMenu;
    for (int text = 20; text <= 24; ++text)
        rowMenu << langText(g_langMacro, language, text);
    QCOMPARE(dialogs, QStringList{"menu:" + rowMenu.join(',')});
    QCOMPARE(child<QCheckBox>(widgets.at(1).get(), "MM3")->text(), langText(g_langFormSetting, language, 51));
}

QTEST_MAIN(TestStandalone)
#include "tst_standalone.moc"

// Macros between the device page and the simulated mouse: binding, saving,
// renaming and reading back, as the mouse ends up holding them, with the
// labels, the macro files and the offline notices the user sees.

#include "HIDUsb.h"
#include "buttoninterface.h"
#include "devicestate.h"
#include "globals.h"
#include "hidusb_sim.h"
#include "languageloader.h"
#include "macrofile.h"
#include "postmsg.h"
#include "testsupport.h"
#include "worker.h"

#include <QAbstractButton>
#include <QDir>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

#include <memory>

namespace {

QString folder()
{
    return userDataDir() + "/usersetting/MacroPage";
}

FlashDataMap heldByMouse()
{
    FlashDataMap image;
    hidsim::storedImage("M1", reinterpret_cast<unsigned char *>(&image));
    return image;
}

QString rowsText(const MacroRows &rows)
{
    QStringList out;
    for (const MacroRow &r : rows)
        out << r.name + (r.release ? "^" : "v") + QString::number(macroDelayMs(r.delay));
    return out.join(' ');
}

// "type/code/param name: rows"; a name field with bytes past the name or a
// wrong length byte is marked "!".
QString onMouse(int k)
{
    const FlashDataMap image = heldByMouse();
    const ButtonFunction f = image.buttonFunctions[k];
    const MacroDownloadRecord b = macroBlockOf(image, k);
    const QString name = macroBlockStoredName(b);
    bool clean = b.nameLength == name.toLocal8Bit().size();
    for (int i = b.nameLength; i < kMacroBlockNameBytes; ++i)
        clean = clean && b.name[i] == 0;
    return QString("%1/%2/%3 %4%5: %6").arg(f.type).arg(f.code).arg(f.param).arg(name, clean ? "" : "!",
                                                                                  rowsText(macroBlockRows(b, buttonPageMouseNames())));
}

// Every macro file as "name=loop: rows".
QStringList files()
{
    QStringList out;
    for (const QString &name : listMacroNames(folder())) {
        MacroFileContent c;
        loadMacroFile(folder(), name, buttonPageMouseNames(), &c);
        out << name + "=" + c.loopText + ": " + rowsText(c.rows);
    }
    return out;
}

} // namespace

class TestMacroDevice : public QObject
{
    Q_OBJECT

    std::unique_ptr<Buttoninterface> page;
    int notices = 0;

    QListWidget *macros() const { return page->findChild<QListWidget *>("listWidgetHong"); }
    void click(const char *name) { page->findChild<QAbstractButton *>(name)->click(); }

    // One step of a row; see the table for the words.
    void step(const QString &s)
    {
        const QStringList w = s.split(' ');
        const QString arg = w.value(1).replace('_', ' ');   // names with blanks
        if (w[0] == "put") {   // put <name> <file text, "|" for each line end>
            QFile f(folder() + "/" + arg + ".ini");
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(w.mid(2).join(' ').replace('|', "\r\n").toUtf8());
        } else if (w[0] == "open") {
            page.reset(new Buttoninterface);
            setDeviceHandlePath(QByteArray::fromStdString(hidsim::pathOf("R1")));   // the page's worker put in its own
            page->SlotAllLanguage(0);
            page->SlotUpDataButtonUIButton(heldByMouse());
            hidsim::clearSentImages();
        } else if (w[0] == "bind") {   // bind <name> <widget 0..5>: from the button's menu
            g_menuButtonIndex = w.value(2).toInt();
            page->slotMacroNameKey(arg);
            hidsim::clearSentImages();
        } else if (w[0] == "show") {
            macros()->setCurrentRow(listMacroNames(folder()).indexOf(arg));
            page->LoadMacroFile(QString());
        } else if (w[0] == "loop") {
            click("ReUntilClick");
        } else if (w[0] == "save") {
            click("Save");
            QTest::qWait(0);
        } else if (w[0] == "rename") {   // the list renamed the file
            QVERIFY(renameMacroFile(folder(), arg, w.value(2)));
            PostMsg::instance()->postMacroRename(arg, w.value(2));
        } else if (w[0] == "online") {
            hidsim::setOnline("M1", arg == "1");
        } else if (w[0] == "refresh") {   // the page reads the mouse again
            page->SlotUpDataButtonUIButton(heldByMouse());
        } else {
            click(qPrintable(w[0]));   // a button of the page
        }
        QVERIFY(hidsim::waitIdle());
    }

private slots:
    void initTestCase()
    {
        LanguageLoader().LanguageTextLoader();
        connect(PostMsg::instance(), &PostMsg::SigMouseOffLineo, this, [this] { ++notices; });
    }
    void init()
    {
        resetDeviceBench();
        QDir(userDataDir()).removeRecursively();
        QDir().mkpath(folder());
        setDeviceHandlePath(QByteArray::fromStdString(hidsim::pathOf("R1")));
        g_uiWriteEnabled = 1;
        g_flashDataMap = heldByMouse();
        UsbServerC_Start(g_deviceHandle, g_deviceHandle, [](const unsigned char *, int, const unsigned char *, unsigned) {});
        notices = 0;
    }
    void cleanup()
    {
        UsbServer_Exit();
        hidsim::waitIdle();
        page.reset();
    }

    void macrosReachTheMouse_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("buttonD");   // device button 4 as the mouse holds it
        QTest::addColumn<QString>("buttonE");   // device button 3
        QTest::addColumn<QString>("labels");    // ButtonD, ButtonE
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<int>("sends");         // images sent after the binding
        QTest::addColumn<int>("notices");
        const QStringList m = {"put m 254|0x04 1 0|10ms|0x04 1 1|900ms|", "open"};
        const QString boundD = "6/4/254 m: Av10 A^900";
        const QString plainE = "1/8/0 : ";   // the factory's back and forward buttons
        const QString fileM = "m=254: Av10 A^900";
        QTest::newRow("ButtonD runs block 4") << QStringList(m + QStringList{"bind m 3"}) << boundD << plainE
            << "Macro-m|Back" << QStringList{fileM} << 0 << 0;
        QTest::newRow("ButtonE runs block 3") << QStringList(m + QStringList{"bind m 4"})
            << "1/16/0 : " << "6/3/254 m: Av10 A^900" << "Forward|Macro-m" << QStringList{fileM} << 0 << 0;
        QTest::newRow("saved events reach a name with a blank")
            << QStringList{"put my_macro 3|0x04 1 0|10ms|", "open", "bind my_macro 3", "show my_macro",
                           "LeftButton_2", "save"}
            << "6/4/3 my macro: Av10 Left clickv10 Left click^10" << plainE << "Macro-my macro|Back"
            << QStringList{"my macro=3: Av10 Left clickv10 Left click^10"} << 1 << 0;
        QTest::newRow("loop mode only: the stored block with the new mode")
            << QStringList(m + QStringList{"bind m 3", "put m 254|0x05 1 0|10ms|", "show m", "loop", "save"})
            << "6/4/255 m: Av10 A^900" << plainE << "Macro-m|Back" << QStringList{"m=255: Bv10"} << 1 << 0;
        QTest::newRow("both changed, two buttons: one send each")
            << QStringList(m + QStringList{"bind m 3", "bind m 4", "show m", "loop", "RightButton_2", "save"})
            << "6/4/255 m: Av10 A^900 Right clickv10 Right click^10"
            << "6/3/255 m: Av10 A^900 Right clickv10 Right click^10" << "Macro-m|Macro-m"
            << QStringList{"m=255: Av10 A^900 Right clickv10 Right click^10"} << 2 << 0;
        QTest::newRow("offline save: mouse unchanged, one notice")
            << QStringList(m + QStringList{"bind m 3", "bind m 4", "online 0", "show m", "loop", "RightButton_2", "save"})
            << boundD << "6/3/254 m: Av10 A^900" << "Macro-m|Macro-m"
            << QStringList{"m=255: Av10 A^900 Right clickv10 Right click^10"} << 0 << 1;
        QTest::newRow("rename: only the name bytes")
            << QStringList{"put longname 254|0x04 1 0|10ms|", "open", "bind longname 3", "rename longname ab"}
            << "6/4/254 ab: Av10" << plainE << "Macro-ab|Back" << QStringList{"ab=254: Av10"} << 1 << 0;
        QTest::newRow("offline rename: label stays")
            << QStringList(m + QStringList{"bind m 3", "online 0", "rename m n"})
            << boundD << plainE << "Macro-m|Back" << QStringList{"n=254: Av10 A^900"} << 0 << 1;
        QTest::newRow("read back keeps every delay")
            << QStringList(m + QStringList{"bind m 3", "put m 1|", "refresh"})
            << boundD << plainE << "Macro-m|Back" << QStringList{fileM} << 0 << 0;
        QTest::newRow("read back of an edited macro keeps the edit")
            << QStringList(m + QStringList{"bind m 3", "show m", "LeftButton_2", "refresh", "save"})
            << "6/4/254 m: Av10 A^900 Left clickv10 Left click^10" << plainE << "Macro-m|Back"
            << QStringList{"m=254: Av10 A^900 Left clickv10 Left click^10"} << 1 << 0;
    }
    void macrosReachTheMouse()
    {
        QFETCH(QStringList, steps);
        for (const QString &s : steps)
            step(s);
        QTEST(onMouse(4), "buttonD");
        QTEST(onMouse(3), "buttonE");
        QTEST(page->buttonForDevice(4)->text().trimmed() + "|" + page->buttonForDevice(3)->text().trimmed(), "labels");
        QTEST(files(), "files");
        QTEST(int(hidsim::sentImages().size()), "sends");
        QTEST(notices, "notices");
    }
};

QTEST_MAIN(TestMacroDevice)
#include "tst_macrodevice.moc"

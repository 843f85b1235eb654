// Macros between the device page and the simulated mouse (binding, saving,
// renaming, reading back) and keys recorded or captured into a macro, as the
// user finds them: on the mouse, on the labels, in the macro files and in the
// editor's rows. Keys arrive through the page's keyboard hook; the recording
// clock is the test's.

#include "HIDUsb.h"
#include "buttoninterface.h"
#include "devicestate.h"
#include "dialogmain.h"
#include "hidusb_sim.h"
#include "keyhooklayer.h"
#include "languageloader.h"
#include "macroblock.h"
#include "macroeditorshared.h"
#include "macrofile.h"
#include "macrokeys.h"
#include "postmsg.h"
#include "testsupport.h"
#include "worker.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <cstring>
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
    QString out;
    for (const MacroRow &r : rows)
        out += " " + r.name + (r.release ? "^" : "v") + QString::number(macroDelayMs(r.delay));
    return out;
}

} // namespace

class TestMacroDevice : public QObject
{
    Q_OBJECT

    std::unique_ptr<Buttoninterface> page;
    int notices = 0;
    qint64 now = 0;
    QStringList seen;   // the dialogs that showed
    QStringList heard;  // the macro files each time the page told of a mouse's macro
    QMetaObject::Connection hearing;
    QTimer closer;

    template <typename T = QWidget> T *child(const QString &name) const { return page->findChild<T *>(name); }

    // Keys: "d41" down, "u41" up (virtual-key code in hex); "t120": the
    // recording clock at 120 ms; names take "_" for a blank.
    void play(const QStringList &steps)
    {
        for (const QString &s : steps) {
            const QStringList w = s.split(' ');
            const QString arg = w.value(1).replace('_', ' ');
            LowLevelKeyRecord key;
            key.vkCode = s.mid(1).toUInt(nullptr, 16);
            if (w[0] == "put") {   // put <name> <file text, "|" for each line end>
                QFile f(folder() + "/" + arg + ".ini");
                QVERIFY(f.open(QIODevice::WriteOnly));
                f.write(w.mid(2).join(' ').replace('|', "\r\n").toUtf8());
            } else if (w[0] == "open") {
                page.reset(new Buttoninterface);
                setDeviceHandlePath(QByteArray::fromStdString(hidsim::pathOf("R1")));   // the page's worker put in its own
                page->SlotAllLanguage(0);
                page->SlotUpDataButtonUIButton(heldByMouse());
                page->setRecordClock([this] { return now; });
                page->show();
                QApplication::setActiveWindow(page.get());
                QVERIFY(QTest::qWaitForWindowActive(page.get()));
            } else if (w[0] == "bind") {   // bind <name> <widget 0..5>: from the button's menu
                g_menuButtonIndex = w.value(2).toInt();
                page->slotMacroNameKey(arg);
                hidsim::clearSentImages();
            } else if (w[0] == "show") {
                child<QListWidget>("listWidgetHong")->setCurrentRow(listMacroNames(folder()).indexOf(arg));
                page->LoadMacroFile(QString());
            } else if (w[0] == "rename") {   // the list renamed the file
                QVERIFY(renameMacroFile(folder(), arg, w.value(2)));
                PostMsg::instance()->postMacroRename(arg, w.value(2));
            } else if (w[0] == "offline") {
                hidsim::setOnline("M1", false);
            } else if (w[0] == "hear") {   // before "open": ahead of the page, as any other listener
                hearing = connect(PostMsg::instance(), &PostMsg::SigButtonToMacro, this,
                                  [this] { heard << "heard " + macroFiles().join(", "); });
            } else if (w[0] == "refresh") {   // the page reads the mouse again
                page->SlotUpDataButtonUIButton(heldByMouse());
            } else if (w[0] == "named") {   // named <name> <widget 0..5>: the mouse runs a macro of that name there
                FlashDataMap image = heldByMouse();
                const int k = macroButtonDeviceIndex(w.value(2).toInt());
                image.buttonFunctions[k] = macroButtonFunction(k, 254);
                const MacroDownloadRecord block = buildMacroBlock(arg, {macroRowForName("A", false, {})});
                std::memcpy(image.macroRecords[k].bytes, block.bytes(), sizeof block);
                QVERIFY(hidsim::setStoredImage("M1", reinterpret_cast<const unsigned char *>(&image)));
            } else if (w[0] == "focus") {
                child(arg)->setFocus();
            } else if (w[0] == "type") {   // a key typed on the keyboard, through the window
                QTest::keyClick(page->windowHandle(), arg == "Space" ? Qt::Key_Space : Qt::Key_Return);
            } else if (s[0] == 'k') {   // "k41": letter key 0x41 held, the hook first, then the focused widget
                dispatchLowLevelKey(kKeyHookAction, kKeyMsgDown, key);
                QTest::keyPress(QApplication::focusWidget(), Qt::Key(Qt::Key_A + int(key.vkCode) - 0x41));
            } else if (s[0] == 't') {
                now = s.mid(1).toLongLong();
            } else if ((s[0] == 'd' || s[0] == 'u') && s.size() <= 3) {
                dispatchLowLevelKey(kKeyHookAction, s[0] == 'd' ? kKeyMsgDown : kKeyMsgUp, key);
            } else if (s.startsWith("lineEdit") && !s.endsWith("_2")) {
                child(s)->setFocus();
            } else {   // a button of the page; a save's sends run from the event loop
                child<QAbstractButton>(s)->click();
                QTRY_VERIFY(!page->macroSendsPending());
            }
            QVERIFY(hidsim::waitIdle());
        }
    }

    // Every macro button on the mouse ("k type/code/param name: rows", "!"
    // when the name field holds more than the name) with its label, every
    // macro file, the images sent since the last binding, the notices.
    QStringList onMouse() const
    {
        QStringList out;
        const FlashDataMap image = heldByMouse();
        for (int k = 0; k < 6; ++k) {
            const ButtonFunction f = image.buttonFunctions[k];
            const MacroDownloadRecord b = macroBlockOf(image, k);
            const QByteArray name = macroBlockStoredName(b).toLocal8Bit();
            const bool clean = b.nameLength == name.size()
                               && QByteArray(reinterpret_cast<const char *>(b.name), 30) == name.leftJustified(30, 0);
            if (f.type == 6)
                out << QString("%1 %2/%3/%4 %5%6:").arg(k).arg(f.type).arg(f.code).arg(f.param).arg(name, clean ? "" : "!")
                           + rowsText(macroBlockRows(b, buttonPageMouseNames()))
                    << page->buttonForDevice(k)->text().trimmed();
        }
        return out << macroFiles() << heard
                   << QString("sends %1 notices %2").arg(hidsim::sentImages().size()).arg(notices);
    }

    // Every file of the folder, listed or not.
    QStringList macroFiles() const
    {
        QStringList out;
        for (QString name : QDir(folder()).entryList(QDir::Files, QDir::Name | QDir::IgnoreCase)) {
            name.chop(4);
            MacroFileContent c;
            loadMacroFile(folder(), name, buttonPageMouseNames(), &c);
            out << name + "=" + c.loopText + ":" + rowsText(c.rows);
        }
        return out;
    }

    // The editor's rows, the two key fields and the one with the focus.
    QStringList inEditor() const
    {
        const QString focus = QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
        return QStringList{rowsText(page->eventRows()).trimmed(),
                           child<QLineEdit>("lineEditPress")->text() + "|" + child<QLineEdit>("lineEditRelease")->text()
                               + "|" + (focus.startsWith("lineEdit") ? focus : QString())};
    }

private slots:
    void initTestCase()
    {
        LanguageLoader().LanguageTextLoader();
        connect(PostMsg::instance(), &PostMsg::SigMouseOffLineo, this, [this] { ++notices; });
        connect(&closer, &QTimer::timeout, this, [this] {
            QWidget *w = QApplication::activeModalWidget();
            if (!w)
                w = QApplication::activePopupWidget();
            if (w) {
                seen << w->metaObject()->className();
                w->close();
            }
        });
        closer.start(5);
    }
    void init()
    {
        resetDeviceBench();
        QDir(userDataDir()).removeRecursively();
        QDir().mkpath(folder());
        setDeviceHandlePath(QByteArray::fromStdString(hidsim::pathOf("R1")));
        g_uiWriteEnabled = 1;
        g_macroRecording = 0;
        g_flashDataMap = heldByMouse();
        UsbServerC_Start(g_deviceHandle, g_deviceHandle, [](const unsigned char *, int, const unsigned char *, unsigned) {});
        notices = 0;
        now = 0;
        seen.clear();
        heard.clear();
    }
    void cleanup()
    {
        disconnect(hearing);
        UsbServer_Exit();
        hidsim::waitIdle();
        page.reset();
    }

    void macrosReachTheMouse_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("outcome");
        const QStringList m = {"put m 254|0x04 1 0|10ms|0x04 1 1|900ms|", "open", "bind m 3"};
        const QStringList boundD = {"4 6/4/254 m: Av10 A^900", "Macro-m"};
        QTest::newRow("ButtonD runs block 4") << m << boundD + QStringList{"m=254: Av10 A^900", "sends 0 notices 0"};
        QTest::newRow("saved events reach a name with a blank")
            << QStringList{"put my_macro 3|0x04 1 0|10ms|", "open", "bind my_macro 3", "show my_macro", "LeftButton_2", "Save"}
            << QStringList{"4 6/4/3 my macro: Av10 Left clickv10 Left click^10", "Macro-my macro",
                           "my macro=3: Av10 Left clickv10 Left click^10", "sends 1 notices 0"};
        QTest::newRow("loop mode only: the stored block with the new mode")
            << m + QStringList{"put m 254|0x05 1 0|10ms|", "show m", "ReUntilClick", "Save"}
            << QStringList{"4 6/4/255 m: Av10 A^900", "Macro-m", "m=255: Bv10", "sends 1 notices 0"};
        const QStringList bothChanged = {"bind m 4", "show m", "ReUntilClick", "RightButton_2", "Save"};
        QStringList offline = m + bothChanged;
        offline.insert(4, "offline");
        const QString saved = " Av10 A^900 Right clickv10 Right click^10";
        QTest::newRow("both changed, two buttons: one send each") << m + bothChanged
            << QStringList{"3 6/3/255 m:" + saved, "Macro-m", "4 6/4/255 m:" + saved, "Macro-m", "m=255:" + saved,
                           "sends 2 notices 0"};
        QTest::newRow("offline save: the mouse unchanged, one notice") << offline
            << QStringList{"3 6/3/254 m: Av10 A^900", "Macro-m"} + boundD
                   + QStringList{"m=255:" + saved, "sends 0 notices 1"};
        QTest::newRow("rename: only the name bytes")
            << QStringList{"put longname 254|0x04 1 0|10ms|", "open", "bind longname 3", "rename longname ab"}
            << QStringList{"4 6/4/254 ab: Av10", "Macro-ab", "ab=254: Av10", "sends 1 notices 0"};
        QTest::newRow("offline rename: the label stays") << m + QStringList{"offline", "rename m n"}
            << boundD + QStringList{"n=254: Av10 A^900", "sends 0 notices 1"};
        QTest::newRow("read back: every delay kept") << m + QStringList{"put m 1|", "refresh"}
            << boundD + QStringList{"m=254: Av10 A^900", "sends 0 notices 0"};
        QTest::newRow("read back: no file for a name the folder cannot keep")
            << QStringList{"open", "named myxml 3", "named a/b 1", "refresh"}
            << QStringList{"1 6/1/254 a/b: Av10", "Macro-a/b", "4 6/4/254 myxml: Av10", "Macro-myxml",
                           "sends 0 notices 0"};
        QTest::newRow("read back: the file is whole when the page tells of it")
            << QStringList{"put m 254|0x04 1 0|10ms|0x04 1 1|900ms|", "hear", "open", "bind m 3", "put m 1|", "refresh"}
            << boundD + QStringList{"m=254: Av10 A^900", "heard m=254: Av10 A^900", "sends 0 notices 0"};
        QTest::newRow("a recorded macro is saved to its button")
            << m + QStringList{"show m", "StartRecord", "d42", "t7", "u42", "StopRecord", "Save", "refresh"}
            << QStringList{"4 6/4/254 m: Bv7 B^10", "Macro-m", "m=254: Bv7 B^10", "sends 1 notices 0"};
    }
    void macrosReachTheMouse()
    {
        QFETCH(QStringList, steps);
        play(steps);
        QTEST(onMouse(), "outcome");
    }

    void keysBecomeRows_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("editor");
        QTest::addColumn<QStringList>("dialogs");
        const QStringList start = {"put r 1|0x04 1 0|10ms|", "open", "show r", "StartRecord"};
        const QStringList none;
        QTest::newRow("the delay lands on the row before")
            << start + QStringList{"t1000", "d41", "t1120", "u41", "t71120", "dA0", "uA0"}
            << QStringList{"Av120 A^70000 LShiftv0 LShift^10", "||"} << none;
        QTest::newRow("a held key: one press, one release")
            << start + QStringList{"d41", "t30", "d41", "t60", "d41", "t90", "u41"} << QStringList{"Av90 A^10", "||"}
            << none;
        QTest::newRow("rolling keys keep the second press") << start + QStringList{"d41", "d42", "u41", "u42", "d42", "u42"}
            << QStringList{"Av0 Bv0 A^0 B^0 Bv0 B^10", "||"} << none;
        QTest::newRow("typed keys go to the macro, not to the page's focused button")
            << start + QStringList{"focus ButtonA", "type Space", "t40", "type Enter"}
            << QStringList{"Spacev0 Space^40 Enterv0 Enter^10", "||"} << none;
        QTest::newRow("a key without a name: no row, its time lost")
            << start + QStringList{"d41", "t50", "d7C", "t400", "u41", "t450", "d0C"}
            << QStringList{"Av50 A^50 v10", "||"} << none;
        QTest::newRow("fixed delays") << QStringList{"put r 1|", "open", "show r", "DefaultDelay", "StartRecord", "d41",
                                                     "t99", "u41"} << QStringList{"Av10 A^10", "||"} << none;
        QTest::newRow("no macro shown: nothing starts") << QStringList{"open", "StartRecord", "d41"}
                                                        << QStringList{"", "||"} << QStringList{"ExeIsRun"};
        QTest::newRow("the mouse read while recording: no row lost")
            << QStringList{"put r 1|", "open", "bind r 4", "show r", "StartRecord", "d41", "t5", "refresh", "u41", "d42"}
            << QStringList{"Av5 A^0 Bv10", "||"} << none;
        QStringList seventy = start;
        QString rows;
        for (int i = 0; i < 36; ++i)
            seventy << "d41" << "u41";
        for (int i = 0; i < 35; ++i)
            rows += i < 34 ? "Av0 A^0 " : "Av0 A^10";
        QTest::newRow("the 70th row ends the recording") << seventy << QStringList{rows, "||"}
                                                          << QStringList{"KeyNumberLimit"};
        const QStringList fields = {"put r 1|0x04 1 0|10ms|", "open", "show r"};
        QTest::newRow("a press of LShift") << fields + QStringList{"lineEditPress", "dA0", "uA0", "lineEditPress_2"}
                                           << QStringList{"Av10 LShiftv10", "||"} << none;
        QTest::newRow("a held key types nothing into its field") << fields + QStringList{"lineEditRelease", "k42"}
                                                                 << QStringList{"Av10", "|B|lineEditRelease"} << none;
        QTest::newRow("no macro shown: nothing added, the field emptied")
            << QStringList{"open", "lineEditRelease", "d42", "u42", "lineEditRelease_2"} << QStringList{"", "||"} << none;
    }
    void keysBecomeRows()
    {
        QFETCH(QStringList, steps);
        QFETCH(QStringList, dialogs);
        play(steps);
        QTRY_COMPARE(seen, dialogs);
        QTEST(inEditor(), "editor");
        QCOMPARE(bool(g_macroRecording), steps.contains("StartRecord") && dialogs.isEmpty());
    }
};

QTEST_MAIN(TestMacroDevice)
#include "tst_macrodevice.moc"

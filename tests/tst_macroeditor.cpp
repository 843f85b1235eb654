// The macro editor of the device page as a user meets it: the macro list and
// its files, choosing and saving a macro, editing its events, device copies
// arriving meanwhile, exchange files, the list's menu and the chooser.
//
// Most tests play a script of user steps against the page; the modal
// dialogs the steps open are answered from the script, and every dialog
// that showed is logged.

#include "buttoninterface.h"
#include "devicestate.h"
#include "dialoganswers.h"
#include "dialogmain.h"
#include "globals.h"
#include "hidusb_sim.h"
#include "languageloader.h"
#include "macroeditorshared.h"
#include "macroexchange.h"
#include "macroexchangedialog.h"
#include "macrokeys.h"
#include "macrolist.h"
#include "postmsg.h"
#include "testsupport.h"

#include <HIDUsb.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <memory>

namespace {

QString macroFolder()
{
    return userDataDir() + "/usersetting/MacroPage";
}

// File texts are written with "|" for each CR LF line end.
QByteArray fileText(const QString &lines)
{
    return QString(lines).replace("|", "\r\n").toUtf8();
}

void putFiles(const QStringList &files)
{
    QDir().mkpath(macroFolder());
    for (const QString &f : files) {
        QFile file(macroFolder() + "/" + f.section('=', 0, 0));
        if (file.open(QIODevice::WriteOnly))
            file.write(fileText(f.section('=', 1)));
    }
}

// The folder as "name=text", line ends shown as "|".
QStringList folderFiles()
{
    QStringList out;
    for (const QString &name : QDir(macroFolder()).entryList(QDir::Files, QDir::Name)) {
        QFile f(macroFolder() + "/" + name);
        f.open(QIODevice::ReadOnly);
        out << name + "=" + QString::fromUtf8(f.readAll()).replace("\r\n", "|");
    }
    return out;
}

QStringList rowsOf(const QListWidget *list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

} // namespace

class TestMacroEditor : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Buttoninterface> page;
    DialogAnswerer answerer;
    QStringList &answers = answerer.answers;   // "Class=answer", taken in order by the dialog of that class
    QStringList &shown = answerer.shown;       // every dialog and menu that showed
    QStringList hub;       // what the editor told the rest of the program

    template <typename T> T *child(const QString &name) const
    {
        T *w = page->findChild<T *>(name);
        if (!w)
            qFatal("no child %s", qPrintable(name));
        return w;
    }
    QListWidget *macros() const { return child<QListWidget>("listWidgetHong"); }
    QListWidget *events() const { return child<QListWidget>("listWidgetKey"); }

    void openPage(const QStringList &files)
    {
        page.reset();
        putFiles(files);
        page.reset(new Buttoninterface);
        page->SlotAllLanguage(0);
        page->show();
        QApplication::setActiveWindow(page.get());
        QVERIFY(QTest::qWaitForWindowActive(page.get()));
    }

    QAbstractButton *rowButton(QListWidget *list, int row, const char *name) const
    {
        QWidget *w = list->itemWidget(list->item(row));
        return w ? w->findChild<QAbstractButton *>(QString::fromLatin1(name)) : nullptr;
    }
    int macroRow(const QString &name) const
    {
        const QStringList rows = rowsOf(macros());
        return rows.indexOf(name);
    }

    // One user step; see the tables for the words.
    void step(const QString &s)
    {
        const QStringList w = s.split(' ');
        const QString &verb = w.at(0);
        const QString arg = w.value(1);
        if (verb == "click") {
            const QRect r = macros()->visualItemRect(macros()->item(macroRow(arg)));
            QTest::mouseClick(macros()->viewport(), Qt::LeftButton, {}, r.center());
        } else if (verb == "new") {
            answers << "QuestionDialog=" + arg;
            child<QAbstractButton>("NewHong")->click();
        } else if (verb == "rename") {   // rename <row> <new name>
            answers << "QuestionDialog=" + w.value(2);
            rowButton(macros(), macroRow(arg), "toolButton_2")->click();
        } else if (verb == "delete") {   // delete <row> yes|no
            answers << "DeleteConfirm=" + (w.value(2) == "yes" ? QString("ok") : QString());
            rowButton(macros(), macroRow(arg), "toolButton_3")->click();
        } else if (verb == "choose") {   // choose <entry> [virtual key, hex]
            answers << "addKey=" + w.value(2);
            QMetaObject::invokeMethod(page.get(), "on_ChooseEvent_activated", Q_ARG(int, arg.toInt()));
        } else if (verb == "left" || verb == "right" || verb == "mid") {
            const QString name = verb == "left" ? "LeftButton_2" : verb == "right" ? "RightButton_2" : "MidButton_2";
            child<QAbstractButton>(name)->click();
        } else if (verb == "down") {   // the down arrow in the macro list
            macros()->setFocus();
            QTest::keyClick(macros(), Qt::Key_Down);
        } else if (verb == "elsewhere") {   // the keyboard focus away from the lists
            child<QWidget>("NumberEdit")->setFocus();
        } else if (verb == "current") {
            events()->setCurrentRow(arg.toInt());
        } else if (verb == "delay") {   // delay <row> <ms>: the row's delay button
            answers << "AddDelayTime=" + w.value(2);
            rowButton(events(), arg.toInt(), "toolButton_4")->click();
        } else if (verb == "key") {   // key <row> <virtual key>: the row's key button
            answers << "addKey=" + w.value(2);
            rowButton(events(), arg.toInt(), "toolButton_2")->click();
        } else if (verb == "drop") {
            rowButton(events(), arg.toInt(), "toolButton_3")->click();
        } else if (verb == "loop") {
            const char *box = arg == "254" ? "ReUntilLoose" : arg == "255" ? "ReUntilClick"
                              : arg == "253" ? "ReUntilClick_2" : "ReNumber";
            child<QAbstractButton>(box)->click();
        } else if (verb == "count") {
            child<QSpinBox>("NumberEdit")->setValue(arg.toInt());
        } else if (verb == "save") {
            child<QAbstractButton>("Save")->click();
        } else if (verb == "lang") {   // the frame's language box
            switchLanguage(arg.toInt());
        } else if (verb == "device") {   // device <name> <file text>: a device copy was written
            putFiles({arg + ".ini=" + s.section(QLatin1Char(' '), 2)});
            page->macroArrivedFromDevice(arg);
        } else if (verb == "recording") {
            g_macroRecording = u8(arg.toInt());
        } else if (verb == "menu") {   // menu <row name or -> <entry, 1-based>
            answers << "menu=" + w.value(2);
            const int row = macroRow(arg);
            const QPoint at = row < 0 ? QPoint(5, macros()->viewport()->height() - 5)
                                      : macros()->visualItemRect(macros()->item(row)).center();
            QMetaObject::invokeMethod(page.get(), "on_listWidgetHong_customContextMenuRequested",
                                      Q_ARG(QPoint, at));
        } else if (verb == "exchange") {   // exchange <file> <loop> <rows>: an exchange file of "A" presses
            MacroRows rows(w.value(3).toInt(), macroRowForName("A", false, MouseButtonNames()));
            QFile f(QDir::homePath() + "/" + arg);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(macroExchangeBytes("k", w.value(2), rows, QIcon(), QIcon()));
        } else if (verb == "file") {   // file <path>: the answer of the next file question
            const QString path = arg == "-" ? QString() : QDir::homePath() + "/" + arg;
            setExchangeFileQuestion([path](bool) { return path; });
        } else if (verb == "typed") {   // typed [name]: typed into the next file dialog, or it is cancelled
            setExchangeFileQuestion(nullptr);
            answers << "QFileDialog=" + arg;
        } else if (verb == "put") {   // put <name> <file text>: a file the list does not know
            putFiles({arg + ".ini=" + s.section(QLatin1Char(' '), 2)});
        } else if (verb == "rm") {   // rm <name>: its file gone behind the list's back
            QFile::remove(macroFolder() + "/" + arg + ".ini");
        } else if (verb == "answer") {   // answer <Class=answer>: for a dialog opened later
            answers << arg;
        } else if (verb == "wipe") {   // another computer: the macro folder emptied
            QDir(macroFolder()).removeRecursively();
            openPage({});
        } else {
            QFAIL(qPrintable("unknown step " + s));
        }
    }

    void play(const QStringList &steps)
    {
        for (const QString &s : steps)
            step(s);
    }

    // The editor's rows: name, v for a press or ^ for a release, delay.
    QStringList eventRows() const
    {
        QStringList out;
        for (const MacroRow &r : page->eventRows())
            out << r.name + (r.release ? " ^ " : " v ") + r.delay;
        return out;
    }
    QString loopShown() const
    {
        return page->loopModeText() + (child<QWidget>("Save")->isVisible() ? " save" : "");
    }

private slots:
    void initTestCase()
    {
        LanguageLoader().LanguageTextLoader();
        PostMsg *h = PostMsg::instance();
        connect(h, &PostMsg::SigUpDataMacro, this, [this](QString n, int i) { hub << QString("update %1 %2").arg(n).arg(i); });
        connect(h, &PostMsg::SigMacroRename, this, [this](QString a, QString b) { hub << "rename " + a + " " + b; });
        connect(h, &PostMsg::SigDeleteMacroButton, this, [this](QString n) { hub << "unbind " + n; });
    }
    void init()
    {
        resetDeviceBench();
        g_macroRecording = 0;
        g_uiWriteEnabled = 1;
        QDir(userDataDir()).removeRecursively();
        answers.clear();
        shown.clear();
        answerer.said.clear();
        hub.clear();
        setExchangeFileQuestion(nullptr);
    }
    void cleanup()
    {
        StopUsbChanged();
        UsbServer_Exit();
        hidsim::waitIdle();
        page.reset();
        setExchangeFileQuestion(nullptr);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // Creating, renaming and deleting macros: the folder, the list, what
    // the rest of the program is told and which dialogs showed.
    void listOperationsKeepFilesAndRowsTogether_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("folder");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QStringList>("told");
        QTest::addColumn<QStringList>("dialogs");
        const QStringList ab = {"a.ini=1|0x04 1 0|10ms|", "b.ini=254|"};
        QTest::newRow("create: an empty file, shown") << ab << QStringList{"new m"}
            << QStringList{"a.ini=1|0x04 1 0|10ms|", "b.ini=254|", "m.ini="} << QStringList{"a", "b", "m"}
            << QStringList() << QStringList{"QuestionDialog"};
        QTest::newRow("create: a listed name") << ab << QStringList{"new b"} << ab << QStringList{"a", "b"}
            << QStringList() << QStringList{"QuestionDialog", "SameMacro"};
        QTest::newRow("create: a file the list lacks is kept") << ab << QStringList{"put c 7|", "new c"}
            << QStringList{"a.ini=1|0x04 1 0|10ms|", "b.ini=254|", "c.ini=7|"} << QStringList{"a", "b"}
            << QStringList() << QStringList{"QuestionDialog", "SameMacro"};
        QTest::newRow("create: cancelled") << ab << QStringList{"new"} << ab << QStringList{"a", "b"} << QStringList()
                                           << QStringList{"QuestionDialog"};
        QTest::newRow("create while recording") << ab << QStringList{"recording 1", "new m"} << ab
            << QStringList{"a", "b"} << QStringList() << QStringList{"ExeIsRun"};
        QTest::newRow("rename moves the file") << ab << QStringList{"rename a z"}
            << QStringList{"b.ini=254|", "z.ini=1|0x04 1 0|10ms|"} << QStringList{"z", "b"}
            << QStringList{"rename a z"} << QStringList{"QuestionDialog"};
        QTest::newRow("rename to its own name") << ab << QStringList{"rename a a"} << ab << QStringList{"a", "b"}
            << QStringList() << QStringList{"QuestionDialog", "SameMacro"};
        QTest::newRow("rename without a file") << ab << QStringList{"rm a", "rename a z"} << QStringList{"b.ini=254|"}
            << QStringList{"a", "b"} << QStringList() << QStringList{"QuestionDialog"};
        QTest::newRow("delete confirmed") << ab << QStringList{"click a", "delete a yes"} << QStringList{"b.ini=254|"}
            << QStringList{"b"} << QStringList{"unbind Macro-a"} << QStringList{"DeleteConfirm"};
        QTest::newRow("delete declined") << ab << QStringList{"delete b no"} << ab << QStringList{"a", "b"}
            << QStringList() << QStringList{"DeleteConfirm"};
    }
    void listOperationsKeepFilesAndRowsTogether()
    {
        QFETCH(QStringList, files);
        QFETCH(QStringList, steps);
        openPage(files);
        play(steps);
        QTEST(folderFiles(), "folder");
        QTEST(rowsOf(macros()), "rows");
        QTEST(hub, "told");
        QTEST(shown, "dialogs");
    }

    // Choosing a macro shows its rows and loop mode, as a new choice with
    // nothing to save, whatever was changed on the macro shown before.
    void choosingShowsTheMacro_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("loop");
        QTest::addColumn<QStringList>("rows");
        const QStringList ab = {"A v 10ms", "A ^ 25ms"};
        QTest::newRow("until released") << "254|0x04 1 0|10ms|0x04 1 1|25ms|" << "254" << ab;
        QTest::newRow("until any key") << "255|" << "255" << QStringList();
        QTest::newRow("until pressed again") << "253|0x01 4 0|7ms|" << "253" << QStringList{"Left click v 7ms"};
        QTest::newRow("count") << "250|0x04 1 0|10ms|0x04 1 1|25ms|" << "250" << ab;
        QTest::newRow("count 0 is 1") << "0|" << "1" << QStringList();
        QTest::newRow("count 251 is 1") << "251|" << "1" << QStringList();
        QTest::newRow("empty file keeps the controls") << "" << "9" << QStringList();
        QTest::newRow("LF lines, two key lines") << "7\n0x02 0 0\n0x2B 1 0\n5ms\n" << "7"
                                                 << QStringList{"LShift v 10ms", "Tab v 5ms"};
    }
    void choosingShowsTheMacro()
    {
        QFETCH(QString, file);
        openPage({"m.ini=" + file, "other.ini=5|0x04 1 0|10ms|"});
        play({"click other", "drop 0", "count 9"});
        QCOMPARE(loopShown(), QString("9 save"));
        play({"click m"});
        QTEST(page->loopModeText(), "loop");
        QTEST(eventRows(), "rows");
        QVERIFY(!child<QWidget>("Save")->isVisible());
        QCOMPARE(page->shownMacro(), QString("m"));
        play({"save"});
        QCOMPARE(hub, QStringList());   // nothing of the other macro is sent again
    }

    // Saving writes the shown macro's file at once and tells the buttons
    // bound to it what changed.
    void saveWritesTheShownMacro_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("folder");
        QTest::addColumn<QStringList>("told");
        const QString b = "b.ini=9|0x05 1 0|10ms|";
        QTest::newRow("loop only") << QStringList{"loop 253", "save"}
            << QStringList{"a.ini=253|0x04 1 0|10ms|0x04 1 1|25ms|", b} << QStringList{"update a 1"};
        QTest::newRow("the key of a key down, with its key up") << QStringList{"key 0 0x4A", "save"}
            << QStringList{"a.ini=1|0x0D 1 0|10ms|0x0D 1 1|25ms|", b} << QStringList{"update a 0"};
        QTest::newRow("a row deleted only") << QStringList{"drop 1", "save"}
            << QStringList{"a.ini=1|0x04 1 0|10ms|", b} << QStringList{"update a 0"};
        QTest::newRow("rows and count") << QStringList{"count 12", "drop 0", "save"}
            << QStringList{"a.ini=12|0x04 1 1|25ms|", b} << QStringList{"update a 0", "update a 1"};
        QTest::newRow("count 0 stays 1, nothing to save") << QStringList{"count 0", "save"}
            << QStringList{"a.ini=1|0x04 1 0|10ms|0x04 1 1|25ms|", b} << QStringList();
        QTest::newRow("mouse rows survive a language change, which is no edit")
            << QStringList{"current 0", "mid", "save", "lang 1", "save"}
            << QStringList{"a.ini=1|0x04 1 0|10ms|0x04 4 0|10ms|0x04 4 1|10ms|0x04 1 1|25ms|", b}
            << QStringList{"update a 0"};
        QTest::newRow("another row's rename button") << QStringList{"drop 0", "rename b c", "save"}
            << QStringList{"a.ini=1|0x04 1 1|25ms|", "c.ini=9|0x05 1 0|10ms|"}
            << QStringList{"rename b c", "update a 0"};
        QTest::newRow("the arrow key moved the list") << QStringList{"drop 0", "down", "save"}
            << QStringList{"a.ini=1|0x04 1 1|25ms|", b} << QStringList{"update a 0"};
        QTest::newRow("another macro's menu") << QStringList{"drop 0", "menu b 2", "save"}
            << QStringList{"a.ini=1|0x04 1 1|25ms|", b} << QStringList{"update a 0"};
        QTest::newRow("a device copy arrives meanwhile") << QStringList{"drop 0", "device a 4|0x06 1 0|1ms|", "save"}
            << QStringList{"a.ini=1|0x04 1 1|25ms|", b} << QStringList{"update a 0"};
        QTest::newRow("refused while recording") << QStringList{"drop 0", "recording 1", "save"}
            << QStringList{"a.ini=1|0x04 1 0|10ms|0x04 1 1|25ms|", b} << QStringList();
    }
    void saveWritesTheShownMacro()
    {
        QFETCH(QStringList, steps);
        openPage({"a.ini=1|0x04 1 0|10ms|0x04 1 1|25ms|", "b.ini=9|0x05 1 0|10ms|"});
        play({"click a"});
        play(steps);
        QTEST(folderFiles(), "folder");
        QTEST(hub, "told");
    }

    // Editing the event rows: where rows go, what the row buttons change,
    // and that every change can be saved.
    void editingEvents_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<int>("current");
        QTest::addColumn<QString>("loop");
        const QStringList five = {"A v 10ms", "A ^ 25ms", "B v 10ms", "B ^ 10ms", "C v 3ms"};
        QTest::newRow("a pair on an empty macro") << QStringList{"click e", "choose 3"}
            << QStringList{"Left click v 10ms", "Left click ^ 10ms"} << -1 << "1 save";
        QTest::newRow("a press after row 2 of 5") << QStringList{"click f", "current 2", "choose 1 0x20"}
            << QStringList{"A v 10ms", "A ^ 25ms", "B v 10ms", "Space v 10ms", "B ^ 10ms", "C v 3ms"} << 2 << "1 save";
        QTest::newRow("a release at the end") << QStringList{"click f", "choose 2 0xA0"}
            << five + QStringList{"LShift ^ 10ms"} << -1 << "1 save";
        QTest::newRow("the key dialog cancelled") << QStringList{"click f", "choose 1"} << five << -1 << "1";
        QTest::newRow("the back button pair") << QStringList{"click f", "current 4", "choose 7"}
            << five + QStringList{"Back v 10ms", "Back ^ 10ms"} << 4 << "1 save";
        QTest::newRow("right button after the first row") << QStringList{"click f", "current 0", "right"}
            << QStringList{"A v 10ms", "Right click v 10ms", "Right click ^ 10ms", "A ^ 25ms", "B v 10ms",
                           "B ^ 10ms", "C v 3ms"} << 0 << "1 save";
        QTest::newRow("no macro shown: nothing") << QStringList{"choose 3"} << QStringList() << -1 << "1";
        QTest::newRow("delay of another row") << QStringList{"click f", "current 0", "elsewhere", "delay 3 250"}
            << QStringList{"A v 10ms", "A ^ 25ms", "B v 10ms", "B ^ 250ms", "C v 3ms"} << 3 << "1 save";
        // A key changed on one half of a key stroke changes the other half.
        QTest::newRow("key of a key down: its next key up too") << QStringList{"click h", "key 0 0x4A"}
            << QStringList{"J v 10ms", "B v 10ms", "J ^ 10ms", "B ^ 10ms", "A v 10ms", "A ^ 10ms"} << 0 << "1 save";
        QTest::newRow("key of a key up: its nearest key down too") << QStringList{"click h", "key 5 0x4A"}
            << QStringList{"A v 10ms", "B v 10ms", "A ^ 10ms", "B ^ 10ms", "J v 10ms", "J ^ 10ms"} << 5 << "1 save";
        QTest::newRow("key of a row without its other half") << QStringList{"click f", "key 4 0x4A"}
            << QStringList{"A v 10ms", "A ^ 25ms", "B v 10ms", "B ^ 10ms", "J v 3ms"} << 4 << "1 save";
        QTest::newRow("delete a row") << QStringList{"click f", "drop 4", "drop 0"}
            << QStringList{"A ^ 25ms", "B v 10ms", "B ^ 10ms"} << 0 << "1 save";
        QTest::newRow("delete refused while recording") << QStringList{"click f", "recording 1", "drop 4"}
            << five << 4 << "1";
        QTest::newRow("delay refused while recording") << QStringList{"click f", "recording 1", "delay 0 99"}
            << five << 0 << "1";
        QTest::newRow("mouse rows named in the new language, not edited") << QStringList{"click g", "lang 1"}
            << QStringList{"A v 10ms", "右键 v 10ms", "右键 ^ 5ms"} << -1 << "1";
    }
    void editingEvents()
    {
        QFETCH(QStringList, steps);
        openPage({"e.ini=", "f.ini=1|0x04 1 0|10ms|0x04 1 1|25ms|0x05 1 0|10ms|0x05 1 1|10ms|0x06 1 0|3ms|",
                  "g.ini=1|0x04 1 0|10ms|0x02 4 0|10ms|0x02 4 1|5ms|",
                  "h.ini=1|" + QString("0x04 1 0|0x05 1 0|0x04 1 1|0x05 1 1|0x04 1 0|0x04 1 1|").replace("|", "|10ms|")});
        play(steps);
        QTEST(eventRows(), "rows");
        QTEST(events()->currentRow(), "current");
        QTEST(loopShown(), "loop");
        if (g_macroRecording)
            QCOMPARE(shown, QStringList{"ExeIsRun"});
    }

    // What the editor refuses it says why, in its notice's text for that
    // case, and nothing changes. A macro holds the 70 events of a device
    // block, however its rows come.
    void refusalsSayWhy_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("notice");   // class, and position of its text in the macro page's table
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<int>("events");       // of the shown macro
        const QStringList abs = {"a", "b", "s"};
        QTest::newRow("a new name holding xml") << QStringList{"new myxml"} << "SameMacro 29" << abs << 0;
        QTest::newRow("renamed to a name holding xml") << QStringList{"click a", "rename a axml"} << "SameMacro 29"
                                                       << abs << 2;
        QTest::newRow("an import named with xml") << QStringList{"file k.xml.ini", "menu a 1", "menu - 2"}
                                                  << "SameMacro 29" << abs << 0;
        QTest::newRow("an import of loop mode 509") << QStringList{"exchange k.ini 509 1", "file k.ini", "menu - 2"}
                                                    << "InportFail 31" << abs << 0;
        QTest::newRow("an import of 75 rows: 70 taken")
            << QStringList{"exchange k.ini 1 75", "file k.ini", "menu - 2"} << "KeyNumberLimit 30"
            << QStringList{"a", "b", "s", "k"} << 70;
        QTest::newRow("the 70th event, then a pair") << QStringList{"click s", "choose 1 0x41", "left"}
                                                     << "KeyNumberLimit 30" << abs << 70;
        QTest::newRow("the 70th event, then one more") << QStringList{"click s", "choose 1 0x41", "choose 2 0x41"}
                                                       << "KeyNumberLimit 30" << abs << 70;
    }
    void refusalsSayWhy()
    {
        QFETCH(QStringList, steps);
        QFETCH(QString, notice);
        openPage({"a.ini=1|0x04 1 0|10ms|0x04 1 1|25ms|", "b.ini=7|", "s.ini=1|" + QString("0x04 1 0|10ms|").repeated(69)});
        const QStringList before = folderFiles();
        play(steps);
        const QString cls = notice.section(' ', 0, 0);
        const QString text = langText(g_langMacro, 0, notice.section(' ', 1).toInt());
        QVERIFY(!text.isEmpty());
        QCOMPARE(answerer.said.value(answerer.said.size() - 1), cls + ": " + text);
        QTEST(rowsOf(macros()), "rows");
        QTEST(page->eventRows().size(), "events");
        if (rowsOf(macros()) == QStringList{"a", "b", "s"})
            QCOMPARE(folderFiles(), before);
    }

    // Recording adds rows at the end and writes the delay of the last one.
    void recordedRowsAndDelays()
    {
        openPage({"r.ini=1|"});
        page->appendEventRow("A", true);   // no macro shown yet
        QCOMPARE(eventRows(), QStringList());
        play({"click r"});
        page->setLastEventDelay(37.6);   // no rows yet
        page->appendEventRow("A", true);
        page->appendEventRow("A", false);
        page->setLastEventDelay(37.6);
        QCOMPARE(eventRows(), (QStringList{"A v 10ms", "A ^ 38ms"}));
        QCOMPARE(events()->currentRow(), 1);
    }

    // A device copy of a macro: a row when the list lacks it, and the editor
    // reloaded only when it shows that macro with nothing unsaved.
    void deviceCopiesKeepUnsavedEdits_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QStringList>("events");
        QTest::newRow("shown and unchanged: reloaded") << QStringList{"click a", "device a 2|0x05 1 0|4ms|"}
            << QStringList{"a", "b"} << QStringList{"B v 4ms"};
        QTest::newRow("shown with edits: kept") << QStringList{"click a", "drop 0", "device a 2|0x05 1 0|4ms|"}
            << QStringList{"a", "b"} << QStringList{"A ^ 25ms"};
        QTest::newRow("another macro: kept") << QStringList{"click a", "device b 2|0x05 1 0|4ms|"}
            << QStringList{"a", "b"} << QStringList{"A v 10ms", "A ^ 25ms"};
        QTest::newRow("new: after the current row") << QStringList{"click a", "device n 2|"}
            << QStringList{"a", "n", "b"} << QStringList{"A v 10ms", "A ^ 25ms"};
        QTest::newRow("new without a current row: at the end") << QStringList{"device n 2|"}
            << QStringList{"a", "b", "n"} << QStringList();
        QTest::newRow("during a recording: kept") << QStringList{"click a", "recording 1", "device a 2|"}
            << QStringList{"a", "b"} << QStringList{"A v 10ms", "A ^ 25ms"};
    }
    void deviceCopiesKeepUnsavedEdits()
    {
        QFETCH(QStringList, steps);
        openPage({"a.ini=1|0x04 1 0|10ms|0x04 1 1|25ms|", "b.ini=3|"});
        play(steps);
        QTEST(rowsOf(macros()), "rows");
        QTEST(eventRows(), "events");
    }

    // Exchange files: export, import elsewhere, and what is refused.
    void exchangeFilesCarryMacros_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("folder");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QString>("loop");
        QTest::addColumn<QStringList>("dialogs");
        const QString a = "a.ini=253|0x04 1 0|10ms|0x01 4 1|25ms|";
        const QString rowMenu = "menu:Export,Rename,Delete,New,Import";
        const QStringList menus = {rowMenu, "menu:New,Import"};
        const QStringList typedMenus = {rowMenu, "QFileDialog", "menu:New,Import", "QFileDialog"};
        QTest::newRow("export, import on another computer") << QStringList{"file x.ini", "menu a 1", "wipe", "menu - 2"}
            << QStringList{"x.ini=253|0x04 1 0|10ms|0x01 4 1|25ms|"} << QStringList{"x"} << "253" << menus;
        QTest::newRow("the shown macro with its unsaved edits") << QStringList{"click a", "loop 255", "drop 1",
                                                                                "file y.ini", "menu a 1", "wipe", "menu - 2"}
            << QStringList{"y.ini=255|0x04 1 0|10ms|"} << QStringList{"y"} << "255" << menus;
        QTest::newRow("a name typed without a suffix is saved as .ini")
            << QStringList{"typed mymacro", "menu a 1", "wipe", "typed mymacro.ini", "menu - 2"}
            << QStringList{"mymacro.ini=253|0x04 1 0|10ms|0x01 4 1|25ms|"} << QStringList{"mymacro"} << "253"
            << typedMenus;
        QTest::newRow("a name with another suffix stays as typed")
            << QStringList{"typed y.dat", "menu a 1", "wipe", "file y.dat", "menu - 2"}
            << QStringList{"y.dat.ini=253|0x04 1 0|10ms|0x01 4 1|25ms|"} << QStringList{"y.dat"} << "253"
            << QStringList(typedMenus.mid(0, 3));
        QTest::newRow("a new macro without events comes back empty")
            << QStringList{"answer QuestionDialog=n", "menu - 1", "typed e", "menu n 1", "wipe", "typed e.ini",
                           "menu - 2"}
            << QStringList{"e.ini=1|"} << QStringList{"e"} << "1"
            << QStringList{"menu:New,Import", "QuestionDialog"} + typedMenus;
        // Four macros fill the list: its empty space is gone, a row's menu
        // offers what it offered.
        QTest::newRow("four macros: new and import from a row's menu")
            << QStringList{"answer QuestionDialog=c", "menu a 4", "answer QuestionDialog=d", "menu c 4",
                           "exchange x.ini 3 1", "file x.ini", "menu d 5"}
            << QStringList{a, "b.ini=7|", "c.ini=", "d.ini=", "x.ini=3|0x04 1 0|10ms|"}
            << QStringList{"a", "b", "c", "d", "x"} << "3"
            << QStringList{rowMenu, "QuestionDialog", rowMenu, "QuestionDialog", rowMenu};
        QTest::newRow("import under a listed name") << QStringList{"file a.ini", "menu b 1", "menu - 2"}
            << QStringList{a, "b.ini=7|"} << QStringList{"a", "b"} << "1" << menus + QStringList{"SameMacro"};
        QTest::newRow("not an exchange file") << QStringList{"file c.ini", "menu - 2"}
            << QStringList{a, "b.ini=7|"} << QStringList{"a", "b"} << "1" << QStringList{"menu:New,Import"};
        QTest::newRow("question cancelled") << QStringList{"typed", "menu a 1", "typed", "menu - 2"}
            << QStringList{a, "b.ini=7|"} << QStringList{"a", "b"} << "1" << typedMenus;
        QTest::newRow("no menu while recording") << QStringList{"recording 1", "menu - 2"}
            << QStringList{a, "b.ini=7|"} << QStringList{"a", "b"} << "1" << QStringList();
    }
    void exchangeFilesCarryMacros()
    {
        QFETCH(QStringList, steps);
        openPage({"a.ini=253|0x04 1 0|10ms|0x01 4 1|25ms|", "b.ini=7|"});
        QFile::remove(QDir::homePath() + "/c.ini");
        QFile::copy(macroFolder() + "/b.ini", QDir::homePath() + "/c.ini");
        play(steps);
        QTEST(folderFiles(), "folder");
        QTEST(rowsOf(macros()), "rows");
        QTEST(page->loopModeText(), "loop");
        QTEST(shown, "dialogs");
    }

    // The list's menus (a row's, then the empty space's) and the toolkit's
    // file dialogs speak the language chosen last, the dialogs under the
    // program's own titles and filter.
    void fileDialogsSpeakTheChosenLanguage_data()
    {
        QTest::addColumn<QStringList>("languages");
        QTest::addColumn<QStringList>("menus");
        QTest::addColumn<QStringList>("said");
        const QStringList english = {"QFileDialog: FileSave | File(*.ini) | File &name: | &Save | Cancel",
                                     "QFileDialog: SelectFile | File(*.ini) | File &name: | &Open | Cancel"};
        const QStringList englishMenus = {"menu:Export,Rename,Delete,New,Import", "menu:New,Import"};
        QTest::newRow("English") << QStringList() << englishMenus << english;
        QTest::newRow("Chinese") << QStringList{"lang 1"}
            << QStringList{"menu:导出,重命名,删除,新建,导入", "menu:新建,导入"}
            << QStringList{"QFileDialog: FileSave | File(*.ini) | 文件名称(&N)： | 保存(&S) | 取消",
                           "QFileDialog: SelectFile | File(*.ini) | 文件名称(&N)： | 打开(&O) | 取消"};
        QTest::newRow("Chinese, then English") << QStringList{"lang 1", "lang 0"} << englishMenus << english;
    }
    void fileDialogsSpeakTheChosenLanguage()
    {
        QFETCH(QStringList, languages);
        openPage({"a.ini=1|"});
        play(languages);
        play({"typed", "menu a 1", "typed", "menu - 2"});
        QTEST(shown.filter(QRegularExpression("^menu:")), "menus");
        QTEST(answerer.said, "said");
    }

    // The list's menu on empty space creates a macro; its Delete entry
    // acts on the row under the cursor and is refused while recording.
    void listMenuActsOnItsRow_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QString>("current");
        QTest::newRow("new") << QStringList{"click a", "answer QuestionDialog=m", "menu - 1"}
                             << QStringList{"a", "b", "n", "m"} << "m";
        QTest::newRow("delete another row") << QStringList{"click a", "answer DeleteConfirm=ok", "menu b 3"}
                                            << QStringList{"a", "n"} << "a";
        QTest::newRow("rename the shown row") << QStringList{"click a", "answer QuestionDialog=z", "menu a 2"}
                                              << QStringList{"z", "b", "n"} << "z";
    }
    void listMenuActsOnItsRow()
    {
        QFETCH(QStringList, steps);
        openPage({"a.ini=1|", "b.ini=2|", "n.ini=3|"});
        play(steps);
        QTEST(rowsOf(macros()), "rows");
        QTEST(macros()->currentItem()->text(), "current");
        QCOMPARE(page->shownMacro(), macros()->currentItem()->text());
    }

    // Leaving the device page during a recording gives every control back.
    void leavingThePageEndsARecording()
    {
        openPage({"a.ini=1|"});
        play({"click a", "recording 1"});
        for (const char *name : {"lineEditDelay", "LeftButton_2", "NumberEdit", "StartRecord"})
            child<QWidget>(name)->hide();
        macros()->setEnabled(false);
        page->SlotSetMacroPage();
        QCOMPARE(int(g_macroRecording), 0);
        for (const char *name : {"lineEditDelay", "LeftButton_2", "NumberEdit", "StartRecord"})
            QVERIFY2(child<QWidget>(name)->isVisible(), name);
        QVERIFY(macros()->isEnabled());
    }

    // The chooser's texts come from the language files and fit their
    // buttons. With QUZ_SHOT_DIR set it is also saved as a picture.
    void chooserTextsFit_data()
    {
        QTest::addColumn<int>("language");
        QTest::newRow("English") << 0;
        QTest::newRow("Chinese") << 1;
    }
    void chooserTextsFit()
    {
        QFETCH(int, language);
        g_language = language;
        putFiles({"Clicker.ini=", "combo.ini="});
        MacroList dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        const struct {
            const char *name;
            QString text;
        } texts[] = {{"label", langText(g_langMacro, language, 0)},
                     {"OK", langText(g_langDialogChange, language, 4)},
                     {"Cancel", langText(g_langQuestion, language, 3)}};
        for (const auto &t : texts) {
            auto *w = dialog.findChild<QWidget *>(t.name);
            const QString text = w->property("text").toString();
            QVERIFY(!text.isEmpty());
            QCOMPARE(text, t.text);
            QVERIFY2(w->fontMetrics().horizontalAdvance(text) < w->width() - 8, t.name);
        }
        const QString shots = qEnvironmentVariable("QUZ_SHOT_DIR");
        if (!shots.isEmpty())
            dialog.grab().save(shots + QString("/MacroList-%1.png").arg(language));
    }

    void chooserOffersStoredMacros_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<int>("pick");          // row made current; -1 none
        QTest::addColumn<QString>("button");    // what closes the dialog
        QTest::addColumn<QStringList>("listed");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("name");
        const QStringList mixed = {"b.ini=", "A.ini=", "c.ini=", "notes.txt=", "macro.xml=", "xmlmacro.ini=",
                                   "a.ini.ini="};
        const QStringList listed = {"A", "a.ini", "b", "c"};
        QTest::newRow("no folder, OK") << QStringList() << -1 << "OK" << QStringList() << true << QString();
        QTest::newRow("macros only, by name") << mixed << -1 << "Cancel" << listed << false << QString();
        QTest::newRow("OK without a row") << mixed << -1 << "OK" << listed << true << QString();
        QTest::newRow("OK on a row") << mixed << 2 << "OK" << listed << true << "b";
        QTest::newRow("Cancel on a row") << mixed << 2 << "Cancel" << listed << false << QString();
        QTest::newRow("close on a row") << mixed << 0 << "CloseButton" << listed << false << QString();
    }
    void chooserOffersStoredMacros()
    {
        QFETCH(QStringList, files);
        QFETCH(int, pick);
        QFETCH(QString, button);
        QFETCH(bool, accepted);
        QFETCH(QString, name);
        if (!files.isEmpty())
            putFiles(files);
        MacroList dialog;
        auto *list = dialog.findChild<QListWidget *>("listWidgetHong");
        QTEST(rowsOf(list), "listed");
        QVERIFY(!dialog.findChild<QPushButton *>("pushButton")->isVisibleTo(&dialog));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        if (pick >= 0)
            list->setCurrentRow(pick);
        QTest::mouseClick(dialog.findChild<QAbstractButton *>(button), Qt::LeftButton);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.accepted, accepted);
        QCOMPARE(dialog.macroName, name);
    }
};

QTEST_MAIN(TestMacroEditor)
#include "tst_macroeditor.moc"

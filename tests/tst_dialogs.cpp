// The notice family, the name prompt and the running-instance notice.
#include "containreset.h"
#include "deleteconfirm.h"
#include "devicestate.h"
#include "exeisrun.h"
#include "findnewver.h"
#include "groupmaxthree.h"
#include "inportfail.h"
#include "keynumberlimit.h"
#include "languageloader.h"
#include "leftbuttononly.h"
#include "lesstensecond.h"
#include "lessthree.h"
#include "macroname.h"
#include "macrosettings.h"
#include "makemacro.h"
#include "mouseoffline.h"
#include "pagebackground.h"
#include "postmsg.h"
#include "questiondialog.h"
#include "questiondialogb.h"
#include "repair.h"
#include "samemacro.h"
#include "updatewarning.h"
#include "testsupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTextCodec>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <functional>
#include <memory>

namespace {
const QString kFormLabel = QStringLiteral("Left button must be retained");

struct PageFill {
    LanguageTextTable *table;
    const char *page;
    int texts;
};

// Two languages of every page the notices read; text k of language n of
// page P is "P.k.n".
void fillTables()
{
    const PageFill pages[] = {
        {&g_langQuestion, "Question", 4},      {&g_langQuestionB, "QuestionB", 1},
        {&g_langMouseOffLine, "MouseOffLine", 2}, {&g_langSameMacro, "SameMacro", 1},
        {&g_langRePair, "RePair", 1},          {&g_langMakeMacro, "MakeMacro", 1},
        {&g_langButtonOnly, "ButtonOnly", 2},  {&g_langLimit, "Limit", 1},
        {&g_langMaxThree, "MaxThree", 1},      {&g_langDeleteConfirm, "DeleteConfirm", 1},
        {&g_langContainReset, "ContainReset", 1}, {&g_langDialogChange, "DialogChange", 13},
        {&g_langInportFail, "InportFail", 3},  {&g_langNewVer, "NewVer", 2},
        {&g_langLessThree, "LessThree", 1},
    };
    for (const PageFill &p : pages) {
        p.table->clear();
        for (int lang = 0; lang < 2; ++lang) {
            QVector<QString> entry;
            for (int k = 0; k < p.texts; ++k)
                entry << QStringLiteral("%1.%2.%3").arg(QLatin1String(p.page)).arg(k).arg(lang);
            p.table->append(entry);
        }
    }
}

struct Member {
    const char *name;
    std::function<NoticeDialog *()> make;
};

const QVector<Member> &members()
{
    static const QVector<Member> list = {
        {"MouseOffLine", [] { return new MouseOffLine; }},
        {"LeftButtonOnly", [] { return new LeftButtonOnly; }},
        {"SameMacro", [] { return new SameMacro; }},
        {"GroupMaxThree", [] { return new GroupMaxThree; }},
        {"KeyNumberLimit", [] { return new KeyNumberLimit; }},
        {"InportFail", [] { return new InportFail; }},
        {"UpDateWarning", [] { return new UpDateWarning; }},
        {"LessThree", [] { return new LessThree; }},
        {"ContainReset", [] { return new ContainReset; }},
        {"DeleteConfirm", [] { return new DeleteConfirm; }},
        {"QuestiondialogB", [] { return new QuestiondialogB; }},
        {"MakeMacro", [] { return new MakeMacro; }},
        {"FindNewVer", [] { return new FindNewVer; }},
        {"LessTenSecond", [] { return new LessTenSecond; }},
        {"RePair", [] { return new RePair; }},
        {"ExeIsRun", [] { return new ExeIsRun; }},
        {"QuestionDialog", [] { return new QuestionDialog; }},
    };
    return list;
}

// Runs `dialog` with exec() and hands it to `action` once it is the modal
// and active window (keyboard shortcuts need the latter). Returns false when the dialog was still open after two seconds
// (it is then closed, so a broken test fails instead of hanging).
bool execWith(QDialog &dialog, const std::function<void(QWidget *)> &action)
{
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget *w = QApplication::activeModalWidget();
        if (w && QApplication::activeWindow() == w) {
            poll.stop();
            action(w);
        }
    });
    bool closedInTime = true;
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [&] {
        closedInTime = false;
        dialog.done(0);
    });
    poll.start();
    watchdog.start(2000);
    dialog.exec();
    return closedInTime;
}

void click(QWidget *w, const char *button)
{
    QToolButton *b = w->findChild<QToolButton *>(QLatin1String(button));
    QVERIFY2(b, button);
    QTest::mouseClick(b, Qt::LeftButton);
}

QString labelText(QWidget *w)
{
    return w->findChild<QLabel *>(QStringLiteral("label"))->text();
}

QString buttonText(QWidget *w, const char *name)
{
    QToolButton *b = w->findChild<QToolButton *>(QLatin1String(name));
    return b ? b->text() : QStringLiteral("<none>");
}

void writeFile(const QString &path, const QByteArray &data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(data);
}
// A program folder of the test's own that shares the built pictures.
void usePicturesIn(const QString &dir)
{
    QFile::link(builtProgramDir() + "/Picture", dir + "/Picture");
}
} // namespace

class TestDialogs : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    // The family skeleton.
    void questionResult_data();
    void questionResult();
    void everyMemberClosesAndWorksWithoutTablesOrPictures();
    void tableTexts_data();
    void tableTexts();
    void conditionalTexts();
    void mouseOffLineClosesWhenDeviceReturns();
    void returnPressesOk();
    void languageChangePutsTableTextBack();
    void styleFollowsThemeOnlyWhereConnected();
    void rePairKeepsProductColours();

    // The name prompt.
    void nameResult();
    void nameSpaceRule();
    void nameByteLimitOnCharacterBoundary();
    void nameFilteredKeysAndCommits();
    void nameShiftDisablesField();
    void namePastedTextSanitised();
    void nameEscapeLeavesPromptOpen();
    void namePromptTexts();

    // The running-instance notice.
    void exeIsRunReadsItsPage();
    void exeIsRunFileVariants();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestDialogs::initTestCase()
{
    // The name limit is measured in the local 8-bit encoding; make it the
    // UTF-8 of a usual Linux desktop whatever locale the test runs in.
    QTextCodec::setCodecForLocale(QTextCodec::codecForName("UTF-8"));
}

void TestDialogs::init()
{
    resetAllGlobals();
    clearLanguageTables();
    fillTables();
    m_dir.reset(new QTemporaryDir);
    MacroSettings::instance()->remove(QStringLiteral("Language"), QStringLiteral("Language"));
}

void TestDialogs::cleanup()
{
    clearLanguageTables();
    setProgramDirOverride(QString());
}

void TestDialogs::questionResult_data()
{
    QTest::addColumn<QString>("member");
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("accepted");
    for (const char *m : {"ContainReset", "RePair", "DeleteConfirm"}) {
        const bool twoButtons = qstrcmp(m, "DeleteConfirm") != 0;
        const QString member = QString::fromLatin1(m);
        QTest::addRow("%s OK", m) << member << QString::fromLatin1(twoButtons ? "OK" : "NewHong") << true;
        if (twoButtons)
            QTest::addRow("%s Cancel", m) << member << QStringLiteral("Cancel") << false;
        QTest::addRow("%s close", m) << member << QStringLiteral("CloseButton") << false;
        QTest::addRow("%s Escape", m) << member << QStringLiteral("Escape") << false;
    }
}

void TestDialogs::questionResult()
{
    QFETCH(QString, member);
    QFETCH(QString, how);
    QFETCH(bool, accepted);
    const auto action = [how](QWidget *w) {
        if (how == QLatin1String("Escape"))
            QTest::keyClick(w, Qt::Key_Escape);
        else
            click(w, how.toLatin1().constData());
    };
    bool result = !accepted;
    if (member == QLatin1String("ContainReset")) {
        ContainReset d;
        QVERIFY(!d.accepted);
        QVERIFY(execWith(d, action));
        result = d.accepted;
    } else if (member == QLatin1String("RePair")) {
        RePair d;
        QVERIFY(!d.accepted);
        QVERIFY(execWith(d, action));
        result = d.accepted;
    } else {
        DeleteConfirm d;
        QVERIFY(!d.accepted);
        QVERIFY(execWith(d, action));
        result = d.accepted;
    }
    QCOMPARE(result, accepted);
}

void TestDialogs::everyMemberClosesAndWorksWithoutTablesOrPictures()
{
    // No language files read, a language index no table holds, and a program
    // folder without pictures or language files: every notice still builds,
    // shows and closes with its buttons.
    clearLanguageTables();
    g_language = 7;
    setProgramDirOverride(m_dir->path());
    for (const Member &m : members()) {
        for (const char *button : {"CloseButton", "NewHong", "OK"}) {
            std::unique_ptr<NoticeDialog> d(m.make());
            QCOMPARE(d->size(), QSize(448, 154));
            QCOMPARE(int(d->windowFlags() & 0x6C12), 0x6C12);
            if (!d->findChild<QToolButton *>(QLatin1String(button)))
                continue;
            QVERIFY2(execWith(*d, [button](QWidget *w) { click(w, button); }),
                     qPrintable(QString::fromLatin1(m.name) + " " + button));
            QVERIFY(!d->isVisible());
        }
    }
}

void TestDialogs::tableTexts_data()
{
    QTest::addColumn<int>("member");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("ok");
    QTest::addColumn<QString>("cancel");
    auto row = [](const char *name, const QString &label, const QString &ok, const QString &cancel) {
        for (int i = 0; i < members().size(); ++i) {
            if (qstrcmp(members().at(i).name, name) == 0)
                QTest::newRow(name) << i << label << ok << cancel;
        }
    };
    const QString ok = QStringLiteral("Question.2.1"), cancel = QStringLiteral("Question.3.1");
    const QString none = QStringLiteral("<none>");
    row("LeftButtonOnly", "ButtonOnly.0.1", ok, none);
    row("LessTenSecond", "ButtonOnly.1.1", ok, none);
    row("SameMacro", "SameMacro.0.1", ok, none);
    row("GroupMaxThree", "MaxThree.0.1", ok, none);
    row("KeyNumberLimit", "Limit.0.1", ok, none);
    row("LessThree", "LessThree.0.1", ok, none);
    row("DeleteConfirm", "DeleteConfirm.0.1", ok, none);
    row("MakeMacro", "MakeMacro.0.1", ok, none);
    row("FindNewVer", "NewVer.0.1", ok, none);
    row("QuestiondialogB", "QuestionB.0.1", none, none);
    row("UpDateWarning", kFormLabel, ok, none);
    row("ContainReset", "ContainReset.0.1", "DialogChange.4.1", cancel);
    row("RePair", "RePair.0.1", ok, cancel);
}

void TestDialogs::tableTexts()
{
    QFETCH(int, member);
    QFETCH(QString, label);
    QFETCH(QString, ok);
    QFETCH(QString, cancel);
    g_language = 1;
    std::unique_ptr<NoticeDialog> d(members().at(member).make());
    QCOMPARE(labelText(d.get()), label);
    const QString okText = buttonText(d.get(), "NewHong");
    QCOMPARE(okText == QLatin1String("<none>") ? buttonText(d.get(), "OK") : okText, ok);
    QCOMPARE(buttonText(d.get(), "Cancel"), cancel);
    if (QCheckBox *box = d->findChild<QCheckBox *>(QStringLiteral("NoApear")))
        QCOMPARE(box->text(), QStringLiteral("NewVer.1.1"));
}

void TestDialogs::conditionalTexts()
{
    const struct {
        int *selector;
        int value;
        std::function<NoticeDialog *()> make;
        QString label;
    } cases[] = {
        {&g_offlineNoticeReason, 0, [] { return new MouseOffLine; }, "MouseOffLine.0.0"},
        {&g_offlineNoticeReason, 1, [] { return new MouseOffLine; }, "MouseOffLine.1.0"},
        {&g_offlineNoticeReason, 2, [] { return new MouseOffLine; }, kFormLabel},
        {&g_importResult, 1, [] { return new InportFail; }, "InportFail.0.0"},
        {&g_importResult, 2, [] { return new InportFail; }, "InportFail.1.0"},
        {&g_importResult, 0, [] { return new InportFail; }, kFormLabel},
        {&g_importResult, 3, [] { return new InportFail; }, kFormLabel},
    };
    for (const auto &c : cases) {
        *c.selector = c.value;
        std::unique_ptr<NoticeDialog> d(c.make());
        QCOMPARE(labelText(d.get()), c.label);
    }
    // The reason is read again on a language change.
    g_offlineNoticeReason = 0;
    MouseOffLine d;
    g_offlineNoticeReason = 1;
    emit PostMsg::instance()->SigAllLanguage(1);
    QCOMPARE(labelText(&d), QStringLiteral("MouseOffLine.1.1"));
    QCOMPARE(buttonText(&d, "NewHong"), QStringLiteral("Question.2.1"));

    // A notice told for another case keeps that case's text, whatever its
    // selector says, in every language.
    g_importResult = 1;
    InportFail macroFile;
    macroFile.showLabelText({&g_langNewVer, 1});
    QCOMPARE(labelText(&macroFile), QStringLiteral("NewVer.1.0"));
    emit PostMsg::instance()->SigAllLanguage(1);
    QCOMPARE(labelText(&macroFile), QStringLiteral("NewVer.1.1"));
}

void TestDialogs::mouseOffLineClosesWhenDeviceReturns()
{
    MouseOffLine d;
    QVERIFY(execWith(d, [](QWidget *) { PostMsg::instance()->postCloseOffOnline(); }));
    QVERIFY(!d.isVisible());
    // Another notice stays open on the same signal.
    SameMacro other;
    other.show();
    PostMsg::instance()->postCloseOffOnline();
    QVERIFY(other.isVisible());
}

void TestDialogs::returnPressesOk()
{
    ContainReset reset;
    QVERIFY(execWith(reset, [](QWidget *w) { QTest::keyClick(w, Qt::Key_Return); }));
    QVERIFY(reset.accepted);

    // Setting a button's text resets its shortcut: a language change must
    // not take Return away.
    UpDateWarning warning;
    PostMsg::instance()->postAllLanguage(1);
    QVERIFY(execWith(warning, [](QWidget *w) { QTest::keyClick(w, Qt::Key_Return); }));

    // Return is no shortcut of the other questions.
    RePair pair;
    QVERIFY(execWith(pair, [](QWidget *w) {
        QTest::keyClick(w, Qt::Key_Return);
        QTimer::singleShot(50, w, [w] { QTest::keyClick(w, Qt::Key_Escape); });
    }));
    QVERIFY(!pair.accepted);
}

void TestDialogs::languageChangePutsTableTextBack()
{
    ContainReset reset;
    reset.setText(QStringLiteral("Update the firmware?"));
    QCOMPARE(labelText(&reset), QStringLiteral("Update the firmware?"));
    LessThree less;
    less.setText(QStringLiteral("light text"));
    UpDateWarning warning;
    warning.setText(QStringLiteral("wired mode"));

    PostMsg::instance()->postAllLanguage(1);
    QCOMPARE(labelText(&reset), QStringLiteral("ContainReset.0.1"));
    QCOMPARE(buttonText(&reset, "OK"), QStringLiteral("DialogChange.4.1"));
    QCOMPARE(buttonText(&reset, "Cancel"), QStringLiteral("Question.3.1"));
    QCOMPARE(labelText(&less), QStringLiteral("LessThree.0.1"));
    // This notice has no table text: its caller's text stays.
    QCOMPARE(labelText(&warning), QStringLiteral("wired mode"));
    QCOMPARE(buttonText(&warning, "NewHong"), QStringLiteral("Question.2.1"));
}

void TestDialogs::styleFollowsThemeOnlyWhereConnected()
{
    std::vector<std::unique_ptr<NoticeDialog>> dialogs;
    for (const Member &m : members())
        dialogs.emplace_back(m.make());

    g_themeLabelColor = QStringList{"11", "22", "33"};
    g_themeButtonColor = QStringList{"44", "55", "66"};
    PostMsg::instance()->postSetStyle(1);

    const QStringList fixed = {"MouseOffLine", "QuestiondialogB", "RePair", "QuestionDialog"};
    for (int i = 0; i < members().size(); ++i) {
        const QString name = QString::fromLatin1(members().at(i).name);
        NoticeDialog *d = dialogs[i].get();
        const QString label = d->findChild<QLabel *>(QStringLiteral("label"))->styleSheet();
        QToolButton *ok = d->findChild<QToolButton *>(QStringLiteral("NewHong"));
        if (!ok)
            ok = d->findChild<QToolButton *>(QStringLiteral("OK"));
        QCOMPARE(label.contains(QLatin1String("11,22,33")), !fixed.contains(name));
        if (ok)
            QCOMPARE(ok->styleSheet().contains(QLatin1String("44,55,66")), !fixed.contains(name));
        if (!fixed.contains(name))
            QCOMPARE(d->picturePath, programDir() + "/Picture/WarningDialog/");
        // The background goes on the form's frame, by its own name.
        if (name != QLatin1String("QuestiondialogB")) {
            QFrame *frame = d->findChild<QFrame *>();
            QVERIFY(frame);
            QVERIFY2(frame->styleSheet().startsWith("#" + frame->objectName() + "{"), qPrintable(name));
        }
    }
    // A theme list too short for a colour never yields a broken sheet.
    g_themeLabelColor = QStringList{"1"};
    PostMsg::instance()->postSetStyle(0);
    QCOMPARE(dialogs[1]->findChild<QLabel *>(QStringLiteral("label"))->styleSheet(),
             QStringLiteral("QLabel{color: rgb(0,0,0;);}"));
    // The one notice that asks for "ConFirm" pictures, and the frame selector.
    QVERIFY(dialogs[0]->findChild<QToolButton *>(QStringLiteral("NewHong"))->styleSheet().contains(
        QLatin1String("ConFirm.png")));
    QVERIFY(dialogs[1]->findChild<QFrame *>(QStringLiteral("ButtonOnly"))->styleSheet().startsWith(
        QLatin1String("#ButtonOnly{")));
}

void TestDialogs::rePairKeepsProductColours()
{
    g_themeLabelColor = QStringList{"11", "22", "33"};
    RePair pair;
    const QString sheet = pair.findChild<QLabel *>(QStringLiteral("label"))->styleSheet();
    QVERIFY2(!sheet.contains(QLatin1String("11,22,33")), qPrintable(sheet));
    QVERIFY(sheet.startsWith(QLatin1String("QLabel{color: rgb(")));
    // The pairing notice stretches its background, the others centre it.
    const auto background = [](QDialog &dialog, const char *frame) {
        return dialog.findChild<QFrame *>(QLatin1String(frame))->findChild<PageBackground *>();
    };
    QCOMPARE(background(pair, "RePairA")->placement(), PageBackground::Stretch);
    ExeIsRun notice;
    QCOMPARE(background(notice, "DeleteConfirmA")->placement(), PageBackground::Centre);
    QVERIFY(background(notice, "DeleteConfirmA")->file().endsWith(QLatin1String("/WarningDialog/BackGround.png")));
}

// ---- Name prompt ---------------------------------------------------------

void TestDialogs::nameResult()
{
    const struct {
        const char *button;
        QString typed;
        QString name;
    } cases[] = {
        {"NewHong", "macro1", "macro1"},
        {"NewHong", "", ""},
        {"NewHong_2", "macro1", ""},
        {"CloseButton", "macro1", ""},
    };
    for (const auto &c : cases) {
        QuestionDialog d;
        d.setTextIndex(false);
        QVERIFY(execWith(d, [&](QWidget *w) {
            QTest::keyClicks(w->findChild<QLineEdit *>(QStringLiteral("lineEdit")), c.typed);
            click(w, c.button);
        }));
        QCOMPARE(d.macroName, c.name);
    }
    // Text that reached the field without an edit is checked on OK as well.
    for (const QString &set : {QStringLiteral(".."), QStringLiteral("a/b\\c"), QString(40, QLatin1Char('x'))}) {
        QuestionDialog d;
        d.findChild<QLineEdit *>(QStringLiteral("lineEdit"))->setText(set);
        QVERIFY(execWith(d, [](QWidget *w) { click(w, "NewHong"); }));
        QCOMPARE(d.macroName, usableMacroName(set));
    }
    QCOMPARE(usableMacroName(QStringLiteral("..")), QString());
    QCOMPARE(usableMacroName(QStringLiteral("a/b\\c")), QStringLiteral("abc"));
}

void TestDialogs::nameSpaceRule()
{
    QuestionDialog d;
    QLineEdit *le = d.findChild<QLineEdit *>(QStringLiteral("lineEdit"));
    QTest::keyClicks(le, QStringLiteral("ab"));
    QTest::keyClick(le, Qt::Key_Space);
    QCOMPARE(le->text(), QStringLiteral("ab"));
    // A space typed inside the name stays until one is typed at the end,
    // which then removes every space.
    QTest::keyClick(le, Qt::Key_Home);
    QTest::keyClick(le, Qt::Key_Right);
    QTest::keyClick(le, Qt::Key_Space);
    QCOMPARE(le->text(), QStringLiteral("a b"));
    QTest::keyClick(le, Qt::Key_End);
    QTest::keyClick(le, Qt::Key_C);
    QCOMPARE(le->text(), QStringLiteral("a bc"));
    QTest::keyClick(le, Qt::Key_Space);
    QCOMPARE(le->text(), QStringLiteral("abc"));
}

void TestDialogs::nameByteLimitOnCharacterBoundary()
{
    QuestionDialog d;
    QLineEdit *le = d.findChild<QLineEdit *>(QStringLiteral("lineEdit"));
    QTest::keyClicks(le, QString(31, QLatin1Char('a')));
    QCOMPARE(le->text(), QString(30, QLatin1Char('a')));

    const QString a27(27, QLatin1Char('a')), a28(28, QLatin1Char('a'));
    const struct {
        QString typed;
        QString kept;
    } cases[] = {
        {QString(11, QChar(0x4E2D)), QString(10, QChar(0x4E2D))},          // 3 bytes each
        {a28 + QChar(0x4E2D), a28},                                        // 31 bytes
        {a28 + "b" + QChar(0x4E2D), a28 + "b"},
        {a28 + QString::fromUtf8("\xF0\x9F\x98\x80"), a28},                // no lone surrogate
        {a27 + "e" + QChar(0x0301) + "x", a27 + "e" + QChar(0x0301)},      // 30 bytes fit
        {a28 + "ab" + QChar(0x0301), a28 + "a"},                           // accent stays with its letter
    };
    for (const auto &c : cases) {
        le->clear();
        QInputMethodEvent commit;
        commit.setCommitString(c.typed);
        QApplication::sendEvent(le, &commit);
        QCOMPARE(le->text(), c.kept);
        QVERIFY(le->text().toLocal8Bit().size() <= 30);
    }
}

void TestDialogs::nameFilteredKeysAndCommits()
{
    QuestionDialog d;
    QLineEdit *le = d.findChild<QLineEdit *>(QStringLiteral("lineEdit"));
    for (char c : QByteArray("-=[];',./`\\*+"))
        QTest::keyClick(le, c);
    QCOMPARE(le->text(), QString());
    for (const QChar c : QString::fromUtf8("【；，。’"))
        QTest::sendKeyEvent(QTest::Click, le, Qt::Key_unknown, QString(c), Qt::NoModifier);
    QCOMPARE(le->text(), QString());
    QTest::keyClicks(le, QStringLiteral("ok_1"));
    QCOMPARE(le->text(), QStringLiteral("ok_1"));

    auto commit = [le](const QString &s) {
        QInputMethodEvent e;
        e.setCommitString(s);
        QApplication::sendEvent(le, &e);
    };
    le->clear();
    for (const QChar c : QString::fromUtf8("-=/*【】、；，。‘’·"))
        commit(QString(c));
    QCOMPARE(le->text(), QString());
    // Commits outside the table, and longer commits, pass the filter; the
    // characters a file name cannot hold are still dropped.
    commit(QStringLiteral("["));
    commit(QString::fromUtf8("名/字"));
    QCOMPARE(le->text(), QString::fromUtf8("[名字"));
}

void TestDialogs::nameShiftDisablesField()
{
    QuestionDialog d;
    d.show();
    QLineEdit *le = d.findChild<QLineEdit *>(QStringLiteral("lineEdit"));
    QTest::keyPress(le, Qt::Key_Shift);
    QVERIFY(!le->isEnabled());
    QTest::keyClick(le, Qt::Key_A, Qt::ShiftModifier);
    QCOMPARE(le->text(), QString());
    QTest::keyRelease(&d, Qt::Key_Shift);
    QVERIFY(le->isEnabled());
    QTest::keyClick(le, Qt::Key_A, Qt::NoModifier);
    QCOMPARE(le->text(), QStringLiteral("a"));
}

void TestDialogs::namePastedTextSanitised()
{
    QuestionDialog d;
    QLineEdit *le = d.findChild<QLineEdit *>(QStringLiteral("lineEdit"));
    const struct {
        QString pasted;
        QString kept;
    } cases[] = {
        {QStringLiteral("-=+"), QStringLiteral("-=+")},          // a paste is no typed key
        {QStringLiteral("a b "), QStringLiteral("ab")},
        {QStringLiteral("../../etc/x"), QStringLiteral("....etcx")},
        {QStringLiteral("a\\b"), QStringLiteral("ab")},
        {QString::fromLatin1("a\0b", 3), QStringLiteral("ab")},
        {QStringLiteral(".."), QString()},
        {QStringLiteral("."), QString()},
        {QStringLiteral("/.."), QString()},
        {QString(40, QLatin1Char('p')), QString(30, QLatin1Char('p'))},
    };
    for (const auto &c : cases) {
        le->clear();
        QApplication::clipboard()->setText(c.pasted);
        le->paste();
        QCOMPARE(le->text(), c.kept);
    }
}

void TestDialogs::nameEscapeLeavesPromptOpen()
{
    QuestionDialog d;
    QVERIFY(execWith(d, [](QWidget *w) {
        QLineEdit *le = w->findChild<QLineEdit *>(QStringLiteral("lineEdit"));
        QTest::keyClicks(le, QStringLiteral("kept"));
        QTest::keyClick(le, Qt::Key_Escape);
        QTest::keyClick(w, Qt::Key_Return);
        QVERIFY(w->isVisible());
        click(w, "NewHong");
    }));
    QCOMPARE(d.macroName, QStringLiteral("kept"));
}

void TestDialogs::namePromptTexts()
{
    QuestionDialog d;
    QCOMPARE(buttonText(&d, "NewHong"), QStringLiteral("Question.2.0"));
    QCOMPARE(buttonText(&d, "NewHong_2"), QStringLiteral("Question.3.0"));
    d.setTextIndex(true);
    QCOMPARE(labelText(&d), QStringLiteral("Question.1.0"));
    PostMsg::instance()->postAllLanguage(1);
    QCOMPARE(labelText(&d), QStringLiteral("Question.1.0"));
    QCOMPARE(buttonText(&d, "NewHong_2"), QStringLiteral("Question.3.1"));
    d.setTextIndex(false);
    QCOMPARE(labelText(&d), QStringLiteral("Question.0.1"));
}

// ---- Running-instance notice ---------------------------------------------

void TestDialogs::exeIsRunReadsItsPage()
{
    usePicturesIn(m_dir->path());
    setProgramDirOverride(m_dir->path());
    const QByteArray page =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Total>\n"
        " <Limit><label>not this</label></Limit>\n"
        " <EXEIsRun><PleaseStop>Stop first</PleaseStop><NewHong>Fine</NewHong>"
        "<Other><label>nested</label></Other><label>Already running</label><label_2>Pick a macro</label_2></EXEIsRun>\n"
        "</Total>\n";
    writeFile(m_dir->path() + "/Language/0-English.xml", page);
    writeFile(m_dir->path() + "/Language/7-Arabic.xml", QByteArray(page).replace("Already", "Arabic"));

    g_language = 7;   // only the stored choice counts
    ExeIsRun english;
    QCOMPARE(labelText(&english), QStringLiteral("Already running"));
    QCOMPARE(buttonText(&english, "NewHong"), QStringLiteral("Fine"));
    english.showFirstText();
    QCOMPARE(labelText(&english), QStringLiteral("Pick a macro"));
    english.showSecondText();
    QCOMPARE(labelText(&english), QStringLiteral("Stop first"));

    MacroSettings::instance()->writeString(QStringLiteral("Language"), QStringLiteral("Language"), QStringLiteral("7"));
    g_language = 0;
    ExeIsRun arabic;
    QCOMPARE(labelText(&arabic), QStringLiteral("Arabic running"));
    // Its only language switch is SigChangeLanguage; SigAllLanguage does nothing.
    PostMsg::instance()->postAllLanguage(0);
    QCOMPARE(labelText(&arabic), QStringLiteral("Arabic running"));
    emit PostMsg::instance()->SigChangeLanguage(0);
    QCOMPARE(labelText(&arabic), QStringLiteral("Already running"));
    QVERIFY(execWith(arabic, [](QWidget *w) { click(w, "NewHong"); }));
}

void TestDialogs::exeIsRunFileVariants()
{
    usePicturesIn(m_dir->path());
    setProgramDirOverride(m_dir->path());
    const QString file = m_dir->path() + "/Language/0-English.xml";
    const struct {
        const char *what;
        QByteArray xml;
        QString label;
        QString first;
        QString ok;
    } cases[] = {
        {"no file", QByteArray(), kFormLabel, QString(), QString::fromUtf8("确定")},
        {"wrong root", "<Profile><EXEIsRun><label>x</label></EXEIsRun></Profile>", kFormLabel, QString(),
         QString::fromUtf8("确定")},
        {"no label_2", "<Total><EXEIsRun><label>L</label></EXEIsRun></Total>", "L", QString(), QString::fromUtf8("确定")},
        {"two pages", "<Total><EXEIsRun><label>A</label><label_2>one</label_2></EXEIsRun>"
                      "<EXEIsRun><label>B</label><NewHong>O</NewHong></EXEIsRun></Total>", "B", "one", "O"},
        {"error keeps earlier", "<Total><EXEIsRun><label>A</label><NewHong><b/></NewHong><label_2>z</label_2>"
                                "</EXEIsRun></Total>", "A", QString(), QString::fromUtf8("确定")},
    };
    for (const auto &c : cases) {
        QFile::remove(file);
        if (!c.xml.isEmpty())
            writeFile(file, c.xml);
        ExeIsRun notice;
        QVERIFY2(labelText(&notice) == c.label, c.what);
        QVERIFY2(buttonText(&notice, "NewHong") == c.ok, c.what);
        notice.showFirstText();
        QVERIFY2(labelText(&notice) == c.first, c.what);
    }
    // An index that names no language file reads nothing.
    MacroSettings::instance()->writeString(QStringLiteral("Language"), QStringLiteral("Language"), QStringLiteral("20"));
    writeFile(file, "<Total><EXEIsRun><label>L</label></EXEIsRun></Total>");
    ExeIsRun notice;
    QCOMPARE(labelText(&notice), kFormLabel);
}

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"

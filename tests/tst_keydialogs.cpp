// The key-entry dialogs: the combination, the single key, rapid fire and
// delay, driven as a user drives them (keys through the keyboard hook,
// clicks on their buttons).
#include "adddelaytime.h"
#include "addkey.h"
#include "firekey.h"
#include "groupkey.h"
#include "groupmaxthree.h"
#include "keyboardhook.h"
#include "languageloader.h"
#include "testsupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

int vkOf(const QString &name)
{
    static const QMap<QString, int> named = {{"F1", 0x70},     {"Num+", 0x6B}, {"Shift", 0xA0}, {"Space", 0x20},
                                             {"Esc", 0x1B},    {"F12", 0x7B},  {"F13", 0x7C},   {"RAlt", 0xA5},
                                             {"LShift", 0xA0}, {"Left", 0x25}, {"Bslash", 0xDC}, {"Clear", 0x0C},
                                             {"LCtrl", 0xA2},  {"RCtrl", 0xA3}};
    return named.value(name, name.at(0).unicode());
}

void key(quintptr message, int vk)
{
    LowLevelKeyRecord r;
    r.vkCode = quint32(vk);
    dispatchLowLevelKey(kKeyHookAction, message, r);
}

void showInFront(QWidget &w)
{
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
}

QToolButton *button(QWidget &w, const char *name)
{
    return w.findChild<QToolButton *>(QLatin1String(name));
}

// Runs `d` modally and does `action` on it once it is in front; false when
// it was still open after two seconds (it is then closed).
bool execWith(QDialog &d, const std::function<void()> &action, int *result = nullptr)
{
    bool inTime = true;
    QTimer::singleShot(0, &d, [&] {
        QVERIFY(QTest::qWaitForWindowActive(&d));
        action();
    });
    QTimer::singleShot(2000, &d, [&] {
        inTime = false;
        d.done(0);
    });
    const int r = d.exec();
    if (result)
        *result = r;
    return inTime;
}

} // namespace

class TestKeyDialogs : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        LanguageLoader().LanguageTextLoader();
    }
    void init()
    {
        resetAllGlobals();
        resetKeyHooks();
    }

    // Steps: a key name pressed and released, "@ms" the time it is pressed
    // at, "~" pressed and held.
    void combinationKeys_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("line");
        QTest::newRow("three keys") << "Q W E" << "Q+W+E";
        QTest::newRow("a fourth starts over") << "Q W E R" << "R";
        QTest::newRow("pause over two seconds") << "A B@2100" << "B";
        QTest::newRow("within two seconds") << "A B@1900" << "A+B";
        QTest::newRow("held key once") << "A~ A~ A" << "A";
        QTest::newRow("a key already in") << "A B A" << "A+B";
        QTest::newRow("digit after F1") << "F1 1" << "F1+1";
        QTest::newRow("S after Space") << "Space S" << "Space+S";
        QTest::newRow("E after Esc") << "Esc E" << "Esc+E";
        QTest::newRow("Num+ is one key") << "Num+ A B" << "Num++A+B";
        QTest::newRow("Num+ then a fourth") << "Num+ A B C" << "C";
        QTest::newRow("modifier key names nothing") << "Shift A" << "A";
        QTest::newRow("nameless fourth empties") << "Q W E F13" << "";
        QTest::newRow("a modifier is a box, not a fourth key") << "Q W E Shift" << "Q+W+E";
    }
    void combinationKeys()
    {
        QFETCH(QString, steps);
        QFETCH(QString, line);
        GroupKey d;
        qint64 now = 0;
        d.setClock([&now] { return now; });
        showInFront(d);
        for (QString s : steps.split(' ')) {
            const bool held = s.endsWith('~');
            s.remove('~');
            if (s.contains('@')) {
                now = s.section('@', 1).toLongLong();
                s = s.section('@', 0, 0);
            }
            key(kKeyMsgDown, vkOf(s));
            if (!held)
                key(kKeyMsgUp, vkOf(s));
        }
        QCOMPARE(d.findChild<QLineEdit *>("lineEdit")->text(), line);
    }

    void combinationResult_data()
    {
        QTest::addColumn<QString>("boxes");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("result");   // "notice": the at-most-three notice
        QTest::newRow("boxes in fixed order") << "Ctrl Shift" << "A" << "Shift+Ctrl+A";
        QTest::newRow("right-hand boxes") << "RShift RCtrl" << "" << "Right Ctrl+Right Shift";
        QTest::newRow("nothing") << "" << "" << "";
        QTest::newRow("keys only") << "" << "Q W E" << "Q+W+E";
        QTest::newRow("Num+ counts once") << "RAlt" << "Num+ A" << "Right Alt+Num++A";
        QTest::newRow("three boxes and a key") << "Shift Ctrl Alt" << "A" << "notice";
        QTest::newRow("two boxes, two keys") << "Win RAlt" << "A B" << "notice";
        QTest::newRow("modifiers typed tick their boxes") << "" << "LCtrl LShift A" << "Shift+Ctrl+A";
        QTest::newRow("right-hand modifiers typed") << "" << "RAlt RCtrl Z" << "Right Ctrl+Right Alt+Z";
        QTest::newRow("typed modifiers count") << "Alt" << "LCtrl LShift A" << "notice";
    }
    void combinationResult()
    {
        QFETCH(QString, boxes);
        QFETCH(QString, keys);
        QFETCH(QString, result);
        GroupKey d;
        showInFront(d);
        for (const QString &b : boxes.split(' ', Qt::SkipEmptyParts))
            d.findChild<QCheckBox *>(b)->setChecked(true);
        for (const QString &k : keys.split(' ', Qt::SkipEmptyParts)) {
            key(kKeyMsgDown, vkOf(k));
            key(kKeyMsgUp, vkOf(k));
        }
        bool noticeShown = false;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (QWidget *notice = qobject_cast<GroupMaxThree *>(QApplication::activeModalWidget())) {
                poll.stop();
                noticeShown = true;
                QTest::mouseClick(button(*notice, "NewHong"), Qt::LeftButton);
            }
        });
        poll.start(5);
        QTest::mouseClick(button(d, "NewHong"), Qt::LeftButton);
        QCOMPARE(noticeShown, result == "notice");
        if (noticeShown) {
            // The dialog stays open with an empty line and still hears keys.
            QVERIFY(d.isVisible());
            QVERIFY(!d.m_accepted);
            QVERIFY(QTest::qWaitForWindowActive(&d));
            key(kKeyMsgDown, 'Z');
            QCOMPARE(d.findChild<QLineEdit *>("lineEdit")->text(), QStringLiteral("Z"));
        } else {
            QVERIFY(!d.isVisible());
            QCOMPARE(int(d.m_accepted), 1);
            QCOMPARE(d.m_resultText, result);
            QVERIFY(!g_groupKeyHookHandle);
        }
    }

    // A key typed in the window reaches the line once, through the hook;
    // Escape is a key to enter, not a way out.
    void typedKeysEnterOnce()
    {
        GroupKey group;
        showInFront(group);
        QTest::keyClick(group.windowHandle(), Qt::Key_Q);
        QTest::keyClick(group.windowHandle(), Qt::Key_Escape);
        QCOMPARE(group.findChild<QLineEdit *>("lineEdit")->text(), QStringLiteral("Q+Esc"));
        QVERIFY(group.isVisible());
        group.close();

        addKey single;
        showInFront(single);
        QTest::keyClick(single.windowHandle(), Qt::Key_W);
        QCOMPARE(single.findChild<QLineEdit *>("lineEdit")->text(), QStringLiteral("W"));
        QTest::keyClick(single.windowHandle(), Qt::Key_Escape);
        QVERIFY(single.isVisible());
        QCOMPARE(single.m_keyName, QStringLiteral("Esc"));
    }

    // F10 and the keys pressed with Alt held are keys to enter like any
    // other, and Alt ticks its box.
    void systemKeys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("alt");
        QTest::addColumn<QString>("combination");   // the combination dialog's result
        QTest::addColumn<QString>("single");        // the single-key dialog's name while held
        QTest::newRow("F10") << int(Qt::Key_F10) << false << "F10" << "F10";
        QTest::newRow("Alt+A") << int(Qt::Key_A) << true << "Alt+A" << "A";
        QTest::newRow("Alt+F4") << int(Qt::Key_F4) << true << "Alt+F4" << "F4";
    }
    void systemKeys()
    {
        QFETCH(int, key);
        QFETCH(bool, alt);
        QFETCH(QString, combination);
        QFETCH(QString, single);
        const Qt::KeyboardModifiers held = alt ? Qt::AltModifier : Qt::NoModifier;
        GroupKey group;
        showInFront(group);
        QTest::keyClick(group.windowHandle(), Qt::Key(key), held);
        QTest::mouseClick(button(group, "NewHong"), Qt::LeftButton);
        QCOMPARE(group.m_resultText, combination);

        addKey one;
        showInFront(one);
        QTest::keyPress(one.windowHandle(), Qt::Key(key), held);
        QCOMPARE(one.m_keyName, single);
        QTest::keyRelease(one.windowHandle(), Qt::Key(key), held);
        QVERIFY(one.isVisible());
    }

    void singleKeyNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("shown");
        for (const char *same : {"A", "7", "LShift", "RAlt", "Esc", "F12", "Num+"})
            QTest::newRow(same) << same << same;
        QTest::newRow("arrow") << "Left" << "←";
        QTest::newRow("backslash") << "Bslash" << "\\";
        QTest::newRow("F13") << "F13" << "";
        QTest::newRow("keypad 5 without Num Lock") << "Clear" << "";
    }
    void singleKeyNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, shown);
        addKey d;
        showInFront(d);
        auto *line = d.findChild<QLineEdit *>("lineEdit");
        QTest::keyClicks(line, "x");   // typed into the field past the hook: removed at once
        QCOMPARE(line->text(), QString());
        key(kKeyMsgDown, 'Q');
        key(kKeyMsgDown, vkOf(name));
        key(kKeyMsgUp, vkOf(name));
        QCOMPARE(d.findChild<QLineEdit *>("lineEdit")->text(), shown);
        QCOMPARE(d.m_keyName, shown);
    }

    // Every way out ends the hook; only OK accepts. A dialog that is gone
    // hears nothing, even through a callback copied while it lived.
    void singleKeyEndings_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("result");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("OK") << "NewHong" << int(QDialog::Accepted) << true;
        QTest::newRow("Cancel") << "NewHong_2" << int(QDialog::Rejected) << false;
        QTest::newRow("close button") << "CloseButton" << int(QDialog::Rejected) << false;
        QTest::newRow("window closed") << "" << int(QDialog::Rejected) << false;
    }
    void singleKeyEndings()
    {
        QFETCH(QString, how);
        QFETCH(int, result);
        QFETCH(bool, accepted);
        std::unique_ptr<addKey> d(new addKey);
        int r = -1;
        QVERIFY(execWith(*d, [&] {
            key(kKeyMsgDown, 'K');
            if (how.isEmpty())
                d->close();
            else
                QTest::mouseClick(button(*d, how.toLatin1().constData()), Qt::LeftButton);
        }, &r));
        QCOMPARE(r, result);
        QCOMPARE(d->m_accepted, accepted);
        QCOMPARE(d->m_keyName, QStringLiteral("K"));
        QVERIFY(!g_addKeyHookHandle);
        QVERIFY(!g_addKeyHookCallback);

        KeyHookCallback stale;
        {
            GroupKey gone;   // never shown, never closed
            stale = g_groupKeyHookCallback;
        }
        QVERIFY(!g_groupKeyHookHandle);
        QVERIFY(!g_groupKeyHookCallback);
        stale(0x41, true, false);   // reaches nothing
    }

    void rapidFire_data()
    {
        QTest::addColumn<int>("presetCount");
        QTest::addColumn<int>("presetInterval");
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("count");      // after the dialog
        QTest::addColumn<int>("interval");
        QTest::newRow("presets kept") << 2 << 40 << "NewHong" << 2 << 40;
        QTest::newRow("count 0 is a choice") << 0 << 255 << "NewHong" << 0 << 255;
        QTest::newRow("clamped high") << 5 << 300 << "NewHong" << 3 << 255;
        QTest::newRow("clamped low") << -1 << 5 << "NewHong" << 0 << 10;
        QTest::newRow("cancel keeps start values") << 1 << 99 << "NewHong_2" << 3 << 10;
        QTest::newRow("close keeps start values") << 1 << 99 << "CloseButton" << 3 << 10;
    }
    void rapidFire()
    {
        QFETCH(int, presetCount);
        QFETCH(int, presetInterval);
        QFETCH(QString, how);
        QFETCH(int, count);
        QFETCH(int, interval);
        FireKey d;
        QCOMPARE(d.size(), QSize(406, 170));
        d.setCount(presetCount);
        d.setInterval(presetInterval);
        QVERIFY(execWith(d, [&] { QTest::mouseClick(button(d, how.toLatin1().constData()), Qt::LeftButton); }));
        QCOMPARE(d.accepted, how == "NewHong");
        QCOMPARE(d.count, count);
        QCOMPARE(d.interval, interval);
    }

    void delay_data()
    {
        QTest::addColumn<QString>("preset");   // null: no preset
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("accepted");
        QTest::addColumn<int>("value");
        QTest::newRow("start value") << QString() << "NewHong" << 1 << 10;
        QTest::newRow("row value") << "250" << "NewHong" << 1 << 250;
        QTest::newRow("zero") << "0" << "NewHong" << 1 << 0;
        QTest::newRow("above the range") << "70000" << "NewHong" << 1 << 65535;
        QTest::newRow("far above the range") << "99999999999" << "NewHong" << 1 << 65535;
        QTest::newRow("not a number") << "1O" << "NewHong" << 1 << 0;
        QTest::newRow("cancel") << "250" << "NewHong_2" << 0 << 0;
        QTest::newRow("close") << "250" << "CloseButton" << 0 << 0;
    }
    void delay()
    {
        QFETCH(QString, preset);
        QFETCH(QString, how);
        QFETCH(int, accepted);
        QFETCH(int, value);
        AddDelayTime d;
        if (!preset.isNull())
            d.setValueText(preset);
        QVERIFY(execWith(d, [&] { QTest::mouseClick(button(d, how.toLatin1().constData()), Qt::LeftButton); }));
        QCOMPARE(int(d.m_accepted), accepted);
        QCOMPARE(d.m_value, value);
    }

    // The shipped texts in both languages, and none cut by its widget. With
    // QUZ_SHOT_DIR set, each dialog is also saved as a picture.
    void textsFit_data()
    {
        QTest::addColumn<int>("language");
        QTest::newRow("English") << 0;
        QTest::newRow("Chinese") << 1;
    }
    void textsFit()
    {
        QFETCH(int, language);
        g_language = language;
        // The dialogs open on the device page, after a device's colours came.
        g_themeLinEditColor = QStringList({"32", "36", "44"});
        std::vector<std::unique_ptr<QDialog>> dialogs;
        dialogs.emplace_back(new GroupKey);
        dialogs.emplace_back(new addKey);
        dialogs.emplace_back(new FireKey);
        dialogs.emplace_back(new AddDelayTime);
        const QString shots = qEnvironmentVariable("QUZ_SHOT_DIR");
        for (auto &d : dialogs) {
            d->show();
            QVERIFY(QTest::qWaitForWindowExposed(d.get()));
            QVERIFY(!d->findChild<QLabel *>("label")->text().isEmpty());
            QCOMPARE(button(*d, "NewHong")->text(), langText(g_langQuestion, language, 2));
            for (QWidget *w : d->findChildren<QWidget *>()) {
                QString text;
                if (auto *l = qobject_cast<QLabel *>(w))
                    text = l->wordWrap() ? QString() : l->text();
                else if (auto *b = qobject_cast<QAbstractButton *>(w))
                    text = b->text();
                const int room = qobject_cast<QCheckBox *>(w) ? w->width() - 20 : w->width();
                QVERIFY2(w->fontMetrics().horizontalAdvance(text) <= room,
                         qPrintable(d->objectName() + "/" + w->objectName() + ": " + text));
            }
            if (!shots.isEmpty())
                d->grab().save(shots + "/" + d->objectName() + "-" + QString::number(language) + ".png");
        }
        QCOMPARE(dialogs[2]->findChild<QLabel *>("label_2")->text(), langText(g_langFireKey, language, 1));
        QCOMPARE(button(*dialogs[3], "NewHong_2")->text(), langText(g_langQuestion, language, 3));
    }
};

QTEST_MAIN(TestKeyDialogs)
#include "tst_keydialogs.moc"

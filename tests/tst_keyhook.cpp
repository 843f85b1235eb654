// The keyboard hook services and the layer under them: what a callback
// hears for a sequence of key messages, the chain, the key numbering, and a
// real key event on its way through a window.
#include "keyboardhook.h"
#include "keyhooklayer.h"
#include "testsupport.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QWindow>
#include <QtTest>

#include <memory>

namespace {

QStringList s_heard;    // "vk+repeat" for a key down, "vk-repeat" for a key up (vk in hex)
QStringList s_procs;    // names of the test procedures in the order they ran

void hear(int vk, bool down, bool repeat)
{
    s_heard << QString::number(vk, 16) + (down ? "+" : "-") + QString::number(repeat);
}

std::unique_ptr<KeyHookService> service(int kind, KeyHookCallback **callback)
{
    switch (kind) {
    case 1: *callback = &g_addKeyHookCallback; return std::unique_ptr<KeyHookService>(new AddKeyHook);
    case 2: *callback = &g_groupKeyHookCallback; return std::unique_ptr<KeyHookService>(new GroupKeyHook);
    default: *callback = &g_keyHookCallback; return std::unique_ptr<KeyHookService>(new KeyboardHook);
    }
}

void send(int code, quintptr message, quint32 vk)
{
    LowLevelKeyRecord r;
    r.vkCode = vk;
    dispatchLowLevelKey(code, message, r);
}

// Steps "d41" (key down, vk 0x41), "u41" (up), "D41"/"U41" (with Alt
// held), "x41" (a key down handed on with a code other than the action).
void play(const QString &steps)
{
    for (const QString &s : steps.split(' ', Qt::SkipEmptyParts)) {
        const quint32 vk = s.mid(1).toUInt(nullptr, 16);
        const QChar m = s.at(0);
        const quintptr msg = m == 'u' ? kKeyMsgUp : m == 'D' ? kKeyMsgSysDown : m == 'U' ? kKeyMsgSysUp : kKeyMsgDown;
        send(m == 'x' ? 1 : kKeyHookAction, msg, vk);
    }
}

// Takes a test's own hook out again however the test ends.
struct OwnHook {
    LowLevelKeyHook hook;
    ~OwnHook() { removeLowLevelKeyHook(hook); }
};

LowLevelKeyHook s_selfRemoving = nullptr, s_victim = nullptr, s_late = nullptr;
qintptr procLate(int c, quintptr m, const LowLevelKeyRecord *r)
{
    s_procs << "late";
    return callNextLowLevelKeyHook(s_late, c, m, r);
}
qintptr procVictim(int c, quintptr m, const LowLevelKeyRecord *r)
{
    s_procs << "victim";
    return callNextLowLevelKeyHook(s_victim, c, m, r);
}
qintptr procEnd(int, quintptr, const LowLevelKeyRecord *)
{
    s_procs << "end";
    return 7;
}
// Removes itself and the hook after it, adds one in front, passes on.
qintptr procRemoving(int c, quintptr m, const LowLevelKeyRecord *r)
{
    s_procs << "removing";
    removeLowLevelKeyHook(s_selfRemoving);
    removeLowLevelKeyHook(s_victim);
    s_late = installLowLevelKeyHook(procLate);
    return callNextLowLevelKeyHook(nullptr, c, m, r);
}

} // namespace

class TestKeyHook : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        resetAllGlobals();
        resetKeyHooks();
        s_heard.clear();
        s_procs.clear();
        m_front.reset(new QWidget);
        m_front->show();
        m_front->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_front.get()));
    }
    void cleanup()
    {
        resetKeyHooks();
        m_front.reset();
    }

    void procedure_data()
    {
        QTest::addColumn<int>("kind");   // 0 page, 1 single key, 2 combination
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("heard");
        for (int kind = 0; kind < 3; ++kind) {
            QTest::addRow("%d press, repeat, release", kind) << kind << "d41 d41 u41" << "41+0 41+1 41-0";
            QTest::addRow("%d two keys", kind) << kind << "d41 d42 u41 d42 u42" << "41+0 42+0 41-0 42+0 42-0";
            QTest::addRow("%d other code passes on unheard", kind) << kind << "x41 d41" << "41+0";
        }
        // Alt, keys with Alt held and F10 (system-key messages) go down for
        // everyone; a release keeps the key as the last one for the page only.
        const QString altAndF10 = "DA4 D41 U41 D41 uA4 D79 U79";
        QTest::newRow("page Alt, F10") << 0 << altAndF10 << "a4+0 41+0 41-1 41+1 a4-0 79+0 79-1";
        QTest::newRow("single key Alt, F10") << 1 << altAndF10 << "a4+0 41+0 41-0 41+0 a4-0 79+0 79-0";
        QTest::newRow("combination Alt, F10") << 2 << altAndF10 << "a4+0 41+0 41-0 41+0 a4-0 79+0 79-0";
    }
    void procedure()
    {
        QFETCH(int, kind);
        QFETCH(QString, steps);
        QFETCH(QString, heard);
        KeyHookCallback *callback = nullptr;
        auto s = service(kind, &callback);
        s->install();
        *callback = hear;
        play(steps);
        QCOMPARE(s_heard.join(' '), heard);
    }

    void inFrontOnlyButAlwaysPassedOn()
    {
        const OwnHook end{installLowLevelKeyHook(procEnd)};
        KeyboardHook page;
        page.InstallKeyboardHook();
        g_keyHookCallback = hear;
        m_front.reset();   // another program in front
        QTRY_VERIFY(!QGuiApplication::focusWindow());
        play("d41 u41");
        QVERIFY(s_heard.isEmpty());
        QCOMPARE(s_procs, QStringList({"end", "end"}));
        m_front.reset(new QWidget);
        m_front->show();
        m_front->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_front.get()));
        LowLevelKeyRecord r;
        r.vkCode = 0x41;
        QCOMPARE(dispatchLowLevelKey(kKeyHookAction, kKeyMsgDown, r), qintptr(7));
        QCOMPARE(s_heard, QStringList("41+0"));
    }

    void installAndRemoveAreIdempotent_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("page") << 0;
        QTest::newRow("single key") << 1;
        QTest::newRow("combination") << 2;
    }
    void installAndRemoveAreIdempotent()
    {
        QFETCH(int, kind);
        KeyHookCallback *callback = nullptr;
        auto first = service(kind, &callback);
        auto second = service(kind, &callback);
        first->install();
        second->install();   // the same service: replaces, never doubles
        *callback = hear;
        play("d41");
        QCOMPARE(s_heard, QStringList("41+0"));
        first->remove();
        first->remove();
        play("d42");
        QCOMPARE(s_heard.size(), 1);
        QVERIFY(*callback);   // a plain remove keeps the binding
        second->release();
        QVERIFY(!*callback);
    }

    void chainChangesDuringAKey()
    {
        const OwnHook end{installLowLevelKeyHook(procEnd)};
        s_victim = installLowLevelKeyHook(procVictim);
        s_selfRemoving = installLowLevelKeyHook(procRemoving);
        play("d41");
        // The hook added while the key travels waits for the next key; the
        // removed one is skipped at once.
        // A hook that removed itself still hands the key on.
        QCOMPARE(s_procs, QStringList({"removing", "end"}));
        play("d42");
        QCOMPARE(s_procs, QStringList({"removing", "end", "late", "end"}));
        QVERIFY(!removeLowLevelKeyHook(s_victim));
        QVERIFY(removeLowLevelKeyHook(s_late));
        QVERIFY(!removeLowLevelKeyHook(nullptr));
    }

    void keyNumbers_data()
    {
        QTest::addColumn<bool>("press");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("x11KeyCode");   // 0: no native scan code
        QTest::addColumn<bool>("autoRepeat");
        QTest::addColumn<int>("vk");
        QTest::addColumn<int>("message");      // 0: not delivered
        const int shift = Qt::ShiftModifier, pad = Qt::KeypadModifier, alt = Qt::AltModifier;
        QTest::newRow("letter") << true << int(Qt::Key_Q) << 0 << 0 << false << 0x51 << 0x100;
        QTest::newRow("shifted 1") << true << int(Qt::Key_Exclam) << shift << 0 << false << 0x31 << 0x100;
        QTest::newRow("shifted 0") << true << int(Qt::Key_ParenRight) << shift << 0 << false << 0x30 << 0x100;
        QTest::newRow("shifted quote") << true << int(Qt::Key_QuoteDbl) << shift << 0 << false << 0xDE << 0x100;
        QTest::newRow("keypad 7") << true << int(Qt::Key_7) << pad << 0 << false << 0x67 << 0x100;
        QTest::newRow("keypad plus") << true << int(Qt::Key_Plus) << pad << 0 << false << 0x6B << 0x100;
        QTest::newRow("main plus") << true << int(Qt::Key_Plus) << shift << 0 << false << 0xBB << 0x100;
        QTest::newRow("keypad 5 no NumLock") << true << int(Qt::Key_Clear) << pad << 0 << false << 0x0C << 0x100;
        QTest::newRow("Shift") << true << int(Qt::Key_Shift) << 0 << 0 << false << 0xA0 << 0x100;
        QTest::newRow("unknown") << true << int(Qt::Key_VolumeUp) << 0 << 0 << false << 0xFF << 0x100;
        QTest::newRow("x11 shifted 1") << true << int(Qt::Key_Exclam) << shift << 10 << false << 0x31 << 0x100;
        QTest::newRow("x11 left Shift") << true << int(Qt::Key_Shift) << 0 << 50 << false << 0xA0 << 0x100;
        QTest::newRow("x11 right Shift") << true << int(Qt::Key_Shift) << 0 << 62 << false << 0xA1 << 0x100;
        QTest::newRow("x11 right Ctrl") << true << int(Qt::Key_Control) << 0 << 105 << false << 0xA3 << 0x100;
        QTest::newRow("x11 right Alt") << true << int(Qt::Key_AltGr) << 0 << 108 << false << 0xA5 << 0x104;
        QTest::newRow("x11 right Super") << true << int(Qt::Key_Super_R) << 0 << 134 << false << 0x5C << 0x100;
        QTest::newRow("x11 Menu") << true << int(Qt::Key_Menu) << 0 << 135 << false << 0x5D << 0x100;
        QTest::newRow("x11 keypad 5 NumLock") << true << int(Qt::Key_5) << pad << 84 << false << 0x65 << 0x100;
        QTest::newRow("x11 keypad 5 no NumLock") << true << int(Qt::Key_Clear) << pad << 84 << false << 0x0C << 0x100;
        QTest::newRow("x11 keypad 1 as End") << true << int(Qt::Key_End) << pad << 87 << false << 0x23 << 0x100;
        QTest::newRow("x11 keypad Enter") << true << int(Qt::Key_Enter) << pad << 104 << false << 0x0D << 0x100;
        QTest::newRow("x11 unknown code") << true << int(Qt::Key_F13) << 0 << 250 << false << 0x7C << 0x100;
        QTest::newRow("Alt held down") << true << int(Qt::Key_A) << alt << 38 << false << 0x41 << 0x104;
        QTest::newRow("Alt held up") << false << int(Qt::Key_A) << alt << 38 << false << 0x41 << 0x105;
        QTest::newRow("Alt itself up") << false << int(Qt::Key_Alt) << alt << 64 << false << 0xA4 << 0x101;
        QTest::newRow("F10") << true << int(Qt::Key_F10) << 0 << 76 << false << 0x79 << 0x104;
        QTest::newRow("repeat press") << true << int(Qt::Key_A) << 0 << 38 << true << 0x41 << 0x100;
        QTest::newRow("repeat release") << false << int(Qt::Key_A) << 0 << 38 << true << 0 << 0;
    }
    void keyNumbers()
    {
        QFETCH(bool, press);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(int, x11KeyCode);
        QFETCH(bool, autoRepeat);
        QFETCH(int, vk);
        QFETCH(int, message);
        const QKeyEvent e(press ? QEvent::KeyPress : QEvent::KeyRelease, key, Qt::KeyboardModifiers(modifiers),
                          quint32(x11KeyCode), 0, 0, QString(), autoRepeat);
        quintptr msg = 0;
        LowLevelKeyRecord r;
        QCOMPARE(lowLevelKeyFromEvent(e, true, &msg, &r), message != 0);
        QCOMPARE(int(msg), message);
        QCOMPARE(int(r.vkCode), vk);
    }

    // A real key event, as the window system delivers it: the hook hears it
    // once (not again for each widget it passes), before the focused widget.
    void realKeyEventHeardOnceBeforeTheWidget()
    {
        QWidget window;
        auto *layout = new QVBoxLayout(&window);
        auto *field = new QLineEdit;
        layout->addWidget(field);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        field->setFocus();
        KeyboardHook page;
        page.InstallKeyboardHook();
        g_keyHookCallback = [field](int vk, bool down, bool repeat) {
            hear(vk, down, repeat);
            field->setReadOnly(down);   // as the key fields do: the key types nothing
        };
        QTest::keyClick(window.windowHandle(), Qt::Key_Q);
        QCOMPARE(s_heard, QStringList({"51+0", "51-0"}));
        QCOMPARE(field->text(), QString());
        page.RemoveKeyboardHook();
        QTest::keyClick(window.windowHandle(), Qt::Key_Q);
        QCOMPARE(field->text(), QStringLiteral("q"));
        QCOMPARE(s_heard.size(), 2);
    }

private:
    std::unique_ptr<QWidget> m_front;
};

QTEST_MAIN(TestKeyHook)
#include "tst_keyhook.moc"

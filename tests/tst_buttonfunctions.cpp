// Giving the mouse's buttons their functions: every menu entry for every
// button reaches the simulated mouse byte for byte, labels the button as the
// page shows it again after reading the device, and is stored by the page;
// the last left click stays; nothing changes while the mouse is away.

#include "buttoninterface.h"
#include "deviceevent.h"
#include "devicestate.h"
#include "globals.h"
#include "keytables.h"
#include "macroblock.h"
#include "macrofile.h"
#include "macrokeys.h"
#include "postmsg.h"
#include "testsupport.h"

#include <HIDUsb.h>
#include <hidusb_sim.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <cstring>
#include <functional>
#include <memory>

namespace {

const char kMouse[] = "M1";
constexpr int kDevice[6] = {0, 1, 2, 4, 3, 5};
const QString kFive = QStringLiteral("     ");
const QString kEight = QStringLiteral("        ");

void ignoreEvents(const unsigned char *, int, const unsigned char *, unsigned int) {}

// Text p of the page's language is "B<p>"; action texts get three blanks.
QString menuText(int position) { return "   B" + QString::number(position); }

QByteArray mouseImage()
{
    QByteArray image(kFlashDataMapSize, '\0');
    if (!hidsim::waitIdle() || !hidsim::storedImage(kMouse, reinterpret_cast<unsigned char *>(image.data())))
        return QByteArray();
    return image;
}

QByteArray keyRecord(const QList<QByteArray> &events)
{
    QByteArray r(4, '\0');
    r[0] = char(events.size());
    for (const QByteArray &e : events)
        r += QByteArray::fromHex(e) + QByteArray::fromHex("0a000000");
    return r.leftJustified(52, '\0');
}

// Answers the modal dialogs a choice opens and names each one that opened.
struct ModalAnswers : QObject {
    QStringList seen;
    QString answer;   // rapid fire "interval,count"; combination "Ctrl+C"
    QString fireShown;   // "interval,count" the rapid-fire dialog opened with
    QTimer timer;
    QWidget *current = nullptr;
    ModalAnswers()
    {
        connect(&timer, &QTimer::timeout, this, [this] {
            QWidget *w = QApplication::activeModalWidget();
            if (!w || w == current)
                return;
            current = w;
            seen << w->metaObject()->className();
            if (seen.last() == "FireKey")
                fireShown = QString("%1,%2").arg(w->findChild<QSpinBox *>("Time")->value())
                                .arg(w->findChild<QSpinBox *>("Count")->value());
            if (answer == "cancel") {
                w->close();
                return;
            }
            if (seen.last() == "FireKey") {
                w->findChild<QSpinBox *>("Time")->setValue(answer.section(',', 0, 0).toInt());
                w->findChild<QSpinBox *>("Count")->setValue(answer.section(',', 1).toInt());
            } else if (seen.last() == "GroupKey") {
                QStringList keys;
                for (const QString &part : combinationTokens(answer)) {
                    if (auto *box = w->findChild<QCheckBox *>(part))
                        box->setChecked(true);
                    else
                        keys << part;
                }
                w->findChild<QLineEdit *>("lineEdit")->setText(keys.join('+'));
            } else if (seen.last() == "MacroList") {
                auto *list = w->findChild<QListWidget *>("listWidgetHong");
                const auto rows = list->findItems(answer, Qt::MatchExactly);
                list->setCurrentItem(rows.value(0));
                w->findChild<QPushButton *>("OK")->click();
                return;
            } else {
                w->close();
                return;
            }
            w->findChild<QToolButton *>("NewHong")->click();
        });
        timer.start(5);
    }
};

MacroRows macroRows()
{
    return {macroRowForName("LCtrl", false, {}), macroRowForName("C", false, {}), macroRowForName("C", true, {})};
}

} // namespace

class TestButtonFunctions : public QObject
{
    Q_OBJECT

    QTemporaryDir stateDir;
    QByteArray receiverPath;
    std::unique_ptr<Buttoninterface> page;

    QString fireShown;   // of the last choice

    QPushButton *button(int menu) const { return page->buttonWidget(menu); }
    QStringList choose(int menu, const QString &entry, const QString &answer = QString())
    {
        ModalAnswers answers;
        answers.answer = answer;
        g_menuButtonIndex = menu;
        if (entry == "AssignConsumerKey")
            page->AssignConsumerKey(kDevice[menu], answer.toInt(nullptr, 16));
        else if (entry == "AssignCombinationKey")
            page->AssignCombinationKey(kDevice[menu], answer);
        else
            page->findChild<QAction *>(entry)->trigger();
        fireShown = answers.fireShown;
        return answers.seen;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(stateDir.isValid());
        registerDeviceMetaTypes();
        hidsim::setStateDir(stateDir.path().toLocal8Bit().constData());
    }
    void init()
    {
        resetDeviceBench();
        for (const char l : {'B', 'b'}) {
            QVector<QString> texts;
            for (int p = 0; p < 52; ++p)
                texts << QChar(l) + QString::number(p);
            g_langButtoninterface.append(texts);
        }
        QDir(userDataDir()).removeRecursively();
        page.reset(new Buttoninterface);   // its worker starts without a device
        receiverPath = QByteArray::fromStdString(hidsim::pathOf("R1"));
        g_deviceHandle = receiverPath.constData();
        QVERIFY(hidsim::storedImage(kMouse, reinterpret_cast<unsigned char *>(&g_flashDataMap)));
        UsbServerC_Start(g_deviceHandle, g_deviceHandle, ignoreEvents);
        page->SlotAllLanguage(0);   // labels: the mouse's own functions, left click on ButtonA
        g_uiWriteEnabled = 1;
        // Macro "ab" repeats 300 times, more than the device's byte holds.
        QVERIFY(QDir().mkpath(defaultMacroFolder()));
        QVERIFY(SaveMacroFile(defaultMacroFolder(), "ab", "300", macroRows()));
    }
    void cleanup()
    {
        page.reset();
        UsbServer_Exit();
        hidsim::waitIdle();
    }

    void everyEntryOnEveryButton_data();
    void everyEntryOnEveryButton();
    void choicesThatChangeNothing_data();
    void choicesThatChangeNothing();
};

void TestButtonFunctions::everyEntryOnEveryButton_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<int>("menu");
    QTest::addColumn<QByteArray>("function");   // hex
    QTest::addColumn<QByteArray>("record");     // empty: the mouse's own record stays
    QTest::addColumn<QString>("label");
    QTest::addColumn<QVector<int>>("stored");
    QTest::addColumn<QStringList>("dialogs");

    struct Entry {
        QString slot;
        int type, code, param, text;   // text: language position, -1 the DPI texts
        QByteArray record;
        QString answer = QString();
    };
    const QByteArray macroBlock(reinterpret_cast<const char *>(buildMacroBlock("ab", macroRows()).bytes()), 592);
    QVector<Entry> entries = {
        {"slotLeftKey", 1, 1, 0, 4, {}},     {"slotRightKey", 1, 2, 0, 5, {}},
        {"slotWheelKey", 1, 4, 0, 6, {}},    {"slotForwardKey", 1, 16, 0, 7, {}},
        {"slotBackKey", 1, 8, 0, 8, {}},     {"slotDisableKey", 0, 0, 0, 14, {}},
        {"slotDPILoopKey", 2, 1, 0, 9, {}},  {"slotDPIUpKey", 2, 2, 0, -1, {}},
        {"slotDPIDownKey", 2, 3, 0, -1, {}}, {"slotKeyWheelUp", 3, 1, 0, 15, {}},
        {"slotKeyWheelDown", 3, 2, 0, 16, {}}, {"slotPollingRateKey", 7, 0, 0, 10, {}},
        {"slotProfileSwitchKey", 4, 50, 2, 18, {}, "50,2"},
        {"slotKeyCombinationKey", 5, 0, 0, -1,
         keyRecord({"00000100", "00010600", "01010600", "01000100"}), "Ctrl+C"},
        {"slotKeyCombinationKey", 5, 0, 0, -1,
         keyRecord({"00000200", "00000100", "00010400", "01010400", "01000100", "01000200"}), "Shift+Ctrl+A"},
        {"slotMacroMenu", 6, -1, 44, -1, macroBlock, "ab"},
        {"AssignConsumerKey", 5, 0, 0, 28, keyRecord({"0002e900", "0102e900"}), "e9"},
        {"AssignConsumerKey", 5, 0, 0, 22, keyRecord({"00028301", "01028301"}), "83"},
        {"slotKeyCombinationKey", 5, 0, 0, -1, keyRecord({"00015700", "01015700"}), "Num+"},
    };
    const struct { const char *slot; int usage, text; } media[] = {
        {"slotMediaPlayerKey", 0x183, 22}, {"slotPlayPauseKey", 0xCD, 23}, {"slotNextKey", 0xB5, 24},
        {"slotMuteKey", 0xE2, 27},         {"slotPreviousKey", 0xB6, 25},  {"slotStopplayKey", 0xB7, 26},
        {"slotVoulumeupKey", 0xE9, 28},    {"slotVoulumedownKey", 0xEA, 29}, {"slotEmailKey", 0x18A, 30},
        {"slotCalculatorKey", 0x192, 31},  {"slotMycomputerKey", 0x194, 32}, {"slotHomePageKey", 0x223, 51},
        {"slotSearchKey", 0x221, 33},      {"slotStopWebKey", 0x226, 36},  {"slotRefreshKey", 0x227, 37},
        {"slotFavoritesKey", 0x22A, 38}};
    for (const auto &m : media) {
        const QByteArray code = QByteArray(1, char(m.usage & 0xFF)).toHex() + QByteArray(1, char(m.usage >> 8)).toHex();
        entries.append({m.slot, 5, 0, 0, m.text, keyRecord({"0002" + code, "0102" + code})});
    }
    for (int dpi = 100; dpi <= 1200; dpi += 100)   // the mouse's sensor has no code table
        entries.append({"slotKey" + QString::number(dpi), 10, dpi / 100 - 1, 0, -1, {}});

    for (const Entry &e : entries) {
        QString label = kFive + (e.text >= 0 ? menuText(e.text) : QString());
        if (e.type == 2 && e.text < 0)
            label = kFive + (e.code == 2 ? "   DPI+" : "   DPI-");
        if (e.type == 10)
            label = kFive + menuText(21) + "-" + QString::number((e.code + 1) * 100);
        if ((e.type == 5 || e.type == 6) && e.text < 0)
            label = kEight + (e.type == 6 ? "B48" : "") + e.answer;
        const QString dialog = e.type == 4                          ? "FireKey"
                               : e.type == 6                        ? "MacroList"
                               : e.slot == "slotKeyCombinationKey" ? "GroupKey"
                                                                    : "";
        for (int menu = 0; menu < 6; ++menu) {
            const int code = e.type == 6 ? kDevice[menu] : e.code;   // a macro runs the button's own block
            const QByteArray function = QByteArray(1, char(e.type)) + char(code) + char(e.param);
            QTest::addRow("%s %s on %c", qPrintable(e.slot), qPrintable(e.answer), 'A' + menu)
                << e.slot << e.answer << menu << function.toHex() << e.record << label
                << QVector<int>{e.type, code, e.type == 6 ? 300 : e.param}
                << (dialog.isEmpty() ? QStringList() : QStringList{dialog});
        }
    }
}

// The mouse holds the choice on the button's own device index (ButtonD is
// device button 4, ButtonE 3) and nothing else changes; the label is the
// same after the page reads the mouse again.
void TestButtonFunctions::everyEntryOnEveryButton()
{
    QFETCH(QString, entry);
    QFETCH(QString, answer);
    QFETCH(int, menu);
    QFETCH(QByteArray, function);
    QFETCH(QByteArray, record);
    QFETCH(QString, label);
    QFETCH(QVector<int>, stored);
    QFETCH(QStringList, dialogs);
    if (menu == 0)   // ButtonA may leave left click once another button has it
        QCOMPARE(choose(5, "slotLeftKey"), QStringList());
    const int k = kDevice[menu];
    QByteArray expected = mouseImage();
    expected.replace(74 + 3 * k, 3, QByteArray::fromHex(function));
    const int recordAt = record.size() == 592 ? 956 + 592 * k : 124 + 52 * k;
    if (!record.isEmpty())
        expected.replace(recordAt, record.size(), record);

    QCOMPARE(choose(menu, entry, answer), dialogs);
    if (entry == "slotProfileSwitchKey")   // the button had no rapid fire: the starting values
        QCOMPARE(fireShown, QString("10,3"));
    const QByteArray held = mouseImage();
    QCOMPARE(held.mid(74 + 3 * k, 3).toHex(), function);
    QCOMPARE(held.mid(recordAt, record.size()).toHex(' '), expected.mid(recordAt, record.size()).toHex(' '));
    QVERIFY(held == expected);
    QCOMPARE(button(menu)->text(), label);
    const auto f = page->storedButtonFunction(k);
    QCOMPARE((QVector<int>{f.type, f.code, f.param}), stored);

    FlashDataMap reread;
    std::memcpy(&reread, held.constData(), sizeof reread);
    page->SlotUpDataButtonUIButton(reread);
    QCOMPARE(button(menu)->text(), label);
    if (entry == "slotProfileSwitchKey") {   // chosen again: what the button holds
        QCOMPARE(choose(menu, entry, "cancel"), dialogs);
        QCOMPARE(fireShown, answer);
    }
}

void TestButtonFunctions::choicesThatChangeNothing_data()
{
    QTest::addColumn<QStringList>("labels");   // ButtonA..ButtonF; empty: the mouse's own
    QTest::addColumn<bool>("online");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<int>("menu");
    QTest::addColumn<QStringList>("dialogs");
    const QString L = kFive + menuText(4), R = kFive + menuText(5);
    const auto left = [&](int i, const QString &other = QString()) {
        QStringList l{R, R, R, R, R, R};
        l[i] = L;
        if (!other.isEmpty())
            l[i == 0 ? 1 : 0] = other;
        return l;
    };
    const QStringList notice{"LeftButtonOnly"}, none;
    // The only button that shows left click keeps it, whatever is chosen.
    QTest::newRow("only A: right") << left(0) << true << "slotRightKey" << "" << 0 << notice;
    QTest::newRow("only A: left again") << left(0) << true << "slotLeftKey" << "" << 0 << notice;
    QTest::newRow("only E: mute") << left(4) << true << "slotMuteKey" << "" << 4 << notice;
    QTest::newRow("only F: 800 DPI") << left(5) << true << "slotKey800" << "" << 5 << notice;
    QTest::newRow("eight blanks count") << QStringList{R, R, kEight + "B4", R, R, R} << true << "slotRightKey"
                                        << "" << 2 << notice;
    QTest::newRow("a combination is no left click") << left(1, kEight + "B4+C") << true << "slotDisableKey" << ""
                                                    << 1 << notice;
    QTest::newRow("only A: combination asks no keys") << left(0) << true << "slotKeyCombinationKey" << "Ctrl+C"
                                                      << 0 << notice;
    QTest::newRow("only A: rapid fire asks first") << left(0) << true << "slotProfileSwitchKey" << "20,1" << 0
                                                   << QStringList{"FireKey", "LeftButtonOnly"};
    // Nothing to write.
    QTest::newRow("no such consumer key") << none << true << "AssignConsumerKey" << "10" << 4 << none;
    QTest::newRow("four keys") << none << true << "AssignCombinationKey" << "Ctrl+Alt+A+B" << 4 << none;
    QTest::newRow("no menu button") << none << true << "slotRightKey" << "" << 6 << none;
    QTest::newRow("combination without keys") << none << true << "slotKeyCombinationKey" << "" << 4
                                              << QStringList{"GroupKey"};
    QTest::newRow("combination closed") << none << true << "slotKeyCombinationKey" << "cancel" << 4
                                        << QStringList{"GroupKey"};
    const QStringList chooser{"MacroList"};
    QTest::newRow("OK without a macro") << none << true << "slotMacroMenu" << "zz" << 4 << chooser;
    QTest::newRow("chooser closed") << none << true << "slotMacroMenu" << "cancel" << 4 << chooser;
    QTest::newRow("writing disabled") << none << true << "slotMacroMenu" << "ab" << 4 << chooser;
    QTest::newRow("only A: macro chosen first") << left(0) << true << "slotMacroMenu" << "ab" << 0
                                                << QStringList{"MacroList", "LeftButtonOnly"};
    QTest::newRow("rapid fire closed") << none << true << "slotProfileSwitchKey" << "cancel" << 4
                                       << QStringList{"FireKey"};
    // The mouse is away: one notice.
    const char *const offline[][2] = {{"slotBackKey", ""},   {"slotMuteKey", ""},
                                      {"slotKey400", ""},    {"slotKeyCombinationKey", "Ctrl+C"},
                                      {"slotProfileSwitchKey", "30,1"}, {"AssignConsumerKey", "e9"},
                                      {"AssignCombinationKey", "Ctrl+C"},
                                      {"slotMacroMenu", "ab"}};
    for (const auto &o : offline) {
        const QString e = o[0];
        const QStringList d = e == "slotKeyCombinationKey" ? QStringList{"GroupKey"}
                              : e == "slotProfileSwitchKey" ? QStringList{"FireKey"}
                              : e == "slotMacroMenu"        ? chooser
                                                            : none;
        QTest::addRow("offline %s", o[0]) << none << false << e << QString(o[1]) << 4 << d;
    }
}

// The mouse, the labels and the page's store stay as they were; an offline
// mouse is reported once.
void TestButtonFunctions::choicesThatChangeNothing()
{
    QFETCH(QStringList, labels);
    QFETCH(bool, online);
    QFETCH(QString, entry);
    QFETCH(QString, answer);
    QFETCH(int, menu);
    QFETCH(QStringList, dialogs);
    QVERIFY(hidsim::setOnline(kMouse, online));
    g_uiWriteEnabled = QByteArray(QTest::currentDataTag()) != "writing disabled";
    for (int i = 0; i < labels.size(); ++i)
        button(i)->setText(labels.at(i));
    const QByteArray before = mouseImage();
    labels.clear();
    for (int i = 0; i < 6; ++i)
        labels << button(i)->text();
    const auto stored = page->storedButtonFunction(kDevice[qMin(menu, 5)]);
    hidsim::clearSentImages();
    QSignalSpy notices(PostMsg::instance(), &PostMsg::SigMouseOffLineo);

    QCOMPARE(choose(menu, entry, answer), dialogs);
    QCOMPARE(notices.count(), online ? 0 : 1);
    QVERIFY(hidsim::sentImages().empty());
    QVERIFY(mouseImage() == before);
    for (int i = 0; i < 6; ++i)
        QCOMPARE(button(i)->text(), labels.at(i));
    const auto after = page->storedButtonFunction(kDevice[qMin(menu, 5)]);
    QCOMPARE((QVector<int>{after.type, after.code, after.param}),
             (QVector<int>{stored.type, stored.code, stored.param}));
}

QTEST_MAIN(TestButtonFunctions)
#include "tst_buttonfunctions.moc"

// The device page as it is built: the level count it hands the DPI widget,
// which texts land where in each language, the shared function menu, which
// device button each widget edits (also when its menu is opened from the
// keyboard), the profile across language changes, the macro editor's Save,
// the styles, the focus of the repeat count, the option widgets, the macro
// list, and the page's end while the worker is held in a call to it.

#include "HIDUsb.h"
#include "buttoninterface.h"
#include "deviceevent.h"
#include "devicestate.h"
#include "globals.h"
#include "hidusb_sim.h"
#include "imagecache.h"
#include "keytables.h"
#include "postmsg.h"
#include "sensordpi.h"
#include "sensorlodb.h"
#include "sensorrate.h"
#include "sensorstyle.h"
#include "stopclosetime.h"
#include "testsupport.h"
#include "worker.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <atomic>
#include <cstring>
#include <functional>
#include <memory>

namespace {

// One language per page table whose texts name their own place: text p of
// language 0 of page "Buttoninterface" is "B<p>", of language 1 "b<p>".
void fillLanguage(LanguageTextTable &table, char letter, int count)
{
    table.clear();
    for (const char l : {letter, char(letter + 'a' - 'A')}) {
        QVector<QString> texts;
        for (int p = 0; p < count; ++p)
            texts.append(QString(QChar(l)) + QString::number(p));
        table.append(texts);
    }
}

void fillLanguageTables()
{
    fillLanguage(g_langButtoninterface, 'B', 52);
    fillLanguage(g_langMacro, 'M', 29);
    fillLanguage(g_langSensor, 'S', 38);
    fillLanguage(g_langLight, 'L', 29);
    fillLanguage(g_langFormSetting, 'F', 62);
    fillLanguage(g_langDialogChange, 'D', 13);
}

const char kCacheName[] = "Device_CID21_MID01.bin";

} // namespace

class TestButtonPage : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Buttoninterface> page;

    template <typename T> T *child(const char *name) const
    {
        T *w = page->findChild<T *>(QString::fromLatin1(name));
        if (!w)
            qFatal("no child %s", name);
        return w;
    }
    QComboBox *profiles() const { return child<QComboBox>("ProjectChoose"); }

private slots:
    void initTestCase()
    {
        registerDeviceMetaTypes();
    }
    void init()
    {
        resetDeviceBench();
        fillLanguageTables();
        g_menuButtonIndex = 0;
        QDir(userDataDir()).removeRecursively();
        QDir().mkpath(deviceCacheDir());
        page.reset(new Buttoninterface);
    }
    void cleanup()
    {
        StopUsbChanged();
        UsbServer_Exit();
        hidsim::waitIdle();
        page.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void levelFileSetsTheLevelCount_data()
    {
        QTest::addColumn<QByteArray>("content");   // "-" for no file
        QTest::addColumn<int>("levels");
        QTest::newRow("no file") << QByteArray("-") << 1;
        QTest::newRow("empty file") << QByteArray("") << 1;
        QTest::newRow("empty first line") << QByteArray("\n5\n") << 1;
        QTest::newRow("a number") << QByteArray("12\n") << 12;
        QTest::newRow("Windows line end") << QByteArray(" 7\r\n") << 7;
        QTest::newRow("no number") << QByteArray("many\n") << 0;
    }
    void levelFileSetsTheLevelCount()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, levels);
        page.reset();
        const QString dir = userDataDir() + "/usersetting/SensorPage";
        QDir().mkpath(dir);
        QFile file(dir + "/Level.ini");
        if (content != "-") {
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content);
            file.close();
        }
        page.reset(new Buttoninterface);
        QCOMPARE(child<SensorDPI>("frameDpi")->storedLevelCount(), levels);
        QVERIFY(QDir(userDataDir() + "/usersetting/MainPage").exists());
    }

    // Every text the language slot sets, with the table and position it
    // must come from, in both languages.
    void languageTextsReachTheirWidgets_data()
    {
        QTest::addColumn<int>("language");
        QTest::newRow("first language") << 0;
        QTest::newRow("second language") << 1;
    }
    void languageTextsReachTheirWidgets()
    {
        QFETCH(int, language);
        page->SlotAllLanguage(language);
        const auto t = [language](char page, int position) {
            return QString(QChar(language ? page + 'a' - 'A' : page)) + QString::number(position);
        };
        const auto text = [this](const char *name) -> QString {
            QObject *o = page->findChild<QObject *>(QString::fromLatin1(name));
            if (auto *l = qobject_cast<QLabel *>(o))
                return l->text();
            if (auto *b = qobject_cast<QAbstractButton *>(o))
                return b->text();
            return QStringLiteral("<missing>");
        };
        QWidget *rate = child<QWidget>("frameRate");
        QWidget *lod = child<QWidget>("frameLOD");
        QWidget *sleep = child<QWidget>("frameLOD_2");
        QWidget *dpi = child<QWidget>("frameDpi");
        QComboBox *events = child<QComboBox>("ChooseEvent");
        const QString eight = QStringLiteral("        ");
        const struct {
            QString shown;
            QString expected;
        } rows[] = {
            {child<QLabel>("label_13")->toolTip(), t('D', 9)},
            {sleep->findChild<QLabel *>("label_2")->text(), t('L', 12)},
            {sleep->findChild<QLabel *>("label_7")->text(), t('L', 17)},
            {sleep->findChild<QLabel *>("label")->text(), t('F', 40)},
            {child<QWidget>("frame")->findChild<QCheckBox *>("MM0")->text(), " " + t('S', 6)},
            {child<QWidget>("frame_4")->findChild<QCheckBox *>("MM0")->text(), t('S', 7)},
            {lod->findChild<QLabel *>("label")->text(), t('S', 4)},
            {rate->findChild<QLabel *>("label")->text(), t('S', 1)},
            {dpi->findChild<QLabel *>("label")->text(), t('S', 0)},
            {dpi->findChild<QLabel *>("label_2")->text(), t('S', 16)},
            {text("NewHong"), t('M', 2)},
            {text("label_5"), t('M', 14)},
            {text("label_6"), t('M', 8)},
            {text("label_8"), t('B', 1)},
            {text("label_14"), t('B', 43)},
            {text("label_9"), t('F', 6)},
            {text("label_10"), t('L', 3)},   // the performance switch is off
            {text("label_11"), t('S', 24)},
            // Default labels: the device's own function of each button.
            {text("ButtonA"), eight + t('B', 4)},
            {text("ButtonB"), eight + t('B', 5)},
            {text("ButtonC"), eight + t('B', 6)},
            {text("ButtonD"), eight + t('B', 7)},
            {text("ButtonE"), eight + t('B', 8)},
            {text("ButtonF"), eight + t('B', 9)},
            {text("StartRecord"), t('M', 6)},
            {text("StopRecord"), t('M', 7)},
            {text("label_4"), t('M', 0)},
            {text("label_7"), t('B', 17)},
            {text("ReUntilLoose"), t('M', 10)},
            {text("ReUntilClick"), t('M', 11)},
            {text("ReUntilClick_2"), t('M', 12)},
            {text("ReNumber"), t('M', 13)},
            {text("label_3"), t('M', 1)},
            {text("DelayEnter"), t('M', 17)},
            {text("DelayEnter_2"), t('M', 25)},
            {text("KeyUp"), t('M', 26)},
            {text("Keydown"), t('M', 27)},
            {text("KeyUp_2"), t('M', 16)},
            {text("Keydown_2"), t('M', 15)},
            {text("Save"), t('M', 18)},
            {text("LeftButton"), t('B', 4)},
            {text("RightButton"), t('B', 5)},
            {text("MidButton"), t('B', 6)},
            // The event chooser and the key tables name mouse buttons alike.
            {events->itemText(0), QString()},
            {events->itemText(1), t('M', 15)},
            {events->itemText(2), t('M', 16)},
            {events->itemText(3), t('B', 4)},
            {events->itemText(7), t('B', 8)},
            {g_mouseButtonName1, t('B', 4)},
            {g_mouseButtonName2, t('B', 5)},
            {g_mouseButtonName4, t('B', 6)},
            {g_mouseButtonName16, t('B', 7)},
            {g_mouseButtonName8, t('B', 8)},
        };
        for (const auto &row : rows)
            QCOMPARE(row.shown, row.expected);
        QCOMPARE(events->count(), 8);
    }

    // The menu's entries, their order, their texts after a language change
    // and the slot each reaches (an action is named after its slot).
    void menuOffersEveryFunction()
    {
        page->SlotAllLanguage(0);
        QMenu *menu = page->functionMenu();
        const QStringList plain = {"slotLeftKey",         "slotRightKey",          "slotWheelKey",
                                   "slotForwardKey",      "slotBackKey",           "slotPollingRateKey",
                                   "slotProfileSwitchKey", "slotKeyCombinationKey", "slotDisableKey",
                                   "slotMacroMenu"};
        const int plainText[] = {4, 5, 6, 7, 8, 10, 18, 13, 14, 17};
        const struct {
            int title;
            QStringList names;
            QStringList texts;   // "" = the language text of its position below
            QList<int> positions;
        } subMenus[] = {
            {19, {"slotDPIUpKey", "slotDPIDownKey", "slotDPILoopKey"}, {"   DPI+", "   DPI-", ""}, {-1, -1, 9}},
            {20,
             {"slotMediaPlayerKey", "slotPlayPauseKey", "slotNextKey", "slotMuteKey", "slotPreviousKey",
              "slotStopplayKey", "slotVoulumeupKey", "slotVoulumedownKey", "slotEmailKey", "slotCalculatorKey",
              "slotMycomputerKey", "slotHomePageKey", "slotSearchKey", "slotStopWebKey", "slotRefreshKey",
              "slotFavoritesKey"},
             {},
             {22, 23, 24, 27, 25, 26, 28, 29, 30, 31, 32, 51, 33, 36, 37, 38}},
            {0, {"slotKeyWheelUp", "slotKeyWheelDown"}, {}, {15, 16}},
            {21,
             {"slotKey100", "slotKey200", "slotKey300", "slotKey400", "slotKey500", "slotKey600", "slotKey700",
              "slotKey800", "slotKey900", "slotKey1000", "slotKey1100", "slotKey1200"},
             {"   100", "   200", "   300", "   400", "   500", "   600", "   700", "   800", "   900", "  1000",
              "  1100", "  1200"},
             {}},
        };
        const QList<QAction *> entries = menu->actions();
        QCOMPARE(entries.size(), plain.size() + 4);
        for (int i = 0; i < plain.size(); ++i) {
            QCOMPARE(entries.at(i)->objectName(), plain.at(i));
            QCOMPARE(entries.at(i)->text(), "   B" + QString::number(plainText[i]));
        }
        int function = 0;
        for (int s = 0; s < 4; ++s) {
            QMenu *sub = entries.at(plain.size() + s)->menu();
            QVERIFY(sub);
            QCOMPARE(sub->title(), "   B" + QString::number(subMenus[s].title));
            QCOMPARE(sub->actions().size(), subMenus[s].names.size());
            for (int i = 0; i < subMenus[s].names.size(); ++i) {
                QAction *a = sub->actions().at(i);
                QCOMPARE(a->objectName(), subMenus[s].names.at(i));
                const QString fixed = subMenus[s].texts.value(i);
                QCOMPARE(a->text(), fixed.isEmpty() ? "   B" + QString::number(subMenus[s].positions.at(i)) : fixed);
            }
        }
        // The enumeration names the same actions in the order they were made.
        QStringList made = plain;
        for (const auto &s : subMenus)
            made += s.names;
        for (const QString &name : made)
            QCOMPARE(page->functionAction(Buttoninterface::Function(function++))->objectName(), name);
        QCOMPARE(function, int(Buttoninterface::FunctionCount));
        for (const char *name : {"ButtonA", "ButtonB", "ButtonC", "ButtonD", "ButtonE", "ButtonF"})
            QCOMPARE(child<QPushButton>(name)->menu(), menu);
    }

    void widgetsEditTheirDeviceButtons_data()
    {
        QTest::addColumn<int>("menuIndex");
        QTest::addColumn<QString>("widget");
        QTest::addColumn<int>("deviceButton");
        QTest::newRow("A") << 0 << "ButtonA" << 0;
        QTest::newRow("B") << 1 << "ButtonB" << 1;
        QTest::newRow("C") << 2 << "ButtonC" << 2;
        QTest::newRow("D is device button 4") << 3 << "ButtonD" << 4;
        QTest::newRow("E is device button 3") << 4 << "ButtonE" << 3;
        QTest::newRow("F") << 5 << "ButtonF" << 5;
    }
    void widgetsEditTheirDeviceButtons()
    {
        QFETCH(int, menuIndex);
        QFETCH(QString, widget);
        QFETCH(int, deviceButton);
        QCOMPARE(Buttoninterface::deviceButtonIndex(menuIndex), deviceButton);
        QCOMPARE(Buttoninterface::menuIndexOfDevice(deviceButton), menuIndex);
        QCOMPARE(page->buttonForDevice(deviceButton)->objectName(), widget);

        // Opened from the keyboard while the mouse rests over another
        // button, the menu works on the button that opened it.
        page->show();
        QVERIFY(QTest::qWaitForWindowExposed(page.get()));
        QPushButton *button = page->buttonWidget(menuIndex);
        QPushButton *underCursor = page->buttonWidget((menuIndex + 3) % 6);
        QCursor::setPos(underCursor->mapToGlobal(underCursor->rect().center()));
        g_menuButtonIndex = -1;
        int seen = -2;
        QTimer::singleShot(0, this, [&seen]() {
            seen = g_menuButtonIndex;
            if (QWidget *popup = QApplication::activePopupWidget())
                popup->close();
        });
        button->setFocus();
        QTest::keyClick(button, Qt::Key_Space);
        QCOMPARE(seen, menuIndex);

        // Opened with the mouse, by the button under the cursor.
        g_menuButtonIndex = -1;
        QTimer::singleShot(0, this, [&seen]() {
            seen = g_menuButtonIndex;
            if (QWidget *popup = QApplication::activePopupWidget())
                popup->close();
        });
        QTest::mouseClick(underCursor, Qt::LeftButton);
        QCOMPARE(seen, (menuIndex + 3) % 6);
    }

    // The profile box keeps its choice through language changes, and the
    // change emits nothing that would switch the device's profile.
    void profileSurvivesLanguageChange_data()
    {
        QTest::addColumn<int>("way");   // 0 language slot, 1 language change event
        QTest::addColumn<bool>("cached");
        QTest::addColumn<QStringList>("items");
        QTest::newRow("language slot, cached image") << 0 << true << QStringList{"    b491", "    b492", "    b493"};
        QTest::newRow("language slot, no cached image") << 0 << false << QStringList{"one", "two", "three"};
        QTest::newRow("language change event") << 1 << true << QStringList{"one", "two", "three"};
    }
    void profileSurvivesLanguageChange()
    {
        QFETCH(int, way);
        QFETCH(bool, cached);
        QFETCH(QStringList, items);
        g_deviceCachePath = kCacheName;
        if (cached) {
            FlashDataMap image;
            std::memset(&image, 0, sizeof image);
            saveDeviceInfo(kCacheName, image);
        }
        QComboBox *box = profiles();
        box->addItems({"one", "two", "three"});
        box->setCurrentIndex(1);
        QSignalSpy changed(box, QOverload<int>::of(&QComboBox::currentIndexChanged));
        QSignalSpy activated(box, QOverload<int>::of(&QComboBox::activated));
        if (way == 0) {
            page->SlotAllLanguage(1);
        } else {
            QEvent change(QEvent::LanguageChange);
            QCoreApplication::sendEvent(page.get(), &change);
        }
        QStringList shown;
        for (int i = 0; i < box->count(); ++i)
            shown << box->itemText(i);
        QCOMPARE(shown, items);
        QCOMPARE(box->currentIndex(), 1);
        QCOMPARE(changed.count(), 0);
        QCOMPARE(activated.count(), 0);
        QVERIFY(!box->signalsBlocked());
    }

    // Choosing another repeat mode marks the macro as changed: Save shows,
    // with its hover and pressed pictures.
    void repeatModeShowsSave_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::newRow("until released") << "ReUntilLoose";
        QTest::newRow("until any key") << "ReUntilClick";
        QTest::newRow("until pressed again") << "ReUntilClick_2";
    }
    void repeatModeShowsSave()
    {
        QFETCH(QString, mode);
        QToolButton *save = child<QToolButton>("Save");
        page->show();
        QVERIFY(QTest::qWaitForWindowExposed(page.get()));
        QVERIFY(save->isHidden());
        QVERIFY(child<QCheckBox>("ReNumber")->isChecked());
        QVERIFY(child<QCheckBox>("AutoInsertDelay")->isChecked());
        QCheckBox *box = page->findChild<QCheckBox *>(mode);
        box->click();
        QVERIFY(box->isChecked());
        QVERIFY(!child<QCheckBox>("ReNumber")->isChecked());
        QVERIFY(save->isVisible());
        QVERIFY(save->styleSheet().contains("ButtonHover.png"));
        QVERIFY(save->styleSheet().contains("ButtonClick.png"));
        // Delay modes are one choice too.
        child<QCheckBox>("DefaultDelay")->click();
        QVERIFY(!child<QCheckBox>("AutoInsertDelay")->isChecked());
    }

    // The style slot follows the theme, whatever its argument.
    void styleFollowsTheThemeOnly()
    {
        const auto sheets = [this]() {
            QStringList all;
            for (QWidget *w : page->findChildren<QWidget *>())
                all << w->objectName() + ":" + w->styleSheet();
            return all;
        };
        page->SlotSetStyle(0);
        const QStringList first = sheets();
        for (int index : {1, -1}) {
            page->SlotSetStyle(index);
            QCOMPARE(sheets(), first);
        }
        g_themeButtonColor = QStringList{"1", "2", "3"};
        g_themeLabelColor = QStringList{"4", "5", "6"};
        page->SlotSetStyle(0);
        QVERIFY(child<QToolButton>("Save")->styleSheet().contains("rgb(1,2,3;)"));
        QVERIFY(child<QLabel>("label_14")->styleSheet().contains("rgb(4,5,6;)"));
        QVERIFY(child<QCheckBox>("ReNumber")->styleSheet().contains("rgb(4,5,6;)"));
    }

    // A press on the page outside the repeat count takes the focus from it.
    void pressOutsideTheCountTakesItsFocus_data()
    {
        QTest::addColumn<QPoint>("where");   // in page coordinates; (-1,-1) = on the count itself
        QTest::addColumn<bool>("keeps");
        QTest::newRow("far from the count") << QPoint(20, 20) << false;
        QTest::newRow("where the count lies inside the macro area") << QPoint(600, 410) << false;
        QTest::newRow("on the count") << QPoint(-1, -1) << true;
    }
    void pressOutsideTheCountTakesItsFocus()
    {
        QFETCH(QPoint, where);
        QFETCH(bool, keeps);
        page->show();
        QVERIFY(QTest::qWaitForWindowActive(page.get()));
        QSpinBox *count = child<QSpinBox>("NumberEdit");
        count->setFocus();
        QVERIFY(count->hasFocus());
        if (where == QPoint(-1, -1))
            where = count->mapTo(page.get(), QPoint(5, 5));
        QTest::mousePress(page.get(), Qt::LeftButton, {}, where);
        QCOMPARE(count->hasFocus(), keeps);
    }

    // What the option widgets show when the page tells them, and that a
    // click the device does not take (no device here) changes nothing.
    void optionWidgetsShowWhatTheyAreTold()
    {
        SensorRate *rate = child<SensorRate>("frameRate");
        SensorLODB *lod = child<SensorLODB>("frameLOD");
        StopCloseTime *sleep = child<StopCloseTime>("frameLOD_2");
        const auto checkedOf = [](QWidget *w) {
            QStringList on;
            for (QToolButton *b : w->findChildren<QToolButton *>())
                if (b->isChecked())
                    on << b->objectName();
            for (QLabel *l : w->findChildren<QLabel *>())
                if (l->styleSheet() == QLatin1String(kSelectedCaptionStyle))
                    on << l->objectName();
            on.sort();
            return on;
        };
        const struct {
            std::function<void()> tell;
            QWidget *widget;
            QStringList shows;   // checked buttons and marked captions
        } rows[] = {
            {[&] { rate->setCurrentIndex(0); }, rate, {"Button125HZ", "label_2"}},
            {[&] { rate->setCurrentIndex(6); }, rate, {"Button8000HZ", "label_8"}},
            {[&] { rate->setCurrentIndex(7); }, rate, {"Button8000HZ", "label_8"}},
            // Stored values 1, 2, 3 are 1 mm, 2 mm and 0.7 mm.
            {[&] { lod->setCurrentIndex(0); }, lod, {"MM1", "label_3"}},
            {[&] { lod->setCurrentIndex(2); }, lod, {"MM0", "label_2"}},
            {[&] { lod->setCurrentIndex(-1); }, lod, {"MM0", "label_2"}},
            {[&] { sleep->setCurrentIndex(5); }, sleep, {"Button30M", "label_7"}},
            {[&] { sleep->setCurrentIndex(6); }, sleep, {"Button30M", "label_7"}},
        };
        for (const auto &row : rows) {
            row.tell();
            QCOMPARE(checkedOf(row.widget), row.shows);
        }

        rate->setHighRatesVisible(false);
        QVERIFY(rate->findChild<QToolButton *>("Button2000HZ")->isHidden());
        QCOMPARE(rate->findChild<QToolButton *>("Button1000HZ")->pos(), QPoint(353, 22));
        rate->setHighRatesVisible(true);
        QVERIFY(!rate->findChild<QToolButton *>("Button8000HZ")->isHidden());
        QCOMPARE(rate->findChild<QToolButton *>("Button8000HZ")->pos(), QPoint(495, 23));

        sleep->setItemText(6, "title");
        sleep->setItemText(7, "nowhere");
        QCOMPARE(sleep->findChild<QLabel *>("label")->text(), QString("title"));

        SensorDPI *dpi = child<SensorDPI>("frameDpi");
        dpi->setMaximum(26000);
        dpi->setMinimum(50);
        dpi->setDpiValue(26000);
        dpi->setLevelText(7, "26000");
        dpi->setLevelText(8, "lost");
        dpi->setLevelCount(2);   // levels 0..2 in use
        dpi->setLevelCount(9);
        dpi->setCurrentLevel(2);
        dpi->setCurrentLevel(8);
        QCOMPARE(dpi->findChild<QSpinBox *>("spinBoxA")->value(), 26000);
        QCOMPARE(dpi->findChild<QToolButton *>("LightYellowButton")->text(), QString("26000"));
        QVERIFY(dpi->findChild<QToolButton *>("RedButton")->isChecked());
        QVERIFY(!dpi->findChild<QToolButton *>("RedButton")->isHidden());
        QVERIFY(dpi->findChild<QToolButton *>("YellowButton")->isHidden());

        // A click that does not reach the device leaves what it was said to
        // hold.
        page->show();
        QVERIFY(QTest::qWaitForWindowExposed(page.get()));
        QWidget *rateRow = rate->findChild<QToolButton *>("Button125HZ");
        QTest::mouseClick(rate, Qt::LeftButton, {}, rateRow->geometry().center());
        QCOMPARE(checkedOf(rate), (QStringList{"Button8000HZ", "label_8"}));
    }

    // The macro list shows the macro files of the macro folder: its *.ini
    // files, no other file. A row gets its row widget as it comes into
    // view: none while the page is hidden, those in view once shown, the
    // last ones once scrolled to.
    void macroListShowsTheMacroFiles()
    {
        page.reset();
        const QString dir = userDataDir() + "/usersetting/MacroPage";
        QDir().mkpath(dir);
        QStringList files = {"notes.xml", "c.txt"};
        QStringList expected;
        for (int i = 0; i < 60; ++i) {
            expected << QString::asprintf("m%02d", i);
            files << expected.last() + ".ini";
        }
        for (const QString &name : files) {
            QFile f(dir + "/" + name);
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        QDir().mkpath(dir + "/folder.ini");
        page.reset(new Buttoninterface);
        QListWidget *list = child<QListWidget>("listWidgetHong");
        const auto withWidgets = [list] {
            QStringList rows;
            for (int i = 0; i < list->count(); ++i) {
                if (list->itemWidget(list->item(i)))
                    rows << list->item(i)->text();
            }
            return rows;
        };
        QStringList shown;
        for (int i = 0; i < list->count(); ++i)
            shown << list->item(i)->text();
        QCOMPARE(shown, expected);
        QCOMPARE(list->currentRow(), -1);
        QVERIFY(withWidgets().isEmpty());

        page->show();
        QVERIFY(QTest::qWaitForWindowExposed(page.get()));
        const QStringList inView = withWidgets();
        QVERIFY(inView.size() > 3 && inView.size() < 30);
        QCOMPARE(inView, expected.mid(0, inView.size()));
        list->scrollToBottom();
        QVERIFY(withWidgets().contains("m59"));
        QCOMPARE(list->itemWidget(list->item(59))->geometry(), list->visualItemRect(list->item(59)));
    }

    // The worker can be held in a blocking call to the page (here the view
    // without device data for an offline device without a cache); the
    // page's end must let it go rather than wait for it.
    void pageEndReleasesTheWorker()
    {
        // Told on the worker's thread as it starts the call, just before the
        // page's own connection (made later) holds it.
        std::atomic<bool> calling{false};
        QObject watch;
        page.reset();
        connect(PostMsg::instance(), &PostMsg::SigFormReset, &watch, [&calling] { calling = true; },
                Qt::DirectConnection);
        page.reset(new Buttoninterface);

        hidsim::setOnline("M1", false);
        DeviceAllInfo device = benchReceiverEntry();
        PostMsg::instance()->postSelectMouseInfo(device);
        setDeviceHandlePath(device.devicePath.toUtf8());
        g_devicePageActive = 1;
        QPointer<Worker> worker = g_worker;
        g_worker->startRead();
        // This thread must not run its event loop here: that would answer
        // the worker.
        QElapsedTimer waited;
        waited.start();
        while (!calling && waited.elapsed() < 30000)
            QThread::msleep(2);
        QVERIFY(calling);
        QVERIFY(worker->isRunning());
        page.reset();
        // A page that waited for the held worker would have left it running
        // (or still held), so it could not be deleted yet.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(worker.isNull());
    }
};

QTEST_MAIN(TestButtonPage)
#include "tst_buttonpage.moc"

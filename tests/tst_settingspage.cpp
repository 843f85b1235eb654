// The settings page against the simulated receiver and mouse: what the
// update button offers for the listed devices and the failure record, the
// version labels, the language choice, the options the page carries without
// a control, and where the update dialog stands.

#include "HIDUsb.h"
#include "autostart.h"
#include "configsettings.h"
#include "deviceenumeration.h"
#include "devicestate.h"
#include "firmwareimage.h"
#include "firmwarebench.h"
#include "formsetting.h"
#include "globals.h"
#include "hidusb_sim.h"
#include "inputpica.h"
#include "inputpicb.h"
#include "ledinfo.h"
#include "lightmodeset.h"
#include "macrosettings.h"
#include "pagerepairdialog.h"
#include "postmsg.h"
#include "registry.h"
#include "settingsbench.h"
#include "testsupport.h"
#include "updaterepair.h"
#include "updateengine.h"
#include "updatetraces.h"
#include "worker.h"

#include <QDeadlineTimer>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QDialog>
#include <QtTest>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

namespace {

// A text of the settings page; 100 + n: text n of the update dialog's page.
QString formText(int position)
{
    return position >= 100 ? langText(g_langAutoRepair, 0, position - 100) : langText(g_langFormSetting, 0, position);
}

class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl &url) { opened << url; }
};

} // namespace

class TestSettingsPage : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<FirmwareProgramFolder> folder;
    std::unique_ptr<FormSetting> page;

    template <typename T>
    T *child(const char *name)
    {
        return page->findChild<T *>(name);
    }
    QToolButton *updateButton() { return child<QToolButton>("Receive_2"); }

    void bench(const QString &fixture, int receiverImage, int mouseImage)
    {
        QVERIFY(startSettingsBench(*folder, fixture, receiverImage, mouseImage));
    }

    QPoint dialogPlace(int dx, int dy)
    {
        const QPoint g = page->mapToGlobal(QPoint(0, 0));
        return QPoint(g.x() + (page->width() - g_updateRepairDialog->width()) / 2 + dx,
                      g.y() + (page->height() - g_updateRepairDialog->height()) / 2 + dy);
    }

private slots:
    void initTestCase() { startFirmwareTests(); }

    void init()
    {
        resetFirmwareBench();
        resetUpdateRunState();
        removeUpdateFailInfo();
        folder.reset(new FirmwareProgramFolder);
        page.reset(new FormSetting);
        page->buildUpdateDialogs();
        page->show();
        QVERIFY(QTest::qWaitForWindowExposed(page.get()));
    }

    void cleanup()
    {
        page.reset();
        folder.reset();
        g_deviceList.clear();
        QCoreApplication::processEvents();
    }

    // The update button: what the dialog offers, or why it cannot.
    void updateButtonOffers_data()
    {
        addSettingsBenchColumns();
        QTest::addColumn<int>("text");            // FormSetting position; -1 the ready view
        QTest::addColumn<int>("imageCount");      // 0: not looked at
        QTest::addColumn<QString>("recordAfter"); // "=": the record as it was

        const QString both = updateBench();
        const QStringList pair{"R1", "M1"};
        const QStringList m1{"M1"};
        QTest::newRow("nothing listed") << both << QStringList() << "R1" << "" << 0x103 << 0x106 << 25 << 0 << "=";
        QTest::newRow("two receivers among three")
            << both + receiverFixture("R2", 8, 1) << QStringList{"R1", "R2", "M1"} << "R1" << "" << 0x103 << 0x106 << 27
            << 0 << "=";
        QTest::newRow("two mice on their cables among three")
            << both + mouseFixture("M2", 1, true) << QStringList{"R1", "M1", "M2"} << "R1" << "" << 0x103 << 0x106 << 26
            << 0 << "=";
        // The receiver reaches its mouse, which is not on its cable: it is
        // there, only to be connected.
        QTest::newRow("a receiver alone") << both << QStringList{"R1"} << "R1" << "" << 0x103 << 0x106 << 115 << 0 << "=";
        QTest::newRow("a mouse on its cable alone") << both << m1 << "M1" << "" << 0x103 << 0x106 << 23 << 0 << "=";
        // A record that names no device gives way to the receiver waiting in
        // update mode: its repair is offered.
        QTest::newRow("a record of three fields, the receiver waits")
            << receiverWaitingBench() << m1 << "M1" << "211,4,33" << 0x103 << 0x106 << -1 << 2 << "211,4,33,1";
        QTest::newRow("a record of another device, the receiver waits")
            << receiverWaitingBench() << m1 << "M1" << "212,4,33,1" << 0x103 << 0x106 << -1 << 2 << "211,4,33,1";
        QTest::newRow("no record, the receiver waits")
            << receiverWaitingBench() << m1 << "M1" << "" << 0x103 << 0x106 << -1 << 2 << "211,4,33,1";
        QTest::newRow("receiver failed, a receiver listed")
            << both << QStringList{"R1"} << "R1" << "211,4,33,1" << 0x103 << 0x106 << 115 << 0 << "=";
        QTest::newRow("mouse failed, a mouse listed") << both << m1 << "M1" << "210,4,33,1" << 0x103 << 0x106 << 23 << 0 << "=";
        QTest::newRow("recorded CID of another product")
            << receiverWaitingBench() << m1 << "M1" << "211,4,34,1" << 0x103 << 0x106 << 25 << 0 << "=";
        QTest::newRow("receiver failed, no receiver image")
            << receiverWaitingBench() << m1 << "M1" << "211,4,33,1" << 0 << 0x106 << 116 << 0 << "=";
        QTest::newRow("receiver failed, nothing in update mode")
            << both << m1 << "M1" << "211,4,33,1" << 0x103 << 0x106 << 23 << 0 << "=";
        QTest::newRow("receiver failed, two in update mode")
            << receiverWaitingBench() + bootFixture("B3", 211, 1, "QZR-4K", "") << m1 << "M1" << "211,4,33,1" << 0x103
            << 0x106 << 17 << 0 << "=";
        QTest::newRow("receiver repair, the mouse new too")
            << receiverWaitingBench() << m1 << "M1" << "211,4,33,1" << 0x103 << 0x106 << -1 << 2 << "=";
        QTest::newRow("receiver repair, the mouse current")
            << receiverWaitingBench() << m1 << "M1" << "211,4,33,1" << 0x103 << 0x105 << -1 << 1 << "=";
        QTest::newRow("mouse repair") << mouseWaitingBench() << QStringList{"R1"} << "R1" << "210,4,33,1" << 0x102 << 0x106
                                      << -1 << 1 << "=";
        QTest::newRow("two receivers listed")
            << both + receiverFixture("R2", 8, 1) << QStringList{"R1", "R2"} << "R1" << "" << 0x103 << 0x106 << 24 << 0 << "=";
        QTest::newRow("receiver and a mouse of another model")
            << both + mouseFixture("M3", 2, true) << QStringList{"R1", "M3"} << "R1" << "" << 0x103 << 0x106 << 114 << 0 << "=";
        QTest::newRow("a mouse of another model and its receiver's mouse missing")
            << both + mouseFixture("M3", 2, true) << QStringList{"R1", "M3"} << "M3" << "" << 0x103 << 0x106 << 23 << 0 << "=";
        QTest::newRow("both new") << both << pair << "R1" << "" << 0x103 << 0x106 << -1 << 2 << "=";
        QTest::newRow("only the mouse new") << both << pair << "R1" << "" << 0x102 << 0x106 << -1 << 1 << "=";
        QTest::newRow("only the receiver new") << both << pair << "R1" << "" << 0x103 << 0x105 << -1 << 1 << "=";
        QTest::newRow("both current") << both << pair << "R1" << "" << 0x102 << 0x105 << 18 << 0 << "=";
    }
    void updateButtonOffers()
    {
        QFETCH(QString, record);
        QFETCH(int, text);
        QFETCH(int, imageCount);
        QFETCH(QString, recordAfter);

        QVERIFY(startSettingsBenchRow(*folder));
        page->SetVer(5);
        hidsim::clearCalls();

        QTest::mouseClick(updateButton(), Qt::LeftButton);

        if (text == 18) {
            QVERIFY(!g_updateRepairDialog->isVisible());
            QCOMPARE(updateButton()->text(), formText(18));
        } else {
            QVERIFY(g_updateRepairDialog->isVisible());
            QVERIFY(g_updateRepairDialog->isModal());
            QCOMPARE(g_updateRepairDialog->stateText(),
                     text < 0 ? langText(g_langAutoRepair, 0, 12) : formText(text));
            QCOMPARE(updateButton()->text(), formText(7));
        }
        if (imageCount)
            QCOMPARE(g_updateImageCount, imageCount);
        if (text < 0)
            QCOMPARE(g_updateReceiverClass, 4);
        QCOMPARE(readUpdateFailInfo(), recordAfter == "=" ? record : recordAfter);
    }

    // The update dialog is built after the window's first paint; a page that
    // needs it before then (an update asked for at once) builds it there and
    // then, and shows the same offer.
    void updateDialogBeforeFirstPaint_data()
    {
        addSettingsBenchColumns();
        QTest::addColumn<bool>("painted");

        const QString both = updateBench();
        QTest::newRow("asked before the first paint") << both << QStringList{"R1", "M1"} << "R1" << "" << 0x103
                                                      << 0x106 << false;
        QTest::newRow("asked after the first paint") << both << QStringList{"R1", "M1"} << "R1" << "" << 0x103
                                                     << 0x106 << true;
    }
    void updateDialogBeforeFirstPaint()
    {
        QFETCH(bool, painted);

        page.reset();
        QVERIFY(!g_updateRepairDialog);
        page.reset(new FormSetting);
        QVERIFY(!g_updateRepairDialog);
        QVERIFY(!page->updateNotice());
        if (painted) {
            page->show();
            QVERIFY(QTest::qWaitForWindowExposed(page.get()));
            QTRY_VERIFY(g_updateRepairDialog);
            QVERIFY(page->updateNotice());
            // The dialogs no window shows are not built with the others.
            const auto kept = [] {
                int count = 0;
                for (QWidget *widget : QApplication::topLevelWidgets())
                    count += qobject_cast<LedInfo *>(widget) || qobject_cast<InputPicA *>(widget)
                             || qobject_cast<InputPicB *>(widget) || qobject_cast<LightModeSet *>(widget);
                return count;
            };
            QCOMPARE(kept(), 0);
            QVERIFY(page->ledInfo() && page->ledInfo() == page->ledInfo());
            QVERIFY(page->inputPicA() && page->inputPicB() && page->lightModeSet());
            QCOMPARE(kept(), 4);
        }

        QVERIFY(startSettingsBenchRow(*folder));
        page->SetVer(5);
        updateButton()->click();

        QVERIFY(g_updateRepairDialog);
        QVERIFY(page->updateNotice());
        QVERIFY(g_updateRepairDialog->isVisible());
        QCOMPARE(g_updateRepairDialog->stateText(), langText(g_langAutoRepair, 0, 12));
        g_updateRepairDialog->hide();
    }

    // The version labels and whether the page offers an update.
    void versionLabels_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("receiverImage");
        QTest::addColumn<QString>("receiverLabel");
        QTest::addColumn<QString>("mouseLabel");
        QTest::addColumn<int>("updateFrame");   // -1 not emitted, else its argument
        QTest::addColumn<bool>("waiting");      // the button's face says an update waits
        QTest::addColumn<int>("labelAnswers");  // SigSetLabelVerB

        QTest::newRow("a version report, new images") << "SetVer 0" << 0x103 << "v1.02" << "v1.05" << 1 << true << 0;
        QTest::newRow("a version report, current images") << "SetVer 0" << 0x102 << "v1.02" << "v1.05" << 0 << false << 0;
        QTest::newRow("a version report, no bin folder") << "SetVer 0" << 0 << "v1.02" << "v1.05" << -1 << false << 0;
        QTest::newRow("a device chosen empties the labels") << "SetVer 6" << 0x103 << "" << "" << -1 << false << 0;
        QTest::newRow("an unknown index") << "SetVer 7" << 0x103 << "r" << "m" << -1 << false << 0;
        QTest::newRow("a new receiver version") << "label 0" << 0x103 << "v2.00" << "m" << -1 << false << 1;
        QTest::newRow("a new mouse version") << "label 1" << 0x103 << "r" << "v2.00" << -1 << false << 1;
        QTest::newRow("an unknown label") << "label 2" << 0x103 << "r" << "m" << -1 << false << 1;
        QTest::newRow("the device list's receiver answer") << "labelB" << 0x103 << "v9.01" << "m" << -1 << true << 0;
    }
    void versionLabels()
    {
        QFETCH(QString, action);
        QFETCH(int, receiverImage);
        QFETCH(QString, receiverLabel);
        QFETCH(QString, mouseLabel);
        QFETCH(int, updateFrame);
        QFETCH(bool, waiting);
        QFETCH(int, labelAnswers);

        bench(updateBench(), receiverImage, receiverImage ? 0x105 : 0);
        if (!receiverImage)
            folder->removeImages();
        listDevices({"R1", "M1"}, "M1");
        selectDevice("R1", "M1");
        child<QLabel>("label_5")->setText("r");
        child<QLabel>("label_7")->setText("m");
        QSignalSpy frame(PostMsg::instance(), &PostMsg::SigUpdateFrame);
        QSignalSpy answers(PostMsg::instance(), &PostMsg::SigSetLabelVerB);

        if (action.startsWith("SetVer"))
            page->SetVer(action.section(' ', 1).toInt());
        else if (action == "labelB")
            PostMsg::instance()->postLabelTextB("v9.01", "true");
        else
            PostMsg::instance()->postLabelText(action.section(' ', 1).toInt(), "v2.00");

        QCOMPARE(child<QLabel>("label_5")->text(), receiverLabel);
        QCOMPARE(child<QLabel>("label_7")->text(), mouseLabel);
        QCOMPARE(frame.count(), updateFrame < 0 ? 0 : 1);
        if (updateFrame >= 0)
            QCOMPARE(frame.first().at(0).toBool(), updateFrame == 1);
        // An offered update opens the dialog at once.
        QCOMPARE(g_updateRepairDialog->isVisible(), updateFrame == 1);
        QCOMPARE(updateButton()->styleSheet().contains("WaitUpdate.png"), waiting);
        QCOMPARE(answers.count(), labelAnswers);
    }

    // Every way to choose a language stores it and re-texts the windows.
    void languageChoice_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("language");
        QTest::addColumn<bool>("chineseHighlighted");
        QTest::addColumn<bool>("upToDate");   // the update button said so before
        QTest::newRow("English button") << "pushButton" << 0 << false << false;
        QTest::newRow("English badge, up to date") << "toolButton" << 0 << false << true;
        QTest::newRow("Chinese button") << "pushButton_2" << 1 << true << false;
        QTest::newRow("Chinese badge, up to date") << "toolButton_2" << 1 << true << true;
        // A language the program does not ship: the texts fall back, nothing
        // breaks.
        QTest::newRow("language 5, no button") << "comboBox" << 5 << true << false;
    }
    void languageChoice()
    {
        QFETCH(QString, control);
        QFETCH(int, language);
        QFETCH(bool, chineseHighlighted);
        QFETCH(bool, upToDate);

        // Start from the other language.
        g_language = language == 0 ? 1 : 0;
        PostMsg::instance()->postAllLanguage(g_language);
        if (upToDate)
            PostMsg::instance()->postSetNewVer();
        QSignalSpy all(PostMsg::instance(), &PostMsg::SigAllLanguage);
        QSignalSpy same(PostMsg::instance(), &PostMsg::SigLanguageSameA);

        if (control == "comboBox")
            page->on_comboBox_activated(language);
        else
            QTest::mouseClick(page->findChild<QAbstractButton *>(control), Qt::LeftButton);

        QCOMPARE(MacroSettings::instance()->readString("Language", "Language"), QString::number(language));
        QCOMPARE(g_language, language);
        QCOMPARE(all.count(), 1);
        QCOMPARE(all.first().at(0).toInt(), language);
        QCOMPARE(same.count(), 1);
        QCOMPARE(same.first().at(0).toInt(), language);
        QCOMPARE(child<QLabel>("label_28")->text(), langText(g_langScreenInfo, language, 2));
        QCOMPARE(child<QLabel>("label_4")->text(), langText(g_langScreenInfo, language, 8));
        QVERIFY(!child<QLabel>("label_28")->text().isEmpty());
        // The update button says what it said before, in the new language;
        // up to date, it still checks nothing when clicked.
        QCOMPARE(updateButton()->text(), langText(g_langFormSetting, language, upToDate ? 18 : 7));
        if (upToDate) {
            g_firmwareImageList.clear();
            QTest::mouseClick(updateButton(), Qt::LeftButton);
            QVERIFY(!g_updateRepairDialog->isVisible());
            QVERIFY(g_firmwareImageList.isEmpty());
        }
        QCOMPARE(g_updateWarningText, langText(g_langFormSetting, language, 14));
        const bool chineseGrey = child<QPushButton>("pushButton_2")->styleSheet().contains("88,90,92");
        const bool englishGrey = child<QPushButton>("pushButton")->styleSheet().contains("88,90,92");
        QCOMPARE(!chineseGrey, chineseHighlighted);
        QCOMPARE(englishGrey, chineseHighlighted);
    }

    // The options the page carries without a control, called directly.
    void optionSlots_data()
    {
        QTest::addColumn<QString>("slot");
        QTest::addColumn<bool>("argument");
        QTest::addColumn<bool>("online");
        QTest::addColumn<bool>("writesEnabled");
        QTest::addColumn<QString>("macroKey");    // group/key written to Macro.ini
        QTest::addColumn<QString>("macroValue");
        QTest::addColumn<int>("autostart");       // -1 not looked at, 0 absent, 1 present
        QTest::addColumn<int>("ledMode");         // the receiver's LED mode written; 0 none
        QTest::addColumn<int>("longRange");       // the receiver's long-range mode afterwards
        QTest::addColumn<int>("offlineNotices");

        QTest::newRow("start with the system") << "on_checkBox_3_toggled" << true << true << true << "AutoStart/Enable"
                                               << "1" << 1 << 0 << 0 << 0;
        QTest::newRow("start with the system, clicked") << "on_checkBox_clicked" << true << true << true
                                                        << "AutoStart/Enable" << "1" << 1 << 0 << 0 << 0;
        QTest::newRow("not with the system") << "on_checkBox_3_toggled" << false << true << true << "AutoStart/Enable"
                                             << "0" << 0 << 0 << 0 << 0;
        QTest::newRow("start minimised") << "on_checkBox_5_toggled" << true << true << true << "AutoMin/Enable" << "1"
                                         << -1 << 0 << 0 << 0;
        QTest::newRow("not minimised") << "on_checkBox_5_toggled" << false << true << true << "AutoMin/Enable" << "0"
                                       << -1 << 0 << 0 << 0;
        QTest::newRow("receiver light 2") << "on_ReUntil_2_toggled" << true << true << true << "" << "" << -1 << 2 << 0
                                          << 0;
        QTest::newRow("receiver light 3") << "on_ReUntil_3_toggled" << true << true << true << "" << "" << -1 << 3 << 0
                                          << 0;
        QTest::newRow("receiver light unchecked") << "on_ReUntil_2_toggled" << false << true << true << "" << "" << -1
                                                  << 0 << 0 << 0;
        QTest::newRow("receiver light while writes are off")
            << "on_ReUntil_3_toggled" << true << true << false << "" << "" << -1 << 0 << 0 << 0;
        QTest::newRow("receiver light, device offline")
            << "on_ReUntil_3_toggled" << true << false << true << "" << "" << -1 << 0 << 0 << 1;
        QTest::newRow("long range on") << "on_checkBox_2_toggled" << true << true << true << "" << "" << -1 << 0 << 1 << 0;
        QTest::newRow("long range off, device offline")
            << "on_checkBox_2_toggled" << false << false << true << "" << "" << -1 << 0 << 0 << 1;
    }
    void optionSlots()
    {
        QFETCH(QString, slot);
        QFETCH(bool, argument);
        QFETCH(bool, online);
        QFETCH(bool, writesEnabled);
        QFETCH(QString, macroKey);
        QFETCH(QString, macroValue);
        QFETCH(int, autostart);
        QFETCH(int, ledMode);
        QFETCH(int, longRange);
        QFETCH(int, offlineNotices);

        bench(updateBench(), 0, 0);
        const QByteArray receiver = QByteArray::fromStdString(hidsim::pathOf("R1"));
        setDeviceHandlePath(online ? receiver : QByteArray("no-such-device"));
        g_uiWriteEnabled = writesEnabled ? 1 : 0;
        unsigned char before[10] = {};
        QVERIFY(hidsim::dongleRgb("R1", before));
        g_dongleRgb->ledMode = before[0];
        writeAutostartEntry(QCoreApplication::applicationName(), "/old/path");
        QSignalSpy offline(PostMsg::instance(), &PostMsg::SigMouseOffLineo);

        const QMap<QString, void (FormSetting::*)(bool)> handlers{
            {"on_checkBox_3_toggled", &FormSetting::on_checkBox_3_toggled},
            {"on_checkBox_clicked", &FormSetting::on_checkBox_clicked},
            {"on_checkBox_5_toggled", &FormSetting::on_checkBox_5_toggled},
            {"on_ReUntil_2_toggled", &FormSetting::on_ReUntil_2_toggled},
            {"on_ReUntil_3_toggled", &FormSetting::on_ReUntil_3_toggled},
            {"on_checkBox_2_toggled", &FormSetting::on_checkBox_2_toggled}};
        QVERIFY(handlers.contains(slot));
        (page.get()->*handlers.value(slot))(argument);

        if (!macroKey.isEmpty())
            QCOMPARE(MacroSettings::instance()->readString(macroKey.section('/', 0, 0), macroKey.section('/', 1)),
                     macroValue);
        const QString entry = autostartEntryPath(QCoreApplication::applicationName());
        if (autostart >= 0)
            QCOMPARE(QFile::exists(entry), autostart == 1);
        if (autostart == 1) {
            QFile file(entry);
            QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
            QVERIFY(file.readAll().contains(("Exec=\"" + QCoreApplication::applicationFilePath() + "\"\n").toUtf8()));
        }
        unsigned char rgb[10] = {};
        QVERIFY(hidsim::dongleRgb("R1", rgb));
        QCOMPARE(int(rgb[0]), ledMode ? ledMode : int(before[0]));
        QCOMPARE(int(g_dongleRgb->ledMode), ledMode ? ledMode : int(before[0]));
        QCOMPARE(hidsim::longRangeMode("R1"), longRange);
        QCOMPARE(offline.count(), offlineNotices);
        removeAutostartEntry(QCoreApplication::applicationName());
    }

    // The start-up entry runs the program whatever its path holds.
    void autostartExec_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("exec");
        QTest::newRow("plain") << "/opt/quzmar/Quzmar" << "\"/opt/quzmar/Quzmar\"";
        QTest::newRow("a space") << "/home/a b/Quzmar" << "\"/home/a b/Quzmar\"";
        QTest::newRow("quote and dollar") << "/x/\"q\"$HOME" << "\"/x/\\\\\"q\\\\\"\\\\$HOME\"";
        QTest::newRow("backslash") << "/x\\y" << "\"/x\\\\\\\\y\"";
        QTest::newRow("percent") << "/100%/Quzmar" << "\"/100%%/Quzmar\"";
    }
    void autostartExec()
    {
        QFETCH(QString, path);
        QFETCH(QString, exec);
        QCOMPARE(autostartExecValue(path), exec);
    }

    // The support page is the address the product configuration names, and
    // only a web address.
    void supportPage_data()
    {
        QTest::addColumn<QString>("address");   // "shipped": as the program ships it
        QTest::addColumn<QStringList>("opened");
        QTest::newRow("shipped") << "shipped" << QStringList{"https://www.example.com/support"};
        QTest::newRow("another") << "http://support.example.org/q" << QStringList{"http://support.example.org/q"};
        QTest::newRow("empty") << "" << QStringList();
        QTest::newRow("not a web address") << "file:///bin/sh" << QStringList();
    }
    void supportPage()
    {
        QFETCH(QString, address);
        if (address != "shipped")
            ConfigSettings::instance()->writeString("Option", "SupportPage", address);
        UrlCatcher catcher;
        for (const char *scheme : {"https", "http", "file"})
            QDesktopServices::setUrlHandler(scheme, &catcher, "open");
        page->on_pushButton_5_clicked();
        for (const char *scheme : {"https", "http", "file"})
            QDesktopServices::unsetUrlHandler(scheme);
        QStringList opened;
        for (const QUrl &url : catcher.opened)
            opened << url.toString();
        QTEST(opened, "opened");
    }

    // The desktop's mouse settings.
    void outsidePrograms()
    {
        // Without a mouse settings program nothing starts; with one on the
        // path, it does.
        QTemporaryDir bin;
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", bin.path().toUtf8());
        page->on_pushButton_6_clicked();
        QFile script(bin.path() + "/xfce4-mouse-settings");
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write(("#!/bin/sh\necho > '" + bin.path() + "/started'\n").toUtf8());
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        page->on_pushButton_6_clicked();
        qputenv("PATH", path);
        QTRY_VERIFY(QFile::exists(bin.path() + "/started"));
    }

    // The library's reports of the long-range mode and of a form reset give
    // the page nothing to do: the library's thread must not wait for it.
    void libraryDoesNotWaitForThePage()
    {
        std::atomic<bool> sent{false};
        std::thread library([&sent] {
            PostMsg::instance()->postLongRangeMode(true);
            PostMsg::instance()->postFormReset();
            sent = true;
        });
        // The GUI thread runs no event loop meanwhile: a blocking hand-over
        // would keep the library waiting until it does.
        QDeadlineTimer deadline(5000);
        while (!sent && !deadline.hasExpired())
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        const bool sentAlone = sent;
        while (!sent)
            QCoreApplication::processEvents();
        library.join();
        QVERIFY(sentAlone);
    }

    // Where the update dialog stands, and when the page leaves it alone. An
    // offer made before the device page has listed the devices, or while a
    // notice is up, waits for that and then shows what the check answers.
    void updateDialogPlacement_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<int>("dx");
        QTest::addColumn<int>("dy");
        QTest::addColumn<bool>("shown");
        QTest::newRow("first offer") << "" << 75 << 75 << true;
        QTest::newRow("after the update button") << "button" << 1 << -14 << true;
        QTest::newRow("the button says up to date") << "current" << 0 << 0 << false;
        QTest::newRow("an update runs") << "running" << 0 << 0 << false;
        QTest::newRow("before the device page has listed the devices") << "unlisted" << 75 << 75 << true;
        QTest::newRow("while a notice is up") << "notice" << 75 << 75 << true;
        QTest::newRow("the device page left before it has listed the devices") << "left" << 0 << 0 << false;
        // Nothing to start (the mouse is not on its cable): an offer the
        // user did not ask for shows no reason.
        QTest::newRow("an offer that cannot start") << "no cable" << 0 << 0 << false;
    }
    void updateDialogPlacement()
    {
        QFETCH(QString, before);
        QFETCH(int, dx);
        QFETCH(int, dy);
        QFETCH(bool, shown);

        bench(updateBench(), 0x103, 0x106);
        const QStringList listed = before == "no cable" ? QStringList{"R1"} : QStringList{"R1", "M1"};
        listDevices(listed, "M1");
        selectDevice("R1", "M1");
        if (before == "button") {
            QTest::mouseClick(updateButton(), Qt::LeftButton);
            g_updateRepairDialog->hide();
        }
        if (before == "current")
            PostMsg::instance()->postSetNewVer();
        if (before == "running")
            QVERIFY(startHeldUpdate(*folder));
        g_devicePageActive = 1;
        const bool unlisted = before == "unlisted" || before == "left";
        if (unlisted) {
            g_deviceList.clear();
            g_deviceListCurrent = false;
        }
        QDialog notice;
        notice.setModal(true);
        if (before == "notice")
            notice.show();
        g_updateRepairDialog->move(3, 4);
        g_firmwareImageList.clear();

        PostMsg::instance()->postUpdateFrame(true);

        // Left alone, or waiting, means not even checked: no image was
        // looked for.
        const bool waits = unlisted || before == "notice";
        QCOMPARE(g_updateRepairDialog->isVisible(), shown && !waits);
        QCOMPARE(g_firmwareImageList.isEmpty(), !shown || waits);
        // The user goes back to the device list meanwhile: the offer was the
        // device page's.
        if (before == "left")
            g_devicePageActive = 0;
        if (unlisted)
            listDevices(listed, "M1");
        notice.hide();
        // Until the page has asked again.
        const QList<QTimer *> timers = page->findChildren<QTimer *>(QString(), Qt::FindDirectChildrenOnly);
        QTRY_VERIFY(std::none_of(timers.begin(), timers.end(), [](const QTimer *t) { return t->isActive(); }));
        QCOMPARE(g_updateRepairDialog->isVisible(), shown);
        QCOMPARE(g_updateRepairDialog->pos(), shown ? dialogPlace(dx, dy) : QPoint(3, 4));
        if (shown)
            QCOMPARE(g_updateRepairDialog->stateText(), langText(g_langAutoRepair, 0, 12));
        PostMsg::instance()->postUpdateFrame(false);
        QVERIFY(!g_updateRepairDialog->isVisible());
    }
};

QTEST_MAIN(TestSettingsPage)
#include "tst_settingspage.moc"

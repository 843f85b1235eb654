// The device list page against the simulated bus: cards and their pages,
// the receiver rule and doubled devices, following plugs and hovers, the
// repair button, and what choosing a card does (theme, twin check, the
// firmware decision, opening the device), including a list rebuilt while a
// question of the selection is open.

#include "HIDUsb.h"
#include "configsettings.h"
#include "deviceenumeration.h"
#include "devicelistcards.h"
#include "devicestate.h"
#include "dialogchange.h"
#include "firmwarebench.h"
#include "globals.h"
#include "hidusb_sim.h"
#include "languageloader.h"
#include "macrosettings.h"
#include "match.h"
#include "pagerepairdialog.h"
#include "postmsg.h"
#include "registry.h"
#include "repair.h"
#include "testsupport.h"
#include "updaterepair.h"
#include "updatewarning.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

const char *const kRegistryKey = "HKEY_CURRENT_USER\\Software\\Quzmar\\Quzmar\\Mouse Drive Test";

QString receiverGroup(const QString &id, int cls, int mid, const QString &rid, const QString &mouse = QString())
{
    QString s = QString("[%1]\ntype=receiver\nclass=%2\nid=%3\nversion=0x0102\ncid=0x21\nmid=%4\nplugged=1\n")
                    .arg(id)
                    .arg(cls)
                    .arg(rid)
                    .arg(mid);
    if (!mouse.isEmpty())
        s += QString("mouse=%1\n").arg(mouse);
    return s;
}

QString mouseGroup(const char *id, int mid, bool online, bool cable)
{
    return QString("[%1]\ntype=mouse\nmid=%2\nversion=0x0105\nonline=%3\ncable=%4\n")
        .arg(id)
        .arg(mid)
        .arg(online ? 1 : 0)
        .arg(cable ? 1 : 0);
}

// A firmware image header with the fields the image search compares.
} // namespace

class TestDialogChange : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<DialogChange> page;
    std::unique_ptr<UpDateRepair> repairDialog;

    QString fixture(const QString &name, const QString &text)
    {
        const QString path = m_dir.path() + "/" + name + ".ini";
        QFile f(path);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(text.toUtf8());
        return path;
    }

    // A bench, then the page; the library's first callback builds the cards.
    void startWith(const QString &fixtureFile)
    {
        QVERIFY(hidsim::reset(fixtureFile.isEmpty() ? nullptr : fixtureFile.toUtf8().constData()));
        hidsim::setTimeScale(0);
        page.reset(new DialogChange);
        page->show();
        settle();
    }

    void settle()
    {
        QVERIFY(hidsim::waitIdle());
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    template <typename T> T *child(const char *name) { return page->findChild<T *>(QString::fromLatin1(name)); }
    QStackedWidget *stack() { return child<QStackedWidget>("stackedWidget"); }
    bool shown(const char *name) { return !child<QWidget>(name)->isHidden(); }

    QString pathOf(const char *id) { return QString::fromStdString(hidsim::pathOf(id)); }

    QList<QPointer<QTimer>> m_pollers;

    // Runs `onDialog` on the next modal dialog from inside its exec().
    void whenModal(std::function<void(QWidget *)> onDialog)
    {
        auto *poll = new QTimer(this);
        m_pollers.append(poll);
        poll->setInterval(10);
        connect(poll, &QTimer::timeout, this, [poll, onDialog]() {
            if (QWidget *w = QApplication::activeModalWidget()) {
                poll->stop();
                poll->deleteLater();
                onDialog(w);
            }
        });
        poll->start();
    }

    void clickCard(int n)
    {
        auto *button = page->findChild<QToolButton *>("btn" + QString::number(n));
        QVERIFY(button);
        button->click();
    }

    // Two 4K/8K receivers of model 1: the 4K one without a mouse (offline),
    // the 8K one with its mouse online. Card 0 is the offline 4K receiver.
    QString twinBench()
    {
        return fixture("twin", receiverGroup("R4", 4, 1, "3A 51 01") + receiverGroup("R8", 8, 1, "11 22 33", "Q8")
                                   + mouseGroup("Q8", 1, true, false));
    }

    // A program folder with the shipped configuration and firmware images of
    // these versions (0: none).
    void useProgramFolderWithImages(quint32 receiverImage, quint32 mouseImage)
    {
        const QString dir = m_dir.path() + "/program";
        QDir(dir).removeRecursively();
        QDir().mkpath(dir + "/usersetting");
        QDir().mkpath(dir + "/bin");
        QFile::copy(builtProgramDir() + "/usersetting/Config.ini", dir + "/usersetting/Config.ini");
        QFile::link(builtProgramDir() + "/Picture", dir + "/Picture");
        auto write = [&](const QString &name, const QByteArray &bytes) {
            QFile f(dir + "/bin/" + name);
            f.open(QIODevice::WriteOnly);
            f.write(bytes);
        };
        if (receiverImage)
            write("receiver.bin", firmwareImageBytes(211, 1, receiverImage, "QZR-4K"));
        if (mouseImage)
            write("mouse.bin", firmwareImageBytes(210, 1, mouseImage, "QZM-Q1"));
        setProgramDirOverride(dir);
        ConfigSettings::resetForTests();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        registerDeviceMetaTypes();
        LanguageLoader().LanguageTextLoader();
    }

    void init()
    {
        resetAllGlobals();
        g_shownDevices.clear();
        g_foundDevices.clear();
        g_pairWithStoredDevice = 0;
        g_pairDevice = DeviceAllInfo();
        RegistryKey key(kRegistryKey);
        key.remove("UpdateFailInfo");
        key.remove("MouseVer331");
    }

    void cleanup()
    {
        StopUsbChanged();
        UsbServer_Exit();
        hidsim::waitIdle();
        for (const QPointer<QTimer> &poll : qAsConst(m_pollers))
            delete poll.data();
        m_pollers.clear();
        page.reset();
        repairDialog.reset();
        g_updateRepairDialog = nullptr;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!g_dialogChange);
        QVERIFY(g_deviceButtons.isEmpty());
    }

    // ---- Cards -----------------------------------------------------------------

    // A mouse on its cable hides the card of the receiver it is paired
    // with (the same mouse twice); the found list keeps every device. The
    // prompt to connect a device goes with the first card.
    void receiverRuleHidesOnlyTheCableMousesOwnReceiver_data()
    {
        QTest::addColumn<QString>("bench");        // fixture text; empty: the default bus
        QTest::addColumn<QStringList>("cards");    // devices with a card, and where
        QTest::addColumn<QStringList>("found");
        // Default bus: 4K receiver R1 with its mouse M1, and M2, paired with
        // a receiver not here, on its cable; all of model 1.
        QTest::newRow("another mouse on its cable: both cards") << QString()
            << QStringList{"M2 236,0", "R1 755,0"} << QStringList{"M2", "R1"};
        QTest::newRow("the receiver's own mouse on its cable: one card")
            << receiverGroup("R1", 4, 1, "3A 51 01", "M1") + mouseGroup("M1", 1, true, true)
            << QStringList{"M1 496,0"} << QStringList{"M1", "R1"};
    }
    void receiverRuleHidesOnlyTheCableMousesOwnReceiver()
    {
        QFETCH(QString, bench);
        QFETCH(QStringList, cards);
        QFETCH(QStringList, found);
        QSignalSpy oneDevice(PostMsg::instance(), &PostMsg::SigJuestOneDevice);
        startWith(bench.isEmpty() ? QString() : fixture("bench", bench));
        const auto idOf = [&](const DeviceAllInfo &entry) {
            for (const QString &id : found) {
                if (entry.devicePath == pathOf(qPrintable(id)))
                    return id;
            }
            return entry.devicePath;
        };
        QStringList shownCards, foundIds;
        for (int n = 0; n < g_deviceButtons.size(); ++n) {
            const QPoint at = g_deviceButtons.at(n)->pos();
            shownCards << QString("%1 %2,%3").arg(idOf(g_shownDevices.value(n))).arg(at.x()).arg(at.y());
        }
        for (const DeviceAllInfo &entry : qAsConst(g_foundDevices))
            foundIds << idOf(entry);
        QCOMPARE(shownCards, cards);
        QCOMPARE(foundIds, found);
        QCOMPARE(stack()->count(), 1);
        QCOMPARE(child<QWidget>("btn0")->size(), QSize(216, 328));
        QVERIFY(!shown("label_4"));
        QVERIFY(!shown("RightButton"));
        QVERIFY(!shown("LeftButton"));
        QVERIFY(!oneDevice.isEmpty());
        QCOMPARE(oneDevice.last().first().toBool(), cards.size() == 1);
        // Every device here answers: link mark shown, no offline mark.
        QVERIFY(shown("UsbWifi0"));
        QVERIFY(!shown("label0"));
    }

    void hoverWritesTheSameDeviceInFoundList()
    {
        // Found: cable mouse M1, its 4K receiver R4, 8K receiver R8 of model
        // 2. The receiver rule hides R4, so card 1 is R8 while entry 1 of
        // the found list is still R4.
        startWith(fixture("mixed", receiverGroup("R4", 4, 1, "3A 51 01", "M1") + mouseGroup("M1", 1, true, true)
                                       + receiverGroup("R8", 8, 2, "11 22 33", "Q2") + mouseGroup("Q2", 2, true, false)));
        QCOMPARE(g_foundDevices.size(), 3);
        QCOMPARE(g_shownDevices.size(), 2);
        QCOMPARE(g_shownDevices[1].devicePath, pathOf("R8"));
        QCOMPARE(g_foundDevices[1].devicePath, pathOf("R4"));

        hidsim::setOnline("Q2", false);
        DialogChange::updateDeviceIcon(1);
        QCOMPARE(g_foundDevices[1].devicePath, pathOf("R4"));
        QCOMPARE(int(g_foundDevices[1].linkType), 1);
        QCOMPARE(g_foundDevices[2].devicePath, pathOf("R8"));
        QCOMPARE(int(g_foundDevices[2].online), 0);
        QCOMPARE(int(g_shownDevices[1].online), 0);
        // Offline: marker shown, link mark hidden; the second card of a
        // two-card page has the lower name label.
        QVERIFY(shown("label1"));
        QVERIFY(!shown("UsbWifi1"));
        QCOMPARE(child<QWidget>("btn0")->pos(), QPoint(236, 0));
        QCOMPARE(child<QWidget>("btn1")->pos(), QPoint(755, 0));
        QCOMPARE(child<QWidget>("Unkonw1")->height(), 60);

        // An index past the end changes nothing.
        const QList<DeviceAllInfo> before = g_foundDevices;
        QVERIFY(DialogChange::updateDeviceIcon(7));
        QCOMPARE(g_foundDevices.size(), before.size());
    }

    void fourAndFiveDevicesMakePagesOfThree()
    {
        const QString four = receiverGroup("RA", 1, 1, "01 00 01") + receiverGroup("RB", 2, 1, "01 00 02")
                             + receiverGroup("RC", 4, 1, "01 00 03") + receiverGroup("RD", 8, 1, "01 00 04");
        startWith(fixture("four", four));
        QCOMPARE(g_shownDevices.size(), 4);
        QCOMPARE(stack()->count(), 2);
        QVERIFY(shown("RightButton"));
        QVERIFY(!shown("LeftButton"));
        QCOMPARE(child<QWidget>("btn0")->pos(), QPoint(146, 0));
        QCOMPARE(child<QWidget>("btn1")->pos(), QPoint(496, 0));
        QCOMPARE(child<QWidget>("btn2")->pos(), QPoint(846, 0));
        QCOMPARE(child<QWidget>("btn3")->pos(), QPoint(496, 0));
        QCOMPARE(child<QWidget>("btn3")->parentWidget(), stack()->widget(1));
        QCOMPARE(g_rateLabels.size(), 4);
        // Each rate badge lies on its own card, not on a neighbour's.
        for (int n = 0; n < 4; ++n) {
            QWidget *card = child<QWidget>(qPrintable("btn" + QString::number(n)));
            QLabel *badge = g_rateLabels.at(n);
            QCOMPARE(badge->parentWidget(), card->parentWidget());
            QVERIFY2(card->geometry().contains(badge->geometry()), qPrintable("badge " + QString::number(n)));
        }
        // Receivers without a mouse: offline.
        QVERIFY(shown("label3"));
        page.reset();

        startWith(fixture("five", four + receiverGroup("RE", 4, 2, "01 00 05")));
        QCOMPARE(g_shownDevices.size(), 5);
        QCOMPARE(stack()->count(), 2);
        QCOMPARE(child<QWidget>("btn3")->pos(), QPoint(236, 0));
        QCOMPARE(child<QWidget>("btn4")->pos(), QPoint(755, 0));
        QCOMPARE(child<QWidget>("Unkonw3")->height(), 70);
        QCOMPARE(child<QWidget>("Unkonw4")->height(), 60);
        for (int n = 3; n < 5; ++n) {
            QWidget *card = child<QWidget>(qPrintable("btn" + QString::number(n)));
            QVERIFY(card->geometry().contains(g_rateLabels.at(n)->geometry()));
        }
    }

    void arrowsLetTheUserWalkEveryPage()
    {
        QString seven;
        const char *ids[] = {"A1", "A2", "A3", "A4", "B1", "B2", "B4"};
        const int classes[] = {1, 2, 4, 8, 1, 2, 4};
        for (int i = 0; i < 7; ++i)
            seven += receiverGroup(ids[i], classes[i], i < 4 ? 1 : 2, QString("02 00 0%1").arg(i + 1));
        startWith(fixture("seven", seven));
        QCOMPARE(stack()->count(), 3);

        auto right = [&]() { QMetaObject::invokeMethod(page.get(), "on_RightButton_clicked"); };
        auto left = [&]() { QMetaObject::invokeMethod(page.get(), "on_LeftButton_clicked"); };
        child<QWidget>("label_2")->show();
        right();
        QCOMPARE(stack()->currentIndex(), 1);
        QVERIFY(shown("LeftButton"));
        QVERIFY(shown("RightButton"));
        QVERIFY(!shown("label_2"));
        QVERIFY(shown("label_3"));
        QVERIFY(!shown("label_4"));
        right();
        QCOMPARE(stack()->currentIndex(), 2);
        QVERIFY(shown("LeftButton"));
        QVERIFY(!shown("RightButton"));
        left();
        QCOMPARE(stack()->currentIndex(), 1);
        QVERIFY(shown("LeftButton"));
        QVERIFY(shown("RightButton"));
        left();
        QCOMPARE(stack()->currentIndex(), 0);
        QVERIFY(!shown("LeftButton"));
        QVERIFY(shown("RightButton"));
    }

    void twoReceiversOfOneModelShowTheNotice()
    {
        startWith(fixture("double", receiverGroup("RA", 4, 1, "01 00 01") + receiverGroup("RB", 4, 1, "01 00 02")));
        QCOMPARE(g_shownDevices.size(), 2);
        QVERIFY(g_duplicateDevices);
        QVERIFY(shown("QuestionB"));
        QVERIFY(g_deviceButtons.isEmpty());
        QCOMPARE(stack()->count(), 0);
        QVERIFY(!shown("RightButton"));

        // The extra one unplugged: the notice goes and the card comes.
        hidsim::plug("RB", false);
        settle();
        QVERIFY(!g_duplicateDevices);
        QVERIFY(!shown("QuestionB"));
        QCOMPARE(g_deviceButtons.size(), 1);

        // Two receivers of one model on different links are not doubled.
        page.reset();
        startWith(fixture("nodouble", receiverGroup("RA", 4, 1, "01 00 01") + receiverGroup("RB", 8, 1, "01 00 02")));
        QVERIFY(!g_duplicateDevices);
        QCOMPARE(g_deviceButtons.size(), 2);
    }

    void cardsFollowPlugsAndOnlineState()
    {
        startWith(QString());
        QCOMPARE(g_shownDevices.size(), 2);
        QPointer<QWidget> oldCard = child<QWidget>("btn0");

        // Without the cable mouse the receiver's card is the only one.
        hidsim::plug("M2", false);
        settle();
        QCOMPARE(g_shownDevices.size(), 1);
        QCOMPARE(g_shownDevices[0].devicePath, pathOf("R1"));
        QVERIFY(!oldCard);
        QVERIFY(shown("UsbWifi0"));

        // Its mouse switched off: the next hover shows the offline state.
        hidsim::setOnline("M1", false);
        settle();
        DialogChange::updateDeviceIcon(0);
        QVERIFY(shown("label0"));
        QVERIFY(!shown("UsbWifi0"));

        QSignalSpy oneDevice(PostMsg::instance(), &PostMsg::SigJuestOneDevice);
        hidsim::plug("R1", false);
        settle();
        QVERIFY(g_shownDevices.isEmpty());
        QCOMPARE(stack()->count(), 0);
        QVERIFY(shown("label_3"));
        QVERIFY(shown("label_4"));
        QVERIFY(!shown("RightButton"));
        QCOMPARE(oneDevice.last().first().toBool(), false);

        hidsim::plug("R1", true);
        settle();
        QCOMPARE(g_deviceButtons.size(), 1);
        QVERIFY(!shown("label_4"));
    }

    void manyConfiguredModelsStayInsideTheCountTable()
    {
        // DeviceTotal beyond the 15 models the count table once had: the
        // unrecognised index 20 is counted like any other.
        useProgramFolderWithImages(0, 0);
        const QString ini = ConfigSettings::instance()->filePath();
        QFile f(ini);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QByteArray text = f.readAll();
        f.close();
        text.replace("DeviceTotal=2", "DeviceTotal=20");
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
        f.close();
        ConfigSettings::resetForTests();
        startWith(fixture("unknownmice", mouseGroup("MX", 3, true, true) + receiverGroup("RX", 4, 3, "01 00 09")));
        QCOMPARE(g_deviceTotal, 20);
        QCOMPARE(g_shownDevices.size(), 2);
        QCOMPARE(g_shownDevices[0].driveIndex, 20);
        QVERIFY(!g_duplicateDevices);
        QCOMPARE(g_deviceButtons.size(), 2);
    }

    void neverAnsweringDeviceIsAskedTenTimes()
    {
        startWith(fixture("mute", receiverGroup("RZ", 4, 0, "05 00 01").replace("cid=0x21", "cid=0")));
        QCOMPARE(g_shownDevices.size(), 1);
        DeviceAllInfo r;
        r.devicePath = pathOf("RZ");
        hidsim::clearCalls();
        QVERIFY(DialogChange::identifyDevice(r));
        QCOMPARE(hidsim::countCalls("UsbFinderC_GetDeviceInfo"), 10);
        QCOMPARE(r.driveIndex, 2);
        QCOMPARE(int(r.isWired), 0);
        // The unrecognised single device is named by the second text.
        QCOMPARE(child<QLabel>("Unkonw0")->text(), langText(g_langScreenInfo, 0, 1));
    }

    // ---- Page state -------------------------------------------------------------

    void repairButtonFollowsTheFailureRecord()
    {
        RegistryKey(kRegistryKey).setValue("UpdateFailInfo", "211,4,33,1");
        startWith(QString());
        QVERIFY(shown("Repair"));
        QCOMPARE(child<QLabel>("label_3")->text(), g_offlineTipsText);
        QCOMPARE(child<QLabel>("label_2")->text(), g_offlineTipsText);
        QVERIFY(!g_offlineTipsText.isEmpty());

        PostMsg::instance()->postUpDateButton(true);
        QVERIFY(!shown("Repair"));
        QCOMPARE(child<QLabel>("label_3")->text(), langText(g_langDialogChange, 0, 1));
        QVERIFY(RegistryKey(kRegistryKey).contains("UpdateFailInfo"));

        // Enter: first closes the firmware notice, then opens the repair.
        PostMsg::instance()->postUpDateButton(false);
        repairDialog.reset(new UpDateRepair);
        g_updateRepairDialog = repairDialog.get();
        child<QWidget>("FindVer")->show();
        PostMsg::instance()->postEnterKey();
        QVERIFY(!shown("FindVer"));
        QVERIFY(!repairDialog->isVisible());
        PostMsg::instance()->postEnterKey();
        QVERIFY(repairDialog->isVisible());
        QVERIFY(repairDialog->isModal());
        repairDialog->close();

        RegistryKey(kRegistryKey).remove("UpdateFailInfo");
        page.reset();
        startWith(QString());
        QVERIFY(!shown("Repair"));
        QCOMPARE(child<QLabel>("label_3")->text(), langText(g_langDialogChange, 0, 1));
    }

    void languageChangeRewritesMarkerTooltips()
    {
        QDir().mkpath(userDataDir());
        startWith(QString());
        QVERIFY(!g_offlineMarkers.isEmpty());
        page->SlotAllLanguage(1);
        const QString expected = langText(g_langDialogChange, 1, 5) + "\n" + langText(g_langDialogChange, 1, 6);
        QCOMPARE(g_offlineMarkers[0]->toolTip(), expected);
        QCOMPARE(child<QLabel>("label")->text(), langText(g_langQuestionB, 1, 0));

        QMetaObject::invokeMethod(page.get(), "on_NoApear_clicked", Q_ARG(bool, true));
        QCOMPARE(MacroSettings::instance()->readString("FindNew", "IsShow"), QString("1"));
        QMetaObject::invokeMethod(page.get(), "on_NoApear_clicked", Q_ARG(bool, false));
        QCOMPARE(MacroSettings::instance()->readString("FindNew", "IsShow"), QString("0"));
    }

    // ---- Selection ---------------------------------------------------------------

    void cardOpensItsDevice()
    {
        startWith(fixture("three", receiverGroup("RA", 1, 1, "01 00 01") + receiverGroup("RB", 2, 1, "01 00 02")
                                       + receiverGroup("RC", 8, 2, "01 00 03")));
        QCOMPARE(g_shownDevices.size(), 3);
        PostMsg *hub = PostMsg::instance();
        QSignalSpy select(hub, &PostMsg::SigSelectMouseInfo);
        QSignalSpy labelB(hub, &PostMsg::SigLabelTextB);
        QSignalSpy mainDialog(hub, &PostMsg::SigChangeMainDialog);
        QSignalSpy mouseIndex(hub, &PostMsg::SigMouseIndex);
        QSignalSpy style(hub, &PostMsg::SigSetStyle);

        // The pause before the Worker starts runs events (the window paints);
        // a second click is not taken then, and a device change waits until
        // the click has been handled.
        bool paused = false;
        bool changeHeld = false;
        QTimer::singleShot(0, this, [&] {
            paused = mainDialog.count() == 1 && g_devicePageActive == 0;
            hidsim::clearCalls();
            DialogChange::onUsbChanged();
            changeHeld = hidsim::countCalls("UsbFinderC_FindHidDevicesByDefaultDeviceId") == 0;
            clickCard(0);
        });
        clickCard(2);
        QVERIFY(paused);
        QVERIFY(changeHeld);
        QTRY_VERIFY(hidsim::countCalls("UsbFinderC_FindHidDevicesByDefaultDeviceId") > 0);
        QCOMPARE(select.count(), 1);
        QCOMPARE(select.first().first().value<DeviceAllInfo>().devicePath, pathOf("RC"));
        QCOMPARE(labelB.count(), 1);
        QCOMPARE(labelB.first().first().toString(), QString("v1.02"));
        QCOMPARE(mainDialog.count(), 1);
        QCOMPARE(mainDialog.first().first().toInt(), 1);
        QCOMPARE(g_devicePageActive, 1);
        QCOMPARE(int(g_workerReadPending), 1);
        QCOMPARE(mouseIndex.first().first().toInt(), 2);
        QCOMPARE(style.count(), 1);
        // The model's colour set is the theme now.
        QCOMPARE(g_deviceMid, 2);
        QCOMPARE(g_themeSliderColor, ConfigSettings::instance()->readStringList("ColorSet2", "SliderColor"));
        QCOMPARE(g_themeMenuBorder, ConfigSettings::instance()->readString("ColorSet2", "MenuBorder"));
    }

    void unrecognisedDevicesAreNeverOpened()
    {
        // A mouse of an unknown model on its cable only rethemes.
        startWith(fixture("unknownmouse", mouseGroup("MX", 3, true, true)));
        QCOMPARE(g_shownDevices.size(), 1);
        QCOMPARE(g_shownDevices[0].driveIndex, g_deviceTotal);
        QVERIFY(g_shownDevices[0].isWired);
        PostMsg *hub = PostMsg::instance();
        QSignalSpy style(hub, &PostMsg::SigSetStyle);
        QSignalSpy mainDialog(hub, &PostMsg::SigChangeMainDialog);
        QSignalSpy mouseIndex(hub, &PostMsg::SigMouseIndex);
        QString opened;
        whenModal([&](QWidget *w) {
            opened = w->metaObject()->className();
            w->close();
        });
        clickCard(0);
        QCOMPARE(style.count(), 1);
        QCOMPARE(mouseIndex.first().first().toInt(), 1);   // no MID: the previous value
        QCOMPARE(mainDialog.count(), 0);
        QVERIFY(opened.isEmpty());
        for (const QPointer<QTimer> &poll : qAsConst(m_pollers))
            delete poll.data();
        page.reset();

        // An unknown receiver runs the check: no recorded mouse version,
        // so pairing opens; the device is not opened either way.
        startWith(fixture("unknownreceiver", receiverGroup("RX", 4, 3, "01 00 09")));
        QString pairPath;
        whenModal([&](QWidget *w) {
            opened = w->metaObject()->className();
            if (auto *m = qobject_cast<Match *>(w))
                pairPath = m->devicePath();
            w->close();
        });
        clickCard(0);
        QCOMPARE(opened, QString("Match"));
        QCOMPARE(pairPath, pathOf("RX"));
        QCOMPARE(mainDialog.count(), 0);
    }

    void twinWithoutMouseVersionPairsTheDeviceUnderCheck()
    {
        startWith(twinBench());
        QCOMPARE(g_shownDevices.size(), 2);
        QCOMPARE(g_shownDevices[0].devicePath, pathOf("R4"));
        QSignalSpy mainDialog(PostMsg::instance(), &PostMsg::SigChangeMainDialog);
        QString opened, pairPath;
        whenModal([&](QWidget *w) {
            opened = w->metaObject()->className();
            if (auto *m = qobject_cast<Match *>(w))
                pairPath = m->devicePath();
            w->close();
        });
        clickCard(0);
        QCOMPARE(opened, QString("Match"));
        QCOMPARE(pairPath, pathOf("R4"));
        QCOMPARE(g_pairDevice.devicePath, pathOf("R4"));
        QCOMPARE(int(g_pairWithStoredDevice), 1);
        QCOMPARE(mainDialog.count(), 0);

        // The online one of the two opens at once.
        clickCard(1);
        QCOMPARE(mainDialog.count(), 1);
    }

    void twinDecisionTable_data()
    {
        // The receiver R4 runs v1.02, its model's mouse was last heard at v1.05.
        QTest::addColumn<int>("receiverImage");   // image versions in bin/; 0 none
        QTest::addColumn<int>("mouseImage");
        QTest::addColumn<bool>("confirm");
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<bool>("opens");
        QTest::addColumn<bool>("pairs");
        QTest::newRow("receiver only") << 0x103 << 0 << false << QString() << true << false;
        QTest::newRow("mouse only") << 0 << 0x106 << false << QString("UpDateWarning") << false << false;
        QTest::newRow("both, declined") << 0x103 << 0x106 << false << QString("RePair") << false << false;
        QTest::newRow("neither, confirmed") << 0 << 0 << true << QString("RePair") << false << true;
        // Each device is compared with its own version: the receiver's image
        // against the receiver, the mouse's against the mouse.
        QTest::newRow("the receiver on its image's version, the mouse new")
            << 0x102 << 0x106 << false << QString("UpDateWarning") << false << false;
        QTest::newRow("the receiver's image of the mouse's version")
            << 0x105 << 0 << false << QString() << true << false;
        QTest::newRow("both on their images' versions") << 0x102 << 0x105 << false << QString("RePair") << false << false;
    }

    void twinDecisionTable()
    {
        QFETCH(int, receiverImage);
        QFETCH(int, mouseImage);
        QFETCH(bool, confirm);
        QFETCH(QString, dialog);
        QFETCH(bool, opens);
        QFETCH(bool, pairs);

        useProgramFolderWithImages(quint32(receiverImage), quint32(mouseImage));
        RegistryKey(kRegistryKey).setValue("MouseVer331", "v1.05");
        startWith(twinBench());
        QSignalSpy mainDialog(PostMsg::instance(), &PostMsg::SigChangeMainDialog);
        QStringList opened;
        std::function<void(QWidget *)> answer = [&](QWidget *w) {
            opened << w->metaObject()->className();
            if (auto *question = qobject_cast<RePair *>(w)) {
                if (confirm) {
                    whenModal(answer);   // the pairing dialog comes next
                    question->findChild<QToolButton *>("OK")->click();
                    return;
                }
            }
            w->close();
        };
        whenModal(answer);
        clickCard(0);
        QCOMPARE(mainDialog.count(), opens ? 1 : 0);
        if (dialog.isEmpty())
            QVERIFY(opened.isEmpty());
        else
            QCOMPARE(opened.value(0), dialog);
        QCOMPARE(opened.contains("Match"), pairs);
        if (pairs)
            QCOMPARE(g_pairDevice.devicePath, pathOf("R4"));
    }

    void listRebuiltDuringQuestionKeepsTheClickedCard()
    {
        RegistryKey(kRegistryKey).setValue("MouseVer331", "v1.05");
        useProgramFolderWithImages(0, 0);
        startWith(twinBench());
        QPointer<QToolButton> clicked = page->findChild<QToolButton *>("btn0");
        QVERIFY(clicked);
        QStringList opened;
        bool rebuiltWhileOpen = false;
        std::function<void(QWidget *)> answer = [&](QWidget *w) {
            opened << w->metaObject()->className();
            if (auto *question = qobject_cast<RePair *>(w)) {
                // The clicked receiver is pulled: the list is rebuilt while
                // the question is open and entry 0 is another device now.
                hidsim::plug("R4", false);
                hidsim::waitIdle();
                QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
                rebuiltWhileOpen = clicked && clicked->isHidden() && g_shownDevices.size() == 1
                                   && g_shownDevices[0].devicePath == pathOf("R8");
                whenModal(answer);
                question->findChild<QToolButton *>("OK")->click();
                return;
            }
            w->close();
        };
        whenModal(answer);
        clicked->click();
        QVERIFY(rebuiltWhileOpen);
        QCOMPARE(opened, QStringList({"RePair", "Match"}));
        // The copy taken at the click is paired, not whatever entry 0 is now.
        QCOMPARE(g_pairDevice.devicePath, pathOf("R4"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!clicked);
        QCOMPARE(g_deviceButtons.size(), 1);
    }
};

QTEST_MAIN(TestDialogChange)
#include "tst_dialogchange.moc"

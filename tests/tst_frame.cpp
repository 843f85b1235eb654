// The frame: header states for the page switches, the pairing button's
// visibility, the language box, hover pairing, key handling, closing with
// the device image saved, and the upload notice's re-read flag.

#include "HIDUsb.h"
#include "buttoninterface.h"
#include "deviceenumeration.h"
#include "devicestate.h"
#include "dialog.h"
#include "dialogchange.h"
#include "formsetting.h"
#include "globals.h"
#include "hidusb_sim.h"
#include "imagecache.h"
#include "languageloader.h"
#include "macrosettings.h"
#include "myconmbobox.h"
#include "postmsg.h"
#include "syncedtoolbutton.h"
#include "testsupport.h"
#include "ui_Dialog.h"
#include "updataparam.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTimer>
#include <QtTest>

#include <cstring>
#include <memory>

namespace {

// Records the keys that reach it from its child.
class KeyRecorder : public QWidget
{
public:
    QList<int> keys;

protected:
    void keyPressEvent(QKeyEvent *event) override { keys.append(event->key()); }
};

DeviceAllInfo device(int index)
{
    DeviceAllInfo d;
    d.devicePath = QStringLiteral("dev%1").arg(index);
    d.cid = 0x21;
    d.mid = 1;
    return d;
}

} // namespace

class TestFrame : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<KeyRecorder> holder;
    Dialog *frame = nullptr;
    Ui::Dialog *ui = nullptr;

    QStackedWidget *stack() const { return ui->stackedWidgetDialog; }
    QString background() const { return frame->backgroundPicture(); }
    // The frame behind the pages as it paints itself, the pages left out.
    QImage paintedBackground() const
    {
        QImage shot(ui->frame_2->size(), QImage::Format_RGB32);
        shot.fill(Qt::black);
        ui->frame_2->render(&shot, QPoint(), QRegion(), QWidget::DrawWindowBackground);
        return shot;
    }
    bool navigationShown() const
    {
        for (QWidget *w : {static_cast<QWidget *>(ui->toolButton), static_cast<QWidget *>(ui->toolButton_2),
                           static_cast<QWidget *>(ui->toolButton_3), static_cast<QWidget *>(ui->ButtonMain_2),
                           static_cast<QWidget *>(ui->ButtonMain_3), static_cast<QWidget *>(ui->ButtonMain_4)}) {
            if (w->isHidden())
                return false;
        }
        return true;
    }
    bool navigationHidden() const
    {
        for (QWidget *w : {static_cast<QWidget *>(ui->toolButton), static_cast<QWidget *>(ui->toolButton_2),
                           static_cast<QWidget *>(ui->toolButton_3), static_cast<QWidget *>(ui->ButtonMain_2),
                           static_cast<QWidget *>(ui->ButtonMain_3), static_cast<QWidget *>(ui->ButtonMain_4)}) {
            if (!w->isHidden())
                return false;
        }
        return true;
    }

private slots:
    void initTestCase()
    {
        registerDeviceMetaTypes();
        LanguageLoader().LanguageTextLoader();
    }
    void init()
    {
        resetAllGlobals();
        hidsim::reset();
        hidsim::setTimeScale(0);
        // No device on the bus: the list stays empty and quiet.
        hidsim::plug("R1", false);
        hidsim::plug("M2", false);
        QDir().mkpath(deviceCacheDir());
        MacroSettings::instance()->remove("Language", "Language");
        holder.reset(new KeyRecorder);
        frame = new Dialog(holder.get());
        ui = frame->form();
        hidsim::waitIdle();
        QCoreApplication::processEvents();
    }
    void cleanup()
    {
        StopUsbChanged();
        UsbServer_Exit();
        hidsim::waitIdle();
        holder.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QFile::remove(deviceCacheDir() + "Device_CID21_MID01.bin");
    }

    // The frame comes up with the list alone, the places of the device page
    // and the settings page held; they follow the window's first paint (or
    // whoever needs them first) in their places, the list still shown, and
    // take the language the window announced before them.
    void startsInTheListState_data()
    {
        QTest::addColumn<bool>("byPaint");
        QTest::newRow("after the first paint") << true;
        QTest::newRow("when needed") << false;
    }
    void startsInTheListState()
    {
        QFETCH(bool, byPaint);
        QCOMPARE(stack()->count(), 3);
        QVERIFY(!qobject_cast<Buttoninterface *>(stack()->widget(0)));
        QVERIFY(qobject_cast<DialogChange *>(stack()->widget(1)));
        QVERIFY(!qobject_cast<FormSetting *>(stack()->widget(2)));
        QCOMPARE(stack()->currentIndex(), 1);
        QVERIFY(navigationHidden());
        QVERIFY(ui->toolButton_4->isHidden());
        QVERIFY(!ui->comboBox->isHidden());
        QVERIFY(background().contains("main_nr.png"));
        QCOMPARE(ui->comboBox->count(), 2);
        QCOMPARE(ui->comboBox->itemText(1), QString::fromUtf8("简体中文"));

        g_language = 1;
        PostMsg::instance()->postAllLanguage(1);
        if (byPaint) {
            holder->show();
            QTRY_VERIFY(qobject_cast<Buttoninterface *>(stack()->widget(0)));
        } else {
            QVERIFY(frame->buttonPage());
        }
        QCOMPARE(stack()->widget(0), frame->buttonPage());
        QCOMPARE(stack()->widget(2), frame->settingsPage());
        QCOMPARE(stack()->currentIndex(), 1);
        QCOMPARE(stack()->findChild<QToolButton *>("NewHong")->text(), langText(g_langMacro, 1, 2));
    }

    void headerStatesForPageIndexes()
    {
        g_shownDevices = {device(0)};
        frame->SlotSelectStackIndex(1);
        QCOMPARE(stack()->currentIndex(), 0);
        QVERIFY(navigationShown());
        QVERIFY(ui->comboBox->isHidden());
        QVERIFY(ui->toolButton_4->isHidden());
        QVERIFY(ui->toolButton_2->isChecked());
        QVERIFY(background().contains("key_nr.png"));

        frame->SlotSelectStackIndex(2);
        QCOMPARE(stack()->currentIndex(), 2);
        QVERIFY(navigationShown());
        QVERIFY(ui->toolButton_3->isChecked());
        QVERIFY(!ui->toolButton_2->isChecked());
        QVERIFY(background().contains("main_nr.png"));

        frame->SlotSelectStackIndex(3);   // the macro chooser's jump
        QCOMPARE(stack()->currentIndex(), 2);
        QVERIFY(background().contains("macro_nr.png"));

        frame->SlotSelectStackIndex(0);
        QCOMPARE(stack()->currentIndex(), 1);
        QVERIFY(navigationHidden());
        QVERIFY(!ui->comboBox->isHidden());
        QVERIFY(!ui->toolButton_4->isHidden());   // exactly one device
        QVERIFY(ui->toolButton->isChecked());
        QVERIFY(background().contains("main_nr.png"));

        frame->SlotSelectStackIndex(7);
        QCOMPARE(stack()->currentIndex(), 1);
    }

    void buttonPageBackgroundByLinkType_data()
    {
        QTest::addColumn<int>("linkType");
        QTest::addColumn<QString>("picture");
        QTest::newRow("1K") << 0 << "key_nr.png";
        QTest::newRow("4K") << 1 << "key_nr.png";
        QTest::newRow("3") << 3 << "key_nr_2.png";
        QTest::newRow("8K") << 5 << "key_nr_2.png";
        QTest::newRow("high byte ignored") << 0x105 << "key_nr_2.png";
    }
    void buttonPageBackgroundByLinkType()
    {
        QFETCH(int, linkType);
        QFETCH(QString, picture);
        g_selectedDevice.linkType = linkType;
        frame->SlotSelectStackIndex(1);
        QVERIFY2(background().contains("/" + picture), qPrintable(background()));
        const QImage shown = QImage(programDir() + "/Picture/Dialog/" + picture).convertToFormat(QImage::Format_RGB32);
        QVERIFY(!shown.isNull());
        QVERIFY(paintedBackground() == shown);
        frame->SlotSelectStackIndex(0);
        frame->on_ButtonMain_3_clicked();   // pair 1 follows the same rule
        QVERIFY(background().contains("/" + picture));
    }

    void partOfTheFrameRepaintedShowsThePicture()
    {
        // A repaint of a part shows the picture's pixels there, whichever
        // tiles the part crosses, up to the right and bottom edges.
        const QImage picture =
            QImage(programDir() + "/Picture/Dialog/main_nr.png").convertToFormat(QImage::Format_RGB32);
        for (const QRect &part : {QRect(31, 31, 2, 2), QRect(100, 64, 33, 1), QRect(1330, 930, 10, 10)}) {
            QImage shot(ui->frame_2->size(), QImage::Format_RGB32);
            shot.fill(Qt::black);
            ui->frame_2->render(&shot, part.topLeft(), QRegion(part), QWidget::DrawWindowBackground);
            QVERIFY2(shot.copy(part) == picture.copy(part), qPrintable(QString("at %1,%2").arg(part.x()).arg(part.y())));
        }
    }

    void pairingButtonVisibility()
    {
        // Shown only on the list (or before any page is current).
        frame->SlotJustOneDevice(true);
        QVERIFY(!ui->toolButton_4->isHidden());
        frame->SlotJustOneDevice(false);
        QVERIFY(ui->toolButton_4->isHidden());
        frame->SlotSelectStackIndex(1);
        frame->SlotJustOneDevice(true);
        QVERIFY(ui->toolButton_4->isHidden());
        frame->SlotSelectStackIndex(2);
        frame->SlotJustOneDevice(true);
        QVERIFY(ui->toolButton_4->isHidden());

        // With two devices, going back leaves its visibility alone.
        g_shownDevices = {device(0), device(1)};
        frame->SlotSelectStackIndex(0);
        QVERIFY(ui->toolButton_4->isHidden());
        frame->SlotJustOneDevice(true);
        // A card click on the list announces the model before its checks;
        // a device that stays on the list leaves the list's header whole.
        g_shownDevices = {device(0)};
        frame->SlotMouseIndex(3);
        QVERIFY(!ui->toolButton_4->isHidden());
        QVERIFY(!ui->comboBox->isHidden());

        // Away from the list (the button page's reset) the box goes, and
        // the pairing button with exactly one device.
        g_shownDevices = {device(0), device(1)};
        stack()->setCurrentIndex(0);
        frame->SlotMouseIndex(3);   // more than one device: only the box goes
        QVERIFY(!ui->toolButton_4->isHidden());
        QVERIFY(ui->comboBox->isHidden());
        g_shownDevices = {device(0)};
        frame->SlotMouseIndex(3);
        QVERIFY(ui->toolButton_4->isHidden());
    }

    void navigationPairs()
    {
        QSignalSpy change(PostMsg::instance(), &PostMsg::SigChangeMainDialog);
        frame->on_toolButton_3_clicked();
        QCOMPARE(stack()->currentIndex(), 2);
        QVERIFY(navigationShown());
        frame->on_toolButton_2_clicked();
        QCOMPARE(stack()->currentIndex(), 0);
        QCOMPARE(change.count(), 0);
        // Pair 0 asks the top-level window; it does not switch by itself.
        frame->on_ButtonMain_2_clicked();
        QCOMPARE(change.count(), 1);
        QCOMPARE(change.at(0).at(0).toInt(), 0);
        QCOMPARE(stack()->currentIndex(), 0);
        QVERIFY(!ui->comboBox->isHidden());
        frame->SlotSecondDialog();
        QCOMPARE(stack()->currentIndex(), 0);
    }

    void languageBoxStoresAndAnnounces()
    {
        QStringList order;
        auto a = connect(PostMsg::instance(), &PostMsg::SigAllLanguage, [&order](int i) { order << QString("all%1").arg(i); });
        auto b = connect(PostMsg::instance(), &PostMsg::SigLanguageSameB, [&order](int i) { order << QString("sameB%1").arg(i); });
        frame->on_comboBox_activated(1);
        disconnect(a);
        disconnect(b);
        QCOMPARE(order, QStringList({"all1", "sameB1"}));
        QCOMPARE(g_language, 1);
        QCOMPARE(MacroSettings::instance()->readString("Language", "Language"), QString("1"));
        // The navigation texts follow the device list's table, also once the
        // toolkit has taken its own catalogue for the language.
        QCoreApplication::sendPostedEvents();
        QCOMPARE(ui->ButtonMain_3->text(), langText(g_langDialogChange, 1, 11));
        QVERIFY(!ui->ButtonMain_3->text().isEmpty());
    }

    void followingAnotherPagesChoiceWritesNothing()
    {
        QSignalSpy all(PostMsg::instance(), &PostMsg::SigAllLanguage);
        PostMsg::instance()->postLanguageSameA(1);
        QCOMPARE(ui->comboBox->currentIndex(), 1);
        QCOMPARE(all.count(), 0);
        QVERIFY(MacroSettings::instance()->readString("Language", "Language").isEmpty());
        frame->SlotSameLanguageA(5);   // a language the box does not hold
        QCOMPARE(ui->comboBox->currentIndex(), -1);
        QCOMPARE(all.count(), 0);
    }

    void hoverLightsBothButtonsOfAPair()
    {
        PostMsg::instance()->postChangeStyle(1, true);
        QVERIFY(ui->ButtonMain_3->styleSheet().contains("color: rgb(255, 255, 0);} QToolButton:hover"));
        QVERIFY(ui->toolButton_2->styleSheet().contains("Device.png"));
        QVERIFY(!ui->toolButton_2->styleSheet().contains("DeviceHover.png"));
        PostMsg::instance()->postChangeStyle(1, false);
        QVERIFY(ui->ButtonMain_3->styleSheet().contains("color: rgb(255, 255, 255);}"));
        QVERIFY(ui->toolButton_2->styleSheet().contains("DeviceHover.png"));
        const QString before = ui->ButtonMain_2->styleSheet();
        frame->SlotChangeStyle(9, true);
        QCOMPARE(ui->ButtonMain_2->styleSheet(), before);
    }

    void recordingDisablesOnlyTheTextButtons()
    {
        frame->SlotStartRecord(0);
        QVERIFY(!ui->ButtonMain_2->isEnabled());
        QVERIFY(!ui->ButtonMain_3->isEnabled());
        QVERIFY(!ui->ButtonMain_4->isEnabled());
        QVERIFY(ui->toolButton->isEnabled());
        QVERIFY(ui->toolButton_3->isEnabled());
        frame->SlotStartRecord(2);
        QVERIFY(!ui->ButtonMain_2->isEnabled());
        frame->SlotStartRecord(1);
        QVERIFY(ui->ButtonMain_4->isEnabled());
    }

    void escapeAndF12StayInTheFrame()
    {
        for (int key : {int(Qt::Key_Escape), int(Qt::Key_F12), int(Qt::Key_A), int(Qt::Key_Space)}) {
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
            QCoreApplication::sendEvent(frame, &press);
        }
        QCOMPARE(holder->keys, QList<int>({Qt::Key_A, Qt::Key_Space}));
    }

    void closeSavesTheLiveImage()
    {
        QSignalSpy size(PostMsg::instance(), &PostMsg::SigChangeSize);
        FlashDataMap image;
        u8 *p = reinterpret_cast<u8 *>(&image);
        for (int i = 0; i < int(sizeof image); ++i)
            p[i] = u8(i * 31 + 7);
        g_flashDataMap = image;
        g_deviceCacheName = "Device_CID21_MID01.bin";
        QTest::mouseClick(ui->CloseButton, Qt::LeftButton);
        QCOMPARE(size.count(), 1);
        QCOMPARE(size.at(0).at(0).toInt(), 1);
        FlashDataMap cached;
        QVERIFY(loadDeviceInfo("Device_CID21_MID01.bin", &cached));
        QVERIFY(std::memcmp(&cached, &image, sizeof image) == 0);
    }

    void closeBeforeAnyDeviceWritesNoCache()
    {
        QSignalSpy size(PostMsg::instance(), &PostMsg::SigChangeSize);
        frame->on_CloseButton_clicked();
        QCOMPARE(size.count(), 1);
        QCOMPARE(QDir(deviceCacheDir()).entryList(QDir::Files), QStringList());
    }

    void minimiseAsksForTheTray()
    {
        QSignalSpy size(PostMsg::instance(), &PostMsg::SigChangeSize);
        QTest::mouseClick(ui->MinButton, Qt::LeftButton);
        QCOMPARE(size.count(), 1);
        QCOMPARE(size.at(0).at(0).toInt(), 0);
    }

    void versionLabelRequestIsAnswered()
    {
        QSignalSpy real(PostMsg::instance(), &PostMsg::SigGetRealVer);
        PostMsg::instance()->postSetLabelVerB();
        QCOMPARE(real.count(), 1);
    }

    // The settings page's own language choice stores it and the frame's box
    // follows without storing it again; the texts other windows borrow from
    // the page follow the language.
    void settingsPageLanguageChoice()
    {
        FormSetting *settings = frame->settingsPage();
        QSignalSpy sameA(PostMsg::instance(), &PostMsg::SigLanguageSameA);
        QSignalSpy sameB(PostMsg::instance(), &PostMsg::SigLanguageSameB);
        QPushButton *chinese = settings->findChild<QPushButton *>("pushButton_2");
        QVERIFY(chinese);
        QTest::mouseClick(chinese, Qt::LeftButton);
        QCOMPARE(g_language, 1);
        QCOMPARE(MacroSettings::instance()->readString("Language", "Language"), QString("1"));
        QCOMPARE(sameA.count(), 1);
        QCOMPARE(sameB.count(), 0);
        QCOMPARE(ui->comboBox->currentIndex(), 1);
        QCOMPARE(g_updateWarningText, langText(g_langFormSetting, 1, 14));
        QVERIFY(!g_updateWarningText.isEmpty());
        QCOMPARE(chinese->text(), langText(g_langScreenInfo, 1, 4));
    }

    void settingsPageVersionsAnswerTheFrame()
    {
        frame->buildDeferredPages();
        PostMsg::instance()->postLabelText(0, "v1.02");
        PostMsg::instance()->postLabelText(1, "v1.05");
        // The page's answer went through the frame: SigSetLabelVerB, then
        // SigGetRealVer back to the page, which copies its labels.
        QCOMPARE(g_settingsVersionTextA, QString("v1.02"));
        QCOMPARE(g_settingsVersionTextB, QString("v1.05"));
    }

    // Each announcement decides the notice's read kind anew: a re-read flag
    // must not stick to the next first read.
    void reloadFlagFollowsEachAnnouncement()
    {
        UpDataParam *notice = frame->upDataParamNotice();
        QList<bool> seen;
        auto closeNotice = [notice, &seen] {
            QTimer::singleShot(50, [notice, &seen] {
                seen << (QApplication::activeModalWidget() == notice);
                notice->closeTimer()->stop();
                notice->close();
            });
        };
        closeNotice();
        PostMsg::instance()->postUpDataParam(1);
        QVERIFY(notice->reloadMode);
        closeNotice();
        PostMsg::instance()->postUpDataParam(0);
        QVERIFY(!notice->reloadMode);
        closeNotice();
        PostMsg::instance()->postUpDataParam(2);
        QVERIFY(!notice->reloadMode);
        QCOMPARE(seen, QList<bool>({true, true, true}));
    }
};

QTEST_MAIN(TestFrame)
#include "tst_frame.moc"

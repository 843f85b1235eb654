// The parameter upload notice's timeout work: keeping the device cache after
// a first read, applying an imported configuration, falling back to the
// cache of an offline device, and the offline notice when nothing arrives.

#include "HIDUsb.h"
#include "devicestate.h"
#include "globals.h"
#include "hidusb_sim.h"
#include "imagecache.h"
#include "languageloader.h"
#include "postmsg.h"
#include "testsupport.h"
#include "updataparam.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <cstring>

namespace {

const QString kCacheName = QStringLiteral("Device_CID21_MID01.bin");

FlashDataMap patternImage(int seed)
{
    FlashDataMap m;
    u8 *p = reinterpret_cast<u8 *>(&m);
    for (int i = 0; i < int(sizeof m); ++i)
        p[i] = u8(seed + (i * 7) % 251);
    m.dpiLevelCount = 4;
    return m;
}

bool sameImage(const FlashDataMap &a, const FlashDataMap &b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Closes whatever modal window comes up (the failure notice) a moment later.
void closeNextModal(QString *seenClass)
{
    QTimer::singleShot(100, [seenClass] {
        if (QWidget *w = QApplication::activeModalWidget()) {
            *seenClass = QString::fromLatin1(w->metaObject()->className());
            w->close();
        }
    });
}

} // namespace

class TestUpDataParam : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir files;

private slots:
    void initTestCase()
    {
        registerDeviceMetaTypes();
        LanguageLoader().LanguageTextLoader();
    }
    void init()
    {
        resetAllGlobals();
        g_upDataParamTextIndex = 0;
        hidsim::reset();
        hidsim::setTimeScale(0);
        QDir().mkpath(deviceCacheDir());
        QFile::remove(deviceCacheDir() + kCacheName);
        g_selectedDevice.driveIndex = 0;
        g_selectedDevice.cid = 0x21;
        g_selectedDevice.mid = 1;
    }

    void textFollowsTheTextIndex()
    {
        UpDataParam reading;
        QLabel *label = reading.findChild<QLabel *>("label");
        QCOMPARE(label->text(), langText(g_langUpDataParam, 0, 0));
        g_upDataParamTextIndex = 1;
        UpDataParam importing;
        QCOMPARE(importing.findChild<QLabel *>("label")->text(), langText(g_langUpDataParam, 0, 1));
        QVERIFY(label->text() != importing.findChild<QLabel *>("label")->text());
    }

    void closeTimerIsSingleShotOf2500()
    {
        UpDataParam notice;
        notice.startCloseTimer();
        QVERIFY(notice.closeTimer()->isActive());
        QVERIFY(notice.closeTimer()->isSingleShot());
        QCOMPARE(notice.closeTimer()->interval(), 2500);
        notice.closeTimer()->stop();
    }

    // A first connection to a device without a cache file creates it once the
    // page refreshed; a later read leaves it alone.
    void firstReadCreatesCacheOnce()
    {
        UpDataParam notice;
        QSignalSpy offline(PostMsg::instance(), &PostMsg::SigMouseOffLineo);
        QSignalSpy setver(PostMsg::instance(), &PostMsg::SigSetver);
        g_deviceDataLoaded = 1;
        g_deviceOnline = 1;
        g_deviceCachePath = g_deviceCacheName = kCacheName;
        const FlashDataMap first = patternImage(3);
        g_flashDataMap = first;
        g_buttonUiUpToDate = 1;

        notice.onTimeupDestroy();
        QCOMPARE(offline.count(), 0);
        QCOMPARE(setver.count(), 1);
        QCOMPARE(setver.at(0).at(0).toInt(), 4);
        QCOMPARE(int(g_buttonUiUpToDate), 0);   // seen and taken
        FlashDataMap cached;
        QVERIFY(loadDeviceInfo(kCacheName, &cached));
        QVERIFY(sameImage(cached, first));

        g_flashDataMap = patternImage(9);
        g_buttonUiUpToDate = 1;
        notice.onTimeupDestroy();
        QVERIFY(loadDeviceInfo(kCacheName, &cached));
        QVERIFY(sameImage(cached, first));
    }

    void offlineDeviceKeepsNoCache()
    {
        UpDataParam notice;
        g_deviceDataLoaded = 1;
        g_deviceOnline = 0;
        g_deviceCachePath = g_deviceCacheName = kCacheName;
        g_buttonUiUpToDate = 1;
        notice.onTimeupDestroy();
        QVERIFY(!QFile::exists(deviceCacheDir() + kCacheName));
    }

    // The page never refreshed: after its 6 s wait, the notice raises the
    // offline notice with the reason "upload timed out", and the wait kept
    // the event loop running.
    void noRefreshRaisesTimeoutNotice()
    {
        UpDataParam notice;
        QSignalSpy offline(PostMsg::instance(), &PostMsg::SigMouseOffLineo);
        g_deviceDataLoaded = 1;
        g_buttonUiUpToDate = 0;
        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
        ticker.start(100);
        QElapsedTimer clock;
        clock.start();
        notice.onTimeupDestroy();
        QVERIFY(clock.elapsed() >= 5900);
        QVERIFY(ticks >= 40);
        QCOMPARE(offline.count(), 1);
        QCOMPARE(offline.at(0).at(0).toInt(), 1);
    }

    void refreshArrivingDuringTheWaitEndsItEarly()
    {
        UpDataParam notice;
        QSignalSpy offline(PostMsg::instance(), &PostMsg::SigMouseOffLineo);
        g_deviceDataLoaded = 1;
        g_buttonUiUpToDate = 0;
        QTimer::singleShot(600, [] { g_buttonUiUpToDate = 1; });
        QElapsedTimer clock;
        clock.start();
        notice.onTimeupDestroy();
        QVERIFY(clock.elapsed() < 2500);
        QCOMPARE(offline.count(), 0);
    }

    void noDataShowsTheCacheAndTheOfflineNotice()
    {
        const FlashDataMap cached = patternImage(21);
        saveDeviceInfo(kCacheName, cached);
        g_deviceCachePath = kCacheName;
        g_deviceDataLoaded = 0;
        UpDataParam notice;
        QSignalSpy buttons(PostMsg::instance(), &PostMsg::SigUpDataButtonUIC);
        QSignalSpy light(PostMsg::instance(), &PostMsg::SigUpDataLightUIA);
        QSignalSpy sensor(PostMsg::instance(), &PostMsg::SigUpDataSensorUIB);
        QSignalSpy formB(PostMsg::instance(), &PostMsg::SigFormB);
        QSignalSpy offline(PostMsg::instance(), &PostMsg::SigMouseOffLineo);
        notice.onTimeupDestroy();
        QCOMPARE(buttons.count(), 1);
        QCOMPARE(light.count(), 1);
        QCOMPARE(sensor.count(), 1);
        QCOMPARE(formB.count(), 1);
        QVERIFY(sameImage(buttons.at(0).at(0).value<FlashDataMap>(), cached));
        QCOMPARE(offline.count(), 1);
        QCOMPARE(offline.at(0).at(0).toInt(), 0);

        QFile::remove(deviceCacheDir() + kCacheName);
        buttons.clear();
        offline.clear();
        notice.onTimeupDestroy();
        QCOMPARE(buttons.count(), 0);
        QCOMPARE(offline.count(), 1);
    }

    void importAppliesAndSendsOnce()
    {
        const FlashDataMap imported = patternImage(33);
        const QString path = files.path() + "/good.bin";
        ExportConfigFile(path, imported);
        g_flashDataMap = patternImage(1);
        hidsim::clearSentImages();

        g_upDataParamTextIndex = 1;
        UpDataParam notice;
        notice.importMode = true;
        notice.importPath = path;
        QSignalSpy buttons(PostMsg::instance(), &PostMsg::SigUpDataButtonUIC);
        QSignalSpy light(PostMsg::instance(), &PostMsg::SigUpDataLightUIA);
        QSignalSpy sensor(PostMsg::instance(), &PostMsg::SigUpDataSensorUIB);
        QSignalSpy formB(PostMsg::instance(), &PostMsg::SigFormB);
        notice.onTimeupDestroy();

        QCOMPARE(g_importResult, 0);
        QVERIFY(sameImage(g_flashDataMap, imported));
        const auto sent = hidsim::sentImages();
        QCOMPARE(int(sent.size()), 1);
        QVERIFY(std::memcmp(sent.front().data(), &imported, sizeof imported) == 0);
        QCOMPARE(buttons.count(), 1);
        QCOMPARE(light.count(), 1);
        QCOMPARE(sensor.count(), 1);
        QCOMPARE(formB.count(), 1);
        QVERIFY(sameImage(light.at(0).at(0).value<FlashDataMap>(), imported));
        QVERIFY(!notice.importMode);
    }

    void failedImportSendsNothing_data()
    {
        QTest::addColumn<bool>("otherSensor");
        QTest::addColumn<int>("result");
        QTest::newRow("not an export file") << false << 1;
        QTest::newRow("another sensor") << true << 2;
    }
    void failedImportSendsNothing()
    {
        QFETCH(bool, otherSensor);
        QFETCH(int, result);
        const QString path = files.path() + "/bad.bin";
        if (otherSensor) {
            g_selectedDevice.driveIndex = 1;   // exported for the second model
            ExportConfigFile(path, patternImage(44));
            g_selectedDevice.driveIndex = 0;
        } else {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("not a configuration");
        }
        const FlashDataMap live = patternImage(2);
        g_flashDataMap = live;
        hidsim::clearSentImages();

        UpDataParam notice;
        notice.importMode = true;
        notice.importPath = path;
        QSignalSpy buttons(PostMsg::instance(), &PostMsg::SigUpDataButtonUIC);
        QString modal;
        closeNextModal(&modal);
        notice.onTimeupDestroy();

        QCOMPARE(modal, QString("InportFail"));
        QCOMPARE(g_importResult, result);
        QVERIFY(sameImage(g_flashDataMap, live));
        QCOMPARE(int(hidsim::sentImages().size()), 0);
        QCOMPARE(buttons.count(), 0);
        QVERIFY(!notice.importMode);
    }

    // A re-read after a status change: the page refreshed, so no offline
    // notice; the settle pause holds the thread for 2 s.
    void reloadWithRefresh()
    {
        UpDataParam notice;
        notice.reloadMode = true;
        g_buttonUiUpToDate = 1;
        QSignalSpy offline(PostMsg::instance(), &PostMsg::SigMouseOffLineo);
        QElapsedTimer clock;
        clock.start();
        notice.onTimeupDestroy();
        QVERIFY(clock.elapsed() >= 1900);
        QCOMPARE(offline.count(), 0);
        QCOMPARE(int(g_buttonUiUpToDate), 1);
    }

    // The settle pause of a re-read keeps the event loop running: the
    // window paints and the device's signals arrive meanwhile.
    void reloadPauseKeepsEventsFlowing()
    {
        UpDataParam notice;
        notice.reloadMode = true;
        g_buttonUiUpToDate = 1;
        bool ranDuringPause = false;
        QTimer::singleShot(0, &notice, [&] { ranDuringPause = true; });
        notice.onTimeupDestroy();
        QVERIFY(ranDuringPause);
    }

    // A re-read that never refreshed the page: the wait notice is gone
    // before the offline notice (reason "device offline") comes up.
    void reloadWithoutRefresh()
    {
        UpDataParam notice;
        notice.reloadMode = true;
        g_buttonUiUpToDate = 0;
        notice.show();
        bool noticeShownAtOffline = true;
        QSignalSpy offline(PostMsg::instance(), &PostMsg::SigMouseOffLineo);
        QMetaObject::Connection c = connect(PostMsg::instance(), &PostMsg::SigMouseOffLineo, &notice,
                                            [&] { noticeShownAtOffline = notice.isVisible(); });
        notice.onTimeupDestroy();
        disconnect(c);
        QCOMPARE(offline.count(), 1);
        QCOMPARE(offline.at(0).at(0).toInt(), 0);
        QVERIFY(!noticeShownAtOffline);
        QVERIFY(!notice.isVisible());
    }

    // The timer firing again while the first round still waits starts no
    // second round.
    void noSecondRoundWhileWaiting()
    {
        UpDataParam notice;
        QSignalSpy setver(PostMsg::instance(), &PostMsg::SigSetver);
        g_deviceDataLoaded = 1;
        g_buttonUiUpToDate = 0;
        QTimer::singleShot(200, &notice, &UpDataParam::onTimeupDestroy);
        QTimer::singleShot(700, [] { g_buttonUiUpToDate = 1; });
        notice.onTimeupDestroy();
        QCOMPARE(setver.count(), 1);
    }
};

QTEST_MAIN(TestUpDataParam)
#include "tst_updataparam.moc"

// The signal hub: one hub, signals whose arguments can be queued to the GUI
// thread, emitters that hand every argument to its own place, and device
// records that arrive whole across threads.
#include "postmsg.h"
#include "testsupport.h"

#include <QtTest>
#include <QMetaMethod>
#include <QThread>
#include <cstring>

// The receiving end of the device records, as the pages receive them.
class HubReceiver : public QObject
{
    Q_OBJECT
public:
    int seen = 0;
    FlashDataMap lastImage;
    DeviceAllInfo lastInfo;
    DongleRGB *lastRgb = nullptr;
    Qt::HANDLE slotThread = nullptr;

public slots:
    void onImage(FlashDataMap DataMap)
    {
        lastImage = DataMap;
        note();
    }
    void onInfo(DeviceAllInfo SelectInfo)
    {
        lastInfo = SelectInfo;
        note();
    }
    void onRgb(DongleRGB *Rgb)
    {
        lastRgb = Rgb;
        note();
    }

private:
    void note()
    {
        ++seen;
        slotThread = QThread::currentThreadId();
    }
};

// The arguments of the one emission of `signal` that `post` makes.
template <typename Signal, typename Post> QVariantList carried(Signal signal, Post post)
{
    QSignalSpy spy(PostMsg::instance(), signal);
    post();
    return spy.count() == 1 ? spy.takeFirst() : QVariantList{"emissions", spy.count()};
}

class TestPostMsg : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { registerDeviceMetaTypes(); }
    void init() { resetAllGlobals(); }

    void oneHubForTheProcess()
    {
        PostMsg *a = PostMsg::instance();
        QVERIFY(a != nullptr);
        QCOMPARE(PostMsg::instance(), a);
        QVERIFY(a->parent() == nullptr);
    }

    // Pages take signals from the device library's threads and the Worker
    // through queued connections, which copy each argument by its meta type:
    // every argument type of every signal must be known to it.
    void everyArgumentCanBeQueued()
    {
        const QMetaObject &mo = PostMsg::staticMetaObject;
        // A pure signal list: no slots or invokables of its own.
        QCOMPARE(mo.methodCount() - mo.methodOffset(), 75);
        for (int i = mo.methodOffset(); i < mo.methodCount(); ++i) {
            const QMetaMethod m = mo.method(i);
            QCOMPARE(m.methodType(), QMetaMethod::Signal);
            for (int p = 0; p < m.parameterCount(); ++p)
                QVERIFY2(QMetaType::isRegistered(m.parameterType(p)), m.methodSignature().constData());
        }
    }

    // Each emitter sends its own signal with every argument in its place;
    // arguments of one type get values of their own, so a swap shows.
    void emittersCarryTheirArguments()
    {
        PostMsg *hub = PostMsg::instance();
        QCOMPARE(carried(&PostMsg::SigUpDataConfigUI, [hub] { hub->postUpDataConfigUI(5, 2, true); }),
                 (QVariantList{5, 2, true}));
        QCOMPARE(carried(&PostMsg::SigMacroDownLoadData, [hub] { hub->postMacroDownLoadData("jump", 3); }),
                 (QVariantList{"jump", 3}));
        QCOMPARE(carried(&PostMsg::SigUpDataMacro, [hub] { hub->postUpDataMacro("run", 4); }),
                 (QVariantList{"run", 4}));
        QCOMPARE(carried(&PostMsg::SigLabelText, [hub] { hub->postLabelText(6, "six"); }), (QVariantList{6, "six"}));
        QCOMPARE(carried(&PostMsg::SigLabelTextB, [hub] { hub->postLabelTextB("v1.04", "v1.07"); }),
                 (QVariantList{"v1.04", "v1.07"}));
        QCOMPARE(carried(&PostMsg::SigProgress, [hub] { hub->postProgress(1, 40); }), (QVariantList{1, 40}));
        QCOMPARE(carried(&PostMsg::SigBattery, [hub] { hub->postBattery(true, 77, false); }),
                 (QVariantList{true, 77, false}));
        QCOMPARE(carried(&PostMsg::SigMacroRename, [hub] { hub->postMacroRename("new", "old"); }),
                 (QVariantList{"new", "old"}));
        QCOMPARE(carried(&PostMsg::SigChangeStyle, [hub] { hub->postChangeStyle(2, true); }), (QVariantList{2, true}));
        QCOMPARE(carried(&PostMsg::SigSetLabelVer, [hub] { hub->postSetLabelVer("v1.01", "v1.02"); }),
                 (QVariantList{"v1.01", "v1.02"}));

        FlashDataMap image;
        std::memset(&image, 0, sizeof image);
        image.dpiLevel = 3;
        const QVariantList toMacro = carried(&PostMsg::SigButtonToMacro, [&] { hub->postButtonToMacro(image, 9); });
        QCOMPARE(int(toMacro.value(0).value<FlashDataMap>().dpiLevel), 3);
        QCOMPARE(toMacro.value(1), QVariant(9));
        DeviceAllInfo info;
        info.devicePath = "/dev/hidraw7";
        info.subDevices << 1 << 2;
        const DeviceAllInfo selected =
            carried(&PostMsg::SigSelectMouseInfo, [&] { hub->postSelectMouseInfo(info); }).value(0).value<DeviceAllInfo>();
        QCOMPARE(selected.devicePath, QString("/dev/hidraw7"));
        QCOMPARE(selected.subDevices.size(), 2);
        DongleRGB led{};
        QCOMPARE(carried(&PostMsg::SigRGBValue, [&] { hub->postRGBValue(&led); }).value(0).value<DongleRGB *>(), &led);
    }

    // The device callback's way: an image sent from another thread through a
    // blocking queued connection arrives whole on the GUI thread, and the
    // sender goes on only after the slot has run.
    void imageCrossesThreadsBlockingQueued()
    {
        HubReceiver receiver;
        PostMsg *hub = PostMsg::instance();
        QVERIFY(QObject::connect(hub, &PostMsg::SigUpDataLightUIButton, &receiver, &HubReceiver::onImage,
                                 Qt::BlockingQueuedConnection));
        QVERIFY(QObject::connect(hub, &PostMsg::SigRGBValue, &receiver, &HubReceiver::onRgb,
                                 Qt::BlockingQueuedConnection));
        QVERIFY(QObject::connect(hub, &PostMsg::SigSelectMouseInfo, &receiver, &HubReceiver::onInfo));

        FlashDataMap image;
        std::memset(&image, 0, sizeof image);
        u8 *raw = reinterpret_cast<u8 *>(&image);
        for (int i = 0; i < kFlashDataMapSize; ++i)
            raw[i] = u8(i * 7 + 3);
        DongleRGB rgb{};
        rgb.ledMode = 2;

        std::atomic<int> seenAfterImage{-1};
        std::atomic<bool> done{false};
        QThread *sender = QThread::create([&] {
            hub->postUpDataLightUIButton(image);
            // Blocking: the slot has already run when emit returns.
            seenAfterImage = receiver.seen;
            hub->postRGBValue(&rgb);
            DeviceAllInfo info;
            info.devicePath = "/dev/queued";
            hub->postSelectMouseInfo(info);
            done = true;
        });
        sender->start();
        QTRY_VERIFY_WITH_TIMEOUT(done.load() && receiver.seen == 3, 10000);
        QVERIFY(sender->wait(10000));
        delete sender;

        QCOMPARE(seenAfterImage.load(), 1);
        QCOMPARE(receiver.slotThread, QThread::currentThreadId());
        QVERIFY(std::memcmp(&receiver.lastImage, &image, sizeof image) == 0);
        QCOMPARE(receiver.lastRgb, &rgb);
        QCOMPARE(int(receiver.lastRgb->ledMode), 2);
        QCOMPARE(receiver.lastInfo.devicePath, QString("/dev/queued"));
        QObject::disconnect(hub, nullptr, &receiver, nullptr);
    }
};

QTEST_MAIN(TestPostMsg)
#include "tst_postmsg.moc"

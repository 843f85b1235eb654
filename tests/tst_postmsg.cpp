// The signal hub: its signal list is a contract with every window, which
// connects by signature string, so the names, argument lists and order must
// hold exactly; and the device records must survive queued delivery.
#include "postmsg.h"
#include "testsupport.h"

#include <QtTest>
#include <QMetaMethod>
#include <QThread>
#include <cstring>

namespace {

// Warnings of string-based connect() that mean a connection silently failed.
QStringList g_connectWarnings;
QtMessageHandler g_previousHandler = nullptr;

void connectWarningCatcher(QtMsgType type, const QMessageLogContext &context, const QString &msg)
{
    if (msg.contains("No such signal") || msg.contains("No such slot")
        || msg.contains("Incompatible sender/receiver arguments"))
        g_connectWarnings << msg;
    if (g_previousHandler)
        g_previousHandler(type, context, msg);
}

// The signals in their declared order, as the receivers spell them.
const char *const kSignals[75] = {
    "SigChangeMainDialog(int)", "SigChangeSize(int)", "SigUpDataConfigUI(int,int,bool)",
    "SigUpDataLightUIButton(FlashDataMap)", "SigUpDataLightLight(FlashDataMap)",
    "SigUpDataLightSensor(FlashDataMap)", "SigUpDataLightUIA(FlashDataMap)",
    "SigUpDataSensorUIB(FlashDataMap)", "SigUpDataButtonUIC(FlashDataMap)",
    "SigButtonToMacro(FlashDataMap,int)", "SigSelectMouseInfo(DeviceAllInfo)",
    "SigMouseOffLineo(int)", "SigMainPageChange()", "SigSecondPageChange()", "SigUpPageLight()",
    "SigAddMacroButton()", "SigDeleteMacroButton(QString)", "SigMacroDownLoadData(QString,int)",
    "SigUpDataMacro(QString,int)", "SigUpDataParam(int)", "SigUpDataReportRate(int)",
    "SigUpDataDPI(int)", "SigUpDataDPILed(FlashDataMap)", "SigTimerStop()", "SigButtonEnable(int)",
    "SigLabelText(int,QString)", "SigLabelTextB(QString,QString)", "SigCloseUpdate()",
    "SigProgress(int,int)", "SigBattery(bool,int,bool)", "SigAutoRepair(int)",
    "SigAutoRepairProgress(int)", "SigChangeLanguage(int)", "SigLanguageSameA(int)",
    "SigLanguageSameB(int)", "SigCloseOffOnline()", "SigSetMacroPage()", "SigStartRecord(int)",
    "SigUpDateButton(bool)", "SigMacroRename(QString,QString)", "SigSetver(int)",
    "SigCloseProgress()", "SigRGBValue(DongleRGB*)", "SigLongRangeMode(bool)", "SigForm()",
    "SigFormB()", "SigEnterKey()", "SigFormReset()", "SigHideModel(int)",
    "SigChangeStyle(int,bool)", "SigContinue(int)", "SigMouseIndex(int)", "SigUpdateStart()",
    "SigCheckUpdate()", "SigRepairCheckUpdate()", "SigSetNewVer()", "SigLightToFrom(int)",
    "SigButtonCheck()", "SigAllLanguage(int)", "SigDeleteMacro()", "SigRenameMacro()",
    "SigSelectStackInde(int)", "SigFocusIn(int)", "SigFocusOut()", "SigDeletKey()",
    "SigRenameKey(int)", "SigExport()", "SigFormMove(int)", "SigSetLabelVer(QString,QString)",
    "SigSetLabelVerB()", "SigGetRealVer()", "SigUpdateFrame(bool)", "SigButtonclick()",
    "SigSetStyle(int)", "SigJuestOneDevice(bool)",
};

QList<QMetaMethod> hubSignals()
{
    QList<QMetaMethod> out;
    const QMetaObject &mo = PostMsg::staticMetaObject;
    for (int i = mo.methodOffset(); i < mo.methodCount(); ++i) {
        if (mo.method(i).methodType() == QMetaMethod::Signal)
            out << mo.method(i);
    }
    return out;
}

QByteArray parameterList(const QByteArray &signature)
{
    return signature.mid(signature.indexOf('('));
}

} // namespace

// A receiver with one slot per argument list, written the way the windows
// write theirs (with blanks and pointer spacing the toolkit normalises).
class HubReceiver : public QObject
{
    Q_OBJECT
public:
    QList<int> seenSignals;   // sender signal method indexes, in arrival order
    FlashDataMap lastImage;
    DeviceAllInfo lastInfo;
    DongleRGB *lastRgb = nullptr;
    bool b1 = false, b2 = false;
    int i1 = -1;
    Qt::HANDLE slotThread = nullptr;

public slots:
    void onVoid() { note(); }
    void onInt(int) { note(); }
    void onIntIntBool(int, int, bool) { note(); }
    void onImage(FlashDataMap DataMap)
    {
        lastImage = DataMap;
        note();
    }
    void onImageInt(FlashDataMap, int) { note(); }
    void onInfo(DeviceAllInfo SelectInfo)
    {
        lastInfo = SelectInfo;
        note();
    }
    void onText(QString) { note(); }
    void onTextInt(QString, int) { note(); }
    void onIntText(int, QString) { note(); }
    void onTextText(QString, QString) { note(); }
    void onIntInt(int, int) { note(); }
    void onBoolIntBool(bool a, int n, bool b)
    {
        b1 = a;
        i1 = n;
        b2 = b;
        note();
    }
    void onBool(bool) { note(); }
    void onRgb(DongleRGB *Rgb)
    {
        lastRgb = Rgb;
        note();
    }
    void onIntBool(int, bool) { note(); }

private:
    void note()
    {
        seenSignals << senderSignalIndex();
        slotThread = QThread::currentThreadId();
    }
};

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

    void signalsInDeclaredOrder()
    {
        const QList<QMetaMethod> sigs = hubSignals();
        QCOMPARE(sigs.size(), 75);
        for (int i = 0; i < 75; ++i)
            QCOMPARE(sigs[i].methodSignature(), QMetaObject::normalizedSignature(kSignals[i]));
        QCOMPARE(sigs[0].name(), QByteArray("SigChangeMainDialog"));
        QCOMPARE(sigs[29].name(), QByteArray("SigBattery"));
        QCOMPARE(sigs[58].name(), QByteArray("SigAllLanguage"));
        QCOMPARE(sigs[73].name(), QByteArray("SigSetStyle"));
        QCOMPARE(sigs[74].name(), QByteArray("SigJuestOneDevice"));
        // The hub is a pure signal list: no slots or invokables of its own.
        const QMetaObject &mo = PostMsg::staticMetaObject;
        QCOMPARE(mo.methodCount() - mo.methodOffset(), 75);
    }

    // Every signal connects by string to a slot with its argument list, and
    // an emission of each reaches exactly that slot.
    void everySignalConnectsByStringAndDelivers()
    {
        HubReceiver receiver;
        QHash<QByteArray, QByteArray> slotByParameters;
        const QMetaObject &rmo = HubReceiver::staticMetaObject;
        for (int i = rmo.methodOffset(); i < rmo.methodCount(); ++i) {
            const QMetaMethod m = rmo.method(i);
            if (m.methodType() == QMetaMethod::Slot)
                slotByParameters.insert(parameterList(m.methodSignature()), m.methodSignature());
        }

        PostMsg *hub = PostMsg::instance();
        g_connectWarnings.clear();
        g_previousHandler = qInstallMessageHandler(connectWarningCatcher);
        QList<QMetaObject::Connection> connections;
        bool allConnected = true;
        for (const char *sig : kSignals) {
            const QByteArray params = parameterList(QMetaObject::normalizedSignature(sig));
            QVERIFY2(slotByParameters.contains(params), sig);
            // The same strings SIGNAL() and SLOT() produce.
            const QByteArray signalText = QByteArray("2") + sig;
            const QByteArray slotText = QByteArray("1") + slotByParameters.value(params);
            QMetaObject::Connection c = QObject::connect(hub, signalText.constData(), &receiver, slotText.constData());
            allConnected = allConnected && bool(c);
            connections << c;
        }
        // Unnormalised spellings as the windows write them.
        connections << QObject::connect(hub, SIGNAL(SigRGBValue(DongleRGB *)), &receiver, SLOT(onRgb(DongleRGB *)));
        connections << QObject::connect(hub, SIGNAL(SigLabelTextB(QString, QString)), &receiver,
                                        SLOT(onTextText(QString, QString)));
        // A wrong argument list must be refused (proves the catcher works).
        const bool wrongConnected = bool(QObject::connect(hub, SIGNAL(SigBattery(int)), &receiver, SLOT(onInt(int))));
        qInstallMessageHandler(g_previousHandler);

        QVERIFY(!wrongConnected);
        QCOMPARE(g_connectWarnings.size(), 1);
        g_connectWarnings.clear();
        QVERIFY(allConnected);
        QVERIFY(bool(connections[75]) && bool(connections[76]));
        for (int i = 75; i < connections.size(); ++i)
            QObject::disconnect(connections[i]);

        // Emit each signal once with default arguments.
        const QList<QMetaMethod> sigs = hubSignals();
        for (const QMetaMethod &m : sigs) {
            QVector<void *> storage;
            QGenericArgument args[10];
            for (int p = 0; p < m.parameterCount(); ++p) {
                const int type = m.parameterType(p);
                QVERIFY2(type != QMetaType::UnknownType, m.methodSignature().constData());
                // Plain types come back uninitialised from create(): copy
                // them from zero bytes instead.
                static const quint64 zeros[2048] = {};   // larger than any argument type
                const bool plain = !QMetaType::typeFlags(type).testFlag(QMetaType::NeedsConstruction);
                storage << (plain ? QMetaType::create(type, zeros) : QMetaType::create(type));
                args[p] = QGenericArgument(QMetaType::typeName(type), storage.last());
            }
            const bool ok = m.invoke(hub, Qt::DirectConnection, args[0], args[1], args[2], args[3], args[4],
                                     args[5], args[6], args[7], args[8], args[9]);
            for (int p = 0; p < storage.size(); ++p)
                QMetaType::destroy(m.parameterType(p), storage[p]);
            QVERIFY2(ok, m.methodSignature().constData());
        }
        QCOMPARE(receiver.seenSignals.size(), 75);
        for (int i = 0; i < 75; ++i)
            QCOMPARE(receiver.seenSignals[i], sigs[i].methodIndex());

        for (int i = 0; i < 75; ++i)
            QObject::disconnect(connections[i]);
    }

    void emittersCarryTheirArguments()
    {
        HubReceiver receiver;
        PostMsg *hub = PostMsg::instance();
        QVERIFY(QObject::connect(hub, SIGNAL(SigBattery(bool,int,bool)), &receiver, SLOT(onBoolIntBool(bool,int,bool))));
        QVERIFY(QObject::connect(hub, SIGNAL(SigSelectMouseInfo(DeviceAllInfo)), &receiver, SLOT(onInfo(DeviceAllInfo))));
        QVERIFY(QObject::connect(hub, SIGNAL(SigRGBValue(DongleRGB*)), &receiver, SLOT(onRgb(DongleRGB*))));
        hub->postBattery(true, 77, false);
        QVERIFY(receiver.b1 && !receiver.b2);
        QCOMPARE(receiver.i1, 77);
        DeviceAllInfo info;
        info.devicePath = "/dev/hidraw7";
        info.subDevices << 1 << 2;
        hub->postSelectMouseInfo(info);
        QCOMPARE(receiver.lastInfo.devicePath, QString("/dev/hidraw7"));
        QCOMPARE(receiver.lastInfo.subDevices.size(), 2);
        DongleRGB rgb{};
        hub->postRGBValue(&rgb);
        QCOMPARE(receiver.lastRgb, &rgb);
        QObject::disconnect(hub, nullptr, &receiver, nullptr);
    }

    // The device callback's way: an image sent from another thread through a
    // blocking queued connection arrives whole on the GUI thread, and the
    // sender goes on only after the slot has run.
    void imageCrossesThreadsBlockingQueued()
    {
        HubReceiver receiver;
        PostMsg *hub = PostMsg::instance();
        QVERIFY(QObject::connect(hub, SIGNAL(SigUpDataLightUIButton(FlashDataMap)), &receiver,
                                 SLOT(onImage(FlashDataMap)), Qt::BlockingQueuedConnection));
        QVERIFY(QObject::connect(hub, SIGNAL(SigRGBValue(DongleRGB*)), &receiver, SLOT(onRgb(DongleRGB*)),
                                 Qt::BlockingQueuedConnection));
        QVERIFY(QObject::connect(hub, SIGNAL(SigSelectMouseInfo(DeviceAllInfo)), &receiver,
                                 SLOT(onInfo(DeviceAllInfo))));

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
            seenAfterImage = receiver.seenSignals.size();
            hub->postRGBValue(&rgb);
            DeviceAllInfo info;
            info.devicePath = "/dev/queued";
            hub->postSelectMouseInfo(info);
            done = true;
        });
        sender->start();
        QTRY_VERIFY_WITH_TIMEOUT(done.load() && receiver.seenSignals.size() == 3, 10000);
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

// Process start-up: user folders, scaling, clean-up, the single-instance
// marker, and crash dumps (in child processes of this test binary).
#include "crashdump.h"
#include "globals.h"
#include "startup.h"
#include "testsupport.h"
#include "widgetfonts.h"

#include <QtTest>
#include <QApplication>
#include <QLabel>
#include <QSpinBox>
#include <QProcess>
#include <QSharedMemory>
#include <QVBoxLayout>

#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <thread>
#include <vector>
#include <sys/resource.h>
#include <sys/shm.h>
#include <unistd.h>

namespace {

const qint64 kDay = 86400;

QFileInfoList dumpsIn(const QString &home)
{
    return QDir(home + "/AppData/Local/Quzmar/Exception")
        .entryInfoList({"*.dmp"}, QDir::Files, QDir::Name);
}

// Segments of the System V table created by the given process and held.
bool processCreatedMarker(qint64 pid)
{
    QFile table("/proc/sysvipc/shm");
    if (!table.open(QIODevice::ReadOnly))
        return false;
    table.readLine();   // header
    while (!table.atEnd()) {
        const QStringList f = QString::fromLatin1(table.readLine()).simplified().split(' ');
        // key shmid perms size cpid lpid nattch ...
        if (f.size() > 6 && f[4].toLongLong() == pid && f[6].toInt() > 0)
            return true;
    }
    return false;
}

// Starts three holders of the marker at once, and once each has answered
// kills them: how many claimed it.
int claimsOfSimultaneousStarts(const QString &key)
{
    QProcess starts[3];
    for (QProcess &start : starts)
        start.start(QCoreApplication::applicationFilePath(), {"--hold-marker", key});
    int claimed = 0;
    for (QProcess &start : starts) {
        if (!start.waitForReadyRead(10000))
            return -1;
        claimed += start.readLine().startsWith("claimed");
    }
    for (QProcess &start : starts) {
        start.write("go\n");
        start.waitForFinished(10000);
    }
    return claimed;
}

bool waitFor(const std::function<bool()> &condition, int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > ms)
            return false;
        QThread::msleep(50);
    }
    return true;
}

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT
    QTemporaryDir m_ipcDir;   // a private key folder for the shared segments

private slots:
    void initTestCase()
    {
        // QSharedMemory derives its system key from a file in the temporary
        // folder; a private one keeps these tests and any other running copy
        // of the program from seeing each other's markers.
        QVERIFY(m_ipcDir.isValid());
        qputenv("TMPDIR", QFile::encodeName(m_ipcDir.path()));
    }

    void init() { resetAllGlobals(); }

    void userFoldersAreCreatedAndMacroIniKept()
    {
        QTemporaryDir dir;
        const QString data = dir.path() + "/AppData/Local/Quzmar";
        createUserFolders(data);
        for (const char *folder : {"Log", "Device_Info", "Exception", "usersetting",
                                   "usersetting/MainPage", "usersetting/MacroPage",
                                   "usersetting/SensorPage"})
            QVERIFY2(QFileInfo(data + "/" + folder).isDir(), folder);
        QFileInfo macroIni(data + "/Macro.ini");
        QVERIFY(macroIni.isFile());
        QCOMPARE(macroIni.size(), qint64(0));

        // A later start keeps the user's settings.
        QFile file(data + "/Macro.ini");
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[Language]\nLanguage=1\n");
        file.close();
        QDir(data + "/usersetting/MacroPage").removeRecursively();
        createUserFolders(data);
        QCOMPARE(QFileInfo(data + "/Macro.ini").size(), qint64(22));
        QVERIFY(QFileInfo(data + "/usersetting/MacroPage").isDir());
    }

    void scaleFactorFollowsTheDesktop_data()
    {
        QTest::addColumn<int>("w");
        QTest::addColumn<int>("h");
        QTest::addColumn<QByteArray>("factor");
        QTest::newRow("1920x1080") << 1920 << 1080 << QByteArray();
        QTest::newRow("2560x1440") << 2560 << 1440 << QByteArray("1");
        QTest::newRow("3840x2160") << 3840 << 2160 << QByteArray("2");
        QTest::newRow("5120x2160 takes the smaller") << 5120 << 2160 << QByteArray("2");
        QTest::newRow("5760x3240") << 5760 << 3240 << QByteArray("3");
        QTest::newRow("3840x1080 one side not above") << 3840 << 1080 << QByteArray();
        QTest::newRow("unreadable 0x0") << 0 << 0 << QByteArray();
    }

    void scaleFactorFollowsTheDesktop()
    {
        QFETCH(int, w);
        QFETCH(int, h);
        QFETCH(QByteArray, factor);
        QCOMPARE(scaleFactorFor(w, h), factor);

        qputenv("QT_SCALE_FACTOR", "untouched");
        applyScaleFactor(w, h);
        QCOMPARE(qgetenv("QT_SCALE_FACTOR"), factor.isEmpty() ? QByteArray("untouched") : factor);
        qunsetenv("QT_SCALE_FACTOR");
    }

    void oldFilesGoNewAndFutureOnesStay()
    {
        QTemporaryDir dir;
        const QDateTime now = QDateTime::currentDateTime();
        auto make = [&](const QString &name, qint64 ageSeconds) {
            QFile f(dir.path() + "/" + name);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("x");
            f.flush();   // a later flush would stamp the file again
            QVERIFY(f.setFileTime(now.addSecs(-ageSeconds), QFileDevice::FileModificationTime));
        };
        make("eight_days.txt", 8 * kDay);
        make("a_month.dmp", 30 * kDay);
        make("seven_days_23h.txt", 7 * kDay + 23 * 3600);
        make("today.txt", 60);
        make("tomorrow.txt", -kDay);
        make("far_future.dmp", -400 * kDay);
        QVERIFY(QDir(dir.path()).mkdir("sub"));
        make("sub/inside_old.txt", 40 * kDay);

        removeOldFiles(dir.path());
        const QStringList left = QDir(dir.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot,
                                                            QDir::Name);
        QCOMPARE(left, QStringList({"far_future.dmp", "seven_days_23h.txt", "sub",
                                    "today.txt", "tomorrow.txt"}));
        QVERIFY(QFileInfo(dir.path() + "/sub/inside_old.txt").exists());

        removeOldFiles(dir.path() + "/missing");   // nothing to do, no failure
    }

    void fontsScaleThroughTheWholeTree()
    {
        scaleWidgetFonts(nullptr, 0.5);

        QWidget top;
        QFont font = top.font();
        font.setPointSizeF(12);
        top.setFont(font);
        auto *layout = new QVBoxLayout(&top);   // a non-widget child
        auto *label = new QLabel("a", &top);
        layout->addWidget(label);
        auto *inner = new QWidget(&top);
        auto *deep = new QLabel("b", inner);
        QFont big = deep->font();
        big.setPointSizeF(20);
        deep->setFont(big);
        new QObject(inner);

        scaleWidgetFonts(&top, fontFactorForDpi(192));
        QCOMPARE(top.font().pointSizeF(), 6.0);
        QCOMPARE(label->font().pointSizeF(), 6.0);
        QCOMPARE(inner->font().pointSizeF(), 6.0);
        QCOMPARE(deep->font().pointSizeF(), 10.0);

        // A part made later below the scaled tree gets what the scaling
        // would have given it: sizes taken from above halved once, its own
        // sizes halved, the text field of a spin box the spin box's size,
        // even where the field took its font early (polished below a style
        // sheet before the spin box was sized), the part below the scaled
        // tree left as it was.
        const auto makePart = [](QWidget *parent) {
            auto *part = new QWidget(parent);
            new QLabel("c", part);
            auto *own = new QLabel("d", part);
            QFont eight = own->font();
            eight.setPointSizeF(8);
            own->setFont(eight);
            new QLabel("e", own);
            auto *box = new QWidget(part);
            box->setStyleSheet("#nothing{}");
            auto *spin = new QSpinBox(box);
            spin->ensurePolished();
            spin->setFont(eight);
            auto *pixels = new QSpinBox(box);
            pixels->ensurePolished();
            QFont twelve = pixels->font();
            twelve.setPixelSize(12);
            pixels->setFont(twelve);
            return part;
        };
        QWidget *part = makeWithScaledFonts(inner, [&] { return makePart(inner); });
        QList<qreal> sizes;
        for (QWidget *w : part->findChildren<QWidget *>()) {
            const QFont font = w->font();
            sizes << (font.pointSizeF() > 0 ? font.pointSizeF() : 100 + font.pixelSize());
        }
        // Sizes in pixels (the last spin box and its field: 112) are not scaled.
        QCOMPARE(sizes, (QList<qreal>{6.0, 4.0, 4.0, 6.0, 4.0, 4.0, 112, 112}));
        QCOMPARE(part->font().pointSizeF(), 6.0);
        QCOMPARE(inner->font().pointSizeF(), 6.0);
        QWidget unscaled;
        QCOMPARE(makeWithScaledFonts(&unscaled, [&] { return makePart(&unscaled); })->font(), unscaled.font());

        scaleWidgetFonts(&top, fontFactorForDpi(96));
        QCOMPARE(deep->font().pointSizeF(), 10.0);

        QCOMPARE(fontFactorForDpi(96), 1.0f);
        QCOMPARE(fontFactorForDpi(120), 0.8f);
        QVERIFY(qAbs(fontFactorForDpi(144) - 0.6667f) < 0.0001f);
        QCOMPARE(fontFactorForDpi(0), 1.0f);
    }

    void onlyOneInstanceHoldsTheMarker_data()
    {
        // Something else's segment at the system key of the marker's key file
        // (files whose inodes share their low 16 bits meet there), held by its
        // process or left: neither is taken for the program nor touched.
        QTest::addColumn<bool>("foreign");
        QTest::addColumn<bool>("foreignHeld");
        QTest::newRow("alone") << false << false;
        QTest::newRow("another program's segment held at its key") << true << true;
        QTest::newRow("another program's segment left at its key") << true << false;
    }

    void onlyOneInstanceHoldsTheMarker()
    {
        QFETCH(bool, foreign);
        QFETCH(bool, foreignHeld);
        QCOMPARE(instanceMarkerKey(), QString("QuzmarTest"));
        const QString key = QString("QuzmarUnit%1%2").arg(QCoreApplication::applicationPid()).arg(QTest::currentDataTag());
        int foreignId = -1;
        if (foreign) {
            QFile keyFile(QSharedMemory(key).nativeKey());
            QVERIFY(keyFile.open(QIODevice::WriteOnly));
            foreignId = shmget(ftok(QFile::encodeName(keyFile.fileName()).constData(), 'Q'), 64, IPC_CREAT | IPC_EXCL | 0600);
            QVERIFY(foreignId != -1);
            char *data = static_cast<char *>(shmat(foreignId, nullptr, 0));
            std::strcpy(data, "not the program's");
            if (!foreignHeld)
                shmdt(data);
        }
        QCOMPARE(claimsOfSimultaneousStarts(key), 1);
        auto *first = new QSharedMemory(key);
        QVERIFY(claimInstanceMarker(*first));
        QSharedMemory second(key);
        QVERIFY(!claimInstanceMarker(second));
        QVERIFY(!claimInstanceMarker(second));   // the refused probe did not drop it
        delete first;   // the running instance goes away
        QSharedMemory third(key);
        QVERIFY(claimInstanceMarker(third));
        if (foreign) {
            char *data = static_cast<char *>(shmat(foreignId, nullptr, SHM_RDONLY));
            QVERIFY(data != reinterpret_cast<char *>(-1));
            QCOMPARE(QByteArray(data), QByteArray("not the program's"));
            shmctl(foreignId, IPC_RMID, nullptr);
        }
    }

    void markerOfAKilledInstanceDoesNotBlock()
    {
        // A child claims the marker and is killed without any clean-up, so
        // its segment stays behind in the system.
        const QString key = QString("QuzmarStale%1").arg(QCoreApplication::applicationPid());
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {"--hold-marker", key});
        QVERIFY(child.waitForStarted());
        QVERIFY(child.waitForReadyRead(10000));
        QCOMPARE(child.readLine().trimmed(), QByteArray("claimed 1"));

        QSharedMemory whileRunning(key);
        QVERIFY(!claimInstanceMarker(whileRunning));

        // The instance of another temporary folder whose key file has the
        // same inode (a link here) is not this folder's.
        QTemporaryDir otherTmp;
        const QString keyFile = whileRunning.nativeKey();
        QVERIFY(link(QFile::encodeName(keyFile).constData(),
                     QFile::encodeName(otherTmp.filePath(QFileInfo(keyFile).fileName())).constData()) == 0);
        qputenv("TMPDIR", QFile::encodeName(otherTmp.path()));
        auto *otherFolder = new QSharedMemory(key);
        const bool otherClaimed = claimInstanceMarker(*otherFolder);
        qputenv("TMPDIR", QFile::encodeName(m_ipcDir.path()));
        QVERIFY(otherClaimed);
        QVERIFY(!claimInstanceMarker(whileRunning));
        delete otherFolder;

        child.write("go\n");
        QVERIFY(child.waitForFinished(10000));
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);

        QCOMPARE(claimsOfSimultaneousStarts(key), 1);

        QSharedMemory afterKill(key);
        QVERIFY(claimInstanceMarker(afterKill));
    }

    void programStartsAgainAfterItsInstanceWasKilled()
    {
        const QString program = builtProgramDir() + "/Quzmar";
        if (!QFileInfo(program).isExecutable())
            QSKIP("the program is not built");
        QTemporaryDir home;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", home.path());
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.remove("DISPLAY");

        QProcess first;
        first.setProcessEnvironment(env);
        first.start(program, {});
        QVERIFY(first.waitForStarted());
        const qint64 firstPid = first.processId();
        QVERIFY(waitFor([&] { return processCreatedMarker(firstPid); }, 15000));
        QVERIFY(first.state() == QProcess::Running);
        const QString data = home.path() + "/AppData/Local/Quzmar";
        QVERIFY(QFileInfo(data + "/usersetting/SensorPage").isDir());
        QVERIFY(QFileInfo(data + "/Macro.ini").isFile());

        first.kill();
        QVERIFY(first.waitForFinished(10000));

        // The new start owns the marker itself rather than finding the dead
        // instance's segment and reporting a running program.
        QProcess second;
        second.setProcessEnvironment(env);
        second.start(program, {});
        QVERIFY(second.waitForStarted());
        const qint64 secondPid = second.processId();
        QVERIFY(waitFor([&] { return processCreatedMarker(secondPid); }, 15000));
        QVERIFY(second.state() == QProcess::Running);
        second.kill();
        QVERIFY(second.waitForFinished(10000));

        // Release the segment the killed instance left behind.
        QSharedMemory cleanup(instanceMarkerKey());
        QVERIFY(claimInstanceMarker(cleanup));
    }

    void crashesLeaveADump_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("cause");
        QTest::newRow("segmentation fault") << "segv" << "SIGSEGV";
        QTest::newRow("abort") << "abort" << "SIGABRT";
        QTest::newRow("escaped exception") << "throw" << "uncaught";
        QTest::newRow("folder removed while running") << "segv-nofolder" << "SIGSEGV";
    }

    void crashesLeaveADump()
    {
        QFETCH(QString, mode);
        QFETCH(QString, cause);
        QTemporaryDir home;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", home.path());
        // Under AddressSanitizer the program's own fault handler only takes
        // over when the sanitizer is told to let it.
        env.insert("ASAN_OPTIONS", env.value("ASAN_OPTIONS") + ":allow_user_segv_handler=1");
        QProcess child;
        child.setProcessEnvironment(env);
        const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
        child.start(QCoreApplication::applicationFilePath(), {"--crash-child", mode});
        QVERIFY(child.waitForFinished(20000));
        const QDateTime after = QDateTime::currentDateTime().addSecs(1);
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);

        const QFileInfoList dumps = dumpsIn(home.path());
        QCOMPARE(dumps.size(), 1);   // the escaped exception's abort adds none
        const QString name = dumps.first().fileName();
        QVERIFY2(QRegularExpression("^\\d{4}_\\d\\d_\\d\\d_\\d\\d_\\d\\d_\\d\\d\\.dmp$").match(name).hasMatch(),
                 qPrintable(name));
        // Named by the local clock at the crash.
        QDateTime stamp = QDateTime::fromString(name.left(19), "yyyy_MM_dd_hh_mm_ss");
        QVERIFY(stamp.isValid());
        QVERIFY2(stamp >= before.addMSecs(-before.time().msec()) && stamp <= after,
                 qPrintable(name));

        QFile dump(dumps.first().absoluteFilePath());
        QVERIFY(dump.open(QIODevice::ReadOnly));
        const QString text = QString::fromLocal8Bit(dump.readAll());
        QVERIFY2(text.contains(cause), qPrintable(text));
        QVERIFY(text.contains("backtrace:\n"));
        if (mode == "throw")
            QVERIFY2(text.contains("boom"), qPrintable(text));
        if (mode.startsWith("segv"))
            QVERIFY2(text.contains("address: 0x0000000000000010"), qPrintable(text));
    }
};

namespace {

// Modes in which this binary plays a child process for the tests above.
int crashChild(const char *mode)
{
    rlimit noCore = {0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    QDir().mkpath(userDataDir() + "/Exception");
    CrashHandler::install();
    if (std::strcmp(mode, "segv-nofolder") == 0) {
        QDir(userDataDir()).removeRecursively();
        mode = "segv";
    }
    if (std::strcmp(mode, "segv") == 0) {
        // An unmapped address near zero; not null, so that the undefined
        // behaviour checker of a sanitizer build lets the fault happen.
        // The address goes through a volatile so the compiler cannot see
        // (and warn about) the write it knows to be out of bounds.
        volatile std::uintptr_t address = 16;
        *reinterpret_cast<volatile int *>(address) = 1;
    } else if (std::strcmp(mode, "abort") == 0) {
        std::abort();
    } else if (std::strcmp(mode, "throw") == 0) {
        throw std::runtime_error("boom");
    }
    return 2;
}

int holdMarker(int argc, char **argv, const char *key)
{
    QCoreApplication app(argc, argv);
    auto *marker = new QSharedMemory(QString::fromLatin1(key));
    const bool claimed = claimInstanceMarker(*marker);
    // After its claim an instance grows: threads, memory, CPU time. What
    // names it in the marker must not change with them.
    std::thread worker([] { std::this_thread::sleep_for(std::chrono::hours(1)); });
    worker.detach();
    std::vector<char> memory(64 << 20, 1);
    for (volatile unsigned spin = 0; spin < 100000000u; ++spin) {}
    std::printf("%s %d\n", claimed ? "claimed" : "refused", int(memory.back()));
    std::fflush(stdout);
    char line[16];
    if (!std::fgets(line, sizeof line, stdin)) {}
    std::raise(SIGKILL);
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc > 2 && std::strcmp(argv[1], "--crash-child") == 0)
        return crashChild(argv[2]);
    if (argc > 2 && std::strcmp(argv[1], "--hold-marker") == 0)
        return holdMarker(argc, argv, argv[2]);
    QApplication app(argc, argv);
    TestStartup test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_startup.moc"

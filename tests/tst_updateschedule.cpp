// Firmware updates under seeded schedules of faults. A 64-bit seed draws a
// bench, the images in bin/, one to three runs from the places a user starts
// them (the settings page's update button, the device list's repair button,
// the main window's automatic update) and, at moments of each run, updater
// faults, plugs and restarts of the program: one line a step. The program
// runs as it does for a user, the device list and the Worker beside the
// settings page, and what the devices report is held against what the
// dialog said:
//
//   I1  "Update completed." only when no device attached since the user's
//       confirmation waits in update mode and every receiver and mouse on
//       its cable attached since then runs its usable image of bin/;
//   I2  no device written without a confirmation, none with an image that
//       is not usable, no write begun between a run's end and the next;
//   I3  an end view stays as it came, visible, until the user dismisses it;
//   I4  once faults are cleared, devices plugged back and everything quiet,
//       a device in update mode is offered a repair that brings it back on
//       its image;
//   I5  "Receiver not found" / "Mouse not found" only when no such device
//       is attached and working;
//   I6  a failure record only for a kind of device that was written, and
//       none once every device runs its image.
//   (I0: every run ends, and a confirmation starts something.)
//
// The steps: "bench default|m1cable|nom2|r1waiting [paced]", "image
// receiver|mouse newer|same|header|truncated|empty|wrongmodel <version>
// <file>", "keep mouse version <version>" (the registry's), "run settings
// <device>|repair|auto" followed by its moments "before confirm: <action>",
// "at <n>%: <action>" (of the bar), "after end: <action>", then "dismiss
// ok|close|escape"; an action at once: "fail <device> <percent>", "silent
// <device>", "hold <device> short|long", "plug <device> 0|1", "restart",
// "image ...".
//
// QUZ_SCHEDULE_SECONDS: how long the drawn schedules run (a minute; less
// under the sanitizers), from seed 1 or QUZ_SCHEDULE_FIRST_SEED (runs side by
// side, each with a HOME of its own, take a range each).
// QUZ_SCHEDULE_TIME_SCALE=<s>: every bench at that device timing.
// QUZ_SCHEDULE_SEED=<n>: that seed alone, printed;
// with QUZ_SCHEDULE_SHRINK=1 also fewer steps that break the rule the same
// way. QUZ_SCHEDULE_STEPS="<step>;<step>...": steps of one's own.
// QUZ_SCHEDULE_KEEP_GOING=1: every violation printed, not the first failed.
// QUZ_SCHEDULE_TRACE=1: the bench before every step.

#include "deviceenumeration.h"
#include "devicelink.h"
#include "devicestate.h"
#include "devicewatch.h"
#include "dialogchange.h"
#include "firmwarebench.h"
#include "firmwareimage.h"
#include "formsetting.h"
#include "globals.h"
#include "hidusb_sim.h"
#include "pagerepairdialog.h"
#include "postmsg.h"
#include "registry.h"
#include "settingsbench.h"
#include "testsupport.h"
#include "updatedecision.h"
#include "updateengine.h"
#include "updaterepair.h"
#include "updatetraces.h"
#include "updatewarning.h"
#include "worker.h"

#include <QElapsedTimer>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QToolButton>
#include <QtTest>

#include <functional>
#include <memory>
#include <random>

namespace {

// How long the drawn schedules run, and the watchdog they run with: the
// sanitizers slow the program down several times.
#ifdef QUZ_SCHEDULE_SANITIZED
constexpr int kDefaultSeconds = 20;
constexpr int kWatchdogMs = 250;
#else
constexpr int kDefaultSeconds = 60;
constexpr int kWatchdogMs = 60;
#endif

// QUZ_SCHEDULE_TIME_SCALE: every bench at that device timing (1: the
// devices' own pace, a write some two seconds) instead of at once or paced;
// the watchdog and the waits grow with it, past a progress step's silence.
double forcedScale()
{
    return qEnvironmentVariable("QUZ_SCHEDULE_TIME_SCALE").toDouble();
}

int watchdogMs()
{
    return std::max(kWatchdogMs, int(400 * forcedScale()));
}

// A held end comes shorter, or longer than the watchdog, after the write.
constexpr int kShortHoldMs = 5;
int longHoldMs()
{
    return watchdogMs() + 80;
}

int waitMs()
{
    return 20000 + int(30000 * forcedScale());
}

// The images of a kind: the model the configuration names (receiver class
// 4, mouse model 1), the version the benches' devices run, newer versions,
// and where the versions of unusable images start (one of their own each,
// so that a device running one shows it was flashed with it).
struct ImageKind {
    QString name;
    int code;
    QByteArray model, wrongModel;
    int same;
    QVector<int> newer;
    int unusable;
};
const ImageKind kKinds[] = {{"receiver", 211, "QZR-4K", "QZR-8K", 0x102, {0x103, 0x105}, 0x140},
                            {"mouse", 210, "QZM-Q1", "QZM-Q2", 0x105, {0x106, 0x107}, 0x150}};
const QStringList kQualities{"newer", "same", "header", "truncated", "empty", "wrongmodel"};

const ImageKind &kindOf(const QString &id)
{
    return kKinds[id.startsWith('R') || id == "receiver" ? 0 : 1];
}

QByteArray imageFile(const ImageKind &kind, const QString &quality, int version)
{
    QByteArray bytes = firmwareImageBytes(kind.code, 1, quint32(version),
                                          quality == "wrongmodel" ? kind.wrongModel : kind.model);
    if (quality == "header")
        bytes.truncate(kFirmwareHeaderSize);
    if (quality == "truncated")
        bytes.truncate(kFirmwareHeaderSize + 1000);
    if (quality == "empty")
        bytes.replace(24, 4, QByteArray(4, '\0'));   // the body's declared length
    return bytes;
}

// The benches: the default bus (R1 with M1, M2 on its cable); M1 also on
// its cable and no M2; no M2; R1 waiting in update mode beside M2 (with the
// record a failed update leaves).
QString fixtureOf(const QString &bench)
{
    if (bench == "m1cable")
        return updateBench();
    if (bench == "nom2")
        return receiverFixture("R1", 4, 1, "M1") + mouseFixture("M1", 1, false);
    return bench == "r1waiting" ? receiverWaitingBesideM2Bench() : QString();
}

QStringList devicesOf(const QString &bench)
{
    if (bench == "m1cable" || bench == "nom2")
        return {"R1", "M1"};
    return bench == "r1waiting" ? QStringList{"R1", "M2"} : QStringList{"R1", "M1", "M2"};
}

int scheduleSeconds()
{
    return qEnvironmentVariableIsSet("QUZ_SCHEDULE_SECONDS") ? qEnvironmentVariableIntValue("QUZ_SCHEDULE_SECONDS")
                                                             : kDefaultSeconds;
}

// QtTest ends a test function after five minutes: the drawn schedules get
// the time they are given.
void allowLongRuns()
{
    if (!qEnvironmentVariableIsSet("QTEST_FUNCTION_TIMEOUT"))
        qputenv("QTEST_FUNCTION_TIMEOUT", QByteArray::number((qint64(scheduleSeconds()) + 240) * 1000));
}
Q_COREAPP_STARTUP_FUNCTION(allowLongRuns)

QString hex(int v)
{
    return "0x" + QString::number(v, 16);
}

// ---- The generator --------------------------------------------------------------

class Draw
{
public:
    explicit Draw(quint64 seed) : m_rng(seed) {}

    QStringList schedule()
    {
        const QString bench = of<QString>({"default", "default", "m1cable", "nom2", "r1waiting"});
        m_devices = devicesOf(bench).toVector();
        // The device whose card the list shows at the start.
        const QString carded = bench == "nom2" ? "R1" : bench == "m1cable" ? "M1" : "M2";
        QStringList steps{"bench " + bench + (chance(20) ? " paced" : "")};
        QStringList names{"a.bin", "fw.bin", "Mouse.bin", "r4k.bin", "update_2.bin", "Z.bin"};
        for (int i = names.size() - 1; i > 0; --i)
            names.swapItemsAt(i, pick(i + 1));
        for (const ImageKind &kind : kKinds) {
            for (int n = of<int>({0, 1, 1, 1, 1, 2, 2}), i = 0; i < n; ++i)
                steps << image(kind, i > 0 && steps.last().contains(QRegularExpression(" (newer|same) ")), names.at(i));
            names = names.mid(2);
        }
        // The mouse's version as a device page read it: that of its image
        // or not, so that the automatic update may come.
        const QRegularExpressionMatch mouseImage =
            QRegularExpression("image mouse (newer|same) (\\S+)").match(steps.join('\n'));
        if (chance(50))
            steps << "keep mouse version " + (mouseImage.hasMatch() && chance(70) ? mouseImage.captured(2) : hex(0x105));
        for (int runs = 1 + pick(3), run = 0; run < runs; ++run) {
            if (run > 0 && chance(40))
                steps << (chance(30) ? image(kKinds[pick(2)], chance(50), names.value(0, "b.bin")) : action());
            const int entry = pick(6);
            steps << (entry < 3 ? "run settings " + (chance(70) ? carded : of(m_devices))
                                : entry < 5 ? "run repair" : "run auto");
            QMultiMap<int, QString> moments;   // in the order they come
            for (int n = pick(4); n > 0; --n) {
                const int moment = pick(3), percent = 5 * pick(21);
                const QString when = QStringList{"before confirm", QString("at %1%").arg(percent), "after end"}.at(moment);
                moments.insert(moment * 1000 + percent, when + ": " + action());
            }
            steps << moments.values();
            const int end = pick(100);
            if (end < 70 || (run + 1 < runs && end < 85))
                steps << "dismiss " + of<QString>({"ok", "close", "escape"});
            else if (run + 1 < runs || end < 85)
                steps << "restart";
        }
        return steps;
    }

private:
    int pick(int n) { return int(m_rng() % quint64(n)); }
    bool chance(int percent) { return pick(100) < percent; }
    template <typename T> T of(const QVector<T> &v) { return v.at(pick(v.size())); }

    // At most one usable image of a kind, so the version it should bring
    // is plain.
    QString image(const ImageKind &kind, bool usableTaken, const QString &name)
    {
        int q = of<int>({0, 0, 0, 1, 2, 3, 4, 5});
        if (usableTaken && q < 2)
            q = 2 + pick(4);
        const int version = q == 0 ? of(kind.newer) : q == 1 ? kind.same : kind.unusable + q;
        return QString("image %1 %2 %3 %4").arg(kind.name, kQualities.at(q), hex(version), name);
    }

    QString action()
    {
        const QString device = of(m_devices);
        const int a = pick(100);
        if (a < 25)
            return QString("fail %1 %2").arg(device).arg(5 * pick(21));
        if (a < 35)
            return "silent " + device;
        if (a < 50)
            return "hold " + device + (chance(50) ? " short" : " long");
        if (a < 90)
            return "plug " + device + (chance(50) ? " 0" : " 1");
        return "restart";
    }

    std::mt19937_64 m_rng;
    QVector<QString> m_devices;
};

} // namespace

// ---- The harness ------------------------------------------------------------------

class TestUpdateSchedule : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<FirmwareProgramFolder> folder;
    std::unique_ptr<DialogChange> list;
    std::unique_ptr<Worker> worker;
    std::unique_ptr<FormSetting> page;
    std::unique_ptr<UpDateRepair> automatic;   // the main window's own dialog
    UpDateRepair *view = nullptr;               // the dialog of the current run

    // What the schedule has seen.
    QString violation;
    QStringList devices, attachedAtStart;
    QMap<QString, int> started;                 // versions
    QMap<QString, QString> usableFile;          // by kind
    QMap<QString, int> usableVersion;           // by kind
    QSet<int> usableVersions;                   // every usable image's so far
    double scale = 0;
    int confirmations = 0;
    int startsSeen = 0;                         // UsbUpgrade_Start calls up to the last run's end
    QStringList endView;                        // shown, text, bar; empty: none up

    UpdateEngine *engine() { return UpdateEngine::instance(); }
    static QString autoRepair(int position) { return langText(g_langAutoRepair, 0, position); }
    QToolButton *button(const char *name) { return view->findChild<QToolButton *>(name); }
    QPushButton *repairButton() { return list->findChild<QPushButton *>("Repair"); }

    bool violated(bool broken, const QString &rule, const QString &observed)
    {
        if (broken && violation.isEmpty())
            violation = rule + ": " + observed + "\n  (" + benchNow() + ")";
        return broken;
    }

    // Each device's version and state, the record, the dialog's text.
    QString benchNow()
    {
        QStringList parts;
        for (const QString &id : qAsConst(devices)) {
            const QByteArray i = id.toLatin1();
            parts << id + " " + hex(hidsim::firmwareVersion(i)) + (hidsim::inUpdateMode(i) ? " update mode" : "")
                         + (hidsim::attached(i) ? "" : " out");
        }
        parts << "record " + (readUpdateFailInfo().isEmpty() ? QString("none") : readUpdateFailInfo());
        if (view && view->isVisible())
            parts << "dialog \"" + view->stateText() + "\"";
        return parts.join(", ");
    }

    void note(const QString &step)
    {
        static const bool trace = qEnvironmentVariableIntValue("QUZ_SCHEDULE_TRACE") != 0;
        if (trace)
            qInfo().noquote() << "    " + benchNow() + "\n  " + step;
    }

    QStringList devicesThat(bool (*is)(const char *))
    {
        QStringList ids;
        for (const QString &id : qAsConst(devices))
            if (is(id.toLatin1()))
                ids << id;
        return ids;
    }

    // Until the condition holds, handling events meanwhile.
    bool waitFor(const std::function<bool()> &condition, const char *what)
    {
        QElapsedTimer clock;
        clock.start();
        QTimer tick;   // wakes the loop for what comes without an event
        tick.start(1);
        while (!condition() && clock.elapsed() < waitMs())
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        return !violated(!condition(), "I0", what);
    }

    // Until the library and the Worker are quiet and the GUI thread has
    // handled what they sent (an update step may still be queued: an end
    // held back).
    void idle()
    {
        for (int i = 0; i < 2; ++i) {
            violated(!hidsim::waitBusIdle(waitMs()), "I0", "the bus never went quiet");
            waitFor([this] { return !worker || !worker->isRunning(); }, "the Worker never finished");
            QCoreApplication::processEvents();
        }
    }

    QStringList viewNow()
    {
        if (!view)
            return {"closed"};
        return {view->isVisible() ? "shown" : "closed", view->stateText(),
                QString::number(view->findChild<QProgressBar *>("progressBar_2")->value())};
    }

    // ---- The program ------------------------------------------------------------

    void startProgram()
    {
        QSignalSpy listed(PostMsg::instance(), &PostMsg::SigJuestOneDevice);
        list.reset(new DialogChange);
        list->show();
        worker.reset(new Worker(nullptr));
        g_worker = worker.get();
        page.reset(new FormSetting);
        page->buildUpdateDialogs();
        page->show();
        g_devicePageActive = 0;
        waitFor([&] { return listed.count() > 0; }, "the list never filled");
        idle();
    }

    void stopProgram()
    {
        view = nullptr;
        automatic.reset();
        stopWatchingDeviceChanges();
        page.reset();
        waitFor([this] { return !worker->isRunning(); }, "the Worker never finished");
        g_worker = nullptr;
        worker.reset();
        list.reset();
    }

    // The program ends, whatever it was doing, and starts again: the library
    // finds the bench as its state file keeps it, the registry stays.
    void restartProgram()
    {
        stopProgram();
        endView.clear();
        resetAllGlobals();
        folder->use();
        resetUpdateRunState();
        hidsim::restart();
        hidsim::setTimeScale(scale);
        QCoreApplication::processEvents();   // what the ended program queued: a fresh engine drops it
        startProgram();
    }

    // The main window's switch to the device list.
    static void toList()
    {
        g_devicePageActive = 0;
        stopDeviceServer();
        watchDeviceChanges(DeviceChangeListener::DeviceList);
    }

    void showList()
    {
        QSignalSpy listed(PostMsg::instance(), &PostMsg::SigJuestOneDevice);
        toList();
        waitFor([&] { return listed.count() > 0; }, "the list never filled");
        idle();
    }

    // The user clicks the device's card, if it has one; the device page
    // follows that device.
    bool openDevicePage(const QString &id)
    {
        const QString path = QString::fromStdString(hidsim::pathOf(id.toLatin1()));
        if (std::none_of(g_shownDevices.begin(), g_shownDevices.end(),
                         [&](const DeviceAllInfo &d) { return d.devicePath == path; }))
            return false;
        const bool behind = id == "R1" && devices.contains("M1") && !hidsim::inUpdateMode("M1");
        const DeviceAllInfo chosen = settingsEntry(id.toLatin1().constData(), behind ? "M1" : nullptr);
        g_devicePageActive = 1;
        PostMsg::instance()->postSelectMouseInfo(chosen);
        setDeviceHandlePath(chosen.devicePath.toUtf8());
        watchDeviceChanges(DeviceChangeListener::DevicePage);
        waitFor([] { return g_deviceListCurrent; }, "the device page never scanned");
        idle();
        return true;
    }

    // ---- Steps ------------------------------------------------------------------------

    void addImage(const QStringList &w)   // image <kind> <quality> <version> <file>
    {
        const int version = w.at(3).toInt(nullptr, 16);
        for (const QString &kind : usableFile.keys(w.at(4))) {   // a usable image written over
            usableFile.remove(kind);
            usableVersion.remove(kind);
        }
        if (w.at(2) == "newer" || w.at(2) == "same") {
            // The one usable image of its kind.
            QFile::remove(folder->path() + "/bin/" + usableFile.value(w.at(1)));
            usableFile[w.at(1)] = w.at(4);
            usableVersion[w.at(1)] = version;
            usableVersions << version;
        }
        folder->addImage(w.at(4), imageFile(kindOf(w.at(1)), w.at(2), version));
    }

    // An action; then, unless it runs inside the program's own signal,
    // until what it set off has been handled.
    void act(const QString &line, bool wait = true)
    {
        const QStringList w = line.split(' ');
        const QByteArray id = w.value(1).toLatin1();
        if (w.at(0) == "fail")
            hidsim::failUpdate(id, w.at(2).toInt());
        else if (w.at(0) == "silent")
            hidsim::silentUpdate(id, true);
        else if (w.at(0) == "hold")
            hidsim::holdUpdate(id, w.at(2) == "long" ? longHoldMs() : kShortHoldMs);
        else if (w.at(0) == "plug")
            hidsim::plug(id, w.at(2) == "1");
        else if (w.at(0) == "image")
            addImage(w);
        else if (w.at(0) == "restart")
            restartProgram();
        if (wait)
            idle();
    }

    // ---- Checks -----------------------------------------------------------------------

    void checkEndView(const QString &after)   // I3
    {
        if (!endView.isEmpty())
            violated(viewNow() != endView, "I3",
                     QString("after %1 the end view [%2] became [%3]").arg(after, endView.join(" | "), viewNow().join(" | ")));
    }

    void checkNotFound()   // I5
    {
        if (!view || !view->isVisible())
            return;
        const QString text = view->stateText();
        const bool noReceiver = text == autoRepair(5) || text == g_textNoRecieve;
        const bool noMouse = text == autoRepair(6) || text == g_textNoUSB;
        for (const QString &id : devicesThat(hidsim::attached)) {
            if (!hidsim::inUpdateMode(id.toLatin1()) && (id.startsWith('R') ? noReceiver : noMouse))
                violated(true, "I5", QString("the dialog says \"%1\" while %2 is attached and working").arg(text, id));
        }
    }

    void checkWrites(const QString &when)   // I2
    {
        const int starts = hidsim::countCalls("UsbUpgrade_Start");
        violated(starts != startsSeen, "I2", QString("%1 write(s) began %2, in no run").arg(starts - startsSeen).arg(when));
        for (const QString &id : qAsConst(devices)) {
            const int v = hidsim::firmwareVersion(id.toLatin1());
            violated(v != started.value(id) && !usableVersions.contains(v), "I2",
                     QString("%1 runs %2, the version of no usable image (%3)").arg(id, hex(v), when));
            violated(confirmations == 0 && hidsim::updatesBegun(id.toLatin1()) > 0, "I2",
                     QString("%1 was written, no run ever confirmed (%2)").arg(id, when));
        }
    }

    // Of these devices, the attached ones that do not run their usable image.
    QStringList offTheirImage(const QStringList &among)
    {
        QStringList off;
        for (const QString &id : among) {
            const int image = usableVersion.value(kindOf(id).name, -1);
            const int runs = hidsim::firmwareVersion(id.toLatin1());
            if (hidsim::attached(id.toLatin1()) && image >= 0 && runs != image)
                off << QString("%1 runs %2, its image %3").arg(id, hex(runs), hex(image));
        }
        return off;
    }

    // ---- Runs -------------------------------------------------------------------------

    // The user opens the run's dialog; true when it offers the run.
    bool openRun(const QStringList &w)
    {
        showList();
        view = g_updateRepairDialog;
        if (w.at(1) == "settings") {
            if (!openDevicePage(w.at(2)))
                return false;
            page->SetVer(0);
            page->findChild<QToolButton *>("Receive_2")->click();
        } else if (w.at(1) == "repair") {
            if (repairButton()->isHidden())
                return false;
            repairButton()->click();
        } else {
            // The main window's Space key: one receiver card, and only the
            // receiver has a newer image (the user agrees to its update).
            if (g_shownDevices.size() != 1 || g_shownDevices.first().isWired
                || checkDeviceFirmware(g_shownDevices.first()).offer != FirmwareOffer::ReceiverUpdate)
                return false;
            automatic.reset(new UpDateRepair(nullptr));
            view = automatic.get();
            return true;
        }
        idle();
        checkNotFound();
        return true;
    }

    // run <entry> [device], with its moments: before confirm, at n %, after end.
    void run(const QStringList &w, const QStringList &moments)
    {
        const bool opened = openRun(w);
        for (const QString &m : moments.filter(QRegularExpression("^before ")))
            act(m.section(": ", 1));
        const bool automaticRun = w.at(1) == "auto";
        if (!opened || !view || (!automaticRun && (!view->isVisible() || view->stateText() != autoRepair(12)))) {
            if (view && view->isVisible() && !engine()->dialogHeld())
                button("CloseButton")->click();   // nothing to confirm: the user closes it
        } else {
            confirm(automaticRun, moments);
        }
        for (const QString &m : qAsConst(moments)) {
            if (m.startsWith("after") && violation.isEmpty()) {
                act(m.section(": ", 1));
                checkEndView(m);
            }
        }
    }

    // The user confirms; the moments "at n %" come with the bar.
    void confirm(bool automaticRun, const QStringList &moments)
    {
        checkWrites("before the confirmation");
        ++confirmations;
        const QStringList targets = devicesThat(hidsim::attached);   // one attached later is no target
        const auto percentOf = [](const QString &m) { return m.section(' ', 1, 1).chopped(2).toInt(); };
        QStringList atPercent = moments.filter(QRegularExpression("^at "));
        std::stable_sort(atPercent.begin(), atPercent.end(),
                         [&](const QString &a, const QString &b) { return percentOf(a) < percentOf(b); });
        bool restart = false;
        const auto onPercent = [&](int value) {
            while (!atPercent.isEmpty() && percentOf(atPercent.first()) <= value) {
                const QString action = atPercent.takeFirst().section(": ", 1);
                if (action == "restart")
                    restart = true;   // not inside the program's own signal
                else
                    act(action, false);
            }
        };
        const auto c1 = connect(PostMsg::instance(), &PostMsg::SigProgress, this, [&](int value, int kind) {
            if (kind == 0)
                onPercent(value);
        });
        const auto c2 = connect(PostMsg::instance(), &PostMsg::SigAutoRepairProgress, this, onPercent);
        if (automaticRun) {
            automatic->startAutoUpdate(0);
            automatic->setModal(true);
            automatic->show();
        } else {
            button("NewHong_2")->click();
        }
        waitFor([&] { return restart || !engine()->runInProgress(); }, "the run never ended");
        disconnect(c1);
        disconnect(c2);
        startsSeen = hidsim::countCalls("UsbUpgrade_Start");
        if (restart) {
            restartProgram();
            return;
        }
        idle();
        startsSeen = hidsim::countCalls("UsbUpgrade_Start");
        endView = viewNow();
        checkWrites("by the end view");
        violated(endView.at(1) == autoRepair(12), "I0", "the confirmation did nothing, the dialog offers the run still");
        if (endView.at(1) == langText(g_langProgress, 0, 1)) {
            // A device that waits in update mode away from the bus since
            // before the confirmation was no target (I4 sees to its repair).
            QStringList waiting;
            for (const QString &id : devicesThat(hidsim::inUpdateMode))
                if (targets.contains(id) || hidsim::attached(id.toLatin1()))
                    waiting << id;
            const QStringList off = offTheirImage(targets);
            violated(!waiting.isEmpty(), "I1", "\"Update completed.\" while in update mode: " + waiting.join(' '));
            violated(!off.isEmpty(), "I1", "\"Update completed.\" while " + off.join(", "));
        }
        checkNotFound();
    }

    void dismiss(const QString &how)
    {
        checkEndView("the wait before " + how);
        if (page && page->updateNotice()->isVisible())
            page->updateNotice()->hide();
        if (view && view->isVisible() && endView.isEmpty() && view->stateText() == autoRepair(12))
            button("CloseButton")->click();   // an offer is cancelled, never confirmed here
        if (view && view->isVisible()) {
            if (how == "escape")
                QTest::keyClick(view, Qt::Key_Escape);   // clicks the cancel button, in its time
            else
                button(how == "ok" ? "NewHong_2" : "CloseButton")->click();
            waitFor([this] { return !view->isVisible(); }, qPrintable("the end view did not close on " + how));
        }
        endView.clear();
        if (automatic) {
            view = nullptr;
            automatic.reset();
        }
        if (g_updateRepairDialog && g_updateRepairDialog->isVisible() && !engine()->dialogHeld())
            g_updateRepairDialog->findChild<QToolButton *>("CloseButton")->click();   // an offer meanwhile
        idle();
    }

    // Faults cleared, late ends in, devices plugged back, usable images in
    // bin/, the dialog dismissed, the list enumerated; then I2, I6, I4, I6.
    void settle()
    {
        dismiss("ok");
        for (const QString &id : qAsConst(devices)) {
            hidsim::failUpdate(id.toLatin1(), -1);
            hidsim::silentUpdate(id.toLatin1(), false);
            hidsim::holdUpdate(id.toLatin1(), 0);
        }
        hidsim::waitIdle(waitMs());
        QCoreApplication::processEvents();
        if (engine()->earlierStepWriting())
            restartProgram();   // an updater that never answers: the dialog says to restart
        checkWrites("after the last run");
        for (const QString &id : qAsConst(devices))
            hidsim::plug(id.toLatin1(), attachedAtStart.contains(id) || hidsim::inUpdateMode(id.toLatin1()));
        for (const ImageKind &kind : kKinds) {
            if (!usableVersion.contains(kind.name))
                addImage({"image", kind.name, "newer", hex(kind.newer.first()), kind.name + "-repair.bin"});
        }
        showList();
        note("settled");

        const QStringList record = readUpdateFailFields();
        if (!record.isEmpty() && violation.isEmpty()) {
            const QString kind = record.at(0) == "211" ? "R" : "M";
            const bool written = std::any_of(devices.begin(), devices.end(), [&](const QString &id) {
                return id.startsWith(kind) && (hidsim::inUpdateMode(id.toLatin1()) || hidsim::updatesBegun(id.toLatin1()));
            });
            violated(!written, "I6", QString("the record %1 names a device never written").arg(record.join(',')));
        }

        const QStringList waiting = devicesThat(hidsim::inUpdateMode);
        for (int round = 0; round < 3 && !devicesThat(hidsim::inUpdateMode).isEmpty() && violation.isEmpty(); ++round) {
            const QString who = devicesThat(hidsim::inUpdateMode).join(' ');
            view = g_updateRepairDialog;
            if (violated(repairButton()->isHidden(), "I4", who + " waits in update mode, the list offers no repair"))
                return;
            repairButton()->click();
            idle();
            // A receiver's repair asks for its mouse on the cable (and a
            // mouse's for its receiver): the user does as the dialog says.
            const QString asked = view->isVisible() ? view->stateText() : QString();
            const QString wanted = asked == autoRepair(6) ? "M" : asked == autoRepair(5) ? "R" : QString();
            const QStringList away = devicesThat([](const char *id) { return !hidsim::attached(id); })
                                         .filter(QRegularExpression("^" + wanted));
            if (!wanted.isEmpty() && !away.isEmpty()) {
                button("CloseButton")->click();
                for (const QString &id : away)
                    hidsim::plug(id.toLatin1(), true);
                showList();
                repairButton()->click();
                idle();
            }
            if (violated(!view->isVisible() || view->stateText() != autoRepair(12), "I4",
                         QString("%1 waits in update mode, the repair says \"%2\"").arg(who, view->stateText())))
                return;
            ++confirmations;
            button("NewHong_2")->click();
            waitFor([this] { return !engine()->runInProgress(); }, "the repair never ended");
            idle();
            note("repaired");
            startsSeen = hidsim::countCalls("UsbUpgrade_Start");
            dismiss("ok");
            showList();
        }
        for (const QString &id : waiting) {
            const QByteArray i = id.toLatin1();
            violated(hidsim::inUpdateMode(i) || hidsim::firmwareVersion(i) != usableVersion.value(kindOf(id).name), "I4",
                     QString("after the repair %1 %2 at %3").arg(id, hidsim::inUpdateMode(i) ? "waits" : "runs",
                                                                hex(hidsim::firmwareVersion(i))));
        }
        if (devicesThat(hidsim::inUpdateMode).isEmpty() && offTheirImage(devices).isEmpty())
            violated(!readUpdateFailInfo().isEmpty(), "I6",
                     QString("every device runs its image, the record %1 stays").arg(readUpdateFailInfo()));
    }

    // ---- A schedule ---------------------------------------------------------------------

    // Runs the steps from a fresh bench and program; the violation, or empty.
    QString runSchedule(const QStringList &steps)
    {
        violation.clear();
        usableFile.clear();
        usableVersion.clear();
        usableVersions.clear();
        endView.clear();
        confirmations = startsSeen = 0;
        const QStringList b = steps.first().split(' ');
        resetFirmwareBench();
        folder.reset();   // the old folder names no folder when it goes: it goes first
        folder.reset(new FirmwareProgramFolder);
        for (const char *mid : {"1", "2"})
            RegistryKey(updateTraceKeyPath()).remove(mouseVersionValueName("33", mid));
        setUpdateFailRecord(b.at(1) == "r1waiting" ? "211,4,33,1" : "");
        const QString fixture = fixtureOf(b.at(1));
        hidsim::reset(fixture.isEmpty() ? "" : folder->fixture("bench", fixture).toUtf8().constData());
        // A write takes some 20 ms, or comes at once.
        scale = forcedScale() > 0 ? forcedScale() : b.contains("paced") ? 0.01 : 0;
        hidsim::setTimeScale(scale);
        hidsim::clearCalls();
        devices = devicesOf(b.at(1));
        started = firmwareOnTheBench();
        attachedAtStart = devicesThat(hidsim::attached);
        startProgram();

        for (int i = 1; i < steps.size() && violation.isEmpty(); ++i) {
            note(steps.at(i));
            const QStringList w = steps.at(i).split(' ');
            if (w.at(0) == "keep") {
                writeMouseVersion("33", "1", firmwareVersionText(quint32(w.at(3).toInt(nullptr, 16))));
            } else if (w.at(0) == "run") {
                QStringList moments;
                while (i + 1 < steps.size() && steps.at(i + 1).contains(": "))
                    moments << steps.at(++i);
                run(w, moments);
            } else if (w.at(0) == "dismiss") {
                dismiss(w.at(1));
            } else {
                if (w.at(0) == "restart")
                    checkEndView("the wait before the restart");
                act(steps.at(i).section(": ", -1));   // a moment of no run comes at once
            }
        }
        if (violation.isEmpty())
            settle();
        stopProgram();
        return violation;
    }

    // Fewer steps (a run goes with its moments) that break a rule the same
    // way, versions and texts aside.
    QStringList shrink(QStringList steps, const QString &violation)
    {
        const auto kind = [](QString v) {
            return v.section('\n', 0, 0).replace(QRegularExpression("0x[0-9a-f]+|\"[^\"]*\""), "_");
        };
        for (int i = steps.size() - 1; i >= 1; --i) {
            QStringList fewer = steps;
            fewer.removeAt(i);
            while (steps.at(i).startsWith("run") && i < fewer.size() && fewer.at(i).contains(": "))
                fewer.removeAt(i);
            if (kind(runSchedule(fewer)) == kind(violation))
                steps = fewer;
        }
        return steps;
    }

private slots:
    void initTestCase()
    {
        startFirmwareTests();
        qputenv("QUZ_UPDATE_WATCHDOG_MS", QByteArray::number(watchdogMs()));
        resetUpdateRunState();
        // The settings page's steps, quicker than a second.
        g_dongleCheckTimer->setInterval(1);
        g_mouseCheckTimer->setInterval(1);
        connect(PostMsg::instance(), &PostMsg::SigChangeMainDialog, this, [](int index) {
            if (index == 0)
                toList();
        });
    }

    void cleanupTestCase()
    {
        folder.reset();
        hidsim::setTimeScale(0);
    }

    // Faults known to have been in the engine, each a schedule, and the
    // drawn schedules.
    void schedules_data()
    {
        QTest::addColumn<QStringList>("steps");
        const QStringList mouseImage{"bench default", "image mouse newer 0x107 m.bin"};
        QTest::newRow("a repair passes over the receiver that waits")
            << mouseImage + QStringList{"image receiver newer 0x105 r.bin", "run settings M2",
                                        "before confirm: fail R1 40", "dismiss ok", "run repair"};
        QTest::newRow("a restart before the late end of a mouse given up on")
            << mouseImage + QStringList{"run settings M2", "before confirm: hold M2 long", "after end: restart", "run repair"};
        QTest::newRow("a restart after a silent mouse write")
            << mouseImage + QStringList{"run settings M2", "before confirm: silent M2", "restart", "run repair"};
        QTest::newRow("the receiver updated while the mouse waits")
            << mouseImage + QStringList{"run settings M2", "before confirm: fail M2 40", "dismiss ok",
                                        "image receiver newer 0x105 r.bin", "run settings R1",
                                        "before confirm: fail R1 40", "dismiss ok"};
        // The waiting mouse is away from the bus when the repair writes the
        // other one on its cable: that is complete, and the waiting one is
        // offered its repair once it is back.
        QTest::newRow("a repair while the waiting mouse is away")
            << mouseImage + QStringList{"run settings M2", "before confirm: fail M2 40", "dismiss ok", "plug M2 0",
                                        "plug M1 1", "run repair", "dismiss ok", "plug M1 0"};
        // The mouse is written on its cable, which is pulled at the end: once
        // it answers through its receiver at its image's version, no record.
        QTest::newRow("a mouse written, then away from its cable")
            << QStringList{"bench nom2", "image mouse newer 0x107 m.bin", "run settings R1", "before confirm: plug M1 1",
                           "at 100%: plug M1 0", "dismiss ok"};
        // The mouse's step is refused (the waiting mouse and M1 on its cable
        // would both take the image): the run ends, each device one step.
        QTest::newRow("a refused mouse step after the receiver's")
            << mouseImage + QStringList{"run settings M2", "before confirm: fail M2 30", "after end: plug M1 1",
                                        "dismiss ok", "run settings M1"};
        QTest::newRow("an image without a body")
            << QStringList{"bench default", "image receiver empty 0x144 r.bin", "run settings M2", "dismiss ok"};
        QTest::newRow("a truncated image")
            << QStringList{"bench default", "image receiver truncated 0x143 r.bin", "run settings M2", "dismiss ok"};
        // A write takes some 20 ms here: the program ends in the middle of it.
        QTest::newRow("the program ends while the receiver is written")
            << QStringList{"bench m1cable paced", "image receiver newer 0x103 r.bin", "run settings M1", "at 20%: restart"};
        QTest::newRow("drawn") << QStringList();
    }

    void schedules()
    {
        QFETCH(QStringList, steps);
        if (steps.isEmpty() && qEnvironmentVariableIsSet("QUZ_SCHEDULE_STEPS"))
            steps = qEnvironmentVariable("QUZ_SCHEDULE_STEPS").split(';');
        if (!steps.isEmpty()) {
            const QString broken = runSchedule(steps);
            if (!broken.isEmpty())
                QFAIL(qPrintable("\n  " + steps.join("\n  ") + "\n" + broken));
            return;
        }
        bool one = false;
        const quint64 only = qEnvironmentVariable("QUZ_SCHEDULE_SEED").toULongLong(&one);
        const qint64 ms = 1000 * qint64(scheduleSeconds());
        const bool keepGoing = qEnvironmentVariableIntValue("QUZ_SCHEDULE_KEEP_GOING") != 0;
        QElapsedTimer clock;
        clock.start();
        int count = 0, broken = 0;
        const quint64 first = qMax<quint64>(1, qEnvironmentVariable("QUZ_SCHEDULE_FIRST_SEED").toULongLong());
        for (quint64 seed = one ? only : first; one ? seed == only : clock.elapsed() < ms; ++seed, ++count) {
            const QStringList drawn = Draw(seed).schedule();
            const QString rule = runSchedule(drawn);
            const QString printed = QString("seed %1\n  %2\n").arg(seed).arg(drawn.join("\n  "));
            if (one)
                qInfo().noquote() << printed + (rule.isEmpty() ? "no violation" : rule);
            if (rule.isEmpty())
                continue;
            ++broken;
            if (one && qEnvironmentVariableIntValue("QUZ_SCHEDULE_SHRINK"))
                qInfo().noquote() << "fewer steps:\n  " + shrink(drawn, rule).join("\n  ");
            if (!keepGoing)
                QFAIL(qPrintable("\n" + printed + rule));
            qInfo().noquote() << printed + rule;
        }
        qInfo("%d schedules in %lld ms, %d broke a rule", count, clock.elapsed(), broken);
        QCOMPARE(broken, 0);
    }
};

QTEST_MAIN(TestUpdateSchedule)
#include "tst_updateschedule.moc"

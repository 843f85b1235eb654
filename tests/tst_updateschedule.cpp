// Firmware updates under seeded schedules of faults. A 64-bit seed draws a
// bench, the images in bin/, one to three runs from the places a user starts
// them (the settings page's update button, the device list's repair button,
// the main window's automatic update) and, at moments of each run, updater
// faults, plugs and restarts of the program: one line a step. The program
// runs as it does for a user, the device list and the Worker beside the
// settings page, and what the devices report is held against what the
// dialog said. The updater's step gate holds every write after each of its
// progress reports until the moments of that percent have come, so they
// come inside the write at every device timing.
//
// The confirmed targets of a run are worked out here, from the devices at
// the moment the user confirms and never from the engine: they are the
// devices the dialog offered to update. Each counts when it is attached and
// waits in update mode or runs another version than its usable image:
//   - the settings page: the device whose card was opened and the other part
//     of its model: beside a mouse on its cable the receivers; beside a
//     receiver the mouse whose version its page shows (the one it reaches:
//     paired with it last and carrying its id), or with none shown the mice
//     on their cables;
//   - a repair: the devices waiting in update mode (none waiting: those
//     written that the failure record names and that run another version,
//     or, the record an earlier version's, the devices of its kind) and the
//     other part of their model (a device of that part that waits
//     attached, else the devices of that kind);
//   - the automatic update: the receiver shown, and the mice on their cables
//     only when the mouse's image was offered too (its version is not the
//     one the program keeps for the mouse);
//   - besides, in every run, a device of the same model that waits in update
//     mode for a usable image: it is written before any other.
//
//   I1  "Update completed." only when every confirmed target runs its usable
//       image, none waits in update mode, attached at the end or not, and
//       none is away restarting from its write when the run ends (nothing
//       can have read it); closing a run's end view turns the settings page
//       to "Up to date" only then, and after "Update completed." is closed
//       (OK, Cancel or the close button) the page says "Up to date" until a
//       check of the devices finds an update again;
//   I2  no device written without a confirmation, none that is not a
//       confirmed target of its run, none with an image that is not usable,
//       no write begun between a run's end and the next;
//   I3  an end view stays as it came, visible and alone (no notice over
//       it), until the user dismisses it;
//   I4  once faults are cleared and everything is quiet, a device in update
//       mode is offered a repair, also while it stays away holding the
//       record: the repair then asks for a device to be connected ("Receiver
//       not found..." or "Mouse not found...", or, with no usable image of
//       its kind, that the file is missing), never says that there is none
//       to update; once the device is attached, the repair brings it back on
//       its image;
//   I5  what the dialog says of the devices is true: "Receiver not found" /
//       "Mouse not found" only when no device of that kind and of the run's
//       model is listed (attached, waiting in update mode or not, or the
//       mouse a receiver's card shows through it), or the one it asks for
//       (one that waits, holds the record, or is the card's) is away; "More
//       than one device..." and "several" only when two devices of a kind
//       are attached; "does not report the new firmware" only of a kind
//       written in the run;
//   I6  by the device: a failure record only while a device that was
//       written matches it and waits in update mode, runs another version
//       than its image or is away where the program cannot read it, or,
//       one an earlier version left (naming no device), until a run of its
//       model says "Update completed."; a device in update mode the record
//       named keeps it, also while it is away, and one attached for which
//       bin/ holds an image is named by it; none once every device that was
//       written runs its image, attached (a mouse is never read through a
//       receiver, which may reach another mouse by the same id).
//   (I0: every run ends, and a confirmation starts something.)
// A rule that cannot be judged where it is checked says why, in the trace.
//
// The steps: "bench <devices> [paced]" of R1 and R2 (4K receivers, model
// 1), M1 (paired with R1), M3 (paired with R2), M2 (model 1 on its cable)
// and Q2 (model 2 on its cable); how the bench starts: "start <device>
// <version>|out|cable|offline|waiting", "start <mouse> paired <receiver>"
// (it carries that receiver's id, of the bench or not, and the receiver
// reaches it; a mouse paired with it before keeps the id: two mice carry
// one id), "start record <code,class,CID,MID>" (a record an earlier version
// left, naming no device); "image receiver|mouse|mouse2
// newer|same|header|truncated|empty|wrongmodel <version> <file>", "keep
// mouse version <version>" (the registry's), "run settings
// <device>|repair|auto" followed by its moments "before confirm: <action>",
// "at <n>%: <action>" (the bar there, the write held), "ended <n>%:
// <action>" (the write that took the bar there is over on its device, the
// program not told yet), "after end: <action>", then "dismiss
// ok|close|escape"; last "settle [away <device>]" (that device stays away
// at first). An action comes at once: "fail <device> <percent>", "silent
// <device>", "hold <device> short|long", "plug <device> 0|1", "online
// <mouse> 0|1", "failanswers <n>", "failverify <device> stay|old",
// "slowcomeback <device> <ms>", "pair <receiver> <mouse>" (as the pairing
// dialog does), "restart", "image ...". A step, action or device outside
// this language (kSteps and the lists beside it) fails its row.
//
// QUZ_SCHEDULE_SECONDS: how long the drawn schedules run (a minute; less
// under the sanitizers), from seed 1 or QUZ_SCHEDULE_FIRST_SEED (runs side by
// side, each with a HOME of its own, take a range each).
// QUZ_SCHEDULE_TIME_SCALE=<s>: every bench at that device timing.
// QUZ_SCHEDULE_SEED=<n>: that seed alone, printed;
// with QUZ_SCHEDULE_SHRINK=1 also fewer steps that break the rule the same
// way. QUZ_SCHEDULE_STEPS="<step>;<step>...": steps of one's own.
// QUZ_SCHEDULE_KEEP_GOING=1: every violation printed, not the first failed.
// QUZ_SCHEDULE_TRACE=1: the bench before every step, and the rules that
// could not be judged.

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
#include "mouseversion.h"
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
#include <QThread>
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

// How long the engine asks a written device again while it restarts: the
// slow comebacks drawn come back within it or after it.
constexpr int kReadBackMs = 300;

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
// 4 and mouse of model 1, mouse of model 2), the version the benches'
// devices run, newer versions, and where the versions of unusable images
// start (one of their own each, so that a device running one shows it was
// flashed with it).
struct ImageKind {
    QString name;
    int code, mid;
    QByteArray model, wrongModel;
    int same;
    QVector<int> newer;
    int unusable;
};
const ImageKind kKinds[] = {{"receiver", 211, 1, "QZR-4K", "QZR-8K", 0x102, {0x103, 0x104, 0x105}, 0x140},
                            {"mouse", 210, 1, "QZM-Q1", "QZM-Q2", 0x105, {0x106, 0x107}, 0x150},
                            {"mouse2", 210, 2, "QZM-Q2", "QZM-Q1", 0x105, {0x106, 0x108}, 0x160}};
const QStringList kQualities{"newer", "same", "header", "truncated", "empty", "wrongmodel"};

// The devices a bench may hold: the receivers R1 and R2 (4K, model 1), M1
// paired with R1 and M3 with R2, M2 of model 1 on its cable and Q2 of model 2
// on its cable, each of these two paired with a receiver that is not there.
struct BenchDevice {
    QString id;
    bool receiver;
    int mid;
    QString rid;       // a receiver's id, or the absent receiver a mouse is paired with
    QString partner;   // the mouse of a receiver, the receiver of a mouse
    bool cable;
};
const BenchDevice kBenchDevices[] = {{"R1", true, 1, "3A 51 04", "M1", true}, {"R2", true, 1, "3A 61 04", "M3", true},
                                     {"M1", false, 1, "", "R1", false},        {"M2", false, 1, "3A 52 07", "", true},
                                     {"M3", false, 1, "", "R2", false},        {"Q2", false, 2, "3A 72 08", "", true}};

const BenchDevice &benchDevice(const QString &id)
{
    for (const BenchDevice &d : kBenchDevices) {
        if (d.id == id)
            return d;
    }
    return kBenchDevices[0];
}

bool isReceiver(const QString &id)
{
    return id.startsWith('R');
}

int midOf(const QString &id)
{
    return benchDevice(id).mid;
}

const ImageKind &kindOf(const QString &idOrKind)
{
    for (const ImageKind &kind : kKinds) {
        if (kind.name == idOrKind)
            return kind;
    }
    return kKinds[isReceiver(idOrKind) ? 0 : midOf(idOrKind) == 2 ? 2 : 1];
}

QString hex(int v)
{
    return "0x" + QString::number(v, 16);
}

QByteArray imageFile(const ImageKind &kind, const QString &quality, int version)
{
    QByteArray bytes = firmwareImageBytes(kind.code, kind.mid, quint32(version),
                                          quality == "wrongmodel" ? kind.wrongModel : kind.model);
    if (quality == "header")
        bytes.truncate(kFirmwareHeaderSize);
    if (quality == "truncated")
        bytes.truncate(kFirmwareHeaderSize + 1000);
    if (quality == "empty")
        bytes.replace(24, 4, QByteArray(4, '\0'));   // the body's declared length
    return bytes;
}

// The fixture of a bench: its devices, each as its start lines say. A
// device that starts waiting in update mode has a stand-in on the bus.
QString fixtureOf(const QStringList &ids, const QMap<QString, QStringList> &starts)
{
    // A mouse paired with a receiver at the start carries its id, and that
    // receiver reaches it; one paired with it before keeps the id.
    QMap<QString, QString> reached;
    QMap<QString, QString> carried;
    for (const QString &id : ids) {
        for (const QString &option : starts.value(id)) {
            if (option.startsWith("paired ")) {
                reached[option.section(' ', 1)] = id;
                carried[id] = benchDevice(option.section(' ', 1)).rid;
            }
        }
    }
    QString text;
    for (const QString &id : ids) {
        const BenchDevice &d = benchDevice(id);
        const QStringList s = starts.value(id);
        QString version = hex(kindOf(id).same);
        for (const QString &option : s) {
            if (option.startsWith("0x"))
                version = option;
        }
        const bool out = s.contains("out");
        bool attachedThere = !out;
        if (d.receiver) {
            text += QString("[%1]\ntype=receiver\nclass=4\nid=%2\nversion=%3\ncid=0x21\nmid=%4\nplugged=%5\n")
                        .arg(id, d.rid, version)
                        .arg(d.mid)
                        .arg(out ? 0 : 1);
            if (reached.contains(id))
                text += "mouse=" + reached.value(id) + "\n";
        } else {
            attachedThere = (d.cable || s.contains("cable")) && !out;
            const QString paired =
                carried.value(id, d.partner.isEmpty() ? d.rid : benchDevice(d.partner).rid);
            text += QString("[%1]\ntype=mouse\nmid=%2\nversion=%3\nonline=%4\ncable=%5\npaired=%6\n")
                        .arg(id)
                        .arg(d.mid)
                        .arg(version)
                        .arg(s.contains("offline") ? 0 : 1)
                        .arg(attachedThere ? 1 : 0)
                        .arg(paired);
        }
        if (s.contains("waiting")) {
            text += QString("[B%1]\ntype=boot\ncode=%2\ncid=0x21\nmid=%3\nmodel=%4\ndevice=%1\nplugged=%5\n")
                        .arg(id)
                        .arg(kindOf(id).code)
                        .arg(d.mid)
                        .arg(QString::fromLatin1(kindOf(id).model))
                        .arg(attachedThere ? 1 : 0);
        }
    }
    return text;
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

// A moment of a run: its kind (in the order they come) and the percent of
// the bar it waits for.
enum MomentKind { BeforeConfirm, AtPercent, Ended, AfterEnd };
const QStringList kMomentPrefixes{"before confirm", "at ", "ended ", "after end"};

MomentKind momentKind(const QString &line)
{
    for (int k = 0; k < kMomentPrefixes.size(); ++k) {
        if (line.startsWith(kMomentPrefixes.at(k)))
            return MomentKind(k);
    }
    return AfterEnd;
}

int momentPercent(const QString &line)
{
    return line.section(':', 0, 0).section(' ', 1, 1).remove('%').toInt();
}

// A moment's place among the others, and its line or action.
using Moment = QPair<int, QString>;
bool earlier(const Moment &a, const Moment &b)
{
    return a.first < b.first;
}

// ---- The step language ------------------------------------------------------------

// Each step, action and moment, a pattern a word: a word as it is, "a|b" for
// either, or a placeholder: <device>, <mouse>, <receiver> of the bench,
// <paired> any receiver (for the id it gives), <n>, <percent>, <hex>,
// <kind>, <quality>, <file>, <record>.
const QStringList kStarts{"start <device> <hex>|out|cable|offline|waiting", "start <mouse> paired <paired>",
                          "start record <record>"};
const QStringList kSteps{"keep mouse version <hex>", "run settings <device>", "run repair|auto",
                         "dismiss ok|close|escape", "settle", "settle away <device>"};
const QStringList kActions{"fail <device> <n>", "silent <device>", "hold <device> short|long", "plug <device> 0|1",
                           "online <mouse> 0|1", "failanswers <n>", "failverify <device> stay|old",
                           "slowcomeback <device> <n>", "restart", "image <kind> <quality> <hex> <file>",
                           "pair <receiver> <mouse>"};
const QStringList kMoments{"before confirm", "at <percent>", "ended <percent>", "after end"};

bool knownDevice(const QString &id)
{
    return std::any_of(std::begin(kBenchDevices), std::end(kBenchDevices),
                       [&](const BenchDevice &d) { return d.id == id; });
}

bool wordFits(const QString &word, const QString &pattern, const QStringList &bench)
{
    if (pattern.contains('|')) {
        const QStringList either = pattern.split('|');
        return std::any_of(either.begin(), either.end(), [&](const QString &p) { return wordFits(word, p, bench); });
    }
    const auto number = [](const QString &w, int base) {
        bool ok = false;
        w.toUInt(&ok, base);
        return ok;
    };
    if (pattern == "<device>" || pattern == "<mouse>" || pattern == "<receiver>")
        return bench.contains(word) && (pattern == "<device>" || isReceiver(word) == (pattern == "<receiver>"));
    if (pattern == "<paired>")
        return knownDevice(word) && isReceiver(word);
    if (pattern == "<n>")
        return number(word, 10);
    if (pattern == "<percent>")
        return word.endsWith('%') && number(word.chopped(1), 10);
    if (pattern == "<hex>")
        return word.startsWith("0x") && number(word.mid(2), 16);
    if (pattern == "<kind>")
        return std::any_of(std::begin(kKinds), std::end(kKinds), [&](const ImageKind &k) { return k.name == word; });
    if (pattern == "<quality>")
        return kQualities.contains(word);
    if (pattern == "<file>")
        return !word.isEmpty();
    if (pattern == "<record>")
        return QRegularExpression("^\\d+,\\d+,\\d+,\\d+$").match(word).hasMatch();
    return word == pattern;
}

bool lineFits(const QString &line, const QStringList &grammar, const QStringList &bench)
{
    const QStringList words = line.split(' ');
    return std::any_of(grammar.begin(), grammar.end(), [&](const QString &pattern) {
        const QStringList p = pattern.split(' ');
        for (int i = 0; p.size() == words.size() && i < p.size(); ++i) {
            if (!wordFits(words.at(i), p.at(i), bench))
                return false;
        }
        return p.size() == words.size();
    });
}

// The first step that is not of the language (an unknown step, action or
// device, a start after other steps, a step after the settle); empty when
// every step is.
QString stepError(const QStringList &steps)
{
    QStringList bench = steps.value(0).split(' ');
    const bool paced = bench.last() == "paced";
    bench = bench.mid(1, bench.size() - (paced ? 2 : 1));
    if (!steps.value(0).startsWith("bench ") || bench.isEmpty() || bench.removeDuplicates() > 0
        || !std::all_of(bench.begin(), bench.end(), knownDevice))
        return QString("the first step \"%1\" is no bench of known devices").arg(steps.value(0));
    bool starting = true;
    for (int i = 1; i < steps.size(); ++i) {
        const QString &step = steps.at(i);
        const QString moment = step.section(": ", 0, 0), action = step.section(": ", 1);
        const bool fits = step.startsWith("start ") ? starting && lineFits(step, kStarts, bench)
                          : step.contains(": ")
                              ? lineFits(moment, kMoments, bench) && lineFits(action, kActions, bench)
                              : lineFits(step, kSteps, bench) || lineFits(step, kActions, bench);
        starting = starting && step.startsWith("start ");
        const bool late = steps.at(i - 1).startsWith("settle");
        if (!fits || late)
            return QString("step %1, \"%2\", %3")
                .arg(i + 1)
                .arg(step, late ? "comes after the settle" : "is not of the step language");
    }
    return QString();
}

// ---- The generator --------------------------------------------------------------

class Draw
{
public:
    explicit Draw(quint64 seed) : m_rng(seed) {}

    QStringList schedule()
    {
        QStringList ids{"R1"};
        if (chance(85))
            ids << "M1";
        if (chance(70))
            ids << "M2";
        if (chance(25)) {
            ids << "R2";
            if (chance(40))
                ids << "M3";
        }
        if (chance(15))
            ids << "Q2";
        m_devices = ids.toVector();
        QStringList steps{"bench " + ids.join(' ') + (chance(20) ? " paced" : "")};

        // Devices waiting in update mode, each beside an image of its kind
        // or not.
        QStringList waiting;
        if (chance(12))
            waiting << "R1";
        if (ids.contains("M2") && chance(waiting.isEmpty() ? 6 : 30))
            waiting << "M2";
        const auto waitsFor = [&](const ImageKind &kind) {
            return std::any_of(waiting.begin(), waiting.end(),
                               [&](const QString &id) { return kindOf(id).name == kind.name; });
        };

        QStringList names{"a.bin", "fw.bin", "Mouse.bin", "r4k.bin", "update_2.bin", "Z.bin", "q2.bin", "m.bin"};
        for (int i = names.size() - 1; i > 0; --i)
            names.swapItemsAt(i, pick(i + 1));
        QStringList images;
        QMap<QString, int> usable;   // the version of each kind's usable image
        for (const ImageKind &kind : kKinds) {
            if (kind.mid == 2 && !ids.contains("Q2"))
                continue;
            bool usableTaken = false;
            for (int n = waitsFor(kind) && chance(25) ? 0 : of<int>({0, 1, 1, 1, 1, 2, 2}), i = 0; i < n; ++i) {
                images << image(kind, usableTaken, names.at(i));
                const QStringList w = images.last().split(' ');
                if (w.at(2) == "newer" || w.at(2) == "same") {
                    usableTaken = true;
                    usable[kind.name] = w.at(3).toInt(nullptr, 16);
                }
            }
            names = names.mid(2);
        }

        // How the bench starts: devices waiting in update mode, a record an
        // earlier version left (of a waiting device's kind), a mouse that
        // carries the id of a receiver it is not the bench's partner of,
        // a device away, devices on the version of their image already.
        QStringList starts;
        QStringList away;
        for (const QString &id : qAsConst(waiting))
            starts << "start " + id + " waiting";
        // Another device of a waiting one's kind, away at first on the
        // image's version, arrives while that one restarts slowly from its
        // first write.
        QString slow, arrival;
        if (!waiting.isEmpty() && chance(35)) {
            slow = waiting.first();
            arrival = isReceiver(slow) ? "R2" : "M1";
            if (!ids.contains(arrival) || !usable.contains(kindOf(slow).name))
                slow = arrival = QString();
        }
        if (chance(slow.isEmpty() ? 10 : 50)) {
            const int code = waiting.isEmpty() ? of<int>({210, 211}) : kindOf(waiting.first()).code;
            starts << QString("start record %1,4,33,1").arg(code);
        }
        m_sharedId = ids.contains("M2") && chance(20);
        if (m_sharedId)
            starts << "start M2 paired R1";
        if (ids.contains("M1") && chance(8))
            starts << "start M1 paired R2";
        if (ids.contains("R2") && (chance(50) || arrival == "R2"))
            away << "R2";
        if (ids.contains("M2") && !starts.contains("start M2 waiting") && chance(5))
            away << "M2";
        for (const QString &id : qAsConst(away))
            starts << "start " + id + " out";
        if (ids.contains("M1") && arrival != "M1" && chance(15))
            starts << "start M1 cable";
        if (ids.contains("M1") && chance(5))
            starts << "start M1 offline";
        for (const QString &id : qAsConst(ids)) {
            const int onImage = id == arrival ? 100 : m_sharedId && id == "M1" ? 60 : 40;
            if (!starts.contains("start " + id + " waiting") && usable.contains(kindOf(id).name) && chance(onImage))
                starts << "start " + id + " " + hex(usable.value(kindOf(id).name));
        }
        steps << starts << images;

        // The mouse's version as a device page read it: that of its image
        // or not, so that the automatic update may come.
        if (chance(50))
            steps << "keep mouse version "
                         + (usable.contains("mouse") && chance(70) ? hex(usable.value("mouse")) : hex(0x105));

        // The card the list shows for the bench's mouse on its cable, or
        // for the receiver.
        const bool m2There = ids.contains("M2") && !away.contains("M2") && !starts.contains("start M2 waiting");
        const QString carded = m2There ? "M2" : starts.contains("start M1 cable") ? "M1" : "R1";
        for (int runs = 1 + pick(3), run = 0; run < runs; ++run) {
            if (run > 0 && chance(40)) {
                if (chance(30))
                    steps << image(kindOf(of(m_devices)), chance(50), names.value(0, "b.bin"));
                else
                    steps << action();
            }
            const int entry = pick(6);
            steps << (entry < 3 ? "run settings " + (chance(70) ? carded : of(m_devices))
                                : entry < 5 ? "run repair" : "run auto");
            QVector<Moment> moments;
            for (int n = pick(4); n > 0; --n) {
                const MomentKind kind = MomentKind(of<int>({0, 0, 0, 1, 1, 1, 1, 2, 3, 3}));
                const int percent = 5 * pick(21);
                QString when = kMomentPrefixes.at(kind);
                if (kind == AtPercent || kind == Ended)
                    when += QString::number(percent) + "%";
                for (const QString &a : action())
                    moments.append({kind * 1000 + percent, when + ": " + a});
            }
            // A device restarting slowly from its write while another of its
            // kind arrives: the one set for it in the first run, else now and
            // then any of its kind.
            QString restarting = run == 0 ? slow : QString();
            QVector<QString> alike{arrival};
            if (restarting.isEmpty() && chance(waiting.isEmpty() ? 5 : 15)) {
                restarting = waiting.isEmpty() ? of(m_devices) : of(waiting.toVector());
                alike.clear();
                for (const QString &id : qAsConst(m_devices)) {
                    if (id != restarting && isReceiver(id) == isReceiver(restarting) && midOf(id) == midOf(restarting))
                        alike << id;
                }
            }
            if (!restarting.isEmpty() && !alike.isEmpty()) {
                const int percent = 5 * (1 + pick(19)), ms = of<int>({500, 900, 2000});
                moments.append({0, QString("before confirm: slowcomeback %1 %2").arg(restarting).arg(ms)});
                moments.append({1000 + percent, QString("at %1%: plug %2 1").arg(percent).arg(of(alike))});
            }
            std::stable_sort(moments.begin(), moments.end(), earlier);
            for (const auto &m : qAsConst(moments))
                steps << m.second;
            const int end = pick(100);
            if (end < 70 || (run + 1 < runs && end < 85))
                steps << "dismiss " + of<QString>({"ok", "close", "escape"});
            else if (run + 1 < runs || end < 85)
                steps << "restart";
        }
        steps << (chance(30) ? "settle away " + of(m_devices) : QString("settle"));
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

    // One action, or the two of a device swapped for another of its kind
    // (a cable moved from one mouse to another, a receiver for another).
    QStringList action()
    {
        const QString device = of(m_devices);
        QVector<QString> mice, receivers;
        for (const QString &id : qAsConst(m_devices))
            (isReceiver(id) ? receivers : mice) << id;
        // A receiver paired with another mouse, the cable pulled from one
        // mouse or put on the other meanwhile; where M2 carries R1's id, R1
        // paired with M1 most often.
        if (!receivers.isEmpty() && !mice.isEmpty() && chance(m_sharedId ? 25 : 8)) {
            const bool shared = m_sharedId && m_devices.contains("M1") && chance(70);
            const QString to = shared ? "M1" : of(mice), from = shared ? "M2" : of(mice);
            QStringList pairing{"pair " + (shared ? "R1" : of(receivers)) + " " + to};
            if (from != to && chance(70))
                pairing << "plug " + from + " 0";
            if (chance(50))
                pairing << "plug " + to + " 1";
            return pairing;
        }
        const QVector<QString> &kind = chance(70) ? mice : receivers;
        const int a = pick(100);
        if (a < 18)
            return {QString("fail %1 %2").arg(device).arg(5 * pick(21))};
        if (a < 24)
            return {"silent " + device};
        if (a < 33)
            return {"hold " + device + (chance(50) ? " short" : " long")};
        if (a < 56 || (a < 64 && kind.size() < 2) || (a < 69 && mice.isEmpty()))
            return {"plug " + device + (chance(50) ? " 0" : " 1")};
        if (a < 64) {
            const QString from = of(kind);
            QString to = of(kind);
            while (to == from)
                to = of(kind);
            return {"plug " + from + " 0", "plug " + to + " 1"};
        }
        if (a < 69)
            return {"online " + of(mice) + (chance(50) ? " 0" : " 1")};
        if (a < 74)
            return {"failanswers " + QString::number(of<int>({1, 2, 3, 5, 8}))};
        if (a < 83)
            return {"failverify " + device + (chance(50) ? " stay" : " old")};
        if (a < 92)   // back within the read-back time, or after it
            return {"slowcomeback " + device + " " + QString::number(of<int>({100, 200, 500, 900}))};
        return {"restart"};
    }

    std::mt19937_64 m_rng;
    QVector<QString> m_devices;
    bool m_sharedId = false;   // M2 carries R1's id, R1 reaches it
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
    QStringList devices, attachedAtStart, waitedAtStart;
    QMap<QString, bool> plugged, online;        // as the user left them
    QMap<QString, int> started;                 // versions
    QMap<QString, QString> usableFile;          // by kind
    QMap<QString, int> usableVersion;           // by kind
    QMap<QString, QSet<int>> usableVersions;    // by kind, every usable image's so far
    QMap<QString, int> verifyPending;           // a failed check set: the device's writes then
    double scale = 0;
    int confirmations = 0;
    int startsSeen = 0;                         // UsbUpgrade_Start calls up to the last run's end
    QStringList endView;                        // shown, text, bar; empty: none up
    int runMid = 1;                             // the model of the run's dialog
    // The confirmed targets of the run, each with the version of its image,
    // and what each device had been written before it.
    QMap<QString, int> targets;
    QMap<QString, int> begunAtConfirm;
    // Devices that waited in update mode when a run wrote them while another
    // of their kind and model came onto the bus: the program cannot tell
    // which of the two came back from the write, and a record of that kind
    // is not judged by device.
    QSet<QString> unsureComebacks;
    QString cardId;   // the device whose card a settings run was opened from
    QSet<QString> slowComebacks;   // devices given a late comeback in this schedule
    bool judgePage = false;                     // the run's end view may turn the page
    QStringList recordHolders;                  // the waiting devices the record named
    QString olderRecord;                        // a record an earlier version left, naming no device
    QSet<int> completedModels;                  // of runs that said "Update completed."
    // Inside a run: what a write held behind the gate lets come first (false:
    // the write stays held, for the restart that cuts it), and what comes
    // once a write let go is over on its device.
    std::function<bool()> onHeldStep;
    std::function<void()> onWriteOver;
    bool firstHold = true;

    UpdateEngine *engine() { return UpdateEngine::instance(); }
    static QString autoRepair(int position) { return langText(g_langAutoRepair, 0, position); }
    static QString upToDateText() { return langText(g_langFormSetting, 0, 18); }
    QToolButton *button(const char *name) { return view->findChild<QToolButton *>(name); }
    QPushButton *repairButton() { return list->findChild<QPushButton *>("Repair"); }
    QToolButton *pageUpdateButton() { return page->findChild<QToolButton *>("Receive_2"); }

    bool violated(bool broken, const QString &rule, const QString &observed)
    {
        if (broken && violation.isEmpty())
            violation = rule + ": " + observed + "\n  (" + benchNow() + ")";
        return broken;
    }

    // A rule that does not apply here says so, in the trace.
    void notApplicable(const QString &rule, const QString &why) { note(rule + " not judged: " + why); }

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

    QStringList devicesThat(const std::function<bool(const QString &)> &is)
    {
        QStringList ids;
        for (const QString &id : qAsConst(devices))
            if (is(id))
                ids << id;
        return ids;
    }

    // ---- What the devices report ------------------------------------------------------

    static bool waits(const QString &id) { return hidsim::inUpdateMode(id.toLatin1()); }
    static bool attached(const QString &id) { return hidsim::attached(id.toLatin1()); }
    static int runs(const QString &id) { return hidsim::firmwareVersion(id.toLatin1()); }
    int usableOf(const QString &id) const { return usableVersion.value(kindOf(id).name, -1); }
    // Written in this schedule, or waiting in update mode since it began.
    bool written(const QString &id) const
    {
        return hidsim::updatesBegun(id.toLatin1()) > 0 || waitedAtStart.contains(id) || waits(id);
    }
    bool offItsImage(const QString &id) const { return usableOf(id) >= 0 && runs(id) != usableOf(id); }
    bool right(const QString &id, int image) const { return !waits(id) && image >= 0 && runs(id) == image; }

    // The failure record's fields that name this device's kind and model.
    static QString recordKeyOf(const QString &id) { return QString("%1,%2").arg(kindOf(id).code).arg(midOf(id)); }
    bool recordUnsure(const QStringList &record) const
    {
        return record.size() == 4 && unsureComebacks.contains(record.at(0) + "," + record.at(3));
    }

    // Whether the failure record names this device: its kind and model, and
    // a receiver's class.
    static bool recordNames(const QStringList &record, const QString &id)
    {
        if (record.size() != 4 || record.at(0).toInt() != kindOf(id).code || record.at(3).toInt() != midOf(id))
            return false;
        return !isReceiver(id) || record.at(1).toInt() == 4;
    }

    // ---- Waiting ------------------------------------------------------------------

    // A write held behind the gate: its progress is handled (the bar moves,
    // the moments of that percent come), then it goes on.
    void releaseHeld()
    {
        if (hidsim::updateStepHeld() < 0)
            return;
        if (std::exchange(firstHold, false)) {
            violated(!hidsim::waitBusIdle(waitMs()) || !hidsim::waitIdle(waitMs()), "I0",
                     "a wait never ended beside a write held behind the gate");
        }
        QCoreApplication::processEvents();
        if (onHeldStep && !onHeldStep())
            return;
        hidsim::releaseUpdateStep();
        if (onWriteOver)
            onWriteOver();
    }

    // After a write was let go: until it is held again or over on its
    // device, without handling the program's events meanwhile. True when it
    // is over.
    bool writeOverAfterRelease()
    {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < waitMs()) {
            if (hidsim::updateStepHeld() >= 0)
                return false;
            const char *const *log = UsbUpgradeC_GetLogs();
            if (log && log[7] && *log[7])
                return true;
            QThread::msleep(1);
        }
        return false;
    }

    // Until the condition holds, handling events and held writes meanwhile.
    bool waitFor(const std::function<bool()> &condition, const char *what)
    {
        QElapsedTimer clock;
        clock.start();
        QTimer tick;   // wakes the loop for what comes without an event
        tick.start(1);
        while (!condition() && clock.elapsed() < waitMs()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
            releaseHeld();
        }
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
            releaseHeld();
            QCoreApplication::processEvents();
        }
    }

    // Until nothing is queued and no write is held: late ends are in.
    void drain()
    {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < waitMs()) {
            const bool quiet = hidsim::waitIdle(waitMs());
            QCoreApplication::processEvents();
            if (quiet && hidsim::updateStepHeld() < 0)
                return;
            releaseHeld();
        }
        violated(true, "I0", "the updater never went quiet");
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
    // finds the bench as its state file keeps it, the devices stay plugged as
    // the user left them, the registry stays. A write held behind the gate is
    // cut.
    void restartProgram()
    {
        onHeldStep = [] { return false; };   // the write stays where it is held
        onWriteOver = nullptr;
        stopProgram();
        endView.clear();
        judgePage = false;
        resetAllGlobals();
        folder->use();
        resetUpdateRunState();
        hidsim::restart();
        onHeldStep = nullptr;
        violated(hidsim::updateStepHeld() >= 0, "I0", "the restart left a write held behind the gate");
        hidsim::setTimeScale(scale);
        for (const QString &id : qAsConst(devices)) {
            hidsim::plug(id.toLatin1(), plugged.value(id));
            if (!isReceiver(id))
                hidsim::setOnline(id.toLatin1(), online.value(id));
        }
        verifyPending.clear();   // the library's faults are gone with it
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
        const QByteArray mouse = mouseBehind(id).toLatin1();
        const DeviceAllInfo chosen =
            settingsEntry(id.toLatin1().constData(), mouse.isEmpty() ? nullptr : mouse.constData());
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
            usableVersions[w.at(1)] << version;
        }
        folder->addImage(w.at(4), imageFile(kindOf(w.at(1)), w.at(2), version));
    }

    void plugTo(const QString &id, bool in)
    {
        plugged[id] = in;
        hidsim::plug(id.toLatin1(), in);
    }

    // An action; then, unless it comes inside a run's write, until what it
    // set off has been handled.
    void act(const QString &line, bool wait = true)
    {
        const QStringList w = line.split(' ');
        const QByteArray id = w.value(1).toLatin1();
        if (w.at(0) == "fail") {
            hidsim::failUpdate(id, w.at(2).toInt());
        } else if (w.at(0) == "silent") {
            hidsim::silentUpdate(id, true);
        } else if (w.at(0) == "hold") {
            hidsim::holdUpdate(id, w.at(2) == "long" ? longHoldMs() : kShortHoldMs);
        } else if (w.at(0) == "plug") {
            plugTo(w.at(1), w.at(2) == "1");
        } else if (w.at(0) == "online") {
            online[w.at(1)] = w.at(2) == "1";
            hidsim::setOnline(id, w.at(2) == "1");
        } else if (w.at(0) == "failanswers") {
            hidsim::failNextAnswers(w.at(1).toInt());
        } else if (w.at(0) == "failverify") {
            hidsim::failVerify(id, w.at(2) == "old");
            verifyPending[w.at(1)] = hidsim::updatesBegun(id);
        } else if (w.at(0) == "slowcomeback") {
            hidsim::slowComeback(id, w.at(2).toInt());
            slowComebacks << w.at(1);
        } else if (w.at(0) == "image") {
            addImage(w);
        } else if (w.at(0) == "pair") {   // as the pairing dialog would
            hidsim::pair(id, w.at(2).toLatin1());
        } else if (w.at(0) == "restart") {
            restartProgram();
        }
        if (wait)
            idle();
    }

    // ---- Checks -----------------------------------------------------------------------

    void checkEndView(const QString &after)   // I3
    {
        if (endView.isEmpty())
            return;
        violated(viewNow() != endView, "I3",
                 QString("after %1 the end view [%2] became [%3]")
                     .arg(after, endView.join(" | "), viewNow().join(" | ")));
        violated(page && page->updateNotice()->isVisible(), "I3",
                 QString("after %1 a notice stands over the end view [%2]").arg(after, endView.join(" | ")));
    }

    // I5: what the dialog says of the devices is true of them.
    void checkTexts(bool runEnded = false)
    {
        if (!view || !view->isVisible())
            return;
        const QString text = view->stateText();
        const auto says = [&](std::initializer_list<QString> texts) {
            return std::any_of(texts.begin(), texts.end(), [&](const QString &t) { return !t.isEmpty() && t == text; });
        };
        // Several of a kind: receivers plugged in, mice on their cables,
        // with those waiting in update mode or without.
        const auto several = [&](bool receiver, bool waitingToo) {
            return devicesThat([&](const QString &id) {
                       return isReceiver(id) == receiver && attached(id) && (waitingToo || !waits(id));
                   }).size() > 1;
        };
        const auto formText = [](int position) { return langText(g_langFormSetting, 0, position); };
        const auto progressText = [](int position) { return langText(g_langProgress, 0, position); };
        const bool manyReceivers = several(true, true), manyMice = several(false, true);
        violated((says({autoRepair(3), formText(17)}) && !manyReceivers && !manyMice)
                     || (says({progressText(9)}) && !manyReceivers) || (says({progressText(10)}) && !manyMice)
                     || (says({autoRepair(11), formText(27)}) && !several(true, false))
                     || (says({autoRepair(10), formText(26)}) && !several(false, false)),
                 "I5", QString("the dialog says \"%1\" with no two devices of a kind attached").arg(text));
        // That a device does not report its new firmware, only of one
        // written in the run.
        for (const bool receiver : {true, false}) {
            const QStringList writtenNow = devicesThat([&](const QString &id) {
                return isReceiver(id) == receiver && hidsim::updatesBegun(id.toLatin1()) > begunAtConfirm.value(id);
            });
            violated(runEnded && says({progressText(receiver ? 3 : 4)}) && writtenNow.isEmpty(), "I5",
                     QString("the end view says \"%1\", no %2 was written in the run")
                         .arg(text, receiver ? "receiver" : "mouse"));
        }
        checkNotFound(text);
    }

    void checkNotFound(const QString &text)
    {
        const bool noReceiver = text == autoRepair(5) || text == g_textNoRecieve;
        const bool noMouse = text == autoRepair(6) || text == g_textNoUSB;
        if (!noReceiver && !noMouse)
            return;
        const QStringList record = readUpdateFailFields();
        if (recordUnsure(record)) {
            notApplicable("I5", "the record's device came back unknown");
            return;
        }
        const auto asked = [&](const QString &id) {
            return isReceiver(id) == noReceiver && midOf(id) == runMid;
        };
        // Listed: attached, waiting in update mode or not, and the mouse a
        // receiver's card shows through it.
        QStringList listed = devicesThat([&](const QString &id) { return asked(id) && attached(id); });
        const QString shown = !cardId.isEmpty() && attached(cardId) ? mouseBehind(cardId) : QString();
        // Not judged yet where the page's plan asks for the mouse on its
        // cable although it shows it through its receiver (to be mended in
        // the plan): beside a second receiver, or with a record kept.
        const auto receiverIn = [](const QString &id) { return isReceiver(id) && attached(id); };
        const bool planAsksCable = readUpdateFailFields().size() == 4 || devicesThat(receiverIn).size() > 1;
        if (listed.isEmpty() && !shown.isEmpty() && planAsksCable)
            notApplicable("I5 (a mouse shown through its receiver)", "a second receiver, or a record");
        else if (!shown.isEmpty() && asked(shown) && !listed.contains(shown))
            listed << shown + " (through " + cardId + ")";
        // The device whose card the settings page shows is the one it asks
        // for.
        const QStringList missed = devicesThat([&](const QString &id) {
            return asked(id) && !attached(id) && (waits(id) || (written(id) && recordNames(record, id)) || id == cardId);
        });
        // Not judged yet: with no record kept and no image of their kind,
        // devices waiting in update mode go unseen, and the plan asks for one
        // to be connected rather than saying that its file is missing (to be
        // mended in the plan).
        const auto unseen = [this](const QString &id) { return waits(id) && usableOf(id) < 0; };
        if (!listed.isEmpty() && readUpdateFailFields().isEmpty() && std::all_of(listed.begin(), listed.end(), unseen)) {
            notApplicable("I5", listed.join(", ") + " waits without an image, no record kept");
            return;
        }
        // A device that comes back late after its write may have come back
        // since the dialog looked: what it says may be of a moment before.
        if (missed.isEmpty() && std::any_of(listed.begin(), listed.end(), [this](const QString &id) {
                return slowComebacks.contains(id) && written(id);
            })) {
            notApplicable("I5", "a device came back late meanwhile");
            return;
        }
        violated(!listed.isEmpty() && missed.isEmpty(), "I5",
                 QString("the dialog says \"%1\" while %2 is listed").arg(text, listed.join(", ")));
    }

    void checkWrites(const QString &when)   // I2
    {
        const int starts = hidsim::countCalls("UsbUpgrade_Start");
        violated(starts != startsSeen, "I2",
                 QString("%1 write(s) began %2, in no run").arg(starts - startsSeen).arg(when));
        for (const QString &id : qAsConst(devices)) {
            const int v = runs(id);
            violated(v != started.value(id) && !usableVersions.value(kindOf(id).name).contains(v), "I2",
                     QString("%1 runs %2, the version of no usable image (%3)").arg(id, hex(v), when));
            violated(confirmations == 0 && hidsim::updatesBegun(id.toLatin1()) > 0, "I2",
                     QString("%1 was written, no run ever confirmed (%2)").arg(id, when));
        }
    }

    // Every device written since the confirmation is a target of the run.
    void checkTargetsWritten(const QString &when)   // I2
    {
        for (const QString &id : qAsConst(devices)) {
            violated(hidsim::updatesBegun(id.toLatin1()) > begunAtConfirm.value(id) && !targets.contains(id), "I2",
                     QString("%1 was written %2, no confirmed target of the run (targets: %3)")
                         .arg(id, when, QStringList(targets.keys()).join(' ')));
        }
    }

    // The confirmed targets that are not right, as the user should hear.
    QStringList targetsNotRight()
    {
        QStringList wrong;
        for (auto t = targets.cbegin(); t != targets.cend(); ++t) {
            if (waits(t.key()))
                wrong << t.key() + " waits in update mode";
            else if (!right(t.key(), t.value()))
                wrong << QString("%1 runs %2, its image %3").arg(t.key(), hex(runs(t.key())), hex(t.value()));
        }
        return wrong;
    }

    // Whether the device answers at its usable image for certain: attached.
    // A mouse away from its cable is not read through a receiver, which may
    // reach another mouse by the same id.
    bool knownRight(const QString &id) const
    {
        return right(id, usableOf(id)) && attached(id);
    }

    // A record an earlier version left, naming no device, as long as the
    // program has not written one of its own.
    bool olderRecordStands()
    {
        if (!olderRecord.isEmpty() && (readUpdateFailInfo() != olderRecord || readUpdateFailDevice().kept))
            olderRecord.clear();
        return !olderRecord.isEmpty();
    }

    // I6 by the device, as far as the program has had its chance: after any
    // step, a waiting device the record named keeps it, away too; once the
    // list has looked at the bus (no step given up on still writing), with
    // one attached the record names a waiting device, and the record names
    // a device written and not known right.
    enum class RecordCheck { AfterStep, Settled };
    void checkRecord(RecordCheck level)
    {
        const QStringList record = readUpdateFailFields();
        const QStringList waiting = devicesThat(waits);
        for (const QString &id : qAsConst(recordHolders)) {
            // Another of its kind came during its write: either may be the one
            // written.
            if (unsureComebacks.contains(recordKeyOf(id)) && !attached(id)) {
                notApplicable("I6 (a waiting device keeps its record)", id + " away, another of its kind came back");
                continue;
            }
            violated(waiting.contains(id) && !recordNames(record, id), "I6",
                     QString("%1 still waits in update mode%2, its record is gone")
                         .arg(id, attached(id) ? QString() : " away"));
        }
        // A record an earlier version left names no device.
        const bool older = olderRecordStands();
        recordHolders = devicesThat([&](const QString &id) {
            return !older && waiting.contains(id) && recordNames(record, id);
        });
        if (level == RecordCheck::AfterStep)
            return;
        if (engine()->earlierStepWriting()) {
            // While a step given up on may still write, the record is not
            // settled against the devices.
            notApplicable("I6 (the record names a waiting device)", "an earlier step may still be writing");
            return;
        }
        // The program sees a device waiting in update mode only through an
        // image that fits it.
        const auto seen = [this](const QString &id) { return attached(id) && usableOf(id) >= 0; };
        // An earlier version's record stands for a device of its model; one
        // that names a device written and not known right is not given up
        // for a second failure.
        const bool olderOfModel = older && std::any_of(waiting.begin(), waiting.end(), [&](const QString &id) {
                                      return attached(id) && midOf(id) == record.value(3).toInt();
                                  });
        const bool firstKept = !devicesThat([&](const QString &id) {
                                    return recordNames(record, id) && written(id) && !knownRight(id);
                                }).isEmpty();
        violated(std::any_of(waiting.begin(), waiting.end(), seen) && recordHolders.isEmpty() && !olderOfModel
                     && !firstKept,
                 "I6", QString("%1 in update mode, no record names one").arg(waiting.join(", ")));
        if (record.isEmpty()) {
            unsureComebacks.clear();
            return;
        }
        if (recordUnsure(record)) {
            notApplicable("I6 (the record names a device not known right)", "a device of its kind came back unknown");
            return;
        }
        if (olderRecordStands()) {
            notApplicable("I6 (the record names a device not known right)", "an earlier version's record names none");
            return;
        }
        const QStringList owners = devicesThat(
            [&](const QString &id) { return recordNames(record, id) && written(id) && !knownRight(id); });
        violated(owners.isEmpty(), "I6",
                 QString("the record %1 names no device that was written and is not known right")
                     .arg(record.join(',')));
    }

    // I6: no record once every device written is attached and runs its
    // image.
    void checkRecordGone()
    {
        const QStringList writtenOnes = devicesThat([this](const QString &id) { return written(id); });
        const QStringList unsure = devicesThat([this](const QString &id) { return written(id) && !knownRight(id); });
        // An earlier version's record goes with a completed run of its model.
        const bool olderStays = olderRecordStands() && !completedModels.contains(readUpdateFailFields().at(3).toInt());
        if (!unsure.isEmpty() || recordUnsure(readUpdateFailFields()) || olderStays) {
            notApplicable("I6 (no record once every written device runs its image)",
                          olderStays ? "an earlier version's record" : unsure.join(", ") + " not right or away");
            return;
        }
        violated(!readUpdateFailInfo().isEmpty(), "I6",
                 QString("%1 attached and on %2 image, the record %3 stays")
                     .arg(writtenOnes.isEmpty() ? QString("no device written") : writtenOnes.join(", "),
                          writtenOnes.size() == 1 ? "its" : "their", readUpdateFailInfo()));
    }

    // ---- Runs -------------------------------------------------------------------------

    // The confirmed targets of a run, from the devices as they are now (the
    // header comment), each with the version of its usable image.
    QMap<QString, int> targetsOf(const QStringList &w)
    {
        QStringList candidates;
        const auto otherPart = [this](const QString &of) {
            return devicesThat(
                [&](const QString &id) { return midOf(id) == midOf(of) && isReceiver(id) != isReceiver(of); });
        };
        if (w.at(1) == "settings") {
            // The card is the device the page shows now (it follows the
            // mouse onto its cable when its receiver goes). A receiver's page
            // shows the version of the mouse it reaches: the mouse offered is
            // that one, on its cable, or with none shown the mice on their
            // cables.
            const QStringList page = devicesThat([](const QString &id) {
                return QString::fromStdString(hidsim::pathOf(id.toLatin1())) == g_selectedDevice.devicePath;
            });
            const QString card = page.value(0, w.at(2));
            cardId = card;
            const QString behind = mouseBehind(card);
            const QString shown = midOf(behind) == midOf(card) ? behind : QString();
            candidates << card << (shown.isEmpty() ? otherPart(card) : QStringList{shown});
        } else if (w.at(1) == "repair") {
            const QStringList record = readUpdateFailFields();
            QStringList failed = devicesThat([](const QString &id) { return waits(id) && attached(id); });
            // An earlier version's record names no device: the one of its
            // kind on the bus is updated as without a record.
            const bool older = olderRecordStands();
            if (failed.isEmpty()) {
                failed = devicesThat([&](const QString &id) {
                    return attached(id) && recordNames(record, id) && (written(id) || older) && offItsImage(id);
                });
            }
            // The other part is one that waits attached, else the devices of
            // that kind.
            candidates << failed;
            for (const QString &id : qAsConst(failed)) {
                const QStringList other = otherPart(id);
                if (std::none_of(other.begin(), other.end(), [](const QString &o) { return waits(o) && attached(o); }))
                    candidates << other;
            }
        } else {
            const QString shown = g_shownDevices.value(0).devicePath;
            candidates << devicesThat([&](const QString &id) {
                return isReceiver(id) && QString::fromStdString(hidsim::pathOf(id.toLatin1())) == shown;
            });
            const QString kept = readMouseVersion("33", "1");
            const bool mouseOffered =
                usableVersion.contains("mouse") && kept != firmwareVersionText(quint32(usableVersion.value("mouse")));
            if (mouseOffered)
                candidates << devicesThat([](const QString &id) { return !isReceiver(id) && midOf(id) == 1; });
        }
        // A device of the model that waits in update mode for a usable image
        // is written before any other: every run takes it.
        QSet<int> models;
        for (const QString &id : qAsConst(candidates))
            models << midOf(id);
        candidates << devicesThat([&](const QString &id) {
            return models.contains(midOf(id)) && waits(id) && usableOf(id) >= 0;
        });
        QMap<QString, int> chosen;
        for (const QString &id : qAsConst(candidates)) {
            // Not judged yet: beside a listed device of its kind and model the
            // plan takes that one for the part without an image, and a device
            // of that kind waiting in update mode goes unnamed (to be mended
            // in the plan).
            const auto listedAlike = [&](const QString &other) {
                return attached(other) && !waits(other) && isReceiver(other) == isReceiver(id)
                       && midOf(other) == midOf(id);
            };
            const bool unnamed = waits(id) && usableOf(id) < 0 && !devicesThat(listedAlike).isEmpty();
            if (unnamed)
                notApplicable("I1 (" + id + " a target)", "it waits without its image beside one of its kind listed");
            else if (attached(id) && (waits(id) || offItsImage(id)))
                chosen[id] = usableOf(id);
        }
        return chosen;
    }

    // The mouse a receiver reaches (paired with it last, and carrying its id
    // still), switched on, whose version its page shows; empty for none.
    QString mouseBehind(const QString &receiver) const
    {
        const QByteArray r = receiver.toLatin1();
        const QString mouse = QString::fromStdString(hidsim::pairedMouse(r));
        const bool reached = isReceiver(receiver) && !waits(receiver) && devices.contains(mouse) && online.value(mouse)
                             && !waits(mouse) && hidsim::pairedReceiverId(mouse.toLatin1()) == hidsim::receiverId(r)
                             && attached(mouse) == plugged.value(mouse);   // not away restarting
        return reached ? mouse : QString();
    }

    // The user opens the run's dialog; true when it offers the run.
    bool openRun(const QStringList &w)
    {
        showList();
        checkRecord(RecordCheck::Settled);
        view = g_updateRepairDialog;
        const QStringList record = readUpdateFailFields();
        runMid = w.at(1) == "settings" ? midOf(w.at(2)) : record.size() == 4 ? record.at(3).toInt() : 1;
        cardId = w.at(1) == "settings" ? w.at(2) : QString();
        if (w.at(1) == "settings") {
            if (!openDevicePage(w.at(2)))
                return false;
            page->SetVer(0);
            pageUpdateButton()->click();
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
        checkTexts();
        return true;
    }

    // run <entry> [device], with its moments.
    void run(const QStringList &w, const QStringList &moments)
    {
        const bool opened = openRun(w);
        for (const QString &m : moments) {
            if (momentKind(m) == BeforeConfirm)
                act(m.section(": ", 1));
        }
        const bool automaticRun = w.at(1) == "auto";
        if (!opened || !view || (!automaticRun && (!view->isVisible() || view->stateText() != autoRepair(12)))) {
            if (view && view->isVisible() && !engine()->dialogHeld())
                button("CloseButton")->click();   // nothing to confirm: the user closes it
        } else {
            confirm(w, moments);
        }
        for (const QString &m : qAsConst(moments)) {
            if (momentKind(m) == AfterEnd && violation.isEmpty()) {
                act(m.section(": ", 1));
                checkEndView(m);
            }
        }
    }

    // The user confirms; the moments inside the run come with the bar, each
    // while the write is held at that percent, or once the write that took
    // the bar there is over on its device.
    void confirm(const QStringList &w, const QStringList &moments)
    {
        checkWrites("before the confirmation");
        ++confirmations;
        targets = targetsOf(w);
        judgePage = true;
        note("targets: " + QStringList(targets.keys()).join(' '));
        for (const QString &id : qAsConst(devices))
            begunAtConfirm[id] = hidsim::updatesBegun(id.toLatin1());
        const QStringList waitingAtConfirm = devicesThat(waits);
        const QStringList attachedAtConfirm = devicesThat(attached);
        QVector<Moment> at, ended;
        for (const QString &m : moments) {
            if (momentKind(m) == AtPercent || momentKind(m) == Ended)
                (momentKind(m) == AtPercent ? at : ended).append({momentPercent(m), m.section(": ", 1)});
        }
        std::stable_sort(at.begin(), at.end(), earlier);
        std::stable_sort(ended.begin(), ended.end(), earlier);
        int bar = -1;
        bool restart = false;
        bool lateArrival = false;
        const auto due = [&](QVector<Moment> &of) {
            while (!restart && !of.isEmpty() && of.first().first <= bar) {
                const QString action = of.takeFirst().second;
                // A device plugged in after a write's last report below
                // 100 % comes where no read of the bus can tell it from the
                // written device coming back.
                const int held = hidsim::updateStepHeld();
                if (action.startsWith("plug ") && action.endsWith(" 1") && (held < 0 || held >= 95))
                    lateArrival = true;
                if (action == "restart")
                    restart = true;   // while the write is held: the restart cuts it
                else
                    act(action, false);
            }
        };
        // What is attached when the run ends: a device still away restarting
        // from its write cannot have been read.
        QStringList attachedAtEnd;
        bool endSeen = false;
        const auto end = [&] {
            endSeen = true;
            attachedAtEnd = devicesThat(attached);
        };
        const auto c1 = connect(PostMsg::instance(), &PostMsg::SigProgress, this, [&](int value, int kind) {
            if (kind == 0)
                bar = value;
            else
                end();
        });
        const auto c2 =
            connect(PostMsg::instance(), &PostMsg::SigAutoRepairProgress, this, [&](int value) { bar = value; });
        const auto c3 = connect(PostMsg::instance(), &PostMsg::SigAutoRepair, this, end);
        onHeldStep = [&] {
            due(at);
            return !restart;
        };
        onWriteOver = [&] {
            if (!ended.isEmpty() && writeOverAfterRelease())
                due(ended);
        };
        firstHold = true;
        if (w.at(1) == "auto") {
            automatic->startAutoUpdate(0);
            automatic->setModal(true);
            automatic->show();
        } else {
            button("NewHong_2")->click();
        }
        waitFor([&] { return restart || !engine()->runInProgress(); }, "the run never ended");
        for (const QString &id : waitingAtConfirm) {
            const bool another = !devicesThat([&](const QString &other) {
                                      return other != id && kindOf(other).code == kindOf(id).code
                                             && midOf(other) == midOf(id) && attached(other)
                                             && !attachedAtConfirm.contains(other);
                                  }).isEmpty();
            if (another && hidsim::updatesBegun(id.toLatin1()) > begunAtConfirm.value(id))
                unsureComebacks << recordKeyOf(id);
        }
        onHeldStep = nullptr;
        onWriteOver = nullptr;
        disconnect(c1);
        disconnect(c2);
        disconnect(c3);
        startsSeen = hidsim::countCalls("UsbUpgrade_Start");
        if (restart) {
            checkTargetsWritten("before the restart");
            restartProgram();
            return;
        }
        idle();
        startsSeen = hidsim::countCalls("UsbUpgrade_Start");
        endView = viewNow();
        checkWrites("by the end view");
        checkTargetsWritten("in the run");
        violated(endView.at(1) == autoRepair(12), "I0",
                 "the confirmation did nothing, the dialog offers the run still");
        checkEndView("the run's end");
        if (endView.at(1) == langText(g_langProgress, 0, 1)) {
            QStringList wrong = targetsNotRight();
            for (const QString &id : targets.keys()) {
                if (plugged.value(id) && !(endSeen ? attachedAtEnd : devicesThat(attached)).contains(id)) {
                    if (lateArrival)
                        notApplicable("I1 (" + id + " away restarting)", "a device came after the last report");
                    else
                        wrong << id + " was away restarting";
                }
                completedModels << midOf(id);
            }
            violated(!wrong.isEmpty(), "I1", "\"Update completed.\" while " + wrong.join(", "));
            checkRecordGone();
        }
        checkTexts(true);
    }

    void dismiss(const QString &how)
    {
        checkEndView("the wait before " + how);
        if (page && page->updateNotice()->isVisible())
            page->updateNotice()->hide();
        if (view && view->isVisible() && endView.isEmpty() && view->stateText() == autoRepair(12))
            button("CloseButton")->click();   // an offer is cancelled, never confirmed here
        const bool upToDateBefore = page && pageUpdateButton()->text() == upToDateText();
        if (view && view->isVisible()) {
            if (how == "escape")
                QTest::keyClick(view, Qt::Key_Escape);   // clicks the cancel button, in its time
            else
                button(how == "ok" ? "NewHong_2" : "CloseButton")->click();
            waitFor([this] { return !view->isVisible(); }, qPrintable("the end view did not close on " + how));
        }
        // The page says "Up to date" only when the run's targets are right.
        const bool turned = page && !upToDateBefore && pageUpdateButton()->text() == upToDateText();
        const bool judged = std::exchange(judgePage, false);
        if (judged && turned) {
            const QStringList wrong = targetsNotRight();
            violated(!wrong.isEmpty(), "I1",
                     QString("closing the end view [%1] turned the settings page to \"%2\" while %3")
                         .arg(endView.join(" | "), upToDateText(), wrong.join(", ")));
        }
        const QString closed = endView.join(" | ");
        const bool completed = endView.value(1) == langText(g_langProgress, 0, 1);
        endView.clear();
        if (automatic) {
            view = nullptr;
            automatic.reset();
        }
        if (g_updateRepairDialog && g_updateRepairDialog->isVisible() && !engine()->dialogHeld())
            g_updateRepairDialog->findChild<QToolButton *>("CloseButton")->click();   // an offer meanwhile
        idle();
        // Once a completed run's end view is closed, "Up to date" stays
        // until a check of the devices finds an update again: a device of
        // the run's model that waits or is off its image, on the bus or
        // reached by its receiver.
        QStringList shown;
        for (const QString &r : devicesThat([](const QString &id) { return isReceiver(id) && attached(id); }))
            shown << mouseBehind(r);
        const bool updateWaits = !devicesThat([&](const QString &id) {
                                      return midOf(id) == runMid && (attached(id) || shown.contains(id))
                                             && (waits(id) || offItsImage(id));
                                  }).isEmpty();
        violated(judged && completed && page && !updateWaits && pageUpdateButton()->text() != upToDateText(), "I1",
                 QString("after [%1] was closed (%2) the settings page reads \"%3\"")
                     .arg(closed, how, pageUpdateButton()->text()));
    }

    // ---- The end of a schedule ------------------------------------------------------------

    // Until every device is attached as the user left it (one restarting
    // slowly comes back).
    void waitForDevices()
    {
        const auto elsewhere = [this](const QString &id) { return attached(id) != plugged.value(id); };
        waitFor([&] { return devicesThat(elsewhere).isEmpty(); }, "a device never came back");
    }

    // The list's repair, opened; its text.
    QString openRepair()
    {
        showList();
        view = g_updateRepairDialog;
        const QStringList record = readUpdateFailFields();
        runMid = record.size() == 4 ? record.at(3).toInt() : 1;
        cardId.clear();
        repairButton()->click();
        idle();
        checkTexts();
        return view->isVisible() ? view->stateText() : QString();
    }

    void closeOffer()
    {
        if (view && view->isVisible() && !engine()->dialogHeld())
            button("CloseButton")->click();
        idle();
    }

    // I4 while a device stays away: it waits in update mode (or holds the
    // record) and the repair, once the user has done what else it asks,
    // asks for a device to be connected; never "No device to update was
    // found.". Ready only for another device that waits attached.
    void repairWhileAway(const QString &away)
    {
        // Away, a device is known to wait only by the record: one that waits
        // beside the recorded one is seen while it is attached.
        const bool waitsAway = waits(away);
        if (!(waitsAway || written(away)) || !recordNames(readUpdateFailFields(), away)) {
            notApplicable("I4 (a device away)", away + " does not hold the record");
            return;
        }
        const QString state = waitsAway ? "waits in update mode" : "holds the record";
        if (violated(repairButton()->isHidden(), "I4",
                     QString("%1 %2 away, the list offers no repair").arg(away, state)))
            return;
        const QStringList connect{autoRepair(5), autoRepair(6)};
        QString text = openRepair();
        for (int ask = 0; ask < 3 && !connect.contains(text) && text != autoRepair(12) && doAsAsked(text, away);
             ++ask) {
            closeOffer();
            text = openRepair();
        }
        const bool otherWaits = !devicesThat([](const QString &id) { return waits(id) && attached(id); }).isEmpty();
        // Without a usable image of its kind, that is what stands in the way.
        const bool noImage = !usableVersion.contains(kindOf(away).name) && text == autoRepair(8);
        violated(!connect.contains(text) && !(otherWaits && text == autoRepair(12)) && !noImage, "I4",
                 QString("%1 %2 away, the repair says \"%3\"").arg(away, state, text));
        closeOffer();
    }

    // The repair, as a user does what its dialog asks, until no device waits
    // in update mode (I4); each repair is a run of its own.
    void repairWaiting()
    {
        const QStringList waited = devicesThat(waits);
        for (int round = 0; round < 3 && !devicesThat(waits).isEmpty() && violation.isEmpty(); ++round) {
            const QString who = devicesThat(waits).join(' ');
            showList();
            checkRecord(RecordCheck::Settled);
            if (violated(repairButton()->isHidden(), "I4", who + " waits in update mode, the list offers no repair"))
                return;
            QString text = openRepair();
            for (int ask = 0; ask < 3 && text != autoRepair(12) && doAsAsked(text); ++ask) {
                closeOffer();
                text = openRepair();
            }
            if (text != autoRepair(12) && lacksOtherPart(text)) {
                notApplicable("I4 (the repair brings it back)", "the bench has no device the repair asks for: " + text);
                closeOffer();
                return;
            }
            if (violated(text != autoRepair(12), "I4",
                         QString("%1 waits in update mode, the repair says \"%2\"").arg(who, text)))
                return;
            confirm({"run", "repair"}, {});
            note("repaired");
            dismiss("ok");
        }
        for (const QString &id : waited) {
            violated(!right(id, usableOf(id)), "I4",
                     QString("after the repair %1 %2 at %3").arg(id, waits(id) ? "waits" : "runs", hex(runs(id))));
        }
    }

    // The devices of the kind and model the repair's text asks for.
    QStringList askedFor(const QString &text)
    {
        const QStringList record = readUpdateFailFields();
        const int mid = record.size() == 4 ? record.at(3).toInt() : 1;
        const bool receiver = text == autoRepair(5);
        return devicesThat([&](const QString &id) { return isReceiver(id) == receiver && midOf(id) == mid; });
    }

    // The repair asks for a device to be connected of which the bench has
    // none.
    bool lacksOtherPart(const QString &text)
    {
        return (text == autoRepair(5) || text == autoRepair(6)) && askedFor(text).isEmpty();
    }

    // The user does what the repair's text asks (but connecting `away`);
    // false when it asks nothing a user can do.
    bool doAsAsked(const QString &text, const QString &away = QString())
    {
        if (text == autoRepair(5) || text == autoRepair(6)) {
            // One device of that kind connected.
            for (const QString &id : askedFor(text)) {
                if (!attached(id) && id != away) {
                    plugTo(id, true);
                    waitForDevices();
                    return true;
                }
            }
            return false;
        }
        if (text == autoRepair(10) || text == autoRepair(11) || text == autoRepair(3)) {
            // Only one kept of each kind it names (several devices waiting or
            // listed beside a waiting one: each kind of a waiting one): a
            // waiting one first, then one of the record's model.
            const QStringList record = readUpdateFailFields();
            const QStringList waiting = devicesThat([](const QString &id) { return waits(id) && attached(id); });
            bool unplugged = false;
            for (const bool receiver : {true, false}) {
                const auto kindAsked = [&](const QString &id) {
                    const auto alike = [&](const QString &w) {
                        return isReceiver(w) == isReceiver(id) && midOf(w) == midOf(id);
                    };
                    if (text == autoRepair(3))
                        return std::any_of(waiting.begin(), waiting.end(), alike);
                    return isReceiver(id) == (text == autoRepair(11));
                };
                QStringList kept = devicesThat(
                    [&](const QString &id) { return attached(id) && isReceiver(id) == receiver && kindAsked(id); });
                std::stable_partition(kept.begin(), kept.end(), [&](const QString &id) {
                    return record.size() == 4 && midOf(id) == record.at(3).toInt();
                });
                std::stable_partition(kept.begin(), kept.end(), waits);
                for (const QString &id : kept.mid(1))
                    plugTo(id, false);
                unplugged = unplugged || kept.size() > 1;
            }
            waitForDevices();
            return unplugged;
        }
        return false;
    }

    // Faults cleared, late ends in; the record against the devices as the
    // schedule left them; the devices plugged back but the one that stays
    // away, and the repair while it is away (I4, I6); then that one back,
    // the repairs (I4) and the record once every device written is back.
    void settle(const QString &away)
    {
        dismiss("ok");
        for (const QString &id : qAsConst(devices)) {
            hidsim::failUpdate(id.toLatin1(), -1);
            hidsim::silentUpdate(id.toLatin1(), false);
            hidsim::holdUpdate(id.toLatin1(), 0);
            hidsim::slowComeback(id.toLatin1(), 0);
        }
        hidsim::failNextAnswers(0);
        drain();
        const auto unused = [this](const QString &id) {
            return hidsim::updatesBegun(id.toLatin1()) == verifyPending.value(id);
        };
        const bool verifyLeft = std::any_of(verifyPending.keyBegin(), verifyPending.keyEnd(), unused);
        if (engine()->earlierStepWriting() || verifyLeft)
            restartProgram();   // an updater that never answers, or a check's fault the library keeps
        checkWrites("after the last run");
        showList();
        note("as the schedule left it");
        checkRecord(RecordCheck::Settled);

        for (const QString &id : qAsConst(devices)) {
            if (!isReceiver(id))
                hidsim::setOnline(id.toLatin1(), online[id] = true);
            plugTo(id, id != away && (attachedAtStart.contains(id) || written(id)));
        }
        waitForDevices();
        for (const ImageKind &kind : kKinds) {
            const auto waitsForIt = [&](const QString &id) { return waits(id) && kindOf(id).name == kind.name; };
            if (!devicesThat(waitsForIt).isEmpty() && !usableVersion.contains(kind.name))
                addImage({"image", kind.name, "newer", hex(kind.newer.first()), kind.name + "-repair.bin"});
        }
        showList();
        note("settled" + (away.isEmpty() ? QString() : ", " + away + " away"));
        checkRecord(RecordCheck::Settled);
        if (away.isEmpty())
            notApplicable("I4 (a device away)", "every device is back");
        else if (violation.isEmpty())
            repairWhileAway(away);

        if (!away.isEmpty()) {
            plugTo(away, attachedAtStart.contains(away) || written(away));
            waitForDevices();
        }
        if (violation.isEmpty())
            repairWaiting();
        for (const QString &id : qAsConst(devices)) {
            if (written(id))
                plugTo(id, true);
        }
        waitForDevices();
        showList();
        checkRecord(RecordCheck::Settled);
        checkRecordGone();
    }

    // ---- A schedule ---------------------------------------------------------------------

    // Runs the steps from a fresh bench and program; the violation, or empty.
    QString runSchedule(const QStringList &steps)
    {
        violation = stepError(steps);
        if (!violation.isEmpty())
            return violation;
        usableFile.clear();
        usableVersion.clear();
        usableVersions.clear();
        verifyPending.clear();
        recordHolders.clear();
        completedModels.clear();
        targets.clear();
        begunAtConfirm.clear();
        unsureComebacks.clear();
        slowComebacks.clear();
        endView.clear();
        judgePage = false;
        confirmations = startsSeen = 0;
        const QStringList b = steps.first().split(' ');
        devices = b.mid(1);
        devices.removeAll("paced");
        int i = 1;
        QMap<QString, QStringList> starts;
        for (; i < steps.size() && steps.at(i).startsWith("start "); ++i)
            starts[steps.at(i).section(' ', 1, 1)] << steps.at(i).section(' ', 2);
        resetFirmwareBench();
        folder.reset();   // the old folder names no folder when it goes: it goes first
        folder.reset(new FirmwareProgramFolder);
        for (const char *mid : {"1", "2"})
            RegistryKey(updateTraceKeyPath()).remove(mouseVersionValueName("33", mid));
        // A device waiting in update mode at the start has the record a failed
        // update leaves; a record an earlier version left names no device.
        QString record, waitingId;
        for (const QString &id : qAsConst(devices)) {
            if (starts.value(id).contains("waiting")) {
                record = QString("%1,4,33,%2").arg(kindOf(id).code).arg(midOf(id));
                waitingId = id;
            }
        }
        olderRecord = starts.value("record").value(0);
        if (!olderRecord.isEmpty()) {
            record = olderRecord;
            waitingId.clear();
        }
        setUpdateFailRecord(QString());   // the device a record of the last schedule named goes too
        setUpdateFailRecord(record);
        hidsim::reset(folder->fixture("bench", fixtureOf(devices, starts)).toUtf8().constData());
        // The record names the device that failed, by the path it had and
        // the receiver id it goes by.
        if (!waitingId.isEmpty()) {
            const QByteArray id = waitingId.toLatin1();
            const std::vector<unsigned char> rid = isReceiver(waitingId) ? hidsim::receiverId(id) : hidsim::pairedReceiverId(id);
            writeUpdateFailDevice(QString::fromStdString(hidsim::pathOf(id)),
                                  QByteArray(reinterpret_cast<const char *>(rid.data()), int(rid.size())));
        }
        // A write takes some 20 ms, or comes at once; the gate holds it
        // after every progress report.
        scale = forcedScale() > 0 ? forcedScale() : b.contains("paced") ? 0.01 : 0;
        hidsim::setTimeScale(scale);
        hidsim::setUpdateStepGate(true);
        hidsim::clearCalls();
        started = firmwareOnTheBench();
        attachedAtStart = devicesThat(attached);
        waitedAtStart = devicesThat(waits);
        for (const QString &id : qAsConst(devices)) {
            plugged[id] = attached(id);
            online[id] = !starts.value(id).contains("offline");
        }
        startProgram();

        bool settled = false;
        for (; i < steps.size() && violation.isEmpty() && !settled; ++i) {
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
            } else if (w.at(0) == "settle") {
                settle(w.value(2));
                settled = true;
            } else {
                if (w.at(0) == "restart")
                    checkEndView("the wait before the restart");
                act(steps.at(i).section(": ", -1));   // a moment of no run comes at once
            }
            checkRecord(RecordCheck::AfterStep);
        }
        if (violation.isEmpty() && !settled)
            settle(QString());
        violated(hidsim::updateStepHeld() >= 0, "I0", "a write still waits behind the gate at the end");
        hidsim::setUpdateStepGate(false);
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
        qputenv("QUZ_UPDATE_READBACK_MS", QByteArray::number(kReadBackMs));
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
        const QStringList twoMice{"bench R1 M1 M2"};
        const QStringList mouseImage = twoMice + QStringList{"image mouse newer 0x107 m.bin"};
        const QStringList bothImages = mouseImage + QStringList{"image receiver newer 0x104 r.bin"};
        const QStringList m1OnImage{"bench R1 M1 M2", "start M1 0x107"};
        QTest::newRow("a repair passes over the receiver that waits")
            << bothImages + QStringList{"run settings M2", "before confirm: fail R1 40", "dismiss ok", "run repair"};
        // The mouse the record names, then the receiver that waits beside
        // it: the receiver's record, written before its write, goes once it
        // is read back right.
        QTest::newRow("a repair of two waiting devices leaves no record")
            << QStringList{"bench R1 M1 M2", "start R1 waiting", "start M2 waiting", "image receiver newer 0x104 r.bin",
                           "image mouse newer 0x107 m.bin", "run repair", "dismiss close"};
        QTest::newRow("a restart before the late end of a mouse given up on")
            << mouseImage
                   + QStringList{"run settings M2", "before confirm: hold M2 long", "after end: restart", "run repair"};
        QTest::newRow("a restart after a silent mouse write")
            << mouseImage + QStringList{"run settings M2", "before confirm: silent M2", "restart", "run repair"};
        QTest::newRow("the receiver updated while the mouse waits")
            << mouseImage + QStringList{"run settings M2", "before confirm: fail M2 40", "dismiss ok",
                                        "image receiver newer 0x105 r.bin", "run settings R1",
                                        "before confirm: fail R1 40", "dismiss ok"};
        // The waiting mouse is away from the bus when the repair is
        // confirmed: the other one, on its cable, is no device to repair; the
        // waiting one keeps its record and is offered its repair once it is
        // back.
        QTest::newRow("a repair while the waiting mouse is away")
            << mouseImage + QStringList{"run settings M2", "before confirm: fail M2 40", "dismiss ok", "plug M2 0",
                                        "plug M1 1", "run repair", "dismiss ok", "plug M1 0"};
        // The mouse is written on its cable, which is pulled once the write
        // is over and before the program hears of its end: its receiver may
        // reach another mouse by the same id, so its record stays until it
        // answers on its cable again.
        QTest::newRow("a mouse written, then away from its cable")
            << QStringList{"bench R1 M1", "image mouse newer 0x107 m.bin", "run settings R1",
                           "before confirm: plug M1 1", "ended 100%: plug M1 0", "dismiss ok", "plug M1 1"};
        // The same, and the program ends before it hears the write's end.
        QTest::newRow("a mouse written, then away, and the program ended")
            << QStringList{"bench R1 M1", "image mouse newer 0x107 m.bin", "run settings R1",
                           "before confirm: plug M1 1", "ended 100%: plug M1 0", "ended 100%: restart",
                           "settle away M1"};
        // The mouse's step is refused (the waiting mouse and M1 on its cable
        // would both take the image): the run ends, each device one step.
        QTest::newRow("a refused mouse step after the receiver's")
            << mouseImage + QStringList{"run settings M2", "before confirm: fail M2 30", "after end: plug M1 1",
                                        "dismiss ok", "run settings M1"};
        QTest::newRow("an image without a body")
            << twoMice + QStringList{"image receiver empty 0x144 r.bin", "run settings M2", "dismiss ok"};
        QTest::newRow("a truncated image")
            << twoMice + QStringList{"image receiver truncated 0x143 r.bin", "run settings M2", "dismiss ok"};
        // The program ends in the middle of the write, held there.
        QTest::newRow("the program ends while the receiver is written")
            << QStringList{"bench R1 M1", "start M1 cable", "image receiver newer 0x103 r.bin", "run settings M1",
                           "at 20%: restart"};

        // The read-back takes the device of the target's kind and ids that is
        // listed: a mouse already on the image, put on its cable while the
        // confirmed one is written, which is then pulled and waits.
        QTest::newRow("a mouse on its image stands in for the one written")
            << m1OnImage + QStringList{"image receiver newer 0x104 r.bin", "image mouse newer 0x107 m.bin",
                                       "run settings M2", "at 70%: plug M1 1", "at 70%: plug M2 0", "dismiss ok"};
        // The same with a second receiver on the image, plugged in while the
        // first is written, which is then pulled.
        QTest::newRow("a receiver on its image stands in for the one written")
            << QStringList{"bench R1 M1 R2 M2", "start R2 out", "start R2 0x104", "image receiver newer 0x104 r.bin",
                           "run settings R1", "at 20%: plug R2 1", "at 20%: plug R1 0", "dismiss ok"};
        // The mouse step writes the mouse on the cable then, not the one
        // confirmed: the cable moved from M2 to M1 once the receiver is done.
        QTest::newRow("the cable moved to another mouse during the update")
            << bothImages + QStringList{"run settings M2", "at 50%: plug M2 0", "at 50%: plug M1 1", "dismiss ok"};
        // The same in a repair of the receiver.
        QTest::newRow("another mouse put on its cable during a repair")
            << bothImages + QStringList{"run settings M2", "before confirm: fail R1 40", "dismiss ok", "run repair",
                                        "at 20%: plug M1 1", "dismiss ok"};
        // The waiting mouse's record must not follow M1, on the image behind
        // its receiver, once the waiting one is away.
        QTest::newRow("a waiting mouse away keeps its record")
            << m1OnImage + QStringList{"image mouse newer 0x107 m.bin", "run settings M2", "before confirm: fail M2 40",
                                       "dismiss ok", "plug M2 0", "settle away M2"};
        // A mouse written right and pulled before its end event may keep its
        // record, but its repair asks for it on its cable.
        QTest::newRow("a mouse written and away asks for its cable")
            << mouseImage + QStringList{"run settings M2", "ended 100%: plug M2 0", "dismiss ok", "settle away M2"};
        // A write that reaches 100 % and fails its check: closing the end
        // view does not make the page say that the devices are up to date.
        QTest::newRow("a failed check waits in update mode")
            << mouseImage + QStringList{"run settings M2", "before confirm: failverify M2 stay", "dismiss close"};
        QTest::newRow("a failed check restarts on the old firmware")
            << mouseImage + QStringList{"run settings M2", "before confirm: failverify M2 old", "dismiss close"};

        const auto row = [](const char *name, const QString &steps) { QTest::newRow(name) << steps.split("; "); };
        const QString fw = "image mouse newer 0x107 m.bin; image receiver newer 0x104 r.bin";
        // A receiver id names no mouse: R1 paired with M1, on the image,
        // while M2, which carried R1's id, is written and pulled.
        row("a receiver paired with another mouse while its mouse is written and pulled", "bench R1 M1 M2; start M2 paired R1; start M1 0x107; image mouse newer 0x107 m.bin; run settings M2; at 50%: pair R1 M1; at 50%: plug M2 0; dismiss ok");
        // The cable moved from M2 to M1 while R1 is written: M1 takes R1's
        // id then, or carries it from an earlier pairing.
        row("the cable moved to a mouse paired with the receiver during its write", "bench R1 M1 M2; start M2 paired R1; start M1 paired R2; " + fw + "; run settings M2; at 20%: pair R1 M1; at 20%: plug M2 0; at 20%: plug M1 1; dismiss ok");
        row("the cable moved to a mouse that carries the receiver's id from before", "bench R1 M1 M2; start M2 paired R1; " + fw + "; run settings M2; at 20%: plug M2 0; at 20%: plug M1 1; dismiss ok");
        row("the receiver paired again while the mouse of the record waits away", "bench R1 M1 M2; start M2 paired R1; start M1 0x107; image mouse newer 0x107 m.bin; run settings M2; before confirm: fail M2 40; dismiss ok; plug M2 0; pair R1 M1; settle away M2");
        // Another of its kind arrives while the waiting device, named by the
        // record as a device seen waiting, is repaired and restarts slowly.
        row("a mouse arriving while the repaired one restarts slowly", "bench R1 M1 M2; start M2 waiting; start record 210,4,33,1; start M1 0x107; image mouse newer 0x107 m.bin; run repair; before confirm: slowcomeback M2 8000; at 50%: plug M1 1; dismiss ok");
        row("a receiver arriving while the repaired one restarts slowly", "bench R1 M1 R2; start R1 waiting; start record 211,4,33,1; start M1 cable; start R2 out; start R2 0x104; image receiver newer 0x104 r.bin; run repair; before confirm: slowcomeback R1 8000; at 50%: plug R2 1; dismiss ok");
        // A record an earlier version left names no device, and nothing
        // waits: the devices on the bus are updated as without it.
        row("an earlier version's mouse record, repaired", "bench R1 M1 M2; start record 210,4,33,1; image mouse newer 0x107 m.bin; run repair; dismiss ok");
        row("an earlier version's mouse record, updated from the page", "bench R1 M1 M2; start record 210,4,33,1; image mouse newer 0x107 m.bin; run settings M2; dismiss ok");
        row("an earlier version's receiver record, repaired", "bench R1 M1; start M1 cable; start record 211,4,33,1; image receiver newer 0x104 r.bin; run repair; dismiss ok");
        row("an earlier version's receiver record, updated from the page", "bench R1 M1; start M1 cable; start record 211,4,33,1; image receiver newer 0x104 r.bin; run settings M1; dismiss ok");
        row("a waiting mouse repaired beside a waiting receiver without its image", "bench R1 M1 M2; start R1 waiting; start M2 waiting; image mouse newer 0x107 m.bin; run repair; dismiss ok");
        row("the mouse pulled while the receiver is written", "bench R1 M1 M2; " + fw + "; run settings M2; at 20%: plug M2 0; dismiss ok");
        row("a completed run leaves the page up to date", "bench R1 M2; image mouse newer 0x106 m.bin; run settings M2; dismiss ok; image mouse newer 0x107 m.bin; run settings M2; dismiss escape; image receiver newer 0x104 r.bin; run settings M2; dismiss close");
        row("failed answers at the confirmation", "bench R1 M1 M2; " + fw + "; run settings M2; before confirm: failanswers 60; dismiss ok");
        row("the receiver's updater falls silent", "bench R1 M1 M2; " + fw + "; run settings M2; before confirm: silent R1; dismiss ok");
        row("a mouse shown through its receiver only", "bench R1 M1; image mouse newer 0x107 m.bin; run settings R1; dismiss ok");
        // The program ends once the write is over on the waiting receiver,
        // before it hears the end: the record, of a device seen waiting, says
        // that the write began. The mouse waiting beside it has no image.
        row("the program ended as the waiting receiver's write is over", "bench R1 M1 M2; start R1 waiting; start M2 waiting; start record 211,4,33,1; image receiver newer 0x104 r.bin; run repair; ended 100%: restart; settle");
        QTest::newRow("drawn") << QStringList();
    }

    // A step out of the language fails its row, naming the step.
    void stepLanguage_data()
    {
        QTest::addColumn<QString>("step");
        for (const char *step : {"imgae mouse newer 0x107 m.bin", "at 50%: fial R1 50", "run settings R2", "plug M3 1",
                                 "start M2 cabel", "hold R1 lng", "at 50: fail R1 50", "pair M1 R1"})
            QTest::newRow(step) << QString(step);
    }

    void stepLanguage()
    {
        QFETCH(QString, step);
        QVERIFY(stepError({"bench R1 M1 M2", "start M1 cable", "run settings M1", "settle"}).isEmpty());
        QVERIFY(stepError({"bench R1 M1 M2", step, "run settings M1", "settle"}).contains('"' + step + '"'));
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

#include "benchprobe.h"

#include "dialog.h"
#include "dialogmain.h"
#include "globals.h"
#include "postmsg.h"

#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QPointer>
#include <QTimer>
#include <QToolButton>

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <ctime>

namespace {

class BenchProbe : public QObject
{
public:
    explicit BenchProbe(DialogMain *window)
        : QObject(window), m_window(window)
    {
        window->installEventFilter(this);
        PostMsg *hub = PostMsg::instance();
        connect(hub, &PostMsg::SigUpDataLightUIButton, this, [this] { pageFilled(); }, Qt::QueuedConnection);
        // Stage marks: the switch to the device page (GUI thread) and the
        // worker's upload announcement (worker thread).
        connect(hub, &PostMsg::SigChangeMainDialog, this, [this](int index) {
            if (index == 1 && m_click.isValid() && m_switchNs < 0)
                m_switchNs = m_click.nsecsElapsed();
        }, Qt::DirectConnection);
        connect(hub, &PostMsg::SigUpDataParam, this, [this] {
            qint64 unset = -1;
            if (m_click.isValid())
                m_announceNs.compare_exchange_strong(unset, m_click.nsecsElapsed());
        }, Qt::DirectConnection);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (m_countTimers && event->type() == QEvent::Timer && watched != this
            && watched->parent() != this)
            ++m_timerCounts[timerTarget(watched)];
        if (watched == m_window && event->type() == QEvent::Paint && !m_shown) {
            m_shown = true;
            line("paint-start-epoch-ms %lld", QDateTime::currentMSecsSinceEpoch());
            // Taken once this first paint, the pages' included, has ended and
            // gone to the screen.
            QTimer::singleShot(0, this, [this] {
                line("window-shown-epoch-ms %lld", QDateTime::currentMSecsSinceEpoch());
                waitForCards();
            });
        }
        return false;
    }

private:
    // printf-checked, so a wrong format is a compile error.
    Q_ATTRIBUTE_FORMAT_PRINTF(1, 2) static void line(const char *format, ...)
    {
        std::va_list args;
        va_start(args, format);
        std::fprintf(stderr, "bench ");
        std::vfprintf(stderr, format, args);
        std::fprintf(stderr, "\n");
        std::fflush(stderr);
        va_end(args);
    }

    static long residentKb()
    {
        QFile status(QStringLiteral("/proc/self/status"));
        if (!status.open(QIODevice::ReadOnly))
            return -1;
        for (const QByteArray &row : status.readAll().split('\n')) {
            if (row.startsWith("VmRSS:"))
                return row.mid(6).trimmed().split(' ').value(0).toLong();
        }
        return -1;
    }

    // Polls until the list shows a card and nothing modal is open, then
    // clicks the first card.
    void waitForCards()
    {
        if (m_waited.isValid() && m_waited.elapsed() > 20000) {
            line("error no-device-card");
            QApplication::exit(2);
            return;
        }
        if (!m_waited.isValid())
            m_waited.start();
        if (g_deviceButtons.isEmpty() || QApplication::activeModalWidget()) {
            QTimer::singleShot(10, this, [this] { waitForCards(); });
            return;
        }
        line("cards-shown-epoch-ms %lld", QDateTime::currentMSecsSinceEpoch());
        // Let the list settle as a user would see it before clicking.
        QTimer::singleShot(500, this, [this] {
            QPointer<QToolButton> card = g_deviceButtons.value(0);
            if (!card) {
                line("error card-vanished");
                QApplication::exit(2);
                return;
            }
            m_click.start();
            card->click();
        });
    }

    void pageFilled()
    {
        if (m_filled || !m_click.isValid())
            return;
        m_filled = true;
        line("click-to-filled-ms %.1f", m_click.nsecsElapsed() / 1e6);
        line("click-to-switch-ms %.1f", m_switchNs / 1e6);
        line("click-to-worker-ms %.1f", m_announceNs.load() / 1e6);
        QTimer::singleShot(0, this, [this] { afterFill(); });
    }

    void afterFill()
    {
        // The upload notice runs modally for a while; leave it be.
        if (QApplication::activeModalWidget()) {
            QTimer::singleShot(50, this, [this] { afterFill(); });
            return;
        }
        // Every page shown once (the settings page, then the device page
        // again, as a user would), so the memory figure holds all of them.
        clickHeaderButton("toolButton_3");
        QTimer::singleShot(kPageVisitMs, this, [this] {
            clickHeaderButton("toolButton_2");
            QTimer::singleShot(kPageVisitMs, this, [this] {
                line("rss-kb %ld", residentKb());
                startIdleWatch();
            });
        });
    }

    void clickHeaderButton(const char *name)
    {
        if (QToolButton *button = m_window->findChild<QToolButton *>(QLatin1String(name)))
            button->click();
        else
            line("error no-button %s", name);
    }

    // The device page left alone: the process's processor time over the
    // window, and every timer that fired on the GUI thread meanwhile, by
    // the object it fired at.
    void startIdleWatch()
    {
        bool ok = false;
        const int seconds = qEnvironmentVariableIntValue("QUZ_BENCH_IDLE_S", &ok);
        const int idleMs = ok && seconds >= 0 ? seconds * 1000 : kDefaultIdleMs;
        m_countTimers = true;
        qApp->installEventFilter(this);
        const qint64 cpuStart = processCpuNs();
        QElapsedTimer wall;
        wall.start();
        // A timer of the probe's own, which the count leaves out.
        QTimer *end = new QTimer(this);
        end->setSingleShot(true);
        end->setTimerType(Qt::PreciseTimer);
        connect(end, &QTimer::timeout, this, [this, end, cpuStart, wall] {
            end->deleteLater();
            const qint64 cpu = processCpuNs() - cpuStart;
            const qint64 elapsed = wall.nsecsElapsed();
            m_countTimers = false;
            qApp->removeEventFilter(this);
            line("idle-wall-ms %.1f", elapsed / 1e6);
            line("idle-cpu-ms %.1f", cpu / 1e6);
            for (auto it = m_timerCounts.cbegin(); it != m_timerCounts.cend(); ++it)
                line("idle-timer %d %s", it.value(), it.key().constData());
            leavePage();
        });
        end->start(idleMs);
    }

    void leavePage()
    {
        PostMsg::instance()->postChangeMainDialog(0);
        QTimer::singleShot(800, this, [this] {
            line("back-on-list %d", g_devicePageActive == 0 ? 1 : 0);
            if (Dialog *frame = m_window->framePage())
                QMetaObject::invokeMethod(frame, "on_CloseButton_clicked", Qt::QueuedConnection);
        });
    }

    static qint64 processCpuNs()
    {
        timespec now{};
        if (clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now) != 0)
            return 0;
        return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
    }

    // "Class/objectName" of a timer's target, and of its parent for the
    // unnamed ones (a QTimer is usually known by its owner).
    static QByteArray timerTarget(QObject *target)
    {
        QByteArray name = target->metaObject()->className();
        name += '/' + target->objectName().toUtf8();
        if (target->objectName().isEmpty() && target->parent()) {
            QObject *owner = target->parent();
            name += QByteArray(" in ") + owner->metaObject()->className() + '/' + owner->objectName().toUtf8();
        }
        return name;
    }

    static constexpr int kPageVisitMs = 300;
    static constexpr int kDefaultIdleMs = 20000;

    DialogMain *m_window;
    bool m_countTimers = false;
    QMap<QByteArray, int> m_timerCounts;
    bool m_shown = false;
    bool m_filled = false;
    QElapsedTimer m_waited;
    QElapsedTimer m_click;
    qint64 m_switchNs = -1;
    std::atomic<qint64> m_announceNs{-1};
};

} // namespace

void installBenchProbe(QWidget *window)
{
    if (qgetenv("QUZ_BENCH") != "1")
        return;
    if (DialogMain *main = qobject_cast<DialogMain *>(window))
        new BenchProbe(main);
}

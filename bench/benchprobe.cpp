// The program's measuring points for bench/run_bench.py, built only into the
// benchmark's build (the CMake option QUZ_BENCH). They start with the
// application object and do nothing unless the environment holds
// QUZ_BENCH=1. They then print, on standard error, lines starting with
// "bench " (the wall-clock and processor time when the window was first
// painted, all threads and the main thread's, the time from a click on the
// first device card to the device page's first paint and to the page
// holding the device's data, the resident memory once every page was shown,
// with QUZ_BENCH_IDLE_MS the processor time of that long a wait on the
// device page), then go back to the list and close the program.

#include "benchfigures.h"
#include "buttoninterface.h"
#include "devicelistcards.h"
#include "devicestate.h"
#include "dialog.h"
#include "dialogmain.h"
#include "globals.h"
#include "postmsg.h"

#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QToolButton>

#include <atomic>
#include <cstdlib>

using bench::line;
using bench::processCpuMs;
using bench::residentKb;

namespace {

class BenchProbe : public QObject
{
public:
    // Watches every event of the application until the top-level window is
    // first painted.
    BenchProbe() : QObject(qApp) { qApp->installEventFilter(this); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::Paint || m_window)
            return false;
        m_window = qobject_cast<DialogMain *>(watched);
        if (!m_window)
            return false;
        qApp->removeEventFilter(this);
        // With the processor time spent until then: the part of the
        // start-up figure a busy machine does not stretch.
        bench::firstPaintLines(QDateTime::currentMSecsSinceEpoch());
        // For a profile of the start alone (callgrind, perf): ends here.
        if (qgetenv("QUZ_BENCH_QUIT_AT_PAINT") == "1")
            std::_Exit(0);
        // The first frame as the screen shows it, saved to this file, for
        // comparing two programs' first frames; then the program ends.
        const QString frameFile = qEnvironmentVariable("QUZ_BENCH_FIRST_FRAME");
        if (!frameFile.isEmpty()) {
            QTimer::singleShot(0, this, [this, frameFile] {
                QScreen *screen = m_window->screen();
                const bool saved = screen && screen->grabWindow(m_window->winId()).save(frameFile);
                std::_Exit(saved ? 0 : 1);
            });
            return false;
        }
        connectStages();
        QTimer::singleShot(0, this, [this] { waitForCards(); });
        return false;
    }

private:
    void connectStages()
    {
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
            watchDevicePagePaint();
            m_click.start();
            card->click();
        });
    }

    // The device page's first paint after the click: the page with its
    // macro list on the screen.
    void watchDevicePagePaint()
    {
        struct PaintWatch : QObject {
            BenchProbe *probe;
            explicit PaintWatch(BenchProbe *p) : QObject(p), probe(p) {}
            bool eventFilter(QObject *watched, QEvent *event) override
            {
                if (event->type() == QEvent::Paint) {
                    watched->removeEventFilter(this);
                    probe->m_pagePaintNs = probe->m_click.nsecsElapsed();
                }
                return false;
            }
        };
        m_window->framePage()->buttonPage()->installEventFilter(new PaintWatch(this));
    }

    void pageFilled()
    {
        if (m_filled || !m_click.isValid())
            return;
        m_filled = true;
        line("click-to-filled-ms %.1f", m_click.nsecsElapsed() / 1e6);
        line("click-to-switch-ms %.1f", m_switchNs / 1e6);
        line("click-to-page-painted-ms %.1f", m_pagePaintNs / 1e6);
        line("click-to-worker-ms %.1f", m_announceNs.load() / 1e6);
        QTimer::singleShot(0, this, [this] { afterFill(); });
    }

    void afterFill()
    {
        // The upload notice runs modally for a while; leave it be. Any other
        // dialog (an update offer, a question) would wait for a user who is
        // not there: say which one and stop.
        if (QWidget *modal = QApplication::activeModalWidget()) {
            if (!m_modalWait.isValid())
                m_modalWait.start();
            if (m_modalWait.elapsed() > kModalLimitMs) {
                line("error modal-open %s", modal->metaObject()->className());
                QApplication::exit(2);
                return;
            }
            QTimer::singleShot(50, this, [this] { afterFill(); });
            return;
        }
        // Every page of the frame shown once, as a user looking round would,
        // so their pictures and styles are loaded before memory is read.
        Dialog *frame = m_window->framePage();
        QMetaObject::invokeMethod(frame, "on_toolButton_3_clicked");
        QTimer::singleShot(kPageLookMs, this, [this, frame] {
            QMetaObject::invokeMethod(frame, "on_toolButton_2_clicked");
            QTimer::singleShot(kPageLookMs, this, [this] {
                line("rss-kb %ld", residentKb());
                idle();
            });
        });
    }

    // With QUZ_BENCH_IDLE_MS set the device page stays open that long with
    // nothing happening; the process's processor time over it, all threads
    // counted, is what the program costs while it waits.
    void idle()
    {
        const int ms = qEnvironmentVariableIntValue("QUZ_BENCH_IDLE_MS");
        if (ms <= 0) {
            leave();
            return;
        }
        const double cpuBefore = processCpuMs();
        QElapsedTimer wall;
        wall.start();
        QTimer::singleShot(ms, Qt::PreciseTimer, this, [this, cpuBefore, wall] {
            line("idle-wall-ms %lld", wall.elapsed());
            line("idle-cpu-ms %.1f", processCpuMs() - cpuBefore);
            line("idle-on-device-page %d", g_devicePageActive == 1 ? 1 : 0);
            leave();
        });
    }

    void leave()
    {
        PostMsg::instance()->postChangeMainDialog(0);
        QTimer::singleShot(800, this, [this] {
            line("back-on-list %d", g_devicePageActive == 0 ? 1 : 0);
            if (Dialog *frame = m_window->framePage())
                QMetaObject::invokeMethod(frame, "on_CloseButton_clicked", Qt::QueuedConnection);
        });
    }

    static constexpr int kModalLimitMs = 10000;
    static constexpr int kPageLookMs = 300;

    DialogMain *m_window = nullptr;
    bool m_filled = false;
    QElapsedTimer m_waited;
    QElapsedTimer m_click;
    QElapsedTimer m_modalWait;
    qint64 m_switchNs = -1;
    qint64 m_pagePaintNs = -1;
    std::atomic<qint64> m_announceNs{-1};
};

void startBenchProbe()
{
    if (qgetenv("QUZ_BENCH") == "1")
        new BenchProbe;
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(startBenchProbe)

// Tells ThreadSanitizer about the one hand-over between threads that Qt
// makes inside its own (not instrumented) library and that the program's
// design rests on: a signal emitted on a library or Worker thread and
// delivered queued to the GUI thread, in particular the blocking queued
// connections of the device-data signals, whose emitting thread waits on a
// semaphore until the slot has run. Without this, the sanitizer sees the
// slot read the emitter's stack and the emitter later write it again with
// no order between them, and reports a race that cannot happen.
//
// Both directions are modelled for the blocking calls, and only while the
// emitting thread is inside the emission: before the GUI thread delivers a
// queued call it acquires what every thread then emitting has released, and
// after the slot it releases to them; the emitter releases before posting
// and acquires when its emission returns. A plain queued call is over for
// its emitter before the GUI thread delivers it, so every emission also
// releases one shared hand-over that every delivery acquires: what a thread
// wrote before it posted a call is seen by the slot, as Qt's event queue
// makes it. Nothing here changes what runs or in which order.
// Other builds compile none of it.

#if defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define QUZ_THREAD_SANITIZER 1
#endif
#endif
#if defined(__SANITIZE_THREAD__)
#define QUZ_THREAD_SANITIZER 1
#endif

#if defined(QUZ_THREAD_SANITIZER)

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QThread>

#include <sanitizer/tsan_interface.h>

#include <atomic>

static_assert(QT_VERSION >= QT_VERSION_CHECK(5, 14, 0) && QT_VERSION < QT_VERSION_CHECK(6, 0, 0),
              "the emission hooks below have the layout of Qt 5.14 and 5.15");

// QtCore calls these around every signal emission, on the emitting thread,
// the end after every queued and blocking queued call has been posted (and
// the blocking ones have returned). Exported by QtCore for signal tracing
// tools; the record is not in the public headers.
struct QSignalSpyCallbackSet {
    typedef void (*BeginCallback)(QObject *caller, int signal_or_method_index, void **argv);
    typedef void (*EndCallback)(QObject *caller, int signal_or_method_index);
    BeginCallback signal_begin_callback;
    BeginCallback slot_begin_callback;
    EndCallback signal_end_callback;
    EndCallback slot_end_callback;
};
void qt_register_signal_spy_callbacks(QSignalSpyCallbackSet *callback_set);

namespace {

constexpr int kEmittingSlots = 64;

// The sync tokens of the threads now inside an emission (other than the GUI
// thread). Relaxed atomics: the registry itself must not order anything.
std::atomic<char *> g_emitting[kEmittingSlots];
Qt::HANDLE g_guiThread = nullptr;
// Released by every emission off the GUI thread before it posts, acquired by
// every delivery of a queued call on the GUI thread.
char g_postedCalls;

thread_local int t_depth = 0;
thread_local int t_slot = -1;

// One address per thread, never freed, so that no later thread inherits it.
char *threadToken()
{
    thread_local char *token = new char;
    return token;
}

bool onGuiThread()
{
    return QThread::currentThreadId() == g_guiThread;
}

void emissionBegins(QObject *, int, void **)
{
    if (onGuiThread() || t_depth++ > 0)
        return;
    char *token = threadToken();
    __tsan_release(token);
    __tsan_release(&g_postedCalls);
    for (int i = 0; i < kEmittingSlots; ++i) {
        char *expected = nullptr;
        if (g_emitting[i].compare_exchange_strong(expected, token, std::memory_order_relaxed)) {
            t_slot = i;
            return;
        }
    }
}

void emissionEnds(QObject *, int)
{
    if (onGuiThread() || t_depth == 0)
        return;
    __tsan_acquire(threadToken());
    if (--t_depth > 0)
        return;
    if (t_slot >= 0)
        g_emitting[t_slot].store(nullptr, std::memory_order_relaxed);
    t_slot = -1;
}

QSignalSpyCallbackSet g_hooks = {emissionBegins, nullptr, emissionEnds, nullptr};

// An application event filter sees a queued call before its slot runs; it
// delivers the call itself so that it also gets control right after.
class QueuedCallFence : public QObject
{
protected:
    bool eventFilter(QObject *receiver, QEvent *event) override
    {
        if (event->type() != QEvent::MetaCall)
            return false;
        __tsan_acquire(&g_postedCalls);
        for (std::atomic<char *> &slot : g_emitting) {
            if (char *token = slot.load(std::memory_order_relaxed))
                __tsan_acquire(token);
        }
        receiver->event(event);
        for (std::atomic<char *> &slot : g_emitting) {
            if (char *token = slot.load(std::memory_order_relaxed))
                __tsan_release(token);
        }
        return true;
    }
};

void installQueuedCallFence()
{
    g_guiThread = QThread::currentThreadId();
    QCoreApplication::instance()->installEventFilter(new QueuedCallFence);
    qt_register_signal_spy_callbacks(&g_hooks);
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(installQueuedCallFence)

#endif // QUZ_THREAD_SANITIZER

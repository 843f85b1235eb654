#include "guithread.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <QVector>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <utility>

namespace {

bool onGuiThread(const QCoreApplication *app)
{
    return QThread::currentThread() == app->thread();
}

// The waiting side of runOnGuiThreadBlocking. The queued call owns a Done;
// when the call has run, or is dropped without running, the Done goes and
// lets the waiter go on.
struct Handshake {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
};

class Done
{
public:
    explicit Done(std::shared_ptr<Handshake> handshake) : m_handshake(std::move(handshake)) {}
    Done(Done &&other) noexcept = default;
    Done(const Done &) = delete;
    Done &operator=(const Done &) = delete;
    Done &operator=(Done &&) = delete;
    ~Done()
    {
        if (!m_handshake)
            return;
        std::lock_guard<std::mutex> lock(m_handshake->mutex);
        m_handshake->done = true;
        m_handshake->finished.notify_all();
    }

private:
    std::shared_ptr<Handshake> m_handshake;
};

// Taken by the poster around handing a call to Qt and by the GUI thread
// before it runs the call: the call and everything the poster did before are
// then ordered by a lock the thread sanitizer sees, not only by Qt's own
// event queue, which it cannot see into.
std::mutex &handOverMutex()
{
    static std::mutex mutex;
    return mutex;
}

template <typename Call>
void postToGui(QCoreApplication *app, Call call)
{
    std::lock_guard<std::mutex> lock(handOverMutex());
    QMetaObject::invokeMethod(
        app,
        [call = std::move(call)]() mutable {
            { std::lock_guard<std::mutex> taken(handOverMutex()); }
            call();
        },
        Qt::QueuedConnection);
}

} // namespace

void runOnGuiThreadBlocking(const std::function<void()> &fn)
{
    QCoreApplication *app = QCoreApplication::instance();
    if (!app || onGuiThread(app)) {
        fn();
        return;
    }
    // A mutex and condition of our own rather than a blocking queued call,
    // for the same reason as the hand-over mutex.
    auto handshake = std::make_shared<Handshake>();
    postToGui(app, [&fn, done = Done(handshake)] { fn(); });
    std::unique_lock<std::mutex> lock(handshake->mutex);
    handshake->finished.wait(lock, [&] { return handshake->done; });
}

void queueOnGuiThread(std::function<void()> fn)
{
    QCoreApplication *app = QCoreApplication::instance();
    if (!app)
        return;
    if (onGuiThread(app))
        fn();
    else
        postToGui(app, std::move(fn));
}

void postToGuiThread(std::function<void()> fn)
{
    if (QCoreApplication *app = QCoreApplication::instance())
        postToGui(app, std::move(fn));
}

void waitWithEvents(int ms, QEventLoop::ProcessEventsFlags flags)
{
    // A nested event loop, idle between events, rather than polling.
    QEventLoop pause;
    QTimer::singleShot(ms, &pause, &QEventLoop::quit);
    pause.exec(flags);
}

namespace {

// GUI thread only.
int s_pauseDepth = 0;
bool s_heldUntilReleased = false;
QVector<void (*)()> s_heldWork;

bool holding()
{
    return s_pauseDepth > 0 || s_heldUntilReleased;
}

void runOrHold(void (*work)())
{
    // Each piece of work looks at the bus afresh: once is enough, however
    // many changes came while it waited.
    if (!holding())
        work();
    else if (!s_heldWork.contains(work))
        s_heldWork.append(work);
}

void releaseHeldWork()
{
    if (holding())
        return;
    // Queued, not run here: the work comes after the handler that released it.
    for (void (*work)() : std::exchange(s_heldWork, {}))
        postToGuiThread([work] { runOrHold(work); });
}

} // namespace

void queueDeviceChangeWork(void (*work)())
{
    queueOnGuiThread([work] { runOrHold(work); });
}

void pauseHoldingDeviceChanges(int ms)
{
    ++s_pauseDepth;
    waitWithEvents(ms, QEventLoop::ExcludeUserInputEvents);
    --s_pauseDepth;
    releaseHeldWork();
}

void holdDeviceChanges(bool hold)
{
    s_heldUntilReleased = hold;
    releaseHeldWork();
}

#include "guithread.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <condition_variable>
#include <memory>
#include <mutex>

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

} // namespace

void runOnGuiThreadBlocking(const std::function<void()> &fn)
{
    QCoreApplication *app = QCoreApplication::instance();
    if (!app || onGuiThread(app)) {
        fn();
        return;
    }
    // A mutex and condition of our own rather than a blocking queued call:
    // the hand-over is then visible to the thread sanitizer, which cannot
    // see inside Qt.
    auto handshake = std::make_shared<Handshake>();
    QMetaObject::invokeMethod(
        app, [&fn, done = Done(handshake)] { fn(); }, Qt::QueuedConnection);
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
        QMetaObject::invokeMethod(app, std::move(fn), Qt::QueuedConnection);
}

void waitWithEvents(int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 100);
}

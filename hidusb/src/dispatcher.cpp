#include "sim_internal.h"

#include <chrono>

namespace hidsim {
namespace detail {

std::int64_t nowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

Dispatcher::Dispatcher(const char *name) : m_name(name) {}

void Dispatcher::post(int delayMs, std::function<void()> task)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_started) {
        // Never joined: the thread lives as long as the process, so that no
        // call (and no exit handler) ever waits for a callback to return.
        m_started = true;
        std::thread t(&Dispatcher::run, this);
        m_id = t.get_id();
        t.detach();
    }
    m_tasks.emplace(nowMs() + (delayMs > 0 ? delayMs : 0), std::move(task));
    m_wake.notify_all();
}

void Dispatcher::clear()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_tasks.clear();
}

bool Dispatcher::idle()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_tasks.empty() && !m_running;
}

std::thread::id Dispatcher::threadId()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_id;
}

void Dispatcher::run()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        if (m_tasks.empty()) {
            m_wake.wait(lock);
            continue;
        }
        const std::int64_t due = m_tasks.begin()->first;
        const std::int64_t now = nowMs();
        if (due > now) {
            m_wake.wait_for(lock, std::chrono::milliseconds(due - now));
            continue;
        }
        std::function<void()> task = std::move(m_tasks.begin()->second);
        m_tasks.erase(m_tasks.begin());
        m_running = true;
        lock.unlock();
        task();
        task = nullptr;
        lock.lock();
        m_running = false;
    }
}

} // namespace detail
} // namespace hidsim

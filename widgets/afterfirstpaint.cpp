#include "afterfirstpaint.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <deque>
#include <utility>

namespace {

const char kWatchName[] = "quz_firstPaintWatch";

// One per window, for the window's life, so the works run in the order they
// were asked for: the device page's hidden repair dialog must connect to the
// repair signals before the settings page's shown one, as when both were
// built at once.
class FirstPaintWatch : public QObject
{
public:
    explicit FirstPaintWatch(QWidget *window) : QObject(window), m_window(window)
    {
        setObjectName(QLatin1String(kWatchName));
        window->installEventFilter(this);
    }

    ~FirstPaintWatch() override { guardInput(false); }

    void add(QObject *context, std::function<void()> work)
    {
        m_works.emplace_back(QPointer<QObject>(context), std::move(work));
        guardInput(true);
        if (m_painted)
            schedule();
    }

    // Runs every work that waits, those that the works ask for included.
    void runAll()
    {
        while (!m_works.empty()) {
            Work work = std::move(m_works.front());
            m_works.pop_front();
            if (work.first)
                work.second();
        }
        guardInput(false);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_window && event->type() == QEvent::Paint) {
            if (!m_painted) {
                m_painted = true;
                m_window->removeEventFilter(this);
                schedule();
            }
            return false;
        }
        // A press or a key meant for the window finds what it may need
        // built: it waits for the works rather than getting lost.
        if (isInput(event->type()) && watched->isWidgetType()
            && static_cast<QWidget *>(watched)->window() == m_window)
            runAll();
        return false;
    }

private:
    using Work = std::pair<QPointer<QObject>, std::function<void()>>;

    static bool isInput(QEvent::Type type)
    {
        switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Wheel:
        case QEvent::TouchBegin:
            return true;
        default:
            return false;
        }
    }

    void schedule()
    {
        if (m_scheduled || m_works.empty())
            return;
        m_scheduled = true;
        QTimer::singleShot(0, this, [this] {
            m_scheduled = false;
            runAll();
        });
    }

    // Watches the application's input only while works wait.
    void guardInput(bool on)
    {
        QCoreApplication *app = QCoreApplication::instance();
        if (on == m_guarding || !app)
            return;
        m_guarding = on;
        if (on)
            app->installEventFilter(this);
        else
            app->removeEventFilter(this);
    }

    QWidget *m_window;
    std::deque<Work> m_works;
    bool m_painted = false;
    bool m_scheduled = false;
    bool m_guarding = false;
};

FirstPaintWatch *watchOf(QWidget *window)
{
    return dynamic_cast<FirstPaintWatch *>(
        window->findChild<QObject *>(QLatin1String(kWatchName), Qt::FindDirectChildrenOnly));
}

} // namespace

void runAfterFirstPaint(QWidget *window, QObject *context, std::function<void()> work)
{
    if (!window || !context || !work)
        return;
    FirstPaintWatch *watch = watchOf(window);
    if (!watch)
        watch = new FirstPaintWatch(window);
    watch->add(context, std::move(work));
}

void runWorksAfterFirstPaintNow(QWidget *window)
{
    if (!window)
        return;
    if (FirstPaintWatch *watch = watchOf(window))
        watch->runAll();
}

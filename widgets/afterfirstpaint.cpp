#include "afterfirstpaint.h"

#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <memory>
#include <utility>
#include <vector>

namespace {

const char kWatchName[] = "quz_firstPaintWatch";

// One per window, so the works run in the order they were asked for: the
// device page's hidden repair dialog must connect to the repair signals
// before the settings page's shown one, as when both were built at once.
class FirstPaintWatch : public QObject
{
public:
    explicit FirstPaintWatch(QWidget *window) : QObject(window)
    {
        setObjectName(QLatin1String(kWatchName));
        window->installEventFilter(this);
    }

    void add(QObject *context, std::function<void()> work)
    {
        m_works.emplace_back(QPointer<QObject>(context), std::move(work));
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            // No longer found by a later call, which then watches the
            // window's next paint.
            setObjectName(QString());
            auto works = std::make_shared<std::vector<Work>>(std::move(m_works));
            QTimer::singleShot(0, watched, [works] {
                for (const Work &work : *works) {
                    if (work.first)
                        work.second();
                }
            });
            deleteLater();
        }
        return false;
    }

private:
    using Work = std::pair<QPointer<QObject>, std::function<void()>>;
    std::vector<Work> m_works;
};

} // namespace

void runAfterFirstPaint(QWidget *window, QObject *context, std::function<void()> work)
{
    if (!window || !context || !work)
        return;
    auto *watch = dynamic_cast<FirstPaintWatch *>(
        window->findChild<QObject *>(QLatin1String(kWatchName), Qt::FindDirectChildrenOnly));
    if (!watch)
        watch = new FirstPaintWatch(window);
    watch->add(context, std::move(work));
}

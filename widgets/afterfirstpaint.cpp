#include "afterfirstpaint.h"

#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace {

class FirstPaintWatch : public QObject
{
public:
    FirstPaintWatch(QWidget *window, QObject *context, std::function<void()> work)
        : QObject(window), m_context(context), m_work(std::move(work))
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            QPointer<QObject> context = m_context;
            std::function<void()> work = std::move(m_work);
            QTimer::singleShot(0, watched, [context, work] {
                if (context)
                    work();
            });
            deleteLater();
        }
        return false;
    }

private:
    QPointer<QObject> m_context;
    std::function<void()> m_work;
};

} // namespace

void runAfterFirstPaint(QWidget *window, QObject *context, std::function<void()> work)
{
    if (window && context && work)
        new FirstPaintWatch(window, context, std::move(work));
}

#include "pagebackground.h"

#include <QEvent>
#include <QPainter>
#include <QWidget>

PageBackground::PageBackground(QWidget *target)
    : QObject(target), m_target(target)
{
    target->installEventFilter(this);
}

PageBackground::~PageBackground()
{
    for (auto &entry : m_decoding)
        entry.second->thread.join();
}

void PageBackground::prepare(const QStringList &files)
{
    for (const QString &file : files) {
        if (m_pictures.contains(file) || m_decoding.count(file))
            continue;
        auto decoding = std::make_unique<Decoding>();
        Decoding *d = decoding.get();
        d->thread = std::thread([d, file] { d->image = QImage(file); });
        m_decoding.emplace(file, std::move(decoding));
    }
}

void PageBackground::show(const QString &file)
{
    if (file == m_file)
        return;
    m_file = file;
    m_target->update();
}

const QPixmap &PageBackground::picture(const QString &file)
{
    auto found = m_pictures.constFind(file);
    if (found != m_pictures.constEnd())
        return *found;
    QImage image;
    auto decoding = m_decoding.find(file);
    if (decoding != m_decoding.end()) {
        decoding->second->thread.join();
        image = std::move(decoding->second->image);
        m_decoding.erase(decoding);
    } else {
        // Straight from the file: the toolkit's picture cache would keep a
        // second copy of pictures this size.
        image = QImage(file);
    }
    return *m_pictures.insert(file, QPixmap::fromImage(std::move(image)));
}

bool PageBackground::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_target && event->type() == QEvent::Paint && !m_file.isEmpty()) {
        const QPixmap &shown = picture(m_file);
        if (!shown.isNull()) {
            QPainter painter(m_target);
            painter.drawPixmap(m_target->rect(), shown);
        }
    }
    return QObject::eventFilter(watched, event);
}

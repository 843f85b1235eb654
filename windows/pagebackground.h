#ifndef PAGEBACKGROUND_H
#define PAGEBACKGROUND_H

#include <QHash>
#include <QImage>
#include <QObject>
#include <QPixmap>
#include <QString>
#include <QStringList>

#include <map>
#include <memory>
#include <thread>

class QWidget;

// Paints a picture over the whole of a widget (the frame behind every page),
// stretched to its size.
//
// A style sheet on that frame would do the same, but the frame is the
// ancestor of every page: each change of its style sheet polishes every
// widget of every page again, some hundreds, which took some 30 ms of every
// page switch. Here a switch only repaints, and each picture is decoded once,
// ahead of time on a thread of its own where it can be.
class PageBackground : public QObject
{
public:
    explicit PageBackground(QWidget *target);
    ~PageBackground() override;

    // Starts decoding these picture files, each on a thread of its own; the
    // first paint of each takes the decoded picture (waiting for it if it is
    // not ready yet). Files decoded or being decoded are skipped.
    void prepare(const QStringList &files);

    // Shows the picture file; an unreadable file shows nothing.
    void show(const QString &file);
    QString file() const { return m_file; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // A picture being decoded; `image` belongs to the thread until joined.
    struct Decoding {
        QImage image;
        std::thread thread;
    };

    const QPixmap &picture(const QString &file);

    QWidget *m_target;
    QString m_file;
    QHash<QString, QPixmap> m_pictures;
    std::map<QString, std::unique_ptr<Decoding>> m_decoding;
};

#endif // PAGEBACKGROUND_H

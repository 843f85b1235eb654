#ifndef PAGEBACKGROUND_H
#define PAGEBACKGROUND_H

#include <QHash>
#include <QImage>
#include <QObject>
#include <QPixmap>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QVector>

#include <map>
#include <memory>
#include <thread>

class QPainter;
class QRect;
class QWidget;

// Paints a picture over the whole of a widget (the frame behind every page),
// stretched to its size.
//
// A style sheet on that frame would do the same, but the frame is the
// ancestor of every page: each change of its style sheet polishes every
// widget of every page again, some hundreds, which took some 30 ms of every
// page switch. Here a switch only repaints, and each picture is decoded once,
// ahead of time on a thread of its own where it can be.
//
// A picture of the widget's own size, as the page backgrounds are, is kept
// as tiles of kTile pixels, each distinct tile once: the backgrounds are
// mostly flat colours and gradients, so some hundreds of small tiles stand
// for the 5 MB a whole one takes decoded. Painted one to one, the tiles give
// the same pixels as the whole picture.
class PageBackground : public QObject
{
public:
    static constexpr int kTile = 32;

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
    // A picture as decoded: whole, or cut into tiles. Plain images, so a
    // thread can make it.
    struct Decoded {
        QImage whole;
        QSize size;
        QVector<QImage> tiles;   // each distinct tile once
        QVector<int> tileAt;     // row by row, the index of each place's tile
    };
    // The same as the toolkit paints it.
    struct Picture {
        QPixmap whole;
        QSize size;
        QVector<QPixmap> tiles;
        QVector<int> tileAt;
        bool isNull() const { return whole.isNull() && tiles.isEmpty(); }
    };
    // A picture being decoded; `result` belongs to the thread until joined.
    struct Decoding {
        Decoded result;
        std::thread thread;
    };

    static Decoded decode(const QString &file, const QSize &targetSize);
    const Picture &picture(const QString &file);
    void paint(const Picture &shown, QPainter &painter, const QRect &exposed) const;

    QWidget *m_target;
    QString m_file;
    QHash<QString, Picture> m_pictures;
    std::map<QString, std::unique_ptr<Decoding>> m_decoding;
};

#endif // PAGEBACKGROUND_H

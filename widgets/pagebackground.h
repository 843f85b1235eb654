#ifndef PAGEBACKGROUND_H
#define PAGEBACKGROUND_H

#include "picturetiles.h"

#include <QHash>
#include <QImage>
#include <QObject>
#include <QPixmap>
#include <QPoint>
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

// Paints a picture over the whole of a widget (the frame behind every page,
// the frame of a dialog), stretched to its size or centred in it.
//
// A style sheet on that frame would do the same, but the frame is the
// ancestor of every page: each change of its style sheet polishes every
// widget of every page again, some hundreds, which took some 30 ms of every
// page switch. Here a switch only repaints, and each picture is decoded once,
// ahead of time on a thread of its own where it can be.
//
// A picture painted one to one (of the widget's own size, as the page and
// dialog backgrounds are, or centred) is kept as tiles of kTile by kTile
// pixels, each distinct tile once: the backgrounds are mostly flat colours
// and gradients, so some hundreds of small tiles stand for the 5 MB a whole
// page background takes decoded (a dialog's 0.3 to 0.8 MB for a few dozen).
// Painted one to one, the tiles give the same pixels as the whole picture.
// Tiles of 16 pixels keep half of what tiles of 32 kept of the device page's
// background; a full repaint then draws some 5000 of them.
class PageBackground : public QObject
{
    Q_OBJECT
public:
    static constexpr int kTile = kPictureTile;

    // How the picture covers the widget: as a style sheet's border-image
    // (stretched to the widget) or as its background-image with
    // "background-position:center;background-repeat:no-repeat" (centred,
    // cut off where it is larger).
    enum Placement { Stretch, Centre };

    explicit PageBackground(QWidget *target, Placement placement = Stretch);
    ~PageBackground() override;

    // Starts decoding these picture files, each on a thread of its own; the
    // first paint of each takes the decoded picture (waiting for it if it is
    // not ready yet). Files decoded or being decoded are skipped.
    void prepare(const QStringList &files);

    // Shows the picture file; an unreadable file shows nothing.
    void show(const QString &file);
    QString file() const { return m_file; }
    Placement placement() const { return m_placement; }

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

    static Decoded decode(const QString &file, const QSize &targetSize, Placement placement);
    QPoint origin(const QSize &pictureSize) const;
    const Picture &picture(const QString &file);
    void paint(const Picture &shown, QPainter &painter, const QRect &exposed) const;

    QWidget *m_target;
    Placement m_placement;
    QString m_file;
    QHash<QString, Picture> m_pictures;
    std::map<QString, std::unique_ptr<Decoding>> m_decoding;
};

// Shows a picture file behind the whole of a frame as the style sheet
// "#<name>{border:0px;background-position:center;background-repeat:no-repeat;
// border-image: url(<file>);}" (Stretch) or the same with background-image
// (Centre) would, kept as tiles; the frame's style sheet keeps only its
// "border:0px". A second call shows the new file in the same place.
void showFramePicture(QWidget *frame, const QString &file, PageBackground::Placement placement);

#endif // PAGEBACKGROUND_H

#ifndef PICTURETILES_H
#define PICTURETILES_H

// A picture kept as tiles: each distinct square of `tile` pixels once, and
// for every place of the picture, row by row, the index of its tile. Tiles
// at the right and bottom edges are as large as the picture leaves them.
//
// The build cuts the large backgrounds into tiles once and keeps them
// beside the picture ("<picture>.tiles"): reading them back is a copy,
// where decoding the picture and cutting it took some 15 ms at each start.
// Only the toolkit's image classes are used, so the build's picture tool
// and the program share this.

#include <QImage>
#include <QSize>
#include <QString>
#include <QVector>

// The tile size of the pictures the program paints as tiles.
constexpr int kPictureTile = 16;

struct PictureTiles {
    QSize size;
    QVector<QImage> tiles;
    QVector<int> tileAt;
};

// Cuts a picture into tiles; an image of fewer than 8 bits a pixel, which
// cannot be cut along whole bytes, gives no tiles.
PictureTiles cutIntoTiles(const QImage &image, int tile);

// The tiles file of a picture file.
QString pictureTilesFile(const QString &pictureFile);

// Writes the tiles of the picture file into its tiles file. False when the
// picture cannot be read or the file not written.
bool writePictureTiles(const QString &pictureFile, int tile);

// Reads the tiles of the picture file from its tiles file. False, with
// nothing read, when there is none, or it was made from another picture
// (the picture file changed since), for another tile size, or does not
// hold what it says.
bool readPictureTiles(const QString &pictureFile, int tile, PictureTiles *out);

#endif // PICTURETILES_H

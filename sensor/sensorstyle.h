#ifndef SENSORSTYLE_H
#define SENSORSTYLE_H

// What the option widgets of the device page share: their picture folder,
// the product-wide colours they are built with, and the looks of a row of
// option buttons with captions.

#include <QList>
#include <QString>

class QAbstractButton;
class QComboBox;
class QLabel;

// programDir() + "/Picture/Sensor/".
QString sensorPictureDir();

// The Option colour `key` of the product configuration as "r,g,b"; white
// for a missing or short entry.
QString optionColorTriple(const char *key);

// "QLabel{color: rgb(<color>;);}" for a colour "r,g,b".
QString labelStyle(const QString &color);
// labelStyle() in the Option LabelColor: the title of every widget.
QString optionLabelStyle();

// A round option button: an empty ring (ReportRateOff.png) until checked,
// then ReportRate.png.
QString optionButtonStyle();
// The looks of a row of round option buttons and its title.
void styleOptionRow(const QList<QAbstractButton *> &buttons, QLabel *title);

// An on/off check box in `color` ("r,g,b") with the folder's check
// pictures.
QString switchStyle(const QString &pictureDir, const QString &color);

// A combo box in the Option combo colours with the pictures of
// `pictureDir` (ComboboxBack, ComboboxTextBack, Menu, MenuClicked), and a
// list view of its own whose chosen and hovered rows take the Option
// selection colour.
void styleOptionComboBox(QComboBox *box, const QString &pictureDir);

// A slider with a thin groove, the folder's HuaKuai.png handle and its
// filled part in the theme's slider colour.
QString themeSliderStyle(const QString &pictureDir);

// Caption colours of an option row: the selected one and the others.
extern const char kSelectedCaptionStyle[];
extern const char kPlainCaptionStyle[];

// Gives caption `selected` the selected look and every other caption the
// plain one.
void markSelectedCaption(const QList<QLabel *> &captions, int selected);

#endif // SENSORSTYLE_H

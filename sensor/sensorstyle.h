#ifndef SENSORSTYLE_H
#define SENSORSTYLE_H

// What the option widgets of the device page share: their picture folder,
// the product-wide colours they are built with, and the looks of a row of
// option buttons with captions.

#include <QList>
#include <QString>

class QButtonGroup;
class QLabel;
class QToolButton;
class QWidget;

// programDir() + "/Picture/Sensor/".
QString sensorPictureDir();

// The Option colour `key` of the product configuration as "r,g,b"; white
// for a missing or short entry.
QString optionColorTriple(const char *key);

// "QLabel{color: rgb(<Option LabelColor>;);}", the title of every widget.
QString optionLabelStyle();

// A round option button: no picture until checked, then ReportRate.png.
QString optionButtonStyle();

// An on/off check box in `color` ("r,g,b") with the folder's check
// pictures.
QString switchStyle(const QString &pictureDir, const QString &color);

// Caption colours of an option row: the selected one and the others.
extern const char kSelectedCaptionStyle[];
extern const char kPlainCaptionStyle[];

// Gives caption `selected` the selected look and every other caption the
// plain one.
void markSelectedCaption(const QList<QLabel *> &captions, int selected);

// The widgets show what the device holds; until they write to it
// themselves, a click must not change what they show.
void showOnly(const QList<QWidget *> &controls);

// A row of options: the buttons go into the exclusive group, take the
// option look and show only; the captions take the plain look and the
// title the label look.
void buildOptionRow(QButtonGroup *group, const QList<QToolButton *> &buttons, const QList<QLabel *> &captions,
                    QLabel *title);
// Checks button `index` of the row and marks its caption. An index outside
// the row changes nothing.
void selectOption(const QList<QToolButton *> &buttons, const QList<QLabel *> &captions, int index);

#endif // SENSORSTYLE_H

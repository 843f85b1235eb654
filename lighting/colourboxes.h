#ifndef COLOURBOXES_H
#define COLOURBOXES_H

// The custom colour of the lighting editor and the lighting page: three
// 0..255 boxes for red, green and blue and a preview swatch. The owner
// connects the boxes' value changes; everything here goes through the boxes,
// so each box that changes runs the owner's slot once.

#include <QColor>
#include <QPoint>

class QLabel;
class QSpinBox;
class QWidget;

class ColourBoxes
{
public:
    ColourBoxes(QSpinBox *red, QSpinBox *green, QSpinBox *blue, QLabel *preview);

    QColor colour() const;
    // Red first, then green, then blue; a box already at its value stays
    // silent.
    void setColour(const QColor &colour) const;
    // Plus or minus one; the box's range keeps 0 and 255 where they are.
    static void step(QSpinBox *box, int delta);

    // The swatch shows the boxes' colour (or the one given).
    void showPreview() const;
    void showPreview(const QColor &colour) const;

    // Takes the colour under the mouse pointer off the screen into the boxes
    // and the swatch. A screen that gives no picture leaves the colour as it
    // was (false).
    bool pickFromScreen() const;

private:
    QSpinBox *m_red;
    QSpinBox *m_green;
    QSpinBox *m_blue;
    QLabel *m_preview;
};

// A press outside all of `boxes` takes the keyboard focus from them and
// gives it to `owner`, so a number being typed is finished by a click
// anywhere else.
void releaseFocusOutside(QWidget *owner, const QPoint &pos, std::initializer_list<QWidget *> boxes);

#endif // COLOURBOXES_H

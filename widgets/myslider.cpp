#include "myslider.h"

#include <QCoreApplication>
#include <QMouseEvent>

MySlider::MySlider(QWidget *parent) : QSlider(parent) {}

void MySlider::mousePressEvent(QMouseEvent *e)
{
    QSlider::mousePressEvent(e);
    // The horizontal formula is used whatever the orientation: every slider
    // of the program lies horizontally. Truncated, not rounded, so the last
    // pixel of a 0..100 slider gives 99.
    if (width() > 0) {
        const double span = double(maximum()) - double(minimum());
        setValue(minimum() + int(span * e->pos().x() / width()));
    }
    if (QWidget *owner = parentWidget())
        QCoreApplication::postEvent(owner, new QEvent(kSliderPressedEvent));
}

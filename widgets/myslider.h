#ifndef MYSLIDER_H
#define MYSLIDER_H

#include <QEvent>
#include <QSlider>

// A slider whose handle jumps to the clicked place instead of paging toward
// it. After a press it posts kSliderPressedEvent to its parent widget, so the
// owning page can react once the value has settled.
class MySlider : public QSlider
{
public:
    static constexpr QEvent::Type kSliderPressedEvent = QEvent::Type(1001);

    explicit MySlider(QWidget *parent = nullptr);

protected:
    void mousePressEvent(QMouseEvent *e) override;
};

#endif // MYSLIDER_H

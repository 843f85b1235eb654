#ifndef DEBOUNCETIMEB_H
#define DEBOUNCETIMEB_H

// The debounce time as a slider of 0 to 20 ms under a title, with the time
// in a read-only box. Dragging shows the time; releasing writes it once.

#include <QFrame>

namespace Ui {
class DebouncetimeB;
}

class DebouncetimeB : public QFrame
{
    Q_OBJECT
public:
    explicit DebouncetimeB(QWidget *parent = nullptr);
    ~DebouncetimeB() override;

    // Slider and box show `value`; nothing is written.
    void setValue(int value);
    void setText(QString text);

public slots:
    void on_Debunce_sliderMoved(int position);
    void on_Debunce_valueChanged(int value);
    void SlotSetStyle(int index);

private:
    void showValue(int value);

    Ui::DebouncetimeB *ui;
    QString m_pictureDir;
    int m_shownValue = 0;
};

#endif // DEBOUNCETIMEB_H

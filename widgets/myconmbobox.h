#ifndef MYCONMBOBOX_H
#define MYCONMBOBOX_H

#include <QComboBox>

// A combo box that shows its current text centred in the edit field (like a
// push button label) and remembers the index it had when it was pressed, so
// an owner can revert a choice it refuses.
class MyConmboBox : public QComboBox
{
public:
    explicit MyConmboBox(QWidget *parent = nullptr);

    int pressIndex = 0;   // currentIndex() at the last mouse press

protected:
    void mousePressEvent(QMouseEvent *e) override;
    void paintEvent(QPaintEvent *e) override;
};

#endif // MYCONMBOBOX_H

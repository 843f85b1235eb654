#ifndef MYLINEEDIT_H
#define MYLINEEDIT_H

#include <QLineEdit>

// The key fields of the button page report their focus through PostMsg:
// "lineEditPress" is field 0 and "lineEditRelease" field 1. A field named
// "lineEdit" (the key-combination entry) is filled by its owner only, so it
// ignores the keyboard entirely.
class MyLineEdit : public QLineEdit
{
public:
    explicit MyLineEdit(QWidget *parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent *e) override;
    void keyReleaseEvent(QKeyEvent *e) override;
    void focusInEvent(QFocusEvent *e) override;
    void focusOutEvent(QFocusEvent *e) override;
};

#endif // MYLINEEDIT_H

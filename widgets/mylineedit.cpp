#include "mylineedit.h"

#include "postmsg.h"

MyLineEdit::MyLineEdit(QWidget *parent) : QLineEdit(parent) {}

void MyLineEdit::keyPressEvent(QKeyEvent *e)
{
    if (objectName() == QLatin1String("lineEdit"))
        return;
    QLineEdit::keyPressEvent(e);
}

void MyLineEdit::keyReleaseEvent(QKeyEvent *e)
{
    if (objectName() == QLatin1String("lineEdit"))
        return;
    QLineEdit::keyReleaseEvent(e);
}

void MyLineEdit::focusInEvent(QFocusEvent *e)
{
    const QString name = objectName();
    if (name == QLatin1String("lineEditPress"))
        PostMsg::instance()->postFocusIn(0);
    else if (name == QLatin1String("lineEditRelease"))
        PostMsg::instance()->postFocusIn(1);
    QLineEdit::focusInEvent(e);
}

void MyLineEdit::focusOutEvent(QFocusEvent *e)
{
    PostMsg::instance()->postFocusOut();
    QLineEdit::focusOutEvent(e);
}

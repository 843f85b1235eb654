#include "custompushbutton.h"

CustomPushButton::CustomPushButton(QWidget *parent) : QPushButton(parent)
{
    setCursor(Qt::ArrowCursor);
}

CustomPushButton::CustomPushButton(const QString &text, QWidget *parent)
    : QPushButton(text, parent)
{
    setCursor(Qt::ArrowCursor);
}

void CustomPushButton::setForbidden(bool value)
{
    forbidden = value;
}

void CustomPushButton::enterEvent(QEvent *e)
{
    setCursor(forbidden ? Qt::ForbiddenCursor : Qt::ArrowCursor);
    QWidget::enterEvent(e);
}

void CustomPushButton::leaveEvent(QEvent *e)
{
    setCursor(Qt::ArrowCursor);
    QWidget::leaveEvent(e);
}

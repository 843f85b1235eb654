#include "syncedtoolbutton.h"

#include "postmsg.h"

#include <QStyle>

SyncedToolButton::SyncedToolButton(QWidget *parent) : QToolButton(parent) {}

int SyncedToolButton::pairIndexForName(const QString &name)
{
    if (name == QLatin1String("toolButton") || name == QLatin1String("ButtonMain_2"))
        return 0;
    if (name == QLatin1String("toolButton_2") || name == QLatin1String("ButtonMain_3"))
        return 1;
    if (name == QLatin1String("toolButton_3") || name == QLatin1String("ButtonMain_4"))
        return 2;
    return -1;
}

void SyncedToolButton::setIsHovered(bool value)
{
    if (value == isHovered)
        return;
    isHovered = value;
    emit isHoveredChanged(value);
    // Style-sheet rules that test the property only apply after a repolish.
    style()->unpolish(this);
    style()->polish(this);
    update();
}

void SyncedToolButton::enterEvent(QEvent *e)
{
    const int pair = pairIndexForName(objectName());
    if (pair >= 0)
        PostMsg::instance()->postChangeStyle(pair, true);
    QToolButton::enterEvent(e);
}

void SyncedToolButton::leaveEvent(QEvent *e)
{
    const int pair = pairIndexForName(objectName());
    if (pair >= 0)
        PostMsg::instance()->postChangeStyle(pair, false);
    QToolButton::leaveEvent(e);
}

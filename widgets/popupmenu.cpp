#include "popupmenu.h"

PopupMenu::PopupMenu(QWidget *parent) : QMenu(parent) {}

void PopupMenu::showEvent(QShowEvent *)
{
    move(pos() + QPoint(4, 0));
}

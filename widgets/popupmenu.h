#ifndef POPUPMENU_H
#define POPUPMENU_H

#include <QMenu>

// A submenu that opens 4 pixels further right than the toolkit places it,
// so it does not cover the border of its parent menu.
class PopupMenu : public QMenu
{
    Q_OBJECT
public:
    explicit PopupMenu(QWidget *parent = nullptr);

protected:
    void showEvent(QShowEvent *e) override;
};

#endif // POPUPMENU_H

#ifndef DIALOGMAIN_H
#define DIALOGMAIN_H

// The program's only top-level window: a frameless, fixed-size dialog that
// hosts the frame (Dialog). It switches the device link between the device
// list and the device page on the hub's request, goes to the tray or closes
// the program in order, shows the offline notice, can be dragged, and
// handles Return/Enter (device list) and Space (pairing and firmware checks
// of a single connected mouse).

#include "flashdatamap.h"

#include <QDialog>
#include <QPoint>
#include <QString>
#include <QSystemTrayIcon>

class QAction;
class QMenu;
class Dialog;

namespace Ui {
class DialogMain;
}

class DialogMain : public QDialog
{
    Q_OBJECT
public:
    explicit DialogMain(QWidget *parent = nullptr);
    ~DialogMain() override;

    // Waits ms milliseconds while the event loop keeps running.

    Dialog *framePage() const { return page; }
    // The tray icon, made on first use.
    QSystemTrayIcon *systemTrayIcon();
    QMenu *systemTrayMenu() const { return trayMenu; }
    // True while the window is away in the tray (or minimised where the
    // desktop has no tray).
    bool isInTray() const { return m_inTray; }

public slots:
    void SlotChangeMainDialog(int index);
    void SlotChangeSize(int index);
    void SlotMouseOffLine(int index);
    void SlotUpPageLight();
    void on_activatedSysTrayIcon(QSystemTrayIcon::ActivationReason reason);
    void slotActionMain();
    void slotActionExitApp();
    void SlotAllLanguage(int index);

public:
    // Closes the window. Not a slot: the form has no "pushButton" to
    // connect it to by name.
    void on_pushButton_clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void goToTray();
    void restoreFromTray();
    // The end of the device link shared by closing and the tray's Exit.
    void shutDownDeviceLink();
    void spaceKey();
    void openPairing();
    QPoint centredFor(const QSize &size, int dx) const;

    Ui::DialogMain *ui = nullptr;
    QMenu *trayMenu = nullptr;
    QSystemTrayIcon *trayIcon = nullptr;
    QAction *actionMain = nullptr;
    QAction *actionExit = nullptr;
    QPoint dragOffset;
    QPoint pressGlobalPos;
    QPoint pressWindowPos;
    QString pictureDir;
    Dialog *page = nullptr;
    QString textMain;
    QString textExit;
    bool m_trayConnected = false;
    bool m_inTray = false;
    // Counts SlotChangeMainDialog calls: the way back to the list pauses,
    // and a switch made meanwhile must not be undone after it.
    int m_pageSwitches = 0;
};

#endif // DIALOGMAIN_H

#include "dialogmain.h"
#include "ui_DialogMain.h"

#include "containreset.h"
#include "deviceevent.h"
#include "devicelink.h"
#include "deviceenumeration.h"
#include "devicesearch.h"
#include "devicestate.h"
#include "devicewatch.h"
#include "dialog.h"
#include "formsetting.h"
#include "globals.h"
#include "guithread.h"
#include "imagecache.h"
#include "languageloader.h"
#include "macroeditorshared.h"
#include "macrosettings.h"
#include "match.h"
#include "mouseoffline.h"
#include "postmsg.h"
#include "registry.h"
#include "updatedecision.h"
#include "updaterepair.h"
#include "updatetraces.h"
#include "updatewarning.h"
#include "worker.h"

#include <QAction>
#include <QCoreApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QThread>

namespace {

constexpr int kListSettleMs = 100;
constexpr int kCloseWaitMs = 200;

} // namespace

DialogMain::DialogMain(QWidget *parent)
    : QDialog(parent), ui(new Ui::DialogMain)
{
    ui->setupUi(this);

    LanguageLoader loader;
    loader.LanguageTextLoader();

    // A language left behind by the installer moves into the user settings
    // once.
    {
        RegistryKey key(RegistryKey::programKeyPath(g_productName));
        const int installed = key.value(QStringLiteral("LanguageIndex")).toInt();
        if (installed != 0)
            MacroSettings::instance()->writeString("Language", "Language", QString::number(installed));
        key.remove(QStringLiteral("LanguageIndex"));
    }
    g_language = MacroSettings::instance()->readString("Language", "Language").toInt();
    // A stored index the language files cannot serve would leave every text
    // empty.
    clampCurrentLanguage();
    useToolkitLanguage(g_language);

    pictureDir = programDir() + "/Picture/Dialog/";

    page = new Dialog(this);
    ui->stackedWidgetMain->addWidget(page);
    ui->stackedWidgetMain->setCurrentWidget(page);

    setWindowFlags(Qt::FramelessWindowHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint);
    setFixedSize(width(), height());

    PostMsg *hub = PostMsg::instance();
    connect(hub, &PostMsg::SigAllLanguage, this, &DialogMain::SlotAllLanguage);
    connect(hub, &PostMsg::SigChangeMainDialog, this, &DialogMain::SlotChangeMainDialog);
    connect(hub, &PostMsg::SigChangeSize, this, &DialogMain::SlotChangeSize);
    connect(hub, &PostMsg::SigMouseOffLineo, this, &DialogMain::SlotMouseOffLine);
    connect(hub, &PostMsg::SigUpPageLight, this, &DialogMain::SlotUpPageLight);

    hub->postLanguageSameA(g_language);
    hub->postLanguageSameB(g_language);
    hub->postAllLanguage(g_language);
}

DialogMain::~DialogMain()
{
    delete ui;
    // The program never deletes its window; this is for tests.
    delete trayIcon;
}

QSystemTrayIcon *DialogMain::systemTrayIcon()
{
    // Made on first use: building a tray icon connects to the desktop's
    // session bus, which a window that never goes to the tray has no need of
    // (and which can start helper processes at start-up).
    if (!trayIcon) {
        trayIcon = new QSystemTrayIcon(nullptr);
        trayIcon->setIcon(QIcon(pictureDir + "Logo.png"));
        trayIcon->setToolTip(g_productName);
    }
    return trayIcon;
}

void DialogMain::SlotAllLanguage(int index)
{
    textMain = langText(g_langDialogMain, index, 0);
    textExit = langText(g_langDialogMain, index, 1);
}

void DialogMain::SlotChangeMainDialog(int index)
{
    g_uiWriteEnabled = 1;
    const int switchNumber = ++m_pageSwitches;
    PostMsg *hub = PostMsg::instance();
    if (index == 0) {
        hub->postSecondPageChange();
        hub->postSelectStackInde(0);
        g_devicePageActive = 0;
        hub->postMainPageChange();
        stopDeviceServer();
        // The device server winds down on the library's threads; the list
        // starts listening again only after it. The window paints meanwhile.
        pauseHoldingDeviceChanges(kListSettleMs);
        // A switch made during the pause has chosen the listener already.
        if (switchNumber != m_pageSwitches)
            return;
        watchDeviceChanges(DeviceChangeListener::DeviceList);
    } else if (index == 1) {
        // The device page talks to the chosen device from its first read on.
        // The device-page discovery would point the handle at it too, but
        // only once the library's change notice has come round, which can be
        // after the worker has started on the placeholder path.
        if (!g_selectedDevice.devicePath.isEmpty())
            setDeviceHandlePath(g_selectedDevice.devicePath.toUtf8());
        ui->stackedWidgetMain->setCurrentWidget(page);
        hub->postSelectStackInde(1);
        watchDeviceChanges(DeviceChangeListener::DevicePage);
    }
}

void DialogMain::SlotChangeSize(int index)
{
    if (index == 0 || index == 1)
        setPCDriverStatus(false);
    if (index == 0 || index == 2) {
        goToTray();
    } else if (index == 1 || index == 3) {
        qCDebug(lcDiagnostics) << "close";
        stopWatchingDeviceChanges();
        waitWithEvents(kCloseWaitMs);
        stopDeviceServer();
        close();
    }
}

void DialogMain::goToTray()
{
    // Without a system tray a hidden window could never come back: it is
    // minimised instead and comes back from the task bar.
    if (QSystemTrayIcon::isSystemTrayAvailable())
        hide();
    else
        showMinimized();
    m_inTray = true;

    // The menu is built afresh each time so it carries the current texts.
    if (trayMenu)
        trayMenu->deleteLater();
    actionMain = new QAction(textMain, this);
    connect(actionMain, &QAction::triggered, this, &DialogMain::slotActionMain);
    actionExit = new QAction(textExit, this);
    connect(actionExit, &QAction::triggered, this, &DialogMain::slotActionExitApp);
    trayMenu = new QMenu(this);
    trayMenu->addAction(actionMain);
    trayMenu->addSeparator();
    trayMenu->addAction(actionExit);
    // The actions belong to the menu, so an old menu takes its actions along.
    actionMain->setParent(trayMenu);
    actionExit->setParent(trayMenu);
    systemTrayIcon()->setContextMenu(trayMenu);

    if (!m_trayConnected) {
        connect(trayIcon, &QSystemTrayIcon::activated, this, &DialogMain::on_activatedSysTrayIcon);
        m_trayConnected = true;
    }
    if (QSystemTrayIcon::isSystemTrayAvailable())
        trayIcon->show();
}

void DialogMain::restoreFromTray()
{
    if (isMinimized())
        showNormal();
    else
        show();
    if (trayIcon)
        trayIcon->hide();
    const bool wasAway = m_inTray;
    m_inTray = false;
    // Going to the tray told the device the program stopped listening; an
    // open device page must hear it again.
    if (wasAway && g_devicePageActive == 1)
        setPCDriverStatus(true);
}

void DialogMain::on_activatedSysTrayIcon(QSystemTrayIcon::ActivationReason reason)
{
    switch (reason) {
    case QSystemTrayIcon::Context:
        if (trayMenu)
            trayMenu->exec(QCursor::pos());
        break;
    case QSystemTrayIcon::DoubleClick:
    case QSystemTrayIcon::Trigger:
        restoreFromTray();
        break;
    default:
        break;
    }
}

void DialogMain::slotActionMain()
{
    restoreFromTray();
}

void DialogMain::shutDownDeviceLink()
{
    if (!g_deviceCacheName.isEmpty()) {
        const FlashDataMap image = g_flashDataMap;
        saveDeviceInfo(g_deviceCacheName, image);
    }
    setPCDriverStatus(false);
    stopWatchingDeviceChanges();
    waitWithEvents(kCloseWaitMs);
    stopDeviceServer();
}

void DialogMain::slotActionExitApp()
{
    // Leaving from the tray ends the device link the same way closing does,
    // so the device is not left believing the program still listens.
    shutDownDeviceLink();
    if (trayIcon)
        trayIcon->hide();
    close();
    // Ends the event loop whatever other window is still open. Outside any
    // event loop there is nothing to end (and asking would make the next
    // loop end at once).
    if (QThread::currentThread()->loopLevel() > 0)
        QCoreApplication::exit(0);
}

void DialogMain::SlotMouseOffLine(int index)
{
    g_offlineNoticeReason = index;
    MouseOffLine notice(nullptr);
    const QPoint origin = mapToGlobal(QPoint(0, 0));
    notice.move(origin.x() + (width() - notice.width()) / 2, origin.y() - 20 + (height() - notice.height()) / 2);
    g_deviceLost = 1;
    g_rereadRequested = 1;
    notice.exec();
}

void DialogMain::SlotUpPageLight()
{
}

void DialogMain::on_pushButton_clicked()
{
    close();
}

void DialogMain::mousePressEvent(QMouseEvent *event)
{
    pressGlobalPos = event->globalPos();
    pressWindowPos = pos();
    dragOffset = pressGlobalPos - pressWindowPos;
}

void DialogMain::mouseMoveEvent(QMouseEvent *event)
{
    if (event->buttons() != Qt::LeftButton || isMaximized())
        return;
    if (dragOffset.isNull())
        return;
    move(event->globalPos() - dragOffset);
}

void DialogMain::mouseReleaseEvent(QMouseEvent *event)
{
    Q_UNUSED(event);
    dragOffset = QPoint(0, 0);
}

void DialogMain::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    // Where there is no tray the window was minimised; coming back from the
    // task bar is the same as coming back from the tray.
    if (event->type() == QEvent::WindowStateChange && m_inTray && !isMinimized() && isVisible())
        restoreFromTray();
}

void DialogMain::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_F12:
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        PostMsg::instance()->postEnterKey();
        return;
    case Qt::Key_Space:
        spaceKey();
        return;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
}

QPoint DialogMain::centredFor(const QSize &size, int dx) const
{
    const QPoint origin = mapToGlobal(QPoint(0, 0));
    return QPoint(origin.x() + (width() - size.width()) / 2 + dx, origin.y() + (height() - size.height()) / 2);
}

void DialogMain::openPairing()
{
    Match match(nullptr);
    g_pairWithStoredDevice = 0;
    match.init();
    match.move(centredFor(match.size(), 0));
    match.exec();
    restartEventServer();
}

void DialogMain::spaceKey()
{
    if (g_macroRecording)
        return;
    if (g_shownDevices.size() != 1 || g_shownDevices.first().isWired)
        return;
    const FirmwareOffer offer = checkDeviceFirmware(g_shownDevices.first()).offer;
    if (offer == FirmwareOffer::PairFirst) {
        openPairing();
        return;
    }
    UpDateRepair updater(nullptr);
    updater.move(centredFor(updater.size(), 0));

    switch (offer) {
    case FirmwareOffer::PairFirst:
    case FirmwareOffer::PairAgain:
        openPairing();
        break;
    case FirmwareOffer::MouseUpdate: {
        UpDateWarning warning(nullptr);
        warning.setText(g_updateWarningText);
        warning.move(centredFor(warning.size(), -20));
        warning.exec();
        break;
    }
    case FirmwareOffer::ReceiverUpdate: {
        ContainReset question(nullptr);
        question.setText(g_mouseIsNewTipsText);
        question.move(centredFor(question.size(), -20));
        question.exec();
        if (question.accepted) {
            updater.startAutoUpdate(0);
            updater.exec();
        }
        break;
    }
    }
}

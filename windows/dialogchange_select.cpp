// The device list page's reactions to the user: choosing a card, the
// arrows, the repair button and the two notice frames.

#include "devicestate.h"
#include "dialogchange.h"
#include "ui_DialogChange.h"

#include "afterfirstpaint.h"
#include "configsettings.h"
#include "devicelink.h"
#include "deviceenumeration.h"
#include "devicesearch.h"
#include "devicewatch.h"
#include "guithread.h"
#include "updatedecision.h"
#include "formsetting.h"
#include "globals.h"
#include "macrosettings.h"
#include "match.h"
#include "pagerepairdialog.h"
#include "postmsg.h"
#include "repair.h"
#include "updaterepair.h"
#include "updatetraces.h"
#include "updatewarning.h"
#include "worker.h"

#include <QThread>

bool DialogChange::s_openingDevice = false;

namespace {

// The pause between showing the device page and starting the Worker.
constexpr int kOpenPauseMs = 150;

int readNumber(const QString &group, const QString &key)
{
    return ConfigSettings::instance()->readString(group, key).toInt(nullptr, 10);
}

bool deviceOnline(const DeviceAllInfo &device)
{
    return deviceAnswers(device.devicePath.toLatin1().constData());
}

// Exactly two shown entries of one model, the clicked one offline and the
// other online. Entry 0 is asked first, entry 1 only when 0's answer fits.
bool isTwinCase(int n)
{
    if (g_shownDevices.size() != 2 || (n != 0 && n != 1))
        return false;
    const DeviceAllInfo &first = g_shownDevices.at(0);
    const DeviceAllInfo &second = g_shownDevices.at(1);
    if (first.cid != second.cid || first.mid != second.mid)
        return false;
    const bool firstOnline = deviceOnline(first);
    if (n == 0)
        return !firstOnline && deviceOnline(second);
    return firstOnline && !deviceOnline(second);
}

} // namespace

QPoint DialogChange::centredPosition(const QSize &dialogSize) const
{
    return mapToGlobal(QPoint(0, 0)) + QPoint((width() - dialogSize.width()) / 2, (height() - dialogSize.height()) / 2);
}

void DialogChange::slotButtonClicked()
{
    // Dialogs below run nested event loops; cards rebuilt meanwhile stay
    // alive until this handler is done.
    struct SelectionScope {
        SelectionScope() { ++DialogChange::s_selectionDepth; }
        ~SelectionScope()
        {
            if (--DialogChange::s_selectionDepth == 0)
                DialogChange::releaseRetiredWidgets();
        }
    } scope;

    // The device page is on its way: the list takes no other choice.
    if (s_openingDevice)
        return;
    // The pages this choice speaks to may still wait for the window's
    // first paint: they are built now.
    runWorksAfterFirstPaintNow(window());
    PostMsg *hub = PostMsg::instance();
    hub->postSetver(6);

    QString name = sender() ? sender()->objectName() : QString();
    name.remove(QStringLiteral("btn"));
    bool ok = false;
    const int n = name.toInt(&ok, 10);
    if (!ok || n < 0 || n >= g_shownDevices.size())
        return;
    // The list may be rebuilt while a dialog of this handler is open: work
    // on a copy of the device taken now.
    const DeviceAllInfo device = g_shownDevices.at(n);
    const QString group = driveGroup(device.driveIndex);

    const int mid = readNumber(group, "MID");
    if (mid >= 1 && mid <= 67)
        g_deviceMid = mid;
    hub->postMouseIndex(g_deviceMid);

    loadThemeColorSet(readNumber(group, "ColorKey"));
    hub->postSetStyle(0);

    if (isTwinCase(n) && runDeviceCheck(device) == CheckOutcome::Stop)
        return;

    if (device.driveIndex == g_deviceTotal) {
        // An unrecognised device is never opened.
        if (!device.isWired)
            runDeviceCheck(device);
        return;
    }

    openDevice(device);
}

DialogChange::CheckOutcome DialogChange::runDeviceCheck(const DeviceAllInfo &device)
{
    switch (checkDeviceFirmware(device).offer) {
    case FirmwareOffer::PairFirst:
        openPairingDialog(device);
        return CheckOutcome::Stop;
    case FirmwareOffer::ReceiverUpdate:
        return CheckOutcome::GoOn;
    case FirmwareOffer::MouseUpdate: {
        UpDateWarning warning;
        warning.setText(g_updateWarningText);
        warning.move(centredPosition(warning.size()) - QPoint(20, 0));
        warning.exec();
        return CheckOutcome::Stop;
    }
    case FirmwareOffer::PairAgain:
        break;
    }

    bool confirmed = false;
    {
        RePair question;
        question.move(centredPosition(question.size()));
        question.exec();
        confirmed = question.accepted;
    }
    if (confirmed)
        openPairingDialog(device);
    return CheckOutcome::Stop;
}

void DialogChange::openPairingDialog(const DeviceAllInfo &device)
{
    g_pairWithStoredDevice = 1;
    g_pairDevice = device;
    Match match;
    match.init();
    match.move(centredPosition(match.size()));
    match.exec();
}

void DialogChange::openDevice(const DeviceAllInfo &device)
{
    PostMsg *hub = PostMsg::instance();
    // The Worker takes the selection in its slot, on this thread, at once.
    hub->postSelectMouseInfo(device);

    const bool receiverUpdate = decideOpenedReceiverUpdate(device);
    hub->postLabelTextB(device.usbVersion, receiverUpdate ? QStringLiteral("true") : QString());

    hub->postChangeMainDialog(1);
    // The window paints the device page meanwhile; a second card click
    // during the pause is not taken (slotButtonClicked).
    s_openingDevice = true;
    pauseHoldingDeviceChanges(kOpenPauseMs);
    s_openingDevice = false;

    // The page counts as shown before the Worker starts: run() reads the
    // flag at once on its own thread, and a run that still saw the list
    // would not start the device server.
    g_devicePageActive = 1;
    g_workerReadPending = 1;
    if (g_worker && !g_worker->isRunning())
        g_worker->start(QThread::InheritPriority);
}

// ---- The page's own controls ---------------------------------------------------------

void DialogChange::on_LeftButton_clicked()
{
    ui->label_2->hide();
    ui->label_3->show();
    const int i = ui->stackedWidget->currentIndex();
    if (i > 0)
        ui->stackedWidget->setCurrentIndex(i - 1);
    updateArrows();
}

void DialogChange::on_RightButton_clicked()
{
    ui->label_2->hide();
    ui->label_3->show();
    const int i = ui->stackedWidget->currentIndex();
    if (i >= 0 && i < ui->stackedWidget->count() - 1)
        ui->stackedWidget->setCurrentIndex(i + 1);
    updateArrows();
}

void DialogChange::on_CloseButton_clicked()
{
    ui->QuestionB->hide();
}

void DialogChange::on_Repair_clicked()
{
    runWorksAfterFirstPaintNow(window());
    UpDateRepair *dialog = g_updateRepairDialog;
    if (!dialog)
        return;
    dialog->move(centredPosition(dialog->size()));
    dialog->resetView();
    dialog->setModal(true);
    PostMsg::instance()->postRepairCheckUpdate();
    dialog->show();
}

void DialogChange::on_label_linkHovered(QString link)
{
    Q_UNUSED(link);
}

void DialogChange::on_CloseButton_2_clicked()
{
    ui->FindVer->hide();
}

void DialogChange::on_NewHong_clicked()
{
    ui->FindVer->hide();
}

void DialogChange::on_NoApear_clicked(bool checked)
{
    MacroSettings::instance()->writeString("FindNew", "IsShow", checked ? "1" : "0");
}

// The settings page's side of the firmware update: the version labels, the
// update button, the dialog the page shows for the engine's checks and run,
// and the re-pairing operations the page keeps. What is flashed, when, and
// how a run ends is the engine's (device/updateengine.h).

#include "devicestate.h"
#include "formsetting.h"
#include "ui_FormSetting.h"

#include "deviceenumeration.h"
#include "devicesearch.h"
#include "firmwareimage.h"
#include "globals.h"
#include "guithread.h"
#include "pagerepairdialog.h"
#include "postmsg.h"
#include "updatedecision.h"
#include "updateengine.h"
#include "updaterepair.h"
#include "updatewarning.h"

#include <QApplication>
#include <QTimer>

#include <utility>

int g_transitionMode = 0;
QString g_textNoRecieve, g_textNoUSB, g_textError, g_textMultiMouse, g_textMultiDongle;
unsigned char g_pairQueryOnline = 0;
QByteArray g_receiverIdBytes;

namespace {
UpdateEngine *engine()
{
    return UpdateEngine::instance();
}

// How long an update offer waits for the device page's scan at most.
constexpr qint64 kScanWaitMs = 10000;

} // namespace

QString FormSetting::reasonText(UpdateReason reason) const
{
    switch (reason) {
    case UpdateReason::NoReceiver: return g_textNoRecieve;
    case UpdateReason::NoCable: return g_textNoUSB;
    case UpdateReason::MultiMouse: return g_textMultiMouse;
    case UpdateReason::MultiDongle: return g_textMultiDongle;
    case UpdateReason::NoDevice: return m_textNoDevice;
    case UpdateReason::SameDevice: return m_textSameDevice;
    case UpdateReason::WiredMode: return g_updateWarningText;
    case UpdateReason::VersionNew: return m_textVerNew;
    case UpdateReason::StillWriting: return m_textStillWriting;
    case UpdateReason::FileError: return m_textFileError;
    case UpdateReason::ForeignMouse: return m_textForeignMouse;
    case UpdateReason::OtherDevice: return m_textSameDevice;
    case UpdateReason::MouseOffCable: return langText(g_langAutoRepair, g_language, 15);
    case UpdateReason::NoReceiverImage: return langText(g_langAutoRepair, g_language, 16);
    case UpdateReason::NoMouseImage: return langText(g_langAutoRepair, g_language, 17);
    case UpdateReason::NoAnswer: return langText(g_langAutoRepair, g_language, 18);
    case UpdateReason::None: return QString();
    case UpdateReason::Error: break;
    }
    return g_textError;
}

// ---- The check and the dialog ------------------------------------------------------------

bool FormSetting::ChechIsUpDate()
{
    buildUpdateDialogs();
    const UpdateReason reason = engine()->checkUpdate();
    if (reason == UpdateReason::None)
        return true;
    g_updateRepairDialog->setStateText(reasonText(reason));
    g_updateRepairDialog->showErrorView();
    return false;
}

void FormSetting::placeUpdateDialog(int dx, int dy)
{
    buildUpdateDialogs();
    const QPoint g = mapToGlobal(QPoint(0, 0));
    UpDateRepair *dialog = g_updateRepairDialog;
    dialog->move(g.x() + (width() - dialog->width()) / 2 + dx, g.y() + (height() - dialog->height()) / 2 + dy);
}

void FormSetting::openUpdateDialog(bool userAsked, int dx, int dy)
{
    buildUpdateDialogs();
    UpDateRepair *dialog = g_updateRepairDialog;
    dialog->setModal(true);
    dialog->resetView();
    if (ChechIsUpDate()) {
        dialog->showReadyView();
    } else if (engine()->upToDate()) {
        showUpToDate();
        return;
    } else if (!userAsked) {
        // Why nothing can start is told to a user who asked for the
        // update; an offer the program makes by itself is only made when
        // there is something to start.
        return;
    }
    placeUpdateDialog(dx, dy);
    dialog->show();
}

void FormSetting::on_Receive_2_clicked()
{
    m_firstPlacement = 0;
    m_offerWaiting = false;
    if (engine()->upToDate())
        return;
    // A run's dialog, or its end view, is on screen; while a write given up
    // on may still go on, the check says so.
    if (engine()->dialogHeld())
        return;
    qCDebug(lcDiagnostics) << "2";
    openUpdateDialog(true, 1, -14);
}

void FormSetting::SlotCheckUpdate()
{
    // A run's view, and its end view until the user dismisses it, is not
    // replaced by a check.
    if (engine()->dialogHeld())
        return;
    if (ChechIsUpDate())
        g_updateRepairDialog->showReadyView();
}

void FormSetting::SlotButtonclick()
{
    SlotCheckUpdate();
}

void FormSetting::SlotUpdateFrame(bool IsVis)
{
    // An offer made while another waits goes on waiting from then.
    if (!std::exchange(m_offerWaiting, false))
        m_offerWaited.invalidate();
    if (!IsVis) {
        // Only the user closes a run's dialog, also once it shows the end.
        if (g_updateRepairDialog && !engine()->dialogHeld())
            g_updateRepairDialog->close();
        return;
    }
    // A new check would put the ready view over the run's progress; and
    // while a step given up on may still write, nothing is offered.
    if (engine()->updateUnderWay())
        return;
    if (engine()->upToDate())
        return;
    if (!offerCanShow()) {
        // Asked again shortly, while the device page is shown.
        if (g_devicePageActive == 1) {
            if (!m_offerWaited.isValid())
                m_offerWaited.start();
            m_offerWaiting = true;
            m_offerRetry->start();
        }
        return;
    }
    if (m_firstPlacement)
        openUpdateDialog(false, 75, 75);
    else
        openUpdateDialog(false, 1, -14);
}

bool FormSetting::offerCanShow() const
{
    // The check answers for the devices the device page's scan lists:
    // before that scan it would tell of devices that are not there (a scan
    // that does not come holds the offer back only for a while). A notice
    // that is up (the device's settings being read) is not covered by the
    // offer.
    const bool listed = g_deviceListCurrent || (m_offerWaited.isValid() && m_offerWaited.elapsed() > kScanWaitMs);
    const QWidget *modal = QApplication::activeModalWidget();
    return listed && (!modal || modal == g_updateRepairDialog);
}

// ---- The run -------------------------------------------------------------------------------

void FormSetting::on_Start()
{
    // A run that goes on keeps its view.
    if (engine()->runInProgress())
        return;
    buildUpdateDialogs();
    g_updateRepairDialog->showUpdatingView();
    switch (engine()->confirmUpdate()) {
    case UpdateEngine::Armed::Receiver:
        ui->toolButton_2->setVisible(true);
        break;
    case UpdateEngine::Armed::Continued:
        setUpToDateStyle();
        break;
    case UpdateEngine::Armed::Mouse:
    case UpdateEngine::Armed::Nothing:
        break;
    }
}

void FormSetting::on_Receive_clicked()
{
    engine()->armReceiver();
}

void FormSetting::on_Mouse_clicked()
{
    engine()->armMouse();
}

void FormSetting::SlotContinue(int)
{
    engine()->continueRun();
}

void FormSetting::onDongleCheckTimer()
{
    engine()->runStep(kReceiverDeviceCode);
}

void FormSetting::onMouseCheckTimer()
{
    engine()->runStep(kMouseDeviceCode);
}

void FormSetting::runUpdateStep(int step, int deviceCode, QString versionText)
{
    // The engine keeps its own step and reads the device's version from the
    // device core, not from a text a page shows.
    Q_UNUSED(step);
    Q_UNUSED(versionText);
    engine()->runStep(deviceCode);
}

int FormSetting::deferredWarning(int deviceCode) const
{
    return engine()->deferredWarning(deviceCode);
}

void FormSetting::showReceiverResult()
{
    engine()->showStepEnd(kReceiverDeviceCode);
}

void FormSetting::showMouseResult()
{
    engine()->showStepEnd(kMouseDeviceCode);
}

void FormSetting::showStepEnd(int deviceCode, int state)
{
    if (deviceCode == kReceiverDeviceCode) {
        if (state == UpdateNothingNew || state == UpdateSucceeded || state == UpdateRunning)
            ui->toolButton_2->setVisible(true);
        if (state == UpdateNothingNew || state == UpdateSucceeded)
            setUpToDateStyle();
        return;
    }
    if (state == UpdateNothingNew)
        showUpToDate();
    if (state == UpdateNothingNew || state == UpdateSucceeded)
        setUpToDateStyle();
}

void FormSetting::showDeviceWarning(int deviceCode, UpdateReason reason)
{
    Q_UNUSED(deviceCode);
    buildUpdateDialogs();
    const QPoint g = mapToGlobal(QPoint(0, 0));
    m_updateWarning->move(g.x() + (width() - m_updateWarning->width()) / 2 + 20,
                          g.y() + (height() - m_updateWarning->height()) / 2 - 50);
    m_updateWarning->setModal(true);
    m_updateWarning->setText(reasonText(reason));
    m_updateWarning->show();
}

void FormSetting::showRunEndedWithout(UpdateReason reason)
{
    // The dialog still shows the update as running: it says why nothing was
    // flashed.
    if (!g_updateRepairDialog)
        return;
    g_updateRepairDialog->setStateText(reasonText(reason));
    g_updateRepairDialog->showErrorView();
}

void FormSetting::upgradeStepCallback(const unsigned char *event)
{
    UpdateEngine::updaterCallback(event);
}

void FormSetting::stopChecks()
{
    engine()->stopCheckTimers();
}

bool FormSetting::isReceiverUpdateRunning()
{
    return g_receiverUpdateState == UpdateRunning;
}

bool FormSetting::isMouseUpdateRunning()
{
    return g_mouseUpdateState == UpdateRunning;
}


// ---- Versions --------------------------------------------------------------------------------

void FormSetting::SetVer(int index)
{
    switch (index) {
    case 0: {
        const FirmwareHint hint = decideAvailableUpdates();
        if (hint.checked) {
            engine()->devicesChecked(hint.waiting);
            showUpToDate();
            PostMsg::instance()->postUpdateFrame(hint.waiting);
            if (hint.waiting)
                setUpdateWaitingStyle();
            else
                setUpToDateStyle();
        }
        showReceiverVersion(hint.versions.receiverVersion);
        showMouseVersion(hint.versions.mouseVersion);
        break;
    }
    case 1:
        engine()->clearDeferredWarning(kReceiverDeviceCode);
        break;
    case 2:
        engine()->clearDeferredWarning(kMouseDeviceCode);
        break;
    case 3:
        engine()->forgetUpToDate();
        showUpToDate();
        break;
    case 4:
    case 5:
        // A device came or went: "up to date" stays until a check of the
        // devices says otherwise.
        showUpToDate();
        ui->toolButton_2->setVisible(true);
        engine()->forgetChecks();
        if (index == 5) {
            const SelectedFirmware versions = selectedFirmware();
            showReceiverVersion(versions.receiverVersion);
            showMouseVersion(versions.mouseVersion);
        }
        break;
    case 6:
        // Another device is chosen: nothing is known of it yet.
        engine()->forgetUpToDate();
        showUpToDate();
        showReceiverVersion(QString());
        showMouseVersion(QString());
        break;
    default:
        break;
    }
}

void FormSetting::showReceiverVersion(const QString &version)
{
    ui->label_5->setText(version);
}

void FormSetting::showMouseVersion(const QString &version)
{
    ui->label_7->setText(version);
}

void FormSetting::SetVerText()
{
    engine()->markUpToDate();
    showUpToDate();
}

void FormSetting::showUpToDate()
{
    ui->Receive_2->setText(engine()->upToDate() ? m_textVerNew : m_textReceive);
}

void FormSetting::SlotGetRealVer()
{
    g_settingsVersionTextB = ui->label_7->text();
    g_settingsVersionTextA = ui->label_5->text();
}

// ---- Images ------------------------------------------------------------------------------

bool FormSetting::isNewFirmwareInBin(unsigned char deviceCode, QString version, QString modelName,
                                     unsigned char cid, unsigned char mid)
{
    return searchFirmwareImages(FirmwareSearchMode::ChooseForUpdate, deviceCode, version, modelName, cid, mid,
                                &g_firmwareImageList);
}

bool FormSetting::isNewFirmwareAvailable(unsigned char deviceCode, QString version, QString modelName,
                                         unsigned char cid, unsigned char mid)
{
    return searchFirmwareImages(FirmwareSearchMode::AnswerOnly, deviceCode, version, modelName, cid, mid, nullptr);
}

int FormSetting::checkFirmwareUpdate(int deviceCode, QString version, int receiverClass)
{
    return firmwareUpdateAvailable(deviceCode, version, receiverClass);
}

bool FormSetting::isImageForListedDevice(QString path)
{
    return imageForListedDevice(path);
}

// ---- Re-pairing ------------------------------------------------------------------------

unsigned char FormSetting::pairReceiverToWiredMouse()
{
    // The id is handed on within the run and not kept for a resend.
    if (pairWiredMiceWithReceivers(g_deviceList, g_updateReceiverClass, &g_pairQueryOnline))
        g_receiverIdBytes.clear();
    return g_pairQueryOnline;
}

void FormSetting::resendReceiverId()
{
    // Without a kept id the mice would be given the id 00 00 00, which
    // pairs them with no receiver at all.
    if (g_pairQueryOnline != 0 && g_receiverIdBytes.size() == 3)
        sendReceiverIdToWiredMice(g_deviceList, receiverIdRecord(g_receiverIdBytes, g_updateReceiverClass));
}

void FormSetting::waitWithEventLoop(int ms)
{
    waitWithEvents(ms);
}

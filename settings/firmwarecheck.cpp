// The settings page's firmware check: what the update dialog offers, the
// update button, the start and arming of a run, the version labels, and the
// re-pairing operations the page keeps.

#include "formsetting.h"
#include "ui_FormSetting.h"

#include "HIDUsb.h"
#include "configsettings.h"
#include "devicesearch.h"
#include "firmwareimage.h"
#include "globals.h"
#include "mouseversion.h"
#include "guithread.h"
#include "pagerepairdialog.h"
#include "postmsg.h"
#include "updaterepair.h"
#include "updaterun.h"
#include "updatetraces.h"

#include <QDebug>
#include <QFileInfo>
#include <QTimer>

namespace {

// The first listed receiver that reports a paired mouse (and, when asked,
// whose link gives it a receiver class); null when there is none.
const DeviceAllInfo *listedReceiver(bool withClass)
{
    for (const DeviceAllInfo &entry : qAsConst(g_deviceList)) {
        if (!entry.subDevices.isEmpty() && !entry.isWired && (!withClass || receiverClassOfLink(entry.linkType) != 0))
            return &entry;
    }
    return nullptr;
}

} // namespace

void FormSetting::selectedVersions(QString *receiverVersion, QString *mouseVersion) const
{
    if (!g_selectedDevice.online) {
        *receiverVersion = g_selectedDevice.usbVersion;
        mouseVersion->clear();
    } else if (!g_selectedDevice.isWired) {
        *receiverVersion = g_selectedDevice.usbVersion;
        *mouseVersion = g_selectedDevice.mouseVersion;
    } else {
        const DeviceAllInfo *receiver = g_deviceList.size() == 2 ? listedReceiver(false) : nullptr;
        *receiverVersion = receiver ? receiver->usbVersion : QString();
        *mouseVersion = g_selectedDevice.mouseVersion;
    }
}

int FormSetting::selectedReceiverClass() const
{
    if (!g_selectedDevice.isWired)
        return receiverClassOfLink(g_selectedDevice.linkType);
    const DeviceAllInfo *receiver = g_deviceList.size() == 2 ? listedReceiver(true) : nullptr;
    return receiver ? receiverClassOfLink(receiver->linkType) : 0;
}

bool FormSetting::ChechIsUpDate()
{
    buildUpdateDialogs();
    UpDateRepair *dialog = g_updateRepairDialog;
    const auto message = [dialog](const QString &text) {
        dialog->setStateText(text);
        dialog->showErrorView();
        return false;
    };
    g_updateReceiverClass = 0;
    m_failedWasMouse = 0;
    const QStringList record = readUpdateFailFields();

    ConfigSettings *config = ConfigSettings::instance();
    m_driveGroup = selectedDriveGroup();
    const QString mouseModel = config->readString(m_driveGroup, "MM");
    const u8 mid = u8(config->readString(m_driveGroup, "MID").toInt(nullptr, 10));
    // The searches ask for the product's CID: read it here rather than
    // trusting that another check has stored it already.
    g_updateCid = config->readString("Option", "CID").toInt(nullptr, 10);
    const u8 cid = u8(g_updateCid & 0xFF);

    const int listed = g_deviceList.size();
    if (listed == 0)
        return message(g_textError);

    if (listed >= 3) {
        int wired = 0, receivers = 0;
        for (const DeviceAllInfo &entry : qAsConst(g_deviceList))
            ++(entry.isWired ? wired : receivers);
        if (receivers >= 2)
            dialog->setStateText(g_textMultiDongle);
        if (wired >= 2)
            dialog->setStateText(g_textMultiMouse);
        dialog->showErrorView();
        return false;
    }

    if (listed == 1) {
        // A repair: the device that failed waits in update mode and is not
        // listed; the listed one is the other part of the product.
        const DeviceAllInfo &entry = g_deviceList.first();
        if (record.isEmpty())
            return message(entry.isWired ? g_textNoRecieve : g_textNoUSB);
        const int failedCode = record.at(0).toInt(nullptr, 10);
        const QString failedClass = record.at(1);
        const int failedCid = record.at(2).toInt(nullptr, 10);
        const int failedMid = record.at(3).toInt(nullptr, 10);
        if (failedCode == kReceiverDeviceCode) {
            if (!entry.isWired || entry.mid != failedMid)
                return message(g_textNoUSB);
        } else if (failedCode == kMouseDeviceCode) {
            m_failedWasMouse = 1;
            if (entry.isWired || entry.mid != failedMid)
                return message(g_textNoRecieve);
        } else {
            return message(g_textError);
        }
        if (QStringList({"1", "2", "4", "8"}).contains(failedClass)) {
            g_updateReceiverClass = failedClass.toInt(nullptr, 10);
            m_failedReceiverModel = config->readString(m_driveGroup, receiverModelKey(g_updateReceiverClass));
        }
        if (entry.cid != failedCid)
            return message(g_textError);

        const u8 recordCid = u8(failedCid & 0xFF);
        const bool image = failedCode == kReceiverDeviceCode ? isNewFirmwareInBin(kReceiverDeviceCode, QString(), m_failedReceiverModel, recordCid, mid)
                                             : isNewFirmwareInBin(kMouseDeviceCode, QString(), mouseModel, recordCid, mid);
        // Without an image there is nothing to flash and nothing to ask the
        // library about.
        if (!image || g_firmwareImageList.isEmpty())
            return message(g_textError);
        int count = 5;
        UsbUpgradeC_FindBootDevices(reinterpret_cast<const unsigned char *>(g_firmwareImageList.first().constData()),
                                    &count);
        if (count == 0)
            return message(m_textNoDevice);
        if (count != 1)
            return message(m_textSameDevice);
        const bool other = failedCode == kReceiverDeviceCode
                               ? isNewFirmwareInBin(kMouseDeviceCode, m_mouseVersion, mouseModel, cid, mid)
                               : isNewFirmwareInBin(kReceiverDeviceCode, m_receiverVersion, m_failedReceiverModel, cid, mid);
        g_updateImageCount = other ? 2 : 1;
        return true;
    }

    // An update: the receiver and the mouse on its cable are listed.
    const DeviceAllInfo &first = g_deviceList.at(0);
    const DeviceAllInfo &second = g_deviceList.at(1);
    if (!first.isWired && !second.isWired)
        return message(g_textNoUSB);
    if (first.mid != second.mid)
        return message(g_textNoRecieve);
    const DeviceAllInfo *receiver = listedReceiver(true);
    if (!receiver)
        return message(g_textNoRecieve);
    g_updateReceiverClass = receiverClassOfLink(receiver->linkType);
    m_receiverModel = config->readString(m_driveGroup, receiverModelKey(g_updateReceiverClass));

    QString receiverVersion, mouseVersion;
    selectedVersions(&receiverVersion, &mouseVersion);
    const bool receiverNew = isNewFirmwareInBin(kReceiverDeviceCode, receiverVersion, m_receiverModel, cid, mid);
    const bool mouseNew = isNewFirmwareInBin(kMouseDeviceCode, mouseVersion, mouseModel, cid, mid);
    g_update210Available = mouseNew ? 1 : 0;
    if (receiverNew) {
        g_updateImageCount = mouseNew ? 2 : 1;
        return true;
    }
    if (mouseNew) {
        g_updateImageCount = 1;
        return true;
    }
    m_updateNotNeeded = 1;
    return message(m_textVerNew);
}

void FormSetting::placeUpdateDialog(int dx, int dy)
{
    buildUpdateDialogs();
    const QPoint g = mapToGlobal(QPoint(0, 0));
    UpDateRepair *dialog = g_updateRepairDialog;
    dialog->move(g.x() + (width() - dialog->width()) / 2 + dx, g.y() + (height() - dialog->height()) / 2 + dy);
}

void FormSetting::openUpdateDialog()
{
    buildUpdateDialogs();
    UpDateRepair *dialog = g_updateRepairDialog;
    dialog->setModal(true);
    dialog->resetView();
    if (ChechIsUpDate()) {
        dialog->showReadyView();
        dialog->show();
    } else if (m_updateNotNeeded) {
        ui->Receive_2->setText(m_textVerNew);
    } else {
        dialog->show();
    }
}

void FormSetting::on_Receive_2_clicked()
{
    m_firstPlacement = 0;
    if (ui->Receive_2->text() == m_textVerNew)
        return;
    if (g_firmwareUpdating || g_upgradeIdle == 0)
        return;
    m_updateNotNeeded = 0;
    placeUpdateDialog(1, -14);
    qDebug() << "2";
    openUpdateDialog();
}

void FormSetting::SlotCheckUpdate()
{
    if (ChechIsUpDate())
        g_updateRepairDialog->showReadyView();
}

void FormSetting::on_Start()
{
    buildUpdateDialogs();
    m_bootCount1 = 0;
    m_bootCount2 = 0;
    m_bootCount4 = 0;
    m_bootCount8 = 0;
    g_updateEndShown = false;
    g_updateFlashed = false;
    g_updateRepairDialog->showUpdatingView();

    ConfigSettings *config = ConfigSettings::instance();
    const u8 mid = u8(config->readString(m_driveGroup, "MID").toInt(nullptr, 10));
    const bool receiverNew =
        isNewFirmwareInBin(kReceiverDeviceCode, m_receiverVersion, m_failedReceiverModel, u8(g_updateCid & 0xFF), mid);
    if (!receiverNew && m_failedWasMouse == 1) {
        m_continueUpdate = 1;
        on_Mouse_clicked();
        return;
    }
    if (!isUpdateRunning() && !m_mouseCheckRunning && !m_updateNotNeeded) {
        ui->toolButton_2->setVisible(true);
        armRun(kReceiverDeviceCode);
        return;
    }
    if (m_updateNotNeeded) {
        setUpToDateStyle();
        SlotContinue(0);
    }
}

void FormSetting::on_Receive_clicked()
{
    g_updateReceiverClass = selectedReceiverClass();
    if (!m_updateNotNeeded && !m_mouseCheckRunning)
        armRun(kReceiverDeviceCode);
}

void FormSetting::armRun(int deviceCode)
{
    markChecksRunning();
    m_updateStep = 0;
    if (deviceCode == kReceiverDeviceCode) {
        m_receiverWarning = 0;
        SetVer(2);
    } else {
        m_mouseWarning = 0;
        SetVer(1);
    }
    g_upgradeIdle = 0;
    (deviceCode == kReceiverDeviceCode ? g_dongleCheckTimer : g_mouseCheckTimer)->start();
    (deviceCode == kReceiverDeviceCode ? m_receiverCheckRunning : m_mouseCheckRunning) = 1;
}

void FormSetting::SetVer(int index)
{
    QString receiverVersion, mouseVersion;
    switch (index) {
    case 0:
        selectedVersions(&receiverVersion, &mouseVersion);
        if (QFileInfo::exists(programDir() + "/bin")) {
            const int receiverClass = selectedReceiverClass();
            g_update210Available = u8(checkFirmwareUpdate(kMouseDeviceCode, mouseVersion, receiverClass));
            g_update211Available = u8(checkFirmwareUpdate(kReceiverDeviceCode, receiverVersion, receiverClass));
            if (!g_update210Available && !g_update211Available) {
                PostMsg::instance()->postUpdateFrame(false);
                setUpToDateStyle();
            } else {
                PostMsg::instance()->postUpdateFrame(true);
                setUpdateWaitingStyle();
            }
        }
        showReceiverVersion(receiverVersion);
        showMouseVersion(mouseVersion);
        break;
    case 1:
        m_receiverWarning = 0;
        break;
    case 2:
        m_mouseWarning = 0;
        break;
    case 3:
        ui->Receive_2->setText(m_textReceive);
        break;
    case 4:
    case 5:
        ui->Receive_2->setText(m_textReceive);
        m_receiverWarning = 0;
        m_mouseWarning = 0;
        ui->toolButton_2->setVisible(true);
        m_updateNotNeeded = 0;
        m_mouseUpdateNotNeeded = 0;
        m_mouseCheckRunning = 0;
        m_receiverCheckRunning = 0;
        if (index == 5) {
            selectedVersions(&receiverVersion, &mouseVersion);
            showReceiverVersion(receiverVersion);
            showMouseVersion(mouseVersion);
        }
        break;
    case 6:
        showReceiverVersion(QString());
        showMouseVersion(QString());
        break;
    default:
        break;
    }
}

void FormSetting::showReceiverVersion(const QString &version)
{
    m_receiverVersion = version;
    ui->label_5->setText(version);
}

void FormSetting::showMouseVersion(const QString &version)
{
    m_mouseVersion = version;
    ui->label_7->setText(version);
}

void FormSetting::SetVerText()
{
    ui->Receive_2->setText(m_textVerNew);
}

void FormSetting::SlotGetRealVer()
{
    g_settingsVersionTextB = m_mouseVersion;
    g_settingsVersionTextA = m_receiverVersion;
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

DeviceFirmwareCheck checkDeviceFirmware(const DeviceAllInfo &device)
{
    ConfigSettings *config = ConfigSettings::instance();
    const QString group = driveGroup(device.driveIndex);
    const QString cidText = config->readString("Option", "CID");
    const QString midText = config->readString(group, "MID");
    const u8 cid = u8(cidText.toInt(nullptr, 10));
    const u8 mid = u8(midText.toInt(nullptr, 10));

    DeviceFirmwareCheck check;
    check.mouseVersion = readMouseVersion(cidText, midText);
    if (check.mouseVersion.isEmpty())
        return check;
    check.mouseNewer =
        FormSetting::isNewFirmwareInBin(kMouseDeviceCode, check.mouseVersion, config->readString(group, "MM"), cid, mid);
    const QString receiverModel = config->readString(group, receiverModelKeyOfLink(device.linkType));
    check.receiverNewer = !receiverModel.isEmpty()
                          && UpDateRepair::isNewFirmwareInBin(kReceiverDeviceCode, device.usbVersion, receiverModel, cid, mid);
    return check;
}

#include "updaterepair.h"
#include "ui_UpDateRepair.h"

#include "HIDUsb.h"
#include "configsettings.h"
#include "deviceevent.h"
#include "firmwareimage.h"
#include "globals.h"
#include "pagebackground.h"
#include "pagerepairdialog.h"
#include "postmsg.h"
#include "screenmetrics.h"
#include "startup.h"
#include "updaterun.h"
#include "updatetraces.h"
#include "widgetfonts.h"

#include <QCoreApplication>
#include <QKeySequence>

unsigned char g_repairUpgradeStarted = 0;
int g_repairStage = 0;
int g_repairImageCount = 1;
unsigned char g_repairProgressSplit = 1;
int g_repairFailedIsMouse = 0;
int g_repairReceiverClass = 0;
int g_repairCid = 0;
int g_repairMid = 0;
QString g_repairMouseModel;
QStringList g_repairFailInfo;
unsigned char g_repairAutoRun = 0;
QByteArray g_repairRunningImage;

void resetUpdateRepairState()
{
    g_repairUpgradeStarted = 0;
    g_repairStage = 0;
    g_repairImageCount = 1;
    g_repairProgressSplit = 1;
    g_repairFailedIsMouse = 0;
    g_repairReceiverClass = 0;
    g_repairCid = 0;
    g_repairMid = 0;
    g_repairMouseModel.clear();
    g_repairFailInfo.clear();
    g_repairAutoRun = 0;
    g_repairRunningImage.clear();
    g_repairImageList.clear();
    g_repairUpdating = 0;
    g_upgradeIdle = 1;
}

namespace {

QString configText(const QString &group, const QString &key)
{
    return ConfigSettings::instance()->readString(group, key);
}

// Hands element 0 of the chosen images to the updater. The run holds its own
// copy of the bytes, so a search meanwhile cannot take them away.
unsigned char startRepairImage()
{
    if (g_repairImageList.isEmpty())
        return 0;
    g_repairRunningImage = g_repairImageList.first();
    // Nothing may close the dialog from here on: the updater may write before
    // its first progress event arrives, and only its end event ends the run.
    g_repairUpgradeStarted = 1;
    return UsbUpgrade_Start(reinterpret_cast<const unsigned char *>(g_repairRunningImage.constData()),
                            &UpDateRepair::upgradeProgressCallback, 10000);
}

void endRun()
{
    g_upgradeIdle = 1;
    g_repairUpgradeStarted = 0;
    g_repairAutoRun = 0;
    g_repairRunningImage.clear();
}

// One event of the updater, on the GUI thread: kind 7; sub-kind 1 progress
// (value = percent) or 2 end (value 1 = success).
void handleUpgradeEvent(const QByteArray &event)
{
    if (event.size() < 3 || quint8(event.at(0)) != 7)
        return;
    const int subKind = quint8(event.at(1));
    const int value = quint8(event.at(2));
    PostMsg *hub = PostMsg::instance();

    if (subKind == 1) {
        g_repairUpgradeStarted = 1;
        int p = value;
        if (g_repairImageCount == 2) {
            if (g_repairStage == 0)
                p = p / 2;
            else if (g_repairProgressSplit)
                p = p / 2 + 50;
        }
        hub->postAutoRepairProgress(p);
        return;
    }
    if (subKind != 2)
        return;

    if (value != 1) {
        hub->postAutoRepair(1);
        hub->postUpDateButton(false);
        hub->postProgress(0, 6);
        writeUpdateLog();
        writeUpdateFailInfo(g_repairStage == 0 ? kReceiverDeviceCode : kMouseDeviceCode, g_repairReceiverClass, g_repairCid, g_repairMid);
        g_repairUpdating = 0;
        endRun();
        return;
    }

    // An automatic update that had only the receiver to flash is done with
    // it; a repair goes on with the mouse.
    const bool lastImage = g_repairStage == 1 || (g_repairAutoRun && g_repairImageCount == 1);
    if (lastImage) {
        hub->postAutoRepair(0);
        hub->postUpDateButton(true);
        hub->postProgress(0, 2);
        g_repairUpdating = 0;
    }
    if (g_repairStage == g_repairFailedIsMouse)
        removeUpdateFailInfo();
    if (!lastImage) {
        g_repairStage = 1;
        const bool image =
            UpDateRepair::isNewFirmwareInBin(kMouseDeviceCode, QString(), g_repairMouseModel, u8(g_repairCid), u8(g_repairMid));
        bool target = g_repairFailedIsMouse == 1;
        for (const DeviceAllInfo &device : qAsConst(g_foundDevices)) {
            if (device.isWired && device.mid == g_repairMid)
                target = true;
        }
        if (image && target) {
            // The run goes on: busy until the mouse image has ended too.
            startRepairImage();
            return;
        }
        hub->postAutoRepair(1);
        hub->postUpDateButton(true);
        hub->postProgress(0, 5);
        g_repairUpdating = 0;
    }
    endRun();
}

} // namespace

UpDateRepair::UpDateRepair(QWidget *parent)
    : QDialog(parent), ui(new Ui::UpDateRepair)
{
    ui->setupUi(this);
    scaleFonts(this, fontFactorForDpi(logicalScreenDpi()));
    ui->NewHong->hide();
    ui->progressBar_2->hide();
    ui->NewHong_2->hide();
    ui->ToolText_2->hide();

    m_pictureDir = programDir() + "/Picture/Setting/";
    setWindowFlags(Qt::SubWindow | Qt::BypassWindowManagerHint | Qt::FramelessWindowHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedSize(552, 300);

    ConfigSettings *config = ConfigSettings::instance();
    const QString labelColor = rgbTriple(config->readStringList("Option", "LabelColor"), "0,0,0");
    const QString buttonColor = rgbTriple(config->readStringList("Option", "ButtonColor"), "255,255,255");
    const QString D = m_pictureDir;
    ui->ToolText->setStyleSheet("#ToolText{color: rgb(" + labelColor + ";);background-color: transparent;border: transparent;}");
    ui->ToolText_3->setStyleSheet("#ToolText_3{color: rgb(255,0,0);background-color:rgba(0,0,0,0);}");
    ui->ToolText_2->setStyleSheet("#ToolText_2{color: rgb(255,0,0);background-color:rgba(0,0,0,0);}");
    const QString buttonStyle = "QToolButton{border:0px;background-position:center;background-repeat:no-repeat;color: rgb("
                                + buttonColor + ";);border-image: url(" + D + "Pair.png" + ");}";
    ui->NewHong->setStyleSheet(buttonStyle);
    ui->NewHong_2->setStyleSheet(buttonStyle);
    ui->CloseButton->setStyleSheet("QToolButton{border:0px;background-image: url(" + D + "Close.png"
                                   + ");background-position:center;background-repeat:no-repeat;}QToolButton:hover{background-image: url("
                                   + D + "CloseHover.png" + ");}QToolButton:pressed{background-image: url(" + D
                                   + "CloseClick.png" + ");}");
    showFramePicture(ui->AutoRepair, D + "BackSecondPage.png", PageBackground::Stretch);

    PostMsg *hub = PostMsg::instance();
    connect(hub, &PostMsg::SigAutoRepair, this, &UpDateRepair::SlotAutoRepair);
    connect(hub, &PostMsg::SigAutoRepairProgress, this, &UpDateRepair::SlotAutoRepairProgress);
    connect(hub, &PostMsg::SigProgress, this, &UpDateRepair::SlotProgress);
    connect(hub, &PostMsg::SigRepairCheckUpdate, this, &UpDateRepair::SlotRepairCheckUpdate);
    ui->NewHong->hide();
    connect(hub, &PostMsg::SigAllLanguage, this, &UpDateRepair::SlotAllLanguage);
    SlotAllLanguage(g_language);
}

UpDateRepair::~UpDateRepair()
{
    if (this == g_updateRepairDialog)
        g_updateDialogShown = false;
    delete ui;
}

void UpDateRepair::setVisible(bool visible)
{
    QDialog::setVisible(visible);
    if (this == g_updateRepairDialog)
        g_updateDialogShown = isVisible();
}

void UpDateRepair::scaleFonts(QWidget *widget, double factor)
{
    scaleWidgetFonts(widget, factor);
}

bool UpDateRepair::isNewFirmwareInBin(unsigned char deviceCode, QString version, QString modelName,
                                      unsigned char cid, unsigned char mid)
{
    return searchFirmwareImages(FirmwareSearchMode::RepairTwin, deviceCode, version, modelName, cid, mid,
                                &g_repairImageList);
}

void UpDateRepair::SlotAllLanguage(int index)
{
    ui->ToolText_3->setText(langText(g_langInportFail, index, 2));
    ui->ToolText->setHtml("<p align=\"center\">" + langText(g_langAutoRepair, index, 0).toHtmlEscaped() + "</p>");
    m_textNewHong2 = langText(g_langAutoRepair, index, 4);
    m_textCancel = langText(g_langAutoRepair, index, 1);
    m_textNoDevice = langText(g_langAutoRepair, index, 2);
    m_textSameDevice = langText(g_langAutoRepair, index, 3);
    m_textNoRecieve = langText(g_langAutoRepair, index, 5);
    m_textNoUSB = langText(g_langAutoRepair, index, 6);
    m_textFileError = langText(g_langAutoRepair, index, 8);
    m_textMultiMouse = langText(g_langAutoRepair, index, 10);
    m_textMultiDongle = langText(g_langAutoRepair, index, 11);
    m_textReadyUpdate = langText(g_langAutoRepair, index, 12);
    m_textUpdateNotMove = langText(g_langProgress, index, 0);
    m_textUpDateSuccess = langText(g_langProgress, index, 1);
    m_textUpDateFail = langText(g_langProgress, index, 2);
    m_textRepairDevice = langText(g_langDialogChange, index, 4);
}

void UpDateRepair::setShortcuts()
{
    ui->NewHong_2->setShortcut(QKeySequence(Qt::Key_Return));
    ui->NewHong->setShortcut(QKeySequence(Qt::Key_Escape));
}

// ---- Views ----------------------------------------------------------------------

void UpDateRepair::resetView()
{
    ui->ToolText_2->clear();
    ui->ToolText_2->show();
    ui->NewHong_2->setText(m_textNewHong2);
    ui->NewHong_2->show();
    ui->NewHong->setText(m_textCancel);
    ui->NewHong->setEnabled(true);
    ui->NewHong->show();
    ui->CloseButton->setEnabled(true);
    ui->CloseButton->show();
    ui->progressBar_2->setValue(0);
    ui->progressBar_2->hide();
    setShortcuts();
}

void UpDateRepair::showReadyView()
{
    ui->ToolText_2->setText(m_textReadyUpdate);
    ui->ToolText_2->show();
    ui->NewHong_2->setText(m_textNewHong2);
    ui->NewHong_2->show();
    ui->NewHong->setText(m_textCancel);
    ui->NewHong->setEnabled(true);
    ui->NewHong->show();
    ui->CloseButton->setEnabled(true);
    ui->CloseButton->show();
    ui->progressBar_2->hide();
    setShortcuts();
}

void UpDateRepair::showErrorView()
{
    ui->ToolText_2->show();
    ui->NewHong_2->setText(m_textRepairDevice);
    ui->NewHong_2->show();
    ui->NewHong->setEnabled(true);
    ui->NewHong->show();
    ui->CloseButton->setEnabled(true);
    ui->CloseButton->show();
    ui->progressBar_2->hide();
    setShortcuts();
}

void UpDateRepair::showUpdatingView()
{
    ui->ToolText_2->setText(m_textUpdateNotMove);
    ui->ToolText_2->show();
    ui->NewHong_2->hide();
    ui->NewHong->hide();
    ui->NewHong->setEnabled(false);
    ui->CloseButton->show();
    ui->CloseButton->setEnabled(false);
    ui->progressBar_2->show();
    setShortcuts();
}

void UpDateRepair::setStateText(QString text)
{
    ui->ToolText_2->setText(text);
}

QString UpDateRepair::stateText() const
{
    return ui->ToolText_2->text();
}

void UpDateRepair::showFailureView()
{
    ui->ToolText_2->setText(m_textUpDateFail);
    ui->ToolText_2->show();
    ui->NewHong->show();
    ui->CloseButton->setEnabled(true);
    ui->NewHong->setEnabled(true);
}

void UpDateRepair::SlotAutoRepair(int index)
{
    ui->NewHong_2->setText(m_textRepairDevice);
    ui->NewHong_2->show();
    ui->ToolText_2->setText(index != 0 ? m_textUpDateFail : m_textUpDateSuccess);
    ui->ToolText_2->show();
    setShortcuts();
    ui->NewHong->show();
}

void UpDateRepair::SlotAutoRepairProgress(int index)
{
    ui->progressBar_2->setValue(index);
}

void UpDateRepair::SlotProgress(int schedue, int Discrib)
{
    switch (Discrib) {
    case 0:
        ui->progressBar_2->setValue(schedue);
        break;
    case 1:
        ui->NewHong_2->setText(m_textRepairDevice);
        ui->NewHong_2->show();
        showFailureView();
        break;
    case 2:
        ui->NewHong_2->setText(m_textRepairDevice);
        ui->ToolText_2->setText(m_textUpDateSuccess);
        ui->ToolText_2->show();
        ui->progressBar_2->setValue(100);
        ui->NewHong->show();
        ui->NewHong_2->show();
        ui->CloseButton->setEnabled(true);
        ui->NewHong->setEnabled(true);
        break;
    case 3:
        ui->NewHong->hide();
        break;
    case 4:
        ui->NewHong->hide();
        ui->progressBar_2->setValue(0);
        break;
    case 5:
        ui->NewHong_2->setText(m_textRepairDevice);
        ui->NewHong_2->show();
        showFailureView();
        ui->progressBar_2->setValue(50);
        break;
    case 6:
        showFailureView();
        break;
    default:
        break;
    }
    setShortcuts();
}

// ---- Check and run -----------------------------------------------------------------

bool UpDateRepair::checkRepair()
{
    g_repairFailInfo = readUpdateFailInfo().split(QLatin1Char(','));
    if (g_repairFailInfo.size() != 4)
        return false;

    g_repairReceiverClass = 0;
    m_failedDeviceCode = g_repairFailInfo.at(0).toInt(nullptr, 10);
    const int modelId = g_repairFailInfo.at(3).toInt(nullptr, 10);

    if (g_foundDevices.isEmpty()) {
        if (m_failedDeviceCode == kMouseDeviceCode)
            setStateText(m_textNoRecieve);
        else if (m_failedDeviceCode == kReceiverDeviceCode)
            setStateText(m_textNoUSB);
        else
            setStateText(m_textNoDevice);
        showErrorView();
        return false;
    }

    if (g_foundDevices.size() >= 2) {
        int wired = 0, wireless = 0;
        DeviceAllInfo lastWired, lastWireless;
        for (const DeviceAllInfo &device : qAsConst(g_foundDevices)) {
            if (device.isWired) {
                ++wired;
                lastWired = device;
            } else {
                ++wireless;
                lastWireless = device;
            }
        }
        QString reason;
        if (wired >= 2)
            reason = m_textMultiMouse;
        else if (wireless >= 2)
            reason = m_textMultiDongle;
        else if (m_failedDeviceCode == kMouseDeviceCode && wired == 1 && lastWired.mid != modelId)
            reason = m_textMultiMouse;
        else if (m_failedDeviceCode == kReceiverDeviceCode && wireless == 1 && lastWireless.mid != modelId)
            reason = m_textMultiDongle;
        if (!reason.isEmpty()) {
            setStateText(reason);
            showErrorView();
            return false;
        }
    }

    // Receivers listed beside the one waiting in update mode: one of the
    // recorded class would take the image too.
    int listedReceivers = 0;
    if (m_failedDeviceCode == kReceiverDeviceCode) {
        const QStringList *lists[] = {&g_wirelessPids, &g_wireless2Pids, &g_wireless4Pids, &g_wireless8Pids};
        auto countIn = [](const QStringList &pids) {
            int n = 0;
            for (const DeviceAllInfo &device : qAsConst(g_foundDevices)) {
                if (pids.contains(device.pidText))
                    ++n;
            }
            return n;
        };
        QStringList anyClass;
        for (const QStringList *list : lists)
            anyClass += *list;
        listedReceivers = countIn(anyClass);
        if (listedReceivers == 1) {
            const QString cls = g_repairFailInfo.at(1);
            const QStringList *chosen = cls == "1"   ? lists[0]
                                        : cls == "2" ? lists[1]
                                        : cls == "4" ? lists[2]
                                        : cls == "8" ? lists[3]
                                                     : nullptr;
            listedReceivers = chosen ? countIn(*chosen) : 0;
        }
    }

    g_repairStage = 0;

    if (m_autoUpdate) {
        m_repairReady = 1;
    } else {
        const DeviceAllInfo &first = g_foundDevices.first();
        if (m_failedDeviceCode == kReceiverDeviceCode && (!first.isWired || first.mid != modelId)) {
            setStateText(m_textNoUSB);
            showErrorView();
            return false;
        }
        if (m_failedDeviceCode == kMouseDeviceCode && (first.isWired || first.mid != modelId)) {
            setStateText(m_textNoRecieve);
            showErrorView();
            return false;
        }

        const int total = configuredDeviceTotal();
        for (int k = 0; k < total; ++k) {
            if (configText(driveGroup(k), "MID").toInt(nullptr, 10) == modelId) {
                m_driveGroup = driveGroup(k);
                break;
            }
        }
        g_repairMouseModel = configText(m_driveGroup, "MM");
        const QString receiverClass = g_repairFailInfo.at(1);
        if (QStringList({"1", "2", "4", "8"}).contains(receiverClass)) {
            g_repairReceiverClass = receiverClass.toInt(nullptr, 10);
            m_receiverModel = configText(m_driveGroup, receiverModelKey(g_repairReceiverClass));
        }
        g_repairCid = g_repairFailInfo.at(2).toInt(nullptr, 10);
        g_repairMid = configText(m_driveGroup, "MID").toInt(nullptr, 10);

        const u8 cid = u8(g_repairCid & 0xFF);
        const u8 mid = u8(g_repairMid & 0xFF);
        const bool mouseImage = isNewFirmwareInBin(kMouseDeviceCode, QString(), g_repairMouseModel, cid, mid);
        const bool receiverImage = isNewFirmwareInBin(kReceiverDeviceCode, QString(), m_receiverModel, cid, mid);
        g_repairImageCount = mouseImage && receiverImage ? 2 : 1;
        // The image of the recorded kind is the one left in the list.
        if (m_failedDeviceCode == kReceiverDeviceCode) {
            g_repairFailedIsMouse = 0;
            m_repairReady = isNewFirmwareInBin(kReceiverDeviceCode, QString(), m_receiverModel, cid, mid) ? 1 : 0;
        } else {
            g_repairFailedIsMouse = 1;
            m_repairReady = isNewFirmwareInBin(kMouseDeviceCode, QString(), g_repairMouseModel, cid, mid) ? 1 : 0;
        }
    }

    // Without an image there is nothing to flash and nothing to ask the
    // library about.
    if (!m_repairReady || g_repairImageList.isEmpty()) {
        setStateText(m_textFileError);
        showErrorView();
        return false;
    }
    int count = 5;
    UsbUpgradeC_FindBootDevices(reinterpret_cast<const unsigned char *>(g_repairImageList.first().constData()),
                                &count);
    const int total = count + listedReceivers;
    if (total == 1)
        return true;
    setStateText(total == 0 ? m_textNoDevice : m_textSameDevice);
    showErrorView();
    ui->NewHong->show();
    g_repairUpdating = 0;
    return false;
}

void UpDateRepair::SlotRepairCheckUpdate()
{
    if (checkRepair())
        showReadyView();
}

bool UpDateRepair::fillAutoUpdateParameters()
{
    m_repairReady = 0;
    if (g_shownDevices.size() != 1) {
        setStateText(m_textNoDevice);
        showErrorView();
        return false;
    }
    const DeviceAllInfo device = g_shownDevices.first();
    m_driveGroup = driveGroup(device.driveIndex);
    g_repairMouseModel = configText(m_driveGroup, "MM");
    g_repairReceiverClass = receiverClassOfLink(device.linkType);
    const QString modelKey = receiverModelKey(g_repairReceiverClass);
    m_receiverModel = modelKey.isEmpty() ? QString() : configText(m_driveGroup, modelKey);
    const QString cidText = configText("Option", "CID");
    const QString midText = configText(m_driveGroup, "MID");
    g_repairCid = cidText.toInt(nullptr, 10);
    g_repairMid = midText.toInt(nullptr, 10);
    // Only a record of the receiver is settled by flashing the receiver.
    const QStringList record = readUpdateFailFields();
    g_repairFailedIsMouse = !record.isEmpty() && record.at(0).toInt(nullptr, 10) == kMouseDeviceCode ? 1 : 0;
    g_repairStage = 0;
    g_repairProgressSplit = 1;

    const u8 cid = u8(g_repairCid & 0xFF);
    const u8 mid = u8(g_repairMid & 0xFF);
    const bool mouseNew = isNewFirmwareInBin(kMouseDeviceCode, readMouseVersion(cidText, midText), g_repairMouseModel, cid, mid);
    const bool receiverNew = isNewFirmwareInBin(kReceiverDeviceCode, device.usbVersion, m_receiverModel, cid, mid);
    g_repairImageCount = mouseNew && receiverNew ? 2 : 1;
    if (!mouseNew && !receiverNew) {
        setStateText(m_textFileError);
        showErrorView();
        return false;
    }
    m_repairReady = 1;
    return true;
}

void UpDateRepair::startAutoUpdate(int index)
{
    Q_UNUSED(index);
    m_autoUpdate = 1;
    if (fillAutoUpdateParameters())
        runRepairUpdate();
}

void UpDateRepair::runRepairUpdate()
{
    if (!m_repairReady)
        return;
    g_repairUpdating = 1;
    showUpdatingView();
    g_upgradeIdle = 0;
    g_repairAutoRun = m_autoUpdate;

    const u8 cid = u8(g_repairCid & 0xFF);
    const u8 modelId = u8(configText(m_driveGroup, "MID").toInt(nullptr, 10) & 0xFF);
    const QString receiverVersion = g_foundDevices.isEmpty() ? QString() : g_foundDevices.first().usbVersion;
    if (isNewFirmwareInBin(kReceiverDeviceCode, receiverVersion, m_receiverModel, cid, modelId)) {
        g_repairStage = 0;
    } else {
        g_repairStage = 1;
        g_repairProgressSplit = 0;
        if (!isNewFirmwareInBin(kMouseDeviceCode, QString(), g_repairMouseModel, cid, modelId)) {
            // Nothing was flashed: no success to report, and the device
            // changes must be heard again.
            setStateText(m_textFileError);
            showErrorView();
            g_repairUpdating = 0;
            endRun();
            return;
        }
    }
    m_repairReady = startRepairImage();
}

void UpDateRepair::upgradeProgressCallback(const unsigned char *event)
{
    queueUpdaterEvent(event, &handleUpgradeEvent);
}

unsigned char UpDateRepair::rePairMouse()
{
    unsigned char result = 0;
    pairWiredMiceWithReceivers(g_foundDevices, g_repairReceiverClass, &result);
    return result;
}

// ---- Buttons and closing -------------------------------------------------------------

void UpDateRepair::finishAndClose()
{
    restartEventServer();
    PostMsg::instance()->postSetLabelVerB();
    QDialog::reject();
}

void UpDateRepair::on_NewHong_2_clicked()
{
    g_repairProgressSplit = 1;
    if (!g_repairUpgradeStarted && ui->progressBar_2->isVisible()) {
        if (ui->progressBar_2->value() == 100)
            PostMsg::instance()->postSetNewVer();
        else if (g_devicePageActive == 1)
            PostMsg::instance()->postChangeMainDialog(0);
        finishAndClose();
        return;
    }
    if (ui->NewHong_2->text() == m_textRepairDevice) {
        finishAndClose();
        return;
    }
    if (g_devicePageActive == 1) {
        // The settings page runs the update of the open device.
        PostMsg::instance()->postUpdateStart();
        return;
    }
    runRepairUpdate();
}

void UpDateRepair::closeSequence()
{
    if (g_repairUpgradeStarted)
        return;
    if (ui->progressBar_2->isVisible()) {
        if (ui->progressBar_2->value() == 100)
            PostMsg::instance()->postSetNewVer();
        else if (g_devicePageActive == 1)
            PostMsg::instance()->postChangeMainDialog(0);
    }
    finishAndClose();
}

void UpDateRepair::on_CloseButton_clicked()
{
    closeSequence();
}

void UpDateRepair::on_NewHong_clicked()
{
    closeSequence();
}

void UpDateRepair::reject()
{
    closeSequence();
}

void UpDateRepair::on_pushButton_clicked()
{
    QFont f = font();
    f.setPointSizeF(f.pointSizeF() * devicePixelRatioF());
    setFont(f);
}

#include "updaterepair.h"
#include "ui_UpDateRepair.h"

#include "configsettings.h"
#include "firmwareimage.h"
#include "globals.h"
#include "postmsg.h"
#include "registry.h"

#include <QKeySequence>

int g_repairReceiverClass = 0;
int g_repairCid = 0;
int g_repairMid = 0;
QString g_repairMouseModel;
QStringList g_repairFailInfo;
int g_repairImageCount = 1;
int g_repairFailedIsMouse = 0;

UpDateRepair::UpDateRepair(QWidget *parent)
    : QDialog(parent), ui(new Ui::UpDateRepair)
{
    ui->setupUi(this);
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
    ui->AutoRepair->setStyleSheet("#AutoRepair{border:0px;background-position:center;background-repeat:no-repeat;border-image: url("
                                  + D + "BackSecondPage.png" + ");}");

    PostMsg *hub = PostMsg::instance();
    connect(hub, &PostMsg::SigRepairCheckUpdate, this, &UpDateRepair::SlotRepairCheckUpdate);
    ui->NewHong->hide();
    connect(hub, &PostMsg::SigAllLanguage, this, &UpDateRepair::SlotAllLanguage);
    SlotAllLanguage(g_language);
}

UpDateRepair::~UpDateRepair()
{
    delete ui;
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
    ui->ToolText->setText(langText(g_langAutoRepair, index, 0));
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
    m_textRepairDevice = langText(g_langDialogChange, index, 4);
}

void UpDateRepair::setShortcuts()
{
    ui->NewHong_2->setShortcut(QKeySequence(Qt::Key_Return));
    ui->NewHong->setShortcut(QKeySequence(Qt::Key_Escape));
}

void UpDateRepair::resetView()
{
    m_autoUpdate = false;
    ui->NewHong->setText(m_textCancel);
    ui->NewHong->show();
    ui->NewHong_2->setText(m_textNewHong2);
    ui->NewHong_2->show();
    ui->ToolText_2->clear();
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
    ui->NewHong->show();
    ui->progressBar_2->hide();
    setShortcuts();
}

void UpDateRepair::showErrorView()
{
    ui->ToolText_2->show();
    ui->NewHong_2->hide();
    ui->NewHong->setText(m_textCancel);
    ui->NewHong->show();
    ui->progressBar_2->hide();
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

void UpDateRepair::startAutoUpdate(int index)
{
    m_autoUpdate = true;
    m_autoUpdateIndex = index;
    showReadyView();
}

bool UpDateRepair::checkRepair()
{
    RegistryKey key(RegistryKey::deviceRecordsKeyPath());
    g_repairFailInfo = key.value(QStringLiteral("UpdateFailInfo")).toString().split(',');
    if (g_repairFailInfo.size() != 4)
        return false;

    g_repairReceiverClass = 0;
    m_failedDeviceCode = g_repairFailInfo.at(0).toInt(nullptr, 10);
    const int modelId = g_repairFailInfo.at(3).toInt(nullptr, 10);

    if (g_foundDevices.isEmpty()) {
        if (m_failedDeviceCode == 210)
            setStateText(m_textNoRecieve);
        else if (m_failedDeviceCode == 211)
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
            if (device.isWired()) {
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
        else if (m_failedDeviceCode == 210 && wired == 1 && lastWired.mid != modelId)
            reason = m_textMultiMouse;
        else if (m_failedDeviceCode == 211 && wireless == 1 && lastWireless.mid != modelId)
            reason = m_textMultiDongle;
        if (!reason.isEmpty()) {
            setStateText(reason);
            showErrorView();
            return false;
        }
    }

    if (!m_autoUpdate) {
        const DeviceAllInfo &first = g_foundDevices.first();
        if (m_failedDeviceCode == 211 && (!first.isWired() || first.mid != modelId)) {
            setStateText(m_textNoUSB);
            showErrorView();
            return false;
        }
        if (m_failedDeviceCode == 210 && (first.isWired() || first.mid != modelId)) {
            setStateText(m_textNoRecieve);
            showErrorView();
            return false;
        }
    }

    ConfigSettings *config = ConfigSettings::instance();
    const int total = config->readString("Option", "DeviceTotal").toInt(nullptr, 10);
    for (int k = 1; k <= total; ++k) {
        if (config->readString("Drive" + QString::number(k), "MID").toInt(nullptr, 10) == modelId) {
            m_driveGroup = "Drive" + QString::number(k);
            break;
        }
    }
    g_repairMouseModel = config->readString(m_driveGroup, "MM");
    const QString receiverClass = g_repairFailInfo.at(1);
    const char *receiverKey = receiverClass == "1"   ? "DM"
                              : receiverClass == "2" ? "D2M"
                              : receiverClass == "4" ? "D4M"
                              : receiverClass == "8" ? "D8M"
                                                     : nullptr;
    if (receiverKey) {
        g_repairReceiverClass = receiverClass.toInt();
        m_receiverModel = config->readString(m_driveGroup, QString::fromLatin1(receiverKey));
    }
    g_repairCid = g_repairFailInfo.at(2).toInt(nullptr, 10);
    g_repairMid = config->readString(m_driveGroup, "MID").toInt(nullptr, 10);

    const u8 cid = u8(g_repairCid & 0xFF);
    const u8 mid = u8(g_repairMid & 0xFF);
    const bool mouseImage = isNewFirmwareInBin(210, QString(), g_repairMouseModel, cid, mid);
    const bool receiverImage = isNewFirmwareInBin(211, QString(), m_receiverModel, cid, mid);
    g_repairImageCount = mouseImage && receiverImage ? 2 : 1;
    if (m_failedDeviceCode == 211) {
        g_repairFailedIsMouse = 0;
        m_repairReady = isNewFirmwareInBin(211, QString(), m_receiverModel, cid, mid);
    } else {
        g_repairFailedIsMouse = 1;
        m_repairReady = isNewFirmwareInBin(210, QString(), g_repairMouseModel, cid, mid);
    }
    if (!m_repairReady) {
        setStateText(m_textFileError);
        showErrorView();
        return false;
    }
    return true;
}

void UpDateRepair::SlotRepairCheckUpdate()
{
    if (checkRepair())
        showReadyView();
}

void UpDateRepair::on_CloseButton_clicked()
{
    close();
}

void UpDateRepair::on_NewHong_clicked()
{
    close();
}

#include "formsetting.h"

#include "configsettings.h"
#include "firmwareimage.h"
#include "globals.h"
#include "postmsg.h"
#include "updaterepair.h"

#include <QFile>

u8 g_update210Available = 0;

FormSetting::FormSetting(QWidget *parent)
    : QWidget(parent)
{
    g_updateRepairDialog = new UpDateRepair(this);
    g_updateRepairDialog->hide();

    registerDeviceMetaTypes();
    PostMsg *hub = PostMsg::instance();
    connect(hub, SIGNAL(SigSetver(int)), this, SLOT(SetVer(int)));
    connect(hub, SIGNAL(SigCheckUpdate()), this, SLOT(SlotCheckUpdate()));
    connect(hub, SIGNAL(SigButtonclick()), this, SLOT(SlotButtonclick()));
    connect(hub, SIGNAL(SigLabelTextB(QString, QString)), this, SLOT(SlotLabelTextB(QString, QString)));
    connect(hub, SIGNAL(SigUpdateFrame(bool)), this, SLOT(SlotUpdateFrame(bool)));
    connect(hub, SIGNAL(SigLanguageSameB(int)), this, SLOT(SlotLanguageSameB(int)));
    // Device data come from the library's thread, which waits for the page.
    connect(hub, SIGNAL(SigRGBValue(DongleRGB *)), this, SLOT(SlotRGBValue(DongleRGB *)),
            Qt::BlockingQueuedConnection);
    connect(hub, SIGNAL(SigLongRangeMode(bool)), this, SLOT(SlotLongRangeMode(bool)),
            Qt::BlockingQueuedConnection);
    connect(hub, SIGNAL(SigForm()), this, SLOT(SlotForm()), Qt::BlockingQueuedConnection);
    connect(hub, SIGNAL(SigFormReset()), this, SLOT(SlotFormResetForm()), Qt::BlockingQueuedConnection);
}

FormSetting::~FormSetting()
{
    g_updateRepairDialog = nullptr;
}

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
    ConfigSettings *config = ConfigSettings::instance();
    const QString group = "Drive" + QString::number(g_selectedDevice.driveIndex + 1);
    g_updateCid = config->readString("Option", "CID").toInt(nullptr, 10);
    const u8 mid = u8(config->readString(group, "MID").toInt());

    QString modelKey;
    if (deviceCode == 210) {
        modelKey = QStringLiteral("MM");
    } else {
        switch (receiverClass) {
        case 1: modelKey = QStringLiteral("DM"); break;
        case 2: modelKey = QStringLiteral("D2M"); break;
        case 4: modelKey = QStringLiteral("D4M"); break;
        case 8: modelKey = QStringLiteral("D8M"); break;
        default: return 0;
        }
    }
    // A model the configuration names no image for has nothing to update.
    const QString model = config->readString(group, modelKey);
    if (model.isEmpty())
        return 0;
    return isNewFirmwareAvailable(u8(deviceCode), version, model, u8(g_updateCid & 0xFF), mid) ? 1 : 0;
}

bool FormSetting::isImageForListedDevice(QString path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const FirmwareHeader header = parseFirmwareHeader(file.readAll());
    if (!header.valid)
        return false;
    for (const DeviceAllInfo &device : qAsConst(g_deviceList)) {
        if (header.usbIdText.contains(device.pidText) && header.usbIdText.contains(device.vidText))
            return true;
    }
    return false;
}

bool FormSetting::runUpdateCheck()
{
    g_update211Available = 0;
    return checkFirmwareUpdate(210, g_selectedDevice.mouseVersion, 0) == 1;
}

void FormSetting::SetVer(int index)
{
    switch (index) {
    case 0:
        m_mouseVersionText = g_selectedDevice.mouseVersion;
        if (m_receiverVersionText.isEmpty())
            m_receiverVersionText = g_selectedDevice.usbVersion;
        break;
    case 4:
        m_updateAvailable = false;
        break;
    case 6:
        m_mouseVersionText.clear();
        m_receiverVersionText.clear();
        break;
    default:
        break;
    }
}

void FormSetting::SlotCheckUpdate()
{
    if (runUpdateCheck() && g_updateRepairDialog)
        g_updateRepairDialog->resetView();
}

void FormSetting::SlotButtonclick()
{
    m_updateAvailable = runUpdateCheck();
    if (m_updateAvailable && g_updateRepairDialog)
        g_updateRepairDialog->resetView();
}

void FormSetting::SlotLabelTextB(QString TextA, QString Text)
{
    m_receiverVersionText = TextA;
    m_receiverUpdateWaiting = (Text == QLatin1String("true"));
}

void FormSetting::SlotRGBValue(DongleRGB *Rgb)
{
    // The receiver LED choice follows the product configuration, not the
    // record.
    Q_UNUSED(Rgb);
    ConfigSettings::instance()->readStringList("Drive" + QString::number(g_selectedDevice.driveIndex + 1),
                                               "Adveanced");
}

void FormSetting::SlotLongRangeMode(bool Select)
{
    m_longRangeMode = Select;
}

void FormSetting::SlotForm()
{
}

void FormSetting::SlotFormResetForm()
{
}

void FormSetting::SlotUpdateFrame(bool IsVis)
{
    m_frameVisible = IsVis;
}

void FormSetting::SlotLanguageSameB(int index)
{
    Q_UNUSED(index);
}

#include "formsetting.h"
#include "ui_FormSetting.h"

#include "configsettings.h"
#include "firmwareimage.h"
#include "globals.h"
#include "macrosettings.h"
#include "postmsg.h"
#include "updaterepair.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>

u8 g_update210Available = 0;

namespace {
// The chosen language's button in the accent colour, the other one grey:
// the page is light, so the choice must not be told by a pale colour.
const char kLanguageChosen[] = "QPushButton{border:0px;background-image: transparent;color: rgb(%1);}";
const char kLanguageOther[] = "QPushButton{border:0px;background-image: transparent;color: rgb(88,90,92);}";
} // namespace

FormSetting::FormSetting(QWidget *parent)
    : QWidget(parent), ui(new Ui::FormSetting)
{
    ui->setupUi(this);
    ui->label_9->hide();
    ui->scrollArea->setFrameShape(QFrame::NoFrame);
    // The page lies on the frame's light background: no panel outline and no
    // filled viewport of its own.
    ui->FrameSetting->setFrameShape(QFrame::NoFrame);
    ui->scrollArea->viewport()->setAutoFillBackground(false);
    ui->scrollAreaWidgetContents->setStyleSheet("background-color:transparent;border:none;");

    // Without a parent: the dialog is a frameless sub-window, which inside the
    // page would become a child widget instead of a window of its own.
    g_updateRepairDialog = new UpDateRepair(nullptr);
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
    connect(hub, SIGNAL(SigFormB()), this, SLOT(SlotFormB()));
    connect(hub, SIGNAL(SigLabelText(int, QString)), this, SLOT(SlotLabelText(int, QString)));
    connect(hub, SIGNAL(SigGetRealVer()), this, SLOT(SlotGetRealVer()));
    connect(hub, SIGNAL(SigSetStyle(int)), this, SLOT(SlotSetStyle(int)));

    const QString labelRgb = rgbTriple(ConfigSettings::instance()->readStringList("Option", "LabelColor"),
                                       themeRgbTriple(g_themeLabelColor));
    for (QLabel *label : {ui->label_4, ui->label_5, ui->label_6, ui->label_7, ui->label_9, ui->label_28,
                          ui->label_29, ui->label_30})
        label->setStyleSheet("QLabel{color: rgb(" + labelRgb + ");}");

    connect(hub, SIGNAL(SigAllLanguage(int)), this, SLOT(SlotAllLanguage(int)));
    SlotAllLanguage(g_language);
    showVersions();
}

FormSetting::~FormSetting()
{
    delete g_updateRepairDialog;
    g_updateRepairDialog = nullptr;
}

void FormSetting::mousePressEvent(QMouseEvent *event)
{
    Q_UNUSED(event);
}

void FormSetting::highlightLanguage(int index)
{
    const QString chosen = QString::fromLatin1(kLanguageChosen).arg(themeRgbTriple(g_themeComboxSelectColor));
    ui->pushButton->setStyleSheet(index == 0 ? chosen : QString::fromLatin1(kLanguageOther));
    ui->pushButton_2->setStyleSheet(index == 0 ? QString::fromLatin1(kLanguageOther) : chosen);
}

void FormSetting::showVersions()
{
    ui->label_5->setText(m_receiverVersionText);
    ui->label_7->setText(m_mouseVersionText);
}

void FormSetting::SlotAllLanguage(int index)
{
    highlightLanguage(index);
    ui->label_28->setText(langText(g_langScreenInfo, index, 2));
    ui->label_30->setText(langText(g_langScreenInfo, index, 3));
    ui->pushButton_2->setText(langText(g_langScreenInfo, index, 4));
    ui->pushButton->setText(langText(g_langScreenInfo, index, 5));
    ui->label_29->setText(langText(g_langScreenInfo, index, 6));
    ui->label_6->setText(langText(g_langScreenInfo, index, 7));
    ui->label_4->setText(langText(g_langScreenInfo, index, 8));
    g_updateWarningText = langText(g_langFormSetting, index, 14);
}

void FormSetting::SlotSetStyle(int index)
{
    Q_UNUSED(index);
    const QString labelStyle = "QLabel{color: " + themeRgb(g_themeLabelColor) + ";}";
    for (QLabel *label : {ui->label_4, ui->label_5, ui->label_6, ui->label_7, ui->label_28, ui->label_29,
                          ui->label_30})
        label->setStyleSheet(labelStyle);
    highlightLanguage(g_language);
}

void FormSetting::chooseLanguage(int index)
{
    MacroSettings::instance()->writeString("Language", "Language", QString::number(index));
    g_language = index;
    PostMsg::instance()->postAllLanguage(index);
    PostMsg::instance()->postLanguageSameA(index);
    highlightLanguage(index);
}

void FormSetting::on_pushButton_clicked()
{
    chooseLanguage(0);
}

void FormSetting::on_pushButton_2_clicked()
{
    chooseLanguage(1);
}

void FormSetting::SlotGetRealVer()
{
    g_settingsVersionTextA = ui->label_5->text();
    g_settingsVersionTextB = ui->label_7->text();
}

void FormSetting::SlotLabelText(int index, QString Text)
{
    if (index == 0) {
        m_receiverVersionText = Text;
        g_selectedDevice.usbVersion = Text;
    } else if (index == 1) {
        m_mouseVersionText = Text;
        g_selectedDevice.mouseVersion = Text;
    }
    showVersions();
    PostMsg::instance()->postSetLabelVerB();
}

void FormSetting::SlotFormB()
{
    ConfigSettings::instance()->readStringList("Adveanced",
                                               "Drive" + QString::number(g_selectedDevice.driveIndex + 1));
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
    // A receiver whose model the configuration leaves empty is never taken
    // for one that has a newer image.
    const QString model = config->readString(group, modelKey);
    if (deviceCode != 210 && model.isEmpty())
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
    showVersions();
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
    showVersions();
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

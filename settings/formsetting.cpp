#include "formsetting.h"
#include "ui_FormSetting.h"

#include "afterfirstpaint.h"
#include "autostart.h"
#include "configsettings.h"
#include "devicesetters.h"
#include "devicestate.h"
#include "globals.h"
#include "languageloader.h"
#include "macrosettings.h"
#include "mousesettings.h"
#include "pagerepairdialog.h"
#include "postmsg.h"
#include "updaterepair.h"
#include "updateengine.h"
#include "updatewarning.h"

#include <QButtonGroup>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QUrl>

namespace {
// The chosen language's button in the accent colour, the other one grey:
// the page is light, so the choice must not be told by a pale colour.
const char kLanguageChosen[] = "QPushButton{border:0px;background-image: transparent;color: rgb(%1);}";
const char kLanguageOther[] = "QPushButton{border:0px;background-image: transparent;color: rgb(88,90,92);}";
// How soon an update offer that waits is asked again.
constexpr int kOfferRetryMs = 200;
} // namespace

FormSetting::FormSetting(QWidget *parent)
    : QWidget(parent), ui(new Ui::FormSetting)
{
    // The form's buttons reach their on_<name>_clicked slots by name.
    ui->setupUi(this);
    ui->label_9->hide();

    registerDeviceMetaTypes();
    PostMsg *hub = PostMsg::instance();
    connect(hub, &PostMsg::SigLanguageSameB, this, &FormSetting::SlotLanguageSameB);
    connect(hub, &PostMsg::SigSetNewVer, this, &FormSetting::SetVerText);
    connect(hub, &PostMsg::SigLightToFrom, this, &FormSetting::SlotLightToFrom);
    connect(hub, &PostMsg::SigUpdateFrame, this, &FormSetting::SlotUpdateFrame);
    // Device data come from the library's thread, which waits for the page.
    // The long-range mode and the form reset are not connected: their slots
    // are empty, and the library's thread would wait for nothing.
    connect(hub, &PostMsg::SigRGBValue, this, &FormSetting::SlotRGBValue, Qt::BlockingQueuedConnection);
    connect(hub, &PostMsg::SigForm, this, &FormSetting::SlotForm, Qt::BlockingQueuedConnection);
    connect(hub, &PostMsg::SigFormB, this, &FormSetting::SlotFormB);
    connect(hub, &PostMsg::SigSetver, this, &FormSetting::SetVer);
    connect(hub, &PostMsg::SigLabelText, this, &FormSetting::SlotLabelText);
    connect(hub, &PostMsg::SigCheckUpdate, this, &FormSetting::SlotCheckUpdate);
    connect(hub, &PostMsg::SigLabelTextB, this, &FormSetting::SlotLabelTextB);
    connect(hub, &PostMsg::SigUpdateStart, this, &FormSetting::on_Start);
    connect(hub, &PostMsg::SigContinue, this, &FormSetting::SlotContinue);
    connect(hub, &PostMsg::SigFormMove, this, &FormSetting::SlotFormMove);
    connect(hub, &PostMsg::SigGetRealVer, this, &FormSetting::SlotGetRealVer);
    connect(hub, &PostMsg::SigButtonclick, this, &FormSetting::SlotButtonclick);
    connect(ui->scrollArea->verticalScrollBar(), &QScrollBar::valueChanged, this, &FormSetting::SlotScroolChange);

    m_pictureDir = programDir() + "/Picture/FormSetting/";
    m_buttonGroup = new QButtonGroup(this);
    m_buttonGroup->setExclusive(true);

    ConfigSettings *config = ConfigSettings::instance();
    g_transitionMode = config->readString("Option", "Transition").toInt(nullptr, 10);

    const QString flag = "QToolButton{border:0px;background-position:center;background-repeat:no-repeat;border-image: url(";
    ui->toolButton_2->setStyleSheet(flag + m_pictureDir + "Cn.png" + ");}");
    ui->toolButton->setStyleSheet(flag + m_pictureDir + "En.png" + ");}");

    // A colour list shorter than three numbers falls back to the theme's
    // start value instead of breaking the style.
    const QString labelRgb = rgbTriple(config->readStringList("Option", "LabelColor"), themeRgbTriple(g_themeLabelColor));
    m_buttonColor = rgbTriple(config->readStringList("Option", "ButtonColor"), themeRgbTriple(g_themeButtonColor));
    m_selectColor = rgbTriple(config->readStringList("Option", "ComboxSelectColor"), QStringLiteral("0,120,215"));
    for (QLabel *label : {ui->label_4, ui->label_5, ui->label_6, ui->label_7, ui->label_9, ui->label_28,
                          ui->label_29, ui->label_30})
        label->setStyleSheet("QLabel{color: rgb(" + labelRgb + ");}");

    ui->scrollArea->setFrameShape(QFrame::NoFrame);
    // The page lies on the frame's light background: no panel outline and no
    // filled viewport of its own.
    ui->FrameSetting->setFrameShape(QFrame::NoFrame);
    ui->scrollArea->viewport()->setAutoFillBackground(false);
    ui->scrollAreaWidgetContents->setStyleSheet("background-color:transparent;border:none;");
    setUpToDateStyle();

    m_offerRetry = new QTimer(this);
    m_offerRetry->setSingleShot(true);
    m_offerRetry->setInterval(kOfferRetryMs);
    connect(m_offerRetry, &QTimer::timeout, this, [this] {
        // The offer was the device page's: once the user has left it, the
        // offer goes with it rather than opening over another page.
        if (g_devicePageActive != 1)
            m_offerWaiting = false;
        if (m_offerWaiting)
            SlotUpdateFrame(true);
    });
    UpdateEngine *engine = UpdateEngine::instance();
    connect(engine, &UpdateEngine::stepShown, this, &FormSetting::showStepEnd);
    connect(engine, &UpdateEngine::deviceWarning, this, &FormSetting::showDeviceWarning);
    connect(engine, &UpdateEngine::runEndedWithout, this, &FormSetting::showRunEndedWithout);

    connect(hub, &PostMsg::SigAllLanguage, this, &FormSetting::SlotAllLanguage);
    SlotAllLanguage(g_language);

    runAfterFirstPaint(window(), this, [this] { buildUpdateDialogs(); });
}

template <class Kept>
static Kept *keptDialog(std::unique_ptr<Kept> &dialog)
{
    if (!dialog)
        dialog.reset(new Kept(nullptr));
    return dialog.get();
}

LedInfo *FormSetting::ledInfo() { return keptDialog(m_ledInfo); }
InputPicA *FormSetting::inputPicA() { return keptDialog(m_inputPicA); }
InputPicB *FormSetting::inputPicB() { return keptDialog(m_inputPicB); }
LightModeSet *FormSetting::lightModeSet() { return keptDialog(m_lightModeSet); }

void FormSetting::buildUpdateDialogs()
{
    if (m_updateWarning)
        return;
    // Without a parent: the dialog is a frameless sub-window, which inside the
    // page would become a child widget instead of a window of its own.
    g_updateRepairDialog = new UpDateRepair(nullptr);
    g_updateRepairDialog->hide();
    m_updateWarning.reset(new UpDateWarning(nullptr));
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

// ---- Language --------------------------------------------------------------------------

void FormSetting::highlightLanguage(int index)
{
    const QString chosen = QString::fromLatin1(kLanguageChosen).arg(m_selectColor);
    ui->pushButton->setStyleSheet(index == 0 ? chosen : QString::fromLatin1(kLanguageOther));
    ui->pushButton_2->setStyleSheet(index == 0 ? QString::fromLatin1(kLanguageOther) : chosen);
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

    m_textReceive = langText(g_langFormSetting, index, 7);
    g_updateWarningText = langText(g_langFormSetting, index, 14);
    m_textNoDevice = langText(g_langFormSetting, index, 15);
    m_textSameDevice = langText(g_langFormSetting, index, 17);
    m_textVerNew = langText(g_langFormSetting, index, 18);
    // The update button keeps what it says, in the new language.
    showUpToDate();
    g_textNoRecieve = langText(g_langFormSetting, index, 23);
    g_textNoUSB = langText(g_langFormSetting, index, 24);
    g_textError = langText(g_langFormSetting, index, 25);
    g_textMultiMouse = langText(g_langFormSetting, index, 26);
    g_textMultiDongle = langText(g_langFormSetting, index, 27);
    // The update dialog's own text: the page shows it in that dialog.
    m_textStillWriting = langText(g_langAutoRepair, index, 13);
    m_textFileError = langText(g_langAutoRepair, index, 8);
    m_textForeignMouse = langText(g_langAutoRepair, index, 14);
}

void FormSetting::chooseLanguage(int index, bool restyleButtons)
{
    switchLanguage(index);
    PostMsg::instance()->postLanguageSameA(index);
    if (restyleButtons)
        highlightLanguage(index);
}

void FormSetting::on_pushButton_clicked()
{
    chooseLanguage(0, true);
}

void FormSetting::on_toolButton_clicked()
{
    chooseLanguage(0, true);
}

void FormSetting::on_pushButton_2_clicked()
{
    chooseLanguage(1, true);
}

void FormSetting::on_toolButton_2_clicked()
{
    chooseLanguage(1, true);
}

void FormSetting::on_comboBox_activated(int index)
{
    chooseLanguage(index, false);
}

// ---- Options without a control on the form ---------------------------------------------

void FormSetting::setStartWithSystem(bool checked)
{
    const QString name = QCoreApplication::applicationName();
    MacroSettings::instance()->writeString("AutoStart", "Enable", checked ? "1" : "0");
    if (checked)
        writeAutostartEntry(name, QCoreApplication::applicationFilePath());
    else
        removeAutostartEntry(name);
}

void FormSetting::on_checkBox_3_toggled(bool checked)
{
    setStartWithSystem(checked);
}

void FormSetting::on_checkBox_clicked(bool checked)
{
    setStartWithSystem(checked);
}

void FormSetting::on_checkBox_5_toggled(bool checked)
{
    MacroSettings::instance()->writeString("AutoMin", "Enable", checked ? "1" : "0");
}

void FormSetting::setReceiverLightMode(bool checked, u8 mode)
{
    if (!pageMayWrite())
        return;
    if (checked)
        setReceiverLedMode(mode);
    else
        isDeviceOnline();
}

void FormSetting::on_ReUntil_toggled(bool checked)
{
    setReceiverLightMode(checked, 1);
}

void FormSetting::on_ReUntil_2_toggled(bool checked)
{
    setReceiverLightMode(checked, 2);
}

void FormSetting::on_ReUntil_3_toggled(bool checked)
{
    setReceiverLightMode(checked, 3);
}

void FormSetting::on_checkBox_2_toggled(bool checked)
{
    if (!pageMayWrite())
        return;
    setLongRangeMode(checked ? 1 : 0);
}

void FormSetting::on_pushButton_5_clicked()
{
    // The product names its support page; without a web address there the
    // button opens nothing rather than a site the product does not own.
    const QString address = ConfigSettings::instance()->readString("Option", "SupportPage").trimmed();
    const QUrl url(address, QUrl::StrictMode);
    if (!url.isValid() || (url.scheme() != QLatin1String("https") && url.scheme() != QLatin1String("http"))) {
        qCDebug(lcDiagnostics) << "support page: no web address in Option/SupportPage of the product configuration:" << address;
        return;
    }
    QDesktopServices::openUrl(url);
}

void FormSetting::on_pushButton_6_clicked()
{
    openDesktopMouseSettings();
}

void FormSetting::on_CloseButton_clicked()
{
    PostMsg::instance()->postChangeMainDialog(0);
}

void FormSetting::on_checkBox_2_clicked(bool checked)
{
    Q_UNUSED(checked);
}

void FormSetting::on_pushButton_3_clicked()
{
}

void FormSetting::on_toolButton_4_clicked()
{
}

// ---- Device data the page hears of -----------------------------------------------------

void FormSetting::readAdvancedOptions() const
{
    ConfigSettings::instance()->readStringList("Adveanced", selectedDriveGroup());
}

void FormSetting::SlotRGBValue(DongleRGB *Rgb)
{
    Q_UNUSED(Rgb);
    readAdvancedOptions();
}

void FormSetting::SlotForm()
{
    readAdvancedOptions();
}

void FormSetting::SlotFormB()
{
    readAdvancedOptions();
}

void FormSetting::SlotLanguageSameB(int index)
{
    Q_UNUSED(index);
}

void FormSetting::SlotLightToFrom(int index)
{
    Q_UNUSED(index);
}

void FormSetting::SlotLongRangeMode(bool Select)
{
    Q_UNUSED(Select);
}

void FormSetting::SlotFormMove(int index)
{
    Q_UNUSED(index);
}

void FormSetting::SlotFormResetForm()
{
}

void FormSetting::SlotScroolChange(int value)
{
    Q_UNUSED(value);
}

void FormSetting::SlotSetStyle(int index)
{
    Q_UNUSED(index);
}

void FormSetting::SlotLabelText(int index, QString Text)
{
    // The engine has given the chosen device this version already.
    if (index == 0)
        showReceiverVersion(Text);
    else if (index == 1)
        showMouseVersion(Text);
    PostMsg::instance()->postSetLabelVerB();
}

void FormSetting::SlotLabelTextB(QString TextA, QString Text)
{
    showReceiverVersion(TextA);
    if (Text == QLatin1String("true"))
        setUpdateWaitingStyle();
    else
        setUpToDateStyle();
}

void FormSetting::setUpToDateStyle()
{
    ui->Receive_2->setStyleSheet(
        "QToolButton{border:0px;background-position:center;background-repeat:no-repeat;color: rgb(" + m_buttonColor
        + ");border-image: url(" + m_pictureDir + "Confirm.png" + ");}");
}

void FormSetting::setUpdateWaitingStyle()
{
    ui->Receive_2->setStyleSheet(
        "QToolButton{border:0px;background-position:center;background-repeat:no-repeat;color: rgb(" + m_buttonColor
        + ");background-image: url(" + m_pictureDir + "WaitUpdate.png" + ");}QToolButton::hover{background-image: url("
        + m_pictureDir + "WaitUpdateHover.png" + ");}");
}

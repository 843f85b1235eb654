#include "updaterepair.h"
#include "ui_UpDateRepair.h"

#include "configsettings.h"
#include "deviceevent.h"
#include "deviceenumeration.h"
#include "devicesearch.h"
#include "devicestate.h"
#include "firmwareimage.h"
#include "globals.h"
#include "pagebackground.h"
#include "pagerepairdialog.h"
#include "postmsg.h"
#include "screenmetrics.h"
#include "startup.h"
#include "updateengine.h"
#include "widgetfonts.h"

#include <QCoreApplication>
#include <QKeySequence>

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
    UpdateEngine::instance()->viewShown(this, false);
    delete ui;
}

void UpDateRepair::setVisible(bool visible)
{
    QDialog::setVisible(visible);
    if (this == g_updateRepairDialog)
        g_updateDialogShown = isVisible();
    // Closing the dialog is how the user dismisses a run's end view.
    UpdateEngine::instance()->viewShown(this, isVisible());
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
    // The action button closes a view that says why nothing starts, or how
    // a run ended.
    const RunView::Stage stage = UpdateEngine::instance()->runView().stage;
    const bool offersOk = stage == RunView::Stage::Refused || stage == RunView::Stage::Ended;
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
    m_textStillWriting = langText(g_langAutoRepair, index, 13);
    m_textUpdateNotMove = langText(g_langProgress, index, 0);
    m_textUpDateSuccess = langText(g_langProgress, index, 1);
    m_textUpDateFail = langText(g_langProgress, index, 2);
    m_textForeignMouse = langText(g_langAutoRepair, index, 14);
    m_textRepairDevice = langText(g_langDialogChange, index, 4);
    // The buttons speak the language in use in every view, also those that
    // show them without setting their texts (the automatic update's end).
    ui->NewHong->setText(m_textCancel);
    ui->NewHong_2->setText(offersOk ? m_textRepairDevice : m_textNewHong2);
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

namespace {

// Where an end view's text naming a device stands: the language page and
// the receiver's text's position, the mouse's following it.
struct DeviceTexts {
    RunOutcome outcome;
    bool progressPage;   // else the AutoRepair page
    int receiverPosition;
};
const DeviceTexts kDeviceTexts[] = {
    {RunOutcome::Failed, true, 3},      {RunOutcome::Unchanged, true, 5}, {RunOutcome::WrongDevice, true, 7},
    {RunOutcome::Several, true, 9},     {RunOutcome::Absent, true, 11},   {RunOutcome::Silent, true, 13},
    {RunOutcome::NoImage, false, 16}};

} // namespace

QString UpDateRepair::endText(RunOutcome outcome, int deviceCode) const
{
    switch (outcome) {
    case RunOutcome::Completed:
        return m_textUpDateSuccess;
    case RunOutcome::NoAnswer:
        return langText(g_langAutoRepair, g_language, 18);
    default:
        break;
    }
    const bool named = deviceCode == kReceiverDeviceCode || deviceCode == kMouseDeviceCode;
    for (const DeviceTexts &texts : kDeviceTexts) {
        if (texts.outcome == outcome && named)
            return langText(texts.progressPage ? g_langProgress : g_langAutoRepair, g_language,
                            texts.receiverPosition + (deviceCode == kMouseDeviceCode ? 1 : 0));
    }
    return m_textUpDateFail;
}

void UpDateRepair::showEndView(int kind, int deviceCode)
{
    // A repair's failure view leaves the action button as it was.
    if (kind != ProgressRepairFailed) {
        ui->NewHong_2->setText(m_textRepairDevice);
        ui->NewHong_2->show();
    }
    ui->ToolText_2->setText(endText(outcomeOfProgressKind(kind), deviceCode));
    ui->ToolText_2->show();
    ui->NewHong->show();
    ui->CloseButton->setEnabled(true);
    ui->NewHong->setEnabled(true);
    if (kind == ProgressCompleted)
        ui->progressBar_2->setValue(100);
    if (kind == ProgressFailedAtHalf)
        ui->progressBar_2->setValue(50);
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
    case ProgressBar:
        ui->progressBar_2->setValue(schedue);
        break;
    case ProgressHideCancel:
        ui->NewHong->hide();
        break;
    case ProgressHideCancelEmptyBar:
        ui->NewHong->hide();
        ui->progressBar_2->setValue(0);
        break;
    default:
        if (outcomeOfProgressKind(Discrib) != RunOutcome::None)
            showEndView(Discrib, schedue);
        break;
    }
    setShortcuts();
}

// ---- Check and run -----------------------------------------------------------------

void UpDateRepair::showReason(UpdateReason reason)
{
    QString text;
    switch (reason) {
    case UpdateReason::NoReceiver: text = m_textNoRecieve; break;
    case UpdateReason::NoCable: text = m_textNoUSB; break;
    case UpdateReason::MultiMouse: text = m_textMultiMouse; break;
    case UpdateReason::MultiDongle: text = m_textMultiDongle; break;
    case UpdateReason::SameDevice: text = m_textSameDevice; break;
    case UpdateReason::FileError: text = m_textFileError; break;
    case UpdateReason::StillWriting: text = m_textStillWriting; break;
    case UpdateReason::ForeignMouse: text = m_textForeignMouse; break;
    case UpdateReason::MouseOffCable: text = langText(g_langAutoRepair, g_language, 15); break;
    case UpdateReason::NoReceiverImage: text = endText(RunOutcome::NoImage, kReceiverDeviceCode); break;
    case UpdateReason::NoMouseImage: text = endText(RunOutcome::NoImage, kMouseDeviceCode); break;
    case UpdateReason::NoAnswer: text = endText(RunOutcome::NoAnswer, 0); break;
    case UpdateReason::None: return;
    case UpdateReason::NoDevice:
    case UpdateReason::OtherDevice:
    case UpdateReason::Error:
    case UpdateReason::WiredMode:
    case UpdateReason::VersionNew: text = m_textNoDevice; break;
    }
    setStateText(text);
    showErrorView();
}

bool UpDateRepair::checkRepair()
{
    const RepairPlan plan = UpdateEngine::instance()->checkRepair(m_autoUpdate != 0);
    showReason(plan.reason);
    return plan.offered;
}

void UpDateRepair::SlotRepairCheckUpdate()
{
    // A run's view, and its end view until the user dismisses it, is not
    // replaced by a check.
    if (UpdateEngine::instance()->dialogHeld())
        return;
    if (checkRepair())
        showReadyView();
}

void UpDateRepair::startAutoUpdate(int index)
{
    Q_UNUSED(index);
    m_autoUpdate = 1;
    const RepairPlan plan = UpdateEngine::instance()->planAutomaticUpdate();
    showReason(plan.reason);
    if (plan.offered)
        runRepairUpdate();
}

void UpDateRepair::runRepairUpdate()
{
    // A run is started once, from the offer on screen.
    UpdateEngine *engine = UpdateEngine::instance();
    if (engine->runView().stage != RunView::Stage::Offered || engine->runInProgress())
        return;
    showUpdatingView();
    UpdateReason why = UpdateReason::None;
    const int started = engine->startRepairRun(&why);
    if (started == -1)
        showReason(why);
    if (started == -3)
        showReason(UpdateReason::StillWriting);
}

void UpDateRepair::upgradeProgressCallback(const unsigned char *event)
{
    UpdateEngine::updaterCallback(event);
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
    // The device page takes its device server back from the updater. The
    // device list runs none: a server left running there would offer
    // updates for a page nobody sees whenever that device comes back.
    if (g_devicePageActive == 1)
        restartEventServer();
    PostMsg::instance()->postSetLabelVerB();
    QDialog::reject();
}

void UpDateRepair::showRunEnd()
{
    // Whether the devices are up to date is what the run read back from
    // them, not where the bar stands: a write can fail after 100 %.
    if (UpdateEngine::instance()->lastRunCompleted())
        PostMsg::instance()->postSetNewVer();
    else if (g_devicePageActive == 1)
        PostMsg::instance()->postChangeMainDialog(0);
}

void UpDateRepair::on_NewHong_2_clicked()
{
    const UpdateEngine *engine = UpdateEngine::instance();
    if (engine->runInProgress())
        return;
    const RunView &view = engine->runView();
    switch (view.stage) {
    case RunView::Stage::Ended:
        showRunEnd();
        finishAndClose();
        break;
    case RunView::Stage::Refused:
        finishAndClose();
        break;
    case RunView::Stage::Offered:
        // The settings page runs the update it offered.
        if (view.settingsRun)
            PostMsg::instance()->postUpdateStart();
        else
            runRepairUpdate();
        break;
    case RunView::Stage::Idle:
    case RunView::Stage::Running:
        break;
    }
}

void UpDateRepair::closeSequence()
{
    // Nothing closes the dialog from the user's confirmation to the run's
    // end view: a user who sees the dialog go takes the device for free.
    const UpdateEngine *engine = UpdateEngine::instance();
    if (engine->runInProgress())
        return;
    if (engine->runView().stage == RunView::Stage::Ended)
        showRunEnd();
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

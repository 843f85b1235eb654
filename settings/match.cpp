#include "match.h"

#include "ui_Match.h"

#include "configsettings.h"
#include "deviceenumeration.h"
#include "devicepairing.h"
#include "devicestate.h"
#include "devicewatch.h"
#include "globals.h"
#include "pagebackground.h"
#include "postmsg.h"
#include "screenmetrics.h"
#include "startup.h"
#include "widgetfonts.h"

#include <QCoreApplication>
#include <QEvent>
#include <QKeySequence>
#include <QTimer>

int g_pairState = 0;
u8 g_pairing = 0;
u8 g_reopenDevicePage = 0;
QTimer *g_pairPollTimer = nullptr;
QTimer *g_pairBlinkTimer = nullptr;
QTimer *g_pairTextTimer = nullptr;
int g_pairTextStep = 0;
QString g_pairButtonColor;

namespace {

// After a run that began on a device page, the page is active again.
void reopenDevicePage()
{
    if (g_reopenDevicePage) {
        g_reopenDevicePage = 0;
        g_devicePageActive = 1;
    }
}

// The receiver's pairing status, on the GUI thread: success and failure end
// the run; still pairing changes nothing.
void handlePairStatus(PairStatus status)
{
    PostMsg *hub = PostMsg::instance();
    switch (status) {
    case PairStatus::Succeeded:
        hub->postTimerStop();
        g_pairing = 0;
        g_pairState = 2;
        hub->postButtonEnable(1);
        break;
    case PairStatus::Failed:
        hub->postTimerStop();
        g_pairing = 0;
        g_pairState = 3;
        hub->postButtonEnable(0);
        break;
    case PairStatus::Pairing:
        return;
    }
    reopenDevicePage();
}

} // namespace

Match::Match(QWidget *parent)
    : QDialog(parent), ui(new Ui::Match)
{
    ui->setupUi(this);
    scaleWidgetFonts(this, fontFactorForDpi(logicalScreenDpi()));

    g_matchPictureDir = programDir() + "/Picture/Setting/";
    setWindowFlags(Qt::SubWindow | Qt::BypassWindowManagerHint | Qt::FramelessWindowHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint);
    setFixedSize(width(), height());
    setAttribute(Qt::WA_TranslucentBackground);

    ConfigSettings *config = ConfigSettings::instance();
    g_matchLabelColor = rgbTriple(config->readStringList("Option", "LabelColor"), "0,0,0");
    ui->textEdit->setStyleSheet("QLabel{border: transparent;background-color: transparent;color: rgb(" + g_matchLabelColor
                                + ";);}");
    ui->label->setStyleSheet("#label{color: rgb(" + g_matchLabelColor + ";);}");
    ui->label->hide();

    g_pairButtonColor = rgbTriple(config->readStringList("Option", "ButtonColor"), "255,255,255");
    ui->MatchButton->setStyleSheet(pairButtonStyle());
    const QString dir = g_matchPictureDir;
    ui->CloseButton->setStyleSheet("QToolButton{border:0px;background-image: url(" + dir + "Close.png"
                                   + ");background-position:center;background-repeat:no-repeat;}QToolButton:hover{background-image: url("
                                   + dir + "CloseHover.png" + ");}QToolButton:pressed{background-image: url(" + dir
                                   + "CloseClick.png" + ");}");
    showFramePicture(ui->MatchA, dir + "BackSecondPage.png", PageBackground::Stretch);

    m_selectedPath = g_selectedDevice.devicePath;

    g_pairBlinkTimer = new QTimer(this);
    g_pairPollTimer = new QTimer(this);
    g_pairTextTimer = new QTimer(this);
    connect(g_pairPollTimer, &QTimer::timeout, this, &Match::onPairTimeupDestroy);
    connect(g_pairBlinkTimer, &QTimer::timeout, this, &Match::onUSBTimeupDestroy);
    connect(g_pairTextTimer, &QTimer::timeout, this, &Match::onTextTimeupDestroy);
    g_pairPollTimer->setInterval(1000);
    g_pairBlinkTimer->setInterval(100);
    g_pairTextTimer->setInterval(500);

    PostMsg *hub = PostMsg::instance();
    connect(hub, &PostMsg::SigTimerStop, this, &Match::SlotStopTimer);
    connect(hub, &PostMsg::SigButtonEnable, this, &Match::SlotButtonenable);
    connect(ui->CloseButton, &QToolButton::clicked, this, &Match::WindowClosedSet);
    connect(hub, &PostMsg::SigAllLanguage, this, &Match::SlotAllLanguage);
    SlotAllLanguage(g_language);
}

Match::~Match()
{
    // The timers go with the dialog; nobody may start them afterwards.
    for (QTimer **timer : {&g_pairPollTimer, &g_pairBlinkTimer, &g_pairTextTimer}) {
        if (*timer && (*timer)->parent() == this)
            *timer = nullptr;
    }
    delete ui;
}

QString Match::pairButtonStyle() const
{
    // A button that cannot act shows it: grey face, grey text.
    return "QPushButton{border:0px;background-position:center;background-repeat:no-repeat;color: rgb(" + g_pairButtonColor
           + ";);border-image: url(" + g_matchPictureDir + "Pair.png" + ");}"
           + "QPushButton:disabled{color: rgb(128,134,145);border-image: url(" + g_matchPictureDir + "PairDisabled.png"
           + ");}";
}

void Match::init()
{
    ui->MatchButton->setShortcut(QKeySequence(Qt::Key_Space));
    g_pairTextStep = 0;
    g_pairState = 0;
    ui->MatchButton->setEnabled(true);
    ui->MatchButton->setStyleSheet(pairButtonStyle());
    ui->MatchButton->setText(m_textMatchButton);

    DeviceAllInfo device;
    m_hasDevice = true;
    if (g_devicePageActive == 1)
        device = g_selectedDevice;
    else if (g_pairWithStoredDevice == 1)
        device = g_pairDevice;
    else if (!g_foundDevices.isEmpty())
        device = g_foundDevices.first();
    else
        m_hasDevice = false;   // nothing to pair: the button stays disabled
    m_cid = device.cid;
    m_pidText = device.pidText;
    m_vidText = device.vidText;
    m_isWired = device.isWired ? 1 : 0;
    m_devicePath = g_devicePageActive == 1 ? m_selectedPath : device.devicePath;

    if (m_cid != 0) {
        // Asked of the device that is paired; a device that never answers
        // keeps the CID its record has.
        askDeviceCid(m_devicePath.toLatin1(), &m_cid);
    }
    if (m_cid == 0) {
        const QStringList vpc = ConfigSettings::instance()->readStringList("Option", "VPC");
        int cid = 6;
        for (int i = 0; i + 2 < vpc.size(); i += 3) {
            if (vpc.at(i).trimmed() == m_vidText && vpc.at(i + 1).trimmed() == m_pidText)
                cid = vpc.at(i + 2).trimmed().toInt(nullptr, 10);
        }
        m_cid = u8(cid);
    }

    if (g_pairBlinkTimer)
        g_pairBlinkTimer->start();
}

void Match::onUSBTimeupDestroy()
{
    if (!g_pairing) {
        m_pairAllowed = m_hasDevice && !m_isWired ? 1 : 0;
        ui->label->setVisible(m_isWired != 0);
        ui->textEdit->setVisible(m_isWired == 0);
    }
    // After success the button has nothing left to do.
    ui->MatchButton->setEnabled(m_pairAllowed != 0 && g_pairState != 2);
}

void Match::on_MatchButton_clicked()
{
    if (g_pairState == 2 || m_pairAllowed != 1)
        return;
    g_pairState = 1;
    if (g_pairTextTimer)
        g_pairTextTimer->start();
    ui->MatchButton->setText(m_textMatching);
    ui->MatchButton->setStyleSheet(pairButtonStyle());
    if (g_devicePageActive == 1) {
        g_devicePageActive = 0;
        g_reopenDevicePage = 1;
    }
    g_pairing = 0;
    startPairing();
}

void Match::startPairing()
{
    if (g_pairing == 0) {
        g_pairing = 1;
        m_pollsWithoutAnswer = 0;
        if (g_pairPollTimer)
            g_pairPollTimer->start();
        startPairingServer(m_devicePath.toUtf8(), &handlePairStatus);
    }
    enterPairing(m_cid);
}

void Match::SlotStopTimer()
{
    if (g_pairPollTimer)
        g_pairPollTimer->stop();
    if (g_pairTextTimer)
        g_pairTextTimer->stop();
}

void Match::SlotButtonenable(int index)
{
    if (index == 0) {
        ui->MatchButton->setText(m_textMatchFail);
    } else if (index == 1) {
        ui->MatchButton->setText(m_textMatchSuccess);
        ui->MatchButton->setEnabled(false);
    }
}

void Match::failRun()
{
    SlotStopTimer();
    g_pairing = 0;
    g_pairState = 3;
    ui->MatchButton->setText(m_textMatchFail);
    reopenDevicePage();
}

void Match::onPairTimeupDestroy()
{
    requestPairStatus();
    const bool present = deviceStillFound(m_vidText, m_pidText, m_devicePath.toLatin1());
    if (!g_pairing)
        return;
    // The device went, or the receiver never gave its verdict: either way
    // the dialog must not wait forever (it cannot be closed while pairing).
    if (!present || ++m_pollsWithoutAnswer >= kPairTimeoutPolls)
        failRun();
}

void Match::onTextTimeupDestroy()
{
    static const char *const dots[] = {"", ".", "..", "..."};
    if (g_pairTextStep >= 0 && g_pairTextStep <= 3) {
        ui->MatchButton->setText(m_textMatching + QLatin1String(dots[g_pairTextStep]));
        ++g_pairTextStep;
    } else {
        g_pairTextStep = 0;
    }
}

void Match::WindowClosedSet()
{
    if (g_pairing)
        return;
    watchDeviceChanges(DeviceChangeListener::DeviceList);
    for (QTimer *timer : {g_pairPollTimer, g_pairBlinkTimer, g_pairTextTimer}) {
        if (timer)
            timer->stop();
    }
    QDialog::reject();
}

void Match::reject()
{
    WindowClosedSet();
}

void Match::SlotAllLanguage(int index)
{
    ui->label->setText(langText(g_langMatch, index, 0));
    ui->textEdit->setText(langText(g_langMatch, index, 1));
    m_textMatchButton = langText(g_langMatch, index, 2);
    ui->MatchButton->setText(m_textMatchButton);
    m_textMatching = langText(g_langMatch, index, 3);
    m_textMatchFail = langText(g_langMatch, index, 4);
    m_textMatchSuccess = langText(g_langMatch, index, 5);
}

void Match::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        ui->retranslateUi(this);
}

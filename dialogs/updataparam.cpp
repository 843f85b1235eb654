#include "updataparam.h"
#include "ui_UpDataParam.h"

#include "configsettings.h"
#include "devicesetters.h"
#include "devicestate.h"
#include "globals.h"
#include "guithread.h"
#include "imagecache.h"
#include "inportfail.h"
#include "pagebackground.h"
#include "postmsg.h"
#include "screenmetrics.h"
#include "startup.h"
#include "widgetfonts.h"

#include <QTimer>

#include <cstring>

int g_upDataParamTextIndex = 0;

namespace {
constexpr int kRefreshPolls = 12;
constexpr int kRefreshPollMs = 500;
constexpr int kReloadPauseMs = 2000;
constexpr int kImportPolls = 5;
}

UpDataParam::UpDataParam(QWidget *parent)
    : QDialog(parent), ui(new Ui::UpDataParam)
{
    ui->setupUi(this);
    setAttribute(Qt::WA_TranslucentBackground);
    m_pictureDir = programDir() + "/Picture/WarningDialog/";
    setWindowFlags(Qt::WindowFlags(0x6C12));
    m_closeTimer = new QTimer(this);
    m_closeTimer->setSingleShot(true);

    const QStringList color = ConfigSettings::instance()->readStringList("Option", "LabelColor");
    ui->label->setStyleSheet("QLabel{color: rgb(" + rgbTriple(color, themeRgbTriple(g_themeLabelColor)) + ");}");
    showFramePicture(ui->UpDataParamA, m_pictureDir + "BackGround.png", PageBackground::Stretch);

    connect(m_closeTimer, &QTimer::timeout, this, &UpDataParam::onTimeupDestroy);
    connect(PostMsg::instance(), &PostMsg::SigAllLanguage, this, &UpDataParam::SlotAllLanguage);
    SlotAllLanguage(g_language);
    scaleWidgetFonts(this, fontFactorForDpi(logicalScreenDpi()));
}

UpDataParam::~UpDataParam() = default;

void UpDataParam::startCloseTimer()
{
    m_closeTimer->start(kCloseDelayMs);
}

void UpDataParam::prepare(int index)
{
    Q_UNUSED(index);
}

void UpDataParam::SlotAllLanguage(int index)
{
    if (g_upDataParamTextIndex == 0)
        ui->label->setText(langText(g_langUpDataParam, index, 0));
    else if (g_upDataParamTextIndex == 1)
        ui->label->setText(langText(g_langUpDataParam, index, 1));
}

void UpDataParam::SlotSetStyle(int index)
{
    Q_UNUSED(index);
}

bool UpDataParam::waitForButtonPage()
{
    for (int i = 0; i < kRefreshPolls && !g_buttonUiUpToDate; ++i)
        waitWithEvents(kRefreshPollMs);
    return g_buttonUiUpToDate != 0;
}

void UpDataParam::onTimeupDestroy()
{
    // The waits below run the event loop; a timer restarted meanwhile must
    // not start a second round on top of this one.
    if (m_running)
        return;
    m_running = true;

    PostMsg::instance()->postSetver(4);
    if (reloadMode)
        runReload();
    else {
        qCDebug(lcDiagnostics) << "z";
        if (importMode)
            runImport();
        else if (g_deviceDataLoaded)
            runDeviceData();
        else
            runNoDeviceData();
    }
    m_running = false;
}

void UpDataParam::runReload()
{
    const bool refreshed = waitForButtonPage();
    // The device settles after a status change: the notice stays a while
    // longer. The window keeps painting meanwhile, and the device's signals
    // keep arriving.
    waitWithEvents(kReloadPauseMs);
    // The wait notice goes before the offline notice comes: both are modal.
    close();
    if (!refreshed)
        PostMsg::instance()->postMouseOffLineo(0);
}

void UpDataParam::runImport()
{
    FlashDataMap record;
    std::memset(&record, 0, sizeof record);
    const int result = readConfigFile(importPath, &record);
    g_importResult = result;
    if (result == ConfigImportOk) {
        sendWholeImage(record);
        PostMsg *hub = PostMsg::instance();
        hub->postUpDataLightUIA(record);
        hub->postUpDataSensorUIB(record);
        hub->postUpDataButtonUIC(record);
        hub->postFormB();
        for (int i = 0; i < kImportPolls; ++i)
            waitWithEvents(kRefreshPollMs);
    } else {
        InportFail notice(nullptr);
        const QPoint origin = mapToGlobal(QPoint(0, 0));
        notice.move(origin.x() + (width() - notice.width()) / 2, origin.y() + (height() - notice.height()) / 2);
        notice.exec();
    }
    importMode = false;
    close();
}

void UpDataParam::runDeviceData()
{
    qCDebug(lcDiagnostics) << "v";
    const bool refreshed = waitForButtonPage();
    if (refreshed)
        g_buttonUiUpToDate = 0;
    close();
    qCDebug(lcDiagnostics) << "vvv";
    if (!refreshed)
        PostMsg::instance()->postMouseOffLineo(1);
    qCDebug(lcDiagnostics) << "vv";
    if (g_deviceOnline && !g_deviceCacheName.isEmpty()) {
        FlashDataMap cached;
        if (!loadDeviceInfo(g_deviceCachePath, &cached))
            saveDeviceInfo(g_deviceCacheName, g_flashDataMap);
    }
}

void UpDataParam::runNoDeviceData()
{
    qCDebug(lcDiagnostics) << "x";
    FlashDataMap cached;
    std::memset(&cached, 0, sizeof cached);
    PostMsg *hub = PostMsg::instance();
    if (loadDeviceInfo(g_deviceCachePath, &cached)) {
        hub->postUpDataLightUIA(cached);
        hub->postUpDataSensorUIB(cached);
        hub->postUpDataButtonUIC(cached);
        hub->postFormB();
    }
    hub->postMouseOffLineo(0);
    close();
}

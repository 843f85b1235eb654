#include "buttoninterface.h"

#include "HIDUsb.h"
#include "configsettings.h"
#include "containreset.h"
#include "deviceevent.h"
#include "globals.h"
#include "imagecache.h"
#include "match.h"
#include "postmsg.h"
#include "updataparam.h"
#include "worker.h"

#include <QFileDialog>
#include <QTimer>

#include <cstring>

namespace {
// How long the page's end waits for the worker thread. run() can be held in
// a blocking emit towards this very thread, so the wait must end.
constexpr int kWorkerFinishWaitMs = 2000;

QString driveGroup()
{
    return "Drive" + QString::number(g_selectedDevice.driveIndex + 1);
}
} // namespace

Buttoninterface::Buttoninterface(QWidget *parent)
    : QWidget(parent)
{
    std::memset(&m_shownImage, 0, sizeof m_shownImage);

    registerDeviceMetaTypes();
    PostMsg *hub = PostMsg::instance();
    connect(hub, SIGNAL(SigUpDataReportRate(int)), this, SLOT(SlotUpDataReportRate(int)),
            Qt::BlockingQueuedConnection);
    connect(hub, SIGNAL(SigUpDataDPI(int)), this, SLOT(SlotUpDataDPI(int)), Qt::BlockingQueuedConnection);
    connect(hub, SIGNAL(SigBattery(bool, int, bool)), this, SLOT(SlotBattery(bool, int, bool)),
            Qt::BlockingQueuedConnection);
    connect(hub, SIGNAL(SigMouseIndex(int)), this, SLOT(SlotMouseIndex(int)));
    connect(hub, SIGNAL(SigUpDataLightUIButton(FlashDataMap)), this, SLOT(SlotUpDataButtonUIButton(FlashDataMap)),
            Qt::BlockingQueuedConnection);
    connect(hub, SIGNAL(SigUpDataConfigUI(int, int, bool)), this, SLOT(SlotUpDataConfigUI(int, int, bool)),
            Qt::BlockingQueuedConnection);
    connect(hub, SIGNAL(SigUpDataButtonUIC(FlashDataMap)), this, SLOT(SlotUpDataButtonUIB(FlashDataMap)));
    connect(hub, SIGNAL(SigFormReset()), this, SLOT(SlotFormResetButton()), Qt::BlockingQueuedConnection);

    g_worker = new Worker(this);
}

Buttoninterface::~Buttoninterface()
{
    Worker::clearReadPending();
    if (Worker *worker = g_worker) {
        g_worker = nullptr;
        // Delete the thread object only once its thread has ended; a thread
        // still held after the bound ends later and then deletes itself.
        if (worker->wait(kWorkerFinishWaitMs))
            worker->deleteLater();
        else
            connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    }
    StopUsbChanged();
}

int Buttoninterface::reportRateIndexOf(int code)
{
    switch (code) {
    case 0x08: return 0;
    case 0x04: return 1;
    case 0x02: return 2;
    case 0x01: return 3;
    case 0x10: return 4;
    case 0x20: return 5;
    case 0x40: return 6;
    default: return -1;
    }
}

void Buttoninterface::refreshFromImage(const FlashDataMap &image)
{
    g_sensorName = ConfigSettings::instance()->readString(driveGroup(), "Sensor");
    m_shownImage = image;
    m_factoryView = false;

    const int rate = reportRateIndexOf(image.reportRate);
    if (rate >= 0)
        m_reportRateIndex = rate;
    if (g_selectedDevice.isReceiver && (image.reportRate == 0x10 || image.reportRate == 0x20))
        m_reportRateIndex = 3;
    m_dpiLevel = image.dpiLevel;

    const int keys = qBound(0, ConfigSettings::instance()->readString(driveGroup(), "KeyNumber").toInt(), 16);
    m_buttonTypes.clear();
    m_buttonCodes.clear();
    m_buttonParams.clear();
    for (int k = 0; k < keys; ++k) {
        m_buttonTypes.append(image.buttonFunctions[k].type);
        m_buttonCodes.append(image.buttonFunctions[k].code);
        m_buttonParams.append(image.buttonFunctions[k].param);
    }
    ++m_fullRefreshCount;
}

void Buttoninterface::SlotUpDataButtonUIButton(FlashDataMap DataMap)
{
    g_buttonUiUpToDate = 0;
    g_buttonPageRefreshing = 1;
    refreshFromImage(DataMap);
    g_buttonUiUpToDate = 1;
    g_buttonPageRefreshing = 0;
}

void Buttoninterface::SlotUpDataButtonUIB(FlashDataMap DataMap)
{
    g_buttonPageRefreshing = 1;
    refreshFromImage(DataMap);
    PostMsg::instance()->postLightToFrom(DataMap.sleepTime * 10);
    g_buttonPageRefreshing = 0;
}

void Buttoninterface::SlotUpDataConfigUI(int ToTalItem, int SelectIndex, bool ItemEnable)
{
    m_profileCount = ToTalItem > 0 ? ToTalItem : (ToTalItem == 0 ? 1 : 0);
    m_profileEnabled = ItemEnable;
    if (ToTalItem >= 1)
        m_profileIndex = SelectIndex;
}

void Buttoninterface::SlotUpDataDPI(int index)
{
    g_uiWriteEnabled = 0;
    if (index >= 0 && index <= 7)
        m_dpiLevel = index;
    g_uiWriteEnabled = 1;
}

void Buttoninterface::SlotUpDataReportRate(int index)
{
    const int rate = reportRateIndexOf(index);
    if (rate >= 0)
        m_reportRateIndex = rate;
}

void Buttoninterface::SlotBattery(bool IsCharg, int Number, bool IsText)
{
    m_charging = IsCharg;
    m_batteryLevel = Number;
    m_batteryText = QString::number(Number) + (IsText ? QStringLiteral("%") : QString());
}

void Buttoninterface::SlotFormResetButton()
{
    g_buttonPageRefreshing = 1;
    m_factoryView = true;
    m_dpiLevel = 1;
    m_reportRateIndex = 3;
    PostMsg::instance()->postMouseIndex(0);
    PostMsg::instance()->postLightToFrom(60);
    g_buttonPageRefreshing = 0;
}

void Buttoninterface::SlotMouseIndex(int index)
{
    Q_UNUSED(index);
}

void Buttoninterface::placeNotice(QWidget *notice, int dx, int dy) const
{
    const QPoint origin = mapToGlobal(QPoint(0, 0));
    notice->move(origin.x() + (width() - notice->width()) / 2 + dx,
                 origin.y() + (height() - notice->height()) / 2 + dy);
}

void Buttoninterface::on_ImportData_clicked()
{
    if (!UsbFinderC_GetDeviceOnLine(g_deviceHandle)) {
        PostMsg::instance()->postMouseOffLineo(0);
        return;
    }
    g_configApplying = 1;
    const QString name = QFileDialog::getOpenFileName(this, "SelectFile", "G:", "File(*.bin)");
    if (!name.isEmpty()) {
        g_upDataParamTextIndex = 1;
        UpDataParam notice(nullptr);
        notice.startCloseTimer();
        notice.importMode = true;
        notice.importPath = name;
        placeNotice(&notice, 20, -50);
        notice.exec();
        g_upDataParamTextIndex = 0;
    }
    g_configApplying = 0;
}

void Buttoninterface::on_OutputData_clicked()
{
    const QString name = QFileDialog::getSaveFileName(this, "FileSave", "G:", "File(*.bin)");
    if (!name.isEmpty())
        ExportConfigFile(this, name, g_flashDataMap);
}

void Buttoninterface::on_Reset_clicked()
{
    if (!UsbFinderC_GetDeviceOnLine(g_deviceHandle)) {
        PostMsg::instance()->postMouseOffLineo(0);
        return;
    }
    {
        ContainReset question(nullptr);
        placeNotice(&question, 0, 0);
        question.exec();
        if (!question.accepted)
            return;
    }
    g_configApplying = 1;
    if (g_checkTimer)
        g_checkTimer->stop();
    UsbServer_SetBatteryOptimizeEnable(0);
    ProtocolDataUpdate(&g_flashDataMap);
    UsbServer_SetClearSetting();

    UpDataParam notice(nullptr);
    notice.startCloseTimer();
    // The worker restarts the server and reads the restored configuration;
    // the notice closes once the page has refreshed from it.
    g_workerReadPending = 1;
    if (g_worker)
        g_worker->start(QThread::InheritPriority);
    placeNotice(&notice, 0, 0);
    notice.exec();

    g_configApplying = 0;
    if (g_checkTimer)
        g_checkTimer->start();
}

void Buttoninterface::on_Reset_2_clicked()
{
    {
        Match pairing(nullptr);
        pairing.init();
        placeNotice(&pairing, 0, 0);
        pairing.exec();
    }
    StartUsbChanged(&Worker::onUsbChanged, 600);
    UsbServerC_Start(g_deviceHandle, g_deviceHandle, onDeviceEvent);
}

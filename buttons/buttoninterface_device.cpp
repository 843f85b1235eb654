// The page's operations that drive the device link as a whole: factory
// reset, pairing, and the configuration export and import.
#include "buttoninterface.h"

#include "HIDUsb.h"
#include "containreset.h"
#include "deviceevent.h"
#include "globals.h"
#include "imagecache.h"
#include "macroeditorshared.h"
#include "match.h"
#include "postmsg.h"
#include "updataparam.h"
#include "worker.h"

#include <QFileDialog>
#include <QTimer>

void Buttoninterface::placeNotice(QWidget *notice, int dx, int dy) const
{
    placeOverPage(notice, this, dx, dy);
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
        placeNotice(&question, 20, -50);
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
    // The notice waits for the page to refresh from the restored
    // configuration; a refresh from before the reset must not count.
    notice.reloadMode = true;
    g_buttonUiUpToDate = 0;
    // The worker restarts the server and reads the restored configuration.
    g_workerReadPending = 1;
    if (g_worker)
        g_worker->start(QThread::InheritPriority);
    placeNotice(&notice, 20, -50);
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
        placeNotice(&pairing, -70, -30);
        pairing.exec();
    }
    // The pairing dialog listened to device changes for the device list;
    // the page takes them back and talks to its device again.
    StartUsbChanged(&Worker::onUsbChanged, 600);
    UsbServerC_Start(g_deviceHandle, g_deviceHandle, onDeviceEvent);
}

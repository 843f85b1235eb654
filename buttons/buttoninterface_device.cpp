// The page's operations that drive the device link as a whole: factory
// reset, pairing, and the configuration export and import.
#include "buttoninterface.h"

#include "containreset.h"
#include "deviceevent.h"
#include "devicesetters.h"
#include "devicestate.h"
#include "devicewatch.h"
#include "globals.h"
#include "imagecache.h"
#include "macroeditorshared.h"
#include "match.h"
#include "updataparam.h"
#include "worker.h"

#include <QFileDialog>

void Buttoninterface::placeNotice(QWidget *notice, int dx, int dy) const
{
    placeOverPage(notice, this, dx, dy);
}

void Buttoninterface::on_ImportData_clicked()
{
    if (!isDeviceOnline())
        return;
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
        ExportConfigFile(name, g_flashDataMap);
}

void Buttoninterface::on_Reset_clicked()
{
    if (!isDeviceOnline())
        return;
    {
        ContainReset question(nullptr);
        placeNotice(&question, 20, -50);
        question.exec();
        if (!question.accepted)
            return;
    }
    // The notice waits for the page to refresh from the restored
    // configuration.
    UpDataParam notice(nullptr);
    notice.startCloseTimer();
    notice.reloadMode = true;
    startFactoryReset();
    placeNotice(&notice, 20, -50);
    notice.exec();
    finishFactoryReset();
}

void Buttoninterface::on_Reset_2_clicked()
{
    {
        Match pairing(nullptr);
        pairing.init();
        // Centred across the window, as the frame's pairing button shows it.
        placeNotice(&pairing, 0, -30);
        pairing.exec();
    }
    // The pairing dialog listened to device changes for the device list;
    // the page takes them back and talks to its device again.
    watchDeviceChanges(DeviceChangeListener::DevicePage);
    restartEventServer();
}

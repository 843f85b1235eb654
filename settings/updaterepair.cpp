#include "updaterepair.h"

#include "firmwareimage.h"

UpDateRepair::UpDateRepair(QWidget *parent)
    : QDialog(parent)
{
    setWindowFlags(Qt::SubWindow | Qt::BypassWindowManagerHint | Qt::FramelessWindowHint
                   | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint);
}

UpDateRepair::~UpDateRepair() = default;

bool UpDateRepair::isNewFirmwareInBin(unsigned char deviceCode, QString version, QString modelName,
                                      unsigned char cid, unsigned char mid)
{
    return searchFirmwareImages(FirmwareSearchMode::RepairTwin, deviceCode, version, modelName, cid, mid,
                                &g_repairImageList);
}

void UpDateRepair::resetView()
{
    m_autoUpdate = false;
}

#include "updatedecision.h"

#include "HIDUsb.h"
#include "configsettings.h"
#include "devicestate.h"
#include "firmwareimage.h"
#include "globals.h"
#include "mouseversion.h"

#include <QFile>

namespace {

QString configText(const QString &group, const QString &key)
{
    return ConfigSettings::instance()->readString(group, key);
}

} // namespace

QString receiverModelOf(const QString &group, int receiverClass)
{
    const char *key = receiverModelKeyOfClass(receiverClass);
    return key ? configText(group, QLatin1String(key)) : QString();
}

QString mouseModelOf(const QString &group)
{
    return configText(group, QStringLiteral("MM"));
}

int productCid()
{
    return configText(QStringLiteral("Option"), QStringLiteral("CID")).toInt(nullptr, 10);
}

int modelMid(const QString &group)
{
    return configText(group, QStringLiteral("MID")).toInt(nullptr, 10);
}

const DeviceAllInfo *listedReceiver(bool withClass)
{
    for (const DeviceAllInfo &entry : qAsConst(g_deviceList)) {
        if (!entry.subDevices.isEmpty() && !entry.isWired && (!withClass || receiverClassOfLink(entry.linkType) != 0))
            return &entry;
    }
    return nullptr;
}

SelectedFirmware selectedFirmware()
{
    SelectedFirmware f;
    if (!g_selectedDevice.isWired) {
        f.receiverVersion = g_selectedDevice.usbVersion;
        if (g_selectedDevice.online)
            f.mouseVersion = g_selectedDevice.mouseVersion;
        f.receiverClass = receiverClassOfLink(g_selectedDevice.linkType);
        return f;
    }
    // The mouse on its cable: the receiver is the one listed beside it.
    const bool pair = g_deviceList.size() == 2;
    const DeviceAllInfo *receiver = pair ? listedReceiver(false) : nullptr;
    if (!g_selectedDevice.online) {
        f.receiverVersion = g_selectedDevice.usbVersion;
    } else {
        f.receiverVersion = receiver ? receiver->usbVersion : QString();
        f.mouseVersion = g_selectedDevice.mouseVersion;
    }
    const DeviceAllInfo *classed = pair ? listedReceiver(true) : nullptr;
    f.receiverClass = classed ? receiverClassOfLink(classed->linkType) : 0;
    return f;
}

int firmwareUpdateAvailable(int deviceCode, const QString &version, int receiverClass)
{
    const QString group = selectedDriveGroup();
    g_updateCid = productCid();
    const QString model = deviceCode == kMouseDeviceCode ? mouseModelOf(group) : receiverModelOf(group, receiverClass);
    return searchFirmwareImages(FirmwareSearchMode::AnswerOnly, u8(deviceCode), version, model,
                                u8(g_updateCid & 0xFF), u8(modelMid(group) & 0xFF), nullptr)
               ? 1
               : 0;
}

DeviceFirmwareCheck checkDeviceFirmware(const DeviceAllInfo &device)
{
    const QString group = driveGroup(device.driveIndex);
    const QString cidText = configText(QStringLiteral("Option"), QStringLiteral("CID"));
    const QString midText = configText(group, QStringLiteral("MID"));
    const u8 cid = u8(cidText.toInt(nullptr, 10));
    const u8 mid = u8(midText.toInt(nullptr, 10));

    DeviceFirmwareCheck check;
    check.mouseVersion = readMouseVersion(cidText, midText);
    if (check.mouseVersion.isEmpty())
        return check;
    check.mouseNewer = searchFirmwareImages(FirmwareSearchMode::ChooseForUpdate, kMouseDeviceCode,
                                            check.mouseVersion, mouseModelOf(group), cid, mid, &g_firmwareImageList);
    const QString receiverModel = receiverModelOf(group, receiverClassOfLink(device.linkType));
    check.receiverNewer = searchFirmwareImages(FirmwareSearchMode::RepairTwin, kReceiverDeviceCode,
                                               device.usbVersion, receiverModel, cid, mid, &g_repairImageList);
    return check;
}

bool imageForListedDevice(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const FirmwareHeader header = parseFirmwareHeader(file.read(kFirmwareHeaderSize));
    if (!header.valid)
        return false;
    for (const DeviceAllInfo &device : qAsConst(g_deviceList)) {
        if (header.usbIdText.contains(device.pidText) && header.usbIdText.contains(device.vidText))
            return true;
    }
    return false;
}

int countBootDevices(const QByteArray &image, int preset)
{
    int count = preset;
    UsbUpgradeC_FindBootDevices(reinterpret_cast<const unsigned char *>(image.constData()), &count);
    return count;
}

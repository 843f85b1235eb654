#include "updatedecision.h"

#include "HIDUsb.h"
#include "configsettings.h"
#include "deviceenumeration.h"
#include "devicestate.h"
#include "firmwareimage.h"
#include "globals.h"
#include "linktable.h"
#include "mouseversion.h"

#include <QFile>
#include <QFileInfo>

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

QString ProductModels::mouseModel(int mid) const
{
    for (const Model &model : models) {
        if (model.mid == mid)
            return model.mouse;
    }
    return QString();
}

QString ProductModels::receiverModel(int mid, int receiverClass) const
{
    const int index = receiverClassIndex(receiverClass);
    for (const Model &model : models) {
        if (model.mid == mid)
            return index < 0 ? QString() : model.receivers[index];
    }
    return QString();
}

static_assert(kReceiverClassCount == 4, "a model names one receiver model a class");

ProductModels readProductModels()
{
    ProductModels product;
    product.cid = productCid();
    const int total = configuredDeviceTotal();
    for (int k = 0; k < total; ++k) {
        ProductModels::Model model;
        const QString group = driveGroup(k);
        model.mid = modelMid(group);
        model.mouse = mouseModelOf(group);
        for (int i = 0; i < kReceiverClassCount; ++i)
            model.receivers[i] = receiverModelOf(group, receiverClassAt(i));
        product.models << model;
    }
    return product;
}

const DeviceAllInfo *receiverBesideMouse()
{
    const auto isReceiver = [](const DeviceAllInfo &entry) { return !entry.isWired; };
    if (g_deviceList.size() == 2) {
        for (const DeviceAllInfo &entry : qAsConst(g_deviceList)) {
            if (isReceiver(entry) && !entry.subDevices.isEmpty())
                return &entry;
        }
        return nullptr;
    }
    const DeviceAllInfo *only = nullptr;
    for (const DeviceAllInfo &entry : qAsConst(g_deviceList)) {
        if (!isReceiver(entry))
            continue;
        if (only)
            return nullptr;
        only = &entry;
    }
    return only;
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
    const DeviceAllInfo *receiver = receiverBesideMouse();
    if (!g_selectedDevice.online) {
        f.receiverVersion = g_selectedDevice.usbVersion;
    } else {
        f.receiverVersion = receiver ? receiver->usbVersion : QString();
        f.mouseVersion = g_selectedDevice.mouseVersion;
    }
    f.receiverClass = receiver ? receiverClassOfLink(receiver->linkType) : 0;
    return f;
}

QString selectedVersionOf(int deviceCode)
{
    const SelectedFirmware f = selectedFirmware();
    return deviceCode == kReceiverDeviceCode ? f.receiverVersion : f.mouseVersion;
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

// ---- Whether an update is available -------------------------------------------------------

u8 g_update211Available = 0;
u8 g_update210Available = 0;

namespace {

bool binFolderExists()
{
    return QFileInfo::exists(programDir() + "/bin");
}

} // namespace

FirmwareHint decideAvailableUpdates()
{
    FirmwareHint hint;
    hint.versions = selectedFirmware();
    if (!binFolderExists())
        return hint;
    const SelectedFirmware &f = hint.versions;
    g_update210Available = u8(firmwareUpdateAvailable(kMouseDeviceCode, f.mouseVersion, f.receiverClass));
    g_update211Available = u8(firmwareUpdateAvailable(kReceiverDeviceCode, f.receiverVersion, f.receiverClass));
    hint.checked = true;
    hint.waiting = g_update210Available || g_update211Available;
    return hint;
}

bool decideOpenedReceiverUpdate(const DeviceAllInfo &device)
{
    const int receiverClass = receiverClassOfLink(device.linkType);
    if (receiverClass == 0 || !binFolderExists())
        return false;
    g_update211Available = u8(firmwareUpdateAvailable(kReceiverDeviceCode, device.usbVersion, receiverClass));
    return g_update211Available != 0;
}

void noteMouseUpdateOffered(bool offered)
{
    g_update210Available = offered ? 1 : 0;
}

void updateFlashed(int deviceCode)
{
    (deviceCode == kReceiverDeviceCode ? g_update211Available : g_update210Available) = 0;
}

void forgetAvailableUpdates()
{
    g_update210Available = 0;
    g_update211Available = 0;
}

// ---- The checks before a device is opened -------------------------------------------------

DeviceFirmwareCheck checkDeviceFirmware(const DeviceAllInfo &device)
{
    const QString group = driveGroup(device.driveIndex);
    const QString cidText = configText(QStringLiteral("Option"), QStringLiteral("CID"));
    const QString midText = configText(group, QStringLiteral("MID"));
    const u8 cid = u8(cidText.toInt(nullptr, 10));
    const u8 mid = u8(midText.toInt(nullptr, 10));

    DeviceFirmwareCheck check;
    check.mouseVersion = readMouseVersion(cidText, midText);
    if (!check.mouseVersion.isEmpty()) {
        check.mouseNewer = searchFirmwareImages(FirmwareSearchMode::ChooseForUpdate, kMouseDeviceCode,
                                                check.mouseVersion, mouseModelOf(group), cid, mid,
                                                &g_firmwareImageList);
        const QString receiverModel = receiverModelOf(group, receiverClassOfLink(device.linkType));
        check.receiverNewer = searchFirmwareImages(FirmwareSearchMode::RepairTwin, kReceiverDeviceCode,
                                                   device.usbVersion, receiverModel, cid, mid, &g_repairImageList);
    }
    check.offer = firmwareOfferOf(check);
    return check;
}

FirmwareOffer firmwareOfferOf(const DeviceFirmwareCheck &check)
{
    if (check.mouseVersion.isEmpty())
        return FirmwareOffer::PairFirst;
    if (check.receiverNewer == check.mouseNewer)
        return FirmwareOffer::PairAgain;
    return check.receiverNewer ? FirmwareOffer::ReceiverUpdate : FirmwareOffer::MouseUpdate;
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

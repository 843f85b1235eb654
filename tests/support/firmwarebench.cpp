#include "firmwarebench.h"

#include "HIDUsb.h"
#include "configsettings.h"
#include "deviceenumeration.h"
#include "devicelink.h"
#include "devicesearch.h"
#include "globals.h"
#include "hidusb_sim.h"
#include "languageloader.h"
#include "testsupport.h"
#include "updateengine.h"
#include "tools/firmwaretool/firmwareimagewriter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QDir>
#include <QFile>

#include <memory>

void startFirmwareTests()
{
    registerDeviceMetaTypes();
    LanguageLoader().LanguageTextLoader();
}

void resetFirmwareBench()
{
    resetDeviceBench();
    resetUpdateRunState();
    g_foundDevices.clear();
    g_shownDevices.clear();
    g_pairWithStoredDevice = 0;
}

QByteArray firmwareImageBytes(int code, int mid, quint32 version, const QByteArray &model, int cid)
{
    FirmwareImageFields fields;
    fields.deviceCode = uint8_t(code);
    fields.cid = uint8_t(cid);
    fields.mid = uint8_t(mid);
    fields.version = version;
    fields.model = model.toStdString();
    fields.usbId = "VID_5A51&PID_F514";
    const std::vector<uint8_t> bytes = makeFirmwareImage(fields);
    return QByteArray(reinterpret_cast<const char *>(bytes.data()), int(bytes.size()));
}

QByteArray brokenFirmwareImageBytes(int code, int mid, quint32 version, const QByteArray &model, const QString &how)
{
    QByteArray bytes = firmwareImageBytes(code, mid, version, model);
    if (how == "header")
        return bytes.left(728);
    if (how == "short")
        return bytes.left(1000);
    // The body stays in the file; the header says there is none.
    bytes.replace(24, 4, QByteArray(4, '\0'));
    return bytes;
}

FirmwareProgramFolder::FirmwareProgramFolder()
{
    const QString build = builtProgramDir();
    QDir().mkpath(path() + "/usersetting");
    QDir().mkpath(path() + "/bin");
    QFile::copy(build + "/usersetting/Config.ini", path() + "/usersetting/Config.ini");
    QFile::link(build + "/Picture", path() + "/Picture");
    QFile::link(build + "/Language", path() + "/Language");
    use();
}

void FirmwareProgramFolder::use()
{
    setProgramDirOverride(path());
    ConfigSettings::resetForTests();
}

FirmwareProgramFolder::~FirmwareProgramFolder()
{
    setProgramDirOverride(QString());
    ConfigSettings::resetForTests();
}

void FirmwareProgramFolder::addImage(const QString &name, const QByteArray &bytes)
{
    QDir().mkpath(path() + "/bin");
    QFile f(path() + "/bin/" + name);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}

void FirmwareProgramFolder::removeImages()
{
    QDir(path() + "/bin").removeRecursively();
}

QString FirmwareProgramFolder::fixture(const QString &name, const QString &text)
{
    const QString file = path() + "/" + name + ".ini";
    QFile f(file);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(text.toUtf8());
    return file;
}

DeviceAllInfo listedDevice(const char *id)
{
    const QByteArray path = QByteArray::fromStdString(hidsim::pathOf(id));
    const UsbDeviceInfo info = UsbFinderC_GetDeviceInfo(path.constData());
    QString pid;
    switch (info.link) {
    case 0: pid = "F511"; break;
    case 4: pid = "F512"; break;
    case 1: pid = "F514"; break;
    case 5: pid = "F518"; break;
    default: pid = "F510"; break;
    }
    DeviceAllInfo d = foundDeviceRecord(path, "5A51", pid);
    d.cid = info.cid;
    d.mid = info.mid;
    d.linkType = info.link;
    d.isWired = (info.link & 0xFA) != 0 ? 1 : 0;
    d.driveIndex = info.mid >= 1 ? info.mid - 1 : 0;
    d.online = UsbFinderC_GetDeviceOnLine(path.constData()) != 0 ? 1 : 0;
    // The receiver id it goes by, as the device list reads it.
    u8 answer[10] = {};
    readDeviceAddress(path.constData(), answer);
    d.subDevices = {answer[7], answer[8], answer[9]};
    return d;
}

QMap<QString, int> firmwareOnTheBench()
{
    QMap<QString, int> versions;
    for (const std::string &id : hidsim::deviceIds()) {
        const int version = hidsim::firmwareVersion(id.c_str());
        if (version >= 0)
            versions[QString::fromStdString(id)] = version;
    }
    return versions;
}

QString receiverFixture(const QString &id, int cls, int mid, const QString &mouse, int version)
{
    const QString rid = QString("3A 5%1 0%2").arg(mid).arg(cls);
    QString s = QString("[%1]\ntype=receiver\nclass=%2\nid=%3\nversion=%4\ncid=0x21\nmid=%5\n")
                    .arg(id)
                    .arg(cls)
                    .arg(rid)
                    .arg(version)
                    .arg(mid);
    if (!mouse.isEmpty())
        s += "mouse=" + mouse + "\n";
    return s;
}

QString mouseFixture(const QString &id, int mid, bool cable, bool online)
{
    return QString("[%1]\ntype=mouse\nmid=%2\nversion=0x0105\nonline=%3\ncable=%4\n")
        .arg(id)
        .arg(mid)
        .arg(online ? 1 : 0)
        .arg(cable ? 1 : 0);
}

QString bootFixture(const QString &id, int code, int mid, const QString &model, const QString &device)
{
    return QString("[%1]\ntype=boot\ncode=%2\ncid=0x21\nmid=%3\nmodel=%4\ndevice=%5\n")
        .arg(id)
        .arg(code)
        .arg(mid)
        .arg(model)
        .arg(device);
}

bool startHeldUpdate(FirmwareProgramFolder &folder)
{
    folder.addImage("zz-held.bin", firmwareImageBytes(211, 1, 0x1FF, "QZR-4K"));
    g_shownDevices = {listedDevice("R1")};
    hidsim::setUpdateStepGate(true);
    UpdateEngine *engine = UpdateEngine::instance();
    if (!engine->planAutomaticUpdate().offered || engine->startRepairRun() < 0)
        return false;
    QElapsedTimer clock;
    clock.start();
    while (hidsim::updateStepHeld() < 0 && clock.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QCoreApplication::processEvents();
    return engine->updateUnderWay() && hidsim::updateStepHeld() >= 0;
}

void forgetHeldUpdate()
{
    UpdateEngine::instance()->reset();
    g_shownDevices.clear();
}

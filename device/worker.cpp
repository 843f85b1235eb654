#include "worker.h"

#include "HIDUsb.h"
#include "configsettings.h"
#include "deviceenumeration.h"
#include "deviceevent.h"
#include "devicelink.h"
#include "devicesearch.h"
#include "devicestate.h"
#include "updatedecision.h"
#include "updateengine.h"
#include "globals.h"
#include "guithread.h"
#include "imagecache.h"
#include "postmsg.h"

#include <QTimer>

#include <cstring>
#include <mutex>

Worker *g_worker = nullptr;
Worker *g_workerInstance = nullptr;
QTimer *g_checkTimer = nullptr;

namespace {

constexpr int kCheckIntervalMs = 1300;

bool deviceSelected()
{
    return !g_selectedDevice.devicePath.isEmpty();
}

// The mouse selected through its receiver now answers on its own cable: an
// online cable entry of the same group that names the same receiver.
bool reachedThroughOtherEntry(const DeviceAllInfo &entry)
{
    return entry.driveIndex == g_selectedDevice.driveIndex && entry.isWired && entry.online
        && !g_selectedDevice.isWired && sameSubDevices(entry, g_selectedDevice);
}

// The selection belongs to the GUI thread: the Worker thread's finding about
// the device goes there, and only to the device it was made for.
void markSelectionOnline(const QString &path, u8 online)
{
    queueOnGuiThread([path, online] {
        if (g_selectedDevice.devicePath == path)
            g_selectedDevice.online = online;
    });
}

} // namespace

Worker::Worker(QObject *owner)
    : QThread(nullptr)
{
    Q_UNUSED(owner);
    g_workerReadPending = 1;
    g_statusReadTimer.start();
    setDummyDeviceHandle();
    g_deviceOnline = 0;

    g_checkTimer = new QTimer(this);
    connect(g_checkTimer, &QTimer::timeout, this, &Worker::SlotCheckOnline);
    g_checkTimer->setInterval(kCheckIntervalMs);
    g_checkTimer->start();

    registerDeviceMetaTypes();
    connect(PostMsg::instance(), &PostMsg::SigSelectMouseInfo, this, &Worker::SlotSelectMouseInfo);
    connect(PostMsg::instance(), &PostMsg::SigMainPageChange, this, &Worker::SlotMainPageChange);

    g_showBatteryValue = ConfigSettings::instance()->readString("Option", "ShowBatteryValue").toInt();
}

Worker::~Worker()
{
    // The owner deletes the worker only once its thread has finished; this
    // wait is a last guard and never unbounded.
    if (isRunning())
        wait(2000);
    // Pairs with the end of run(): what the thread did is ordered before the
    // object goes in a way the thread sanitizer sees (QThread's own
    // bookkeeping happens inside Qt, where it cannot look).
    { std::lock_guard<std::mutex> ended(m_runMutex); }
    if (g_checkTimer && g_checkTimer->parent() == this)
        g_checkTimer = nullptr;
    if (g_worker == this)
        g_worker = nullptr;
    if (g_workerInstance == this)
        g_workerInstance = nullptr;
}

Worker *Worker::instance()
{
    if (!g_workerInstance)
        g_workerInstance = new Worker(nullptr);
    return g_workerInstance;
}

void Worker::clearReadPending()
{
    g_workerReadPending = 0;
}

bool Worker::setReadPending()
{
    g_workerReadPending = 1;
    return true;
}

bool Worker::clearReadPendingB()
{
    g_workerReadPending = 0;
    return true;
}

void Worker::startRead()
{
    g_workerReadPending = 1;
    start(QThread::InheritPriority);
}

void Worker::start(QThread::Priority priority)
{
    {
        std::lock_guard<std::mutex> lock(m_runMutex);
        m_selectedPath = g_selectedDevice.devicePath;
        m_selectedLinkType = g_selectedDevice.linkType;
        m_cachePath = g_deviceCachePath;
    }
    QThread::start(priority);
}

void Worker::run()
{
    // Every way out of run() passes the mutex last (see ~Worker).
    struct RunEnd {
        std::mutex &mutex;
        ~RunEnd() { std::lock_guard<std::mutex> ended(mutex); }
    } runEnd{m_runMutex};
    if (!g_workerReadPending)
        return;
    const QByteArray handle = deviceHandleCopy();
    if (!g_deviceOnline)
        g_deviceOnline = deviceAnswers(handle.constData()) ? 1 : 0;

    QString selectedPath;
    int selectedLink = 0;
    QString cachePath;
    bool sameAsLast = false;
    {
        std::lock_guard<std::mutex> lock(m_runMutex);
        selectedPath = m_selectedPath;
        selectedLink = m_selectedLinkType & 0xFF;
        cachePath = m_cachePath;
        sameAsLast = selectedPath == lastPath && selectedLink == lastLinkType;
    }
    if (sameAsLast && g_lastStartedOnline.load() == g_deviceOnline.load() && !g_paramReloadPending) {
        g_deviceDataLoaded = g_deviceOnline.load();
        g_workerReadPending = 0;
        return;
    }

    if (g_devicePageActive == 1) {
        PostMsg *hub = PostMsg::instance();
        if (deviceAnswers(handle.constData())) {
            markSelectionOnline(selectedPath, 1);
            if (g_paramReloadPending) {
                hub->postUpDataParam(1);
                g_paramReloadPending = 0;
            } else if (g_configApplying != 1) {
                hub->postUpDataParam(0);
            }
        } else {
            g_deviceLost = 1;
            markSelectionOnline(selectedPath, 0);
            FlashDataMap cached;
            std::memset(&cached, 0, sizeof cached);
            if (loadDeviceInfo(cachePath, &cached)) {
                hub->postUpDataLightUIButton(cached);
                hub->postUpDataLightLight(cached);
                hub->postUpDataLightSensor(cached);
                hub->postForm();
            } else {
                hub->postFormReset();
            }
        }

        {
            std::lock_guard<std::mutex> lock(m_runMutex);
            lastPath = selectedPath;
            lastLinkType = selectedLink;
        }

        startEventServer(handle.constData());
        qCDebug(lcDiagnostics) << "OnlinA";
        setPCDriverStatus(true);
        UsbServer_ReadAllFlashData();
        g_lastStartedOnline = g_deviceOnline.load();
        qCDebug(lcDiagnostics) << "OnlinB";
    }

    g_deviceDataLoaded = g_deviceOnline.load();
    g_workerReadPending = 0;
}

void Worker::SlotCheckOnline()
{
    if (g_deviceLost) {
        if (g_devicePageActive == 0) {
            if ((g_selectedDevice.linkType & 0xFF) != 0)
                g_deviceLost = 0;
        } else if (!UpdateEngine::instance()->updateUnderWay()) {
            // Not while an update is under way: its updater restarts the
            // device it writes.
            const QByteArray handle = deviceHandleCopy();
            g_deviceOnline = deviceAnswers(handle.constData()) ? 1 : 0;
            g_lastStartedOnline = 0;
            if (!g_deviceOnline)
                return;
            PostMsg::instance()->postCloseOffOnline();
            g_deviceLost = 0;
        }
    }
    if (g_deviceOnline && g_rereadRequested) {
        g_rereadRequested = 0;
        startRead();
    }
}

void Worker::SlotSelectMouseInfo(DeviceAllInfo info)
{
    g_selectedDevice = info;
    g_deviceListCurrent = false;
    g_deviceCachePath = deviceCacheFileName(info.cid, info.mid);
}

void Worker::SlotMainPageChange()
{
    g_lastStartedOnline = 0;
}

// ---- Discovery on the device page ------------------------------------------

int Worker::onUsbChanged()
{
    // The scan rebuilds g_deviceList and the selection, which the GUI thread
    // reads at any time: it runs there.
    queueDeviceChangeWork(&Worker::scanDevices);
    return 0;
}

void Worker::scanDevices()
{
    PostMsg *hub = PostMsg::instance();
    ConfigSettings *config = ConfigSettings::instance();
    hub->postSetver(4);

    const QString vid = config->readString("Option", "VID");
    g_deviceList.clear();

    findDevices(vid, readFamilyPids().searchOrder());
    g_deviceListCurrent = true;

    if (g_deviceList.isEmpty()) {
        if (!UpdateEngine::instance()->updateUnderWay()) {
            g_selectedDevice = DeviceAllInfo();
            hub->postChangeMainDialog(0);
            hub->postUpdateFrame(false);
        }
    } else {
        const QList<DeviceAllInfo> entries = g_deviceList;
        int differing = 0;
        for (const DeviceAllInfo &entry : entries) {
            if (deviceSelected()) {
                if (reachedThroughOtherEntry(entry))
                    startIfOnline(entry);
            } else if (!g_selectedDevice.isWired && g_selectedDevice.online) {
                if (reachedThroughOtherEntry(entry))
                    startIfOnline(entry);
            } else if (entry.devicePath == g_selectedDevice.devicePath && entry.online) {
                startIfOnline(entry);
            }
            if (deviceSelected() && entry.devicePath != g_selectedDevice.devicePath)
                ++differing;
        }
        if (differing == entries.size() && deviceSelected() && !UpdateEngine::instance()->updateUnderWay()) {
            hub->postChangeMainDialog(0);
            hub->postUpdateFrame(false);
        }
    }

    // With the mouse on its cable selected, the settings page learns the
    // version of the receiver listed beside it and whether either has a
    // newer image.
    if (g_selectedDevice.isWired) {
        const FirmwareHint hint = decideAvailableUpdates();
        hub->postLabelTextB(hint.versions.receiverVersion, hint.waiting ? QStringLiteral("true") : QString());
    }

    if (g_updateDialogShown && !UpdateEngine::instance()->updateUnderWay())
        hub->postButtonclick();
}

void Worker::findDevices(QString vid, QStringList pids)
{
    enumerateDevices(DeviceFind::Interface1, vid, pids, [](DeviceAllInfo &record, const QByteArray &path) {
        if (deviceSelected()) {
            if (identifyDevice(record, path.constData()) == 1 && record.driveIndex == g_selectedDevice.driveIndex
                && record.devicePath == g_selectedDevice.devicePath)
                setDeviceHandlePath(path);
        }
        g_deviceList.append(record);
    });
}

int Worker::identifyDevice(DeviceAllInfo &record, const char *path)
{
    const DeviceMatch match = ::identifyDevice(record, path);
    if (match == DeviceMatch::NoAnswer)
        return 0;
    if (match == DeviceMatch::Recognised) {
        if (deviceSelected()) {
            record.subDevices.clear();
            readDeviceAddress(path, g_usbAddressInfo);
            record.online = g_usbAddressInfo[6] == 1 ? 1 : 0;
            record.subDevices << g_usbAddressInfo[7] << g_usbAddressInfo[8] << g_usbAddressInfo[9];
            if (record.devicePath == g_selectedDevice.devicePath) {
                const QString mouseVersion = g_selectedDevice.mouseVersion;
                const QString usbVersion = g_selectedDevice.usbVersion;
                g_selectedDevice = record;
                if (!mouseVersion.isEmpty())
                    g_selectedDevice.mouseVersion = mouseVersion;
                if (!usbVersion.isEmpty())
                    g_selectedDevice.usbVersion = usbVersion;
            }
        } else if (deviceAnswers(path)) {
            record.online = 1;
        }
        return 1;
    }
    if (!isListed(match))
        return 0;
    return match == DeviceMatch::UnknownModel ? 2 : 3;
}

void Worker::startIfOnline(DeviceAllInfo info)
{
    const QByteArray path = info.devicePath.toUtf8();
    if (deviceAnswers(path.constData())) {
        g_selectedDevice = info;
        setDeviceHandlePath(path);
    }
    g_workerReadPending = 1;
    if (g_worker)
        g_worker->start(QThread::InheritPriority);
}

void Worker::LoadDeviceIds()
{
    const QString vid = ConfigSettings::instance()->readString("Option", "VID");
    const FamilyPids family = readFamilyPids();
    for (const QStringList &pids : family.lists())
        FindDevicesByPid(vid, pids);
}

void Worker::FindDevicesByPid(QString vid, QStringList pids)
{
    enumerateDevices(DeviceFind::DefaultInterface, vid, pids, [](DeviceAllInfo &record, const QByteArray &path) {
        const UsbDeviceInfo info = UsbFinderC_GetDeviceInfo(path.constData());
        record.cid = info.cid;
        record.mid = info.mid;
        record.linkType = info.link;
    });
}

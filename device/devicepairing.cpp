#include "devicepairing.h"

#include "HIDUsb.h"
#include "deviceenumeration.h"
#include "devicesearch.h"
#include "guithread.h"

namespace {

constexpr int kPairStatusEvent = 6;
constexpr int kMostIdQueries = 10;

// GUI thread only: read where the queued status arrives.
void (*s_pairStatusHandler)(PairStatus) = nullptr;

} // namespace

bool decodePairStatus(const unsigned char *report, int reportLen, const unsigned char *data, unsigned int dataLen,
                      PairStatus *status)
{
    const int event = report && reportLen >= 2 ? report[1] : 0;
    if (event != kPairStatusEvent || !data || dataLen < 1)
        return false;
    switch (data[0]) {
    case 1: *status = PairStatus::Pairing; return true;
    case 2: *status = PairStatus::Failed; return true;
    case 3: *status = PairStatus::Succeeded; return true;
    default: return false;
    }
}

void onPairReport(const unsigned char *report, int reportLen, const unsigned char *data, unsigned int dataLen)
{
    PairStatus status;
    if (!decodePairStatus(report, reportLen, data, dataLen, &status))
        return;
    postToGuiThread([status] {
        if (s_pairStatusHandler)
            s_pairStatusHandler(status);
    });
}

void startPairingServer(const QByteArray &path, void (*onStatus)(PairStatus))
{
    s_pairStatusHandler = onStatus;
    UsbServerC_Start(path.constData(), path.constData(), &onPairReport);
}

void enterPairing(u8 cid)
{
    UsbServer_EnterDonglePairOnlyCid(cid);
}

void requestPairStatus()
{
    UsbServer_ReadDonglePairStatus();
}

bool askDeviceCid(const QByteArray &path, u8 *cid)
{
    UsbDeviceInfo answer = {0, 0, 0};
    if (!askDeviceIds(path.constData(), kMostIdQueries, true, &answer))
        return false;
    *cid = answer.cid;
    return true;
}

bool deviceStillFound(const QString &vid, const QString &pid, const QByteArray &path)
{
    return findDevicePaths(DeviceFind::DefaultInterface, vid, pid).contains(path);
}

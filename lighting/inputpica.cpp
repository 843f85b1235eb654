#include "inputpica.h"
#include "ui_InputPicA.h"

#include "postmsg.h"
#include "screendialogparts.h"

#include <HIDUsb.h>

#include <QTimer>

#include <cstring>

QStringList g_screenDevicePaths;
QMutex g_screenDevicePathsMutex;

namespace {
constexpr int kTickMs = 200;
constexpr int kTicksPerSend = 50;   // one send every 10 seconds
constexpr int kSendsPerAttempt = 5;

// The first known screen device; empty when there is none.
QByteArray firstScreenDevicePath()
{
    QMutexLocker lock(&g_screenDevicePathsMutex);
    return g_screenDevicePaths.isEmpty() ? QByteArray() : g_screenDevicePaths.first().toLatin1();
}
} // namespace

InputPicA::InputPicA(QWidget *parent)
    : QDialog(parent), ui(new Ui::InputPicA)
{
    ui->setupUi(this);
    clockTimer = new QTimer(this);
    clockTimer->setInterval(kTickMs);
    connect(clockTimer, &QTimer::timeout, this, &InputPicA::onEraseChipTimeTimer);
    screenButtonGroup = setUpScreenDialog(this, ui, &pictureFolder);
}

InputPicA::~InputPicA()
{
    delete ui;
}

void InputPicA::SlotAllLanguage(int index)
{
    textScreenDialog(ui, index);
}

void InputPicA::on_CloseButton_clicked()
{
    PostMsg::instance()->postButtonCheck();
    close();
}

void InputPicA::on_Input_clicked()
{
}

void InputPicA::startClockSync(bool enable)
{
    if (!enable)
        return;
    syncTickCount = 0;
    findScreenDevices();
    clockTimer->start();
}

bool InputPicA::clockSyncRunning() const
{
    return clockTimer->isActive();
}

int InputPicA::findScreenDevices()
{
    QStringList found;
    const QByteArray vid = g_searchVid.toLatin1();
    for (const QString &pid : qAsConst(g_searchPids)) {
        int count = 0;
        char **paths = UsbFinderC_FindHidDevicesByDeviceId(vid.constData(), pid.toLatin1().constData(), 1, 8, &count);
        for (int i = 0; paths && i < count; ++i) {
            if (paths[i])
                found.append(QString::fromLatin1(paths[i]));
        }
    }
    QMutexLocker lock(&g_screenDevicePathsMutex);
    g_screenDevicePaths = found;
    return found.size();
}

int InputPicA::onUsbChanged()
{
    return findScreenDevices();
}

void InputPicA::onEraseChipTimeTimer()
{
    if (++syncTickCount < kTicksPerSend)
        return;
    syncTickCount = 0;

    QByteArray path = firstScreenDevicePath();
    if (path.isEmpty() && findScreenDevices() > 0)
        path = firstScreenDevicePath();
    if (path.isEmpty())
        return;
    if (UsbFinderC_OpenDevice(path.constData()) == 0) {
        // Gone, or replaced under another path: search again next time.
        QMutexLocker lock(&g_screenDevicePathsMutex);
        g_screenDevicePaths.clear();
        return;
    }
    ClockSyncPacket packet = ClockSyncPacket::forDateTime(QDateTime::currentDateTime());
    exchangePacket(packet.bytes);
}

unsigned char *InputPicA::exchangePacket(unsigned char *packet)
{
    packet[ClockSyncPacket::kChecksumIndex] = packetChecksum(packet);
    for (int send = 0; send < kSendsPerAttempt; ++send) {
        std::memset(replyBuffer, 0, sizeof replyBuffer);
        UsbFinderC_ReadWriteDeviceData(packet, replyBuffer, static_cast<unsigned char>(packetLength));
        if (ClockSyncPacket::answers(replyBuffer, packet))
            return replyBuffer;
    }
    return nullptr;
}

unsigned char InputPicA::packetChecksum(const unsigned char *packet)
{
    return ClockSyncPacket::checksum(packet);
}

bool InputPicA::verifyReply(const unsigned char *reply)
{
    return ClockSyncPacket::hasValidChecksum(reply);
}

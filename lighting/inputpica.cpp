#include "inputpica.h"
#include "ui_InputPicA.h"

#include "deviceenumeration.h"
#include "postmsg.h"
#include "screendialogparts.h"

#include <QTimer>

QStringList g_screenDevicePaths;
QMutex g_screenDevicePathsMutex;

namespace {
constexpr int kTickMs = 200;
constexpr int kTicksPerSend = 50;   // one send every 10 seconds

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
    const QStringList found = findScreenDevicePaths(g_searchVid, g_searchPids);
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
    if (!openScreenDevice(path)) {
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
    return exchangeClockSyncPacket(packet, replyBuffer, packetLength) ? replyBuffer : nullptr;
}

unsigned char InputPicA::packetChecksum(const unsigned char *packet)
{
    return ClockSyncPacket::checksum(packet);
}

bool InputPicA::verifyReply(const unsigned char *reply)
{
    return ClockSyncPacket::hasValidChecksum(reply);
}

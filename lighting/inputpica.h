#ifndef INPUTPICA_H
#define INPUTPICA_H

// The device screen settings with the picture slots laid out upright, and
// the clock of the device screen: once started, every 10 seconds it sends
// the computer's local date and time to the first device found under the
// product's vendor and product ids, resending up to five times until the
// device echoes the packet. The settings page keeps one instance for its
// whole life.

#include "clocksyncpacket.h"
#include "mythread.h"

#include <QDialog>
#include <QMutex>
#include <QString>
#include <QStringList>

class QButtonGroup;
class QTimer;

namespace Ui {
class InputPicA;
}

// The paths of the screen devices the last search found; the clock uses the
// first. Written by the search, read by the clock tick: take the lock.
extern QStringList g_screenDevicePaths;
extern QMutex g_screenDevicePathsMutex;

class InputPicA : public QDialog
{
    Q_OBJECT
public:
    explicit InputPicA(QWidget *parent = nullptr);
    ~InputPicA() override;

    // Starts the clock (true); false does nothing. It searches the screen
    // devices at once and again whenever it has none; it does not take over
    // the library's device-change notice, which the device list needs.
    void startClockSync(bool enable);
    bool clockSyncRunning() const;

    // Rebuilds g_screenDevicePaths from the vendor id and the product ids the
    // device list searches with; returns how many paths it found.
    static int findScreenDevices();
    // A device-change notice that only searches again.
    static int onUsbChanged();

    // Writes the checksum into byte 39, sends the packet and waits for the
    // device's reply; resends up to five times in all. The verified reply
    // (valid until the next exchange), or null.
    unsigned char *exchangePacket(unsigned char *packet);
    static unsigned char packetChecksum(const unsigned char *packet);
    static bool verifyReply(const unsigned char *reply);

public slots:
    void SlotAllLanguage(int index);
    // The clock's 200 ms tick: a send on every 50th.
    void onEraseChipTimeTimer();

private slots:
    void on_CloseButton_clicked();
    void on_Input_clicked();

private:
    Ui::InputPicA *ui;
    QString pictureFolder;
    QButtonGroup *screenButtonGroup;
    QTimer *clockTimer;
    int syncTickCount = 0;
    int packetLength = ClockSyncPacket::kLength;
    MyThread screenThread;
    unsigned char replyBuffer[ClockSyncPacket::kLength] = {};
};

#endif // INPUTPICA_H

#ifndef FIRMWAREBENCH_H
#define FIRMWAREBENCH_H

// What the firmware, repair and pairing tests share: a program folder of
// their own with the shipped configuration and chosen firmware images, the
// record discovery makes of a simulated device, and bench fixtures.

#include "flashdatamap.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QTemporaryDir>

// Once per test program: record types for queued signals, language texts.
void startFirmwareTests();
// Before every test: a fresh bench without delays, no run, no device listed
// or stored for pairing.
void resetFirmwareBench();

// A firmware image file's bytes (the build tool's layout), CID 33.
QByteArray firmwareImageBytes(int code, int mid, quint32 version, const QByteArray &model, int cid = 33);
// An image file that is not whole: "header" (the header alone), "empty" (a
// body its header declares empty), "short" (1,000 bytes of a file whose
// header declares a body of 4,096).
QByteArray brokenFirmwareImageBytes(int code, int mid, quint32 version, const QByteArray &model, const QString &how);

class FirmwareProgramFolder
{
public:
    // Config.ini, languages and pictures of the build's program folder; the
    // program reads from here until the object goes.
    FirmwareProgramFolder();
    ~FirmwareProgramFolder();
    QString path() const { return m_dir.path(); }
    // The program reads from here again (after the globals were reset, as
    // a program started anew).
    void use();
    // Writes bin/<name>.
    void addImage(const QString &name, const QByteArray &bytes);
    void removeImages();
    // Writes a bench fixture beside the folder and returns its path.
    QString fixture(const QString &name, const QString &text);

private:
    QTemporaryDir m_dir;
};

// The record the device list makes of a simulated device ("R1", "M2"...):
// path, VID/PID texts, CID, MID, link, cable flag, USB version.
DeviceAllInfo listedDevice(const char *id);

// The firmware version every mouse and receiver of the bench runs, by id.
QMap<QString, int> firmwareOnTheBench();

// Fixture groups of the simulated bench.
QString receiverFixture(const QString &id, int cls, int mid, const QString &mouse = QString(), int version = 0x0102);
QString mouseFixture(const QString &id, int mid, bool cable, bool online = true);
QString bootFixture(const QString &id, int code, int mid, const QString &model, const QString &device);

// An update under way, as far as every part of the program can tell: the
// automatic update of receiver R1 of the bench with an image written into
// the folder, its write held by the simulator's step gate after its first
// progress report. False when it could not be started. forgetHeldUpdate()
// ends it for the program (the simulated write stays held until the bench
// is reset).
bool startHeldUpdate(FirmwareProgramFolder &folder);
void forgetHeldUpdate();

#endif

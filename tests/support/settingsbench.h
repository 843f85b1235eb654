#ifndef SETTINGSBENCH_H
#define SETTINGSBENCH_H

// What the settings page tests share: the records the device page lists for
// simulated devices, with the receiver id they report and their versions.

#include "flashdatamap.h"

#include <QStringList>

class FirmwareProgramFolder;

// Benches: receiver R1 (4K, v1.02) with mouse M1 (v1.05) that is also on
// its cable; R1 waiting in update mode after a failed update, M1 on its
// cable; M1 waiting in update mode on its cable, R1 plugged in.
QString updateBench();
QString receiverWaitingBench();
QString mouseWaitingBench();
// R1 waiting in update mode, and beside it the mouse M2 on its cable.
QString receiverWaitingBesideM2Bench();
// A fresh bench of that fixture without delays, and in bin/ the receiver
// and mouse images of model 1 with these versions (0: none).
bool startSettingsBench(FirmwareProgramFolder &folder, const QString &fixture, int receiverImage, int mouseImage);
// The failure record as a failed update leaves it; empty: none.
void setUpdateFailRecord(const QString &record);

// Table-driven tests of the page: the columns that set the scene (fixture,
// listed ids, selected id, failure record, receiver and mouse image
// versions), and the scene of the current row: bench, images, record,
// device list and selection.
void addSettingsBenchColumns();
bool startSettingsBenchRow(FirmwareProgramFolder &folder);

// A listed receiver ("R1") or mouse on its cable ("M1"): the discovery
// record plus the three id bytes it reports and its firmware version; a
// receiver also carries the version of the mouse behind it.
DeviceAllInfo settingsEntry(const char *id, const char *mouseBehind = nullptr);
// g_deviceList becomes these entries, in order, as the device page's scan
// lists them.
void listDevices(const QStringList &ids, const char *mouseBehind = nullptr);
// The device the user opened: its entry, online.
void selectDevice(const char *id, const char *mouseBehind = nullptr);

#endif

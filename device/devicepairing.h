#ifndef DEVICEPAIRING_H
#define DEVICEPAIRING_H

// Pairing a mouse with its receiver. A pairing run starts the device server
// for the receiver with the pairing report callback, which decodes the
// receiver's pairing status and hands it to the GUI thread. The server keeps
// that callback until it is started again for the device events
// (restartEventServer).

#include "flashdatamap.h"

#include <QByteArray>
#include <QString>

enum class PairStatus { Pairing, Failed, Succeeded };

// The pairing status in a report of the device server: event 6 (report
// byte 1) with the status in data byte 0, 1 still pairing, 2 failed,
// 3 succeeded. False for any other report or status.
bool decodePairStatus(const unsigned char *report, int reportLen, const unsigned char *data, unsigned int dataLen,
                      PairStatus *status);

// The pairing report callback handed to the device server. It runs on the
// library's thread: a decoded status is queued to the GUI thread, to the
// handler of the last startPairingServer.
void onPairReport(const unsigned char *report, int reportLen, const unsigned char *data, unsigned int dataLen);

// Starts the device server for the device at `path` (both of the server's
// path arguments) with the pairing report callback; every pairing status
// then reaches onStatus on the GUI thread, after the call that made the
// report has returned. GUI thread.
void startPairingServer(const QByteArray &path, void (*onStatus)(PairStatus));
// Puts the receiver of the server into pairing mode for mice of this CID.
void enterPairing(u8 cid);
// Asks the receiver for its pairing status; the answer comes as a report.
void requestPairStatus();

// The CID the device at `path` reports, asked until it answers with a CID
// or MID other than 0, ten times at most. False when it never answers.
bool askDeviceCid(const QByteArray &path, u8 *cid);

// Whether the device at `path` is still among those found (default
// interface) under its VID and PID texts.
bool deviceStillFound(const QString &vid, const QString &pid, const QByteArray &path);

#endif // DEVICEPAIRING_H

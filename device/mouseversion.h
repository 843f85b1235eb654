#ifndef MOUSEVERSION_H
#define MOUSEVERSION_H

// The mouse version record: the last firmware version the device link heard
// from a mouse model, kept in the registry under the program's key
// "...\Mouse Drive Test" as "MouseVer" + CID text + MID text. The device list
// and the main window take a model without a record for a mouse that must
// be paired first.

#include <QString>

// The value name of one model: cidText and midText are the Config.ini texts
// of Option/CID and Drive<k>/MID as they stand.
QString mouseVersionValueName(const QString &cidText, const QString &midText);
QString readMouseVersion(const QString &cidText, const QString &midText);
void writeMouseVersion(const QString &cidText, const QString &midText, const QString &versionText);

#endif // MOUSEVERSION_H

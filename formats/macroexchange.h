#ifndef MACROEXCHANGE_H
#define MACROEXCHANGE_H

// Macro exchange files: one macro carried to another computer. A binary
// stream of the toolkit's data-stream format, version 17 (the Qt 5.9
// format), big-endian:
//
//   u32 12, "Malvo", a zero byte, 6 zero bytes       marker field
//   u32 48, the name in UTF-8, zero-padded            ignored by readers
//   u32 12, the loop mode in decimal, zero-padded
//   i32 N, then N rows, each: the name (QString), the row's icon (QIcon),
//   the action ("0" or "1" as a zero-terminated text: u32 2 and 2 bytes)
//   and the delay text (QString).
//
// An empty macro is 88 bytes.

#include "macrokeys.h"
#include "macrorow.h"

#include <QByteArray>
#include <QIcon>
#include <QString>

// What an exchange file carries of its macro (the name field is not read).
struct MacroExportFile {
    QString loopText;          // a loop mode the editor can show, in decimal
    MacroRows rows;            // at most the 70 a device block holds
    bool rowsLeftOut = false;  // the file had more rows than that
};

// The pictures of a down row and an up row in the program folder.
QString macroRowIconPath(bool release);
// The bytes of an exchange file of the macro `name`.
QByteArray macroExchangeBytes(const QString &name, const QString &loopText, const MacroRows &rows,
                              const QIcon &downIcon, const QIcon &upIcon);
// Writes the exchange file with the program's row pictures; the file is
// replaced only once it is complete. False when it cannot be written.
bool exportMacroExchange(const QString &path, const QString &name, const QString &loopText, const MacroRows &rows);

// Reads exchange-file bytes, whole, before anything is added anywhere.
// False for anything that is not a complete exchange file: a marker other
// than "Malvo", a negative row count or one the data cannot hold, a row cut
// short or not in the stream's form, and a loop mode the editor cannot
// show (a repeat count of 1 to 250, 253, 254 or 255): the device takes the
// mode's low byte, so a larger number would turn into another mode. An
// empty loop field, as an export with no loop box checked writes it, is one
// run. Rows past the 70 a device block holds are not read. Each row's code
// and kind come from its name (macroKeyForName; a mouse-button name of any
// loaded language, renamed in this one), its delay is read as milliseconds.
bool parseMacroExchange(const QByteArray &bytes, const MouseButtonNames &mouse, MacroExportFile *exchange);

enum MacroImportResult {
    MacroImported = 0,        // the macro file exists and *exchange holds it
    MacroImportNameTaken,     // the folder already has a file of that name
    MacroImportUnreadable,    // missing, too large or not an exchange file
    MacroImportRefused,       // an exchange file, but damaged or of a loop mode the editor cannot show
    MacroImportNotWritten     // the new macro file could not be written
};

// Imports the exchange file at `sourcePath` as the macro `name` (see
// macroNameFromFileName) into the folder: reads it whole, then writes the
// new macro file in one step. Only MacroImported leaves anything behind.
MacroImportResult importMacroExchange(const QString &sourcePath, const QString &folder, const QString &name,
                                      const MouseButtonNames &mouse, MacroExportFile *exchange);

#endif // MACROEXCHANGE_H

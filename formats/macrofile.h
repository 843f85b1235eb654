#ifndef MACROFILE_H
#define MACROFILE_H

// Macro files: one text file per macro in the macro folder, named after the
// macro. Line 1 holds the loop mode; then every event is a key line
// "<code> <kind> <action>" (code "0x" + two upper-case hex digits, kind 0,
// 1 or 4, action 0 down or 1 up) followed by a delay line ("10ms"):
//
//   1
//   0x04 1 0
//   10ms
//   0x04 1 1
//   10ms
//
// Files are written with CR LF line ends; older versions appended the rows
// of a macro read back from the device with bare LF. Readers take both. A
// file just created is empty.
//
// The operations take the folder and the macro's name and do nothing for a
// name that cannot be a file name (isMacroFileName). No file error is
// reported beyond the result.

#include "macroblock.h"
#include "macrokeys.h"
#include "macrorow.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// Replaces the file at `path` by `bytes` in one step: the old content stays
// when any byte cannot be written. False for an empty path.
bool replaceFileContent(const QString &path, const QByteArray &bytes);

// The macro folder of the per-user data folder, without trailing slash.
QString defaultMacroFolder();
// folder + "/" + name + ".ini"; empty when the name cannot be a file name.
QString macroFilePath(const QString &folder, const QString &name);
// The macros of the folder: its *.ini files (no links, none whose name
// holds "xml"), ordered by file name ignoring case, each named without its
// trailing ".ini". Files whose name cannot name a macro are left out.
QStringList listMacroNames(const QString &folder);
// The macro name of a chosen file: the file name without folders and
// without a trailing ".ini", cleaned by usableMacroName (it may still fail
// isMacroFileName).
QString macroNameFromFileName(const QString &filePath);

struct MacroFileContent {
    bool hasLoopLine = false;   // false for an empty file
    QString loopText;           // first word of line 1, line end removed
    MacroRows rows;             // every key line ending in 0 or 1, with the delay line after it
};

// Reads macro-file bytes. Each key line adds a row: its name from
// HidCodeToKeyName, its code and kind as the line gives them when they are
// a pair of the vocabulary (else kind 1, code 0). A delay line sets the
// delay of the row before it. Lines of two or of four and more words are
// skipped, and so is a key line whose action is not "0" or "1" followed by
// its line end.
MacroFileContent parseMacroFile(const QByteArray &bytes, const MouseButtonNames &mouse);
// A whole macro file: the loop-mode line and every row, with CR LF.
QByteArray macroFileBytes(const QString &loopText, const MacroRows &rows);

// The macro's file; false (and *content empty) when it is missing or
// cannot be read.
bool loadMacroFile(const QString &folder, const QString &name, const MouseButtonNames &mouse,
                   MacroFileContent *content);
// Creates the file empty, or empties it.
bool CreateMacroFile(const QString &folder, const QString &name);
// Replaces the file's content by the loop mode and the rows in one step,
// creating the file when missing: the old content stays when writing
// fails, and no reader ever finds the loop line without its rows. Saving,
// importing and a macro read back from the device all write this way.
bool SaveMacroFile(const QString &folder, const QString &name, const QString &loopText, const MacroRows &rows);
// The first word of the file's line 1 without its line end: "" for a first
// line without words, "0" when the file is missing, unreadable or empty.
QString ReadMacroHeader(const QString &folder, const QString &name);
// The device block of the macro's file. False, with an all-zero block,
// when the file is missing or cannot be read.
bool ReadMacroFile(const QString &folder, const QString &name, MacroDownloadRecord *block);
// Renames the file of macro `from` to `to`; an existing file of `to` is
// never replaced.
bool renameMacroFile(const QString &folder, const QString &from, const QString &to);
bool removeMacroFile(const QString &folder, const QString &name);

#endif // MACROFILE_H

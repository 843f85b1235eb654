#ifndef MACRONAME_H
#define MACRONAME_H

// A macro's name is the name of its file in the macro folder, so every name
// that reaches the folder (typed, imported, read from the device) passes the
// one check below before it is used. The folder's listing leaves out every
// file whose name holds "xml" (the list files kept there), so such a name
// could be made but never listed, chosen or bound: it is refused too.

#include <QString>

// Longest name in bytes of the local 8-bit encoding: the device's name field.
constexpr int kMacroNameMaxBytes = 30;

// Makes `text` a usable macro name: drops "/", "\" and control characters
// (NUL among them), cuts it to kMacroNameMaxBytes on a character boundary,
// and gives an empty text for "", "." and "..". An empty result means the
// text cannot name a macro; a name holding "xml" is kept as typed, for
// isMacroFileName to refuse with a word to the user.
QString usableMacroName(const QString &text);

// True when `name` can stand as a macro's file name in the macro folder as
// it is: not empty, not "." or "..", no separator, no control character and
// no "xml" (case-sensitive, as the listing). Long names made elsewhere pass.
bool isMacroFileName(const QString &name);

// The longest beginning of `text` that ends on a character boundary (never
// inside a surrogate pair or between a letter and its combining marks) and
// takes at most `maxBytes` in the local 8-bit encoding.
QString cutToLocal8Bit(const QString &text, int maxBytes);

#endif // MACRONAME_H

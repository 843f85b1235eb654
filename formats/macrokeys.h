#ifndef MACROKEYS_H
#define MACROKEYS_H

// The macro editor's key vocabulary: its views over the program's one key
// table (keytables.h), under the names the editor uses, and the rows
// recording makes of the system's virtual-key codes. Macro modifier names are
// "LCtrl" ... "RWin"; the five mouse buttons are named by the page's
// current language, so every view that meets mouse-button names is given
// the page's own five.

#include "keytables.h"
#include "macrorow.h"

#include <QString>
#include <QStringList>

struct MacroKey {
    int code = 0;
    int kind = kMacroKindKey;
};

// The code and kind a name stands for: keys, modifiers and the empty name
// first, the five mouse-button names last. False for a name outside the
// vocabulary; *key is then kind 1, code 0, what the device gets for it.
bool macroKeyForName(const QString &name, const MouseButtonNames &mouse, MacroKey *key);
// True when code and kind are a pair of the vocabulary: a named keyboard
// usage or 0x00 with kind 1, a modifier bit with kind 0, a mouse-button bit
// with kind 4 (whatever the buttons' names are).
bool isMacroKey(int code, int kind);
// A row of the named key, down or up, with the new row's delay.
MacroRow macroRowForName(const QString &name, bool release, const MouseButtonNames &mouse);
// The button page's mouse-button names in the loaded languages are the
// program's (ProgramServices::mouseButtonNamesByLanguage).

// The code text and kind text of a name ("0x2B", "1"); empty for a name
// outside the vocabulary.
QStringList KeyNameToHidCode(const QString &name, const MouseButtonNames &mouse = buttonPageMouseNames());
// The name of a code text and kind as macro files hold them; the text must
// match exactly ("0x0a" matches nothing). Empty for a pair not in the table.
QString HidCodeToKeyName(const QString &codeText, int kind, const MouseButtonNames &mouse = buttonPageMouseNames());
// DeviceKeyToKeyName (a keyboard or modifier code read from a device block)
// and MouseButtonName (a page's name of a mouse-button bit) are the key
// table's own views.

// The row recording makes of a key event (Windows virtual-key code, down or
// up), named by virtualKeyMacroName. False for the codes without a name
// (F13 and up, the side-less modifiers, media keys): they make no row.
// 0x0C (keypad 5 without Num Lock) makes a row with the empty name.
bool recordedRow(int virtualKey, bool down, MacroRow *row);

#endif // MACROKEYS_H

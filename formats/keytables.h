#ifndef KEYTABLES_H
#define KEYTABLES_H

// The one table between the key names the user sees (button labels, key
// combination texts, the macro editor's rows, macro files) and the codes the
// device stores: USB HID keyboard usages and the bits of the HID modifier
// and mouse-button bytes, never the system's virtual-key codes.
//
// Two vocabularies share it. Keyboard key names are the same in both; the
// modifier names differ: combination names ("Ctrl", "Right Shift") on
// button labels and in combination texts, macro names ("LCtrl", "RShift")
// in the macro editor, its files and the macros on the device, which also
// name the five mouse buttons. Every comparison is exact and
// case-sensitive, and no lookup reports an error: an unknown input gives
// the empty result each function names.

#include "keyrecord.h"

#include <QString>
#include <QStringList>
#include <QVector>

// The kinds of codes (KeyKind) are those of the key record (keyrecord.h);
// consumer usages have no names here.

struct KeyboardKey {
    int usage;
    QString name;
};

struct ModifierKey {
    int bit;
    QString combinationName;   // empty for 0x80: no combination name maps to it
    QString macroName;
};

// The translated names of the five mouse buttons, which change with the
// language. The button page's set lives in the globals g_mouseButtonName*.
struct MouseButtonNames {
    QString left;      // bit 0x01
    QString right;     // 0x02
    QString middle;    // 0x04
    QString back;      // 0x08
    QString forward;   // 0x10
};
MouseButtonNames buttonPageMouseNames();

// The button page's names of the five mouse buttons (bits 1, 2, 4, 16, 8) in
// the current language; the page sets them with its texts.
extern QString g_mouseButtonName1;
extern QString g_mouseButtonName2;
extern QString g_mouseButtonName4;
extern QString g_mouseButtonName16;
extern QString g_mouseButtonName8;

// The named keyboard keys in usage order (keypad Enter 0x58 is not among
// them: it reads as "Enter" but "Enter" is 0x28), and the eight modifiers
// in bit order.
const QVector<KeyboardKey> &keyboardKeys();
const QVector<ModifierKey> &modifierKeys();

// The usage of a keyboard key name, the empty name being usage 0; -1 for
// anything else.
int keyboardUsageOf(const QString &name);
// The bit of a combination modifier name ("Ctrl" ... "Right Alt"), or -1.
int combinationModifierBit(const QString &name);
// The bit of a macro modifier name ("LCtrl" ... "RWin"), or -1.
int macroModifierBit(const QString &name);

// The parts of a key-combination text: split at "+", empty parts kept
// ("A++B" is three parts), except that "Num" followed by an empty part is
// the key "Num+" ("Ctrl+Num+" is "Ctrl" and "Num+"). Every place that takes
// a combination apart uses this.
QStringList combinationTokens(const QString &text);

// "0x" and two upper-case hexadecimal digits, as macro files store codes.
QString keyHexText(int code);
// Reads such a text back: exactly "0x" and two upper-case hexadecimal
// digits; -1 for anything else.
int parseKeyHexText(const QString &text);

// Name to (kind, code) in the macro vocabulary: keyboard keys and macro
// modifiers first, the mouse-button names last, so a translated button name
// that equals a key name is the key. False for an unknown name, with *kind
// and *code untouched.
bool macroNameToCode(const QString &name, const MouseButtonNames &mouse, int *kind, int *code);

// ---- Views ---------------------------------------------------------------

// Code to combination name, for button labels. Codes that are both a
// modifier bit and a usage (0x04, 0x08, 0x10, 0x20, 0x40) give the key for
// kind 1, the modifier for kind 0 and nothing for other kinds; 0x01, 0x02
// and 0x80 are "Ctrl", "Shift" and "Win" whatever the kind; 0x58 is
// "Enter".
QString KeyCodeToName(int code, int kind);

// Code to macro name, for a macro read from the device: as KeyCodeToName
// with the macro modifier names, and 0x40 is "F7" for every kind but 0.
QString DeviceKeyToKeyName(int code, int kind);

// "0xNN" text and kind to macro name, for rows read from a macro file:
// kind 1 keyboard keys (0x00 the empty name, 0x58 none), kind 0 the eight
// macro modifiers, kind 4 the mouse-button names; lower-case digits match
// nothing.
QString KeyNameToCode(const QString &hexText, int kind,
                      const MouseButtonNames &mouse = buttonPageMouseNames());

// The translated name of a mouse-button bit, empty for any other code.
QString MouseButtonName(int code, const MouseButtonNames &mouse = buttonPageMouseNames());

// Writes part `index` of a combination of `count` parts into a copy of
// `record`: the press in slot index, the release in slot 2*count-1-index,
// both with a delay of 10 ms; a combination modifier name gives kind 0 and
// its bit, a key name kind 1 and its usage, the empty name kind 1 and code
// 0, any other name kind 1 and the slots' codes as they were. The event
// count is left alone. A part whose slots do not lie within the six event
// slots changes nothing.
KeyParamRecord KeyNameToComboCode(const QString &name, int index, int count, KeyParamRecord record);

// Writes kind (byte 1) and code (bytes 2-3, little-endian) of event `index`
// of a 592-byte macro block, whose events start at byte 32. Keyboard and
// macro modifier names are compared before the mouse-button names; an
// unknown name sets kind 1 and leaves the code bytes. Bytes 0 and 4-7 are
// the caller's. An index past the block's 70 events writes nothing.
void KeyNameToMacroEvent(const QString &name, int index, u8 *block,
                         const MouseButtonNames &mouse = buttonPageMouseNames());

// Name to ("0xNN", kind digit) for macro files; the empty list for a name
// that is no keyboard key, macro modifier or mouse-button name.
QStringList KeyNameToHexCode(const QString &name, const MouseButtonNames &mouse = buttonPageMouseNames());

// The macro name of a Windows virtual-key code ("A", "Num5", "LShift",
// "RAlt", "←" ...); empty for a code without one. The name table of
// recorded and captured keys and of the single-key dialog.
QString virtualKeyMacroName(int vk);

#endif // KEYTABLES_H

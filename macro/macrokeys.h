#ifndef MACROKEYS_H
#define MACROKEYS_H

// The macro editor's key vocabulary: its views over the program's key
// table. Macro modifier names are "LCtrl" ... "RWin"; the five mouse
// buttons are named by the page's current language, so every lookup that
// meets mouse-button names is given the page's own five.

#include <QString>
#include <QStringList>

struct MacroDownloadRecord;

// A page's mouse-button names in the order left, right, middle, forward,
// back (codes 1, 2, 4, 16, 8). Missing entries count as empty names.
typedef QStringList MouseButtonNames;

struct MacroKey {
    int code = 0;
    int kind = 1;
};

// The code and kind a name stands for: keys, modifiers and the empty name
// first, the five mouse-button names last. False for a name outside the
// vocabulary; *key is then kind 1, code 0, which is what the device gets
// for such a name.
bool macroKeyForName(const QString &name, const MouseButtonNames &mouse, MacroKey *key);
// True when the code and kind are a pair of the vocabulary (the five mouse
// buttons whatever their names, the empty name's 0x00 of kind 1).
bool isMacroKey(int code, int kind);
// A code as macro files write it: "0x" and two upper-case hex digits.
QString macroCodeText(int code);

// Kind and code of `name` into event `eventIndex` of the block (event bytes
// 1 to 3); a name outside the vocabulary sets kind 1 and leaves the code.
// The button index is not used.
void KeyNameToDownloadBytes(const QString &name, int button, int eventIndex, MacroDownloadRecord *block,
                            const MouseButtonNames &mouse);
// The code text and kind text of a name ("0x2B", "1"); empty for a name
// outside the vocabulary.
QStringList KeyNameToHidCode(const QString &name, const MouseButtonNames &mouse);
// The name of a code text and kind as macro files hold them; the text must
// match exactly ("0x0a" matches nothing). Empty for a pair not in the table.
QString HidCodeToKeyName(const QString &codeText, int kind, const MouseButtonNames &mouse);
// The name of a keyboard or modifier code read from a device block.
QString DeviceKeyToKeyName(int code, int kind);
// The page's name of mouse-button code 1, 2, 4, 16 or 8; empty otherwise.
QString MouseButtonName(int code, const MouseButtonNames &mouse);
// The name recording gives a Windows virtual-key code; empty for a code
// without a name (and for 0x0C, whose name is the empty name).
QString recordingKeyName(int virtualKey);
// True when recording gives the code a row (0x0C included).
bool isRecordingKey(int virtualKey);

#endif // MACROKEYS_H

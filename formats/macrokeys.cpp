#include "macrokeys.h"

#include <algorithm>

namespace {

// Keypad 5 without Num Lock: the one key recorded under the empty name.
constexpr int kClearKey = 0x0C;

} // namespace

bool macroKeyForName(const QString &name, const MouseButtonNames &mouse, MacroKey *key)
{
    int kind = kMacroKindKey;
    int code = 0;
    const bool known = macroNameToCode(name, mouse, &kind, &code);
    key->code = known ? code : 0;
    key->kind = known ? kind : kMacroKindKey;
    return known;
}

bool isMacroKey(int code, int kind)
{
    switch (kind) {
    case kMacroKindKey:
        return code == 0 || std::any_of(keyboardKeys().begin(), keyboardKeys().end(),
                                        [code](const KeyboardKey &k) { return k.usage == code; });
    case kMacroKindModifier:
        return std::any_of(modifierKeys().begin(), modifierKeys().end(),
                           [code](const ModifierKey &m) { return m.bit == code; });
    case kMacroKindMouse:
        return code == 0x01 || code == 0x02 || code == 0x04 || code == 0x08 || code == 0x10;
    default:
        return false;
    }
}

MacroRow macroRowForName(const QString &name, bool release, const MouseButtonNames &mouse)
{
    MacroRow row;
    MacroKey key;
    macroKeyForName(name, mouse, &key);
    row.name = name;
    row.code = key.code;
    row.kind = key.kind;
    row.release = release;
    return row;
}

QStringList KeyNameToHidCode(const QString &name, const MouseButtonNames &mouse)
{
    return KeyNameToHexCode(name, mouse);
}

QString HidCodeToKeyName(const QString &codeText, int kind, const MouseButtonNames &mouse)
{
    return KeyNameToCode(codeText, kind, mouse);
}

bool recordedRow(int virtualKey, bool down, MacroRow *row)
{
    const QString name = virtualKeyMacroName(virtualKey);
    if (name.isEmpty() && virtualKey != kClearKey)
        return false;
    // Recorded names are keys and modifiers only, never mouse buttons.
    *row = macroRowForName(name, !down, MouseButtonNames());
    return true;
}

#include "macrokeys.h"

#include "macroblock.h"

#include <algorithm>

namespace {

struct RecordingKey {
    int virtualKey;
    int code;
    int kind;
};

// The virtual-key codes recording names, with the usage or modifier bit
// each stands for; the names come from the key table.
QVector<RecordingKey> buildRecordingKeys()
{
    QVector<RecordingKey> keys;
    for (int i = 0; i < 9; ++i)
        keys.append({0x31 + i, 0x1E + i, kMacroKindKey});   // "1" to "9"
    keys.append({0x30, 0x27, kMacroKindKey});                // "0"
    for (int i = 0; i < 26; ++i)
        keys.append({0x41 + i, 0x04 + i, kMacroKindKey});   // "A" to "Z"
    keys.append({0x60, 0x62, kMacroKindKey});                // "Num0"
    for (int i = 0; i < 9; ++i)
        keys.append({0x61 + i, 0x59 + i, kMacroKindKey});   // "Num1" to "Num9"
    for (int i = 0; i < 12; ++i)
        keys.append({0x70 + i, 0x3A + i, kMacroKindKey});   // "F1" to "F12"
    const RecordingKey rest[] = {
        {0x08, 0x2A, kMacroKindKey},  {0x09, 0x2B, kMacroKindKey},  {0x0C, 0x00, kMacroKindKey},
        {0x0D, 0x28, kMacroKindKey},  {0x13, 0x48, kMacroKindKey},  {0x14, 0x39, kMacroKindKey},
        {0x1B, 0x29, kMacroKindKey},  {0x20, 0x2C, kMacroKindKey},  {0x21, 0x4B, kMacroKindKey},
        {0x22, 0x4E, kMacroKindKey},  {0x23, 0x4D, kMacroKindKey},  {0x24, 0x4A, kMacroKindKey},
        {0x25, 0x50, kMacroKindKey},  {0x26, 0x52, kMacroKindKey},  {0x27, 0x4F, kMacroKindKey},
        {0x28, 0x51, kMacroKindKey},  {0x2C, 0x46, kMacroKindKey},  {0x2D, 0x49, kMacroKindKey},
        {0x2E, 0x4C, kMacroKindKey},  {0x5B, 0x08, kMacroKindModifier}, {0x5C, 0x80, kMacroKindModifier},
        {0x5D, 0x65, kMacroKindKey},  {0x6A, 0x55, kMacroKindKey},  {0x6B, 0x57, kMacroKindKey},
        {0x6D, 0x56, kMacroKindKey},  {0x6E, 0x63, kMacroKindKey},  {0x6F, 0x54, kMacroKindKey},
        {0x90, 0x53, kMacroKindKey},  {0x91, 0x47, kMacroKindKey},
        {0xA0, 0x02, kMacroKindModifier}, {0xA1, 0x20, kMacroKindModifier},
        {0xA2, 0x01, kMacroKindModifier}, {0xA3, 0x10, kMacroKindModifier},
        {0xA4, 0x04, kMacroKindModifier}, {0xA5, 0x40, kMacroKindModifier},
        {0xBA, 0x33, kMacroKindKey},  {0xBB, 0x2E, kMacroKindKey},  {0xBC, 0x36, kMacroKindKey},
        {0xBD, 0x2D, kMacroKindKey},  {0xBE, 0x37, kMacroKindKey},  {0xBF, 0x38, kMacroKindKey},
        {0xC0, 0x35, kMacroKindKey},  {0xDB, 0x2F, kMacroKindKey},  {0xDC, 0x31, kMacroKindKey},
        {0xDD, 0x30, kMacroKindKey},  {0xDE, 0x34, kMacroKindKey},
    };
    for (const RecordingKey &k : rest)
        keys.append(k);
    return keys;
}

const QVector<RecordingKey> &recordingKeys()
{
    static const QVector<RecordingKey> keys = buildRecordingKeys();
    return keys;
}

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

void KeyNameToDownloadBytes(const QString &name, int button, int eventIndex, MacroDownloadRecord *block,
                            const MouseButtonNames &mouse)
{
    Q_UNUSED(button)
    KeyNameToMacroEvent(name, eventIndex, reinterpret_cast<u8 *>(block), mouse);
}

QStringList KeyNameToHidCode(const QString &name, const MouseButtonNames &mouse)
{
    return KeyNameToHexCode(name, mouse);
}

QString HidCodeToKeyName(const QString &codeText, int kind, const MouseButtonNames &mouse)
{
    return KeyNameToCode(codeText, kind, mouse);
}

bool recordingKey(int virtualKey, MacroKey *key)
{
    for (const RecordingKey &k : recordingKeys()) {
        if (k.virtualKey == virtualKey) {
            key->code = k.code;
            key->kind = k.kind;
            return true;
        }
    }
    return false;
}

QString recordingKeyName(int virtualKey)
{
    MacroKey key;
    if (!recordingKey(virtualKey, &key))
        return QString();
    return KeyNameToCode(keyHexText(key.code), key.kind, MouseButtonNames());
}

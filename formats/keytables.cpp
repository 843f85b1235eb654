#include "keytables.h"

#include "diagnostics.h"
#include "keyrecord.h"

QString g_mouseButtonName1;
QString g_mouseButtonName2;
QString g_mouseButtonName4;
QString g_mouseButtonName16;
QString g_mouseButtonName8;

namespace {

QVector<KeyboardKey> buildKeyboardKeys()
{
    QVector<KeyboardKey> keys;
    for (int i = 0; i < 26; ++i)
        keys.append({0x04 + i, QString(QChar('A' + i))});
    for (int i = 0; i < 9; ++i)
        keys.append({0x1E + i, QString(QChar('1' + i))});
    const KeyboardKey rest[] = {
        {0x27, "0"}, {0x28, "Enter"}, {0x29, "Esc"}, {0x2A, "BackSpace"}, {0x2B, "Tab"},
        {0x2C, "Space"}, {0x2D, "-"}, {0x2E, "="}, {0x2F, "["}, {0x30, "]"},
        {0x31, "\\"}, {0x33, ";"}, {0x34, "'"}, {0x35, "`"}, {0x36, ","},
        {0x37, "."}, {0x38, "/"}, {0x39, "CapsLock"},
    };
    for (const KeyboardKey &k : rest)
        keys.append(k);
    for (int i = 0; i < 12; ++i)
        keys.append({0x3A + i, "F" + QString::number(i + 1)});
    const KeyboardKey more[] = {
        {0x46, "Screen"}, {0x47, "Scroll"}, {0x48, "Pause"}, {0x49, "Insert"},
        {0x4A, "Home"}, {0x4B, "PgUp"}, {0x4C, "Del"}, {0x4D, "End"}, {0x4E, "PgDn"},
        {0x4F, QString(QChar(0x2192))}, {0x50, QString(QChar(0x2190))},
        {0x51, QString(QChar(0x2193))}, {0x52, QString(QChar(0x2191))},
        {0x53, "NumLock"}, {0x54, "Num/"}, {0x55, "Num*"}, {0x56, "Num-"}, {0x57, "Num+"},
    };
    for (const KeyboardKey &k : more)
        keys.append(k);
    for (int i = 0; i < 9; ++i)
        keys.append({0x59 + i, "Num" + QString::number(i + 1)});
    keys.append({0x62, "Num0"});
    keys.append({0x63, "Num."});
    keys.append({0x65, "APPs"});
    return keys;
}

// Usage 0x58, keypad Enter, has no name of its own: the code-to-name views
// read it as "Enter", which every name-to-code view takes as 0x28.
constexpr int kKeypadEnter = 0x58;

// Codes that are a modifier bit and a keyboard usage at once; the kind
// decides between them.
bool isSharedCode(int code)
{
    return code == 0x04 || code == 0x08 || code == 0x10 || code == 0x20 || code == 0x40;
}

QString keyboardNameOf(int usage)
{
    if (usage == kKeypadEnter)
        return QStringLiteral("Enter");
    for (const KeyboardKey &k : keyboardKeys()) {
        if (k.usage == usage)
            return k.name;
    }
    return QString();
}

const ModifierKey *modifierOfBit(int bit)
{
    for (const ModifierKey &m : modifierKeys()) {
        if (m.bit == bit)
            return &m;
    }
    return nullptr;
}

// The code-to-name rule shared by both vocabularies: first by code, then,
// for the shared codes only, by kind. `macro` chooses the modifier names.
QString codeToName(int code, int kind, bool macro)
{
    const ModifierKey *mod = modifierOfBit(code);
    if (isSharedCode(code)) {
        if (kind == KeyKindKeyboard)
            return keyboardNameOf(code);
        if (kind == KeyKindModifier)
            return macro ? mod->macroName : mod->combinationName;
        // F7 (0x40) stays a key for the macro vocabulary's other kinds.
        if (macro && code == 0x40)
            return keyboardNameOf(code);
        return QString();
    }
    if (mod) {
        // 0x01, 0x02, 0x80: no keyboard usage, so a modifier whatever the kind.
        if (macro)
            return mod->macroName;
        return code == 0x80 ? QStringLiteral("Win") : mod->combinationName;
    }
    return keyboardNameOf(code);
}

// The mouse-button bits in bit order, and the name of each.
constexpr int kMouseButtonBits[] = {0x01, 0x02, 0x04, 0x08, 0x10};

const QString *mouseNameOf(int bit, const MouseButtonNames &mouse)
{
    switch (bit) {
    case 0x01: return &mouse.left;
    case 0x02: return &mouse.right;
    case 0x04: return &mouse.middle;
    case 0x08: return &mouse.back;
    case 0x10: return &mouse.forward;
    default: return nullptr;
    }
}

// The macro names of the system's virtual-key codes, beyond the digit,
// letter, F-key and keypad-digit ranges.
struct NamedVirtualKey {
    int vk;
    const char *name;   // UTF-8
};

const NamedVirtualKey kNamedVirtualKeys[] = {
    {0x08, "BackSpace"}, {0x09, "Tab"},      {0x0D, "Enter"},    {0x13, "Pause"},   {0x14, "CapsLock"},
    {0x1B, "Esc"},       {0x20, "Space"},    {0x21, "PgUp"},     {0x22, "PgDn"},    {0x23, "End"},
    {0x24, "Home"},      {0x25, "←"},        {0x26, "↑"},        {0x27, "→"},       {0x28, "↓"},
    {0x2C, "Screen"},    {0x2D, "Insert"},   {0x2E, "Del"},      {0x5B, "LWin"},    {0x5C, "RWin"},
    {0x5D, "APPs"},      {0x6A, "Num*"},     {0x6B, "Num+"},     {0x6D, "Num-"},    {0x6E, "Num."},
    {0x6F, "Num/"},      {0x90, "NumLock"},  {0x91, "Scroll"},   {0xA0, "LShift"},  {0xA1, "RShift"},
    {0xA2, "LCtrl"},     {0xA3, "RCtrl"},    {0xA4, "LAlt"},     {0xA5, "RAlt"},    {0xBA, ";"},
    {0xBB, "="},         {0xBC, ","},        {0xBD, "-"},        {0xBE, "."},       {0xBF, "/"},
    {0xC0, "`"},         {0xDB, "["},        {0xDC, "\\"},       {0xDD, "]"},       {0xDE, "'"},
};

} // namespace

bool macroNameToCode(const QString &name, const MouseButtonNames &mouse, int *kind, int *code)
{
    const int usage = keyboardUsageOf(name);
    if (usage >= 0) {
        *kind = KeyKindKeyboard;
        *code = usage;
        return true;
    }
    const int bit = macroModifierBit(name);
    if (bit >= 0) {
        *kind = KeyKindModifier;
        *code = bit;
        return true;
    }
    for (int bit : kMouseButtonBits) {
        if (*mouseNameOf(bit, mouse) == name) {
            *kind = KeyKindMouseButton;
            *code = bit;
            return true;
        }
    }
    return false;
}

int parseKeyHexText(const QString &text)
{
    if (text.size() != 4 || !text.startsWith(QLatin1String("0x")))
        return -1;
    int value = 0;
    for (int i = 2; i < 4; ++i) {
        const QChar c = text.at(i);
        int digit;
        if (c >= '0' && c <= '9')
            digit = c.unicode() - '0';
        else if (c >= 'A' && c <= 'F')
            digit = c.unicode() - 'A' + 10;
        else
            return -1;
        value = value * 16 + digit;
    }
    return value;
}

MouseButtonNames buttonPageMouseNames()
{
    return {g_mouseButtonName1, g_mouseButtonName2, g_mouseButtonName4, g_mouseButtonName8,
            g_mouseButtonName16};
}

const QVector<KeyboardKey> &keyboardKeys()
{
    static const QVector<KeyboardKey> keys = buildKeyboardKeys();
    return keys;
}

const QVector<ModifierKey> &modifierKeys()
{
    static const QVector<ModifierKey> mods = {
        {0x01, "Ctrl", "LCtrl"},        {0x02, "Shift", "LShift"},
        {0x04, "Alt", "LAlt"},          {0x08, "Win", "LWin"},
        {0x10, "Right Ctrl", "RCtrl"},  {0x20, "Right Shift", "RShift"},
        {0x40, "Right Alt", "RAlt"},    {0x80, QString(), "RWin"},
    };
    return mods;
}

int keyboardUsageOf(const QString &name)
{
    if (name.isEmpty())
        return 0;
    for (const KeyboardKey &k : keyboardKeys()) {
        if (k.name == name)
            return k.usage;
    }
    return -1;
}

int combinationModifierBit(const QString &name)
{
    if (name.isEmpty())
        return -1;
    for (const ModifierKey &m : modifierKeys()) {
        if (m.combinationName == name)
            return m.bit;
    }
    return -1;
}

int macroModifierBit(const QString &name)
{
    for (const ModifierKey &m : modifierKeys()) {
        if (m.macroName == name)
            return m.bit;
    }
    return -1;
}

QStringList combinationTokens(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char('+'));
    QStringList tokens;
    for (int i = 0; i < parts.size(); ++i) {
        if (parts.at(i) == QLatin1String("Num") && i + 1 < parts.size() && parts.at(i + 1).isEmpty()) {
            tokens << QStringLiteral("Num+");
            ++i;
        } else {
            tokens << parts.at(i);
        }
    }
    return tokens;
}

QString keyHexText(int code)
{
    return QStringLiteral("0x") + QString::number(code & 0xFF, 16).toUpper().rightJustified(2, QLatin1Char('0'));
}

QString KeyCodeToName(int code, int kind)
{
    return codeToName(code, kind, false);
}

QString DeviceKeyToKeyName(int code, int kind)
{
    const QString name = codeToName(code, kind, true);
    // Keys whose names are punctuation or easily confused are traced, so a
    // macro read from the device can be checked against what was recorded.
    if (code == 0x28 || code == 0x2D || code == 0x2E || code == 0x35)
        qCDebug(lcDiagnostics) << name;
    return name;
}

QString KeyNameToCode(const QString &hexText, int kind, const MouseButtonNames &mouse)
{
    const int code = parseKeyHexText(hexText);
    if (code < 0)
        return QString();
    switch (kind) {
    case KeyKindKeyboard:
        return code == kKeypadEnter ? QString() : keyboardNameOf(code);
    case KeyKindModifier: {
        const ModifierKey *mod = modifierOfBit(code);
        return mod ? mod->macroName : QString();
    }
    case KeyKindMouseButton:
        return MouseButtonName(code, mouse);
    default:
        return QString();
    }
}

QString MouseButtonName(int code, const MouseButtonNames &mouse)
{
    const QString *name = mouseNameOf(code, mouse);
    return name ? *name : QString();
}

KeyParamRecord KeyNameToComboCode(const QString &name, int index, int count, KeyParamRecord record)
{
    const int press = index;
    const int release = 2 * count - 1 - index;
    if (index < 0 || index >= count || release >= kKeyEventSlots)
        return record;
    KeyEvent down = keyEventAt(record, press);
    KeyEvent up = keyEventAt(record, release);
    down.action = KeyActionPress;
    up.action = KeyActionRelease;
    down.delayMs = up.delayMs = kKeyEventDelayMs;
    down.kind = up.kind = KeyKindKeyboard;
    const int bit = combinationModifierBit(name);
    const int usage = keyboardUsageOf(name);
    if (bit >= 0) {
        down.kind = up.kind = KeyKindModifier;
        down.code = up.code = quint16(bit);
    } else if (usage >= 0) {
        down.code = up.code = quint16(usage);
    }
    setKeyEvent(record, press, down);
    setKeyEvent(record, release, up);
    return record;
}

void KeyNameToMacroEvent(const QString &name, int index, u8 *block, const MouseButtonNames &mouse)
{
    if (!block || index < 0 || index >= kMacroEventSlots)
        return;
    u8 *event = block + kMacroEventsAt + kKeyEventSize * index;
    int kind = KeyKindKeyboard;
    int code = 0;
    if (!macroNameToCode(name, mouse, &kind, &code)) {
        event[1] = KeyKindKeyboard;
        return;
    }
    event[1] = u8(kind);
    event[2] = u8(code & 0xFF);
    event[3] = u8((code >> 8) & 0xFF);
}

QStringList KeyNameToHexCode(const QString &name, const MouseButtonNames &mouse)
{
    int kind = 0;
    int code = 0;
    if (!macroNameToCode(name, mouse, &kind, &code))
        return QStringList();
    return {keyHexText(code), QString::number(kind)};
}

QString virtualKeyMacroName(int vk)
{
    if ((vk >= 0x30 && vk <= 0x39) || (vk >= 0x41 && vk <= 0x5A))
        return QString(QChar(vk));
    if (vk >= 0x70 && vk <= 0x7B)
        return QStringLiteral("F") + QString::number(vk - 0x70 + 1);
    if (vk >= 0x60 && vk <= 0x69)
        return QStringLiteral("Num") + QString::number(vk - 0x60);
    for (const NamedVirtualKey &k : kNamedVirtualKeys) {
        if (k.vk == vk)
            return QString::fromUtf8(k.name);
    }
    return QString();
}

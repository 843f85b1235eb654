#include "buttoncodes.h"

#include "keytables.h"

#include <cstring>

const QVector<ConsumerKey> &consumerKeys()
{
    static const QVector<ConsumerKey> keys = {
        {0x83, 0x0183, "Media Player"}, {0xCD, 0x00CD, "Play/Pause"},
        {0xB5, 0x00B5, "Next"},         {0xB6, 0x00B6, "Previous"},
        {0xB7, 0x00B7, "Stop play"},    {0xE2, 0x00E2, "Mute"},
        {0xE9, 0x00E9, "Volume up"},    {0xEA, 0x00EA, "Volume down"},
        {0x8A, 0x018A, "Email"},        {0x92, 0x0192, "Calculator"},
        {0x94, 0x0194, "My computer"},  {0x23, 0x0223, "Home page"},
        {0x21, 0x0221, "Search"},       {0x26, 0x0226, "Stop web"},
        {0x27, 0x0227, "Refresh"},      {0x2A, 0x022A, "Favorites"},
    };
    return keys;
}

const ConsumerKey *consumerKeyOf(int usageLow)
{
    for (const ConsumerKey &k : consumerKeys()) {
        if (k.low == usageLow)
            return &k;
    }
    return nullptr;
}

KeyParamRecord KeyParamRecordInit(u8 usageHigh, u8 usageLow)
{
    KeyParamRecord record;
    std::memset(&record, 0, sizeof record);
    record.bytes[0] = 2;
    KeyEvent event;
    event.kind = KeyKindConsumer;
    event.code = quint16(usageHigh << 8 | usageLow);
    event.delayMs = kKeyEventDelayMs;
    event.action = KeyActionPress;
    setKeyEvent(record, 0, event);
    event.action = KeyActionRelease;
    setKeyEvent(record, 1, event);
    return record;
}

std::optional<KeyParamRecord> SplitKeyCombination(const QString &text)
{
    const QStringList parts = combinationTokens(text);
    const int n = parts.size();
    if (n > kMaxCombinationKeys)
        return std::nullopt;
    KeyParamRecord record;
    std::memset(&record, 0, sizeof record);
    for (int i = 0; i < n; ++i)
        record = KeyNameToComboCode(parts.at(i), i, n, record);
    record.bytes[0] = u8(2 * n);
    return record;
}

KeyParamDefault keyParamDefault(const QStringList &list)
{
    KeyParamDefault d;
    if (list.isEmpty() || list.at(0) != QLatin1String("0x05"))
        return d;
    if (list.size() == 3) {
        d.kind = KeyParamDefault::Consumer;
        d.usageLow = list.at(2).toInt(nullptr, 16);
    } else if (list.size() == 4) {
        d.kind = KeyParamDefault::Combination;
        d.text = list.at(3);
    } else {
        d.kind = KeyParamDefault::NoChange;
    }
    return d;
}

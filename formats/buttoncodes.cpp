#include "buttoncodes.h"

#include "devicesetters.h"
#include "keytables.h"

#include <cstring>

namespace {
constexpr int kEventsAt = 4;
constexpr int kEventSize = 8;
} // namespace

KeyEvent keyEventAt(const KeyParamRecord &record, int slot)
{
    KeyEvent event;
    if (slot < 0 || slot >= kKeyEventSlots)
        return event;
    const u8 *p = record.bytes + kEventsAt + kEventSize * slot;
    event.action = p[0];
    event.kind = p[1];
    event.code = quint16(p[2] | (p[3] << 8));
    event.delayMs = quint32(p[4]) | (quint32(p[5]) << 8) | (quint32(p[6]) << 16) | (quint32(p[7]) << 24);
    return event;
}

void setKeyEvent(KeyParamRecord &record, int slot, const KeyEvent &event)
{
    if (slot < 0 || slot >= kKeyEventSlots)
        return;
    u8 *p = record.bytes + kEventsAt + kEventSize * slot;
    p[0] = event.action;
    p[1] = event.kind;
    p[2] = u8(event.code & 0xFF);
    p[3] = u8(event.code >> 8);
    for (int i = 0; i < 4; ++i)
        p[4 + i] = u8((event.delayMs >> (8 * i)) & 0xFF);
}

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

namespace {
bool isPageButton(int button)
{
    return button >= 0 && button <= 5;
}
} // namespace

const ConsumerKey *writeConsumerKey(int button, int usageLow)
{
    const ConsumerKey *key = consumerKeyOf(usageLow);
    if (!key || !isPageButton(button))
        return nullptr;
    const KeyParamRecord record = KeyParamRecordInit(u8(key->usage >> 8), u8(key->usage & 0xFF));
    return setButtonKeys(button, kKeyRecordFunction, &record) ? key : nullptr;
}

bool writeCombinationKey(int button, const QString &text)
{
    if (!isPageButton(button))
        return false;
    const std::optional<KeyParamRecord> record = SplitKeyCombination(text);
    return record && setButtonKeys(button, kKeyRecordFunction, &*record);
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

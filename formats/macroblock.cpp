#include "macroblock.h"

#include "macrokeys.h"
#include "macroname.h"

#include <algorithm>
#include <cstring>

void MacroEvent::setCode(int value)
{
    codeBytes[0] = u8(value & 0xFF);
    codeBytes[1] = u8((value >> 8) & 0xFF);
}

quint32 MacroEvent::delay() const
{
    return quint32(delayBytes[0]) | quint32(delayBytes[1]) << 8 | quint32(delayBytes[2]) << 16 |
           quint32(delayBytes[3]) << 24;
}

void MacroEvent::setDelay(quint32 ms)
{
    for (int i = 0; i < 4; ++i)
        delayBytes[i] = u8(ms >> (8 * i));
}

MacroDownloadRecord emptyMacroBlock()
{
    MacroDownloadRecord block;
    std::memset(&block, 0, sizeof block);
    return block;
}

MacroDownloadRecord macroBlockOf(const FlashDataMap &image, int k)
{
    return k >= 0 && k < 16 ? macroBlockOf(image.macroRecords[k]) : emptyMacroBlock();
}

MacroDownloadRecord macroBlockOf(const MacroRecord &record)
{
    MacroDownloadRecord block;
    std::memcpy(&block, record.bytes, sizeof block);
    return block;
}

void renameMacroBlock(MacroDownloadRecord *block, const QString &name)
{
    QString clean = name;
    clean.remove(QChar(0));
    // Cut on a character boundary: half a character would come back from
    // the device as a broken name.
    const QByteArray bytes = cutToLocal8Bit(clean, kMacroBlockNameBytes).toLocal8Bit();
    std::memset(block->name, 0, sizeof block->name);
    std::memcpy(block->name, bytes.constData(), size_t(bytes.size()));
    block->nameLength = u8(bytes.size());
}

MacroDownloadRecord buildMacroBlock(const QString &name, const MacroRows &rows)
{
    MacroDownloadRecord block = emptyMacroBlock();
    renameMacroBlock(&block, name);
    // The device has room for 70 events; rows past them are not sent.
    const int count = std::min(int(rows.size()), kMacroMaxEvents);
    for (int i = 0; i < count; ++i) {
        const MacroRow &row = rows.at(i);
        MacroEvent &event = block.events[i];
        event.action = row.release ? 1 : 0;
        event.kind = u8(row.kind);
        event.setCode(row.code);
        event.setDelay(macroDelayMs(row.delay));
    }
    block.eventCount = u8(count);
    return block;
}

int macroBlockEventCount(const MacroDownloadRecord &block)
{
    // A count above 70 from the device would read past the block.
    return std::min(int(block.eventCount), kMacroMaxEvents);
}

QString macroBlockStoredName(const MacroDownloadRecord &block)
{
    const char *raw = reinterpret_cast<const char *>(block.name);
    const int length = int(std::find(raw, raw + kMacroBlockNameBytes, '\0') - raw);
    return QString::fromLocal8Bit(raw, length);
}

MacroRows macroBlockRows(const MacroDownloadRecord &block, const MouseButtonNames &mouse)
{
    MacroRows rows;
    const int count = macroBlockEventCount(block);
    rows.reserve(count);
    for (int i = 0; i < count; ++i) {
        const MacroEvent &event = block.events[i];
        MacroRow row;
        const int code = event.code();
        const bool mouseButton = event.kind == kMacroKindMouse;
        row.name = mouseButton ? MouseButtonName(code, mouse) : DeviceKeyToKeyName(code, event.kind);
        if (mouseButton && isMacroKey(code, kMacroKindMouse)) {
            row.code = code;
            row.kind = kMacroKindMouse;
        } else {
            // The row stands for what its name stands for, so the file and
            // a later send carry the key the row shows.
            MacroKey key;
            macroKeyForName(row.name, MouseButtonNames(), &key);
            row.code = key.code;
            row.kind = key.kind;
        }
        row.release = event.action != 0;
        row.delay = macroDelayText(event.delay());
        rows.append(row);
    }
    return rows;
}

void KeyNameToDownloadBytes(const QString &name, int button, int eventIndex, MacroDownloadRecord *block,
                            const MouseButtonNames &mouse)
{
    Q_UNUSED(button)
    KeyNameToMacroEvent(name, eventIndex, reinterpret_cast<u8 *>(block), mouse);
}

ButtonFunction macroButtonFunction(int k, int loopMode)
{
    return ButtonFunction{kMacroFunctionType, u8(k), u8(loopMode)};
}

int macroButtonDeviceIndex(int position)
{
    static const int kDeviceIndex[6] = {0, 1, 2, 4, 3, 5};
    return position >= 0 && position < 6 ? kDeviceIndex[position] : -1;
}

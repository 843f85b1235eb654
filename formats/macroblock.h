#ifndef MACROBLOCK_H
#define MACROBLOCK_H

// The device form of a macro: the 592-byte block a button runs, and the
// button function that binds it. Multi-byte fields are little-endian.
//
//   0      nameLength   bytes of the name (local 8-bit encoding)
//   1..30  name         zero-padded
//   31     eventCount   0..70
//   32     events[70]   8 bytes each; unused ones all zero
// An event: action (0 down, 1 up), kind (0 modifier, 1 key, 4 mouse
// button), u16 code (high byte 0), u32 delay in ms after the event.

#include "flashdatamap.h"
#include "keytables.h"
#include "macrorow.h"

constexpr int kMacroMaxEvents = kMacroEventSlots;
constexpr int kMacroBlockNameBytes = 30;
// The function type of a button that runs its macro block.
constexpr u8 kMacroFunctionType = 6;

#pragma pack(push, 1)
struct MacroEvent {
    u8 action;
    u8 kind;
    u8 codeBytes[2];
    u8 delayBytes[4];

    int code() const { return codeBytes[0] | (codeBytes[1] << 8); }
    void setCode(int value);
    quint32 delay() const;
    void setDelay(quint32 ms);
};

struct MacroDownloadRecord {
    u8 nameLength;
    u8 name[kMacroBlockNameBytes];
    u8 eventCount;
    MacroEvent events[kMacroMaxEvents];

    const u8 *bytes() const { return reinterpret_cast<const u8 *>(this); }
};
#pragma pack(pop)

static_assert(sizeof(MacroEvent) == kKeyEventSize, "a macro event is a key event");
static_assert(sizeof(MacroDownloadRecord) == 592, "a macro block is 592 bytes");
static_assert(sizeof(MacroDownloadRecord) == sizeof(MacroRecord), "the block fills the image's macro record");

// An all-zero block.
MacroDownloadRecord emptyMacroBlock();
// Block k of a device image (all zero for k outside 0..15), and the block
// an image's macro record holds.
MacroDownloadRecord macroBlockOf(const FlashDataMap &image, int k);
MacroDownloadRecord macroBlockOf(const MacroRecord &record);

// The block for a macro: the name (NUL characters removed, cut to 30 bytes
// on a character boundary) and the first 70 rows, each with its own code
// and kind, down or up, and its delay.
MacroDownloadRecord buildMacroBlock(const QString &name, const MacroRows &rows);
// Puts another name into the block; count and events stay.
void renameMacroBlock(MacroDownloadRecord *block, const QString &name);

// The events in use: the count byte, never more than 70.
int macroBlockEventCount(const MacroDownloadRecord &block);
// The name as the block holds it: the bytes up to the first zero byte,
// decoded from the local 8-bit encoding, unchecked. The buttons bound to a
// macro are found by it; a name that fails isMacroFileName gets no macro
// file (it is never cleaned into another macro's name).
QString macroBlockStoredName(const MacroDownloadRecord &block);
// The rows of a block's events, every one with its stored delay. Names come
// from DeviceKeyToKeyName, or MouseButtonName for kind 4.
MacroRows macroBlockRows(const MacroDownloadRecord &block, const MouseButtonNames &mouse);

// Kind and code of `name` into event `eventIndex` of the block (event bytes
// 1 to 3), in the macro editor's vocabulary (macrokeys.h); a name outside
// it sets kind 1 and leaves the code. The button index is not used.
void KeyNameToDownloadBytes(const QString &name, int button, int eventIndex, MacroDownloadRecord *block,
                            const MouseButtonNames &mouse = buttonPageMouseNames());

// The function of button k bound to its macro: {6, k, loop mode}.
ButtonFunction macroButtonFunction(int k, int loopMode);
// Device index of the page's buttons ButtonA to ButtonF (0 to 5): 0, 1, 2,
// 4, 3, 5; -1 for any other position.
int macroButtonDeviceIndex(int position);

#endif // MACROBLOCK_H

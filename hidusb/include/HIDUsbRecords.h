#ifndef HIDUSBRECORDS_H
#define HIDUSBRECORDS_H

// The records the device library reads and fills: the device's whole
// configuration (FlashDataMap, handed to ProtocolDataParser and
// ProtocolDataUpdate) and the receiver's LED record (DongleRGB). Plain
// packed bytes, no program types. The program keeps the same bytes as the
// body of its per-device cache file and of the configuration export file,
// so the offsets below are a file format and must never move.

#include <cstddef>
#include <cstdint>

typedef uint8_t u8;

#pragma pack(push, 1)

struct DpiLevel {
    u8 code[3];   // sensor-specific DPI code; its byte order belongs to the library
    u8 r, g, b;   // the level's colour
};

struct ButtonFunction {
    u8 type;
    u8 code;
    u8 param;
};

// The key or key combination a button sends; its inner layout belongs to the
// button page, the link only copies it whole.
struct KeyParamRecord {
    u8 bytes[52];
};

// One button's macro; its inner layout belongs to the macro editor.
struct MacroRecord {
    u8 bytes[592];
};

struct FlashDataMap {
    u8 reportRate;          //  0: 8=125 Hz, 4=250, 2=500, 1=1000, 16=2000, 32=4000, 64=8000
    u8 dpiLevelCount;       //  1: levels in use, 1..8
    u8 dpiLevel;            //  2: current level, 0..7
    u8 option03;            //  3: carried as reported
    u8 option04;            //  4: on/off, forced to 0 with option0C
    u8 liftOffDistance;     //  5: 1, 2 or 3
    u8 debounceTime;        //  6: milliseconds
    u8 motionSync;          //  7: on/off
    u8 ledIdleOffTime;      //  8: units of 10 s
    u8 angleSnapping;       //  9: on/off
    u8 rippleControl;       // 10: on/off
    u8 ledOffWhileMoving;   // 11: on/off
    u8 option0C;            // 12: on/off
    u8 sleepTime;           // 13: units of 10 s
    u8 option0E;            // 14: carried as reported
    DpiLevel dpiLevels[8];  // 15
    u8 dpiLedMode;          // 63
    u8 dpiLedBrightness;    // 64
    u8 dpiLedSpeed;         // 65
    u8 dpiLedEnable;        // 66
    u8 lightMode;           // 67
    u8 lightR;              // 68
    u8 lightG;              // 69
    u8 lightB;              // 70
    u8 lightSpeed;          // 71
    u8 lightBrightness;     // 72
    u8 lightEnable;         // 73
    ButtonFunction buttonFunctions[16];  // 74
    u8 reserved[2];                      // 122: never touched, carried unchanged
    KeyParamRecord keyRecords[16];       // 124
    MacroRecord macroRecords[16];        // 956
};

#pragma pack(pop)

static_assert(sizeof(DpiLevel) == 6, "DPI level is 6 bytes");
static_assert(sizeof(KeyParamRecord) == 52, "key record is 52 bytes");
static_assert(sizeof(MacroRecord) == 592, "macro block is 592 bytes");
static_assert(sizeof(FlashDataMap) == 10428, "the image is 10,428 bytes");
static_assert(offsetof(FlashDataMap, dpiLevels) == 15, "DPI levels at 15");
static_assert(offsetof(FlashDataMap, dpiLedMode) == 63, "DPI LED block at 63");
static_assert(offsetof(FlashDataMap, lightMode) == 67, "LED block at 67");
static_assert(offsetof(FlashDataMap, buttonFunctions) == 74, "button functions at 74");
static_assert(offsetof(FlashDataMap, reserved) == 122, "reserved bytes at 122");
static_assert(offsetof(FlashDataMap, keyRecords) == 124, "key records at 124");
static_assert(offsetof(FlashDataMap, macroRecords) == 956, "macro blocks at 956");

// The receiver's LED record: byte 0 the mode (1..3), the rest opaque.
#pragma pack(push, 1)
struct DongleRGB {
    u8 ledMode;
    u8 data[9];
};
#pragma pack(pop)
static_assert(sizeof(DongleRGB) == 10, "receiver LED record is 10 bytes");

#endif // HIDUSBRECORDS_H

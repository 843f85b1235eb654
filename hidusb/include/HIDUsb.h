#ifndef HIDUSB_H
#define HIDUSB_H

// The device library's C interface: discovery of the product's USB devices,
// the per-device server with its event callback, the configuration image,
// the receiver settings and the firmware updater.
//
// Addressing: a device is named by its path, the zero-terminated 8-bit text a
// search returned. Path texts stay valid for the life of the process; the
// array that a search returns belongs to the library and stays valid until
// the next call of the same search function on the same thread.
//
// Threads: every callback (device events, device changes, update progress)
// is called on a thread of the library, never on the caller's. No function
// here waits for a library thread, so any of them may be called from a
// callback or from a thread that a callback is waiting on.

// HIDUSB_BUILD is set by the library's own build (hidusb/CMakeLists.txt).
#if defined(HIDUSB_BUILD)
#define HIDUSB_API __attribute__((visibility("default")))
#else
#define HIDUSB_API
#endif

#ifdef __cplusplus
struct FlashDataMap;   // HIDUsbRecords.h, 10,428 bytes
struct DongleRGB;      // HIDUsbRecords.h, 10 bytes
extern "C" {
#else
#include <stdbool.h>
typedef struct FlashDataMap FlashDataMap;
typedef struct DongleRGB DongleRGB;
#endif

// Device event: report is the event header (report[1] event number,
// report[3] flag, report[4] sub-command), data the payload.
typedef void (*UsbServerEventCallback)(const unsigned char *report, int reportLen,
                                       const unsigned char *data, unsigned int dataLen);
// Device change (arrival, removal, a mouse coming online or going offline).
// The result is ignored; a function returning void can be handed over
// through a capture-less lambda: []() -> int { f(); return 0; }.
typedef int (*UsbChangedCallback)(void);
// Update progress: event[0] = 7; event[1] = 1 progress (event[2] percent)
// or 2 end (event[2] = 1 success, anything else failure).
typedef void (*UsbUpgradeCallback)(const unsigned char *event);

// Result of UsbFinderC_GetDeviceInfo, by value.
typedef struct UsbDeviceInfo {
    unsigned char cid;   // customer id, 0 while the device does not answer
    unsigned char mid;   // model id, 0 while the device does not answer
    unsigned char link;  // 0 1K, 4 2K, 1 4K, 5 8K receiver; 2 mouse on its cable
} UsbDeviceInfo;

// ---- Discovery -------------------------------------------------------------

// vid, pid: hexadecimal texts ("5A51", "0x5a51"). *count in: the most paths
// wanted (at most 5 are returned); out: the number returned.
HIDUSB_API char **UsbFinderC_FindHidDevicesByDefaultDeviceId(const char *vid, const char *pid, int *count);
// The same search with an interface number (ignored beyond logging) and the
// most paths wanted; *count out only.
HIDUSB_API char **UsbFinderC_FindHidDevicesByDeviceId(const char *vid, const char *pid, int interfaceId,
                                                      int maxCount, int *count);
// Fills 12 bytes: 0-1 VID (LE), 2-3 PID (LE), 4 interface, 5 CID, 6 MID,
// 7 link byte, 8-9 USB firmware version (LE), 10-11 zero. 1 on success.
HIDUSB_API int UsbFinderC_GetUsbDeviceAttribute(const char *path, unsigned char *attribute12);
HIDUSB_API UsbDeviceInfo UsbFinderC_GetDeviceInfo(const char *path);
// Non-zero when the mouse answers (through the receiver, or on its cable).
HIDUSB_API unsigned char UsbFinderC_GetDeviceOnLine(const char *path);
// Fills 10 bytes: 0-1 VID, 2-3 PID, 4 CID, 5 MID, 6 online (1/0), 7-9 the
// receiver id (for a mouse on its cable: the id of the receiver it is paired
// with). Returns the online byte.
HIDUSB_API unsigned char UsbFinderC_GetDeviceOnLineWithUsbAddress(const char *path, unsigned char *buffer10);
// The mouse firmware version, major << 8 | minor; 0 when no mouse answers.
HIDUSB_API int UsbFinderC_GetVersion(const char *path);
// Registers the one device-change callback (a later call replaces it). It is
// called settleMs milliseconds after the last change of a burst. 1 on success.
HIDUSB_API int StartUsbChanged(UsbChangedCallback callback, int settleMs);
HIDUSB_API void StopUsbChanged(void);

// ---- Device server -----------------------------------------------------------

// Starts (or restarts) the server for one device; answers to the requests
// below arrive as events at the callback. Returns 1 when the path names a
// device, 0 otherwise (the server then runs but nothing answers).
HIDUSB_API int UsbServerC_Start(const char *path, const char *path2, UsbServerEventCallback callback);
// Ends the server: no further event is delivered once the one in progress,
// if any, has returned. Does not wait.
HIDUSB_API void UsbServer_Exit(void);
HIDUSB_API int UsbServer_SetPCDriverStatus(int status);
HIDUSB_API int UsbServer_SetBatteryOptimizeEnable(int enable);
// Switches the mouse to on-board profile index (0..3).
HIDUSB_API int UsbServer_SetCurrentConfig(unsigned char index);
// Restores the mouse's factory configuration.
HIDUSB_API int UsbServer_SetClearSetting(void);
// Puts the receiver into pairing mode for mice of that CID.
HIDUSB_API int UsbServer_EnterDonglePairOnlyCid(unsigned char cid);
// Answered by event 6, data[0] = 1 pairing, 2 failure, 3 success.
HIDUSB_API int UsbServer_ReadDonglePairStatus(void);
HIDUSB_API int UsbServer_ReadAllFlashData(void);   // event 8, sub-command 0, 6,912 bytes
HIDUSB_API int UsbServer_ReadDPILed(void);         // event 8, sub-command 0x4C, 8 bytes
HIDUSB_API int UsbServer_ReadBatteryLevel(void);   // event 4
HIDUSB_API int UsbServer_ReadVersion(void);        // event 18
HIDUSB_API int UsbServer_ReadConfig(void);         // event 14, 1 byte: the profile
HIDUSB_API int UsbServer_ReadCurrentDPI(void);     // event 8, sub-command 4, 1 byte
HIDUSB_API int UsbServer_ReadReportRate(void);     // event 8, sub-command 0, 1 byte
HIDUSB_API int UsbServer_ReadLedBar(void);         // event 8, sub-command 0xA0, 9 bytes

// ---- Configuration image -------------------------------------------------------

// Decodes the device's 6,912-byte form into the image. 1 on success; on a
// malformed form the image is left as it was and 0 is returned.
HIDUSB_API int ProtocolDataParser(const unsigned char *deviceBytes, FlashDataMap *map);
// Encodes the whole image and sends it to the device of the running server.
// 1 when the device took it; 0 when no device answers, the send failed or
// the image does not fit the device's form (see hidusb/README.md).
HIDUSB_API int ProtocolDataUpdate(const FlashDataMap *map);
// Payload decoders: 8 bytes into the 4-byte DPI-indicator block (image
// offset 63), 9 bytes into the 7-byte light-bar block (offset 67), the
// battery payload into 4 bytes (0 level, 1 charging), the status payload
// into 7 status bytes.
HIDUSB_API void BufferToDPILed(const unsigned char *data, unsigned char *dpiLedBlock);
HIDUSB_API void BufferToLedBar(const unsigned char *data, unsigned char *ledBarBlock);
HIDUSB_API void GetDeviceBatteryStatus(const unsigned char *data, unsigned char *battery4);
HIDUSB_API void GetDeviceStatusChanged(const unsigned char *data, unsigned char *status7);

// ---- Receiver ------------------------------------------------------------------

HIDUSB_API int UsbFinderC_Get4KDongleRGBValue(const char *path, DongleRGB *rgb);
HIDUSB_API int UsbFinderC_Set4KDongleRGB(const char *path, const DongleRGB *rgb);
// *mode = 1 long range, 0 normal; left alone when the path is no receiver.
HIDUSB_API int UsbFinderC_GetLongRangeMode(const char *path, unsigned char *mode);
HIDUSB_API int UsbFinderC_SetLongRangeMode(const char *path, unsigned char on);
// Pairs a mouse on its cable with a receiver: record bytes 0-2 = receiver id
// bytes 9, 8, 7 of the online buffer, 3 = 0, 4 = class code (0 1K, 1 2K/4K, 4 8K).
HIDUSB_API int UsbFinderC_SetDongleIDToMouse(const char *path, const unsigned char *record5);
// The receiver's own firmware version (major << 8 | minor); false for a path
// that names no receiver.
HIDUSB_API bool UsbFinderC_GetSlaveVersion(const char *path, int *version);
// Opens the device for raw packets; non-zero on success.
HIDUSB_API unsigned char UsbFinderC_OpenDevice(const char *path);
// Sends length bytes to the opened device and leaves its answer (length
// bytes) in reply. 1 when the device answered.
HIDUSB_API int UsbFinderC_ReadWriteDeviceData(const unsigned char *packet, unsigned char *reply,
                                              unsigned char length);

// ---- Firmware update -------------------------------------------------------------

// image: the whole image file, header first (728 bytes). *count = number of
// attached devices in update mode that the image fits. 1 when count > 0.
HIDUSB_API int UsbUpgradeC_FindBootDevices(const unsigned char *image, int *count);
// Starts the update of the device the image fits and returns at once; the
// callback reports progress and the end on a library thread. The image must
// stay valid until the end is reported. 1 when a run was started.
HIDUSB_API unsigned char UsbUpgrade_Start(const unsigned char *image, UsbUpgradeCallback callback, int timeoutMs);
// Eight zero-terminated texts: the log of the last update.
HIDUSB_API char **UsbUpgradeC_GetLogs(void);

#ifdef __cplusplus
}
#endif

#endif // HIDUSB_H

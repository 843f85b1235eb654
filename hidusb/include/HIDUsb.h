#ifndef HIDUSB_H
#define HIDUSB_H

// The device library's C interface as the program calls it.

#if defined(HIDUSB_BUILD)
#define HIDUSB_API __attribute__((visibility("default")))
#else
#define HIDUSB_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

HIDUSB_API const char *UsbFinderC_GetLibraryName(void);

#ifdef __cplusplus
}
#endif

#endif // HIDUSB_H

#define HIDUSB_BUILD
#include "HIDUsb.h"

extern "C" const char *UsbFinderC_GetLibraryName(void)
{
    return "HIDUsb";
}

#include "devicelink.h"

#include "HIDUsb.h"

void stopDeviceServer()
{
    UsbServer_Exit();
}

void setPCDriverStatus(bool listening)
{
    UsbServer_SetPCDriverStatus(listening ? 1 : 0);
}

bool deviceAnswers(const char *path)
{
    return UsbFinderC_GetDeviceOnLine(path) != 0;
}

u8 readDeviceAddress(const char *path, u8 *answer)
{
    return UsbFinderC_GetDeviceOnLineWithUsbAddress(path, answer);
}

#include "flashdatamap.h"

void registerDeviceMetaTypes()
{
    qRegisterMetaType<FlashDataMap>("FlashDataMap");
    qRegisterMetaType<DeviceAllInfo>("DeviceAllInfo");
    qRegisterMetaType<DongleRGB *>("DongleRGB*");
}

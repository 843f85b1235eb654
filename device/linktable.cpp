#include "linktable.h"

namespace {

struct LinkRow {
    int link;
    LinkKind kind;
};

// {receiver class, rate class, high rates, badge, button page background,
// receiver light}, by link byte.
const LinkRow kLinks[] = {
    {0, {1, 0, false, "1KHz.png", "key_nr.png", false}},
    {1, {4, 1, false, "4KHz.png", "key_nr.png", true}},
    {2, {0, 0, false, nullptr, "key_nr.png", false}},
    {3, {0, 3, true, "8KHz.png", "key_nr_2.png", false}},
    {4, {2, 2, false, "2KHz.png", "key_nr.png", false}},
    {5, {8, 3, true, "8KHz.png", "key_nr_2.png", false}},
};

// The receiver classes in the order the device list counts them (kinds 1
// to 4), each with the class code a paired mouse is given.
struct ReceiverClassRow {
    int receiverClass;
    u8 pairingCode;
};
const ReceiverClassRow kReceiverClasses[] = {{1, 0}, {2, 1}, {4, 1}, {8, 4}};
static_assert(1 + int(sizeof kReceiverClasses / sizeof kReceiverClasses[0]) == kDeviceKindCount,
              "one kind for the mice on their cables and one per receiver class");

} // namespace

const LinkKind &linkKindOf(int linkType)
{
    static const LinkKind unknown;
    for (const LinkRow &row : kLinks) {
        if (row.link == linkType)
            return row.kind;
    }
    return unknown;
}

bool isWiredLink(u8 link)
{
    return (link & 0xFA) != 0;
}

int receiverClassOfLink(int linkType)
{
    return linkKindOf(linkType).receiverClass;
}

bool reachesReceiverLight(const DeviceAllInfo &record)
{
    return !record.isWired && linkKindOf(record.linkType).receiverLight;
}

int deviceKindOf(const DeviceAllInfo &record)
{
    if (record.isWired)
        return 0;
    const int receiverClass = receiverClassOfLink(record.linkType);
    for (int i = 0; i < int(sizeof kReceiverClasses / sizeof kReceiverClasses[0]); ++i) {
        if (kReceiverClasses[i].receiverClass == receiverClass)
            return 1 + i;
    }
    return -1;
}

u8 pairingCodeOfClass(int receiverClass)
{
    for (const ReceiverClassRow &row : kReceiverClasses) {
        if (row.receiverClass == receiverClass)
            return row.pairingCode;
    }
    return 0;
}

#include "linktable.h"

#include "deviceenumeration.h"

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
// to 4): the class code a paired mouse is given, the configuration key of
// the model of its firmware images, whether an update asks the receiver for
// its version, and the product ids the device list finds it by.
struct ReceiverClassRow {
    int receiverClass;
    u8 pairingCode;
    const char *modelKey;
    bool tellsOwnVersion;
    const QStringList *pids;
};
const ReceiverClassRow kReceiverClasses[] = {
    {1, 0, "DM", false, &g_wirelessPids},
    {2, 1, "D2M", true, &g_wireless2Pids},
    {4, 1, "D4M", true, &g_wireless4Pids},
    {8, 4, "D8M", true, &g_wireless8Pids},
};
static_assert(int(sizeof kReceiverClasses / sizeof kReceiverClasses[0]) == kReceiverClassCount,
              "one row per receiver class");

const ReceiverClassRow *classRow(int receiverClass)
{
    for (const ReceiverClassRow &row : kReceiverClasses) {
        if (row.receiverClass == receiverClass)
            return &row;
    }
    return nullptr;
}

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

int receiverClassAt(int index)
{
    return index >= 0 && index < kReceiverClassCount ? kReceiverClasses[index].receiverClass : 0;
}

int receiverClassIndex(int receiverClass)
{
    const ReceiverClassRow *row = classRow(receiverClass);
    return row ? int(row - kReceiverClasses) : -1;
}

int receiverClassOfText(const QString &text)
{
    for (const ReceiverClassRow &row : kReceiverClasses) {
        if (text == QString::number(row.receiverClass))
            return row.receiverClass;
    }
    return 0;
}

int deviceKindOf(const DeviceAllInfo &record)
{
    if (record.isWired)
        return 0;
    const int index = receiverClassIndex(receiverClassOfLink(record.linkType));
    return index < 0 ? -1 : 1 + index;
}

u8 pairingCodeOfClass(int receiverClass)
{
    const ReceiverClassRow *row = classRow(receiverClass);
    return row ? row->pairingCode : 0;
}

const char *receiverModelKeyOfClass(int receiverClass)
{
    const ReceiverClassRow *row = classRow(receiverClass);
    return row ? row->modelKey : nullptr;
}

bool receiverTellsOwnVersion(int receiverClass)
{
    const ReceiverClassRow *row = classRow(receiverClass);
    return row && row->tellsOwnVersion;
}

const QStringList &receiverPidsOfClass(int receiverClass)
{
    static const QStringList none;
    const ReceiverClassRow *row = classRow(receiverClass);
    return row ? *row->pids : none;
}

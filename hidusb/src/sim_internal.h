#ifndef HIDUSB_SIM_INTERNAL_H
#define HIDUSB_SIM_INTERNAL_H

// Inner workings of the simulated bench: the devices, the threads that
// deliver their answers, the device form of the configuration image.

#include "HIDUsb.h"
#include "HIDUsbRecords.h"

#include <array>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace hidsim {
namespace detail {

typedef std::uint8_t u8;
typedef std::vector<u8> Bytes;
typedef std::array<u8, 3> ReceiverId;

constexpr int kImageSize = 10428;
static_assert(kImageSize == sizeof(FlashDataMap), "the image is the record the program hands over");
constexpr int kFormSize = 6912;
constexpr int kProfiles = 4;
constexpr int kVendorId = 0x5A51;
constexpr int kCablePid = 0xF510;

// ---- Device form of the image (deviceform.cpp) ----

// Encodes an image into the device's form; false when it does not fit.
bool encodeForm(const u8 *image, u8 *form);
// Decodes a form; false (image untouched) when it is malformed.
bool decodeForm(const u8 *form, u8 *image);
Bytes factoryImage(int mid);
Bytes factoryForm(int mid);

// ---- Threads that deliver answers (dispatcher.cpp) ----

// One library thread running timed tasks in due order (equal times in the
// order they were posted). Tasks run without any library lock held.
class Dispatcher {
public:
    explicit Dispatcher(const char *name);
    void post(int delayMs, std::function<void()> task);
    void clear();           // drops queued tasks; a running one finishes
    bool idle();            // nothing queued and nothing running
    std::thread::id threadId();

private:
    void run();
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::multimap<std::int64_t, std::function<void()>> m_tasks;
    bool m_running = false;
    bool m_started = false;
    std::thread::id m_id;
    std::string m_name;
};

std::int64_t nowMs();
// Scales a device delay by the time-scale knob.
int scaled(int ms);

// ---- The bench (state.cpp) ----

struct Mouse {
    std::string id;
    u8 cid = 0x21;
    u8 mid = 1;
    int version = 0x0105;      // mouse firmware
    int battery = 80;
    bool charging = false;
    bool online = true;        // switched on and in range of its receiver
    bool cable = false;        // plugged in by its cable
    bool bootMode = false;     // waiting in update mode after a failed update
    bool away = false;         // restarting after an update, off the bus
    ReceiverId pairedId{{0, 0, 0}};
    std::vector<Bytes> profiles;   // device forms, kProfiles of kFormSize
    int profile = 0;
};

struct Receiver {
    std::string id;
    int cls = 4;               // 1, 2, 4, 8 (thousand reports per second)
    ReceiverId rid{{0, 0, 0}};
    // The mouse it reaches: the one it was paired with last. Pairing writes
    // the receiver's id into the mouse; a mouse paired with it before keeps
    // that id, so several mice may carry one id while it reaches one.
    std::string mouse;
    int version = 0x0102;
    int usbVersion = 0x0102;   // its USB descriptor's (2K, 4K, 8K; see usbVersionOf)
    u8 cid = 0x21;
    u8 mid = 1;
    bool plugged = true;
    bool bootMode = false;
    bool away = false;         // restarting after an update, off the bus
    std::array<u8, 10> rgb{{1, 0, 150, 255, 3, 2, 0, 0, 0, 0}};
    u8 longRange = 0;
    int pairState = 0;         // 0 idle, 1 pairing, 2 failed, 3 paired
    int pairRun = 0;
};

struct BootDevice {
    std::string id;
    int code = 210;            // 210 mouse, 211 receiver
    u8 cid = 0x21;
    u8 mid = 1;
    std::string model;         // empty: fits any model name
    std::string device;        // the mouse or receiver it becomes
    bool plugged = true;
};


} // namespace detail
} // namespace hidsim

#endif // HIDUSB_SIM_INTERNAL_H

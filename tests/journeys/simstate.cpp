// Prints, as JSON, what the simulated devices hold in the state file the
// program's device library left behind: every mouse's firmware, pairing,
// current profile and the fields of each profile's configuration, and every
// receiver's firmware. The journeys read it after closing the program.
//
//   journeys_simstate <state folder>
//
// The bench is the one HIDUSB_SIM_FIXTURE names (as for the program). Only
// reads: nothing here writes the state file.

#include "HIDUsbRecords.h"
#include "hidusb_sim.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string hex(const u8 *p, size_t n)
{
    std::string s;
    char buf[3];
    for (size_t i = 0; i < n; ++i) {
        std::snprintf(buf, sizeof buf, "%02x", p[i]);
        s += buf;
    }
    return s;
}

void printProfile(const FlashDataMap &m)
{
    std::printf("{\"reportRate\":%d,\"dpiLevelCount\":%d,\"dpiLevel\":%d,\"option04\":%d,"
                "\"liftOffDistance\":%d,\"debounceTime\":%d,\"motionSync\":%d,\"angleSnapping\":%d,"
                "\"rippleControl\":%d,\"option0C\":%d,\"sleepTime\":%d,\"dpiLevels\":[",
                m.reportRate, m.dpiLevelCount, m.dpiLevel, m.option04, m.liftOffDistance,
                m.debounceTime, m.motionSync, m.angleSnapping, m.rippleControl, m.option0C, m.sleepTime);
    for (int i = 0; i < 8; ++i)
        std::printf("%s[%d,%d,%d]", i ? "," : "", m.dpiLevels[i].code[0], m.dpiLevels[i].code[1],
                    m.dpiLevels[i].code[2]);
    std::printf("],\"buttons\":[");
    for (int i = 0; i < 16; ++i)
        std::printf("%s[%d,%d,%d]", i ? "," : "", m.buttonFunctions[i].type, m.buttonFunctions[i].code,
                    m.buttonFunctions[i].param);
    std::printf("],\"keyRecords\":[");
    for (int i = 0; i < 16; ++i)
        std::printf("%s\"%s\"", i ? "," : "", hex(m.keyRecords[i].bytes, sizeof m.keyRecords[i].bytes).c_str());
    std::printf("],\"macroRecords\":[");
    for (int i = 0; i < 16; ++i)
        std::printf("%s\"%s\"", i ? "," : "",
                    hex(m.macroRecords[i].bytes, sizeof m.macroRecords[i].bytes).c_str());
    std::printf("]}");
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <state folder>\n", argv[0]);
        return 2;
    }
    hidsim::setStateDir(argv[1]);
    hidsim::restart();

    std::printf("{\"mice\":{");
    bool firstMouse = true;
    std::string receivers;
    for (const std::string &id : hidsim::deviceIds()) {
        const int profile = hidsim::currentProfile(id.c_str());
        if (profile < 0) {
            const std::vector<unsigned char> rid = hidsim::receiverId(id.c_str());
            if (rid.size() == 3) {
                char item[128];
                std::snprintf(item, sizeof item, "%s\"%s\":{\"version\":%d,\"id\":\"%s\",\"updateMode\":%s}",
                              receivers.empty() ? "" : ",", id.c_str(), hidsim::firmwareVersion(id.c_str()),
                              hex(rid.data(), 3).c_str(), hidsim::inUpdateMode(id.c_str()) ? "true" : "false");
                receivers += item;
            }
            continue;
        }
        const std::vector<unsigned char> paired = hidsim::pairedReceiverId(id.c_str());
        std::printf("%s\"%s\":{\"version\":%d,\"profile\":%d,\"paired\":\"%s\",\"updateMode\":%s,"
                    "\"profiles\":[",
                    firstMouse ? "" : ",", id.c_str(), hidsim::firmwareVersion(id.c_str()), profile,
                    hex(paired.data(), paired.size()).c_str(), hidsim::inUpdateMode(id.c_str()) ? "true" : "false");
        firstMouse = false;
        for (int p = 0; p < 4; ++p) {
            FlashDataMap image;
            if (p)
                std::printf(",");
            if (hidsim::storedImage(id.c_str(), reinterpret_cast<unsigned char *>(&image), p))
                printProfile(image);
            else
                std::printf("null");
        }
        std::printf("]}");
    }
    std::printf("},\"receivers\":{%s}}\n", receivers.c_str());
    return 0;
}

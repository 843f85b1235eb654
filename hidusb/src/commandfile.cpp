// Steering a running bench from outside its process: when the environment
// names a command file (HIDUSB_SIM_CONTROL), a library thread looks for that
// file, runs the commands it holds as the control calls of hidusb_sim.h would,
// and then removes it. A script that drives the program can so switch the
// simulated mouse off or pull a device while the program runs.

#include "state.h"
#include "hidusb_sim.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>

namespace hidsim {
namespace detail {

namespace {

constexpr int kPollMs = 50;

// One line: a verb, a device id and a number, as the control calls of
// hidusb_sim.h take them:
//   online <mouse> 0|1          setOnline()
//   plug <device> 0|1           plug(); pulling a device it writes fails the update
//   failupdate <device> <percent>   failUpdate(): its next update fails there
//   silentupdate <device> 0|1   silentUpdate(): its next update sends no event
//   holdupdate <device> <ms>    holdUpdate(): its next update ends ms late
// Anything else is skipped, so a mistyped line changes nothing.
void runCommand(const std::string &line)
{
    std::istringstream in(line);
    std::string verb, id, rest;
    long value = -1;
    if (!(in >> verb >> id >> value) || (in >> rest))
        return;
    const bool flag = value == 0 || value == 1;
    if (verb == "online" && flag)
        setOnline(id.c_str(), value == 1);
    else if (verb == "plug" && flag)
        plug(id.c_str(), value == 1);
    else if (verb == "failupdate" && value >= 0 && value <= 100)
        failUpdate(id.c_str(), int(value));
    else if (verb == "silentupdate" && flag)
        silentUpdate(id.c_str(), value == 1);
    else if (verb == "holdupdate" && value >= 0 && value <= 24L * 3600 * 1000)
        holdUpdate(id.c_str(), int(value));
}

void watch(const std::string &file)
{
    for (;;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
        std::ifstream in(file);
        if (!in)
            continue;
        std::string line;
        while (std::getline(in, line))
            runCommand(line);
        in.close();
        // Removed only after the commands ran: its absence tells the writer
        // that the bench has changed.
        std::remove(file.c_str());
    }
}

} // namespace

void startControlWatch(const std::string &file)
{
    if (file.empty())
        return;
    // Never joined, like the delivery threads: it lives as long as the process.
    std::thread(watch, file).detach();
}

} // namespace detail
} // namespace hidsim

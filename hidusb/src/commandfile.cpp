// Steering a running bench from outside its process: when the environment
// names a command file (HIDUSB_SIM_CONTROL), a library thread looks for that
// file, runs the commands it holds as the control calls of hidusb_sim.h would,
// and then removes it. A script that drives the program can so switch the
// simulated mouse off or pull a device while the program runs. A write it
// holds is told back in a file beside the command file, so that the script
// acts inside the write however slowly its own steps run.

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

// Named once, before the watch starts; read with the bench's lock held.
std::string g_heldFile;
std::string g_heldText;

// A whole word that is a number.
bool toNumber(const std::string &word, long &value)
{
    std::istringstream in(word);
    return (in >> value) && (in >> std::ws).eof();
}

// One line: a verb, mostly a device id, and a value, as the control calls
// of hidusb_sim.h take them:
//   online <mouse> 0|1          setOnline()
//   plug <device> 0|1           plug(); pulling a device it writes fails the update
//   failupdate <device> <percent>   failUpdate(): its next update fails there
//   silentupdate <device> 0|1   silentUpdate(): its next update sends no event
//   holdupdate <device> <ms>    holdUpdate(): its next update ends ms late
//   failverify <device> stay|old    failVerify(): its next update fails its check
//   slowcomeback <device> <ms>  slowComeback(): after its next update it is away ms
//   failanswers <n>             failNextAnswers(): the next n queries get no answer
//   holdat <device> <percent>|end   its next update waits at percent, or its
//                               end event waits, until released (told in the held file)
//   release <device>            what of that device's update waits goes on
// Anything else is skipped, so a mistyped line changes nothing.
void runCommand(const std::string &line)
{
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string word; in >> word;)
        words.push_back(word);
    long value = -1;
    if (words.size() == 2 && words[0] == "failanswers") {
        if (toNumber(words[1], value) && value >= 0)
            failNextAnswers(int(value));
        return;
    }
    if (words.size() == 2 && words[0] == "release") {
        std::lock_guard<std::mutex> l(bench().mutex);
        releaseHold(words[1]);
        return;
    }
    if (words.size() != 3)
        return;
    const std::string &verb = words[0];
    const std::string &id = words[1];
    if (verb == "failverify") {
        if (words[2] == "stay" || words[2] == "old")
            failVerify(id.c_str(), words[2] == "old");
        return;
    }
    if (verb == "holdat") {
        const bool end = words[2] == "end";
        if (end || (toNumber(words[2], value) && value >= 0 && value <= 100)) {
            std::lock_guard<std::mutex> l(bench().mutex);
            setUpdateFault(id.c_str(), [end, value](UpdateFault &f) {
                if (end)
                    f.holdEnd = true;
                else
                    f.holdAt = int(value);
            });
        }
        return;
    }
    if (!toNumber(words[2], value))
        return;
    const bool flag = value == 0 || value == 1;
    const long maxMs = 24L * 3600 * 1000;
    if (verb == "online" && flag)
        setOnline(id.c_str(), value == 1);
    else if (verb == "plug" && flag)
        plug(id.c_str(), value == 1);
    else if (verb == "failupdate" && value >= 0 && value <= 100)
        failUpdate(id.c_str(), int(value));
    else if (verb == "silentupdate" && flag)
        silentUpdate(id.c_str(), value == 1);
    else if (verb == "holdupdate" && value >= 0 && value <= maxMs)
        holdUpdate(id.c_str(), int(value));
    else if (verb == "slowcomeback" && value >= 0 && value <= maxMs)
        slowComeback(id.c_str(), int(value));
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
    // A held file left by a process that ended while it held a write tells
    // of nothing this library holds.
    g_heldFile = file + ".held";
    std::remove(g_heldFile.c_str());
    // Never joined, like the delivery threads: it lives as long as the process.
    std::thread(watch, file).detach();
}

void tellHold(const std::string &text)
{
    if (g_heldFile.empty() || text == g_heldText)
        return;
    g_heldText = text;
    if (text.empty()) {
        std::remove(g_heldFile.c_str());
        return;
    }
    // Renamed into place: a reader finds the whole line or none.
    const std::string temp = g_heldFile + ".new";
    {
        std::ofstream out(temp, std::ios::trunc);
        out << text << "\n";
    }
    std::rename(temp.c_str(), g_heldFile.c_str());
}

} // namespace detail
} // namespace hidsim

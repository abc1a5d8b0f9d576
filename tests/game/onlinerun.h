#pragma once

// Helpers of the tests that run several machines of an online match as real programs on
// 127.0.0.1: each machine with its own virtual pads, script, trace and record, in one folder.

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "matchrun.h"
#include "support/childprocess.h"

namespace onlinerun {

using namespace gamerun;

// A UDP port of 127.0.0.1 nobody holds right now.
inline uint16_t freePort() {
    int fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    close(fd);
    return ntohs(address.sin_port);
}

// One machine of the match: the program with `pads` virtual pads playing `script`, tracing
// into NAME.jsonl and recording into NAME.qrec of the folder.
struct Machine {
    std::string name;
    std::unique_ptr<ChildProcess> program;

    std::string trace(const RunFolder& folder) const { return folder.file(name + ".jsonl"); }
    std::string record(const RunFolder& folder) const { return folder.file(name + ".qrec"); }
};

// Where the next machine's window goes: beside the others and clear of the top left corner,
// where the other test programs' windows open. On a display with no window manager a window
// that another covers gets no pictures drawn, and the screen it starts on would wait for one.
inline std::string nextWindowPlace() {
    static int count = 0;
    int slot = count++ % 10;
    return "240x180+" + std::to_string(800 + 240 * (slot % 2)) + "+" +
           std::to_string(200 * (slot / 2));
}

// `role`: {"--host", PORT, "--machines", N, "--level", ...} or {"--join", "127.0.0.1:PORT"}.
inline Machine startMachine(const RunFolder& folder, const std::string& name, int pads,
                            const std::string& script, std::vector<std::string> role, int frames,
                            const std::vector<std::string>& environment = {}) {
    folder.write(name + ".script", script);
    std::vector<std::string> arguments = {"--pads",           std::to_string(pads),
                                          "--script",         name + ".script",
                                          "--trace",          name + ".jsonl",
                                          "--record",         name + ".qrec",
                                          "--size",           "240x180",
                                          "--no-multisample", "--mute",
                                          "--exit-after",     std::to_string(frames),
                                          "-geometry",        nextWindowPlace()};
    arguments.insert(arguments.end(), role.begin(), role.end());
    Machine machine{name, nullptr};
    machine.program = std::make_unique<ChildProcess>(QUORL_BINARY, arguments, folder.path.string(),
                                                     false, "", environment);
    // Joiners come once the host listens, as people would.
    for (int i = 0; role.front() == "--host" && i < 3000 &&
                    machine.program->output().find("Hosting on port") == std::string::npos;
         ++i)
        usleep(10000);
    return machine;
}

// What every machine must see alike at a tick of the match: the world's counts and each seat
// (its machine, life, health, face, position, items), not what only one machine shows (the
// views' item wheels, the frame numbers).
inline std::string sharedState(const JsonValue& frame) {
    std::string out;
    for (const char* field :
         {"countdown", "rotating", "itemBoxes", "objects", "shells", "explosions", "round"})
        out += std::string(field) + "=" + std::to_string(frame[field].number) +
               (frame[field].boolean ? "t" : "") + " ";
    const JsonValue& players = frame["players"];
    for (size_t i = 0; i < players.size(); ++i) {
        const JsonValue& seat = players[i];
        out += "| m" + std::to_string(seat["machine"].num()) + " a" +
               std::to_string(seat["alive"].boolean) + " h" + std::to_string(seat["health"].num()) +
               " f" + std::to_string(seat["face"].num()) + " c" +
               std::to_string(seat["current"].num());
        for (size_t k = 0; k < seat["position"].size(); ++k) {
            char text[32];
            snprintf(text, sizeof text, " %.9g", seat["position"][k].number);
            out += text;
        }
        for (size_t k = 0; k < seat["items"].size(); ++k)
            out += " i" + std::to_string(seat["items"][k].num());
    }
    return out;
}

// By tick of the match (matchTick), the shared state after it, as a machine's trace shows it.
inline std::map<int, std::string> statesByTick(const std::string& tracePath) {
    std::map<int, std::string> states;
    for (const JsonValue& frame : readTrace(tracePath)) {
        if (frame["screen"].string != "game" || frame["matchTick"].type != JsonValue::NUMBER)
            continue;
        states.emplace(static_cast<int>(frame["matchTick"].number), sharedState(frame));
    }
    return states;
}

// Whether two machines' shared states agree at every tick both traced (`compared` of them); where
// not, the first tick at which they differ.
inline testing::AssertionResult sameAtCommonTicks(const std::map<int, std::string>& a,
                                                  const std::map<int, std::string>& b,
                                                  int& compared) {
    compared = 0;
    for (const auto& [tick, state] : a) {
        auto there = b.find(tick);
        if (there == b.end())
            continue;
        if (there->second != state)
            return testing::AssertionFailure()
                   << "tick " << tick << ":\n  " << state << "\n  " << there->second;
        ++compared;
    }
    return testing::AssertionSuccess();
}

// The seats' machines as a trace line lists them, in seat order; -1 for a computer's.
inline std::vector<int> seatMachines(const JsonValue& frame) {
    std::vector<int> machines;
    const JsonValue& players = frame["players"];
    for (size_t i = 0; i < players.size(); ++i)
        machines.push_back(
            players[i]["machine"].isNull() ? -1 : static_cast<int>(players[i]["machine"].number));
    return machines;
}

} // namespace onlinerun

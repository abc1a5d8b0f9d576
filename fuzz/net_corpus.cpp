// Writes the seed corpus of net_fuzzer into the folder given: messages of every type made by the
// game's own encoders, and streams of INPUTS in the fuzzer's layout (seats, machines, each
// seat's machine, then operations: a packet with its length, a play, a drop).
//   fuzz-build/net_corpus fuzz/corpus/net
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "net/inputstream.h"
#include "net/netprotocol.h"

namespace {

using namespace net;

// A pad that drives, fires now and then and tilts its right stick every tick.
ControlState busy(int seat, int tick) {
    ControlState c;
    c.connected = true;
    c.left.y = (tick + seat) % 20 < 12 ? -1.0f : 0.5f;
    c.right.x = static_cast<float>((tick * (seat + 1)) % 65) / 32.0f - 1.0f;
    c.triggerA = (tick + seat) % 7 == 0 ? 1.0f : -0.0f;
    if (tick % 9 == 4)
        c.buttons = static_cast<uint16_t>(1u << seat);
    return c;
}

std::vector<std::vector<ControlState>> ticksOf(int seats, int first, int count) {
    std::vector<std::vector<ControlState>> ticks(static_cast<size_t>(count));
    for (int t = 0; t < count; ++t)
        for (int s = 0; s < seats; ++s)
            ticks[static_cast<size_t>(t)].push_back(busy(s, first + t));
    return ticks;
}

void packet(std::string& stream, const std::string& message) {
    stream.push_back(0);
    stream.push_back(static_cast<char>(message.size()));
    stream += message;
}

// Machines of `seatsOf` seats each, the seats in machine order, `computers` more; batches of
// `batch` ticks from every machine in turn, each followed by a play.
std::string stream(const std::vector<int>& seatsOf, int computers, int batch, int rounds,
                   bool dropLast) {
    int machines = static_cast<int>(seatsOf.size());
    std::string s;
    int seats = computers;
    for (int n : seatsOf)
        seats += n;
    s.push_back(static_cast<char>(seats - 1));
    s.push_back(static_cast<char>(machines - 1));
    for (int m = 0; m < machines; ++m)
        for (int i = 0; i < seatsOf[static_cast<size_t>(m)]; ++i)
            s.push_back(static_cast<char>(m));
    for (int i = 0; i < computers; ++i)
        s.push_back(static_cast<char>(machines)); // no machine
    std::vector<InputEncoder> encoders;
    for (int m = 0; m < machines; ++m)
        encoders.emplace_back(m, seatsOf[static_cast<size_t>(m)]);
    for (int r = 0; r < rounds; ++r) {
        for (int m = 0; m < machines; ++m) {
            if (dropLast && m == machines - 1 && r == rounds / 2) {
                s.push_back(static_cast<char>(3 | (m << 2))); // dropped after its last tick
                s.push_back(0);
            }
            std::string message;
            encoders[static_cast<size_t>(m)].encode(
                r * batch, ticksOf(seatsOf[static_cast<size_t>(m)], r * batch, batch), message);
            packet(s, message);
        }
        s.push_back(static_cast<char>(2 | ((batch - 1) << 2))); // play what is ready
    }
    return s;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: net_corpus FOLDER\n");
        return 2;
    }
    std::vector<std::pair<std::string, std::string>> seeds;
    auto add = [&](const char* name, const std::string& bytes) { seeds.push_back({name, bytes}); };
    std::string b;

    Hello hello;
    hello.build = "0.9.0";
    hello.machineName = "Living room";
    hello.seats = {{SeatKind::PAD, "Pad 1", Difficulty::NORMAL},
                   {SeatKind::KEYBOARD, "Keyboard", Difficulty::NORMAL}};
    encodeHello(hello, b);
    add("hello", b);
    b.clear();
    hello.seats.assign(MAX_PLAYERS, {SeatKind::PAD, "Pad", Difficulty::NORMAL});
    encodeHello(hello, b);
    add("hello_six", b);
    b.clear();
    encodeWelcome(Welcome{PROTOCOL_VERSION, "0.9.0"}, b);
    add("welcome", b);
    b.clear();
    encodeText(MessageType::REFUSE, "The match is full.", b);
    add("refuse", b);
    b.clear();
    encodeText(MessageType::END, "The host has ended the match.", b);
    add("end", b);
    b.clear();

    Start start;
    start.machineNames = {"Host", "Second", "Third"};
    start.self = 2;
    start.header.level = {"two", "2 1.0\n0 0 0 1 1 1 255 0 0\n"};
    start.header.seed = 0x12345678;
    start.header.settings.roundsToWin = 3;
    start.header.settings.computerTanks = 1;
    start.header.settings.difficulty = Difficulty::HARD;
    start.header.seats = {{SeatKind::PAD, "Host pad", Difficulty::NORMAL},
                          {SeatKind::KEYBOARD, "Keys", Difficulty::NORMAL},
                          {SeatKind::PAD, "Third pad", Difficulty::NORMAL},
                          {SeatKind::COMPUTER, "Computer", Difficulty::HARD}};
    start.seatMachines = {0, 1, 2, NO_MACHINE};
    encodeStart(start, b);
    add("start", b);
    b.clear();
    start.machineNames = {"Host", "Second"};
    start.self = 1;
    start.header.level = {"", ""};
    start.header.settings.computerTanks = 0;
    start.header.seats.resize(2);
    start.seatMachines = {0, 1};
    encodeStart(start, b);
    add("start_default_cube", b);
    b.clear();

    InputEncoder one(1, 3);
    one.encode(0, ticksOf(3, 0, 4), b);
    add("inputs", b);
    std::string first = b;
    b.clear();
    one.encode(4, ticksOf(3, 4, MAX_TICKS_PER_INPUTS), b);
    add("inputs_sixteen", b);
    add("inputs_one_decoder", std::string(1, 2) + first); // the first byte: three seats
    b.clear();
    encodeHash(90, 0x0123456789abcdefull, b);
    add("hash", b);
    b.clear();
    encodeDrop(2, 130, b);
    add("drop", b);
    b.clear();
    encodeDesync(60, b);
    add("desync", b);

    add("stream_two", stream({1, 2}, 1, 2, 6, false));
    add("stream_three_drop", stream({2, 2, 2}, 0, 3, 6, true));
    add("stream_one", stream({1}, 5, 1, 8, false));

    std::string folder = argv[1];
    for (const auto& seed : seeds) {
        std::ofstream out(folder + "/" + seed.first, std::ios::binary);
        out << seed.second;
        if (!out) {
            fprintf(stderr, "net_corpus: cannot write %s/%s\n", folder.c_str(), seed.first.c_str());
            return 1;
        }
    }
    return 0;
}

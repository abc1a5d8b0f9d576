// Writes the seed corpus of net_fuzzer into the folder given: messages of every type made by the
// game's own encoders, and matches in the fuzzer's layout (machines, this machine, seats and
// their machines, then operations: an INPUTS, EDIT or DROP packet with its length, a play, a
// forgetting, this machine's own ticks), sent as a host sends them: every frame the ticks not
// yet confirmed.
//   fuzz-build/net_corpus fuzz/corpus/net
#include <climits>
#include <cstdio>
#include <fstream>
#include <string>
#include <utility>
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

// A match in the fuzzer's layout, as the machine `self` receives it.
class Match {
public:
    Match(std::vector<int> seatsOf, int self, int computers) : seatsOf(seatsOf) {
        int seats = computers;
        for (int n : seatsOf)
            seats += n;
        bytes = {static_cast<char>(seatsOf.size() - 1), static_cast<char>(self),
                 static_cast<char>(seats - 1)};
        for (size_t m = 0; m < seatsOf.size(); ++m)
            bytes.append(static_cast<size_t>(seatsOf[m]), static_cast<char>(m));
        bytes.append(static_cast<size_t>(computers), static_cast<char>(seatsOf.size()));
        edits.resize(seatsOf.size());
    }

    // Machine m's ticks from..from+count-1, acking `acked` of every machine, with the edits
    // before each tick that edits() was told of.
    void inputs(const std::vector<std::pair<int, int>>& streams, int acked) {
        InputsMessage message;
        for (size_t m = 0; m < seatsOf.size(); ++m)
            message.acks.push_back({static_cast<int>(m), acked});
        for (auto [m, from] : streams) {
            Inputs stream{m, from, {}, {}, {}};
            for (int s = 0; from > 0 && s < seatsOf[static_cast<size_t>(m)]; ++s)
                stream.before.push_back(busy(m * 2 + s, from - 1)); // as a sender codes it
            for (int t = from; t < from + 8; ++t) {
                stream.ticks.emplace_back();
                for (int s = 0; s < seatsOf[static_cast<size_t>(m)]; ++s)
                    stream.ticks.back().push_back(busy(m * 2 + s, t));
                stream.edits.push_back(editsBefore(m, t));
            }
            message.streams.push_back(stream);
        }
        std::string b;
        encodeInputs(message, b);
        packet(0, b, 2);
    }
    void edit(const EditNote& note) {
        edits[static_cast<size_t>(note.machine)].push_back(note.tick);
        std::string b;
        encodeEdit(note, b);
        packet(1, b, 1);
    }
    void drop(int machine, int last) {
        std::string b;
        encodeDrop(machine, last, b);
        packet(2, b, 1);
    }
    void play(int ticks) { bytes.push_back(static_cast<char>(3 | (ticks - 1) << 3)); }
    void forget() { bytes.push_back(4); }
    void schedule(int ticks, bool edit = false) {
        bytes.push_back(static_cast<char>(5 | (ticks - 1) << 3 | (edit ? 64 : 0)));
    }

    std::string bytes;

private:
    int editsBefore(int m, int t) const {
        int n = 0;
        for (int tick : edits[static_cast<size_t>(m)])
            n += tick == t;
        return n;
    }
    void packet(char op, const std::string& b, int lengthBytes) {
        bytes.push_back(op);
        bytes.push_back(static_cast<char>(b.size() & 0xff));
        if (lengthBytes == 2)
            bytes.push_back(static_cast<char>(b.size() >> 8));
        bytes += b;
    }

    std::vector<int> seatsOf;
    std::vector<std::vector<int>> edits; // by machine: the ticks its edits come before
};

// Two machines, this the joiner: every frame the host's and this machine's ticks, resent from
// a confirmation a frame old, and a play.
std::string pair() {
    Match match({1, 2}, 1, 1);
    match.edit({0, 10, {MatchEdit::Kind::GIVE_ITEMS, 0, 2}, -1});
    for (int frame = 0; frame < 12; ++frame) {
        match.schedule(4, frame == 3);
        match.inputs({{0, std::max(0, frame * 4 - 4)}}, frame * 4);
        match.play(4);
        match.forget();
    }
    return match.bytes;
}

// Three machines, this the second: the third is dropped after a tick still on its way, comes back
// with the host's return, and plays on.
std::string dropAndReturn() {
    Match match({2, 2, 2}, 1, 0);
    for (int frame = 0; frame < 6; ++frame) {
        match.schedule(8);
        match.inputs({{0, frame * 8}, {2, std::min(frame, 3) * 8}}, frame * 8);
        match.play(8);
    }
    match.drop(2, 39);
    match.inputs({{2, 32}}, 48);
    match.play(8);
    match.edit({0, 56, MatchEdit(), 2});
    for (int frame = 6; frame < 10; ++frame) {
        match.schedule(8);
        match.inputs({{0, frame * 8}, {2, frame * 8}}, frame * 8);
        match.play(8);
    }
    return match.bytes;
}

// This machine came back at tick 40: it is told so first, then sent the match so far.
std::string comeBack() {
    Match match({1, 1, 1}, 2, 3);
    match.edit({0, 40, MatchEdit(), 2});
    match.edit({1, 20, {MatchEdit::Kind::SET_HEALTH, 1, 4}, -1});
    for (int from = 0; from < 40; from += 8)
        match.inputs({{0, from}, {1, from}, {2, from}}, 0);
    for (int from = 40; from < 64; from += 8) {
        match.schedule(8);
        match.inputs({{0, from}, {1, from}}, 0);
        for (int i = 0; i < 3; ++i)
            match.play(8);
    }
    return match.bytes;
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

    encodeHash(90, 0x0123456789abcdefull, b);
    add("hash", b);
    b.clear();
    encodeDrop(2, 130, b);
    add("drop", b);
    b.clear();
    encodeDesync(60, b);
    add("desync", b);
    b.clear();
    encodeEdit({1, 300, {MatchEdit::Kind::SET_HEALTH, 2, 5}, -1}, b);
    add("edit", b);
    b.clear();
    encodeEdit({0, INT_MAX, MatchEdit(), 3}, b);
    add("edit_return", b);
    b.clear();

    // What a host sends a joiner every frame, and a piece of a history.
    InputsMessage message{{{1, 130}}, {}};
    for (int m : {0, 2}) {
        message.streams.push_back({m, 125, {}, {}, {busy(m, 124), busy(m + 1, 124)}});
        for (int t = 125; t < 133; ++t) {
            message.streams.back().ticks.push_back({busy(m, t), busy(m + 1, t)});
            message.streams.back().edits.push_back(t == 130 ? 1 : 0);
        }
    }
    encodeInputs(message, b);
    add("inputs", b);
    b.clear();
    Inputs history{2, 0, {}, {}, {}};
    for (int t = 0; t < MAX_TICKS_PER_MESSAGE; ++t) {
        history.ticks.push_back({busy(0, t)});
        history.edits.push_back(0);
    }
    encodeInputs(InputsMessage{{}, {history}}, b);
    add("inputs_history", b);

    add("match_pair", pair());
    add("match_drop_and_return", dropAndReturn());
    add("match_come_back", comeBack());

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

// What machines say to each other: every message round trips at the edges of its values, every
// cut and any stray byte is refused, values out of range are refused, and a long random run of
// controls goes through INPUTS messages bit for bit at the size their format gives.

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "net/inputstream.h"
#include "net/netprotocol.h"
#include "net/netreader.h"
#include "netmessagestesting.h"

using namespace net;
using namespace nettest;

namespace {

const uint8_t* bytesOf(const std::string& s) {
    return reinterpret_cast<const uint8_t*>(s.data());
}

// The test's own choices (splitmix64): never the game's random source.
struct Random {
    uint64_t state;
    uint64_t next() {
        uint64_t z = (state += 0x9e3779b97f4a7c15ull);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
        return z ^ (z >> 31);
    }
    int below(int n) { return static_cast<int>(next() % static_cast<uint64_t>(n)); }
    float unit() { return static_cast<float>(next() >> 40) / 16777216.0f; } // [0, 1)
};

std::string text(size_t length, char first) { // every byte value, zero included
    std::string s(length, first);
    for (size_t i = 0; i < length; ++i)
        s[i] = static_cast<char>(first + i * 7);
    return s;
}

float* fieldOf(ControlState& c, int i) {
    float* fields[] = {&c.left.x, &c.left.y, &c.right.x, &c.right.y, &c.triggerA, &c.triggerB};
    return fields[i];
}

// The bytes an encoder appends to `b`.
#define ENCODED(...)                                                                               \
    ([&] {                                                                                         \
        std::string b;                                                                             \
        __VA_ARGS__;                                                                               \
        return b;                                                                                  \
    }())

// Whether `decode` takes the packet whole; a refusal must say why.
template <typename T, typename Decode> bool taken(Decode decode, const std::string& b) {
    T value;
    std::string error;
    bool ok = decode(bytesOf(b), b.size(), value, error);
    EXPECT_TRUE(ok || !error.empty()) << "refused without a reason";
    return ok;
}

// What a decoder makes of a packet: nothing when it refuses it, saying why; else whether it
// reads back what was sent.
using Reading = std::function<std::optional<bool>(const uint8_t*, size_t)>;
template <typename T, typename Decode, typename Same>
Reading reading(Decode decode, T sent, Same same) {
    return [=](const uint8_t* data, size_t size) -> std::optional<bool> {
        T got;
        std::string error;
        if (decode(data, size, got, error))
            return same(got, sent);
        EXPECT_FALSE(error.empty()) << "refused without a reason";
        return std::nullopt;
    };
}

// Every kind of message at the edges of what it may hold, encoded, with its reading.
std::vector<std::pair<std::string, Reading>> awkwardMessages() {
    std::vector<std::pair<std::string, Reading>> out;
    Hello hello{0xffff, text(MAX_TEXT, 'b'), text(MAX_TEXT, 'm'), {}};
    for (int i = 0; i < MAX_PLAYERS; ++i)
        hello.seats.push_back({i % 2 ? SeatKind::KEYBOARD : SeatKind::PAD,
                               text(i == 0 ? 0 : MAX_TEXT, 's'), Difficulty::NORMAL});
    out.push_back({ENCODED(encodeHello(hello, b)), reading(decodeHello, hello, sameHello)});
    Welcome welcome{0, text(MAX_TEXT, 'w')};
    out.push_back(
        {ENCODED(encodeWelcome(welcome, b)), reading(decodeWelcome, welcome, sameWelcome)});
    // Texts: none, the longest, and a longer one the encoder cuts to it.
    for (MessageType type : {MessageType::REFUSE, MessageType::END})
        for (size_t length : {size_t{0}, MAX_TEXT, MAX_TEXT + 9})
            out.push_back({ENCODED(encodeText(type, text(length, 't'), b)),
                           reading(decodeText, text(std::min(length, MAX_TEXT), 't'),
                                   std::equal_to<std::string>())});

    Start start;
    for (int i = 0; i < MAX_MACHINES; ++i)
        start.machineNames.push_back(text(MAX_TEXT, static_cast<char>('A' + i)));
    start.self = MAX_MACHINES - 1;
    start.header.level = {text(MAX_TEXT, 'l'), text(1 << 20, '\n')};
    start.header.seed = 0xffffffffu;
    start.header.settings = {99, 2, Difficulty::HARD}; // its two computer seats
    const SeatKind kinds[] = {SeatKind::PAD,      SeatKind::COMPUTER, SeatKind::KEYBOARD,
                              SeatKind::COMPUTER, SeatKind::PAD,      SeatKind::PAD};
    start.seatMachines = {5, NO_MACHINE, 0, NO_MACHINE, 3, 5};
    for (int i = 0; i < MAX_PLAYERS; ++i)
        start.header.seats.push_back(
            {kinds[i], text(MAX_TEXT, 'z'), static_cast<Difficulty>(i % 3)});
    out.push_back({ENCODED(encodeStart(start, b)), reading(decodeStart, start, sameStart)});
    start.header.level.text = text(1000, '\n'); // the megabyte is not cut at every byte
    out.push_back({ENCODED(encodeStart(start, b)), reading(decodeStart, start, sameStart)});

    // Tick 0 and the largest each note may carry.
    for (int tick : {0, INT_MAX / HASH_INTERVAL * HASH_INTERVAL}) {
        TickNote hash{tick, ~uint64_t{0} - static_cast<uint64_t>(tick), 0};
        out.push_back(
            {ENCODED(encodeHash(tick, hash.hash, b)), reading(decodeHash, hash, sameNote)});
        out.push_back({ENCODED(encodeDesync(tick, b)),
                       reading(decodeDesync, TickNote{tick, 0, 0}, sameNote)});
    }
    for (int machine : {1, MAX_MACHINES - 1})
        for (int tick : {-1, INT_MAX - 1})
            out.push_back({ENCODED(encodeDrop(machine, tick, b)),
                           reading(decodeDrop, TickNote{tick, 0, machine}, sameNote)});

    // Every kind of edit at the ends of its fields, and returns of the first and last joiner.
    const EditNote edits[] = {
        {0, 0, {MatchEdit::Kind::SET_HEALTH, 0, 0}, -1},
        {MAX_MACHINES - 1, INT_MAX, {MatchEdit::Kind::GIVE_ITEMS, MAX_PLAYERS - 1, 255}, -1},
        {3, 1 << 20, {MatchEdit::Kind::ADD_TEST_OBSTACLES, 2, 128}, -1},
        {0, 0, MatchEdit(), 1},
        {0, INT_MAX, MatchEdit(), MAX_MACHINES - 1}};
    for (const EditNote& edit : edits)
        out.push_back({ENCODED(encodeEdit(edit, b)), reading(decodeEdit, edit, sameEdit)});

    // Every machine acked, at tick 0 and the largest; a stream of each seat count from tick 0
    // and the largest, the first as long as any message holds, with every edit count; and a
    // message of nothing.
    InputsMessage inputs;
    for (int m = 0; m < MAX_MACHINES; ++m)
        inputs.acks.push_back({m, m % 2 ? INT_MAX : 0});
    for (int m = 0; m < MAX_MACHINES; ++m) {
        Inputs stream{MAX_MACHINES - 1 - m, m % 2 ? INT_MAX : 0, {}, {}, {}};
        for (int t = 0; t < (m == 0 ? MAX_TICKS_PER_MESSAGE : 1 + 5 * m); ++t) {
            stream.ticks.emplace_back(static_cast<size_t>(m + 1));
            for (ControlState& c : stream.ticks.back()) {
                c.left = {t % 2 ? -1.0f : 1.0f, -0.0f};
                c.right = {std::numeric_limits<float>::denorm_min(), -1.0f};
                c.triggerA = t % 3 ? 1.0f : -0.0f;
                c.triggerB = t % 4 ? 0.0f : std::nextafter(0.0f, 1.0f);
                c.buttons = static_cast<uint16_t>(((1u << ControlState::BUTTONS) - 1) >> t % 11);
                c.connected = t % 5 != 0;
            }
            stream.edits.push_back(t % (MAX_EDITS_PER_TICK + 1));
        }
        inputs.streams.push_back(stream);
    }
    for (const InputsMessage& message : {inputs, InputsMessage()})
        out.push_back(
            {ENCODED(encodeInputs(message, b)), reading(decodeInputsAlone, message, sameInputs)});
    return out;
}

} // namespace

// Each prefix is read from a buffer of its own length, so that a read past its end is a
// sanitizer's find.
TEST(NetMessages, ComeBackAsSentAtTheEdgesAndNoCutOrStrayByteIsTaken) {
    for (const auto& [bytes, read] : awkwardMessages()) {
        MessageType type;
        ASSERT_TRUE(messageType(bytesOf(bytes), bytes.size(), type));
        ASSERT_EQ(read(bytesOf(bytes), bytes.size()), true) << "type " << int(type);
        for (size_t cut = 0; cut < bytes.size() && bytes.size() < 65536; ++cut) {
            std::vector<uint8_t> prefix(bytes.begin(), bytes.begin() + cut);
            ASSERT_EQ(read(prefix.data(), cut), std::nullopt) << "type " << int(type) << " " << cut;
        }
        for (char stray : {'\0', '\x80', '\xff'})
            EXPECT_EQ(read(bytesOf(bytes + stray), bytes.size() + 1), std::nullopt) << int(type);
    }
}

TEST(NetMessages, ValuesOutOfRangeAreRefused) {
    // Controls: every value at an end of its range is taken; each one past it is not.
    auto oneSeat = [](const ControlState& c, int edits = 0) {
        return InputsMessage{{}, {Inputs{1, 0, {{c}}, {edits}, {}}}};
    };
    auto inputsTaken = [](const InputsMessage& m) {
        return taken<InputsMessage>(decodeInputsAlone, ENCODED(encodeInputs(m, b)));
    };
    ControlState edge;
    edge.left = {-1.0f, 1.0f};
    edge.right = {-0.0f, 1.0f};
    edge.triggerA = -0.0f;
    edge.triggerB = 1.0f;
    edge.buttons = (1u << ControlState::BUTTONS) - 1;
    EXPECT_TRUE(inputsTaken(oneSeat(edge, MAX_EDITS_PER_TICK)));
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (int field = 0; field < 6; ++field)
        for (float bad : {1.5f, std::nextafter(1.0f, 2.0f), nan, -INFINITY, -1.5f, -0.5f}) {
            ControlState c = edge;
            *fieldOf(c, field) = bad;
            bool stickBack = field < 4 && bad == -0.5f; // a trigger never reads below rest
            EXPECT_EQ(inputsTaken(oneSeat(c)), stickBack) << "field " << field << " value " << bad;
        }
    ControlState eleventh = edge;
    eleventh.buttons = 1u << ControlState::BUTTONS;
    // Besides: an eleventh button, a ninth edit, acks or streams of more machines than a match
    // has or of a seventh machine, two streams of one machine, a stream of no tick, of no seat or
    // of a seventh seat.
    const InputsMessage acked = {{{MAX_MACHINES - 1, INT_MAX}}, {}};
    ASSERT_TRUE(inputsTaken(acked));
    const std::vector<InputsMessage> badInputs = {
        oneSeat(eleventh),
        oneSeat(edge, MAX_EDITS_PER_TICK + 1),
        {std::vector<InputsMessage::Ack>(MAX_MACHINES + 1, acked.acks[0]), {}},
        {{{MAX_MACHINES, 0}}, {}},
        {{}, std::vector<Inputs>(MAX_MACHINES + 1, oneSeat(edge).streams[0])},
        {{}, std::vector<Inputs>(2, oneSeat(edge).streams[0])},
        {{}, {Inputs{MAX_MACHINES, 0, {{edge}}, {0}, {}}}},
        {{}, {Inputs{1, 0, {}, {}, {}}}},
        {{}, {Inputs{1, 0, std::vector<std::vector<ControlState>>(1), {0}, {}}}},
        {{}, {Inputs{1, 0, {std::vector<ControlState>(MAX_PLAYERS + 1, edge)}, {0}, {}}}},
    };
    for (size_t i = 0; i < badInputs.size(); ++i)
        EXPECT_FALSE(inputsTaken(badInputs[i])) << "inputs " << i;
    // Ticks past the largest, in an ack and in a stream; the same stream from tick 1 is taken.
    std::string ackPast = {5, 1, 0}, streamPast = {5, 0, 1, 0};
    putVarint(ackPast, uint64_t{1} << 31);
    ackPast += '\0';
    putVarint(streamPast, uint64_t{1} << 31);
    streamPast += std::string{1, 0}; // a tick of the one seat (of the byte before), at rest
    EXPECT_FALSE(taken<InputsMessage>(decodeInputsAlone, ackPast));
    EXPECT_FALSE(taken<InputsMessage>(decodeInputsAlone, streamPast));
    EXPECT_TRUE(taken<InputsMessage>(decodeInputsAlone, streamPast.replace(4, 5, "\x01")));

    // Edits of a seventh machine, seat or kind, a value past a byte; returns not from the host,
    // of the host, of a seventh machine, with a value, or past the largest tick.
    const EditNote edit{2, 10, {MatchEdit::Kind::SET_HEALTH, 1, 5}, -1};
    auto editTaken = [](const EditNote& e) {
        return taken<EditNote>(decodeEdit, ENCODED(encodeEdit(e, b)));
    };
    EXPECT_TRUE(editTaken(edit));
    for (const EditNote& bad : std::vector<EditNote>{
             {MAX_MACHINES, 10, edit.edit, -1},
             {2, 10, {MatchEdit::Kind::SET_HEALTH, MAX_PLAYERS, 5}, -1},
             {2, 10, {static_cast<MatchEdit::Kind>(MatchEdit::KIND_COUNT), 1, 5}, -1},
             {2, 10, {MatchEdit::Kind::SET_HEALTH, 1, 256}, -1},
             {2, 10, MatchEdit(), 1},
             {0, 10, MatchEdit(), 0},
             {0, 10, MatchEdit(), MAX_MACHINES}})
        EXPECT_FALSE(editTaken(bad)) << bad.machine << " " << bad.readmit;
    std::string editPast = {10, 0};
    putVarint(editPast, uint64_t{1} << 31);
    editPast += std::string{0, 0, 0};
    for (const std::string& bad : {std::string("\x0a\x00\x05\xff\x01\x01", 6), editPast})
        EXPECT_FALSE(taken<EditNote>(decodeEdit, bad));

    // Hellos of a seat that no player holds, of no seat, of seven; a name a byte too long. (The
    // fuzzer holds every message it takes to all the limits of its fields.)
    const Hello hello{PROTOCOL_VERSION, "1", "Den", {{SeatKind::PAD, "Pad", Difficulty::NORMAL}}};
    auto helloTaken = [](const Hello& h) {
        return taken<Hello>(decodeHello, ENCODED(encodeHello(h, b)));
    };
    EXPECT_TRUE(helloTaken(hello));
    const std::vector<std::function<void(Hello&)>> badHellos = {
        [](Hello& h) {
            h.seats.push_back({SeatKind::COMPUTER, "C", Difficulty::NORMAL});
        },
        [](Hello& h) { h.seats.clear(); },
        [](Hello& h) { h.seats.resize(MAX_PLAYERS + 1, h.seats[0]); },
        [](Hello& h) { h.machineName = text(MAX_TEXT + 1, 'n'); },
    };
    for (size_t i = 0; i < badHellos.size(); ++i) {
        Hello h = hello;
        badHellos[i](h);
        EXPECT_FALSE(helloTaken(h)) << "hello " << i;
    }

    // Starts whose seats and machines do not fit.
    Start start{{"Host", "Joiner"}, 1, {}, {1, NO_MACHINE}};
    start.header.settings.computerTanks = 1;
    start.header.seats = {{SeatKind::PAD, "P", Difficulty::NORMAL},
                          {SeatKind::COMPUTER, "C", Difficulty::EASY}};
    auto startTaken = [](const Start& s) {
        return taken<Start>(decodeStart, ENCODED(encodeStart(s, b)));
    };
    EXPECT_TRUE(startTaken(start));
    const std::vector<std::function<void(Start&)>> badStarts = {
        [](Start& s) { s.seatMachines[0] = 2; },          // a seat on no machine of the match
        [](Start& s) { s.seatMachines[0] = NO_MACHINE; }, // a pad of no machine
        [](Start& s) { s.seatMachines[1] = 0; },          // a computer on one machine
        [](Start& s) { s.self = 2; },
        [](Start& s) { s.machineNames.clear(), s.self = 0; },
        [](Start& s) { s.machineNames.assign(MAX_MACHINES + 1, "M"); },
        [](Start& s) {
            s.header.seats.resize(MAX_PLAYERS + 1, s.header.seats[1]);
            s.seatMachines.resize(MAX_PLAYERS + 1, NO_MACHINE);
        },
    };
    for (size_t i = 0; i < badStarts.size(); ++i) {
        Start s = start;
        badStarts[i](s);
        EXPECT_FALSE(startTaken(s)) << "start " << i;
    }

    // Notes: a hash off the interval, drops of the host and of a seventh machine, ticks past
    // the largest, varints of eleven bytes and past 64 bits.
    EXPECT_FALSE(taken<TickNote>(decodeHash, ENCODED(encodeHash(HASH_INTERVAL + 1, 0, b))));
    for (int machine : {0, MAX_MACHINES})
        EXPECT_FALSE(taken<TickNote>(decodeDrop, ENCODED(encodeDrop(machine, 10, b))));
    std::string hash = {6}, desync = {8};
    putVarint(hash, (uint64_t{1} << 31) / HASH_INTERVAL * HASH_INTERVAL + HASH_INTERVAL);
    putLittleEndian(hash, 0, 8);
    putVarint(desync, uint64_t{1} << 31);
    EXPECT_FALSE(taken<TickNote>(decodeHash, hash));
    for (const std::string& bad : {desync, "\x08" + std::string(10, '\x80') + '\0',
                                   "\x08\x81" + std::string(8, '\x80') + "\x02"})
        EXPECT_FALSE(taken<TickNote>(decodeDesync, bad));
}

// A long run of every machine's controls of every kind through INPUTS messages of random acks
// and streams: still pads, pads whose every value changes every tick, a pad's whole 1/32768ths,
// signed zeros, the ends of the ranges, unplugging. Each stream after the first is coded against
// the tick before it, which the receiver holds. Each message decodes bit for bit and is as long
// as its format says: a byte a seat and a tick, and only what changed since the tick before.
TEST(NetMessages, InputsMessagesCarryALongRandomRunBitForBit) {
    Random random{2024};
    auto varintSize = [](uint64_t v) {
        size_t n = 1;
        for (; v >= 128; v >>= 7)
            ++n;
        return n;
    };
    auto value = [&](float low, float previous) {
        const float picks[] = {previous, -0.0f, 0.0f, low, 1.0f};
        int pick = random.below(9);
        if (pick == 5 || pick == 6) // what a pad reports
            return static_cast<float>(random.below(32769 - static_cast<int>(low) * 32768) +
                                      static_cast<int>(low) * 32768) /
                   32768.0f;
        return pick < 5 ? picks[pick] : low + (1.0f - low) * random.unit();
    };
    // Bytes of a changed value: one for 0, -0, 1 and -1; a varint for a pad's whole 1/32768ths
    // (its difference from the value before, counted in whole 1/32768ths from the nearest);
    // else a code byte and the float.
    auto valueSize = [&](float before, float now) -> size_t {
        for (float exact : {0.0f, 1.0f, -1.0f})
            if (now == exact)
                return 1;
        double units = static_cast<double>(now) * 32768.0;
        long step = std::lround(units) - std::lround(static_cast<double>(before) * 32768.0);
        if (units != std::floor(units) || step == 0)
            return 5;
        uint64_t zigzag = step < 0 ? static_cast<uint64_t>(-step) * 2 - 1 : uint64_t(step) * 2;
        return varintSize(4 + zigzag);
    };
    // By machine (of m + 1 seats): its controls at the last tick sent, and the next tick.
    std::vector<std::vector<ControlState>> last;
    std::vector<int> nextTick(MAX_MACHINES, 0);
    for (int m = 0; m < MAX_MACHINES; ++m)
        last.emplace_back(static_cast<size_t>(m + 1));
    while (nextTick[0] < 20000) {
        // What the receiver holds: the last tick of each machine it was sent.
        const std::vector<std::vector<ControlState>> held = last;
        const std::vector<int> heldTick = [&] {
            std::vector<int> ticks;
            for (int n : nextTick)
                ticks.push_back(n - 1);
            return ticks;
        }();
        InputsMessage message;
        size_t expected = 3; // type, ack count, stream count
        for (int m = 0; m < MAX_MACHINES; ++m)
            if (random.below(3) == 0) {
                message.acks.push_back({m, random.below(2) ? nextTick[m] : INT_MAX - m});
                expected += 1 + varintSize(static_cast<uint64_t>(message.acks.back().next));
            }
        for (int m = 0; m < MAX_MACHINES; ++m) {
            if (m != 0 && random.below(2))
                continue;
            Inputs stream{m, nextTick[m], {}, {}, {}};
            if (nextTick[m] > 0)
                stream.before = last[m];
            int count =
                1 + random.below(random.below(8) ? MAX_TICKS_PER_INPUTS : MAX_TICKS_PER_MESSAGE);
            bool edits = random.below(2);
            expected += 2 + varintSize(static_cast<uint64_t>(stream.firstTick));
            for (int t = 0; t < count; ++t) {
                std::vector<ControlState> before = last[m];
                std::vector<ControlState> now = before;
                for (size_t s = 0; s < now.size(); ++s) {
                    ControlState& c = now[s];
                    bool still = s % 3 == 1 && random.below(4) != 0;
                    for (int i = 0; i < 6 && !still; ++i) {
                        float low = i < 4 ? -1.0f : 0.0f;
                        *fieldOf(c, i) = s % 3 == 2 ? low + (1.0f - low) * random.unit()
                                                    : value(low, *fieldOf(c, i));
                    }
                    if (random.below(3) == 0)
                        c.buttons = static_cast<uint16_t>(random.below(1 << ControlState::BUTTONS));
                    c.connected = c.connected != (random.below(50) == 0);
                    expected += 1;
                    if (c.buttons != before[s].buttons)
                        expected += varintSize(c.buttons);
                    for (int i = 0; i < 6; ++i) {
                        float was = *fieldOf(before[s], i), is = *fieldOf(c, i);
                        if (std::memcmp(&was, &is, 4))
                            expected += valueSize(was, is);
                    }
                }
                stream.ticks.push_back(now);
                stream.edits.push_back(edits ? random.below(MAX_EDITS_PER_TICK + 1) : 0);
                last[m] = now;
            }
            nextTick[m] += count;
            // Edit counts, a byte a tick, where the stream has any.
            if (std::any_of(stream.edits.begin(), stream.edits.end(), [](int e) { return e; }))
                expected += static_cast<size_t>(count);
            message.streams.push_back(std::move(stream));
        }
        std::string b;
        encodeInputs(message, b);
        ASSERT_EQ(b.size(), expected) << "tick " << nextTick[0];
        InputsMessage got;
        std::string error;
        ASSERT_TRUE(decodeInputs(bytesOf(b), b.size(), got, error, [&](int m, int tick) {
            return tick == heldTick[static_cast<size_t>(m)] ? &held[static_cast<size_t>(m)]
                                                            : nullptr;
        })) << error;
        ASSERT_TRUE(sameInputs(message, got)) << "tick " << nextTick[0];
        // A receiver that holds nothing reads only the streams from tick 0.
        ASSERT_TRUE(decodeInputs(bytesOf(b), b.size(), got, error)) << error;
        for (size_t i = 0; i < got.streams.size(); ++i)
            EXPECT_EQ(got.streams[i].ticks.empty(), message.streams[i].firstTick > 0);
    }
}

// What machines say to each other: every message round trips at the edges of its values, every
// cut and any stray byte is refused, values out of range are refused, and the input stream
// carries a long random run bit for bit at the size its format promises.

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

#include "net/inputstream.h"
#include "net/netprotocol.h"
#include "net/netreader.h"

using namespace net;

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

// The bytes an encoder appends to `b`.
#define ENCODED(...)                                                                               \
    ([&] {                                                                                         \
        std::string b;                                                                             \
        __VA_ARGS__;                                                                               \
        return b;                                                                                  \
    }())

// Whether `decode` takes the packet whole; a refusal must say why.
template <typename Decode, typename T>
bool taken(Decode decode, const uint8_t* data, size_t size, T& value) {
    std::string error;
    bool ok = decode(data, size, value, error);
    EXPECT_TRUE(ok || !error.empty()) << "refused without a reason";
    return ok;
}
template <typename Decode, typename T> bool taken(Decode decode, const std::string& b, T& value) {
    return taken(decode, bytesOf(b), b.size(), value);
}
template <typename T, typename Decode> bool taken(Decode decode, const std::string& b) {
    T value;
    return taken(decode, b, value);
}
auto inputsOf(int seats) { // a fresh stream's decoder
    return [seats](const uint8_t* data, size_t size, Inputs& inputs, std::string& error) {
        return InputDecoder(seats).decode(data, size, inputs, error);
    };
}

bool sameSeats(const std::vector<RecordedSeat>& a, const std::vector<RecordedSeat>& b) {
    bool same = a.size() == b.size();
    for (size_t i = 0; same && i < a.size(); ++i)
        same = std::tie(a[i].kind, a[i].name, a[i].difficulty) ==
               std::tie(b[i].kind, b[i].name, b[i].difficulty);
    return same;
}

// Messages at the edges of what they may hold.
struct Awkward {
    Hello hello;
    Start start;
    std::vector<std::vector<ControlState>> ticks; // MAX_TICKS_PER_INPUTS of six seats
    Awkward() {
        hello = {0xffff, text(MAX_TEXT, 'b'), text(MAX_TEXT, 'm'), {}};
        for (int i = 0; i < MAX_PLAYERS; ++i)
            hello.seats.push_back({i % 2 ? SeatKind::KEYBOARD : SeatKind::PAD,
                                   text(i == 0 ? 0 : MAX_TEXT, 's'), Difficulty::NORMAL});
        for (int i = 0; i < MAX_MACHINES; ++i)
            start.machineNames.push_back(text(MAX_TEXT, static_cast<char>('A' + i)));
        start.self = MAX_MACHINES - 1;
        start.header.level = {text(MAX_TEXT, 'l'), text(1 << 20, '\n')};
        start.header.seed = 0xffffffffu;
        start.header.settings = {99, MAX_PLAYERS, Difficulty::HARD};
        const SeatKind kinds[] = {SeatKind::PAD,      SeatKind::COMPUTER, SeatKind::KEYBOARD,
                                  SeatKind::COMPUTER, SeatKind::PAD,      SeatKind::PAD};
        start.seatMachines = {5, NO_MACHINE, 0, NO_MACHINE, 3, 5};
        for (int i = 0; i < MAX_PLAYERS; ++i)
            start.header.seats.push_back(
                {kinds[i], text(MAX_TEXT, 'z'), static_cast<Difficulty>(i % 3)});
        for (int t = 0; t < MAX_TICKS_PER_INPUTS; ++t) {
            ticks.emplace_back(MAX_PLAYERS);
            for (ControlState& c : ticks.back()) {
                c.left = {t % 2 ? -1.0f : 1.0f, -0.0f};
                c.right = {std::numeric_limits<float>::denorm_min(), -1.0f};
                c.triggerA = t % 3 ? 1.0f : -0.0f;
                c.buttons = static_cast<uint16_t>((1u << ControlState::BUTTONS) - 1 - t);
                c.connected = t % 5 != 0;
            }
        }
    }
};

} // namespace

TEST(NetMessages, ComeBackAsSentAtTheEdgesOfTheirValues) {
    Awkward a;
    Hello hello;
    ASSERT_TRUE(taken(decodeHello, ENCODED(encodeHello(a.hello, b)), hello));
    EXPECT_EQ(std::tie(hello.protocol, hello.build, hello.machineName),
              std::tie(a.hello.protocol, a.hello.build, a.hello.machineName));
    EXPECT_TRUE(sameSeats(hello.seats, a.hello.seats));

    Start start;
    ASSERT_TRUE(taken(decodeStart, ENCODED(encodeStart(a.start, b)), start));
    const RecordHeader &got = start.header, &sent = a.start.header;
    EXPECT_EQ(
        std::tie(start.machineNames, start.self, start.seatMachines, got.level.name, got.seed),
        std::tie(a.start.machineNames, a.start.self, a.start.seatMachines, sent.level.name,
                 sent.seed));
    EXPECT_TRUE(got.level.text == sent.level.text); // a megabyte: not printed
    EXPECT_EQ(std::tie(got.settings.roundsToWin, got.settings.computerTanks),
              std::tie(sent.settings.roundsToWin, sent.settings.computerTanks));
    EXPECT_TRUE(got.settings.difficulty == Difficulty::HARD);
    EXPECT_TRUE(sameSeats(got.seats, sent.seats));

    // Texts: none, the longest, and a longer one the encoder cuts to it.
    for (MessageType type : {MessageType::REFUSE, MessageType::END})
        for (size_t length : {size_t{0}, MAX_TEXT, MAX_TEXT + 9}) {
            std::string said;
            ASSERT_TRUE(taken(decodeText, ENCODED(encodeText(type, text(length, 't'), b)), said));
            EXPECT_EQ(said, text(std::min(length, MAX_TEXT), 't'));
        }

    // Tick 0 and the largest each note may carry.
    TickNote note;
    for (int tick : {0, HASH_INTERVAL, INT_MAX / HASH_INTERVAL * HASH_INTERVAL}) {
        uint64_t hash = ~uint64_t{0} - static_cast<uint64_t>(tick);
        ASSERT_TRUE(taken(decodeHash, ENCODED(encodeHash(tick, hash, b)), note));
        EXPECT_EQ(std::tie(note.tick, note.hash), std::tie(tick, hash));
    }
    for (int machine = 1; machine < MAX_MACHINES; ++machine)
        for (int tick : {-1, 0, INT_MAX - 1}) {
            ASSERT_TRUE(taken(decodeDrop, ENCODED(encodeDrop(machine, tick, b)), note));
            EXPECT_EQ(std::tie(note.machine, note.tick), std::tie(machine, tick));
        }
    for (int tick : {0, INT_MAX}) {
        ASSERT_TRUE(taken(decodeDesync, ENCODED(encodeDesync(tick, b)), note));
        EXPECT_EQ(note.tick, tick);
    }
    for (int first : {0, INT_MAX}) {
        Inputs inputs;
        ASSERT_TRUE(
            taken(inputsOf(MAX_PLAYERS),
                  ENCODED(InputEncoder(MAX_MACHINES - 1, MAX_PLAYERS).encode(first, a.ticks, b)),
                  inputs));
        EXPECT_EQ(std::tie(inputs.machine, inputs.firstTick),
                  std::make_tuple(MAX_MACHINES - 1, first));
        EXPECT_EQ(inputs.ticks, a.ticks);
    }
}

// Every strict prefix of every message, and every message with a byte more, is refused. Each
// prefix is read from a buffer of its own length, so that a read past its end is a sanitizer's
// find.
TEST(NetMessages, EveryCutAndAnyStrayByteIsRefused) {
    Awkward a;
    a.start.header.level.text = text(1000, '\n'); // a megabyte would take a while to cut
    using Read = std::function<bool(const uint8_t*, size_t)>;
    auto reader = [](auto decode, auto value) -> Read {
        return [=](const uint8_t* data, size_t size) mutable {
            return taken(decode, data, size, value);
        };
    };
    const std::vector<std::pair<std::string, Read>> messages = {
        {ENCODED(encodeHello(a.hello, b)), reader(decodeHello, Hello())},
        {ENCODED(encodeWelcome(Welcome{0, text(MAX_TEXT, 'w')}, b)),
         reader(decodeWelcome, Welcome())},
        {ENCODED(encodeText(MessageType::REFUSE, "Full.", b)), reader(decodeText, std::string())},
        {ENCODED(encodeText(MessageType::END, "", b)), reader(decodeText, std::string())},
        {ENCODED(encodeStart(a.start, b)), reader(decodeStart, Start())},
        {ENCODED(encodeHash(INT_MAX / 30 * 30, 1, b)), reader(decodeHash, TickNote())},
        {ENCODED(encodeDrop(5, INT_MAX - 1, b)), reader(decodeDrop, TickNote())},
        {ENCODED(encodeDesync(1 << 20, b)), reader(decodeDesync, TickNote())},
        {ENCODED(InputEncoder(2, MAX_PLAYERS).encode(1 << 28, a.ticks, b)),
         reader(inputsOf(MAX_PLAYERS), Inputs())},
    };
    for (const auto& [bytes, read] : messages) {
        MessageType type;
        ASSERT_TRUE(messageType(bytesOf(bytes), bytes.size(), type));
        ASSERT_TRUE(read(bytesOf(bytes), bytes.size())) << "type " << int(bytes[0]);
        for (size_t cut = 0; cut < bytes.size(); ++cut) {
            std::vector<uint8_t> prefix(bytes.begin(), bytes.begin() + cut);
            ASSERT_FALSE(read(prefix.data(), cut)) << "type " << int(bytes[0]) << " cut " << cut;
        }
        for (char stray : {'\0', '\x80', '\xff'})
            EXPECT_FALSE(read(bytesOf(bytes + stray), bytes.size() + 1)) << int(bytes[0]);
    }
}

TEST(NetMessages, ValuesOutOfRangeAreRefused) {
    auto inputsTaken = [](const ControlState& c) {
        return taken<Inputs>(inputsOf(1), ENCODED(InputEncoder(1, 1).encode(0, {{c}}, b)));
    };
    ControlState edge; // every value at an end of its range
    edge.left = {-1.0f, 1.0f};
    edge.right = {-0.0f, 1.0f};
    edge.triggerA = -0.0f;
    edge.triggerB = 1.0f;
    edge.buttons = (1u << ControlState::BUTTONS) - 1;
    EXPECT_TRUE(inputsTaken(edge));
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (int field = 0; field < 6; ++field)
        for (float bad : {1.5f, std::nextafter(1.0f, 2.0f), nan, -INFINITY, -1.5f, -0.5f}) {
            ControlState c = edge;
            float* fields[] = {&c.left.x,  &c.left.y,   &c.right.x,
                               &c.right.y, &c.triggerA, &c.triggerB};
            *fields[field] = bad;
            bool stickBack = field < 4 && bad == -0.5f; // a trigger never reads below rest
            EXPECT_EQ(inputsTaken(c), stickBack) << "field " << field << " value " << bad;
        }
    ControlState eleventh = edge;
    eleventh.buttons = 1u << ControlState::BUTTONS;
    EXPECT_FALSE(inputsTaken(eleventh));

    // A refused message leaves the stream where it was: the next one decodes from there.
    InputEncoder sender(1, 1), liar(1, 1);
    InputDecoder receiver(1);
    ControlState pressed = edge, broken = edge;
    pressed.buttons = 3;
    broken.left.x = nan;
    std::string first, bad, second, error;
    sender.encode(0, {{edge}}, first);
    sender.encode(1, {{pressed}}, second);
    liar.encode(0, {{edge}}, bad);
    bad.clear();
    liar.encode(1, {{pressed}, {broken}}, bad); // a good tick, then a bad one
    Inputs inputs;
    ASSERT_TRUE(receiver.decode(bytesOf(first), first.size(), inputs, error));
    EXPECT_FALSE(receiver.decode(bytesOf(bad), bad.size(), inputs, error));
    ASSERT_TRUE(receiver.decode(bytesOf(second), second.size(), inputs, error));
    EXPECT_EQ(inputs.ticks[0][0], pressed);
    // No tick or 17, another seat count, a first tick past the largest.
    for (size_t count : {size_t{0}, size_t{MAX_TICKS_PER_INPUTS + 1}})
        EXPECT_FALSE(taken<Inputs>(
            inputsOf(1), ENCODED(InputEncoder(1, 1).encode(
                             0, std::vector<std::vector<ControlState>>(count, {edge}), b))))
            << count;
    EXPECT_FALSE(taken<Inputs>(inputsOf(2), first));
    std::string twoSeats = first;
    twoSeats[4] = 2; // the seat count, with one seat's bytes
    EXPECT_FALSE(taken<Inputs>(inputsOf(1), twoSeats));
    std::string far = {5, 1};
    putVarint(far, uint64_t{1} << 31);
    far += std::string{1, 1, 0};
    EXPECT_FALSE(taken<Inputs>(inputsOf(1), far));
    EXPECT_TRUE(taken<Inputs>(inputsOf(1), far.replace(2, 5, "\x01"))); // the same at tick 1

    // Hellos of a seat that no player holds, of no seat, of seven; a name a byte too long.
    auto helloTaken = [](const Hello& h) {
        return taken<Hello>(decodeHello, ENCODED(encodeHello(h, b)));
    };
    const Hello hello{PROTOCOL_VERSION, "1", "Den", {{SeatKind::PAD, "Pad", Difficulty::NORMAL}}};
    EXPECT_TRUE(helloTaken(hello));
    std::vector<std::function<void(Hello&)>> badHellos = {
        [](Hello& h) {
            h.seats.push_back({SeatKind::COMPUTER, "C", Difficulty::NORMAL});
        },
        [](Hello& h) { h.seats[0].kind = SeatKind::NONE; },
        [](Hello& h) { h.seats[0].kind = static_cast<SeatKind>(SEAT_KIND_COUNT); },
        [](Hello& h) { h.seats.clear(); },
        [](Hello& h) { h.seats.resize(MAX_PLAYERS + 1, h.seats[0]); },
        [](Hello& h) { h.machineName = text(MAX_TEXT + 1, 'n'); },
    };
    for (size_t i = 0; i < badHellos.size(); ++i) {
        Hello h = hello;
        badHellos[i](h);
        EXPECT_FALSE(helloTaken(h)) << "hello " << i;
    }

    // Starts whose seats, machines or settings do not fit.
    Start start;
    start.machineNames = {"Host", "Joiner"};
    start.self = 1;
    start.header.seats = {{SeatKind::PAD, "P", Difficulty::NORMAL},
                          {SeatKind::COMPUTER, "C", Difficulty::EASY}};
    start.seatMachines = {1, NO_MACHINE};
    auto startTaken = [](const Start& s) {
        return taken<Start>(decodeStart, ENCODED(encodeStart(s, b)));
    };
    EXPECT_TRUE(startTaken(start));
    std::vector<std::function<void(Start&)>> badStarts = {
        [](Start& s) { s.seatMachines[0] = 2; },          // a seat on no machine of the match
        [](Start& s) { s.seatMachines[0] = NO_MACHINE; }, // a pad of no machine
        [](Start& s) { s.seatMachines[1] = 0; },          // a computer on one machine
        [](Start& s) { s.header.seats[0].kind = SeatKind::NONE; },
        [](Start& s) { s.header.seats[1].difficulty = static_cast<Difficulty>(3); },
        [](Start& s) { s.self = 2; },
        [](Start& s) { s.machineNames.clear(), s.self = 0; },
        [](Start& s) { s.machineNames.assign(MAX_MACHINES + 1, "M"); },
        [](Start& s) { s.header.settings.roundsToWin = 0; },
        [](Start& s) { s.header.settings.roundsToWin = 100; },
        [](Start& s) { s.header.settings.computerTanks = MAX_PLAYERS + 1; },
        [](Start& s) { s.header.settings.difficulty = static_cast<Difficulty>(3); },
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
    EXPECT_FALSE(taken<TickNote>(decodeDesync, desync));
    EXPECT_FALSE(taken<TickNote>(decodeDesync, "\x08" + std::string(10, '\x80') + '\0'));
    EXPECT_FALSE(taken<TickNote>(decodeDesync, "\x08\x81" + std::string(8, '\x80') + "\x02"));
}

// A long run of controls of every kind through one stream: still pads, pads whose every value
// changes every tick, signed zeros, the ends of the ranges, unplugging. Each message decodes bit
// for bit and is as long as its format says: a byte a seat, and only what changed.
TEST(NetMessages, AnInputStreamCarriesALongRandomRunBitForBit) {
    Random random{2024};
    auto value = [&](float low, float previous) {
        const float picks[] = {previous, -0.0f, 0.0f, low, 1.0f};
        int pick = random.below(8);
        return pick < 5 ? picks[pick] : low + (1.0f - low) * random.unit();
    };
    for (int seats = 1; seats <= MAX_PLAYERS; ++seats) {
        InputEncoder encoder(seats - 1, seats);
        InputDecoder decoder(seats);
        std::vector<ControlState> last(static_cast<size_t>(seats));
        for (int tick = 0; tick < 20000;) {
            std::vector<std::vector<ControlState>> ticks(1 + random.below(MAX_TICKS_PER_INPUTS));
            size_t expected = 4 + (tick < 128 ? 1 : tick < 16384 ? 2 : 3);
            for (std::vector<ControlState>& now : ticks) {
                now = last;
                for (int s = 0; s < seats; ++s) {
                    ControlState& c = now[static_cast<size_t>(s)];
                    const ControlState& before = last[static_cast<size_t>(s)];
                    float* to[] = {&c.left.x,  &c.left.y,   &c.right.x,
                                   &c.right.y, &c.triggerA, &c.triggerB};
                    const float* from[] = {&before.left.x,  &before.left.y,   &before.right.x,
                                           &before.right.y, &before.triggerA, &before.triggerB};
                    bool still = s % 3 == 1 && random.below(4) != 0;
                    for (int i = 0; i < 6 && !still; ++i) {
                        float low = i < 4 ? -1.0f : 0.0f;
                        *to[i] = s % 3 == 2 ? low + (1.0f - low) * random.unit() // moving
                                            : value(low, *to[i]);
                    }
                    if (random.below(3) == 0)
                        c.buttons = static_cast<uint16_t>(random.below(1 << ControlState::BUTTONS));
                    c.connected = c.connected != (random.below(50) == 0);
                    expected += 1 + (c.buttons != before.buttons ? 2 : 0);
                    for (int i = 0; i < 6; ++i)
                        expected += std::memcmp(to[i], from[i], 4) != 0 ? 4 : 0;
                }
                last = now;
            }
            std::string b, error;
            encoder.encode(tick, ticks, b);
            EXPECT_EQ(b.size(), expected) << "seats " << seats << " tick " << tick;
            Inputs inputs;
            ASSERT_TRUE(decoder.decode(bytesOf(b), b.size(), inputs, error)) << error;
            ASSERT_EQ(std::tie(inputs.firstTick, inputs.machine), std::make_tuple(tick, seats - 1));
            ASSERT_EQ(inputs.ticks, ticks) << "seats " << seats << " tick " << tick;
            tick += static_cast<int>(ticks.size());
        }
    }
}

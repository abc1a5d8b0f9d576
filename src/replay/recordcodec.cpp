#include "replay/recordcodec.h"

#include <cmath>
#include <cstring>

#include "replay/controlcoding.h"

namespace recordcodec {

namespace {

using controlcoding::putLittleEndian;
using controlcoding::putValue;
using controlcoding::putVarint;
using controlcoding::unzigzag;
using controlcoding::zigzag;

constexpr uint8_t RUN_LAST = 0x7f; // runs are 0x00..0x7f: 1..128 ticks
constexpr int LONGEST_RUN = RUN_LAST + 1;
constexpr uint8_t TICK = 0x80;
constexpr uint8_t TICK_CHANGES = 0x01;
constexpr int DT_SHIFT = 1;         // the dt's code in bits 1..3 of a tick's tag
constexpr int RECENT_DTS = 4;       // codes 0..3
constexpr int NEW_MILLISECONDS = 4; // code 4: a new dt of whole milliseconds follows
constexpr int NEW_DT = 5;           // code 5: any other new dt follows
constexpr uint8_t TICK_LAST = TICK | TICK_CHANGES | NEW_DT << DT_SHIFT;
constexpr int64_t MAX_MILLISECONDS = static_cast<int64_t>(MAX_DT) * 1000;
// A new whole-millisecond dt near the latest fits in the tag: -8..7 ms more.
constexpr uint8_t NEAR_TICK = 0xa0;
constexpr uint8_t NEAR_TICK_LAST = 0xbf;
constexpr int64_t NEAR_LOW = -8, NEAR_HIGH = 7;

float fromMilliseconds(int64_t k) {
    return static_cast<float>(static_cast<double>(k) / 1000.0);
}

// The nearest whole number of milliseconds to a dt in range.
int64_t nearestMilliseconds(float dt) {
    return dt >= 0.0f && dt <= MAX_DT ? std::llround(static_cast<double>(dt) * 1000.0) : 0;
}
constexpr uint8_t HASH = 0xc0;
constexpr uint8_t EDIT = 0xc1;
constexpr uint8_t END = 0xc2;

// The fields of a change, in the order their values follow.
enum Field : uint8_t {
    LEFT_X = 1 << 0,
    LEFT_Y = 1 << 1,
    RIGHT_X = 1 << 2,
    RIGHT_Y = 1 << 3,
    TRIGGER_A = 1 << 4,
    TRIGGER_B = 1 << 5,
    BUTTONS = 1 << 6,
    CONNECTED = 1 << 7,
};
constexpr uint16_t ALL_BUTTONS = (1u << ControlState::BUTTONS) - 1;

uint32_t bitsOf(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

float floatOf(uint32_t bits) {
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

void putString(std::string& out, const std::string& text) {
    putVarint(out, text.size());
    out += text;
}

bool sameBits(float a, float b) {
    return bitsOf(a) == bitsOf(b);
}

// The dt at place `index` of the recent ones moves to the front.
void useRecent(uint32_t* recent, int index) {
    uint32_t bits = recent[index];
    for (int i = index; i > 0; --i)
        recent[i] = recent[i - 1];
    recent[0] = bits;
}

// A new dt goes to the front; the oldest is forgotten.
void addRecent(uint32_t* recent, uint32_t bits) {
    for (int i = RECENT_DTS - 1; i > 0; --i)
        recent[i] = recent[i - 1];
    recent[0] = bits;
}

// Reads a body with every access bounds-checked: a failed read leaves the cursor where it was
// and says so.
class Cursor {
public:
    Cursor(const uint8_t* data, size_t size) : data(data), size(size) {}

    bool atEnd() const { return at >= size; }
    size_t offset() const { return at; }
    // A read failed for want of bytes (not for what the bytes said).
    bool ranOut() const { return shortOfBytes; }

    bool byte(uint8_t& out) {
        if (at >= size)
            return outOfBytes();
        out = data[at++];
        return true;
    }
    bool varint(uint64_t& out) {
        uint64_t value = 0;
        size_t p = at;
        // Invariant: value holds the 7-bit groups before p; at most ten groups, the tenth
        // carrying only the top bit of 64.
        for (int shift = 0; shift < 64; shift += 7) {
            if (p >= size)
                return outOfBytes();
            uint8_t b = data[p++];
            if (shift == 63 && b > 1)
                return false;
            value |= static_cast<uint64_t>(b & 0x7f) << shift;
            if ((b & 0x80) == 0) {
                at = p;
                out = value;
                return true;
            }
        }
        return false;
    }
    bool littleEndian(int bytes, uint64_t& out) {
        if (size - at < static_cast<size_t>(bytes))
            return outOfBytes();
        out = 0;
        for (int i = 0; i < bytes; ++i)
            out |= static_cast<uint64_t>(data[at + i]) << (8 * i);
        at += static_cast<size_t>(bytes);
        return true;
    }
    bool text(size_t limit, std::string& out) {
        uint64_t length = 0;
        size_t start = at;
        if (!varint(length))
            return false;
        if (length > limit || length > size - at) {
            at = start;
            return length > limit ? false : outOfBytes();
        }
        out.assign(reinterpret_cast<const char*>(data + at), static_cast<size_t>(length));
        at += static_cast<size_t>(length);
        return true;
    }

private:
    bool outOfBytes() {
        shortOfBytes = true;
        return false;
    }

    const uint8_t* data;
    size_t size;
    size_t at = 0;
    bool shortOfBytes = false;
};

// What a failed read says: what was being read, and at which byte of the body.
bool fail(std::string& error, const std::string& what, size_t offset) {
    error = what + " (byte " + std::to_string(offset) + " of the record's body)";
    return false;
}

bool readHeader(Cursor& in, RecordHeader& header, std::string& error) {
    const std::string early = "the record ends inside its header";
    if (!in.text(MAX_LEVEL_NAME, header.level.name) || !in.text(MAX_LEVEL_TEXT, header.level.text))
        return fail(error,
                    in.ranOut() ? early : "the level's name or text is longer than a record takes",
                    in.offset());
    uint64_t seed = 0, rounds = 0, computers = 0;
    uint8_t difficulty = 0, seats = 0;
    if (!in.littleEndian(4, seed) || !in.varint(rounds) || !in.varint(computers) ||
        !in.byte(difficulty) || !in.byte(seats))
        return fail(error, early, in.offset());
    header.seed = static_cast<uint32_t>(seed);
    if (rounds < 1 || rounds > MAX_ROUNDS)
        return fail(error,
                    "rounds to win " + std::to_string(rounds) + " is not 1 to " +
                        std::to_string(MAX_ROUNDS),
                    in.offset());
    if (computers > static_cast<uint64_t>(MAX_PLAYERS) || difficulty > 2)
        return fail(error, "the computer tanks' number or difficulty is out of range", in.offset());
    if (seats > MAX_SEATS)
        return fail(error,
                    std::to_string(seats) + " seats: a record has at most " +
                        std::to_string(MAX_SEATS),
                    in.offset());
    header.settings.roundsToWin = static_cast<int>(rounds);
    header.settings.computerTanks = static_cast<int>(computers);
    header.settings.difficulty = static_cast<Difficulty>(difficulty);
    header.seats.assign(seats, RecordedSeat());
    for (RecordedSeat& seat : header.seats) {
        uint8_t kind = 0, seatDifficulty = 0;
        if (!in.byte(kind) || !in.text(MAX_SEAT_NAME, seat.name) || !in.byte(seatDifficulty))
            return fail(error, in.ranOut() ? early : "a seat's name is longer than a record takes",
                        in.offset());
        if (kind >= SEAT_KIND_COUNT || seatDifficulty > 2)
            return fail(error, "a seat of unknown kind or difficulty", in.offset());
        seat.kind = static_cast<SeatKind>(kind);
        seat.difficulty = static_cast<Difficulty>(seatDifficulty);
    }
    return true;
}

// The outcome of reading one entry.
enum class Read {
    OK,
    CUT,     // the body ends inside it
    CORRUPT, // `error` says why
};

class Decoder {
public:
    Decoder(Cursor& in, MatchRecord& record, std::string& error)
        : in(in), record(record), error(error), last(record.header.seats.size()) {
        for (uint32_t& bits : recent)
            bits = bitsOf(1.0f / 60);
    }

    // Reads entries until the end mark, the end of the body or a fault.
    bool run() {
        while (!in.atEnd()) {
            size_t start = in.offset();
            uint8_t tag = 0;
            in.byte(tag);
            Read read = entry(tag, start);
            if (read == Read::CORRUPT)
                return false;
            if (read == Read::CUT)
                return true; // what came before stands
            if (record.complete) {
                if (!in.atEnd())
                    return fail(error, "bytes follow the record's end mark", in.offset());
                return true;
            }
        }
        return true;
    }

private:
    Read corrupt(const std::string& what, size_t offset) {
        fail(error, what, offset);
        return Read::CORRUPT;
    }

    Read entry(uint8_t tag, size_t start) {
        if (tag <= RUN_LAST)
            return ticks(tag + 1, start);
        if ((tag >= TICK && tag <= TICK_LAST) || (tag >= NEAR_TICK && tag <= NEAR_TICK_LAST))
            return tick(tag, start);
        if (tag == HASH)
            return hash(start);
        if (tag == EDIT)
            return edit(start);
        if (tag == END)
            return end(start);
        return corrupt("an entry of unknown kind " + std::to_string(tag), start);
    }

    Read ticks(int count, size_t start) {
        if (record.tickCount() > MAX_TICKS - count)
            return corrupt("more ticks than a record may hold", start);
        record.dts.insert(record.dts.end(), static_cast<size_t>(count), floatOf(recent[0]));
        return Read::OK;
    }

    Read tick(uint8_t tag, size_t start) {
        int code = (tag >> DT_SHIFT) & 7;
        uint32_t dtBits = code < RECENT_DTS ? recent[code] : 0;
        if (tag >= NEAR_TICK) {
            code = NEW_MILLISECONDS;
            int64_t k =
                nearestMilliseconds(floatOf(recent[0])) + ((tag >> DT_SHIFT) & 15) + NEAR_LOW;
            if (k < 0 || k > MAX_MILLISECONDS)
                return corrupt("a tick lasts " + std::to_string(k) + " ms", start);
            dtBits = bitsOf(fromMilliseconds(k));
        } else if (code == NEW_MILLISECONDS) {
            uint64_t coded = 0;
            if (!in.varint(coded))
                return in.ranOut() ? Read::CUT : corrupt("a tick's dt does not read", start);
            int64_t k = nearestMilliseconds(floatOf(recent[0]));
            if (coded > static_cast<uint64_t>(2 * MAX_MILLISECONDS + 2))
                return corrupt("a tick's dt is out of range", start);
            k += unzigzag(coded);
            if (k < 0 || k > MAX_MILLISECONDS)
                return corrupt("a tick lasts " + std::to_string(k) + " ms, not 0 to " +
                                   std::to_string(MAX_MILLISECONDS),
                               start);
            dtBits = bitsOf(fromMilliseconds(k));
        } else if (code == NEW_DT) {
            uint64_t coded = 0;
            if (!in.varint(coded))
                return in.ranOut() ? Read::CUT : corrupt("a tick's dt does not read", start);
            int64_t bits = static_cast<int64_t>(recent[0]) + unzigzag(coded);
            if (bits < 0 || bits > 0xffffffffLL)
                return corrupt("a tick's dt does not read", start);
            dtBits = static_cast<uint32_t>(bits);
            float dt = floatOf(dtBits);
            if (!(dt >= 0.0f && dt <= MAX_DT))
                return corrupt("a tick lasts " + std::to_string(dt) + " s, not 0 to " +
                                   std::to_string(MAX_DT),
                               start);
        }
        size_t firstChange = record.changes.size();
        if (tag & TICK_CHANGES) {
            Read read = changes(start);
            if (read != Read::OK) {
                record.changes.resize(firstChange);
                return read;
            }
        }
        if (record.tickCount() >= MAX_TICKS)
            return corrupt("more ticks than a record may hold", start);
        for (size_t i = firstChange; i < record.changes.size(); ++i)
            last[static_cast<size_t>(record.changes[i].seat)] = record.changes[i].controls;
        record.dts.push_back(floatOf(dtBits));
        if (code >= RECENT_DTS)
            addRecent(recent, dtBits);
        else
            useRecent(recent, code);
        return Read::OK;
    }

    Read changes(size_t start) {
        uint8_t seats = 0;
        if (!in.byte(seats))
            return Read::CUT;
        if (seats == 0)
            return corrupt("a tick with changes names no seat", start);
        for (int seat = 0; seat < MAX_SEATS; ++seat) {
            if (!(seats & (1u << seat)))
                continue;
            if (seat >= static_cast<int>(record.header.seats.size()))
                return corrupt("a change for seat " + std::to_string(seat) + " of " +
                                   std::to_string(record.header.seats.size()),
                               start);
            SeatKind kind = record.header.seats[static_cast<size_t>(seat)].kind;
            if (kind != SeatKind::PAD && kind != SeatKind::KEYBOARD)
                return corrupt("a change for seat " + std::to_string(seat) + ", which is " +
                                   seatKindName(kind) + ": only pads and the keyboard are recorded",
                               start);
            ControlState controls = last[static_cast<size_t>(seat)];
            Read read = seatChange(controls, start);
            if (read != Read::OK)
                return read;
            if (controls == last[static_cast<size_t>(seat)])
                return corrupt("a seat's change changes nothing", start);
            record.changes.push_back(SeatChange{record.tickCount(), seat, controls});
        }
        return Read::OK;
    }

    Read value(float& value, float low, size_t start) {
        uint64_t coded = 0;
        if (!in.varint(coded))
            return in.ranOut() ? Read::CUT : corrupt("a control's value does not read", start);
        if (coded == controlcoding::BITS) {
            uint64_t bits = 0;
            if (!in.littleEndian(4, bits))
                return Read::CUT;
            value = floatOf(static_cast<uint32_t>(bits));
        } else if (!controlcoding::valueOf(coded, value, value)) {
            return corrupt("a control's value is out of range", start);
        }
        if (!(value >= low && value <= 1.0f))
            return corrupt("a control's value " + std::to_string(value) + " is out of range",
                           start);
        return Read::OK;
    }

    Read seatChange(ControlState& controls, size_t start) {
        uint8_t fields = 0;
        if (!in.byte(fields))
            return Read::CUT;
        if (fields == 0)
            return corrupt("a seat's change changes nothing", start);
        float* values[6] = {&controls.left.x,  &controls.left.y,   &controls.right.x,
                            &controls.right.y, &controls.triggerA, &controls.triggerB};
        for (int i = 0; i < 6; ++i) {
            if (!(fields & (1u << i)))
                continue;
            Read read = value(*values[i], i < 4 ? -1.0f : 0.0f, start);
            if (read != Read::OK)
                return read;
        }
        if (fields & BUTTONS) {
            uint64_t buttons = 0;
            if (!in.varint(buttons))
                return in.ranOut() ? Read::CUT : corrupt("a seat's buttons do not read", start);
            if (buttons > ALL_BUTTONS)
                return corrupt("a button beyond button 9 is pressed", start);
            controls.buttons = static_cast<uint16_t>(buttons);
        }
        if (fields & CONNECTED)
            controls.connected = !controls.connected;
        return Read::OK;
    }

    Read hash(size_t start) {
        uint64_t value = 0;
        if (!in.littleEndian(4, value))
            return Read::CUT;
        int tick = record.tickCount();
        if (!record.hashes.empty() && record.hashes.back().tick >= tick)
            return corrupt("two state hashes for tick " + std::to_string(tick), start);
        record.hashes.push_back(RecordedHash{tick, static_cast<uint32_t>(value)});
        return Read::OK;
    }

    Read edit(size_t start) {
        uint8_t kind = 0;
        uint64_t seat = 0, value = 0;
        if (!in.byte(kind) || !in.varint(seat) || !in.varint(value))
            return in.ranOut() ? Read::CUT : corrupt("an edit does not read", start);
        if (kind >= MatchEdit::KIND_COUNT || seat >= record.header.seats.size() || value > 255)
            return corrupt("an edit of unknown kind, for no seat, or out of range", start);
        MatchEdit edit;
        edit.kind = static_cast<MatchEdit::Kind>(kind);
        edit.seat = static_cast<int>(seat);
        edit.value = static_cast<int>(value);
        record.edits.push_back(TimedEdit{record.tickCount(), edit});
        return Read::OK;
    }

    Read end(size_t start) {
        uint64_t ticks = 0;
        if (!in.varint(ticks))
            return in.ranOut() ? Read::CUT : corrupt("the end mark does not read", start);
        if (ticks != static_cast<uint64_t>(record.tickCount()))
            return corrupt("the end mark counts " + std::to_string(ticks) + " ticks, the record " +
                               std::to_string(record.tickCount()),
                           start);
        record.complete = true;
        return Read::OK;
    }

    Cursor& in;
    MatchRecord& record;
    std::string& error;
    std::vector<ControlState> last; // per seat, as last recorded
    uint32_t recent[RECENT_DTS];    // the last four different dts' bits, latest first
};

} // namespace

Encoder::Encoder(const RecordHeader& header, std::string& out)
    : out(out), kept(header.seats.size()), last(header.seats.size()) {
    for (uint32_t& bits : recentDts)
        bits = bitsOf(1.0f / 60);
    putString(out, header.level.name);
    putString(out, header.level.text);
    putLittleEndian(out, header.seed, 4);
    putVarint(out, static_cast<uint64_t>(header.settings.roundsToWin));
    putVarint(out, static_cast<uint64_t>(header.settings.computerTanks));
    out.push_back(static_cast<char>(header.settings.difficulty));
    out.push_back(static_cast<char>(header.seats.size()));
    for (size_t i = 0; i < header.seats.size(); ++i) {
        const RecordedSeat& seat = header.seats[i];
        out.push_back(static_cast<char>(seat.kind));
        putString(out, seat.name);
        out.push_back(static_cast<char>(seat.difficulty));
        kept[i] = seat.kind == SeatKind::PAD || seat.kind == SeatKind::KEYBOARD;
    }
}

void Encoder::settle() {
    if (pendingRun > 0)
        out.push_back(static_cast<char>(pendingRun - 1));
    pendingRun = 0;
}

void Encoder::tick(float dt, const std::vector<ControlState>& controls) {
    uint8_t changed = 0;
    for (size_t seat = 0; seat < kept.size() && seat < controls.size(); ++seat)
        if (kept[seat] && controls[seat] != last[seat])
            changed = static_cast<uint8_t>(changed | (1u << seat));
    uint32_t dtBits = bitsOf(dt);
    int code = 0;
    while (code < RECENT_DTS && recentDts[code] != dtBits)
        ++code;
    if (code == RECENT_DTS) {
        int64_t k = nearestMilliseconds(dt);
        code = bitsOf(fromMilliseconds(k)) == dtBits ? NEW_MILLISECONDS : NEW_DT;
    }
    ++tickCount;
    if (changed == 0 && code == 0) {
        if (++pendingRun == LONGEST_RUN)
            settle();
        return;
    }
    settle();
    int64_t step = code == NEW_MILLISECONDS
                       ? nearestMilliseconds(dt) - nearestMilliseconds(floatOf(recentDts[0]))
                       : 0;
    if (code == NEW_MILLISECONDS && step >= NEAR_LOW && step <= NEAR_HIGH) {
        out.push_back(static_cast<char>(NEAR_TICK | (step - NEAR_LOW) << DT_SHIFT |
                                        (changed ? TICK_CHANGES : 0)));
        addRecent(recentDts, dtBits);
        code = -1; // written
    } else {
        out.push_back(static_cast<char>(TICK | code << DT_SHIFT | (changed ? TICK_CHANGES : 0)));
    }
    if (code == NEW_DT) {
        putVarint(out, zigzag(static_cast<int64_t>(dtBits) - static_cast<int64_t>(recentDts[0])));
        addRecent(recentDts, dtBits);
    } else if (code == NEW_MILLISECONDS) {
        putVarint(out, zigzag(step));
        addRecent(recentDts, dtBits);
    } else if (code >= 0) {
        useRecent(recentDts, code);
    }
    if (!changed)
        return;
    out.push_back(static_cast<char>(changed));
    for (size_t seat = 0; seat < kept.size(); ++seat) {
        if (!(changed & (1u << seat)))
            continue;
        putControls(last[seat], controls[seat]);
        last[seat] = controls[seat];
    }
}

void Encoder::putControls(const ControlState& before, const ControlState& after) {
    const float from[6] = {before.left.x,  before.left.y,   before.right.x,
                           before.right.y, before.triggerA, before.triggerB};
    const float to[6] = {after.left.x,  after.left.y,   after.right.x,
                         after.right.y, after.triggerA, after.triggerB};
    uint8_t fields = 0;
    for (int i = 0; i < 6; ++i)
        if (!sameBits(from[i], to[i]))
            fields = static_cast<uint8_t>(fields | (1u << i));
    if (before.buttons != after.buttons)
        fields |= BUTTONS;
    if (before.connected != after.connected)
        fields |= CONNECTED;
    out.push_back(static_cast<char>(fields));
    for (int i = 0; i < 6; ++i)
        if (fields & (1u << i))
            putValue(out, from[i], to[i]);
    if (fields & BUTTONS)
        putVarint(out, after.buttons);
}

void Encoder::edit(const MatchEdit& edit) {
    settle();
    out.push_back(static_cast<char>(EDIT));
    out.push_back(static_cast<char>(edit.kind));
    putVarint(out, static_cast<uint64_t>(edit.seat));
    putVarint(out, static_cast<uint64_t>(edit.value));
}

void Encoder::hash(uint64_t hash) {
    settle();
    out.push_back(static_cast<char>(HASH));
    putLittleEndian(out, hash & 0xffffffffu, 4);
}

void Encoder::end() {
    settle();
    out.push_back(static_cast<char>(END));
    putVarint(out, static_cast<uint64_t>(tickCount));
}

bool decode(const uint8_t* data, size_t size, MatchRecord& record, std::string& error) {
    Cursor in(data, size);
    std::string version = record.header.gameVersion;
    record = MatchRecord();
    record.header.gameVersion = version;
    if (!readHeader(in, record.header, error))
        return false;
    Decoder decoder(in, record, error);
    return decoder.run();
}

} // namespace recordcodec

#include <gtest/gtest.h>

#include <cmath>
#include <zstd.h>

#include "replay/recordcodec.h"
#include "replay/recordfile.h"
#include "replaytesting.h"

namespace {

using namespace replaytest;

const std::string VERSION = "9.8.7-test";

float randomValue(TestRandom& random, float low) {
    switch (random.below(6)) {
    case 0: // what pads report
        return static_cast<float>(random.below(65537) - 32768) / 32768.0f * (low < 0 ? 1 : 0.5f) +
               (low < 0 ? 0 : 0.5f);
    case 1:
        return -0.0f;
    case 2:
        return 1.0f;
    case 3:
        return low;
    default: // anything in range, to the last bit
        return low + random.unit() * (1.0f - low);
    }
}

float randomDt(TestRandom& random, float last) {
    switch (random.below(6)) {
    case 0:
    case 1:
        return last;
    case 2:
        return static_cast<float>((14 + random.below(6)) / 1000.0); // the game's clock
    case 3:
        return static_cast<float>(random.below(3600001) / 1000.0);
    case 4:
        return random.below(2) ? 1.0f / 60 : 0.0f;
    default:
        return random.unit() * recordcodec::MAX_DT;
    }
}

// A record of random seats, ticks, changes, edits and hashes, as a recorder could make one.
MatchRecord randomRecord(TestRandom& random) {
    MatchRecord r;
    RecordHeader& h = r.header;
    h.gameVersion = VERSION;
    h.level.name = random.below(3) ? "Level " + std::to_string(random.next()) : "";
    for (int i = random.below(300); i > 0; --i)
        h.level.text.push_back(static_cast<char>(random.next()));
    h.seed = random.next();
    h.settings.roundsToWin = 1 + random.below(recordcodec::MAX_ROUNDS);
    h.settings.computerTanks = random.below(MAX_PLAYERS + 1);
    h.settings.difficulty = static_cast<Difficulty>(random.below(3));
    for (int i = random.below(recordcodec::MAX_SEATS + 1); i > 0; --i) {
        RecordedSeat seat;
        seat.kind = static_cast<SeatKind>(random.below(SEAT_KIND_COUNT));
        seat.name = "Pad \xc3\xa9" + std::to_string(random.below(100));
        seat.difficulty = static_cast<Difficulty>(random.below(3));
        h.seats.push_back(seat);
    }
    std::vector<ControlState> controls(h.seats.size());
    float dt = 1.0f / 60;
    int ticks = random.below(400);
    for (int t = 0; t <= ticks; ++t) {
        if (random.below(20) == 0)
            r.hashes.push_back({t, random.next()});
        if (random.below(30) == 0 && !h.seats.empty()) { // after the last tick too
            MatchEdit edit{static_cast<MatchEdit::Kind>(random.below(MatchEdit::KIND_COUNT)),
                           random.below(static_cast<int>(h.seats.size())), random.below(256)};
            r.edits.push_back({t, edit});
        }
        if (t == ticks)
            break;
        for (size_t s = 0; s < h.seats.size(); ++s) {
            if (h.seats[s].kind != SeatKind::PAD && h.seats[s].kind != SeatKind::KEYBOARD)
                continue;
            if (random.below(4) != 0)
                continue;
            ControlState c = controls[s];
            float* fields[6] = {&c.left.x,  &c.left.y,   &c.right.x,
                                &c.right.y, &c.triggerA, &c.triggerB};
            for (int f = 0; f < 6; ++f)
                if (random.below(3) == 0)
                    *fields[f] = randomValue(random, f < 4 ? -1.0f : 0.0f);
            if (random.below(3) == 0)
                c.buttons = static_cast<uint16_t>(random.below(1024));
            if (random.below(8) == 0)
                c.connected = !c.connected;
            if (c != controls[s])
                r.changes.push_back({t, static_cast<int>(s), c});
            controls[s] = c;
        }
        dt = randomDt(random, dt);
        r.dts.push_back(dt);
    }
    r.complete = random.below(4) != 0;
    return r;
}

// Everything a reader gives back, compared bit for bit.
void expectSameRecord(const MatchRecord& a, const MatchRecord& b) {
    const RecordHeader &x = a.header, &y = b.header;
    EXPECT_TRUE(x.gameVersion == y.gameVersion && x.level.name == y.level.name &&
                x.level.text == y.level.text && x.seed == y.seed &&
                x.settings.roundsToWin == y.settings.roundsToWin &&
                x.settings.computerTanks == y.settings.computerTanks &&
                x.settings.difficulty == y.settings.difficulty && a.complete == b.complete);
    ASSERT_EQ(x.seats.size(), y.seats.size());
    for (size_t i = 0; i < x.seats.size(); ++i)
        EXPECT_TRUE(x.seats[i].kind == y.seats[i].kind && x.seats[i].name == y.seats[i].name &&
                    x.seats[i].difficulty == y.seats[i].difficulty);
    ASSERT_EQ(a.dts.size(), b.dts.size());
    EXPECT_EQ(std::memcmp(a.dts.data(), b.dts.data(), a.dts.size() * sizeof(float)), 0);
    ASSERT_EQ(a.changes.size(), b.changes.size());
    for (size_t i = 0; i < a.changes.size(); ++i)
        EXPECT_TRUE(a.changes[i].tick == b.changes[i].tick &&
                    a.changes[i].seat == b.changes[i].seat &&
                    a.changes[i].controls == b.changes[i].controls)
            << "change " << i;
    ASSERT_EQ(a.edits.size(), b.edits.size());
    for (size_t i = 0; i < a.edits.size(); ++i)
        EXPECT_TRUE(a.edits[i].tick == b.edits[i].tick &&
                    a.edits[i].edit.kind == b.edits[i].edit.kind &&
                    a.edits[i].edit.seat == b.edits[i].edit.seat &&
                    a.edits[i].edit.value == b.edits[i].edit.value);
    ASSERT_EQ(a.hashes.size(), b.hashes.size());
    for (size_t i = 0; i < a.hashes.size(); ++i)
        EXPECT_TRUE(a.hashes[i].tick == b.hashes[i].tick && a.hashes[i].hash == b.hashes[i].hash);
}

bool readBytes(const std::string& bytes, MatchRecord& record, std::string& error) {
    return readRecordBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), VERSION,
                           record, error);
}

// Writes `record` as the recorder does, flushing a block every `every` ticks; the file's size
// after each flush goes into `flushedSizes` with the ticks it then held.
void writeLikeTheRecorder(const MatchRecord& record, const std::string& path, int every,
                          std::vector<std::pair<size_t, int>>* flushedSizes = nullptr) {
    // (Only a complete record is finished, which compresses it.)
    RecordWriter writer;
    std::string error;
    ASSERT_TRUE(writer.open(path, record.header, error)) << error;
    std::vector<ControlState> controls(record.header.seats.size());
    size_t change = 0, edit = 0, hash = 0;
    for (int t = 0; t <= record.tickCount(); ++t) {
        for (; hash < record.hashes.size() && record.hashes[hash].tick == t; ++hash)
            writer.hash(record.hashes[hash].hash);
        for (; edit < record.edits.size() && record.edits[edit].tick == t; ++edit)
            writer.edit(record.edits[edit].edit);
        if (t == record.tickCount())
            break;
        for (; change < record.changes.size() && record.changes[change].tick == t; ++change)
            controls[static_cast<size_t>(record.changes[change].seat)] =
                record.changes[change].controls;
        writer.tick(record.dts[static_cast<size_t>(t)], controls);
        if ((t + 1) % every == 0) {
            ASSERT_TRUE(writer.flush(error)) << error;
            if (flushedSizes)
                flushedSizes->push_back({writer.bytesWritten(), t + 1});
        }
    }
    if (record.complete)
        ASSERT_TRUE(writer.finish(error)) << error;
    else
        ASSERT_TRUE(writer.flush(error)) << error; // and left open, as by a game that stopped
}

// Random records, written in memory and by the writer block by block, read back the same:
// every dt, control and hash to the bit, the seats and the level whatever their bytes.
TEST(RecordFile, RandomRecordsReadBackBitForBit) {
    RunFolder scratch(false);
    TestRandom random(11);
    for (int n = 0; n < 150; ++n) {
        SCOPED_TRACE("record " + std::to_string(n));
        MatchRecord record = randomRecord(random);
        MatchRecord back;
        std::string error;
        ASSERT_TRUE(readBytes(recordFileBytes(record), back, error)) << error;
        expectSameRecord(record, back);

        std::string path = scratch.file("r.qrec");
        writeLikeTheRecorder(record, path, 1 + random.below(90));
        MatchRecord fromFile;
        ASSERT_TRUE(readRecordFile(path, VERSION, fromFile, error)) << error;
        expectSameRecord(record, fromFile);
    }
}

// What a reader makes of every beginning of a file: a refusal while the header is cut (and
// never once ticks were read), else a beginning of the record's ticks with the changes and
// hashes of those ticks, never more, complete only when its end mark is there.
void expectEveryCutReadsAsFarAsItGoes(const MatchRecord& record, const std::string& whole,
                                      const std::vector<std::pair<size_t, int>>& flushed) {
    int previousTicks = 0;
    for (size_t length = 0; length <= whole.size(); ++length) {
        SCOPED_TRACE("cut at byte " + std::to_string(length));
        MatchRecord cut;
        std::string error;
        if (!readBytes(whole.substr(0, length), cut, error)) {
            EXPECT_EQ(previousTicks, 0) << "refused after ticks were read: " << error;
            EXPECT_TRUE(error.find("ends inside its header") != std::string::npos ||
                        error.find("not a Quorl match record") != std::string::npos)
                << error;
            continue;
        }
        if (cut.complete) { // only the compressed stream's own end (its checksum) may be cut
            EXPECT_EQ(cut.tickCount(), record.tickCount());
            EXPECT_EQ(cut.hashes.size(), record.hashes.size());
        }
        ASSERT_LE(cut.tickCount(), record.tickCount());
        EXPECT_GE(cut.tickCount(), previousTicks);
        previousTicks = cut.tickCount();
        for (const auto& [size, ticks] : flushed) {
            if (length >= size) {
                EXPECT_GE(cut.tickCount(), ticks) << "a flushed block was lost";
            }
        }
        for (int t = 0; t < cut.tickCount(); ++t)
            ASSERT_TRUE(
                sameBits(cut.dts[static_cast<size_t>(t)], record.dts[static_cast<size_t>(t)]));
        ASSERT_LE(cut.changes.size(), record.changes.size());
        for (size_t i = 0; i < cut.changes.size(); ++i) {
            EXPECT_LT(cut.changes[i].tick, cut.tickCount());
            EXPECT_TRUE(cut.changes[i].controls == record.changes[i].controls);
        }
        ASSERT_LE(cut.hashes.size(), record.hashes.size());
        for (size_t i = 0; i < cut.hashes.size(); ++i)
            EXPECT_EQ(cut.hashes[i].hash, record.hashes[i].hash);
    }
    EXPECT_EQ(previousTicks, record.tickCount());
}

// A record being written, cut anywhere (as by a game that stops), keeps every block flushed
// before the cut: the game loses only what came after its last flush. A finished record,
// compressed, cut anywhere, still reads as far as it goes or not at all.
TEST(RecordFile, ARecordCutAnywhereReadsUpToWhereItEnds) {
    RunFolder scratch(false);
    TestRandom random(5);
    MatchRecord record = randomRecord(random);
    while (record.tickCount() < 200 || record.header.seats.size() < 2)
        record = randomRecord(random);
    record.complete = false;
    std::vector<std::pair<size_t, int>> flushed;
    writeLikeTheRecorder(record, scratch.file("live.qrec"), 20, &flushed);
    ASSERT_GE(flushed.size(), 10u);
    expectEveryCutReadsAsFarAsItGoes(record, fileBytes(scratch.file("live.qrec")), flushed);

    record.complete = true;
    writeLikeTheRecorder(record, scratch.file("done.qrec"), 20);
    std::string done = fileBytes(scratch.file("done.qrec"));
    EXPECT_LT(done.size(), fileBytes(scratch.file("live.qrec")).size()) << "compressed";
    expectEveryCutReadsAsFarAsItGoes(record, done, {});
}

// The bytes of a literal, zeros included.
template <size_t N> std::string raw(const char (&bytes)[N]) {
    return std::string(bytes, N - 1);
}

// The file of a body made by hand, as the writer frames it.
std::string fileOfBody(const std::string& body, const std::string& version = VERSION) {
    MatchRecord empty;
    empty.header.gameVersion = version;
    std::string bytes = recordFileBytes(empty);
    size_t prefix = sizeof RECORD_MAGIC + 4 + version.size(); // ... and the body's kind
    std::string compressed(ZSTD_compressBound(body.size()), '\0');
    size_t size = ZSTD_compress(compressed.data(), compressed.size(), body.data(), body.size(), 3);
    return bytes.substr(0, prefix) + compressed.substr(0, size);
}

// A header of one pad and one computer seat on the default cube, as bytes.
std::string headerBytes() {
    return raw("\x00\x00")           // level name and text
           + raw("\x07\x00\x00\x00") // seed
           + raw("\x01\x01\x01\x02") // rounds, computers, difficulty, seats
           + raw("\x01\x03Pad\x01")  // a pad
           + raw("\x03\x03"
                 "Bot\x02"); // a computer player
}

// Another game's or format's records, files that are not records, and records broken in any
// byte are refused, saying what is wrong: the versions (both), where in the body, what.
TEST(RecordFile, BrokenAndForeignRecordsAreRefusedSayingWhatIsWrong) {
    TestRandom random(8);
    MatchRecord record = randomRecord(random);
    while (record.tickCount() < 50)
        record = randomRecord(random);
    record.complete = true;
    std::string good = recordFileBytes(record);
    MatchRecord out;
    std::string error;
    ASSERT_TRUE(readBytes(good, out, error)) << error;

    auto refused = [&](const std::string& bytes, const std::string& says) {
        std::string why;
        MatchRecord r;
        EXPECT_FALSE(readBytes(bytes, r, why)) << says;
        EXPECT_NE(why.find(says), std::string::npos) << why;
        return why;
    };
    refused("", "not a Quorl match record");
    refused("level 3 28\n", "not a Quorl match record");
    refused(good.substr(0, 9), "ends inside its header");

    MatchRecord older = record;
    older.header.gameVersion = "0.0.9";
    std::string why = refused(recordFileBytes(older), "recorded by Quorl 0.0.9");
    EXPECT_NE(why.find("this is Quorl " + VERSION), std::string::npos) << why;
    std::string otherFormat = good;
    otherFormat[sizeof RECORD_MAGIC] = 1; // the format before hashes were cut to 32 bits
    why = refused(otherFormat, "record format 1 (written by Quorl " + VERSION + ")");
    EXPECT_NE(why.find("replays record format 2"), std::string::npos) << why;

    refused(good + "x", "bytes follow its compressed body");
    // Any one byte of the compressed body changed: the stream's checksum or its structure
    // gives it away, unless the change leaves what it decompresses to as it was (a bit the
    // stream does not use).
    size_t bodyStart = sizeof RECORD_MAGIC + 4 + VERSION.size();
    int unchanged = 0;
    for (size_t i = bodyStart; i < good.size(); ++i) {
        std::string broken = good;
        broken[i] = static_cast<char>(broken[i] ^ (1 << (i % 8)));
        MatchRecord r;
        std::string e;
        if (readBytes(broken, r, e)) {
            SCOPED_TRACE("byte " + std::to_string(i) + " changed unseen");
            expectSameRecord(record, r);
            ++unchanged;
        }
    }
    EXPECT_LT(unchanged, 3);

    // Bodies that break the format's rules.
    std::string header = headerBytes();
    ASSERT_TRUE(readBytes(fileOfBody(header + raw("\xc2\x00")), out, error)) << error;
    EXPECT_TRUE(out.complete);
    ASSERT_EQ(out.header.seats.size(), 2u);
    EXPECT_EQ(out.header.seats[1].kind, SeatKind::COMPUTER);
    refused(fileOfBody(header.substr(0, 12)), "ends inside its header");
    refused(fileOfBody(header + raw("\xd0")), "an entry of unknown kind 208");
    refused(fileOfBody(header + raw("\x81\x02\x01\x02")), "a change for seat 1, which is computer");
    refused(fileOfBody(header + raw("\x81\x01\x00")), "a seat's change changes nothing");
    refused(fileOfBody(header + raw("\x81\x01\x01\x00")), "a seat's change changes nothing");
    refused(fileOfBody(header + raw("\x81\x01\x01\x84\xf1\x04")), "value is out of range");
    refused(fileOfBody(header + raw("\x81\x01\x10\x04\x00\x00\x80\xbf")), "is out of range");
    refused(fileOfBody(header + raw("\x81\x01\x40\x80\x10")), "a button beyond button 9");
    refused(fileOfBody(header + raw("\x88\xe0\xb9\xb7\x03")), "a tick lasts 3600001 ms");
    refused(fileOfBody(header + raw("\x8a\x80\x80\x80\x80\x07")), "a tick lasts");
    refused(fileOfBody(header + raw("\x05\xc2\x05")), "the end mark counts 5 ticks, the record 6");
    refused(fileOfBody(header + raw("\xc2\x00\x00")), "bytes follow the record's end mark");
    refused(fileOfBody(header + raw("\xc0\0\0\0\0\xc0\0\0\0\0")), "two state hashes for tick 0");
    std::string nineSeats = header;
    nineSeats[9] = 9;
    refused(fileOfBody(nineSeats), "9 seats: a record has at most 8");
    refused(fileOfBody(raw("\xff\xff\xff\xff\x0f")), "longer than a record takes");
}

} // namespace

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>

#include "entities/tank.h"
#include "math/randomsource.h"
#include "replay/computerseats.h"
#include "replay/matchrecorder.h"
#include "replay/matchreplay.h"
#include "replay/replaypace.h"
#include "replay/statehash.h"
#include "replaytesting.h"
#include "world/world.h"

namespace {

using namespace replaytest;

const std::string VERSION = "replay-test";

// The game's clock: whole milliseconds, 16 or 17 of them, now and then a slow frame.
float clockDt(int t) {
    int ms = t % 3 == 2 ? 16 : 17;
    if (t % 97 == 50)
        ms = 41;
    return static_cast<float>(ms / 1000.0);
}

std::shared_ptr<MatchRecord> readBack(const std::string& path) {
    auto record = std::make_shared<MatchRecord>();
    std::string error;
    EXPECT_TRUE(readRecordFile(path, VERSION, *record, error)) << error;
    return record;
}

// Per tick, per seat: whether the seat's tank could turn in that tick (alive, not stunned, no
// layer turning).
using Turnable = std::vector<std::vector<bool>>;

// Plays `ticks` ticks of a six-pad match on the real clock's dts, recording it; an edit (a
// tank left with one point) on the way. The hash after every tick goes into `hashes`.
void recordMatch(const std::string& path, int ticks, std::vector<uint64_t>* hashes = nullptr,
                 Turnable* turnable = nullptr) {
    HeadlessMatch m(6, 1234);
    MatchRecorder recorder(*m.match, path, VERSION);
    ASSERT_FALSE(recorder.failed()) << recorder.failure();
    if (hashes)
        hashes->push_back(hashMatchState(*m.match));
    for (int t = 0; t < ticks; ++t) {
        recorder.beforeTick();
        if (t == 333) {
            std::string error;
            MatchEdit edit{MatchEdit::Kind::SET_HEALTH, 4, 1};
            ASSERT_TRUE(applyMatchEdit(*m.match, edit, error)) << error;
            recorder.noteEdit(edit);
        }
        if (turnable) {
            turnable->emplace_back();
            for (const auto& seat : m.seats)
                turnable->back().push_back(seat->tank && seat->tank->getHealth() > 0 &&
                                           seat->tank->stunTime <= 0 &&
                                           !m.match->world->isRotating);
        }
        m.tick(t, clockDt(t));
        recorder.afterTick(clockDt(t));
        if (hashes)
            hashes->push_back(hashMatchState(*m.match));
    }
    recorder.finish();
    ASSERT_FALSE(recorder.failed()) << recorder.failure();
}

// A six-pad match on the real clock, with unplugging, items, layer turns and an edit, recorded
// as it is played: its replay passes through exactly the states the match did, tick by tick
// (not only where the record keeps a hash), and the verifier agrees with every recorded hash.
TEST(Replay, ARecordedMatchReplaysThroughTheSameStatesTickByTick) {
    RunFolder scratch(false);
    std::vector<uint64_t> played;
    recordMatch(scratch.file("m.qrec"), 1510, &played);
    std::shared_ptr<MatchRecord> record = readBack(scratch.file("m.qrec"));
    ASSERT_TRUE(record->complete);
    EXPECT_EQ(record->tickCount(), 1510);
    ASSERT_EQ(record->hashes.size(), 27u); // the start, every 60 ticks, the end
    EXPECT_EQ(record->hashes.front().tick, 0);
    EXPECT_EQ(record->hashes.back().tick, 1510);
    ASSERT_EQ(record->edits.size(), 1u);
    EXPECT_EQ(record->edits[0].tick, 333);

    std::string error;
    std::unique_ptr<MatchReplay> replay = MatchReplay::open(record, error);
    ASSERT_TRUE(replay) << error;
    std::unique_ptr<Match> match;
    std::vector<std::unique_ptr<Seat>> seats;
    quietly([&] {
        match = replay->newMatch(error);
        for (int i = 0; i < 6; ++i) {
            seats.push_back(std::make_unique<Seat>(replay->source(i)));
            match->addSeat(seats.back().get());
        }
        match->seatTanks();
    });
    ASSERT_TRUE(replay->begin(*match, error)) << error;
    EXPECT_EQ(hashMatchState(*match), played[0]);
    EXPECT_EQ(replay->source(0)->name(), "Test Pad 1");
    bool turned = false, unplugged = false;
    for (int t = 0; t < 1510; ++t) {
        quietly([&] { replay->step(*match); });
        turned = turned || match->world->isRotating;
        unplugged = unplugged || !match->controls[2].connected;
        ASSERT_EQ(hashMatchState(*match), played[static_cast<size_t>(t) + 1]) << "tick " << t;
    }
    EXPECT_TRUE(turned && unplugged);
    EXPECT_TRUE(replay->atEnd());
    EXPECT_FALSE(replay->differs()) << replay->differenceText();
    EXPECT_EQ(replay->hashesChecked(), 27);
    EXPECT_EQ(seats[4]->tank->getHealth() <= 1, true) << "the edit was made again";
    match.reset();

    Verification verdict;
    quietly([&] { ASSERT_TRUE(verifyRecord(record, verdict, error)) << error; });
    EXPECT_FALSE(verdict.differs) << verdict.difference;
    EXPECT_EQ(verdict.ticks, 1510);
    EXPECT_EQ(verdict.hashesChecked, 27);
}

// A fault planted in a record, however small (a dt one float step longer, a turning stick a
// 32768th further), is found at the first recorded hash after it, with the last one before it
// agreeing.
TEST(Replay, APlantedFaultIsFoundAtTheFirstHashAfterIt) {
    RunFolder scratch(false);
    Turnable turnable;
    recordMatch(scratch.file("m.qrec"), 900, nullptr, &turnable);
    std::shared_ptr<MatchRecord> record = readBack(scratch.file("m.qrec"));
    // The first change from tick 700 on that turns a tank with the stick three quarters over.
    size_t turning = 0;
    // (Free before and after the tick: a layer turn another seat starts in it stops the turn.)
    auto turns = [&](const SeatChange& c) {
        size_t t = static_cast<size_t>(c.tick), seat = static_cast<size_t>(c.seat);
        return c.tick >= 700 && std::fabs(c.controls.left.x) == 0.75f && turnable[t][seat] &&
               turnable[t + 1][seat];
    };
    while (turning < record->changes.size() && !turns(record->changes[turning]))
        ++turning;
    ASSERT_LT(turning, record->changes.size());

    struct Plant {
        const char* what;
        int tick;
        std::function<void(MatchRecord&)> change;
    };
    std::vector<Plant> plants = {
        {"a longer dt", 500, [](MatchRecord& r) { r.dts[500] = std::nextafter(r.dts[500], 1.0f); }},
        {"a stick further", record->changes[turning].tick,
         [turning](MatchRecord& r) { r.changes[turning].controls.left.x *= 1 + 1.0f / 32768; }},
    };
    for (const Plant& plant : plants) {
        SCOPED_TRACE(plant.what);
        auto planted = std::make_shared<MatchRecord>(*record);
        plant.change(*planted);
        int at = plant.tick;
        Verification verdict;
        std::string error;
        quietly([&] { ASSERT_TRUE(verifyRecord(planted, verdict, error)) << error; });
        ASSERT_TRUE(verdict.differs);
        // The state after tick `at` + 1 is the first to differ; hashes come every 60 ticks.
        int firstHash = (at + 1 + 59) / 60 * 60;
        EXPECT_EQ(verdict.firstDifferentTick, firstHash);
        EXPECT_EQ(verdict.lastAgreeingTick, firstHash - 60);
        EXPECT_LT(verdict.ticks, 900) << "the verifier stops at the first difference";
    }
}

// The record reaches its file a block at a time, at least every second of match time (every
// 60 ticks at 60 a second, more often when ticks are slow): read while the match still runs,
// it holds every tick but those of the last second.
TEST(Replay, ARecordBeingWrittenHoldsAllButItsLastSecond) {
    RunFolder scratch(false);
    for (float dt : {1.0f / 60, 0.1f}) {
        SCOPED_TRACE(dt);
        HeadlessMatch m(2, 9);
        std::string path = scratch.file("live.qrec");
        auto recorder = std::make_unique<MatchRecorder>(*m.match, path, VERSION);
        for (int t = 0; t < 250; ++t) {
            recorder->beforeTick();
            m.tick(t, dt);
            recorder->afterTick(dt);
            MatchRecord sofar;
            std::string error;
            ASSERT_TRUE(readRecordFile(path, VERSION, sofar, error)) << error;
            EXPECT_FALSE(sofar.complete);
            EXPECT_GE((t + 1 - sofar.tickCount()) * dt, 0.0f);
            EXPECT_LT((t + 1 - sofar.tickCount()) * dt, 1.0f) << "after tick " << t;
        }
        recorder.reset(); // finishes it
        EXPECT_TRUE(readBack(path)->complete);
    }
}

// A computer player, which the record names but does not record.
class TestBot : public InputSource {
public:
    TestBot(Match& match, int seat) : match(match), seat(seat) {}
    void update() override {
        // Draws from the match's random source, like any computer player would.
        Tank* tank = match.seats[static_cast<size_t>(seat)]->tank;
        int choice = randomSource.randomInt(0, 3);
        controls = ControlState();
        controls.connected = true;
        controls.left.y = tank && tank->position.length() > 0 ? -1.0f : 0.0f;
        controls.left.x = choice == 0 ? 1.0f : 0.0f;
        controls.triggerA = choice == 1 ? 1.0f : 0.0f;
    }
    StickPosition leftStick() const override { return controls.left; }
    StickPosition rightStick() const override { return controls.right; }
    float triggerA() const override { return controls.triggerA; }
    float triggerB() const override { return controls.triggerB; }
    bool button(int index) const override { return controls.button(index); }
    bool connected() const override { return true; }
    std::string name() const override { return "Test Bot"; }
    const char* kind() const override { return "computer"; }

private:
    Match& match;
    int seat;
    ControlState controls;
};

// A computer player is named in the record and made again to replay it, from the same world
// and random source: its controls are not in the record, and the replay agrees. While no
// computer player can be made, such a record is refused, saying which player.
TEST(Replay, AComputerPlayerIsMadeAgainNotRecorded) {
    RunFolder scratch(false);
    {
        HeadlessMatch m(2, 31);
        auto bot = std::make_unique<TestBot>(*m.match, 2);
        Seat botSeat(bot.get());
        m.match->addSeat(&botSeat);
        quietly([&] { m.match->seatTanks(); });
        MatchRecorder recorder(*m.match, scratch.file("bot.qrec"), VERSION);
        for (int t = 0; t < 600; ++t) {
            recorder.beforeTick();
            m.tick(t);
            recorder.afterTick(TICK);
        }
        recorder.finish();
        m.match.reset();
    }
    std::shared_ptr<MatchRecord> record = readBack(scratch.file("bot.qrec"));
    ASSERT_EQ(record->header.seats.size(), 3u);
    EXPECT_EQ(record->header.seats[2].kind, SeatKind::COMPUTER);
    for (const SeatChange& change : record->changes)
        EXPECT_NE(change.seat, 2) << "a computer player's controls were recorded";

    installComputerPlayerMaker(nullptr);
    std::string error;
    Verification verdict;
    EXPECT_FALSE(verifyRecord(record, verdict, error));
    EXPECT_NE(error.find("player 3 is a computer player"), std::string::npos) << error;

    installComputerPlayerMaker([](Match& match, int seat, Difficulty) {
        return std::unique_ptr<InputSource>(new TestBot(match, seat));
    });
    quietly([&] { EXPECT_TRUE(verifyRecord(record, verdict, error)) << error; });
    EXPECT_FALSE(verdict.differs) << verdict.difference;
    EXPECT_EQ(verdict.hashesChecked, 11);
    installComputerPlayerMaker(nullptr);
}

// Paused, nothing plays but the steps asked for; 1/4 to 8 ticks a frame, the slow speeds
// exactly every few frames; the speed stays within its range however often it is pushed.
TEST(ReplayPace, PauseStepsAndSpeedsPlayTheRightTicks) {
    ReplayPace pace;
    auto frames = [&](int n) {
        std::vector<int> ticks;
        for (int i = 0; i < n; ++i)
            ticks.push_back(pace.ticksThisFrame());
        return ticks;
    };
    EXPECT_FALSE(pace.changed());
    EXPECT_EQ(frames(3), (std::vector<int>{1, 1, 1}));
    pace.stepOnce(); // not paused: nothing to step
    EXPECT_EQ(frames(1), (std::vector<int>{1}));
    pace.togglePause();
    EXPECT_TRUE(pace.changed());
    EXPECT_EQ(frames(2), (std::vector<int>{0, 0}));
    pace.stepOnce();
    pace.stepOnce();
    EXPECT_EQ(frames(2), (std::vector<int>{2, 0}));
    pace.togglePause();
    for (int i = 0; i < 5; ++i)
        pace.faster();
    EXPECT_EQ(pace.speed(), 8.0f);
    EXPECT_EQ(frames(2), (std::vector<int>{8, 8}));
    for (int i = 0; i < 10; ++i)
        pace.slower();
    EXPECT_EQ(pace.speed(), 0.25f);
    EXPECT_EQ(frames(12), (std::vector<int>{0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1}));
    pace.faster();
    EXPECT_EQ(frames(4), (std::vector<int>{0, 1, 0, 1}));
    pace.faster();
    EXPECT_FALSE(pace.changed());
}

} // namespace

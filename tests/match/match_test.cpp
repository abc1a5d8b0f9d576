#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "entities/tank.h"
#include "match/match.h"
#include "math/randomsource.h"
#include "world/world.h"

namespace {

constexpr float TICK = 1.0f / 60; // seconds

// A seat nobody drives: its tank stands where the round put it.
struct IdleSeat : Seat {
    IdleSeat() : Seat(nullptr) {}
};

// Three idle seats at a match on the default cube, the tanks' start-up lines swallowed.
struct ThreeSeats {
    explicit ThreeSeats(int roundsToWin) : match(LevelSource(), MatchSettings{roundsToWin}) {
        for (IdleSeat& seat : seats)
            match.addSeat(&seat);
        quietly([&] { match.seatTanks(); });
    }
    template <typename F> static void quietly(F f) {
        testing::internal::CaptureStdout();
        f();
        testing::internal::GetCapturedStdout();
    }
    void destroy(int seat) {
        seats[seat].tank->health = 1;
        quietly([&] { seats[seat].tank->hit(); });
    }
    // Ticks until the match asks for something other than play; at most `limit` ticks.
    Match::Step runUntilStep(int limit) {
        Match::Step step = Match::Step::PLAYING;
        for (int t = 0; t < limit && step == Match::Step::PLAYING; ++t)
            quietly([&] { step = match.tick(TICK); });
        return step;
    }
    IdleSeat seats[3]; // before the match, which lets go of them when it ends
    Match match;
};

// A round is decided when one seat is left; after its countdown a match of several rounds builds
// a new world with every seat back at full health, a round in which the last tanks go together
// is won by nobody, and the match is over when one seat has won enough rounds.
TEST(Match, RoundsEndInWinsForTheLastSeatAndTheMatchEndsAtTheRoundsToWin) {
    randomSource.seed(3);
    ThreeSeats m(2);
    const int countdownTicks = static_cast<int>(Match::COUNTDOWN * 60) + 2;
    m.destroy(1);
    m.destroy(2);
    World* first = m.match.world;
    EXPECT_EQ(m.runUntilStep(1), Match::Step::PLAYING);
    EXPECT_TRUE(m.match.decided());
    EXPECT_TRUE(m.seats[0].won);
    EXPECT_EQ(m.match.wins, (std::vector<int>{1, 0, 0}));
    ASSERT_EQ(m.runUntilStep(countdownTicks), Match::Step::NEW_ROUND);
    EXPECT_EQ(m.match.round, 2);
    EXPECT_NE(m.match.world, first);
    EXPECT_TRUE(m.match.world->validate());
    for (const IdleSeat& seat : m.seats) {
        ASSERT_NE(seat.tank, nullptr);
        EXPECT_EQ(seat.world, m.match.world);
        EXPECT_TRUE(seat.alive);
        EXPECT_FALSE(seat.won);
        EXPECT_EQ(seat.tank->getHealth(), Tank::MAX_HEALTH);
    }
    EXPECT_FALSE(m.match.decided());
    EXPECT_EQ(m.match.countdown, Match::COUNTDOWN);

    m.destroy(0);
    m.destroy(1);
    m.destroy(2);
    ASSERT_EQ(m.runUntilStep(countdownTicks), Match::Step::NEW_ROUND);
    EXPECT_EQ(m.match.wins, (std::vector<int>{1, 0, 0})) << "a round nobody survived";
    EXPECT_EQ(m.match.champion(), -1);

    m.destroy(0);
    m.destroy(2);
    ASSERT_EQ(m.runUntilStep(countdownTicks), Match::Step::NEW_ROUND) << "two wins are needed";
    EXPECT_EQ(m.match.wins, (std::vector<int>{1, 1, 0}));

    m.destroy(1);
    m.destroy(2);
    ASSERT_EQ(m.runUntilStep(countdownTicks), Match::Step::OVER);
    EXPECT_EQ(m.match.round, 4);
    EXPECT_EQ(m.match.wins, (std::vector<int>{2, 1, 0}));
    EXPECT_EQ(m.match.champion(), 0);
}

// One round is the whole match: the countdown's end is the end, and the world plays on under
// the countdown and in its last tick.
TEST(Match, OneRoundEndsAfterTheCountdownWithTheWorldPlayingOn) {
    randomSource.seed(4);
    ThreeSeats m(1);
    m.destroy(0);
    m.destroy(2);
    World* world = m.match.world;
    ASSERT_EQ(m.runUntilStep(static_cast<int>(Match::COUNTDOWN * 60) + 2), Match::Step::OVER);
    EXPECT_EQ(m.match.world, world);
    EXPECT_EQ(m.match.champion(), 1);
    EXPECT_EQ(m.match.countdown, Match::COUNTDOWN);
    EXPECT_GT(world->itemCount, 0) << "item boxes kept spawning for 30 s";
}

// A level's text is the match's level: a text that cannot be read leaves the match without a
// world, and every round is built from the text, not the file.
TEST(Match, TheLevelsTextBuildsEveryRound) {
    Match broken(LevelSource{"Broken", "not a level"}, MatchSettings());
    EXPECT_EQ(broken.world, nullptr);
    Match small(LevelSource{"Small", "2 20\n\n0 0 20 \n4 4 1\n0.5 0.5 0.5 1 \n\n"},
                MatchSettings());
    ASSERT_NE(small.world, nullptr);
    EXPECT_EQ(small.world->n, 2);
    EXPECT_EQ(small.world->boxes.size(), 1u);
}

// A match starts the shared random source over from its seed: whatever drew from it before
// (a menu, another match), the same seed spawns the same item boxes in the same places.
TEST(Match, ItsSeedAloneDecidesItsRandomness) {
    auto itemBoxPlaces = [](bool drawFirst) {
        if (drawFirst)
            for (int i = 0; i < 1000; ++i)
                randomSource.randomInt(0, 9);
        Match match(LevelSource(), MatchSettings(), 42);
        EXPECT_EQ(match.seed, 42u);
        std::vector<float> places;
        ThreeSeats::quietly([&] {
            for (int t = 0; t < 20 * 60; ++t)
                match.tick(TICK);
        });
        for (const Object* object : match.world->allObjects)
            for (int axis = 0; axis < 3; ++axis)
                places.push_back(object->position[axis]);
        return places;
    };
    std::vector<float> fresh = itemBoxPlaces(false);
    EXPECT_GE(fresh.size(), 3u * 3);
    EXPECT_EQ(itemBoxPlaces(true), fresh);
}

} // namespace

namespace {

// A source whose button 0 the test holds down or lets go; "pad" or "computer".
struct ButtonSource : InputSource {
    explicit ButtonSource(const char* sourceKind) : sourceKind(sourceKind) {}
    void update() override {}
    StickPosition leftStick() const override { return {}; }
    StickPosition rightStick() const override { return {}; }
    float triggerA() const override { return TRIGGER_RELEASED; }
    float triggerB() const override { return TRIGGER_RELEASED; }
    bool button(int index) const override { return index == 0 && down; }
    bool connected() const override { return true; }
    std::string name() const override { return sourceKind; }
    const char* kind() const override { return sourceKind; }
    const char* sourceKind;
    bool down = false;
};

} // namespace

// Between rounds the next one starts as soon as every person has pressed button 0 since the
// decision: a button held through the decision counts only once let go and pressed again, a
// computer's button counts for nothing, and a dead person's pad is read. After the last round
// presses change nothing: its countdown runs out.
TEST(Match, EveryPersonPressingButtonZeroStartsTheNextRound) {
    randomSource.seed(5);
    ButtonSource padA("pad"), padB("pad"), computer("computer");
    Seat a(&padA), b(&padB), c(&computer);
    Match match(LevelSource(), MatchSettings{2});
    for (Seat* seat : {&a, &b, &c})
        match.addSeat(seat);
    auto tick = [&] {
        Match::Step step;
        ThreeSeats::quietly([&] { step = match.tick(TICK); });
        return step;
    };
    ThreeSeats::quietly([&] { match.seatTanks(); });
    EXPECT_TRUE(c.computer());
    EXPECT_FALSE(a.computer());
    padA.down = true; // held through the decision
    b.tank->health = 1;
    ThreeSeats::quietly([&] { b.tank->hit(); });
    c.tank->health = 1;
    ThreeSeats::quietly([&] { c.tank->hit(); });
    EXPECT_EQ(tick(), Match::Step::PLAYING);
    ASSERT_TRUE(match.decided());
    ASSERT_TRUE(match.betweenRounds());
    padB.down = true; // b's tank is gone, its pad is still read
    computer.down = true;
    for (int t = 0; t < 10; ++t)
        ASSERT_EQ(tick(), Match::Step::PLAYING) << "a held button is no press";
    padB.down = false;
    padA.down = false;
    EXPECT_EQ(tick(), Match::Step::PLAYING);
    padB.down = true;
    EXPECT_EQ(tick(), Match::Step::PLAYING) << "b is ready, a is not";
    padA.down = true;
    EXPECT_EQ(tick(), Match::Step::NEW_ROUND);
    EXPECT_EQ(match.round, 2);

    // The last round: presses do not shorten the countdown before the end of the match.
    padA.down = padB.down = false;
    b.tank->health = 1;
    ThreeSeats::quietly([&] { b.tank->hit(); });
    c.tank->health = 1;
    ThreeSeats::quietly([&] { c.tank->hit(); });
    EXPECT_EQ(tick(), Match::Step::PLAYING);
    ASSERT_TRUE(match.decided());
    EXPECT_FALSE(match.betweenRounds());
    int ticks = 1;
    Match::Step step = Match::Step::PLAYING;
    for (; step == Match::Step::PLAYING && ticks < 4000; ++ticks) {
        padA.down = padB.down = ticks % 2 == 0;
        step = tick();
    }
    EXPECT_EQ(step, Match::Step::OVER);
    EXPECT_GE(ticks, static_cast<int>(Match::COUNTDOWN * 60));
    EXPECT_EQ(match.champion(), 0);
}

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "matchrun.h"
#include "support/childprocess.h"

namespace {

using namespace gamerun;

// An empty 2x2x2 cube: opposite tanks meet soon, and rounds are short.
constexpr const char* SMALL_CUBE = "2 28\n\n";

// Every tank down to one point each second, so that a round ends at the first hit.
std::string oneHitScript(int frames) {
    std::string script;
    for (int frame = 1; frame < frames; frame += 60)
        script += std::to_string(frame) + " tank all health 1\n";
    return script;
}

// A match of three rounds to win between one virtual pad (standing still) and two Hard computer
// tanks: the trace names the seats' kinds (the pad first, the computers after), the rounds
// follow one another with the wins counted up one at a time, the match ends when a tank has
// won three, and the welcome screen follows its countdown (each 30 s: the pad never presses).
TEST(ComputerRun, AThreeRoundMatchAgainstTwoComputersReturnsToTheWelcomeScreen) {
    MatchFolder run(SMALL_CUBE);
    run.write("low.txt", oneHitScript(22000));
    ChildProcess game(
        QUORL_BINARY,
        {"--pads", "1",       "--bots",  "2",        "--difficulty", "hard",         "--rounds",
         "3",      "--level", "arena",   "--script", "low.txt",      "--seed",       "3",
         "--fast", "--size",  "240x180", "--trace",  "trace.jsonl",  "--exit-after", "22000"},
        run.path.string());
    ASSERT_EQ(game.waitForExit(600.0), 0) << game.output();
    std::vector<JsonValue> t = readTrace(run.file("trace.jsonl"));
    ASSERT_EQ(t.size(), 22001u);
    ASSERT_EQ(t[0]["screen"].string, "game");
    const char* kinds[3] = {"pad", "computer", "computer"};
    ASSERT_EQ(t[0]["players"].size(), 3u);
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(t[0]["players"][i]["kind"].string, kinds[i]) << i;
    EXPECT_EQ(t[0]["players"][1]["input"].string, "Computer 2");

    int round = 1, welcomeAt = -1;
    std::vector<double> wins = {0, 0, 0};
    for (size_t f = 0; f < t.size() && welcomeAt < 0; ++f) {
        if (t[f]["screen"].string != "game") {
            welcomeAt = static_cast<int>(f);
            break;
        }
        ASSERT_GE(t[f]["round"].num(), round) << f;
        ASSERT_LE(t[f]["round"].num(), round + 1) << f;
        round = static_cast<int>(t[f]["round"].num());
        int gained = 0;
        for (size_t s = 0; s < 3; ++s) {
            double now = t[f]["wins"][s].num();
            ASSERT_GE(now, wins[s]) << f;
            gained += static_cast<int>(now - wins[s]);
            wins[s] = now;
        }
        ASSERT_LE(gained, 1) << "one win a round, frame " << f;
    }
    ASSERT_GT(welcomeAt, 0) << "the match never ended";
    EXPECT_EQ(t[static_cast<size_t>(welcomeAt)]["screen"].string, "welcome");
    EXPECT_GE(round, 3);
    EXPECT_EQ(*std::max_element(wins.begin(), wins.end()), 3);
    EXPECT_EQ(std::count(wins.begin(), wins.end(), 3.0), 1);
}

// With no player the computer tanks play alone, seen from above (the keyboard does not join a
// match it did not choose), and the same seed plays the same match: the trace twice, byte for
// byte, and its record verified.
TEST(ComputerRun, ADemoOfComputerTanksAloneIsTheSameForTheSameSeed) {
    std::string traces[2];
    for (std::string& trace : traces) {
        MatchFolder run;
        ChildProcess game(QUORL_BINARY,
                          {"--pads", "0", "--bots", "3", "--level", "arena", "--seed", "8",
                           "--fast", "--size", "240x180", "--trace", "trace.jsonl", "--exit-after",
                           "900", "--record", "demo.qrec"},
                          run.path.string());
        ASSERT_EQ(game.waitForExit(300.0), 0) << game.output();
        // Computer tanks are not recorded but made again: the record replays them exactly.
        ChildProcess verify(QUORL_BINARY, {"--replay", "demo.qrec", "--verify"}, run.path.string());
        ASSERT_EQ(verify.waitForExit(300.0), 0) << verify.output();
        EXPECT_NE(verify.output().find("the replay agrees with the record: 901 ticks"),
                  std::string::npos)
            << verify.output();
        std::vector<std::string> lines = readLines(run.file("trace.jsonl"));
        ASSERT_EQ(lines.size(), 901u);
        std::vector<JsonValue> t = readTrace(run.file("trace.jsonl"));
        ASSERT_EQ(t[900]["players"].size(), 3u);
        for (size_t i = 0; i < 3; ++i) {
            EXPECT_EQ(t[900]["players"][i]["kind"].string, "computer") << i;
            double from[3], to[3];
            for (int axis = 0; axis < 3; ++axis) {
                from[axis] = t[0]["players"][i]["position"][axis].num();
                to[axis] = t[900]["players"][i]["position"][axis].num();
            }
            EXPECT_GT(std::hypot(to[0] - from[0], to[1] - from[1], to[2] - from[2]), 5) << i;
        }
        for (const std::string& line : lines)
            trace += line + "\n";
    }
    EXPECT_EQ(traces[0], traces[1]);
}

} // namespace

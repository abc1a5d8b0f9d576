#include <gtest/gtest.h>

#include <cmath>

#include "support/childprocess.h"
#include "support/gamerun.h"
#include "support/pngfile.h"

namespace {

// From the welcome screen by the keyboard alone: Enter on "Play", Enter on the only level.
const char* const START_BY_KEYBOARD = "5 key enter down\n6 key enter up\n"
                                      "10 key enter down\n11 key enter up\n";

struct MatchRun {
    int status;
    std::vector<std::string> trace;
    std::string output;
};

MatchRun play(RunFolder& folder, int pads, const std::string& script, int frames,
              const std::string& screenshot = "") {
    folder.writeLevel("Arena", "3 28\n\n");
    folder.write("script.txt", std::string(START_BY_KEYBOARD) + script);
    std::vector<std::string> arguments = {"--pads",
                                          std::to_string(pads),
                                          "--script",
                                          "script.txt",
                                          "--trace",
                                          "trace.jsonl",
                                          "--seed",
                                          "11",
                                          "--fixed-step",
                                          "--exit-after",
                                          std::to_string(frames)};
    if (!screenshot.empty())
        arguments.insert(arguments.end(), {"--screenshot", screenshot});
    ChildProcess game(QUORL_BINARY, arguments, folder.path.string());
    MatchRun run;
    run.status = game.waitForExit(60.0);
    run.output = game.output();
    run.trace = readLines(folder.file("trace.jsonl"));
    return run;
}

double distance(const double a[3], const double b[3]) {
    double d = 0;
    for (int i = 0; i < 3; ++i)
        d += (a[i] - b[i]) * (a[i] - b[i]);
    return std::sqrt(d);
}

// A player's position at two frames, and whether its first slot was emptied by then (the
// starting shell fired).
struct Played {
    double moved;
    bool fired;
    std::string input;
};

Played playerBetween(const MatchRun& run, size_t player, int from, int to) {
    std::vector<std::string> before = tracePlayers(run.trace.at(from));
    std::vector<std::string> after = tracePlayers(run.trace.at(to));
    double a[3] = {}, b[3] = {};
    EXPECT_TRUE(traceVector(before.at(player), "position", a));
    EXPECT_TRUE(traceVector(after.at(player), "position", b));
    const std::string& last = after.at(player);
    size_t input = last.find("\"input\":\"");
    return {distance(a, b), last.find("\"items\":[null,") != std::string::npos,
            last.substr(input + 9, last.find('"', input + 9) - input - 9)};
}

// With no pad at all, Enter on a level starts a one-player match driven by the keyboard: the
// arrow drives, Space fires.
TEST(KeyboardRun, WithoutAPadTheKeyboardPlaysAlone) {
    RunFolder folder(false);
    MatchRun run = play(
        folder, 0, "40 key up down\n100 key up up\n110 key space down\n111 key space up\n", 150);
    ASSERT_EQ(run.status, 0) << run.output;
    ASSERT_EQ(run.trace.size(), 151u);
    EXPECT_NE(run.trace[30].find("\"screen\":\"game\""), std::string::npos) << run.trace[30];
    ASSERT_EQ(tracePlayers(run.trace[150]).size(), 1u) << run.trace[150];
    Played keyboard = playerBetween(run, 0, 39, 150);
    EXPECT_EQ(keyboard.input, "Keyboard");
    EXPECT_GT(keyboard.moved, 5.0);
    EXPECT_TRUE(keyboard.fired) << run.trace[150];
}

// With one pad, the keyboard that chose the level joins as player 2; both tanks drive and fire.
// The picture shows each view's label.
TEST(KeyboardRun, TheKeyboardJoinsOnePadAsPlayerTwo) {
    RunFolder folder(false);
    MatchRun run = play(folder, 1,
                        "40 key up down\n40 pad 0 lefty -1\n100 key up up\n100 pad 0 lefty 0\n"
                        "110 key space down\n110 pad 0 righttrigger 1\n112 key space up\n"
                        "112 pad 0 righttrigger 0\n",
                        150, "120:match.png");
    ASSERT_EQ(run.status, 0) << run.output;
    ASSERT_EQ(tracePlayers(run.trace[150]).size(), 2u) << run.trace[150];
    Played pad = playerBetween(run, 0, 39, 150);
    Played keyboard = playerBetween(run, 1, 39, 150);
    EXPECT_EQ(pad.input, "Virtual Pad 1");
    EXPECT_EQ(keyboard.input, "Keyboard");
    for (const Played& player : {pad, keyboard}) {
        EXPECT_GT(player.moved, 5.0) << player.input;
        EXPECT_TRUE(player.fired) << player.input;
    }
    int width = 0, height = 0;
    std::vector<unsigned char> rgb = readPngRgb(folder.file("match.png"), width, height);
    ASSERT_EQ(width, 800);
    ASSERT_EQ(height, 600);
    // The labels' white strokes in the top left corner of both views (rows from the top).
    for (int top : {0, 300}) {
        int white = 0;
        for (int y = top + 8; y < top + 30; ++y)
            for (int x = 8; x < 250; ++x) {
                const unsigned char* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
                white += p[0] > 240 && p[1] > 240 && p[2] > 240;
            }
        EXPECT_GT(white, 100) << "label of the view at row " << top;
    }
}

// Six pads fill every face: the keyboard does not join even when it chose the level.
TEST(KeyboardRun, SixPadsLeaveNoSeatForTheKeyboard) {
    RunFolder folder(false);
    MatchRun run = play(folder, 6, "", 40);
    ASSERT_EQ(run.status, 0) << run.output;
    std::vector<std::string> players = tracePlayers(run.trace.at(40));
    ASSERT_EQ(players.size(), 6u) << run.trace[40];
    for (const std::string& player : players)
        EXPECT_EQ(player.find("Keyboard"), std::string::npos) << player;
}

} // namespace

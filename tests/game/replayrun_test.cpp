#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "matchrun.h"
#include "replay/recordfile.h"
#include "replay/recordfolder.h"
#include "support/childprocess.h"

namespace {

using namespace gamerun;

// A level with a few blocks near the start, for shells and tanks to bounce off.
const char* const BLOCKS_LEVEL = "3 28\n\n"
                                 "0 8 42 \n4 4 3\n0.5 0.5 0.5 1 \n\n"
                                 "42 0 8 \n5 3 2\n0.5 0.5 0.5 1 \n\n"
                                 "-8 -42 0 \n3 6 4\n0.5 0.5 0.5 1 \n\n";

// Six pads at once: driving and turning, shells, the item wheel, every pad's first layer turn
// and a random rotation's turns, a pad unplugged and plugged back, free items from the
// developer key and a tank set to one point.
const char* const SIX_PADS = R"(# six pads
5 pad 0 lefty -1
5 pad 1 lefty -1
5 pad 2 leftx 0.6
5 pad 3 lefty 1
5 pad 4 lefty -0.5
5 pad 4 leftx -1
5 pad 5 lefty -1
20 pad 1 righttrigger 1
24 pad 1 righttrigger 0
30 pad 5 lefttrigger 1
34 pad 5 lefttrigger 0
40 pad 3 righttrigger 1
44 pad 3 righttrigger 0
60 pad 1 righttrigger 1
64 pad 1 righttrigger 0
70 pad 1 righttrigger 1
74 pad 1 righttrigger 0
90 pad 0 x 1
92 pad 0 x 0
120 pad 2 unplug
150 pad 2 a 1
152 pad 2 a 0
180 pad 2 plug
200 key 2 down
201 key 2 up
202 key 4 down
203 key 4 up
220 pad 4 leftshoulder 1
222 pad 4 leftshoulder 0
250 tank 3 health 1
260 pad 0 righttrigger 1
264 pad 0 righttrigger 0
300 pad 2 righttrigger 1
304 pad 2 righttrigger 0
330 pad 5 righttrigger 1
334 pad 5 righttrigger 0
)";

// Runs the game in `folder`; expects it to end with `expectStatus`, and gives its output.
std::string run(const std::string& folder, const std::vector<std::string>& arguments,
                int expectStatus, double seconds = 240.0) {
    ChildProcess game(QUORL_BINARY, arguments, folder);
    int status = game.waitForExit(seconds);
    EXPECT_EQ(status, expectStatus) << game.output();
    return game.output();
}

std::string lastLine(const std::string& output) {
    std::string trimmed = output.substr(0, output.find_last_not_of('\n') + 1);
    return trimmed.substr(trimmed.find_last_of('\n') + 1);
}

// A scripted six-pad match recorded as it is played, then watched from its record alone (no
// pads, no script, no seed): the replay's trace is the match's, byte for byte, frame numbers
// included; and the headless verifier agrees with every state the record keeps.
TEST(ReplayRun, ASixPadMatchReplaysWithTheMatchsOwnTraceAndVerifies) {
    MatchFolder folder(BLOCKS_LEVEL);
    folder.write("six.txt", SIX_PADS);
    const std::vector<std::string> view = {"--size", "240x180",      "--no-multisample",
                                           "--fast", "--exit-after", "420"};
    std::vector<std::string> play = {"--pads",   "6",          "--level", "arena",
                                     "--script", "six.txt",    "--seed",  "11",
                                     "--record", "match.qrec", "--trace", "played.jsonl"};
    play.insert(play.end(), view.begin(), view.end());
    std::string out = run(folder.path.string(), play, 0);
    // Named from where the game was started, not from the data folder it works in.
    EXPECT_NE(out.find("Recording the match into " + folder.file("match.qrec")), std::string::npos)
        << out;
    std::vector<std::string> watch = {"--replay", "match.qrec", "--trace", "watched.jsonl"};
    watch.insert(watch.end(), view.begin(), view.end());
    run(folder.path.string(), watch, 0);

    std::vector<std::string> played = readLines(folder.file("played.jsonl"));
    std::vector<std::string> watched = readLines(folder.file("watched.jsonl"));
    ASSERT_EQ(played.size(), 421u);
    ASSERT_EQ(watched.size(), played.size());
    for (size_t i = 0; i < played.size(); ++i)
        ASSERT_EQ(watched[i], played[i]) << "frame " << i;

    // What the match went through, so that the equality means something.
    std::vector<JsonValue> t = readTrace(folder.file("played.jsonl"));
    int turning = 0, shells = 0, blasts = 0;
    for (const JsonValue& frame : t) {
        turning += frame["rotating"].boolean;
        shells = std::max(shells, static_cast<int>(frame["shells"].num()));
        blasts = std::max(blasts, static_cast<int>(frame["explosions"].num()));
    }
    EXPECT_GE(turning, 4 * 18) << "the pads' turns and a random rotation's";
    EXPECT_GE(shells, 2);
    EXPECT_GE(blasts, 1);
    EXPECT_EQ(t[420]["players"][3]["health"].num(), 1);
    EXPECT_EQ(t[420]["players"][5]["input"].string, "Virtual Pad 6");

    std::string verdict =
        lastLine(run(folder.path.string(), {"--replay", "match.qrec", "--verify"}, 0));
    EXPECT_EQ(verdict,
              "match.qrec: the replay agrees with the record: 421 ticks, 9 states compared");
}

// A whole two-pad match to its end (the game run's duel), recorded: the replay ends it the
// same way, a tank destroyed, the verdicts and the countdown, and returns to the welcome
// screen on the same frame as the match did; the record ends with the match.
TEST(ReplayRun, AMatchPlayedToItsEndReplaysToTheWelcomeScreen) {
    MatchFolder folder;
    folder.write("duel.txt", R"(# a duel
5 pad 0 lefty -1
20 pad 1 righttrigger 1
24 pad 1 righttrigger 0
40 pad 0 unplug
60 pad 0 plug
175 pad 0 lefty 0
200 pad 1 b 1
202 pad 1 b 0
240 pad 1 b 1
242 pad 1 b 0
250 key 2 down
251 key 2 up
260 pad 1 lefttrigger 1
264 pad 1 lefttrigger 0
270 pad 1 lefttrigger 1
274 pad 1 lefttrigger 0
280 tank 0 health 1
290 pad 1 righttrigger 1
294 pad 1 righttrigger 0
)");
    const std::vector<std::string> view = {"--size", "160x120",      "--no-multisample",
                                           "--fast", "--exit-after", "2230"};
    std::vector<std::string> play = {"--pads",   "2",         "--level", "arena",
                                     "--script", "duel.txt",  "--seed",  "3",
                                     "--record", "duel.qrec", "--trace", "played.jsonl"};
    play.insert(play.end(), view.begin(), view.end());
    run(folder.path.string(), play, 0);
    std::vector<std::string> watch = {"--replay", "duel.qrec", "--trace", "watched.jsonl"};
    watch.insert(watch.end(), view.begin(), view.end());
    run(folder.path.string(), watch, 0);
    std::vector<std::string> played = readLines(folder.file("played.jsonl"));
    std::vector<std::string> watched = readLines(folder.file("watched.jsonl"));
    ASSERT_EQ(played.size(), 2231u);
    ASSERT_EQ(watched.size(), played.size());
    size_t welcome = 0;
    while (welcome < played.size() &&
           played[welcome].find("\"screen\":\"welcome\"") == std::string::npos)
        ++welcome;
    EXPECT_GT(welcome, 1800u) << "the match ended and its countdown ran out";
    EXPECT_LT(welcome, played.size());
    // The welcome screen counts the levels it last listed: the match's run listed them for
    // --level, the replay's never did. Everything else is the same to the last frame.
    auto withoutLevels = [](std::string line) {
        size_t at = line.find(",\"levels\":");
        return at == std::string::npos ? line
                                       : line.substr(0, at) + line.substr(line.find('}', at));
    };
    // Watching is heard as the match was, but never shakes a pad: the replay's drivers are
    // its record, not the pads in the hands.
    auto withoutRumble = [](std::string line) {
        size_t at = line.find(",\"rumble\":[");
        return at == std::string::npos ? line
                                       : line.substr(0, at) + line.substr(line.find(']', at) + 1);
    };
    for (size_t i = 0; i < played.size(); ++i) {
        if (i < welcome)
            ASSERT_EQ(watched[i], withoutRumble(played[i])) << "frame " << i;
        else
            ASSERT_EQ(withoutLevels(watched[i]), withoutLevels(withoutRumble(played[i])))
                << "frame " << i;
    }
    MatchRecord record;
    std::string error;
    ASSERT_TRUE(readRecordFile(folder.file("duel.qrec"), "0.1.0", record, error)) << error;
    EXPECT_TRUE(record.complete);
    // Frames 0 to `welcome` each ticked the match: the last one ended it.
    EXPECT_EQ(static_cast<size_t>(record.tickCount()), welcome + 1) << "to the match's end";
}

// Every match is recorded into the player's replays folder, which keeps the newest 20 (an
// older record goes, nothing else does), and the welcome screen's "Watch last match" plays the
// newest again: the watched frames are the played ones, tick numbers aside. Watching records
// nothing. Where the folder cannot be made the match is played all the same, unrecorded.
TEST(ReplayRun, EveryMatchIsKeptAndTheLastOneWatchedFromTheMenu) {
    MatchFolder folder(BLOCKS_LEVEL);
    std::string home = makeScratchHome();
    ASSERT_FALSE(home.empty());
    fs::path replays = fs::path(home) / ".local/share/quorl/replays";
    fs::create_directories(replays);
    MatchRecord old;
    old.header.gameVersion = "0.0.1";
    old.complete = true;
    auto start = fs::file_time_type::clock::now() - std::chrono::hours(1);
    std::vector<std::string> olds;
    for (int i = 0; i < 20; ++i) {
        olds.push_back((replays / ("old-" + std::to_string(i) + ".qrec")).string());
        std::ofstream(olds.back(), std::ios::binary) << recordFileBytes(old);
        fs::last_write_time(olds.back(), start + std::chrono::seconds(i));
    }
    std::ofstream(replays / "notes.txt") << "kept";
    auto runWithHome = [&](const std::vector<std::string>& arguments) {
        ChildProcess game(QUORL_BINARY, arguments, folder.path.string(), false, home);
        EXPECT_EQ(game.waitForExit(120.0), 0) << game.output();
        return game.output();
    };

    folder.write("drive.txt", "5 pad 0 lefty -1\n5 pad 1 leftx 1\n30 pad 1 righttrigger 1\n"
                              "34 pad 1 righttrigger 0\n60 pad 0 x 1\n62 pad 0 x 0\n");
    std::string out = runWithHome({"--pads", "2", "--level", "arena", "--script", "drive.txt",
                                   "--seed", "4", "--trace", "played.jsonl", "--size", "160x120",
                                   "--no-multisample", "--fast", "--exit-after", "150"});
    std::vector<std::string> kept = recordsIn(replays.string());
    ASSERT_EQ(kept.size(), 20u);
    EXPECT_EQ(std::vector<std::string>(kept.begin(), kept.end() - 1),
              std::vector<std::string>(olds.begin() + 1, olds.end()));
    EXPECT_TRUE(fs::exists(replays / "notes.txt"));
    std::string newest = kept.back();
    EXPECT_EQ(fs::path(newest).filename().string().rfind("quorl-", 0), 0u) << newest;
    EXPECT_NE(out.find("Recording the match into " + newest), std::string::npos) << out;
    MatchRecord record;
    std::string error;
    ASSERT_TRUE(readRecordFile(newest, "0.1.0", record, error)) << error;
    EXPECT_EQ(record.tickCount(), 151);

    // Up from "Play" wraps to "Quit"; two rows above it is "Watch last match", "Play Online"
    // between them.
    folder.write("menu.txt", "10 key up down\n10 key up up\n14 key up down\n14 key up up\n"
                             "17 key up down\n17 key up up\n20 key enter down\n20 key enter up\n");
    runWithHome({"--script", "menu.txt", "--trace", "watched.jsonl", "--size", "160x120",
                 "--no-multisample", "--fast", "--exit-after", "200"});
    EXPECT_EQ(recordsIn(replays.string()), kept) << "watching records nothing";
    std::vector<JsonValue> menu = readTrace(folder.file("watched.jsonl"));
    ASSERT_EQ(menu.size(), 201u);
    EXPECT_EQ(menu[5]["lastMatch"].string, fs::path(newest).filename().string());
    EXPECT_EQ(menu[18]["selected"].num(), 3) << "two rows above Quit";
    std::vector<std::string> played = readLines(folder.file("played.jsonl"));
    std::vector<std::string> watched = readLines(folder.file("watched.jsonl"));
    size_t first = 0;
    while (first < watched.size() &&
           watched[first].find("\"screen\":\"game\"") == std::string::npos)
        ++first;
    ASSERT_LT(first, 30u) << "the replay started";
    // The frame that chose it ticked the menu: the replay's first tick comes in the next one.
    auto untimed = [](const std::string& line) { return line.substr(line.find(',')); };
    ASSERT_EQ(played.size(), 151u);
    for (size_t k = 0; k < played.size(); ++k)
        ASSERT_EQ(untimed(watched[first + 1 + k]), untimed(played[k])) << "tick " << k;

    fs::remove_all(replays);
    std::ofstream(replays) << "a file where the folder should be";
    out = runWithHome({"--pads", "2", "--level", "arena", "--size", "160x120", "--no-multisample",
                       "--fast", "--exit-after", "30"});
    EXPECT_NE(out.find("cannot make the folder " + replays.string()), std::string::npos) << out;
    EXPECT_EQ(out.find("Recording the match"), std::string::npos) << out;
    fs::remove_all(home);
}

// Watching with the keyboard: Space pauses (the match stands still, the trace says so), Right
// plays one tick at a time while paused, Up and Down double and halve the speed (1/4 to 8
// ticks a frame); at the record's end the replay says it has ended. The keys drive no tank.
TEST(ReplayRun, PauseStepAndSpeedChangeWhatTheReplayShows) {
    MatchFolder folder;
    folder.write("drive.txt", "5 pad 0 lefty -1\n5 pad 1 lefty -1\n");
    run(folder.path.string(),
        {"--pads", "2", "--level", "arena", "--script", "drive.txt", "--seed", "5", "--record",
         "m.qrec", "--size", "160x120", "--no-multisample", "--fast", "--exit-after", "299"},
        0);
    std::string keys;
    auto press = [&](int frame, const char* key) {
        keys += std::to_string(frame) + " key " + key + " down\n" + std::to_string(frame) +
                " key " + key + " up\n";
    };
    press(20, "space"); // paused
    press(30, "right"); // two steps
    press(31, "right");
    press(40, "space"); // playing
    for (int frame : {50, 51})
        press(frame, "up"); // 4 ticks a frame
    for (int frame : {60, 61, 62, 63})
        press(frame, "down"); // a tick every fourth frame
    for (int frame : {90, 91, 92, 93, 94})
        press(frame, "up"); // 8 ticks a frame
    folder.write("keys.txt", keys);
    run(folder.path.string(),
        {"--replay", "m.qrec", "--script", "keys.txt", "--trace", "t.jsonl", "--size", "160x120",
         "--no-multisample", "--fast", "--exit-after", "330"},
        0);
    std::vector<JsonValue> t = readTrace(folder.file("t.jsonl"));
    ASSERT_EQ(t.size(), 331u);
    auto tick = [&](int f) { return t[static_cast<size_t>(f)]["replay"]["tick"].num(); };
    auto y = [&](int f) { return t[static_cast<size_t>(f)]["players"][0]["position"][1].num(); };
    for (int f = 0; f < 20; ++f)
        EXPECT_FALSE(t[static_cast<size_t>(f)]["replay"].valid() &&
                     !t[static_cast<size_t>(f)]["replay"].isNull())
            << "played as recorded: no replay fields at frame " << f;
    // Paused at frame 20: frame 20's tick does not play.
    EXPECT_TRUE(t[20]["replay"]["paused"].boolean);
    EXPECT_EQ(tick(20), 20);
    EXPECT_EQ(tick(29), 20);
    EXPECT_EQ(y(29), y(20)) << "the tank stands while paused";
    EXPECT_EQ(tick(30), 21); // Right: one tick
    EXPECT_EQ(tick(31), 22);
    EXPECT_EQ(tick(39), 22);
    EXPECT_NE(y(31), y(30));
    EXPECT_FALSE(t[40]["replay"].valid() && !t[40]["replay"].isNull()) << "playing at speed 1";
    EXPECT_EQ(t[50]["replay"]["speed"].num(), 2);
    EXPECT_EQ(t[51]["replay"]["speed"].num(), 4);
    int at51 = static_cast<int>(tick(51)), at55 = static_cast<int>(tick(55));
    EXPECT_EQ(at55 - at51, 16);
    EXPECT_EQ(t[63]["replay"]["speed"].num(), 0.25);
    int at64 = static_cast<int>(tick(64)), at80 = static_cast<int>(tick(80));
    EXPECT_EQ(at80 - at64, 4);
    EXPECT_EQ(t[94]["replay"]["speed"].num(), 8);
    EXPECT_EQ(tick(100) - tick(99), 8);
    // 300 ticks in all: the end comes, and the replay says so and stands.
    EXPECT_TRUE(t[330]["replay"]["ended"].boolean);
    EXPECT_EQ(tick(330), 300);
}

// A match paced by the clock, not a fixed step: its ticks last what the clock measured, and
// its record verifies all the same. Records that cannot be replayed are refused before any
// window opens, naming the file and what is wrong, with the usage and status 2: not a record,
// cut inside its header, corrupt, another version's. A record cut short plays and verifies as
// far as it goes, and the verifier says it is cut short (status 2). A record whose states the
// game no longer reaches fails the verifier with status 1, naming the ticks where the fault
// lies.
TEST(ReplayRun, ARealClockRecordVerifiesAndBrokenOrAlteredOnesAreToldApart) {
    MatchFolder folder;
    folder.write("drive.txt", "5 pad 0 lefty -1\n5 pad 1 leftx 1\n30 pad 1 righttrigger 1\n"
                              "34 pad 1 righttrigger 0\n60 pad 0 x 1\n62 pad 0 x 0\n");
    run(folder.path.string(),
        {"--pads", "2", "--level", "arena", "--script", "drive.txt", "--record", "good.qrec",
         "--size", "160x120", "--no-multisample", "--exit-after", "239"},
        0);
    std::string verdict =
        lastLine(run(folder.path.string(), {"--replay", "good.qrec", "--verify"}, 0));
    EXPECT_EQ(verdict,
              "good.qrec: the replay agrees with the record: 240 ticks, 5 states compared");
    std::string good;
    {
        std::ifstream in(folder.file("good.qrec"), std::ios::binary);
        good.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    ASSERT_GT(good.size(), 40u);
    std::string foreign = good;
    size_t version = foreign.find("0.1.0");
    ASSERT_NE(version, std::string::npos);
    foreign.replace(version, 5, "0.0.9");
    std::string corrupt = good;
    corrupt.back() = static_cast<char>(corrupt.back() ^ 0x55); // in the stream's checksum
    folder.write("notes.qrec", "3 28\n\n");
    folder.write("header.qrec", good.substr(0, 14));
    folder.write("corrupt.qrec", corrupt);
    folder.write("foreign.qrec", foreign);
    const struct {
        const char* file;
        const char* says;
    } refused[] = {
        {"notes.qrec", "cannot replay notes.qrec: it is not a Quorl match record"},
        {"header.qrec", "cannot replay header.qrec: it ends inside its header"},
        {"corrupt.qrec", "cannot replay corrupt.qrec: its compressed body is corrupt (Restored "
                         "data doesn't match checksum)"},
        {"foreign.qrec", "cannot replay foreign.qrec: it was recorded by Quorl 0.0.9 (record "
                         "format 2); this is Quorl 0.1.0"},
        {"missing.qrec", "cannot read the record missing.qrec"},
    };
    for (const auto& c : refused)
        for (bool verify : {false, true}) {
            std::vector<std::string> arguments = {"--replay", c.file};
            if (verify)
                arguments.push_back("--verify");
            std::string out = run(folder.path.string(), arguments, 2, 30.0);
            EXPECT_NE(out.find(c.says), std::string::npos) << out;
            EXPECT_NE(out.find("Usage: quorl"), std::string::npos) << out;
            EXPECT_EQ(out.find("OpenGL version"), std::string::npos) << out;
        }

    // Cut short, as by a game that stopped: the blocks written before the cut still play.
    MatchRecord whole;
    std::string error;
    ASSERT_TRUE(readRecordFile(folder.file("good.qrec"), "0.1.0", whole, error)) << error;
    std::vector<float> dts = whole.dts;
    std::sort(dts.begin(), dts.end());
    EXPECT_GT(std::unique(dts.begin(), dts.end()) - dts.begin(), 1) << "the clock's dts vary";
    MatchRecord cutRecord = whole;
    cutRecord.complete = false;
    cutRecord.dts.resize(150);
    while (!cutRecord.hashes.empty() && cutRecord.hashes.back().tick > 150)
        cutRecord.hashes.pop_back();
    while (!cutRecord.changes.empty() && cutRecord.changes.back().tick >= 150)
        cutRecord.changes.pop_back();
    folder.write("cut.qrec", recordFileBytes(cutRecord));
    verdict = lastLine(run(folder.path.string(), {"--replay", "cut.qrec", "--verify"}, 2));
    EXPECT_EQ(verdict, "cut.qrec is cut short: it ends after tick 150 without its end mark; the 3 "
                       "states it holds agree");
    std::string out = run(folder.path.string(),
                          {"--replay", "cut.qrec", "--size", "160x120", "--no-multisample",
                           "--fast", "--exit-after", "160"},
                          0);
    EXPECT_NE(out.find("The record was cut short: it plays 150 ticks and stops."),
              std::string::npos)
        << out;

    // A tick half as long again as recorded: the states after it differ.
    MatchRecord altered = whole;
    altered.dts[100] *= 1.5f;
    folder.write("altered.qrec", recordFileBytes(altered));
    verdict = lastLine(run(folder.path.string(), {"--replay", "altered.qrec", "--verify"}, 1));
    EXPECT_EQ(verdict, "altered.qrec: the replay differs from the record: the state after tick 120 "
                       "is not the recorded one; it agreed after tick 60, so it went astray in "
                       "ticks 61 to 120");
}

} // namespace

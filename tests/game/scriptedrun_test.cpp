#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>

#include "platform/window.h"
#include "support/childprocess.h"
#include "support/gamerun.h"
#include "support/json.h"
#include "support/pngfile.h"

namespace {

// The number in `"name":N` of a trace line; -1 when the field is missing.
int field(const std::string& line, const std::string& name) {
    return static_cast<int>(traceNumber(line, name));
}

// A whole scripted run: it ends with status 0 after the frame asked for, with one trace line
// per frame; the scripted keys reach the screen through the shell as a keyboard's would (the
// welcome screen's selection follows the arrows, once per press) while F12, the shell's own,
// saves a picture and says where; the pictures asked for come from the back buffer at the
// window's size: the welcome screen's dark grey round its title, not the black of a front
// buffer read after the swap.
TEST(ScriptedRun, TracesEveryFrameTakesItsPicturesAndEnds) {
    RunFolder run;
    run.write("keys.txt", "# two keys for the screen\n"
                          "5 key down down\n6 key down up\n"
                          "8 key up down\n9 key up up\n"
                          "12 key f12 down   # a screenshot\n12 key f12 up\n");
    ChildProcess game(QUORL_BINARY,
                      {"--script", "keys.txt", "--trace", "trace.jsonl", "--size", "320x200",
                       "--screenshot", "0:first.png", "--screenshot", "20:last.png", "--exit-after",
                       "20", "--seed", "5", "--fixed-step"},
                      run.path.string());
    ASSERT_EQ(game.waitForExit(30.0), 0) << game.output();
    std::vector<std::string> trace = readLines(run.file("trace.jsonl"));
    ASSERT_EQ(trace.size(), 21u);
    for (int t = 0; t < 21; ++t) {
        EXPECT_EQ(field(trace[t], "tick"), t);
        EXPECT_NE(trace[t].find("\"screen\":\"welcome\""), std::string::npos) << trace[t];
        EXPECT_EQ(field(trace[t], "selected"), t >= 5 && t < 8 ? 1 : 0) << trace[t];
    }
    // F12's picture goes to the player's data folder, not the game's.
    std::string out = game.output();
    std::string folder = game.homeFolder() + "/.local/share/quorl/screenshots/";
    size_t at = out.find("Screenshot saved: " + folder + "quorl-");
    ASSERT_NE(at, std::string::npos) << out;
    std::string f12 = out.substr(at + 18, out.find('\n', at) - at - 18);
    EXPECT_FALSE(std::filesystem::exists(run.file("screenshots")));
    for (const std::string& path : {run.file("first.png"), run.file("last.png"), f12}) {
        const std::string& name = path;
        int width = 0, height = 0;
        std::vector<unsigned char> rgb = readPngRgb(path, width, height);
        ASSERT_EQ(width, 320) << name;
        ASSERT_EQ(height, 200) << name;
        size_t background = 0;
        for (unsigned char c : rgb)
            background += c >= 18 && c <= 20;                 // 0.075 of 255
        EXPECT_GT(background, rgb.size() / 2) << name;        // mostly the backdrop,
        EXPECT_LT(background, rgb.size() * 98 / 100) << name; // with the menu drawn on it
    }
}

// The same first frame with and without antialiasing: the same picture but for its edges. The
// default, auto, draws without on a software renderer and with on a graphics card, and says so.
TEST(ScriptedRun, NoMultisampleDrawsTheSamePictureWithHardEdges) {
    RunFolder run;
    std::vector<unsigned char> pictures[2];
    std::string outputs[3];
    for (int off = 0; off < 3; ++off) {
        std::vector<std::string> arguments = {"--size",       "320x200", "--screenshot",
                                              "0:shot.png",   "--seed",  "5",
                                              "--exit-after", "0",       "--fixed-step"};
        if (off == 1)
            arguments.push_back("--no-multisample");
        else if (off == 0)
            arguments.push_back("--multisample=on");
        ChildProcess game(QUORL_BINARY, arguments, run.path.string());
        ASSERT_EQ(game.waitForExit(30.0), 0) << game.output();
        outputs[off] = game.output();
        if (off == 2)
            break;
        int width = 0, height = 0;
        pictures[off] = readPngRgb(run.file("shot.png"), width, height);
        ASSERT_EQ(pictures[off].size(), 320u * 200u * 3u);
    }
    EXPECT_NE(outputs[1].find("Multisampling: off (--multisample off)\n"), std::string::npos)
        << outputs[1];
    size_t renderer = outputs[2].find("renderer ");
    ASSERT_NE(renderer, std::string::npos) << outputs[2];
    renderer += 9;
    std::string name = outputs[2].substr(renderer, outputs[2].find(")\n", renderer) - renderer);
    EXPECT_EQ(outputs[2].find("Multisampling: off (auto: software renderer ") != std::string::npos,
              isSoftwareRenderer(name))
        << outputs[2];
    if (outputs[0].find("Multisampling: off") != std::string::npos)
        GTEST_SKIP() << "this display offers no multisampled window";
    EXPECT_NE(outputs[0].find("Multisampling: "), std::string::npos) << outputs[0];
    size_t differing = 0;
    for (size_t p = 0; p < pictures[0].size(); p += 3)
        differing += !std::equal(&pictures[0][p], &pictures[0][p] + 3, &pictures[1][p]);
    EXPECT_GT(differing, 0u);                          // the edges lose their shades
    EXPECT_LT(differing, pictures[0].size() / 3 / 10); // and nothing else changes
}

// Refused before any window opens: the message says what is wrong, then the usage; status 2.
TEST(ScriptedRun, BadArgumentsAndScriptsExitWithTheUsage) {
    RunFolder run(false);
    run.write("bad.txt", "0 key a down\n1 key a sideways\n");
    run.write("pads.txt", "3 pad 1 a 1\n");
    run.writeLevel("Empty", "");
    run.writeLevel("Garbage", "this is not a level\n");
    const struct {
        std::vector<std::string> arguments;
        const char* says;
    } cases[] = {
        {{"--pads", "x"}, "--pads"},
        {{"--frobnicate"}, "--frobnicate"},
        {{"--script", "missing.txt"}, "missing.txt"},
        {{"--script", "bad.txt"}, "line 2"},
        {{"--script", "/dev/zero"}, "/dev/zero: line 1: longer than 1000 bytes"},
        {{"--pads", "1", "--script", "pads.txt"}, "line 1: pad 1 is not attached"},
        {{"--level", "no-such-level"}, "no level \"no-such-level\""},
        {{"--level", "Empty"}, "is not a level this game can load"},
        {{"--level", "Garbage"}, "is not a level this game can load"},
        {{"--trace", "no/such/folder/t.jsonl"}, "no/such/folder/t.jsonl"},
        {{"--screenshot", "5:a.png", "--exit-after", "2"}, "--exit-after 2"},
        {{"--trace", "--fast"}, "not the option \"--fast\""},
        {{"--script", "bad.txt", "--trace", "./bad.txt"}, "would overwrite the script"},
    };
    for (const auto& c : cases) {
        ChildProcess game(QUORL_BINARY, c.arguments, run.path.string());
        EXPECT_EQ(game.waitForExit(15.0), 2) << c.arguments[0];
        const std::string& out = game.output();
        EXPECT_NE(out.find(c.says), std::string::npos) << out;
        EXPECT_NE(out.find("Usage: quorl"), std::string::npos) << out;
        EXPECT_EQ(out.find("OpenGL version"), std::string::npos) << out;
    }
    EXPECT_FALSE(std::filesystem::exists(run.file("--fast")));
    EXPECT_EQ(readLines(run.file("bad.txt")).size(), 2u);
    ChildProcess help(QUORL_BINARY, {"--help"}, run.path.string());
    EXPECT_EQ(help.waitForExit(15.0), 0);
    EXPECT_NE(help.output().find("--exit-after T"), std::string::npos);
}

// A level named with bytes that are no text and an escape sequence: the terminal is shown them
// escaped, never obeys them, and the trace stays valid JSON, the broken bytes replaced.
TEST(ScriptedRun, NamesOfAnyBytesReachTheTerminalEscapedAndTheTraceAsJson) {
    RunFolder run(false);
    const std::string name = "odd\xff\x1b[2J";
    run.writeLevel(name, "this is not a level\n");
    run.write("start.txt",
              "5 key enter down\n6 key enter up\n10 key enter down\n11 key enter up\n");
    ChildProcess refused(QUORL_BINARY, {"--level", name}, run.path.string());
    EXPECT_EQ(refused.waitForExit(15.0), 2);
    EXPECT_NE(refused.output().find("odd\\xff\\x1b[2J"), std::string::npos) << refused.output();
    EXPECT_EQ(refused.output().find('\x1b'), std::string::npos);

    ChildProcess game(QUORL_BINARY,
                      {"--script", "start.txt", "--trace", "t.jsonl", "--fixed-step", "--fast",
                       "--size", "320x240", "--exit-after", "20"},
                      run.path.string());
    ASSERT_EQ(game.waitForExit(30.0), 0) << game.output();
    EXPECT_NE(game.output().find("Loading level: odd\\xff\\x1b[2J"), std::string::npos)
        << game.output();
    EXPECT_EQ(game.output().find('\x1b'), std::string::npos);
    std::vector<std::string> trace = readLines(run.file("t.jsonl"));
    ASSERT_EQ(trace.size(), 21u);
    for (const std::string& line : trace) {
        EXPECT_TRUE(JsonValue::parse(line).valid()) << line;
        EXPECT_EQ(line.find('\xff'), std::string::npos) << line;
    }
    EXPECT_NE(trace.back().find(R"(Cannot load \"odd\ufffd\u001b[2J\")"), std::string::npos)
        << trace.back();
}

// SIGTERM and SIGINT end a run as quitting does, even while pictures are being written (F12 in
// every frame): status 0, every trace line whole, every picture whole and none half-written.
TEST(ScriptedRun, TermAndIntEndTheRunAsQuittingDoes) {
    for (int number : {SIGTERM, SIGINT}) {
        RunFolder run;
        std::string script;
        for (int frame = 1; frame < 400; ++frame)
            script +=
                std::to_string(frame) + " key f12 down\n" + std::to_string(frame) + " key f12 up\n";
        run.write("shots.txt", script);
        ChildProcess game(
            QUORL_BINARY,
            {"--script", "shots.txt", "--trace", "t.jsonl", "--fixed-step", "--size", "640x480"},
            run.path.string());
        ASSERT_TRUE(waitForFrames(run.file("t.jsonl"), 20, 30.0)) << game.output();
        game.signal(number);
        ASSERT_EQ(game.waitForExit(15.0), 0) << number << game.output();
        std::vector<std::string> trace = readLines(run.file("t.jsonl"));
        EXPECT_GE(trace.size(), 20u);
        EXPECT_LT(trace.size(), 399u); // ended by the signal, not by running out
        for (const std::string& line : trace)
            EXPECT_TRUE(JsonValue::parse(line).valid()) << line;
        std::string shots = game.homeFolder() + "/.local/share/quorl/screenshots";
        int pictures = 0;
        for (const auto& entry : std::filesystem::directory_iterator(shots)) {
            EXPECT_NE(entry.path().extension(), ".part") << entry.path();
            int width = 0, height = 0;
            EXPECT_FALSE(readPngRgb(entry.path().string(), width, height).empty()) << entry.path();
            ++pictures;
        }
        EXPECT_GE(pictures, 15);
    }
}

} // namespace

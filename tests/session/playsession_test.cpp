#include <gtest/gtest.h>

#include <GL/freeglut.h>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include "platform/screenshot.h"
#include "screens/shell.h"
#include "session/playsession.h"
#include "support/fakeplatform.h"
#include "support/recordingscreen.h"

namespace {

// Pad calls as they arrive; pad 3 does not exist.
class RecordingPads : public PadSink {
public:
    bool attach(int count, std::string&) override {
        calls.push_back("attach " + std::to_string(count));
        return true;
    }
    bool setControl(int pad, const std::string& control, float value, std::string& error) override {
        calls.push_back(std::to_string(pad) + " " + control + " " + std::to_string(value));
        error = "no such pad";
        return pad != 3;
    }
    bool unplug(int pad, std::string&) override {
        calls.push_back(std::to_string(pad) + " unplug");
        return true;
    }
    bool plug(int pad, std::string&) override {
        calls.push_back(std::to_string(pad) + " plug");
        return true;
    }
    std::vector<std::string> calls;
};

// A screen without a timer chain, such as the level editor: it draws when asked to.
class StillScreen : public Screen {
public:
    void display() override {
        ++displays;
        presentFrame();
    }
    void keyboard(unsigned char key, int, int) override { received += static_cast<char>(key); }
    const char* traceName() const override { return "editor"; }
    int displays = 0;
    std::string received;
};

std::vector<std::string> lines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> result;
    for (std::string line; std::getline(in, line);)
        result.push_back(line);
    return result;
}

class Session : public ::testing::Test {
protected:
    void SetUp() override {
        previous = currentScreen;
        currentScreen = nullptr;
        keys = KeyboardState();
        mouse = MouseState();
        tracePath = "/tmp/quorl_session_" + std::to_string(getpid()) + ".jsonl";
    }
    void TearDown() override {
        currentScreen = previous;
        std::remove(tracePath.c_str());
    }

    std::unique_ptr<PlaySession> start(const std::string& script, Options options) {
        std::istringstream in(script);
        std::vector<ScriptEvent> events;
        std::string error;
        EXPECT_TRUE(parseScript(in, events, error)) << error;
        auto session = std::make_unique<PlaySession>(options, events, pads);
        EXPECT_TRUE(session->openTrace(error)) << error;
        session->setScreenshotSaver([this](const std::string& path, std::string& error) {
            saved.push_back(path + " @" + std::to_string(swapsBeforeSave = fake.swaps));
            error = "disk full";
            return path != "fail.png";
        });
        session->install();
        return session;
    }

    // One turn of the GLUT loop, as in the shell: due timers fire, then a posted redisplay.
    void loopOnce() {
        fake.fireTimers();
        if (fake.redisplays > 0) {
            fake.redisplays = 0;
            onDisplay();
        }
    }

    FakePlatform fake;
    RecordingPads pads;
    std::vector<std::string> log;
    std::vector<std::string> saved;
    int swapsBeforeSave = 0;
    RecordingScreen screen{"game", &log};
    std::string tracePath;
    Screen* previous = nullptr;
};

// Events reach the screen through the shell's callbacks before the tick of their frame; the
// trace has one line per frame; the loop is left after the last frame.
TEST_F(Session, ReplaysEventsBeforeTheirFrameTracesEachFrameAndEnds) {
    Options options;
    options.tracePath = tracePath;
    options.exitAfter = 3;
    options.pads = 2;
    auto session = start("0 key A down\n"
                         "1 key A up\n"
                         "1 mouse left down 10 20\n"
                         "1 motion 15 26\n"
                         "2 key left down\n2 key left up\n2 key f11 down\n"
                         "3 pad 1 lefttrigger 0.5\n3 pad 3 a 1\n3 pad 0 unplug\n",
                         options);
    session->attachPads();
    switchScreen(&screen);
    for (int i = 0; i < 10; ++i)
        loopOnce();
    // The redisplay of the switch draws before the first tick: it is not a frame.
    std::vector<std::string> expected = {"game:activate",
                                         "game:display",
                                         "game:keyboard A 0,0",
                                         "game:tick",
                                         "game:display",
                                         "game:keyboardUp A",
                                         "game:mouse 0 0 10,20",
                                         "game:motion 15,26",
                                         "game:tick",
                                         "game:display",
                                         "game:special 100",
                                         "game:specialUp 100",
                                         "game:tick",
                                         "game:display",
                                         "game:tick",
                                         "game:display"};
    EXPECT_EQ(std::vector<std::string>(log.begin(), log.begin() + 16), expected);
    EXPECT_EQ(keys.modifiers, GLUT_ACTIVE_SHIFT);
    EXPECT_FALSE(keys.isKeyDown('A'));
    EXPECT_TRUE(mouse.leftDown);
    EXPECT_EQ(mouse.x, 15); // the keys after it come where the pointer was left
    EXPECT_EQ(mouse.y, 26);
    EXPECT_EQ(fake.fullScreenToggles, 1); // F11 is the shell's, not the screen's
    std::vector<std::string> padCalls = {"attach 2", "1 lefttrigger 0.500000", "3 a 1.000000",
                                         "0 unplug"};
    EXPECT_EQ(pads.calls, padCalls);

    EXPECT_EQ(fake.loopsLeft, 1);
    EXPECT_TRUE(session->ended());
    std::vector<std::string> trace = lines(tracePath);
    ASSERT_EQ(trace.size(), 4u);
    for (int t = 0; t < 4; ++t)
        EXPECT_EQ(trace[t], "{\"tick\":" + std::to_string(t) +
                                ",\"screen\":\"game\",\"ticks\":" + std::to_string(t + 1) + "}");
    EXPECT_EQ(session->finish(), 1); // pad 3 failed
}

// The level editor has no timer chain: while the run still needs frames the session makes
// them, 60 a second, with the script's events; then the screen is left to redraw on input.
TEST_F(Session, DrivesFramesForAScreenWithoutAChain) {
    StillScreen editor;
    Options options;
    options.screenshots = {{30, "thirty.png"}, {30, "fail.png"}};
    auto session = start("10 key z down\n59 key y down\n", options);
    switchScreen(&editor);
    double start = fake.now;
    for (int i = 0; i < 200 && (!fake.timers.empty() || fake.redisplays > 0); ++i)
        loopOnce();
    EXPECT_EQ(editor.received, "zy");
    EXPECT_EQ(session->frame(), 60); // frames 0 .. 59, then nothing more was asked for
    EXPECT_NEAR(fake.now - start, 60 / 60.0, 0.002);
    EXPECT_TRUE(fake.timers.empty());
    // Both pictures of frame 30 were taken from the back buffer, before its swap: 31 swaps
    // came before, of frames 0 .. 29 and of the switch's own redisplay.
    std::vector<std::string> shots = {"thirty.png @31", "fail.png @31"};
    EXPECT_EQ(saved, shots);
    EXPECT_EQ(session->finish(), 1); // one of them failed
    EXPECT_EQ(frameObserver(), nullptr);
}

TEST_F(Session, AScreenshotThatNeverCameFailsTheRun) {
    Options options;
    options.screenshots = {{5, "late.png"}};
    auto session = start("", options);
    switchScreen(&screen);
    for (int i = 0; i < 4; ++i)
        loopOnce();
    EXPECT_EQ(session->frame(), 3);
    EXPECT_EQ(session->finish(), 1);
    EXPECT_TRUE(saved.empty());
}

TEST(TraceLine, NestsEscapesAndNullsWhatJsonCannotHold) {
    TraceLine line;
    line.add("tick", 7);
    line.add("screen", "game");
    line.add("countdown", 12.5);
    line.add("rotating", false);
    line.beginArray("players");
    line.beginObject();
    line.add("health", 10);
    line.add("name", std::string("a\"b\\c\n"));
    line.add("level", std::string("\xc3\xa9\xff!\xe2\x82")); // a name of any bytes
    line.end();
    line.beginObject();
    line.add("speed", std::nan(""));
    line.beginArray("items");
    line.add(nullptr, 1);
    line.add(nullptr, 2);
    EXPECT_EQ(line.text(), "{\"tick\":7,\"screen\":\"game\",\"countdown\":12.5,\"rotating\":false,"
                           "\"players\":[{\"health\":10,\"name\":\"a\\\"b\\\\c\\u000a\","
                           "\"level\":\"\xc3\xa9\\ufffd!\\ufffd\\ufffd\"},"
                           "{\"speed\":null,\"items\":[1,2]}]}");
}

TEST(Screenshots, TimestampedNamesNeverOverwrite) {
    namespace fs = std::filesystem;
    fs::path folder = fs::temp_directory_path() / ("quorl_shots_" + std::to_string(getpid()));
    fs::create_directories(folder);
    std::time_t when = 1700000000;
    std::tm local{};
    localtime_r(&when, &local);
    char expected[64];
    std::strftime(expected, sizeof expected, "quorl-%Y%m%d-%H%M%S", &local);
    std::string first = screenshotPath(folder.string(), when);
    EXPECT_EQ(first, (folder / expected).string() + ".png");
    std::ofstream(first).put('x');
    std::string second = screenshotPath(folder.string(), when);
    EXPECT_EQ(second, (folder / expected).string() + "-2.png");
    std::ofstream(second).put('x');
    EXPECT_EQ(screenshotPath(folder.string(), when), (folder / expected).string() + "-3.png");
    fs::remove_all(folder);
}

} // namespace

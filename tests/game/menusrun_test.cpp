#include <gtest/gtest.h>

#include <array>
#include <csignal>
#include <cstring>
#include <memory>
#include <sstream>

#include "support/childprocess.h"
#include "support/gamerun.h"
#include "support/menutesting.h"
#include "support/pngfile.h"
#include "world/box.h"

namespace {

namespace fs = std::filesystem;

// Field `name` of a trace line as its text ("3", "true", "\"editor\""); empty when missing.
std::string field(const std::string& line, const std::string& name) {
    size_t at = line.find("\"" + name + "\":");
    if (at == std::string::npos)
        return "";
    at += name.size() + 3;
    return line.substr(at, line.find_first_of(",}", at) - at);
}

// A player's evening: from the welcome screen by keys into the editor; a block drawn on the
// face in view (window pixels worked out for the editor's first view of a 3x3x3 cube, 800x600),
// raised to about 10 by dragging along its side, copied to the other faces by key, the view
// turned with the middle button, saved by key, back by Escape; the new level is in the list, a
// pad chooses it, and two pads play it for 30 s.
const char* const EVENING = R"(10 key down down
11 key down up
20 key enter down
22 key enter up
40 mouse left down 487 213
45 motion 519 181
50 motion 552 148
55 mouse left up 552 148
70 mouse left down 493 179
75 motion 496 172
80 motion 498 165
85 mouse left up 498 165
90 key c down
91 key c up
95 mouse middle down 400 300
96 motion 415 285
97 motion 430 270
98 mouse middle up 430 270
120 key s down
121 key s up
130 key escape down
131 key escape up
150 key up down
151 key up up
160 key enter down
161 key enter up
180 pad 0 lefty 1
185 pad 0 lefty 0
190 pad 0 lefty -1
195 pad 0 lefty 0
200 pad 0 a 1
205 pad 0 a 0
)";

// Then both pads play: back and forth round their starts, steering, firing, now and then
// turning a layer.
std::string play() {
    std::ostringstream s;
    for (int k = 0; k < 44; ++k) {
        int t = 220 + 40 * k;
        for (int pad = 0; pad < 2; ++pad)
            s << t << " pad " << pad << " lefty " << (k % 2 ? 1 : -1) << "\n"
              << t << " pad " << pad << " leftx " << (k % 3 - 1) * 0.6 << "\n"
              << t << " pad " << pad << " righttrigger " << (k + pad) % 2 << "\n";
        if (k % 10 == 5)
            s << t << " pad " << k % 2 << " x 1\n" << t + 3 << " pad " << k % 2 << " x 0\n";
    }
    return s.str();
}

constexpr int LAST_FRAME = 2010; // 30 s of play after the level starts at frame 205

TEST(MenusRun, FromTheWelcomeScreenThroughTheEditorToAMatchOnTheNewLevel) {
    ScratchFolder run; // with a copy of the shipped levels, for the run saves one beside them
    for (const auto& level : fs::directory_iterator(run.previous / "levels"))
        fs::copy_file(level.path(), run.path / "levels" / level.path().filename());
    std::ofstream("evening.txt") << EVENING << play();
    const char* shots[] = {"5:welcome", "30:editor", "60:drawn", "88:raised",  "110:copied",
                           "140:back",  "175:list",  "230:game", "2010:played"};
    std::vector<std::string> arguments = {"--pads",
                                          "2",
                                          "--script",
                                          "evening.txt",
                                          "--seed",
                                          "3",
                                          "--fixed-step",
                                          "--trace",
                                          "trace.jsonl",
                                          "--exit-after",
                                          std::to_string(LAST_FRAME)};
    for (const char* shot : shots)
        arguments.insert(arguments.end(), {"--screenshot", std::string(shot) + ".png"});
    ChildProcess game(QUORL_BINARY, arguments, run.path.string());
    ASSERT_EQ(game.waitForExit(900.0), 0) << game.output();
    EXPECT_NE(game.output().find("Saved level: Level 1\n"), std::string::npos);
    EXPECT_NE(game.output().find("Loading level: Level 1\n"), std::string::npos);

    std::ifstream in("trace.jsonl");
    std::vector<std::string> trace;
    for (std::string line; std::getline(in, line);)
        trace.push_back(line);
    ASSERT_EQ(trace.size(), static_cast<size_t>(LAST_FRAME + 1));
    // Frame, field, value: the editor's steps, then the list with the new level.
    const std::vector<std::array<std::string, 3>> expected = {
        {"12", "selected", "1"},  {"30", "screen", "\"editor\""}, {"30", "cube", "3"},
        {"30", "blocks", "0"},    {"41", "phase", "1"},           {"60", "blocks", "1"},
        {"60", "phase", "3"},     {"60", "height", "1"},          {"81", "phase", "2"},
        {"100", "blocks", "6"},   {"125", "selected", "false"},   {"140", "screen", "\"welcome\""},
        {"175", "mode", "1"},     {"175", "levels", "7"},         {"186", "selected", "1"},
        {"196", "selected", "0"}, {"206", "screen", "\"game\""}};
    for (const auto& e : expected)
        EXPECT_EQ(field(trace[std::stoi(e[0])], e[1]), e[2]) << trace[std::stoi(e[0])];
    float raised = std::stof("0" + field(trace[88], "height"));
    EXPECT_NEAR(raised, 10, 1);
    for (int t = 206; t <= LAST_FRAME; ++t)
        ASSERT_EQ(field(trace[t], "screen"), "\"game\"") << trace[t];
    EXPECT_GE(std::stoi("0" + field(trace[230], "objects")), 8); // six blocks, two tanks
    for (const char* input : {"Virtual Pad 1\"", "Virtual Pad 2\"", "Keyboard\""})
        EXPECT_EQ(trace[LAST_FRAME].find(std::string("\"input\":\"") + input) != std::string::npos,
                  input[0] == 'V')
            << trace[LAST_FRAME];

    // The saved level, in the player's own folder and not among the shipped ones: a block of
    // about 12 x 12 x 10 on every face.
    EXPECT_FALSE(fs::exists(run.path / "levels" / "Level 1"));
    std::unique_ptr<World> level(
        loadLevel(game.homeFolder() + "/.local/share/quorl/levels/Level 1"));
    ASSERT_NE(level, nullptr);
    ASSERT_EQ(level->boxes.size(), 6u);
    int faces = 0;
    for (Object* object : level->boxes) {
        auto* box = static_cast<Box*>(object);
        faces |= 1 << box->face;
        EXPECT_NEAR(box->width, 12, 0.5);
        EXPECT_NEAR(box->depth, 12, 0.5);
        EXPECT_FLOAT_EQ(box->height, raised);
    }
    EXPECT_EQ(faces, 63);

    // Every picture taken; where the block goes, the face's red before and the highlight's
    // grey once it is drawn.
    std::vector<unsigned char> pictures[2];
    for (const char* shot : shots) {
        std::string name = std::strchr(shot, ':') + 1;
        int width = 0, height = 0;
        std::vector<unsigned char> rgb = readPngRgb(name + ".png", width, height);
        EXPECT_EQ(width * height, 800 * 600) << name;
        if (name == "editor" || name == "drawn")
            pictures[name == "drawn"] = rgb;
    }
    ASSERT_EQ(pictures[0].size(), 800u * 600 * 3);
    ASSERT_EQ(pictures[1].size(), 800u * 600 * 3);
    const unsigned char* before = &pictures[0][(181 * 800 + 519) * 3];
    const unsigned char* after = &pictures[1][(181 * 800 + 519) * 3];
    EXPECT_GT(before[0], 150);
    EXPECT_LT(before[1], 60);
    EXPECT_GT(after[1], 150);
    EXPECT_NEAR(after[0], after[2], 20);
}

// A pad unplugged on the welcome screen takes no seat: the match starts with the pads that are
// plugged in, not with a tank nobody can drive.
TEST(MenusRun, APadUnpluggedOnTheWelcomeScreenTakesNoSeat) {
    ScratchFolder run;
    run.writeCube("Cube", 3, 0);
    std::ofstream("unplug.txt") << "10 pad 1 unplug\n20 pad 0 a 1\n22 pad 0 a 0\n"
                                   "30 pad 0 a 1\n32 pad 0 a 0\n";
    ChildProcess game(QUORL_BINARY,
                      {"--pads", "2", "--script", "unplug.txt", "--fixed-step", "--trace",
                       "trace.jsonl", "--exit-after", "60"},
                      run.path.string());
    ASSERT_EQ(game.waitForExit(120.0), 0) << game.output();
    std::ifstream in("trace.jsonl");
    std::string line;
    for (int frame = 0; frame <= 60 && std::getline(in, line);)
        ++frame;
    ASSERT_EQ(field(line, "screen"), "\"game\"") << line;
    EXPECT_NE(line.find("\"input\":\"Virtual Pad 1\""), std::string::npos) << line;
    EXPECT_EQ(line.find("\"input\":\"Virtual Pad 2\""), std::string::npos) << line;
    EXPECT_EQ(line.find("\"input\":\"Keyboard\""), std::string::npos) << line;
}

// Script lines that press each key at frame t and let it go a frame later, a key every three
// frames, t ending after the last: script key names ("down", "enter"), then each character of
// `text`. Calls that share t must be sequenced (statements, or one << chain).
std::string pressing(int& t, std::vector<std::string> keys, const std::string& text = "") {
    std::ostringstream lines;
    for (char c : text)
        keys.push_back(std::string(1, c));
    for (const std::string& key : keys) {
        lines << t << " key " << key << " down\n" << t + 1 << " key " << key << " up\n";
        t += 3;
    }
    return lines.str();
}

// The first line from `from` on that holds `text`; -1 when none does.
int firstLineWith(const std::vector<std::string>& trace, const std::string& text, int from = 0) {
    for (int i = std::max(from, 0); i < static_cast<int>(trace.size()); ++i)
        if (trace[static_cast<size_t>(i)].find(text) != std::string::npos)
            return i;
    return -1;
}

// One machine hosts from the menu ("Play Online", "Host", a level) on the port QUORL_ONLINE_PORT
// gives (0: any free one). Another types an address on its Join line where nobody hosts (port 9,
// which no game takes): the online screen says so once the link gives up, and Escape goes back
// onto "Play Online". Its Join line then offers that address again; Backspace and the host's
// port make it the host's, which it joins: the lobby counts two machines, the joiner waits for
// the start and keeps the address in its settings file.
TEST(MenusRun, OneMachineHostsFromTheMenuAndAnotherJoinsByTheAddressTyped) {
    ScratchFolder run;
    run.writeCube("Cube", 3, 0);
    int t = 10;
    const std::vector<std::string> online = {"down", "down", "down", "enter"}; // "Play Online"
    std::ofstream("host.txt") << pressing(t, online) << pressing(t, {"enter", "enter"});
    ChildProcess host(QUORL_BINARY,
                      {"--pads", "1", "--script", "host.txt", "--seed", "5", "--fixed-step",
                       "--trace", "host.jsonl", "--exit-after", "100000"},
                      run.path.string(), false, "", {"QUORL_ONLINE_PORT=0"});
    ASSERT_TRUE(waitForFrames("host.jsonl", 60, 120.0)) << host.output();
    std::vector<std::string> trace = readLines("host.jsonl");
    int list = firstLineWith(trace, "\"levels\":1,\"hosting\":true");
    int lobby = firstLineWith(trace, "\"status\":\"Hosting on port ", list);
    ASSERT_GT(list, 0);
    ASSERT_GT(lobby, list);
    const std::string& status = trace[static_cast<size_t>(lobby)];
    EXPECT_NE(status.find(": 1 machine\""), std::string::npos) << status;
    std::string port = std::to_string(std::atoi(status.c_str() + status.find(" port ") + 6));

    t = 10;
    std::string script = pressing(t, online);
    script += pressing(t, {"down", "enter"}, "127.0.0.1:9");
    script += pressing(t, {"enter"});
    const int nobody = t, back = t + 600; // ten seconds at the pace of a fixed step
    t = back;
    script += pressing(t, {"escape", "enter", "down", "enter", "backspace"}, port);
    script += pressing(t, {"enter"});
    std::ofstream("join.txt") << script;
    ChildProcess joiner(QUORL_BINARY,
                        {"--pads", "1", "--script", "join.txt", "--fixed-step", "--trace",
                         "join.jsonl", "--screenshot", std::to_string(nobody + 30) + ":joining.png",
                         "--exit-after", std::to_string(t + 240)},
                        run.path.string());
    ASSERT_EQ(joiner.waitForExit(300.0), 0) << joiner.output();
    host.signal(SIGTERM);
    ASSERT_EQ(host.waitForExit(60.0), 0) << host.output();
    EXPECT_NE(host.output().find("Hosting level: Cube\n"), std::string::npos) << host.output();
    EXPECT_GT(firstLineWith(readLines("host.jsonl"), "\"machines\":2", lobby), lobby);

    trace = readLines("join.jsonl");
    const std::string address = "\"address\":\"127.0.0.1:", typed = "127.0.0.1:" + port;
    EXPECT_EQ(firstLineWith(trace, "\"status\":\"Joining 127.0.0.1:9...\""), nobody - 2);
    int gaveUp =
        firstLineWith(trace, "\"status\":\"No game is hosted there, or it does not answer");
    EXPECT_GT(gaveUp, nobody);
    EXPECT_LT(gaveUp, back);
    RecordProperty("framesUntilTheLinkGaveUp", gaveUp - nobody);
    // The online screen shows what it says: its title's yellow and the status's white.
    int width = 0, height = 0, yellow = 0, white = 0;
    std::vector<unsigned char> rgb = readPngRgb("joining.png", width, height);
    for (size_t i = 0; i + 2 < rgb.size(); i += 3) {
        yellow += rgb[i] > 200 && rgb[i + 1] > 180 && rgb[i + 2] < 120;
        white += rgb[i] > 200 && rgb[i + 1] > 200 && rgb[i + 2] > 200;
    }
    EXPECT_GT(yellow, 500);
    EXPECT_GT(white, 300);
    // Each step after it, in order: the menu, the address offered, mended, typed, joined.
    int at = back - 1; // Escape acts as it goes down
    for (const std::string& step : std::vector<std::string>{
             "\"screen\":\"welcome\",\"mode\":0,\"selected\":3,", address + "9\"", address + "\"",
             address + port + "\"", "\"status\":\"Joining " + typed + "...\"",
             "Joined: waiting for the host to start the match."}) {
        int next = firstLineWith(trace, step, at);
        EXPECT_GT(next, at) << step;
        at = std::max(at, next);
    }
    std::ifstream settings(joiner.homeFolder() + "/.config/quorl/settings");
    std::string text((std::istreambuf_iterator<char>(settings)), {});
    EXPECT_NE(text.find("\njoin_address = " + typed + "\n"), std::string::npos) << text;
}

} // namespace

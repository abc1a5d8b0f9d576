#include <gtest/gtest.h>

#include <GL/freeglut.h>
#include <sstream>

#include "session/script.h"

namespace {

using Kind = ScriptEvent::Kind;

bool parse(const std::string& text, std::vector<ScriptEvent>& events, std::string& error) {
    std::istringstream in(text);
    error.clear();
    return parseScript(in, events, error);
}

TEST(Script, ReadsEveryEventFormInFrameOrder) {
    std::vector<ScriptEvent> events;
    std::string error;
    ASSERT_TRUE(parse("# a comment line\n"
                      "\n"
                      "5 pad 1 leftx -0.5   # the stick half left\n"
                      "3 pad 0 unplug\n"
                      "  4   pad 0 plug\n"
                      "5 key A down\n"
                      "5 key enter up\n"
                      "6 key escape down\n"
                      "6 key delete down\n"
                      "6 key left down\n"
                      "6 key f12 up\n"
                      "6 key pagedown down\n"
                      "7 mouse right up -3 40\n"
                      "7 motion 15 25\n",
                      events, error))
        << error;
    ASSERT_EQ(events.size(), 12u);
    // Ordered by frame; within a frame, as written.
    EXPECT_EQ(events[0].kind, Kind::PAD_UNPLUG);
    EXPECT_EQ(events[0].frame, 3);
    EXPECT_EQ(events[0].line, 4);
    EXPECT_EQ(events[1].kind, Kind::PAD_PLUG);
    EXPECT_EQ(events[2].kind, Kind::PAD_CONTROL);
    EXPECT_EQ(events[2].pad, 1);
    EXPECT_EQ(events[2].control, "leftx");
    EXPECT_FLOAT_EQ(events[2].value, -0.5f);
    EXPECT_EQ(events[2].line, 3);
    EXPECT_EQ(events[3].kind, Kind::KEY);
    EXPECT_EQ(events[3].key, 'A');
    EXPECT_TRUE(events[3].down);
    EXPECT_EQ(scriptKeyModifiers(events[3]), GLUT_ACTIVE_SHIFT);
    EXPECT_EQ(events[4].key, 13);
    EXPECT_FALSE(events[4].down);
    EXPECT_EQ(scriptKeyModifiers(events[4]), 0);
    EXPECT_EQ(events[5].key, 27);
    EXPECT_EQ(events[6].kind, Kind::KEY);
    EXPECT_EQ(events[6].key, 127);
    EXPECT_EQ(events[7].kind, Kind::SPECIAL_KEY);
    EXPECT_EQ(events[7].key, GLUT_KEY_LEFT);
    EXPECT_EQ(events[8].key, GLUT_KEY_F12);
    EXPECT_EQ(events[9].key, GLUT_KEY_PAGE_DOWN);
    EXPECT_EQ(events[10].kind, Kind::MOUSE);
    EXPECT_EQ(events[10].button, 2);
    EXPECT_FALSE(events[10].down);
    EXPECT_EQ(events[10].x, -3);
    EXPECT_EQ(events[10].y, 40);
    EXPECT_EQ(events[11].kind, Kind::MOTION);
    EXPECT_EQ(events[11].x, 15);
    EXPECT_EQ(events[11].y, 25);
}

TEST(Script, EveryControlAndKeyNameIsKnown) {
    std::string text;
    for (const char* axis : {"leftx", "lefty", "rightx", "righty"})
        text += std::string("0 pad 0 ") + axis + " -1\n";
    for (const char* trigger : {"lefttrigger", "righttrigger"})
        text += std::string("0 pad 0 ") + trigger + " 0.75\n";
    for (const char* button :
         {"a", "b", "x", "y", "back", "guide", "start", "leftstick", "rightstick", "leftshoulder",
          "rightshoulder", "dpup", "dpdown", "dpleft", "dpright"})
        text += std::string("0 pad 15 ") + button + " 1\n";
    const char* keys[] = {"up",    "down",   "left",      "right",  "enter",  "escape",
                          "space", "tab",    "backspace", "insert", "delete", "home",
                          "end",   "pageup", "pagedown",  "=",      "q",      "/"};
    for (const char* key : keys)
        text += std::string("1 key ") + key + " down\n";
    for (int f = 1; f <= 12; ++f)
        text += "2 key f" + std::to_string(f) + " down\n";
    text += "3 mouse left down 0 0\n3 mouse middle up 1 1\n";
    std::vector<ScriptEvent> events;
    std::string error;
    ASSERT_TRUE(parse(text, events, error)) << error;
    ASSERT_EQ(events.size(), 4u + 2u + 15u + 18u + 12u + 2u);
    EXPECT_EQ(events[6].pad, 15);
    EXPECT_EQ(events[21 + 6].key, ' ');
    EXPECT_EQ(events[21 + 7].key, 9);
    EXPECT_EQ(events[21 + 8].key, 8);
    EXPECT_EQ(events[21 + 9].key, GLUT_KEY_INSERT);
    EXPECT_EQ(events[39].key, GLUT_KEY_F1);
    EXPECT_EQ(events[50].key, GLUT_KEY_F12);
    EXPECT_EQ(events[52].button, 1);
}

// A malformed line is refused with its number; nothing of the script is kept.
TEST(Script, BadLinesAreNamedByNumber) {
    const struct {
        const char* line;
        const char* says;
    } cases[] = {
        {"x key a down", "frame number"},
        {"-1 key a down", "frame number"},
        {"12", "missing"},
        {"1 jump", "unknown event \"jump\""},
        {"1 key a", "T key K down|up"},
        {"1 key a pressed", "T key K down|up"},
        {"1 key ab down", "unknown key \"ab\""},
        {"1 key f13 down", "unknown key"},
        {"1 key f0 down", "unknown key"},
        {"1 key # down", "T key K down|up"},
        {"1 mouse left down 3", "T mouse"},
        {"1 mouse wheel down 3 4", "T mouse"},
        {"1 mouse left down 3 y", "T mouse"},
        {"1 motion 3", "T motion X Y"},
        {"1 motion 3 4 5", "T motion X Y"},
        {"1 pad 16 a 1", "P from 0 to 15"},
        {"1 pad x a 1", "pad event"},
        {"1 pad 0 trigger 1", "unknown pad control \"trigger\""},
        {"1 pad 0 a", "needs one value"},
        {"1 pad 0 a 0.5", "0 (released) or 1 (pressed)"},
        {"1 pad 0 leftx 1.5", "from -1 to 1"},
        {"1 pad 0 lefttrigger -0.1", "from 0 to 1"},
        {"1 pad 0 righty nan", "from -1 to 1"},
        {"1 pad 0 unplug now", "unknown pad control"},
    };
    for (const auto& c : cases) {
        std::vector<ScriptEvent> events;
        std::string error;
        EXPECT_FALSE(parse(std::string("0 key a down\n# fine so far\n") + c.line + "\n4 key b up",
                           events, error))
            << c.line;
        EXPECT_EQ(error.rfind("line 3: ", 0), 0u) << error;
        EXPECT_NE(error.find(c.says), std::string::npos) << c.line << " -> " << error;
        EXPECT_TRUE(events.empty());
    }
    std::vector<ScriptEvent> events;
    std::string error;
    EXPECT_FALSE(loadScript("/nonexistent/script.txt", events, error));
    EXPECT_NE(error.find("/nonexistent/script.txt"), std::string::npos);
    EXPECT_FALSE(loadScript("/tmp", events, error));
}

// A script is read in bounded lines and a bounded number of them: bytes without a line break
// (a device that never ends) are refused at the first line that runs on; '#', which starts a
// comment, is scripted by name.
TEST(Script, LinesAndFilesAreBoundedAndTheHashKeyHasAName) {
    std::vector<ScriptEvent> events;
    std::string error;
    EXPECT_FALSE(parse(std::string(50 << 20, '\0'), events, error));
    EXPECT_EQ(error, "line 1: longer than 1000 bytes");
    EXPECT_FALSE(parse("0 key a down\n# fine so far\n1 key b down #" + std::string(990, '-'),
                       events, error));
    EXPECT_EQ(error, "line 3: longer than 1000 bytes");
    EXPECT_TRUE(events.empty());
    std::string many;
    for (int line = 0; line <= MAX_SCRIPT_LINES; ++line)
        many += "#\n";
    EXPECT_FALSE(parse(many, events, error));
    EXPECT_EQ(error, "more than 1000000 lines");
    many.resize(many.size() - 4); // one line short of the most, for the last
    EXPECT_TRUE(parse(many + "7 key hash down", events, error)) << error;
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].key, '#');
    EXPECT_EQ(events[0].kind, ScriptEvent::Kind::KEY);
    EXPECT_EQ(events[0].line, MAX_SCRIPT_LINES);
}

} // namespace

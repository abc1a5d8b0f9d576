#include <gtest/gtest.h>

#include <cmath>

#include "matchrun.h"
#include "support/childprocess.h"

namespace {

using namespace gamerun;

constexpr double PI = 3.14159265358979;
constexpr double SLOT = 2 * PI / 3; // radians between two item slots

double y(const JsonValue& frame, int player) {
    return frame["players"][player]["position"][1].num();
}

// The wheel angle that holds `slot` in the ring, compared modulo a full turn.
double offSlot(double wheel, int slot) {
    return std::fabs(std::remainder(wheel - (PI / 4 + slot * SLOT), 2 * PI));
}

// The script of a whole match between two pads, at 60 frames a second. Pad 0 drives its tank
// up its face (+X) until it stands well out of the middle layer, losing its pad for a while on
// the way; pad 1, on the opposite face, fires a shell where it stands, turns its middle layer
// twice and so comes round behind pad 0's tank, takes a new shell (developer key 2), turns the
// item wheel to it and fires at the tank ahead, which the script has left with one point.
const char* const MATCH_SCRIPT = R"(# a whole match
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
)";

// Frame 30: two views, one above the other, each with sky above and its own face below, and
// each with its heads-up display.
void expectTwoViewsOneAboveTheOther(const Picture& shot) {
    const int w = shot.width, h = shot.height / 2;
    const struct {
        const char* name;
        int top;
        std::function<bool(Picture::Rgb)> ground;
    } views[] = {
        {"top view (face 0, blue)", 0, [](Picture::Rgb c) { return c.b > 150 && c.r < 80; }},
        {"bottom view (face 1, green)", h, [](Picture::Rgb c) { return c.g > 150 && c.r < 80; }},
    };
    for (const auto& v : views) {
        SCOPED_TRACE(v.name);
        // Sky below the label, left of the display; ground right of the tank, left of the gauge.
        int skyRow = v.top + h / 8, groundRow = v.top + h - h / 10;
        int sky = shot.count(0, skyRow, w / 2, skyRow + h / 10, isSky);
        EXPECT_GT(sky, (w / 2) * (h / 10) * 7 / 10);
        int ground = shot.count(w * 9 / 16, groundRow, w * 13 / 16, v.top + h, v.ground);
        EXPECT_GT(ground, (w / 4) * (h / 10) * 7 / 10);
        EXPECT_GT(shot.count(w - w / 4, v.top, w, v.top + h / 2, isRingYellow), 10);
    }
}

// Frame 420: the destroyed tank's view says "You lose." in red across its width; the winner's
// view says "You win!" (drawn in the colour left current, dark here), and neither shows its
// display any more. `before` is the same scene before the end, with both displays up.
void expectTheVerdicts(const Picture& shot, const Picture& before) {
    const int w = shot.width, h = shot.height / 2;
    std::pair<int, int> red = shot.span(0, 0, w, h / 2, isRed);
    EXPECT_GT(shot.count(0, 0, w, h / 2, isRed), w * h / 60);
    EXPECT_LT(red.first, w / 8);
    EXPECT_GT(red.second, w * 7 / 8);
    EXPECT_LT(shot.count(0, h, w, h + h / 2, isRed), w * h / 1000);
    // The winner's text: dark strokes across the view where the same scene had none.
    auto newlyDark = [&](int x, int y) {
        return isDark(shot.at(x, y)) && !isDark(before.at(x, y));
    };
    int dark = 0, left = w, right = -1;
    for (int yy = h; yy < h + h / 2; ++yy)
        for (int x = 0; x < w; ++x)
            if (newlyDark(x, yy)) {
                ++dark;
                left = std::min(left, x);
                right = std::max(right, x);
            }
    EXPECT_GT(dark, w * h / 60);
    EXPECT_LT(left, w / 8);
    EXPECT_GT(right, w * 7 / 8);
    for (int top : {0, h}) {
        EXPECT_GT(before.count(w - w / 4, top, w, top + h / 2, isRingYellow), 10) << top;
        EXPECT_EQ(shot.count(w - w / 4, top, w, top + h / 2, isRingYellow), 0) << top;
    }
}

// A whole match of two virtual pads, traced frame by frame and pictured: the split views, the
// left stick driving a tank forward, a pad unplugged and plugged back driving its tank again,
// a shell fired and exploding, the item wheel turning with trigger B, a layer turn carrying a
// tank to the next face, a destroyed tank and the verdicts, and 30 s later the welcome screen.
TEST(GameRun, TwoPadsPlayAMatchToItsEndAndTheWelcomeScreenReturns) {
    MatchFolder run;
    run.write("match.txt", MATCH_SCRIPT);
    ChildProcess game(QUORL_BINARY,
                      {"--pads",
                       "2",
                       "--level",
                       "arena",
                       "--script",
                       "match.txt",
                       "--seed",
                       "3",
                       "--fast",
                       "--trace",
                       "trace.jsonl",
                       "--size",
                       "240x180",
                       "--screenshot",
                       "30:split.png",
                       "--screenshot",
                       "320:before.png",
                       "--screenshot",
                       "420:verdicts.png",
                       "--exit-after",
                       "2200"},
                      run.path.string());
    ASSERT_EQ(game.waitForExit(240.0), 0) << game.output();
    std::vector<JsonValue> t = readTrace(run.file("trace.jsonl"));
    ASSERT_EQ(t.size(), 2201u);
    for (size_t i = 0; i < t.size(); ++i)
        ASSERT_EQ(t[i]["tick"].num(), double(i)) << "line " << i << " is not a frame";

    // The left stick up drives tank 0 straight ahead, up its face; its pad gone, it slows
    // down, and it speeds up again once the pad is back.
    EXPECT_EQ(t[0]["players"][0]["face"].num(), 0);
    EXPECT_GT(y(t[40], 0), y(t[6], 0) + 1);
    for (int f = 6; f < 40; ++f) {
        ASSERT_GT(y(t[f + 1], 0), y(t[f], 0)) << f;
        ASSERT_EQ(t[f]["players"][0]["position"][0].num(), 42) << f;
        ASSERT_EQ(t[f]["players"][0]["position"][2].num(), 0) << f;
    }
    auto speed = [&](int f) { return y(t[f + 1], 0) - y(t[f], 0); };
    EXPECT_LT(speed(58), speed(41) * 0.5);
    EXPECT_GT(speed(75), speed(61) * 1.5);
    EXPECT_GT(y(t[199], 0), 14.5) << "out of the middle layer before the turns";
    std::string out = game.output();
    EXPECT_NE(out.find("Error: joyGetPosEx: Joystick not attached\n"), std::string::npos) << out;

    // The fire trigger launches a shell, which lands and explodes.
    EXPECT_EQ(t[19]["shells"].num(), 0);
    EXPECT_EQ(t[20]["shells"].num(), 1);
    EXPECT_TRUE(t[20]["players"][1]["items"][0].isNull()); // its shell left the inventory
    int landed = 0;
    for (int f = 21; f < 200 && !landed; ++f)
        if (t[f]["shells"].num() == 0 && t[f]["explosions"].num() == 1)
            landed = f;
    EXPECT_GT(landed, 30);
    EXPECT_LT(landed, 90);
    EXPECT_EQ(t[199]["explosions"].num(), 0);

    // Trigger B selects the next item and the wheel turns to it, a third of a slot a frame.
    EXPECT_EQ(t[259]["players"][1]["current"].num(), 1);
    EXPECT_EQ(t[260]["players"][1]["current"].num(), 2);
    EXPECT_LT(offSlot(t[259]["players"][1]["wheel"].num(), 1), 1e-4);
    EXPECT_GT(offSlot(t[260]["players"][1]["wheel"].num(), 2), 0.1); // on its way
    EXPECT_LT(offSlot(t[262]["players"][1]["wheel"].num(), 2), 1e-4);

    // Button 1 turns the layer tank 1 stands on, a quarter turn in 18 frames (the press's own
    // tick takes the first step), carrying it to the next face; tank 0, on another layer,
    // stays where it is.
    EXPECT_FALSE(t[199]["rotating"].boolean);
    for (int f = 200; f < 217; ++f)
        EXPECT_TRUE(t[f]["rotating"].boolean) << f;
    EXPECT_FALSE(t[217]["rotating"].boolean);
    EXPECT_EQ(t[199]["players"][1]["face"].num(), 1);
    EXPECT_EQ(t[217]["players"][1]["face"].num(), 4);
    EXPECT_EQ(t[258]["players"][1]["face"].num(), 0); // the second turn: on tank 0's face
    EXPECT_EQ(y(t[216], 0), y(t[199], 0));
    EXPECT_EQ(t[216]["players"][0]["face"].num(), 0);

    // The shell at the one-point tank destroys it: its player is out, the other has won, and
    // the countdown runs; 30 s of frames later the welcome screen is current.
    int decided = 0;
    for (int f = 290; f < 600 && !decided; ++f)
        if (!t[f]["players"][0]["alive"].boolean)
            decided = f;
    ASSERT_GT(decided, 0) << "tank 0 was not destroyed";
    EXPECT_EQ(t[decided]["players"][0]["health"].num(), 0);
    EXPECT_TRUE(t[decided]["players"][1]["won"].boolean);
    EXPECT_FALSE(t[decided]["players"][0]["won"].boolean);
    EXPECT_NEAR(t[decided]["countdown"].num(), 30 - 1.0 / 60, 1e-4);
    EXPECT_NEAR(t[decided + 600]["countdown"].num(), 20 - 1.0 / 60, 1e-3);
    int welcome = 0;
    for (size_t f = decided; f < t.size() && !welcome; ++f)
        if (t[f]["screen"].string != "game")
            welcome = static_cast<int>(f);
    ASSERT_GT(welcome, 0) << "the welcome screen never came";
    EXPECT_EQ(t[welcome]["screen"].string, "welcome");
    EXPECT_NEAR(welcome - decided, 30 * 60, 1);
    EXPECT_EQ(t.back()["screen"].string, "welcome");
    ASSERT_GT(decided, 320) << "the picture of frame 320 must show the match still on";

    Picture split(run.file("split.png")), before(run.file("before.png")),
        verdicts(run.file("verdicts.png"));
    ASSERT_TRUE(split.ok() && before.ok() && verdicts.ok());
    ASSERT_EQ(split.width, 240);
    ASSERT_EQ(split.height, 180);
    expectTwoViewsOneAboveTheOther(split);
    expectTheVerdicts(verdicts, before);
}

} // namespace

#include <gtest/gtest.h>

#include "session/options.h"

namespace {

bool parse(const std::vector<std::string>& arguments, Options& options, std::string& error) {
    options = Options();
    error.clear();
    return parseOptions(arguments, options, error);
}

TEST(Options, EveryOptionInBothSpellings) {
    Options options;
    std::string error;
    ASSERT_TRUE(parse({}, options, error));
    EXPECT_FALSE(options.scripted());   // a plain run
    EXPECT_EQ(options.multisample, ""); // the settings say
    EXPECT_FALSE(options.sizeGiven);
    ASSERT_TRUE(parse({"--pads",
                       "3",
                       "--script",
                       "run.txt",
                       "--level",
                       "arena",
                       "--seed",
                       "4294967295",
                       "--fixed-step",
                       "--trace",
                       "t.jsonl",
                       "--screenshot",
                       "0:a.png",
                       "--screenshot=120:shots/b.PNG",
                       "--exit-after",
                       "120",
                       "--size=1024x768",
                       "--fullscreen",
                       "--data",
                       "/opt/quorl",
                       "--multisample=on",
                       "-display",
                       ":7",
                       "-iconic"},
                      options, error))
        << error;
    EXPECT_EQ(options.pads, 3);
    EXPECT_EQ(options.scriptPath, "run.txt");
    EXPECT_EQ(options.level, "arena");
    EXPECT_TRUE(options.seeded);
    EXPECT_EQ(options.seed, 4294967295u);
    EXPECT_TRUE(options.fixedStep);
    EXPECT_EQ(options.tracePath, "t.jsonl");
    ASSERT_EQ(options.screenshots.size(), 2u);
    EXPECT_EQ(options.screenshots[0].frame, 0);
    EXPECT_EQ(options.screenshots[0].path, "a.png");
    EXPECT_EQ(options.screenshots[1].frame, 120);
    EXPECT_EQ(options.screenshots[1].path, "shots/b.PNG");
    EXPECT_EQ(options.exitAfter, 120);
    EXPECT_EQ(options.width, 1024);
    EXPECT_EQ(options.height, 768);
    EXPECT_TRUE(options.sizeGiven);
    EXPECT_TRUE(options.fullscreen);
    EXPECT_EQ(options.dataFolder, "/opt/quorl");
    EXPECT_EQ(options.multisample, "on");
    EXPECT_TRUE(options.scripted());
    std::vector<std::string> glut = {"-display", ":7", "-iconic"};
    EXPECT_EQ(options.glutArguments, glut);

    ASSERT_TRUE(parse({"--pads=0", "--seed=0", "--exit-after=0", "--pads", "16", "--no-multisample",
                       "--help", "--version"},
                      options, error))
        << error;
    EXPECT_EQ(options.multisample, "off");
    EXPECT_TRUE(options.version);
    EXPECT_EQ(options.pads, 16); // the later one counts
    EXPECT_TRUE(options.seeded);
    EXPECT_EQ(options.seed, 0u);
    EXPECT_EQ(options.exitAfter, 0);
    EXPECT_TRUE(options.help);
    EXPECT_FALSE(options.mute);
    EXPECT_EQ(options.effectsVolume, -1); // the settings say
    EXPECT_EQ(options.musicVolume, -1);
    EXPECT_FALSE(options.noRumble);

    ASSERT_TRUE(parse({"--mute", "--effects-volume", "0", "--music-volume=10", "--no-rumble"},
                      options, error))
        << error;
    EXPECT_TRUE(options.mute);
    EXPECT_EQ(options.effectsVolume, 0);
    EXPECT_EQ(options.musicVolume, 10);
    EXPECT_TRUE(options.noRumble);
    EXPECT_FALSE(options.scripted()); // sound options alone are a player's run
}

// Each bad command line is refused with a message that names the culprit.
TEST(Options, BadValuesAreRefusedByName) {
    const struct {
        std::vector<std::string> arguments;
        const char* named;
    } cases[] = {
        {{"--pads"}, "--pads needs a value"},
        {{"--pads", "x"}, "--pads"},
        {{"--pads", "17"}, "--pads"},
        {{"--pads", "-1"}, "--pads"},
        {{"--pads", "2.5"}, "--pads"},
        {{"--seed", "4294967296"}, "--seed"},
        {{"--seed", "-3"}, "--seed"},
        {{"--seed="}, "--seed"},
        {{"--exit-after", "soon"}, "--exit-after"},
        {{"--exit-after", "99999999999"}, "--exit-after"},
        {{"--screenshot", "5"}, "--screenshot"},
        {{"--screenshot", "5:"}, "--screenshot"},
        {{"--screenshot", "x:a.png"}, "--screenshot"},
        {{"--screenshot", "5:a.jpg"}, "--screenshot"},
        {{"--screenshot", "9:a.png", "--exit-after", "8"}, "after --exit-after 8"},
        {{"--size", "800"}, "--size"},
        {{"--size", "0x600"}, "--size"},
        {{"--size", "1x1"}, "--size"},
        {{"--size", "800x1"}, "--size"},
        {{"--size", "159x600"}, "--size"},
        {{"--size", "800x"}, "--size"},
        {{"--size", "800x600x2"}, "--size"},
        {{"--size", "20000x600"}, "--size"},
        {{"--script", ""}, "--script"},
        {{"--trace="}, "--trace"},
        {{"--level", "../secret"}, "--level"},
        {{"--fullscreen=yes"}, "--fullscreen=yes"},
        {{"--multisample", "4"}, "--multisample wants auto, on or off"},
        {{"--multisample"}, "--multisample needs a value"},
        {{"--data="}, "--data"},
        {{"--effects-volume", "11"}, "--effects-volume wants a volume from 0 to 10"},
        {{"--effects-volume", "-1"}, "--effects-volume"},
        {{"--effects-volume", "loud"}, "--effects-volume"},
        {{"--music-volume", "5.5"}, "--music-volume"},
        {{"--music-volume"}, "--music-volume needs a value"},
        {{"--mute=yes"}, "--mute=yes"},
        {{"--bots", "7"}, "--bots"},
        {{"--bots", "-1"}, "--bots"},
        {{"--bots", "two"}, "--bots"},
        {{"--difficulty", "insane"}, "--difficulty wants easy, normal or hard"},
        {{"--difficulty="}, "--difficulty"},
        {{"--rounds", "0"}, "--rounds"},
        {{"--rounds", "10"}, "--rounds"},
        {{"--rounds"}, "--rounds needs a value"},
        {{"--turbo"}, "--turbo"},
        {{"level1"}, "level1"},
    };
    for (const auto& c : cases) {
        Options options;
        std::string error;
        EXPECT_FALSE(parse(c.arguments, options, error)) << c.arguments[0];
        EXPECT_NE(error.find(c.named), std::string::npos) << error;
    }
    EXPECT_NE(std::string(usageText()).find("--screenshot T:FILE.png"), std::string::npos);
}

// Recording and replaying: a record file and a replay's each name a file; --verify checks the
// replay's record without a window, so it needs --replay and takes nothing that needs one; a
// replay is its record's match, so it takes no level and no record of its own.
TEST(Options, RecordReplayAndVerify) {
    Options options;
    std::string error;
    ASSERT_TRUE(parse({"--record", "m.qrec", "--level=arena", "--pads", "2"}, options, error))
        << error;
    EXPECT_EQ(options.recordPath, "m.qrec");
    ASSERT_TRUE(
        parse({"--replay=m.qrec", "--script", "keys.txt", "--trace", "t.jsonl"}, options, error))
        << error;
    EXPECT_EQ(options.replayPath, "m.qrec");
    EXPECT_FALSE(options.verify);
    ASSERT_TRUE(parse({"--replay", "m.qrec", "--verify"}, options, error)) << error;
    EXPECT_TRUE(options.verify);
    const struct {
        std::vector<std::string> arguments;
        const char* says;
    } refused[] = {
        {{"--verify"}, "--verify checks the record of --replay FILE"},
        {{"--record"}, "--record needs a value"},
        {{"--replay="}, "--replay wants a non-empty value"},
        {{"--replay", "m.qrec", "--level", "arena"}, "does not go with --level"},
        {{"--replay", "m.qrec", "--record", "n.qrec"}, "does not go with --record"},
        {{"--replay", "m.qrec", "--verify", "--trace", "t.jsonl"}, "--trace does not go with it"},
        {{"--replay", "m.qrec", "--verify", "--pads", "1"}, "--pads does not go with it"},
        {{"--replay", "m.qrec", "--verify", "--fast"}, "--fast does not go with it"},
    };
    for (const auto& c : refused) {
        EXPECT_FALSE(parse(c.arguments, options, error)) << c.arguments[0];
        EXPECT_NE(error.find(c.says), std::string::npos) << error;
    }
    std::string usage = usageText();
    for (const char* option : {"--record FILE", "--replay FILE", "--verify"})
        EXPECT_NE(usage.find(option), std::string::npos) << option;
}

// The match setup: only what is given is a choice (the rest comes from the settings file).
TEST(Options, MatchSetupIsAChoiceOnlyWhenGiven) {
    Options options;
    std::string error;
    ASSERT_TRUE(parse({"--rounds", "5"}, options, error)) << error;
    EXPECT_FALSE(options.botsGiven);
    EXPECT_FALSE(options.difficultyGiven);
    EXPECT_TRUE(options.roundsGiven);
    EXPECT_EQ(options.setup.roundsToWin, 5);
    ASSERT_TRUE(parse({"--bots=6", "--difficulty", "HARD", "--pads", "0"}, options, error))
        << error;
    EXPECT_TRUE(options.botsGiven && options.difficultyGiven && !options.roundsGiven);
    EXPECT_EQ(options.setup.computerTanks, 6);
    EXPECT_EQ(options.setup.difficulty, Difficulty::HARD);
    EXPECT_EQ(options.setup.roundsToWin, 1);
}

} // namespace

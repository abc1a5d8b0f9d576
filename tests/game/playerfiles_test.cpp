#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/childprocess.h"
#include "support/gamerun.h"
#include "support/pngfile.h"

namespace {

namespace fs = std::filesystem;

// Into the editor by keys, a block drawn on the face in view (800x600), saved with S, a picture
// of the window right after, then Escape, and the level list.
const char* const DRAW_AND_SAVE = "5 key down down\n6 key down up\n10 key enter down\n"
                                  "11 key enter up\n30 mouse left down 487 213\n"
                                  "35 motion 519 181\n40 mouse left up 552 148\n"
                                  "50 key s down\n51 key s up\n"
                                  "60 key escape down\n61 key escape up\n"
                                  "70 key up down\n71 key up up\n80 key enter down\n"
                                  "81 key enter up\n";

// Field `name` of a trace line as its text; empty when missing.
std::string field(const std::string& line, const std::string& name) {
    size_t at = line.find("\"" + name + "\":");
    if (at == std::string::npos)
        return "";
    at += name.size() + 3;
    if (line[at] == '"')
        return line.substr(at, line.find('"', at + 1) - at + 1);
    return line.substr(at, line.find_first_of(",}", at) - at);
}

struct EditorRun {
    int status;
    std::vector<std::string> trace;
    std::string output;
    int redStatusPixels; // in the picture, where the editor writes its status
};

// One run of DRAW_AND_SAVE with `home` as the player's home, and `environment` on top.
EditorRun drawAndSave(const std::string& home, const std::vector<std::string>& environment = {}) {
    RunFolder run(false); // a levels/ folder of its own, empty
    run.write("script.txt", DRAW_AND_SAVE);
    ChildProcess game(QUORL_BINARY,
                      {"--script", "script.txt", "--trace", "trace.jsonl", "--fixed-step",
                       "--screenshot", "52:saved.png", "--exit-after", "90"},
                      run.path.string(), false, home, environment);
    EditorRun result;
    result.status = game.waitForExit(60.0);
    result.output = game.output();
    result.trace = readLines(run.file("trace.jsonl"));
    int width = 0, height = 0;
    std::vector<unsigned char> rgb = readPngRgb(run.file("saved.png"), width, height);
    result.redStatusPixels = 0;
    // The status line: 10 pixels up from the bottom left, about 16 high.
    for (int y = height - 30; y < height - 8 && y >= 0; ++y)
        for (int x = 8; x < 400 && x < width; ++x) {
            const unsigned char* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
            result.redStatusPixels += p[0] > 150 && p[1] < 90 && p[2] < 90;
        }
    // Nothing the run did went into the game's data.
    for (const auto& entry : fs::directory_iterator(run.path / "levels"))
        ADD_FAILURE() << "written among the game's levels: " << entry.path();
    return result;
}

// A save that fails says why in the editor's window (in red) and on standard output, and the
// game goes on: here the player's levels folder is a file.
TEST(PlayerFiles, AFailedSaveIsShownInTheWindowAndPrinted) {
    std::string home = makeScratchHome();
    ASSERT_FALSE(home.empty());
    fs::path levels = fs::path(home) / ".local/share/quorl/levels";
    fs::create_directories(levels.parent_path());
    std::ofstream(levels) << "not a folder";
    EditorRun run = drawAndSave(home);
    ASSERT_EQ(run.status, 0) << run.output;
    ASSERT_EQ(run.trace.size(), 91u);
    std::string expected = "Level not saved: " + levels.string() + ": ";
    EXPECT_NE(run.output.find(expected), std::string::npos) << run.output;
    EXPECT_EQ(field(run.trace[52], "status").find("\"" + expected), 0u) << run.trace[52];
    EXPECT_GT(run.redStatusPixels, 100) << "the failure is not shown in the window";
    EXPECT_EQ(field(run.trace[85], "screen"), "\"welcome\"");
    EXPECT_EQ(field(run.trace[85], "levels"), "0"); // the RunFolder ships none
    fs::remove_all(home);
}

// Without any home at all the game still plays; a save says there is nowhere to put it.
TEST(PlayerFiles, WithoutAHomeASaveSaysSoAndTheGameGoesOn) {
    std::string home = makeScratchHome();
    ASSERT_FALSE(home.empty());
    EditorRun run = drawAndSave(
        home, {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME"});
    ASSERT_EQ(run.status, 0) << run.output;
    ASSERT_EQ(run.trace.size(), 91u);
    EXPECT_NE(run.output.find("Level not saved: there is no folder for your levels"),
              std::string::npos)
        << run.output;
    EXPECT_GT(run.redStatusPixels, 100);
    EXPECT_EQ(field(run.trace[85], "screen"), "\"welcome\"");
    EXPECT_TRUE(fs::is_empty(home)); // nothing went to the home it was not told of
    fs::remove_all(home);
}

// Names taken by anything in the player's folder are passed over by the free-name search and
// left as they were: a folder "Level 1", a dangling link "Level 2". The save is "Level 3", shown
// in the window in grey, not red, and in the welcome list.
TEST(PlayerFiles, ASaveTakesANameNothingHasAndReplacesNothing) {
    std::string home = makeScratchHome();
    ASSERT_FALSE(home.empty());
    fs::path levels = fs::path(home) / ".local/share/quorl/levels";
    fs::create_directories(levels / "Level 1");
    fs::create_symlink("gone", levels / "Level 2");
    EditorRun run = drawAndSave(home);
    ASSERT_EQ(run.status, 0) << run.output;
    ASSERT_EQ(run.trace.size(), 91u);
    EXPECT_NE(run.output.find("Saved level: Level 3\n"), std::string::npos) << run.output;
    EXPECT_EQ(field(run.trace[52], "status"), "\"Saved level: Level 3\"");
    EXPECT_EQ(run.redStatusPixels, 0);
    EXPECT_TRUE(fs::is_directory(fs::symlink_status(levels / "Level 1")));
    EXPECT_TRUE(fs::is_symlink(levels / "Level 2"));
    EXPECT_FALSE(fs::exists(levels / "gone"));
    EXPECT_TRUE(fs::is_regular_file(levels / "Level 3"));
    EXPECT_EQ(field(run.trace[85], "levels"), "1");
    fs::remove_all(home);
}

std::string fileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The game's start-up output with `home` as the player's home, after a few frames of `script`.
std::string runWithHome(const std::string& home, const std::string& script,
                        std::vector<std::string> arguments = {}) {
    RunFolder run(false);
    run.write("script.txt", script);
    arguments.insert(arguments.end(),
                     {"--script", "script.txt", "--fixed-step", "--exit-after", "40"});
    ChildProcess game(QUORL_BINARY, arguments, run.path.string(), false, home);
    EXPECT_EQ(game.waitForExit(60.0), 0) << game.output();
    return game.output();
}

// Antialiasing changed on the Settings screen is saved when the screen is left and read by the
// next run; the command line wins for its run and saves nothing; a file of noise gives the
// defaults, one warning, and stays as it was.
TEST(PlayerFiles, SettingsChangedOnTheScreenLastAndACorruptFileGivesDefaults) {
    std::string home = makeScratchHome();
    ASSERT_FALSE(home.empty());
    fs::path file = fs::path(home) / ".config/quorl/settings";
    std::string out = runWithHome(home, "5 key down down\n6 key down up\n8 key down down\n"
                                        "9 key down up\n11 key enter down\n12 key enter up\n"
                                        "14 key down down\n15 key down up\n"
                                        "17 key right down\n18 key right up\n"
                                        "20 key escape down\n21 key escape up\n");
    EXPECT_NE(out.find(" (auto: "), std::string::npos) << out;
    EXPECT_NE(out.find("Settings saved: " + file.string() + "\n"), std::string::npos) << out;
    std::string saved = fileBytes(file);
    EXPECT_NE(saved.find("\nmultisample = on\n"), std::string::npos) << saved;

    out = runWithHome(home, "");
    EXPECT_NE(out.find("Multisampling: "), std::string::npos) << out;
    EXPECT_NE(out.find(" (settings: on)\n"), std::string::npos) << out;
    out = runWithHome(home, "", {"--no-multisample"});
    EXPECT_NE(out.find("Multisampling: off (--multisample off)\n"), std::string::npos) << out;
    EXPECT_EQ(fileBytes(file), saved);

    std::string noise;
    unsigned state = 5;
    for (int i = 0; i < 2000; ++i) {
        state = state * 1103515245u + 12345u;
        noise += static_cast<char>(state >> 16);
    }
    std::ofstream(file, std::ios::binary) << noise;
    out = runWithHome(home, "");
    EXPECT_NE(out.find(" (auto: "), std::string::npos) << out;
    size_t warning = out.find("Warning: settings " + file.string() + ", line ");
    EXPECT_NE(warning, std::string::npos) << out;
    EXPECT_EQ(out.find("Warning:", warning + 1), std::string::npos) << "one warning: " << out;
    EXPECT_EQ(fileBytes(file), noise);
    fs::remove_all(home);
}

// A program moved away from every data folder says where it looked and ends with status 1, a
// QUORL_DATA passed over getting a warning of its own; given a folder with --data, which comes
// first, it starts on it and says so.
TEST(PlayerFiles, WithoutItsDataTheGameSaysWhereItLookedAndEndsWithOne) {
    std::string scratch = makeScratchHome();
    ASSERT_FALSE(scratch.empty());
    fs::path program = fs::path(scratch) / "bin" / "quorl";
    fs::create_directories(program.parent_path());
    fs::copy_file(QUORL_BINARY, program);
    fs::create_directories(fs::path(scratch) / "empty");
    ChildProcess lost(program.string(), {"--exit-after", "1"}, scratch + "/empty", false, "",
                      {"QUORL_DATA=" + scratch + "/nowhere"});
    EXPECT_EQ(lost.waitForExit(30.0), 1) << lost.output();
    const std::string& said = lost.output();
    EXPECT_NE(said.find("Cannot find the game's data"), std::string::npos) << said;
    for (const std::string& place :
         {"QUORL_DATA: " + scratch + "/nowhere (no such folder)",
          "beside the program: " + scratch + "/share/quorl (no such folder)",
          "working folder: " + scratch + "/empty (no quorl-data-version)",
          "checkout beside the build folder: " + scratch + "/data (no such folder)"})
        EXPECT_NE(said.find("\n  " + place + "\n"), std::string::npos) << place << "\n" << said;
    EXPECT_EQ(said.find("Warning: no game data in QUORL_DATA: "), 0u) << said;
    EXPECT_EQ(said.find("OpenGL"), std::string::npos) << "no window without data";

    ChildProcess found(program.string(),
                       {"--data", std::string(QUORL_SOURCE_DIR) + "/data", "--exit-after", "1"},
                       scratch + "/empty", false, "", {"QUORL_DATA=" + scratch + "/nowhere"});
    EXPECT_EQ(found.waitForExit(30.0), 0) << found.output();
    EXPECT_NE(found.output().find("Data: " + std::string(QUORL_SOURCE_DIR) + "/data (--data)\n"),
              std::string::npos)
        << found.output();
    EXPECT_EQ(found.output().find("Warning: no game data"), std::string::npos) << found.output();
    fs::remove_all(scratch);
}

} // namespace

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "support/childprocess.h"
#include "support/menutesting.h"
#include "world/box.h"

namespace {

// The frame's trace line.
std::string frameLine(const std::string& trace, int frame) {
    std::ifstream in(trace);
    std::string line;
    for (int f = 0; f <= frame && std::getline(in, line); ++f) {
    }
    return line;
}

// A player in the editor presses C a thousand times on one block, then saves: the level holds
// the block once on each face, in the editor as in the file, and loads as it was edited. It
// used to stack five copies a press and save 5001 blocks, of which loading kept 4096.
TEST(EditorRun, CopyingAThousandTimesSavesSixBlocksThatLoadAsEdited) {
    ScratchFolder run;
    std::ostringstream script;
    script << "10 key down down\n11 key down up\n20 key enter down\n22 key enter up\n"
              "40 mouse left down 487 213\n45 motion 519 181\n50 motion 552 148\n"
              "55 mouse left up 552 148\n";
    int frame = 60;
    for (int press = 0; press < 1000; ++press, frame += 2)
        script << frame << " key c down\n" << frame + 1 << " key c up\n";
    script << frame << " key s down\n"
           << frame + 1
           << " key s up\n"
           // a drag let go off the cube leaves the editor idle
           << frame + 10 << " mouse left down 330 380\n"
           << frame + 12 << " motion 795 595\n"
           << frame + 14 << " mouse left up 795 595\n";
    const int last = frame + 20;
    std::ofstream("copies.txt") << script.str();
    ChildProcess game(QUORL_BINARY,
                      {"--script", "copies.txt", "--fast", "--trace", "trace.jsonl", "--exit-after",
                       std::to_string(last)},
                      run.path.string());
    ASSERT_EQ(game.waitForExit(600.0), 0) << game.output();
    EXPECT_NE(game.output().find("Saved level: Level 1\n"), std::string::npos) << game.output();
    std::string afterCopies = frameLine("trace.jsonl", frame - 1);
    EXPECT_NE(afterCopies.find("\"screen\":\"editor\""), std::string::npos) << afterCopies;
    EXPECT_NE(afterCopies.find("\"blocks\":6,"), std::string::npos) << afterCopies;
    std::string dragging = frameLine("trace.jsonl", frame + 12);
    EXPECT_NE(dragging.find("\"phase\":1,"), std::string::npos) << dragging;
    std::string end = frameLine("trace.jsonl", last);
    EXPECT_NE(end.find("\"blocks\":6,"), std::string::npos) << end;
    EXPECT_NE(end.find("\"phase\":0,"), std::string::npos) << end;

    std::ifstream in(game.homeFolder() + "/.local/share/quorl/levels/Level 1", std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::istringstream level(text);
    std::unique_ptr<World> loaded(readLevel(level, "Level 1"));
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->boxes.size(), 6u);
    std::ostringstream again;
    writeLevel(*loaded, again);
    EXPECT_EQ(again.str(), text) << "what was saved loads as it was saved";
}

} // namespace

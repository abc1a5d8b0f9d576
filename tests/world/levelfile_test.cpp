#include <gtest/gtest.h>

#include <algorithm>
#include <iomanip>
#include <memory>

#include "leveltesting.h"
#include "math/colours.h"
#include "math/randomsource.h"
#include "support/biglevels.h"
#include "world/box.h"
#include "world/levelfile.h"
#include "world/world.h"

namespace {

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

std::unique_ptr<World> read(const std::string& text, std::string* messages = nullptr) {
    std::istringstream in(text);
    CaptureStdout();
    std::unique_ptr<World> world(readLevel(in, "levels/test"));
    std::string printed = GetCapturedStdout();
    if (messages)
        *messages = printed;
    EXPECT_TRUE(!world || world->validate());
    return world;
}

std::string write(const World& world) {
    std::ostringstream out;
    out << std::fixed << std::setprecision(2); // a caller's settings do not reach the file
    writeLevel(world, out);
    return out.str();
}

const std::string BLOCK = "0 0 15 \n10 10 5\n0.2 0.2 0.2 1 \n\n";
const std::string TWO_BLOCKS = "3 10\n\n15 1.5 -2.25 \n4 6 8\n1 0.5 0 1 \n\n" + BLOCK;

TEST(WriteFloats, EachValueIsFollowedByABlank) {
    std::ostringstream out;
    const float values[] = {0, 0.2f, 15, -1.5f};
    writeFloats(out, values, 4);
    EXPECT_EQ(out.str(), "0 0.2 15 -1.5 ");
}

TEST(LevelText, BlocksAreWrittenFaceByFaceInThreeLinesAndReadBackByteForByte) {
    World world(3, 10);
    EXPECT_EQ(write(world), "3 10\n\n");
    world.addObject(new Box(Vec3f(0, 0, 15), &world, 10, 10, 5));
    Box* side = new Box(Vec3f(15, 1.5f, -2.25f), &world, 4, 6, 8);
    side->colour = ORANGE;
    world.addObject(side); // face 0: listed, and written, first
    EXPECT_EQ(write(world), TWO_BLOCKS);
    std::unique_ptr<World> again = read(TWO_BLOCKS);
    ASSERT_TRUE(again);
    const Box& top = dynamic_cast<const Box&>(*again->boxes.at(1));
    EXPECT_EQ(top.face, 4);
    EXPECT_EQ(top.depth, 10);
    EXPECT_EQ(top.colour[2], 0.2f);
    EXPECT_EQ(write(*again), TWO_BLOCKS);

    // Windows line breaks, and a last block without its final line breaks, read the same.
    std::string crlf;
    for (char c : TWO_BLOCKS)
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    std::unique_ptr<World> fromCrlf = read(crlf.substr(0, crlf.size() - 5));
    ASSERT_TRUE(fromCrlf);
    EXPECT_EQ(write(*fromCrlf), TWO_BLOCKS);

    // Blocks of any size and colour anywhere: saved, read and saved again, the same bytes.
    randomSource.seed(3);
    World messy(4, 7);
    for (int i = 0; i < 60; ++i) {
        Box* box = new Box(messy.randomFacePosition(0, 0), &messy, randomSource.randomFloat(0, 20),
                           randomSource.randomFloat(0, 20), randomSource.randomFloat(0, 9));
        box->colour = Vec4f(randomSource.randomFloat(0, 1), randomSource.randomFloat(0, 1),
                            randomSource.randomFloat(0, 1), 1);
        messy.addObject(box);
    }
    std::unique_ptr<World> loaded = read(write(messy));
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->boxes.size(), 60u);
    EXPECT_EQ(write(*loaded), write(messy));
}

TEST(LevelText, AHeaderThatDescribesNoPlayableCubeBuildsNoWorld) {
    std::string messages;
    for (const char* header :
         {"", "  \n\n", "x 10\n", "3\n", "3 y\n", "1 10\n", "6 10\n", "-3 10\n", "3 0\n",
          "3 10.5\n", "3 1001\n", "3 1e39\n", "99999999999 10\n"}) {
        EXPECT_FALSE(read(header, &messages)) << '"' << header << '"';
        EXPECT_EQ(messages.find("Level \"levels/test\": "), 0u) << messages;
    }
    EXPECT_FALSE(read("7 10\n", &messages));
    EXPECT_EQ(messages, "Level \"levels/test\": a cube of 7 cubies a side; it must have 2 to 5\n");
    EXPECT_TRUE(read("2 1\n"));
    EXPECT_TRUE(read("5 1000"));
}

TEST(LevelText, UnsoundBlocksAreSkippedAndARecordOfTheWrongShapeEndsTheBlocks) {
    std::string messages;
    // A block cut short at the end of the file is dropped; those before it stay.
    std::unique_ptr<World> cut = read("3 10\n\n" + BLOCK + "1 2 15 \n3 3 3\n", &messages);
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->boxes.size(), 1u);
    EXPECT_EQ(messages, "Level \"levels/test\": block 2 is cut short and ignored\n");

    // Too large for a float, a negative size, beyond 1e30: skipped, and reading goes on.
    std::unique_ptr<World> skipped =
        read("3 10\n\n1e39 0 15 \n1 1 1\n1 1 1 1 \n\n" + BLOCK + "0 0 15 \n1 -1 1\n1 1 1 1 \n\n" +
                 "3e38 0 15 \n1 3e38 1\n1 1 1 1 \n\n" + BLOCK,
             &messages);
    ASSERT_TRUE(skipped);
    EXPECT_EQ(skipped->boxes.size(), 2u);
    for (const char* skip : {"block 1 skipped", "block 3 skipped", "block 4 skipped"})
        EXPECT_NE(messages.find(skip), std::string::npos) << messages;

    for (const char* junk : {"nan 0 15", "1 2 x", "1 1 1 1 1 1 1 1 1 #"}) {
        std::unique_ptr<World> ended = read("3 10\n\n" + BLOCK + junk + "\n" + BLOCK, &messages);
        ASSERT_TRUE(ended);
        EXPECT_EQ(ended->boxes.size(), 1u) << junk;
        EXPECT_NE(messages.find("block 2 is not ten numbers"), std::string::npos) << junk;
    }
}

// The editor's way to many blocks, one copied to the other faces again and again: a level
// holds the first MAX_LEVEL_BLOCKS of a file and says that it leaves out the rest.
TEST(LevelText, ALevelKeepsAtMostTheMostBlocksALevelHolds) {
    std::string messages;
    std::unique_ptr<World> full = read(biglevels::stackedLevel(MAX_LEVEL_BLOCKS), &messages);
    ASSERT_TRUE(full);
    EXPECT_EQ(full->boxes.size(), static_cast<size_t>(MAX_LEVEL_BLOCKS));
    EXPECT_EQ(messages, "");
    std::unique_ptr<World> over = read(biglevels::stackedLevel(MAX_LEVEL_BLOCKS + 1), &messages);
    ASSERT_TRUE(over);
    EXPECT_EQ(over->boxes.size(), static_cast<size_t>(MAX_LEVEL_BLOCKS));
    EXPECT_EQ(messages, "Level \"levels/test\": more than 4096 blocks; the rest are ignored\n");
}

TEST(LevelFiles, SaveWritesAWholeFileLoadReadsItAndFailuresLeaveTheOldLevel) {
    ScratchWorkingDirectory scratch;
    ASSERT_FALSE(scratch.path.empty());
    std::unique_ptr<World> world = read(TWO_BLOCKS);
    std::string error;
    // levels/ does not exist yet
    EXPECT_TRUE(saveLevel(*world, "levels", "Level 1", SaveMode::REPLACE, error)) << error;
    EXPECT_EQ(fileBytes("levels/Level 1"), TWO_BLOCKS);
    CaptureStdout();
    std::unique_ptr<World> loaded(loadLevel("levels/Level 1"));
    std::unique_ptr<World> missing(loadLevel("levels/Level 2"));
    std::string messages = GetCapturedStdout();
    ASSERT_TRUE(loaded);
    EXPECT_EQ(write(*loaded), TWO_BLOCKS);
    EXPECT_FALSE(missing);
    EXPECT_NE(messages.find("Level \"levels/Level 2\" cannot be opened: No such file"),
              std::string::npos)
        << messages;
    for (const char* name : {"../escape", "", ".hidden"}) {
        EXPECT_FALSE(saveLevel(*world, "levels", name, SaveMode::REPLACE, error)) << name;
        EXPECT_NE(error.find("not a plain file name"), std::string::npos) << error;
    }
    // A save that cannot replace its target says why and leaves no temporary file behind.
    std::filesystem::create_directory("levels/Level 3");
    EXPECT_FALSE(saveLevel(*world, "levels", "Level 3", SaveMode::REPLACE, error));
    EXPECT_EQ(error.find("levels/Level 3: "), 0u) << error;
    auto entries = std::filesystem::directory_iterator("levels");
    EXPECT_EQ(std::distance(begin(entries), end(entries)), 2);

    // Nor can a save go anywhere while "levels" is a file.
    std::filesystem::remove_all("levels");
    writeBytes("levels", "not a directory");
    EXPECT_FALSE(saveLevel(*world, "levels", "Level 1", SaveMode::REPLACE, error));
    EXPECT_EQ(error.find("levels: "), 0u) << error;
    EXPECT_EQ(fileBytes("levels"), "not a directory");
}

// A new level never takes a name already used by anything: a level, a folder, a link to a
// level, a dangling link. Each stays as it was, and no temporary file is left.
TEST(LevelFiles, ANewLevelReplacesNothing) {
    ScratchWorkingDirectory scratch;
    ASSERT_FALSE(scratch.path.empty());
    std::unique_ptr<World> world = read(TWO_BLOCKS);
    std::string error;
    std::filesystem::create_directories("own/folder");
    writeBytes("own/level", "3 10\n\n");
    std::filesystem::create_symlink("level", "own/link");
    std::filesystem::create_symlink("nowhere", "own/dangling");
    for (const char* name : {"level", "folder", "link", "dangling"}) {
        EXPECT_FALSE(saveLevel(*world, "own", name, SaveMode::NEW_ONLY, error)) << name;
        EXPECT_EQ(error, std::string("own/") + name + ": File exists");
    }
    EXPECT_EQ(fileBytes("own/level"), "3 10\n\n");
    EXPECT_TRUE(std::filesystem::is_symlink("own/dangling"));
    EXPECT_FALSE(std::filesystem::exists("own/nowhere"));
    EXPECT_TRUE(saveLevel(*world, "own", "new", SaveMode::NEW_ONLY, error)) << error;
    EXPECT_EQ(fileBytes("own/new"), TWO_BLOCKS);
    auto entries = std::filesystem::directory_iterator("own");
    EXPECT_EQ(std::distance(begin(entries), end(entries)), 5);
}

TEST(LevelFiles, ListsVisibleRegularFilesInNaturalOrder) {
    ScratchWorkingDirectory scratch;
    std::filesystem::create_directories("levels/sub");
    for (const char* name :
         {"Level 10", "Level 2", "b", "Level 1", "a", ".hidden", ".Level 4.saving-1-0", "Level 02"})
        writeBytes(std::string("levels/") + name, "3 10\n\n");
    std::filesystem::create_symlink("Level 1", "levels/link");
    std::vector<std::string> names = {"stale"};
    listFiles("levels", names);
    EXPECT_EQ(names, (std::vector<std::string>{"Level 1", "Level 02", "Level 2", "Level 10", "a",
                                               "b", "link"}));
    listFiles("nowhere", names);
    EXPECT_TRUE(names.empty());

    // A strict total order on any names: sorting agrees with every pairwise comparison.
    randomSource.seed(11);
    const std::string alphabet = "0019aZ .";
    std::vector<std::string> random(300);
    for (std::string& name : random)
        for (int length = randomSource.randomInt(0, 6); length > 0; --length)
            name += alphabet[randomSource.randomInt(0, static_cast<int>(alphabet.size()) - 1)];
    std::sort(random.begin(), random.end(), naturalLess);
    for (size_t i = 0; i < random.size(); ++i)
        for (size_t j = 0; j < random.size(); ++j)
            ASSERT_EQ(naturalLess(random[i], random[j]), random[i] != random[j] && i < j)
                << '"' << random[i] << "\" \"" << random[j] << '"';
}

} // namespace

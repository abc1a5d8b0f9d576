#include <gtest/gtest.h>

#include <algorithm>
#include <iomanip>
#include <memory>
#include <sstream>

#include "leveltesting.h"
#include "math/colours.h"
#include "math/randomsource.h"
#include "support/vecexpect.h"
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
    if (world) {
        EXPECT_TRUE(world->validate());
    }
    return world;
}

std::string write(const World& world) {
    std::ostringstream out;
    writeLevel(world, out);
    return out.str();
}

const Box& boxAt(const World& world, size_t i) {
    return dynamic_cast<const Box&>(*world.boxes.at(i));
}

const char* const TWO_BLOCKS = "3 10\n\n"
                               "15 1.5 -2.25 \n4 6 8\n1 0.5 0 1 \n\n"
                               "0 0 15 \n10 10 5\n0.2 0.2 0.2 1 \n\n";

TEST(WriteFloats, EachValueIsFollowedByABlank) {
    std::ostringstream out;
    const float values[] = {0, 0.2f, 15, -1.5f};
    writeFloats(out, values, 4);
    EXPECT_EQ(out.str(), "0 0.2 15 -1.5 ");
}

TEST(LevelText, BlocksAreWrittenFaceByFaceInThreeLinesAndReadBackTheSame) {
    World world(3, 10);
    EXPECT_EQ(write(world), "3 10\n\n");
    world.addObject(new Box(Vec3f(0, 0, 15), &world, 10, 10, 5));
    Box* side = new Box(Vec3f(15, 1.5f, -2.25f), &world, 4, 6, 8);
    side->colour = ORANGE;
    world.addObject(side); // face 0: listed, and written, first
    // A caller's stream settings do not reach the file.
    std::ostringstream out;
    out << std::fixed << std::setprecision(2);
    writeLevel(world, out);
    EXPECT_EQ(out.str(), TWO_BLOCKS);

    std::unique_ptr<World> again = read(TWO_BLOCKS);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->n, 3);
    EXPECT_EQ(again->cubieSize, 10);
    ASSERT_EQ(again->boxes.size(), 2u);
    const Box& top = boxAt(*again, 1);
    EXPECT_EQ(top.face, 4);
    EXPECT_EQ(top.width, 10);
    EXPECT_EQ(top.height, 5);
    EXPECT_EQ(top.colour[0], 0.2f);
    EXPECT_EQ(top.colour[3], 1.0f);
    expectVecNear(boxAt(*again, 0).position, Vec3f(15, 1.5f, -2.25f));
    EXPECT_EQ(write(*again), TWO_BLOCKS);

    // Windows line breaks, and a last block without its final line breaks, read the same.
    std::string crlf;
    for (char c : std::string(TWO_BLOCKS))
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    std::unique_ptr<World> fromCrlf = read(crlf.substr(0, crlf.size() - 5));
    ASSERT_TRUE(fromCrlf);
    EXPECT_EQ(write(*fromCrlf), TWO_BLOCKS);
}

TEST(LevelText, MessyWorldsRoundTripByteForByte) {
    randomSource.seed(3);
    World world(4, 7);
    for (int i = 0; i < 60; ++i) {
        Vec3f p = world.randomFacePosition(0, 0);
        Box* box = new Box(p, &world, randomSource.randomFloat(0, 20),
                           randomSource.randomFloat(0, 20), randomSource.randomFloat(0, 9));
        box->colour = Vec4f(randomSource.randomFloat(0, 1), randomSource.randomFloat(0, 1),
                            randomSource.randomFloat(0, 1), 1);
        world.addObject(box);
    }
    std::string first = write(world);
    std::unique_ptr<World> loaded = read(first);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->boxes.size(), 60u);
    EXPECT_EQ(write(*loaded), first);
}

TEST(LevelText, AHeaderThatDescribesNoPlayableCubeBuildsNoWorld) {
    for (const char* header :
         {"", "  \n\n", "x 10\n", "3\n", "3 y\n", "1 10\n", "6 10\n", "-3 10\n", "3 0\n",
          "3 10.5\n", "3 1001\n", "3 -4\n", "3 1e39\n", "99999999999 10\n"}) {
        std::string messages;
        EXPECT_FALSE(read(header, &messages)) << '"' << header << '"';
        EXPECT_NE(messages.find("Level \"levels/test\": "), std::string::npos) << messages;
    }
    std::string messages;
    EXPECT_FALSE(read("7 10\n", &messages));
    EXPECT_EQ(messages, "Level \"levels/test\": a cube of 7 cubies a side; it must have 2 to 5\n");
    EXPECT_TRUE(read("2 1\n"));
    EXPECT_TRUE(read("5 1000\n"));
}

TEST(LevelText, UnsoundBlocksAreSkippedAndARecordOfTheWrongShapeEndsTheBlocks) {
    const std::string good = "0 0 15 \n10 10 5\n0.2 0.2 0.2 1 \n\n";
    std::string messages;
    // A block cut short at the end of the file is dropped; those before it stay.
    std::unique_ptr<World> cut = read("3 10\n\n" + good + "1 2 15 \n3 3 3\n", &messages);
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->boxes.size(), 1u);
    EXPECT_EQ(messages, "Level \"levels/test\": block 2 is cut short and ignored\n");

    // Too large for a float, a negative size, sizes that overflow when added: skipped.
    std::unique_ptr<World> skipped =
        read("3 10\n\n1e39 0 15 \n1 1 1\n1 1 1 1 \n\n" + good + "0 0 15 \n1 -1 1\n1 1 1 1 \n\n" +
                 "3e38 0 15 \n1 3e38 1\n1 1 1 1 \n\n" + good,
             &messages);
    ASSERT_TRUE(skipped);
    EXPECT_EQ(skipped->boxes.size(), 2u);
    EXPECT_NE(messages.find("block 1 skipped"), std::string::npos);
    EXPECT_NE(messages.find("block 3 skipped"), std::string::npos);
    EXPECT_NE(messages.find("block 4 skipped"), std::string::npos);

    for (const char* junk : {"nan 0 15", "1 2 x", "1 1 1 1 1 1 1 1 1 #"}) {
        std::unique_ptr<World> ended =
            read("3 10\n\n" + good + std::string(junk) + "\n" + good, &messages);
        ASSERT_TRUE(ended);
        EXPECT_EQ(ended->boxes.size(), 1u) << junk;
        EXPECT_NE(messages.find("block 2 is not ten numbers"), std::string::npos) << junk;
    }
}

TEST(LevelFiles, SaveWritesAWholeFileLoadReadsItAndFailuresLeaveTheOldLevel) {
    ScratchWorkingDirectory scratch;
    ASSERT_FALSE(scratch.path.empty());
    std::unique_ptr<World> world = read(TWO_BLOCKS);
    ASSERT_TRUE(world);
    CaptureStdout();
    bool saved = saveLevel(*world, "Level 1"); // levels/ does not exist yet
    std::unique_ptr<World> loaded(loadLevel("Level 1"));
    std::unique_ptr<World> missing(loadLevel("Level 2"));
    bool badNames = saveLevel(*world, "../escape") || saveLevel(*world, "") ||
                    saveLevel(*world, ".hidden") || loadLevel("/etc/passwd");
    std::string messages = GetCapturedStdout();
    EXPECT_TRUE(saved);
    EXPECT_EQ(fileBytes("levels/Level 1"), TWO_BLOCKS);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(write(*loaded), TWO_BLOCKS);
    EXPECT_FALSE(missing);
    EXPECT_NE(messages.find("Level \"levels/Level 2\" cannot be opened: No such file"),
              std::string::npos);
    EXPECT_FALSE(badNames);
    EXPECT_NE(messages.find("Level name \"../escape\" is not a plain file name"),
              std::string::npos);

    // A save that cannot replace its target says so and leaves no temporary file behind.
    std::filesystem::create_directory("levels/Level 3");
    World empty(2, 5);
    CaptureStdout();
    EXPECT_FALSE(saveLevel(empty, "Level 3"));
    EXPECT_EQ(GetCapturedStdout().rfind("Level \"levels/Level 3\" not saved: ", 0), 0u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator("levels"),
                            std::filesystem::directory_iterator()),
              2);
    // Nor can a save go anywhere while "levels" is a file.
    std::filesystem::remove_all("levels");
    writeBytes("levels", "not a directory");
    CaptureStdout();
    EXPECT_FALSE(saveLevel(empty, "Level 1"));
    EXPECT_NE(GetCapturedStdout().find("not saved"), std::string::npos);
    EXPECT_EQ(fileBytes("levels"), "not a directory");
}

TEST(LevelFiles, ListsVisibleRegularFilesInNaturalOrder) {
    ScratchWorkingDirectory scratch;
    std::filesystem::create_directories("levels/sub");
    for (const char* name : {"Level 10", "Level 2", "b", "Level 1", "a", ".hidden",
                             ".Level 4.saving-12-0", "Level 02"})
        writeBytes(std::string("levels/") + name, "3 10\n\n");
    std::filesystem::create_symlink("Level 1", "levels/link");
    std::vector<std::string> names = {"stale"};
    listFiles("levels", names);
    EXPECT_EQ(names, (std::vector<std::string>{"Level 1", "Level 02", "Level 2", "Level 10", "a",
                                               "b", "link"}));
    listFiles("nowhere", names);
    EXPECT_TRUE(names.empty());

    // A strict total order on any names: exactly one of a < b, b < a for distinct names, and
    // sorting agrees with every pairwise comparison.
    randomSource.seed(11);
    const std::string alphabet = "0019aZ .";
    std::vector<std::string> random(300);
    for (std::string& name : random)
        for (int length = randomSource.randomInt(0, 6); length > 0; --length)
            name += alphabet[randomSource.randomInt(0, static_cast<int>(alphabet.size()) - 1)];
    std::sort(random.begin(), random.end(), naturalLess);
    for (size_t i = 0; i < random.size(); ++i)
        for (size_t j = 0; j < random.size(); ++j) {
            bool distinct = random[i] != random[j];
            ASSERT_EQ(naturalLess(random[i], random[j]) + naturalLess(random[j], random[i]),
                      distinct ? 1 : 0)
                << '"' << random[i] << "\" \"" << random[j] << '"';
            if (distinct) {
                ASSERT_EQ(naturalLess(random[i], random[j]), i < j);
            }
        }
}

} // namespace

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

#include "leveltesting.h"
#include "math/randomsource.h"
#include "world/box.h"
#include "world/levelfile.h"
#include "world/world.h"

namespace {

void addRandomBlocks(World& world, int count) {
    for (int i = 0; i < count; ++i) {
        Box* box = new Box(world.randomFacePosition(1, 1), &world, randomSource.randomFloat(1, 9),
                           randomSource.randomFloat(1, 9), randomSource.randomFloat(1, 9));
        box->colour = Vec4f(randomSource.randomFloat(0, 1), 0.5f, 0.25f, 1);
        world.addObject(box);
    }
}

std::string levelText(const World& world) {
    std::ostringstream out;
    writeLevel(world, out);
    return out.str();
}

// A child saves two levels in turn over one file as fast as it can and is killed at a random
// moment; whatever the moment, the file holds one of the two levels in full.
TEST(LevelSaveCrash, AKilledSaveLeavesEitherTheOldLevelOrTheNewOneWhole) {
    ScratchWorkingDirectory scratch;
    ASSERT_FALSE(scratch.path.empty());
    randomSource.seed(5);
    World first(3, 10), second(5, 28);
    addRandomBlocks(first, 150);
    addRandomBlocks(second, 300);
    const std::string firstText = levelText(first), secondText = levelText(second);
    // Kills land anywhere within the time of about two saves, however fast this machine is.
    auto started = std::chrono::steady_clock::now();
    std::string error;
    ASSERT_TRUE(saveLevel(second, "levels", "Level 1", SaveMode::REPLACE, error)) << error;
    ASSERT_TRUE(saveLevel(first, "levels", "Level 1", SaveMode::REPLACE, error)) << error;
    int window = static_cast<int>(std::chrono::duration_cast<std::chrono::microseconds>(
                                      std::chrono::steady_clock::now() - started)
                                      .count());

    int sawFirst = 0, sawSecond = 0;
    for (int round = 0; round < 250; ++round) {
        fflush(stdout);
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (unsigned i = static_cast<unsigned>(round);; ++i)
                saveLevel(i % 2 ? first : second, "levels", "Level 1", SaveMode::REPLACE, error);
        }
        usleep(static_cast<useconds_t>(randomSource.randomInt(0, 2 * window)));
        kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the saving child stopped by itself";
        std::string now = fileBytes("levels/Level 1");
        ASSERT_TRUE(now == firstText || now == secondText)
            << "round " << round << ": " << now.size() << " bytes of neither level";
        ++(now == firstText ? sawFirst : sawSecond);
    }
    RecordProperty("killsLeavingTheFirst", sawFirst);
    RecordProperty("killsLeavingTheSecond", sawSecond);
    // The kills did land at different moments of the saves.
    EXPECT_GE(sawFirst, 5);
    EXPECT_GE(sawSecond, 5);
    // Killed saves leave hidden temporary files, which no list shows.
    std::vector<std::string> names;
    listFiles("levels", names);
    EXPECT_EQ(names, std::vector<std::string>{"Level 1"});
}

} // namespace

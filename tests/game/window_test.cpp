#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "support/childprocess.h"
#include "support/xwindows.h"

namespace {

// Starts the real program from the data directory, as a player does, and closes its window.
TEST(Window, OpensTitledWindowKeepsRunningAndEndsCleanlyWhenClosed) {
    XWindows x;
    ASSERT_TRUE(x.connected()) << "needs an X display (the test command starts Xvfb)";

    ChildProcess game(QUORL_BINARY, {}, std::string(QUORL_SOURCE_DIR) + "/data");
    unsigned long window = x.waitForWindow("Quorl Video Game", 15.0);
    ASSERT_NE(window, 0ul) << game.output();
    int width = 0, height = 0;
    ASSERT_TRUE(x.size(window, width, height));
    EXPECT_EQ(width, 800);
    EXPECT_EQ(height, 600);

    // It lives on its timer chain rather than returning.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_TRUE(game.running());

    x.requestClose(window);
    EXPECT_EQ(game.waitForExit(15.0), 0);
    const std::string& out = game.output();
    EXPECT_NE(out.find("OpenGL version: "), std::string::npos) << out;
    EXPECT_EQ(out.find("no stencil buffer"), std::string::npos) << out;
}

} // namespace

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "view/playerlayout.h"

namespace {

// Rows and columns a player would expect for each number of views.
struct Grid {
    int rows, cols;
};
Grid expectedGrid(int count) {
    static const Grid grids[10] = {{0, 0}, {1, 1}, {2, 1}, {2, 2}, {2, 2},
                                   {3, 2}, {3, 2}, {3, 3}, {3, 3}, {3, 3}};
    return grids[count];
}

// Every count from 1 to 9 in windows of even and odd sizes: the views fill a grid of the
// expected shape row by row from the top left, each cell a trunc'ed share of the window,
// within a pixel of where exact arithmetic puts it; none leaves the window, and neighbours
// neither overlap nor leave a gap of more than a pixel. The bottom row sits at y = 0: a row
// stepped down by float fractions ends just below zero at three rows, and must not be lost.
TEST(PlayerLayout, OneToNineViewsTileTheWindowRowByRowFromTheTop) {
    const int sizes[][2] = {{800, 600}, {1280, 1024}, {801, 601}, {333, 97}, {1, 1}};
    for (const auto& size : sizes) {
        const int w = size[0], h = size[1];
        for (int count = 1; count <= 9; ++count) {
            SCOPED_TRACE(std::to_string(count) + " views in " + std::to_string(w) + "x" +
                         std::to_string(h));
            std::vector<ViewRect> views = splitScreenLayout(count, w, h);
            ASSERT_EQ(static_cast<int>(views.size()), count);
            Grid grid = expectedGrid(count);
            for (int i = 0; i < count; ++i) {
                const ViewRect& v = views[i];
                int row = i / grid.cols, col = i % grid.cols; // row 0 at the top
                EXPECT_EQ(v.width, w / grid.cols) << i;
                EXPECT_EQ(v.height, h / grid.rows) << i;
                EXPECT_NEAR(v.x, double(w) * col / grid.cols, 1.0) << i;
                EXPECT_NEAR(v.y, double(h) * (grid.rows - 1 - row) / grid.rows, 1.0) << i;
                EXPECT_GE(v.x, 0);
                EXPECT_GE(v.y, 0);
                EXPECT_LE(v.x + v.width, w);
                EXPECT_LE(v.y + v.height, h);
                if (col > 0) { // the left neighbour ends where this one starts, to a pixel
                    EXPECT_LE(std::abs(views[i - 1].x + views[i - 1].width - v.x), 1) << i;
                }
                if (row > 0) { // and so does the one above
                    EXPECT_LE(std::abs(v.y + v.height - views[i - grid.cols].y), 1) << i;
                }
            }
            if (count >= 5 && h >= 3) {
                EXPECT_EQ(views[2 * grid.cols].y, 0) << "the third row is at the bottom";
            }
        }
    }
    EXPECT_TRUE(splitScreenLayout(0, 800, 600).empty());
    EXPECT_TRUE(splitScreenLayout(-1, 800, 600).empty());
}

// The shapes a player sees in the game's window.
TEST(PlayerLayout, TheGameWindowsCommonSplits) {
    auto rect = [](const ViewRect& v) { return std::vector<int>{v.x, v.y, v.width, v.height}; };
    std::vector<ViewRect> one = splitScreenLayout(1, 800, 600);
    EXPECT_EQ(rect(one[0]), (std::vector<int>{0, 0, 800, 600}));
    std::vector<ViewRect> two = splitScreenLayout(2, 800, 600);
    EXPECT_EQ(rect(two[0]), (std::vector<int>{0, 300, 800, 300})); // player 0 on top
    EXPECT_EQ(rect(two[1]), (std::vector<int>{0, 0, 800, 300}));
    std::vector<ViewRect> three = splitScreenLayout(3, 800, 600);
    EXPECT_EQ(rect(three[2]), (std::vector<int>{0, 0, 400, 300})); // bottom right stays empty
    std::vector<ViewRect> six = splitScreenLayout(6, 800, 600);
    EXPECT_EQ(rect(six[4]), (std::vector<int>{0, 0, 400, 200}));
    EXPECT_EQ(rect(six[5]), (std::vector<int>{400, 0, 400, 200}));
}

} // namespace

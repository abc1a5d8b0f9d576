#include "view/playerlayout.h"

#include <cmath>

std::vector<ViewRect> splitScreenLayout(int count, int width, int height) {
    std::vector<ViewRect> views;
    if (count < 1)
        return views;
    int rows = static_cast<int>(std::ceil(std::sqrt(static_cast<double>(count))));
    int cols = rows * (rows - 1) >= count ? rows - 1 : rows;
    float rowHeight = 1.0f / static_cast<float>(rows);
    float colWidth = 1.0f / static_cast<float>(cols);
    // Stepping by the float fractions, as the rest of the game's views were tuned with; a last
    // row that the float sum pushes below zero would be lost, so the rows are counted instead.
    for (int row = 0; row < rows && static_cast<int>(views.size()) < count; ++row) {
        float y = 1.0f - rowHeight * static_cast<float>(row + 1);
        for (int col = 0; col < cols && static_cast<int>(views.size()) < count; ++col) {
            float x = colWidth * static_cast<float>(col);
            views.push_back({static_cast<int>(static_cast<float>(width) * x),
                             static_cast<int>(static_cast<float>(height) * (y < 0 ? 0 : y)),
                             static_cast<int>(static_cast<float>(width) * colWidth),
                             static_cast<int>(static_cast<float>(height) * rowHeight)});
        }
    }
    return views;
}

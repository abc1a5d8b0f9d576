#pragma once

// Helpers of the tests that run the game itself on scripted matches: a scratch folder with a
// level of its own, the trace read back as JSON, and the screenshots read back as pictures.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "support/gamerun.h"
#include "support/json.h"
#include "support/pngfile.h"

namespace gamerun {

namespace fs = std::filesystem;

// An empty 3x3x3 cube of 28-unit cubies: every tank at the centre of its face, 42 out.
constexpr const char* EMPTY_LEVEL = "3 28\n\n";

// A working directory for one run, its levels/ holding only "arena" with the given text.
class MatchFolder : public RunFolder {
public:
    explicit MatchFolder(const std::string& level = EMPTY_LEVEL) : RunFolder(false) {
        writeLevel("arena", level);
    }
};

// The trace, one value per frame; a line that is not JSON reads as an invalid value.
inline std::vector<JsonValue> readTrace(const std::string& path) {
    std::ifstream in(path);
    std::vector<JsonValue> frames;
    for (std::string line; std::getline(in, line);)
        frames.push_back(JsonValue::parse(line));
    return frames;
}

// A screenshot read back, top row first.
class Picture {
public:
    struct Rgb {
        int r, g, b;
    };
    explicit Picture(const std::string& path) : pixels(readPngRgb(path, width, height)) {}

    bool ok() const { return !pixels.empty(); }
    Rgb at(int x, int y) const {
        size_t i = (static_cast<size_t>(y) * width + x) * 3;
        return {pixels[i], pixels[i + 1], pixels[i + 2]};
    }
    // The pixels of the rectangle [x0, x1) x [y0, y1) for which `test` holds.
    int count(int x0, int y0, int x1, int y1, const std::function<bool(Rgb)>& test) const {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                n += test(at(x, y));
        return n;
    }
    // The leftmost and rightmost columns of the rectangle with a pixel for which `test`
    // holds; (-1, -1) when there is none.
    std::pair<int, int> span(int x0, int y0, int x1, int y1,
                             const std::function<bool(Rgb)>& test) const {
        std::pair<int, int> s(-1, -1);
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                if (test(at(x, y))) {
                    s.first = s.first < 0 ? x : std::min(s.first, x);
                    s.second = std::max(s.second, x);
                }
        return s;
    }

    int width = 0, height = 0;

private:
    std::vector<unsigned char> pixels;
};

// The colours the views are told apart by.
inline bool isSky(Picture::Rgb c) {
    return c.b > 150 && c.b > c.r + 60 && c.g > c.r;
}
inline bool isRingYellow(Picture::Rgb c) { // the item wheel's selection ring
    return c.r > 170 && c.g > 170 && c.b < 90;
}
inline bool isRed(Picture::Rgb c) {
    return c.r > 170 && c.g < 70 && c.b < 70;
}
inline bool isDark(Picture::Rgb c) {
    return c.r < 60 && c.g < 60 && c.b < 60;
}

} // namespace gamerun

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <set>

#include "math/faces.h"
#include "support/childprocess.h"
#include "support/menutesting.h"
#include "world/box.h"

namespace {

namespace fs = std::filesystem;

std::string fileText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> shippedNames(const fs::path& data) {
    std::vector<std::string> names;
    listFiles((data / "levels").string(), names);
    return names;
}

// The generator in tools/ makes the shipped files byte for byte, and nothing else is shipped.
TEST(ShippedLevels, TheGeneratorWritesExactlyTheShippedFiles) {
    ScratchFolder folder;
    ChildProcess generator(QUORL_LEVELGEN, {"made"}, folder.path.string());
    ASSERT_EQ(generator.waitForExit(60.0), 0) << generator.output();
    std::vector<std::string> made;
    listFiles("made", made);
    EXPECT_EQ(made, shippedNames(folder.previous));
    for (const std::string& name : made)
        EXPECT_EQ(fileText(fs::path("made") / name), fileText(folder.previous / "levels" / name))
            << name << ": run build/tools/quorl_levelgen data/levels";
}

// A block's footprint in its face's own coordinates (right, forward), world units.
struct Footprint {
    float u0, u1, v0, v1;
    bool covers(float u, float v, float margin) const {
        return u > u0 - margin && u < u1 + margin && v > v0 - margin && v < v1 + margin;
    }
};

constexpr float TANK = 1.6f;         // a tank's footprint radius, and a little
constexpr float START = 6;           // free ground round every face centre
constexpr float ITEM_MARGIN = 1.75f; // item boxes land at least this far in from the edges
constexpr float GRID = 0.5f;         // sampling step over a face

// On one face: the share of the ground where item boxes land that is free, and the share of
// that free ground a tank starting at the centre can drive to within a tank's length, by a
// flood fill over the cells where the tank's disc touches no block.
void faceGround(const std::vector<Footprint>& blocks, float h, double& free, double& reached) {
    const int side = static_cast<int>(2 * h / GRID);
    auto at = [&](int i) { return -h + GRID * (static_cast<float>(i) + 0.5f); };
    auto blocked = [&](int i, int j, float margin) {
        return std::any_of(blocks.begin(), blocks.end(),
                           [&](const Footprint& f) { return f.covers(at(i), at(j), margin); });
    };
    auto inside = [&](int i, float margin) { return std::fabs(at(i)) < h - margin; };
    std::vector<char> seen(side * side, 0);
    std::vector<int> todo = {(side / 2) * side + side / 2};
    seen[todo[0]] = 1;
    // Every cell in todo can be driven to; its neighbours are still to be looked at.
    while (!todo.empty()) {
        int i = todo.back() / side, j = todo.back() % side;
        todo.pop_back();
        for (int k = 0; k < 4; ++k) {
            int a = i + (k == 0) - (k == 1), b = j + (k == 2) - (k == 3);
            if (inside(a, TANK) && inside(b, TANK) && !seen[a * side + b] && !blocked(a, b, TANK))
                todo.push_back(a * side + b), seen[a * side + b] = 1;
        }
    }
    int area = 0, open = 0, near = 0;
    for (int i = 0; i < side; ++i)
        for (int j = 0; j < side; ++j) {
            if (!inside(i, ITEM_MARGIN) || !inside(j, ITEM_MARGIN))
                continue;
            ++area;
            if (blocked(i, j, 0))
                continue;
            ++open;
            bool reachable = false;
            for (int a = std::max(i - 4, 0); a <= std::min(i + 4, side - 1); ++a)
                for (int b = std::max(j - 4, 0); b <= std::min(j + 4, side - 1); ++b)
                    reachable = reachable || seen[a * side + b];
            near += reachable;
        }
    free = static_cast<double>(open) / area;
    reached = static_cast<double>(near) / open;
}

// Every shipped level loads and saves again to the same bytes; together they cover every cube
// size. Each keeps the face centres free, each block within one cubie (a layer turn carries it
// whole) and clear of the others, most of each face free for item boxes, and nearly all of the
// free ground within reach of the tank that starts there.
TEST(ShippedLevels, EveryLevelLoadsAndKeepsItsGroundPlayable) {
    std::vector<std::string> names = shippedNames(".");
    ASSERT_GE(names.size(), 6u);
    std::set<int> sizes;
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        std::unique_ptr<World> world(loadLevel("levels/" + name));
        ASSERT_NE(world, nullptr);
        ASSERT_TRUE(world->validate());
        sizes.insert(world->n);
        std::ostringstream again;
        writeLevel(*world, again);
        EXPECT_EQ(again.str(), fileText(fs::path("levels") / name));
        float h = world->halfExtent();
        auto cubie = [&](float c) { return std::floor((c + h) / world->cubieSize); };
        std::vector<Footprint> faces[6];
        for (Object* object : world->boxes) {
            auto* box = static_cast<Box*>(object);
            Vec3f c = toFaceLocal(box->position, box->face);
            Footprint f{c.x() - box->width / 2, c.x() + box->width / 2, c.y() - box->depth / 2,
                        c.y() + box->depth / 2};
            EXPECT_FLOAT_EQ(c.z(), h);
            EXPECT_GT(box->height, 0);
            EXPECT_EQ(cubie(f.u0 + 1e-3f), cubie(f.u1 - 1e-3f));
            EXPECT_EQ(cubie(f.v0 + 1e-3f), cubie(f.v1 - 1e-3f));
            EXPECT_FALSE(f.covers(0, 0, START)) << "face " << box->face;
            for (const Footprint& o : faces[box->face])
                EXPECT_FALSE(f.u0 < o.u1 && o.u0 < f.u1 && f.v0 < o.v1 && o.v0 < f.v1)
                    << "overlap on face " << box->face;
            faces[box->face].push_back(f);
        }
        for (int face = 0; face < 6; ++face) {
            double free = 0, reached = 0;
            faceGround(faces[face], h, free, reached);
            EXPECT_FALSE(faces[face].empty()) << "face " << face;
            EXPECT_GT(free, 0.8) << "face " << face;
            EXPECT_GT(reached, 0.97) << "face " << face;
        }
    }
    EXPECT_EQ(sizes, (std::set<int>{2, 3, 4, 5}));
}

// Two pads drive, steer, fire, change items and turn layers for a minute.
std::string matchScript() {
    std::ostringstream s;
    s << "0 pad 0 lefty -1\n0 pad 1 lefty -1\n";
    const char* turns[] = {"x", "a", "y", "b", "leftshoulder", "rightshoulder"};
    for (int k = 0; k < 120; ++k) {
        int t = 30 * k, pad = k % 2;
        s << t << " pad " << pad << " righttrigger " << (k / 2) % 2 << "\n";
        s << t << " pad " << pad << " leftx " << (k % 6 == 0 ? 0.8 : (k % 3 == 0 ? -0.6 : 0))
          << "\n";
        if (k % 6 == 5)
            s << t << " pad " << pad << " " << turns[k / 6 % 6] << " 1\n"
              << t + 3 << " pad " << pad << " " << turns[k / 6 % 6] << " 0\n"
              << t + 9 << " pad " << pad << " lefttrigger 1\n"
              << t + 12 << " pad " << pad << " lefttrigger 0\n"
              << t + 15 << " pad " << pad << " lefty " << (k % 4 ? -1 : 1) << "\n";
    }
    return s.str();
}

// A minute of a two-pad match on every shipped level, all at once: each run ends with status 0
// and no error reported, a trace line for every frame, on the game screen throughout with both
// pads playing, the tanks driven off their starts and layers turned.
TEST(ShippedLevels, ATwoPadMatchRunsAMinuteOnEveryLevel) {
#if defined(__SANITIZE_ADDRESS__)
    const int lastFrame = 1199; // 20 s: six sanitized runs at once would take a quarter hour
#else
    const int lastFrame = 3599; // 60 s at 60 frames a second
#endif
    ScratchFolder folder;
    std::vector<std::string> names = shippedNames(folder.previous);
    for (const std::string& name : names)
        fs::copy_file(folder.previous / "levels" / name, folder.path / "levels" / name);
    std::ofstream(folder.path / "match.txt") << matchScript();
    std::vector<std::unique_ptr<ChildProcess>> runs;
    // Side by side: GLUT does not draw a window that others cover, and a screen whose frames
    // are armed by its drawing then waits until it shows again.
    for (size_t i = 0; i < names.size(); ++i) {
        std::string place =
            "320x240+" + std::to_string(i % 4 * 320) + "+" + std::to_string(i / 4 * 270);
        runs.push_back(std::make_unique<ChildProcess>(
            QUORL_BINARY,
            std::vector<std::string>{
                "--level", names[i], "--pads", "2", "--script", "match.txt", "--seed",
                std::to_string(11 + i), "--fixed-step", "--size", "320x240", "-geometry", place,
                "--trace", std::to_string(i) + ".jsonl", "--exit-after", std::to_string(lastFrame)},
            folder.path.string()));
    }
    for (size_t i = 0; i < names.size(); ++i) {
        SCOPED_TRACE(names[i]);
        ASSERT_EQ(runs[i]->waitForExit(1500.0), 0) << runs[i]->output();
        for (const char* trouble : {"Error", "Assertion", "runtime error", "Sanitizer"})
            EXPECT_EQ(runs[i]->output().find(trouble), std::string::npos) << runs[i]->output();
        std::ifstream trace(folder.path / (std::to_string(i) + ".jsonl"));
        std::vector<std::string> lines;
        for (std::string line; std::getline(trace, line);)
            lines.push_back(line);
        ASSERT_EQ(lines.size(), static_cast<size_t>(lastFrame + 1));
        bool turned = false;
        for (const std::string& line : lines) {
            ASSERT_NE(line.find("\"screen\":\"game\""), std::string::npos) << line;
            turned = turned || line.find("\"rotating\":true") != std::string::npos;
        }
        EXPECT_TRUE(turned);
        for (const char* pad : {"\"input\":\"Virtual Pad 1\"", "\"input\":\"Virtual Pad 2\""})
            EXPECT_NE(lines.back().find(pad), std::string::npos) << lines.back();
        // The two tanks' positions, first and last.
        auto positions = [](const std::string& line) {
            size_t a = line.find("\"position\":"), b = line.find("\"position\":", a + 1);
            return std::make_pair(line.substr(a, line.find(']', a) - a),
                                  line.substr(b, line.find(']', b) - b));
        };
        EXPECT_NE(positions(lines.front()).first, positions(lines.back()).first);
        EXPECT_NE(positions(lines.front()).second, positions(lines.back()).second);
    }
}

} // namespace

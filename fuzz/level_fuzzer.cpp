// Feeds arbitrary bytes to the level reader. Whatever world it builds must hold together, and
// saving it and reading the save back must give the same cube with the same number of blocks.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>

#include "world/levelfile.h"
#include "world/world.h"

namespace {
void check(bool condition, const char* what) {
    if (!condition) {
        fprintf(stderr, "level_fuzzer: %s\n", what);
        abort();
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    std::unique_ptr<World> world(readLevel(in, "fuzz"));
    if (!world)
        return 0;
    check(world->n >= 2 && world->n <= 5, "a cube outside 2 to 5 cubies a side");
    check(world->validate(), "the world does not validate");
    check(world->boxes.size() == world->allObjects.size(), "a level holds blocks only");

    std::ostringstream saved;
    writeLevel(*world, saved);
    std::istringstream back(saved.str());
    std::unique_ptr<World> again(readLevel(back, "fuzz saved"));
    check(again != nullptr, "a saved level does not read back");
    check(again->n == world->n && again->cubieSize == world->cubieSize, "the cube changed");
    check(again->boxes.size() == world->boxes.size(), "blocks were lost or gained");
    return 0;
}

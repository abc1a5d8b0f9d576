// Writes the levels that ship with the game:  quorl_levelgen <levels directory>
#include <cstdio>
#include <string>
#include <sys/stat.h>

#include "levels.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <levels directory>\n", argv[0]);
        return 2;
    }
    std::string directory = argv[1];
    mkdir(directory.c_str(), 0755); // an existing directory is fine
    std::string error;
    if (!writeLevelDesigns(directory, error)) {
        std::fprintf(stderr, "quorl_levelgen: %s\n", error.c_str());
        return 1;
    }
    for (const LevelDesign& design : levelDesigns())
        std::printf("%s/%s: %s\n", directory.c_str(), design.name, design.intent);
    return 0;
}

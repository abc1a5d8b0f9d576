// Regenerates the game's sounds and music:  quorl_soundgen <data directory>
#include <cstdio>
#include <string>
#include <sys/stat.h>

#include "sounds.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <data directory>\n", argv[0]);
        return 2;
    }
    std::string data = argv[1];
    for (const char* sub : {"", "/sounds"})
        mkdir((data + sub).c_str(), 0755); // an existing directory is fine
    std::string error;
    if (!generateSounds(data, error)) {
        std::fprintf(stderr, "quorl_soundgen: %s\n", error.c_str());
        return 1;
    }
    for (const std::string& file : generatedSoundFiles())
        std::printf("%s/%s\n", data.c_str(), file.c_str());
    return 0;
}

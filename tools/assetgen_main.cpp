// Regenerates the game's models and textures:  quorl_assetgen <data directory>
#include <cstdio>
#include <string>
#include <sys/stat.h>

#include "assetgen.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <data directory>\n", argv[0]);
        return 2;
    }
    std::string data = argv[1];
    for (const char* sub : {"", "/models", "/textures", "/icons"})
        mkdir((data + sub).c_str(), 0755); // an existing directory is fine
    std::string error;
    if (!generateAssets(data, error)) {
        std::fprintf(stderr, "quorl_assetgen: %s\n", error.c_str());
        return 1;
    }
    for (const std::string& file : generatedAssetFiles())
        std::printf("%s/%s\n", data.c_str(), file.c_str());
    return 0;
}

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "support/childprocess.h"

namespace {

namespace fs = std::filesystem;

// A scratch data folder for the real program: copies of the game's models and textures (a
// case spoils one of them), an empty 3x3x3 level and a home of its own.
class AssetFolder {
public:
    AssetFolder() {
        std::string pattern = (fs::temp_directory_path() / "quorl_assets_XXXXXX").string();
        if (mkdtemp(pattern.data()))
            path = pattern;
        // Everything the game loads but the levels, and the marker that makes the folder the
        // game's data.
        for (const char* data : {"models", "textures", "sounds", "quorl-data-version"})
            if (fs::exists(fs::path(QUORL_SOURCE_DIR) / "data" / data))
                fs::copy(fs::path(QUORL_SOURCE_DIR) / "data" / data, path / data,
                         fs::copy_options::recursive);
        fs::create_directories(path / "levels");
        fs::create_directories(path / "home");
        std::ofstream(path / "levels" / "arena") << "3 28\n\n";
    }
    ~AssetFolder() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
    AssetFolder(const AssetFolder&) = delete;
    AssetFolder& operator=(const AssetFolder&) = delete;

    std::string read(const std::string& name) const {
        std::ifstream in(path / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    void write(const std::string& name, const std::string& bytes) const {
        std::ofstream(path / name, std::ios::binary | std::ios::trunc) << bytes;
    }

    fs::path path;
};

struct Outcome {
    int status;
    std::string output; // standard output and standard error
};

// Two pads, a match on the empty level for half a second: the tanks (their model), their items
// (the item textures) and the heads-up display (the health icon) are all loaded by then.
Outcome playBriefly(const AssetFolder& folder) {
    // The shell points the home folders into the scratch folder and joins standard error to
    // what the test reads.
    const char* const script =
        "export HOME=\"$PWD/home\" XDG_CONFIG_HOME=\"$PWD/home/.config\" "
        "XDG_DATA_HOME=\"$PWD/home/.local/share\" XDG_CACHE_HOME=\"$PWD/home/.cache\" "
        "XDG_STATE_HOME=\"$PWD/home/.local/state\"; exec \"$0\" \"$@\" 2>&1";
    ChildProcess game("/bin/sh",
                      {"-c", script, QUORL_BINARY, "--data", folder.path.string(), "--pads", "2",
                       "--level", "arena", "--fixed-step", "--fast", "--size", "320x240",
                       "--exit-after", "30"},
                      folder.path.string());
    int status = game.waitForExit(120.0);
    return {status, game.output()};
}

// An SGI file cut off right after its header and, when run-length encoded, its row tables:
// every byte of a valid image that is not a pixel.
std::string withoutPixels(const std::string& image) {
    auto field = [&image](int at) {
        return static_cast<unsigned char>(image[at]) << 8 |
               static_cast<unsigned char>(image[at + 1]);
    };
    bool rle = (field(2) >> 8) == 1;
    size_t tables = rle ? 8ul * field(8) * field(10) : 0; // height x channels, two tables
    return image.substr(0, 512 + tables);
}

// A model that reads soundly but holds no triangle, or a texture that holds no pixel, ends the
// program with status 1 and a message naming the file, as a missing one does; the untouched
// data plays.
TEST(AssetRun, AModelWithoutTrianglesOrATextureWithoutPixelsEndsTheGameNamingTheFile) {
    {
        AssetFolder intact;
        Outcome played = playBriefly(intact);
        ASSERT_EQ(played.status, 0) << played.output;
    }
    const struct {
        const char* file;
        std::string (*spoil)(const std::string& original);
        const char* problem;
    } cases[] = {
        {"models/tank_01.obj", [](const std::string&) { return std::string(); },
         "holds no triangles"},
        {"models/tank_01.obj",
         [](const std::string&) { return std::string("v 0 0 0\nv 1 0 0\nv 0 1 0\n"); },
         "holds no triangles"},
        {"textures/nuke.rgb", withoutPixels, "holds no pixels"},
        {"textures/health_02.rgb", withoutPixels, "holds no pixels"},
        {"textures/health_01.rgb", [](const std::string&) { return std::string(); },
         "too short for an image header"},
        {"models/tank_01.obj", nullptr, "can't open data file"}, // missing, for comparison
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.file) + ": " + c.problem);
        AssetFolder folder;
        if (c.spoil)
            folder.write(c.file, c.spoil(folder.read(c.file)));
        else
            fs::remove(folder.path / c.file);
        Outcome played = playBriefly(folder);
        EXPECT_EQ(played.status, 1) << played.output;
        EXPECT_NE(played.output.find("\"" + std::string(c.file) + "\""), std::string::npos)
            << played.output;
        EXPECT_NE(played.output.find(c.problem), std::string::npos) << played.output;
    }
}

} // namespace

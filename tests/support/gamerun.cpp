#include "support/gamerun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

RunFolder::RunFolder(bool shippedLevels) {
    static int count = 0;
    path = fs::temp_directory_path() /
           ("quorl_run_" + std::to_string(getpid()) + "_" + std::to_string(count++));
    fs::create_directories(path);
    for (const char* data : {"models", "textures"})
        fs::create_directory_symlink(fs::path(QUORL_SOURCE_DIR) / "data" / data, path / data);
    // The game takes the folder it starts in for its data.
    fs::create_symlink(fs::path(QUORL_SOURCE_DIR) / "data" / "quorl-data-version",
                       path / "quorl-data-version");
    if (shippedLevels)
        fs::create_directory_symlink(fs::path(QUORL_SOURCE_DIR) / "data" / "levels",
                                     path / "levels");
    else
        fs::create_directory(path / "levels");
}

RunFolder::~RunFolder() {
    std::error_code ignored;
    fs::remove_all(path, ignored);
}

void RunFolder::write(const std::string& name, const std::string& text) const {
    std::ofstream(file(name), std::ios::binary) << text;
}

void RunFolder::writeLevel(const std::string& name, const std::string& text) const {
    if (fs::is_symlink(path / "levels")) { // the shipped levels: never write into the sources
        ADD_FAILURE() << "writeLevel needs a RunFolder with a levels/ folder of its own";
        return;
    }
    write("levels/" + name, text);
}

std::vector<std::string> readLines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> result;
    for (std::string line; std::getline(in, line);)
        result.push_back(line);
    return result;
}

double traceNumber(const std::string& line, const std::string& name) {
    size_t at = line.find("\"" + name + "\":");
    return at == std::string::npos ? -1 : std::atof(line.c_str() + at + name.size() + 3);
}

std::vector<std::string> tracePlayers(const std::string& line) {
    std::vector<std::string> players;
    size_t at = line.find("\"players\":[");
    if (at == std::string::npos)
        return players;
    // depth = brackets and braces open inside the array; a player is a top-level object
    int depth = 0;
    size_t start = 0;
    for (size_t i = at + 11; i < line.size(); ++i) {
        char c = line[i];
        if (c == '{' || c == '[') {
            if (depth++ == 0)
                start = i;
        } else if (c == '}' || c == ']') {
            if (depth == 0)
                break; // the players' own closing bracket
            if (--depth == 0)
                players.push_back(line.substr(start, i - start + 1));
        }
    }
    return players;
}

bool traceVector(const std::string& object, const std::string& name, double out[3]) {
    size_t at = object.find("\"" + name + "\":[");
    if (at == std::string::npos)
        return false;
    const char* p = object.c_str() + at + name.size() + 4;
    for (int i = 0; i < 3; ++i) {
        char* end = nullptr;
        out[i] = std::strtod(p, &end);
        if (end == p)
            return false;
        p = end + 1; // past the comma
    }
    return true;
}

bool waitForFrames(const std::string& trace, size_t count, double seconds) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (readLines(trace).size() < count && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return readLines(trace).size() >= count;
}

double frameRate(const std::string& trace, double seconds) {
    size_t before = readLines(trace).size();
    auto start = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    size_t after = readLines(trace).size();
    double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return static_cast<double>(after - before) / elapsed;
}

double steadyFrameRate(const std::string& trace, int windows, double seconds) {
    double best = 0;
    for (int i = 0; i < windows; ++i)
        best = std::max(best, frameRate(trace, seconds));
    return best;
}

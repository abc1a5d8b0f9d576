#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

// Makes a fresh temporary directory the working directory for as long as it lives, so that
// "levels/" means a directory of the test's own; removes it and goes back afterwards.
class ScratchWorkingDirectory {
public:
    ScratchWorkingDirectory() : previous(std::filesystem::current_path()) {
        char pattern[] = "/tmp/quorl-levels-XXXXXX";
        if (const char* made = mkdtemp(pattern)) {
            path = made;
            std::filesystem::current_path(path);
        }
    }
    ~ScratchWorkingDirectory() {
        std::filesystem::current_path(previous);
        std::error_code ignored;
        if (!path.empty())
            std::filesystem::remove_all(path, ignored);
    }
    ScratchWorkingDirectory(const ScratchWorkingDirectory&) = delete;
    ScratchWorkingDirectory& operator=(const ScratchWorkingDirectory&) = delete;

    std::filesystem::path previous;
    std::string path;
};

inline std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

inline void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

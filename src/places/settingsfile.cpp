// The settings file on disk: read once at start-up, written whole when the player changes it.
#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include "places/settings.h"

namespace fs = std::filesystem;

namespace {

constexpr std::streamsize MAX_SETTINGS_BYTES = 1 << 16; // a settings file is a few lines

bool writeAll(int fd, const std::string& bytes) {
    size_t done = 0;
    // Invariant: the first `done` bytes are written.
    while (done < bytes.size()) {
        ssize_t written = write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        done += static_cast<size_t>(written);
    }
    return true;
}

} // namespace

void loadSettings(const std::string& path, Settings& settings, std::string& warning) {
    warning.clear();
    std::error_code missing;
    if (!fs::exists(path, missing))
        return;
    std::ifstream in(path, std::ios::binary);
    std::string text(static_cast<size_t>(MAX_SETTINGS_BYTES) + 1, '\0');
    in.read(&text[0], MAX_SETTINGS_BYTES + 1);
    if (in.bad() || (!in && !in.eof())) {
        warning = "Warning: settings " + path + " cannot be read: " + std::strerror(errno) +
                  "; the defaults stand";
        return;
    }
    text.resize(static_cast<size_t>(in.gcount()));
    if (text.size() > static_cast<size_t>(MAX_SETTINGS_BYTES)) {
        warning = "Warning: settings " + path + " is larger than a settings file can be; the " +
                  "defaults stand";
        return;
    }
    int line = 0;
    std::string reason;
    if (!settings.read(text, line, reason))
        warning = "Warning: settings " + path + ", line " + std::to_string(line) + ": " + reason +
                  "; the defaults stand for what could not be read";
}

bool saveSettings(const std::string& path, const Settings& settings, std::string& error) {
    if (path.empty()) {
        error = "there is no folder for settings (neither HOME nor XDG_CONFIG_HOME is set)";
        return false;
    }
    fs::path folder = fs::path(path).parent_path();
    std::error_code failure;
    fs::create_directories(folder, failure);
    if (failure) {
        error = folder.string() + ": " + failure.message();
        return false;
    }
    static std::atomic<unsigned> counter{0};
    // Hidden, and unique to this save among every process's.
    std::string temporary = (folder / ("." + fs::path(path).filename().string() + ".saving-" +
                                       std::to_string(getpid()) + "-" + std::to_string(counter++)))
                                .string();
    int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = temporary + ": " + std::strerror(errno);
        return false;
    }
    int code = 0;
    errno = 0;
    if (!writeAll(fd, settings.text()) || fsync(fd) != 0)
        code = errno ? errno : EIO;
    if (close(fd) != 0 && code == 0)
        code = errno;
    if (code == 0 && rename(temporary.c_str(), path.c_str()) != 0)
        code = errno;
    if (code != 0) {
        unlink(temporary.c_str());
        error = path + ": " + std::strerror(code);
        return false;
    }
    // The rename reaches the disk with the folder.
    int directory = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (directory >= 0) {
        fsync(directory);
        close(directory);
    }
    return true;
}

// Level files on disk: loading, saving without ever leaving half a level, listing.
#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <locale>
#include <sstream>
#include <unistd.h>

#include "world/levelfile.h"

namespace fs = std::filesystem;

namespace {

bool plainName(const std::string& name) {
    return !name.empty() && name[0] != '.' && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

std::string levelPath(const std::string& name) {
    return std::string(LEVEL_DIRECTORY) + "/" + name;
}

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

// A hidden name beside the target that no other save, in this process or another, uses.
std::string temporaryPath(const std::string& name) {
    static std::atomic<unsigned> counter{0};
    return std::string(LEVEL_DIRECTORY) + "/." + name + ".saving-" + std::to_string(getpid()) +
           "-" + std::to_string(counter++);
}

// Writes the bytes to a temporary file, flushes them to the disk and renames the file over
// `path`: a crash at any moment leaves either the old file or the new one. Returns the errno
// of the first failure, or 0.
int replaceFile(const std::string& path, const std::string& name, const std::string& bytes) {
    std::string temporary = temporaryPath(name);
    int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return errno;
    int failure = 0;
    if (!writeAll(fd, bytes) || fsync(fd) != 0)
        failure = errno ? errno : EIO;
    if (close(fd) != 0 && failure == 0)
        failure = errno;
    if (failure == 0 && rename(temporary.c_str(), path.c_str()) != 0)
        failure = errno;
    if (failure != 0) {
        unlink(temporary.c_str());
        return failure;
    }
    // The rename itself reaches the disk with the directory.
    int directory = open(LEVEL_DIRECTORY, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (directory >= 0) {
        fsync(directory);
        close(directory);
    }
    return 0;
}

} // namespace

World* loadLevel(const std::string& name) {
    if (!plainName(name)) {
        printf("Level name \"%s\" is not a plain file name\n", name.c_str());
        return nullptr;
    }
    std::string path = levelPath(name);
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        printf("Level \"%s\" cannot be opened: %s\n", path.c_str(), strerror(errno));
        return nullptr;
    }
    in.imbue(std::locale::classic());
    return readLevel(in, path);
}

bool readLevelText(const std::string& name, std::string& text) {
    if (!plainName(name)) {
        printf("Level name \"%s\" is not a plain file name\n", name.c_str());
        return false;
    }
    std::string path = levelPath(name);
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        printf("Level \"%s\" cannot be opened: %s\n", path.c_str(), strerror(errno));
        return false;
    }
    text.clear();
    char chunk[65536];
    // Invariant: `text` holds the file's first bytes, at most one chunk past the limit.
    while (text.size() <= MAX_LEVEL_TEXT && in.read(chunk, sizeof chunk).gcount() > 0)
        text.append(chunk, static_cast<size_t>(in.gcount()));
    if (in.bad()) {
        printf("Level \"%s\" cannot be read: %s\n", path.c_str(), strerror(errno));
        return false;
    }
    if (text.size() > MAX_LEVEL_TEXT) {
        printf("Level \"%s\" is larger than any level (%zu bytes at most)\n", path.c_str(),
               MAX_LEVEL_TEXT);
        return false;
    }
    return true;
}

bool saveLevel(const World& world, const std::string& name) {
    if (!plainName(name)) {
        printf("Level name \"%s\" is not a plain file name\n", name.c_str());
        return false;
    }
    std::string path = levelPath(name);
    std::error_code error;
    fs::create_directories(LEVEL_DIRECTORY, error);
    if (error) {
        printf("Level \"%s\" not saved: %s\n", path.c_str(), error.message().c_str());
        return false;
    }
    std::ostringstream text;
    writeLevel(world, text);
    errno = 0;
    if (int failure = replaceFile(path, name, text.str())) {
        printf("Level \"%s\" not saved: %s\n", path.c_str(), strerror(failure));
        return false;
    }
    return true;
}

void listFiles(const std::string& directory, std::vector<std::string>& names) {
    names.clear();
    std::error_code error;
    fs::directory_iterator entries(directory, error);
    // Invariant: `names` holds the visible regular files among the entries seen so far.
    for (fs::directory_iterator end; !error && entries != end; entries.increment(error)) {
        std::string name = entries->path().filename().string();
        std::error_code typeError;
        if (name.empty() || name[0] == '.' || !entries->is_regular_file(typeError))
            continue;
        names.push_back(name);
    }
    std::sort(names.begin(), names.end(), naturalLess);
}

namespace {

// The run of digits at s[i], without its leading zeros: [begin, end).
void digitRun(const std::string& s, size_t i, size_t& begin, size_t& end) {
    end = i;
    while (end < s.size() && std::isdigit(static_cast<unsigned char>(s[end])))
        ++end;
    begin = i;
    while (begin + 1 < end && s[begin] == '0')
        ++begin;
}

} // namespace

bool naturalLess(const std::string& a, const std::string& b) {
    size_t i = 0, j = 0;
    // Invariant: a[0, i) and b[0, j) are equal in natural order.
    while (i < a.size() && j < b.size()) {
        unsigned char ca = static_cast<unsigned char>(a[i]);
        unsigned char cb = static_cast<unsigned char>(b[j]);
        if (!std::isdigit(ca) || !std::isdigit(cb)) {
            if (ca != cb)
                return ca < cb;
            ++i;
            ++j;
            continue;
        }
        size_t aBegin, aEnd, bBegin, bEnd;
        digitRun(a, i, aBegin, aEnd);
        digitRun(b, j, bBegin, bEnd);
        size_t aDigits = aEnd - aBegin, bDigits = bEnd - bBegin;
        if (aDigits != bDigits)
            return aDigits < bDigits;
        int order = a.compare(aBegin, aDigits, b, bBegin, bDigits);
        if (order != 0)
            return order < 0;
        i = aEnd;
        j = bEnd;
    }
    if (i < a.size() || j < b.size())
        return j < b.size() && !(i < a.size());
    return a < b;
}

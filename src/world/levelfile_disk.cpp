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

#include "math/text.h"
#include "world/levelfile.h"

namespace fs = std::filesystem;

namespace {

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
std::string temporaryPath(const std::string& folder, const std::string& name) {
    static std::atomic<unsigned> counter{0};
    return folder + "/." + name + ".saving-" + std::to_string(getpid()) + "-" +
           std::to_string(counter++);
}

// Renames `from` to `to` unless anything at all has that name (a file, a folder, a link, even a
// dangling one). Returns the errno of the failure, EEXIST for a name taken, or 0.
int renameNoReplace(const std::string& from, const std::string& to) {
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // A file system without it: a hard link never replaces either; the temporary name goes.
    if (link(from.c_str(), to.c_str()) != 0)
        return errno;
    unlink(from.c_str());
    return 0;
}

// Writes the bytes to a temporary file, flushes them to the disk and renames it to `path`: over
// what is there (a crash at any moment leaves the old file or the new one), or only where
// nothing has that name. Returns the errno of the first failure, or 0.
int placeFile(const std::string& folder, const std::string& name, const std::string& bytes,
              SaveMode mode) {
    std::string path = folder + "/" + name;
    std::string temporary = temporaryPath(folder, name);
    int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return errno;
    int failure = 0;
    errno = 0;
    if (!writeAll(fd, bytes) || fsync(fd) != 0)
        failure = errno ? errno : EIO;
    if (close(fd) != 0 && failure == 0)
        failure = errno;
    if (failure == 0 && mode == SaveMode::REPLACE && rename(temporary.c_str(), path.c_str()) != 0)
        failure = errno;
    if (failure == 0 && mode == SaveMode::NEW_ONLY)
        failure = renameNoReplace(temporary, path);
    if (failure != 0)
        unlink(temporary.c_str());
    if (failure != 0)
        return failure;
    // The new name itself reaches the disk with the folder.
    int directory = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (directory >= 0) {
        fsync(directory);
        close(directory);
    }
    return 0;
}

} // namespace

bool isPlainLevelName(const std::string& name) {
    return !name.empty() && name[0] != '.' && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

World* loadLevel(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        printf("Level \"%s\" cannot be opened: %s\n", printable(path).c_str(), strerror(errno));
        return nullptr;
    }
    in.imbue(std::locale::classic());
    return readLevel(in, path);
}

bool readLevelText(const std::string& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        printf("Level \"%s\" cannot be opened: %s\n", printable(path).c_str(), strerror(errno));
        return false;
    }
    text.clear();
    char chunk[65536];
    // Invariant: `text` holds the file's first bytes, at most one chunk past the limit.
    while (text.size() <= MAX_LEVEL_TEXT && in.read(chunk, sizeof chunk).gcount() > 0)
        text.append(chunk, static_cast<size_t>(in.gcount()));
    if (in.bad()) {
        printf("Level \"%s\" cannot be read: %s\n", printable(path).c_str(), strerror(errno));
        return false;
    }
    if (text.size() > MAX_LEVEL_TEXT) {
        printf("Level \"%s\" is larger than any level (%zu bytes at most)\n",
               printable(path).c_str(), MAX_LEVEL_TEXT);
        return false;
    }
    return true;
}

bool saveLevel(const World& world, const std::string& folder, const std::string& name,
               SaveMode mode, std::string& error) {
    if (!isPlainLevelName(name)) {
        error = "\"" + name + "\" is not a plain file name";
        return false;
    }
    std::string path = folder + "/" + name;
    std::error_code failure;
    fs::create_directories(folder, failure);
    if (failure) {
        error = folder + ": " + failure.message();
        return false;
    }
    std::ostringstream text;
    writeLevel(world, text);
    if (int code = placeFile(folder, name, text.str(), mode)) {
        error = path + ": " + strerror(code);
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

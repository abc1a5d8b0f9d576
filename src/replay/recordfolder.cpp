#include "replay/recordfolder.h"

#include <algorithm>
#include <filesystem>

#include "replay/matchrecord.h"
#include "replay/recordfile.h"

namespace fs = std::filesystem;

namespace {

bool endsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

} // namespace

std::vector<std::string> recordsIn(const std::string& folder) {
    struct Found {
        fs::file_time_type time;
        std::string path;
    };
    std::vector<Found> found;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::error_code statError;
        fs::file_status status = it->symlink_status(statError);
        std::string path = it->path().string();
        if (statError || !fs::is_regular_file(status) ||
            !endsWith(it->path().filename().string(), RECORD_EXTENSION) || !looksLikeRecord(path))
            continue;
        fs::file_time_type time = fs::last_write_time(it->path(), statError);
        if (!statError)
            found.push_back({time, path});
    }
    std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
        return a.time != b.time ? a.time < b.time : a.path < b.path;
    });
    std::vector<std::string> paths;
    for (const Found& f : found)
        paths.push_back(f.path);
    return paths;
}

int keepNewestRecords(const std::string& folder, int keep, std::string& error) {
    std::vector<std::string> records = recordsIn(folder);
    int removed = 0;
    size_t excess = records.size() > static_cast<size_t>(std::max(keep, 0))
                        ? records.size() - static_cast<size_t>(std::max(keep, 0))
                        : 0;
    for (size_t i = 0; i < excess; ++i) {
        std::error_code why;
        if (fs::remove(records[i], why))
            ++removed;
        else if (why)
            error = "cannot remove the old record " + records[i] + ": " + why.message();
    }
    return removed;
}

std::string nextKeptRecordPath(const std::string& folder, int keep, std::time_t when,
                               std::string& error) {
    std::string path = newRecordPath(folder, when, error);
    if (!path.empty())
        keepNewestRecords(folder, keep - 1, error); // the new one is not written yet
    return path;
}

std::string newRecordPath(const std::string& folder, std::time_t when, std::string& error) {
    std::error_code why;
    fs::create_directories(folder, why);
    if (why || !fs::is_directory(folder, why)) {
        error = "cannot make the folder " + folder + (why ? ": " + why.message() : "");
        return "";
    }
    std::tm local{};
    localtime_r(&when, &local);
    char stamp[32];
    strftime(stamp, sizeof stamp, "quorl-%Y%m%d-%H%M%S", &local);
    std::string base = (fs::path(folder) / stamp).string();
    std::string path = base + RECORD_EXTENSION;
    for (int n = 2; fs::exists(fs::symlink_status(path, why)); ++n)
        path = base + "-" + std::to_string(n) + RECORD_EXTENSION;
    return path;
}

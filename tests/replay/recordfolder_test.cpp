#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "replay/recordfile.h"
#include "replay/recordfolder.h"
#include "replaytesting.h"

namespace {

using namespace replaytest;
namespace fs = std::filesystem;

std::string aRecord() {
    MatchRecord record;
    record.header.gameVersion = "1";
    record.complete = true;
    return recordFileBytes(record);
}

// The folder keeps the newest records, by when they were written, and the upkeep removes only
// records: a file named like one that is not one, a record named otherwise, a link to a
// record, a folder named like one, all stay.
TEST(RecordFolder, OnlyTheOldestRecordsAreRemovedAndNothingElse) {
    ScratchFolder scratch;
    fs::path folder = scratch.path;
    auto start = fs::file_time_type::clock::now() - std::chrono::hours(1);
    std::vector<std::string> records;
    for (int i = 0; i < 25; ++i) {
        // Names in the opposite order of age: the time decides, not the name.
        std::string path = (folder / ("quorl-" + std::to_string(100 - i) + ".qrec")).string();
        writeBytes(path, aRecord());
        fs::last_write_time(path, start + std::chrono::seconds(i));
        records.push_back(path);
    }
    writeBytes((folder / "notes.qrec").string(), "QUORL but not a record");
    writeBytes((folder / "kept.txt").string(), aRecord());
    fs::create_symlink(records[0], folder / "link.qrec");
    fs::create_directory(folder / "folder.qrec");

    EXPECT_EQ(recordsIn(scratch.path), records);
    std::string error;
    EXPECT_EQ(keepNewestRecords(scratch.path, 20, error), 5);
    EXPECT_EQ(error, "");
    std::vector<std::string> left(records.begin() + 5, records.end());
    EXPECT_EQ(recordsIn(scratch.path), left);
    for (const char* other : {"notes.qrec", "kept.txt", "folder.qrec"})
        EXPECT_TRUE(fs::exists(folder / other)) << other;
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(folder / "link.qrec")));
    EXPECT_EQ(keepNewestRecords(scratch.path, 20, error), 0);
    EXPECT_EQ(keepNewestRecords(scratch.path, 0, error), 20);
    EXPECT_TRUE(recordsIn(scratch.path).empty());
    EXPECT_TRUE(fs::exists(folder / "notes.qrec"));
}

// A new record's name tells when it was played and never takes an existing file's; the folder
// is made when missing, and a folder that cannot be made is said so.
TEST(RecordFolder, NewRecordsAreNamedByTheirTimeAndNeverReplaceAFile) {
    ScratchFolder scratch;
    std::string folder = scratch.file("deep/replays");
    std::tm when{};
    when.tm_year = 2026 - 1900;
    when.tm_mon = 0;
    when.tm_mday = 2;
    when.tm_hour = 3;
    when.tm_min = 4;
    when.tm_sec = 5;
    when.tm_isdst = -1;
    std::time_t time = std::mktime(&when);
    std::string error;
    std::string first = newRecordPath(folder, time, error);
    EXPECT_EQ(first, folder + "/quorl-20260102-030405.qrec") << error;
    writeBytes(first, aRecord());
    std::string second = newRecordPath(folder, time, error);
    EXPECT_EQ(second, folder + "/quorl-20260102-030405-2.qrec");
    fs::create_symlink("nowhere", second); // a dangling link takes its name too
    EXPECT_EQ(newRecordPath(folder, time, error), folder + "/quorl-20260102-030405-3.qrec");

    writeBytes(scratch.file("file"), "not a folder");
    EXPECT_EQ(newRecordPath(scratch.file("file/replays"), time, error), "");
    EXPECT_NE(error.find(scratch.file("file/replays")), std::string::npos) << error;
}

} // namespace

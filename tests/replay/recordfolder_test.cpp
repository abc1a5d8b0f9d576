#include <gtest/gtest.h>

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
    RunFolder scratch(false);
    std::string folder = scratch.path.string();
    auto start = fs::file_time_type::clock::now() - std::chrono::hours(1);
    std::vector<std::string> records;
    for (int i = 0; i < 25; ++i) { // named in the opposite order of age: the time decides
        records.push_back(scratch.file("quorl-" + std::to_string(100 - i) + ".qrec"));
        scratch.write(fs::path(records.back()).filename().string(), aRecord());
        fs::last_write_time(records.back(), start + std::chrono::seconds(i));
    }
    scratch.write("notes.qrec", "QUORL but not a record");
    scratch.write("kept.txt", aRecord());
    fs::create_symlink(records[0], scratch.file("link.qrec"));
    fs::create_directory(scratch.file("folder.qrec"));

    EXPECT_EQ(recordsIn(folder), records);
    std::string error;
    EXPECT_EQ(keepNewestRecords(folder, 20, error), 5);
    EXPECT_EQ(error, "");
    EXPECT_EQ(recordsIn(folder), std::vector<std::string>(records.begin() + 5, records.end()));
    EXPECT_EQ(keepNewestRecords(folder, 20, error), 0);
    EXPECT_EQ(keepNewestRecords(folder, 0, error), 20);
    EXPECT_TRUE(recordsIn(folder).empty());
    for (const char* other : {"notes.qrec", "kept.txt", "folder.qrec"})
        EXPECT_TRUE(fs::exists(scratch.file(other))) << other;
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(scratch.file("link.qrec"))));
}

// A new record's name tells when it was played and never takes an existing file's; the folder
// is made when missing, and a folder that cannot be made is said so.
TEST(RecordFolder, NewRecordsAreNamedByTheirTimeAndNeverReplaceAFile) {
    RunFolder scratch(false);
    std::string folder = scratch.file("deep/replays");
    std::tm when{};
    when.tm_year = 2026 - 1900, when.tm_mday = 2, when.tm_hour = 3, when.tm_min = 4;
    when.tm_sec = 5, when.tm_isdst = -1;
    std::time_t time = std::mktime(&when);
    std::string error;
    std::string first = newRecordPath(folder, time, error);
    EXPECT_EQ(first, folder + "/quorl-20260102-030405.qrec") << error;
    scratch.write("deep/replays/quorl-20260102-030405.qrec", aRecord());
    std::string second = newRecordPath(folder, time, error);
    EXPECT_EQ(second, folder + "/quorl-20260102-030405-2.qrec");
    fs::create_symlink("nowhere", second); // a dangling link takes its name too
    EXPECT_EQ(newRecordPath(folder, time, error), folder + "/quorl-20260102-030405-3.qrec");

    scratch.write("file", "not a folder");
    EXPECT_EQ(newRecordPath(scratch.file("file/replays"), time, error), "");
    EXPECT_NE(error.find(scratch.file("file/replays")), std::string::npos) << error;
}

// The folder of the last matches: before each new record, the oldest go so that with it the
// folder keeps exactly as many as it should; the new record's name is free, and a folder that
// cannot be made gives no name.
TEST(RecordFolder, TheNextRecordLeavesRoomForItselfAmongTheKeptOnes) {
    RunFolder scratch(false);
    std::string folder = scratch.file("replays");
    auto start = fs::file_time_type::clock::now() - std::chrono::hours(1);
    fs::create_directories(folder);
    std::vector<std::string> records;
    for (int i = 0; i < 22; ++i) {
        records.push_back(folder + "/quorl-" + std::to_string(i) + ".qrec");
        scratch.write("replays/quorl-" + std::to_string(i) + ".qrec", aRecord());
        fs::last_write_time(records.back(), start + std::chrono::seconds(i));
    }
    std::string error;
    for (int round = 0; round < 3; ++round) {
        std::string next = nextKeptRecordPath(folder, 20, std::time(nullptr), error);
        EXPECT_EQ(error, "");
        ASSERT_NE(next, "");
        EXPECT_FALSE(fs::exists(next));
        std::vector<std::string> left = recordsIn(folder);
        EXPECT_EQ(left.size(), 19u);
        EXPECT_EQ(left.back(), records.back()) << "the newest stay";
        scratch.write(fs::relative(next, scratch.path).string(), aRecord());
        records.push_back(next);
        EXPECT_EQ(recordsIn(folder).back(), next);
        EXPECT_EQ(recordsIn(folder).size(), 20u);
    }
    scratch.write("file", "not a folder");
    EXPECT_EQ(nextKeptRecordPath(scratch.file("file/replays"), 20, std::time(nullptr), error), "");
    EXPECT_NE(error.find("file/replays"), std::string::npos) << error;
}

} // namespace

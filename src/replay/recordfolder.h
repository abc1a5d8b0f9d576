#pragma once

// Replay floor: matches kept as their inputs: the record's format, its reader and writer, the
// state hash, replaying and the headless verifier. May use match and the layers below; no
// window, no drawing.

#include <ctime>
#include <string>
#include <vector>

// A folder that keeps the last matches played: a record per match, the newest few kept.

// The records of `folder`, oldest first (by modification time, then name): regular files whose
// name ends in RECORD_EXTENSION and whose first bytes are a record's. Nothing else counts: not
// links, folders, or files of other kinds, whatever their names.
std::vector<std::string> recordsIn(const std::string& folder);

// Removes the oldest records of `folder` until at most `keep` are left, and nothing that is
// not a record. Returns how many it removed; a record that cannot be removed is skipped and
// named in `error`.
int keepNewestRecords(const std::string& folder, int keep, std::string& error);

// How many matches the game keeps in the player's replays folder.
constexpr int MATCHES_KEPT = 20;

// The path for the next match's record in a folder that keeps the last `keep` matches: a new
// name as newRecordPath gives it, and the oldest records removed so that, once this one is
// written, at most `keep` are there. Empty, with `error`, when the folder cannot be made; a
// record that cannot be removed is named in `error` too, and the path is given all the same.
std::string nextKeptRecordPath(const std::string& folder, int keep, std::time_t when,
                               std::string& error);

// A path for a new record in `folder`, which is created if missing: "quorl-YYYYMMDD-HHMMSS"
// of the local time `when`, with "-2", "-3", ... when taken, and RECORD_EXTENSION. Empty, with
// `error`, when the folder cannot be made.
std::string newRecordPath(const std::string& folder, std::time_t when, std::string& error);

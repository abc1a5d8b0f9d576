#pragma once

// Replay floor: matches kept as their inputs: the record's format, its reader and writer, the
// state hash, replaying and the headless verifier. May use match and the layers below; no
// window, no drawing.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "replay/matchrecord.h"
#include "replay/recordcodec.h"

// A record file: RECORD_MAGIC, the format version (2 bytes, little-endian), the game's version
// (a length byte and its text), how the body is kept (a byte: 0 as it is, 1 one zstd frame),
// then the body (recordcodec.h).
//
// While a match is recorded its body goes to the file as it is, a block at a time whenever
// the recorder flushes (every second): a game that stops while recording leaves a record that
// plays up to its last block. When the record is finished, the file is written again with the
// whole body compressed in one frame (with its checksum) and put in the old one's place, so a
// kept record costs what the body compresses to at once, not a compressed block a second.
class RecordWriter {
public:
    RecordWriter();
    ~RecordWriter(); // closes the file as it is: without finish() the record is cut short
    RecordWriter(const RecordWriter&) = delete;
    RecordWriter& operator=(const RecordWriter&) = delete;

    // Creates (or replaces) the file and writes the header. False, with `error` naming the
    // file and why, when it cannot.
    bool open(const std::string& path, const RecordHeader& header, std::string& error);
    bool isOpen() const { return file != nullptr; }

    // The body's entries (see recordcodec::Encoder); they reach the file at the next flush.
    void tick(float dt, const std::vector<ControlState>& controls) { encoder->tick(dt, controls); }
    void edit(const MatchEdit& edit) { encoder->edit(edit); }
    void hash(uint64_t hash) { encoder->hash(hash); }
    int ticks() const { return encoder ? encoder->ticks() : 0; }

    // Hands what came since the last flush to the system.
    bool flush(std::string& error);
    // The end mark, then the file written again compressed. After a failure to write the body
    // the file is closed as it is; when only the compressed copy cannot be made, the record
    // stays whole and uncompressed.
    bool finish(std::string& error);
    // Bytes in the file so far.
    size_t bytesWritten() const { return written; }

private:
    void close();

    std::string path;
    std::string prefix; // everything before the body
    FILE* file = nullptr;
    std::string pending; // body bytes not yet written
    std::string body;    // body bytes written, for the compressed copy
    std::unique_ptr<recordcodec::Encoder> encoder;
    size_t written = 0;
};

// The whole file of `record` in memory, as a finished record is kept, compressed (for tests,
// tools and the fuzzer's seeds); with `compressed` false, as it is while being recorded.
std::string recordFileBytes(const MatchRecord& record, bool compressed = true);

// Reads a record made by this game, `gameVersion`. False, with `error` naming the file and what
// is wrong (another format or game version, both named; a corrupt or truncated file, with
// where), when it cannot be replayed. A record cut short after its header is read as far as it
// goes, with complete false.
bool readRecordFile(const std::string& path, const std::string& gameVersion, MatchRecord& record,
                    std::string& error);
// The same over bytes in memory; `error` does not name a file.
bool readRecordBytes(const uint8_t* data, size_t size, const std::string& gameVersion,
                     MatchRecord& record, std::string& error);

// Whether the file starts as a record does (whatever its version): what the replay folder's
// upkeep takes for a replay.
bool looksLikeRecord(const std::string& path);

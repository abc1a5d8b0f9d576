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
// (a length byte and its text), then the body (recordcodec.h) as one zstd stream. The writer
// compresses the body as it comes and flushes a block of it to the file whenever asked (the
// recorder asks every second), so a game that stops while recording leaves a record that
// plays up to the last block. The stream keeps its history from block to block, so later
// blocks compress against earlier ones.
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

    // Compresses what came since the last flush into a whole block and hands it to the system.
    bool flush(std::string& error);
    // The end mark, the end of the stream, and the file closed. After a failure the file is
    // closed as it is.
    bool finish(std::string& error);
    // Bytes written to the file so far.
    size_t bytesWritten() const { return written; }

private:
    bool compress(int mode, std::string& error); // mode: ZSTD_e_flush or ZSTD_e_end
    void close();

    std::string path;
    FILE* file = nullptr;
    struct Stream;
    std::unique_ptr<Stream> stream;
    std::string pending; // body bytes not yet compressed
    std::unique_ptr<recordcodec::Encoder> encoder;
    size_t written = 0;
};

// The whole file of `record` in memory, as the writer would leave it (for tests, tools and the
// fuzzer's seeds).
std::string recordFileBytes(const MatchRecord& record);

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

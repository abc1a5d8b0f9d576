#include "replay/recordfile.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <zstd.h>

namespace {

constexpr size_t PREFIX = sizeof RECORD_MAGIC + 2; // magic and format version
// A whole body at once: a high level finds the repeats of a long match and costs a fraction of
// a second at its end.
constexpr int COMPRESSION_LEVEL = 9;
enum BodyKind : uint8_t { RAW_BODY = 0, ZSTD_BODY = 1 };

std::string filePrefix(const std::string& gameVersion, BodyKind kind) {
    std::string out(RECORD_MAGIC, sizeof RECORD_MAGIC);
    out.push_back(static_cast<char>(RECORD_FORMAT_VERSION & 0xff));
    out.push_back(static_cast<char>(RECORD_FORMAT_VERSION >> 8));
    size_t length = std::min(gameVersion.size(), recordcodec::MAX_GAME_VERSION);
    out.push_back(static_cast<char>(length));
    out.append(gameVersion, 0, length);
    out.push_back(static_cast<char>(kind));
    return out;
}

// The body as one zstd frame with its checksum; empty when it cannot be made.
std::string compressBody(const std::string& body) {
    std::string out(ZSTD_compressBound(body.size()), '\0');
    ZSTD_CCtx* context = ZSTD_createCCtx();
    if (!context)
        return "";
    ZSTD_CCtx_setParameter(context, ZSTD_c_compressionLevel, COMPRESSION_LEVEL);
    ZSTD_CCtx_setParameter(context, ZSTD_c_checksumFlag, 1);
    size_t size = ZSTD_compress2(context, out.data(), out.size(), body.data(), body.size());
    ZSTD_freeCCtx(context);
    if (ZSTD_isError(size))
        return "";
    out.resize(size);
    return out;
}

// Decompresses a whole zstd stream into `body`. `frameEnded` tells whether the stream's frame
// came to its end; bytes after that end are a fault.
bool decompress(const uint8_t* data, size_t size, std::string& body, bool& frameEnded,
                std::string& error) {
    ZSTD_DCtx* context = ZSTD_createDCtx();
    if (!context) {
        error = "no memory to decompress it";
        return false;
    }
    ZSTD_inBuffer in{data, size, 0};
    std::string chunk(ZSTD_DStreamOutSize(), '\0');
    bool ok = true;
    frameEnded = false;
    // Invariant: body holds everything the decompressor has given back for in.src[0, in.pos).
    for (;;) {
        ZSTD_outBuffer out{chunk.data(), chunk.size(), 0};
        size_t hint = ZSTD_decompressStream(context, &out, &in);
        if (ZSTD_isError(hint)) {
            error = std::string("its compressed body is corrupt (") + ZSTD_getErrorName(hint) + ")";
            ok = false;
            break;
        }
        if (out.pos > recordcodec::MAX_BODY - body.size()) {
            error = "its body is larger than a record may be";
            ok = false;
            break;
        }
        body.append(chunk.data(), out.pos);
        if (hint == 0) {
            frameEnded = true;
            if (in.pos < in.size) {
                error = "bytes follow its compressed body";
                ok = false;
            }
            break;
        }
        // All input taken and the output not filled: nothing more is held back.
        if (in.pos == in.size && out.pos < out.size)
            break;
    }
    ZSTD_freeDCtx(context);
    return ok;
}

// A version as a message may show it: what is not printable becomes '?'.
std::string printable(std::string text) {
    for (char& c : text)
        if (c < 0x20 || c > 0x7e)
            c = '?';
    return text;
}

} // namespace

RecordWriter::RecordWriter() = default;

RecordWriter::~RecordWriter() {
    close();
}

void RecordWriter::close() {
    if (file)
        fclose(file);
    file = nullptr;
}

bool RecordWriter::open(const std::string& filePath, const RecordHeader& header,
                        std::string& error) {
    close();
    path = filePath;
    file = fopen(path.c_str(), "wb");
    if (!file) {
        error = "cannot record into " + path + ": " + strerror(errno);
        return false;
    }
    pending.clear();
    body.clear();
    encoder = std::make_unique<recordcodec::Encoder>(header, pending);
    prefix = filePrefix(header.gameVersion, RAW_BODY);
    written = 0;
    if (fwrite(prefix.data(), 1, prefix.size(), file) != prefix.size()) {
        error = "cannot write " + path + ": " + strerror(errno);
        close();
        return false;
    }
    written = prefix.size();
    return flush(error);
}

bool RecordWriter::flush(std::string& error) {
    if (!file) {
        error = "the record " + path + " is not open";
        return false;
    }
    encoder->settle();
    if (fwrite(pending.data(), 1, pending.size(), file) != pending.size() || fflush(file) != 0) {
        error = "cannot write " + path + ": " + strerror(errno);
        close();
        return false;
    }
    written += pending.size();
    body += pending;
    pending.clear();
    return true;
}

bool RecordWriter::finish(std::string& error) {
    if (!file) {
        error = "the record " + path + " is not open";
        return false;
    }
    encoder->end();
    bool ok = flush(error);
    if (ok && fclose(file) != 0) {
        error = "cannot write " + path + ": " + strerror(errno);
        ok = false;
    }
    file = nullptr;
    if (!ok)
        return false;
    // The compressed copy replaces the file only once it is whole on disk.
    std::string compressed = compressBody(body);
    if (compressed.empty())
        return true;
    std::string copy = path + ".part";
    std::string bytes = prefix;
    bytes.back() = static_cast<char>(ZSTD_BODY);
    bytes += compressed;
    FILE* out = fopen(copy.c_str(), "wb");
    bool whole = out && fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    if (out)
        whole = fclose(out) == 0 && whole;
    if (whole && std::rename(copy.c_str(), path.c_str()) == 0) {
        written = bytes.size();
        return true;
    }
    std::remove(copy.c_str());
    return true;
}

std::string recordFileBytes(const MatchRecord& record, bool compressed) {
    std::string body;
    recordcodec::Encoder encoder(record.header, body);
    std::vector<ControlState> controls(record.header.seats.size());
    size_t change = 0, edit = 0, hash = 0;
    // Invariant: everything of the ticks before t has been encoded.
    for (int t = 0; t <= record.tickCount(); ++t) {
        for (; hash < record.hashes.size() && record.hashes[hash].tick == t; ++hash)
            encoder.hash(record.hashes[hash].hash);
        for (; edit < record.edits.size() && record.edits[edit].tick == t; ++edit)
            encoder.edit(record.edits[edit].edit);
        if (t == record.tickCount())
            break;
        for (; change < record.changes.size() && record.changes[change].tick == t; ++change)
            controls[static_cast<size_t>(record.changes[change].seat)] =
                record.changes[change].controls;
        encoder.tick(record.dts[static_cast<size_t>(t)], controls);
    }
    if (record.complete)
        encoder.end();
    encoder.settle();
    if (!compressed)
        return filePrefix(record.header.gameVersion, RAW_BODY) + body;
    return filePrefix(record.header.gameVersion, ZSTD_BODY) + compressBody(body);
}

bool readRecordBytes(const uint8_t* data, size_t size, const std::string& gameVersion,
                     MatchRecord& record, std::string& error) {
    if (size < sizeof RECORD_MAGIC || std::memcmp(data, RECORD_MAGIC, sizeof RECORD_MAGIC) != 0) {
        error = "it is not a Quorl match record";
        return false;
    }
    if (size < PREFIX + 1) {
        error = "it ends inside its header";
        return false;
    }
    int format = data[sizeof RECORD_MAGIC] | data[sizeof RECORD_MAGIC + 1] << 8;
    size_t versionLength = data[PREFIX];
    if (size < PREFIX + 1 + versionLength) {
        error = "it ends inside its header";
        return false;
    }
    std::string version(reinterpret_cast<const char*>(data + PREFIX + 1), versionLength);
    std::string shown = printable(version);
    std::string ours = "this is Quorl " + gameVersion + ", which replays record format " +
                       std::to_string(RECORD_FORMAT_VERSION) + " of its own version only";
    if (format != RECORD_FORMAT_VERSION) {
        error = "it is in record format " + std::to_string(format) + " (written by Quorl " + shown +
                "); " + ours;
        return false;
    }
    if (version != gameVersion) {
        error = "it was recorded by Quorl " + shown + " (record format " + std::to_string(format) +
                "); " + ours;
        return false;
    }
    size_t bodyStart = PREFIX + 1 + versionLength + 1;
    if (size < bodyStart) {
        error = "it ends inside its header";
        return false;
    }
    uint8_t kind = data[bodyStart - 1];
    std::string body;
    if (kind == RAW_BODY) {
        if (size - bodyStart > recordcodec::MAX_BODY) {
            error = "its body is larger than a record may be";
            return false;
        }
        body.assign(reinterpret_cast<const char*>(data + bodyStart), size - bodyStart);
    } else if (kind == ZSTD_BODY) {
        bool frameEnded = false;
        if (!decompress(data + bodyStart, size - bodyStart, body, frameEnded, error))
            return false;
    } else {
        error = "its body is kept in an unknown way (" + std::to_string(kind) + ")";
        return false;
    }
    record.header.gameVersion = version;
    return recordcodec::decode(reinterpret_cast<const uint8_t*>(body.data()), body.size(), record,
                               error);
}

bool readRecordFile(const std::string& path, const std::string& gameVersion, MatchRecord& record,
                    std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read the record " + path + ": " + strerror(errno);
        return false;
    }
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        error = "cannot read the record " + path + ": " + strerror(errno);
        return false;
    }
    if (!readRecordBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), gameVersion,
                         record, error)) {
        error = "cannot replay " + path + ": " + error;
        return false;
    }
    return true;
}

bool looksLikeRecord(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    char magic[sizeof RECORD_MAGIC] = {};
    return in.read(magic, sizeof magic) && std::memcmp(magic, RECORD_MAGIC, sizeof magic) == 0;
}

#include "sgiwriter.h"

#include <cassert>
#include <cstdio>
#include <cstring>

namespace {

constexpr int HEADER_SIZE = 512;
constexpr int MAX_RUN = 127;

void put16(std::vector<unsigned char>& out, std::size_t at, unsigned int value) {
    out[at] = static_cast<unsigned char>(value >> 8);
    out[at + 1] = static_cast<unsigned char>(value);
}

void put32(std::vector<unsigned char>& out, std::size_t at, unsigned int value) {
    put16(out, at, value >> 16);
    put16(out, at + 2, value & 0xFFFF);
}

std::vector<unsigned char> header(int width, int height, int channels, bool rle) {
    std::vector<unsigned char> out(HEADER_SIZE, 0);
    put16(out, 0, 474);                   // magic
    put16(out, 2, (rle ? 0x100 : 0) | 1); // storage, one byte per channel
    put16(out, 4, channels == 1 ? 2 : 3); // dimension
    put16(out, 6, static_cast<unsigned>(width));
    put16(out, 8, static_cast<unsigned>(height));
    put16(out, 10, static_cast<unsigned>(channels));
    put32(out, 12, 0);   // darkest value
    put32(out, 16, 255); // brightest value
    std::memcpy(&out[24], "quorl", 5);
    return out;
}

// Channel `c` of row `y`, one byte per pixel.
std::vector<unsigned char> plane(const std::vector<unsigned char>& pixels, int width, int channels,
                                 int y, int c) {
    std::vector<unsigned char> row(static_cast<std::size_t>(width));
    for (int x = 0; x < width; ++x)
        row[x] = pixels[(static_cast<std::size_t>(y) * width + x) * channels + c];
    return row;
}

int runLength(const unsigned char* bytes, int at, int count) {
    int run = 1;
    while (at + run < count && run < MAX_RUN && bytes[at + run] == bytes[at])
        ++run;
    return run;
}

} // namespace

std::vector<unsigned char> encodeSgiRow(const unsigned char* bytes, int count) {
    std::vector<unsigned char> out;
    int i = 0;
    while (i < count) {
        int run = runLength(bytes, i, count);
        if (run >= 3) {
            out.push_back(static_cast<unsigned char>(run));
            out.push_back(bytes[i]);
            i += run;
            continue;
        }
        // Literal bytes up to the next run worth encoding.
        int start = i;
        while (i < count && i - start < MAX_RUN && runLength(bytes, i, count) < 3)
            ++i;
        out.push_back(static_cast<unsigned char>(0x80 | (i - start)));
        out.insert(out.end(), bytes + start, bytes + i);
    }
    out.push_back(0);
    return out;
}

std::vector<unsigned char> encodeSgiImage(int width, int height, int channels,
                                          const std::vector<unsigned char>& pixels, bool rle) {
    assert(width > 0 && width < 65536 && height > 0 && height < 65536);
    assert(channels >= 1 && channels <= 4);
    assert(pixels.size() == static_cast<std::size_t>(width) * height * channels);
    std::vector<unsigned char> out = header(width, height, channels, rle);
    if (!rle) {
        for (int c = 0; c < channels; ++c)
            for (int y = 0; y < height; ++y) {
                std::vector<unsigned char> row = plane(pixels, width, channels, y, c);
                out.insert(out.end(), row.begin(), row.end());
            }
        return out;
    }
    std::size_t rows = static_cast<std::size_t>(height) * channels;
    out.resize(HEADER_SIZE + 8 * rows);
    for (int c = 0; c < channels; ++c)
        for (int y = 0; y < height; ++y) {
            std::vector<unsigned char> row = plane(pixels, width, channels, y, c);
            std::vector<unsigned char> encoded = encodeSgiRow(row.data(), width);
            std::size_t index = static_cast<std::size_t>(y) + static_cast<std::size_t>(c) * height;
            put32(out, HEADER_SIZE + 4 * index, static_cast<unsigned>(out.size()));
            put32(out, HEADER_SIZE + 4 * (rows + index), static_cast<unsigned>(encoded.size()));
            out.insert(out.end(), encoded.begin(), encoded.end());
        }
    return out;
}

bool writeFileBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}

#include "wavwriter.h"

#include <cmath>
#include <cstdint>

#include "sgiwriter.h"

namespace {

void put16(std::vector<unsigned char>& out, uint32_t v) {
    out.push_back(static_cast<unsigned char>(v & 0xff));
    out.push_back(static_cast<unsigned char>((v >> 8) & 0xff));
}

void put32(std::vector<unsigned char>& out, uint32_t v) {
    put16(out, v & 0xffff);
    put16(out, v >> 16);
}

void putTag(std::vector<unsigned char>& out, const char* tag) {
    out.insert(out.end(), tag, tag + 4);
}

} // namespace

std::vector<unsigned char> wavBytes(const std::vector<float>& samples, int rate, int channels) {
    uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
    std::vector<unsigned char> out;
    out.reserve(44 + dataBytes);
    putTag(out, "RIFF");
    put32(out, 36 + dataBytes);
    putTag(out, "WAVE");
    putTag(out, "fmt ");
    put32(out, 16); // the plain PCM format record
    put16(out, 1);  // PCM
    put16(out, static_cast<uint32_t>(channels));
    put32(out, static_cast<uint32_t>(rate));
    put32(out, static_cast<uint32_t>(rate * channels * 2)); // bytes a second
    put16(out, static_cast<uint32_t>(channels * 2));        // bytes a frame
    put16(out, 16);                                         // bits a sample
    putTag(out, "data");
    put32(out, dataBytes);
    for (float s : samples) {
        double clipped = s > 1 ? 1 : s < -1 ? -1 : static_cast<double>(s);
        auto value = static_cast<int16_t>(std::lround(clipped * 32767));
        put16(out, static_cast<uint16_t>(value));
    }
    return out;
}

bool writeWav(const std::string& path, const std::vector<float>& samples, int rate, int channels) {
    return writeFileBytes(path, wavBytes(samples, rate, channels));
}

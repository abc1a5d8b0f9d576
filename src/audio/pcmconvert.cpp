#include "audio/pcmconvert.h"

#include <algorithm>

namespace {

int16_t clamp16(int v) {
    return static_cast<int16_t>(std::clamp(v, -32768, 32767));
}

} // namespace

std::vector<int16_t> toStereo(const int16_t* samples, size_t frames, int channels, int factor) {
    std::vector<int16_t> out;
    if ((channels != 1 && channels != 2) || (factor != 1 && factor != 2) || !samples)
        return out;
    out.resize(frames * 2 * static_cast<size_t>(factor));
    size_t n = frames;
    for (int c = 0; c < 2; ++c) {
        int from = channels == 2 ? c : 0;
        // The source's sample i of this channel, held at the ends.
        auto at = [&](long i) -> int {
            long k = std::clamp(i, 0L, static_cast<long>(n) - 1);
            return samples[static_cast<size_t>(k) * static_cast<size_t>(channels) +
                           static_cast<size_t>(from)];
        };
        for (size_t i = 0; i < n; ++i) {
            long j = static_cast<long>(i);
            if (factor == 1) {
                out[2 * i + static_cast<size_t>(c)] = static_cast<int16_t>(at(j));
                continue;
            }
            out[4 * i + static_cast<size_t>(c)] = static_cast<int16_t>(at(j));
            int between = (-at(j - 1) + 9 * at(j) + 9 * at(j + 1) - at(j + 2)) / 16;
            out[4 * i + 2 + static_cast<size_t>(c)] = clamp16(between);
        }
    }
    return out;
}

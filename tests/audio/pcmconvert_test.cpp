#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "audio/pcmconvert.h"

namespace {

// Doubling the rate of a tone gives the tone sampled at the double rate: every new sample in
// between lands on the true curve (within 1 % of full scale for 1 kHz, 2 % at 4 kHz), and the
// old samples stay as they were. Mono goes to both sides alike.
TEST(PcmConvert, DoublingTheRateFollowsTheToneOnBothSides) {
    for (double hz : {1000.0, 4000.0}) {
        std::vector<int16_t> mono(2205);
        for (size_t i = 0; i < mono.size(); ++i)
            mono[i] =
                static_cast<int16_t>(std::lround(20000 * std::sin(2 * M_PI * hz * i / 22050)));
        std::vector<int16_t> out = toStereo(mono.data(), mono.size(), 1, 2);
        ASSERT_EQ(out.size(), mono.size() * 4);
        double worst = 0;
        for (size_t k = 4; k + 8 < mono.size() * 2; ++k) { // the ends are held, not extrapolated
            double truth = 20000 * std::sin(2 * M_PI * hz * k / 44100);
            worst = std::fmax(worst, std::fabs(out[2 * k] - truth));
            ASSERT_EQ(out[2 * k], out[2 * k + 1]) << k;
        }
        EXPECT_LT(worst, (hz < 2000 ? 0.01 : 0.03) * 32768) << hz;
        for (size_t i = 0; i < mono.size(); ++i)
            ASSERT_EQ(out[4 * i], mono[i]);
    }
}

// Each side is interpolated on its own: a rising left and a falling right stay apart, a ramp's
// in-between samples lie on it exactly, and a step to full scale overshoots into the clip,
// not round to the other sign.
TEST(PcmConvert, StereoKeepsItsSidesAndOddInputsAreRefused) {
    std::vector<int16_t> stereo = {1000, -1000, 2000, -2000, 3000, -3000,
                                   4000, -4000, 5000, -5000, 6000, -6000};
    std::vector<int16_t> same = toStereo(stereo.data(), 6, 2, 1);
    EXPECT_EQ(same, stereo);
    std::vector<int16_t> doubled = toStereo(stereo.data(), 6, 2, 2);
    ASSERT_EQ(doubled.size(), 24u);
    for (size_t k = 2; k <= 8; ++k) { // away from the held ends
        EXPECT_EQ(doubled[2 * k], 500 * static_cast<int>(k) + 1000) << k;
        EXPECT_EQ(doubled[2 * k + 1], -500 * static_cast<int>(k) - 1000) << k;
    }
    std::vector<int16_t> step = {0, 0, 32767, 32767, 32767, 32767};
    std::vector<int16_t> stepped = toStereo(step.data(), 6, 1, 2);
    EXPECT_EQ(stepped[4 * 2 + 2], 32767) << "between two full-scale samples after the step";
    EXPECT_LT(stepped[4 * 0 + 2], 0) << "the ring before the step";
    EXPECT_TRUE(toStereo(stereo.data(), 4, 3, 1).empty());
    EXPECT_TRUE(toStereo(stereo.data(), 4, 1, 3).empty());
    EXPECT_TRUE(toStereo(nullptr, 4, 1, 2).empty());
    EXPECT_TRUE(toStereo(stereo.data(), 0, 1, 2).empty());
    int16_t one = 1234;
    std::vector<int16_t> single = toStereo(&one, 1, 1, 2);
    EXPECT_EQ(single, (std::vector<int16_t>{1234, 1234, 1234, 1234}));
}

} // namespace

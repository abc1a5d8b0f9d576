#include <gtest/gtest.h>

#include <SDL.h>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "audio/audiodevice.h"

namespace {

const std::string SOUNDS = std::string(QUORL_SOURCE_DIR) + "/data/sounds";

void useDriver(const char* driver) {
    setenv("SDL_AUDIODRIVER", driver, 1);
}

void waitMs(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// What SDL's disk driver wrote: the mixed output as it left the mixer, 16-bit stereo
// interleaved at 44100 frames a second.
struct Recording {
    std::vector<int16_t> left, right;

    // The first frame louder than `threshold` in either channel, or -1.
    long firstSound(int threshold) const {
        for (size_t i = 0; i < left.size(); ++i)
            if (std::abs(left[i]) > threshold || std::abs(right[i]) > threshold)
                return static_cast<long>(i);
        return -1;
    }
    static double rms(const std::vector<int16_t>& s, size_t from, size_t to) {
        double sum = 0;
        for (size_t i = from; i < to && i < s.size(); ++i)
            sum += static_cast<double>(s[i]) * s[i];
        return std::sqrt(sum / static_cast<double>(to > from ? to - from : 1));
    }
};

// A device writing to a scratch file: open, do `act` on it (with the milliseconds since the
// device opened at hand), close, read the file back.
class DiskCapture {
public:
    DiskCapture() {
        char pattern[] = "/tmp/quorl-audio-XXXXXX";
        const char* made = mkdtemp(pattern);
        folder = made ? made : "";
        file = folder + "/out.raw";
        useDriver("disk");
        setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
    }
    ~DiskCapture() {
        unlink(file.c_str());
        rmdir(folder.c_str());
    }

    template <class F> Recording record(F act) {
        AudioDevice device;
        line = device.open(false);
        Recording r;
        if (!device.isOpen())
            return r;
        std::string error;
        EXPECT_TRUE(device.load(SOUNDS, error)) << error;
        act(device);
        device.close();
        std::ifstream in(file, std::ios::binary);
        std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
        auto sample = [&bytes](size_t at) {
            auto low = static_cast<uint8_t>(bytes[at]), high = static_cast<uint8_t>(bytes[at + 1]);
            return static_cast<int16_t>(static_cast<uint16_t>(low | high << 8));
        };
        for (size_t i = 0; i + 3 < bytes.size(); i += 4) {
            r.left.push_back(sample(i));
            r.right.push_back(sample(i + 2));
        }
        return r;
    }
    // Frames the driver has written so far (it may hold back up to a few kilobytes in its
    // file buffer, so never more than it has mixed).
    long framesWritten() const {
        struct stat st;
        return stat(file.c_str(), &st) == 0 ? static_cast<long>(st.st_size / 4) : 0;
    }

    std::string line;

private:
    std::string folder, file;
};

// No device, a driver that cannot open, or a mute: the game goes on silent and says why in
// one line; every call after is harmless and still recorded for the trace. The dummy driver
// opens what was asked for.
TEST(AudioDevice, OpensOrRunsSilentNeverFailing) {
    AudioDevice device;
    EXPECT_EQ(device.open(true), "Sound: off (muted)");
    EXPECT_FALSE(device.isOpen());

    useDriver("no-such-driver");
    std::string line = device.open(false);
    EXPECT_EQ(line.rfind("Sound: off (", 0), 0u) << line;
    EXPECT_GT(line.size(), std::string("Sound: off ()").size()) << "with its reason";
    EXPECT_FALSE(device.isOpen());
    std::string error;
    EXPECT_TRUE(device.load(SOUNDS, error)) << error; // checked, not loaded
    EXPECT_FALSE(device.load("/nonexistent", error));
    EXPECT_NE(error.find("/nonexistent/shot_single.wav"), std::string::npos) << error;
    device.recorder.beginFrame();
    device.play(SoundId::SHOT_NUKE, 1, 0.3f, 2);
    device.playMusic(MusicId::MATCH);
    device.setMusicIntensity(1);
    ASSERT_EQ(device.recorder.started().size(), 1u);
    EXPECT_EQ(device.recorder.started()[0].sound, SoundId::SHOT_NUKE);
    EXPECT_EQ(device.recorder.started()[0].view, 2);
    EXPECT_STREQ(soundName(device.recorder.started()[0].sound), "shot-nuke");

    useDriver("dummy");
    EXPECT_EQ(device.open(false), "Sound: 44100 Hz, stereo, 16-bit");
    EXPECT_TRUE(device.isOpen());
    EXPECT_TRUE(device.load(SOUNDS, error)) << error;
    // More effects at once than there are channels: the oldest give way.
    for (int i = 0; i < 3 * AudioDevice::EFFECT_CHANNELS; ++i)
        device.play(static_cast<SoundId>(i % SOUND_COUNT), 0.5f, -1 + i / 50.0f);
    device.playMusic(MusicId::MENU);
    device.playMusic(MusicId::MATCH);
    EXPECT_FALSE(device.load("/nonexistent", error));
    device.play(SoundId::SHOT_SINGLE, 1, 0); // nothing loaded now: nothing plays
    device.close();
    device.close();
}

// Through the disk driver: nothing before the shot, the shot within 50 ms of output after the
// call (counted in frames the driver had written when the call came, whatever its pace),
// and panned to a left view it is at least 6 dB louder on the left (the law gives 7.7 dB at
// pan -0.5, a left view's middle); to the right view's middle, on the right.
TEST(AudioDevice, ACapturedShotStartsAtOnceAndPansToItsSide) {
    for (float pan : {-0.5f, 0.5f}) {
        DiskCapture capture;
        long playedAt = 0;
        Recording r = capture.record([&](AudioDevice& device) {
            waitMs(150);
            playedAt = capture.framesWritten();
            device.play(SoundId::SHOT_SINGLE, 1, pan);
            waitMs(450);
        });
        ASSERT_EQ(capture.line, "Sound: 44100 Hz, stereo, 16-bit");
        long onset = r.firstSound(1);
        ASSERT_GT(onset, 0) << "the shot was heard";
        EXPECT_GT(onset, 44100 * 50 / 1000) << "silence before the shot";
        EXPECT_GE(onset, playedAt) << "nothing sounds before it is asked for";
        EXPECT_LT(onset - playedAt, 44100 * 50 / 1000) << "written " << playedAt;
        RecordProperty(pan < 0 ? "onsetAfterCallMsLeft" : "onsetAfterCallMsRight",
                       std::to_string((onset - playedAt) / 44.1));
        size_t from = static_cast<size_t>(onset), to = from + 44100 * 3 / 10;
        ASSERT_LT(to, r.left.size());
        double db =
            20 * std::log10(Recording::rms(r.left, from, to) / Recording::rms(r.right, from, to));
        if (pan < 0) {
            EXPECT_GE(db, 6.0);
        } else {
            EXPECT_LE(db, -6.0);
        }
        EXPECT_GT(Recording::rms(r.left, from, to) + Recording::rms(r.right, from, to), 1000);
    }
}

// The nuke's blast carries more energy than a shell's at the same gain; effects volume 0 is
// silence and leaves the music playing, which fades in.
TEST(AudioDevice, VolumesAndBlastSizesHeardInTheCapture) {
    auto energyOf = [](SoundId sound) {
        DiskCapture capture;
        Recording r = capture.record([&](AudioDevice& device) {
            device.play(sound, 1, 0);
            waitMs(2800);
        });
        double rms = Recording::rms(r.left, 0, r.left.size());
        return rms * rms * static_cast<double>(r.left.size());
    };
    double small = energyOf(SoundId::BLAST_SMALL), nuke = energyOf(SoundId::BLAST_NUKE);
    EXPECT_GT(small, 0);
    EXPECT_GT(nuke, 3 * small);

    DiskCapture capture;
    Recording r = capture.record([&](AudioDevice& device) {
        device.setEffectsVolume(0);
        device.setMusicVolume(6);
        device.play(SoundId::SHOT_NUKE, 1, 0);
        device.play(SoundId::BLAST_NUKE, 1, 0);
        waitMs(300);
        device.playMusic(MusicId::MENU);
        waitMs(1000);
    });
    size_t musicFrom = 44100 * 300 / 1000;
    long first = r.firstSound(0);
    ASSERT_GT(first, 0) << "the music plays";
    EXPECT_GT(first, 44100 * 150 / 1000) << "no effect was heard before it";
    EXPECT_GT(Recording::rms(r.left, musicFrom + 22050, r.left.size()), 300);
    // It fades in: its first tenth of a second is far quieter than a tenth once the fade is over.
    size_t start = static_cast<size_t>(first), tenth = 4410;
    ASSERT_GT(r.left.size(), start + 6 * tenth);
    EXPECT_LT(2 * Recording::rms(r.left, start, start + tenth),
              Recording::rms(r.left, start + 5 * tenth, start + 6 * tenth));
}

} // namespace

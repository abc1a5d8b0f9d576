#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

#include "support/childprocess.h"
#include "support/gamerun.h"

// Runs of the real program that listen to it: SDL's disk driver writes the mixed output (16-bit
// stereo at 44100 Hz, paced in real time) to a file, read back here. The runs keep the real
// frame pace (--fixed-step without --fast), so that frames and samples keep step.

namespace {

constexpr long RATE = 44100;                // sample frames a second
constexpr long FRAME = RATE / 60;           // sample frames a game frame lasts
constexpr int SILENT = 64;                  // |sample| at or below this is silence (-54 dBFS)
constexpr const char* LEVEL = "Open Arena"; // open ground: a shell flies and bursts on it

struct Capture {
    int status = -1;
    std::string output;
    std::vector<std::string> trace;
    std::vector<int16_t> left, right;
    // For each trace line: the sample frames the driver had written when the line was first
    // seen; the frame's sounds were asked for before that.
    std::vector<long> writtenAt;

    // The first sample frame from `from` on with either channel above SILENT; -1 for none.
    long firstSound(long from) const {
        for (size_t i = static_cast<size_t>(std::max(from, 0L)); i < left.size(); ++i)
            if (std::abs(left[i]) > SILENT || std::abs(right[i]) > SILENT)
                return static_cast<long>(i);
        return -1;
    }
    static double energy(const std::vector<int16_t>& s, long from, long to) {
        double sum = 0;
        for (long i = std::max(from, 0L); i < to && i < static_cast<long>(s.size()); ++i)
            sum += static_cast<double>(s[static_cast<size_t>(i)]) * s[static_cast<size_t>(i)];
        return sum;
    }
    // Left over right in dB over [from, to).
    double balance(long from, long to) const {
        return 10 * std::log10((energy(left, from, to) + 1) / (energy(right, from, to) + 1));
    }
    // The first frame whose `sounds` name `name`; -1 for none.
    int frameOf(const std::string& name) const {
        for (size_t i = 0; i < trace.size(); ++i)
            if (trace[i].find("{\"name\":\"" + name + "\"") != std::string::npos)
                return static_cast<int>(i);
        return -1;
    }
};

// Runs the game on LEVEL with `pads` pads, `script`, the options `extra` and the environment
// `environment` (the disk driver writing into the run's folder unless it names another), and
// watches the trace and the capture grow together.
Capture capture(int pads, const std::string& script, int exitAfter,
                const std::vector<std::string>& extra, std::vector<std::string> environment = {}) {
    RunFolder run;
    run.write("s.txt", script);
    std::string raw = run.file("out.raw");
    if (environment.empty())
        environment = {"SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=" + raw};
    std::vector<std::string> arguments = {"--pads",
                                          std::to_string(pads),
                                          "--level",
                                          LEVEL,
                                          "--script",
                                          "s.txt",
                                          "--seed",
                                          "3",
                                          "--fixed-step",
                                          "--size",
                                          "640x480",
                                          "--trace",
                                          "t.jsonl",
                                          "--exit-after",
                                          std::to_string(exitAfter)};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    ChildProcess game(QUORL_BINARY, arguments, run.path.string(), false, "", environment);
    Capture c;
    std::ifstream trace;
    std::string partial;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    // Invariant: writtenAt has one entry per complete trace line read so far.
    while (game.running() && std::chrono::steady_clock::now() < deadline) {
        std::error_code ignored;
        auto bytes = static_cast<long>(std::filesystem::file_size(raw, ignored));
        if (ignored)
            bytes = 0;
        if (!trace.is_open())
            trace.open(run.file("t.jsonl"));
        if (trace.is_open()) {
            trace.clear();
            char ch;
            while (trace.get(ch)) {
                if (ch != '\n') {
                    partial += ch;
                    continue;
                }
                c.trace.push_back(partial);
                partial.clear();
                c.writtenAt.push_back(bytes / 4);
            }
        }
        game.output(); // keeps its pipe from filling
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    c.status = game.waitForExit(10);
    c.output = game.output();
    c.trace = readLines(run.file("t.jsonl"));
    std::ifstream in(raw, std::ios::binary);
    std::vector<char> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (size_t i = 0; i + 3 < data.size(); i += 4) {
        int16_t l, r;
        std::memcpy(&l, &data[i], 2);
        std::memcpy(&r, &data[i + 2], 2);
        c.left.push_back(l);
        c.right.push_back(r);
    }
    return c;
}

std::string fire(int pad, int frame) {
    return std::to_string(frame) + " pad " + std::to_string(pad) + " righttrigger 1\n" +
           std::to_string(frame + 2) + " pad " + std::to_string(pad) + " righttrigger 0\n";
}

// Where the sound the trace shows at `frame` starts in the capture: the first sound after the
// end of the frame before (as the trace was seen written), which must come within 3 frames of
// the end of its own frame. A watcher that sees the trace late only makes the bound looser, never
// fails a sound on time. Returns the onset.
long onsetOf(const Capture& c, int frame, const char* what) {
    EXPECT_GT(frame, 0) << what << " is not in the trace";
    if (frame <= 0 || static_cast<size_t>(frame) >= c.writtenAt.size())
        return -1;
    long before = c.writtenAt[static_cast<size_t>(frame - 1)];
    long onset = c.firstSound(before);
    EXPECT_GE(onset, 0) << what << " is never heard";
    long late = onset - c.writtenAt[static_cast<size_t>(frame)];
    EXPECT_LE(late, 3 * FRAME) << what << " is heard " << late << " sample frames late";
    testing::Test::RecordProperty(std::string(what) + "LatencyFrames",
                                  std::to_string(static_cast<double>(late) / FRAME));
    return onset;
}

// A two-player match (views one above the other): nothing sounds before the first shot (the
// music is at 0); the shot is heard within 3 frames of the frame that fired it; the shot of
// either player comes from the middle (neither view is on a side), and a nuke's blast carries
// more energy than a shell's.
TEST(SoundRun, TwoPlayersShotsOnTimeFromTheMiddleAndTheNukeLoudest) {
    std::string script = fire(0, 30) +
                         "90 key 4 down\n91 key 4 up\n" // a nuke where the shell was
                         "95 pad 0 lefttrigger 1\n97 pad 0 lefttrigger 0\n"
                         "100 pad 0 lefttrigger 1\n102 pad 0 lefttrigger 0\n" +
                         fire(0, 110) + fire(1, 200);
    Capture c = capture(2, script, 280, {"--music-volume", "0"});
    ASSERT_EQ(c.status, 0) << c.output;
    ASSERT_NE(c.output.find("Sound: 44100 Hz, stereo, 16-bit"), std::string::npos) << c.output;
    ASSERT_EQ(c.trace.size(), 281u);

    int shot = c.frameOf("shot-single");
    ASSERT_EQ(shot, 30) << "the trigger is read in the frame the script sets it";
    long first = onsetOf(c, shot, "shot");
    EXPECT_EQ(c.firstSound(0), first) << "silence before the first event";
    EXPECT_NEAR(c.balance(first, first + RATE / 10), 0, 3) << "the top player's shot";

    // A blast follows its shell's flight, whose sound may still ring: each is measured from the
    // end of the frame before it for half a second.
    int blast = c.frameOf("blast-small"), nuke = c.frameOf("blast-nuke");
    ASSERT_GT(blast, shot);
    ASSERT_GT(nuke, blast);
    long smallFrom = c.writtenAt.at(static_cast<size_t>(blast - 1));
    long nukeFrom = c.writtenAt.at(static_cast<size_t>(nuke - 1));
    double smallEnergy = Capture::energy(c.left, smallFrom, smallFrom + RATE / 2) +
                         Capture::energy(c.right, smallFrom, smallFrom + RATE / 2);
    double nukeEnergy = Capture::energy(c.left, nukeFrom, nukeFrom + RATE / 2) +
                        Capture::energy(c.right, nukeFrom, nukeFrom + RATE / 2);
    EXPECT_GT(nukeEnergy, 2 * smallEnergy);
    RecordProperty("nukeOverShellBlastDb",
                   std::to_string(10 * std::log10(nukeEnergy / smallEnergy)));

    int second = -1;
    for (size_t i = 190; i < c.trace.size() && second < 0; ++i)
        if (c.trace[i].find("{\"name\":\"shot-single\",\"view\":1}") != std::string::npos)
            second = static_cast<int>(i);
    long bottom = onsetOf(c, second, "bottomShot");
    EXPECT_NEAR(c.balance(bottom, bottom + RATE / 10), 0, 3) << "the bottom player's shot";
}

// Four players (two views a row): the top left player's shot is at least 6 dB louder on the
// left, the top right player's on the right.
TEST(SoundRun, FourPlayersLeftViewHeardLeftRightViewRight) {
    Capture c = capture(4, fire(0, 30) + fire(1, 120), 170, {"--music-volume", "0"});
    ASSERT_EQ(c.status, 0) << c.output;
    long left = onsetOf(c, c.frameOf("shot-single"), "leftShot");
    double leftDb = c.balance(left, left + RATE / 10);
    EXPECT_GE(leftDb, 6);
    int second = -1;
    for (size_t i = 100; i < c.trace.size() && second < 0; ++i)
        if (c.trace[i].find("{\"name\":\"shot-single\",\"view\":1}") != std::string::npos)
            second = static_cast<int>(i);
    long right = onsetOf(c, second, "rightShot");
    double rightDb = c.balance(right, right + RATE / 10);
    EXPECT_LE(rightDb, -6);
    RecordProperty("leftViewDb", std::to_string(leftDb));
    RecordProperty("rightViewDb", std::to_string(rightDb));
}

// --mute opens nothing and the capture stays empty; effects at 0 leave the capture silent while
// the shot is still traced, and with the music up it is the music alone that is heard; with no
// driver to open the match plays on after one "Sound: off" line; and all four play alike.
TEST(SoundRun, MuteEffectsVolumeZeroAndNoDevice) {
    Capture muted = capture(1, fire(0, 20), 50, {"--mute"});
    ASSERT_EQ(muted.status, 0) << muted.output;
    EXPECT_NE(muted.output.find("Sound: off (muted)"), std::string::npos) << muted.output;
    EXPECT_EQ(muted.firstSound(0), -1);
    EXPECT_GT(muted.frameOf("shot-single"), 0) << "a muted run traces what it would play";

    Capture quiet = capture(1, fire(0, 20), 50, {"--effects-volume", "0", "--music-volume", "0"});
    ASSERT_EQ(quiet.status, 0) << quiet.output;
    EXPECT_GT(quiet.frameOf("shot-single"), 0);
    EXPECT_GT(quiet.left.size(), static_cast<size_t>(RATE / 2)) << "the device was open";
    EXPECT_EQ(quiet.firstSound(0), -1) << "an effect at volume 0";

    Capture music = capture(1, fire(0, 20), 50, {"--effects-volume", "0", "--music-volume", "10"});
    ASSERT_EQ(music.status, 0) << music.output;
    long heard = music.firstSound(0);
    ASSERT_GE(heard, 0) << "the music plays";
    EXPECT_LT(heard, music.writtenAt.at(20)) << "from the match's start, before any shot";

    Capture none = capture(1, fire(0, 20), 50, {}, {"SDL_AUDIODRIVER=nosuchdriver"});
    ASSERT_EQ(none.status, 0) << none.output;
    size_t off = none.output.find("Sound: off (");
    ASSERT_NE(off, std::string::npos) << none.output;
    EXPECT_EQ(none.output.find("Sound:", off + 1), std::string::npos) << "one line";
    EXPECT_EQ(none.trace.size(), 51u);
    EXPECT_GT(none.frameOf("shot-single"), 0);

    // Sound or none, the same seeded run plays the same, to the byte, sounds traced included.
    EXPECT_EQ(muted.trace, quiet.trace);
    EXPECT_EQ(muted.trace, music.trace);
    EXPECT_EQ(muted.trace, none.trace);
}

} // namespace

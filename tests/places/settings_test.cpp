#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

#include "places/settings.h"

namespace {

namespace fs = std::filesystem;

// A scratch folder, removed with everything in it.
struct Scratch {
    Scratch() {
        char pattern[] = "/tmp/quorl-settings-XXXXXX";
        if (const char* made = mkdtemp(pattern))
            path = made;
    }
    ~Scratch() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
    std::string path;
};

std::string bytesOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// Settings with every value drawn at random within its range.
Settings randomSettings(unsigned& state) {
    Settings settings;
    for (size_t i = 0; i < Settings::keys().size(); ++i) {
        const SettingKey& key = Settings::keys()[i];
        state = state * 1103515245u + 12345u;
        settings.set(i, key.low + static_cast<int>((state >> 8) %
                                                   static_cast<unsigned>(key.high - key.low + 1)));
    }
    // Texts of every length they may have, of every byte they keep (';', '#', '=' within).
    for (const TextSettingKey& key : Settings::textKeys()) {
        state = state * 1103515245u + 12345u;
        std::string text((state >> 8) % (key.maxLength + 1), ' ');
        for (char& c : text) {
            state = state * 1103515245u + 12345u;
            c = static_cast<char>('!' + (state >> 8) % ('~' - '!' + 1));
        }
        if (!text.empty() && text[0] == ';') // a comment there: refused, below
            text[0] = ':';
        EXPECT_TRUE(settings.setTextValue(key.key, text)) << text;
    }
    return settings;
}

// Whatever the values, the text written reads back the same, whole; the defaults are the
// table's; the screen's steps go round a choice and stop at a number's ends.
TEST(Settings, WrittenTextReadsBackAndStepsStayInRange) {
    Settings defaults;
    EXPECT_EQ(defaults.get("fullscreen"), 0);
    EXPECT_EQ(defaults.get("window_width"), 800);
    EXPECT_EQ(defaults.get("window_height"), 600);
    EXPECT_EQ(defaults.get("multisample"), Settings::MULTISAMPLE_AUTO);
    EXPECT_EQ(defaults.get("effects_volume"), 10);
    EXPECT_EQ(defaults.get("music_volume"), 7);
    EXPECT_EQ(defaults.get("rumble"), 1);
    EXPECT_EQ(defaults.text(), "# Quorl's settings, rewritten when they are changed in the game.\n"
                               "fullscreen = off\nwindow_width = 800\nwindow_height = 600\n"
                               "multisample = auto\neffects_volume = 10\nmusic_volume = 7\n"
                               "rumble = on\ncomputer_tanks = 0\ndifficulty = normal\n"
                               "rounds_to_win = 1\njoin_address =\n");
    unsigned state = 7;
    for (int round = 0; round < 200; ++round) {
        Settings written = randomSettings(state), read;
        int line = -1;
        std::string reason;
        ASSERT_TRUE(read.read(written.text(), line, reason)) << line << ": " << reason;
        ASSERT_EQ(read.text(), written.text());
    }
    size_t multisample = Settings::indexOf("multisample"),
           width = Settings::indexOf("window_width");
    Settings settings;
    for (int expected : {1, 2, 0, 1}) {
        settings.change(multisample, 1);
        EXPECT_EQ(settings.at(multisample), expected);
    }
    settings.change(multisample, -1);
    settings.change(multisample, -1);
    EXPECT_EQ(settings.at(multisample), 2);
    settings.set(width, 16384);
    settings.change(width, 1);
    EXPECT_EQ(settings.at(width), 16384);
    settings.set(width, 1);
    settings.change(width, -1);
    EXPECT_EQ(settings.at(width), 1);
}

// A text setting keeps only what the file gives back unchanged: a value with a blank, a control
// or non-ASCII byte, a leading ';' (a comment there) or more than its most is refused by the
// setter, which leaves the value as it was, and by the reader, which names its line; what inih
// cuts (the blanks round a value, a comment after " ;") is read as cut.
TEST(Settings, ATextSettingKeepsOnlyWhatReadsBackTheSame) {
    const std::string longest(64, 'a');
    const struct {
        std::string text;
        int badLine; // -1: the setter takes it
        const char* read;
    } cases[] = {
        {"127.0.0.1:27183", -1, "127.0.0.1:27183"},
        {longest, -1, longest.c_str()},
        {"a;b#c=d", -1, "a;b#c=d"},
        {"  10.0.0.2  ", 0, "10.0.0.2"},
        {"here ;a comment", 0, "here"},
        {";a", 0, ""},
        {longest + "b", 1, ""},
        {"one two", 1, ""},
        {"caf\xc3\xa9", 1, ""},
        {"a\tb", 1, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        Settings settings, read;
        ASSERT_TRUE(settings.setTextValue("join_address", "kept"));
        EXPECT_EQ(settings.setTextValue("join_address", c.text), c.badLine < 0);
        EXPECT_EQ(settings.textValue("join_address"), c.badLine < 0 ? c.text : "kept");
        int line = -1;
        std::string reason;
        EXPECT_EQ(read.read("join_address = " + c.text + "\n", line, reason), c.badLine <= 0);
        EXPECT_EQ(line, std::max(c.badLine, 0)) << reason;
        EXPECT_EQ(read.textValue("join_address"), c.read);
        EXPECT_EQ(read == Settings(), std::string(c.read).empty());
    }
}

// A missing file is the defaults, silently. A file that cannot all be read gives the defaults
// for what it could not give, the rest as written, and one warning naming the file and its
// first bad line; the file itself is left as it was.
TEST(Settings, ACorruptFileGivesDefaultsAndOneWarning) {
    Scratch scratch;
    ASSERT_FALSE(scratch.path.empty());
    std::string path = scratch.path + "/settings";
    Settings settings;
    std::string warning = "stale";
    loadSettings(path, settings, warning);
    EXPECT_EQ(warning, "");
    EXPECT_EQ(settings, Settings());

    std::string noise;
    unsigned state = 3;
    for (int i = 0; i < 3000; ++i) {
        state = state * 1103515245u + 12345u;
        noise += static_cast<char>(state >> 16);
    }
    static const char WITH_NUL[] = "fullscreen = on\nmulti\0sample = off\nwindow_width = 640\n";
    const struct {
        std::string text;
        int badLine;
        const char* says; // in the warning, after the line
        int fullscreen, width, multisample;
    } cases[] = {
        {noise, -1, "", 0, 800, 0},
        {"fullscreen = on\nwindow_width = wide\nmultisample = off\n", 2,
         "window_width = \"wide\" is not a value it takes", 1, 800, 2},
        {"window_width = 99999999999999999999\nfullscreen = yes\n", 1,
         "window_width = \"99999999999999999999\" is not a value it takes", 1, 800, 0},
        {"window_width = 1024\nwindow_width = 0\nmultisample = 4\n", 2,
         "window_width = \"0\" is not a value it takes", 0, 1024, 0},
        {"# fine\n\nthis line is no setting\nmultisample = on\n", 3, "not a \"key = value\" line",
         0, 800, 1},
        {std::string(WITH_NUL, sizeof WITH_NUL - 1), 2, "", 1, 640, 0},
        {"[sound]\nvolume = 11\nfullscreen = on\n", 0, "", 0, 800, 0},
    };
    for (const auto& c : cases) {
        writeBytes(path, c.text);
        Settings read;
        loadSettings(path, read, warning);
        SCOPED_TRACE(c.text.substr(0, 60));
        EXPECT_EQ(read.get("fullscreen"), c.fullscreen);
        EXPECT_EQ(read.get("window_width"), c.width);
        EXPECT_EQ(read.get("multisample"), c.multisample);
        EXPECT_EQ(read.get("window_height"), 600);
        if (c.badLine == 0) {
            EXPECT_EQ(warning, "");
        } else {
            std::string start = "Warning: settings " + path + ", line ";
            ASSERT_EQ(warning.find(start), 0u) << warning;
            if (c.badLine > 0) {
                EXPECT_EQ(warning.find(start + std::to_string(c.badLine) + ": " + c.says), 0u)
                    << warning;
            }
            EXPECT_EQ(warning.find('\n'), std::string::npos) << "one line: " << warning;
            for (char ch : warning)
                EXPECT_TRUE(ch >= ' ' && ch <= '~') << "a byte of noise in " << warning;
        }
        EXPECT_EQ(bytesOf(path), c.text); // reading never rewrites
    }
}

// A child writes two settings in turn over one file as fast as it can and is killed at a random
// moment, 250 times; whatever the moment, the file holds one of the two, byte for byte, and the
// folder holds nothing else a reader could take for the settings.
TEST(Settings, AKilledSaveLeavesTheOldFileOrTheNewOneWhole) {
    Scratch scratch;
    ASSERT_FALSE(scratch.path.empty());
    std::string path = scratch.path + "/quorl/settings"; // the folder is made by the save
    Settings first, second;
    second.set(Settings::indexOf("fullscreen"), 1);
    second.set(Settings::indexOf("window_width"), 1920);
    second.set(Settings::indexOf("multisample"), Settings::MULTISAMPLE_OFF);
    std::string error;
    auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(saveSettings(path, second, error)) << error;
    ASSERT_TRUE(saveSettings(path, first, error)) << error;
    // Kills land anywhere within the time of about two saves, however fast the disk is.
    int window = static_cast<int>(std::chrono::duration_cast<std::chrono::microseconds>(
                                      std::chrono::steady_clock::now() - started)
                                      .count());
    int sawFirst = 0, sawSecond = 0;
    unsigned state = 11;
    for (int round = 0; round < 250; ++round) {
        fflush(stdout);
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0)
            for (unsigned i = static_cast<unsigned>(round);; ++i)
                saveSettings(path, i % 2 ? first : second, error);
        state = state * 1103515245u + 12345u;
        usleep(static_cast<useconds_t>((state >> 8) % static_cast<unsigned>(2 * window + 1)));
        kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the saving child stopped by itself";
        std::string now = bytesOf(path);
        ASSERT_TRUE(now == first.text() || now == second.text())
            << "round " << round << ": " << now.size() << " bytes of neither";
        ++(now == first.text() ? sawFirst : sawSecond);
    }
    RecordProperty("killsLeavingTheFirst", sawFirst);
    RecordProperty("killsLeavingTheSecond", sawSecond);
    EXPECT_GE(sawFirst, 5); // the kills did land at different moments
    EXPECT_GE(sawSecond, 5);
    for (const auto& entry : fs::directory_iterator(scratch.path + "/quorl")) {
        std::string name = entry.path().filename().string();
        EXPECT_TRUE(name == "settings" || name.rfind(".settings.saving-", 0) == 0) << name;
    }

    // A folder that cannot be made is said, and nothing is written.
    writeBytes(scratch.path + "/file", "");
    EXPECT_FALSE(saveSettings(scratch.path + "/file/settings", first, error));
    EXPECT_EQ(error.find(scratch.path + "/file: "), 0u) << error;
    EXPECT_FALSE(saveSettings("", first, error));
}

} // namespace

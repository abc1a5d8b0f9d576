#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "places/datafolder.h"
#include "places/playerfolders.h"

namespace {

namespace fs = std::filesystem;

// The search's places in their order, with what put each there; those not given are left out.
TEST(DataSearch, PlacesComeInTheirOrderAndTheFirstOfThisVersionWins) {
    DataSearchInputs inputs{
        "/opt/mine", "/env", "/usr/games", "../share/quorl", "/usr/local/share/quorl", "/home/p"};
    std::vector<DataPlace> places = dataPlaces(inputs);
    std::vector<std::string> seen;
    for (const DataPlace& place : places)
        seen.push_back(place.source + "=" + place.folder);
    EXPECT_EQ(seen, (std::vector<std::string>{"--data=/opt/mine", "QUORL_DATA=/env",
                                              "beside the program=/usr/share/quorl",
                                              "install folder=/usr/local/share/quorl",
                                              "working folder=/home/p",
                                              "checkout beside the build folder=/usr/data"}));
    inputs = DataSearchInputs{"", "", "", "", "", "/w"};
    EXPECT_EQ(dataPlaces(inputs).size(), 1u);

    char pattern[] = "/tmp/quorl-data-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    fs::path root = pattern;
    for (const char* folder : {"none", "old", "crlf", "right", "also"})
        fs::create_directories(root / folder);
    std::ofstream(root / "old" / DATA_MARKER) << "0.0.9\n";
    std::ofstream(root / "crlf" / DATA_MARKER) << "2.1.0\r\n";
    std::ofstream(root / "right" / DATA_MARKER) << "2.1.0\n";
    std::ofstream(root / "also" / DATA_MARKER) << "2.1.0";
    std::vector<DataPlace> candidates = {{"--data", (root / "missing").string()},
                                         {"QUORL_DATA", (root / "none").string()},
                                         {"beside the program", (root / "old").string()},
                                         {"install folder", (root / "right").string()},
                                         {"working folder", (root / "also").string()}};
    std::vector<std::string> passedOver, looked;
    EXPECT_EQ(findDataPlace(candidates, "2.1.0", passedOver, looked), 3);
    EXPECT_EQ(passedOver.size(), 2u);
    ASSERT_EQ(looked.size(), 3u);
    EXPECT_EQ(looked[0], "--data: " + (root / "missing").string() + " (no such folder)");
    EXPECT_EQ(looked[1], "QUORL_DATA: " + (root / "none").string() + " (no quorl-data-version)");
    EXPECT_NE(looked[2].find("(data of version \"0.0.9\", not 2.1.0)"), std::string::npos);
    EXPECT_EQ(dataFolderProblem((root / "crlf").string(), "2.1.0"), "");
    EXPECT_EQ(findDataPlace(candidates, "3.0.0", passedOver, looked), -1);
    EXPECT_EQ(looked.size(), candidates.size()); // every place is in the message
    fs::remove_all(root);
}

// The player's folders follow the XDG rules: the variables when they are absolute paths, the
// defaults under HOME otherwise, nothing without either.
TEST(PlayerFolders, FollowTheXdgVariablesAndFallBackToHome) {
    auto from = [](std::map<std::string, std::string> environment) {
        return playerFolders([environment](const char* name) -> const char* {
            auto found = environment.find(name);
            return found == environment.end() ? nullptr : found->second.c_str();
        });
    };
    PlayerFolders home = from({{"HOME", "/home/p"}});
    EXPECT_EQ(home.levels, "/home/p/.local/share/quorl/levels");
    EXPECT_EQ(home.screenshots, "/home/p/.local/share/quorl/screenshots");
    EXPECT_EQ(home.settingsFile, "/home/p/.config/quorl/settings");
    PlayerFolders xdg = from({{"HOME", "/home/p"},
                              {"XDG_DATA_HOME", "/d"},
                              {"XDG_CONFIG_HOME", "/c"},
                              {"XDG_PICTURES_DIR", "/pictures"}});
    EXPECT_EQ(xdg.levels, "/d/quorl/levels");
    EXPECT_EQ(xdg.screenshots, "/pictures");
    EXPECT_EQ(xdg.settingsFile, "/c/quorl/settings");
    PlayerFolders relative = from({{"HOME", "/home/p"},
                                   {"XDG_DATA_HOME", "d"},
                                   {"XDG_CONFIG_HOME", ""},
                                   {"XDG_PICTURES_DIR", "p"}});
    EXPECT_EQ(relative.levels, home.levels);
    EXPECT_EQ(relative.screenshots, home.screenshots);
    EXPECT_EQ(relative.settingsFile, home.settingsFile);
    PlayerFolders nowhere = from({});
    EXPECT_EQ(nowhere.levels, "");
    EXPECT_EQ(nowhere.screenshots, "");
    EXPECT_EQ(nowhere.settingsFile, "");
    EXPECT_EQ(from({{"XDG_CONFIG_HOME", "/c"}}).settingsFile, "/c/quorl/settings");
}

} // namespace

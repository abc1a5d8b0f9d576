#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "input/inputsource.h"
#include "platform/menubuilder.h"
#include "screens/levelcatalogue.h"
#include "world/levelfile.h"
#include "world/world.h"

// Helpers of the welcome screen's and the level editor's tests.

// A pad the test holds: a stick position and buttons, read as the menus read a gamepad.
class HeldPad : public InputSource {
public:
    void update() override {}
    StickPosition leftStick() const override { return stick; }
    StickPosition rightStick() const override { return {}; }
    float triggerA() const override { return 0; }
    float triggerB() const override { return 0; }
    bool button(int index) const override { return index >= 0 && index < 10 && held[index]; }
    bool connected() const override { return true; }
    std::string name() const override { return "Held Pad"; }
    const char* kind() const override { return "pad"; }

    StickPosition stick;
    bool held[10] = {};
};

// A working directory of the test's own: the game's models and textures linked in from data/,
// and a levels/ folder of its own that starts empty, for the screens the shipped levels; the
// player's own levels go to "own levels" in it (not made until a save makes it). The previous
// directory and level folders come back when it goes.
class ScratchFolder {
public:
    ScratchFolder() : previous(std::filesystem::current_path()), previousFolders(levelFolders) {
        static int count = 0;
        path = std::filesystem::temp_directory_path() /
               ("quorl_menus_" + std::to_string(getpid()) + "_" + std::to_string(count++));
        std::filesystem::create_directories(path / "levels");
        for (const char* data : {"models", "textures"})
            std::filesystem::create_directory_symlink(previous / data, path / data);
        // A run of the game started here takes it for its data.
        std::filesystem::create_symlink(previous / "quorl-data-version",
                                        path / "quorl-data-version");
        std::filesystem::current_path(path);
        levelFolders = LevelFolders{"levels", (path / "own levels").string()};
    }
    ~ScratchFolder() {
        levelFolders = previousFolders;
        std::filesystem::current_path(previous);
        std::filesystem::remove_all(path);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // levels/<name> with this text; with `own`, the same in the player's own levels.
    void writeLevelFile(const std::string& name, const std::string& text, bool own = false) const {
        std::filesystem::path folder = own ? ownLevels() : path / "levels";
        std::filesystem::create_directories(folder);
        std::ofstream(folder / name, std::ios::binary) << text;
    }
    std::filesystem::path ownLevels() const { return path / "own levels"; }
    // levels/<name>: an empty cube of n cubies a side with `blocks` blocks on face +Z.
    void writeCube(const std::string& name, int n, int blocks) const {
        World world(n, 28);
        std::ostringstream text;
        text << n << " 28\n\n";
        for (int i = 0; i < blocks; ++i)
            text << 5 * i << " 0 " << world.halfExtent() << " \n4 4 " << 2 + i
                 << "\n0.5 0.5 0.5 1 \n\n";
        writeLevelFile(name, text.str());
    }

    std::filesystem::path previous;
    LevelFolders previousFolders;
    std::filesystem::path path;
};

// The menu tree as a MenuBuilder was told to build it.
class RecordingMenus : public MenuBuilder {
public:
    struct Entry {
        std::string label;
        int value;   // the entry's value, or the submenu's number
        bool isMenu; // a submenu
    };
    struct Menu {
        Handler handler;
        std::vector<Entry> entries;
    };

    int create(Handler handler) override {
        menus.push_back({handler, {}});
        return current = static_cast<int>(menus.size());
    }
    void addEntry(const std::string& label, int value) override {
        menus.at(current - 1).entries.push_back({label, value, false});
    }
    void addSubMenu(const std::string& label, int menu) override {
        menus.at(current - 1).entries.push_back({label, menu, true});
    }
    void clear(int menu) override { menus.at((current = menu) - 1).entries.clear(); }

    // A menu as "label=value|" per entry, and "label>" followed by the submenu's own text.
    std::string text(int menu) const {
        std::string out;
        for (const Entry& e : menus.at(menu - 1).entries)
            out += e.isMenu ? e.label + ">" + text(e.value)
                            : e.label + "=" + std::to_string(e.value) + "|";
        return out;
    }

    std::vector<Menu> menus; // menu i + 1 at index i
    int current = 0;
};

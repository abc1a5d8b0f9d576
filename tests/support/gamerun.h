#pragma once

#include <filesystem>
#include <string>
#include <vector>

// What end-to-end tests of the real program share: a scratch working folder with the game's
// data, and readers of the frame trace it writes.

// A scratch working directory for one run of the game that the game takes for its data folder:
// the game's models, textures and data marker linked in and a levels/ folder of its own (empty,
// or the shipped levels linked in), so that what the run writes (traces, pictures) stays out of
// the sources.
// Removed with everything in it when destroyed.
class RunFolder {
public:
    explicit RunFolder(bool shippedLevels = true);
    ~RunFolder();
    RunFolder(const RunFolder&) = delete;
    RunFolder& operator=(const RunFolder&) = delete;

    std::string file(const std::string& name) const { return (path / name).string(); }
    void write(const std::string& name, const std::string& text) const;
    // A level file in levels/ (only with a levels/ folder of its own).
    void writeLevel(const std::string& name, const std::string& text) const;

    std::filesystem::path path;
};

// The lines of a text file, without their line breaks; none for a missing file.
std::vector<std::string> readLines(const std::string& path);

// The number after `"name":` in a trace line (the first such field); -1 when it is missing.
double traceNumber(const std::string& line, const std::string& name);

// The JSON objects of the array `"players":[...]` of a trace line, one string each; none when
// the line has no players.
std::vector<std::string> tracePlayers(const std::string& line);

// The first three numbers of the array `"name":[...]` of a player's object, e.g. its position.
bool traceVector(const std::string& object, const std::string& name, double out[3]);

// Waits until the trace file has at least `count` complete lines; false after `seconds`.
bool waitForFrames(const std::string& trace, size_t count, double seconds);

// Frames per second over `seconds`, counted in the trace as the running game writes it.
double frameRate(const std::string& trace, double seconds);
// The pace a running game keeps when the machine lets it: the highest frameRate of `windows`
// consecutive windows of `seconds`. A stall of the machine (which the game rightly does not
// make up with a burst) spoils one window, not the figure; a pace that is off throughout, one
// chain too many or frames that take their own time on top of the period, shows in every
// window.
double steadyFrameRate(const std::string& trace, int windows, double seconds);

#pragma once

#include <cstddef>
#include <istream>
#include <ostream>
#include <string>
#include <vector>

class World;

// Level files: plain text, named freely without extension, written and read by the same code.
// Which folders hold them is the caller's business. A level is the cube's size and its blocks:
//
//   n cubieSize            e.g. "3 10", then an empty line
//   x y z                  per block: its position, each value followed by a blank,
//   width depth height     its size,
//   r g b a                its colour, each value followed by a blank, then an empty line
//
// Numbers are written as the standard streams write them by default (6 significant digits);
// line breaks are "\n", and "\r\n" reads as well.

// Whether `name` can name a level: a plain file name, not empty, without "/" or NUL, and not
// beginning with "." (hidden names are never listed). Saves refuse other names.
bool isPlainLevelName(const std::string& name);

// The most blocks a level holds: readLevel keeps the first this many of a file and ignores the
// rest with a message, and the level editor stops adding at it. Every object costs the collision
// detector a byte for each object registered before it, so a file of millions of blocks must
// not take the machine down with it; this many, even stacked on one spot, still play at full
// pace.
constexpr int MAX_LEVEL_BLOCKS = 4096;

// A new world (owned by the caller) from the level file at `path`, or null after a message
// when the file cannot be read or its header does not describe a cube readLevel accepts.
World* loadLevel(const std::string& path);

// What a save may do to an entry of the same name already in the folder.
enum class SaveMode {
    REPLACE,  // a level file of that name is replaced (never a folder)
    NEW_ONLY, // any entry of that name (file, folder, link, even a dangling one) stops the save
};

// The text of the level file at `path`, whole, for a reader that keeps it (a match builds each
// round from it). False, after a message, when the file cannot be read or holds more than
// MAX_LEVEL_TEXT bytes, more than a level of the most blocks can take.
constexpr size_t MAX_LEVEL_TEXT = 4 << 20;
bool readLevelText(const std::string& path, std::string& text);

// Writes the level to `folder`/`name`, creating the folder if need be. The file is written
// beside its target under a hidden temporary name and then renamed to it: over it (REPLACE), or
// only where nothing has that name (NEW_ONLY, which fails with "File exists" when it is taken),
// so the level on disk is always either absent, the old one or the new one in full. False,
// with `error` saying why (the path and the system's reason), when the level was not saved;
// anything of that name is then left as it was. Prints nothing.
bool saveLevel(const World& world, const std::string& folder, const std::string& name,
               SaveMode mode, std::string& error);

// A new world (owned by the caller) from a level's text, or null after a message naming `name`
// when the header is missing or unreadable, names a cube outside 2 to 5 cubies a side, or a
// cubie size that is not a whole number from 1 to 1000. Blocks follow until the numbers run
// out; a record cut short, or one that is not ten numbers, ends them, and so does a block past
// the first MAX_LEVEL_BLOCKS. A block with a number that is not finite or beyond 1e30, or with
// a negative size, is skipped with a message.
World* readLevel(std::istream& in, const std::string& name);

// The level's text: the header and every block of the world's box list, in list order.
void writeLevel(const World& world, std::ostream& out);

// Each value followed by one blank, in the stream's default float format (6 significant
// digits): the lines of a level record.
void writeFloats(std::ostream& out, const float* values, int count);

// Fills `names` with the regular files of `directory` in natural order ("Level 2" before
// "Level 10"), leaving out hidden files (those whose names begin with "."), which include the
// temporary files of saves. Empty when the directory cannot be read.
void listFiles(const std::string& directory, std::vector<std::string>& names);

// Whether `a` comes before `b` in natural order: runs of digits compare by their value,
// everything else byte by byte; names that differ only in leading zeros fall back to plain
// byte order, so the order is total.
bool naturalLess(const std::string& a, const std::string& b);

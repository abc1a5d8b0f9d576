#include "world/levelfile.h"

#include <cassert>
#include <cmath>
#include <cstdio>
#include <limits>
#include <locale>
#include <sstream>
#include <string>

#include "math/text.h"
#include "world/box.h"
#include "world/world.h"

namespace {

constexpr int MIN_CUBIES = 2; // per side
constexpr int MAX_CUBIES = 5;
constexpr float MAX_CUBIE_SIZE = 1000; // world units

// Far beyond any cube, yet small enough that a block's bounds can never overflow, whatever
// the rounding of a save does to it.
constexpr float MAX_MAGNITUDE = 1e30f;

// One block record: position, width, depth, height, colour.
constexpr int RECORD_NUMBERS = 10;

// The header, or null with a message.
World* readHeader(std::istream& in, const std::string& name) {
    int n = 0;
    float size = 0;
    if (!(in >> n) || !(in >> size)) {
        printf("Level \"%s\": no readable header (cubies per side and cubie size)\n",
               printable(name).c_str());
        return nullptr;
    }
    if (n < MIN_CUBIES || n > MAX_CUBIES) {
        printf("Level \"%s\": a cube of %d cubies a side; it must have 2 to 5\n",
               printable(name).c_str(), n);
        return nullptr;
    }
    if (!(size >= 1 && size <= MAX_CUBIE_SIZE) || size != std::trunc(size)) {
        printf("Level \"%s\": cubie size %g; it must be a whole number from 1 to 1000\n",
               printable(name).c_str(), size);
        return nullptr;
    }
    return new World(n, static_cast<int>(size));
}

// Whether a complete record can be a block: no number beyond MAX_MAGNITUDE (nor infinite, nor
// not a number), no size negative.
bool soundRecord(const float v[RECORD_NUMBERS]) {
    for (int i = 0; i < RECORD_NUMBERS; ++i)
        if (!(std::fabs(v[i]) <= MAX_MAGNITUDE))
            return false;
    return v[3] >= 0 && v[4] >= 0 && v[5] >= 0;
}

enum class Token { NUMBER, END, NOT_A_NUMBER };

// The next whitespace-separated number, read as the stream reads floats. A number too large
// for a float reads as an infinity, so that its record is skipped rather than ending the
// level.
Token readNumber(std::istream& in, float& value) {
    std::string token;
    if (!(in >> token))
        return Token::END;
    std::istringstream field(token);
    field.imbue(std::locale::classic());
    value = 0;
    field >> value;
    bool whole = !field.fail() && field.peek() == std::char_traits<char>::eof();
    if (whole)
        return Token::NUMBER;
    // A failed conversion stores the largest float when the field was a number too large.
    float largest = std::numeric_limits<float>::max();
    if (field.fail() && (value == largest || value == -largest)) {
        value = std::copysign(std::numeric_limits<float>::infinity(), value);
        return Token::NUMBER;
    }
    return Token::NOT_A_NUMBER;
}

// Reads one record into v; false at the end of the blocks, with a message when the end is not
// a clean one.
bool readRecord(std::istream& in, float v[RECORD_NUMBERS], int record, const std::string& name) {
    int read = 0;
    Token token = Token::NUMBER;
    while (read < RECORD_NUMBERS && (token = readNumber(in, v[read])) == Token::NUMBER)
        ++read;
    if (read == RECORD_NUMBERS)
        return true;
    if (token == Token::NOT_A_NUMBER)
        printf("Level \"%s\": block %d is not ten numbers; it and what follows are ignored\n",
               printable(name).c_str(), record);
    else if (read > 0)
        printf("Level \"%s\": block %d is cut short and ignored\n", printable(name).c_str(),
               record);
    return false;
}

} // namespace

World* readLevel(std::istream& in, const std::string& name) {
    World* world = readHeader(in, name);
    if (!world)
        return nullptr;
    float v[RECORD_NUMBERS];
    // Invariant: every complete, sound record before `record` is a block of the world.
    for (int record = 1; readRecord(in, v, record, name); ++record) {
        if (!soundRecord(v)) {
            printf("Level \"%s\": block %d skipped: a number is not finite or too large, or a "
                   "size is negative\n",
                   printable(name).c_str(), record);
            continue;
        }
        if (static_cast<int>(world->boxes.size()) >= MAX_LEVEL_BLOCKS) {
            printf("Level \"%s\": more than %d blocks; the rest are ignored\n",
                   printable(name).c_str(), MAX_LEVEL_BLOCKS);
            break;
        }
        Box* box = new Box(Vec3f(v[0], v[1], v[2]), world, v[3], v[4], v[5]);
        box->colour = Vec4f(v[6], v[7], v[8], v[9]);
        world->addObject(box);
    }
    return world;
}

void writeLevel(const World& world, std::ostream& out) {
    // Formatted apart, so that the caller's stream settings cannot change the format.
    std::ostringstream text;
    text.imbue(std::locale::classic());
    text << world.n << " " << world.cubieSize << "\n\n";
    for (const Object* object : world.boxes) {
        const Box* box = dynamic_cast<const Box*>(object);
        assert(box);
        writeFloats(text, box->position.data(), 3);
        text << "\n" << box->width << " " << box->depth << " " << box->height << "\n";
        writeFloats(text, box->colour.data(), 4);
        text << "\n\n";
    }
    out << text.str();
}

void writeFloats(std::ostream& out, const float* values, int count) {
    for (int i = 0; i < count; ++i)
        out << values[i] << " ";
}

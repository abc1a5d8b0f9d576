#include <gtest/gtest.h>

#include <sstream>

#include "world/levelfile.h"

namespace {

TEST(WriteFloats, EachValueIsFollowedByABlank) {
    std::ostringstream out;
    const float values[] = {0, 0.2f, 15, -1.5f};
    writeFloats(out, values, 4);
    EXPECT_EQ(out.str(), "0 0.2 15 -1.5 ");
}

} // namespace

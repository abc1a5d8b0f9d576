#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <fcntl.h>
#include <string>
#include <unistd.h>

#include "entities/itembox.h"

// Runs `f` with its standard output (the mesh query's trace, the bounce codes) captured and
// returns what it printed; an inner call leaves it to the outer one and returns "".
inline int& quietDepth() {
    static int depth = 0;
    return depth;
}
template <typename F> std::string quietly(F&& f) {
    int& depth = quietDepth();
    if (depth++ == 0)
        testing::internal::CaptureStdout();
    f();
    return --depth == 0 ? testing::internal::GetCapturedStdout() : std::string();
}

// Sends standard output to /dev/null while it lives: for long runs whose traces would fill a
// capture file. gtest reports failures on standard output too, so record them and assert after.
class MutedStdout {
public:
    MutedStdout() : saved(dup(1)) {
        fflush(stdout);
        int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        close(null);
    }
    ~MutedStdout() {
        fflush(stdout);
        dup2(saved, 1);
        close(saved);
    }
    MutedStdout(const MutedStdout&) = delete;
    MutedStdout& operator=(const MutedStdout&) = delete;

private:
    int saved;
};

// An item box that counts its deletions, to show what the world lets go of.
class CountedItemBox : public ItemBox {
public:
    CountedItemBox(const Vec3f& position, World* world, int& deleted)
        : ItemBox(position, world), deleted(deleted) {}
    ~CountedItemBox() override { ++deleted; }

private:
    int& deleted;
};

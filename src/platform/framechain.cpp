#include "platform/framechain.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "math/constants.h"
#include "platform/platform.h"

namespace {

// Every chain ever made, by id; null once destroyed. Ids are never reused, so a timer that
// outlives its chain cannot reach another one.
std::vector<FrameChain*>& chains() {
    static std::vector<FrameChain*> all;
    return all;
}

bool unpacedChains = false;

} // namespace

void FrameChain::setUnpaced(bool unpaced) {
    unpacedChains = unpaced;
}

bool FrameChain::isUnpaced() {
    return unpacedChains;
}

FrameChain::FrameChain(std::function<void()> onTick)
    : onTick(std::move(onTick)), id(static_cast<int>(chains().size())) {
    chains().push_back(this);
}

FrameChain::~FrameChain() {
    chains()[static_cast<size_t>(id)] = nullptr;
}

void FrameChain::restart() {
    if (!isPending)
        fresh = true;
}

bool FrameChain::arm() {
    if (isPending)
        return false;
    double now = platform().seconds();
    if (fresh) {
        due = now + SECONDS_PER_FRAME;
        fresh = false;
    } else if (now - due > MAX_CATCH_UP) {
        // A stall: the tick that just ran, late, opens a fresh period, rather than a burst of
        // ticks catching up with the lost time.
        due = now + SECONDS_PER_FRAME;
    }
    // Milliseconds, at least one: GLUT draws after the timers that are due when it looks, and
    // a timer armed for now would be due again in the same look, before the tick's picture.
    double wait = unpacedChains ? 1.0 : std::max(1.0, (due - now) * 1000.0);
    isPending = true;
    platform().armTimer(static_cast<unsigned int>(std::lround(wait)), &FrameChain::fire, id);
    return true;
}

void FrameChain::fire(int id) {
    if (id < 0 || static_cast<size_t>(id) >= chains().size())
        return;
    FrameChain* chain = chains()[static_cast<size_t>(id)];
    if (chain == nullptr)
        return;
    chain->isPending = false;
    chain->due += SECONDS_PER_FRAME; // the period this tick opens ends here
    chain->onTick();
}

#include "replay/computerseats.h"

namespace {
ComputerPlayerMaker& installed() {
    static ComputerPlayerMaker maker;
    return maker;
}
} // namespace

void installComputerPlayerMaker(ComputerPlayerMaker maker) {
    installed() = std::move(maker);
}

const ComputerPlayerMaker& computerPlayerMaker() {
    return installed();
}

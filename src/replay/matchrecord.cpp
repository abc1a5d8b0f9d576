#include "replay/matchrecord.h"

#include <cstring>

namespace {
const char* const KIND_NAMES[SEAT_KIND_COUNT] = {"none", "pad", "keyboard", "computer"};
} // namespace

const char* seatKindName(SeatKind kind) {
    int index = static_cast<int>(kind);
    return index >= 0 && index < SEAT_KIND_COUNT ? KIND_NAMES[index] : "unknown";
}

SeatKind seatKindOf(const char* sourceKind) {
    for (int i = 1; i < SEAT_KIND_COUNT; ++i)
        if (sourceKind && std::strcmp(sourceKind, KIND_NAMES[i]) == 0)
            return static_cast<SeatKind>(i);
    return SeatKind::NONE;
}

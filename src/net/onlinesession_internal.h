#pragma once

// Net floor: matches shared by several machines, in lockstep on their inputs over ENet. May use
// replay, match, input and the layers below; no window, no drawing.

#include <cstddef>
#include <cstdint>
#include <string>

// What the parts of OnlineSession (onlinesession*.cpp) share.
namespace net::session {

// Hashes a machine may have sent ahead of this one's: past that, it is flooding.
constexpr size_t MAX_PENDING_HASHES = 64;
// Ticks of controls a machine may leave unconfirmed (ten seconds): past that it is not
// taking them, and holding them for it would grow without bound.
constexpr int MAX_UNCONFIRMED = 600;
constexpr double TICK = 1.0 / 60; // seconds

// "Quorl 0.1.0 (network protocol 2)": what a machine runs, as both sides of a refusal say it.
inline std::string versionText(uint16_t protocol, const std::string& build) {
    return "Quorl " + build + " (network protocol " + std::to_string(protocol) + ")";
}

} // namespace net::session

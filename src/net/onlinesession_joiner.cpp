#include "net/onlinesession.h"

#include <algorithm>

#include "match/matchrules.h"
#include "net/inputstream.h"
#include "net/onlinesession_internal.h"

namespace net {

using namespace session;

void OnlineSession::joinerReceives(const std::vector<uint8_t>& data, int playing) {
    MessageType type;
    std::string error;
    TickNote note;
    if (!messageType(data.data(), data.size(), type)) {
        stop("The host sent a message of no known kind.");
        return;
    }
    switch (type) {
    case MessageType::WELCOME: {
        Welcome welcome;
        if (currentPhase != Phase::CONNECTING ||
            !decodeWelcome(data.data(), data.size(), welcome, error))
            break;
        if (welcome.protocol != PROTOCOL_VERSION || welcome.build != buildId) {
            stop("The host runs " + versionText(welcome.protocol, welcome.build) +
                 "; this machine runs " + versionText(PROTOCOL_VERSION, buildId) + ".");
            return;
        }
        currentPhase = Phase::LOBBY;
        say("Joined: waiting for the host to start the match.");
        return;
    }
    case MessageType::REFUSE:
    case MessageType::END: {
        std::string text;
        if (!decodeText(data.data(), data.size(), text, error))
            break;
        stop(type == MessageType::REFUSE ? "The host refused this machine: " + text : text);
        return;
    }
    case MessageType::START: {
        Start start;
        if (currentPhase != Phase::LOBBY || !decodeStart(data.data(), data.size(), start, error))
            break;
        if (start.self == 0) {
            error = "a start naming this machine the host";
            break;
        }
        beginMatch(start, start.self);
        return;
    }
    case MessageType::INPUTS:
        // Unreliable, they may overtake the start that comes before them: let them go.
        if (currentPhase == Phase::PLAYING)
            takeInputs(0, data, playing);
        return;
    case MessageType::HASH:
        if (currentPhase != Phase::PLAYING || !decodeHash(data.data(), data.size(), note, error))
            break;
        takeHash(0, note.tick, note.hash);
        return;
    case MessageType::DROP:
        if (currentPhase != Phase::PLAYING || !decodeDrop(data.data(), data.size(), note, error) ||
            note.machine >= lockstep->machines() || note.machine == selfMachine)
            break;
        dropMachine(note.machine, note.tick);
        return;
    case MessageType::DESYNC:
        if (currentPhase != Phase::PLAYING || !decodeDesync(data.data(), data.size(), note, error))
            break;
        outOfSync(note.tick);
        return;
    case MessageType::EDIT:
        if (currentPhase != Phase::PLAYING || !takeEdit(-1, data, playing, error))
            break;
        return;
    default:
        break;
    }
    stop("The host sent a message out of place" + (error.empty() ? "" : ": " + error) + ".");
}

} // namespace net

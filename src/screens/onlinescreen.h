#pragma once

// Screens floor: the shell that routes the window's events, and the screens. May use view,
// match, input, platform and the layers below; no SDL.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "input/inputsource.h"
#include "match/match.h"
#include "net/onlinesession.h"
#include "screens/animatedscreen.h"

// Gathering an online match: hosting (the lobby: who has joined, and with how many players) or
// joining (connecting, then waiting for the host's start). This machine's pads, or the keyboard
// when there is none, are its players. When the match starts the game screen plays it; when the
// session ends before (refused, the host gone), the screen says why until Escape or a pad's
// button 1 goes back. The host starts with Enter or a pad's button 0, or by itself once the
// machines asked for are there. Owns the session until the match starts. Created on first
// request, after GLUT has started.
class OnlineScreen : public AnimatedScreen {
public:
    static OnlineScreen* instance();

    // Hosts on `port` a match on `level` with `settings`; with `machinesWanted` > 0 it starts
    // as soon as that many machines (this one too) are here. False, with `error`, when the port
    // cannot be had.
    bool host(uint16_t port, LevelSource level, MatchSettings settings, int machinesWanted,
              std::string& error);
    // Joins the match hosted at `address` on `port`. False, with `error`, for an address that
    // names no machine.
    bool join(const std::string& address, uint16_t port, std::string& error);
    // The session is gone: back where it came from.
    void leave();
    // Lets the session go, at the end of the run.
    void release() { session.reset(); }

    void display() override;
    void keyboard(unsigned char key, int x, int y) override;
    void activate() override;
    void tick() override;
    const char* traceName() const override { return "online"; }
    void addTraceFields(TraceLine& line) const override;

    Screen* returnScreen = nullptr;        // where leaving goes; the welcome screen
    std::optional<unsigned int> matchSeed; // the match's seed (--seed); else the clock's
    std::string gameVersion;               // the build this machine says it runs

private:
    OnlineScreen() = default;
    std::vector<RecordedSeat> takeLocalPlayers();
    void startMatch();
    void enterMatch();
    std::string statusText() const;
    std::string hintText() const;

    std::unique_ptr<net::OnlineSession> session;
    std::vector<InputSource*> localPads; // this machine's players' sources, in seat order
    struct Held {
        bool back = false, start = false; // buttons 1 and 0
    };
    std::vector<Held> buttonsNow() const;
    std::vector<Held> heldButtons; // by local pad, at the last tick
    LevelSource level;
    MatchSettings settings;
    int machinesWanted = 0;
    std::string address; // joined, as typed
    std::string ended;   // why the session ended before its match, or empty
};

// This machine's name as the others see it: the host name, or "Machine" without one.
std::string machineName();

#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

// A small UDP relay on 127.0.0.1 for the online tests: machines that join through it reach
// the host through a network that is slow and lossy on purpose. Each datagram, either way,
// waits `delayMs` plus up to `jitterMs` more (so datagrams overtake each other) and is lost
// with probability `loss`. Every client address gets a socket of its own towards the host, so
// the host sees each joiner as a peer of its own. Runs on a thread of its own until destroyed;
// talks to 127.0.0.1 only.
class UdpRelay {
public:
    struct Conditions {
        int delayMs = 0;
        int jitterMs = 0;
        double loss = 0;
        uint32_t seed = 1; // of the relay's own random choices
    };

    UdpRelay(uint16_t hostPort, Conditions conditions);
    ~UdpRelay();
    UdpRelay(const UdpRelay&) = delete;
    UdpRelay& operator=(const UdpRelay&) = delete;

    // The port joiners connect to; 0 when the relay could not start (`problem` says why).
    uint16_t port() const { return listenPort; }
    const std::string& problem() const { return error; }
    // Datagrams passed on and dropped so far.
    long passed() const { return forwarded.load(); }
    long dropped() const { return lost.load(); }

private:
    void run();

    uint16_t hostPort;
    Conditions conditions;
    int listenFd = -1;
    uint16_t listenPort = 0;
    std::string error;
    std::atomic<bool> stopping{false};
    std::atomic<long> forwarded{0}, lost{0};
    std::thread thread;
};

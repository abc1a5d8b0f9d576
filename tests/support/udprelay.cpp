#include "support/udprelay.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <queue>
#include <random>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

sockaddr_in loopback(uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

int openSocket(uint16_t port, uint16_t& bound) {
    int fd = socket(AF_INET, SOCK_DGRAM, 0);
    if (fd < 0)
        return -1;
    sockaddr_in address = loopback(port);
    socklen_t length = sizeof address;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        close(fd);
        return -1;
    }
    bound = ntohs(address.sin_port);
    return fd;
}

// A datagram waiting for its time: sent from `fd` to `to` when `due`.
struct Pending {
    Clock::time_point due;
    int fd;
    sockaddr_in to;
    std::vector<char> bytes;
    bool operator<(const Pending& other) const { return due > other.due; } // soonest on top
};

} // namespace

UdpRelay::UdpRelay(uint16_t hostPort, Conditions conditions)
    : hostPort(hostPort), conditions(conditions) {
    listenFd = openSocket(0, listenPort);
    if (listenFd < 0) {
        error = "the relay cannot open a UDP socket on 127.0.0.1";
        listenPort = 0;
        return;
    }
    thread = std::thread([this] { run(); });
}

UdpRelay::~UdpRelay() {
    stopping = true;
    if (thread.joinable())
        thread.join();
    if (listenFd >= 0)
        close(listenFd);
}

void UdpRelay::run() {
    std::mt19937 random(conditions.seed);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::map<uint16_t, int> upstream;    // client port -> socket towards the host
    std::map<int, sockaddr_in> clientOf; // upstream socket -> the client it serves
    std::priority_queue<Pending> waiting;
    std::vector<char> buffer(65536);
    const sockaddr_in host = loopback(hostPort);
    auto schedule = [&](int fd, const sockaddr_in& to, const char* data, size_t size) {
        if (unit(random) < conditions.loss) {
            ++lost;
            return;
        }
        int extra =
            conditions.jitterMs > 0 ? static_cast<int>(unit(random) * conditions.jitterMs) : 0;
        waiting.push(Pending{Clock::now() + std::chrono::milliseconds(conditions.delayMs + extra),
                             fd, to, std::vector<char>(data, data + size)});
    };
    // Invariant: every socket in `upstream` is polled, and every datagram read is either
    // lost or waiting for its time.
    while (!stopping) {
        std::vector<pollfd> fds = {{listenFd, POLLIN, 0}};
        for (const auto& entry : upstream)
            fds.push_back({entry.second, POLLIN, 0});
        int timeout = 5;
        if (!waiting.empty()) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(waiting.top().due -
                                                                              Clock::now());
            timeout = std::max(0, std::min<int>(timeout, static_cast<int>(left.count())));
        }
        poll(fds.data(), fds.size(), timeout);
        for (const pollfd& p : fds) {
            if (!(p.revents & POLLIN))
                continue;
            sockaddr_in from{};
            socklen_t length = sizeof from;
            ssize_t size = recvfrom(p.fd, buffer.data(), buffer.size(), 0,
                                    reinterpret_cast<sockaddr*>(&from), &length);
            if (size < 0)
                continue;
            if (p.fd == listenFd) {
                uint16_t client = ntohs(from.sin_port);
                if (!upstream.count(client)) {
                    uint16_t ignored = 0;
                    int fd = openSocket(0, ignored);
                    if (fd < 0)
                        continue;
                    upstream[client] = fd;
                    clientOf[fd] = from;
                }
                schedule(upstream[client], host, buffer.data(), static_cast<size_t>(size));
            } else {
                schedule(listenFd, clientOf[p.fd], buffer.data(), static_cast<size_t>(size));
            }
        }
        while (!waiting.empty() && waiting.top().due <= Clock::now()) {
            const Pending& next = waiting.top();
            sendto(next.fd, next.bytes.data(), next.bytes.size(), 0,
                   reinterpret_cast<const sockaddr*>(&next.to), sizeof next.to);
            ++forwarded;
            waiting.pop();
        }
    }
    for (const auto& entry : upstream)
        close(entry.second);
}

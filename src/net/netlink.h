#pragma once

// Net floor: matches shared by several machines, in lockstep on their inputs over ENet. May use
// replay, match, input and the layers below; no window, no drawing.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct _ENetHost;

namespace net {

// One end of the game's ENet traffic: a host that listens for joiners, or a joiner connected
// to one host. Two channels: one reliable and ordered, one neither (for what is sent again
// and again until confirmed). Never blocks: poll() takes what has come,
// send() queues, flush() sends what is queued. Owns the ENet host and its peers; ENet's
// library is set up while any link exists.
class NetLink {
public:
    struct Event {
        enum class Kind { CONNECTED, RECEIVED, DISCONNECTED } kind = Kind::RECEIVED;
        int peer = 0;              // the peer's slot, 0..peers-1; a joiner's host is 0
        std::vector<uint8_t> data; // RECEIVED only
    };

    // Listens on `port` of every address (0: a port the system chooses) for up to `peers`
    // joiners, taking packets of at most `maxPacket` bytes. Null, with `error`, when the port
    // cannot be had.
    static std::unique_ptr<NetLink> listen(uint16_t port, int peers, size_t maxPacket,
                                           std::string& error);
    // Starts connecting to `address` (a name or a dotted address) on `port`; a CONNECTED
    // event follows when the host answers, a DISCONNECTED one when it does not.
    static std::unique_ptr<NetLink> connect(const std::string& address, uint16_t port,
                                            size_t maxPacket, std::string& error);
    ~NetLink();
    NetLink(const NetLink&) = delete;
    NetLink& operator=(const NetLink&) = delete;

    // The next event that has come, without waiting; false when there is none.
    bool poll(Event& event);
    void send(int peer, const std::string& bytes, bool reliable = true);
    // Sends what is queued, then lets the peer go: it gets a DISCONNECTED event, this end none.
    void disconnect(int peer);
    void flush();

    // The mean round trip to `peer` as ENet measures it, milliseconds.
    uint32_t roundTrip(int peer) const;
    // Bytes sent and received since the link was made, UDP payloads with ENet's headers.
    uint64_t bytesSent() const;
    uint64_t bytesReceived() const;
    uint16_t port() const;

private:
    explicit NetLink(_ENetHost* host) : host(host) {}

    _ENetHost* host;
    std::vector<bool> live; // by peer slot
};

// "host:port" or "host" (the default port): false when the port is not 1..65535.
bool splitAddress(const std::string& text, std::string& address, uint16_t& port);

} // namespace net

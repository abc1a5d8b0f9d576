#include "net/netlink.h"

#include <enet/enet.h>

#include <cassert>
#include <cstdlib>

#include "net/netprotocol.h"

namespace net {

namespace {

// ENet's library is set up once for the program and never torn down: links come and go.
bool setUpEnet() {
    static const bool ready = enet_initialize() == 0;
    return ready;
}

// A host that has gone quiet for this long is gone: a killed process says nothing.
constexpr enet_uint32 TIMEOUT_LIMIT = 8;
constexpr enet_uint32 TIMEOUT_MINIMUM = 1000; // milliseconds
constexpr enet_uint32 TIMEOUT_MAXIMUM = 3000;
// A host being connected to has longer: it may be starting up, or far away.
constexpr enet_uint32 CONNECT_TIMEOUT_MINIMUM = 5000; // milliseconds
constexpr enet_uint32 CONNECT_TIMEOUT_MAXIMUM = 8000;
constexpr size_t CHANNELS = 2; // 0 reliable and ordered, 1 unreliable and unsequenced

// What a peer may have queued with us, not yet put together: bounds what a flood costs.
constexpr size_t MAXIMUM_WAITING = 1u << 20;

void bound(ENetHost* host, size_t maxPacket) {
    host->maximumPacketSize = maxPacket;
    host->maximumWaitingData = maxPacket + MAXIMUM_WAITING;
}

} // namespace

std::unique_ptr<NetLink> NetLink::listen(uint16_t port, int peers, size_t maxPacket,
                                         std::string& error) {
    if (!setUpEnet()) {
        error = "the network library could not start";
        return nullptr;
    }
    ENetAddress address;
    address.host = ENET_HOST_ANY;
    address.port = port;
    ENetHost* host = enet_host_create(&address, static_cast<size_t>(peers), CHANNELS, 0, 0);
    if (!host) {
        error = "cannot listen on port " + std::to_string(port) + " (is it in use?)";
        return nullptr;
    }
    bound(host, maxPacket);
    std::unique_ptr<NetLink> link(new NetLink(host));
    link->live.assign(static_cast<size_t>(peers), false);
    return link;
}

std::unique_ptr<NetLink> NetLink::connect(const std::string& name, uint16_t port, size_t maxPacket,
                                          std::string& error) {
    if (!setUpEnet()) {
        error = "the network library could not start";
        return nullptr;
    }
    ENetAddress address;
    if (enet_address_set_host(&address, name.c_str()) != 0) {
        error = "there is no machine \"" + name + "\"";
        return nullptr;
    }
    address.port = port;
    ENetHost* host = enet_host_create(nullptr, 1, CHANNELS, 0, 0);
    if (!host) {
        error = "cannot open a network socket";
        return nullptr;
    }
    bound(host, maxPacket);
    std::unique_ptr<NetLink> link(new NetLink(host));
    link->live.assign(1, false);
    ENetPeer* peer = enet_host_connect(host, &address, CHANNELS, 0);
    if (!peer) {
        error = "cannot connect to " + name;
        return nullptr;
    }
    enet_peer_timeout(peer, TIMEOUT_LIMIT, CONNECT_TIMEOUT_MINIMUM, CONNECT_TIMEOUT_MAXIMUM);
    return link;
}

NetLink::~NetLink() {
    // Tell the peers, as far as one flush goes: they learn it now rather than at a time-out.
    for (size_t i = 0; i < live.size(); ++i)
        if (live[i])
            enet_peer_disconnect_now(&host->peers[i], 0);
    enet_host_destroy(host);
}

bool NetLink::poll(Event& event) {
    ENetEvent got;
    // A peer's slot is its place in the host's array of peers.
    while (enet_host_service(host, &got, 0) > 0) {
        int slot = static_cast<int>(got.peer - host->peers);
        assert(slot >= 0 && static_cast<size_t>(slot) < live.size());
        event.peer = slot;
        event.data.clear();
        switch (got.type) {
        case ENET_EVENT_TYPE_CONNECT:
            live[static_cast<size_t>(slot)] = true;
            enet_peer_timeout(got.peer, TIMEOUT_LIMIT, TIMEOUT_MINIMUM, TIMEOUT_MAXIMUM);
            // ENet throttles unreliable packets by dropping some when round trips vary, as
            // they do by a frame whenever a machine services its link once a frame. Controls
            // go again until confirmed, and a dropped message is a tick someone waits for:
            // never throttled (both ends, as the peer is told).
            enet_peer_throttle_configure(got.peer, ENET_PEER_PACKET_THROTTLE_INTERVAL,
                                         ENET_PEER_PACKET_THROTTLE_SCALE, 0);
            event.kind = Event::Kind::CONNECTED;
            return true;
        case ENET_EVENT_TYPE_DISCONNECT:
            live[static_cast<size_t>(slot)] = false;
            event.kind = Event::Kind::DISCONNECTED;
            return true;
        case ENET_EVENT_TYPE_RECEIVE:
            event.kind = Event::Kind::RECEIVED;
            event.data.assign(got.packet->data, got.packet->data + got.packet->dataLength);
            enet_packet_destroy(got.packet);
            return true;
        default:
            break;
        }
    }
    return false;
}

void NetLink::send(int peer, const std::string& bytes, bool reliable) {
    if (peer < 0 || static_cast<size_t>(peer) >= live.size() || !live[static_cast<size_t>(peer)])
        return;
    ENetPacket* packet =
        enet_packet_create(bytes.data(), bytes.size(),
                           reliable ? ENET_PACKET_FLAG_RELIABLE : ENET_PACKET_FLAG_UNSEQUENCED);
    if (enet_peer_send(&host->peers[peer], reliable ? 0 : 1, packet) != 0)
        enet_packet_destroy(packet);
}

void NetLink::disconnect(int peer) {
    if (peer < 0 || static_cast<size_t>(peer) >= live.size() || !live[static_cast<size_t>(peer)])
        return;
    live[static_cast<size_t>(peer)] = false;
    enet_peer_disconnect_later(&host->peers[peer], 0);
    enet_host_flush(host);
}

void NetLink::flush() {
    enet_host_flush(host);
}

uint32_t NetLink::roundTrip(int peer) const {
    if (peer < 0 || static_cast<size_t>(peer) >= live.size())
        return 0;
    return host->peers[peer].roundTripTime;
}

uint64_t NetLink::bytesSent() const {
    return host->totalSentData;
}

uint64_t NetLink::bytesReceived() const {
    return host->totalReceivedData;
}

uint16_t NetLink::port() const {
    return host->address.port;
}

bool splitAddress(const std::string& text, std::string& address, uint16_t& port) {
    size_t colon = text.rfind(':');
    port = DEFAULT_PORT;
    address = text;
    if (colon == std::string::npos)
        return !text.empty();
    address = text.substr(0, colon);
    std::string digits = text.substr(colon + 1);
    if (address.empty() || digits.empty() || digits.size() > 5 ||
        digits.find_first_not_of("0123456789") != std::string::npos)
        return false;
    long value = std::strtol(digits.c_str(), nullptr, 10);
    if (value < 1 || value > 65535)
        return false;
    port = static_cast<uint16_t>(value);
    return true;
}

} // namespace net

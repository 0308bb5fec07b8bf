// A hostile or broken peer for the online tests, on ENet directly and on raw datagrams: what a stranger on the
// Internet could do to a waiting host. It talks to 127.0.0.1 only, from an address of the loopback network, and
// stops by itself.
//
// Usage: stranger MODE HOST_PORT
//   flood        connects from 127.0.0.2, says no hello, and sends 1 100 first fragments of huge packets
//   crowd        six connections from 127.0.0.3, renewed every 0.5 s, for 8 s
//   hello-leave  says a valid hello and leaves before any input
//   stale        handshakes, then sends one old input again and again
//   mute         plays every input to the end but never a checksum
//   forge        plays a little, then forges a disconnect from its own port that claims "builds differ"
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <enet/enet.h>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "PacketCodec.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;
using HostPtr = std::unique_ptr<ENetHost, void (*)(ENetHost*)>;

constexpr std::uint8_t kInputChannel = 1;
constexpr std::uint32_t kRefusedFingerprint = 3; // the host's own code for "builds differ"

HostPtr openHost(const char* from, std::size_t peers)
{
    ENetAddress own{};
    enet_address_set_host_ip(&own, from);
    return HostPtr(enet_host_create(&own, peers, 2, 0, 0), enet_host_destroy);
}

ENetPeer* connectTo(ENetHost* host, std::uint16_t port)
{
    ENetAddress address{};
    enet_address_set_host_ip(&address, "127.0.0.1");
    address.port = port;
    return enet_host_connect(host, &address, 2, 0);
}

void put16(std::vector<std::uint8_t>& out, std::uint16_t value)
{
    out.push_back(std::uint8_t(value >> 8));
    out.push_back(std::uint8_t(value));
}
void put32(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    put16(out, std::uint16_t(value >> 16));
    put16(out, std::uint16_t(value));
}

// One ENet command in a datagram of its own, written by hand as the peer's connection would carry it.
void sendRaw(ENetHost* host, ENetPeer* peer, const std::vector<std::uint8_t>& command)
{
    std::vector<std::uint8_t> datagram;
    put16(datagram,
          std::uint16_t(peer->outgoingPeerID | peer->outgoingSessionID << ENET_PROTOCOL_HEADER_SESSION_SHIFT));
    datagram.insert(datagram.end(), command.begin(), command.end());
    ENetBuffer buffer;
    buffer.data = datagram.data();
    buffer.dataLength = datagram.size();
    enet_socket_send(host->socket, &peer->address, &buffer, 1);
}

// Services the host until done() or the time is up, handing what arrives to take; false on timeout or when let go.
bool pump(ENetHost* host, Clock::duration limit, const std::function<bool()>& done,
          const std::function<void(const std::uint8_t*, std::size_t)>& take = {})
{
    for (const auto until = Clock::now() + limit; Clock::now() < until; std::this_thread::sleep_for(2ms)) {
        ENetEvent event;
        while (enet_host_service(host, &event, 0) > 0) {
            if (event.type == ENET_EVENT_TYPE_DISCONNECT) return false;
            if (event.type != ENET_EVENT_TYPE_RECEIVE) continue;
            if (take) take(event.packet->data, event.packet->dataLength);
            enet_packet_destroy(event.packet);
        }
        if (done()) return true;
    }
    return false;
}

// A joiner speaking the game's protocol with idle inputs, as far as each mode lets it.
struct Player {
    void take(const std::uint8_t* data, std::size_t size)
    {
        const auto decoded = decodePacket(data, size, hostTick);
        const Packet* packet = std::get_if<Packet>(&decoded);
        if (const auto* hello = packet ? std::get_if<Hello>(packet) : nullptr) hostHello = *hello;
        if (const auto* batch = packet ? std::get_if<InputBatch>(packet) : nullptr) {
            hostTick = batch->senderTick;
            held = std::max(held, batch->firstTick + std::uint32_t(batch->inputs.size()));
            hostHolds = std::max(hostHolds, batch->received);
        }
    }
    void send(const Packet& packet)
    {
        const Datagram bytes = encodePacket(packet);
        const bool unreliable = std::holds_alternative<InputBatch>(packet) || std::holds_alternative<Hello>(packet);
        enet_peer_send(peer, unreliable ? kInputChannel : 0, enet_packet_create(bytes.data(), bytes.size(), 0));
        enet_host_flush(host.get());
    }
    // Runs the link for the given time (or until let go), calling each() every frame.
    bool run(Clock::duration limit, const std::function<bool()>& each)
    {
        return pump(host.get(), limit, each, [this](const std::uint8_t* data, std::size_t size) { take(data, size); });
    }
    // Connects, waits for the host's hello and answers it as player 2.
    bool handshake(std::uint16_t port)
    {
        peer = connectTo(host.get(), port);
        if (!peer || !run(5s, [this] { return hostHello.has_value(); })) return false;
        for (int i = 0; i < 3; ++i) send(Hello{kProtocolVersion, hostHello->fingerprint, 0, 2, 0});
        return true;
    }
    // The idle inputs the host lacks, up to the end of the match, and never a checksum.
    InputBatch nextBatch() const
    {
        const std::uint32_t ticks = hostHello->matchTicks;
        const std::uint32_t first = std::min(std::max(hostHolds, std::uint32_t(hostHello->inputDelay)), ticks - 1);
        const std::uint32_t count = std::min<std::uint32_t>(kMaxInputsPerBatch, ticks - first);
        return InputBatch{2, std::min(hostTick, ticks), held, first, std::vector<MatchInput>(count)};
    }
    // Sends the packet nextOne() gives every frame, for the given time or until let go.
    void keepSending(Clock::duration limit, const std::function<InputBatch()>& nextOne)
    {
        run(limit, [&] {
            send(nextOne());
            std::this_thread::sleep_for(14ms);
            return false;
        });
    }

    HostPtr host = openHost("127.0.0.1", 1);
    ENetPeer* peer = nullptr;
    std::optional<Hello> hostHello;
    std::uint32_t hostTick = 0, held = 0, hostHolds = 0;
};

int flood(std::uint16_t port)
{
    HostPtr host = openHost("127.0.0.2", 1);
    ENetPeer* peer = connectTo(host.get(), port);
    if (!peer || !pump(host.get(), 5s, [peer] { return peer->state == ENET_PEER_STATE_CONNECTED; }))
        return std::puts("flood: could not connect"), 1;
    // Each the first piece of a packet claiming a million pieces: a bitmap of 125 kB apiece if the host kept it.
    for (std::uint16_t sequence = 1; sequence <= 1100; ++sequence) {
        std::vector<std::uint8_t> command{ENET_PROTOCOL_COMMAND_SEND_FRAGMENT | ENET_PROTOCOL_COMMAND_FLAG_ACKNOWLEDGE,
                                          0};
        put16(command, sequence);
        put16(command, sequence); // the start sequence number
        put16(command, 8);        // this piece's length
        put32(command, 1000000);  // pieces
        put32(command, 0);        // this one's number
        put32(command, 4096);     // the whole packet's length
        put32(command, 0);        // this piece's offset
        command.resize(command.size() + 8, 'S');
        sendRaw(host.get(), peer, command);
        if (sequence % 100 == 0) std::this_thread::sleep_for(5ms);
    }
    std::this_thread::sleep_for(500ms);
    return 0;
}

int crowd(std::uint16_t port)
{
    const auto until = Clock::now() + 8s;
    while (Clock::now() < until) {
        std::vector<HostPtr> hosts;
        for (int i = 0; i < 6; ++i) {
            hosts.push_back(openHost("127.0.0.3", 1));
            if (hosts.back()) connectTo(hosts.back().get(), port);
        }
        for (const auto renew = Clock::now() + 500ms; Clock::now() < renew; std::this_thread::sleep_for(5ms))
            for (const HostPtr& host : hosts)
                if (host) pump(host.get(), 0ms, [] { return true; });
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3 || enet_initialize() != 0) return std::puts("usage: stranger MODE HOST_PORT"), 2;
    const std::string mode = argv[1];
    const auto port = std::uint16_t(std::stoi(argv[2]));
    if (mode == "flood") return flood(port);
    if (mode == "crowd") return crowd(port);
    Player player;
    if (!player.handshake(port)) return std::puts("stranger: no hello from the host"), 1;
    if (mode == "hello-leave") {
        // Long enough for the host to take the hello before the disconnect, which would discard it.
        std::this_thread::sleep_for(200ms);
        enet_peer_disconnect_now(player.peer, 0);
        return 0;
    }
    if (mode == "stale") {
        // The first input the host lacks, and then only it, again and again.
        const InputBatch old{2, 3, 0, player.hostHello->inputDelay, {MatchInput{}}};
        player.keepSending(30s, [&] { return old; });
        return 0;
    }
    const auto next = [&player] { return player.nextBatch(); };
    if (mode == "mute") {
        player.keepSending(40s, next);
        return 0;
    }
    if (mode == "forge") {
        player.keepSending(2s, next);
        std::vector<std::uint8_t> command{ENET_PROTOCOL_COMMAND_DISCONNECT, 0xff};
        put16(command, 0);
        put32(command, kRefusedFingerprint);
        sendRaw(player.host.get(), player.peer, command);
        // Gone without a word, as a forger would leave the real joiner.
        enet_peer_reset(player.peer);
        return 0;
    }
    return std::puts("stranger: unknown mode"), 2;
}

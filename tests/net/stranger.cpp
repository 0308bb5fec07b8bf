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
#include <arpa/inet.h>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <enet/enet.h>
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

// Services until the predicate holds or the time is up; false on timeout or when the host let us go.
template <typename Done> bool serviceUntil(ENetHost* host, Clock::duration limit, Done done)
{
    const auto until = Clock::now() + limit;
    while (Clock::now() < until) {
        ENetEvent event;
        while (enet_host_service(host, &event, 0) > 0) {
            if (event.type == ENET_EVENT_TYPE_DISCONNECT) return false;
            if (event.type == ENET_EVENT_TYPE_RECEIVE) {
                done.receive(event.packet->data, event.packet->dataLength);
                enet_packet_destroy(event.packet);
            }
        }
        if (done()) return true;
        std::this_thread::sleep_for(2ms);
    }
    return false;
}

// A joiner speaking the game's protocol with idle inputs, as far as each mode lets it.
struct Player {
    bool receive(const std::uint8_t* data, std::size_t size)
    {
        const auto decoded = decodePacket(data, size, hostTick);
        const Packet* packet = std::get_if<Packet>(&decoded);
        if (!packet) return false;
        if (const auto* hello = std::get_if<Hello>(packet)) hostHello = *hello;
        if (const auto* batch = std::get_if<InputBatch>(packet)) {
            hostTick = batch->senderTick;
            held = std::max(held, batch->firstTick + std::uint32_t(batch->inputs.size()));
            hostHolds = std::max(hostHolds, batch->received);
        }
        return true;
    }
    void send(const Packet& packet, std::uint32_t flags = 0)
    {
        const Datagram bytes = encodePacket(packet);
        enet_peer_send(
            peer,
            std::holds_alternative<InputBatch>(packet) || std::holds_alternative<Hello>(packet) ? kInputChannel : 0,
            enet_packet_create(bytes.data(), bytes.size(), flags));
        enet_host_flush(host.get());
    }
    // Connects, waits for the host's hello and answers it as player 2.
    bool handshake(std::uint16_t port)
    {
        peer = connectTo(host.get(), port);
        struct {
            Player& self;
            void receive(const std::uint8_t* d, std::size_t n) { self.receive(d, n); }
            bool operator()() const { return self.hostHello.has_value(); }
        } hasHello{*this};
        if (!peer || !serviceUntil(host.get(), 5s, hasHello)) return false;
        for (int i = 0; i < 3; ++i) send(Hello{kProtocolVersion, hostHello->fingerprint, 0, 2, 0});
        return true;
    }
    // The idle inputs the host lacks, up to the end of the match.
    InputBatch nextBatch() const
    {
        const std::uint32_t ticks = hostHello->matchTicks;
        const std::uint32_t first = std::min(std::max(hostHolds, std::uint32_t(hostHello->inputDelay)), ticks - 1);
        const std::uint32_t count = std::min<std::uint32_t>(kMaxInputsPerBatch, ticks - first);
        return InputBatch{2, std::min(hostTick, ticks), held, first, std::vector<MatchInput>(count)};
    }
    // Plays idle inputs for the given time (or until let go), never sending a checksum.
    bool play(Clock::duration limit)
    {
        struct {
            Player& self;
            void receive(const std::uint8_t* d, std::size_t n) { self.receive(d, n); }
            bool operator()() const
            {
                self.send(self.nextBatch());
                std::this_thread::sleep_for(14ms);
                return false;
            }
        } playing{*this};
        return serviceUntil(host.get(), limit, playing);
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
    struct {
        ENetPeer* peer;
        void receive(const std::uint8_t*, std::size_t) {}
        bool operator()() const { return peer->state == ENET_PEER_STATE_CONNECTED; }
    } connected{peer};
    if (!peer || !serviceUntil(host.get(), 5s, connected)) return std::puts("flood: could not connect"), 1;
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
        const auto renew = Clock::now() + 500ms;
        while (Clock::now() < renew) {
            for (const HostPtr& host : hosts) {
                ENetEvent event;
                while (host && enet_host_service(host.get(), &event, 0) > 0)
                    if (event.type == ENET_EVENT_TYPE_RECEIVE) enet_packet_destroy(event.packet);
            }
            std::this_thread::sleep_for(5ms);
        }
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
        // Tick 2's input, the first the host lacks, and then only it, forever.
        const InputBatch old{2, 3, 0, player.hostHello->inputDelay, {MatchInput{}}};
        const auto until = Clock::now() + 30s;
        while (Clock::now() < until && player.peer->state == ENET_PEER_STATE_CONNECTED) {
            player.send(old);
            ENetEvent event;
            while (enet_host_service(player.host.get(), &event, 0) > 0)
                if (event.type == ENET_EVENT_TYPE_RECEIVE) enet_packet_destroy(event.packet);
            std::this_thread::sleep_for(16ms);
        }
        return 0;
    }
    if (mode == "mute") {
        player.play(40s);
        return 0;
    }
    if (mode == "forge") {
        player.play(2s);
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

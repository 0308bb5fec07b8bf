#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "PacketCodec.h"
#include "RollbackSession.h"

struct _ENetHost;
struct _ENetPeer;

inline constexpr std::uint16_t kDefaultPort = 7770;

// Where to join: a host name or IPv4 address, and a port.
struct Endpoint {
    std::string host;
    std::uint16_t port = kDefaultPort;
};

// "HOST" or "HOST:PORT" (port 1 to 65535); nothing when the text is neither.
std::optional<Endpoint> parseEndpoint(std::string_view text);

// What both machines must share before a match starts: one protocol, and the same match code.
struct BuildIdentity {
    std::uint16_t protocolVersion = kProtocolVersion;
    std::uint64_t fingerprint = 0;
};

enum class LinkState {
    Waiting,     // host: no player yet; joiner: connecting
    Handshaking, // connected, hellos not yet agreed
    Ready,       // match settings agreed: game packets flow
    Closing,     // close() called: what was queued still goes out
    Closed,      // for good; problem() says why
};

// The datagram link to the other machine, over ENet: one reliable channel for hellos, checksums and goodbyes, one
// unreliable sequenced channel for input batches (each carries every unacknowledged input, so a lost one costs
// nothing). A host takes one player and refuses later ones. Nothing blocks: service() is called every frame.
class NetTransport {
public:
    // Listens on port (0: any free one) with the match settings seen from the host's side.
    static std::variant<NetTransport, std::string> host(std::uint16_t port, const SessionConfig& settings,
                                                        const BuildIdentity& identity);
    // Starts connecting to a host; the settings arrive with its hello. With ownPlayer (1 or 2) given, a host that
    // plays that player too is refused.
    static std::variant<NetTransport, std::string> join(const Endpoint& endpoint, const BuildIdentity& identity,
                                                        int ownPlayer = 0);

    NetTransport(NetTransport&&) noexcept;
    NetTransport& operator=(NetTransport&&) noexcept;
    ~NetTransport();

    // Sends what is queued and handles what arrived, without waiting. Returns the peer's game packets (inputs,
    // checksums, goodbyes) once Ready; datagrams that fail the checks, with ticks judged against currentTick,
    // are dropped and counted.
    std::vector<Packet> service(std::uint32_t currentTick);
    // Queues a game packet for the peer: an input batch unreliably, anything else reliably. Ignored unless Ready.
    void send(const Packet& packet);
    // Puts what is queued on the wire now rather than at the next service().
    void flush();
    // Leaves after what is queued has gone out; service() until Closed.
    void close();

    LinkState state() const { return linkState; }
    // The match as agreed, seen from this machine; meaningful once Ready.
    const SessionConfig& settings() const { return matchSettings; }
    // Why the link closed, or the latest player a host refused.
    const std::string& problem() const { return latestProblem; }
    // The port this machine listens on or sends from.
    std::uint16_t port() const;
    std::size_t droppedDatagrams() const { return dropped; }
    std::size_t refusedPeers() const { return refused; }
    // ENet's smoothed round trip to the peer, in milliseconds; 0 without a peer.
    std::uint32_t roundTripMs() const;

private:
    struct HostDeleter {
        void operator()(_ENetHost* host) const;
    };
    NetTransport(std::unique_ptr<_ENetHost, HostDeleter> host, bool isHost, const BuildIdentity& identity);
    void connected(_ENetPeer* newPeer);
    void disconnected(_ENetPeer* gone, std::uint32_t reason);
    void received(_ENetPeer* from, std::uint8_t channel, const std::uint8_t* data, std::size_t size,
                  std::uint32_t currentTick, std::vector<Packet>& packets);
    void handshake(const Hello& hello);
    void refuse(std::uint32_t reason, std::string message);
    void sendNow(const Packet& packet);

    std::unique_ptr<_ENetHost, HostDeleter> enetHost;
    _ENetPeer* peer = nullptr; // the one accepted peer, owned by enetHost
    bool isHost = false;
    BuildIdentity identity;
    int ownPlayer = 0; // joiner: the player it insists on, or 0
    SessionConfig matchSettings;
    LinkState linkState = LinkState::Waiting;
    std::uint32_t handshakeStart = 0; // ENet's milliseconds
    std::string latestProblem;
    std::size_t dropped = 0;
    std::size_t refused = 0;
};

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
    Waiting,     // host: nobody has agreed on a match yet (some may be handshaking); joiner: connecting
    Handshaking, // joiner: connected, the host's hello not yet here
    Agreed,      // hellos agreed; the peer has not yet answered with inputs, so a refusal or leaving ends only this try
    Ready,       // the peer's first inputs arrived: the match is on
    Closing,     // close() called: what was queued still goes out
    Closed,      // for good; problem() says why
};

// The datagram link to the other machine, over ENet: one reliable channel for checksums and goodbyes, one unreliable
// sequenced channel for hellos and input batches (each batch carries every unacknowledged input, and a hello is
// sent again until answered, so a lost one costs nothing). The joiner starts its match once the hellos agree; the
// host only when the joiner's first inputs arrive, its sign that the joiner accepted the match. A host lets several
// peers handshake at once; the first valid hello wins and the others are let go at once. Every datagram is treated
// as a stranger's: fragments are refused before ENet sees them, and a peer has a second for each handshake step.
// Nothing blocks: service() is called every frame.
class NetTransport {
public:
    // Listens on port (0: any free one) with the match settings seen from the host's side.
    static std::variant<NetTransport, std::string> host(std::uint16_t port, const SessionConfig& settings,
                                                        const BuildIdentity& identity);
    // Starts connecting to a host; the settings arrive with its hello. ownPlayer (1 or 2) is the player this side
    // plays: a host that plays it too is refused, and refuses. 0 takes whichever the host leaves.
    static std::variant<NetTransport, std::string> join(const Endpoint& endpoint, const BuildIdentity& identity,
                                                        int ownPlayer = 0);

    NetTransport(NetTransport&&) noexcept;
    NetTransport& operator=(NetTransport&&) noexcept;
    ~NetTransport();

    // Sends what is queued and handles what arrived, without waiting. Returns the peer's game packets (inputs,
    // checksums, goodbyes) once this side's match may run: Agreed or Ready for a joiner, Ready for a host.
    // Datagrams that fail the checks, with ticks judged against currentTick, are dropped and counted.
    std::vector<Packet> service(std::uint32_t currentTick);
    // Queues a game packet for the peer: an input batch unreliably, anything else reliably. Ignored unless this
    // side's match may run.
    void send(const Packet& packet);
    // Puts what is queued on the wire now rather than at the next service().
    void flush();
    // Leaves after what is queued has gone out; service() until Closed.
    void close();

    LinkState state() const { return linkState; }
    // Whether this side's match may run: the joiner's from agreement, the host's from the joiner's first inputs.
    bool matchMayRun() const { return linkState == LinkState::Ready || (!isHost && linkState == LinkState::Agreed); }
    // The match as agreed, seen from this machine; meaningful once Agreed.
    const SessionConfig& settings() const { return matchSettings; }
    // Why the link closed, or the latest peer a host turned away (with why).
    const std::string& problem() const { return latestProblem; }
    // The port this machine listens on or sends from.
    std::uint16_t port() const;
    std::size_t droppedDatagrams() const { return dropped; }
    // Peers a host turned away, or that left it before the match began.
    std::size_t refusedPeers() const { return refused; }
    // ENet's smoothed round trip to the peer, in milliseconds; 0 without a peer.
    std::uint32_t roundTripMs() const;
    // Milliseconds since any datagram came from the peer, ENet's own acknowledgements included; 0 without a peer.
    std::uint32_t silenceMs() const;

private:
    struct HostDeleter {
        void operator()(_ENetHost* host) const;
    };
    // A host's peer that connected and has not yet sent a valid hello, since when (ENet's milliseconds).
    struct Candidate {
        _ENetPeer* peer;
        std::uint32_t since;
        std::uint32_t refusal = 0; // already turned away for this reason, and let go shortly
    };
    NetTransport(std::unique_ptr<_ENetHost, HostDeleter> host, bool isHost, const BuildIdentity& identity);
    void connected(_ENetPeer* newPeer);
    void disconnected(_ENetPeer* gone, std::uint32_t reason);
    void received(_ENetPeer* from, std::uint8_t channel, const std::uint8_t* data, std::size_t size,
                  std::uint32_t currentTick, std::vector<Packet>& packets);
    void hostHandshake(_ENetPeer* from, const Hello& hello);
    void joinHandshake(const Hello& hello);
    std::optional<std::string> buildMismatch(const Hello& hello) const;
    void keepHandshaking();
    void sendHello(_ENetPeer* to);
    // Host: lets a peer go at once and notes why.
    void turnAway(_ENetPeer* who, std::uint32_t reason, const std::string& why);
    // Host: notes why a peer's hello is refused, and lets it go a little later, so that the host's hello reaches
    // it first and it can name what differs (a disconnect discards what has not yet been handled).
    void refuseHello(_ENetPeer* who, std::uint32_t reason, const std::string& why);
    // Host: the chosen peer went before its first inputs; back to waiting.
    void backToWaiting(const std::string& why);
    // Joiner: ends the link, telling the host why.
    void refuse(std::uint32_t reason, std::string message);
    void sendNow(const Packet& packet);
    bool isCandidate(_ENetPeer* who) const;
    void forgetCandidate(_ENetPeer* who);

    std::unique_ptr<_ENetHost, HostDeleter> enetHost;
    _ENetPeer* peer = nullptr;         // the chosen peer (a joiner's one host), owned by enetHost
    std::vector<Candidate> candidates; // host: peers handshaking at once
    bool isHost = false;
    BuildIdentity identity;
    int ownPlayer = 0; // joiner: the player it plays, or 0
    SessionConfig matchSettings;
    LinkState linkState = LinkState::Waiting;
    std::uint32_t agreedAt = 0;    // ENet's milliseconds
    std::uint32_t lastHelloAt = 0; // when hellos last went out
    bool goodbyeHeard = false;     // the peer said why it leaves before leaving
    std::uint32_t heardTotal = 0;  // ENet's count of bytes from the peer, when last looked at
    std::uint32_t heardAt = 0;     // when that count last moved
    std::string latestProblem;
    std::size_t dropped = 0;
    std::size_t refused = 0;
};

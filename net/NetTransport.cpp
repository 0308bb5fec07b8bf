#include "NetTransport.h"

#include <charconv>
#include <cstdio>
#include <enet/enet.h>
#include <utility>

namespace {

enum Channel : std::uint8_t { kReliableChannel, kInputChannel, kChannelCount };

// Why a side ended the connection, carried in ENet's disconnect data.
enum Refusal : std::uint32_t { kNoRefusal, kRefusedBusy, kRefusedVersion, kRefusedFingerprint, kRefusedHandshake };

// Peers a host keeps room for: the player, plus a few latecomers that are being refused.
constexpr std::size_t kHostPeers = 4;
// The largest datagram either side accepts; a full input batch is well under a kilobyte.
constexpr std::size_t kMaxDatagramBytes = 4096;
// Events handled per service() call, so that a flood cannot hold up the frame.
constexpr int kMaxEventsPerService = 256;
// How long a leaving side waits for the peer to acknowledge what is still queued: a last checksum must survive
// several losses in a row on a bad link (ENet doubles the wait between resends).
constexpr std::uint32_t kLeavingTimeoutMs = 5000;
// How long a connected peer has to send its hello, so that a silent one cannot hold a host's only place.
constexpr std::uint32_t kHandshakeTimeoutMs = 5000;

const char* refusalText(std::uint32_t reason)
{
    switch (reason) {
    case kRefusedBusy: return "the host already has a player";
    case kRefusedVersion: return "the peer refused: protocol versions differ";
    case kRefusedFingerprint: return "the peer refused: builds differ";
    case kRefusedHandshake: return "the peer refused the handshake";
    default: return "the peer left";
    }
}

std::string hex(std::uint64_t value)
{
    char text[19];
    std::snprintf(text, sizeof text, "%#llx", static_cast<unsigned long long>(value));
    return text;
}

bool enetReady()
{
    static const bool ready = enet_initialize() == 0;
    return ready;
}

std::string describe(const ENetAddress& address)
{
    char name[64] = "?";
    enet_address_get_host_ip(&address, name, sizeof name);
    return std::string(name) + ":" + std::to_string(address.port);
}

// Disconnects once what is queued has been delivered. When both sides leave at the same moment, ENet can leave one
// of them waiting for an acknowledgement that never comes; the short timeout ends that wait.
void leaveAfterQueue(ENetPeer* peer, std::uint32_t reason)
{
    enet_peer_timeout(peer, 0, kLeavingTimeoutMs, kLeavingTimeoutMs);
    enet_peer_disconnect_later(peer, reason);
}

} // namespace

std::optional<Endpoint> parseEndpoint(std::string_view text)
{
    Endpoint endpoint;
    const auto colon = text.rfind(':');
    endpoint.host = std::string(text.substr(0, colon));
    if (endpoint.host.empty() || endpoint.host.find_first_of(": \t") != std::string::npos) return std::nullopt;
    if (colon == std::string_view::npos) return endpoint;
    const std::string_view digits = text.substr(colon + 1);
    unsigned port = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), port);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() || port == 0 || port > 65535)
        return std::nullopt;
    endpoint.port = static_cast<std::uint16_t>(port);
    return endpoint;
}

void NetTransport::HostDeleter::operator()(_ENetHost* host) const { enet_host_destroy(host); }

NetTransport::NetTransport(std::unique_ptr<_ENetHost, HostDeleter> host, bool isHost, const BuildIdentity& identity)
    : enetHost(std::move(host)), isHost(isHost), identity(identity)
{
    enetHost->maximumPacketSize = kMaxDatagramBytes;
}

NetTransport::NetTransport(NetTransport&&) noexcept = default;
NetTransport& NetTransport::operator=(NetTransport&&) noexcept = default;

NetTransport::~NetTransport()
{
    // Leaving without close(): tell the peer at once rather than let it time out.
    if (enetHost && peer) enet_peer_disconnect_now(peer, kNoRefusal);
}

std::variant<NetTransport, std::string> NetTransport::host(std::uint16_t port, const SessionConfig& settings,
                                                           const BuildIdentity& identity)
{
    if (!enetReady()) return std::string("could not start ENet");
    ENetAddress address{};
    address.host = ENET_HOST_ANY;
    address.port = port;
    std::unique_ptr<_ENetHost, HostDeleter> host(enet_host_create(&address, kHostPeers, kChannelCount, 0, 0));
    if (!host) return "could not listen on port " + std::to_string(port);
    NetTransport transport(std::move(host), true, identity);
    transport.matchSettings = settings;
    return transport;
}

std::variant<NetTransport, std::string> NetTransport::join(const Endpoint& endpoint, const BuildIdentity& identity,
                                                           int ownPlayer)
{
    if (!enetReady()) return std::string("could not start ENet");
    ENetAddress address{};
    if (enet_address_set_host(&address, endpoint.host.c_str()) != 0) return "unknown host " + endpoint.host;
    address.port = endpoint.port;
    std::unique_ptr<_ENetHost, HostDeleter> host(enet_host_create(nullptr, 1, kChannelCount, 0, 0));
    if (!host) return std::string("could not open a socket");
    NetTransport transport(std::move(host), false, identity);
    transport.ownPlayer = ownPlayer;
    transport.peer = enet_host_connect(transport.enetHost.get(), &address, kChannelCount, 0);
    if (!transport.peer) return "could not connect to " + describe(address);
    return transport;
}

std::uint16_t NetTransport::port() const { return enetHost->address.port; }

std::uint32_t NetTransport::roundTripMs() const { return peer ? peer->roundTripTime : 0; }

void NetTransport::flush() { enet_host_flush(enetHost.get()); }

std::vector<Packet> NetTransport::service(std::uint32_t currentTick)
{
    std::vector<Packet> packets;
    ENetEvent event;
    for (int handled = 0; handled < kMaxEventsPerService && enet_host_service(enetHost.get(), &event, 0) > 0;
         ++handled) {
        switch (event.type) {
        case ENET_EVENT_TYPE_CONNECT: connected(event.peer); break;
        case ENET_EVENT_TYPE_DISCONNECT: disconnected(event.peer, event.data); break;
        case ENET_EVENT_TYPE_RECEIVE:
            received(event.peer, event.channelID, event.packet->data, event.packet->dataLength, currentTick, packets);
            enet_packet_destroy(event.packet);
            break;
        case ENET_EVENT_TYPE_NONE: break;
        }
    }
    if (linkState == LinkState::Handshaking && enet_time_get() - handshakeStart > kHandshakeTimeoutMs)
        refuse(kRefusedHandshake, "no hello from the peer in time");
    return packets;
}

void NetTransport::connected(_ENetPeer* newPeer)
{
    if (isHost && (peer || linkState != LinkState::Waiting)) {
        ++refused;
        latestProblem = "refused " + describe(newPeer->address) + ": " + refusalText(kRefusedBusy);
        enet_peer_disconnect(newPeer, kRefusedBusy);
        return;
    }
    peer = newPeer;
    linkState = LinkState::Handshaking;
    handshakeStart = enet_time_get();
    Hello hello;
    hello.version = identity.protocolVersion;
    hello.fingerprint = identity.fingerprint;
    if (isHost) {
        hello.matchTicks = std::uint32_t(matchSettings.matchTicks);
        hello.player = std::uint8_t(matchSettings.localPlayer);
        hello.inputDelay = std::uint8_t(matchSettings.inputDelay);
    }
    sendNow(hello);
}

void NetTransport::disconnected(_ENetPeer* gone, std::uint32_t reason)
{
    if (gone != peer) return; // a latecomer refused earlier
    peer = nullptr;
    // A host whose player left before agreeing on anything waits for another.
    if (isHost && linkState == LinkState::Handshaking) {
        linkState = LinkState::Waiting;
        return;
    }
    if (linkState == LinkState::Closed) return;
    // Closing: this side chose to leave, and problem() already says why if anything went wrong.
    if (linkState != LinkState::Closing)
        latestProblem =
            linkState == LinkState::Waiting && reason == kNoRefusal ? "could not reach the host" : refusalText(reason);
    linkState = LinkState::Closed;
}

void NetTransport::received(_ENetPeer* from, std::uint8_t channel, const std::uint8_t* data, std::size_t size,
                            std::uint32_t currentTick, std::vector<Packet>& packets)
{
    const bool current = from == peer && (linkState == LinkState::Handshaking || linkState == LinkState::Ready);
    const auto decoded = decodePacket(data, size, currentTick);
    const Packet* packet = std::get_if<Packet>(&decoded);
    if (!current || !packet) {
        ++dropped;
        return;
    }
    const bool isHello = std::holds_alternative<Hello>(*packet);
    const bool isInputs = std::holds_alternative<InputBatch>(*packet);
    // The host's first inputs can overtake its hello on a lossy link: early rather than bad, and sent again.
    if (isInputs && channel == kInputChannel && linkState == LinkState::Handshaking) return;
    // Each message has its channel, and only a hello belongs to the handshake.
    if ((channel == kInputChannel) != isInputs || isHello != (linkState == LinkState::Handshaking)) {
        ++dropped;
        return;
    }
    if (isHello)
        handshake(std::get<Hello>(*packet));
    else
        packets.push_back(*packet);
}

void NetTransport::handshake(const Hello& hello)
{
    if (hello.version != identity.protocolVersion) {
        refuse(kRefusedVersion, "protocol version mismatch: this side " + std::to_string(identity.protocolVersion) +
                                    ", peer " + std::to_string(hello.version));
        return;
    }
    if (hello.fingerprint != identity.fingerprint) {
        refuse(kRefusedFingerprint,
               "build mismatch: this side " + hex(identity.fingerprint) + ", peer " + hex(hello.fingerprint));
        return;
    }
    if (!isHost) {
        if (hello.matchTicks == 0 || (hello.player != 1 && hello.player != 2)) {
            refuse(kRefusedHandshake, "the host sent no usable match settings");
            return;
        }
        if (hello.player == ownPlayer) {
            refuse(kRefusedHandshake, "the host plays player " + std::to_string(ownPlayer) + " too");
            return;
        }
        matchSettings.localPlayer = 3 - hello.player;
        matchSettings.inputDelay = hello.inputDelay;
        matchSettings.matchTicks = int(hello.matchTicks);
    }
    linkState = LinkState::Ready;
}

// The peer hears why through the disconnect; a host's comes after the hello already queued, so that the joiner
// can name both values too. A joiner has nothing left to send and leaves at once.
void NetTransport::refuse(std::uint32_t reason, std::string message)
{
    latestProblem = std::move(message);
    if (isHost) {
        leaveAfterQueue(peer, reason);
        ++refused;
        peer = nullptr;
        linkState = LinkState::Waiting;
    } else {
        enet_peer_disconnect_now(peer, reason);
        peer = nullptr;
        linkState = LinkState::Closed;
    }
}

void NetTransport::send(const Packet& packet)
{
    if (linkState == LinkState::Ready && !std::holds_alternative<Hello>(packet)) sendNow(packet);
}

void NetTransport::sendNow(const Packet& packet)
{
    const Datagram bytes = encodePacket(packet);
    const bool isInputs = std::holds_alternative<InputBatch>(packet);
    ENetPacket* enetPacket = enet_packet_create(bytes.data(), bytes.size(), isInputs ? 0 : ENET_PACKET_FLAG_RELIABLE);
    if (enetPacket && enet_peer_send(peer, isInputs ? kInputChannel : kReliableChannel, enetPacket) != 0)
        enet_packet_destroy(enetPacket);
}

void NetTransport::close()
{
    if (linkState == LinkState::Closed || linkState == LinkState::Closing) return;
    if (!peer) {
        linkState = LinkState::Closed;
        return;
    }
    leaveAfterQueue(peer, kNoRefusal);
    linkState = LinkState::Closing;
}

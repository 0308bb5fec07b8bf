#include "NetTransport.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <enet/enet.h>
#include <enet/time.h>
#include <utility>

namespace {

enum Channel : std::uint8_t { kReliableChannel, kInputChannel, kChannelCount };

// Why a side ended the connection, carried in ENet's disconnect data. Believed only while handshaking: mid-match
// anyone who knows the ports can forge a disconnect.
enum Refusal : std::uint32_t {
    kNoRefusal,
    kRefusedBusy,
    kRefusedVersion,
    kRefusedFingerprint,
    kRefusedHandshake,
    kRefusedSamePlayer,
    kRefusedSlow,
};

// Peers a host keeps room for: the player, plus a few others handshaking at the same time. ENet lets each address
// hold one, so that a single machine cannot take them all.
constexpr std::size_t kHostPeers = 8;
constexpr std::size_t kPeersPerAddress = 1;
// The largest datagram either side accepts; a full input batch is well under a kilobyte.
constexpr std::size_t kMaxDatagramBytes = 4096;
// What a peer may have waiting to be handled: a few hundred honest datagrams.
constexpr std::size_t kMaxWaitingBytes = 64 * 1024;
// Events handled per service() call, so that a flood cannot hold up the frame.
constexpr int kMaxEventsPerService = 256;
// How long a leaving side waits for the peer to acknowledge what is still queued: a last checksum must survive
// several losses in a row on a bad link (ENet doubles the wait between resends).
constexpr std::uint32_t kLeavingTimeoutMs = 5000;
// How long a connected peer has for its hello, and then for its first inputs, so that a silent one holds a place
// only briefly. Hellos repeat every kHelloRepeatMs, so a lossy link costs a few repeats, not a resend timeout.
constexpr std::uint32_t kHandshakeStepMs = 1000;
constexpr std::uint32_t kHelloRepeatMs = 30;
// How long a peer whose hello was refused stays, so that the host's hello reaches it before the disconnect does.
constexpr std::uint32_t kRefusedGraceMs = 250;

const char* refusalText(std::uint32_t reason)
{
    switch (reason) {
    case kRefusedBusy: return "the host already has a player";
    case kRefusedVersion: return "the peer refused: protocol versions differ";
    case kRefusedFingerprint: return "the peer refused: builds differ";
    case kRefusedHandshake: return "the peer refused the handshake";
    case kRefusedSamePlayer: return "the peer refused: both machines play the same player";
    case kRefusedSlow: return "the peer gave up waiting for the handshake";
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

// ENet assumes half a second of round trip until it has measured one, and waits that long (then twice, four times as
// long) before sending a lost connection datagram again: on a lossy link a join could take ten seconds. Starting
// from a guess of 50 ms, a few more tries fit in the first seconds; the measurements soon replace it.
constexpr std::uint32_t kFirstRoundTripGuessMs = 50;
constexpr std::uint32_t kConnectTimeoutMs = 15000;

void guessShortRoundTrips(ENetHost* host)
{
    for (std::size_t i = 0; i < host->peerCount; ++i) {
        ENetPeer& peer = host->peers[i];
        if (peer.state != ENET_PEER_STATE_DISCONNECTED) continue;
        peer.roundTripTime = kFirstRoundTripGuessMs;
        peer.roundTripTimeVariance = 0;
    }
}

// ENet drops unreliable packets on purpose when the round trip grows, and jitter looks like growth to it: on a
// bad link it would hold back most input batches. They are tiny, and each repeats what a lost one held, so all go.
void sendEveryBatch(ENetPeer* peer)
{
    peer->packetThrottle = ENET_PEER_PACKET_THROTTLE_SCALE;
    peer->packetThrottleAcceleration = 0;
    peer->packetThrottleDeceleration = 0;
}

std::uint16_t bigEndian16(const std::uint8_t* at) { return std::uint16_t(at[0] << 8 | at[1]); }

// The bytes each ENet command takes before its payload, by command number; 0 where the command ends the walk.
std::size_t commandBytes(std::uint8_t command)
{
    switch (command) {
    case ENET_PROTOCOL_COMMAND_ACKNOWLEDGE: return sizeof(ENetProtocolAcknowledge);
    case ENET_PROTOCOL_COMMAND_CONNECT: return sizeof(ENetProtocolConnect);
    case ENET_PROTOCOL_COMMAND_VERIFY_CONNECT: return sizeof(ENetProtocolVerifyConnect);
    case ENET_PROTOCOL_COMMAND_DISCONNECT: return sizeof(ENetProtocolDisconnect);
    case ENET_PROTOCOL_COMMAND_PING: return sizeof(ENetProtocolPing);
    case ENET_PROTOCOL_COMMAND_SEND_RELIABLE: return sizeof(ENetProtocolSendReliable);
    case ENET_PROTOCOL_COMMAND_SEND_UNRELIABLE: return sizeof(ENetProtocolSendUnreliable);
    case ENET_PROTOCOL_COMMAND_SEND_UNSEQUENCED: return sizeof(ENetProtocolSendUnsequenced);
    case ENET_PROTOCOL_COMMAND_BANDWIDTH_LIMIT: return sizeof(ENetProtocolBandwidthLimit);
    case ENET_PROTOCOL_COMMAND_THROTTLE_CONFIGURE: return sizeof(ENetProtocolThrottleConfigure);
    default: return 0;
    }
}

// Looks at every datagram before ENet does, and swallows (returns 1) those carrying a fragment or compressed. The
// game never sends either, and ENet sizes a fragment's bookkeeping by what the sender claims, outside the limit on
// waiting data. The walk follows ENet's own: it stops where ENet would stop reading.
int ENET_CALLBACK screenDatagram(ENetHost* host, ENetEvent*)
{
    const std::uint8_t* data = host->receivedData;
    const std::size_t size = host->receivedDataLength;
    if (size < 2) return 0;
    const std::uint16_t flags = bigEndian16(data);
    if (flags & ENET_PROTOCOL_HEADER_FLAG_COMPRESSED) return 1;
    std::size_t at = (flags & ENET_PROTOCOL_HEADER_FLAG_SENT_TIME) ? sizeof(ENetProtocolHeader) : 2;
    while (at + sizeof(ENetProtocolCommandHeader) <= size) {
        const std::uint8_t command = data[at] & ENET_PROTOCOL_COMMAND_MASK;
        if (command == ENET_PROTOCOL_COMMAND_SEND_FRAGMENT || command == ENET_PROTOCOL_COMMAND_SEND_UNRELIABLE_FRAGMENT)
            return 1;
        const std::size_t fixed = commandBytes(command);
        if (fixed == 0 || at + fixed > size) return 0;
        std::size_t payload = 0;
        // Each sending command's payload length is its last field.
        if (command == ENET_PROTOCOL_COMMAND_SEND_RELIABLE || command == ENET_PROTOCOL_COMMAND_SEND_UNRELIABLE ||
            command == ENET_PROTOCOL_COMMAND_SEND_UNSEQUENCED)
            payload = bigEndian16(data + at + fixed - 2);
        at += fixed + payload;
    }
    return 0;
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
    enetHost->maximumWaitingData = kMaxWaitingBytes;
    enetHost->duplicatePeers = kPeersPerAddress;
    enetHost->intercept = screenDatagram;
    guessShortRoundTrips(enetHost.get());
}

NetTransport::NetTransport(NetTransport&&) noexcept = default;
NetTransport& NetTransport::operator=(NetTransport&&) noexcept = default;

NetTransport::~NetTransport()
{
    if (!enetHost || !peer) return;
    // What is still queued (a Goodbye) goes first, and the peer acknowledges it before the link drops: ENet
    // discards what a peer receives together with a disconnect, and a peer that hears only the disconnect takes it
    // for a lost link. Bounded, so that leaving never hangs on a silent peer.
    if (linkState != LinkState::Closing) leaveAfterQueue(peer, kNoRefusal);
    constexpr enet_uint32 kFarewellMs = 300;
    const enet_uint32 until = enet_time_get() + kFarewellMs;
    ENetEvent event;
    while (ENET_TIME_LESS(enet_time_get(), until) && enet_host_service(enetHost.get(), &event, 10) >= 0) {
        if (event.type == ENET_EVENT_TYPE_RECEIVE) enet_packet_destroy(event.packet);
        if (event.type == ENET_EVENT_TYPE_DISCONNECT && event.peer == peer) return;
    }
    enet_peer_disconnect_now(peer, kNoRefusal);
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
    transport.peer->roundTripTime = kFirstRoundTripGuessMs;
    transport.peer->roundTripTimeVariance = 0;
    // With the short first guess ENet would give up within five seconds; the caller decides when to.
    enet_peer_timeout(transport.peer, 0, kConnectTimeoutMs, kConnectTimeoutMs);
    return transport;
}

std::uint16_t NetTransport::port() const { return enetHost->address.port; }

std::uint32_t NetTransport::roundTripMs() const { return peer ? peer->roundTripTime : 0; }

std::uint32_t NetTransport::silenceMs() const { return peer ? ENET_TIME_DIFFERENCE(enet_time_get(), heardAt) : 0; }

void NetTransport::flush() { enet_host_flush(enetHost.get()); }

std::vector<Packet> NetTransport::service(std::uint32_t currentTick)
{
    std::vector<Packet> packets;
    // Peers ENet let go start again from its default; the next to connect into one of them should not.
    if (isHost) guessShortRoundTrips(enetHost.get());
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
    // ENet counts every byte from the peer, its acknowledgements included: any change is a sign of life.
    if (peer && peer->incomingDataTotal != heardTotal) {
        heardTotal = peer->incomingDataTotal;
        heardAt = enet_time_get();
    }
    keepHandshaking();
    return packets;
}

// Deadlines for each handshake step, and hellos again to whoever has not answered.
void NetTransport::keepHandshaking()
{
    const std::uint32_t now = enet_time_get();
    for (std::size_t i = 0; i < candidates.size();) {
        const Candidate candidate = candidates[i];
        if (ENET_TIME_DIFFERENCE(now, candidate.since) <= kHandshakeStepMs) {
            ++i;
        } else if (candidate.refusal != kNoRefusal) {
            forgetCandidate(candidate.peer);
            enet_peer_disconnect_now(candidate.peer, candidate.refusal);
        } else {
            turnAway(candidate.peer, kRefusedSlow, "no hello in time");
        }
    }
    if (isHost && linkState == LinkState::Agreed && ENET_TIME_DIFFERENCE(now, agreedAt) > kHandshakeStepMs) {
        const std::string who = describe(peer->address);
        enet_peer_disconnect_now(peer, kRefusedSlow);
        backToWaiting(who + " sent no inputs in time");
    }
    if (ENET_TIME_DIFFERENCE(now, lastHelloAt) < kHelloRepeatMs) return;
    lastHelloAt = now;
    for (const Candidate& candidate : candidates) sendHello(candidate.peer);
    // The host's hello until the joiner has it; the joiner's until the host's inputs say it had it.
    const bool unanswered =
        isHost ? linkState == LinkState::Agreed : linkState == LinkState::Handshaking || linkState == LinkState::Agreed;
    if (peer && unanswered) sendHello(peer);
}

void NetTransport::sendHello(_ENetPeer* to)
{
    Hello hello;
    hello.version = identity.protocolVersion;
    hello.fingerprint = identity.fingerprint;
    if (isHost) {
        hello.matchTicks = std::uint32_t(matchSettings.matchTicks);
        hello.player = std::uint8_t(matchSettings.localPlayer);
        hello.inputDelay = std::uint8_t(matchSettings.inputDelay);
    } else {
        hello.player = std::uint8_t(ownPlayer);
    }
    const Datagram bytes = encodePacket(hello);
    ENetPacket* enetPacket = enet_packet_create(bytes.data(), bytes.size(), 0);
    if (enetPacket && enet_peer_send(to, kInputChannel, enetPacket) != 0) enet_packet_destroy(enetPacket);
}

bool NetTransport::isCandidate(_ENetPeer* who) const
{
    return std::any_of(candidates.begin(), candidates.end(), [who](const Candidate& c) { return c.peer == who; });
}

void NetTransport::forgetCandidate(_ENetPeer* who)
{
    candidates.erase(
        std::remove_if(candidates.begin(), candidates.end(), [who](const Candidate& c) { return c.peer == who; }),
        candidates.end());
}

void NetTransport::turnAway(_ENetPeer* who, std::uint32_t reason, const std::string& why)
{
    ++refused;
    latestProblem = "refused " + describe(who->address) + ": " + why;
    forgetCandidate(who);
    enet_peer_disconnect_now(who, reason);
}

void NetTransport::refuseHello(_ENetPeer* who, std::uint32_t reason, const std::string& why)
{
    for (Candidate& candidate : candidates) {
        if (candidate.peer != who || candidate.refusal != kNoRefusal) continue;
        ++refused;
        latestProblem = "refused " + describe(who->address) + ": " + why;
        candidate.refusal = reason;
        candidate.since = enet_time_get() - (kHandshakeStepMs - kRefusedGraceMs);
    }
}

void NetTransport::backToWaiting(const std::string& why)
{
    ++refused;
    latestProblem = why + "; still waiting";
    peer = nullptr;
    linkState = LinkState::Waiting;
}

void NetTransport::connected(_ENetPeer* newPeer)
{
    sendEveryBatch(newPeer);
    if (!isHost) {
        heardAt = enet_time_get();
        if (linkState == LinkState::Waiting) linkState = LinkState::Handshaking;
        sendHello(newPeer);
        lastHelloAt = enet_time_get();
        return;
    }
    if (peer || linkState != LinkState::Waiting) {
        turnAway(newPeer, kRefusedBusy, refusalText(kRefusedBusy));
        return;
    }
    candidates.push_back({newPeer, enet_time_get()});
    // Out now, so that a joiner turned away for its hello has the host's to name what differs.
    sendHello(newPeer);
    flush();
}

void NetTransport::disconnected(_ENetPeer* gone, std::uint32_t reason)
{
    if (isCandidate(gone)) {
        const bool noted = std::any_of(candidates.begin(), candidates.end(), [gone](const Candidate& c) {
            return c.peer == gone && c.refusal != kNoRefusal;
        });
        forgetCandidate(gone);
        if (reason != kNoRefusal && !noted) {
            ++refused;
            latestProblem = describe(gone->address) + " left: " + refusalText(reason);
        }
        return;
    }
    if (gone != peer) return; // one turned away earlier
    peer = nullptr;
    if (linkState == LinkState::Closed) return;
    // Closing: this side chose to leave, and problem() already says why if anything went wrong.
    if (linkState == LinkState::Closing) {
        linkState = LinkState::Closed;
        return;
    }
    // A host whose player went before its first inputs waits for another.
    if (isHost && linkState == LinkState::Agreed) {
        backToWaiting(describe(gone->address) + " left before the match began" +
                      (reason != kNoRefusal ? std::string(": ") + refusalText(reason) : std::string()));
        return;
    }
    if (linkState == LinkState::Ready)
        latestProblem = goodbyeHeard ? "the other machine left" : "the link was lost";
    else if (linkState == LinkState::Waiting && reason == kNoRefusal)
        latestProblem = "could not reach the host";
    else
        latestProblem = refusalText(reason);
    linkState = LinkState::Closed;
}

void NetTransport::received(_ENetPeer* from, std::uint8_t channel, const std::uint8_t* data, std::size_t size,
                            std::uint32_t currentTick, std::vector<Packet>& packets)
{
    const auto decoded = decodePacket(data, size, currentTick);
    const Packet* packet = std::get_if<Packet>(&decoded);
    const bool candidate = isCandidate(from);
    if (!packet || (!candidate && from != peer) || linkState == LinkState::Closing || linkState == LinkState::Closed) {
        ++dropped;
        return;
    }
    const auto* hello = std::get_if<Hello>(packet);
    const bool isInputs = std::holds_alternative<InputBatch>(*packet);
    // Hellos and inputs go unreliably, the rest reliably; a candidate has nothing to say but its hello.
    if ((channel == kInputChannel) != (hello || isInputs) || (candidate && !hello)) {
        ++dropped;
        return;
    }
    if (hello) {
        if (candidate)
            hostHandshake(from, *hello);
        else if (linkState == LinkState::Handshaking)
            joinHandshake(*hello);
        // Otherwise a repeat, sent before ours arrived.
        return;
    }
    if (isInputs && linkState == LinkState::Agreed) linkState = LinkState::Ready;
    if (!matchMayRun()) {
        ++dropped;
        return;
    }
    if (std::holds_alternative<Goodbye>(*packet)) goodbyeHeard = true;
    packets.push_back(*packet);
}

std::optional<std::string> NetTransport::buildMismatch(const Hello& hello) const
{
    if (hello.version != identity.protocolVersion)
        return "protocol version mismatch: this side " + std::to_string(identity.protocolVersion) + ", peer " +
               std::to_string(hello.version);
    if (hello.fingerprint != identity.fingerprint)
        return "build mismatch: this side " + hex(identity.fingerprint) + ", peer " + hex(hello.fingerprint);
    return std::nullopt;
}

void NetTransport::hostHandshake(_ENetPeer* from, const Hello& hello)
{
    if (const auto mismatch = buildMismatch(hello)) {
        refuseHello(from, hello.version != identity.protocolVersion ? kRefusedVersion : kRefusedFingerprint, *mismatch);
        return;
    }
    if (hello.player == matchSettings.localPlayer) {
        refuseHello(from, kRefusedSamePlayer, "it plays player " + std::to_string(hello.player) + " too");
        return;
    }
    const bool alreadyRefused = std::any_of(candidates.begin(), candidates.end(), [from](const Candidate& c) {
        return c.peer == from && c.refusal != kNoRefusal;
    });
    if (alreadyRefused) return;
    // The first valid hello wins; the others go at once rather than hold a place.
    forgetCandidate(from);
    while (!candidates.empty()) turnAway(candidates.front().peer, kRefusedBusy, "another player answered first");
    peer = from;
    linkState = LinkState::Agreed;
    agreedAt = heardAt = enet_time_get();
    goodbyeHeard = false;
}

void NetTransport::joinHandshake(const Hello& hello)
{
    if (const auto mismatch = buildMismatch(hello)) {
        refuse(hello.version != identity.protocolVersion ? kRefusedVersion : kRefusedFingerprint, *mismatch);
        return;
    }
    if (hello.matchTicks == 0 || (hello.player != 1 && hello.player != 2)) {
        refuse(kRefusedHandshake, "the host sent no usable match settings");
        return;
    }
    if (hello.player == ownPlayer) {
        refuse(kRefusedSamePlayer, "the host plays player " + std::to_string(ownPlayer) + " too");
        return;
    }
    matchSettings.localPlayer = 3 - hello.player;
    matchSettings.inputDelay = hello.inputDelay;
    matchSettings.matchTicks = int(hello.matchTicks);
    linkState = LinkState::Agreed;
}

void NetTransport::refuse(std::uint32_t reason, std::string message)
{
    latestProblem = std::move(message);
    enet_peer_disconnect_now(peer, reason);
    peer = nullptr;
    linkState = LinkState::Closed;
}

void NetTransport::send(const Packet& packet)
{
    if (matchMayRun() && !std::holds_alternative<Hello>(packet)) sendNow(packet);
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
    for (const Candidate& candidate : candidates) enet_peer_disconnect_now(candidate.peer, kRefusedBusy);
    candidates.clear();
    if (!peer) {
        linkState = LinkState::Closed;
        return;
    }
    leaveAfterQueue(peer, kNoRefusal);
    linkState = LinkState::Closing;
}

#pragma once

#include <cstddef>
#include <cstdint>
#include <variant>
#include <vector>

#include "MatchInput.h"

// The datagrams two machines exchange during a networked match, and their wire format: little-endian, fixed
// layout, a five-byte header (magic "Sk", protocol version, message type) before each message's fields.
// Nothing arriving from the network is trusted: the decoder checks the length, version, type and every range.

// Raised whenever the layout or meaning of any message changes.
inline constexpr std::uint16_t kProtocolVersion = 2;
// Limits beyond which a datagram is refused.
inline constexpr std::int32_t kMaxWirePointerOffset = 65535;          // window pixels, either sign
inline constexpr int kMaxInputDelay = 8;                              // ticks
inline constexpr int kDefaultInputDelay = 2;                          // ticks
inline constexpr std::uint32_t kMaxMatchTicks = 60u * 60u * 60u * 4u; // four hours at 60 ticks a second
inline constexpr std::size_t kMaxInputsPerBatch = 64;
// How far a tick in a datagram may lie from the receiver's own tick, either way; nothing honest comes close.
inline constexpr std::uint32_t kTickWindow = 1024;

// Opens a connection from each side. The host's carries the match settings; the joiner's only the player it
// plays, so that a host playing the same one can say so. A
// hello of another protocol version decodes to its version and fingerprint only, which every version keeps in
// the same place, so that a refusal can name both sides' values.
struct Hello {
    std::uint16_t version = kProtocolVersion;
    std::uint64_t fingerprint = 0; // of the match code: both ends must simulate identically
    std::uint32_t matchTicks = 0;  // length of the match, chosen by the host; 0 from the joiner
    std::uint8_t player = 0;       // which player the sender plays (1 or 2); 0 from a joiner that would take either
    std::uint8_t inputDelay = 0;   // ticks between reading an input and its taking effect

    bool operator==(const Hello& other) const
    {
        return version == other.version && fingerprint == other.fingerprint && matchTicks == other.matchTicks &&
               player == other.player && inputDelay == other.inputDelay;
    }
};

// The sender's own inputs for ticks firstTick, firstTick + 1, ...: every one the receiver has not acknowledged.
// Only the sender player's part of each MatchInput travels; the other part decodes as default. The sender's latest
// confirmed checksum rides along too, so that a lost reliable report costs no more than a frame.
struct InputBatch {
    std::uint8_t player = 1;      // the sender's player, 1 or 2
    std::uint32_t senderTick = 0; // the tick the sender simulates next
    std::uint32_t received = 0;   // the acknowledgement: how many of the receiver's ticks the sender holds
    std::uint32_t firstTick = 0;
    std::vector<MatchInput> inputs; // 1 to kMaxInputsPerBatch
    std::uint32_t checkTick = 0;    // the latest checkpoint the sender confirmed; 0 for none yet
    std::uint64_t checksum = 0;     // the match's checksum after checkTick ticks

    bool operator==(const InputBatch& other) const
    {
        return player == other.player && senderTick == other.senderTick && received == other.received &&
               firstTick == other.firstTick && inputs == other.inputs && checkTick == other.checkTick &&
               checksum == other.checksum;
    }
};

// The checksum of the match state after `tick` confirmed ticks.
struct ChecksumReport {
    std::uint32_t tick = 0;
    std::uint64_t checksum = 0;

    bool operator==(const ChecksumReport& other) const { return tick == other.tick && checksum == other.checksum; }
};

enum class GoodbyeReason : std::uint8_t { Finished, Quit, Desync };

// The sender stops: the match ended, its player quit, or the states differed after `tick` ticks.
struct Goodbye {
    GoodbyeReason reason = GoodbyeReason::Quit;
    std::uint32_t tick = 0;

    bool operator==(const Goodbye& other) const { return reason == other.reason && tick == other.tick; }
};

using Packet = std::variant<Hello, InputBatch, ChecksumReport, Goodbye>;

enum class PacketError {
    WrongLength, // too short for its header or type, or bytes left over
    BadMagic,
    WrongVersion,
    UnknownType,
    OutOfRange, // a field outside its valid values
};

using Datagram = std::vector<std::uint8_t>;

// The bytes of a packet. Preconditions: every field within the ranges the decoder accepts (see wireInput).
Datagram encodePacket(const Packet& packet);

// The packet in data, or why it is refused. Ticks must lie within kTickWindow of currentTick.
std::variant<Packet, PacketError> decodePacket(const std::uint8_t* data, std::size_t size, std::uint32_t currentTick);

// The input as the peer will receive it: pointer offsets clamped to ±kMaxWirePointerOffset. Both machines must
// simulate exactly what travels, so the local side applies the same clamp.
MatchInput wireInput(const MatchInput& input);

const char* packetErrorName(PacketError error);

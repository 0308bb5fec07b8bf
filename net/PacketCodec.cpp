#include "PacketCodec.h"

#include <algorithm>
#include <cassert>
#include <cstdlib>
#include <optional>
#include <type_traits>

namespace {

constexpr std::uint8_t kMagic[2] = {'S', 'k'};
constexpr std::size_t kHeaderBytes = 5;
// A hello's fingerprint follows the header in every protocol version.
constexpr std::size_t kHelloPrefixBytes = kHeaderBytes + 8;

enum class MessageType : std::uint8_t { Hello, Inputs, Checksum, Goodbye };

constexpr std::uint8_t kLeftDownBit = 1;
constexpr std::uint8_t kCaptureKeyBit = 2;

class Writer {
public:
    template <typename T> void put(T value)
    {
        static_assert(std::is_integral_v<T>);
        using Unsigned = std::make_unsigned_t<T>;
        const auto bits = static_cast<Unsigned>(value);
        for (std::size_t i = 0; i < sizeof(T); ++i) bytes.push_back(static_cast<std::uint8_t>(bits >> (8 * i)));
    }
    Datagram bytes;
};

// Reads fields in order; a read past the end yields 0 and leaves the reader failed, so one check covers many reads.
class Reader {
public:
    Reader(const std::uint8_t* data, std::size_t size) : data(data), size(size) {}

    template <typename T> T get()
    {
        static_assert(std::is_integral_v<T>);
        using Unsigned = std::make_unsigned_t<T>;
        if (size - at < sizeof(T) || failed) {
            failed = true;
            return 0;
        }
        Unsigned bits = 0;
        for (std::size_t i = 0; i < sizeof(T); ++i)
            bits = static_cast<Unsigned>(bits | Unsigned(data[at + i]) << (8 * i));
        at += sizeof(T);
        return static_cast<T>(bits);
    }
    bool ok() const { return !failed; }

private:
    const std::uint8_t* data;
    std::size_t size;
    std::size_t at = 0;
    bool failed = false;
};

std::size_t inputRecordBytes(std::uint8_t player) { return player == 1 ? 1 : 9; }

void writeHeader(Writer& out, std::uint16_t version, MessageType type)
{
    out.put(kMagic[0]);
    out.put(kMagic[1]);
    out.put(version);
    out.put(static_cast<std::uint8_t>(type));
}

void writeBody(Writer& out, const Hello& hello)
{
    out.put(hello.fingerprint);
    out.put(hello.matchTicks);
    out.put(hello.player);
    out.put(hello.inputDelay);
}

void writeBody(Writer& out, const InputBatch& batch)
{
    assert(batch.player == 1 || batch.player == 2);
    assert(!batch.inputs.empty() && batch.inputs.size() <= kMaxInputsPerBatch);
    out.put(batch.player);
    out.put(batch.senderTick);
    out.put(batch.received);
    out.put(batch.firstTick);
    out.put(static_cast<std::uint8_t>(batch.inputs.size()));
    for (const MatchInput& input : batch.inputs) {
        if (batch.player == 1) {
            out.put(input.player1.keys);
            continue;
        }
        assert(wireInput(input) == input);
        const Player2Input& mouse = input.player2;
        out.put(mouse.pointerX);
        out.put(mouse.pointerY);
        out.put(
            static_cast<std::uint8_t>((mouse.leftDown ? kLeftDownBit : 0) | (mouse.captureKey ? kCaptureKeyBit : 0)));
    }
    out.put(batch.checkTick);
    out.put(batch.checksum);
}

void writeBody(Writer& out, const ChecksumReport& report)
{
    out.put(report.tick);
    out.put(report.checksum);
}

void writeBody(Writer& out, const Goodbye& goodbye)
{
    out.put(static_cast<std::uint8_t>(goodbye.reason));
    out.put(goodbye.tick);
}

MessageType typeOf(const Packet& packet) { return static_cast<MessageType>(packet.index()); }

// Ticks a peer may name: those within kTickWindow of ours.
class TickWindow {
public:
    explicit TickWindow(std::uint32_t current) : current(current) {}
    bool contains(std::uint64_t tick) const
    {
        const std::uint64_t low = current > kTickWindow ? current - kTickWindow : 0;
        return tick >= low && tick <= std::uint64_t(current) + kTickWindow;
    }

private:
    std::uint32_t current;
};

// The bytes each message type takes, header included; inputs add a record per tick, then the checksum.
constexpr std::size_t kHelloBytes = kHeaderBytes + 14;
constexpr std::size_t kInputsFixedBytes = kHeaderBytes + 14;
constexpr std::size_t kInputsChecksumBytes = 12;
constexpr std::size_t kChecksumBytes = kHeaderBytes + 12;
constexpr std::size_t kGoodbyeBytes = kHeaderBytes + 5;

std::optional<Hello> readHello(Reader& in)
{
    Hello hello;
    hello.fingerprint = in.get<std::uint64_t>();
    hello.matchTicks = in.get<std::uint32_t>();
    hello.player = in.get<std::uint8_t>();
    hello.inputDelay = in.get<std::uint8_t>();
    if (hello.matchTicks > kMaxMatchTicks || hello.player > 2 || hello.inputDelay > kMaxInputDelay) return std::nullopt;
    return hello;
}

bool readPlayer2(Reader& in, Player2Input& mouse)
{
    mouse.pointerX = in.get<std::int32_t>();
    mouse.pointerY = in.get<std::int32_t>();
    const auto flags = in.get<std::uint8_t>();
    mouse.leftDown = (flags & kLeftDownBit) != 0;
    mouse.captureKey = (flags & kCaptureKeyBit) != 0;
    const auto within = [](std::int32_t offset) { return std::abs(std::int64_t(offset)) <= kMaxWirePointerOffset; };
    return (flags & ~(kLeftDownBit | kCaptureKeyBit)) == 0 && within(mouse.pointerX) && within(mouse.pointerY);
}

// Called with the length already checked against player and count.
std::optional<InputBatch> readInputs(Reader& in, TickWindow window)
{
    InputBatch batch;
    batch.player = in.get<std::uint8_t>();
    batch.senderTick = in.get<std::uint32_t>();
    batch.received = in.get<std::uint32_t>();
    batch.firstTick = in.get<std::uint32_t>();
    batch.inputs.resize(in.get<std::uint8_t>());
    const std::uint64_t lastTick = std::uint64_t(batch.firstTick) + batch.inputs.size() - 1;
    if (batch.inputs.empty() || batch.inputs.size() > kMaxInputsPerBatch || !window.contains(batch.senderTick) ||
        !window.contains(batch.received) || !window.contains(batch.firstTick) || !window.contains(lastTick))
        return std::nullopt;
    for (MatchInput& input : batch.inputs) {
        if (batch.player == 1)
            input.player1.keys = in.get<std::uint8_t>();
        else if (!readPlayer2(in, input.player2))
            return std::nullopt;
    }
    batch.checkTick = in.get<std::uint32_t>();
    batch.checksum = in.get<std::uint64_t>();
    if (batch.checkTick != 0 && !window.contains(batch.checkTick)) return std::nullopt;
    return batch;
}

std::optional<ChecksumReport> readChecksum(Reader& in, TickWindow window)
{
    ChecksumReport report;
    report.tick = in.get<std::uint32_t>();
    report.checksum = in.get<std::uint64_t>();
    if (report.tick == 0 || !window.contains(report.tick)) return std::nullopt;
    return report;
}

std::optional<Goodbye> readGoodbye(Reader& in, TickWindow window)
{
    const auto reason = in.get<std::uint8_t>();
    Goodbye goodbye;
    goodbye.tick = in.get<std::uint32_t>();
    if (reason > static_cast<std::uint8_t>(GoodbyeReason::Desync) || !window.contains(goodbye.tick))
        return std::nullopt;
    goodbye.reason = static_cast<GoodbyeReason>(reason);
    return goodbye;
}

template <typename Message> std::variant<Packet, PacketError> packetOr(const std::optional<Message>& message)
{
    if (!message) return PacketError::OutOfRange;
    return Packet{*message};
}

} // namespace

Datagram encodePacket(const Packet& packet)
{
    Writer out;
    const auto* hello = std::get_if<Hello>(&packet);
    writeHeader(out, hello ? hello->version : kProtocolVersion, typeOf(packet));
    std::visit([&out](const auto& message) { writeBody(out, message); }, packet);
    return std::move(out.bytes);
}

std::variant<Packet, PacketError> decodePacket(const std::uint8_t* data, std::size_t size, std::uint32_t currentTick)
{
    Reader in(data, size);
    const auto magic0 = in.get<std::uint8_t>();
    const auto magic1 = in.get<std::uint8_t>();
    const auto version = in.get<std::uint16_t>();
    const auto type = in.get<std::uint8_t>();
    if (!in.ok()) return PacketError::WrongLength;
    if (magic0 != kMagic[0] || magic1 != kMagic[1]) return PacketError::BadMagic;
    if (version != kProtocolVersion) {
        if (type != static_cast<std::uint8_t>(MessageType::Hello)) return PacketError::WrongVersion;
        if (size < kHelloPrefixBytes) return PacketError::WrongLength;
        Hello foreign;
        foreign.version = version;
        foreign.fingerprint = in.get<std::uint64_t>();
        return Packet{foreign};
    }
    // The length first, so that a cut or padded datagram is always a length fault.
    std::size_t expected = 0;
    switch (static_cast<MessageType>(type)) {
    case MessageType::Hello: expected = kHelloBytes; break;
    case MessageType::Checksum: expected = kChecksumBytes; break;
    case MessageType::Goodbye: expected = kGoodbyeBytes; break;
    case MessageType::Inputs: {
        if (size < kInputsFixedBytes) return PacketError::WrongLength;
        const std::uint8_t player = data[kHeaderBytes];
        if (player != 1 && player != 2) return PacketError::OutOfRange;
        expected = kInputsFixedBytes + data[kInputsFixedBytes - 1] * inputRecordBytes(player) + kInputsChecksumBytes;
        break;
    }
    default: return PacketError::UnknownType;
    }
    if (size != expected) return PacketError::WrongLength;
    const TickWindow window(currentTick);
    switch (static_cast<MessageType>(type)) {
    case MessageType::Hello: return packetOr(readHello(in));
    case MessageType::Inputs: return packetOr(readInputs(in, window));
    case MessageType::Checksum: return packetOr(readChecksum(in, window));
    case MessageType::Goodbye: return packetOr(readGoodbye(in, window));
    }
    return PacketError::UnknownType;
}

MatchInput wireInput(const MatchInput& input)
{
    MatchInput result = input;
    result.player2.pointerX = std::clamp(input.player2.pointerX, -kMaxWirePointerOffset, kMaxWirePointerOffset);
    result.player2.pointerY = std::clamp(input.player2.pointerY, -kMaxWirePointerOffset, kMaxWirePointerOffset);
    return result;
}

const char* packetErrorName(PacketError error)
{
    switch (error) {
    case PacketError::WrongLength: return "wrong length";
    case PacketError::BadMagic: return "not a Skirmora datagram";
    case PacketError::WrongVersion: return "another protocol version";
    case PacketError::UnknownType: return "unknown message type";
    case PacketError::OutOfRange: return "a field out of range";
    }
    return "unknown";
}

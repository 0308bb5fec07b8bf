#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

#include "PacketCodec.h"

namespace {

constexpr std::uint32_t kNow = 5000; // the receiver's tick in most cases

// Why the decoder refuses bytes, or nothing when it accepts them.
std::optional<PacketError> refusal(const Datagram& bytes, std::uint32_t now = kNow)
{
    const auto decoded = decodePacket(bytes.data(), bytes.size(), now);
    const auto* error = std::get_if<PacketError>(&decoded);
    return error ? std::optional<PacketError>(*error) : std::nullopt;
}

InputBatch batch(std::uint8_t player, std::vector<MatchInput> inputs, std::uint32_t first = kNow)
{
    return InputBatch{player, kNow, kNow + 2, first, std::move(inputs)};
}

const MatchInput kMouse{{}, {3, -4, true, false}};
const MatchInput kExtremeMouse{{}, {-kMaxWirePointerOffset, kMaxWirePointerOffset, true, true}};

TEST(PacketCodec, EveryKindOfMessageSurvivesTheRoundTripButNoCutOrPaddedCopy)
{
    const Packet packets[] = {Hello{},
                              Hello{kProtocolVersion, 0xfedcba9876543210, kMaxMatchTicks, 2, kMaxInputDelay},
                              batch(1, {MatchInput{{0xff}, {}}, MatchInput{}}),
                              batch(2, {kMouse, MatchInput{{}, {0, 0, false, true}}}, kNow - kTickWindow),
                              batch(2, std::vector(kMaxInputsPerBatch, kExtremeMouse), kNow + kTickWindow - 63),
                              InputBatch{1, kNow, kNow, kNow, {MatchInput{}}, kNow - kTickWindow, ~0ull},
                              ChecksumReport{kNow, ~0ull},
                              Goodbye{GoodbyeReason::Finished, kNow},
                              Goodbye{GoodbyeReason::Desync, kNow - 7}};
    for (const Packet& packet : packets) {
        Datagram bytes = encodePacket(packet);
        const auto decoded = decodePacket(bytes.data(), bytes.size(), kNow);
        EXPECT_EQ(decoded, (std::variant<Packet, PacketError>{packet})) << packet.index();
        EXPECT_LT(bytes.size(), 1000u); // well inside one network packet: never split
        bytes.push_back(0);
        EXPECT_EQ(refusal(bytes), PacketError::WrongLength) << packet.index();
        for (bytes.pop_back(); !bytes.empty();) {
            bytes.pop_back();
            EXPECT_TRUE(refusal(bytes)) << packet.index() << " cut to " << bytes.size();
        }
    }
}

TEST(PacketCodec, LayoutIsFixedAndLittleEndian)
{
    // Header "Sk", version, type; then the fields in order, the mouse buttons as bits 0 and 1 of one byte, and a
    // batch's checksum after its records.
    EXPECT_EQ(encodePacket(ChecksumReport{0x01020304, 0x1122334455667788}),
              (Datagram{'S', 'k', 2, 0, 2, 4, 3, 2, 1, 0x88, 0x77, 0x66, 0x55, 0x44, 0x33, 0x22, 0x11}));
    EXPECT_EQ(encodePacket(InputBatch{2, 1, 2, 3, {MatchInput{{}, {-1, 2, false, true}}}, 60, 0x0102}),
              (Datagram{'S',  'k',  2,    0, 1, 2, 1, 0, 0,  0, 2, 0, 0, 0, 3, 0, 0, 0, 1, 0xff,
                        0xff, 0xff, 0xff, 2, 0, 0, 0, 2, 60, 0, 0, 0, 2, 1, 0, 0, 0, 0, 0, 0}));
}

TEST(PacketCodec, RefusesFieldsOutOfRange)
{
    // Offsets in a player 2 batch: player 5, senderTick 6, received 10, firstTick 14, count 18, then pointerX,
    // pointerY and the buttons of each record, then the checkpoint's tick. In a hello: match length 13, player 17,
    // input delay 18.
    const Datagram mouseBatch = encodePacket(batch(2, {kMouse}));
    Datagram noInputs(mouseBatch.begin(), mouseBatch.begin() + 19);
    noInputs.insert(noInputs.end(), mouseBatch.end() - 12, mouseBatch.end());
    const Datagram hello = encodePacket(Hello{});
    Datagram fullKeys = encodePacket(batch(1, std::vector<MatchInput>(kMaxInputsPerBatch)));
    fullKeys.push_back(0); // room for one record more
    const struct {
        std::string name;
        Datagram bytes;
        std::size_t at, width;
        std::uint32_t value;
        PacketError error;
    } cases[] = {
        {"magic", mouseBatch, 0, 1, 's', PacketError::BadMagic},
        {"version", mouseBatch, 2, 1, kProtocolVersion + 1, PacketError::WrongVersion},
        {"type", mouseBatch, 4, 1, 4, PacketError::UnknownType},
        {"player 3", mouseBatch, 5, 1, 3, PacketError::OutOfRange},
        {"button bits", mouseBatch, 27, 1, 4, PacketError::OutOfRange},
        {"pointer x", mouseBatch, 19, 4, kMaxWirePointerOffset + 1, PacketError::OutOfRange},
        {"pointer y", mouseBatch, 23, 4, std::uint32_t(-kMaxWirePointerOffset - 1), PacketError::OutOfRange},
        {"sender tick ahead", mouseBatch, 6, 4, kNow + kTickWindow + 1, PacketError::OutOfRange},
        {"received behind", mouseBatch, 10, 4, kNow - kTickWindow - 1, PacketError::OutOfRange},
        {"first tick wraps", mouseBatch, 14, 4, ~0u, PacketError::OutOfRange},
        {"no inputs", noInputs, 18, 1, 0, PacketError::OutOfRange},
        {"checkpoint ahead", mouseBatch, 28, 4, kNow + kTickWindow + 1, PacketError::OutOfRange},
        {"too many inputs", fullKeys, 18, 1, kMaxInputsPerBatch + 1, PacketError::OutOfRange},
        {"last tick ahead", encodePacket(batch(1, {{}, {}}, kNow + kTickWindow)), 0, 0, 0, PacketError::OutOfRange},
        {"hello player", hello, 17, 1, 3, PacketError::OutOfRange},
        {"hello delay", hello, 18, 1, kMaxInputDelay + 1, PacketError::OutOfRange},
        {"match length", hello, 13, 4, kMaxMatchTicks + 1, PacketError::OutOfRange},
        {"checksum tick 0", encodePacket(ChecksumReport{1, 5}), 5, 4, 0, PacketError::OutOfRange},
        {"goodbye reason", encodePacket(Goodbye{}), 5, 1, 3, PacketError::OutOfRange},
    };
    for (const auto& c : cases) {
        Datagram bytes = c.bytes;
        for (std::size_t i = 0; i < c.width; ++i) bytes[c.at + i] = std::uint8_t(c.value >> (8 * i));
        EXPECT_EQ(refusal(bytes), c.error) << c.name;
    }
    // The window is relative: tick 0 is fine at the start of a match and refused late in one.
    EXPECT_EQ(refusal(encodePacket(Goodbye{}), 0), std::nullopt);
    EXPECT_EQ(refusal(encodePacket(Goodbye{}), kTickWindow + 1), PacketError::OutOfRange);
}

TEST(PacketCodec, HelloOfAnotherVersionKeepsWhatARefusalNames)
{
    Datagram bytes = encodePacket(Hello{7, 0xabcdef, 100, 1, 2});
    bytes.resize(13); // another version may lay out the rest differently, or not send it
    const auto decoded = decodePacket(bytes.data(), bytes.size(), kNow);
    EXPECT_EQ(decoded, (std::variant<Packet, PacketError>{Packet{Hello{7, 0xabcdef, 0, 0, 0}}}));
    bytes.pop_back();
    EXPECT_EQ(refusal(bytes), PacketError::WrongLength);
}

TEST(PacketCodec, WireInputClampsThePointerOnly)
{
    EXPECT_EQ(wireInput(MatchInput{{0x81}, {70000, -70000, true, false}}),
              (MatchInput{{0x81}, {kMaxWirePointerOffset, -kMaxWirePointerOffset, true, false}}));
}

} // namespace

#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "PacketCodec.h"

namespace {

constexpr std::uint32_t kNow = 5000; // the receiver's tick in most cases

std::variant<Packet, PacketError> decode(const Datagram& bytes, std::uint32_t now = kNow)
{
    return decodePacket(bytes.data(), bytes.size(), now);
}

MatchInput mouse(std::int32_t x, std::int32_t y, bool left, bool capture)
{
    MatchInput input;
    input.player2 = {x, y, left, capture};
    return input;
}

InputBatch batch(std::uint8_t player, std::vector<MatchInput> inputs, std::uint32_t first = kNow)
{
    return InputBatch{player, kNow, kNow + 2, first, std::move(inputs)};
}

std::vector<Packet> everyKind()
{
    std::vector<MatchInput> full(kMaxInputsPerBatch, mouse(-kMaxWirePointerOffset, kMaxWirePointerOffset, true, true));
    MatchInput keys;
    keys.player1.keys = 0xff;
    return {Hello{},
            Hello{kProtocolVersion, 0xfedcba9876543210, kMaxMatchTicks, 2, kMaxInputDelay},
            batch(1, {keys, MatchInput{}}),
            batch(2, {mouse(3, -4, true, false), mouse(0, 0, false, true)}, kNow - kTickWindow),
            batch(2, full, kNow + kTickWindow - kMaxInputsPerBatch + 1),
            ChecksumReport{kNow, ~0ull},
            Goodbye{GoodbyeReason::Finished, kNow},
            Goodbye{GoodbyeReason::Desync, kNow - 7}};
}

TEST(PacketCodec, EveryKindOfMessageSurvivesTheRoundTrip)
{
    for (const Packet& packet : everyKind()) {
        const auto decoded = decode(encodePacket(packet));
        ASSERT_TRUE(std::holds_alternative<Packet>(decoded)) << packet.index();
        EXPECT_EQ(std::get<Packet>(decoded), packet) << packet.index();
    }
}

TEST(PacketCodec, LayoutIsFixedAndLittleEndian)
{
    // Header "Sk", version, type; then the fields in order, the mouse buttons as bits 0 and 1 of one byte.
    const Datagram checksum = encodePacket(ChecksumReport{0x01020304, 0x1122334455667788});
    EXPECT_EQ(checksum, (Datagram{'S', 'k', 1, 0, 2, 4, 3, 2, 1, 0x88, 0x77, 0x66, 0x55, 0x44, 0x33, 0x22, 0x11}));
    const Datagram inputs = encodePacket(InputBatch{2, 1, 2, 3, {mouse(-1, 2, false, true)}});
    EXPECT_EQ(inputs, (Datagram{'S', 'k', 1, 0, 1, 2,    1,    0,    0,    0, 2, 0, 0, 0,
                                3,   0,   0, 0, 1, 0xff, 0xff, 0xff, 0xff, 2, 0, 0, 0, 2}));
    // The largest datagram stays well inside one network packet.
    EXPECT_LT(encodePacket(everyKind()[4]).size(), 600u);
}

TEST(PacketCodec, RefusesEveryCutOrPaddedDatagram)
{
    for (const Packet& packet : everyKind()) {
        Datagram bytes = encodePacket(packet);
        bytes.push_back(0);
        EXPECT_EQ(decode(bytes), (std::variant<Packet, PacketError>{PacketError::WrongLength})) << packet.index();
        for (bytes.pop_back(); !bytes.empty();) {
            bytes.pop_back();
            EXPECT_TRUE(std::holds_alternative<PacketError>(decode(bytes))) << packet.index() << " " << bytes.size();
        }
    }
}

TEST(PacketCodec, RefusesFieldsOutOfRange)
{
    // Byte offsets in a player 2 batch: player 5, senderTick 6, received 10, firstTick 14, count 18, then
    // records of pointerX, pointerY, buttons.
    const Datagram mouseBatch = encodePacket(batch(2, {mouse(1, 1, false, false)}));
    const auto put32 = [](Datagram& bytes, std::size_t at, std::uint32_t value) {
        for (int i = 0; i < 4; ++i) bytes[at + i] = std::uint8_t(value >> (8 * i));
    };
    struct Case {
        std::string name;
        Datagram bytes;
        std::function<void(Datagram&)> change;
        PacketError error;
    };
    const Case cases[] = {
        {"magic", mouseBatch, [](Datagram& b) { b[0] = 's'; }, PacketError::BadMagic},
        {"version", mouseBatch, [](Datagram& b) { b[2] = 2; }, PacketError::WrongVersion},
        {"type", mouseBatch, [](Datagram& b) { b[4] = 4; }, PacketError::UnknownType},
        {"player 3", mouseBatch, [](Datagram& b) { b[5] = 3; }, PacketError::OutOfRange},
        {"button bits", mouseBatch, [](Datagram& b) { b[27] = 4; }, PacketError::OutOfRange},
        {"pointer x", mouseBatch, [&](Datagram& b) { put32(b, 19, kMaxWirePointerOffset + 1); },
         PacketError::OutOfRange},
        {"pointer y", mouseBatch, [&](Datagram& b) { put32(b, 23, -kMaxWirePointerOffset - 1); },
         PacketError::OutOfRange},
        {"sender tick ahead", mouseBatch, [&](Datagram& b) { put32(b, 6, kNow + kTickWindow + 1); },
         PacketError::OutOfRange},
        {"received behind", mouseBatch, [&](Datagram& b) { put32(b, 10, kNow - kTickWindow - 1); },
         PacketError::OutOfRange},
        {"first tick wraps", mouseBatch, [&](Datagram& b) { put32(b, 14, ~0u); }, PacketError::OutOfRange},
        {"no inputs", mouseBatch, [](Datagram& b) { b.resize(19), b[18] = 0; }, PacketError::OutOfRange},
        {"too many inputs", encodePacket(batch(1, std::vector<MatchInput>(kMaxInputsPerBatch))),
         [](Datagram& b) { b.push_back(0), b[18]++; }, PacketError::OutOfRange},
        {"last tick ahead", encodePacket(batch(1, std::vector<MatchInput>(2), kNow + kTickWindow)), [](Datagram&) {},
         PacketError::OutOfRange},
        {"hello player", encodePacket(Hello{}), [](Datagram& b) { b[17] = 3; }, PacketError::OutOfRange},
        {"hello delay", encodePacket(Hello{}), [](Datagram& b) { b[18] = kMaxInputDelay + 1; },
         PacketError::OutOfRange},
        {"match length", encodePacket(Hello{}), [&](Datagram& b) { put32(b, 13, kMaxMatchTicks + 1); },
         PacketError::OutOfRange},
        {"checksum tick 0", encodePacket(ChecksumReport{1, 5}), [&](Datagram& b) { put32(b, 5, 0); },
         PacketError::OutOfRange},
        {"goodbye reason", encodePacket(Goodbye{}), [](Datagram& b) { b[5] = 3; }, PacketError::OutOfRange},
    };
    for (const Case& c : cases) {
        Datagram bytes = c.bytes;
        c.change(bytes);
        EXPECT_EQ(decode(bytes), (std::variant<Packet, PacketError>{c.error})) << c.name;
    }
    // The window is relative: tick 0 is fine at the start of a match and refused late in one.
    EXPECT_TRUE(std::holds_alternative<Packet>(decode(encodePacket(Goodbye{}), 0)));
    EXPECT_TRUE(std::holds_alternative<PacketError>(decode(encodePacket(Goodbye{}), kTickWindow + 1)));
}

TEST(PacketCodec, HelloOfAnotherVersionKeepsWhatARefusalNames)
{
    Datagram bytes = encodePacket(Hello{7, 0xabcdef, 100, 1, 2});
    bytes.resize(13); // another version may lay out the rest differently, or not send it
    EXPECT_EQ(decode(bytes), (std::variant<Packet, PacketError>{Packet{Hello{7, 0xabcdef, 0, 0, 0}}}));
    bytes.pop_back();
    EXPECT_EQ(decode(bytes), (std::variant<Packet, PacketError>{PacketError::WrongLength}));
}

TEST(PacketCodec, WireInputClampsThePointerOnly)
{
    MatchInput input = mouse(70000, -70000, true, false);
    input.player1.keys = 0x81;
    MatchInput expected = mouse(kMaxWirePointerOffset, -kMaxWirePointerOffset, true, false);
    expected.player1.keys = 0x81;
    EXPECT_EQ(wireInput(input), expected);
}

} // namespace

// Hands arbitrary bytes to the datagram decoder, as a hostile peer would. Anything it accepts must encode back
// to exactly the same bytes: otherwise the decoder let through something the encoder cannot express. The first
// four bytes choose the receiver's tick, so the tick window is tried near zero and late in a match.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "PacketCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 4) return 0;
    std::uint32_t now = 0;
    std::memcpy(&now, data, 4);
    data += 4;
    size -= 4;
    const auto decoded = decodePacket(data, size, now % (kMaxMatchTicks + 1));
    const Packet* packet = std::get_if<Packet>(&decoded);
    if (!packet) return 0;
    const auto* hello = std::get_if<Hello>(packet);
    // Of another version's hello only the prefix every version shares is read.
    if (hello && hello->version != kProtocolVersion) return 0;
    const Datagram again = encodePacket(*packet);
    if (again.size() != size || std::memcmp(again.data(), data, size) != 0) std::abort();
    return 0;
}

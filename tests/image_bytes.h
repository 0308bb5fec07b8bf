#pragma once
// Image files built in memory, for the tests of the image checks and of textures.
#include <cstdint>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>
#define ZLIB_CONST
#include <zlib.h>

using Bytes = std::vector<unsigned char>;

// A copy with 32-bit little-endian fields rewritten: {offset, value} pairs.
inline Bytes withFields(Bytes bytes, std::initializer_list<std::pair<std::size_t, std::uint32_t>> fields)
{
    for (const auto& [at, value] : fields)
        for (int i = 0; i < 4; ++i) bytes.at(at + i) = static_cast<unsigned char>(value >> 8 * i);
    return bytes;
}

inline Bytes zlibStream(const Bytes& data)
{
    uLongf size = compressBound(uLong(data.size()));
    Bytes stream(size);
    compress(stream.data(), &size, data.data(), uLong(data.size()));
    return Bytes(stream.begin(), stream.begin() + std::ptrdiff_t(size));
}

// A PNG with the given header fields and the given chunks between its header and end chunks.
inline Bytes makePng(std::uint32_t width, std::uint32_t height, unsigned char depth, unsigned char colourType,
                     unsigned char interlace, std::vector<std::pair<std::string, Bytes>> chunks)
{
    const auto append32 = [](Bytes& bytes, std::uint32_t value) {
        for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back(static_cast<unsigned char>(value >> shift));
    };
    Bytes header, png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    append32(header, width);
    append32(header, height);
    header.insert(header.end(), {depth, colourType, 0, 0, interlace});
    chunks.insert(chunks.begin(), {"IHDR", header});
    chunks.push_back({"IEND", {}});
    for (const auto& [type, data] : chunks) {
        append32(png, std::uint32_t(data.size()));
        png.insert(png.end(), type.begin(), type.end());
        png.insert(png.end(), data.begin(), data.end());
        append32(png, std::uint32_t(crc32(0, png.data() + png.size() - data.size() - 4, uInt(data.size() + 4))));
    }
    return png;
}

// An uncompressed bitmap of zero pixels, bottom-up or (height < 0) top-down, its rows padded to 4 bytes; up to
// 8 bits with a full palette, at 16 or 32 with bit-field masks if asked (after an info header of 40 bytes, inside
// the longer ones).
inline Bytes makeBmp(int width, int height, int bitsPerPixel, bool bitFields = false, std::uint32_t headerBytes = 40)
{
    const std::uint32_t offset =
        14 + headerBytes + (bitsPerPixel <= 8 ? 4u << bitsPerPixel : 0) + (bitFields && headerBytes == 40 ? 12 : 0);
    Bytes bmp(offset + std::size_t((width * bitsPerPixel + 31) / 32 * 4 * std::abs(height)));
    bmp[0] = 'B', bmp[1] = 'M';
    bmp = withFields(bmp, {{10, offset}, {14, headerBytes}, {18, width}, {22, height}, {26, 1 | bitsPerPixel << 16}});
    if (!bitFields) return bmp;
    const bool wide = bitsPerPixel == 32;
    return withFields(bmp,
                      {{30, 3}, {54, wide ? 0xFF0000 : 0x7C00}, {58, wide ? 0xFF00 : 0x3E0}, {62, wide ? 0xFF : 0x1F}});
}

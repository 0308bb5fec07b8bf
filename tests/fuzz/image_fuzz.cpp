// Runs the image checks on arbitrary bytes and hands what they accept to the image library, decoded from
// memory as the game does and converted as its texture upload does. A crash or a leak in the library
// on an accepted file is a fault of the checks.
//
// The first byte steers the rest towards files the checks accept, so mutations get past them into the
// decoder: bit 0 stores the PNG image data's bytes, sized to what the header implies, as a valid zlib
// stream; bit 1 rewrites every PNG chunk checksum.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <zlib.h>

#include <IL/il.h>

#include "ImageFile.h"

namespace {

constexpr unsigned kCompressImageData = 1;
constexpr unsigned kRepairChecksums = 2;
constexpr std::size_t kSignatureBytes = 8;

std::uint32_t readBigEndian32(const Bytes& bytes, std::size_t at)
{
    return static_cast<std::uint32_t>(bytes[at]) << 24 | static_cast<std::uint32_t>(bytes[at + 1]) << 16 |
           static_cast<std::uint32_t>(bytes[at + 2]) << 8 | static_cast<std::uint32_t>(bytes[at + 3]);
}

void appendBigEndian32(Bytes& bytes, std::uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back(static_cast<unsigned char>(value >> shift));
}

// Calls visit(at, length) for each whole chunk of a PNG, in order.
template <typename Visit> void forEachChunk(const Bytes& png, Visit visit)
{
    for (std::size_t at = kSignatureBytes; png.size() >= at + 12;) {
        const std::size_t length = readBigEndian32(png, at);
        if (length > png.size() - at - 12) return;
        visit(at, length);
        at += length + 12;
    }
}

void appendChunk(Bytes& png, const char* type, const Bytes& data)
{
    appendBigEndian32(png, static_cast<std::uint32_t>(data.size()));
    const std::size_t typeAt = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    appendBigEndian32(png, crc32(0, png.data() + typeAt, static_cast<uInt>(data.size() + 4)));
}

// The image data chunks' bytes, repeated or cut to the inflated size and compressed into one chunk where
// the first one was.
void compressImageData(Bytes& png)
{
    if (png.size() < kSignatureBytes) return;
    Bytes raw;
    Bytes before(png.begin(), png.begin() + kSignatureBytes);
    Bytes after;
    forEachChunk(png, [&](std::size_t at, std::size_t length) {
        const auto chunk = png.begin() + static_cast<std::ptrdiff_t>(at);
        const auto end = chunk + static_cast<std::ptrdiff_t>(length + 12);
        if (std::string(chunk + 4, chunk + 8) == "IDAT") {
            raw.insert(raw.end(), chunk + 8, end - 4);
        } else {
            Bytes& out = raw.empty() ? before : after;
            out.insert(out.end(), chunk, end);
        }
    });
    const std::uint64_t inflated = pngInflatedBytes(png);
    if (raw.empty() || inflated == 0 || inflated > (1u << 22)) return;
    for (std::size_t i = raw.size(); i < inflated; ++i) raw.push_back(raw[i % raw.size()]);
    raw.resize(inflated);
    uLongf packedBytes = compressBound(raw.size());
    Bytes packed(packedBytes);
    if (compress(packed.data(), &packedBytes, raw.data(), raw.size()) != Z_OK) return;
    packed.resize(packedBytes);
    appendChunk(before, "IDAT", packed);
    before.insert(before.end(), after.begin(), after.end());
    png = before;
}

void repairChecksums(Bytes& png)
{
    forEachChunk(png, [&](std::size_t at, std::size_t length) {
        const std::uint32_t crc = crc32(0, png.data() + at + 4, static_cast<uInt>(length + 4));
        for (int i = 0; i < 4; ++i) png[at + 8 + length + i] = static_cast<unsigned char>(crc >> (24 - 8 * i));
    });
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    ilInit();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) return 0;
    Bytes bytes(data + 1, data + size);
    if (data[0] & kCompressImageData) compressImageData(bytes);
    if (data[0] & kRepairChecksums) repairChecksums(bytes);
    std::string problem;
    const ImageFormat format = checkedImageFormat(bytes, problem);
    if (format == ImageFormat::Unknown) return 0;
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    if (ilLoadL(format == ImageFormat::Png ? IL_PNG : IL_BMP, bytes.data(), static_cast<ILuint>(bytes.size()))) {
        // The library's conversion does not bound palette indices, so one past the palette reads beyond it.
        if (ilGetInteger(IL_IMAGE_FORMAT) == IL_COLOUR_INDEX) {
            const ILubyte* pixels = ilGetData();
            const ILint colours = ilGetInteger(IL_PALETTE_NUM_COLS);
            for (ILint i = 0; i < ilGetInteger(IL_IMAGE_SIZE_OF_DATA); ++i)
                if (pixels[i] >= colours) std::abort();
        }
        ilConvertImage(IL_RGBA, IL_UNSIGNED_BYTE);
    }
    ilDeleteImages(1, &image);
    while (ilGetError() != IL_NO_ERROR) {
    }
    return 0;
}

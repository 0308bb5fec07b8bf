// Hands what the image checks accept to the image library as the texture upload does: a crash or a leak there
// is a fault of the checks. The first byte steers the rest past them: bits 0 or 1 mend the PNG checksums; bit 0
// also recompresses each image data chunk's bytes, repeated or cut to the size the header implies.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <zlib.h>

#include <IL/il.h>

#include "ImageFile.h"

namespace {

void put32(Bytes& bytes, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<unsigned char>(value >> (24 - 8 * i));
}

void repairPng(Bytes& png, bool recompress)
{
    const std::uint64_t inflated = pngInflatedBytes(png);
    for (std::size_t at = 8, length = 0; png.size() - at >= 12; at += length + 12) {
        length = std::size_t(png[at]) << 24 | png[at + 1] << 16 | png[at + 2] << 8 | png[at + 3];
        if (length > png.size() - at - 12) return;
        if (recompress && length > 0 && inflated > 0 && inflated <= (1u << 22) &&
            std::string(png.begin() + at + 4, png.begin() + at + 8) == "IDAT") {
            Bytes raw(inflated);
            for (std::size_t i = 0; i < raw.size(); ++i) raw[i] = png[at + 8 + i % length];
            uLongf packed = compressBound(uLong(inflated));
            Bytes data(packed);
            compress(data.data(), &packed, raw.data(), uLong(inflated));
            png.erase(png.begin() + at + 8, png.begin() + at + 8 + length);
            png.insert(png.begin() + at + 8, data.begin(), data.begin() + std::ptrdiff_t(packed));
            put32(png, at, std::uint32_t(length = packed));
        }
        put32(png, at + 8 + length, std::uint32_t(crc32(0, png.data() + at + 4, uInt(length + 4))));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool initialised = (ilInit(), true);
    if (!initialised || size == 0) return 0;
    Bytes bytes(data + 1, data + size);
    if ((data[0] & 3) != 0 && bytes.size() >= 8) repairPng(bytes, data[0] & 1);
    std::string problem;
    const ImageFormat format = checkedImageFormat(bytes, problem);
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    if (format != ImageFormat::Unknown &&
        ilLoadL(format == ImageFormat::Png ? IL_PNG : IL_BMP, bytes.data(), ILuint(bytes.size()))) {
        // The library's conversion does not bound palette indices, so one past the palette reads beyond it.
        const ILint colours =
            ilGetInteger(IL_IMAGE_FORMAT) == IL_COLOUR_INDEX ? ilGetInteger(IL_PALETTE_NUM_COLS) : 256;
        for (ILint i = 0; colours < 256 && i < ilGetInteger(IL_IMAGE_SIZE_OF_DATA); ++i)
            if (ilGetData()[i] >= colours) std::abort();
        ilConvertImage(IL_RGBA, IL_UNSIGNED_BYTE);
    }
    ilDeleteImages(1, &image);
    while (ilGetError() != IL_NO_ERROR) {
    }
    return 0;
}

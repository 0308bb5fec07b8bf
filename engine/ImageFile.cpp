#include "ImageFile.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

namespace {

// A game image is far smaller; anything larger is refused before it is read.
constexpr std::uintmax_t kMaxImageFileBytes = 64u << 20;
// Larger sides than this are no game image; the limit also keeps every size product below 2^32.
constexpr std::int64_t kMaxImageSide = 8192;

std::uint32_t readBigEndian32(const Bytes& bytes, std::size_t at)
{
    return static_cast<std::uint32_t>(bytes[at]) << 24 | static_cast<std::uint32_t>(bytes[at + 1]) << 16 |
           static_cast<std::uint32_t>(bytes[at + 2]) << 8 | static_cast<std::uint32_t>(bytes[at + 3]);
}

std::uint32_t readLittleEndian32(const Bytes& bytes, std::size_t at)
{
    return static_cast<std::uint32_t>(bytes[at + 3]) << 24 | static_cast<std::uint32_t>(bytes[at + 2]) << 16 |
           static_cast<std::uint32_t>(bytes[at + 1]) << 8 | static_cast<std::uint32_t>(bytes[at]);
}

std::uint32_t readLittleEndian16(const Bytes& bytes, std::size_t at)
{
    return static_cast<std::uint32_t>(bytes[at + 1]) << 8 | static_cast<std::uint32_t>(bytes[at]);
}

// The PNG chunk checksum (CRC-32, polynomial 0xEDB88320) over bytes [begin, end).
std::uint32_t pngCrc(const Bytes& bytes, std::size_t begin, std::size_t end)
{
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = begin; i < end; ++i) {
        crc ^= bytes[i];
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return crc ^ 0xFFFFFFFFu;
}

bool isSoundPngHeader(const Bytes& bytes, std::size_t data)
{
    const std::int64_t width = readBigEndian32(bytes, data);
    const std::int64_t height = readBigEndian32(bytes, data + 4);
    const unsigned depth = bytes[data + 8];
    const unsigned colourType = bytes[data + 9];
    if (width < 1 || width > kMaxImageSide || height < 1 || height > kMaxImageSide) return false;
    if (bytes[data + 10] != 0 || bytes[data + 11] != 0 || bytes[data + 12] > 1) return false;
    switch (colourType) {
    case 0: return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case 3: return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    case 2:
    case 4:
    case 6: return depth == 8 || depth == 16;
    default: return false;
    }
}

} // namespace

// A truncated or damaged file is turned away before the decoder sees it.
bool isSoundPng(const Bytes& bytes)
{
    static constexpr unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    constexpr std::size_t kChunkOverhead = 12; // length, type, checksum
    if (bytes.size() < sizeof kSignature || !std::equal(kSignature, kSignature + 8, bytes.begin())) return false;
    bool sawImageData = false;
    for (std::size_t at = sizeof kSignature; bytes.size() - at >= kChunkOverhead;) {
        const std::size_t length = readBigEndian32(bytes, at);
        if (length > bytes.size() - at - kChunkOverhead) return false;
        const std::string type(bytes.begin() + static_cast<std::ptrdiff_t>(at + 4),
                               bytes.begin() + static_cast<std::ptrdiff_t>(at + 8));
        const std::size_t data = at + 8;
        if (pngCrc(bytes, at + 4, data + length) != readBigEndian32(bytes, data + length)) return false;
        const bool first = at == sizeof kSignature;
        if (first != (type == "IHDR")) return false;
        if (first && (length != 13 || !isSoundPngHeader(bytes, data))) return false;
        if (type == "IDAT") sawImageData = true;
        if (type == "IEND") return sawImageData;
        at = data + length + 4;
    }
    return false;
}

// Run-length encoded bitmaps are refused: the game ships none.
bool isSoundBmp(const Bytes& bytes)
{
    constexpr std::size_t kFileHeaderBytes = 14;
    constexpr std::uint32_t kUncompressed = 0;
    constexpr std::uint32_t kBitFields = 3;
    if (bytes.size() < kFileHeaderBytes + 40 || bytes[0] != 'B' || bytes[1] != 'M') return false;
    const std::uint64_t pixelOffset = readLittleEndian32(bytes, 10);
    const std::uint64_t headerBytes = readLittleEndian32(bytes, 14);
    if (headerBytes != 40 && headerBytes != 52 && headerBytes != 56 && headerBytes != 108 && headerBytes != 124)
        return false;
    if (kFileHeaderBytes + headerBytes > bytes.size()) return false;
    const std::int64_t width = static_cast<std::int32_t>(readLittleEndian32(bytes, 18));
    const std::int64_t height = static_cast<std::int32_t>(readLittleEndian32(bytes, 22));
    const std::uint32_t bitsPerPixel = readLittleEndian16(bytes, 28);
    const std::uint32_t compression = readLittleEndian32(bytes, 30);
    if (width < 1 || width > kMaxImageSide || height == 0 || height > kMaxImageSide || height < -kMaxImageSide)
        return false;
    if (readLittleEndian16(bytes, 26) != 1) return false;
    if (bitsPerPixel != 1 && bitsPerPixel != 4 && bitsPerPixel != 8 && bitsPerPixel != 16 && bitsPerPixel != 24 &&
        bitsPerPixel != 32)
        return false;
    const bool bitFields = compression == kBitFields && (bitsPerPixel == 16 || bitsPerPixel == 32);
    if (compression != kUncompressed && !bitFields) return false;

    std::uint64_t tableBytes = bitFields && headerBytes == 40 ? 12 : 0;
    if (bitsPerPixel <= 8) {
        const std::uint64_t maxColours = 1u << bitsPerPixel;
        const std::uint64_t usedColours = readLittleEndian32(bytes, 46);
        if (usedColours > maxColours) return false;
        tableBytes = 4 * (usedColours != 0 ? usedColours : maxColours);
    }
    if (pixelOffset < kFileHeaderBytes + headerBytes + tableBytes) return false;
    const std::uint64_t rowBytes = (static_cast<std::uint64_t>(width) * bitsPerPixel + 31) / 32 * 4;
    const std::uint64_t rows = static_cast<std::uint64_t>(height < 0 ? -height : height);
    return pixelOffset + rowBytes * rows <= bytes.size();
}

// The whole file, or false when it is missing, not a regular file, or too large to be an image.
bool readImageFile(const std::string& path, Bytes& bytes)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return false;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error || size > kMaxImageFileBytes) return false;
    std::ifstream file(path, std::ios::binary);
    bytes.resize(static_cast<std::size_t>(size));
    file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size));
    return file && file.gcount() == static_cast<std::streamsize>(size);
}

ImageFormat checkedImageFormat(const Bytes& bytes)
{
    if (isSoundPng(bytes)) return ImageFormat::Png;
    if (isSoundBmp(bytes)) return ImageFormat::Bmp;
    return ImageFormat::Unknown;
}

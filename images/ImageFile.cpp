#include "ImageFile.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <utility>

#define ZLIB_CONST
#include <zlib.h>

namespace {

// Big enough for a 4096 x 4096 bitmap at 32 bits per pixel with its headers; larger files are
// refused before they are read.
constexpr std::uintmax_t kMaxImageFileBytes = 80u << 20;
constexpr unsigned char kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::size_t kPngChunkOverhead = 12; // length, type, checksum

struct PngHeader {
    std::uint64_t width = 0;
    std::uint64_t height = 0;
    unsigned bitsPerPixel = 0;
    bool interlaced = false;
    unsigned paletteColours = 0; // entries a palette image's palette must hold; 0 for other images
};

// Where a chunk's data starts in the file, and its length.
using Span = std::pair<std::size_t, std::size_t>;

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

std::string oversizeProblem(std::uint64_t width, std::uint64_t height)
{
    const std::string cap = std::to_string(kMaxImageSide);
    return "declares " + std::to_string(width) + " x " + std::to_string(height) + ", larger than " + cap + " x " + cap;
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

// Bits per pixel of a valid colour type and bit depth pair, or 0.
unsigned pngBitsPerPixel(unsigned colourType, unsigned depth)
{
    const bool lowDepth = depth == 1 || depth == 2 || depth == 4;
    switch (colourType) {
    case 0: return lowDepth || depth == 8 || depth == 16 ? depth : 0; // grey
    case 3: return lowDepth || depth == 8 ? depth : 0;                // palette index
    case 2: return depth == 8 || depth == 16 ? 3 * depth : 0;         // RGB
    case 4: return depth == 8 || depth == 16 ? 2 * depth : 0;         // grey and alpha
    case 6: return depth == 8 || depth == 16 ? 4 * depth : 0;         // RGB and alpha
    default: return 0;
    }
}

// The header chunk, which must come right after the signature; why it is unusable, or "".
std::string readPngHeader(const Bytes& bytes, PngHeader& header)
{
    constexpr std::size_t kData = sizeof kPngSignature + 8;
    constexpr char kType[] = "IHDR";
    if (bytes.size() < kData + 13 + 4 || readBigEndian32(bytes, kData - 8) != 13 ||
        !std::equal(kType, kType + 4, bytes.begin() + kData - 4))
        return "PNG does not start with a header chunk";
    header.width = readBigEndian32(bytes, kData);
    header.height = readBigEndian32(bytes, kData + 4);
    header.bitsPerPixel = pngBitsPerPixel(bytes[kData + 9], bytes[kData + 8]);
    header.interlaced = bytes[kData + 12] == 1;
    header.paletteColours = bytes[kData + 9] == 3 && header.bitsPerPixel != 0 ? 1u << header.bitsPerPixel : 0;
    if (header.width == 0 || header.height == 0) return "PNG declares an empty image";
    if (header.width > kMaxImageSide || header.height > kMaxImageSide)
        return oversizeProblem(header.width, header.height);
    if (header.bitsPerPixel == 0) return "PNG declares an invalid colour type and bit depth";
    if (bytes[kData + 10] != 0 || bytes[kData + 11] != 0 || bytes[kData + 12] > 1)
        return "PNG declares an unknown compression, filter or interlace method";
    return "";
}

// The rows of the whole image, or of one Adam7 pass; each row is a filter byte and the packed pixels.
struct PngPass {
    std::uint64_t rows;
    std::uint64_t rowBytes;
};

// The passes that hold any pixels, in order.
std::vector<PngPass> pngPasses(const PngHeader& header)
{
    const auto rowBytes = [&](std::uint64_t width) { return 1 + (width * header.bitsPerPixel + 7) / 8; };
    if (!header.interlaced) return {{header.height, rowBytes(header.width)}};
    // Adam7: each pass's first column, first row, column step and row step.
    constexpr std::uint64_t kAdam7[7][4] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                            {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
    std::vector<PngPass> passes;
    for (const auto& pass : kAdam7) {
        const std::uint64_t width = (header.width + pass[2] - 1 - pass[0]) / pass[2];
        const std::uint64_t rows = (header.height + pass[3] - 1 - pass[1]) / pass[3];
        if (width > 0 && rows > 0) passes.push_back({rows, rowBytes(width)});
    }
    return passes;
}

std::uint64_t inflatedBytes(const PngHeader& header)
{
    std::uint64_t total = 0;
    for (const PngPass& pass : pngPasses(header)) total += pass.rows * pass.rowBytes;
    return total;
}

// Why the image data chunks, read as one zlib stream, fail to inflate to exactly the rows the header
// implies, each with a known filter type, and nothing left over; or "". The output passes through a
// small buffer and stops once past the expected size, so a small file cannot cost much memory or time.
std::string imageDataProblem(const Bytes& bytes, const std::vector<Span>& chunks, const PngHeader& header)
{
    constexpr unsigned kMaxFilterType = 4;
    const std::vector<PngPass> passes = pngPasses(header);
    const std::uint64_t expected = inflatedBytes(header);
    std::uint64_t supplied = 0;
    for (const Span& chunk : chunks) supplied += chunk.second;
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK) return "out of memory";
    unsigned char buffer[16384];
    std::uint64_t produced = 0;
    std::uint64_t nextFilter = 0; // offset of the next row's filter byte in the inflated data
    std::size_t pass = 0;
    std::uint64_t rowsLeft = passes[0].rows;
    bool knownFilters = true;
    int status = Z_OK;
    for (const auto& [data, length] : chunks) {
        stream.next_in = bytes.data() + data;
        stream.avail_in = static_cast<uInt>(length);
        do {
            stream.next_out = buffer;
            stream.avail_out = sizeof buffer;
            status = inflate(&stream, Z_NO_FLUSH);
            const std::uint64_t start = produced;
            produced += sizeof buffer - stream.avail_out;
            while (pass < passes.size() && nextFilter < produced) {
                knownFilters = knownFilters && buffer[nextFilter - start] <= kMaxFilterType;
                nextFilter += passes[pass].rowBytes;
                if (--rowsLeft == 0 && ++pass < passes.size()) rowsLeft = passes[pass].rows;
            }
        } while (status == Z_OK && produced <= expected && (stream.avail_in > 0 || stream.avail_out == 0));
        // Z_BUF_ERROR only asks for the next chunk.
        if ((status != Z_OK && status != Z_BUF_ERROR) || produced > expected) break;
    }
    const bool exact = status == Z_STREAM_END && produced == expected && stream.total_in == supplied;
    inflateEnd(&stream);
    if (!exact) return "pixel data does not inflate to the declared size";
    return knownFilters ? "" : "PNG pixel rows name an unknown filter type";
}

// Why bytes that start with the PNG signature are unsafe to decode, or "".
std::string pngProblem(const Bytes& bytes)
{
    PngHeader header;
    if (std::string problem = readPngHeader(bytes, header); !problem.empty()) return problem;
    std::vector<Span> imageData;
    std::string previousType;
    std::size_t paletteColours = 0;
    for (std::size_t at = sizeof kPngSignature;;) {
        if (bytes.size() - at < kPngChunkOverhead) return "PNG is cut short (no end chunk)";
        const std::size_t length = readBigEndian32(bytes, at);
        if (length > bytes.size() - at - kPngChunkOverhead)
            return "PNG is cut short (a chunk runs past the end of the file)";
        const std::size_t data = at + 8;
        const std::string type(bytes.begin() + static_cast<std::ptrdiff_t>(at + 4),
                               bytes.begin() + static_cast<std::ptrdiff_t>(data));
        if (pngCrc(bytes, at + 4, data + length) != readBigEndian32(bytes, data + length))
            return "PNG has a chunk with a bad checksum";
        if (type == "IHDR" && at != sizeof kPngSignature) return "PNG repeats its header chunk";
        if (type == "PLTE") paletteColours = length % 3 == 0 ? length / 3 : 0;
        if (type == "IDAT") {
            // The library leaks on split image data, and its conversion reads past a palette that
            // lacks an entry for some index; checking each pixel instead would mean unfiltering.
            if (!imageData.empty() && previousType != "IDAT") return "PNG image data chunks are not consecutive";
            if (paletteColours < header.paletteColours)
                return "PNG palette is missing or shorter than its bit depth needs";
            imageData.emplace_back(data, length);
        }
        if (type == "IEND") break;
        previousType = type;
        at = data + length + 4;
    }
    if (imageData.empty()) return "PNG has no image data";
    return imageDataProblem(bytes, imageData, header);
}

// Why bytes that start with "BM" are unsafe to decode, or "". Run-length encoded bitmaps are refused:
// the game ships none.
std::string bmpProblem(const Bytes& bytes)
{
    constexpr std::size_t kFileHeaderBytes = 14;
    constexpr std::uint32_t kUncompressed = 0;
    constexpr std::uint32_t kBitFields = 3;
    if (bytes.size() < kFileHeaderBytes + 40) return "BMP is cut short (headers)";
    const std::uint64_t pixelOffset = readLittleEndian32(bytes, 10);
    const std::uint64_t headerBytes = readLittleEndian32(bytes, 14);
    if (headerBytes != 40 && headerBytes != 52 && headerBytes != 56 && headerBytes != 108 && headerBytes != 124)
        return "BMP has an unknown info header size of " + std::to_string(headerBytes) + " bytes";
    if (kFileHeaderBytes + headerBytes > bytes.size()) return "BMP is cut short (headers)";
    const std::int64_t width = static_cast<std::int32_t>(readLittleEndian32(bytes, 18));
    const std::int64_t height = static_cast<std::int32_t>(readLittleEndian32(bytes, 22));
    const std::uint64_t rows = static_cast<std::uint64_t>(height < 0 ? -height : height); // < 0 is top-down
    const std::uint32_t bitsPerPixel = readLittleEndian16(bytes, 28);
    const std::uint32_t compression = readLittleEndian32(bytes, 30);
    if (width < 1 || rows == 0) return "BMP declares an empty or negative size";
    if (static_cast<std::uint64_t>(width) > kMaxImageSide || rows > kMaxImageSide)
        return oversizeProblem(static_cast<std::uint64_t>(width), rows);
    if (readLittleEndian16(bytes, 26) != 1) return "BMP declares other than one colour plane";
    if (bitsPerPixel != 1 && bitsPerPixel != 4 && bitsPerPixel != 8 && bitsPerPixel != 16 && bitsPerPixel != 24 &&
        bitsPerPixel != 32)
        return "BMP has an unsupported depth of " + std::to_string(bitsPerPixel) + " bits per pixel";
    const bool bitFields = compression == kBitFields && (bitsPerPixel == 16 || bitsPerPixel == 32);
    if (compression != kUncompressed && !bitFields)
        return "BMP has an unsupported compression (" + std::to_string(compression) + ")";

    // A 40-byte info header is followed by its bit-field masks; the longer ones hold them.
    std::uint64_t tableBytes = bitFields && headerBytes == 40 ? 12 : 0;
    if (bitsPerPixel <= 8) {
        const std::uint64_t maxColours = 1u << bitsPerPixel;
        const std::uint64_t usedColours = readLittleEndian32(bytes, 46);
        // The library's conversion reads past a palette that lacks an entry for some index.
        if (usedColours != 0 && usedColours != maxColours)
            return "BMP palette does not hold every colour its bit depth needs";
        tableBytes = 4 * maxColours;
    }
    if (pixelOffset < kFileHeaderBytes + headerBytes + tableBytes)
        return "BMP pixel data offset points inside its headers";
    const std::uint64_t rowBytes = (static_cast<std::uint64_t>(width) * bitsPerPixel + 31) / 32 * 4;
    if (pixelOffset + rowBytes * rows > bytes.size())
        return "BMP is cut short (its pixel rows, each padded to 4 bytes, run past the end of the file)";
    return "";
}

} // namespace

bool readImageFile(const std::string& path, Bytes& bytes, std::string& problem)
{
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::file_type type = fs::status(path, error).type();
    if (type != fs::file_type::regular) {
        problem = type == fs::file_type::not_found   ? "no such file"
                  : type == fs::file_type::directory ? "is a directory"
                  : error                            ? error.message()
                                                     : "not a regular file";
        return false;
    }
    const std::uintmax_t size = fs::file_size(path, error);
    if (!error && size > kMaxImageFileBytes) {
        problem = "file is larger than " + std::to_string(kMaxImageFileBytes >> 20) + " MiB";
        return false;
    }
    std::ifstream file(path, std::ios::binary);
    if (!error) {
        bytes.resize(static_cast<std::size_t>(size));
        file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size));
    }
    if (error || !file || file.gcount() != static_cast<std::streamsize>(size)) {
        problem = "could not be read";
        return false;
    }
    return true;
}

ImageFormat checkedImageFormat(const Bytes& bytes, std::string& problem)
{
    if (bytes.empty()) {
        problem = "file is empty";
        return ImageFormat::Unknown;
    }
    if (bytes.size() >= sizeof kPngSignature && std::equal(kPngSignature, kPngSignature + 8, bytes.begin())) {
        problem = pngProblem(bytes);
        return problem.empty() ? ImageFormat::Png : ImageFormat::Unknown;
    }
    if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M') {
        problem = bmpProblem(bytes);
        return problem.empty() ? ImageFormat::Bmp : ImageFormat::Unknown;
    }
    problem = "not a PNG or BMP file (bad signature)";
    return ImageFormat::Unknown;
}

std::uint64_t pngInflatedBytes(const Bytes& png)
{
    PngHeader header;
    return readPngHeader(png, header).empty() ? inflatedBytes(header) : 0;
}

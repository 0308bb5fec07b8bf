// The checks between untrusted image files and the image library, with no display: every form of image they
// reason about passes them and decodes in the library, and a damaged twin of each is refused with its reason.
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <string>
#include <tuple>
#include <unistd.h>
#include <vector>

#include <IL/il.h>

#include "ImageFile.h"
#include "image_bytes.h"

namespace {

using Size = std::pair<ILint, ILint>;

// The size the image library decodes bytes to, in the format they were checked as; {0, 0} when it fails.
Size decodedSize(const Bytes& bytes, ImageFormat format)
{
    static const bool initialised = (ilInit(), true);
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    Size size{0, 0};
    if (initialised && ilLoadL(format == ImageFormat::Png ? IL_PNG : IL_BMP, bytes.data(), ILuint(bytes.size())))
        size = {ilGetInteger(IL_IMAGE_WIDTH), ilGetInteger(IL_IMAGE_HEIGHT)};
    ilDeleteImages(1, &image);
    while (ilGetError() != IL_NO_ERROR) {
    }
    return size;
}

// The problem the checks find in bytes, "" when they pass them as format.
std::string problemIn(const Bytes& bytes, ImageFormat format)
{
    std::string problem;
    const ImageFormat found = checkedImageFormat(bytes, problem);
    return found == format || !problem.empty() ? problem : "passed as the other format";
}

// The rows of a PNG, as {rows, bytes per row with its filter byte}, pass by pass: every pixel belongs to the pass
// its place in the repeating 8 x 8 pattern names (all to the first when not interlaced). Empty passes are left out.
std::vector<std::pair<std::uint32_t, std::uint64_t>> pngRows(std::uint32_t width, std::uint32_t height,
                                                             unsigned bitsPerPixel, bool interlaced)
{
    constexpr const char* kPattern[8] = {"16462646", "77777777", "56565656", "77777777",
                                         "36463646", "77777777", "56565656", "77777777"};
    std::vector<std::pair<std::uint32_t, std::uint64_t>> rows;
    for (char pass = '1'; pass <= '7'; ++pass) {
        std::uint32_t count = 0, pixels = 0;
        for (std::uint32_t y = 0; y < height; ++y) {
            std::uint32_t inRow = 0;
            for (std::uint32_t x = 0; x < width; ++x) inRow += (interlaced ? kPattern[y % 8][x % 8] : '1') == pass;
            if (inRow > 0) ++count, pixels = inRow;
        }
        if (count > 0) rows.push_back({count, 1 + (std::uint64_t(pixels) * bitsPerPixel + 7) / 8});
    }
    return rows;
}

enum class Damage { ShortData, LongData, BadFirstFilter, BadLastFilter, ShortPalette, Split };

// A PNG to build, and how its twin is damaged.
struct PngForm {
    const char* name;
    std::uint32_t width, height;
    unsigned char depth, colourType;
    bool interlaced;
    std::size_t chunkBytes; // of each image data chunk but the last, compressed; 0: all in one
    bool flushed;           // instead, each chunk inflates to chunkBytes and ends on a flush of the stream
    Damage damage;
};

// A zlib stream of data in pieces, each of which inflates to flushEvery bytes but the last.
std::vector<Bytes> deflatedPieces(const Bytes& data, std::size_t flushEvery)
{
    z_stream stream{};
    deflateInit(&stream, Z_DEFAULT_COMPRESSION);
    std::vector<Bytes> pieces;
    for (std::size_t at = 0; at < data.size(); at += flushEvery) {
        const std::size_t size = std::min(flushEvery, data.size() - at);
        Bytes piece(deflateBound(&stream, uLong(size)) + 64);
        stream.next_in = data.data() + at;
        stream.avail_in = uInt(size);
        stream.next_out = piece.data();
        stream.avail_out = uInt(piece.size());
        deflate(&stream, at + size == data.size() ? Z_FINISH : Z_SYNC_FLUSH);
        piece.resize(piece.size() - stream.avail_out);
        pieces.push_back(piece);
    }
    deflateEnd(&stream);
    return pieces;
}

// An image of rows cycling through the five filter types; its pixel bytes, never a filter type, would show a row
// boundary in the wrong place, and repeat so that the data inflates far beyond its compressed size. Damaged if
// asked.
Bytes makeValidPng(const PngForm& form, bool damaged = false)
{
    const unsigned channels[7] = {1, 0, 3, 1, 2, 0, 4};
    const unsigned bitsPerPixel = form.depth * channels[form.colourType];
    Bytes rows;
    std::size_t lastRow = 0;
    for (const auto& [count, rowBytes] : pngRows(form.width, form.height, bitsPerPixel, form.interlaced))
        for (std::uint32_t row = 0; row < count; ++row) {
            lastRow = rows.size();
            rows.push_back(static_cast<unsigned char>(row % 5));
            for (std::uint64_t i = 1; i < rowBytes; ++i)
                rows.push_back(static_cast<unsigned char>(0x40 | (row + i) % 64));
        }
    const auto damage = [&](Damage kind) { return damaged && form.damage == kind; };
    if (damage(Damage::ShortData)) rows.pop_back();
    if (damage(Damage::LongData)) rows.push_back(0x40);
    if (damage(Damage::BadFirstFilter) || damage(Damage::BadLastFilter))
        rows[damage(Damage::BadLastFilter) ? lastRow : 0] = 5;
    std::vector<std::pair<std::string, Bytes>> chunks;
    if (form.colourType == 3)
        chunks.push_back({"PLTE", Bytes(3 * ((1u << form.depth) - damage(Damage::ShortPalette)), 0x80)});
    std::vector<Bytes> pieces = deflatedPieces(rows, form.flushed ? form.chunkBytes : rows.size());
    if (!form.flushed && form.chunkBytes > 0) {
        const Bytes stream = pieces[0];
        pieces.clear();
        for (std::size_t at = 0; at < stream.size(); at += form.chunkBytes)
            pieces.emplace_back(stream.begin() + std::ptrdiff_t(at),
                                stream.begin() + std::ptrdiff_t(std::min(stream.size(), at + form.chunkBytes)));
    }
    for (const Bytes& piece : pieces) {
        if (&piece != &pieces[0] && damage(Damage::Split)) chunks.push_back({"tEXt", {'a', 0}});
        chunks.push_back({"IDAT", piece});
    }
    return makePng(form.width, form.height, form.depth, form.colourType, form.interlaced, chunks);
}

TEST(ImageFile, PngsOfEveryKindLoadAndTheirDamagedTwinsAreRefused)
{
    const PngForm forms[] = {
        // Wide rows inflate through many buffers' worth of output, from one chunk or several; chunks that each
        // inflate to 64 KiB end just where the output fills a buffer of the checks, and the next chunk starts afresh.
        {"wide RGBA", 1500, 12, 8, 6, false, 0, false, Damage::BadLastFilter},
        {"widest 16-bit RGB", 4096, 3, 16, 2, false, 8192, false, Damage::ShortData},
        {"wide interlaced grey", 1001, 33, 8, 0, true, 100, false, Damage::LongData},
        {"widest grey, flushed", 4096, 40, 8, 0, false, 65536, true, Damage::Split},
        {"widest 1-bit grey", 4095, 5, 1, 0, false, 0, false, Damage::BadFirstFilter},
        // Odd interlaced sizes leave some of the seven passes empty; 13 x 11 fills them all.
        {"palette", 13, 11, 8, 3, true, 0, false, Damage::ShortPalette},
        {"4-bit palette", 7, 9, 4, 3, true, 10, false, Damage::Split},
        {"2-bit palette", 3, 5, 2, 3, false, 0, false, Damage::ShortPalette},
        {"grey", 5, 3, 8, 0, true, 0, false, Damage::ShortData},
        {"grey and alpha", 9, 7, 8, 4, true, 0, false, Damage::BadFirstFilter},
        {"RGB", 3, 5, 8, 2, true, 0, false, Damage::LongData},
        {"RGBA", 1, 1, 8, 6, true, 0, false, Damage::ShortData},
        {"16-bit grey", 33, 17, 16, 0, true, 50, false, Damage::BadLastFilter},
        {"16-bit grey and alpha", 2, 2, 16, 4, false, 0, false, Damage::LongData},
        {"16-bit RGBA", 11, 13, 16, 6, true, 20, false, Damage::Split},
        {"2-bit grey", 6, 6, 2, 0, true, 0, false, Damage::ShortData},
    };
    const char* reasons[] = {"does not inflate to the declared size",
                             "does not inflate to the declared size",
                             "unknown filter type",
                             "unknown filter type",
                             "palette is missing or shorter",
                             "not consecutive"};
    for (const PngForm& form : forms) {
        const Bytes png = makeValidPng(form);
        EXPECT_EQ(problemIn(png, ImageFormat::Png), "") << form.name;
        EXPECT_EQ(decodedSize(png, ImageFormat::Png), Size(form.width, form.height)) << form.name;
        const std::string problem = problemIn(makeValidPng(form, true), ImageFormat::Png);
        EXPECT_NE(problem.find(reasons[int(form.damage)]), std::string::npos) << form.name << ": " << problem;
    }
}

// Every number of the pass pattern shows in the total of some size.
TEST(ImageFile, InterlacedDataSizeFollowsTheSevenPassPattern)
{
    const std::pair<unsigned char, unsigned char> kinds[] = {{1, 0}, {4, 3}, {8, 0}, {16, 2}, {16, 6}};
    for (std::uint32_t width = 1; width <= 17; ++width)
        for (std::uint32_t height = 1; height <= 17; ++height)
            for (const auto& [depth, colourType] : kinds) {
                const unsigned bits = depth * (colourType == 2 ? 3 : colourType == 6 ? 4 : 1);
                std::uint64_t expected = 0;
                for (const auto& [rows, rowBytes] : pngRows(width, height, bits, true)) expected += rows * rowBytes;
                ASSERT_EQ(pngInflatedBytes(makePng(width, height, depth, colourType, 1, {})), expected)
                    << width << " x " << height << " at " << bits << " bits";
            }
}

TEST(ImageFile, BitmapsOfEveryDepthPaddingAndHeaderPassAndTheirDamagedTwinsAreRefused)
{
    // Width, height (< 0: top-down), bits per pixel, bit-field masks.
    const std::tuple<int, int, int, bool> forms[] = {
        {1, 1, 1, false},   {31, 2, 1, false},   {33, -3, 1, false},   {4095, 2, 1, false},  {1, 2, 4, false},
        {7, -3, 4, false},  {9, 1, 4, false},    {4093, 2, 4, false},  {1, 1, 8, false},     {2, -2, 8, false},
        {3, 3, 8, false},   {1001, 2, 8, false}, {3, 2, 16, false},    {1, -1, 16, true},    {1, 1, 24, false},
        {2, 2, 24, false},  {3, -2, 24, false},  {4095, 1, 24, false}, {4096, 1, 24, false}, {3, -4096, 24, false},
        {5, -2, 32, false}, {2, 3, 32, true},
    };
    for (const auto& [width, height, bitsPerPixel, bitFields] : forms) {
        const Bytes bmp = makeBmp(width, height, bitsPerPixel, bitFields);
        const std::string name =
            std::to_string(width) + " x " + std::to_string(height) + " at " + std::to_string(bitsPerPixel) + " bits";
        EXPECT_EQ(problemIn(bmp, ImageFormat::Bmp), "") << name;
        EXPECT_EQ(decodedSize(bmp, ImageFormat::Bmp), Size(width, std::abs(height))) << name;
        // Short of the last row's last byte, padding or not.
        const Bytes twin(bmp.begin(), bmp.end() - 1);
        EXPECT_NE(problemIn(twin, ImageFormat::Bmp).find("pixel rows, each padded to 4 bytes, run past"),
                  std::string::npos)
            << name;
    }
    // The longer info headers pass too, with any palette after them (this version of the library declines them
    // itself); pixels inside them do not.
    for (const auto& [headerBytes, bitsPerPixel] : {std::pair{52u, 16}, {56u, 32}, {108u, 24}, {124u, 8}}) {
        const Bytes bmp = makeBmp(2, 1, bitsPerPixel, bitsPerPixel > 8 && bitsPerPixel != 24, headerBytes);
        EXPECT_EQ(problemIn(bmp, ImageFormat::Bmp), "") << headerBytes;
        const Bytes twin = withFields(bmp, {{10, bmp[10] + 256u * bmp[11] - 1}});
        EXPECT_NE(problemIn(twin, ImageFormat::Bmp).find("inside its headers"), std::string::npos) << headerBytes;
    }
}

// Regular files up to 80 MiB are read whole; larger ones are refused before any reading, and so is what is no
// regular file.
TEST(ImageFile, ReadsRegularFilesUpTo80MiB)
{
    namespace fs = std::filesystem;
    const fs::path file = fs::temp_directory_path() / ("image_file_test." + std::to_string(getpid()));
    std::ofstream{file};
    Bytes bytes;
    std::string problem;
    fs::resize_file(file, 80u << 20);
    EXPECT_TRUE(readImageFile(file, bytes, problem)) << problem;
    EXPECT_EQ(bytes.size(), 80u << 20);
    fs::resize_file(file, (80u << 20) + 1);
    EXPECT_FALSE(readImageFile(file, bytes, problem));
    EXPECT_EQ(problem, "file is larger than 80 MiB");
    EXPECT_FALSE(readImageFile("/dev/null", bytes, problem));
    EXPECT_EQ(problem, "not a regular file");
    fs::remove(file);
}

// Files the image library could mishandle are refused with their reason; the sound variants among them pass and
// decode.
TEST(ImageFile, RefusesWhatTheLibraryCouldMishandle)
{
    const Bytes bmp = makeBmp(1, 1, 24), bmp8 = makeBmp(5, 3, 8);
    // 3 x 5 pixels of 2-bit indices into a palette of 4. Interlaced, the second of the seven passes is
    // empty and the others hold 20 bytes in all: a filter byte and a byte of pixels per row.
    const auto paletted = [](std::size_t colours, const Bytes& imageData, unsigned char interlace = 1,
                             std::size_t extraBytes = 0) {
        return makePng(3, 5, 2, 3, interlace, {{"PLTE", Bytes(3 * colours + extraBytes)}, {"IDAT", imageData}});
    };
    const auto grey = [](std::uint32_t height, std::vector<std::pair<std::string, Bytes>> chunks) {
        return makePng(3, height, 2, 0, 1, chunks);
    };
    const Bytes pixels = zlibStream(Bytes(20));
    Bytes trailing = pixels;
    trailing.push_back(0);
    const Bytes whole = paletted(4, pixels);
    const auto withByte = [](Bytes bytes, std::size_t at, unsigned char value) {
        bytes.at(at) = value;
        return bytes;
    };
    const std::tuple<const char*, Bytes, const char*> cases[] = {
        {"interlaced.png", whole, nullptr},
        {"cut_stream.png", paletted(4, Bytes(pixels.begin(), pixels.end() - 4)), "does not inflate"},
        {"trailing.png", paletted(4, trailing), "does not inflate"},
        {"two_headers.png", grey(5, {{"IHDR", Bytes(13)}, {"IDAT", pixels}}), "repeats its header"},
        {"no_data.png", grey(5, {}), "no image data"},
        {"no_end.png", Bytes(whole.begin(), whole.end() - 12), "no end chunk"},
        {"cut_chunk.png", Bytes(whole.begin(), whole.end() - 13), "a chunk runs past the end"},
        {"checksum.png", withFields(whole, {{whole.size() - 16, 0}}), "bad checksum"},
        {"header.png", Bytes(whole.begin(), whole.begin() + 32), "does not start with a header chunk"},
        {"flat.png", grey(0, {{"IDAT", pixels}}), "empty image"},
        {"narrow.png", makePng(0, 5, 2, 0, 1, {{"IDAT", pixels}}), "empty image"},
        {"tall.png", makePng(1, 4097, 1, 0, 0, {{"IDAT", zlibStream(Bytes(2 * 4097))}}), "declares 1 x 4097, larger"},
        {"tallest.png", makePng(1, 4096, 1, 0, 0, {{"IDAT", zlibStream(Bytes(2 * 4096))}}), nullptr},
        {"wide.png", makePng(4097, 1, 1, 0, 0, {{"IDAT", zlibStream(Bytes(1 + 513))}}), "declares 4097 x 1, larger"},
        {"palette16.png", makePng(1, 1, 16, 3, 0, {{"IDAT", zlibStream(Bytes(3))}}), "invalid colour type"},
        {"grey_alpha4.png", makePng(1, 1, 4, 4, 0, {{"IDAT", zlibStream(Bytes(2))}}), "invalid colour type"},
        {"interlace2.png", makePng(1, 1, 8, 0, 2, {{"IDAT", zlibStream(Bytes(2))}}), "unknown compression"},
        {"deflate1.png", withByte(whole, 26, 1), "unknown compression"}, // refused before its checksum is read
        {"filter1.png", withByte(whole, 27, 1), "unknown compression"},
        {"tall.bmp", makeBmp(1, 4097, 24), "declares 1 x 4097, larger"},
        {"wide.bmp", makeBmp(4097, 1, 24), "declares 4097 x 1, larger"},
        {"empty.bmp", makeBmp(0, 2, 24), "empty or negative size"},
        {"flat.bmp", makeBmp(2, 0, 24), "empty or negative size"},
        {"headers.bmp", Bytes(bmp.begin(), bmp.begin() + 53), "cut short \\(headers"},
        {"planes.bmp", withFields(bmp, {{26, 2 | 24 << 16}}), "colour plane"},
        {"no_planes.bmp", withFields(bmp, {{26, 24 << 16}}), "colour plane"},
        {"depth2.bmp", withFields(bmp, {{26, 1 | 2 << 16}}), "unsupported depth of 2"},
        {"rle.bmp", withFields(bmp8, {{30, 1}}), "unsupported compression"},
        {"masks24.bmp", withFields(bmp, {{30, 3}}), "unsupported compression \\(3"},
        {"header64.bmp", withFields(bmp, {{14, 64}}), "unknown info header size of 64"},
        {"header124.bmp", withFields(bmp, {{14, 124}}), "cut short \\(headers"},
        {"offset.bmp", withFields(bmp, {{10, 0xFFFFFF00}}), "cut short"}, // pixels beyond the end of the file
        {"inside.bmp", withFields(bmp8, {{10, 14 + 40 + 1020}}), "inside its headers"}, // the palette's last entry
        {"masks.bmp", withFields(makeBmp(2, 2, 32), {{30, 3}}), "inside its headers"},  // where the masks go
        {"short_palette.bmp", withFields(bmp8, {{46, 255}}), "palette does not hold"},
        {"ragged_palette.png", paletted(4, pixels, 1, 1), "palette is missing or shorter"},
        {"full_palette.bmp", withFields(bmp8, {{46, 256}}), nullptr},
        {"signature.gif", Bytes{'G', 'I', 'F', '8', '9', 'a'}, "bad signature"},
        {"signature.png", withByte(whole, 7, 0), "bad signature"},
        {"signature.bmp", withByte(bmp, 1, 'X'), "bad signature"},
        {"empty", Bytes(), "file is empty"},
    };
    for (const auto& [file, bytes, refusal] : cases) {
        std::string problem;
        const ImageFormat format = checkedImageFormat(bytes, problem);
        EXPECT_EQ(format == ImageFormat::Unknown, refusal != nullptr) << file;
        EXPECT_THAT(problem, testing::ContainsRegex(refusal != nullptr ? refusal : "^$")) << file;
        EXPECT_TRUE(refusal != nullptr || decodedSize(bytes, format) != Size(0, 0)) << file;
    }
}

} // namespace

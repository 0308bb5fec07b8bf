#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

#include "TextureManager.h"
#include "gl_test_window.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

const std::string kFailureLine = "loading image unsuccessful\n";

Bytes readFile(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void writeFile(const fs::path& path, const Bytes& bytes)
{
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void put32LittleEndian(Bytes& bytes, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i) bytes.at(at + i) = static_cast<unsigned char>(value >> 8 * i);
}

// A copy of a bitmap with some 32-bit fields rewritten: {offset, value} pairs.
Bytes withFields(Bytes bmp, std::initializer_list<std::pair<std::size_t, std::uint32_t>> fields)
{
    for (const auto& [at, value] : fields) put32LittleEndian(bmp, at, value);
    return bmp;
}

// Deterministic noise.
Bytes randomBytes(std::size_t count)
{
    Bytes bytes(count);
    unsigned seed = 7;
    for (unsigned char& byte : bytes) byte = static_cast<unsigned char>((seed = seed * 1103515245u + 12345u) >> 16);
    return bytes;
}

void append32(Bytes& bytes, std::uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back(static_cast<unsigned char>(value >> shift));
}

// A zlib stream holding data in one stored (uncompressed) block.
Bytes zlibStored(const Bytes& data)
{
    const auto length = static_cast<std::uint16_t>(data.size());
    Bytes stream{0x78, 0x01, 0x01};
    for (unsigned half : {length, static_cast<std::uint16_t>(~length)})
        stream.insert(stream.end(), {static_cast<unsigned char>(half), static_cast<unsigned char>(half >> 8)});
    stream.insert(stream.end(), data.begin(), data.end());
    std::uint32_t low = 1, high = 0; // Adler-32
    for (unsigned char byte : data) high = (high + (low = (low + byte) % 65521)) % 65521;
    append32(stream, high << 16 | low);
    return stream;
}

// A PNG of the given size and layout with the given chunks between its header and end chunks.
Bytes makePng(std::uint32_t width, std::uint32_t height, unsigned char depth, unsigned char colourType,
              unsigned char interlace, std::vector<std::pair<std::string, Bytes>> chunks)
{
    Bytes header;
    append32(header, width);
    append32(header, height);
    header.insert(header.end(), {depth, colourType, 0, 0, interlace});
    chunks.insert(chunks.begin(), {"IHDR", header});
    chunks.push_back({"IEND", {}});
    Bytes png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    for (const auto& [type, data] : chunks) {
        append32(png, static_cast<std::uint32_t>(data.size()));
        const std::size_t typeAt = png.size();
        png.insert(png.end(), type.begin(), type.end());
        png.insert(png.end(), data.begin(), data.end());
        std::uint32_t crc = 0xFFFFFFFFu;
        for (std::size_t i = typeAt; i < png.size(); ++i) {
            crc ^= png[i];
            for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
        append32(png, crc ^ 0xFFFFFFFFu);
    }
    return png;
}

// A bottom-up (height > 0) or top-down (height < 0) uncompressed bitmap; 8-bit ones get a palette.
Bytes makeBmp(int width, int height, int bitsPerPixel)
{
    const auto u32 = [](long long value) { return static_cast<std::uint32_t>(value); };
    const std::uint32_t offset = 14 + 40 + (bitsPerPixel <= 8 ? 4u << bitsPerPixel : 0);
    Bytes bmp(offset + u32((width * bitsPerPixel + 31) / 32 * 4 * std::abs(height)), 0);
    bmp[0] = 'B';
    bmp[1] = 'M';
    // File size, reserved, pixel offset, info header size, width, height, planes and depth; the rest 0.
    const std::uint32_t fields[] = {
        u32(bmp.size()), 0, offset, 40, u32(width), u32(height), 1 | u32(bitsPerPixel) << 16};
    for (std::size_t i = 0; i < std::size(fields); ++i) put32LittleEndian(bmp, 2 + 4 * i, fields[i]);
    return bmp;
}

// Each test runs in a fresh GL context (so texture names start at 1) and in a scratch directory
// holding a copy of the game's images, which a test may damage or remove.
class TextureManagerTest : public testing::Test {
protected:
    void SetUp() override
    {
        window = openGlTestWindow(64, 64);
        std::string pattern = (fs::temp_directory_path() / "skirmora_textures_XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        scratch = pattern;
        fs::create_directories(scratch / "Content");
        fs::copy(SKIRMORA_GRAPHICS_DIR, graphics());
        previousDirectory = fs::current_path();
        fs::current_path(scratch);
    }

    void TearDown() override
    {
        fs::current_path(previousDirectory);
        fs::remove_all(scratch);
        closeGlTestWindow(window);
    }

    // Standard output printed while loading path under key (or the whole table when path is empty);
    // standard error goes to errors.
    std::string load(const std::string& path, const std::string& key)
    {
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        path.empty() ? textures.loadAllTextures() : textures.loadTexture(path, key);
        errors = testing::internal::GetCapturedStderr();
        return testing::internal::GetCapturedStdout();
    }

    fs::path graphics() const { return scratch / "Content" / "Graphics"; }

    int window = 0;
    std::string errors;
    fs::path scratch;
    fs::path previousDirectory;
    TextureManager textures;
};

TEST_F(TextureManagerTest, LoadsTheTableAndLooksUpByExactKey)
{
    // One missing image is reported once, by name, and skipped; the others load with distinct names in
    // table order, so "reflected" still becomes texture name 1, which deflected bullets use directly.
    fs::remove(graphics() / "p2Circle.png");
    EXPECT_EQ(load("", ""), kFailureLine);
    EXPECT_EQ(errors, "Content/Graphics/p2Circle.png: no such file\n");
    EXPECT_EQ(textures.getTexture("reflected"), 1u);
    EXPECT_EQ(textures.getTexture("p2"), 0u);
    std::set<std::uint32_t> names{0};
    for (const char* key : {"reflected", "apple", "whitecircle", "dcircle", "white", "dsquare", "ball"})
        names.insert(textures.getTexture(key));
    EXPECT_EQ(names.size(), 8u); // seven distinct names, none of them 0
    EXPECT_EQ(textures.byName.size(), 7u);
    // Unknown keys, file names and wrong-case keys find nothing.
    for (const char* key : {"fireball", "whiteCircle", "WHITE", ""}) EXPECT_EQ(textures.getTexture(key), 0u) << key;
}

TEST_F(TextureManagerTest, ReloadingAKeyKeepsTheLaterTexture)
{
    EXPECT_EQ(load("Content/Graphics/dCircle.png", "disc"), "");
    const std::uint32_t first = textures.getTexture("disc");
    EXPECT_EQ(load("Content/Graphics/p2Circle.png", "disc"), "");
    const std::uint32_t second = textures.getTexture("disc");
    EXPECT_EQ((std::set<std::uint32_t>{0, first, second}).size(), 3u); // two distinct names, neither 0
    // A failed reload registers nothing, so the earlier texture stays.
    EXPECT_EQ(load("Content/Graphics/nothing.png", "disc"), kFailureLine);
    EXPECT_EQ(textures.getTexture("disc"), second);
}

TEST_F(TextureManagerTest, EveryImageBadLoadsNothingAndNamesEachFile)
{
    std::map<fs::path, Bytes> originals;
    for (const auto& entry : fs::directory_iterator(graphics())) originals[entry.path()] = readFile(entry.path());
    ASSERT_EQ(originals.size(), 8u);
    const char* kinds[][2] = {{"missing", "no such file"},
                              {"empty", "file is empty"},
                              {"truncated", "cut short"},
                              {"random", "bad signature"},
                              {"oversized", "declares 8192 x 8192, larger than 4096 x 4096"},
                              {"directory", "is a directory"}};
    const Bytes hugePng = makePng(8192, 8192, 8, 6, 0, {{"IDAT", zlibStored({0})}});
    const Bytes hugeBmp = withFields(originals.at(graphics() / "whitepixel.bmp"), {{18, 8192}, {22, 8192}});
    for (const auto& [kind, reason] : kinds) {
        SCOPED_TRACE(kind);
        for (const auto& [path, bytes] : originals) {
            const std::map<std::string, Bytes> contents = {
                {"empty", {}},
                {"truncated", Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(bytes.size() / 2))},
                {"random", randomBytes(4096)},
                {"oversized", path.extension() == ".png" ? hugePng : hugeBmp}};
            fs::remove_all(path);
            if (contents.count(kind) != 0) writeFile(path, contents.at(kind));
            if (kind == std::string("directory")) fs::create_directory(path);
        }
        std::string failures;
        for (int i = 0; i < 8; ++i) failures += kFailureLine;
        EXPECT_EQ(load("", ""), failures);
        EXPECT_TRUE(textures.byName.empty());
        for (const auto& [path, bytes] : originals)
            EXPECT_THAT(errors,
                        testing::ContainsRegex("Content/Graphics/" + path.filename().string() + ": [^\n]*" + reason));
        EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 8);
    }
}

TEST_F(TextureManagerTest, OnlyWellFormedFilesLoad)
{
    Bytes flipped = readFile(graphics() / "dCircle.png"); // one flipped bit in the compressed data
    flipped.at(flipped.size() - 20) ^= 0x10;
    const Bytes white = readFile(graphics() / "whitepixel.bmp");
    const Bytes bmp24 = makeBmp(3, 2, 24);
    // 3 x 5 pixels of 2-bit palette indices. Interlaced, the second of the seven passes is empty (no column)
    // and the others hold 20 bytes in all, a filter byte and one byte of pixels per row.
    const auto paletted = [](std::size_t colours, const Bytes& imageData, unsigned char interlace = 1) {
        return makePng(3, 5, 2, 3, interlace, {{"PLTE", Bytes(3 * colours, 0x80)}, {"IDAT", imageData}});
    };
    const Bytes pixels = zlibStored(Bytes(20, 0));
    const Bytes head(pixels.begin(), pixels.begin() + 9), tail(pixels.begin() + 9, pixels.end());
    Bytes badFilter(20, 0);
    badFilter[0] = 5;

    // A file the image library could mishandle is refused with its reason; sound variants load.
    const struct {
        const char* file;
        Bytes bytes;
        const char* refusal; // nullptr: the file loads
    } cases[] = {
        {"flipped.png", flipped, "bad checksum"},
        {"interlaced.png", paletted(4, pixels), nullptr},
        {"long_data.png", paletted(4, zlibStored(Bytes(21, 0))), "does not inflate to the declared size"},
        {"short_data.png", paletted(4, zlibStored(Bytes(9, 0)), 0), "does not inflate"}, // 5 rows of 2 bytes
        {"cut_stream.png", paletted(4, Bytes(pixels.begin(), pixels.end() - 4)), "does not inflate"},
        {"bad_filter.png", paletted(4, zlibStored(badFilter)), "unknown filter type"},
        {"short_palette.png", paletted(3, pixels), "palette"},
        {"split.png", makePng(3, 5, 2, 0, 1, {{"IDAT", head}, {"tEXt", {'a', 0}}, {"IDAT", tail}}), "not consecutive"},
        {"unknown_chunk.png", makePng(3, 5, 2, 0, 1, {{"ABCD", {}}, {"IDAT", pixels}}), "image library could not"},
        {"tall.png", makePng(1, 4097, 1, 0, 0, {{"IDAT", zlibStored(Bytes(2 * 4097, 0))}}),
         "declares 1 x 4097, larger than 4096 x 4096"},
        {"lowest.bmp", withFields(white, {{22, 0x80000000}}), "larger than"}, // the most negative height
        {"wide.bmp", makeBmp(4097, 1, 24), "declares 4097 x 1, larger than"},
        {"widest.bmp", makeBmp(4096, 1, 24), nullptr},
        {"offset.bmp", withFields(white, {{10, 0xFFFFFF00}}), "cut short"}, // pixels beyond the end of the file
        {"inside.bmp", withFields(makeBmp(5, 3, 8), {{10, 14 + 40 + 1020}}), "inside its headers"}, // the palette's
        {"unpadded.bmp", Bytes(bmp24.begin(), bmp24.end() - 1), "cut short"}, // the last row's padding
        {"short_palette.bmp", withFields(makeBmp(5, 3, 8), {{46, 255}}), "palette"},
        {"bottom_up24.bmp", bmp24, nullptr},
        {"top_down24.bmp", makeBmp(3, -2, 24), nullptr},
        {"paletted8.bmp", makeBmp(5, 3, 8), nullptr},
        {"rgba32.bmp", makeBmp(2, 2, 32), nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        writeFile(graphics() / c.file, c.bytes);
        const std::string path = "Content/Graphics/" + std::string(c.file);
        EXPECT_EQ(load(path, c.file), c.refusal ? kFailureLine : "");
        EXPECT_THAT(errors, testing::ContainsRegex(c.refusal ? path + ": [^\n]*" + c.refusal : "^$"));
        EXPECT_EQ(textures.getTexture(c.file) != 0, c.refusal == nullptr);
    }
}

} // namespace

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
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

void put32(Bytes& bytes, std::size_t at, std::uint32_t value, bool bigEndian)
{
    for (int i = 0; i < 4; ++i)
        bytes.at(at + i) = static_cast<unsigned char>(value >> (bigEndian ? 24 - 8 * i : 8 * i));
}

// A PNG whose header chunk claims the given size, with a checksum that matches it.
Bytes pngWithSize(Bytes png, std::uint32_t width, std::uint32_t height)
{
    constexpr std::size_t kIhdr = 8; // the header chunk follows the signature
    put32(png, kIhdr + 8, width, true);
    put32(png, kIhdr + 12, height, true);
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = kIhdr + 4; i < kIhdr + 8 + 13; ++i) {
        crc ^= png[i];
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    put32(png, kIhdr + 8 + 13, crc ^ 0xFFFFFFFFu, true);
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
    for (std::size_t i = 0; i < std::size(fields); ++i) put32(bmp, 2 + 4 * i, fields[i], false);
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

    // Standard output printed while loading path under key.
    std::string load(const std::string& path, const std::string& key)
    {
        testing::internal::CaptureStdout();
        textures.loadTexture(path, key);
        return testing::internal::GetCapturedStdout();
    }

    fs::path graphics() const { return scratch / "Content" / "Graphics"; }

    int window = 0;
    fs::path scratch;
    fs::path previousDirectory;
    TextureManager textures;
};

TEST_F(TextureManagerTest, LoadsTheTableAndLooksUpByExactKey)
{
    // One missing image is reported once and skipped; the others load with distinct names, and
    // "reflected" still becomes texture name 1, which deflected bullets use directly.
    fs::remove(graphics() / "apple.png");
    testing::internal::CaptureStdout();
    textures.loadAllTextures();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), kFailureLine);
    EXPECT_EQ(textures.getTexture("reflected"), 1u);
    EXPECT_EQ(textures.getTexture("apple"), 0u);
    std::set<std::uint32_t> names{0};
    for (const char* key : {"reflected", "whitecircle", "dcircle", "white", "dsquare", "p2", "ball"})
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

TEST_F(TextureManagerTest, OnlyWellFormedFilesLoad)
{
    const Bytes png = readFile(graphics() / "dCircle.png");
    const Bytes bmp = readFile(graphics() / "whitepixel.bmp");
    ASSERT_GT(png.size(), 100u);
    ASSERT_EQ(bmp.size(), 58u);
    const auto withBmpFields = [&](std::initializer_list<std::pair<std::size_t, std::uint32_t>> fields) {
        Bytes copy = bmp;
        for (const auto& [at, value] : fields) put32(copy, at, value, false);
        return copy;
    };
    Bytes flipped = png; // one flipped bit in the compressed data: its checksum no longer matches
    flipped[png.size() - 20] ^= 0x10;
    Bytes random(4096);
    unsigned seed = 7;
    for (unsigned char& byte : random) byte = static_cast<unsigned char>((seed = seed * 1103515245u + 12345u) >> 16);

    // A corrupt file behaves like a missing one; the ordinary bitmap variants the game could ship load.
    const struct {
        const char* file;
        Bytes bytes;
        bool loads;
    } cases[] = {
        {"empty.png", {}, false},
        {"truncated.png", Bytes(png.begin(), png.begin() + static_cast<std::ptrdiff_t>(png.size() / 2)), false},
        {"flipped.png", flipped, false},
        {"random.png", random, false},
        {"random.bmp", random, false},
        {"huge.png", pngWithSize(png, 0x7FFFFFFF, 0x7FFFFFFF), false},
        {"huge.bmp", withBmpFields({{18, 0x7FFFFFFF}, {22, 0x7FFFFFFF}}), false}, // overran the library's heap
        {"lowest.bmp", withBmpFields({{22, 0x80000000}}), false}, // the most negative height: top-down and huge
        {"offset.bmp", withBmpFields({{10, 0xFFFFFF00}}), false}, // pixel data beyond the end of the file
        {"bottom_up24.bmp", makeBmp(3, 2, 24), true},
        {"top_down24.bmp", makeBmp(3, -2, 24), true},
        {"paletted8.bmp", makeBmp(5, 3, 8), true},
        {"rgba32.bmp", makeBmp(2, 2, 32), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        writeFile(graphics() / c.file, c.bytes);
        EXPECT_EQ(load("Content/Graphics/" + std::string(c.file), c.file), c.loads ? "" : kFailureLine);
        EXPECT_EQ(textures.getTexture(c.file) != 0, c.loads);
    }
    // A directory in place of a file.
    EXPECT_EQ(load("Content/Graphics", "directory"), kFailureLine);
    EXPECT_EQ(textures.getTexture("directory"), 0u);
}

} // namespace

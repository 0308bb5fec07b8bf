#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <set>
#include <string>
#include <unistd.h>
#include <vector>

#include <GL/gl.h>

#include "TextureManager.h"
#include "gl_test_window.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

const char* const kAllKeys[] = {"reflected", "apple", "whitecircle", "dcircle", "white", "dsquare", "p2", "ball"};
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

void putBigEndian32(Bytes& bytes, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<unsigned char>(value >> (24 - 8 * i));
}

void putLittleEndian32(Bytes& bytes, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<unsigned char>(value >> (8 * i));
}

// Recomputes the checksum of the PNG chunk starting at `at`, so a doctored chunk stays well-formed.
void fixPngChunkCrc(Bytes& png, std::size_t at)
{
    const std::size_t length =
        static_cast<std::size_t>(png[at]) << 24 | png[at + 1] << 16 | png[at + 2] << 8 | png[at + 3];
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = at + 4; i < at + 8 + length; ++i) {
        crc ^= png[i];
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    putBigEndian32(png, at + 8 + length, crc ^ 0xFFFFFFFFu);
}

// A bottom-up (height > 0) or top-down (height < 0) uncompressed bitmap; 8-bit ones get a grey palette.
Bytes makeBmp(int width, int height, int bitsPerPixel)
{
    const int rows = height < 0 ? -height : height;
    const std::uint32_t rowBytes = (static_cast<std::uint32_t>(width * bitsPerPixel) + 31) / 32 * 4;
    const std::uint32_t paletteBytes = bitsPerPixel <= 8 ? 4u << bitsPerPixel : 0;
    const std::uint32_t offset = 14 + 40 + paletteBytes;
    Bytes bmp(offset + rowBytes * rows, 0x80);
    bmp[0] = 'B';
    bmp[1] = 'M';
    putLittleEndian32(bmp, 2, static_cast<std::uint32_t>(bmp.size()));
    putLittleEndian32(bmp, 6, 0);
    putLittleEndian32(bmp, 10, offset);
    putLittleEndian32(bmp, 14, 40);
    putLittleEndian32(bmp, 18, static_cast<std::uint32_t>(width));
    putLittleEndian32(bmp, 22, static_cast<std::uint32_t>(height));
    putLittleEndian32(bmp, 26, 1 | bitsPerPixel << 16);
    for (std::size_t at = 30; at < 54; at += 4) putLittleEndian32(bmp, at, 0);
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
        fs::copy(SKIRMORA_GRAPHICS_DIR, scratch / "Content" / "Graphics");
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

TEST_F(TextureManagerTest, LoadsTheWholeTableInOrder)
{
    testing::internal::CaptureStdout();
    textures.loadAllTextures();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");

    // Deflected bullets use texture name 1 directly, so "reflected" must be the first texture made.
    EXPECT_EQ(textures.getTexture("reflected"), 1u);
    std::set<std::uint32_t> names;
    for (const char* key : kAllKeys) {
        EXPECT_NE(textures.getTexture(key), 0u) << key;
        names.insert(textures.getTexture(key));
    }
    EXPECT_EQ(names.size(), std::size(kAllKeys));

    // The top of the image (where the player disc's facing mark is) is the top of the texture, t = 1.
    glBindTexture(GL_TEXTURE_2D, textures.getTexture("dcircle"));
    GLint width = 0;
    GLint height = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    ASSERT_EQ(width, 64);
    ASSERT_EQ(height, 64);
    std::vector<unsigned char> pixels(64 * 64 * 4);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    const auto pixel = [&](int x, int row) { return &pixels[static_cast<std::size_t>((row * 64 + x) * 4)]; };
    EXPECT_EQ(pixel(32, 53)[0], 255); // white mark, ten rows below the image's top edge
    EXPECT_LT(pixel(32, 10)[0], 128); // blue body, ten rows above the bottom edge
    EXPECT_EQ(pixel(0, 0)[3], 0);     // transparent corner
}

TEST_F(TextureManagerTest, MissingImageIsReportedOnceAndSkipped)
{
    fs::remove(graphics() / "apple.png");
    testing::internal::CaptureStdout();
    textures.loadAllTextures();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), kFailureLine);

    EXPECT_EQ(textures.getTexture("apple"), 0u);
    EXPECT_EQ(textures.byName.count("apple"), 0u);
    for (const char* key : kAllKeys) {
        if (std::string(key) != "apple") {
            EXPECT_NE(textures.getTexture(key), 0u) << key;
        }
    }
}

TEST_F(TextureManagerTest, LookupIsByExactKey)
{
    textures.loadAllTextures();
    EXPECT_NE(textures.getTexture("whitecircle"), 0u);
    // File names are not keys, and keys are case-sensitive.
    EXPECT_EQ(textures.getTexture("whiteCircle"), 0u);
    EXPECT_EQ(textures.getTexture("WHITE"), 0u);
    EXPECT_EQ(textures.getTexture("fireball"), 0u);
    EXPECT_EQ(textures.getTexture(""), 0u);
    EXPECT_EQ(textures.byName.size(), std::size(kAllKeys));
}

TEST_F(TextureManagerTest, ReloadingAKeyKeepsTheLaterTexture)
{
    EXPECT_EQ(load("Content/Graphics/dCircle.png", "disc"), "");
    const std::uint32_t first = textures.getTexture("disc");
    EXPECT_EQ(load("Content/Graphics/p2Circle.png", "disc"), "");
    const std::uint32_t second = textures.getTexture("disc");
    EXPECT_NE(first, 0u);
    EXPECT_NE(second, 0u);
    EXPECT_NE(second, first);

    // A failed reload registers nothing, so the earlier texture stays.
    EXPECT_EQ(load("Content/Graphics/nothing.png", "disc"), kFailureLine);
    EXPECT_EQ(textures.getTexture("disc"), second);
}

TEST_F(TextureManagerTest, CorruptImagesBehaveLikeMissingOnes)
{
    const Bytes png = readFile(graphics() / "dCircle.png");
    const Bytes bmp = readFile(graphics() / "whitepixel.bmp");
    ASSERT_GT(png.size(), 100u);
    ASSERT_EQ(bmp.size(), 58u);
    constexpr std::size_t kIhdr = 8; // the header chunk follows the signature

    struct Case {
        const char* file;
        Bytes bytes;
    };
    std::vector<Case> cases;
    cases.push_back({"empty.png", {}});
    // Cut short inside the image data, and cut short right after the signature.
    cases.push_back({"truncated.png", Bytes(png.begin(), png.begin() + static_cast<std::ptrdiff_t>(png.size() / 2))});
    cases.push_back({"signature.png", Bytes(png.begin(), png.begin() + 8)});
    // Complete but for the end marker.
    cases.push_back({"no_end.png", Bytes(png.begin(), png.end() - 12)});
    {
        // One flipped bit in the compressed data.
        Bytes flipped = png;
        flipped[png.size() - 20] ^= 0x10;
        cases.push_back({"flipped.png", flipped});
    }
    {
        Bytes random(4096);
        unsigned seed = 7;
        for (unsigned char& byte : random)
            byte = static_cast<unsigned char>((seed = seed * 1103515245u + 12345u) >> 16);
        cases.push_back({"random.png", random});
        cases.push_back({"random.bmp", random});
    }
    {
        // Absurd dimensions, with a checksum that matches them.
        Bytes huge = png;
        putBigEndian32(huge, kIhdr + 8, 0x7FFFFFFF);
        putBigEndian32(huge, kIhdr + 12, 0x7FFFFFFF);
        fixPngChunkCrc(huge, kIhdr);
        cases.push_back({"huge.png", huge});
        Bytes big = png;
        putBigEndian32(big, kIhdr + 8, 100000);
        putBigEndian32(big, kIhdr + 12, 100000);
        fixPngChunkCrc(big, kIhdr);
        cases.push_back({"big.png", big});
    }
    {
        Bytes header = bmp;
        putLittleEndian32(header, 14, 0xFFFFFFF0); // info header size
        cases.push_back({"header.bmp", header});
        // These dimensions overran the heap inside the image library.
        Bytes huge = bmp;
        putLittleEndian32(huge, 18, 0x7FFFFFFF);
        putLittleEndian32(huge, 22, 0x7FFFFFFF);
        cases.push_back({"huge.bmp", huge});
        Bytes lowest = bmp;
        putLittleEndian32(lowest, 22, 0x80000000); // the most negative height: top-down and huge
        cases.push_back({"lowest.bmp", lowest});
        Bytes offset = bmp;
        putLittleEndian32(offset, 10, 0xFFFFFF00); // pixel data beyond the end of the file
        cases.push_back({"offset.bmp", offset});
        Bytes palette = bmp;
        palette[28] = 8; // palette image without a palette
        cases.push_back({"palette.bmp", palette});
        cases.push_back({"short.bmp", Bytes(bmp.begin(), bmp.begin() + 40)});
    }

    for (const Case& corrupt : cases) {
        SCOPED_TRACE(corrupt.file);
        writeFile(graphics() / corrupt.file, corrupt.bytes);
        EXPECT_EQ(load("Content/Graphics/" + std::string(corrupt.file), corrupt.file), kFailureLine);
        EXPECT_EQ(textures.byName.count(corrupt.file), 0u);
    }
    // A directory in place of a file.
    EXPECT_EQ(load("Content/Graphics", "directory"), kFailureLine);
    EXPECT_TRUE(textures.byName.empty());

    // The library is still in working order afterwards.
    EXPECT_EQ(load("Content/Graphics/fireball.png", "ball"), "");
    EXPECT_NE(textures.getTexture("ball"), 0u);
}

TEST_F(TextureManagerTest, OrdinaryBitmapVariantsStillLoad)
{
    // The checks must not turn away well-formed files the game could ship.
    const struct {
        const char* file;
        Bytes bytes;
    } variants[] = {
        {"bottom_up24.bmp", makeBmp(3, 2, 24)},
        {"top_down24.bmp", makeBmp(3, -2, 24)},
        {"paletted8.bmp", makeBmp(5, 3, 8)},
        {"rgba32.bmp", makeBmp(2, 2, 32)},
    };
    for (const auto& variant : variants) {
        SCOPED_TRACE(variant.file);
        writeFile(graphics() / variant.file, variant.bytes);
        EXPECT_EQ(load("Content/Graphics/" + std::string(variant.file), variant.file), "");
        EXPECT_NE(textures.getTexture(variant.file), 0u);
    }
}

} // namespace

// The OpenGL side of the engine, under a (virtual) X display: frames drawn, and image files made textures.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <string>
#include <tuple>
#include <unistd.h>
#include <vector>

#include <GL/freeglut.h>

#include "ArenaImages.h"
#include "GlRenderer.h"
#include "LeakCheck.h"
#include "TextureManager.h"
#include "image_bytes.h"

namespace {

// A new window with a double buffer and a depth buffer, current, so that texture names start afresh.
struct GlWindow {
    GlWindow(int width, int height)
    {
        if (glutGet(GLUT_INIT_STATE) == 0) {
            int argc = 1;
            char name[] = "gl_test", *argv[] = {name, nullptr};
            glutInit(&argc, argv);
        }
        glutInitWindowSize(width, height);
        glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH);
        id = glutCreateWindow("gl_test");
        checkLeaksBeforeTheDriverUnloads();
        glutDisplayFunc([] {}); // without one, the toolkit handles no events for the window
        for (int i = 0; i < 20; ++i) glutMainLoopEvent();
    }
    ~GlWindow() { glutDestroyWindow(id); }
    int id;
};

// Colours as read back, 0xBBGGRR; textures take 0xAABBGGRR.
using Rgb = std::uint32_t;
constexpr Rgb kLit = 0xFFFFFFFF, kRed = 0x0000FF, kGreen = 0x00FF00, kBlue = 0xFF0000, kWhite = 0xFFFFFF;
constexpr std::uint32_t kOpaque = 0xFF000000;

// A texture of width x height texels from the bottom row, sampled without mixing neighbours.
GLuint makeTexture(int width, int height, std::vector<std::uint32_t> texels)
{
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    for (const GLenum filter : {GL_TEXTURE_MIN_FILTER, GL_TEXTURE_MAG_FILTER})
        glTexParameteri(GL_TEXTURE_2D, filter, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    return name;
}

// A view 800 x 300 centred on (100, 0) in an 800 x 600 window, so that window pixel (x + 300, 2 y + 300) shows
// world point (x, y), and a scene that draws each rule of the renderer into its own region.
TEST(Render, ViewLayersTexturesAndOverlayLandOnTheirPixels)
{
    const GlWindow window(800, 600);
    initGl();
    GlRenderer renderer;
    Camera camera;
    camera.viewWidth = 800;
    camera.position = camera.target = Vec2(100, 0);
    const GLuint red = makeTexture(1, 1, {kOpaque | kRed}), green = makeTexture(1, 1, {kOpaque | kGreen});
    const GLuint quarters = makeTexture(2, 2, {kOpaque | kRed, kOpaque | kGreen, kOpaque | kBlue, kOpaque | kWhite});
    const GLuint clear = makeTexture(1, 1, {kGreen});
    // In drawing order: a texture upright, a nearer layer under a farther one, the first of two equal layers,
    // a transparent texel over red, texture 0 after a textured quad, the farthest drawn layer and the far plane.
    const std::tuple<std::uint16_t, GLuint, float, float, float, float> quads[] = {
        {5, quarters, -300, 0, -100, 100}, {5, green, -100, 0, 100, 100}, {10, red, -100, 0, 100, 100},
        {7, red, 100, 0, 300, 100},        {7, green, 100, 0, 300, 100},  {10, red, 300, 0, 500, 100},
        {5, clear, 300, 0, 500, 50},       {5, 0, 300, 50, 500, 100},     {399, red, -300, 100, 500, 150},
        {400, red, -300, -150, 500, 0}};
    // Pixels of the colour (kLit: any but black) in [x0, x1) x [y0, y1).
    const std::tuple<int, int, int, int, Rgb, int> regions[] = {
        {0, 45, 800, 600, kLit, 240000},   {0, 300, 100, 400, kRed, 10000},     {100, 300, 200, 400, kGreen, 10000},
        {0, 400, 100, 500, kBlue, 10000},  {100, 400, 200, 500, kWhite, 10000}, {200, 300, 400, 500, kGreen, 40000},
        {400, 300, 600, 500, kRed, 40000}, {600, 300, 800, 400, kRed, 20000},   {600, 400, 800, 500, kWhite, 20000},
        {0, 500, 800, 600, kRed, 80000}};
    HudValues hud;                            // no values: each shows 0
    for (int frame = 0; frame < 2; ++frame) { // the second must start from cleared colour and depth buffers
        renderer.setUpFrame(camera);
        for (const auto& [layer, texture, x0, y0, x1, y1] : quads)
            renderer.drawTexturedQuad({{Vec2(x0, y1), Vec2(x1, y1), Vec2(x1, y0), Vec2(x0, y0)}, &layer, texture});
        renderer.drawHud(hud);
    }
    std::vector<Rgb> pixels(800 * 600);
    glReadPixels(0, 0, 800, 600, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    for (Rgb& pixel : pixels) pixel &= kWhite; // alpha aside
    const auto count = [&](int x0, int y0, int x1, int y1, Rgb colour) {
        int found = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                found += colour == kLit ? pixels[y * 800 + x] != 0 : pixels[y * 800 + x] == colour;
        return found;
    };
    for (const auto& [x0, y0, x1, y1, colour, expected] : regions)
        EXPECT_EQ(count(x0, y0, x1, y1, colour), expected) << x0 << ", " << y0;
    // The overlay's 9 x 15 labels rise about 10 pixels above their baselines, in window pixels from the lower
    // left, in white whatever texture was bound last; a value follows the ten characters of "P1 Health ".
    for (const auto& [x, y] : {std::pair{10, 10}, {550, 10}, {250, 10}, {10, 25}, {550, 25}, {100, 10}})
        EXPECT_GT(count(x, y, x + 30, y + 11, kWhite), 10) << x << ", " << y;
    // Nothing left of, below or between its items.
    const int dark[][4] = {{0, 0, 8, 45}, {0, 0, 800, 5}, {160, 0, 245, 45}, {330, 0, 545, 45}, {700, 0, 800, 45}};
    for (const auto& box : dark) EXPECT_EQ(count(box[0], box[1], box[2], box[3], kLit), 0) << box[0];
}

// Menus over the picture: rectangles and text in window pixels from the top-left, whatever the camera.
TEST(Render, ScreenRectanglesAndTextLandInWindowPixels)
{
    const GlWindow window(800, 600);
    initGl();
    glViewport(0, 0, 800, 600);
    GlRenderer renderer;
    Camera camera;
    camera.position = camera.target = Vec2(5000, -300); // far from the window's own coordinates
    renderer.setUpFrame(camera);
    const std::uint16_t layer = 5;
    // The lower half white, then a red bar, a half-dark band over the white and centred text.
    renderer.drawTexturedQuad({{Vec2(4700, -300), Vec2(5300, -300), Vec2(5300, -500), Vec2(4700, -500)}, &layer, 0});
    renderer.fillScreenRect({100, 100, 200, 50}, {1.0f, 0.0f, 0.0f, 1.0f});
    renderer.fillScreenRect({0, 400, 800, 100}, {0.0f, 0.0f, 0.0f, 0.5f});
    renderer.drawScreenText(400, 250, "MMMM", TextSize::Large, TextAlign::Centre, {0.0f, 1.0f, 0.0f, 1.0f});
    renderer.drawScreenText(20, 580, "x", TextSize::Small, TextAlign::Left, {1.0f, 1.0f, 1.0f, 1.0f});
    std::vector<Rgb> pixels(800 * 600);
    glReadPixels(0, 0, 800, 600, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    // Pixel (x, y) from the top-left.
    const auto at = [&pixels](int x, int y) { return pixels[static_cast<std::size_t>((599 - y) * 800 + x)] & kWhite; };
    EXPECT_EQ(at(100, 100), kRed);
    EXPECT_EQ(at(299, 149), kRed);
    EXPECT_EQ(at(99, 100), 0u);
    EXPECT_EQ(at(100, 150), 0u);
    // Half of white under the dark band; white beside it.
    const Rgb dimmed = at(400, 450);
    EXPECT_NEAR(static_cast<int>(dimmed & 0xFF), 128, 2);
    EXPECT_EQ(at(400, 550), kWhite);
    // The text's ink rises above its baseline, about as far left of the centre as right of it.
    int left = 800, right = 0, green = 0;
    for (int y = 225; y < 250; ++y)
        for (int x = 300; x < 500; ++x)
            if (at(x, y) == kGreen) {
                ++green;
                left = std::min(left, x);
                right = std::max(right, x);
            }
    EXPECT_GT(green, 100);
    EXPECT_NEAR(400 - left, right - 400, 4);
    int small = 0;
    for (int y = 570; y < 580; ++y)
        for (int x = 20; x < 29; ++x) small += at(x, y) == kWhite;
    EXPECT_GT(small, 5);
}

namespace fs = std::filesystem;
const std::string kFailureLine = "loading image unsuccessful\n";

void writeFile(const fs::path& path, const Bytes& bytes)
{
    std::ofstream(path, std::ios::binary) << std::string(bytes.begin(), bytes.end());
}

// The game's images become textures in table order; a file the image library could mishandle is refused,
// with the line every failed load prints and a line naming the file and the reason.
TEST(Textures, LoadInTableOrderAndRefuseWhatTheLibraryCouldMishandle)
{
    const GlWindow window{64, 64}; // a fresh context: texture names start at 1
    std::string pattern = (fs::temp_directory_path() / "skirmora_textures_XXXXXX").string(), errors;
    const fs::path previousDirectory = fs::current_path(), scratch = mkdtemp(pattern.data());
    const fs::path graphics = scratch / "Content" / "Graphics";
    fs::create_directories(scratch / "Content");
    fs::copy(SKIRMORA_GRAPHICS_DIR, graphics); // a copy to damage
    fs::current_path(scratch);
    TextureManager textures;
    // What loading the file under key (with no file, the whole table) printed; errors gets its errors.
    const auto load = [&](const std::string& file = "", const std::string& key = "") {
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        file.empty() ? textures.loadAllTextures(arenaImages()) : textures.loadTexture("Content/Graphics/" + file, key);
        errors = testing::internal::GetCapturedStderr();
        return testing::internal::GetCapturedStdout();
    };
    // A missing image late in the table is reported once, by name, and skipped; the others take names in
    // table order, under the keys the game looks them up by ("reflected" for deflected bullets).
    fs::remove(graphics / "p2Circle.png");
    EXPECT_EQ(load(), kFailureLine);
    EXPECT_EQ(errors, "Content/Graphics/p2Circle.png: no such file\n");
    const char* keys[] = {"reflected", "apple", "whitecircle", "dcircle", "white", "dsquare", "ball"};
    for (std::uint32_t name = 1; name <= 7; ++name) EXPECT_EQ(textures.getTexture(keys[name - 1]), name);
    for (const char* key : {"p2", "fireball", "whiteCircle", "WHITE", ""}) EXPECT_EQ(textures.getTexture(key), 0u);

    // Bad images, each in its own way (the checks' every reason is tests/image_file_test.cpp's), load nothing,
    // and each is named with its reason.
    std::fstream apple(graphics / "apple.png", std::ios::in | std::ios::out | std::ios::binary);
    const char flipped = char(apple.seekg(-20, std::ios::end).get() ^ 0x10); // in the compressed data
    apple.seekp(-20, std::ios::end).put(flipped).flush();
    fs::resize_file(graphics / "fireball.png", 81 << 20);
    writeFile(graphics / "whitepixel.bmp", withFields(makeBmp(1, 1, 24), {{18, 8192}, {22, 8192}}));
    fs::remove(graphics / "reflected.png");
    fs::create_directory(graphics / "reflected.png");
    textures.byName.clear();
    EXPECT_EQ(load(), kFailureLine + kFailureLine + kFailureLine + kFailureLine + kFailureLine);
    const char* reasons[][2] = {{"apple.png", "bad checksum"},
                                {"fireball.png", "larger than 80 MiB"},
                                {"whitepixel.bmp", "declares 8192 x 8192, larger than 4096 x 4096"},
                                {"p2Circle.png", "no such file"},
                                {"reflected.png", "is a directory"}};
    for (const auto& [file, reason] : reasons)
        EXPECT_THAT(errors, testing::ContainsRegex(std::string("Content/Graphics/") + file + ": [^\n]*" + reason));

    // What passes the checks (tests/image_file_test.cpp) becomes a texture, PNG or BMP, unless the image library
    // itself refuses it: here an unknown chunk that a decoder must understand.
    const Bytes pixels = zlibStream(Bytes(20)); // 3 x 5 grey pixels of 2 bits, interlaced
    const std::tuple<const char*, Bytes, const char*> cases[] = {
        {"interlaced.png", makePng(3, 5, 2, 0, 1, {{"IDAT", pixels}}), nullptr},
        {"top_down.bmp", makeBmp(3, -2, 24), nullptr},
        {"unknown_chunk.png", makePng(3, 5, 2, 0, 1, {{"ABCD", {}}, {"IDAT", pixels}}), "image library could not"},
    };
    for (const auto& [file, bytes, refusal] : cases) {
        writeFile(graphics / file, bytes);
        EXPECT_EQ(load(file, file), refusal ? kFailureLine : "") << file;
        EXPECT_THAT(errors, testing::ContainsRegex(refusal ? std::string(file) + ": [^\n]*" + refusal : "^$"));
        EXPECT_EQ(textures.getTexture(file) != 0, refusal == nullptr) << file;
    }
    fs::current_path(previousDirectory);
    fs::remove_all(scratch);
}

} // namespace

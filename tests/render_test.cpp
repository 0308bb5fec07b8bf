#include <algorithm>
#include <array>
#include <cstdint>
#include <gtest/gtest.h>
#include <list>
#include <vector>

#include <GL/freeglut.h>

#include "Camera.h"
#include "GlRenderer.h"
#include "HudValues.h"
#include "gl_test_window.h"

namespace {

using Rgb = std::array<int, 3>;
const Rgb kBlack{0, 0, 0}, kWhite{255, 255, 255}, kRed{255, 0, 0}, kGreen{0, 255, 0};

// The back buffer, read after drawing and before any swap, as rows from the bottom.
struct Frame {
    Frame(int width, int height) : width(width), height(height), pixels(static_cast<std::size_t>(width * height) * 3)
    {
        glFinish();
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    }

    Rgb at(int x, int y) const
    {
        const std::size_t i = static_cast<std::size_t>(y * width + x) * 3;
        return {pixels[i], pixels[i + 1], pixels[i + 2]};
    }

    // Lit pixels in [x0, x1) x [y0, y1), clipped to the frame.
    int litIn(int x0, int y0, int x1, int y1) const
    {
        int count = 0;
        for (int y = std::max(y0, 0); y < std::min(y1, height); ++y)
            for (int x = std::max(x0, 0); x < std::min(x1, width); ++x) count += at(x, y) != kBlack ? 1 : 0;
        return count;
    }

    const int width, height;
    std::vector<unsigned char> pixels;
};

// A one-texel opaque texture of the given colour.
GLuint makeTexture(Rgb colour)
{
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    const GLubyte texel[4] = {GLubyte(colour[0]), GLubyte(colour[1]), GLubyte(colour[2]), 255};
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
    return name;
}

// An 800 x 600 window with the engine's GL state and the start camera, as the game opens it.
class RenderTest : public testing::Test {
protected:
    void SetUp() override
    {
        window = openGlTestWindow(800, 600);
        initGl();
        glViewport(0, 0, 800, 600);
        red = makeTexture(kRed);
        green = makeTexture(kGreen);
    }

    void TearDown() override { closeGlTestWindow(window); }

    // Draws an axis-aligned quad from (x0, y0) to (x1, y1) at the given layer.
    void drawRect(float x0, float y0, float x1, float y1, std::uint16_t layer, GLuint texture)
    {
        layers.push_back(layer);
        TexturedQuad quad;
        quad.corners = {Vec2(x0, y1), Vec2(x1, y1), Vec2(x1, y0), Vec2(x0, y0)};
        quad.layerRef = &layers.back();
        quad.texture = texture;
        renderer.drawTexturedQuad(quad);
    }

    void fullWindow(std::uint16_t layer, GLuint texture) { drawRect(-200, -150, 200, 150, layer, texture); }

    int window = 0;
    GLuint red = 0;
    GLuint green = 0;
    Camera camera;
    GlRenderer renderer;
    // Quads point at their layer; a list keeps those pointers valid as it grows.
    std::list<std::uint16_t> layers;
};

TEST_F(RenderTest, StartCameraMapsTheViewOntoTheWholeWindow)
{
    // The view's corners (±200, ±150) are the window's: every pixel, edges included, is covered.
    renderer.setUpFrame(camera);
    fullWindow(1, 0);
    EXPECT_EQ(Frame(800, 600).litIn(0, 0, 800, 600), 800 * 600);

    // World (0, 0) is the window centre and y grows upwards: the upper-right quarter of the view
    // covers exactly the upper-right quarter of the window.
    renderer.setUpFrame(camera);
    drawRect(0, 0, 200, 150, 1, 0);
    const Frame quarter(800, 600);
    EXPECT_EQ(quarter.litIn(400, 300, 800, 600), 400 * 300);
    EXPECT_EQ(quarter.litIn(0, 0, 800, 600), 400 * 300);
}

TEST_F(RenderTest, LayerDecidesWhatIsDrawnAndInFrontAndTextureZeroIsWhite)
{
    // Layer 400 lies on the far plane and is clipped; 399 is the farthest drawn.
    for (const std::uint16_t layer : {400, 399}) {
        renderer.setUpFrame(camera);
        fullWindow(layer, 0);
        EXPECT_EQ(Frame(800, 600).litIn(0, 0, 800, 600), layer == 400 ? 0 : 800 * 600) << layer;
    }

    // The smaller layer is in front whatever the order; of equal layers the first drawn stays.
    const struct {
        std::uint16_t firstLayer, secondLayer;
        bool redFirst;
        Rgb expected;
    } cases[] = {{10, 5, false, kRed}, {5, 10, true, kRed}, {7, 7, true, kRed}, {7, 7, false, kGreen}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.firstLayer << " then " << c.secondLayer << ", red first " << c.redFirst);
        renderer.setUpFrame(camera);
        fullWindow(c.firstLayer, c.redFirst ? red : green);
        fullWindow(c.secondLayer, c.redFirst ? green : red);
        EXPECT_EQ(Frame(800, 600).at(400, 300), c.expected);
    }

    // Texture 0 draws white, also right after a textured quad: no texture stays bound.
    renderer.setUpFrame(camera);
    drawRect(-200, -150, 0, 150, 5, red);
    drawRect(0, -150, 200, 150, 5, 0);
    const Frame frame(800, 600);
    EXPECT_EQ(frame.at(200, 300), kRed);
    EXPECT_EQ(frame.at(600, 300), kWhite);
}

TEST_F(RenderTest, OverlayStaysAtItsPixelPositions)
{
    int health[2] = {100, 85}, score[2] = {3, 12};
    HudValues hud;
    hud.p1Health = &health[0], hud.p2Health = &health[1], hud.p1Score = &score[0], hud.p2Score = &score[1];

    // The 9 x 15 labels rise about 10 pixels above their baseline, in pixels from the lower left.
    const auto checkOverlay = [](const Frame& frame) {
        SCOPED_TRACE(testing::Message() << frame.width << " x " << frame.height);
        const int labels[][2] = {{10, 10}, {550, 10}, {250, 10}, {10, 25}, {550, 25}}; // fps at (250, 10)
        for (const auto& label : labels) EXPECT_GT(frame.litIn(label[0], label[1], label[0] + 30, label[1] + 11), 20);
        EXPECT_GT(frame.litIn(100, 10, 130, 24), 10); // the value after the ten 9-pixel label characters
        // Nothing left of, below, above or between the items, nor anywhere else.
        const int dark[][4] = {{0, 0, 8, frame.height}, {0, 0, frame.width, 5}, {0, 45, frame.width, frame.height},
                               {160, 0, 245, 45},       {320, 0, 545, 45},      {700, 0, frame.width, 45}};
        for (const auto& box : dark) EXPECT_EQ(frame.litIn(box[0], box[1], box[2], box[3]), 0);
    };
    renderer.setUpFrame(camera);
    renderer.drawHud(hud);
    checkOverlay(Frame(800, 600));

    // A larger window keeps the overlay at the same distance from the lower-left corner.
    glutReshapeWindow(1000, 700);
    for (int i = 0; i < 50 && glutGet(GLUT_WINDOW_WIDTH) != 1000; ++i) processGlEvents();
    ASSERT_EQ(glutGet(GLUT_WINDOW_WIDTH), 1000);
    ASSERT_EQ(glutGet(GLUT_WINDOW_HEIGHT), 700);
    glViewport(0, 0, 1000, 700);
    renderer.setUpFrame(camera);
    renderer.drawHud(hud);
    checkOverlay(Frame(1000, 700));
}

} // namespace

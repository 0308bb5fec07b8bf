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
const Rgb kBlack{0, 0, 0};
const Rgb kWhite{255, 255, 255};
const Rgb kRed{255, 0, 0};
const Rgb kGreen{0, 255, 0};

// The back buffer, read after drawing and before any swap, as rows from the bottom.
class Frame {
public:
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
    bool lit(int x, int y) const { return at(x, y) != kBlack; }

    // Lit pixels in [x0, x1) x [y0, y1), clipped to the frame.
    int litIn(int x0, int y0, int x1, int y1) const
    {
        int count = 0;
        for (int y = std::max(y0, 0); y < std::min(y1, height); ++y)
            for (int x = std::max(x0, 0); x < std::min(x1, width); ++x) count += lit(x, y) ? 1 : 0;
        return count;
    }

    const int width;
    const int height;

private:
    std::vector<unsigned char> pixels;
};

// A one-texel texture of the given colour and alpha.
GLuint makeTexture(Rgb colour, int alpha = 255)
{
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    const unsigned char texel[4] = {static_cast<unsigned char>(colour[0]), static_cast<unsigned char>(colour[1]),
                                    static_cast<unsigned char>(colour[2]), static_cast<unsigned char>(alpha)};
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
    glBindTexture(GL_TEXTURE_2D, 0);
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
        glColor3f(1.0f, 1.0f, 1.0f);
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
    renderer.setUpFrame(camera);
    fullWindow(1, 0);
    const Frame whole(800, 600);
    EXPECT_EQ(whole.litIn(0, 0, 800, 600), 800 * 600);

    // World (0, 0) is the window centre and y grows upwards: the upper-right quarter of the view
    // covers exactly the upper-right quarter of the window.
    renderer.setUpFrame(camera);
    drawRect(0, 0, 200, 150, 1, 0);
    const Frame quarter(800, 600);
    EXPECT_EQ(quarter.litIn(400, 300, 800, 600), 400 * 300);
    EXPECT_EQ(quarter.litIn(0, 0, 800, 300), 0);
    EXPECT_EQ(quarter.litIn(0, 300, 400, 600), 0);

    // A moved camera shows the world around its position.
    camera.position = camera.target = Vec2(200, 150);
    renderer.setUpFrame(camera);
    drawRect(0, 0, 200, 150, 1, 0);
    const Frame moved(800, 600);
    EXPECT_EQ(moved.litIn(0, 0, 400, 300), 400 * 300);
    EXPECT_EQ(moved.litIn(400, 0, 800, 600), 0);
}

TEST_F(RenderTest, LayersBelow400AreDrawn)
{
    renderer.setUpFrame(camera);
    fullWindow(400, 0);
    EXPECT_EQ(Frame(800, 600).litIn(0, 0, 800, 600), 0);

    renderer.setUpFrame(camera);
    fullWindow(401, 0);
    EXPECT_EQ(Frame(800, 600).litIn(0, 0, 800, 600), 0);

    renderer.setUpFrame(camera);
    fullWindow(399, 0);
    EXPECT_EQ(Frame(800, 600).at(400, 300), kWhite);

    renderer.setUpFrame(camera);
    fullWindow(0, 0);
    EXPECT_EQ(Frame(800, 600).at(400, 300), kWhite);
}

TEST_F(RenderTest, DepthDecidesWhatIsInFront)
{
    // Smaller layer in front, drawn last.
    renderer.setUpFrame(camera);
    fullWindow(10, green);
    fullWindow(5, red);
    EXPECT_EQ(Frame(800, 600).at(400, 300), kRed);

    // Smaller layer in front, drawn first.
    renderer.setUpFrame(camera);
    fullWindow(5, red);
    fullWindow(10, green);
    EXPECT_EQ(Frame(800, 600).at(400, 300), kRed);

    // The same with the colours swapped, so the result is not tied to a texture.
    renderer.setUpFrame(camera);
    fullWindow(5, green);
    fullWindow(10, red);
    EXPECT_EQ(Frame(800, 600).at(400, 300), kGreen);

    // Equal layers: the depth test rejects equal depth, so the first drawn stays.
    renderer.setUpFrame(camera);
    fullWindow(7, red);
    fullWindow(7, green);
    EXPECT_EQ(Frame(800, 600).at(400, 300), kRed);
    renderer.setUpFrame(camera);
    fullWindow(7, green);
    fullWindow(7, red);
    EXPECT_EQ(Frame(800, 600).at(400, 300), kGreen);

    // The layer is read when drawing, so a changed layer takes effect without rebuilding the quad.
    renderer.setUpFrame(camera);
    fullWindow(20, red);
    layers.back() = 3;
    fullWindow(10, green);
    EXPECT_EQ(Frame(800, 600).at(400, 300), kGreen);
}

TEST_F(RenderTest, TextureZeroDrawsWhiteAndAlphaBlends)
{
    // Texture 0 right after a textured quad: no texture stays bound.
    renderer.setUpFrame(camera);
    drawRect(-200, -150, 0, 150, 5, red);
    drawRect(0, -150, 200, 150, 5, 0);
    const Frame frame(800, 600);
    EXPECT_EQ(frame.at(200, 300), kRed);
    EXPECT_EQ(frame.at(600, 300), kWhite);

    // Half-transparent red in front of white blends with it.
    const GLuint halfRed = makeTexture(kRed, 128);
    renderer.setUpFrame(camera);
    fullWindow(10, 0);
    fullWindow(2, halfRed);
    const Rgb blended = Frame(800, 600).at(400, 300);
    EXPECT_EQ(blended[0], 255);
    EXPECT_NEAR(blended[1], 127, 2);
    EXPECT_NEAR(blended[2], 127, 2);
}

TEST_F(RenderTest, OverlayStaysAtItsPixelPositions)
{
    int p1Health = 100;
    int p2Health = 85;
    int p1Score = 3;
    int p2Score = 12;
    HudValues hud;
    hud.p1Health = &p1Health;
    hud.p2Health = &p2Health;
    hud.p1Score = &p1Score;
    hud.p2Score = &p2Score;

    // Checks one drawn overlay in a frame of the given size. The 9 x 15 labels rise about 10 pixels
    // above their baseline; the values follow the labels on the same baseline.
    const auto checkOverlay = [](const Frame& frame) {
        // "P1 Health " at (10, 10) and its value after the ten 9-pixel label characters.
        EXPECT_GT(frame.litIn(10, 10, 40, 21), 20);
        EXPECT_GT(frame.litIn(100, 10, 130, 24), 10);
        // "P2 Health " at (550, 10), "fps " at (250, 10).
        EXPECT_GT(frame.litIn(550, 10, 580, 21), 20);
        EXPECT_GT(frame.litIn(250, 10, 280, 21), 20);
        // The score lines, 15 pixels higher.
        EXPECT_GT(frame.litIn(10, 25, 40, 36), 20);
        EXPECT_GT(frame.litIn(550, 25, 580, 36), 20);
        // Nothing left of, below, above or between the items, nor anywhere else.
        EXPECT_EQ(frame.litIn(0, 0, 8, frame.height), 0);
        EXPECT_EQ(frame.litIn(0, 0, frame.width, 5), 0);
        EXPECT_EQ(frame.litIn(0, 45, frame.width, frame.height), 0);
        EXPECT_EQ(frame.litIn(160, 0, 245, 45), 0);
        EXPECT_EQ(frame.litIn(320, 0, 545, 45), 0);
        EXPECT_EQ(frame.litIn(700, 0, frame.width, 45), 0);
    };

    renderer.setUpFrame(camera);
    renderer.drawHud(hud);
    {
        SCOPED_TRACE("800 x 600");
        checkOverlay(Frame(800, 600));
    }

    // A larger window keeps the overlay at the same distance from the lower-left corner.
    glutReshapeWindow(1000, 700);
    for (int i = 0; i < 50 && glutGet(GLUT_WINDOW_WIDTH) != 1000; ++i) processGlEvents();
    ASSERT_EQ(glutGet(GLUT_WINDOW_WIDTH), 1000);
    ASSERT_EQ(glutGet(GLUT_WINDOW_HEIGHT), 700);
    glViewport(0, 0, 1000, 700);
    renderer.setUpFrame(camera);
    renderer.drawHud(hud);
    {
        SCOPED_TRACE("1000 x 700");
        checkOverlay(Frame(1000, 700));
    }

    // The overlay leaves the colour white, so untextured bodies of the next frame stay white.
    GLfloat colour[4] = {};
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(colour[0], 1.0f);
    EXPECT_EQ(colour[1], 1.0f);
    EXPECT_EQ(colour[2], 1.0f);
}

} // namespace

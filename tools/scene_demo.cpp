// Draws one still scene with the game's images, circles and polygons, and writes it as a binary
// PPM image. Run from the directory that holds Content/Graphics: scene_demo <output.ppm>
#include <fstream>
#include <iostream>
#include <memory>
#include <vector>

#include <GL/freeglut.h>

#include "ArenaImages.h"
#include "Camera.h"
#include "Circle.h"
#include "GlRenderer.h"
#include "HudValues.h"
#include "Poly.h"
#include "TextureManager.h"

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr float kPi = 3.14159265f;

void ignoreDisplay() {}

bool writePpm(const char* path)
{
    std::vector<unsigned char> pixels(kWidth * kHeight * 3);
    glFinish();
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kWidth, kHeight, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << kWidth << ' ' << kHeight << "\n255\n";
    // GL rows run bottom-up, image rows top-down.
    for (int row = kHeight - 1; row >= 0; --row)
        out.write(reinterpret_cast<const char*>(&pixels[static_cast<std::size_t>(row) * kWidth * 3]), kWidth * 3);
    return static_cast<bool>(out);
}

} // namespace

int main(int argc, char** argv)
{
    glutInit(&argc, argv);
    if (argc != 2) {
        std::cerr << "usage: scene_demo <output.ppm>" << std::endl;
        return 2;
    }
    glutInitWindowSize(kWidth, kHeight);
    glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH);
    glutCreateWindow("scene");
    glutDisplayFunc(ignoreDisplay);
    glViewport(0, 0, kWidth, kHeight);
    initGl();

    TextureManager textures;
    textures.loadAllTextures(arenaImages());
    GlRenderer renderer;
    const auto texture = [&](const char* key) { return textures.getTexture(key); };

    std::vector<std::unique_ptr<GameObject>> bodies;
    const auto addCircle = [&](Vec2 at, float radius, std::uint16_t layer, const char* key, float turn) {
        auto circle = std::make_unique<Circle>(at, radius, layer, texture(key), 0);
        circle->rotate(turn, at);
        bodies.push_back(std::move(circle));
    };
    const auto addPoly = [&](Vec2 at, float edgeWidth, std::vector<Vec2> vertices) {
        bodies.push_back(std::make_unique<Poly>(at, 3, edgeWidth, texture("white"), 3, std::move(vertices)));
    };

    // Bounds just inside the view, and a few walls.
    addPoly(Vec2(0, 0), 4, {Vec2(-190, -140), Vec2(190, -140), Vec2(190, 140), Vec2(-190, 140)});
    addPoly(Vec2(0, -60), 3, {Vec2(-40, -15), Vec2(40, -15), Vec2(40, 15), Vec2(-40, 15)});
    addPoly(Vec2(-120, 70), 3, {Vec2(0, -25), Vec2(24, -8), Vec2(15, 20), Vec2(-15, 20), Vec2(-24, -8)});
    addPoly(Vec2(130, -80), 2, {Vec2(-20, -20), Vec2(25, -10), Vec2(-5, 25)});
    // The two players: one facing up, one turned 45 degrees to the left.
    addCircle(Vec2(-100, -10), 15, 2, "dcircle", 0);
    addCircle(Vec2(90, 30), 15, 2, "p2", kPi / 4);
    // Player 1's ball flying up, player 2's bullets, one turned back.
    addCircle(Vec2(-100, 30), 10, 1, "ball", 0);
    addCircle(Vec2(40, 40), 4, 1, "whitecircle", 0);
    addCircle(Vec2(20, 50), 4, 1, "whitecircle", 0);
    addCircle(Vec2(-30, 20), 4, 1, "reflected", 0);
    // The two images the game loads and does not use.
    addCircle(Vec2(140, 100), 12, 2, "apple", 0);
    addCircle(Vec2(160, 100), 8, 2, "dsquare", 0);

    int p1Health = 100;
    int p2Health = 70;
    int p1Score = 2;
    int p2Score = 5;
    HudValues hud;
    hud.p1Health = &p1Health;
    hud.p2Health = &p2Health;
    hud.p1Score = &p1Score;
    hud.p2Score = &p2Score;

    renderer.setUpFrame(Camera{});
    // Farthest first, as the draw list runs, so transparent edges blend over what lies behind.
    for (const std::uint16_t layer : {3, 2, 1})
        for (const auto& body : bodies)
            if (body->layer == layer) body->draw(renderer);
    renderer.drawHud(hud);

    if (!writePpm(argv[1])) {
        std::cerr << "could not write " << argv[1] << std::endl;
        return 1;
    }
    return 0;
}

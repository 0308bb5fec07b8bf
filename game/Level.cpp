#include <vector>

#include "MySim.h"
#include "Poly.h"
#include "Rules.h"

namespace {

struct WallShape {
    const char* name;
    Vec2 position;
    float edgeWidth;
    // As passed to the polygon, which moves their mean onto position.
    std::vector<Vec2> vertices;
};

// Mirror-symmetric about both axes: an octagon at the centre, bars between it and the spawn points,
// trapezoids on the vertical axis and in the quadrants, and four 100-unit slabs whose inner faces lie
// at x = +-800 and y = +-600.
const std::vector<WallShape>& levelWalls()
{
    static const std::vector<WallShape> walls = {
        {"poly4",
         {0, 0},
         6.0f,
         {{65, 130}, {130, 65}, {130, -65}, {65, -130}, {-65, -130}, {-130, -65}, {-130, 65}, {-65, 130}}},
        {"poly2", {0, -350}, 6.0f, {{-75, 75}, {75, 75}, {200, -75}, {-200, -75}}},
        {"poly1", {-350, -250}, 6.0f, {{-75, 75}, {200, 75}, {75, -75}, {-190, -75}}},
        {"poly3", {-600, -450}, 6.0f, {{-75, 50}, {75, 50}, {200, -50}, {-75, -50}}},
        {"poly5", {350, -250}, 6.0f, {{75, 75}, {-200, 75}, {-75, -75}, {190, -75}}},
        {"poly6", {600, -450}, 6.0f, {{75, 50}, {-75, 50}, {-200, -50}, {75, -50}}},
        {"poly8", {0, 350}, 6.0f, {{-75, -75}, {75, -75}, {200, 75}, {-200, 75}}},
        {"poly7", {-350, 250}, 6.0f, {{-75, -75}, {200, -75}, {75, 75}, {-190, 75}}},
        {"poly9", {-600, 450}, 6.0f, {{-75, -50}, {75, -50}, {200, 50}, {-75, 50}}},
        {"poly10", {350, 250}, 6.0f, {{75, -75}, {-200, -75}, {-75, 75}, {190, 75}}},
        {"poly11", {600, 450}, 6.0f, {{75, -50}, {-75, -50}, {-200, 50}, {75, 50}}},
        {"poly12", {500, 0}, 6.0f, {{150, -50}, {-150, -50}, {-150, 50}, {150, 50}}},
        {"poly13", {-500, 0}, 6.0f, {{150, -50}, {-150, -50}, {-150, 50}, {150, 50}}},
        {"boundsN", {0, 650}, 5.0f, {{-900, 50}, {900, 50}, {900, -50}, {-900, -50}}},
        {"boundsS", {0, -650}, 5.0f, {{-900, 50}, {900, 50}, {900, -50}, {-900, -50}}},
        {"boundsE", {850, 0}, 5.0f, {{-50, 700}, {50, 700}, {50, -700}, {-50, -700}}},
        {"boundsW", {-850, 0}, 5.0f, {{-50, 700}, {50, 700}, {50, -700}, {-50, -700}}},
    };
    return walls;
}

} // namespace

void MySim::buildLevel()
{
    constexpr std::uint16_t kWallLayer = 30;
    const std::uint32_t white = textureNamed("white");
    for (const WallShape& wall : levelWalls())
        registerBody(wall.name,
                     new Poly(wall.position, kWallLayer, wall.edgeWidth, white, rules::kWallKind, wall.vertices));
}

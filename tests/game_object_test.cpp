#include <gtest/gtest.h>
#include <vector>

#include "Box.h"
#include "Circle.h"
#include "Poly.h"

namespace {

constexpr float kPi = 3.14159265358979f;

void expectPoints(const std::vector<Vec2>& actual, const std::vector<Vec2>& expected)
{
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < actual.size(); ++i)
        EXPECT_LT(length(actual[i] - expected[i]), 1e-4f) << i << ": " << actual[i].x << ", " << actual[i].y;
}

Circle disc(float x, float y) { return Circle(Vec2(x, y), 1, 1, 0, 0); }

// Every kind of body hands its moves, turns and visibility on to its children.
TEST(GameObject, ChildrenOfEveryKindOfParentFollowItsMovesTurnsAndVisibility)
{
    Circle circle = disc(0, 0);
    Poly poly(Vec2(), 1, 1, 0, 0, {Vec2(-1, -1), Vec2(1, -1), Vec2(0, 1)});
    Box box(Vec2(-1, -1), Vec2(1, 1), 1, 0);
    for (GameObject* parent : std::initializer_list<GameObject*>{&circle, &poly, &box}) {
        Circle half = disc(4, 0), still = disc(0, 4), grandchild = disc(0, -4);
        half.translationFollow = 0.5f;
        half.rotationFollow = 0.25f; // the gate only opens or closes: this still turns in full
        still.translationFollow = -1;
        still.rotationFollow = 0;
        parent->children = {&half, &still};
        half.children = {&grandchild};

        // The factor scales both axes, 0 or less keeps the child in place, a grandchild follows in full.
        parent->translate(6, 2);
        expectPoints({half.position, grandchild.position, still.position}, {{7, 1}, {3, -3}, {0, 4}});
        // A quarter turn carries any parent and the children round, a circle's square turning with
        // it (top left corner to bottom left); a closed gate keeps both place and orientation.
        parent->rotate(kPi / 2, Vec2(6, 0));
        expectPoints({parent->getPosition(), half.position, grandchild.position, half.quad.corners[0],
                      half.quad.corners[1], still.quad.corners[0]},
                     {{4, 0}, {5, 1}, {9, -3}, {4, 0}, {4, 2}, {-1, 5}});
        parent->moveTo(Vec2(-3, 5));
        expectPoints({parent->getPosition()}, {{-3, 5}});

        // Visibility covers the whole subtree, and only the subtree.
        parent->setVisible(false);
        EXPECT_FALSE(parent->visible || still.visible || grandchild.visible);
        half.setVisible(true);
        EXPECT_TRUE(!parent->visible && half.visible && grandchild.visible);
    }
}

// A polygon's position, bounds, vertices and the corners of its first and last bands.
std::vector<Vec2> placeOf(const Poly& poly)
{
    std::vector<Vec2> place{poly.position, poly.bounds.lower, poly.bounds.upper};
    place.insert(place.end(), poly.vertices.begin(), poly.vertices.end());
    for (const TexturedQuad* band : {&poly.edgeQuads.front(), &poly.edgeQuads.back()})
        place.insert(place.end(), band->corners.begin(), band->corners.end());
    return place;
}

TEST(PolyShape, VerticesAreCentredEdgesBecomeBandsAndAllFollowMovesTurnsAndBeams)
{
    // The square of side 2 placed at (10, 5), turned a quarter about (9, 4) and moved by (-8, 1).
    // One band per edge, 6 wide and centred on it, in edge order; the last closes the outline.
    Poly square(Vec2(10, 5), 4, 6, 9, 3, {Vec2(-1, -1), Vec2(1, -1), Vec2(1, 1), Vec2(-1, 1)});
    square.rotate(kPi / 2, Vec2(9, 4));
    square.translate(-8, 1);
    expectPoints(placeOf(square),
                 {Vec2(0, 6), Vec2(-1, 5), Vec2(1, 7), Vec2(1, 5), Vec2(1, 7), Vec2(-1, 7), Vec2(-1, 5), Vec2(4, 5),
                  Vec2(4, 7), Vec2(-2, 7), Vec2(-2, 5), Vec2(-1, 2), Vec2(1, 2), Vec2(1, 8), Vec2(-1, 8)});
    // A beam 2 wide from (-4, 0) to (0, 0), its offset a quarter turn clockwise of the line.
    square.makeBeam(Vec2(-4, 0), Vec2(0, 0), 2);
    expectPoints(placeOf(square), {Vec2(-2, 0), Vec2(-4, -1), Vec2(0, 1), Vec2(-4, -1), Vec2(0, -1), Vec2(0, 1),
                                   Vec2(-4, 1), Vec2(-4, -4), Vec2(0, -4), Vec2(0, 2), Vec2(-4, 2), Vec2(-7, 1),
                                   Vec2(-7, -1), Vec2(-1, -1), Vec2(-1, 1)});
    // Without vertices the given position stands.
    EXPECT_EQ(Poly(Vec2(3, -7), 1, 2, 0, 3, {}).position, Vec2(3, -7));
}

} // namespace

#include <array>
#include <gtest/gtest.h>
#include <vector>

#include "Circle.h"
#include "Poly.h"

namespace {

constexpr float kPi = 3.14159265f;

void expectNear(const Vec2& actual, const Vec2& expected)
{
    EXPECT_LT(length(actual - expected), 1e-3f) << actual.x << ", " << actual.y;
}

// Corners run top left, top right, bottom right, bottom left for an unturned square.
void expectCorners(const TexturedQuad& quad, const std::array<Vec2, 4>& expected)
{
    for (int i = 0; i < 4; ++i) expectNear(quad.corners[i], expected[i]);
}

// The unit square moved to (10, 5), its edges drawn as bands 6 wide with texture 9.
Poly squareAt10x5() { return Poly(Vec2(10, 5), 4, 6, 9, 3, {Vec2(-1, -1), Vec2(1, -1), Vec2(1, 1), Vec2(-1, 1)}); }

TEST(CircleShape, EnclosingSquareFollowsMovesAndTurns)
{
    // Construction: the square around the centre, bound to the body's layer.
    Circle circle(Vec2(-260, 0), 15, 2, 5, 11);
    EXPECT_EQ(circle.shapeType, ShapeType::Circle);
    expectCorners(circle.quad, {Vec2(-275, 15), Vec2(-245, 15), Vec2(-245, -15), Vec2(-275, -15)});
    EXPECT_EQ(circle.quad.layerRef, &circle.layer);
    EXPECT_EQ(circle.quad.texture, 5u);

    // translate moves the centre and every corner.
    circle.translate(Vec2(3, -2));
    EXPECT_EQ(circle.getPosition(), Vec2(-257, -2));
    expectCorners(circle.quad, {Vec2(-272, 13), Vec2(-242, 13), Vec2(-242, -17), Vec2(-272, -17)});

    // A quarter turn counter-clockwise about the start position carries the centre and every corner.
    circle.rotate(kPi / 2, Vec2(-260, 0));
    expectNear(circle.getPosition(), Vec2(-258, 3));
    expectCorners(circle.quad, {Vec2(-273, -12), Vec2(-273, 18), Vec2(-243, 18), Vec2(-243, -12)});
}

TEST(Shapes, SetTextureDiffersBetweenCircleAndPolygon)
{
    // A circle announces every call and takes the texture at once.
    Circle circle(Vec2(0, 0), 1, 1, 4, 11);
    testing::internal::CaptureStdout();
    circle.setTexture(7);
    circle.setTexture(7);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "getting called\ngetting called\n");
    EXPECT_EQ(circle.quad.texture, 7u);

    // A polygon prints nothing, and its bands keep their texture until they are rebuilt.
    Poly square = squareAt10x5();
    testing::internal::CaptureStdout();
    square.setTexture(12);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    for (const TexturedQuad& band : square.edgeQuads) EXPECT_EQ(band.texture, 9u);
}

TEST(PolyShape, VerticesAreCentredEdgesBecomeBandsAndBothMoveAndTurn)
{
    // The unit square at (10, 5): one band per edge, 6 wide and centred on it, in edge order.
    Poly square = squareAt10x5();
    EXPECT_EQ(square.getPosition(), Vec2(10, 5));
    EXPECT_EQ(square.vertices, (std::vector<Vec2>{Vec2(9, 4), Vec2(11, 4), Vec2(11, 6), Vec2(9, 6)}));
    ASSERT_EQ(square.edgeQuads.size(), 4u);
    expectCorners(square.edgeQuads[0], {Vec2(9, 1), Vec2(11, 1), Vec2(11, 7), Vec2(9, 7)});
    // The closing edge runs from the last vertex back to the first.
    expectCorners(square.edgeQuads[3], {Vec2(6, 6), Vec2(6, 4), Vec2(12, 4), Vec2(12, 6)});
    for (const TexturedQuad& band : square.edgeQuads) EXPECT_EQ(band.layerRef, &square.layer);

    // The reference point is the vertex mean, not the area centroid.
    const Poly triangle(Vec2(0, 0), 1, 1, 0, 3, {Vec2(0, 0), Vec2(4, 0), Vec2(0, 4)});
    expectNear(triangle.vertices[0], Vec2(-4.0f / 3, -4.0f / 3));
    expectNear(triangle.vertices[2], Vec2(-4.0f / 3, 8.0f / 3));

    // No vertices: the given position and no bands.
    const Poly empty(Vec2(3, -7), 1, 2, 0, 3, {});
    EXPECT_EQ(empty.getPosition(), Vec2(3, -7));
    EXPECT_TRUE(empty.edgeQuads.empty());

    // A zero-length edge has no direction: its band collapses onto the shared point.
    const Poly degenerate(Vec2(0, 0), 1, 4, 0, 3, {Vec2(0, 0), Vec2(0, 0), Vec2(3, 0), Vec2(0, 3)});
    const Vec2 point = degenerate.vertices[0];
    expectCorners(degenerate.edgeQuads[0], {point, point, point, point});
    EXPECT_NEAR(length(degenerate.edgeQuads[1].corners[0] - degenerate.edgeQuads[1].corners[3]), 4.0f, 1e-4f);

    // A half turn about the centre maps every vertex onto the opposite one and turns the bands.
    square.rotate(kPi, square.getPosition());
    expectNear(square.getPosition(), Vec2(10, 5));
    expectNear(square.vertices[0], Vec2(11, 6));
    expectNear(square.vertices[1], Vec2(9, 6));
    expectCorners(square.edgeQuads[0], {Vec2(11, 9), Vec2(9, 9), Vec2(9, 3), Vec2(11, 3)});

    // translate moves the centre, the vertices and the bands.
    square.translate(-10, 1);
    expectNear(square.getPosition(), Vec2(0, 6));
    expectNear(square.vertices[0], Vec2(1, 7));
    expectCorners(square.edgeQuads[0], {Vec2(1, 10), Vec2(-1, 10), Vec2(-1, 4), Vec2(1, 4)});
}

} // namespace

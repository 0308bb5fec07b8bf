#include <array>
#include <cmath>
#include <gtest/gtest.h>
#include <vector>

#include "Circle.h"
#include "Poly.h"
#include "TexturedQuad.h"

namespace {

constexpr float kPi = 3.14159265f;
constexpr float kTolerance = 1e-4f;

#define EXPECT_VEC_NEAR(actual, ex, ey)                                                                                \
    do {                                                                                                               \
        const Vec2 value_ = (actual);                                                                                  \
        EXPECT_NEAR(value_.x, (ex), kTolerance);                                                                       \
        EXPECT_NEAR(value_.y, (ey), kTolerance);                                                                       \
    } while (false)

void expectCorners(const TexturedQuad& quad, const std::array<Vec2, 4>& expected)
{
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_VEC_NEAR(quad.corners[i], expected[i].x, expected[i].y);
    }
}

// Stands in for the GL renderer: keeps what bodies hand over.
class QuadRecorder : public QuadRenderer {
public:
    QuadRecorder() { setQuadRenderer(this); }
    ~QuadRecorder() override { setQuadRenderer(nullptr); }
    void drawTexturedQuad(const TexturedQuad& quad) override { quads.push_back(quad); }

    std::vector<TexturedQuad> quads;
};

Poly unitSquareAt(const Vec2& position, float edgeWidth)
{
    return Poly(position, 4, edgeWidth, 9, 3, {Vec2(-1, -1), Vec2(1, -1), Vec2(1, 1), Vec2(-1, 1)});
}

TEST(CircleShape, ConstructionSetsTheEnclosingSquare)
{
    const Circle circle(Vec2(-260, 0), 15, 2, 5, 11);
    EXPECT_EQ(circle.getPosition(), Vec2(-260, 0));
    EXPECT_EQ(circle.radius, 15.0f);
    EXPECT_EQ(circle.layer, 2);
    EXPECT_EQ(circle.kind, 11);
    EXPECT_EQ(circle.shapeType, ShapeType::Circle);
    // Top left, top right, bottom right, bottom left.
    expectCorners(circle.quad, {Vec2(-275, 15), Vec2(-245, 15), Vec2(-245, -15), Vec2(-275, -15)});
    EXPECT_EQ(circle.quad.layerRef, &circle.layer);
    EXPECT_EQ(circle.quad.texture, 5u);

    // The square draws as one quad and reads the body's current layer.
    QuadRecorder recorder;
    Circle moved(Vec2(0, 0), 1, 2, 5, 11);
    moved.layer = 9;
    moved.draw();
    ASSERT_EQ(recorder.quads.size(), 1u);
    EXPECT_EQ(*recorder.quads[0].layerRef, 9);
}

TEST(CircleShape, MovesAndTurnsWithItsChildren)
{
    // translate moves the centre, every corner, and the children by their follow factor.
    {
        Circle parent(Vec2(-260, 0), 15, 1, 0, 11);
        Circle child(Vec2(0, 0), 1, 1, 0, 1);
        child.translationFollow = 0.5f;
        parent.children.push_back(&child);
        parent.translate(Vec2(3, -2));
        EXPECT_EQ(parent.getPosition(), Vec2(-257, -2));
        expectCorners(parent.quad, {Vec2(-272, 13), Vec2(-242, 13), Vec2(-242, -17), Vec2(-272, -17)});
        EXPECT_VEC_NEAR(child.getPosition(), 1.5f, -1.0f);
        EXPECT_VEC_NEAR(child.quad.corners[0], 0.5f, 0.0f);
    }
    // A quarter turn about its own centre keeps the centre; the top-left corner goes to the bottom left.
    {
        Circle circle(Vec2(10, 20), 5, 1, 0, 11);
        circle.rotate(kPi / 2, circle.getPosition());
        EXPECT_VEC_NEAR(circle.getPosition(), 10.0f, 20.0f);
        expectCorners(circle.quad, {Vec2(5, 15), Vec2(5, 25), Vec2(15, 25), Vec2(15, 15)});
    }
    // About another pivot the centre moves too, and children turn about the same pivot.
    {
        Circle parent(Vec2(10, 0), 1, 1, 0, 11);
        Circle child(Vec2(20, 0), 1, 1, 0, 1);
        parent.children.push_back(&child);
        parent.rotate(kPi, Vec2(0, 0));
        EXPECT_VEC_NEAR(parent.getPosition(), -10.0f, 0.0f);
        EXPECT_VEC_NEAR(parent.quad.corners[0], -9.0f, -1.0f);
        EXPECT_VEC_NEAR(child.getPosition(), -20.0f, 0.0f);
    }
    // moveTo the current position still hands a zero move to the children.
    {
        Circle parent(Vec2(4, 4), 1, 1, 0, 11);
        Circle child(Vec2(0, 0), 1, 1, 0, 1);
        parent.children.push_back(&child);
        parent.moveTo(Vec2(4, 4));
        EXPECT_EQ(parent.getPosition(), Vec2(4, 4));
        EXPECT_EQ(child.getPosition(), Vec2(0, 0));
        parent.moveTo(Vec2(6, 1));
        EXPECT_EQ(parent.getPosition(), Vec2(6, 1));
        EXPECT_EQ(child.getPosition(), Vec2(2, -3));
    }
}

TEST(CircleShape, SetTextureAnnouncesEveryCall)
{
    Circle circle(Vec2(0, 0), 1, 1, 4, 11);
    testing::internal::CaptureStdout();
    circle.setTexture(7);
    circle.setTexture(7);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "getting called\ngetting called\n");
    EXPECT_EQ(circle.quad.texture, 7u);
}

TEST(PolyShape, ConstructionCentresTheVerticesAndBuildsBands)
{
    // The unit square moved to (10, 5).
    {
        const Poly square = unitSquareAt(Vec2(10, 5), 6);
        EXPECT_EQ(square.getPosition(), Vec2(10, 5));
        EXPECT_EQ(square.shapeType, ShapeType::Poly);
        EXPECT_EQ(square.layer, 4);
        EXPECT_EQ(square.kind, 3);
        const std::vector<Vec2> expected = {Vec2(9, 4), Vec2(11, 4), Vec2(11, 6), Vec2(9, 6)};
        EXPECT_EQ(square.vertices, expected);
        // One band per edge, each 6 wide, centred on the edge; the first runs (9, 4) -> (11, 4).
        ASSERT_EQ(square.edgeQuads.size(), 4u);
        expectCorners(square.edgeQuads[0], {Vec2(9, 1), Vec2(11, 1), Vec2(11, 7), Vec2(9, 7)});
        // The closing edge runs from the last vertex back to the first.
        expectCorners(square.edgeQuads[3], {Vec2(6, 6), Vec2(6, 4), Vec2(12, 4), Vec2(12, 6)});
        for (const TexturedQuad& band : square.edgeQuads) {
            EXPECT_EQ(band.layerRef, &square.layer);
            EXPECT_EQ(band.texture, 9u);
        }
    }
    // The reference point is the vertex mean, not the area centroid.
    {
        const Poly triangle(Vec2(0, 0), 1, 1, 0, 3, {Vec2(0, 0), Vec2(4, 0), Vec2(0, 4)});
        ASSERT_EQ(triangle.vertices.size(), 3u);
        EXPECT_VEC_NEAR(triangle.vertices[0], -4.0f / 3, -4.0f / 3);
        EXPECT_VEC_NEAR(triangle.vertices[1], 8.0f / 3, -4.0f / 3);
        EXPECT_VEC_NEAR(triangle.vertices[2], -4.0f / 3, 8.0f / 3);
        EXPECT_VEC_NEAR(triangle.getPosition(), 0.0f, 0.0f);
    }
    // No vertices: the given position, no bands, nothing drawn.
    {
        QuadRecorder recorder;
        const Poly empty(Vec2(3, -7), 1, 2, 0, 3, {});
        EXPECT_EQ(empty.getPosition(), Vec2(3, -7));
        EXPECT_TRUE(empty.vertices.empty());
        EXPECT_TRUE(empty.edgeQuads.empty());
        empty.draw();
        EXPECT_TRUE(recorder.quads.empty());
    }
    // A zero-length edge has no direction: its band collapses onto the shared point.
    {
        const Poly degenerate(Vec2(0, 0), 1, 4, 0, 3, {Vec2(0, 0), Vec2(0, 0), Vec2(3, 0), Vec2(0, 3)});
        ASSERT_EQ(degenerate.edgeQuads.size(), 4u);
        const Vec2 point = degenerate.vertices[0];
        expectCorners(degenerate.edgeQuads[0], {point, point, point, point});
        EXPECT_GT(length(degenerate.edgeQuads[1].corners[0] - degenerate.edgeQuads[1].corners[3]), 3.9f);
    }
}

TEST(PolyShape, BandsFollowTheVertices)
{
    // A half turn about the centre maps every vertex onto the opposite one and turns the bands.
    {
        Poly square = unitSquareAt(Vec2(10, 5), 6);
        const std::vector<Vec2> before = square.vertices;
        square.rotate(kPi, square.getPosition());
        EXPECT_VEC_NEAR(square.getPosition(), 10.0f, 5.0f);
        for (std::size_t i = 0; i < 4; ++i) {
            SCOPED_TRACE(i);
            EXPECT_VEC_NEAR(square.vertices[i], before[(i + 2) % 4].x, before[(i + 2) % 4].y);
        }
        // The first band now lies along the top edge, from (11, 6) to (9, 6), 6 wide.
        expectCorners(square.edgeQuads[0], {Vec2(11, 9), Vec2(9, 9), Vec2(9, 3), Vec2(11, 3)});
    }
    // translate moves the centre, the vertices, the bands and the children.
    {
        Poly square = unitSquareAt(Vec2(10, 5), 6);
        Circle child(Vec2(0, 0), 1, 1, 0, 1);
        square.children.push_back(&child);
        square.translate(-10, 1);
        EXPECT_EQ(square.getPosition(), Vec2(0, 6));
        EXPECT_EQ(square.vertices[0], Vec2(-1, 5));
        expectCorners(square.edgeQuads[0], {Vec2(-1, 2), Vec2(1, 2), Vec2(1, 8), Vec2(-1, 8)});
        EXPECT_EQ(child.getPosition(), Vec2(-10, 1));
    }
    // A new texture reaches the bands only when they are rebuilt; nothing is printed.
    {
        QuadRecorder recorder;
        Poly square = unitSquareAt(Vec2(0, 0), 2);
        testing::internal::CaptureStdout();
        square.setTexture(12);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
        square.draw();
        square.buildEdgeQuads(square.texture);
        square.draw();
        ASSERT_EQ(recorder.quads.size(), 8u);
        for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(recorder.quads[i].texture, 9u);
        for (std::size_t i = 4; i < 8; ++i) EXPECT_EQ(recorder.quads[i].texture, 12u);
        // Bands are drawn in edge order.
        expectCorners(recorder.quads[4], {Vec2(-1, -2), Vec2(1, -2), Vec2(1, 0), Vec2(-1, 0)});
    }
}

} // namespace

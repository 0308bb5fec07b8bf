#pragma once

#include <cstdint>
#include <vector>

#include "Bounds.h"
#include "GameObject.h"
#include "TexturedQuad.h"

// Convex polygon body, drawn as its outline: one textured band per edge.
class Poly : public GameObject {
public:
    // The vertices may be given in any frame: they are shifted so that their mean lands on position.
    Poly(const Vec2& position, std::uint16_t layer, float edgeWidth, std::uint32_t texture, std::uint16_t kind,
         std::vector<Vec2> vertices);

    // Rebuilds the outline bands from the current vertices, edgeWidth and layer.
    void buildEdgeQuads(std::uint32_t texture);
    // Becomes the rectangle of the given width whose centre line runs from `from` to `to`, vertices
    // in the order from + o, to + o, to - o, from - o (o a half-width offset a quarter turn
    // clockwise of the line); position, vertices and bands follow, nothing else changes.
    void makeBeam(const Vec2& from, const Vec2& to, float width);

    Vec2 getPosition() const override;
    // Takes effect at the next buildEdgeQuads; the bands already built keep their texture.
    void setTexture(std::uint32_t texture, std::ostream& console) override;
    using GameObject::translate;
    void translate(const Vec2& delta) override;
    void rotate(float angle, const Vec2& pivot) override;
    bool collidesWith(const GameObject* other) const override;
    bool collisionMtv(const GameObject* other, Vec2* mtv) const override;
    void draw(QuadRenderer& renderer) const override;
    std::unique_ptr<GameObject> clone() const override;
    bool assignFrom(const GameObject& other) override;

    // One band per edge, in edge order.
    std::vector<TexturedQuad> edgeQuads;
    // Mean of the vertices (not the area centroid).
    Vec2 position;
    // World coordinates; edge i runs from vertex i to vertex i + 1, the last back to vertex 0.
    // Change them only through the operations, which keep bounds current.
    std::vector<Vec2> vertices;
    // Thickness of the drawn bands, world units.
    float edgeWidth;
    // Texture used when the bands are built.
    std::uint32_t texture;
    // Box around the vertices, kept current by every operation that moves them.
    Aabb bounds;
    // The registry's count of changes to its polygons' bounds, once it has filed this polygon by
    // kind: what lets a copy of the walls' boxes tell that it is out of date. Not owned.
    std::uint64_t* boundsClock = nullptr;

private:
    void noteBoundsChange()
    {
        if (boundsClock != nullptr) ++*boundsClock;
    }
};

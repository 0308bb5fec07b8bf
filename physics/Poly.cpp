#include "Poly.h"

#include <utility>

#include "Circle.h"
#include "Collision.h"

Poly::Poly(const Vec2& position, std::uint16_t layer, float edgeWidth, std::uint32_t texture, std::uint16_t kind,
           std::vector<Vec2> vertices)
    : vertices(std::move(vertices)), edgeWidth(edgeWidth), texture(texture)
{
    Vec2 sum;
    for (const Vec2& vertex : this->vertices) sum += vertex;
    this->position = sum / static_cast<float>(this->vertices.size());
    if (!this->vertices.empty()) bounds = boundsOfPoints(this->vertices);
    noteBoundsChange();
    Poly::translate(position - this->position);
    this->layer = layer;
    this->kind = kind;
    shapeType = ShapeType::Poly;
    buildEdgeQuads(texture);
}

void Poly::buildEdgeQuads(std::uint32_t texture)
{
    edgeQuads.clear();
    const std::size_t count = vertices.size();
    for (std::size_t i = 0; i < count; ++i) {
        const Vec2 a = vertices[i];
        const Vec2 b = vertices[(i + 1) % count];
        const Vec2 edge = b - a;
        // A quarter turn clockwise of the edge, half a band wide.
        const Vec2 offset = normalised(Vec2(edge.y, -edge.x)) * (edgeWidth * 0.5f);
        TexturedQuad band;
        band.corners = {a + offset, b + offset, b - offset, a - offset};
        band.layerRef = &layer;
        band.texture = texture;
        edgeQuads.push_back(band);
    }
}

void Poly::makeBeam(const Vec2& from, const Vec2& to, float width)
{
    const Vec2 across(to.y - from.y, -(to.x - from.x));
    const Vec2 offset = normalised(across) * (width * 0.5f);
    vertices = {from + offset, to + offset, to - offset, from - offset};
    bounds = boundsOfPoints(vertices);
    noteBoundsChange();
    position = from + (to - from) * 0.5f;
    buildEdgeQuads(texture);
}

Vec2 Poly::getPosition() const { return position; }

void Poly::setTexture(std::uint32_t texture, std::ostream& /*console*/) { this->texture = texture; }

void Poly::translate(const Vec2& delta)
{
    position += delta;
    for (Vec2& vertex : vertices) vertex += delta;
    // Rounding is monotonic, so the shifted box is exactly the box of the shifted vertices.
    bounds.lower += delta;
    bounds.upper += delta;
    noteBoundsChange();
    for (TexturedQuad& band : edgeQuads) band.translate(delta);
    translateChildren(delta);
}

void Poly::rotate(float angle, const Vec2& pivot)
{
    position = rotatedAbout(position, pivot, angle);
    for (Vec2& vertex : vertices) vertex = rotatedAbout(vertex, pivot, angle);
    if (!vertices.empty()) bounds = boundsOfPoints(vertices);
    noteBoundsChange();
    for (TexturedQuad& band : edgeQuads) band.rotate(angle, pivot);
    rotateChildren(angle, pivot);
}

// Polygons answer only circles and polygons; boxes and unknown tags are false without a look at
// the other body. A polygon without vertices never collides.
bool Poly::collidesWith(const GameObject* other) const
{
    if (vertices.empty()) return false;
    switch (other->shapeType) {
    case ShapeType::Circle: {
        const auto* circle = static_cast<const Circle*>(other);
        return polygonCircleOverlap(vertices, circle->getPosition(), circle->radius);
    }
    case ShapeType::Poly: {
        const std::vector<Vec2>& polygon = static_cast<const Poly*>(other)->vertices;
        return !polygon.empty() && polygonsOverlap(vertices, polygon);
    }
    case ShapeType::Box: return false;
    }
    return false;
}

bool Poly::collisionMtv(const GameObject* other, Vec2* mtv) const
{
    if (vertices.empty()) return false;
    switch (other->shapeType) {
    case ShapeType::Circle: {
        const auto* circle = static_cast<const Circle*>(other);
        return polygonCircleMtv(vertices, circle->getPosition(), circle->radius, mtv, diagnostics);
    }
    case ShapeType::Poly: {
        const std::vector<Vec2>& polygon = static_cast<const Poly*>(other)->vertices;
        return !polygon.empty() && polygonPolygonMtv(vertices, polygon, mtv, diagnostics);
    }
    case ShapeType::Box: return false;
    }
    return false;
}

void Poly::draw(QuadRenderer& renderer) const
{
    for (const TexturedQuad& band : edgeQuads) renderer.drawTexturedQuad(band);
}

std::unique_ptr<GameObject> Poly::clone() const
{
    auto copy = std::make_unique<Poly>(*this);
    for (TexturedQuad& band : copy->edgeQuads) band.layerRef = &copy->layer;
    copy->boundsClock = nullptr;
    return copy;
}

bool Poly::assignFrom(const GameObject& other)
{
    const auto* poly = dynamic_cast<const Poly*>(&other);
    if (poly == nullptr) return false;
    assignSettings(other);
    edgeQuads = poly->edgeQuads;
    for (TexturedQuad& band : edgeQuads) band.layerRef = &layer;
    position = poly->position;
    vertices = poly->vertices;
    edgeWidth = poly->edgeWidth;
    texture = poly->texture;
    bounds = poly->bounds;
    noteBoundsChange();
    return true;
}

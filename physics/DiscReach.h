#pragma once

#include "Bounds.h"
#include "GameObject.h"
#include "Poly.h"

// A body's box worked out once, for skipping its pair tests against many polygons: each answer is
// the one circleAndPolygonClearlyApart gives for the body and that polygon. Only a circle of
// radius 0 or more ever skips; work it out afresh whenever the body moves.
class DiscReach {
public:
    explicit DiscReach(const GameObject& body);

    bool clearlyApartFrom(const GameObject& other) const
    {
        const Aabb* otherBox = skippableBox(other);
        return usable && otherBox != nullptr && clearlyApart(box, magnitude, *otherBox);
    }

    // The box of a body that a disc may be found clearly apart from: a polygon with vertices.
    // Any other body has none, and its pair test always runs.
    static const Aabb* skippableBox(const GameObject& body)
    {
        if (body.shapeType != ShapeType::Poly) return nullptr;
        const auto& polygon = static_cast<const Poly&>(body);
        return polygon.vertices.empty() ? nullptr : &polygon.bounds;
    }

private:
    friend class PolygonBoxes;
    Aabb box{};
    float magnitude = 0.0f;
    bool usable = false;
};

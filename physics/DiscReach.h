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
        if (!usable || other.shapeType != ShapeType::Poly) return false;
        const auto& polygon = static_cast<const Poly&>(other);
        return !polygon.vertices.empty() && clearlyApart(box, magnitude, polygon.bounds);
    }

private:
    friend class PolygonBoxes;
    Aabb box{};
    float magnitude = 0.0f;
    bool usable = false;
};

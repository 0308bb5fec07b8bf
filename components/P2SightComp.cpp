#include "P2SightComp.h"

#include "BodyKinds.h"
#include "PlayerAim.h"
#include "Poly.h"

namespace {
constexpr float kRayLength = 1000.0f; // world units
constexpr float kBeamWidth = 1.0f;    // world units
} // namespace

P2SightComp::P2SightComp(GameObject* body, ObjectMap* objects) : body(body), aim(&player2Aim), objects(objects) {}

// Casts the ray against every edge of every wall, closing edge included. The scratch point keeps its
// value between edges, so a miss re-offers the previous hit, which never beats the best; equal
// distances keep the hit found first.
void P2SightComp::update()
{
    Vec2 ray = *aim;
    normalise(ray);
    ray *= kRayLength;
    const Vec2 start = body->getPosition();
    const Vec2 end = start + ray;
    Vec2 best = end;
    Vec2 hit = end;
    for (const auto& [name, other] : *objects) {
        if (other->kind != kWallKind || other->shapeType != ShapeType::Poly) continue;
        const std::vector<Vec2>& vertices = static_cast<const Poly*>(other)->vertices;
        const std::size_t count = vertices.size();
        for (std::size_t i = 0; i < count; ++i) {
            segmentIntersection(start, end, vertices[i], vertices[i + 1 < count ? i + 1 : 0], &hit);
            if (length(hit - start) < length(best - start)) best = hit;
        }
    }
    if (body->children.empty() || body->children.front()->shapeType != ShapeType::Poly) return;
    static_cast<Poly*>(body->children.front())->makeBeam(start, best, kBeamWidth);
}

#include "P2SightComp.h"

#include "Bounds.h"
#include "GameObject.h"
#include "Poly.h"
#include "Rules.h"

P2SightComp::P2SightComp(int id, GameObject* body, const Vec2* aim, ObjectMap* objects)
    : Component(id), body(body), aim(aim), objects(objects)
{
}

std::unique_ptr<Component> P2SightComp::clone(const BodyRelink& relink) const
{
    auto copy = std::make_unique<P2SightComp>(*this);
    copy->body = relink(body);
    return copy;
}

// Casts the ray against every edge of every wall, closing edge included. A miss leaves the hit point
// as it was, which never beats the best again, so distances are measured only on a hit; equal
// distances keep the hit found first.
void P2SightComp::update()
{
    Vec2 ray = *aim;
    normalise(ray);
    ray *= rules::kRayLength;
    const Vec2 start = body->getPosition();
    const Vec2 end = start + ray;
    Vec2 best = end;
    float bestDistance = length(best - start);
    Vec2 hit = end;
    const Aabb rayBounds = boundsOfPoints({start, end});
    for (const GameObject* wall : objects->ofKind(rules::kWallKind)) {
        if (wall->shapeType != ShapeType::Poly) continue;
        const auto& polygon = static_cast<const Poly&>(*wall);
        // No edge of a wall lying clearly off the ray can meet it.
        if (polygon.vertices.empty() || clearlyApart(rayBounds, polygon.bounds)) continue;
        const std::vector<Vec2>& vertices = polygon.vertices;
        const std::size_t count = vertices.size();
        for (std::size_t i = 0; i < count; ++i) {
            if (!segmentIntersection(start, end, vertices[i], vertices[i + 1 < count ? i + 1 : 0], &hit)) continue;
            const float distance = length(hit - start);
            if (distance < bestDistance) {
                best = hit;
                bestDistance = distance;
            }
        }
    }
    if (body->children.empty() || body->children.front()->shapeType != ShapeType::Poly) return;
    static_cast<Poly*>(body->children.front())->makeBeam(start, best, rules::kBeamWidth);
}

bool P2SightComp::assignFrom(const Component& other, const BodyRelink& relink)
{
    const auto* same = dynamic_cast<const P2SightComp*>(&other);
    if (same == nullptr) return false;
    *this = *same;
    body = relink(same->body);
    return true;
}

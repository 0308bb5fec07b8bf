#include "ArenaMap.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {
// Margin of grid kept around the walls, world units.
constexpr float kGridMargin = 40.0f;

float distanceToSegment(const Vec2& point, const Vec2& a, const Vec2& b)
{
    const Vec2 edge = b - a;
    const float lengthSquared = dot(edge, edge);
    float along = lengthSquared > 0.0f ? dot(point - a, edge) / lengthSquared : 0.0f;
    along = std::clamp(along, 0.0f, 1.0f);
    return length(point - (a + edge * along));
}

bool segmentsCross(const Vec2& a, const Vec2& b, const Vec2& c, const Vec2& d)
{
    Vec2 unused;
    return segmentIntersection(a, b, c, d, &unused);
}

// Inside when the point lies on the same side of every edge, whichever way the corners run.
bool insidePolygon(const Vec2& point, const WallOutline& polygon)
{
    bool anyLeft = false;
    bool anyRight = false;
    for (std::size_t i = 0; i < polygon.size(); ++i) {
        const Vec2& a = polygon[i];
        const Vec2& b = polygon[(i + 1) % polygon.size()];
        const float side = cross(b - a, point - a);
        anyLeft = anyLeft || side > 0.0f;
        anyRight = anyRight || side < 0.0f;
    }
    return !(anyLeft && anyRight);
}

float distanceToBox(const Vec2& point, const Aabb& box)
{
    const float dx = std::max({box.lower.x - point.x, 0.0f, point.x - box.upper.x});
    const float dy = std::max({box.lower.y - point.y, 0.0f, point.y - box.upper.y});
    return std::sqrt(dx * dx + dy * dy);
}
} // namespace

ArenaMap::ArenaMap(std::vector<WallOutline> walls) : outlines(std::move(walls))
{
    outlines.erase(std::remove_if(outlines.begin(), outlines.end(), [](const WallOutline& w) { return w.empty(); }),
                   outlines.end());
    if (outlines.empty()) return;
    Aabb all = boundsOfPoints(outlines.front());
    for (const WallOutline& wall : outlines) {
        boxes.push_back(boundsOfPoints(wall));
        all.lower = Vec2(std::min(all.lower.x, boxes.back().lower.x), std::min(all.lower.y, boxes.back().lower.y));
        all.upper = Vec2(std::max(all.upper.x, boxes.back().upper.x), std::max(all.upper.y, boxes.back().upper.y));
    }
    origin = all.lower - Vec2(kGridMargin, kGridMargin);
    columns = static_cast<int>(std::ceil((all.upper.x - all.lower.x + 2.0f * kGridMargin) / kGridStep)) + 1;
    rows = static_cast<int>(std::ceil((all.upper.y - all.lower.y + 2.0f * kGridMargin) / kGridStep)) + 1;
    grid.resize(static_cast<std::size_t>(columns * rows));
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            const Vec2 point = origin + Vec2(static_cast<float>(column), static_cast<float>(row)) * kGridStep;
            grid[static_cast<std::size_t>(row * columns + column)] = exactClearance(point);
        }
    }
}

float ArenaMap::exactClearance(const Vec2& point) const
{
    float best = 1e9f;
    for (std::size_t w = 0; w < outlines.size(); ++w) {
        // A wall whose box lies farther than the best so far cannot be nearer.
        if (distanceToBox(point, boxes[w]) >= best) continue;
        const WallOutline& polygon = outlines[w];
        float nearest = 1e9f;
        for (std::size_t i = 0; i < polygon.size(); ++i)
            nearest = std::min(nearest, distanceToSegment(point, polygon[i], polygon[(i + 1) % polygon.size()]));
        best = std::min(best, insidePolygon(point, polygon) ? -nearest : nearest);
    }
    return best;
}

Vec2 ArenaMap::awayFromWalls(const Vec2& point) const
{
    const float dx = clearance(point + Vec2(kGridStep, 0.0f)) - clearance(point - Vec2(kGridStep, 0.0f));
    const float dy = clearance(point + Vec2(0.0f, kGridStep)) - clearance(point - Vec2(0.0f, kGridStep));
    return normalised(Vec2(dx, dy));
}

bool ArenaMap::pathClear(const Vec2& from, const Vec2& to, float radius) const
{
    const Aabb path{Vec2(std::min(from.x, to.x) - radius, std::min(from.y, to.y) - radius),
                    Vec2(std::max(from.x, to.x) + radius, std::max(from.y, to.y) + radius)};
    for (std::size_t w = 0; w < outlines.size(); ++w) {
        const Aabb& box = boxes[w];
        if (box.lower.x > path.upper.x || path.lower.x > box.upper.x || box.lower.y > path.upper.y ||
            path.lower.y > box.upper.y)
            continue;
        const WallOutline& polygon = outlines[w];
        if (insidePolygon(from, polygon)) return false;
        for (std::size_t i = 0; i < polygon.size(); ++i) {
            const Vec2& a = polygon[i];
            const Vec2& b = polygon[(i + 1) % polygon.size()];
            // Segments that do not cross are nearest at one of the four ends.
            if (segmentsCross(from, to, a, b)) return false;
            const float gap = std::min({distanceToSegment(from, a, b), distanceToSegment(to, a, b),
                                        distanceToSegment(a, from, to), distanceToSegment(b, from, to)});
            if (gap < radius) return false;
        }
    }
    return true;
}

// Steps as far as the clearance allows, which can never step into a wall, down to a floor that keeps
// the walk short near one.
float ArenaMap::reach(const Vec2& from, const Vec2& direction, float radius, float limit) const
{
    constexpr float kSmallestStep = 4.0f;
    float travelled = 0.0f;
    while (travelled < limit) {
        const float room = clearance(from + direction * travelled) - radius;
        if (room <= 0.0f) return travelled;
        travelled += std::max(room, kSmallestStep);
    }
    return limit;
}

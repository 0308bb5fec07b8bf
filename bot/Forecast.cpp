#include "Forecast.h"

#include <algorithm>
#include <cmath>

using namespace rules;

namespace forecast {

namespace {
constexpr float kDiagonal = 0.70710678f;
}

const std::array<Vec2, 8> kEightWays = {
    Vec2(1, 0),  Vec2(kDiagonal, kDiagonal),   Vec2(0, 1),  Vec2(-kDiagonal, kDiagonal),
    Vec2(-1, 0), Vec2(-kDiagonal, -kDiagonal), Vec2(0, -1), Vec2(kDiagonal, -kDiagonal)};

void shotPath(const ShotView& shot, const ArenaMap& arena, int ticks, Vec2* out)
{
    Vec2 position = shot.position;
    Vec2 velocity = shot.velocity;
    for (int tick = 0; tick < ticks; ++tick) {
        position += velocity;
        const float room = arena.clearance(position) - kBulletRadius;
        if (room < 0.0f) {
            const Vec2 normal = arena.awayFromWalls(position);
            position += normal * -room;
            velocity -= normal * (2.0f * dot(velocity, normal));
        }
        out[tick] = position;
    }
}

void driftPath(const Vec2& position, Vec2 aim, const ArenaMap& arena, int ticks, Vec2* out)
{
    Vec2 at = position;
    for (int tick = 0; tick < ticks; ++tick) {
        aim *= kAimDamping;
        const Vec2 next = at + aim;
        if (arena.clearance(next) > kPlayerRadius) at = next;
        out[tick] = at;
    }
}

float offThrowLines(const Vec2& offset)
{
    const float alongDiagonal = std::fabs(offset.x - offset.y) * kDiagonal;
    const float acrossDiagonal = std::fabs(offset.x + offset.y) * kDiagonal;
    return std::min({std::fabs(offset.x), std::fabs(offset.y), alongDiagonal, acrossDiagonal});
}

// Solves |target + velocity t - from| = speed t for the smallest t > 0.
float interceptTicks(const Vec2& from, float speed, const Vec2& target, const Vec2& velocity)
{
    const Vec2 offset = target - from;
    const float a = dot(velocity, velocity) - speed * speed;
    const float b = 2.0f * dot(offset, velocity);
    const float c = dot(offset, offset);
    if (std::fabs(a) < 1e-6f) return b < 0.0f ? -c / b : -1.0f;
    const float discriminant = b * b - 4.0f * a * c;
    if (discriminant < 0.0f) return -1.0f;
    const float root = std::sqrt(discriminant);
    const float first = (-b - root) / (2.0f * a);
    const float second = (-b + root) / (2.0f * a);
    const float soonest = std::min(first, second);
    return soonest > 0.0f ? soonest : std::max(first, second);
}

} // namespace forecast

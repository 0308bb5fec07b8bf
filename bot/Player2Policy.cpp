#include "Player2Policy.h"

#include <array>
#include <cmath>

#include "Forecast.h"
#include "Steering.h"

using namespace forecast;
using namespace rules;

namespace {
constexpr int kHorizon = 12; // ticks looked ahead
// Ticks a knocked-back bullet flies before the bot reacts to it, drawn now and then: a person's reflexes.
constexpr float kQuickest = 4.0f;
constexpr float kSlowest = 10.0f;
constexpr float kUnbounded = 1e30f;
constexpr float kCruise = 5.5f; // world units per tick, the slower of the two speeds tried

// Costs, in tenths of a point of health: a tick against a wall costs what the wall takes.
constexpr float kWallTouch = 10.0f * kWallDamage;
constexpr float kWallMargin = 16.0f; // clearance wanted beyond touching, world units
constexpr float kWallGrazing = 1.5f; // per unit short of the margin, per tick
// A knocked-back bullet's hit; the ball's too, which may shove into a wall.
constexpr float kThreatHit = 10.0f * kDamageToPlayer2;
constexpr float kThreatMargin = 20.0f;
constexpr float kThreatNear = 3.0f;
constexpr float kKick = 150.0f; // touching player 1 flings player 2 off
constexpr float kCrowding = 1.0f;
constexpr float kStationWeight = 0.05f;
constexpr float kChangeWeight = 0.1f;
// Of the distance to the station, as the aim when homing in on it.
constexpr float kArrivalGain = 0.15f;
constexpr float kSettledError = 0.05f; // world units per tick
constexpr float kShotValue = 40.0f;
// Ticks of flight beyond which player 1 has likely turned before a shot arrives.
constexpr float kLongestShot = 30.0f;
// Room from player 1 within which player 2 counts as crowding it (world units).
constexpr float kCrowdedRange = 80.0f;
// Choosing a station: room wanted around one, the cost of no clear shot.
constexpr float kRoomWanted = 40.0f;
constexpr float kNoSight = 600.0f;
// Room wanted around a line of fire beyond the bullet, for the grid reads a little long by corners.
constexpr float kSightMargin = 8.0f;
constexpr float kInnerRing = 0.55f; // of the range wanted
// Sixteen ways round, anticlockwise from east.
const std::array<Vec2, 16> kCompass = [] {
    std::array<Vec2, 16> ways;
    for (std::size_t way = 0; way < ways.size(); ++way) {
        const double angle = 2.0 * 3.14159265358979 * static_cast<double>(way) / static_cast<double>(ways.size());
        ways[way] = Vec2(static_cast<float>(std::cos(angle)), static_cast<float>(std::sin(angle)));
    }
    return ways;
}();
} // namespace

Player2Policy::Player2Policy(std::uint32_t seed) : random(seed), stationRange(380.0f), orbit(1.0f)
{
    threatPaths.reserve(16 * kHorizon);
    player1Path.resize(kHorizon);
}

Player2Input Player2Policy::decide(const MatchView& view, const ArenaMap& arena)
{
    if (!view.player2.alive) {
        lastWant = Vec2();
        stationChosen = false;
        return {};
    }
    if (--ticksToRedraw <= 0) {
        stationRange = random.between(220.0f, 430.0f);
        reactionTicks = static_cast<int>(random.between(kQuickest, kSlowest));
        orbit = random.uniform() < 0.5f ? -1.0f : 1.0f;
        ticksToRedraw = 120 + static_cast<int>(random.next() % 180);
    }
    threatPaths.clear();
    threatReach.clear();
    Vec2 path[kHorizon];
    for (const ShotView& shot : view.shots) {
        if (!shot.knockedBack || shot.age < reactionTicks) continue;
        shotPath(shot, arena, kHorizon, path);
        threatPaths.insert(threatPaths.end(), path, path + kHorizon);
        threatReach.push_back(kBulletRadius + kPlayerRadius);
    }
    if (view.ball.inFlight) {
        for (int tick = 0; tick < kHorizon; ++tick) {
            // Gone after its last tick: far enough away to never count.
            const bool flying = tick <= view.ball.ticksLeft;
            threatPaths.push_back(flying ? view.ball.position + view.ball.velocity * static_cast<float>(tick + 1)
                                         : Vec2(1e6f, 1e6f));
        }
        threatReach.push_back(kBallRadius + kPlayerRadius);
    }
    if (view.player1.alive) {
        Vec2 step = view.player1.velocity;
        if (length(step) > kWalkSpeed) step = normalised(step) * kWalkSpeed;
        for (int tick = 0; tick < kHorizon; ++tick)
            player1Path[static_cast<std::size_t>(tick)] = view.player1.position + step * static_cast<float>(tick + 1);
        station = chooseStation(view, arena);
    } else {
        stationChosen = false;
        station = view.player2.position;
    }

    // Plans likely to do well go first, so that the rest can stop as soon as they cost more.
    Plan best{arrival(view.player2.position), false};
    float bestCost = cost(view, arena, best.want, true, kUnbounded);
    const auto consider = [&](const Vec2& want) {
        const float here = cost(view, arena, want, false, bestCost);
        if (here < bestCost) {
            bestCost = here;
            best = Plan{want, false};
        }
    };
    consider(lastWant);
    consider(Vec2());
    for (const Vec2& direction : kCompass) {
        consider(direction * kCruise);
        consider(direction * steering::kTopSpeed);
    }
    Vec2 target;
    if (view.player2Reload == 0 && chooseTarget(view, arena, target)) {
        const Vec2 aim = view.player2.velocity;
        const float distance = length(target - view.player2.position);
        const Vec2 direction = normalised(target - view.player2.position);
        for (const float speed : {2.5f, 6.0f, 9.5f, steering::kTopSpeed}) {
            const Vec2 want = direction * speed;
            const Player2Input pointer = steering::pointerFor(aim, want);
            const Vec2 reached = steering::nextAim(aim, pointer.pointerX, pointer.pointerY);
            // The shot goes along the aim actually reached: it must pass close enough to hit.
            if (std::fabs(cross(normalised(reached), direction)) * distance > 10.0f || dot(reached, direction) <= 0.0f)
                continue;
            const float here = cost(view, arena, want, false, bestCost + kShotValue) - kShotValue;
            if (here < bestCost) {
                bestCost = here;
                best = Plan{want, true};
            }
        }
    }
    lastWant = best.want;
    Player2Input input = steering::pointerFor(view.player2.velocity, best.want);
    input.leftDown = best.fire;
    return input;
}

// Tries points near where player 2 is and points on the ring at the range it wants, each judged by
// how far it is off that range, its room, whether a shot from it reaches player 1, whether player 1
// could throw at it, and how far away it is; the sight test, the dearest, only for a point that could
// still win.
Vec2 Player2Policy::chooseStation(const MatchView& view, const ArenaMap& arena)
{
    const Vec2 self = view.player2.position;
    const Vec2 centre = player1Path[kHorizon - 1];
    if (!stationChosen) station = self;
    stationChosen = true;
    const Vec2 fromCentre = normalised(self - centre);
    // Circle round player 1, so as never to stand still in front of it.
    const Vec2 onward = Vec2(-fromCentre.y, fromCentre.x) * orbit;
    float bestScore = 1e9f;
    Vec2 best = station;
    const auto consider = [&](const Vec2& point) {
        const Vec2 offset = point - centre;
        const float range = length(offset);
        float score = std::fabs(range - stationRange) * 0.6f + length(point - self) * 0.3f +
                      length(point - station) * 0.2f - dot(point - self, onward) * 0.15f;
        const float room = arena.clearance(point) - kPlayerRadius;
        if (room < kRoomWanted) score += (kRoomWanted - room) * 6.0f;
        const float offLine = offThrowLines(offset);
        if (range < kBallReach + 40.0f && offLine < 80.0f) score += (80.0f - offLine) * 2.0f;
        if (score >= bestScore) return;
        // A clear line to player 1, for the shots.
        if (range > kCrowdedRange &&
            arena.reach(point, offset * (-1.0f / range), kBulletRadius + kSightMargin, range) < range - 20.0f)
            score += kNoSight;
        if (score < bestScore) {
            bestScore = score;
            best = point;
        }
    };
    consider(station);
    consider(self);
    for (std::size_t way = 0; way < kCompass.size(); ++way) {
        const Vec2& direction = kCompass[way];
        consider(centre + direction * stationRange);
        // Nearer in, for where walls hide player 1 from farther away.
        consider(centre + direction * (stationRange * kInnerRing));
        if (way % 2 == 0) {
            consider(self + direction * 60.0f);
            consider(self + direction * 140.0f);
        }
    }
    return best;
}

bool Player2Policy::chooseTarget(const MatchView& view, const ArenaMap& arena, Vec2& target)
{
    if (!view.player1.alive) return false;
    const Vec2 start = view.player2.position + view.player2.velocity * kAimDamping;
    const float ticks = interceptTicks(start, kBulletSpeed, view.player1.position, view.player1.velocity);
    if (ticks < 0.0f || ticks > kLongestShot) return false;
    target = view.player1.position + view.player1.velocity * ticks;
    return arena.pathClear(start, target, kBulletRadius);
}

Vec2 Player2Policy::arrival(const Vec2& from) const
{
    const Vec2 want = (station - from) * kArrivalGain;
    return length(want) > steering::kTopSpeed ? normalised(want) * steering::kTopSpeed : want;
}

float Player2Policy::cost(const MatchView& view, const ArenaMap& arena, Vec2 want, bool homing, float bound) const
{
    Vec2 position = view.player2.position;
    Vec2 aim = view.player2.velocity;
    const std::size_t threats = threatReach.size();
    float total = length(want - lastWant) * kChangeWeight;
    bool settled = false;
    for (int tick = 0; tick < kHorizon; ++tick) {
        // Once the aim has come round to want it stays there, near enough for planning.
        if (homing) want = arrival(position);
        if (!settled) {
            const Player2Input pointer = steering::pointerFor(aim, want);
            aim = steering::nextAim(aim, pointer.pointerX, pointer.pointerY);
            const Vec2 error = aim - want;
            settled = !homing && dot(error, error) < kSettledError * kSettledError;
        }
        position += aim;
        const float room = arena.clearance(position) - kPlayerRadius;
        if (room < kWallMargin) total += (room < 0.0f ? kWallTouch : 0.0f) + (kWallMargin - room) * kWallGrazing;
        for (std::size_t i = 0; i < threats; ++i) {
            const Vec2 gap = position - threatPaths[i * kHorizon + static_cast<std::size_t>(tick)];
            const float near = threatReach[i] + kThreatMargin;
            const float squaredGap = dot(gap, gap);
            if (squaredGap >= near * near) continue;
            const float distance = std::sqrt(squaredGap);
            total += (distance < threatReach[i] ? kThreatHit : 0.0f) + (near - distance) * kThreatNear;
        }
        // Every term is positive: past the bound, this plan has lost.
        if (total >= bound) return total;
        if (view.player1.alive) {
            const Vec2 gap = position - player1Path[static_cast<std::size_t>(tick)];
            constexpr float kContact = 2.0f * kPlayerRadius;
            constexpr float kNear = kContact + kCrowdedRange;
            if (dot(gap, gap) < kNear * kNear) {
                const float distance = length(gap);
                total += (distance < kContact ? kKick : 0.0f) + (kNear - distance) * kCrowding;
            }
        }
    }
    total += length(position - station) * kStationWeight;
    return total;
}

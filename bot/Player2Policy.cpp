#include "Player2Policy.h"

#include <array>
#include <cmath>

#include "Forecast.h"
#include "Steering.h"

using namespace forecast;
using namespace rules;

namespace {
constexpr int kHorizon = 12;     // ticks looked ahead
constexpr int kSteeredTicks = 4; // of them, ticks the hand's steering is followed tick by tick
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
constexpr float kRouteWeight = 0.05f;
constexpr float kChangeWeight = 0.25f;
constexpr float kSwitchMargin = 5.0f;
// Of the distance to the next point of the route, as the aim when homing in on it.
constexpr float kArrivalGain = 0.15f;
constexpr float kShotValue = 40.0f;
// Ticks of flight beyond which player 1 has likely turned before a shot arrives.
constexpr float kLongestShot = 30.0f;
// How near the aim's line must pass the target to press the button (world units).
constexpr float kOnTarget = 14.0f;
// Room from player 1 within which player 2 counts as crowding it (world units).
constexpr float kCrowdedRange = 80.0f;
// Choosing a station: room wanted around one, the cost of no clear shot.
constexpr float kRoomWanted = 40.0f;
constexpr float kNoSight = 600.0f;
// Room wanted around a line of fire beyond the bullet, for the grid reads a little long by corners.
constexpr float kSightMargin = 8.0f;
constexpr float kInnerRing = 0.55f; // of the range wanted
// Room kept from the walls along a route (world units), and points of it settled per tick.
constexpr float kRouteRoom = 12.0f;
constexpr int kRouteBudget = 40;
// Ticks between choices of a station (the search for a route runs on the others).
constexpr int kStationEvery = 3;
// Ticks between looks for the next point of the route, and spent on a detour.
constexpr int kWaypointEvery = 4;
constexpr int kDetourTicks = 120;
// Ticks with the hand still after which the bot goes somewhere else.
constexpr int kRestless = 300;
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

Player2Policy::Player2Policy(std::uint32_t seed, const Skill& level)
    : random(seed), skill(level), stationRange(380.0f), orbit(1.0f)
{
    pointer.speed = skill.pointerSpeed;
    pointer.change = skill.pointerChange;
    threatPaths.reserve(16 * kHorizon);
    player1Path.resize(kHorizon);
}

Player2Input Player2Policy::decide(const MatchView& view, const ArenaMap& arena)
{
    if (!route) route.emplace(arena, kPlayerRadius, kRouteRoom);
    ++ticks;
    Player2Input input;
    if (!view.player2.alive) {
        lastWant = Vec2();
        stationChosen = false;
        progress.reset();
        pointer.moveTowards(Vec2());
        input.pointerX = pointer.x;
        input.pointerY = pointer.y;
        input.leftDown = button.press(false);
        quietTicks = 0;
        return input;
    }
    if (--ticksToRedraw <= 0) {
        stationRange = random.between(220.0f, 430.0f);
        orbit = random.uniform() < 0.5f ? -1.0f : 1.0f;
        ticksToRedraw = 120 + static_cast<int>(random.next() % 180);
    }
    const Vec2 self = view.player2.position;
    threatPaths.clear();
    threatReach.clear();
    Vec2 path[kHorizon];
    for (const ShotView& shot : view.shots) {
        if (!shot.knockedBack) continue;
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
        if (ticks % kStationEvery == 0 || !stationChosen) station = chooseStation(view, arena);
    } else {
        stationChosen = false;
        station = self;
    }
    if (detourTicks > 0) --detourTicks;
    const Vec2 goal = detourTicks > 0 ? detour : station;
    route->aimFor(goal);
    // The search takes the ticks on which no station is chosen.
    if (ticks % kStationEvery != 0) route->work(kRouteBudget, self);
    const bool routed = route->ready() && length(route->goal() - goal) < 60.0f;
    if (detourTicks == 0 && (progress.stalled(route->distance(self)) || quietTicks > kRestless)) {
        detour = detourFrom(self, arena);
        detourTicks = kDetourTicks;
        progress.reset();
        quietTicks = 0;
    }
    if (ticks % kWaypointEvery == 0 || !routed) heading = routed ? route->waypoint(self) : goal;

    // Plans likely to do well go first, so that the rest can stop as soon as they cost more.
    Vec2 bestWant = arrival(self);
    float bestCost = cost(view, arena, bestWant, true, kUnbounded);
    const auto consider = [&](const Vec2& want, float value) {
        const float here = cost(view, arena, want, false, bestCost + value) - value;
        if (here < bestCost) {
            bestCost = here;
            bestWant = want;
        }
    };
    consider(lastWant, 0.0f);
    const Vec2 kept = bestWant;
    const float keptCost = bestCost;
    consider(Vec2(), 0.0f);
    // Half the ways round at full speed and a quarter at cruising speed, different ones each tick: over
    // a few ticks every way is tried, at half the cost of trying all in each.
    for (std::size_t way = static_cast<std::size_t>(ticks % 4); way < kCompass.size(); way += 4)
        consider(kCompass[way] * kCruise, 0.0f);
    for (std::size_t way = static_cast<std::size_t>(ticks % 2); way < kCompass.size(); way += 2)
        consider(kCompass[way] * steering::kTopSpeed, 0.0f);
    Vec2 target;
    const bool shot = chooseTarget(view, arena, target);
    if (shot && view.player2Reload <= kHorizon / 2) {
        const Vec2 direction = normalised(target - self);
        for (const float speed : {4.0f, 8.0f, steering::kTopSpeed}) consider(direction * speed, kShotValue);
    }
    // A hand keeps to its motion unless another is clearly better; holding still is no motion to keep.
    if (length(kept) > kCruise * 0.5f && bestCost > keptCost - kSwitchMargin) bestWant = kept;
    lastWant = bestWant;
    const Vec2 aim = steering::steer(pointer, view.player2.velocity, bestWant);
    // The button goes down while the aim's line, from where the bullet will leave, passes the target.
    bool onTarget = false;
    if (shot && view.player2Reload <= 1) {
        const Vec2 toTarget = target - (self + aim);
        onTarget = dot(aim, toTarget) > 0.0f && std::fabs(cross(normalised(aim), toTarget)) < kOnTarget;
    }
    input.pointerX = pointer.x;
    input.pointerY = pointer.y;
    input.leftDown = button.press(onTarget);
    quietTicks = (input.pointerX == 0 && input.pointerY == 0 && !input.leftDown) ? quietTicks + 1 : 0;
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
    // Half the ways round each time, the other half the next: the station kept carries over.
    for (std::size_t way = static_cast<std::size_t>(ticks / kStationEvery % 2); way < kCompass.size(); way += 2) {
        const Vec2& direction = kCompass[way];
        consider(centre + direction * stationRange);
        // Nearer in, for where walls hide player 1 from farther away.
        consider(centre + direction * (stationRange * kInnerRing));
        consider(self + direction * 60.0f);
        consider(self + direction * 140.0f);
    }
    return best;
}

bool Player2Policy::chooseTarget(const MatchView& view, const ArenaMap& arena, Vec2& target) const
{
    if (!view.player1.alive) return false;
    const Vec2 start = view.player2.position + view.player2.velocity * kAimDamping;
    const float flight = interceptTicks(start, kBulletSpeed, view.player1.position, view.player1.velocity);
    if (flight < 0.0f || flight > kLongestShot) return false;
    target = view.player1.position + view.player1.velocity * flight;
    return arena.pathClear(start, target, kBulletRadius);
}

Vec2 Player2Policy::arrival(const Vec2& from) const
{
    const Vec2 want = (heading - from) * kArrivalGain;
    return length(want) > steering::kTopSpeed ? normalised(want) * steering::kTopSpeed : want;
}

Vec2 Player2Policy::detourFrom(const Vec2& self, const ArenaMap& arena)
{
    Vec2 best = self;
    float bestRoom = -1e9f;
    for (int attempt = 0; attempt < 8; ++attempt) {
        const float angle = random.between(0.0f, 6.2831853f);
        const Vec2 point = self + Vec2(std::cos(angle), std::sin(angle)) * random.between(150.0f, 400.0f);
        const float room = arena.clearance(point);
        if (room > bestRoom) {
            bestRoom = room;
            best = point;
        }
    }
    return best;
}

float Player2Policy::cost(const MatchView& view, const ArenaMap& arena, Vec2 want, bool homing, float bound) const
{
    Vec2 position = view.player2.position;
    Vec2 aim = view.player2.velocity;
    hand::Pointer hand = pointer;
    const std::size_t threats = threatReach.size();
    float total = length(want - lastWant) * kChangeWeight;
    for (int tick = 0; tick < kHorizon; ++tick) {
        if (homing) want = arrival(position);
        // Past the first few ticks a steady want has been met, near enough for planning.
        aim = homing || tick < kSteeredTicks ? steering::steer(hand, aim, want) : want;
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
    total += route->distance(position) * kRouteWeight;
    return total;
}

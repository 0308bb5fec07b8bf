#include "Player1Policy.h"

#include <bitset>
#include <cmath>

#include "Forecast.h"

using namespace forecast;
using namespace rules;

namespace {
constexpr int kHorizon = 14; // ticks looked ahead when walking
// Costs, in tenths of a point of health: a bullet's hit costs what it takes.
constexpr float kHit = 10.0f * kDamageToPlayer1;
constexpr float kHitMargin = 14.0f; // world units beyond touching that still feel close
constexpr float kNearMiss = 3.0f;
constexpr float kRouteWeight = 0.3f;
constexpr float kStuck = 1.0f;
// A way of walking is kept unless another is better by this much, and for at least this many ticks
// unless another is better by the second margin: a hand does not dither.
constexpr float kSwitchMargin = 10.0f;
constexpr int kCommitTicks = 20;
// What each key pressed or released costs beyond that.
constexpr float kKeyChange = 13.0f;
constexpr float kUrgent = 60.0f;
// A throw is worth it when the ball carries player 2 into a wall within this reach of the contact.
constexpr float kShoveReach = 520.0f;
// Ticks without a throw after which any throw that catches player 2 will do.
constexpr int kRestlessThrow = 240;
// How close to a ball's path a bullet must pass to be knocked back, to be sure of it.
constexpr float kDeflectReach = kBallRadius + kBulletRadius - 4.0f;
// Room kept from the walls along a route (world units), and points of it settled per tick.
constexpr float kRouteRoom = 5.0f;
constexpr int kRouteBudget = 40;
// Ticks between choices of a station (the search for a route runs on the others).
constexpr int kStationEvery = 3;
constexpr int kDetourTicks = 120;
// Ticks with no key down after which the bot goes somewhere else.
constexpr int kRestless = 200;
} // namespace

Player1Policy::Player1Policy(std::uint32_t seed) : random(seed), stationRange(200.0f)
{
    threatPaths.reserve(32 * kHorizon);
    player2Path.resize(kBallTicks + 1);
}

Player1Input Player1Policy::decide(const MatchView& view, const ArenaMap& arena)
{
    if (!route) route.emplace(arena, kPlayerRadius, kRouteRoom);
    if (!view.player1.alive) {
        shoveWay = -1;
        walkWay = -1;
        progress.reset();
        quietTicks = 0;
        return keys.press({});
    }
    if (--ticksToRedraw <= 0) {
        stationRange = random.between(170.0f, 240.0f);
        ticksToRedraw = 150 + static_cast<int>(random.next() % 200);
    }
    ++ticksSinceThrow;
    ++ticks;
    threatPaths.clear();
    Vec2 path[kHorizon];
    for (const ShotView& shot : view.shots) {
        if (shot.knockedBack) continue;
        shotPath(shot, arena, kHorizon, path);
        threatPaths.insert(threatPaths.end(), path, path + kHorizon);
    }
    realThreats = threatPaths.size() / kHorizon;
    if (view.player2.alive) {
        driftPath(view.player2.position, view.player2.velocity, arena, kBallTicks + 1, player2Path.data());
        // Player 2's next shot, along its aim from where it will be when it may fire.
        const Vec2 aim = view.player2.velocity;
        const int fireTick = view.player2Reload;
        if (length(aim) > 0.5f && fireTick < kHorizon) {
            const Vec2 muzzle = player2Path[static_cast<std::size_t>(fireTick)];
            const Vec2 flight = normalised(aim) * kBulletSpeed;
            for (int tick = 0; tick < kHorizon; ++tick) {
                const int flown = tick - fireTick + 1;
                threatPaths.push_back(flown > 0 ? muzzle + flight * static_cast<float>(flown) : Vec2(1e6f, 1e6f));
            }
        }
        if (ticks % kStationEvery == 0) station = chooseStation(view, arena);
    } else {
        shoveWay = -1;
        station = view.player1.position;
    }
    if (detourTicks > 0) --detourTicks;
    route->aimFor(detourTicks > 0 ? detour : station);
    // The search takes the ticks on which no station is chosen.
    if (ticks % kStationEvery != 0) route->work(kRouteBudget, view.player1.position);
    if (detourTicks == 0 && (progress.stalled(route->distance(view.player1.position)) || quietTicks > kRestless)) {
        // Somewhere else for a while: the roomiest of a few points a walk away.
        float bestRoom = -1e9f;
        for (int attempt = 0; attempt < 8; ++attempt) {
            const float angle = random.between(0.0f, 6.2831853f);
            const Vec2 point =
                view.player1.position + Vec2(std::cos(angle), std::sin(angle)) * random.between(150.0f, 400.0f);
            if (arena.clearance(point) > bestRoom) {
                bestRoom = arena.clearance(point);
                detour = point;
            }
        }
        detourTicks = kDetourTicks;
        progress.reset();
        quietTicks = 0;
    }

    // The walking keys for each way, and the arrows for each throw, anticlockwise from east.
    static constexpr Key kWalk[8][2] = {{Key::D, Key::D}, {Key::W, Key::D}, {Key::W, Key::W}, {Key::A, Key::W},
                                        {Key::A, Key::A}, {Key::S, Key::A}, {Key::S, Key::S}, {Key::D, Key::S}};
    static constexpr Key kThrow[8][2] = {{Key::Right, Key::Right}, {Key::Up, Key::Right},  {Key::Up, Key::Up},
                                         {Key::Left, Key::Up},     {Key::Left, Key::Left}, {Key::Down, Key::Left},
                                         {Key::Down, Key::Down},   {Key::Right, Key::Down}};
    const auto walking = [](int way) {
        Player1Input keys;
        if (way >= 0) {
            keys.set(kWalk[way][0], true);
            keys.set(kWalk[way][1], true);
        }
        return keys.keys;
    };
    // Setting off from standing costs nothing: the keys are to be pressed some time.
    const auto changes = [&](int way) {
        if (walkWay < 0) return 0.0f;
        return kKeyChange * static_cast<float>(std::bitset<8>(walking(way) ^ walking(walkWay)).count());
    };
    int bestWay = -1;
    float bestCost = cost(view, arena, -1) + changes(-1);
    float keptCost = bestCost;
    for (int way = 0; way < 8; ++way) {
        const float here = cost(view, arena, way) + changes(way);
        if (way == walkWay) keptCost = here;
        if (here < bestCost) {
            bestCost = here;
            bestWay = way;
        }
    }
    ++walkTicks;
    // Standing still is no commitment: any better way goes.
    const bool settled = walkWay >= 0 && (walkTicks < kCommitTicks ? bestCost > keptCost - kUrgent
                                                                   : bestCost > keptCost - kSwitchMargin);
    // With nobody to face and nothing coming, there is nowhere to press on to.
    if (!view.player2.alive && detourTicks == 0 && realThreats == 0) bestWay = -1;
    if (bestWay != walkWay && (!settled || bestWay < 0)) {
        walkWay = bestWay;
        walkTicks = 0;
    }
    Player1Input wanted;
    wanted.keys = walking(walkWay);
    const int throwWay = view.player1Reload == 0 ? chooseThrow(view, arena) : -1;
    if (throwWay >= 0) {
        wanted.set(kThrow[throwWay][0], true);
        wanted.set(kThrow[throwWay][1], true);
        ticksSinceThrow = 0;
    }
    const Player1Input pressed = keys.press(wanted);
    quietTicks = pressed.keys == 0 ? quietTicks + 1 : 0;
    return pressed;
}

Vec2 Player1Policy::chooseStation(const MatchView& view, const ArenaMap& arena)
{
    const Vec2 self = view.player1.position;
    const Vec2 target = player2Path[8];
    float bestScore = 1e9f;
    int bestWay = -1;
    for (int way = 0; way < 8; ++way) {
        const Vec2 direction = kEightWays[static_cast<std::size_t>(way)];
        const Vec2 point = target - direction * stationRange;
        float score = arena.reach(target, direction, kPlayerRadius, 800.0f) + 0.8f * length(point - self);
        const float room = arena.clearance(point) - kPlayerRadius;
        if (room < 20.0f) score += (20.0f - room) * 20.0f;
        if (way == shoveWay) score -= 80.0f;
        if (score < bestScore) {
            bestScore = score;
            bestWay = way;
        }
    }
    shoveWay = bestWay;
    return target - kEightWays[static_cast<std::size_t>(bestWay)] * stationRange;
}

int Player1Policy::chooseThrow(const MatchView& view, const ArenaMap& arena) const
{
    const Vec2 self = view.player1.position;
    // A bullet about to hit, standing here: knock it back with a throw that catches it in time, the one
    // that sends it nearest towards player 2 (a knocked bullet flies straight away from the ball).
    for (std::size_t shot = 0; shot < realThreats; ++shot) {
        const Vec2* path = &threatPaths[shot * kHorizon];
        int hitTick = -1;
        for (int tick = 0; tick < kHorizon && hitTick < 0; ++tick) {
            if (length(path[tick] - self) < kBulletRadius + kPlayerRadius + 6.0f) hitTick = tick;
        }
        if (hitTick < 0) continue;
        int bestWay = -1;
        float bestAlignment = -2.0f;
        for (int way = 0; way < 8; ++way) {
            const Vec2 flight = kEightWays[static_cast<std::size_t>(way)] * kBallSpeed;
            for (int tick = 0; tick <= hitTick; ++tick) {
                const Vec2 ball = self + flight * static_cast<float>(tick + 1);
                if (length(ball - path[tick]) >= kDeflectReach) continue;
                const float alignment = view.player2.alive ? dot(normalised(path[tick] - ball),
                                                                 normalised(view.player2.position - path[tick]))
                                                           : 0.0f;
                if (alignment > bestAlignment) {
                    bestAlignment = alignment;
                    bestWay = way;
                }
                break;
            }
        }
        if (bestWay >= 0) return bestWay;
    }
    if (!view.player2.alive) return -1;
    // Otherwise the throw whose ball catches player 2 and carries it nearest into a wall.
    int bestWay = -1;
    float bestReach = ticksSinceThrow > kRestlessThrow ? kShoveReach + 1.0f : kShoveReach;
    for (int way = 0; way < 8; ++way) {
        const Vec2 direction = kEightWays[static_cast<std::size_t>(way)];
        for (int tick = 0; tick <= kBallTicks; ++tick) {
            const Vec2 ball = self + direction * (kBallSpeed * static_cast<float>(tick));
            const Vec2 caught = player2Path[static_cast<std::size_t>(tick)];
            if (length(ball - caught) > kBallRadius + kPlayerRadius - 6.0f) continue;
            const float reach = arena.reach(caught, direction, kPlayerRadius, kShoveReach);
            if (reach < bestReach) {
                bestReach = reach;
                bestWay = way;
            }
            break;
        }
    }
    return bestWay;
}

float Player1Policy::cost(const MatchView& view, const ArenaMap& arena, int way) const
{
    Vec2 position = view.player1.position;
    const Vec2 step = way >= 0 ? kEightWays[static_cast<std::size_t>(way)] * kWalkSpeed : Vec2();
    const std::size_t threats = threatPaths.size() / kHorizon;
    const float near = kBulletRadius + kPlayerRadius + kHitMargin;
    float total = 0.0f;
    Vec2 wallNormal;
    bool pressed = false;
    for (int tick = 0; tick < kHorizon; ++tick) {
        position += step;
        // Walls push player 1 back out.
        const float room = arena.clearance(position) - kPlayerRadius;
        // Pressed into a wall tick after tick, along the same face of it.
        if (room < 0.0f) {
            if (!pressed) wallNormal = arena.awayFromWalls(position);
            position += wallNormal * -room;
        }
        pressed = room < 0.0f;
        if (room < 2.0f && way >= 0) total += kStuck;
        for (std::size_t i = 0; i < threats; ++i) {
            const Vec2 gap = position - threatPaths[i * kHorizon + static_cast<std::size_t>(tick)];
            const float squaredGap = dot(gap, gap);
            if (squaredGap >= near * near) continue;
            const float distance = std::sqrt(squaredGap);
            // Later ticks are less sure: the shooter may turn, the walk may change.
            const float sureness = 1.0f - 0.5f * static_cast<float>(tick) / kHorizon;
            total += ((distance < kBulletRadius + kPlayerRadius + 2.0f ? kHit : 0.0f) + (near - distance) * kNearMiss) *
                     sureness;
        }
    }
    return total + route->distance(position) * kRouteWeight;
}

#include "MatchView.h"

#include <algorithm>
#include <cstdlib>

#include "MySim.h"
#include "P2BulletComp.h"
#include "PhysicsComp.h"
#include "Poly.h"
#include "Rules.h"

using namespace rules;

namespace {
// A step longer than a walk is a respawn or a shove, not motion to extrapolate (world units).
constexpr float kLongestStep = 20.0f;
// A ball this far from where its flight would have taken it is a new throw (world units).
constexpr float kNewThrow = 30.0f;

const GameObject* bodyNamed(const MySim& match, const std::string& name)
{
    const auto found = match.objects.find(name);
    return found != match.objects.end() ? found->second : nullptr;
}

Vec2 velocityOf(const GameObject& body)
{
    const auto motion = body.components.find(kMotionComponent);
    if (motion == body.components.end()) return Vec2();
    const auto* physics = dynamic_cast<const PhysicsComp*>(motion->second);
    return physics != nullptr ? physics->velocity : Vec2();
}

// Whether any of a disc of radius at point shows in the camera's view.
bool onScreen(const Camera& camera, const Vec2& point, float radius)
{
    return std::abs(point.x - camera.position.x) <= camera.viewWidth * 0.5f + radius &&
           std::abs(point.y - camera.position.y) <= camera.viewHeight * 0.5f + radius;
}

void seePlayer(PlayerView& seen, const GameObject* body, int health, const Camera& camera)
{
    seen.health = health;
    seen.alive = body != nullptr && body->visible && health > 0 && onScreen(camera, body->getPosition(), 0.0f);
    if (body != nullptr) seen.position = body->getPosition();
}

// The number in a bullet's name, bullet2_N; 0 for any other name.
int shotNumber(const std::string& name)
{
    const std::size_t mark = name.rfind('_');
    return mark == std::string::npos ? 0 : std::atoi(name.c_str() + mark + 1);
}
} // namespace

MatchWatcher::MatchWatcher(int delayTicks) : seen(static_cast<std::size_t>(std::max(0, delayTicks) + 1)) {}

const MatchView& MatchWatcher::look(const MySim& match)
{
    const std::size_t size = seen.size();
    see(match, seen[static_cast<std::size_t>(looks % static_cast<std::int64_t>(size))]);
    ++looks;
    // Until the delay has passed, the first look is all there is.
    if (looks < static_cast<std::int64_t>(size)) return seen.front();
    return seen[static_cast<std::size_t>(looks % static_cast<std::int64_t>(size))];
}

void MatchWatcher::see(const MySim& match, MatchView& view)
{
    const Camera& camera = match.camera;
    const std::int64_t now = looks;
    const GameObject* player1 = bodyNamed(match, kPlayer1Name);
    seePlayer(view.player1, player1, match.p1Health, camera);
    seePlayer(view.player2, bodyNamed(match, kPlayer2Name), match.p2Health, camera);
    const Vec2 step = view.player1.position - player1Before;
    view.player1.velocity = player1SeenBefore && view.player1.alive && length(step) < kLongestStep ? step : Vec2();
    player1Before = view.player1.position;
    player1SeenBefore = view.player1.alive;
    // Player 2's motion is its aim: the sight line shows it.
    view.player2.velocity = view.player2.alive ? match.player2Aim : Vec2();

    const GameObject* ball = bodyNamed(match, kBallName);
    view.ball.inFlight = ball != nullptr && onScreen(camera, ball->getPosition(), kBallRadius);
    if (view.ball.inFlight) {
        view.ball.position = ball->getPosition();
        view.ball.velocity = velocityOf(*ball);
        if (!ballSeenBefore || length(view.ball.position - ballBefore) > kNewThrow) thrownAt = now;
        ballBefore = view.ball.position + view.ball.velocity;
        view.ball.ticksLeft = std::max(0, kBallLifetime - static_cast<int>(now - thrownAt));
    }
    ballSeenBefore = view.ball.inFlight;
    view.player1Reload = std::max(0, kThrowDelay - static_cast<int>(now - thrownAt));

    for (ShotSeen& known : shotsSeen) known.present = false;
    view.shots.clear();
    for (const auto& [name, body] : match.objects) {
        if (body == nullptr || body->kind != kPlayer2BulletKind) continue;
        const int number = shotNumber(name);
        if (number > newestShot) {
            newestShot = number;
            firedAt = now;
        }
        if (!onScreen(camera, body->getPosition(), 0.0f)) continue;
        ShotView shot;
        shot.position = body->getPosition();
        shot.velocity = velocityOf(*body);
        const auto rules = body->components.find(kBulletComponent);
        if (rules != body->components.end()) {
            const auto* bullet = dynamic_cast<const P2BulletComp*>(rules->second);
            // Knocked back shows: the bullet changes its look.
            if (bullet != nullptr) shot.knockedBack = bullet->deflected;
        }
        auto known = std::find_if(shotsSeen.begin(), shotsSeen.end(),
                                  [number](const ShotSeen& entry) { return entry.number == number; });
        if (known == shotsSeen.end()) known = shotsSeen.insert(shotsSeen.end(), ShotSeen{number, now, false, true});
        if (known->knockedBack != shot.knockedBack) {
            known->knockedBack = shot.knockedBack;
            known->since = now;
        }
        known->present = true;
        shot.age = static_cast<int>(now - known->since);
        view.shots.push_back(shot);
    }
    shotsSeen.erase(
        std::remove_if(shotsSeen.begin(), shotsSeen.end(), [](const ShotSeen& entry) { return !entry.present; }),
        shotsSeen.end());
    view.player2Reload = std::max(0, kFireDelay - static_cast<int>(now - firedAt));
}

std::vector<WallOutline> wallsOf(const MySim& match)
{
    std::vector<WallOutline> outlines;
    for (const GameObject* wall : match.objects.ofKind(kWallKind)) {
        if (wall->shapeType == ShapeType::Poly) outlines.push_back(static_cast<const Poly*>(wall)->vertices);
    }
    return outlines;
}

#include "MatchView.h"

#include <algorithm>

#include "MySim.h"
#include "P2BulletComp.h"
#include "PhysicsComp.h"
#include "Poly.h"
#include "Rules.h"

using namespace rules;

namespace {
// A step longer than a walk is a respawn or a shove, not motion to extrapolate (world units).
constexpr float kLongestStep = 20.0f;

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

void seePlayer(PlayerView& seen, const GameObject* body, int health)
{
    seen.health = health;
    seen.alive = body != nullptr && body->visible && health > 0;
    if (body != nullptr) seen.position = body->getPosition();
}
} // namespace

const MatchView& MatchWatcher::look(const MySim& match)
{
    const GameObject* player1 = bodyNamed(match, kPlayer1Name);
    seePlayer(view.player1, player1, match.p1Health);
    seePlayer(view.player2, bodyNamed(match, kPlayer2Name), match.p2Health);
    const Vec2 step = view.player1.position - player1Before;
    view.player1.velocity = player1SeenBefore && view.player1.alive && length(step) < kLongestStep ? step : Vec2();
    player1Before = view.player1.position;
    player1SeenBefore = view.player1.alive;
    view.player2.velocity = view.player2.alive ? match.player2Aim : Vec2();

    const GameObject* ball = bodyNamed(match, kBallName);
    view.ball.inFlight = ball != nullptr;
    if (ball != nullptr) {
        view.ball.position = ball->getPosition();
        view.ball.velocity = velocityOf(*ball);
        view.ball.ticksLeft = match.bullet1Life;
    }
    view.player1Reload = std::max(0, match.p1FireCooldown);
    view.player2Reload = std::max(0, match.p2FireCooldown);

    view.shots.clear();
    for (const auto& [name, body] : match.objects) {
        if (body == nullptr || body->kind != kPlayer2BulletKind) continue;
        ShotView shot;
        shot.position = body->getPosition();
        shot.velocity = velocityOf(*body);
        const auto rules = body->components.find(kBulletComponent);
        if (rules != body->components.end()) {
            const auto* bullet = dynamic_cast<const P2BulletComp*>(rules->second);
            if (bullet != nullptr) {
                shot.knockedBack = bullet->deflected;
                shot.age = bullet->lifeTicks - bullet->lifeLeft;
            }
        }
        view.shots.push_back(shot);
    }
    return view;
}

std::vector<WallOutline> wallsOf(const MySim& match)
{
    std::vector<WallOutline> outlines;
    for (const GameObject* wall : match.objects.ofKind(kWallKind)) {
        if (wall->shapeType == ShapeType::Poly) outlines.push_back(static_cast<const Poly*>(wall)->vertices);
    }
    return outlines;
}

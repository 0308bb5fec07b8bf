#include "P2BulletComp.h"

#include <iostream>
#include <string>
#include <vector>

#include "DiscReach.h"
#include "GameObject.h"
#include "PhysicsComp.h"
#include "PolygonBoxes.h"
#include "Rules.h"

using namespace rules;

namespace {
// Looked up for every bullet in every tick; made once.
const std::string kPlayer2Key = kPlayer2Name;
const std::string kBallKey = kBallName;
const std::string kMotionKey = kMotionComponent;

} // namespace

P2BulletComp::P2BulletComp(int id, GameObject* target, GameObject* body, int* p1Health, int* p2Health,
                           const MatchContext* match, std::uint32_t deflectedTexture)
    : Component(id), lifeLeft(kBulletLifetime), lifeTicks(kBulletLifetime), p1Health(p1Health), p2Health(p2Health),
      bouncesLeft(kBounceLimit), target(target), body(body), objects(match->objects), match(match),
      deflectedTexture(deflectedTexture)
{
}

std::unique_ptr<Component> P2BulletComp::clone(const BodyRelink& relink) const
{
    auto copy = std::make_unique<P2BulletComp>(*this);
    copy->target = relink(target);
    copy->body = relink(body);
    return copy;
}

void P2BulletComp::reportHit(MatchEventKind kind) const
{
    *match->console << "col" << std::endl;
    match->publish(kind, body->getPosition());
}

// Runs after the bullet's own PhysicsComp, so every test sees this tick's position. A marked bullet
// still takes every step: it is removed only after all components have run.
void P2BulletComp::update()
{
    --lifeLeft;
    if (lifeLeft < 0) body->markedForRemoval = true;
    hitPlayer();
    deflectOffBall();
    bounceOffWalls();
}

// A player at 0 health or below is dead and not tested: the bullet passes through.
void P2BulletComp::hitPlayer()
{
    if (!deflected) {
        if (*p1Health > 0 && body->collidesWith(target)) {
            *p1Health -= kDamageToPlayer1;
            reportHit(MatchEventKind::Player1Hit);
            body->markedForRemoval = true;
        }
        return;
    }
    const auto player2 = objects->find(kPlayer2Key);
    if (*p2Health > 0 && player2 != objects->end() && body->collidesWith(player2->second)) {
        *p2Health -= kDamageToPlayer2;
        reportHit(MatchEventKind::Player2Hit);
        body->markedForRemoval = true;
    }
}

// Repeats on every tick of contact: the push, the new velocity and the fresh life are recomputed.
void P2BulletComp::deflectOffBall()
{
    const auto ball = objects->find(kBallKey);
    Vec2 push;
    if (ball == objects->end() || !body->collisionMtv(ball->second, &push)) return;
    // A disc announces the change on the match's console.
    body->setTexture(deflectedTexture, *match->console);
    body->translate(push);
    normalise(push);
    push *= kDeflectedSpeed;
    if (PhysicsComp* motion = physics()) motion->velocity = push;
    lifeLeft = lifeTicks;
    deflected = true;
    match->publish(MatchEventKind::BulletDeflected, body->getPosition());
}

// Every wall is tested, also once the bullet is marked, so each contact in a tick uses a bounce.
void P2BulletComp::bounceOffWalls()
{
    const std::vector<GameObject*>& walls = objects->ofKind(kWallKind);
    PolygonBoxes& boxes = *match->wallBoxes;
    boxes.refresh(walls, objects->changeCount());
    DiscReach reach(*body);
    for (std::size_t i = boxes.nextNotApart(reach, 0); i < walls.size(); i = boxes.nextNotApart(reach, i + 1)) {
        Vec2 push;
        if (!body->collisionMtv(walls[i], &push)) continue;
        if (bouncesLeft < 1) {
            body->markedForRemoval = true;
            continue;
        }
        body->translate(push);
        // The push moves the bullet, and with it any polygon attached to it.
        reach = DiscReach(*body);
        boxes.refresh(walls, objects->changeCount());
        --bouncesLeft;
        match->publish(MatchEventKind::BulletBounced, body->getPosition());
        if (PhysicsComp* motion = physics()) motion->velocity = reflectPoint(push, push * 2.0f, -motion->velocity);
    }
}

PhysicsComp* P2BulletComp::physics() const
{
    const auto found = body->components.find(kMotionKey);
    return found != body->components.end() ? dynamic_cast<PhysicsComp*>(found->second) : nullptr;
}

Vec2 reflectPoint(const Vec2& a, const Vec2& b, const Vec2& p)
{
    const Vec2 direction = a + b;
    const Vec2 normal = normalised(Vec2(direction.y, -direction.x));
    const Vec2 offset = p - b;
    float twiceAlong = dot(offset, normal);
    twiceAlong = twiceAlong + twiceAlong;
    const Vec2 removed(twiceAlong * normal.x, twiceAlong * normal.y);
    // Dividing by the squared length keeps the mirror exact when a very short normal stayed unnormalised.
    const float lengthSquared = squared(length(normal));
    const float scale = lengthSquared != 0.0f ? 1.0f / lengthSquared : 0.0f;
    return Vec2(b.x + (offset.x - removed.x * scale), b.y + (offset.y - removed.y * scale));
}

bool P2BulletComp::assignFrom(const Component& other, const BodyRelink& relink)
{
    const auto* same = dynamic_cast<const P2BulletComp*>(&other);
    if (same == nullptr) return false;
    *this = *same;
    target = relink(same->target);
    body = relink(same->body);
    return true;
}

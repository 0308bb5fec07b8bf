#include <string>

#include "Circle.h"
#include "MySim.h"
#include "P2BulletComp.h"
#include "PhysicsComp.h"
#include "Rules.h"

using namespace rules;

namespace {
constexpr std::uint16_t kBallLayer = 1;
constexpr std::uint16_t kBulletLayer = 99;

Vec2 velocityAlong(const Vec2& direction, float speed)
{
    Vec2 velocity = direction;
    normalise(velocity);
    velocity *= speed;
    return velocity;
}
} // namespace

// The same decimal text a string stream gives, without building one for every bullet.
std::string toString(const int& value) { return std::to_string(value); }

void MySim::fireBullet1(const Vec2& direction, float speed)
{
    const Vec2 velocity = velocityAlong(direction, speed);
    removeObject(kBallName);
    auto* ball =
        new Circle(bodyNamed(kPlayer1Name)->getPosition(), kBallRadius, kBallLayer, textureNamed("ball"), kBallKind);
    registerBody(kBallName, ball);
    addComponent(new PhysicsComp(newComponentId(), ball, velocity), kBallName, kMotionComponent);
    // The ball's image is upright when unturned; turn it to point along the flight.
    ball->rotate(signedAngle(velocity, Vec2(0.0f, 1.0f)), ball->getPosition());
    addToDrawList(ball);
    bullet1Life = kBallLifetime;
    p1FireCooldown = kThrowDelay;
    context.publish(MatchEventKind::BallThrown, ball->getPosition(), 1);
}

void MySim::fireBullet2(const Vec2& direction, float speed)
{
    const Vec2 velocity = velocityAlong(direction, speed);
    ++bullet2Count;
    const std::string name = kBulletPrefix + toString(bullet2Count);
    auto* bullet = new Circle(bodyNamed(kPlayer2Name)->getPosition(), kBulletRadius, kBulletLayer,
                              textureNamed("whitecircle"), kPlayer2BulletKind);
    registerBody(name, bullet);
    addComponent(new PhysicsComp(newComponentId(), bullet, velocity), name, kMotionComponent);
    // A knocked-back bullet shows the "reflected" image, looked up by key so that a missing image
    // leaves it untextured rather than showing whichever texture took its place.
    addComponent(new P2BulletComp(newComponentId(), bodyNamed(kPlayer1Name), bullet, &p1Health, &p2Health, &context,
                                  textureNamed("reflected")),
                 name, kBulletComponent);
    addToDrawList(bullet);
    p2FireCooldown = kFireDelay;
    context.publish(MatchEventKind::BulletFired, bullet->getPosition(), 2);
}

#include <string>

#include "BodyKinds.h"
#include "Circle.h"
#include "MySim.h"
#include "P2BulletComp.h"
#include "PhysicsComp.h"

namespace {
constexpr float kBallRadius = 42.0f;
constexpr std::uint16_t kBallLayer = 1;
constexpr float kBulletRadius = 8.5f;
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
    removeObject("bullet1");
    auto* ball =
        new Circle(bodyNamed("player1")->getPosition(), kBallRadius, kBallLayer, textureNamed("ball"), kBallKind);
    objects["bullet1"] = ball;
    addComponent(new PhysicsComp(newComponentId(), ball, velocity), "bullet1", "physics");
    // The ball's image is upright when unturned; turn it to point along the flight.
    ball->rotate(signedAngle(velocity, Vec2(0.0f, 1.0f)), ball->getPosition());
    addToDrawList(ball);
    bullet1Life = bullet1Lifetime;
    p1FireCooldown = p1FireDelay;
    context.publish(MatchEventKind::BallThrown, ball->getPosition(), 1);
}

void MySim::fireBullet2(const Vec2& direction, float speed)
{
    const Vec2 velocity = velocityAlong(direction, speed);
    ++bullet2Count;
    const std::string name = "bullet2_" + toString(bullet2Count);
    auto* bullet = new Circle(bodyNamed("player2")->getPosition(), kBulletRadius, kBulletLayer,
                              textureNamed("whitecircle"), kPlayer2BulletKind);
    objects[name] = bullet;
    addComponent(new PhysicsComp(newComponentId(), bullet, velocity), name, "physics");
    // A knocked-back bullet shows the "reflected" image, looked up by key so that a missing image
    // leaves it untextured rather than showing whichever texture took its place.
    addComponent(new P2BulletComp(newComponentId(), bodyNamed("player1"), bullet, &p1Health, &p2Health, &context,
                                  textureNamed("reflected")),
                 name, "bullet2");
    addToDrawList(bullet);
    p2FireCooldown = p2FireDelay;
    context.publish(MatchEventKind::BulletFired, bullet->getPosition(), 2);
}

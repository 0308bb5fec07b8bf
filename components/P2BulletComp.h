#pragma once

#include <cstdint>

#include "Component.h"
#include "MatchContext.h"
#include "ObjectMap.h"
#include "Vec2.h"

class GameObject;

class PhysicsComp;

// Drives one of player 2's bullets after it has moved each tick: ages it, lets it hurt player 1,
// lets player 1's ball knock it back (from then on it hurts player 2 instead), and bounces it off
// walls a limited number of times. It never deletes anything: it marks its bullet for removal.
class P2BulletComp : public Component {
public:
    // deflectedTexture is what the bullet shows once knocked back; match is what the bullet shares
    // with the rest of its match.
    P2BulletComp(int id, GameObject* target, GameObject* body, int* p1Health, int* p2Health, const MatchContext* match,
                 std::uint32_t deflectedTexture);

    void update() override;
    std::unique_ptr<Component> clone(const BodyRelink& relink) const override;
    bool assignFrom(const Component& other, const BodyRelink& relink) override;

    // Set once "bullet1" has struck the bullet; it then hurts player 2 instead of player 1.
    bool deflected = false;
    // Ticks left; the bullet is marked for removal when this drops below 0.
    int lifeLeft;
    // What lifeLeft is reset to by a deflection.
    int lifeTicks;
    // The game's healths, lowered by hits.
    int* p1Health;
    int* p2Health;
    // Wall contacts that still bounce the bullet; a contact with none left ends it.
    int bouncesLeft;
    // Player 1's body, which the undeflected bullet hurts; not owned.
    GameObject* target;
    // The bullet itself; not owned.
    GameObject* body;
    // Where "player2", "bullet1" and the walls are found, always with a find.
    ObjectMap* objects;
    // The console, the tick's events and the walls' boxes.
    const MatchContext* match;
    std::uint32_t deflectedTexture;

private:
    void hitPlayer();
    void reportHit(MatchEventKind kind) const;
    void deflectOffBall();
    void bounceOffWalls();
    // The bullet's "physics" component, or nullptr if it has none.
    PhysicsComp* physics() const;
};

// p mirrored across the line through b whose direction is a + b. As reflectPoint(m, 2m, -v) it is
// the bounce of velocity v off a surface pushing along m: v - 2(v.n)n, n the unit vector along m.
Vec2 reflectPoint(const Vec2& a, const Vec2& b, const Vec2& p);

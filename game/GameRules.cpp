#include <cmath>
#include <iterator>

#include "Bounds.h"
#include "Camera.h"
#include "GameObject.h"
#include "MySim.h"
#include "Rules.h"

using namespace rules;

void MySim::resolveContacts()
{
    GameObject* player1 = bodyNamed(kPlayer1Name);
    GameObject* player2 = bodyNamed(kPlayer2Name);
    Vec2 push;
    if (p2Health > 0 && p1Health > 0 && player2->collisionMtv(player1, &push)) {
        player2->translate(push);
        player2Aim += push * kPlayerKick;
    }
    // Player 2 keeps pressing into a wall until steered away, and pays once per tick of contact
    // however many walls it touches.
    bool damaged = false;
    for (GameObject* wall : objects.ofKind(kWallKind)) {
        if (p2Health > 0 && collisionMtvUnlessApart(*player2, *wall, &push)) {
            player2->translate(push);
            if (!damaged) {
                p2Health -= kWallDamage;
                damaged = true;
                context.publish(MatchEventKind::WallScrape, player2->getPosition(), 2);
            }
        }
        if (p1Health > 0 && collisionMtvUnlessApart(*player1, *wall, &push)) player1->translate(push);
    }
    // The ball shoves player 2 whatever either player's health.
    const auto ball = objects.find(kBallName);
    if (ball != objects.end() && player2->collisionMtv(ball->second, &push)) {
        console() << "bullet hit p2" << std::endl;
        player2->translate(push);
        player2Aim += push * kBallKick;
    }
}

void MySim::followPlayersWithCamera()
{
    const Vec2 p1 = bodyNamed(kPlayer1Name)->getPosition();
    const Vec2 p2 = bodyNamed(kPlayer2Name)->getPosition();
    const Vec2 midpoint((p1.x + p2.x) * 0.5f, (p1.y + p2.y) * 0.5f);
    const Vec2 step = (midpoint - camera.position) * kPanRate;
    camera.position += step;
    camera.target += step;

    // Ease the view towards the spread plus a margin, on whichever axis is the tighter fit.
    const float dx = std::fabs(p1.x - p2.x);
    const float dy = std::fabs(p1.y - p2.y);
    const float aspect = camera.aspect;
    if (dx > dy * aspect) {
        const float spread = dx > kMinSeparation ? dx : kMinSeparation;
        camera.viewWidth = camera.viewWidth + (spread + kViewMargin - camera.viewWidth) * kZoomRate;
        camera.viewHeight = camera.viewWidth / aspect;
    } else {
        const float spread = dy > kMinSeparation / aspect ? dy : kMinSeparation / aspect;
        camera.viewHeight = camera.viewHeight + (spread + kViewMargin / aspect - camera.viewHeight) * kZoomRate;
        camera.viewWidth = camera.viewHeight * aspect;
    }
}

// A dead player drifts invisibly towards the other for kDeathTicks ticks, drawing its spawn point
// anew each tick, then glides towards that point and reappears on the last of kReturnTicks + 1 ticks.
void MySim::advanceDeathCycle(int player)
{
    const bool first = player == 1;
    int& health = first ? p1Health : p2Health;
    if (health >= 1) return;
    int& deadTicks = first ? p1DeadTicks : p2DeadTicks;
    int& glideTicks = first ? p1ReturnTicks : p2ReturnTicks;
    std::uint32_t& spawnIndex = first ? p1SpawnIndex : p2SpawnIndex;
    GameObject* self = bodyNamed(first ? kPlayer1Name : kPlayer2Name);
    if (deadTicks < kDeathTicks) {
        if (deadTicks == 0) context.publish(MatchEventKind::PlayerDied, self->getPosition(), player);
        const Vec2 other = bodyNamed(first ? kPlayer2Name : kPlayer1Name)->getPosition();
        self->translate((other - self->getPosition()) * kDriftRate);
        self->setVisible(false);
        ++deadTicks;
        health = 0;
        spawnIndex = static_cast<std::uint32_t>(static_cast<unsigned>(random.next()) % std::size(kSpawnPoints));
        return;
    }
    self->translate((kSpawnPoints[spawnIndex] - self->getPosition()) * kGlideRate);
    ++glideTicks;
    if (glideTicks > kReturnTicks) {
        respawn(player, spawnIndex);
        deadTicks = 0;
        glideTicks = 0;
    }
}

void MySim::respawn(int player, std::uint32_t spawnIndex)
{
    const Vec2 spawn = kSpawnPoints[spawnIndex];
    context.publish(MatchEventKind::PlayerRespawned, spawn, player);
    if (player == 1) {
        GameObject* player1 = bodyNamed(kPlayer1Name);
        player1->setVisible(true);
        player1->moveTo(spawn);
        ++p2Score;
        p1Health = kPlayer1FullHealth;
        return;
    }
    GameObject* player2 = bodyNamed(kPlayer2Name);
    player2->setVisible(true);
    player2->moveTo(spawn);
    // Face +y again, where the cleared aim starts from.
    if (length(player2Aim) > 0.0f) player2->rotate(signedAngle(Vec2(0.0f, 1.0f), player2Aim), player2->getPosition());
    player2Aim = Vec2(0.0f, 0.0f);
    player2PrevAim = Vec2(0.0f, 1.0f);
    ++p1Score;
    p2Health = kPlayer2FullHealth;
}

#pragma once

#include <cstdint>

#include "Vec2.h"

// The arena game's fixed rules, in world units, ticks and points of health. The game, its components
// and the computer player all read them from here, so a change of rule is made once.
namespace rules {

// Bodies by name in the match's registry. Player 2's bullets are kBulletPrefix and their number,
// counted from 1.
constexpr char kPlayer1Name[] = "player1";
constexpr char kPlayer2Name[] = "player2";
constexpr char kBallName[] = "bullet1";
constexpr char kSightName[] = "p2sight";
constexpr char kBulletPrefix[] = "bullet2_";

// Components by name on their body: the motion of the ball and the bullets, a bullet's own rules, and
// player 2's sight (on player 2).
constexpr char kMotionComponent[] = "physics";
constexpr char kBulletComponent[] = "bullet2";
constexpr char kSightComponent[] = "sight";

// Body kinds. Only walls are ever looked for by kind; the rest label what a body is.
constexpr std::uint16_t kWallKind = 3;
constexpr std::uint16_t kBallKind = 1;
constexpr std::uint16_t kPlayer1Kind = 11;
constexpr std::uint16_t kPlayer2Kind = 22;
constexpr std::uint16_t kSightKind = 30;
constexpr std::uint16_t kPlayer2BulletKind = 222;

// The players: both discs of one radius, starting level with the centre.
constexpr float kPlayerRadius = 15.0f;
constexpr Vec2 kPlayer1Start(-260.0f, 0.0f);
constexpr Vec2 kPlayer2Start(260.0f, 0.0f);
constexpr int kPlayer1FullHealth = 100;
constexpr int kPlayer2FullHealth = 200;
// Player 1's walk, per tick.
constexpr float kWalkSpeed = 5.8f;
// Health player 2 loses in a tick in which it touches any wall.
constexpr int kWallDamage = 1;
// Player 2 bounces off player 1 with a kick of this many times the overlap, off the ball with this.
constexpr float kPlayerKick = 15.0f;
constexpr float kBallKick = 2.0f;

// How the pointer steers player 2 (world units per tick, per pixel of pointer offset), the fastest aim
// before damping, and the damping each tick.
constexpr float kSteeringGain = 0.029f;
constexpr float kMaxAim = 12.0f;
constexpr float kAimDamping = 0.98f;

// Death: a dead player drifts towards the other for kDeathTicks ticks, then glides home to one of the
// spawn points, drawn at random, and reappears kReturnTicks + 1 ticks later. Fractions of the
// remaining distance closed per tick.
constexpr int kDeathTicks = 240;
constexpr int kReturnTicks = 20;
constexpr float kDriftRate = 0.03f;
constexpr float kGlideRate = 0.3f;
constexpr Vec2 kSpawnPoints[] = {{-725.0f, 0.0f}, {725.0f, 0.0f}};

// Player 1's ball: thrown along one of eight ways, it flies kBallLifetime + 1 ticks (a life counted
// down at the start of every tick ends below 0), and player 1 may throw again kThrowDelay + 1 ticks
// after a throw.
constexpr float kBallRadius = 42.0f;
constexpr float kBallSpeed = 14.0f;
constexpr int kBallLifetime = 21;
constexpr int kThrowDelay = 70;

// Player 2's bullets: fired along the aim every kFireDelay + 1 ticks while the button is held. A bullet
// lives kBulletLifetime + 1 ticks (afresh from a knock-back by the ball, which sends it off at
// kDeflectedSpeed), bounces off walls kBounceLimit times and ends at the next wall.
constexpr float kBulletRadius = 8.5f;
constexpr float kBulletSpeed = 24.0f;
constexpr int kFireDelay = 15;
constexpr int kBulletLifetime = 50;
constexpr int kBounceLimit = 2;
constexpr float kDeflectedSpeed = 14.0f;
// Health a bullet takes from player 1, and once knocked back from player 2.
constexpr int kDamageToPlayer1 = 15;
constexpr int kDamageToPlayer2 = 30;

// Player 2's sight: a beam this wide along the aim to the nearest wall, at most kRayLength long.
constexpr float kRayLength = 1000.0f;
constexpr float kBeamWidth = 1.0f;

// The camera pans towards the players' midpoint and zooms to their spread plus a margin (divided by the
// aspect upwards), closing these fractions of the distance per tick; the spread counts as at least
// kMinSeparation.
constexpr float kPanRate = 0.13f;
constexpr float kZoomRate = 0.05f;
constexpr float kViewMargin = 650.0f;
constexpr float kMinSeparation = 1.0f;

} // namespace rules

#pragma once

#include <cstdint>

// The game's body kinds. Only walls are ever looked for by kind; the rest label what a body is.
constexpr std::uint16_t kWallKind = 3;
constexpr std::uint16_t kBallKind = 1;
constexpr std::uint16_t kPlayer1Kind = 11;
constexpr std::uint16_t kPlayer2Kind = 22;
constexpr std::uint16_t kSightKind = 30;
constexpr std::uint16_t kPlayer2BulletKind = 222;

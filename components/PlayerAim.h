#pragma once

#include "Vec2.h"

// Player 2's displacement per tick, world units; also the direction it fires in and the sight points
// along. Starts at (0, 0.01).
extern Vec2 player2Aim;
// player2Aim as it stood at the end of the previous control step, for turning player 2 to face its
// motion. Starts at (0, 0.01).
extern Vec2 player2PrevAim;

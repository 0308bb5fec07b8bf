#include "PlayerAim.h"

Vec2 player2Aim(0.0f, 0.01f);
Vec2 player2PrevAim(0.0f, 0.01f);

#pragma once

#include <cstdint>
#include <memory>

#include "PlayerSource.h"

// The computer player, for either side, with random numbers of its own from seed.
std::unique_ptr<PlayerSource> makeBot(std::uint32_t seed);

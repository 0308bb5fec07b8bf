#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

#include "PlayerSource.h"

// How well the computer player plays: how late it sees, how steady its hand is, how well it aims.
enum class BotLevel { Easy, Normal, Hard };

// The level a command-line word names (easy, normal, hard); nullopt for any other word.
std::optional<BotLevel> botLevelNamed(std::string_view word);

// The computer player, for either side, at level, with random numbers of its own from seed.
std::unique_ptr<PlayerSource> makeBot(std::uint32_t seed, BotLevel level = BotLevel::Normal);

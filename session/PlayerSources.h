#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "Bot.h"
#include "MatchInput.h"
#include "PlayerSource.h"

// What a --player1 or --player2 argument names.
struct SourceChoice {
    enum class Kind { Local, Idle, Random, Bot, Remote };
    Kind kind = Kind::Local;
    std::uint32_t seed = 1;
    // For a bot only.
    BotLevel level = BotLevel::Normal;

    // The words the command line takes: local, idle, bot[:LEVEL][:SEED] (LEVEL easy, normal or hard;
    // normal if left out), random:SEED (SEED a whole number from 0 to 4294967295), remote (the other
    // machine's player); nullopt for anything else.
    static std::optional<SourceChoice> parse(std::string_view text);
};

// The source a choice names; nullptr for Local, which is this machine's own keyboard or mouse, and for Remote,
// whose input comes over the network.
std::unique_ptr<PlayerSource> makePlayerSource(const SourceChoice& choice);

// No input at all.
class IdleSource : public PlayerSource {
public:
    MatchInput next(const MySim&, int) override { return {}; }
};

// Seeded random input: player 1's keys go down and up now and then, player 2's pointer wanders
// around the centre and its button is pressed and released. Draws only from its own generator.
class RandomSource : public PlayerSource {
public:
    explicit RandomSource(std::uint32_t seed) : state(seed) {}
    MatchInput next(const MySim& match, int player) override;

private:
    // A 32-bit linear congruential step: the same numbers on every platform and library.
    std::uint32_t draw();

    std::uint32_t state;
    MatchInput held;
};

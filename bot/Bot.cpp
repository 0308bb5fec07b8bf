#include "Bot.h"

#include <optional>

#include "ArenaMap.h"
#include "MatchView.h"
#include "Player1Policy.h"
#include "Player2Policy.h"

namespace {
// Sees the match through a watcher, knows the walls from the first look, and lets the policy of the
// side it plays answer.
class Bot : public PlayerSource {
public:
    explicit Bot(std::uint32_t seed) : player1(seed), player2(seed) {}

    MatchInput next(const MySim& match, int player) override
    {
        if (!arena) arena.emplace(wallsOf(match));
        const MatchView& view = watcher.look(match);
        MatchInput input;
        if (player == 1)
            input.player1 = player1.decide(view, *arena);
        else
            input.player2 = player2.decide(view, *arena);
        return input;
    }

private:
    MatchWatcher watcher;
    std::optional<ArenaMap> arena;
    Player1Policy player1;
    Player2Policy player2;
};
} // namespace

std::unique_ptr<PlayerSource> makeBot(std::uint32_t seed) { return std::make_unique<Bot>(seed); }

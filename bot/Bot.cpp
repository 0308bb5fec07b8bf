#include "Bot.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "ArenaMap.h"
#include "BotRandom.h"
#include "Forecast.h"
#include "MatchView.h"
#include "Player1Policy.h"
#include "Player2Policy.h"
#include "Skill.h"
#include "Steering.h"

namespace {
// Ticks between fresh draws of how far the bot misjudges where the other player is.
constexpr int kErrorRedraw = 30;

// Where player 1's keys walk it, unit length or zero.
Vec2 walkOf(const Player1Input& keys)
{
    const float x = (keys.held(Key::D) ? 1.0f : 0.0f) - (keys.held(Key::A) ? 1.0f : 0.0f);
    const float y = (keys.held(Key::W) ? 1.0f : 0.0f) - (keys.held(Key::S) ? 1.0f : 0.0f);
    return normalised(Vec2(x, y));
}

// Sees the match through a watcher as it was a person's delay ago, works out where its own player must
// be by now from what its hand has done since, guesses where the rest has gone, and lets the policy of
// the side it plays answer.
class Bot : public PlayerSource {
public:
    Bot(std::uint32_t seed, const Skill& level)
        : skill(level), watcher(level.delayTicks), random(seed ^ 0x5bd1e995u), player1(seed), player2(seed, level),
          sent(static_cast<std::size_t>(level.delayTicks))
    {
    }

    MatchInput next(const MySim& match, int player) override
    {
        if (!arena) arena.emplace(wallsOf(match));
        believed = watcher.look(match);
        catchUp(player);
        MatchInput input;
        if (player == 1)
            input.player1 = player1.decide(believed, *arena);
        else
            input.player2 = player2.decide(believed, *arena);
        if (!sent.empty()) sent[static_cast<std::size_t>(ticks % static_cast<long>(sent.size()))] = input;
        ++ticks;
        return input;
    }

private:
    // Turns the late view into a belief about now.
    void catchUp(int player)
    {
        using namespace forecast;
        using namespace rules;
        const int delay = skill.delayTicks;
        const ArenaMap& walls = *arena;
        // Its own player: what its hand did since, replayed on what it saw.
        PlayerView& own = player == 1 ? believed.player1 : believed.player2;
        const long count = static_cast<long>(sent.size());
        for (long back = std::min(count, ticks); back > 0 && own.alive; --back) {
            const MatchInput& done = sent[static_cast<std::size_t>((ticks - back) % count)];
            Vec2 step;
            if (player == 1) {
                step = walkOf(done.player1) * kWalkSpeed;
                own.velocity = step;
            } else {
                own.velocity = steering::nextAim(own.velocity, done.player2.pointerX, done.player2.pointerY);
                step = own.velocity;
            }
            own.position += step;
            const float room = walls.clearance(own.position) - kPlayerRadius;
            if (room < 0.0f) own.position += walls.awayFromWalls(own.position) * -room;
        }
        // The other player: carried on along its motion for part of the delay, and misjudged.
        PlayerView& other = player == 1 ? believed.player2 : believed.player1;
        if (other.alive) {
            const int ahead = static_cast<int>(std::lround(skill.anticipation * static_cast<float>(delay)));
            if (player == 1) {
                Vec2 drift[64];
                const int steps = std::min(ahead, 64);
                if (steps > 0) {
                    driftPath(other.position, other.velocity, walls, steps, drift);
                    other.position = drift[steps - 1];
                }
            } else {
                const Vec2 moved = other.position + other.velocity * static_cast<float>(ahead);
                if (walls.clearance(moved) > kPlayerRadius) other.position = moved;
            }
            if (--ticksToRedraw <= 0) {
                misjudgement = Vec2(random.between(-1.0f, 1.0f), random.between(-1.0f, 1.0f));
                ticksToRedraw = kErrorRedraw;
            }
            const float distance = length(other.position - own.position);
            other.position +=
                misjudgement * (skill.errorPerDistance * distance + skill.errorPerSpeed * length(other.velocity));
        }
        // Bullets and the ball fly as they must: seen late, but where they are by now is plain. Only the
        // bullets that can hurt its own player count: knocked back for player 2, not for player 1.
        auto& shots = believed.shots;
        shots.erase(std::remove_if(shots.begin(), shots.end(),
                                   [player](const ShotView& shot) { return shot.knockedBack != (player == 2); }),
                    shots.end());
        Vec2 path[64];
        const int flown = std::min(delay, 64);
        for (ShotView& shot : believed.shots) {
            if (flown == 0) break;
            shotPath(shot, walls, flown, path);
            shot.velocity = flown > 1 ? path[flown - 1] - path[flown - 2] : shot.velocity;
            shot.position = path[flown - 1];
            shot.age += flown;
        }
        if (believed.ball.inFlight) {
            believed.ball.position += believed.ball.velocity * static_cast<float>(delay);
            believed.ball.ticksLeft -= delay;
            believed.ball.inFlight = believed.ball.ticksLeft >= 0;
        }
        believed.player1Reload = std::max(0, believed.player1Reload - delay);
        believed.player2Reload = std::max(0, believed.player2Reload - delay);
    }

    Skill skill;
    MatchWatcher watcher;
    BotRandom random;
    std::optional<ArenaMap> arena;
    Player1Policy player1;
    Player2Policy player2;
    MatchView believed;
    // Its own input over the last delay ticks.
    std::vector<MatchInput> sent;
    long ticks = 0;
    Vec2 misjudgement;
    int ticksToRedraw = 0;
};
} // namespace

std::optional<BotLevel> botLevelNamed(std::string_view word)
{
    if (word == "easy") return BotLevel::Easy;
    if (word == "normal") return BotLevel::Normal;
    if (word == "hard") return BotLevel::Hard;
    return std::nullopt;
}

std::unique_ptr<PlayerSource> makeBot(std::uint32_t seed, BotLevel level)
{
    return std::make_unique<Bot>(seed, skillFor(level));
}

#include "PlayerSources.h"

#include <charconv>

#include "Bot.h"

std::optional<SourceChoice> SourceChoice::parse(std::string_view text)
{
    const auto seeded = [](std::string_view word, std::string_view rest, Kind kind) -> std::optional<SourceChoice> {
        if (rest.size() <= word.size() || rest.substr(0, word.size()) != word) return std::nullopt;
        const std::string_view digits = rest.substr(word.size());
        std::uint32_t seed = 0;
        const char* end = digits.data() + digits.size();
        const auto [stop, error] = std::from_chars(digits.data(), end, seed);
        if (error != std::errc() || stop != end || digits.front() == '+') return std::nullopt;
        return SourceChoice{kind, seed};
    };
    if (text == "local") return SourceChoice{Kind::Local, 1};
    if (text == "idle") return SourceChoice{Kind::Idle, 1};
    if (text == "bot") return SourceChoice{Kind::Bot, 1};
    if (text == "remote") return SourceChoice{Kind::Remote, 1};
    if (text.substr(0, 4) == "bot:") {
        // A level word first, if any, then the seed.
        const std::string_view rest = text.substr(4);
        const std::string_view word = rest.substr(0, rest.find(':'));
        if (const auto level = botLevelNamed(word)) {
            if (word.size() == rest.size()) return SourceChoice{Kind::Bot, 1, *level};
            auto bot = seeded(":", rest.substr(word.size()), Kind::Bot);
            if (bot) bot->level = *level;
            return bot;
        }
        return seeded("bot:", text, Kind::Bot);
    }
    return seeded("random:", text, Kind::Random);
}

std::unique_ptr<PlayerSource> makePlayerSource(const SourceChoice& choice)
{
    switch (choice.kind) {
    case SourceChoice::Kind::Local:
    case SourceChoice::Kind::Remote: return nullptr;
    case SourceChoice::Kind::Idle: return std::make_unique<IdleSource>();
    case SourceChoice::Kind::Random: return std::make_unique<RandomSource>(choice.seed);
    case SourceChoice::Kind::Bot: return makeBot(choice.seed, choice.level);
    }
    return nullptr;
}

std::uint32_t RandomSource::draw()
{
    state = state * 1664525u + 1013904223u;
    return state >> 8;
}

MatchInput RandomSource::next(const MySim&, int player)
{
    if (player == 1) {
        // Each key flips about once a second, so that walks and throws last a while.
        for (std::size_t key = 0; key < Player1Input::kKeys; ++key) {
            if (draw() % 60 == 0) held.player1.keys ^= static_cast<std::uint8_t>(1u << key);
        }
        return held;
    }
    Player2Input& mouse = held.player2;
    mouse.pointerX = static_cast<std::int32_t>(draw() % 41) - 20;
    mouse.pointerY = static_cast<std::int32_t>(draw() % 41) - 20;
    if (draw() % 20 == 0) mouse.leftDown = !mouse.leftDown;
    return held;
}

#include "Bot.h"

namespace {
// Stands still until the computer player is written.
class Bot : public PlayerSource {
public:
    MatchInput next(const MySim&, int) override { return {}; }
};
} // namespace

std::unique_ptr<PlayerSource> makeBot(std::uint32_t) { return std::make_unique<Bot>(); }

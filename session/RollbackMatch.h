#pragma once

#include <array>
#include <cstdint>

#include "MySim.h"
#include "RollbackGame.h"

// The arena match as rollback sees it: whole-match snapshots in slots, ticks stepped with the match's input
// alone. The window's part of a tick never enters: this match may run a tick several times.
class RollbackMatch : public RollbackGame {
public:
    explicit RollbackMatch(MySim& match) : match(match) {}

    void save(int slot) override;
    // The camera is this machine's own view and follows the players smoothly, so going back leaves it where it
    // is rather than making the picture jump.
    void restore(int slot) override;
    void step(const MatchInput& input) override;
    std::uint64_t checksum() const override { return match.checksum(); }

private:
    MySim& match;
    std::array<MatchSnapshot, kSnapshotSlots> slots;
};

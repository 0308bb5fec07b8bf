#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <gtest/gtest.h>
#include <tuple>
#include <utility>
#include <vector>

#include "RollbackSession.h"

// A small deterministic match for rollback tests: one number stirred by both inputs every tick. Two deliberate
// faults can be switched on: a tick where one machine's arithmetic differs, and a counter the snapshots forget.
class ToyGame : public RollbackGame {
public:
    void save(int slot) override { slots.at(slot) = {value, tick}; }
    void restore(int slot) override { std::tie(value, tick) = slots.at(slot); }
    void step(const MatchInput& input) override
    {
        const auto& mouse = input.player2;
        const std::uint64_t stir = input.player1.keys ^ std::uint64_t(std::uint32_t(mouse.pointerX)) << 8 ^
                                   std::uint64_t(std::uint32_t(mouse.pointerY)) << 32 ^ mouse.leftDown << 1 ^
                                   std::uint64_t(mouse.captureKey) << 63;
        value = value * 6364136223846793005ull + stir + 1442695040888963407ull + (tick == corruptAt);
        if (tick >= forgetFrom) value += hidden;
        ++hidden;
        ++tick;
    }
    std::uint64_t checksum() const override { return value ^ std::uint64_t(tick) << 48; }

    int corruptAt = -1;
    int forgetFrom = 1 << 30;

private:
    std::uint64_t value = 1;
    int tick = 0;
    int hidden = 0;
    std::array<std::pair<std::uint64_t, int>, kSnapshotSlots> slots{};
};

// What each player does at a given moment: changing often, so that guesses are often wrong.
inline MatchInput scripted(int player, int tick)
{
    MatchInput input;
    if (player == 1)
        input.player1.keys = std::uint8_t((tick / 5) * 37);
    else
        input.player2 = {(tick / 3) % 200 - 100, -(tick / 7), tick % 11 < 4, tick % 50 == 0};
    return input;
}

// One machine: a toy game under a session, fed scripted input, recording every confirmed tick.
struct Side {
    explicit Side(SessionConfig config)
        : config(config), session(game, config, [this](int tick, const MatchInput& input) {
              EXPECT_EQ(tick, int(confirmed.size()));
              confirmed.push_back(input);
          })
    {
    }
    // One frame: take what arrived, run a tick unless asked to wait (or not started); returns what to send.
    std::vector<Packet> frame(const std::vector<Packet>& arrived, bool started = true)
    {
        for (const Packet& packet : arrived) session.receive(packet);
        const bool wait = session.recommendedFrameDelay() > 0;
        waits += wait;
        if (started && !wait) session.advance(scripted(config.localPlayer, session.currentTick()));
        maxPredicted = std::max(maxPredicted, session.predictedTicks());
        std::vector<Packet> out = session.takeMessages();
        if (const auto batch = session.inputBatch()) out.insert(out.begin(), *batch);
        return out;
    }
    bool running() const { return session.state() == SessionState::Running; }

    SessionConfig config;
    ToyGame game;
    RollbackSession session;
    std::vector<MatchInput> confirmed;
    int maxPredicted = 0;
    int waits = 0;
};

// The checksum of the match as it should come out: every tick run once with its final inputs.
inline std::uint64_t reference(const std::vector<MatchInput>& inputs)
{
    ToyGame game;
    for (const MatchInput& input : inputs) game.step(input);
    return game.checksum();
}

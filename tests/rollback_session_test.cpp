#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>
#include <random>
#include <tuple>
#include <utility>
#include <vector>

#include "PacketCodec.h"
#include "RollbackSession.h"
#include "SyncTest.h"

namespace {

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
MatchInput scripted(int player, int tick)
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
std::uint64_t reference(const std::vector<MatchInput>& inputs)
{
    ToyGame game;
    for (const MatchInput& input : inputs) game.step(input);
    return game.checksum();
}

struct LinkShape {
    int lossPercent, delay, jitter; // delays in frames
    bool reliableLost = false;      // every checksum report and goodbye lost: only the input batches get through
};

// One direction of a network: unreliable datagrams are lost and reordered, reliable ones only delayed.
struct Link {
    void send(const std::vector<Packet>& packets, int now)
    {
        for (const Packet& packet : packets) {
            const bool reliable = !std::holds_alternative<InputBatch>(packet);
            if (reliable ? shape.reliableLost : int(random() % 100) < shape.lossPercent) continue;
            int at = now + shape.delay + int(random() % (shape.jitter + 1));
            if (reliable) at = lastReliable = std::max(at, lastReliable);
            inFlight.push_back({at, encodePacket(packet)});
        }
    }
    // What arrives by now, decoded as the receiver at tick would.
    std::vector<Packet> arrived(int now, int tick)
    {
        std::vector<Packet> due;
        const auto late =
            std::stable_partition(inFlight.begin(), inFlight.end(), [&](const auto& d) { return d.first <= now; });
        for (auto it = inFlight.begin(); it != late; ++it) {
            const auto decoded = decodePacket(it->second.data(), it->second.size(), std::uint32_t(tick));
            EXPECT_TRUE(std::holds_alternative<Packet>(decoded));
            if (auto* packet = std::get_if<Packet>(&decoded)) due.push_back(*packet);
        }
        inFlight.erase(inFlight.begin(), late);
        return due;
    }

    LinkShape shape;
    std::mt19937 random;
    int lastReliable = 0;
    std::vector<std::pair<int, Datagram>> inFlight{};
};

// Runs both sides frame by frame until both stop (and then for lingerFrames more) or the frames run out; b starts
// bLag frames late.
void play(Side& a, Side& b, LinkShape shape, int bLag = 0, int frames = 5000, int lingerFrames = 0)
{
    Link toB{shape, std::mt19937(7)}, toA{shape, std::mt19937(11)};
    for (int now = 0; now < frames && (a.running() || b.running() || lingerFrames-- > 0); ++now) {
        toB.send(a.frame(toA.arrived(now, a.session.currentTick())), now);
        toA.send(b.frame(toB.arrived(now, b.session.currentTick()), now >= bLag), now);
    }
}

TEST(RollbackSession, BothSidesEndAgreeingWhateverTheLink)
{
    const struct {
        LinkShape link;
        int inputDelay;
        bool mustRollBack;
        int predicted; // the most ticks run on a guess, if the link fixes it
    } cases[] = {
        {{0, 0, 0}, 2, false, 0},                   // inputs arrive before they are needed
        {{0, 1, 0}, 0, true, -1},                   // every guess a tick late
        {{25, 3, 4}, 2, true, -1},                  // loss and reordering
        {{50, 6, 12}, 0, true, kMaxPredictedTicks}, // worse than the prediction window: waits, never guesses more
        {{10, 2, 3}, kMaxInputDelay, false, 0},     // the delay hides the latency
        {{25, 3, 4, true}, 2, true, -1},            // the checksums riding in the input batches are enough
    };
    constexpr int kTicks = 600;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "loss " << c.link.lossPercent << " delay " << c.link.delay);
        Side a({1, c.inputDelay, kTicks}), b({2, c.inputDelay, kTicks});
        play(a, b, c.link, 0, 5000, 20);
        EXPECT_EQ(a.session.state(), SessionState::Finished);
        EXPECT_EQ(b.session.state(), SessionState::Finished);
        // Each side's goodbye goes out after its own end, and is heard all the same.
        EXPECT_EQ(a.session.peerFinished() && b.session.peerFinished(), !c.link.reliableLost);
        // Confirmed inputs: identical on both sides, and exactly the scripted ones after the input delay.
        ASSERT_EQ(a.confirmed.size(), std::size_t(kTicks));
        EXPECT_EQ(a.confirmed, b.confirmed);
        for (int tick = c.inputDelay; tick < kTicks; ++tick) {
            EXPECT_EQ(a.confirmed[tick].player1, scripted(1, tick - c.inputDelay).player1) << tick;
            EXPECT_EQ(a.confirmed[tick].player2, scripted(2, tick - c.inputDelay).player2) << tick;
        }
        EXPECT_EQ(a.game.checksum(), reference(a.confirmed));
        EXPECT_EQ(b.game.checksum(), reference(a.confirmed));
        EXPECT_EQ(a.session.rollbacks() > 0 || b.session.rollbacks() > 0, c.mustRollBack);
        const int predicted = std::max(a.maxPredicted, b.maxPredicted);
        EXPECT_LE(predicted, kMaxPredictedTicks);
        EXPECT_TRUE(c.predicted < 0 || predicted == c.predicted) << predicted;
        EXPECT_EQ(a.session.rejectedMessages() + b.session.rejectedMessages(), 0);
        // In step from the start on a straight link: nobody waits.
        EXPECT_TRUE(c.link.delay != 0 || a.waits + b.waits == 0) << a.waits << " " << b.waits;
    }
}

TEST(RollbackSession, ALateDifferingInputRewindsToItsTick)
{
    for (const bool guessedRight : {true, false}) {
        Side side({1, 0, 100});
        for (int tick = 0; tick < 3; ++tick) ASSERT_TRUE(side.session.advance(scripted(1, tick)));
        // The peer's real inputs for ticks 0 to 2: the guess (nothing held) or a held button from tick 1.
        InputBatch late{2, 3, 3, 0, std::vector<MatchInput>(3)};
        if (!guessedRight) late.inputs[1].player2.leftDown = late.inputs[2].player2.leftDown = true;
        side.session.receive(late);
        side.session.advance(scripted(1, 3));
        EXPECT_EQ(side.session.rollbacks(), guessedRight ? 0 : 1);
        ASSERT_EQ(side.confirmed.size(), 3u);
        EXPECT_EQ(side.confirmed[1].player2.leftDown, !guessedRight);
        // Tick 3 ran on the newest known input, after the rewound ticks ran on the real ones.
        std::vector<MatchInput> expected = side.confirmed;
        expected.push_back({scripted(1, 3).player1, late.inputs[2].player2});
        EXPECT_EQ(side.game.checksum(), reference(expected));
    }
}

TEST(RollbackSession, ADesyncEndsBothSidesAtTheFirstCheckpointAfterIt)
{
    for (const int corruptAt : {0, 59, 60, 130}) {
        Side a({1, 2, 600}), b({2, 2, 600});
        b.game.corruptAt = corruptAt;
        play(a, b, {10, 2, 2});
        const int checkpoint = (corruptAt / kChecksumInterval + 1) * kChecksumInterval;
        for (const Side* side : {&a, &b})
            EXPECT_TRUE(side->session.state() == SessionState::Desynced && side->session.desyncTick() == checkpoint)
                << corruptAt << ": " << side->session.desyncTick();
    }
}

TEST(RollbackSession, TheSideRunningAheadSlowsDownUntilTheyMeet)
{
    // b starts six frames late; a waits a frame now and then until the two run within the tolerance.
    Side a({1, 2, 300}), b({2, 2, 300});
    play(a, b, {0, 2, 0}, 6, 200);
    EXPECT_GE(a.waits, 2);
    EXPECT_EQ(b.waits, 0);
    EXPECT_LE(std::abs(a.session.currentTick() - b.session.currentTick()), kSyncTolerance);
}

TEST(RollbackSession, NonsenseFromThePeerIsCountedAndIgnored)
{
    Side side({1, 0, 100});
    const Packet nonsense[] = {
        InputBatch{1, 0, 0, 0, {MatchInput{}}}, // the local player's own inputs
        ChecksumReport{59, 1},                  // not a checkpoint
        Hello{},                                // belongs to the link
    };
    for (const Packet& packet : nonsense) side.session.receive(packet);
    side.session.receive(InputBatch{2, 0, 0, 0, {MatchInput{}}});
    side.session.receive(InputBatch{2, 0, 0, 0, {scripted(2, 1)}}); // contradicts the input just received
    EXPECT_EQ(side.session.rejectedMessages(), 4);
    side.session.receive(Goodbye{GoodbyeReason::Quit, 0});
    EXPECT_EQ(side.session.state(), SessionState::PeerQuit);
    EXPECT_FALSE(side.session.advance(MatchInput{}));
}

TEST(RollbackSession, APeersReportOfDivergenceCountsOnlyForACheckpointSettledHere)
{
    for (const int named : {kChecksumInterval, 2 * kChecksumInterval, kChecksumInterval - 1}) {
        Side side({1, 0, 300});
        side.session.receive(InputBatch{2, 64, 0, 0, std::vector<MatchInput>(64)});
        for (int tick = 0; tick < 70; ++tick) side.session.advance(scripted(1, tick));
        ASSERT_EQ(side.session.confirmedTicks(), 64);
        side.session.receive(Goodbye{GoodbyeReason::Desync, std::uint32_t(named)});
        // Only the first: the others name a tick not settled here, or no checkpoint at all.
        const bool believed = named == kChecksumInterval;
        EXPECT_EQ(side.session.state(), believed ? SessionState::PeerReportedDesync : SessionState::Running) << named;
        EXPECT_EQ(side.session.rejectedMessages(), believed ? 0 : 1) << named;
        EXPECT_EQ(side.session.desyncTick(), believed ? named : 0);
    }
}

TEST(SyncTest, FindsStateTheSnapshotsForgetAtTheTickItFirstMatters)
{
    for (const int distance : {1, 4, kSnapshotSlots}) {
        for (const int forgetFrom : {0, 37, 1000}) {
            ToyGame game;
            game.forgetFrom = forgetFrom;
            SyncTest test(game, distance);
            std::optional<int> found;
            for (int tick = 0; tick < 120 && !found; ++tick) found = test.step(scripted(1, tick));
            EXPECT_EQ(found, forgetFrom < 120 ? std::optional<int>(forgetFrom) : std::nullopt) << distance;
        }
    }
}

} // namespace

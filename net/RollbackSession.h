#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "MatchInput.h"
#include "PacketCodec.h"
#include "RollbackGame.h"

// Confirmed ticks between two checksum exchanges.
inline constexpr int kChecksumInterval = 60;
// Ticks ahead of the peer that are still jitter rather than a machine running fast.
inline constexpr int kSyncTolerance = 2;

struct SessionConfig {
    int localPlayer = 1;                 // 1 or 2; the peer plays the other
    int inputDelay = kDefaultInputDelay; // ticks, 0 to kMaxInputDelay
    int matchTicks = 0;                  // the match ends after this many ticks, at least 1
};

// PeerReportedDesync: the peer says the matches differ, at a checkpoint this side has confirmed but not yet
// compared; only its word.
enum class SessionState { Running, Finished, Quit, PeerQuit, Desynced, PeerReportedDesync };

// One side of a two-machine match with rollback. The local input takes effect inputDelay ticks after it is
// read; the peer's input is guessed as its last known one, and when the real one for a past tick differs, the
// game goes back to that tick's snapshot and runs forward again. The session never talks to the network: the
// caller hands it what arrives and sends what it asks for.
class RollbackSession {
public:
    // Called once per tick, in order, as soon as both inputs of the tick are final and it has run with them.
    using ConfirmedTick = std::function<void(int tick, const MatchInput& input)>;

    RollbackSession(RollbackGame& game, SessionConfig config, ConfirmedTick onConfirmed);

    // Reads this machine's input (its player's part; the rest is ignored) and runs the next tick, unless the
    // match is over or kMaxPredictedTicks ticks already run on a guess; then it only settles what arrived, and
    // returns false so that the caller offers the same moment's input again next frame.
    bool advance(const MatchInput& local);

    // What arrived from the peer. Inputs of the wrong player, or that contradict ones already known, are counted
    // and ignored; so is a reported divergence at a checkpoint this side has not confirmed. Once the match is
    // over, only the peer's word that it finished too still counts.
    void receive(const Packet& packet);

    // The unacknowledged local inputs and the acknowledgement, to send unreliably each frame; none before the
    // first local input exists.
    std::optional<InputBatch> inputBatch() const;
    // Checksum reports and goodbyes queued since the last call, to send reliably.
    std::vector<Packet> takeMessages();
    // Ends the match from this side.
    void quit();

    // Frames to skip now so that the peer catches up: 1 when this side runs ahead beyond kSyncTolerance, else 0.
    int recommendedFrameDelay() const;

    SessionState state() const { return currentState; }
    // After a desync: the first checkpoint (in ticks) whose checksums differed, or the one the peer named.
    int desyncTick() const { return desyncAt; }
    // The latest checkpoint whose checksums both sides agreed on: the match is settled when it is the last tick.
    int comparedTicks() const { return lastCompared; }
    // The peer said it finished the match: it needs nothing more from this side.
    bool peerFinished() const { return peerDone; }
    // The next tick to run.
    int currentTick() const { return nextTick; }
    int confirmedTicks() const { return confirmed; }
    // Ticks run on a guess of the peer's input.
    int predictedTicks() const;
    int rollbacks() const { return rollbackCount; }
    // The most ticks one rollback ran again.
    int longestRollback() const { return longest; }
    // Peer messages that were well formed but made no sense here.
    int rejectedMessages() const { return rejected; }

private:
    void receiveInputs(const InputBatch& batch);
    void receiveChecksum(const ChecksumReport& report);
    void noteRemoteSum(int tick, std::uint64_t checksum);
    void receiveGoodbye(const Goodbye& goodbye);
    void settle();
    void runTick(int tick);
    void confirmReady();
    void compareChecksums();
    void finishIfDone();
    void end(SessionState state, std::optional<Goodbye> goodbye);
    int remotePlayer() const { return 3 - config.localPlayer; }
    MatchInput combined(int tick, const MatchInput& remote) const;
    MatchInput guess() const;
    bool isCheckpoint(int tick) const;

    RollbackGame& game;
    const SessionConfig config;
    ConfirmedTick onConfirmed;

    std::vector<MatchInput> localInputs;              // from tick 0; the first inputDelay are empty
    std::vector<MatchInput> remoteInputs;             // the peer's known inputs, contiguous from tick 0
    std::array<MatchInput, kSnapshotSlots> guesses{}; // the peer input each predicted tick ran with
    std::optional<int> rollbackFrom;                  // the earliest tick that ran on a wrong guess
    int nextTick = 0;
    int confirmed = 0;
    int peerReceived = 0; // local inputs the peer acknowledged

    std::map<int, std::uint64_t> pendingSums; // checksum after a checkpoint tick, from its latest run
    std::map<int, std::uint64_t> localSums;   // confirmed, awaiting the peer's
    std::map<int, std::uint64_t> remoteSums;  // the peer's, awaiting ours
    int lastCompared = 0;
    ChecksumReport latestSum; // the latest confirmed checkpoint's, carried in every input batch

    int localAdvantage = 0;  // our tick minus the peer's, when its last batch arrived
    int remoteAdvantage = 0; // the same from the peer's side, by its acknowledgement
    std::uint32_t latestSenderTick = 0;

    std::vector<Packet> outbox;
    SessionState currentState = SessionState::Running;
    bool peerDone = false;
    int desyncAt = 0;
    int rollbackCount = 0;
    int longest = 0;
    int rejected = 0;
};

#include "RollbackSession.h"

#include <algorithm>
#include <cassert>
#include <iterator>
#include <utility>

namespace {

// The part of an input that belongs to player; the other part left empty.
MatchInput partOf(const MatchInput& input, int player)
{
    MatchInput part;
    if (player == 1)
        part.player1 = input.player1;
    else
        part.player2 = input.player2;
    return part;
}

// Checksums of the peer held before ours exist; an honest peer is never more than a checkpoint or two ahead.
constexpr std::size_t kMaxWaitingSums = 4;

} // namespace

RollbackSession::RollbackSession(RollbackGame& game, SessionConfig config, ConfirmedTick onConfirmed)
    : game(game), config(config), onConfirmed(std::move(onConfirmed))
{
    assert(config.localPlayer == 1 || config.localPlayer == 2);
    assert(config.inputDelay >= 0 && config.inputDelay <= kMaxInputDelay);
    assert(config.matchTicks >= 1 && std::uint32_t(config.matchTicks) <= kMaxMatchTicks);
    // Neither side has input for the first inputDelay ticks, and both know it.
    const int empty = std::min(config.inputDelay, config.matchTicks);
    localInputs.resize(empty);
    remoteInputs.resize(empty);
    peerReceived = empty;
}

bool RollbackSession::advance(const MatchInput& local)
{
    settle();
    if (currentState != SessionState::Running || nextTick >= config.matchTicks) return false;
    if (predictedTicks() >= kMaxPredictedTicks) return false;
    if (int(localInputs.size()) < config.matchTicks)
        localInputs.push_back(partOf(wireInput(local), config.localPlayer));
    runTick(nextTick);
    ++nextTick;
    confirmReady();
    return true;
}

void RollbackSession::receive(const Packet& packet)
{
    const auto* goodbye = std::get_if<Goodbye>(&packet);
    if (goodbye && goodbye->reason == GoodbyeReason::Finished) peerDone = true;
    if (currentState != SessionState::Running) return;
    if (const auto* batch = std::get_if<InputBatch>(&packet))
        receiveInputs(*batch);
    else if (const auto* report = std::get_if<ChecksumReport>(&packet))
        receiveChecksum(*report);
    else if (goodbye)
        receiveGoodbye(*goodbye);
    else
        ++rejected;
}

void RollbackSession::receiveInputs(const InputBatch& batch)
{
    if (batch.player != remotePlayer()) {
        ++rejected;
        return;
    }
    // The peer cannot hold inputs this side never made.
    peerReceived = std::max(peerReceived, std::min(int(batch.received), int(localInputs.size())));
    if (batch.senderTick >= latestSenderTick) {
        latestSenderTick = batch.senderTick;
        localAdvantage = nextTick - int(batch.senderTick);
        remoteAdvantage = int(batch.senderTick) - (int(batch.received) - config.inputDelay);
    }
    for (std::size_t i = 0; i < batch.inputs.size(); ++i) {
        const int tick = int(batch.firstTick + i);
        const MatchInput input = partOf(batch.inputs[i], remotePlayer());
        if (tick < int(remoteInputs.size())) {
            if (remoteInputs[tick] != input) ++rejected;
            continue;
        }
        // A gap cannot be filled from this batch, and nothing lies past the match.
        if (tick > int(remoteInputs.size()) || tick >= config.matchTicks) break;
        if (tick < nextTick && guesses[tick % kSnapshotSlots] != input)
            rollbackFrom = std::min(rollbackFrom.value_or(tick), tick);
        remoteInputs.push_back(input);
    }
    if (batch.checkTick != 0) noteRemoteSum(int(batch.checkTick), batch.checksum);
}

void RollbackSession::receiveChecksum(const ChecksumReport& report)
{
    noteRemoteSum(int(report.tick), report.checksum);
}

// Each checksum arrives twice or more (reliably, and in every input batch until the next checkpoint): the copies
// are expected, a different value for the same checkpoint is not.
void RollbackSession::noteRemoteSum(int tick, std::uint64_t checksum)
{
    if (tick <= lastCompared && isCheckpoint(tick)) return;
    const auto held = remoteSums.find(tick);
    if (held != remoteSums.end() && held->second == checksum) return;
    if (!isCheckpoint(tick) || held != remoteSums.end() || remoteSums.size() >= kMaxWaitingSums) {
        ++rejected;
        return;
    }
    remoteSums[tick] = checksum;
    compareChecksums();
}

void RollbackSession::receiveGoodbye(const Goodbye& goodbye)
{
    switch (goodbye.reason) {
    case GoodbyeReason::Finished: break; // our own end follows from its last checksum
    case GoodbyeReason::Quit: end(SessionState::PeerQuit, std::nullopt); break;
    case GoodbyeReason::Desync:
        // The peer can only have compared a checkpoint whose ticks this side confirmed too.
        if (!isCheckpoint(int(goodbye.tick)) || int(goodbye.tick) > confirmed) {
            ++rejected;
            break;
        }
        desyncAt = int(goodbye.tick);
        end(SessionState::PeerReportedDesync, std::nullopt);
        break;
    }
}

// Applies a pending rollback, then confirms whatever is now final.
void RollbackSession::settle()
{
    if (currentState != SessionState::Running) return;
    if (rollbackFrom) {
        const int from = *rollbackFrom;
        rollbackFrom.reset();
        ++rollbackCount;
        longest = std::max(longest, nextTick - from);
        game.restore(from % kSnapshotSlots);
        for (int tick = from; tick < nextTick; ++tick) runTick(tick);
    }
    confirmReady();
}

void RollbackSession::runTick(int tick)
{
    MatchInput remote;
    if (tick < int(remoteInputs.size())) {
        remote = remoteInputs[tick];
    } else {
        // Only a guessed tick can be rolled back to, so only it needs a snapshot.
        game.save(tick % kSnapshotSlots);
        remote = guesses[tick % kSnapshotSlots] = guess();
    }
    game.step(combined(tick, remote));
    if (isCheckpoint(tick + 1)) pendingSums[tick + 1] = game.checksum();
}

void RollbackSession::confirmReady()
{
    const int ready = std::min(int(remoteInputs.size()), nextTick);
    while (currentState == SessionState::Running && confirmed < ready) {
        const int tick = confirmed++;
        if (onConfirmed) onConfirmed(tick, combined(tick, remoteInputs[tick]));
        if (!isCheckpoint(confirmed)) continue;
        // No rollback reaches a confirmed tick, so the latest run's checksum is final.
        const auto pending = pendingSums.find(confirmed);
        assert(pending != pendingSums.end());
        localSums[confirmed] = pending->second;
        latestSum = ChecksumReport{std::uint32_t(confirmed), pending->second};
        outbox.push_back(latestSum);
        pendingSums.erase(pending);
        compareChecksums();
    }
    finishIfDone();
}

void RollbackSession::compareChecksums()
{
    for (auto local = localSums.begin(); local != localSums.end();) {
        const auto remote = remoteSums.find(local->first);
        if (remote == remoteSums.end()) {
            ++local;
            continue;
        }
        lastCompared = local->first;
        if (local->second != remote->second) {
            desyncAt = local->first;
            end(SessionState::Desynced, Goodbye{GoodbyeReason::Desync, std::uint32_t(desyncAt)});
            return;
        }
        remoteSums.erase(remote);
        // Earlier checkpoints still unmatched are passed: the peer's copies of them come late or not at all.
        local = localSums.erase(localSums.begin(), std::next(local));
    }
    finishIfDone();
}

// Done when the checksums after the last tick agreed: the peer sent its own only once it had confirmed every
// tick, so it holds all our inputs too.
void RollbackSession::finishIfDone()
{
    if (lastCompared < config.matchTicks) return;
    end(SessionState::Finished, Goodbye{GoodbyeReason::Finished, std::uint32_t(config.matchTicks)});
}

void RollbackSession::end(SessionState state, std::optional<Goodbye> goodbye)
{
    if (currentState != SessionState::Running) return;
    currentState = state;
    if (goodbye) outbox.push_back(*goodbye);
}

void RollbackSession::quit() { end(SessionState::Quit, Goodbye{GoodbyeReason::Quit, std::uint32_t(nextTick)}); }

std::optional<InputBatch> RollbackSession::inputBatch() const
{
    const int made = int(localInputs.size());
    if (made == 0) return std::nullopt;
    // Once all is acknowledged, the last input goes again to carry the acknowledgement.
    const int first = std::min(peerReceived, made - 1);
    const int count = std::min(made - first, int(kMaxInputsPerBatch));
    InputBatch batch;
    batch.player = std::uint8_t(config.localPlayer);
    batch.senderTick = std::uint32_t(nextTick);
    batch.received = std::uint32_t(remoteInputs.size());
    batch.firstTick = std::uint32_t(first);
    batch.inputs.assign(localInputs.begin() + first, localInputs.begin() + first + count);
    batch.checkTick = latestSum.tick;
    batch.checksum = latestSum.checksum;
    return batch;
}

std::vector<Packet> RollbackSession::takeMessages() { return std::exchange(outbox, {}); }

// Both sides see the other's tick late by the same transit time, so half the difference of the two views is
// how far this side really runs ahead.
int RollbackSession::recommendedFrameDelay() const
{
    return (localAdvantage - remoteAdvantage) / 2 >= kSyncTolerance ? 1 : 0;
}

int RollbackSession::predictedTicks() const { return std::max(0, nextTick - int(remoteInputs.size())); }

MatchInput RollbackSession::combined(int tick, const MatchInput& remote) const
{
    MatchInput input = localInputs[tick];
    if (config.localPlayer == 1)
        input.player2 = remote.player2;
    else
        input.player1 = remote.player1;
    return input;
}

MatchInput RollbackSession::guess() const { return remoteInputs.empty() ? MatchInput{} : remoteInputs.back(); }

bool RollbackSession::isCheckpoint(int tick) const
{
    return tick > 0 && tick <= config.matchTicks && (tick % kChecksumInterval == 0 || tick == config.matchTicks);
}

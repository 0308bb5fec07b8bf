#include "OnlineSession.h"

#include <algorithm>
#include <cassert>
#include <cstdio>
#include <ostream>
#include <thread>
#include <utility>
#include <variant>

#include "MatchSession.h"
#include "MySim.h"
#include "WindowSystem.h"

namespace {

using namespace std::chrono_literals;

// A joiner gives up on a host that has not agreed on a match by then.
constexpr auto kJoinTimeout = 10s;
// A peer heard from not at all for this long is gone, whatever ENet still hopes: inputs flow every frame, and
// ENet acknowledges what this side sends.
constexpr auto kSilenceLimit = 5s;
// A match whose confirmed ticks and compared checksums stand still this long is over, whatever still arrives:
// a peer can keep the link busy without playing.
constexpr auto kProgressLimit = 5s;
// How long a side that settled the match keeps sending its last inputs and checksum for a peer still short of
// them, unless the peer says it finished too.
constexpr auto kLingerTime = 3s;
// At most one line a second about peers turned away, however many knock.
constexpr auto kRefusalLineInterval = 1s;
// How long a leaving side waits for its last reliable messages to be acknowledged: a little longer than the link
// itself waits.
constexpr auto kDrainTime = 5500ms;
// A side that runs ahead skips at most one frame in this many, so that the clocks meet without a visible halt.
constexpr int kFramesBetweenSlowdowns = 12;

int seconds(std::chrono::steady_clock::duration span)
{
    return int(std::chrono::duration_cast<std::chrono::seconds>(span).count());
}

} // namespace

BuildIdentity buildIdentity() { return BuildIdentity{kProtocolVersion, SKIRMORA_MATCH_FINGERPRINT}; }

OnlineSession::OnlineSession(NetTransport transport, OnlineSetup setup, bool hosting, std::string where)
    : transport(std::move(transport)), setup(std::move(setup)), hosting(hosting), where(std::move(where)),
      confirmed(*this->setup.console), shown(muted), shownRollback(shown)
{
    assert(this->setup.console && this->setup.log);
    if (this->setup.recording) recording.emplace(*this->setup.recording, *this->setup.log);
    *this->setup.log << "skirmora: " << (hosting ? "waiting for the other player on UDP port " : "joining ")
                     << this->where << std::endl;
}

void OnlineSession::begin(const SessionStage& stage)
{
    confirmed.init();
    shown.window = stage.window;
    shown.textureNames = stage.textureNames;
    shown.init();
}

void OnlineSession::frame(const TickInput& devices)
{
    if (status) return;
    status = advanceFrame(devices);
    if (status == 0) writeMatchEnd(*setup.console, "match ended", confirmed, std::uint64_t(confirmedTicks()));
}

std::vector<TickRun> OnlineSession::takeTickRuns()
{
    shownRollback.keepRuns = true;
    return shownRollback.takeRuns();
}

std::optional<int> OnlineSession::advanceFrame(const TickInput& here)
{
    const Clock::time_point now = Clock::now();
    // Read every frame, so that the window keys act at once, even while the match waits.
    applyWindowKeys(here.window);
    if (here.window.quit) {
        // Before the match there is nobody to tell, and a connection still being made has nothing to wait for.
        if (rollback) {
            rollback->quit();
            sendPending();
            transport.close();
        }
        return end(1, "quit at tick " + std::to_string(confirmedTicks()));
    }
    receive(now);
    if (!rollback) return waitForPeer(now);
    if (rollback->state() == SessionState::Running) {
        roundTripSum += transport.roundTripMs();
        ++roundTripSamples;
        advance(here);
    }
    sendPending();
    return outcome(now);
}

std::optional<int> OnlineSession::waitForPeer(Clock::time_point now)
{
    // Only a joiner's link closes before the match: a host turns away whoever fails and goes on waiting.
    if (transport.state() == LinkState::Closed) return end(kRefusedStatus, transport.problem());
    if (!hosting && now - started > kJoinTimeout)
        return end(kRefusedStatus,
                   "nobody answered at " + where + " within " + std::to_string(seconds(kJoinTimeout)) + " s");
    return std::nullopt;
}

void OnlineSession::start(Clock::time_point now)
{
    const SessionConfig config = transport.settings();
    rollback = std::make_unique<RollbackSession>(
        shownRollback, config, [this](int tick, const MatchInput& input) { confirmTick(tick, input); });
    lastProgress = now;
    *setup.log << "skirmora: connected; this machine plays player " << config.localPlayer << ", " << config.matchTicks
               << " ticks, input delay " << config.inputDelay << std::endl;
}

void OnlineSession::receive(Clock::time_point now)
{
    const auto tick = std::uint32_t(rollback ? rollback->currentTick() : 0);
    const std::vector<Packet> packets = transport.service(tick);
    if (!rollback && transport.matchMayRun()) start(now);
    if (rollback && !matchBegan && transport.state() == LinkState::Ready) {
        matchBegan = true;
        lastProgress = now;
        for (const MatchInput& input : std::exchange(heldConfirmations, {})) confirmTick(0, input);
    }
    if (rollback)
        for (const Packet& packet : packets) rollback->receive(packet);
    reportRefusals(now);
    linkClosed = transport.state() == LinkState::Closed;
}

// Whoever the host turned away, or who left before the match began: the latest said at most once a second, with
// how many more there were, and the match goes on.
void OnlineSession::reportRefusals(Clock::time_point now)
{
    const std::size_t count = transport.refusedPeers();
    if (count == refusalsReported || now - lastRefusalLine < kRefusalLineInterval) return;
    const std::size_t more = count - refusalsReported - 1;
    *setup.log << "skirmora: " << transport.problem();
    if (more > 0) *setup.log << " (and " << more << " more since the last such line)";
    *setup.log << std::endl;
    refusalsReported = count;
    lastRefusalLine = now;
}

void OnlineSession::advance(const TickInput& here)
{
    if (rollback->recommendedFrameDelay() > 0 && framesSinceSlowdown >= kFramesBetweenSlowdowns) {
        framesSinceSlowdown = 0;
        ++slowedFrames;
        return;
    }
    ++framesSinceSlowdown;
    // A source is asked once per tick: a tick that must wait keeps the input it drew.
    MatchInput own = here.match;
    if (setup.ownSource) {
        if (!heldOwnInput) heldOwnInput = setup.ownSource->next(shown, setup.ownPlayer);
        own = *heldOwnInput;
    }
    const bool due = rollback->currentTick() < transport.settings().matchTicks;
    if (rollback->advance(own)) {
        heldOwnInput.reset();
    } else if (due && rollback->state() == SessionState::Running && lastStalledTick != rollback->currentTick()) {
        lastStalledTick = rollback->currentTick();
        ++stalledTicks;
    }
}

void OnlineSession::sendPending()
{
    if (!rollback) return;
    if (const auto batch = rollback->inputBatch()) transport.send(*batch);
    for (const Packet& message : rollback->takeMessages()) transport.send(message);
    transport.flush();
}

// The match's own keys for these are per tick; here the shown match may run a tick several times or not at all,
// so the window acts on them once per frame instead, and its sizes wait for the shown match's next tick.
void OnlineSession::applyWindowKeys(const WindowActions& keys)
{
    if (WindowSystem* window = shown.window) resizeForWindowKeys(*window, keys);
    shownRollback.reshapesToCome.insert(shownRollback.reshapesToCome.end(), keys.reshapes.begin(), keys.reshapes.end());
}

void OnlineSession::confirmTick(int, const MatchInput& input)
{
    if (!matchBegan) {
        heldConfirmations.push_back(input);
        return;
    }
    const TickInput tick{input, {}};
    confirmed.step(tick);
    if (recording) recording->write(tick);
}

std::optional<int> OnlineSession::outcome(Clock::time_point now)
{
    const std::string at = " at tick " + std::to_string(confirmedTicks());
    switch (rollback->state()) {
    case SessionState::Finished: return finish(now);
    case SessionState::Quit: return end(1, "quit" + at);
    case SessionState::PeerQuit: return end(kBrokenStatus, "the other player quit" + at);
    case SessionState::Desynced:
        transport.close();
        return end(kBrokenStatus,
                   "the two machines' matches differ after tick " + std::to_string(rollback->desyncTick()));
    case SessionState::PeerReportedDesync:
        transport.close();
        return end(kBrokenStatus, "the other machine reports that the two matches differ after tick " +
                                      std::to_string(rollback->desyncTick()));
    case SessionState::Running: break;
    }
    if (!matchBegan) {
        // A joiner whose match the host has not yet answered: still a handshake.
        if (linkClosed) return end(kRefusedStatus, transport.problem());
        return waitForPeer(now);
    }
    if (linkClosed) return end(kBrokenStatus, transport.problem() + at);
    if (transport.silenceMs() > std::uint32_t(std::chrono::milliseconds(kSilenceLimit).count()))
        return end(kBrokenStatus, "no word from the other machine for " + std::to_string(seconds(kSilenceLimit)) +
                                      " s; the match stops" + at);
    return judgeProgress(now);
}

std::optional<int> OnlineSession::judgeProgress(Clock::time_point now)
{
    const std::pair<int, int> mark{rollback->confirmedTicks(), rollback->comparedTicks()};
    if (mark != progressMark) {
        progressMark = mark;
        lastProgress = now;
        return std::nullopt;
    }
    if (now - lastProgress <= kProgressLimit) return std::nullopt;
    const bool allConfirmed = mark.first == transport.settings().matchTicks;
    return end(kBrokenStatus, "no progress for " + std::to_string(seconds(kProgressLimit)) + " s: " +
                                  (allConfirmed ? "the other machine's last checksum never came"
                                                : "tick " + std::to_string(mark.first + 1) + " never settled") +
                                  "; the match stops at tick " + std::to_string(mark.first));
}

// The match is settled here, but the peer may still lack this side's last inputs or checksum: both go on riding in
// every input batch, and the goodbye is resent, until the peer says it finished, leaves, or the time is up.
std::optional<int> OnlineSession::finish(Clock::time_point now)
{
    if (!finishedAt) finishedAt = now;
    if (!rollback->peerFinished() && !linkClosed && now - *finishedAt < kLingerTime) return std::nullopt;
    transport.close();
    return end(0, "");
}

int OnlineSession::end(int status, const std::string& why)
{
    if (!why.empty()) *setup.log << "skirmora: " << why << std::endl;
    // What is still queued (a last checksum, a goodbye) goes out before the process ends.
    const Clock::time_point until = Clock::now() + kDrainTime;
    while (transport.state() == LinkState::Closing && Clock::now() < until) {
        transport.service(std::uint32_t(rollback ? rollback->currentTick() : 0));
        std::this_thread::sleep_for(5ms);
    }
    if (rollback) *setup.log << "skirmora: " << figures() << std::endl;
    return status;
}

std::string OnlineSession::figures() const
{
    // A tick that is waiting now counts among those it is measured against.
    const int ticks = std::max({1, rollback->currentTick(), lastStalledTick + 1});
    char percent[16];
    std::snprintf(percent, sizeof percent, "%.1f", 100.0 * stalledTicks / ticks);
    const std::uint64_t roundTrip = roundTripSamples ? roundTripSum / roundTripSamples : 0;
    return "network: " + std::to_string(rollback->rollbacks()) + " rollbacks, longest " +
           std::to_string(rollback->longestRollback()) + " ticks, " + std::to_string(stalledTicks) +
           " ticks stalled (" + percent + "%), " + std::to_string(slowedFrames) + " frames slowed, round trip " +
           std::to_string(roundTrip) + " ms, " +
           std::to_string(transport.droppedDatagrams() + std::size_t(rollback->rejectedMessages())) +
           " datagrams dropped as bad";
}

void OnlineSession::leave()
{
    if (!rollback || rollback->state() != SessionState::Running) return;
    rollback->quit();
    sendPending();
}

#include "OnlineSession.h"

#include <algorithm>
#include <cassert>
#include <cstdio>
#include <ostream>
#include <thread>
#include <utility>
#include <variant>

#include "MatchSession.h"
#include "WindowSystem.h"

namespace {

using namespace std::chrono_literals;

// A joiner gives up on a host that has not agreed on a match by then.
constexpr auto kJoinTimeout = 10s;
// A peer heard from not at all for this long is gone, whatever ENet still hopes: inputs flow every frame.
constexpr auto kSilenceLimit = 5s;
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
    if (this->setup.recording) recording.emplace(*this->setup.recording);
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
    if (!rollback) {
        if (const auto status = waitForPeer(now)) return status;
        if (!rollback) return std::nullopt;
    }
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
    if (transport.state() == LinkState::Closed) return end(kRefusedStatus, transport.problem());
    if (transport.state() != LinkState::Ready) {
        if (!hosting && now - started > kJoinTimeout)
            return end(kRefusedStatus,
                       "nobody answered at " + where + " within " + std::to_string(seconds(kJoinTimeout)) + " s");
        return std::nullopt;
    }
    const SessionConfig config = transport.settings();
    rollback = std::make_unique<RollbackSession>(
        shownRollback, config, [this](int tick, const MatchInput& input) { confirmTick(tick, input); });
    lastHeard = now;
    *setup.log << "skirmora: connected; this machine plays player " << config.localPlayer << ", " << config.matchTicks
               << " ticks, input delay " << config.inputDelay << std::endl;
    return std::nullopt;
}

void OnlineSession::receive(Clock::time_point now)
{
    const auto tick = std::uint32_t(rollback ? rollback->currentTick() : 0);
    const std::vector<Packet> packets = transport.service(tick);
    if (!packets.empty()) {
        lastHeard = now;
        heardFromPeer = true;
    }
    if (rollback)
        for (const Packet& packet : packets) rollback->receive(packet);
    // A latecomer, or a joiner of another build, refused by the host: said once each, and the match goes on.
    if (transport.refusedPeers() > refusalsReported) {
        refusalsReported = transport.refusedPeers();
        *setup.log << "skirmora: " << transport.problem() << std::endl;
    }
    linkClosed = transport.state() == LinkState::Closed;
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
    if (rollback->advance(own))
        heldOwnInput.reset();
    else if (due && rollback->state() == SessionState::Running)
        ++stalledTicks;
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
    const TickInput tick{input, {}};
    confirmed.step(tick);
    if (recording) recording->write(tick);
}

std::optional<int> OnlineSession::outcome(Clock::time_point now)
{
    const std::string at = " at tick " + std::to_string(confirmedTicks());
    switch (rollback->state()) {
    case SessionState::Finished: transport.close(); return end(0, "");
    case SessionState::Quit: return end(1, "quit" + at);
    case SessionState::PeerQuit: return end(kBrokenStatus, "the other player quit" + at);
    case SessionState::Desynced:
        transport.close();
        return end(kBrokenStatus,
                   "the two machines' matches differ after tick " + std::to_string(rollback->desyncTick()));
    case SessionState::Running: break;
    }
    if (linkClosed) {
        // Closed before any input came: the joiner refused what the host offered.
        const bool refused = !heardFromPeer;
        return end(refused ? kRefusedStatus : kBrokenStatus,
                   "the other player went away" + at + ": " + transport.problem());
    }
    if (now - lastHeard > kSilenceLimit)
        return end(kBrokenStatus, "no word from the other player for " + std::to_string(seconds(kSilenceLimit)) +
                                      " s; the match stops" + at);
    return std::nullopt;
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
    const int ticks = std::max(1, rollback->currentTick());
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

// Sessions: each mode run by the engine as the program runs it, headless, alone and one after another.
#include <chrono>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <variant>

#include "Engine.h"
#include "LocalSession.h"
#include "MenuManager.h"
#include "OnlineSession.h"
#include "PlayerSources.h"
#include "ReplayFile.h"
#include "ReplaySession.h"

namespace {

constexpr int kLocalTicks = 240;
constexpr int kOnlineTicks = 90;
// Far more frames than an online match of kOnlineTicks needs, and its waits: the bound on a test gone wrong.
constexpr int kMostOnlineFrames = 1500;

// What a session left: its console, its recording and its status.
struct Outcome {
    std::string console;
    std::string recording;
    int status = -1;

    bool operator==(const Outcome& other) const
    {
        return console == other.console && recording == other.recording && status == other.status;
    }
};

std::unique_ptr<PlayerSource> source(SourceChoice::Kind kind, std::uint32_t seed)
{
    return makePlayerSource(SourceChoice{kind, seed});
}

// Ends a session that runs for longer than it may, with status 99.
class Bounded : public Session {
public:
    Bounded(std::unique_ptr<Session> inner, int frames) : inner(std::move(inner)), framesLeft(frames) {}
    void begin(const SessionStage& stage) override { inner->begin(stage); }
    void frame(const TickInput& devices) override
    {
        --framesLeft;
        inner->frame(devices);
    }
    SimulationManager* shownMatch() override { return inner->shownMatch(); }
    std::vector<TickRun> takeTickRuns() override { return inner->takeTickRuns(); }
    std::optional<int> finished() const override { return framesLeft > 0 ? inner->finished() : std::optional<int>(99); }
    bool paced() const override { return inner->paced(); }

private:
    std::unique_ptr<Session> inner;
    int framesLeft;
};

// A sparring partner against the computer player, recorded, for kLocalTicks ticks.
Outcome playLocal(Engine& engine)
{
    std::ostringstream console, recording;
    engine.setSession(std::make_unique<LocalSession>(console, source(SourceChoice::Kind::Random, 3),
                                                     source(SourceChoice::Kind::Bot, 4), kLocalTicks, &recording));
    const int status = engine.runHeadless();
    return {console.str(), recording.str(), status};
}

Outcome playReplay(Engine& engine, const std::string& file)
{
    std::ostringstream console;
    auto parsed = parseReplay(file);
    EXPECT_TRUE(std::holds_alternative<Replay>(parsed));
    if (!std::holds_alternative<Replay>(parsed)) return {};
    engine.setSession(std::make_unique<ReplaySession>(console, std::move(std::get<Replay>(parsed).ticks)));
    const int status = engine.runHeadless();
    return {console.str(), "", status};
}

// An online match on the loopback: the host's side run by the engine, the joiner's framed at the same pace in a
// thread of its own. Both play seeded sparring partners.
Outcome playOnline(Engine& engine)
{
    std::ostringstream console, recording, log, joinConsole, joinLog;
    auto host = NetTransport::host(0, {1, 2, kOnlineTicks}, buildIdentity());
    EXPECT_TRUE(std::holds_alternative<NetTransport>(host));
    if (!std::holds_alternative<NetTransport>(host)) return {};
    const std::uint16_t port = std::get<NetTransport>(host).port();
    auto join = NetTransport::join(Endpoint{"127.0.0.1", port}, buildIdentity(), 2);
    EXPECT_TRUE(std::holds_alternative<NetTransport>(join));
    if (!std::holds_alternative<NetTransport>(join)) return {};

    OnlineSession joiner(std::get<NetTransport>(std::move(join)),
                         {&joinConsole, 2, source(SourceChoice::Kind::Random, 6), nullptr, &joinLog}, false, "here");
    joiner.begin({});
    std::thread peer([&joiner] {
        for (int frame = 0; frame < kMostOnlineFrames && !joiner.finished(); ++frame) {
            joiner.frame({});
            std::this_thread::sleep_for(std::chrono::milliseconds(16));
        }
    });
    engine.setSession(std::make_unique<Bounded>(
        std::make_unique<OnlineSession>(
            std::get<NetTransport>(std::move(host)),
            OnlineSetup{&console, 1, source(SourceChoice::Kind::Random, 5), &recording, &log}, true, "0"),
        kMostOnlineFrames));
    const int status = engine.runHeadless();
    peer.join();
    EXPECT_EQ(joiner.finished(), 0) << joinLog.str();
    EXPECT_EQ(joinConsole.str(), console.str());
    return {console.str(), recording.str(), status};
}

template <typename Play> Outcome alone(Play play)
{
    MenuManager menu;
    Engine engine(menu);
    return play(engine);
}

TEST(Sessions, LocalReplayAndOnlineOneAfterAnotherInOneEngineEachPlayAsAlone)
{
    const Outcome local = alone(playLocal);
    const Outcome replay = alone([&local](Engine& engine) { return playReplay(engine, local.recording); });
    const Outcome online = alone(playOnline);
    // Each ended as it should: the local match and its replay alike, but for the name of the last line.
    EXPECT_EQ(local.status, 0);
    EXPECT_NE(local.console.find("match ended after 240 ticks: "), std::string::npos) << local.console;
    std::string asReplayed = local.console;
    asReplayed.replace(asReplayed.find("match ended"), 11, "replay ended");
    EXPECT_EQ(replay.console, asReplayed);
    EXPECT_EQ(replay.status, 0);
    EXPECT_EQ(online.status, 0);
    EXPECT_NE(online.console.find("match ended after 90 ticks: "), std::string::npos) << online.console;

    MenuManager menu;
    Engine engine(menu);
    EXPECT_EQ(playLocal(engine), local);
    EXPECT_EQ(playReplay(engine, local.recording), replay);
    EXPECT_EQ(playOnline(engine), online);
}

} // namespace

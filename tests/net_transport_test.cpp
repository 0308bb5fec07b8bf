#include <chrono>
#include <enet/enet.h>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "NetTransport.h"

// Every transport here talks to 127.0.0.1 only, on a port the system picks.
namespace {

constexpr BuildIdentity kBuild{kProtocolVersion, 0x5eed};
const SessionConfig kHostSide{1, 3, 240};

NetTransport orFail(std::variant<NetTransport, std::string> made)
{
    if (auto* problem = std::get_if<std::string>(&made)) ADD_FAILURE() << *problem;
    return std::move(std::get<NetTransport>(made));
}

NetTransport hostOrFail() { return orFail(NetTransport::host(0, kHostSide, kBuild)); }

NetTransport joinOrFail(std::uint16_t port, BuildIdentity identity = kBuild)
{
    return orFail(NetTransport::join(Endpoint{"127.0.0.1", port}, identity));
}

// Services the transports until done, for at most 5000 rounds and five seconds; what the first one receives is
// kept in got, if given.
bool serviceUntil(const std::vector<NetTransport*>& all, const std::function<bool()>& done,
                  std::vector<Packet>* got = nullptr)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    for (int round = 0; round < 5000 && std::chrono::steady_clock::now() < deadline; ++round) {
        for (NetTransport* transport : all) {
            const auto packets = transport->service(0);
            if (got && transport == all.front()) got->insert(got->end(), packets.begin(), packets.end());
        }
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
}

TEST(NetTransport, ParsesHostAndPort)
{
    EXPECT_EQ(parseEndpoint("example")->port, kDefaultPort);
    EXPECT_EQ(parseEndpoint("127.0.0.1:9")->host, "127.0.0.1");
    EXPECT_EQ(parseEndpoint("h:65535")->port, 65535);
    for (const char* bad : {"", ":7770", "h:", "h:0", "h:65536", "h:7x", "a:b:1", "h :1"})
        EXPECT_FALSE(parseEndpoint(bad)) << bad;
}

// A peer on ENet directly, saying what a test wants. The host takes one peer per address, so each comes from an
// address of its own on the loopback network.
struct RawPeer {
    RawPeer(std::uint16_t port, const char* from)
    {
        ENetAddress own{};
        enet_address_set_host_ip(&own, from);
        host.reset(enet_host_create(&own, 1, 2, 0, 0));
        ENetAddress address{};
        enet_address_set_host_ip(&address, "127.0.0.1");
        address.port = port;
        peer = enet_host_connect(host.get(), &address, 2, 0);
    }
    void send(std::uint8_t channel, const Datagram& bytes, std::uint32_t flags = ENET_PACKET_FLAG_RELIABLE)
    {
        enet_peer_send(peer, channel, enet_packet_create(bytes.data(), bytes.size(), flags));
    }
    // Handles what arrived; true once connected.
    bool service()
    {
        ENetEvent event;
        while (enet_host_service(host.get(), &event, 0) > 0) {
            if (event.type == ENET_EVENT_TYPE_CONNECT) connected = true;
            if (event.type == ENET_EVENT_TYPE_DISCONNECT) connected = false, gone = event.data;
            if (event.type == ENET_EVENT_TYPE_RECEIVE) enet_packet_destroy(event.packet);
        }
        return connected;
    }
    std::unique_ptr<ENetHost, void (*)(ENetHost*)> host{nullptr, enet_host_destroy};
    ENetPeer* peer = nullptr;
    bool connected = false;
    std::optional<std::uint32_t> gone; // the host's disconnect data
};

const Datagram kJoinerHello = encodePacket(Hello{kProtocolVersion, kBuild.fingerprint, 0, 2, 0});
const Datagram kFirstInputs = encodePacket(InputBatch{2, 1, 0, 0, {MatchInput{}}});

TEST(NetTransport, HandshakeAgreesTheMatchAndTheJoinersInputsStartItThere)
{
    NetTransport host = hostOrFail();
    ASSERT_NE(host.port(), 0);
    NetTransport joiner = joinOrFail(host.port());
    // The joiner's match may run once the hellos agree; the host's only when the joiner's inputs show it accepted.
    ASSERT_TRUE(serviceUntil({&host, &joiner}, [&] { return host.state() == LinkState::Agreed; }));
    ASSERT_TRUE(serviceUntil({&host, &joiner}, [&] { return joiner.state() == LinkState::Agreed; }));
    EXPECT_FALSE(host.matchMayRun());
    EXPECT_TRUE(joiner.matchMayRun());
    EXPECT_EQ(joiner.settings().localPlayer, 2);
    EXPECT_EQ(joiner.settings().inputDelay, kHostSide.inputDelay);
    EXPECT_EQ(joiner.settings().matchTicks, kHostSide.matchTicks);

    // Inputs go unreliably, everything else reliably; both arrive whole.
    const std::vector<Packet> sent = {InputBatch{2, 0, 3, 0, {MatchInput{}}, 0, 0}, ChecksumReport{60, 42}};
    for (const Packet& packet : sent) joiner.send(packet);
    std::vector<Packet> got;
    ASSERT_TRUE(serviceUntil(
        {&host, &joiner}, [&] { return got.size() >= sent.size(); }, &got));
    EXPECT_EQ(got, sent);
    EXPECT_EQ(host.state(), LinkState::Ready);
    host.send(InputBatch{1, 1, 1, 0, {MatchInput{}}});
    ASSERT_TRUE(serviceUntil({&host, &joiner}, [&] { return joiner.state() == LinkState::Ready; }));

    RawPeer third(host.port(), "127.0.0.2");
    ASSERT_TRUE(serviceUntil({&host, &joiner}, [&] { return third.service(), third.gone.has_value(); }));
    EXPECT_EQ(*third.gone, 1u) << "busy";
    EXPECT_EQ(host.refusedPeers(), 1u);
    EXPECT_EQ(host.state(), LinkState::Ready);
    // A departure without a goodbye mid-match is a lost link, whatever the disconnect says.
    {
        const NetTransport gone = std::move(host);
    }
    ASSERT_TRUE(serviceUntil({&joiner}, [&] { return joiner.state() == LinkState::Closed; }));
    EXPECT_EQ(joiner.problem(), "the link was lost");
}

TEST(NetTransport, AMismatchedBuildOrTheSamePlayerIsRefusedNamingBothValues)
{
    const struct {
        BuildIdentity joinerBuild;
        int joinerPlayer;
        std::string hostSays, joinerSays;
    } cases[] = {
        {{kProtocolVersion + 1, kBuild.fingerprint},
         2,
         "protocol version mismatch: this side 2, peer 3",
         "protocol version mismatch: this side 3, peer 2"},
        {{kProtocolVersion, 0xbad},
         2,
         "build mismatch: this side 0x5eed, peer 0xbad",
         "build mismatch: this side 0xbad, peer 0x5eed"},
        {kBuild, 1, "it plays player 1 too", "the host plays player 1 too"},
    };
    for (const auto& c : cases) {
        NetTransport host = hostOrFail();
        NetTransport joiner =
            orFail(NetTransport::join(Endpoint{"127.0.0.1", host.port()}, c.joinerBuild, c.joinerPlayer));
        ASSERT_TRUE(
            serviceUntil({&host, &joiner}, [&] { return joiner.state() == LinkState::Closed && host.refusedPeers(); }));
        EXPECT_NE(host.problem().find(c.hostSays), std::string::npos) << host.problem();
        EXPECT_EQ(joiner.problem(), c.joinerSays);
        // The host waits for a player with the right build.
        EXPECT_EQ(host.state(), LinkState::Waiting);
    }
}

TEST(NetTransport, SeveralHandshakeAtOnceAndOnlyInputsEndTheHostsWait)
{
    NetTransport host = hostOrFail();
    // Two peers connect; neither says hello at first.
    RawPeer first(host.port(), "127.0.0.2"), second(host.port(), "127.0.0.3");
    ASSERT_TRUE(serviceUntil({&host}, [&] { return first.service() & second.service(); }));
    // A hello, then leaving before any input: the host goes back to waiting.
    first.send(1, kJoinerHello);
    ASSERT_TRUE(serviceUntil({&host}, [&] { return first.service(), host.state() == LinkState::Agreed; }));
    EXPECT_FALSE(second.service()) << "the first valid hello wins; the other is let go at once";
    EXPECT_EQ(second.gone, std::optional<std::uint32_t>(1));
    enet_peer_disconnect_now(first.peer, 0);
    ASSERT_TRUE(serviceUntil({&host}, [&] { return host.state() == LinkState::Waiting; }));
    EXPECT_NE(host.problem().find("left before the match began; still waiting"), std::string::npos);

    // A peer that never says hello is let go after a second.
    RawPeer silent(host.port(), "127.0.0.4");
    ASSERT_TRUE(serviceUntil({&host}, [&] { return silent.service(); }));
    const auto connected = std::chrono::steady_clock::now();
    ASSERT_TRUE(serviceUntil({&host}, [&] { return !silent.service(); }));
    EXPECT_LT(std::chrono::steady_clock::now() - connected, std::chrono::milliseconds(2000));

    // A real joiner: hello and inputs.
    RawPeer joiner(host.port(), "127.0.0.5");
    ASSERT_TRUE(serviceUntil({&host}, [&] { return joiner.service(); }));
    joiner.send(1, kJoinerHello);
    joiner.send(1, kFirstInputs, 0);
    ASSERT_TRUE(serviceUntil({&host}, [&] { return joiner.service(), host.state() == LinkState::Ready; }));
}

TEST(NetTransport, GarbageIsDroppedAndCountedAndFragmentsNeverReachTheGame)
{
    NetTransport host = hostOrFail();
    RawPeer raw(host.port(), "127.0.0.2");
    ASSERT_TRUE(raw.peer);
    ASSERT_TRUE(serviceUntil({&host}, [&] { return raw.service(); }));
    raw.send(1, kJoinerHello);
    raw.send(1, kFirstInputs);
    ASSERT_TRUE(serviceUntil({&host}, [&] { return raw.service(), host.state() == LinkState::Ready; }));

    Datagram cut = encodePacket(InputBatch{2, 0, 0, 0, {MatchInput{}}});
    cut.pop_back();
    const std::pair<std::uint8_t, Datagram> garbage[] = {
        {1, {'x', 'y', 'z'}},
        {1, cut},
        {0, encodePacket(InputBatch{2, 0, 0, 0, {MatchInput{}}})}, // inputs on the reliable channel
        {0, encodePacket(Hello{})},                                // a hello on the reliable channel
        {1, encodePacket(ChecksumReport{60, 1})},                  // a checksum on the input channel
    };
    for (const auto& [channel, bytes] : garbage) raw.send(channel, bytes);
    // Too long for one datagram: ENet would split it; the host takes none of the pieces.
    raw.send(1, Datagram(3000, 'S'), ENET_PACKET_FLAG_UNRELIABLE_FRAGMENT);
    // One good packet after the garbage still gets through.
    raw.send(0, encodePacket(Goodbye{GoodbyeReason::Quit, 0}));
    std::vector<Packet> got;
    ASSERT_TRUE(serviceUntil(
        {&host}, [&] { return raw.service(), !got.empty(); }, &got));
    serviceUntil({&host}, [&] { return raw.service(), false; }); // time for the pieces to arrive
    EXPECT_EQ(host.droppedDatagrams(), std::size(garbage));
    EXPECT_EQ(got, (std::vector<Packet>{Goodbye{GoodbyeReason::Quit, 0}}));
    EXPECT_EQ(host.state(), LinkState::Ready);
}

} // namespace

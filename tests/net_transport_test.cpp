#include <chrono>
#include <enet/enet.h>
#include <functional>
#include <gtest/gtest.h>
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

TEST(NetTransport, HandshakeAgreesTheMatchAndRefusesAThirdPlayer)
{
    NetTransport host = hostOrFail();
    ASSERT_NE(host.port(), 0);
    NetTransport joiner = joinOrFail(host.port());
    ASSERT_TRUE(serviceUntil({&host, &joiner},
                             [&] { return host.state() == joiner.state() && host.state() == LinkState::Ready; }));
    EXPECT_EQ(joiner.settings().localPlayer, 2);
    EXPECT_EQ(joiner.settings().inputDelay, kHostSide.inputDelay);
    EXPECT_EQ(joiner.settings().matchTicks, kHostSide.matchTicks);

    // Inputs go unreliably, everything else reliably; both arrive whole.
    const std::vector<Packet> sent = {InputBatch{2, 0, 3, 0, {MatchInput{}}}, ChecksumReport{60, 42}};
    for (const Packet& packet : sent) joiner.send(packet);
    std::vector<Packet> got;
    ASSERT_TRUE(serviceUntil(
        {&host, &joiner}, [&] { return got.size() >= sent.size(); }, &got));
    EXPECT_EQ(got, sent);

    NetTransport third = joinOrFail(host.port());
    ASSERT_TRUE(serviceUntil({&host, &joiner, &third}, [&] { return third.state() == LinkState::Closed; }));
    EXPECT_EQ(third.problem(), "the host already has a player");
    EXPECT_EQ(host.refusedPeers(), 1u);
    EXPECT_EQ(host.state(), LinkState::Ready);
    EXPECT_EQ(joiner.state(), LinkState::Ready);
}

TEST(NetTransport, AMismatchedBuildIsRefusedNamingBothValues)
{
    const struct {
        BuildIdentity joinerBuild;
        std::string hostSays, joinerSays;
    } cases[] = {
        {{kProtocolVersion + 1, kBuild.fingerprint},
         "protocol version mismatch: this side 1, peer 2",
         "protocol version mismatch: this side 2, peer 1"},
        {{kProtocolVersion, 0xbad},
         "build mismatch: this side 0x5eed, peer 0xbad",
         "build mismatch: this side 0xbad, peer 0x5eed"},
    };
    for (const auto& c : cases) {
        NetTransport host = hostOrFail();
        NetTransport joiner = joinOrFail(host.port(), c.joinerBuild);
        ASSERT_TRUE(
            serviceUntil({&host, &joiner}, [&] { return joiner.state() == LinkState::Closed && host.refusedPeers(); }));
        EXPECT_EQ(host.problem(), c.hostSays);
        EXPECT_EQ(joiner.problem(), c.joinerSays);
        // The host waits for a player with the right build.
        EXPECT_EQ(host.state(), LinkState::Waiting);
        EXPECT_EQ(host.refusedPeers(), 1u);
    }
}

TEST(NetTransport, GarbageIsDroppedAndCounted)
{
    NetTransport host = hostOrFail();
    // A hostile peer, on ENet directly.
    std::unique_ptr<ENetHost, void (*)(ENetHost*)> raw(enet_host_create(nullptr, 1, 2, 0, 0), enet_host_destroy);
    ENetAddress address{};
    enet_address_set_host_ip(&address, "127.0.0.1");
    address.port = host.port();
    ENetPeer* peer = enet_host_connect(raw.get(), &address, 2, 0);
    ASSERT_TRUE(raw && peer);
    const auto sendTo = [&](std::uint8_t channel, const Datagram& bytes) {
        enet_peer_send(peer, channel, enet_packet_create(bytes.data(), bytes.size(), ENET_PACKET_FLAG_RELIABLE));
    };
    const auto serviceRaw = [&] {
        ENetEvent event;
        while (enet_host_service(raw.get(), &event, 0) > 0) {
            if (event.type == ENET_EVENT_TYPE_CONNECT)
                sendTo(0, encodePacket(Hello{kProtocolVersion, kBuild.fingerprint}));
            if (event.type == ENET_EVENT_TYPE_RECEIVE) enet_packet_destroy(event.packet);
        }
    };
    ASSERT_TRUE(serviceUntil({&host}, [&] { return serviceRaw(), host.state() == LinkState::Ready; }));

    Datagram cut = encodePacket(InputBatch{2, 0, 0, 0, {MatchInput{}}});
    cut.pop_back();
    const std::pair<std::uint8_t, Datagram> garbage[] = {
        {1, {'x', 'y', 'z'}},
        {1, cut},
        {0, encodePacket(InputBatch{2, 0, 0, 0, {MatchInput{}}})}, // inputs on the reliable channel
        {0, encodePacket(Hello{})},                                // a second hello
        {1, encodePacket(ChecksumReport{60, 1})},                  // a checksum on the input channel
    };
    for (const auto& [channel, bytes] : garbage) sendTo(channel, bytes);
    // One good packet after the garbage still gets through.
    sendTo(0, encodePacket(Goodbye{GoodbyeReason::Quit, 0}));
    std::vector<Packet> got;
    ASSERT_TRUE(serviceUntil(
        {&host}, [&] { return serviceRaw(), !got.empty(); }, &got));
    EXPECT_EQ(host.droppedDatagrams(), std::size(garbage));
    EXPECT_EQ(got, (std::vector<Packet>{Goodbye{GoodbyeReason::Quit, 0}}));
    EXPECT_EQ(host.state(), LinkState::Ready);
}

} // namespace

// A bad network on the loopback, for the tests of networked play: it stands between a joiner and a host, both
// on 127.0.0.1, and holds each datagram for a delay with jitter (so that datagrams overtake one another) or drops
// it. It talks to no other address, and it stops by itself.
//
// Usage: udp_relay LISTEN_PORT HOST_PORT [DELAY_MS JITTER_MS DROP_PERCENT SECONDS SEED]
// (defaults 75 20 10 120 1): the joiner joins 127.0.0.1:LISTEN_PORT; the host listens on HOST_PORT.

#include <algorithm>
#include <arpa/inet.h>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <netinet/in.h>
#include <poll.h>
#include <queue>
#include <random>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Held {
    Clock::time_point due;
    bool towardsHost;
    std::vector<std::uint8_t> bytes;
    bool operator>(const Held& other) const { return due > other.due; }
};

sockaddr_in loopback(std::uint16_t port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

[[noreturn]] void fail(const char* what)
{
    std::perror(what);
    std::exit(2);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3 && argc != 8) {
        std::fprintf(stderr, "usage: udp_relay LISTEN_PORT HOST_PORT [DELAY_MS JITTER_MS DROP_PERCENT SECONDS SEED]\n");
        return 2;
    }
    const auto number = [&](int index, long otherwise) { return argc > index ? std::atol(argv[index]) : otherwise; };
    const sockaddr_in listenAt = loopback(std::uint16_t(number(1, 0)));
    const sockaddr_in host = loopback(std::uint16_t(number(2, 0)));
    const long delayMs = number(3, 75), jitterMs = number(4, 20), dropPercent = number(5, 10);
    const auto stopAt = Clock::now() + std::chrono::seconds(number(6, 120));
    std::mt19937 random(std::uint32_t(number(7, 1)));

    const int joinerSide = socket(AF_INET, SOCK_DGRAM, 0);
    const int hostSide = socket(AF_INET, SOCK_DGRAM, 0);
    if (joinerSide < 0 || hostSide < 0) fail("socket");
    if (bind(joinerSide, reinterpret_cast<const sockaddr*>(&listenAt), sizeof listenAt) != 0) fail("bind");
    if (connect(hostSide, reinterpret_cast<const sockaddr*>(&host), sizeof host) != 0) fail("connect");

    sockaddr_in joiner{};
    std::priority_queue<Held, std::vector<Held>, std::greater<>> held;
    long forwarded = 0, dropped = 0;
    std::vector<std::uint8_t> buffer(65536);
    while (Clock::now() < stopAt) {
        int waitMs = 50;
        if (!held.empty())
            waitMs = int(std::max<long>(
                0, std::chrono::duration_cast<std::chrono::milliseconds>(held.top().due - Clock::now()).count()));
        pollfd sockets[] = {{joinerSide, POLLIN, 0}, {hostSide, POLLIN, 0}};
        poll(sockets, 2, std::min(waitMs, 50));
        for (int side = 0; side < 2; ++side) {
            if ((sockets[side].revents & POLLIN) == 0) continue;
            sockaddr_in from{};
            socklen_t fromSize = sizeof from;
            const ssize_t size = recvfrom(sockets[side].fd, buffer.data(), buffer.size(), 0,
                                          reinterpret_cast<sockaddr*>(&from), &fromSize);
            if (size < 0) continue;
            const bool towardsHost = side == 0;
            // Only a loopback joiner is served: the latest one to speak, so that a joiner that tries again, from a
            // new port, is heard.
            if (towardsHost) {
                if (from.sin_addr.s_addr != htonl(INADDR_LOOPBACK)) continue;
                joiner = from;
            }
            if (long(random() % 100) < dropPercent) {
                ++dropped;
                continue;
            }
            const long jitter = jitterMs > 0 ? long(random() % std::uint32_t(2 * jitterMs + 1)) - jitterMs : 0;
            held.push({Clock::now() + std::chrono::milliseconds(delayMs + jitter), towardsHost,
                       std::vector<std::uint8_t>(buffer.begin(), buffer.begin() + size)});
        }
        while (!held.empty() && held.top().due <= Clock::now()) {
            const Held& next = held.top();
            if (next.towardsHost)
                send(hostSide, next.bytes.data(), next.bytes.size(), 0);
            else
                sendto(joinerSide, next.bytes.data(), next.bytes.size(), 0, reinterpret_cast<const sockaddr*>(&joiner),
                       sizeof joiner);
            ++forwarded;
            held.pop();
        }
    }
    std::fprintf(stderr, "udp_relay: %ld datagrams forwarded, %ld dropped\n", forwarded, dropped);
    close(joinerSide);
    close(hostSide);
    return 0;
}

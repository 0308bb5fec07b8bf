// Plays a long headless match with seeded random input for both players (walking, throwing,
// steering, firing, dying, respawning, the window resized now and then) and checks that it stays
// healthy: the number of bodies stays bounded and resident memory stays flat. Prints a digest of
// everything a player could observe, tick by tick, so that two builds can be compared.
//
// Usage: soak [ticks, default 100000] [input seed, default 1] [extra bullets per tick, default 0]
// Extra bullets are fired by player 2 in directions spread round the circle, as heavy fire.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <random>
#include <streambuf>

#include "Camera.h"
#include "Fnv.h"
#include "GameObject.h"
#include "MySim.h"
#include "Rules.h"
#include "ScriptedMatch.h"

namespace {

// The digest of the whole run, the game's console text included.
using Digest = Fnv;

// Takes the console text instead of the terminal: it goes into the digest and its lines are counted.
class DigestingConsole : public std::streambuf {
public:
    explicit DigestingConsole(Digest& digest) : digest(digest) {}
    std::uint64_t lines = 0;

protected:
    int_type overflow(int_type character) override
    {
        if (character != traits_type::eof()) {
            const char byte = static_cast<char>(character);
            digest.add(&byte, 1);
            if (byte == '\n') ++lines;
        }
        return character;
    }
    std::streamsize xsputn(const char* text, std::streamsize count) override
    {
        for (std::streamsize i = 0; i < count; ++i) overflow(static_cast<unsigned char>(text[i]));
        return count;
    }

private:
    Digest& digest;
};

long residentKiB()
{
    long pages = 0;
    long resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(statm);
    }
    return resident * 4;
}

constexpr std::array<Key, 8> kPlayerKeys = {Key::Left, Key::Up, Key::Right, Key::Down, Key::A, Key::W, Key::D, Key::S};
// Ordinary and extreme window sizes the soak switches to now and then.
constexpr std::array<std::array<int, 2>, 6> kWindowSizes = {
    {{800, 600}, {1, 10000}, {10000, 1}, {0, 0}, {1, 1}, {1024, 768}}};
// The arena's 20 bodies, at most one ball, and player 2's bullets: one per 16 ticks living at most
// 51 ticks, or longer while the ball keeps knocking them back.
constexpr std::size_t kMostBodies = 64;
constexpr std::size_t kBulletLifeTicks = 51;
#ifdef __SANITIZE_ADDRESS__
// The address sanitizer holds freed memory back on purpose; its leak check stands in at exit.
constexpr bool kMemoryMeasurable = false;
#else
constexpr bool kMemoryMeasurable = true;
#endif

} // namespace

int main(int argc, char** argv)
{
    const long ticks = argc > 1 ? std::atol(argv[1]) : 100000;
    const unsigned seed = argc > 2 ? static_cast<unsigned>(std::atol(argv[2])) : 1u;
    const long extraBullets = argc > 3 ? std::atol(argv[3]) : 0;
    Digest digest;
    DigestingConsole console(digest);
    std::streambuf* terminal = std::cout.rdbuf(&console);

    ScriptedMatch match(std::cout);
    MySim& game = match.game;
    Engine& engine = match.engine;
    ScriptedWindow& window = match.window;
    match.init();

    // The input has a generator of its own, apart from the game's.
    std::mt19937 input(seed);
    const auto chance = [&input](unsigned oneIn) { return input() % oneIn == 0; };
    std::size_t mostBodies = 0;
    long residentAtTenth = 0;
    int respawns = 0;
    for (long tick = 1; tick <= ticks; ++tick) {
        for (const Key key : kPlayerKeys) {
            if (!chance(30)) continue;
            if (window.isKeyHeld(key))
                window.release(key);
            else
                window.hold(key);
        }
        if (chance(3000)) window.isKeyHeld(Key::L) ? window.release(Key::L) : window.hold(Key::L);
        if (chance(20)) window.setButton(MouseButton::Left, !engine.leftDown);
        const int jitter = static_cast<int>(input() % 31) - 15;
        window.movePointer(engine.centreX + jitter, engine.centreY + static_cast<int>(input() % 31) - 15);
        if (chance(5000)) {
            const auto& size = kWindowSizes[input() % kWindowSizes.size()];
            window.resize(size[0], size[1]);
        }

        for (long shot = 0; shot < extraBullets; ++shot) {
            const float angle = static_cast<float>(input() % 6283) * 0.001f;
            game.fireBullet2(Vec2(std::cos(angle), std::sin(angle)), rules::kBulletSpeed);
        }
        const int scoresBefore = game.p1Score + game.p2Score;
        engine.updateTick();
        window.warps.clear(); // the scripted window's own log, not the game's memory
        respawns += game.p1Score + game.p2Score - scoresBefore;

        for (const int value : {game.p1Health, game.p2Health, game.p1Score, game.p2Score}) digest.addValue(value);
        for (const char* name : {"player1", "player2"}) digest.addValue(game.objects.find(name)->second->getPosition());
        digest.addValue(game.player2Aim);
        const Camera& camera = game.camera;
        for (const float value : {camera.position.x, camera.position.y, camera.viewWidth, camera.viewHeight})
            digest.addValue(value);

        mostBodies = std::max(mostBodies, game.objects.size());
        if (tick == ticks / 10) residentAtTenth = residentKiB();
    }
    const long residentAtEnd = residentKiB();
    std::cout.rdbuf(terminal);

    std::printf("ticks %ld, seed %u: digest %016llx, %llu console lines, %d respawns, at most %zu bodies, "
                "resident %ld KiB at tick %ld and %ld KiB at the end\n",
                ticks, seed, static_cast<unsigned long long>(digest.value),
                static_cast<unsigned long long>(console.lines), respawns, mostBodies, residentAtTenth, ticks / 10,
                residentAtEnd);
    bool healthy = true;
    const std::size_t bodyLimit = kMostBodies + static_cast<std::size_t>(extraBullets) * kBulletLifeTicks * 2;
    if (mostBodies > bodyLimit) {
        std::fprintf(stderr, "soak: %zu bodies at once, more than %zu\n", mostBodies, bodyLimit);
        healthy = false;
    }
    constexpr long kGrowthAllowanceKiB = 1024;
    if (kMemoryMeasurable && residentAtEnd - residentAtTenth > kGrowthAllowanceKiB) {
        std::fprintf(stderr, "soak: resident memory grew by %ld KiB\n", residentAtEnd - residentAtTenth);
        healthy = false;
    }
    return healthy ? EXIT_SUCCESS : EXIT_FAILURE;
}

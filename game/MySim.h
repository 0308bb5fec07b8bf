#pragma once

#include <cstdint>
#include <ostream>
#include <string>

#include "GameRandom.h"
#include "Rules.h"
#include "SimulationManager.h"
#include "Vec2.h"

class GameObject;
struct MatchSnapshot;

// What of the arena's rules changes as a match plays. With the world's bodies it is the whole match:
// the constants are in Rules.h, and the camera is the viewer's, which the rules never read.
struct MatchState {
    // While true the pointer is held at the window centre and steers player 2; key L flips it.
    bool captureMouse = true;
    int p1Health = rules::kPlayer1FullHealth;
    int p2Health = rules::kPlayer2FullHealth;
    // Countdowns, decremented at the start of every tick: the ball goes below 0, a player may fire
    // below 0. Starting at 0 lets both fire from the first tick.
    int bullet1Life = 0;
    int p1FireCooldown = 0;
    // Player 2's bullets fired so far; names the next one.
    int bullet2Count = 0;
    int p2FireCooldown = 0;
    // Death cycle: drift ticks so far, glide ticks so far.
    int p1DeadTicks = 0;
    int p2DeadTicks = 0;
    int p1ReturnTicks = 0;
    int p2ReturnTicks = 0;
    // Entry of rules::kSpawnPoints each dead player returns to; drawn while it drifts.
    std::uint32_t p1SpawnIndex = 0;
    std::uint32_t p2SpawnIndex = 0;
    // Player 1 scores when player 2 respawns, and the other way round.
    int p1Score = 0;
    int p2Score = 0;
    // Player 2's displacement per tick, world units; also the direction it fires in and the sight
    // points along.
    Vec2 player2Aim{0.0f, 0.01f};
    // player2Aim as it stood at the end of the previous control step, for turning player 2 to face its
    // motion.
    Vec2 player2PrevAim{0.0f, 0.01f};
    // Draws the dead players' spawn points.
    GameRandom random;
    // L flips capture once per press, so the key must be seen going down.
    bool captureKeyWasHeld = false;
};

// The arena game: two players, thirteen walls and four bounds. init() builds the world once;
// update() runs one tick of input, control, contacts, camera and the death cycle. A match owns all of
// its state, so that several can run side by side, and can be saved and restored at any tick. The
// state's fields are the match's own (MatchState is a base), so the rules name them plainly and a
// snapshot copies them whole.
class MySim : public SimulationManager, public MatchState {
public:
    // Prints "base init" and "der init" on console and points the overlay at the healths and scores.
    explicit MySim(std::ostream& console);
    ~MySim() override;

    // Builds the 20 bodies and the sight, with the textures and window it was handed (either may be
    // missing: untextured, unwatched).
    void init() override;
    void update() override;

    // Everything of the match, to go back to later with restore (into this match only). The camera
    // stays as it is: it eases from wherever it stands, and nothing in the match depends on it.
    MatchSnapshot save() const;
    void restore(const MatchSnapshot& snapshot);
    // A digest of the match's state (bodies, health, score, counters, random numbers), never of the
    // camera, which is each viewer's own: two matches that agree on it play on alike.
    std::uint64_t checksum() const;

    // Creates and registers the walls and bounds.
    void buildLevel();

    // Throws player 1's ball along direction (any length) at speed; a new ball replaces the old.
    void fireBullet1(const Vec2& direction, float speed);
    // Fires the next numbered bullet of player 2 along direction (any length) at speed.
    void fireBullet2(const Vec2& direction, float speed);

    // Player 1's keys, then the window keys (which act also while player 1 is dead).
    void handleInput();
    // Walks player 1 speed units along direction (any non-zero length).
    void movePlayer1(const Vec2& direction, float speed);
    // Steers, moves and turns player 2 from the pointer's offset, and fires with the left button.
    void controlPlayer2();
    // Pushes the players out of each other, the walls and the ball.
    void resolveContacts();
    // Brings player 1 or 2 back at rules::kSpawnPoints[spawnIndex] with full health; the other one scores.
    void respawn(int player, std::uint32_t spawnIndex);

private:
    GameObject* bodyNamed(const std::string& name) const;
    // Registers body under name; what it cannot resolve in a collision goes to the console.
    template <class Body> Body* registerBody(const std::string& name, Body* body)
    {
        body->diagnostics = &console();
        objects[name] = body;
        return body;
    }
    // Pans towards the players' midpoint and zooms so that both stay in view.
    void followPlayersWithCamera();
    // One tick of a dead player's drift towards the other, then glide home and respawn.
    void advanceDeathCycle(int player);
};

// A saved match: its world and its state, which are the whole of it.
struct MatchSnapshot {
    WorldSnapshot world;
    MatchState state;
};

// The decimal text of value, as a default-formatted stream writes it.
std::string toString(const int& value);

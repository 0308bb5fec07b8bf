#include <optional>

#include "GameObject.h"
#include "MySim.h"
#include "PlayerSteering.h"
#include "Rules.h"
#include "WindowSystem.h"

namespace {

// A row of a direction table: held when both keys are (a single-key row names its key twice).
struct KeyChord {
    Key first;
    Key second;
    Vec2 direction;
};

// First matching row wins, so chords come before single keys and opposite keys cancel towards the
// earlier row.
constexpr KeyChord kFiringTable[] = {
    {Key::Left, Key::Up, {-1, 1}},    {Key::Up, Key::Right, {1, 1}},   {Key::Right, Key::Down, {1, -1}},
    {Key::Down, Key::Left, {-1, -1}}, {Key::Left, Key::Left, {-1, 0}}, {Key::Right, Key::Right, {1, 0}},
    {Key::Up, Key::Up, {0, 1}},       {Key::Down, Key::Down, {0, -1}},
};
constexpr KeyChord kWalkingTable[] = {
    {Key::A, Key::W, {-1, 1}}, {Key::W, Key::D, {1, 1}}, {Key::D, Key::S, {1, -1}}, {Key::S, Key::A, {-1, -1}},
    {Key::A, Key::A, {-1, 0}}, {Key::D, Key::D, {1, 0}}, {Key::W, Key::W, {0, 1}},  {Key::S, Key::S, {0, -1}},
};

// Stands in for a zero aim so that the turn angle has a direction to measure from.
constexpr Vec2 kTinyUpwardAim(0.0f, 0.0001f);

template <std::size_t N> std::optional<Vec2> heldDirection(const Player1Input& keys, const KeyChord (&table)[N])
{
    for (const KeyChord& chord : table) {
        if (keys.held(chord.first) && keys.held(chord.second)) return chord.direction;
    }
    return std::nullopt;
}

} // namespace

void MySim::handleInput()
{
    const Player1Input& keys = input().match.player1;
    if (p1Health > 0) {
        if (p1FireCooldown < 0) {
            if (const auto direction = heldDirection(keys, kFiringTable)) fireBullet1(*direction, rules::kBallSpeed);
        }
        if (keys.held(Key::Up)) console() << "up" << std::endl;
        if (const auto direction = heldDirection(keys, kWalkingTable)) movePlayer1(*direction, rules::kWalkSpeed);
    }
    const bool captureKeyHeld = input().match.player2.captureKey;
    if (captureKeyHeld && !captureKeyWasHeld) captureMouse = !captureMouse;
    captureKeyWasHeld = captureKeyHeld;
    // The local window's own keys: they act on the window here, in the tick's order, and never on the match.
    const WindowActions& local = input().window;
    if (window == nullptr) return;
    resizeForWindowKeys(*window, local);
    if (local.quit) window->quit(1);
}

void MySim::movePlayer1(const Vec2& direction, float speed)
{
    Vec2 step = direction;
    normalise(step);
    step *= speed;
    bodyNamed(rules::kPlayer1Name)->translate(step);
}

void MySim::controlPlayer2()
{
    GameObject* player2 = bodyNamed(rules::kPlayer2Name);
    const Player2Input& mouse = input().match.player2;
    if (captureMouse) {
        player2Aim = steeredAim(player2Aim, mouse.pointerX, mouse.pointerY);
        player2->translate(player2Aim);
        if (length(player2PrevAim) == 0.0f) player2PrevAim = kTinyUpwardAim;
        if (length(player2Aim) == 0.0f) player2Aim = kTinyUpwardAim;
        player2->rotate(signedAngle(player2Aim, player2PrevAim), player2->getPosition());
    }
    if (mouse.leftDown && p2FireCooldown < 0)
        fireBullet2(player2Aim == Vec2() ? Vec2(0.0f, 1.0f) : player2Aim, rules::kBulletSpeed);
    player2PrevAim = player2Aim;
}

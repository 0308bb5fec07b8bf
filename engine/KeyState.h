#pragma once

#include <array>
#include <cstddef>
#include <optional>

// The twelve keys the game polls.
enum class Key { Left, Up, Right, Down, A, W, D, S, L, P, O, Escape };
constexpr std::size_t kKeyCount = 12;

// Which of the game's keys are held right now, fed by key-down and key-up events.
class KeyState {
public:
    void press(Key key) { held[index(key)] = true; }
    void release(Key key) { held[index(key)] = false; }
    void releaseAll() { held.fill(false); }
    bool isHeld(Key key) const { return held[index(key)]; }

private:
    static std::size_t index(Key key) { return static_cast<std::size_t>(key); }
    std::array<bool, kKeyCount> held{};
};

// The game key a character event stands for. Letters count in either case and with Control held
// (which turns them into control codes), so Shift, Caps Lock or Control never leave a key stuck.
std::optional<Key> keyFromCharacter(unsigned char character);

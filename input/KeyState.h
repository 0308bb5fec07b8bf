#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <optional>

// The twelve keys the game polls.
enum class Key { Left, Up, Right, Down, A, W, D, S, L, P, O, Escape };
constexpr std::size_t kKeyCount = 12;

// Which of the game's keys are held right now: pressed by key-down events, released by key-up events
// or by confirmation against the physical keyboard.
class KeyState {
public:
    void press(Key key) { held[index(key)] = true; }
    void release(Key key) { held[index(key)] = false; }
    bool isHeld(Key key) const { return held[index(key)]; }
    // Releases every held key that isPhysicallyDown says is up; a key never pressed stays released,
    // since its press never reached the window.
    void releaseUnless(const std::function<bool(Key)>& isPhysicallyDown);

private:
    static std::size_t index(Key key) { return static_cast<std::size_t>(key); }
    std::array<bool, kKeyCount> held{};
};

// The game key a character event stands for. Letters count in either case and with Control held
// (which turns them into control codes), so Shift, Caps Lock or Control never leave a key stuck.
std::optional<Key> keyFromCharacter(unsigned char character);

// The arrow a special-key event stands for, from the toolkit's codes (left, up, right, down are 100 to 103).
std::optional<Key> keyFromSpecial(int special);

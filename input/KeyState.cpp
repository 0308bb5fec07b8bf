#include "KeyState.h"

namespace {
constexpr unsigned char kEscape = 27;
constexpr unsigned char kControlOffset = 'a' - 1; // Control+A arrives as 1, Control+Z as 26
// The toolkit's special-key codes for the arrows.
constexpr int kSpecialLeft = 100;
constexpr int kSpecialUp = 101;
constexpr int kSpecialRight = 102;
constexpr int kSpecialDown = 103;
} // namespace

void KeyState::releaseUnless(const std::function<bool(Key)>& isPhysicallyDown)
{
    for (std::size_t i = 0; i < kKeyCount; ++i) {
        if (held[i] && !isPhysicallyDown(static_cast<Key>(i))) held[i] = false;
    }
}

std::optional<Key> keyFromCharacter(unsigned char character)
{
    if (character == kEscape) return Key::Escape;
    unsigned char letter = character;
    if (letter >= 'A' && letter <= 'Z') letter = static_cast<unsigned char>(letter - 'A' + 'a');
    if (letter >= 1 && letter <= 26) letter = static_cast<unsigned char>(letter + kControlOffset);
    switch (letter) {
    case 'a': return Key::A;
    case 'w': return Key::W;
    case 'd': return Key::D;
    case 's': return Key::S;
    case 'l': return Key::L;
    case 'p': return Key::P;
    case 'o': return Key::O;
    default: return std::nullopt;
    }
}

std::optional<Key> keyFromSpecial(int special)
{
    switch (special) {
    case kSpecialLeft: return Key::Left;
    case kSpecialUp: return Key::Up;
    case kSpecialRight: return Key::Right;
    case kSpecialDown: return Key::Down;
    default: return std::nullopt;
    }
}

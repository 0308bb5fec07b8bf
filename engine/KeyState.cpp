#include "KeyState.h"

namespace {
constexpr unsigned char kEscape = 27;
constexpr unsigned char kControlOffset = 'a' - 1; // Control+A arrives as 1, Control+Z as 26
} // namespace

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

#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <utility>

#include "KeyState.h"

namespace {

TEST(KeyState, EventsMapToTheGamesKeysWhateverTheModifiers)
{
    // Each key in either case (Shift, Caps Lock) and as its Control code (Control+A is 1), so that no modifier
    // held at the release leaves a key stuck; the toolkit's arrow codes are 100 to 103, left, up, right, down.
    const std::pair<std::string, Key> characters[] = {{"aA\x01", Key::A}, {"wW\x17", Key::W},   {"dD\x04", Key::D},
                                                      {"sS\x13", Key::S}, {"lL\x0c", Key::L},   {"pP\x10", Key::P},
                                                      {"oO\x0f", Key::O}, {"\x1b", Key::Escape}};
    for (const auto& [forms, key] : characters)
        for (const char form : forms) EXPECT_EQ(keyFromCharacter(static_cast<unsigned char>(form)), key) << int(form);
    for (const unsigned char other : std::string("qZ\x1a\x1c \r\xe1")) EXPECT_EQ(keyFromCharacter(other), std::nullopt);
    const std::pair<int, std::optional<Key>> specials[] = {{100, Key::Left}, {101, Key::Up},     {102, Key::Right},
                                                           {103, Key::Down}, {99, std::nullopt}, {104, std::nullopt}};
    for (const auto& [code, key] : specials) EXPECT_EQ(keyFromSpecial(code), key) << code;
}

TEST(KeyState, ConfirmationReleasesExactlyTheKeysPhysicallyUp)
{
    // Left is still down; D and Escape were let go while the window could not hear it; W went down while the
    // window had no focus, so its press never reached it.
    KeyState keys;
    for (const Key key : {Key::Left, Key::D, Key::Escape}) keys.press(key);
    keys.releaseUnless([](Key key) { return key == Key::Left || key == Key::W; });
    for (std::size_t i = 0; i < kKeyCount; ++i) EXPECT_EQ(keys.isHeld(static_cast<Key>(i)), i == 0) << i;
}

} // namespace

#include <gtest/gtest.h>
#include <optional>
#include <set>
#include <utility>

#include "KeyState.h"

namespace {

TEST(KeyState, SpecialCodesMapToTheArrows)
{
    const std::pair<int, std::optional<Key>> cases[] = {
        {100, Key::Left},
        {101, Key::Up},
        {102, Key::Right},
        {103, Key::Down},
        // Codes next to the arrows (104 is Page Up) and F1 are not the game's.
        {99, std::nullopt},
        {104, std::nullopt},
        {1, std::nullopt}};
    for (const auto& [code, key] : cases) EXPECT_EQ(keyFromSpecial(code), key) << code;
}

TEST(KeyState, ConfirmationReleasesExactlyTheKeysPhysicallyUp)
{
    KeyState keys;
    for (const Key key : {Key::Left, Key::D, Key::Escape}) keys.press(key);
    // Left is still down; D and Escape were let go while the window could not hear it; W went down
    // while the window had no focus, so its press never reached us.
    const std::set<Key> down = {Key::Left, Key::W};
    keys.releaseUnless([&](Key key) { return down.count(key) > 0; });
    for (std::size_t i = 0; i < kKeyCount; ++i) {
        const Key key = static_cast<Key>(i);
        EXPECT_EQ(keys.isHeld(key), key == Key::Left) << i;
    }
}

} // namespace

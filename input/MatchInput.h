#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "KeyState.h"

// Player 1's eight keys (the arrows throw, W A S D walk), one bit each in Key order.
struct Player1Input {
    std::uint8_t keys = 0;

    static constexpr std::size_t kKeys = 8;
    // Whether key, one of the first eight of Key, is held; any other key is never held here.
    bool held(Key key) const
    {
        const auto bit = static_cast<std::size_t>(key);
        return bit < kKeys && ((keys >> bit) & 1u) != 0;
    }
    void set(Key key, bool down)
    {
        const auto bit = static_cast<std::size_t>(key);
        if (bit >= kKeys) return;
        const auto mask = static_cast<std::uint8_t>(1u << bit);
        keys = down ? static_cast<std::uint8_t>(keys | mask) : static_cast<std::uint8_t>(keys & ~mask);
    }
    bool operator==(const Player1Input& other) const { return keys == other.keys; }
    bool operator!=(const Player1Input& other) const { return !(*this == other); }
};

// Player 2's mouse: the pointer's offset from the window centre (window pixels, y down), the left
// button, and the key that frees or captures the pointer (L).
struct Player2Input {
    std::int32_t pointerX = 0;
    std::int32_t pointerY = 0;
    bool leftDown = false;
    bool captureKey = false;

    bool operator==(const Player2Input& other) const
    {
        return pointerX == other.pointerX && pointerY == other.pointerY && leftDown == other.leftDown &&
               captureKey == other.captureKey;
    }
    bool operator!=(const Player2Input& other) const { return !(*this == other); }
};

// Everything that decides one tick of a match: the two players' inputs, from whatever source.
struct MatchInput {
    Player1Input player1;
    Player2Input player2;

    bool operator==(const MatchInput& other) const { return player1 == other.player1 && player2 == other.player2; }
    bool operator!=(const MatchInput& other) const { return !(*this == other); }
};

// What the local window does in a tick: never part of the match, and never sent to anyone.
struct WindowActions {
    // Window sizes adopted before the tick, in order (width, height).
    std::vector<std::pair<int, int>> reshapes;
    bool fullScreen = false;    // P
    bool restoreWindow = false; // O
    bool quit = false;          // Escape

    bool operator==(const WindowActions& other) const
    {
        return reshapes == other.reshapes && fullScreen == other.fullScreen && restoreWindow == other.restoreWindow &&
               quit == other.quit;
    }
};

// One tick's input record: the match's part and the local window's part.
struct TickInput {
    MatchInput match;
    WindowActions window;

    bool operator==(const TickInput& other) const { return match == other.match && window == other.window; }
};

// Whether the record holds key: each of the twelve keys lives in the part of its owner.
inline bool isKeyHeld(const TickInput& input, Key key)
{
    switch (key) {
    case Key::L: return input.match.player2.captureKey;
    case Key::P: return input.window.fullScreen;
    case Key::O: return input.window.restoreWindow;
    case Key::Escape: return input.window.quit;
    default: return input.match.player1.held(key);
    }
}

inline void setKeyHeld(TickInput& input, Key key, bool down)
{
    switch (key) {
    case Key::L: input.match.player2.captureKey = down; return;
    case Key::P: input.window.fullScreen = down; return;
    case Key::O: input.window.restoreWindow = down; return;
    case Key::Escape: input.window.quit = down; return;
    default: input.match.player1.set(key, down); return;
    }
}

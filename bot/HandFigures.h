#pragma once

#include <vector>

#include "MatchInput.h"

// How a player's input moved over a match, tick by tick: what tells a hand from a machine.
struct HandFigures {
    int ticks = 0;
    // Keys (player 1) or the button (player 2) going down or up, one count per key.
    int keyChanges = 0;
    // Presses of keys or the button, and those released again within kShortPress ticks.
    int presses = 0;
    int shortPresses = 0;
    // Ticks on which the pointer's motion turned more than a right angle from its last motion.
    int pointerReversals = 0;
    // The longest run of ticks with nothing: no key (player 1); the pointer still and the button up
    // (player 2).
    int longestQuiet = 0;

    static constexpr int kShortPress = 5;
};

// The figures of player (1 or 2) over a match's input records.
HandFigures handFigures(const std::vector<MatchInput>& records, int player);

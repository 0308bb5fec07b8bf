#pragma once

#include "Bot.h"

// What a level changes. Every level sees late and moves by hand; the levels differ in how late, how
// steady and how exact.
struct Skill {
    // Ticks between the match as it was and the bot seeing it: one delay for everything it perceives.
    int delayTicks = 12;
    // Of the delay, how far ahead it guesses where the other player has gone meanwhile (0 to 1).
    float anticipation = 0.5f;
    // Aim error, world units of miss at a target this far away and this fast: per unit of distance
    // and per unit of the target's speed (world units per tick).
    float errorPerDistance = 0.05f;
    float errorPerSpeed = 4.0f;
    // Player 2's hand: the farthest the pointer moves in a tick, and its change from one tick to the
    // next, in pixels.
    int pointerSpeed = 200;
    int pointerChange = 40;
};

inline Skill skillFor(BotLevel level)
{
    switch (level) {
    case BotLevel::Easy: return Skill{18, 0.0f, 0.35f, 15.0f, 90, 12};
    case BotLevel::Normal: return Skill{12, 0.5f, 0.06f, 4.5f, 200, 40};
    case BotLevel::Hard: return Skill{7, 0.8f, 0.02f, 1.5f, 260, 60};
    }
    return Skill{};
}

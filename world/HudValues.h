#pragma once

// What the text overlay shows of the match: pointers into the game's own counters.
struct HudValues {
    int* p1Health = nullptr;
    int* p2Health = nullptr;
    int* p1Score = nullptr;
    int* p2Score = nullptr;
};

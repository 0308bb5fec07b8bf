#pragma once

// The frame rate on the overlay: the renderer's own clock, apart from any match.
struct FrameClock {
    // Marks lastFrameMs before the first overlay has been drawn.
    static constexpr int kNoFrameYet = -1;

    // Toolkit elapsed time (ms) at the previous and the current overlay drawing.
    int lastFrameMs = kNoFrameYet;
    int nowMs = 0;
    // Frames per second on show.
    int shownFps = 0;
};

// Takes the frame time nowMs and sets shownFps to the whole frames per second implied by the time
// since the previous frame: 0 on the first frame, and unchanged when less than a millisecond passed.
void advanceFrameClock(FrameClock& clock, int nowMs);

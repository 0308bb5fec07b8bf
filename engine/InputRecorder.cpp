#include "InputRecorder.h"

#include <iostream>

InputRecorder::InputRecorder(Engine& engine, WindowSystem& inner, std::ostream& out)
    : engine(engine), inner(inner), out(out)
{
    write(std::string(kReplayHeader) + "\n");
    engine.reshapeListener = [this](int width, int height) { write(replaySizeLine(width, height)); };
}

InputRecorder::~InputRecorder() { engine.reshapeListener = nullptr; }

void InputRecorder::beginTick()
{
    inner.beginTick();
    TickInput input;
    for (std::size_t key = 0; key < kKeyCount; ++key) input.keys[key] = inner.isKeyHeld(static_cast<Key>(key));
    input.pointerX = engine.mouseX - engine.centreX;
    input.pointerY = engine.mouseY - engine.centreY;
    input.leftDown = engine.leftDown;
    write(replayLines(input));
    ++ticks;
}

void InputRecorder::write(const std::string& lines)
{
    out << lines << std::flush;
    // The match goes on unrecorded rather than ending over a full disk.
    if (!out && !failed) {
        failed = true;
        std::cerr << "skirmora: writing the recording failed; it ends before tick " << ticks + 1 << std::endl;
    }
}

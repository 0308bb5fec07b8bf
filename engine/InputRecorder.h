#pragma once

#include <cstddef>
#include <ostream>
#include <string>

#include "Engine.h"
#include "ReplayFile.h"
#include "WindowSystem.h"

// Stands in front of the real window system and writes, for every tick, what the game is about to
// read (keys, pointer offset, left button) and every reshape before it, as a replay file. Each line is
// flushed, so a recording killed at any point is a usable replay.
class InputRecorder : public WindowSystem {
public:
    // Writes the version line to out and listens to the engine's reshapes until destroyed.
    InputRecorder(Engine& engine, WindowSystem& inner, std::ostream& out);
    ~InputRecorder() override;
    InputRecorder(const InputRecorder&) = delete;
    InputRecorder& operator=(const InputRecorder&) = delete;

    // The inner window's tick first, so that the keys written are the keys the game reads.
    void beginTick() override;
    bool isKeyHeld(Key key) const override { return inner.isKeyHeld(key); }
    void warpPointer(int x, int y) override { inner.warpPointer(x, y); }
    void fullScreen() override { inner.fullScreen(); }
    void reshapeWindow(int width, int height) override { inner.reshapeWindow(width, height); }
    void positionWindow(int x, int y) override { inner.positionWindow(x, y); }
    void quit(int status) override { inner.quit(status); }

private:
    void write(const std::string& lines);

    Engine& engine;
    WindowSystem& inner;
    std::ostream& out;
    std::size_t ticks = 0;
    bool failed = false;
};

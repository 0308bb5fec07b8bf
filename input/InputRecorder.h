#pragma once

#include <cstddef>
#include <ostream>
#include <string>

#include "InputSource.h"

// Stands in front of another input source and writes every record it hands on (the reshapes before
// the tick, then the tick's keys, pointer offset and left button) as a replay file. Each line is
// flushed, so a recording killed at any point is a usable replay.
class InputRecorder : public InputSource {
public:
    // Writes the version line to out.
    InputRecorder(InputSource& inner, std::ostream& out);

    TickInput next() override;

private:
    void write(const std::string& lines);

    InputSource& inner;
    std::ostream& out;
    std::size_t ticks = 0;
    bool failed = false;
};

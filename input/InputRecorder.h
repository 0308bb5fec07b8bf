#pragma once

#include <cstddef>
#include <ostream>
#include <string>

#include "InputSource.h"

// Writes input records as a replay file: the version line first, then each record's reshapes and tick
// line, each flushed, so that a recording killed at any point is a usable replay. A write that fails is
// reported once on standard error and the rest is dropped: the match goes on unrecorded rather than
// ending over a full disk.
class ReplayWriter {
public:
    // Writes the version line to out.
    explicit ReplayWriter(std::ostream& out);

    void write(const TickInput& input);

private:
    void writeLines(const std::string& lines);

    std::ostream& out;
    std::size_t ticks = 0;
    bool failed = false;
};

// Stands in front of another input source and writes every record it hands on as a replay file.
class InputRecorder : public InputSource {
public:
    InputRecorder(InputSource& inner, std::ostream& out) : inner(inner), writer(out) {}

    TickInput next() override;

private:
    InputSource& inner;
    ReplayWriter writer;
};

#pragma once

#include <ostream>

#include "InputSource.h"
#include "ReplayFile.h"

// Stands in front of another input source and writes every record it hands on as a replay file.
class InputRecorder : public InputSource {
public:
    InputRecorder(InputSource& inner, std::ostream& out, std::ostream& messages) : inner(inner), writer(out, messages)
    {
    }

    TickInput next(const TickInput& devices) override;

private:
    InputSource& inner;
    ReplayWriter writer;
};

#include "InputRecorder.h"

#include <iostream>

#include "ReplayFile.h"

InputRecorder::InputRecorder(InputSource& inner, std::ostream& out) : inner(inner), out(out)
{
    write(std::string(kReplayHeader) + "\n");
}

TickInput InputRecorder::next()
{
    TickInput input = inner.next();
    write(replayLines(input));
    ++ticks;
    return input;
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

#include "InputRecorder.h"

#include <iostream>

#include "ReplayFile.h"

ReplayWriter::ReplayWriter(std::ostream& out) : out(out) { writeLines(std::string(kReplayHeader) + "\n"); }

void ReplayWriter::write(const TickInput& input)
{
    writeLines(replayLines(input));
    ++ticks;
}

void ReplayWriter::writeLines(const std::string& lines)
{
    if (failed) return;
    out << lines << std::flush;
    if (!out) {
        failed = true;
        std::cerr << "skirmora: writing the recording failed; it ends before tick " << ticks + 1 << std::endl;
    }
}

TickInput InputRecorder::next()
{
    TickInput input = inner.next();
    writer.write(input);
    return input;
}

#include "InputRecorder.h"

TickInput InputRecorder::next(const TickInput& devices)
{
    TickInput input = inner.next(devices);
    writer.write(input);
    return input;
}

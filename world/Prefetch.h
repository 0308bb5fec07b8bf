#pragma once

#include <cstddef>

// Components and bodies live wherever they were allocated, so a pass over thousands of them would wait
// on one cache miss after another. The passes fetch what they will touch this many places ahead, so
// that the misses overlap with the work on the places before.
constexpr std::size_t kFetchAhead = 16;

// Asks for the cache lines of the lines * 64 bytes from start; a hint, never a fault.
inline void fetchLines(const void* start, std::size_t lines)
{
    for (std::size_t line = 0; line < lines; ++line) __builtin_prefetch(static_cast<const char*>(start) + 64 * line);
}

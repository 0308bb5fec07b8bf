#include "QuitSignal.h"

#include <csignal>

namespace {

volatile std::sig_atomic_t signalled = 0;

extern "C" void noteQuit(int) { signalled = 1; }

} // namespace

void watchQuitSignals()
{
    std::signal(SIGINT, noteQuit);
    std::signal(SIGTERM, noteQuit);
}

bool quitSignalled() { return signalled != 0; }

#pragma once

// Ctrl-C and a polite kill (SIGINT, SIGTERM) as a request to quit: the engine reads them as this machine's
// Escape, so every session leaves as it does on that key (online, the other machine is told). A handler may do
// no more than set a flag.
void watchQuitSignals();
// Whether such a signal arrived since watchQuitSignals().
bool quitSignalled();

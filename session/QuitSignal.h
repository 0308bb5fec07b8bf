#pragma once

// Ctrl-C and a polite kill (SIGINT, SIGTERM) as a request to quit, which the frame loop answers as it answers
// Escape: a handler may do no more than set a flag.
void watchQuitSignals();
// Whether such a signal arrived since watchQuitSignals().
bool quitSignalled();

#pragma once

// Keeps the sound libraries' own diagnostics (libasound's and OpenAL's) off standard error, where the game says
// in one line of its own when there is no device. Call before the device opens. ALSOFT_LOGLEVEL set above 0 asks
// for the libraries' diagnostics and leaves both as they are.
void quietSoundLibraries();

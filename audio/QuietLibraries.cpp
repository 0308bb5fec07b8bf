#include "QuietLibraries.h"

#include <alsa/asoundlib.h>
#include <cstdlib>

namespace {

// libasound reports every step of a failed device lookup (nine lines for a machine without a sound card); the
// game's own line says all a player needs.
void dropAlsaMessage(const char*, int, const char*, int, const char*, ...) {}

} // namespace

void quietSoundLibraries()
{
    const char* asked = std::getenv("ALSOFT_LOGLEVEL");
    if (asked != nullptr && std::strtol(asked, nullptr, 0) > 0) return;
    // OpenAL reads its log level once, at its first call; 0 logs nothing.
    setenv("ALSOFT_LOGLEVEL", "0", 1);
    // OpenAL loads libasound at run time: the same library, so its handler is this one.
    snd_lib_error_set_handler(dropAlsaMessage);
}

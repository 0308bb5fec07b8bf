#include "Options.h"

#include <charconv>
#include <cstring>

const char* const kUsage = "usage: skirmora [--player1 SOURCE] [--player2 SOURCE] [--ticks N] [--record FILE] "
                           "[--mute] [toolkit options]\n"
                           "       skirmora --headless --ticks N --player1 SOURCE --player2 SOURCE [--record FILE]\n"
                           "       skirmora [--headless] --replay FILE [--mute] [toolkit options]\n"
                           "SOURCE is local (this machine's keyboard for player 1, its mouse for player 2; the "
                           "default),\n"
                           "bot or bot:SEED (the computer), random:SEED (seeded random input) or idle (no input).\n";

namespace {
// The whole number a token spells, if it is one from 1 up.
bool positiveWholeNumber(const char* text, std::uint64_t& value)
{
    const char* end = text + std::strlen(text);
    const auto [stop, error] = std::from_chars(text, end, value);
    return text != end && error == std::errc() && stop == end && value > 0;
}
} // namespace

std::variant<Options, std::string> parseOptions(int argc, char** argv)
{
    Options options;
    options.toolkitArgs.push_back(argv[0]);
    bool sourceGiven = false;
    bool ticksGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool takesValue =
            arg == "--record" || arg == "--replay" || arg == "--ticks" || arg == "--player1" || arg == "--player2";
        if (arg == "--help") {
            options.help = true;
            return options;
        }
        if (takesValue && (i + 1 == argc || argv[i + 1][0] == '\0'))
            return arg + (arg == "--ticks"                ? " needs N"
                          : arg.rfind("--player", 0) == 0 ? " needs a SOURCE"
                                                          : " needs a FILE");
        if (arg == "--record" || arg == "--replay") {
            std::string& path = arg == "--record" ? options.recordPath : options.replayPath;
            if (!path.empty()) return arg + " given twice";
            path = argv[++i];
        } else if (arg == "--ticks") {
            if (ticksGiven) return "--ticks given twice";
            ticksGiven = true;
            if (!positiveWholeNumber(argv[++i], options.ticks))
                return "--ticks takes a whole number of ticks from 1 up, not '" + std::string(argv[i]) + "'";
        } else if (arg == "--player1" || arg == "--player2") {
            const auto spec = SourceSpec::parse(argv[++i]);
            if (!spec) return "unknown source '" + std::string(argv[i]) + "' for " + arg;
            (arg == "--player1" ? options.player1 : options.player2) = *spec;
            sourceGiven = true;
        } else if (arg == "--headless") {
            options.headless = true;
        } else if (arg == "--mute") {
            options.mute = true;
        } else if (arg.rfind("--", 0) == 0) {
            return "unknown option " + arg;
        } else {
            options.toolkitArgs.push_back(argv[i]);
        }
    }
    const bool replaying = !options.replayPath.empty();
    if (!options.recordPath.empty() && replaying) return "--record and --replay exclude each other";
    if (replaying && (sourceGiven || ticksGiven))
        return "--replay plays the recorded input; it takes no sources or --ticks";
    if (options.headless && !replaying && !ticksGiven) return "--headless needs --ticks N (or --replay FILE)";
    if (options.headless && !replaying && options.anyLocalPlayer())
        return "--headless has no keyboard or mouse: give both players a source other than local";
    if (options.headless && options.toolkitArgs.size() > 1) return "--headless takes no toolkit options";
    options.toolkitArgs.push_back(nullptr);
    return options;
}

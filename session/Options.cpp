#include "Options.h"

#include <charconv>
#include <cstring>
#include <optional>

const char* const kUsage =
    "usage: skirmora [--player1 SOURCE] [--player2 SOURCE] [--ticks N] [--record FILE] [--mute] [toolkit options]\n"
    "       skirmora --headless --ticks N --player1 SOURCE --player2 SOURCE [--record FILE]\n"
    "       skirmora [--headless] --replay FILE [--mute] [toolkit options]\n"
    "       skirmora --host [PORT] [--ticks N] [--input-delay N] [--playerK SOURCE] [--headless] [--record FILE] "
    "[--mute]\n"
    "       skirmora --join HOST[:PORT] [--playerK SOURCE] [--headless] [--record FILE] [--mute]\n"
    "       skirmora --menu [--ticks N] [--mute] [toolkit options]\n"
    "       skirmora --help | --version\n"
    "SOURCE is local (this machine's keyboard for player 1, its mouse for player 2; the default),\n"
    "bot[:LEVEL][:SEED] (the computer; LEVEL easy, normal or hard, normal if left out), random:SEED\n"
    "(seeded random input), idle (no input) or, online, remote (the other machine's player: by default\n"
    "player 2 for --host, player 1 for --join).\n"
    "Online matches use UDP port 7770 unless another is given; the host's --ticks and --input-delay\n"
    "(0 to 8 ticks, default 2) hold for both machines.\n";

const char* const kVersionLine = "skirmora " SKIRMORA_VERSION "\n";

namespace {
// The whole number a token spells, if it is one from 1 up.
bool positiveWholeNumber(const char* text, std::uint64_t& value)
{
    const char* end = text + std::strlen(text);
    const auto [stop, error] = std::from_chars(text, end, value);
    return text != end && error == std::errc() && stop == end && value > 0;
}

bool allDigits(const char* text) { return text[0] != '\0' && std::strspn(text, "0123456789") == std::strlen(text); }

// Exactly one player is the other machine's: the one named remote, else the default one unless the command line
// gave it a source of this machine's.
std::optional<std::string> chooseRemotePlayer(Options& options)
{
    using Kind = SourceChoice::Kind;
    const bool online = options.role != Options::Role::Alone;
    const bool remote1 = options.player1.kind == Kind::Remote;
    const bool remote2 = options.player2.kind == Kind::Remote;
    if (!online) {
        if (remote1 || remote2) return "remote needs --host or --join";
        return std::nullopt;
    }
    if (remote1 && remote2) return "only one player can be remote";
    if (remote1 || remote2) return std::nullopt;
    SourceChoice& preferred = options.role == Options::Role::Host ? options.player2 : options.player1;
    SourceChoice& other = options.role == Options::Role::Host ? options.player1 : options.player2;
    if (preferred.kind == Kind::Local)
        preferred.kind = Kind::Remote;
    else if (other.kind == Kind::Local)
        other.kind = Kind::Remote;
    else
        return "one player must be remote when playing online";
    return std::nullopt;
}
} // namespace

std::variant<Options, std::string> parseOptions(int argc, char** argv)
{
    Options options;
    options.toolkitArgs.push_back(argv[0]);
    bool sourceGiven = false;
    bool ticksGiven = false;
    bool delayGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool takesValue = arg == "--record" || arg == "--replay" || arg == "--ticks" || arg == "--player1" ||
                                arg == "--player2" || arg == "--join" || arg == "--input-delay";
        if (arg == "--help" || arg == "--version") {
            (arg == "--help" ? options.help : options.version) = true;
            return options;
        }
        if (takesValue && (i + 1 == argc || argv[i + 1][0] == '\0'))
            return arg + (arg == "--ticks" || arg == "--input-delay" ? " needs N"
                          : arg.rfind("--player", 0) == 0            ? " needs a SOURCE"
                          : arg == "--join"                          ? " needs HOST[:PORT]"
                                                                     : " needs a FILE");
        if ((arg == "--host" || arg == "--join") && options.role != Options::Role::Alone)
            return "--host and --join exclude each other, and each is given once";
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
            const auto choice = SourceChoice::parse(argv[++i]);
            if (!choice) return "unknown source '" + std::string(argv[i]) + "' for " + arg;
            (arg == "--player1" ? options.player1 : options.player2) = *choice;
            sourceGiven = true;
        } else if (arg == "--host") {
            options.role = Options::Role::Host;
            if (i + 1 < argc && allDigits(argv[i + 1])) {
                std::uint64_t port = 0;
                if (!positiveWholeNumber(argv[++i], port) || port > 65535)
                    return "--host takes a port from 1 to 65535, not '" + std::string(argv[i]) + "'";
                options.endpoint.port = static_cast<std::uint16_t>(port);
            }
        } else if (arg == "--join") {
            options.role = Options::Role::Join;
            const auto endpoint = parseEndpoint(argv[++i]);
            if (!endpoint)
                return "--join takes HOST or HOST:PORT (port 1 to 65535), not '" + std::string(argv[i]) + "'";
            options.endpoint = *endpoint;
        } else if (arg == "--input-delay") {
            std::uint64_t delay = 0;
            const bool zero = std::strcmp(argv[++i], "0") == 0;
            if (delayGiven || (!zero && (!positiveWholeNumber(argv[i], delay) || delay > kMaxInputDelay)))
                return "--input-delay takes one whole number of ticks from 0 to " + std::to_string(kMaxInputDelay);
            delayGiven = true;
            options.inputDelay = static_cast<int>(delay);
        } else if (arg == "--headless") {
            options.headless = true;
        } else if (arg == "--mute") {
            options.mute = true;
        } else if (arg == "--menu") {
            options.menu = true;
        } else if (arg.rfind("--", 0) == 0) {
            return "unknown option " + arg;
        } else {
            options.toolkitArgs.push_back(argv[i]);
        }
    }
    const bool replaying = !options.replayPath.empty();
    // Everything else is chosen in the menus.
    if (options.menu && (replaying || options.role != Options::Role::Alone || options.headless || sourceGiven ||
                         !options.recordPath.empty()))
        return "--menu takes only --ticks, --mute and toolkit options";
    const bool online = options.role != Options::Role::Alone;
    if (online && replaying) return "--replay plays alone; it takes no --host or --join";
    if (options.role == Options::Role::Join && (ticksGiven || delayGiven))
        return "--join takes the match length and input delay from the host: no --ticks or --input-delay";
    if (options.role != Options::Role::Host && delayGiven) return "--input-delay needs --host";
    if (online && options.ticks > kMaxMatchTicks)
        return "--ticks online is at most " + std::to_string(kMaxMatchTicks) + " (four hours)";
    if (const auto problem = chooseRemotePlayer(options)) return *problem;
    if (!options.recordPath.empty() && replaying) return "--record and --replay exclude each other";
    if (replaying && (sourceGiven || ticksGiven))
        return "--replay plays the recorded input; it takes no sources or --ticks";
    if (options.headless && !replaying && !ticksGiven && !online)
        return "--headless needs --ticks N (or --replay FILE)";
    if (options.headless && !replaying && options.anyLocalPlayer())
        return "--headless has no keyboard or mouse: give both players a source other than local";
    if (options.headless && options.toolkitArgs.size() > 1) return "--headless takes no toolkit options";
    options.toolkitArgs.push_back(nullptr);
    return options;
}

#include "SettingsFile.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>
#include <variant>

namespace {

// Far beyond what formatSettings writes; a bigger file is not ours.
constexpr std::uintmax_t kMaxSettingsBytes = 16 * 1024;

// Takes every value in which after differs from before into target.
void copyChanged(const Settings& before, const Settings& after, Settings& target)
{
    const auto take = [](const auto& was, const auto& now, auto& into) {
        if (now != was) into = now;
    };
    take(before.volume, after.volume, target.volume);
    take(before.mute, after.mute, target.mute);
    take(before.fullScreen, after.fullScreen, target.fullScreen);
    take(before.inputDelay, after.inputDelay, target.inputDelay);
    take(before.joinAddress, after.joinAddress, target.joinAddress);
    take(before.hostPort, after.hostPort, target.hostPort);
    take(before.computerLevel, after.computerLevel, target.computerLevel);
    take(before.personPlayer, after.personPlayer, target.personPlayer);
    take(before.recordEveryMatch, after.recordEveryMatch, target.recordEveryMatch);
}

bool writeAll(int descriptor, std::string_view text)
{
    while (!text.empty()) {
        const ssize_t wrote = ::write(descriptor, text.data(), text.size());
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote <= 0) return false;
        text.remove_prefix(static_cast<std::size_t>(wrote));
    }
    return true;
}

} // namespace

std::optional<std::filesystem::path> xdgFolder(const char* variable, const char* home, std::string_view fallback)
{
    // The base-directory rules ignore a relative path, which would depend on where the game was started.
    if (variable != nullptr && variable[0] == '/') return std::filesystem::path(variable);
    if (home != nullptr && home[0] == '/') return std::filesystem::path(home) / fallback;
    return std::nullopt;
}

std::optional<std::filesystem::path> settingsFilePath()
{
    const auto folder = xdgFolder(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"), ".config");
    if (!folder) return std::nullopt;
    return *folder / "skirmora" / "settings.ini";
}

std::string writeFileAtomically(const std::filesystem::path& path, std::string_view text)
{
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    if (error) return "cannot make " + path.parent_path().string() + ": " + error.message();
    std::string temporary = path.string() + ".XXXXXX";
    const int descriptor = ::mkstemp(temporary.data());
    if (descriptor < 0) return "cannot write in " + path.parent_path().string() + ": " + std::strerror(errno);
    ::fchmod(descriptor, 0644);
    const bool written = writeAll(descriptor, text) && ::fsync(descriptor) == 0;
    const int writeErrno = errno;
    if (::close(descriptor) != 0 || !written) {
        ::unlink(temporary.c_str());
        return "cannot write " + temporary + ": " + std::strerror(written ? errno : writeErrno);
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        const int renameErrno = errno;
        ::unlink(temporary.c_str());
        return "cannot replace " + path.string() + ": " + std::strerror(renameErrno);
    }
    return "";
}

LoadedSettings loadSettingsFile(const std::filesystem::path& path)
{
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (status.type() == std::filesystem::file_type::not_found) return {};
    const auto unusable = [&path](const std::string& why) {
        return LoadedSettings{{}, path.string() + ": " + why + "; playing with the default settings"};
    };
    if (error) return unusable(error.message());
    if (status.type() != std::filesystem::file_type::regular) return unusable("not a file");
    if (std::filesystem::file_size(path, error) > kMaxSettingsBytes || error) return unusable("too big");
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    if (!in || in.bad()) return unusable(std::string("cannot read: ") + std::strerror(errno));
    auto parsed = parseSettings(text.str());
    if (const auto* problem = std::get_if<SettingsError>(&parsed)) {
        const std::string where =
            problem->line > 0 ? path.string() + ":" + std::to_string(problem->line) : path.string();
        return LoadedSettings{{}, where + ": " + problem->message + "; playing with the default settings"};
    }
    return LoadedSettings{std::get<Settings>(parsed), ""};
}

KeptSettings::KeptSettings(std::optional<std::filesystem::path> file, std::ostream& messages)
    : file(std::move(file)), messages(messages)
{
    if (!this->file) return;
    LoadedSettings loaded = loadSettingsFile(*this->file);
    if (!loaded.problem.empty()) messages << "skirmora: " << loaded.problem << std::endl;
    kept = loaded.settings;
    run = kept;
}

bool KeptSettings::adopt(const Settings& shown)
{
    const Settings before = kept;
    copyChanged(run, shown, kept);
    run = shown;
    if (!file || kept == before) return true;
    const std::string problem = writeFileAtomically(*file, formatSettings(kept));
    if (problem.empty()) return true;
    messages << "skirmora: " << problem << "; the settings hold for this run only" << std::endl;
    return false;
}

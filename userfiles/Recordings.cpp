#include "Recordings.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <string_view>
#include <system_error>
#include <utility>

#include "SettingsFile.h"

namespace {

constexpr std::string_view kPrefix = "match-";
constexpr std::string_view kExtension = ".replay";
constexpr std::size_t kStampLength = 15; // YYYYMMDD-HHMMSS

// The order of a dated name among the others (its stamp, then its sequence), or none if the name is
// not one of ours.
std::optional<std::pair<std::string, int>> datedKey(const std::string& name)
{
    std::string_view rest(name);
    if (rest.substr(0, kPrefix.size()) != kPrefix || rest.size() < kPrefix.size() + kExtension.size() ||
        rest.substr(rest.size() - kExtension.size()) != kExtension)
        return std::nullopt;
    rest = rest.substr(kPrefix.size(), rest.size() - kPrefix.size() - kExtension.size());
    if (rest.size() < kStampLength) return std::nullopt;
    const std::string_view stamp = rest.substr(0, kStampLength);
    for (std::size_t i = 0; i < kStampLength; ++i) {
        const bool dash = i == 8;
        if (dash ? stamp[i] != '-' : (stamp[i] < '0' || stamp[i] > '9')) return std::nullopt;
    }
    rest.remove_prefix(kStampLength);
    int sequence = 1;
    if (!rest.empty()) {
        if (rest.size() < 2 || rest[0] != '-' || rest[1] == '0') return std::nullopt;
        const auto [stop, error] = std::from_chars(rest.data() + 1, rest.data() + rest.size(), sequence);
        if (error != std::errc() || stop != rest.data() + rest.size() || sequence < 2) return std::nullopt;
    }
    return std::make_pair(std::string(stamp), sequence);
}

} // namespace

std::optional<std::filesystem::path> replaysFolderPath()
{
    const auto folder = xdgFolder(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"), ".local/share");
    if (!folder) return std::nullopt;
    return *folder / "skirmora" / "replays";
}

std::string RecordingShelf::datedName(std::time_t startedAt, int sequence)
{
    std::tm utc{};
    gmtime_r(&startedAt, &utc);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &utc);
    std::string name = std::string(kPrefix) + stamp;
    if (sequence > 1) name += "-" + std::to_string(sequence);
    return name + std::string(kExtension);
}

std::variant<std::filesystem::path, std::string> RecordingShelf::prepareNew(std::time_t startedAt) const
{
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) return "cannot make " + folder.string() + ": " + error.message();
    std::vector<std::pair<std::pair<std::string, int>, std::filesystem::path>> dated;
    for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        if (!entry->is_regular_file(error)) continue;
        if (auto key = datedKey(entry->path().filename().string())) dated.emplace_back(std::move(*key), entry->path());
    }
    if (error) return "cannot read " + folder.string() + ": " + error.message();
    std::sort(dated.begin(), dated.end());
    const std::size_t surplus = dated.size() >= kKept ? dated.size() - (kKept - 1) : 0;
    for (std::size_t i = 0; i < surplus; ++i) std::filesystem::remove(dated[i].second, error);
    for (int sequence = 1;; ++sequence) {
        std::filesystem::path path = folder / datedName(startedAt, sequence);
        if (!std::filesystem::exists(path, error)) return path;
    }
}

std::vector<Recording> RecordingShelf::newestFirst() const
{
    std::vector<Recording> found;
    std::error_code error;
    for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        if (entry->path().extension() != kExtension || !entry->is_regular_file(error)) continue;
        const auto modified = entry->last_write_time(error);
        if (!error) found.push_back({entry->path(), modified});
        error.clear();
    }
    // Dated names break ties of the clock by the order the matches were played.
    std::sort(found.begin(), found.end(), [](const Recording& a, const Recording& b) {
        if (a.modified != b.modified) return a.modified > b.modified;
        const auto keyA = datedKey(a.path.filename().string());
        const auto keyB = datedKey(b.path.filename().string());
        if (keyA && keyB) return *keyA > *keyB;
        return a.path.filename() > b.path.filename();
    });
    return found;
}

#include "project/TBackupStore.h"

#include "project/TAtomicFile.h"
#include "project/TProgramNamesFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <system_error>

namespace fs = std::filesystem;

namespace {

constexpr std::string_view Extension = ".usr";
constexpr size_t StampLength = 16; // 20261208T072724Z
constexpr int MaxPerSecond = 1000;

bool digits(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool serialCharacter(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

// 20261208T072724Z names a second that exists: no 13th month, no 30th of
// February.
bool validTime(std::string_view stamp)
{
    const auto number = [&](size_t at, size_t n) { return std::atoi(std::string(stamp.substr(at, n)).c_str()); };
    std::tm parts{};
    parts.tm_year = number(0, 4) - 1900;
    parts.tm_mon = number(4, 2) - 1;
    parts.tm_mday = number(6, 2);
    parts.tm_hour = number(9, 2);
    parts.tm_min = number(11, 2);
    parts.tm_sec = number(13, 2);
    const std::tm wanted = parts;
    const std::time_t when = ::timegm(&parts);
    std::tm back{};
    return gmtime_r(&when, &back) && back.tm_year == wanted.tm_year && back.tm_mon == wanted.tm_mon
        && back.tm_mday == wanted.tm_mday && back.tm_hour == wanted.tm_hour && back.tm_min == wanted.tm_min
        && back.tm_sec == wanted.tm_sec;
}

struct Name {
    TBackupStore::Entry entry;
    std::string stamp;
    long counter = 1;
};

// Splits <serial>-<stamp>[-N].usr; false for any other name.
bool parse(const std::string& file, Name& name)
{
    std::string_view rest(file);
    if (rest.size() <= Extension.size() || rest.substr(rest.size() - Extension.size()) != Extension)
        return false;
    rest.remove_suffix(Extension.size());
    const size_t dash = rest.find('-');
    if (dash == 0 || dash == std::string_view::npos)
        return false;
    const std::string_view serial = rest.substr(0, dash);
    if (!std::all_of(serial.begin(), serial.end(), serialCharacter))
        return false;
    rest.remove_prefix(dash + 1);
    const std::string_view stamp = rest.substr(0, StampLength);
    if (stamp.size() != StampLength || !digits(stamp.substr(0, 8)) || stamp[8] != 'T' || !digits(stamp.substr(9, 6))
        || stamp[15] != 'Z')
        return false;
    if (!validTime(stamp))
        return false;
    rest.remove_prefix(StampLength);
    if (!rest.empty()) {
        if (rest[0] != '-' || !digits(rest.substr(1)) || rest.size() > 8)
            return false;
        name.counter = std::atol(std::string(rest.substr(1)).c_str());
    }
    name.stamp = stamp;
    name.entry.serial = serial;
    const auto s = [&](size_t at, size_t n) { return std::string(stamp.substr(at, n)); };
    name.entry.time = s(0, 4) + "-" + s(4, 2) + "-" + s(6, 2) + "T" + s(9, 2) + ":" + s(11, 2) + ":" + s(13, 2) + "Z";
    return true;
}

} // namespace

std::string TBackupStore::folder()
{
    return TProgramNamesFile::dataFolder() + "/kt7config/backups";
}

TFileResult TBackupStore::keep(const std::string& serial, const TImage& image, std::string& path, std::time_t when)
{
    const std::string where = folder();
    std::error_code ec;
    fs::create_directories(where, ec);
    if (ec)
        return TFileResult::failure(where, ec.message());

    std::string name;
    for (const char c : serial)
        name += serialCharacter(c) ? c : '_';
    if (name.empty())
        name = "_";
    std::tm parts{};
    gmtime_r(&when, &parts);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%dT%H%M%SZ", &parts);
    name += std::string("-") + stamp;

    const auto& bytes = image.bytes();
    const std::string_view content(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    TFileResult result = TFileResult::success();
    for (int n = 1; n <= MaxPerSecond; ++n) {
        const std::string candidate
            = where + "/" + name + (n == 1 ? "" : "-" + std::to_string(n)) + std::string(Extension);
        result = TAtomicFile::create(candidate, content);
        if (result.code() != EEXIST) {
            if (result)
                path = candidate;
            return result;
        }
    }
    return result;
}

TFileResult TBackupStore::list(std::vector<Entry>& entries, bool* folderMissing)
{
    entries.clear();
    const std::string where = folder();
    std::vector<Name> names;
    std::error_code ec;
    fs::directory_iterator it(where, ec);
    const bool missing = ec == std::errc::no_such_file_or_directory;
    if (folderMissing)
        *folderMissing = missing;
    if (ec)
        return missing ? TFileResult::success() : TFileResult::failure(where, ec.message());
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        // Only what can be written back: a whole image in a regular file.
        Name name;
        std::error_code fileEc;
        if (parse(it->path().filename().string(), name) && fs::is_regular_file(it->path(), fileEc)
            && fs::file_size(it->path(), fileEc) == TImage::Size && !fileEc) {
            name.entry.path = it->path().string();
            names.push_back(std::move(name));
        }
    }
    if (ec)
        return TFileResult::failure(where, ec.message());
    std::sort(names.begin(), names.end(), [](const Name& a, const Name& b) {
        if (a.stamp != b.stamp)
            return a.stamp > b.stamp;
        if (a.counter != b.counter)
            return a.counter > b.counter;
        return a.entry.path < b.entry.path;
    });
    for (Name& name : names)
        entries.push_back(std::move(name.entry));
    return TFileResult::success();
}

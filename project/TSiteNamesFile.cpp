#include "project/TSiteNamesFile.h"

#include "project/TAtomicFile.h"
#include "project/TFileReader.h"
#include "project/TIniText.h"
#include "project/TNamesFile.h"

#include <cerrno>
#include <optional>
#include <vector>

namespace {
// As the algorithm names: a names file is a few kilobytes.
constexpr size_t FileLimit = 4 * 1024 * 1024;
} // namespace

TFileResult TSiteNamesFile::read(const std::string& path, TSiteNames& names)
{
    std::string text;
    const TFileResult result = TFileReader::read(path, FileLimit, text);
    if (!result && result.code() != ENOENT)
        return result;
    const TIniText ini(text);
    TSiteNames read;
    forEach(read, [&](const char* section, const std::string& key, std::string& name) {
        if (const auto raw = ini.value(section, key))
            name = TNamesFile::nameOf(*raw);
    });
    names = std::move(read);
    return TFileResult::success();
}

TFileResult TSiteNamesFile::write(const std::string& path, const TSiteNames& names)
{
    struct Entry {
        const char* section;
        std::string key;
        std::optional<std::string> value; // nothing: no name, the key goes
    };
    std::vector<Entry> entries;
    std::string refused;
    forEach(names, [&](const char* section, const std::string& key, const std::string& name) {
        if (name.empty()) {
            entries.push_back({section, key, std::nullopt});
            return;
        }
        auto value = TNamesFile::storedValue(name);
        if (!value && refused.empty())
            refused = std::string("[") + section + "] " + key;
        entries.push_back({section, key, std::move(value)});
    });
    if (!refused.empty())
        return TFileResult::failure(path,
                                    "the name " + refused
                                        + " holds a character that Windows-1251 cannot store, a line break,"
                                          " or more than 2047 characters");

    std::string text;
    if (const TFileResult result = TFileReader::read(path, FileLimit + 1, text); !result && result.code() != ENOENT)
        return result;
    if (text.size() > FileLimit)
        return TFileResult::fromErrno(path, EFBIG);
    TIniText ini(text);
    for (const Entry& e : entries) {
        if (e.value)
            ini.setValue(e.section, e.key, *e.value);
        else
            ini.removeKey(e.section, e.key);
    }
    const std::string written = ini.text();
    // Nothing to say and nothing to take back: the file stays untouched.
    if (written == text)
        return TFileResult::success();
    return TAtomicFile::write(path, written);
}

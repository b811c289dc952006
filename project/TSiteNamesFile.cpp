#include "project/TSiteNamesFile.h"

#include "project/TAtomicFile.h"
#include "project/TCp1251.h"
#include "project/TIniText.h"
#include "project/TNamesFile.h"

#include <cerrno>
#include <optional>
#include <vector>

TFileResult TSiteNamesFile::read(const std::string& path, TSiteNames& names)
{
    std::string text;
    TUnicodeText::Encoding encoding = TUnicodeText::Encoding::None;
    const TFileResult result = TNamesFile::readText(path, text, encoding);
    if (!result && result.code() != ENOENT)
        return result;
    const TIniText ini(text);
    TSiteNames read;
    forEach(read, [&](const char* section, const std::string& key, std::string& name) {
        if (const auto raw = ini.value(section, key))
            name = TNamesFile::nameOf(*raw, encoding != TUnicodeText::Encoding::None);
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

    // The algorithm names are saved first, which leaves the file in
    // Windows-1251; one still in Unicode is edited as UTF-8 and written whole
    // in Windows-1251 as they write it.
    std::string text;
    TUnicodeText::Encoding encoding = TUnicodeText::Encoding::None;
    if (const TFileResult result = TNamesFile::readText(path, text, encoding); !result && result.code() != ENOENT)
        return result;
    const bool unicode = encoding != TUnicodeText::Encoding::None;
    TIniText ini(text);
    for (const Entry& e : entries) {
        if (e.value)
            ini.setValue(e.section, e.key, unicode ? TCp1251::toUtf8(*e.value) : *e.value);
        else
            ini.removeKey(e.section, e.key);
    }
    const std::string written = ini.text();
    // Nothing to say and nothing to take back: the file stays untouched.
    if (written == text && !unicode)
        return TFileResult::success();
    const std::optional<std::string> bytes = unicode ? TCp1251::fromUtf8(written) : written;
    if (!bytes)
        return TFileResult::failure(path,
                                    "the file is in " + TUnicodeText::name(encoding)
                                        + " and holds characters that Windows-1251 cannot store");
    return TAtomicFile::write(path, *bytes);
}

#include "project/TNamesFile.h"

#include "project/TAtomicFile.h"
#include "project/TCp1251.h"
#include "project/TFileReader.h"
#include "project/TIniText.h"

#include <cerrno>
#include <optional>
#include <sys/stat.h>

namespace {

constexpr std::string_view Section = "Scenic";
constexpr std::string_view Blanks = " \t\v\f\r\x1a";

bool isQuote(char c)
{
    return c == '"' || c == '\'';
}

bool hasQuotePair(std::string_view text)
{
    return text.size() >= 2 && isQuote(text.front()) && text.back() == text.front();
}

std::optional<std::string> storable(std::string_view name)
{
    if (name.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos)
        return std::nullopt;
    auto bytes = TCp1251::fromUtf8(name);
    if (!bytes || bytes->size() > TNamesFile::ValueLimit)
        return std::nullopt;
    return bytes;
}

std::string quoted(const std::string& bytes)
{
    const bool needsQuotes = !bytes.empty()
        && (Blanks.find(bytes.front()) != std::string_view::npos || Blanks.find(bytes.back()) != std::string_view::npos
            || hasQuotePair(bytes));
    return needsQuotes ? "\"" + bytes + "\"" : bytes;
}

// What the functions copy of a value: without its pair of quotes, cut to
// their buffer.
std::string_view copied(std::string_view raw, bool unicode)
{
    if (hasQuotePair(raw))
        raw = raw.substr(1, raw.size() - 2);
    return unicode ? TUnicodeText::firstCharacters(raw, TNamesFile::ValueLimit) : raw.substr(0, TNamesFile::ValueLimit);
}

std::string decoded(std::string_view bytes, bool unicode)
{
    return unicode ? TCp1251::held(bytes) : TCp1251::toUtf8(bytes);
}

// Every name of the file: its section, key and place in words, whether its
// key stays when the name is empty (the algorithm names'), and the number of
// the algorithm or the entry of the site's name. withSite: the site's too.
template <typename Visit> void forEachName(bool withSite, Visit&& visit)
{
    for (int i = 0; i < TNamesFile::Count; ++i)
        visit(Section, "Item" + std::to_string(i), "IN-" + std::to_string(i + 1), true, i, nullptr);
    if (withSite)
        for (const TSiteNames::Entry& e : TSiteNames::entries())
            visit(std::string_view(e.section), e.key, "[" + e.section + "] " + e.key, false, -1, &e);
}

} // namespace

bool TNamesFile::canStore(std::string_view name)
{
    return storable(name).has_value();
}

std::string TNamesFile::nameOf(std::string_view raw, bool unicode)
{
    const std::string_view value = copied(raw, unicode);
    return decoded(value.substr(0, value.find('\0')), unicode);
}

TFileResult TNamesFile::readText(const std::string& path, std::string& text, TUnicodeText::Encoding& encoding)
{
    std::string bytes;
    TFileResult result = TFileReader::read(path, FileLimit + 1, bytes);
    if (result && bytes.size() > FileLimit)
        return TFileResult::failure(path, TFileResult::Kind::TooLarge, std::to_string(FileLimit),
                                    "larger than 4 MB, which no names file is");
    encoding = TUnicodeText::marked(bytes);
    text = TUnicodeText::toUtf8(bytes, encoding);
    return result;
}

TFileResult TNamesFile::read(const std::string& path, Names& names, TSiteNames& site, Reading* reading)
{
    std::string text;
    TUnicodeText::Encoding encoding = TUnicodeText::Encoding::None;
    const TFileResult result = readText(path, text, encoding);
    if (!result && result.code() != ENOENT)
        return result;
    const bool unicode = encoding != TUnicodeText::Encoding::None;
    const TIniText ini(text);
    Names readNames;
    TSiteNames readSite;
    Reading read;
    read.found = result.ok();
    read.encoding = encoding;
    std::string all;
    forEachName(true,
                [&](std::string_view section, const std::string& key, const std::string& where, bool, int index,
                    const TSiteNames::Entry* entry) {
                    const auto raw = ini.value(section, key);
                    if (!raw)
                        return;
                    std::string& name = entry ? readSite.name(*entry) : readNames[static_cast<size_t>(index)];
                    name = nameOf(*raw, unicode);
                    const std::string_view value = copied(*raw, unicode);
                    if (const size_t nul = value.find('\0'); nul != std::string_view::npos && nul + 1 < value.size())
                        read.cut.push_back({where, name, decoded(value.substr(nul + 1), unicode)});
                    if (!unicode)
                        all.append(value.substr(0, value.find('\0'))).push_back('\n');
                });
    read.utf8 = TCp1251::looksUtf8(all);
    names = std::move(readNames);
    site = std::move(readSite);
    if (reading)
        *reading = std::move(read);
    return TFileResult::success();
}

TFileResult TNamesFile::read(const std::string& path, Names& names, Reading* reading)
{
    TSiteNames site;
    return read(path, names, site, reading);
}

TFileResult TNamesFile::edited(const std::string& path, const Names& names, const TSiteNames* site, std::string& bytes)
{
    std::string refused;
    forEachName(site != nullptr,
                [&](std::string_view, const std::string&, const std::string& where, bool, int index,
                    const TSiteNames::Entry* entry) {
                    const std::string& name = entry ? site->name(*entry) : names[static_cast<size_t>(index)];
                    if (refused.empty() && !canStore(name))
                        refused = where;
                });
    if (!refused.empty())
        return TFileResult::failure(path, TFileResult::Kind::NameRefused, refused,
                                    "the name " + refused
                                        + " holds a character that Windows-1251 cannot store, a line break,"
                                          " or more than 2047 characters");

    // The rest of an existing file is kept; a missing file or one that is no
    // regular file has none, and the write tells what is wrong with it.
    std::string text;
    TUnicodeText::Encoding encoding = TUnicodeText::Encoding::None;
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode))
        if (const TFileResult result = readText(path, text, encoding); !result)
            return result;
    // A file in Unicode is edited as UTF-8 text and written in Windows-1251
    // whole, its values all written anew.
    const bool unicode = encoding != TUnicodeText::Encoding::None;
    TIniText ini(text);
    forEachName(site != nullptr,
                [&](std::string_view section, const std::string& key, const std::string&, bool always, int index,
                    const TSiteNames::Entry* entry) {
                    const std::string& name = entry ? site->name(*entry) : names[static_cast<size_t>(index)];
                    if (name.empty() && !always) {
                        ini.removeKey(section, key);
                        return;
                    }
                    const auto raw = ini.value(section, key);
                    if (!unicode && raw && nameOf(*raw) == name)
                        return;
                    const std::string value = quoted(*storable(name));
                    ini.setValue(section, key, unicode ? TCp1251::toUtf8(value) : value);
                });
    if (!unicode) {
        bytes = ini.text();
        return TFileResult::success();
    }
    const std::optional<std::string> converted = TCp1251::fromUtf8(ini.text());
    if (!converted)
        return TFileResult::failure(path, TFileResult::Kind::FileRefused, TUnicodeText::name(encoding),
                                    "the file is in " + TUnicodeText::name(encoding)
                                        + " and holds, besides the names, characters that Windows-1251 cannot store");
    bytes = *converted;
    return TFileResult::success();
}

TFileResult TNamesFile::write(const std::string& path, const Names& names, const TSiteNames& site)
{
    std::string bytes;
    const TFileResult result = edited(path, names, &site, bytes);
    return result ? TAtomicFile::write(path, bytes) : result;
}

TFileResult TNamesFile::write(const std::string& path, const Names& names)
{
    std::string bytes;
    const TFileResult result = edited(path, names, nullptr, bytes);
    return result ? TAtomicFile::write(path, bytes) : result;
}

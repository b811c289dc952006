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

} // namespace

std::string TNamesFile::key(int index)
{
    return "Item" + std::to_string(index);
}

bool TNamesFile::canStore(std::string_view name)
{
    return storable(name).has_value();
}

std::optional<std::string> TNamesFile::storedValue(std::string_view name)
{
    const auto bytes = storable(name);
    return bytes ? std::optional<std::string>(quoted(*bytes)) : std::nullopt;
}

std::string TNamesFile::nameOf(std::string_view raw, bool unicode)
{
    const std::string_view value = unquoted(raw);
    if (unicode)
        return TCp1251::held(TUnicodeText::firstCharacters(value, ValueLimit));
    return TCp1251::toUtf8(value.substr(0, ValueLimit));
}

std::string TNamesFile::quoted(const std::string& bytes)
{
    const bool needsQuotes = !bytes.empty()
        && (Blanks.find(bytes.front()) != std::string_view::npos || Blanks.find(bytes.back()) != std::string_view::npos
            || hasQuotePair(bytes));
    return needsQuotes ? "\"" + bytes + "\"" : bytes;
}

std::string_view TNamesFile::unquoted(std::string_view raw)
{
    // A NUL or a carriage return inside a line ends the value there, as it
    // would end the C string the Windows functions return: a name holding one
    // could never be saved again.
    raw = raw.substr(0, raw.find_first_of(std::string_view("\0\r", 2)));
    while (!raw.empty() && Blanks.find(raw.back()) != std::string_view::npos)
        raw.remove_suffix(1);
    if (hasQuotePair(raw))
        raw = raw.substr(1, raw.size() - 2);
    return raw;
}

TFileResult TNamesFile::readText(const std::string& path, std::string& text, TUnicodeText::Encoding& encoding)
{
    std::string bytes;
    TFileResult result = TFileReader::read(path, FileLimit + 1, bytes);
    if (result && bytes.size() > FileLimit)
        return TFileResult::failure(path, "larger than 4 MB, which no names file is");
    encoding = TUnicodeText::marked(bytes);
    text = TUnicodeText::toUtf8(bytes, encoding);
    return result;
}

TFileResult TNamesFile::read(const std::string& path, Names& names, Reading* reading)
{
    std::string text;
    TUnicodeText::Encoding encoding = TUnicodeText::Encoding::None;
    const TFileResult result = readText(path, text, encoding);
    if (!result && result.code() != ENOENT)
        return result;
    const bool unicode = encoding != TUnicodeText::Encoding::None;
    const TIniText ini(text);
    std::string all;
    for (int i = 0; i < Count; ++i) {
        const auto raw = ini.value(Section, key(i));
        names[static_cast<size_t>(i)] = raw ? nameOf(*raw, unicode) : std::string();
        if (!unicode && raw)
            all.append(unquoted(*raw).substr(0, ValueLimit)).push_back('\n');
    }
    if (reading) {
        reading->found = result.ok();
        reading->utf8 = TCp1251::looksUtf8(all);
        reading->encoding = encoding;
    }
    return TFileResult::success();
}

TFileResult TNamesFile::write(const std::string& path, const Names& names)
{
    Names encoded;
    for (int i = 0; i < Count; ++i) {
        const auto bytes = storable(names[static_cast<size_t>(i)]);
        if (!bytes)
            return TFileResult::failure(path,
                                        "the name of IN-" + std::to_string(i + 1)
                                            + " holds a character that Windows-1251 cannot store, a line break,"
                                              " or more than 2047 characters");
        encoded[static_cast<size_t>(i)] = quoted(*bytes);
    }

    // The rest of an existing file is kept; a missing file or one that is no
    // regular file has none, and the write tells what is wrong with it.
    std::string text;
    TUnicodeText::Encoding encoding = TUnicodeText::Encoding::None;
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode))
        if (const TFileResult result = readText(path, text, encoding); !result)
            return result;
    // A file in Unicode is edited as UTF-8 text and written in Windows-1251 whole.
    const bool unicode = encoding != TUnicodeText::Encoding::None;
    TIniText ini(text);
    for (int i = 0; i < Count; ++i) {
        const std::string& value = encoded[static_cast<size_t>(i)];
        ini.setValue(Section, key(i), unicode ? TCp1251::toUtf8(value) : value);
    }
    if (!unicode)
        return TAtomicFile::write(path, ini.text());
    const std::optional<std::string> bytes = TCp1251::fromUtf8(ini.text());
    if (!bytes)
        return TFileResult::failure(path,
                                    "the file is in " + TUnicodeText::name(encoding)
                                        + " and holds, besides the names, characters that Windows-1251 cannot store");
    return TAtomicFile::write(path, *bytes);
}

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
// Names files are a few kilobytes; anything far larger is no names file and
// is neither loaded whole nor cut short by a save.
constexpr size_t FileLimit = 4 * 1024 * 1024;

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

std::string TNamesFile::nameOf(std::string_view raw)
{
    return TCp1251::toUtf8(unquoted(raw));
}

std::string TNamesFile::quoted(const std::string& bytes)
{
    const bool needsQuotes = !bytes.empty()
        && (Blanks.find(bytes.front()) != std::string_view::npos || Blanks.find(bytes.back()) != std::string_view::npos
            || hasQuotePair(bytes));
    return needsQuotes ? "\"" + bytes + "\"" : bytes;
}

std::string TNamesFile::unquoted(std::string_view raw)
{
    // A NUL or a carriage return inside a line ends the value there, as it
    // would end the C string the Windows functions return: a name holding one
    // could never be saved again.
    raw = raw.substr(0, raw.find_first_of(std::string_view("\0\r", 2)));
    while (!raw.empty() && Blanks.find(raw.back()) != std::string_view::npos)
        raw.remove_suffix(1);
    if (hasQuotePair(raw))
        raw = raw.substr(1, raw.size() - 2);
    return std::string(raw.substr(0, ValueLimit));
}

TFileResult TNamesFile::read(const std::string& path, Names& names, Reading* reading)
{
    std::string text;
    const TFileResult result = TFileReader::read(path, FileLimit, text);
    if (!result && result.code() != ENOENT)
        return result;
    const TIniText ini(text);
    std::string all;
    for (int i = 0; i < Count; ++i) {
        const auto raw = ini.value(Section, key(i));
        const std::string bytes = raw ? unquoted(*raw) : std::string();
        all += bytes + '\n';
        names[static_cast<size_t>(i)] = TCp1251::toUtf8(bytes);
    }
    if (reading) {
        reading->found = result.ok();
        reading->utf8 = TCp1251::looksUtf8(all);
    }
    return TFileResult::success();
}

TFileResult TNamesFile::readExisting(const std::string& path, std::string& text)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return TFileResult::success(); // nothing to keep; the write reports what is wrong
    TFileResult result = TFileReader::read(path, FileLimit + 1, text);
    if (result && text.size() > FileLimit)
        return TFileResult::fromErrno(path, EFBIG);
    return result;
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

    std::string text;
    if (const TFileResult result = readExisting(path, text); !result)
        return result;
    TIniText ini(text);
    for (int i = 0; i < Count; ++i)
        ini.setValue(Section, key(i), encoded[static_cast<size_t>(i)]);
    return TAtomicFile::write(path, ini.text());
}

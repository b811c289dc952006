#include "project/TUnicodeText.h"

#include <cstdint>

namespace {

constexpr std::string_view Utf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view Utf16LeMark = "\xFF\xFE";
constexpr std::string_view Utf16BeMark = "\xFE\xFF";
constexpr char32_t Replacement = 0xFFFD;

std::string fromUtf8(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        const std::optional<char32_t> c = TUnicodeText::take(text);
        if (!c)
            text.remove_prefix(1);
        TUnicodeText::append(out, c.value_or(Replacement));
    }
    return out;
}

std::string fromUtf16(std::string_view bytes, bool bigEndian)
{
    std::string out;
    out.reserve(bytes.size());
    const auto unit = [&](size_t i) {
        const auto a = static_cast<uint8_t>(bytes[i]);
        const auto b = static_cast<uint8_t>(bytes[i + 1]);
        return static_cast<char16_t>(bigEndian ? (a << 8) | b : (b << 8) | a);
    };
    size_t i = 0;
    for (; i + 1 < bytes.size(); i += 2) {
        const char16_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 3 < bytes.size()) {
            const char16_t low = unit(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                TUnicodeText::append(out, 0x10000 + ((char32_t{u} - 0xD800) << 10) + (low - 0xDC00));
                i += 2;
                continue;
            }
        }
        TUnicodeText::append(out, u >= 0xD800 && u <= 0xDFFF ? Replacement : char32_t{u});
    }
    if (i < bytes.size())
        TUnicodeText::append(out, Replacement);
    return out;
}

} // namespace

std::optional<char32_t> TUnicodeText::take(std::string_view& text)
{
    const auto lead = static_cast<uint8_t>(text.front());
    int length = 0;
    char32_t c = 0;
    char32_t least = 0;
    if (lead < 0x80) {
        text.remove_prefix(1);
        return lead;
    }
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        c = lead & 0x1F;
        least = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        c = lead & 0x0F;
        least = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        c = lead & 0x07;
        least = 0x10000;
    } else {
        return std::nullopt;
    }
    if (text.size() < static_cast<size_t>(length))
        return std::nullopt;
    for (int i = 1; i < length; ++i) {
        const auto next = static_cast<uint8_t>(text[static_cast<size_t>(i)]);
        if ((next & 0xC0) != 0x80)
            return std::nullopt;
        c = (c << 6) | (next & 0x3F);
    }
    if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return std::nullopt;
    text.remove_prefix(static_cast<size_t>(length));
    return c;
}

void TUnicodeText::append(std::string& utf8, char32_t c)
{
    if (c < 0x80) {
        utf8 += static_cast<char>(c);
    } else if (c < 0x800) {
        utf8 += static_cast<char>(0xC0 | (c >> 6));
        utf8 += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        utf8 += static_cast<char>(0xE0 | (c >> 12));
        utf8 += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        utf8 += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        utf8 += static_cast<char>(0xF0 | (c >> 18));
        utf8 += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        utf8 += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        utf8 += static_cast<char>(0x80 | (c & 0x3F));
    }
}

TUnicodeText::Encoding TUnicodeText::marked(std::string_view bytes)
{
    if (bytes.substr(0, Utf8Mark.size()) == Utf8Mark)
        return Encoding::Utf8;
    if (bytes.substr(0, Utf16LeMark.size()) == Utf16LeMark)
        return Encoding::Utf16Le;
    if (bytes.substr(0, Utf16BeMark.size()) == Utf16BeMark)
        return Encoding::Utf16Be;
    // Without a mark, UTF-16 has a zero byte in every Latin letter, digit,
    // bracket and line end, all on the same side of their characters, and a
    // names file has many such characters (its section heads, its keys, its
    // line ends), however long its names. Text in a one-byte code page has
    // no zero byte at all; a few stray ones make no UTF-16.
    size_t zeros[2] = {0, 0};
    for (size_t i = 0; i < bytes.size(); ++i)
        if (bytes[i] == '\0')
            ++zeros[i % 2];
    const size_t units = bytes.size() / 2;
    const auto onOneSide = [&](size_t side, size_t other) { return other == 0 && side >= 8 && side * 256 >= units; };
    if (bytes.size() % 2 == 0) {
        if (onOneSide(zeros[1], zeros[0]))
            return Encoding::Utf16Le;
        if (onOneSide(zeros[0], zeros[1]))
            return Encoding::Utf16Be;
    }
    return Encoding::None;
}

std::string TUnicodeText::name(Encoding encoding)
{
    switch (encoding) {
    case Encoding::Utf8: return "UTF-8";
    case Encoding::Utf16Le: return "UTF-16LE";
    case Encoding::Utf16Be: return "UTF-16BE";
    case Encoding::None: break;
    }
    return {};
}

std::string TUnicodeText::toUtf8(std::string_view bytes, Encoding encoding)
{
    switch (encoding) {
    case Encoding::Utf8: return fromUtf8(bytes.substr(Utf8Mark.size()));
    case Encoding::Utf16Le:
        return fromUtf16(bytes.substr(bytes.substr(0, 2) == Utf16LeMark ? Utf16LeMark.size() : 0), false);
    case Encoding::Utf16Be:
        return fromUtf16(bytes.substr(bytes.substr(0, 2) == Utf16BeMark ? Utf16BeMark.size() : 0), true);
    case Encoding::None: break;
    }
    return std::string(bytes);
}

std::string_view TUnicodeText::firstCharacters(std::string_view utf8, size_t count)
{
    size_t at = 0;
    for (size_t n = 0; n < count && at < utf8.size(); ++n) {
        ++at;
        while (at < utf8.size() && (static_cast<uint8_t>(utf8[at]) & 0xC0) == 0x80)
            ++at;
    }
    return utf8.substr(0, at);
}

#pragma once
// Text files that begin with a byte-order mark, as Windows' Notepad saves
// them in Unicode: UTF-8, or UTF-16 little- or big-endian. The mark says what
// the bytes are; without one, only UTF-16 is told, by its zero bytes.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

class TUnicodeText {
public:
    enum class Encoding { None, Utf8, Utf16Le, Utf16Be };

    // The encoding the bytes' byte-order mark names, or UTF-16 without a
    // mark where the zero bytes show it.
    static Encoding marked(std::string_view bytes);
    // "UTF-8", "UTF-16LE", "UTF-16BE"; empty for None.
    static std::string name(Encoding encoding);
    // The text after the mark as UTF-8. What is no character of the encoding
    // (a stray byte, a lone surrogate, an odd last byte) reads as U+FFFD.
    static std::string toUtf8(std::string_view bytes, Encoding encoding);
    // Decodes one UTF-8 sequence at the front of text and removes it; nothing
    // for a sequence that is no valid UTF-8 (truncated, overlong, a surrogate
    // or beyond U+10FFFF), which is left in place.
    static std::optional<char32_t> take(std::string_view& text);
    static void append(std::string& utf8, char32_t c);
    // The UTF-8 text cut after count characters.
    static std::string_view firstCharacters(std::string_view utf8, size_t count);
};

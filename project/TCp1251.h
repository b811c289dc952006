#pragma once
// Conversion between UTF-8, which the tool holds in memory, and the
// single-byte Windows-1251 code page of its files. The code page is a fixed
// table built in, so the conversion works whatever converters the system has.

#include <optional>
#include <string>
#include <string_view>

class TCp1251 {
public:
    // The Windows-1251 bytes of a UTF-8 text, or nothing when the text holds
    // a character the code page lacks or is no valid UTF-8. Nothing is ever
    // replaced by a look-alike.
    static std::optional<std::string> fromUtf8(std::string_view text);
    // The UTF-8 text of Windows-1251 bytes. The one byte the code page leaves
    // undefined (0x98) reads as U+FFFD, visibly a character that could not
    // be read, and U+FFFD writes back as 0x98.
    static std::string toUtf8(std::string_view bytes);
    static bool canHold(std::string_view text) { return fromUtf8(text).has_value(); }
    // The UTF-8 text with every character the code page lacks, U+FFFD and
    // every byte that is no valid UTF-8 replaced by '?', as Windows'
    // single-byte functions read Unicode text.
    static std::string held(std::string_view text);
    // True when bytes read as Windows-1251 are most likely UTF-8: they hold
    // characters beyond ASCII and every one is a valid UTF-8 sequence, which
    // Russian text in Windows-1251 practically never is.
    static bool looksUtf8(std::string_view bytes);
};

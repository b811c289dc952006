#pragma once
// The names file: the 24 alarm algorithm names as keys Item0..Item23 of the
// section "Scenic", in Windows-1251, readable and writable by the Windows
// private-profile functions on the machines the projects travel to.
//
// Reading does what those functions do: blanks around a value and one pair
// of matching quotes (single or double) around it are dropped, and a value is
// cut to 2047 characters, what their 2048-character buffer holds. A file in
// Unicode (marked UTF-8 or UTF-16, or UTF-16 without a mark) is read as what
// it is, a character Windows-1251 lacks reading as '?' as it does there.
// Writing quotes a name that would otherwise lose blanks or quotes, so every
// name that canStore() accepts reads back exactly as written, and always
// writes Windows-1251: a file in Unicode becomes one in Windows-1251.

#include "project/TFileResult.h"
#include "project/TUnicodeText.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

class TNamesFile {
public:
    static constexpr int Count = 24;
    static constexpr size_t ValueLimit = 2047;
    using Names = std::array<std::string, Count>; // UTF-8

    // How a read went beyond its result.
    struct Reading {
        bool found = false; // the file was there and read
        bool utf8 = false;  // its names look like UTF-8, read as Windows-1251 all the same
        // The Unicode encoding its byte-order mark named, which it was read in.
        TUnicodeText::Encoding encoding = TUnicodeText::Encoding::None;
    };

    // Names files are a few kilobytes; a larger file is no names file and is
    // neither read nor replaced.
    static constexpr size_t FileLimit = 4 * 1024 * 1024;

    // A missing file, section or key gives empty names. Any other failure
    // (a file larger than FileLimit among them) leaves names unchanged.
    static TFileResult read(const std::string& path, Names& names, Reading* reading = nullptr);
    // Replaces the 24 keys and keeps the rest of an existing file as it was.
    // A name that cannot be stored is refused and nothing is written.
    static TFileResult write(const std::string& path, const Names& names);

    // True if the text can be written as a name and read back unchanged:
    // Windows-1251 holds every character, no line break or NUL, at most
    // 2047 characters.
    static bool canStore(std::string_view name);

    // A name as a value of the file holds it: its Windows-1251 bytes, quoted
    // where blanks or quotes would otherwise be lost; nothing when canStore()
    // refuses it. Other sections of the file keep their texts so too.
    static std::optional<std::string> storedValue(std::string_view name);
    // The name a value of the file stands for, read as the private-profile
    // functions read it; unicode: the file was read as Unicode (readText).
    static std::string nameOf(std::string_view raw, bool unicode = false);
    // The file's text, as UTF-8 when it is marked as Unicode (encoding tells).
    static TFileResult readText(const std::string& path, std::string& text, TUnicodeText::Encoding& encoding);

private:
    static std::string key(int index);
    static std::string quoted(const std::string& bytes);
    static std::string_view unquoted(std::string_view raw);
};

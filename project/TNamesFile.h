#pragma once
// The names file: the 24 alarm algorithm names as keys Item0..Item23 of the
// section "Scenic", and the names of the site, its zones, relays, inputs'
// causes and messages in sections of their own (TSiteNames::entries() has
// their sections and keys), in Windows-1251, readable and writable by the
// Windows private-profile functions on the machines the projects travel to.
//
// Reading does what those functions do: blanks around a value and one pair
// of matching quotes (single or double) around it are dropped, a value is
// cut to 2047 characters, what their 2048-character buffer holds, and a NUL
// ends it, as it ends the C string they return. A file in Unicode (marked
// UTF-8 or UTF-16, or UTF-16 without a mark) is read as what it is, a
// character Windows-1251 lacks reading as '?' as it does there.
// Writing quotes a name that would otherwise lose blanks or quotes, so every
// name that canStore() accepts reads back exactly as written; a value that
// already reads as its name stays as it is, and the site's names that are
// empty leave the file. It always writes Windows-1251: a file in Unicode
// becomes one in Windows-1251. Everything else in the file stays as it was.

#include "image/TSiteNames.h"
#include "project/TFileResult.h"
#include "project/TUnicodeText.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

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
        // A name a NUL byte cut short, with more after the NUL: where it is ("IN-3", "[Zones]
        // LB2.OUT3"), what was read of it and what followed the NUL, which
        // no name can hold. Saving the name unchanged keeps the line as it is.
        struct Cut {
            std::string where;
            std::string kept;
            std::string lost;
        };
        std::vector<Cut> cut;
    };

    // Names files are a few kilobytes; a larger file is no names file and is
    // neither read nor replaced.
    static constexpr size_t FileLimit = 4 * 1024 * 1024;

    // A missing file, section or key gives empty names. Any other failure
    // (a file larger than FileLimit among them) leaves the names unchanged.
    static TFileResult read(const std::string& path, Names& names, TSiteNames& site, Reading* reading = nullptr);
    // The algorithm names alone.
    static TFileResult read(const std::string& path, Names& names, Reading* reading = nullptr);
    // Every section in one atomic write. A name that cannot be stored is
    // refused and nothing is written.
    static TFileResult write(const std::string& path, const Names& names, const TSiteNames& site);
    // The algorithm names alone: the other sections stay as they are.
    static TFileResult write(const std::string& path, const Names& names);
    // The bytes write() would put at path, without writing them; site null:
    // the algorithm names alone.
    static TFileResult edited(const std::string& path, const Names& names, const TSiteNames* site, std::string& bytes);

    // True if the text can be written as a name and read back unchanged:
    // Windows-1251 holds every character, no line break or NUL, at most
    // 2047 characters.
    static bool canStore(std::string_view name);

    // The name a value of the file stands for, read as the private-profile
    // functions read it; unicode: the file was read as Unicode (readText).
    static std::string nameOf(std::string_view raw, bool unicode = false);
    // The file's text, as UTF-8 when it is marked as Unicode (encoding tells).
    static TFileResult readText(const std::string& path, std::string& text, TUnicodeText::Encoding& encoding);
};

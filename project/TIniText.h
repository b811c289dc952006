#pragma once
// The text of an INI file, edited in place as the Windows private-profile
// functions see it: section and key names match without regard to case,
// blanks around names and values do not count, the first section of a name
// and the first key of a name in it are the ones that count (a second
// section of that name is never read nor written), lines end in CRLF, LF or
// a CR alone, and a section's name ends at its first ']'. Values are raw
// bytes: no code page, no quotes handled here.
//
// Changing a value touches nothing but that value: every other line, comment,
// blank and line end stays byte for byte.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

class TIniText {
public:
    explicit TIniText(std::string_view text = {});

    // The value with blanks around it removed; nothing if the key is absent.
    std::optional<std::string> value(std::string_view section, std::string_view key) const;
    // Replaces the value where the key exists; otherwise adds the key after
    // the last key of the section, or the section at the end of the text.
    void setValue(std::string_view section, std::string_view key, std::string_view value);
    // Removes the key's lines; a section left with nothing but blank lines
    // goes too, with the blank line before its header, unless another
    // section of its name follows, which would then count in its place.
    void removeKey(std::string_view section, std::string_view key);
    bool hasSection(std::string_view section) const { return findSection(section).has_value(); }

    std::string text() const;

private:
    struct Line {
        std::string body;
        std::string end; // "\r\n", "\n", "\r", or empty for a last line without one
    };
    struct KeyLine {
        std::string name;
        size_t valueStart = 0; // where the value begins in the body
        bool hasEquals = false;
    };

    static std::optional<std::string> sectionName(const std::string& body);
    static std::optional<KeyLine> keyLine(const std::string& body);

    // Index of the section's header line, or nothing.
    std::optional<size_t> findSection(std::string_view section) const;
    // One past the section's last line.
    size_t sectionEnd(size_t header) const;
    std::optional<size_t> findKey(size_t header, std::string_view key) const;
    std::string newline() const;
    void insertLine(size_t at, std::string body);

    std::vector<Line> m_lines;
};

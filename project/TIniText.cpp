#include "project/TIniText.h"

#include <algorithm>
#include <cctype>

namespace {

constexpr std::string_view Blanks = " \t\v\f\r\x1a";

std::string_view trimmed(std::string_view text)
{
    const size_t first = text.find_first_not_of(Blanks);
    if (first == std::string_view::npos)
        return {};
    const size_t last = text.find_last_not_of(Blanks);
    return text.substr(first, last - first + 1);
}

bool sameName(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

} // namespace

TIniText::TIniText(std::string_view text)
{
    // A line ends in CR LF, LF or a CR alone (files from old Macs and some
    // editors), as the Windows functions split them.
    while (!text.empty()) {
        const size_t at = text.find_first_of("\r\n");
        if (at == std::string_view::npos) {
            m_lines.push_back({std::string(text), {}});
            break;
        }
        const size_t endLength = text.substr(at, 2) == "\r\n" ? 2 : 1;
        m_lines.push_back({std::string(text.substr(0, at)), std::string(text.substr(at, endLength))});
        text.remove_prefix(at + endLength);
    }
}

std::string TIniText::text() const
{
    std::string out;
    for (const Line& line : m_lines)
        out += line.body + line.end;
    return out;
}

std::optional<std::string> TIniText::sectionName(const std::string& body)
{
    // The name ends at the first ']', or at the end of a line without one.
    const std::string_view line = trimmed(body);
    if (line.empty() || line.front() != '[')
        return std::nullopt;
    return std::string(trimmed(line.substr(1, line.find(']') - 1)));
}

std::optional<TIniText::KeyLine> TIniText::keyLine(const std::string& body)
{
    const std::string_view line = trimmed(body);
    if (line.empty() || line.front() == ';' || sectionName(body))
        return std::nullopt;
    const size_t equals = body.find('=');
    if (equals == std::string::npos)
        return KeyLine{std::string(line), body.size(), false};
    const size_t valueStart = body.find_first_not_of(Blanks, equals + 1);
    return KeyLine{std::string(trimmed(std::string_view(body).substr(0, equals))),
                   valueStart == std::string::npos ? body.size() : valueStart, true};
}

std::optional<size_t> TIniText::findSection(std::string_view section) const
{
    for (size_t i = 0; i < m_lines.size(); ++i) {
        const auto name = sectionName(m_lines[i].body);
        if (name && sameName(*name, section))
            return i;
    }
    return std::nullopt;
}

size_t TIniText::sectionEnd(size_t header) const
{
    size_t i = header + 1;
    while (i < m_lines.size() && !sectionName(m_lines[i].body))
        ++i;
    return i;
}

std::optional<size_t> TIniText::findKey(size_t header, std::string_view key) const
{
    const size_t end = sectionEnd(header);
    for (size_t i = header + 1; i < end; ++i) {
        const auto line = keyLine(m_lines[i].body);
        if (line && sameName(line->name, key))
            return i;
    }
    return std::nullopt;
}

std::optional<std::string> TIniText::value(std::string_view section, std::string_view key) const
{
    const auto header = findSection(section);
    if (!header)
        return std::nullopt;
    const auto at = findKey(*header, key);
    if (!at)
        return std::nullopt;
    const std::string& body = m_lines[*at].body;
    return std::string(trimmed(std::string_view(body).substr(keyLine(body)->valueStart)));
}

std::string TIniText::newline() const
{
    // New lines end as the file's lines do where they all end alike.
    std::string end;
    for (const Line& line : m_lines)
        if (!line.end.empty() && line.end != end) {
            if (!end.empty())
                return "\r\n";
            end = line.end;
        }
    return end.empty() ? "\r\n" : end;
}

void TIniText::insertLine(size_t at, std::string body)
{
    const std::string end = newline();
    if (at > 0 && m_lines[at - 1].end.empty())
        m_lines[at - 1].end = end;
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(at), Line{std::move(body), end});
}

void TIniText::setValue(std::string_view section, std::string_view key, std::string_view value)
{
    auto header = findSection(section);
    if (!header) {
        if (!m_lines.empty() && !trimmed(m_lines.back().body).empty())
            insertLine(m_lines.size(), {});
        insertLine(m_lines.size(), "[" + std::string(section) + "]");
        header = m_lines.size() - 1;
    }
    if (const auto at = findKey(*header, key)) {
        std::string& body = m_lines[*at].body;
        const KeyLine line = *keyLine(body);
        body = body.substr(0, line.valueStart) + (line.hasEquals ? "" : "=") + std::string(value);
        return;
    }
    size_t after = *header;
    const size_t end = sectionEnd(*header);
    for (size_t i = *header + 1; i < end; ++i)
        if (keyLine(m_lines[i].body))
            after = i;
    insertLine(after + 1, std::string(key) + "=" + std::string(value));
}

void TIniText::removeKey(std::string_view section, std::string_view key)
{
    const auto header = findSection(section);
    if (!header)
        return;
    // Every line of the key goes: a second one would count in its place.
    while (const auto at = findKey(*header, key))
        m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(*at));
    const size_t end = sectionEnd(*header);
    for (size_t i = *header + 1; i < end; ++i)
        if (!trimmed(m_lines[i].body).empty())
            return;
    // A later section of the same name would take this one's place.
    for (size_t i = end; i < m_lines.size(); ++i)
        if (const auto name = sectionName(m_lines[i].body); name && sameName(*name, section))
            return;
    const bool blankBefore = *header > 0 && trimmed(m_lines[*header - 1].body).empty();
    const size_t first = blankBefore ? *header - 1 : *header;
    m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(first),
                  m_lines.begin() + static_cast<std::ptrdiff_t>(end));
}

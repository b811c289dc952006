#include "project/TAcceptanceFile.h"

#include "image/ImageLayout.h"
#include "image/TTargetKey.h"
#include "project/TAtomicFile.h"
#include "project/TFileReader.h"
#include "project/TProjectName.h"
#include "project/TUnicodeText.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

using Verdict = TAcceptanceResult::Verdict;

constexpr const char* Header = "# kt7config: результаты испытаний: вход, этап, зона или реле, результат, отпечаток, "
                               "время, испытатель, примечание\n";
constexpr size_t Fields = 8;
constexpr Verdict Verdicts[] = {Verdict::Pass, Verdict::Fail, Verdict::Unchecked};

bool utf8(std::string_view text)
{
    while (!text.empty())
        if (!TUnicodeText::take(text))
            return false;
    return true;
}

bool control(char c)
{
    return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
}

std::string escaped(const std::string& text)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : text) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\t')
            out += "\\t";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else if (control(c))
            out += std::string("\\x") + hex[(c >> 4) & 0xF] + hex[c & 0xF];
        else
            out += c;
    }
    return out;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// The control character that "\xNN" at text[at] stands for, or -1. Only
// control characters are written so: any other byte could make the text no
// UTF-8.
int controlAt(std::string_view text, size_t at)
{
    if (at + 3 >= text.size() || text[at + 1] != 'x')
        return -1;
    const int high = hexDigit(text[at + 2]);
    const int low = hexDigit(text[at + 3]);
    if (high < 0 || low < 0 || !control(static_cast<char>(high * 16 + low)))
        return -1;
    return high * 16 + low;
}

// A backslash before anything else than what escaped() writes stands for itself.
std::string unescaped(std::string_view text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const char next = i + 1 < text.size() ? text[i + 1] : '\0';
        if (c != '\\' || next == '\0') {
            out += c;
        } else if (next == '\\' || next == 't' || next == 'n' || next == 'r') {
            out += next == 't' ? '\t' : next == 'n' ? '\n' : next == 'r' ? '\r' : '\\';
            ++i;
        } else if (const int code = controlAt(text, i); code >= 0) {
            out += static_cast<char>(code);
            i += 3;
        } else {
            out += c;
        }
    }
    return out;
}

// A whole decimal number from min to max, without sign or leading zero.
std::optional<int> number(std::string_view text, int min, int max)
{
    if (text.empty() || text.size() > 2 || text[0] == '0')
        return std::nullopt;
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = 10 * value + (c - '0');
    }
    return value >= min && value <= max ? std::optional<int>(value) : std::nullopt;
}

bool fingerprint(std::string_view text)
{
    return text.size() == 16 && std::all_of(text.begin(), text.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
           });
}

std::vector<std::string_view> split(std::string_view line, char separator)
{
    std::vector<std::string_view> parts;
    for (size_t start = 0;;) {
        const size_t end = line.find(separator, start);
        parts.push_back(line.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (end == std::string_view::npos)
            return parts;
        start = end + 1;
    }
}

} // namespace

std::string TAcceptanceFile::pathFor(const std::string& projectPath)
{
    const std::string names = TProjectName::namesFilePath(projectPath);
    return names.substr(0, names.size() - 4) + ".results.txt";
}

std::optional<std::string> TAcceptanceFile::line(const TAcceptanceResult& r)
{
    if (r.input < 1 || r.input > Layout::InputCount || r.stage < 1 || r.stage > Layout::StageCount
        || !TTargetKey::valid(r.target) || !fingerprint(r.fingerprint) || !utf8(r.time) || !utf8(r.tester)
        || !utf8(r.note))
        return std::nullopt;
    return "IN-" + std::to_string(r.input) + "\t" + std::to_string(r.stage) + "\t" + r.target + "\t"
        + TAcceptanceResult::word(r.verdict) + "\t" + r.fingerprint + "\t" + escaped(r.time) + "\t" + escaped(r.tester)
        + "\t" + escaped(r.note);
}

std::optional<TAcceptanceResult> TAcceptanceFile::parse(std::string_view line, std::string& reason)
{
    reason.clear();
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    if (line.find_first_not_of(" \t") == std::string_view::npos || line.front() == '#')
        return std::nullopt;
    if (!utf8(line)) {
        reason = "строка не в UTF-8";
        return std::nullopt;
    }
    const std::vector<std::string_view> f = split(line, '\t');
    // A remark left empty may have lost its tab to an editor.
    if (f.size() != Fields && f.size() != Fields - 1) {
        reason = "ожидалось 8 полей через табуляцию, а их " + std::to_string(f.size());
        return std::nullopt;
    }
    TAcceptanceResult r;
    const std::optional<int> input
        = f[0].substr(0, 3) == "IN-" ? number(f[0].substr(3), 1, Layout::InputCount) : std::nullopt;
    const std::optional<int> stage = number(f[1], 1, Layout::StageCount);
    const auto verdict = std::find_if(std::begin(Verdicts), std::end(Verdicts),
                                      [&](Verdict v) { return f[3] == TAcceptanceResult::word(v); });
    if (!input)
        reason = "вход «" + std::string(f[0]) + "» не из IN-1 … IN-24";
    else if (!stage)
        reason = "этап «" + std::string(f[1]) + "» не из 1 … 5";
    else if (!TTargetKey::valid(f[2]))
        reason = "«" + std::string(f[2]) + "» не зона и не реле (LB2.OUT3, CU.K1, RM1.K2)";
    else if (verdict == std::end(Verdicts))
        reason = "результат «" + std::string(f[3]) + "» не «годен», «не годен» или «не проверено»";
    else if (!fingerprint(f[4]))
        reason = "отпечаток «" + std::string(f[4]) + "» не из 16 шестнадцатеричных цифр";
    if (!reason.empty())
        return std::nullopt;
    r.input = *input;
    r.stage = *stage;
    r.target = std::string(f[2]);
    r.verdict = *verdict;
    r.fingerprint = std::string(f[4]);
    r.time = unescaped(f[5]);
    r.tester = unescaped(f[6]);
    r.note = f.size() == Fields ? unescaped(f[7]) : std::string();
    return r;
}

TFileResult TAcceptanceFile::read(const std::string& path, Contents& contents)
{
    std::string text;
    if (const TFileResult result = TFileReader::read(path, FileLimit + 1, text); !result) {
        if (result.code() != ENOENT)
            return result;
        contents = Contents();
        return TFileResult::success();
    }
    if (text.size() > FileLimit)
        return TFileResult::failure(path, "larger than 16 MB: no results file");
    Contents read;
    read.found = true;
    int number = 0;
    for (const std::string_view line : split(text, '\n')) {
        ++number;
        std::string reason;
        if (std::optional<TAcceptanceResult> r = parse(line, reason))
            read.results.push_back(std::move(*r));
        else if (!reason.empty())
            read.damaged.push_back({number, std::move(reason)});
    }
    contents = std::move(read);
    return TFileResult::success();
}

TFileResult TAcceptanceFile::record(const std::string& path, const std::vector<TAcceptanceResult>& results,
                                    Contents* contents)
{
    std::vector<std::string> added;
    for (const TAcceptanceResult& r : results) {
        const std::optional<std::string> text = line(r);
        if (!text)
            return TFileResult::failure(path,
                                        "IN-" + std::to_string(r.input) + ", " + r.target
                                            + ": the result cannot be written (a text that is no UTF-8, or "
                                              "a field out of its range)");
        added.push_back(*text);
    }
    std::string text;
    if (const TFileResult result = TFileReader::read(path, FileLimit + 1, text); !result && result.code() != ENOENT)
        return result;
    if (text.size() > FileLimit)
        return TFileResult::failure(path, "larger than 16 MB: no results file, not replaced");
    if (text.empty())
        text = Header;
    if (text.back() != '\n')
        text += '\n';
    text.pop_back();
    std::vector<std::string> lines;
    for (const std::string_view l : split(text, '\n'))
        lines.emplace_back(l);

    for (size_t n = 0; n < results.size(); ++n) {
        // The line of the same effect, the last where a file holds several.
        auto same = lines.rend();
        for (auto l = lines.rbegin(); l != lines.rend(); ++l) {
            std::string reason;
            const std::optional<TAcceptanceResult> old = parse(*l, reason);
            if (old && old->sameEffect(results[n])) {
                same = l;
                break;
            }
        }
        if (same == lines.rend())
            lines.push_back(added[n]);
        else
            *same = added[n];
    }
    std::string written;
    for (const std::string& l : lines)
        written += l + "\n";
    if (const TFileResult result = TAtomicFile::write(path, written); !result)
        return result;
    return contents ? read(path, *contents) : TFileResult::success();
}

std::string TAcceptanceFile::now()
{
    const std::time_t t = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&t, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%S", &local);
    const long offset = local.tm_gmtoff / 60;
    char zone[32];
    std::snprintf(zone, sizeof zone, "%c%02ld:%02ld", offset < 0 ? '-' : '+', std::labs(offset) / 60,
                  std::labs(offset) % 60);
    return std::string(stamp) + zone;
}

#include "project/TCp1251.h"

#include "project/TUnicodeText.h"

#include <array>
#include <cstdint>

namespace {

constexpr char32_t Replacement = 0xFFFD;

// The characters of bytes 0x80..0xFF. Byte 0x98 has none in the code page;
// it reads as U+FFFD, the character that stands for one that cannot be read,
// which shows where an invisible control character U+0098 would not, and
// writes back as 0x98, so that it survives a read and a write unchanged.
// Bytes below 0x80 are ASCII.
constexpr std::array<char16_t, 128> Upper = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A,
    0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0xFFFD, 0x2122,
    0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6,
    0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456,
    0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457, 0x0410,
    0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417, 0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D,
    0x041E, 0x041F, 0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427, 0x0428, 0x0429, 0x042A,
    0x042B, 0x042C, 0x042D, 0x042E, 0x042F, 0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F, 0x0440, 0x0441, 0x0442, 0x0443, 0x0444,
    0x0445, 0x0446, 0x0447, 0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
};

// The byte of a character, or -1 when the code page lacks it.
int byteOf(char32_t c)
{
    if (c < 0x80)
        return static_cast<int>(c);
    for (size_t i = 0; i < Upper.size(); ++i)
        if (Upper[i] == c)
            return static_cast<int>(0x80 + i);
    return -1;
}

} // namespace

std::optional<std::string> TCp1251::fromUtf8(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        const std::optional<char32_t> c = TUnicodeText::take(text);
        if (!c)
            return std::nullopt;
        const int byte = byteOf(*c);
        if (byte < 0)
            return std::nullopt;
        out += static_cast<char>(byte);
    }
    return out;
}

std::string TCp1251::held(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        const std::string_view rest = text;
        const std::optional<char32_t> c = TUnicodeText::take(text);
        if (!c)
            text.remove_prefix(1);
        if (c && *c != Replacement && byteOf(*c) >= 0)
            out.append(rest.substr(0, rest.size() - text.size()));
        else
            out += '?';
    }
    return out;
}

bool TCp1251::looksUtf8(std::string_view bytes)
{
    bool beyondAscii = false;
    while (!bytes.empty()) {
        beyondAscii = beyondAscii || static_cast<uint8_t>(bytes.front()) >= 0x80;
        if (!TUnicodeText::take(bytes))
            return false;
    }
    return beyondAscii;
}

std::string TCp1251::toUtf8(std::string_view bytes)
{
    std::string out;
    out.reserve(2 * bytes.size());
    for (const char b : bytes) {
        const auto byte = static_cast<uint8_t>(b);
        TUnicodeText::append(out, byte < 0x80 ? char32_t{byte} : char32_t{Upper[byte - 0x80u]});
    }
    return out;
}

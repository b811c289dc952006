#include "project/TCp1251.h"

#include <cerrno>
#include <iconv.h>
#include <stdexcept>

namespace {

// One conversion descriptor for the length of one call, so that calls from
// several threads never share state.
class Converter {
public:
    Converter(const char* to, const char* from) : m_cd(iconv_open(to, from))
    {
        if (m_cd == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error(std::string("iconv cannot convert from ") + from + " to " + to);
    }
    ~Converter() { iconv_close(m_cd); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts as much as it can; returns the errno that stopped it, 0 at the end.
    int convert(std::string_view& in, std::string& out)
    {
        char* src = const_cast<char*>(in.data());
        size_t srcLeft = in.size();
        const size_t start = out.size();
        out.resize(start + 4 * in.size() + 4);
        char* dst = out.data() + start;
        size_t dstLeft = out.size() - start;
        const size_t rc = iconv(m_cd, &src, &srcLeft, &dst, &dstLeft);
        const int error = rc == static_cast<size_t>(-1) ? errno : 0;
        out.resize(out.size() - dstLeft);
        in.remove_prefix(in.size() - srcLeft);
        return error;
    }

private:
    iconv_t m_cd;
};

// The byte the code page leaves undefined and the character Windows reads
// it as, U+0098, so that it survives a read and a write unchanged.
constexpr char UndefinedByte = '\x98';
constexpr std::string_view Undefined = "\xC2\x98";

} // namespace

std::optional<std::string> TCp1251::fromUtf8(std::string_view text)
{
    Converter converter("CP1251", "UTF-8");
    std::string out;
    while (const int error = converter.convert(text, out)) {
        if (error != EILSEQ || !text.starts_with(Undefined))
            return std::nullopt;
        out += UndefinedByte;
        text.remove_prefix(Undefined.size());
    }
    return out;
}

std::string TCp1251::toUtf8(std::string_view bytes)
{
    Converter converter("UTF-8", "CP1251");
    std::string out;
    while (converter.convert(bytes, out) == EILSEQ) {
        out += Undefined;
        bytes.remove_prefix(1);
    }
    return out;
}


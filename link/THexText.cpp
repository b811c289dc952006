#include "link/THexText.h"

std::string THexText::of(unsigned value, int digits)
{
    static constexpr char Digits[] = "0123456789ABCDEF";
    std::string text(static_cast<size_t>(digits), '0');
    for (int i = digits - 1; i >= 0; --i, value >>= 4)
        text[static_cast<size_t>(i)] = Digits[value & 0xF];
    return text;
}

#pragma once
// A piece of text with one font size and weight; a page break is a run of its own.

#include <string>

struct TTextRun {
    std::string text; // UTF-8, no line breaks
    int sizePt = 10;
    bool bold = false;
    bool pageBreak = false;

    bool operator==(const TTextRun&) const = default;
};

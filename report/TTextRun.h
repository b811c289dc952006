#pragma once
// A piece of text with one font size and weight; a page break is a run of its
// own. A field run holds what the word processor computes when it lays the
// pages out (PAGE, NUMPAGES); its text stands until it does.

#include <string>

struct TTextRun {
    std::string text; // UTF-8, no line breaks
    int sizePt = 10;
    bool bold = false;
    bool pageBreak = false;
    std::string field;

    bool operator==(const TTextRun&) const = default;
};

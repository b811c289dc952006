#pragma once
// The page of a section: A4 upright or on its side, and its margins.

#include "report/TLength.h"

struct TPageSetup {
    bool landscape = false;
    TTwips left = MarginLeft;
    TTwips right = MarginRight;
    TTwips top = MarginTop;
    TTwips bottom = MarginBottom;

    TTwips width() const { return landscape ? PageHeight : PageWidth; }
    TTwips height() const { return landscape ? PageWidth : PageHeight; }
    TTwips textWidth() const { return width() - left - right; }

    bool operator==(const TPageSetup&) const = default;
};

#pragma once
// Every length of the document model is kept in twentieths of a point (twips),
// the unit the .docx format stores; the report states its widths in points.

using TTwips = int;

constexpr TTwips TwipsPerPoint = 20;
constexpr TTwips points(int pt)
{
    return pt * TwipsPerPoint;
}

// The page: A4 with margins of 3 cm left, 1.5 cm right and 2 cm top and bottom.
constexpr TTwips PageWidth = 11906;
constexpr TTwips PageHeight = 16838;
constexpr TTwips MarginLeft = 1701;
constexpr TTwips MarginRight = 851;
constexpr TTwips MarginTop = 1134;
constexpr TTwips MarginBottom = 1134;
// A new table spans the text width in equal columns until its widths are set.
constexpr TTwips TextWidth = PageWidth - MarginLeft - MarginRight;

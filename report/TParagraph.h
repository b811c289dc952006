#pragma once
// A paragraph: its runs and its alignment. The last paragraph of a section
// carries the page of the section it ends; the next section starts on a new page.

#include "report/TPageSetup.h"
#include "report/TTextRun.h"

#include <optional>
#include <vector>

enum class TAlign { Left = 0, Centre = 1 };

struct TParagraph {
    std::vector<TTextRun> runs;
    TAlign align = TAlign::Left;
    std::optional<TPageSetup> sectionEnd;
    // Kept on the page of the paragraph or table that follows.
    bool keepWithNext = false;

    bool empty() const { return runs.empty(); }
    std::string text() const
    {
        std::string all;
        for (const TTextRun& run : runs)
            all += run.text;
        return all;
    }
};

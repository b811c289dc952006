#pragma once
// A paragraph: its runs and its alignment.

#include "report/TTextRun.h"

#include <vector>

enum class TAlign { Left = 0, Centre = 1 };

struct TParagraph {
    std::vector<TTextRun> runs;
    TAlign align = TAlign::Left;

    bool empty() const { return runs.empty(); }
    std::string text() const
    {
        std::string all;
        for (const TTextRun& run : runs)
            all += run.text;
        return all;
    }
};

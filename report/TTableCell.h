#pragma once
// One cell of a table row. A cell merged across columns has a span of more than
// one grid column; a cell merged down has VMerge::Restart at its top row and
// VMerge::Continue in every row below, where it still occupies its column.

#include "report/TLength.h"
#include "report/TParagraph.h"

#include <optional>
#include <vector>

enum class TVMerge { None, Restart, Continue };
enum class TLineStyle { None = 0, Single = 1, Double = 7 };

struct TTableCell {
    std::vector<TParagraph> paragraphs{TParagraph{}};
    TTwips width = 0;
    TVMerge vmerge = TVMerge::None;
    std::optional<int> shading;           // background colour as Word's BGR number
    TLineStyle bottom = TLineStyle::None; // overrides the table's border when set
    // The cell's row is a heading row, repeated at the top of every page the
    // table continues on; kept by each cell of the row, as the row's bottom border is.
    bool heading = false;
    // The cell's row stays whole on one page, kept by each cell as heading is.
    bool unbroken = false;

    bool empty() const { return paragraphs.size() == 1 && paragraphs.front().empty(); }
};

#pragma once
// The commissioning pack laid out as a document: the title page, the
// verification and the check on upright A4 pages; the cause-and-effect
// matrix and the timelines on pages turned to landscape; the zones of the
// buttons and groups and the signatures upright again. Every page carries
// "стр. N из M" in its footer.
//
// The matrix is cut into parts of whole units (a splitter's four outputs, a
// relay module's four relays, the controller's K1 and K2) that fit a page's
// width; each part is a table of its own with the inputs' heads in its first
// column, so a page read alone names its rows, and its two heading rows
// repeat at the top of every page the part goes on to. The timelines are one
// table on one time scale, the time slices of each stage shaded.

#include "report/TCommissioningPack.h"
#include "report/TDocument.h"

class TPackDocument {
public:
    // Most value columns of one part of the matrix: three units of four.
    static constexpr int MatrixColumns = 12;
    // Most time slices of the timelines' scale.
    static constexpr int TimeSlices = 40;

    static TDocument of(const TCommissioningPack& pack);

    // The page of the matrix and the timelines.
    static TPageSetup landscape();
    // Value columns of each part of the matrix, in order: whole units, at
    // most MatrixColumns each.
    static std::vector<std::vector<size_t>> matrixParts(const std::vector<TCommissioningPack::Column>& columns);
    // Seconds one slice of the time scale stands for: the shortest of 15 s,
    // 30 s, 1, 2, 5, 10, 15, 30, 60 min that shows span in TimeSlices.
    static int sliceSeconds(int span);
};

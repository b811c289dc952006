#pragma once
// The differences between two configurations in words: a fact whose value
// changed gives "key: old → new", a fact only in the first "- line", a fact
// only in the second "+ line", in the order of the descriptions. Then, for
// every byte whose change no differing fact explains (bits outside the fields
// described, data of switched-off algorithms and stages), "Байт 0xOOOO: AA → BB"
// with the offset and both bytes in hexadecimal. Lines are made printable.

#include "image/ImageLayout.h"
#include "image/TImage.h"
#include "image/TSiteNames.h"
#include "report/TConfigFinding.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

class TConfigDiffer {
public:
    // A line of the differences and the tree node whose page shows what it
    // tells, named as the check names nodes; a byte line has none.
    struct Line {
        std::string text;
        std::optional<TConfigFinding> node;
    };
    using Names = std::array<std::string, Layout::InputCount>; // UTF-8

    // Two configurations as they are opened, each with its names, or none
    // when it has no names file (a backup, the controller's image): a side
    // without names has unknown names, not empty ones, so names are compared
    // only where both sides have them. The names of the site, zones and
    // relays come from the names file too; a side that has the algorithm
    // names without them (nullptr) has none. Before the bytes come the
    // algorithm names that differ where the facts do not tell it (an
    // algorithm switched off on either side), as "IN-n, Имя: old → new".
    static std::vector<Line> compare(const TImage& a, const Names* namesA, const TImage& b, const Names* namesB,
                                     const TSiteNames* siteA = nullptr, const TSiteNames* siteB = nullptr);
    // The lines' texts alone.
    static std::vector<std::string> texts(const std::vector<Line>& lines);
};

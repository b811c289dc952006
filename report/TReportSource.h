#pragma once
// The report's input for a project as the window shows it after opening: the
// composition boxes show the stored counts (a count beyond a box's list shows
// nothing), the music grid shows the mask bits of the present splitters while
// music is on, and each input node is captioned "IN-" + number, a blank and
// the algorithm name.

#include "report/TReportInput.h"

#include <array>
#include <string>

class TReportSource {
public:
    using Names = std::array<std::string, Layout::InputCount>; // UTF-8

    static TReportInput of(const TImage& image, const Names& names, std::string projectName, std::string dateTime,
                           const TSiteNames& site = {});

    // Number of splitters, or 0 when the stored field holds no valid count.
    static int splitters(const TImage& image);
    static std::string caption(int input, const std::string& name);
};

#pragma once
// The timelines of alarm algorithms as one SVG document, for design
// documents and version control: each switched-on input under its heading,
// all on one time scale, drawn from TTimelineLayout. UTF-8.

#include "report/TAlarmPlan.h"

#include <string>
#include <vector>

class TTimelineSvg {
public:
    static constexpr double Width = 900;

    // heads[i] is the heading of plans[i] ("IN-3 name"). A running stage is
    // one <rect class="stage" data-stage="K">, the delay <rect class="delay">;
    // after a delay without a list entry both carry data-start="unknown". A
    // label is one <text> with a <tspan> for each of its parts.
    static std::string document(const std::vector<TAlarmPlan::Input>& plans, const std::vector<std::string>& heads,
                                const TAlarmPlan::Composition& composition);
    // Text with &, <, > and quotes written as entities, and the characters
    // XML 1.0 cannot hold left out.
    static std::string escaped(const std::string& text);
};

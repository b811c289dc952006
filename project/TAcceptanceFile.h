#pragma once
// The results file of the acceptance test, beside the project and named
// after it (site.usr: site.results.txt). UTF-8 text, one result a line, its
// fields separated by tabs:
//
//   IN-3  1  LB2.OUT3  годен  9f3c0a1b2c3d4e5f  2026-12-08T10:27:24+03:00  Иванов И. И.  тихо
//
// input, stage, zone or relay (the names file's key), verdict («годен»,
// «не годен», «не проверено»), the fingerprint of what the input did, the
// local time, the tester and the remark. A backslash, a tab, a line break
// and other control characters in the tester or the remark are written as
// \\, \t, \n, \r and \xNN. Lines that begin with "#" and blank lines are no
// results.
//
// A result is recorded at once: the file is read, the line of the same
// input, stage and target replaced where it is (or the result added at the
// end) and the file replaced atomically, so a crash or a killed program
// leaves either the file before or the file after. Every other line, a
// damaged one included, stays as it was. A damaged line is told with its
// number and why; the rest are read.

#include "image/TAcceptanceResult.h"
#include "project/TFileResult.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class TAcceptanceFile {
public:
    // A results file holds at most some ten thousand lines; a larger file is
    // no results file and is neither read nor replaced.
    static constexpr size_t FileLimit = 16 * 1024 * 1024;

    struct Damaged {
        int line = 0; // 1-based
        std::string reason;
    };
    struct Contents {
        std::vector<TAcceptanceResult> results; // in the file's order
        std::vector<Damaged> damaged;
        bool found = false; // the file was there
    };

    // The results file of the project whose image file is at projectPath.
    static std::string pathFor(const std::string& projectPath);
    // A missing file holds no results. Any other failure leaves contents unchanged.
    static TFileResult read(const std::string& path, Contents& contents);
    // Records the results as one atomic replacement of the file; the file
    // after it is read into contents when given. A failure writes nothing.
    static TFileResult record(const std::string& path, const std::vector<TAcceptanceResult>& results,
                              Contents* contents = nullptr);

    // A result as its line, without the line end; nothing when a text of it
    // is no UTF-8 or a field would not read back.
    static std::optional<std::string> line(const TAcceptanceResult& result);
    // A line read back; nothing, and why in reason, when it is damaged.
    // Blank and comment lines give nothing with an empty reason.
    static std::optional<TAcceptanceResult> parse(std::string_view line, std::string& reason);

    // The local time now, as a result is stamped: "2026-12-08T10:27:24+03:00".
    static std::string now();
};

// Reads arbitrary bytes as the acceptance test's results file and records a
// result into it: reading never fails on content alone and tells every line
// that is neither a result, blank nor a comment as damaged; every result
// read is written as a line that reads back the same; recording replaces
// the last line of the same effect or adds one at the end, and leaves every
// other line, damaged ones included, byte for byte as it was.

#include "tests/fuzz/FuzzCheck.h"
#include "tests/fuzz/TFuzzFolder.h"

#include "project/TAcceptanceFile.h"

#include <string_view>
#include <vector>

namespace {

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out;
    size_t start = 0;
    for (size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', start)) {
        out.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    if (start < text.size())
        out.push_back(text.substr(start));
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const TFuzzFolder& folder = TFuzzFolder::instance();
    const std::string path = folder.path("site.results.txt");
    TFuzzFolder::writeAll(path, data, size);
    const std::string before = TFuzzFolder::readAll(path);

    TAcceptanceFile::Contents contents;
    FUZZ_CHECK(TAcceptanceFile::read(path, contents).ok());
    FUZZ_CHECK(contents.found);
    const std::vector<std::string> old = lines(before);
    size_t counted = 0;
    int last = 0;
    for (const TAcceptanceFile::Damaged& d : contents.damaged) {
        FUZZ_CHECK(d.line > last && static_cast<size_t>(d.line) <= old.size());
        FUZZ_CHECK(!d.reason.empty());
        last = d.line;
    }
    std::vector<size_t> resultLines; // of each result read
    for (size_t n = 0; n < old.size(); ++n) {
        std::string reason;
        if (TAcceptanceFile::parse(old[n], reason)) {
            FUZZ_CHECK(reason.empty());
            resultLines.push_back(n);
        }
        counted += reason.empty() ? 0 : 1;
    }
    FUZZ_CHECK(counted == contents.damaged.size());
    FUZZ_CHECK(resultLines.size() == contents.results.size());
    for (const TAcceptanceResult& r : contents.results) {
        const std::optional<std::string> line = TAcceptanceFile::line(r);
        FUZZ_CHECK(line);
        std::string reason;
        FUZZ_CHECK(TAcceptanceFile::parse(*line, reason) == r);
    }

    // The effect of the first result read, or one no file names.
    TAcceptanceResult added{24,
                            5,
                            "RM6.K4",
                            TAcceptanceResult::Verdict::Fail,
                            "0123456789abcdef",
                            "2026-12-08T10:27:24+03:00",
                            "Иванов",
                            "тихо\tи\\хрипит\n"};
    if (!contents.results.empty()) {
        added.input = contents.results.front().input;
        added.stage = contents.results.front().stage;
        added.target = contents.results.front().target;
    }
    TAcceptanceFile::Contents after;
    FUZZ_CHECK(TAcceptanceFile::record(path, {added}, &after).ok());
    const std::vector<std::string> now = lines(TFuzzFolder::readAll(path));
    size_t replaced = old.size();
    for (size_t n = resultLines.size(); n-- > 0;)
        if (contents.results[n].sameEffect(added)) {
            replaced = resultLines[n];
            break;
        }
    const size_t header = before.empty() ? 1 : 0;
    FUZZ_CHECK(now.size() == header + old.size() + (replaced == old.size() ? 1 : 0));
    for (size_t n = 0; n < old.size(); ++n)
        FUZZ_CHECK(now[header + n] == (n == replaced ? *TAcceptanceFile::line(added) : old[n]));
    FUZZ_CHECK(after.damaged.size() == contents.damaged.size());
    FUZZ_CHECK(after.results.size() == contents.results.size() + (replaced == old.size() ? 1 : 0));
    return 0;
}

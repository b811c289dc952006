#pragma once
// A configuration in words, one fact per line in a fixed order, so that two
// versions of a project compare well line by line: the composition, the
// functional settings, the background music outputs, the outputs of the
// console buttons and paging groups, and every switched-on algorithm with its
// name, delay and the stages that run (running time, message, outputs,
// relays). Sections appear under the report's own conditions and use its words.

#include "report/TFact.h"
#include "report/TReportInput.h"

#include <string>
#include <vector>

class TConfigDescriber {
public:
    static std::vector<TFact> facts(const TReportInput& input);

    // One line per fact, each ending in "\n", made printable.
    static std::string text(const std::vector<TFact>& facts);
    // {"facts": [{"path": [...], "value": "..."}, ...]}; a marked cell has the value true.
    static std::string json(const std::vector<TFact>& facts);

    // A JSON string literal of UTF-8 text.
    static std::string jsonString(const std::string& text);
    // UTF-8 text safe to put on a terminal: control characters, which a name
    // may carry as an escape sequence, are shown as \xNN (\u00NN for those of
    // two bytes); everything else stays as it is.
    static std::string printable(const std::string& text);
    // The name of input number's algorithm: its caption after the first blank.
    static std::string algorithmName(const TReportInput& input, int number);
};

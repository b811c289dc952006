#pragma once
// The configuration check: what in an image (and the names of its
// algorithms) would make the controller do something else than the editor
// and the report show, or nothing where an alarm is meant to sound.
//
// Errors are states the editor never makes or that silence an alarm: a
// composition count beyond its list, a switched-on input after a
// switched-off one, a stage that runs after a stage that is off or
// unlimited, a first stage shorter than 30 s, a delay or duration code
// without a list entry, a message of a message module the system does not
// have that a stage would broadcast on outputs of splitters the system has.
// Warnings are states the editor allows but that rarely are meant: an
// algorithm that switches nothing or has no name (or one of blanks only), a
// running stage that switches nothing while another stage of its algorithm
// does, or that plays its message on no output while another stage of its
// algorithm is heard, a message of an absent module that goes out on no output, outputs
// of absent splitters and relays of absent relay modules that a running
// stage, a console button or a paging group would switch, buttons or groups
// assigned while there is no console or no paging, and background music,
// a console or paging without any output assigned.
//
// Only what the controller uses is looked at: the algorithms that are
// switched on and, in each, the stages that run, from stage 1 up to the
// first stage that is off or unlimited. Stages and algorithms the editor
// keeps switched off are not findings.

#include "image/ImageLayout.h"
#include "report/TConfigFinding.h"

#include <array>
#include <string>
#include <vector>

class TConfigCheck {
public:
    using Names = std::array<std::string, Layout::InputCount>; // UTF-8

    // The findings in the order of the tree. Without names (nullptr) the
    // algorithms' names are not looked at.
    static std::vector<TConfigFinding> run(const TImage& image, const Names* names);

    static int errors(const std::vector<TConfigFinding>& findings);

    // One finding a line: "error: IN-3, Этап 2: text" or "warning: ...".
    static std::string text(const std::vector<TConfigFinding>& findings);
    // {"findings": [{"severity": "error", "id": "...", "node": {"kind":
    // "stage", "input": 3, "stage": 2}, "where": "IN-3, Этап 2", "text": "..."}]}
    static std::string json(const std::vector<TConfigFinding>& findings);

    static const char* severityWord(TConfigFinding::Severity severity);
};

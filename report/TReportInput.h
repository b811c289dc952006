#pragma once
// Everything the configuration report reads, taken from the main window when a
// report is asked for. Texts are UTF-8.

#include "image/ImageLayout.h"
#include "image/TImage.h"
#include "image/TSiteNames.h"

#include <array>
#include <string>

struct TReportInput {
    std::string projectName;
    // Shown texts of the composition boxes: splitters, consoles, message modules, relay modules.
    std::string splitterCount;
    std::string consoleCount;
    std::string messageModuleCount;
    std::string relayModuleCount;
    int consoleIndex = 0; // list index of the console count box
    bool phonePaging = false;
    bool music = false;
    // Music grid boxes, box 4 x (splitter - 1) + (output - 1).
    std::array<bool, Layout::OutputBits> musicOutputs{};
    TImage image;
    // Captions of the input nodes: "IN-" + number, a blank and the algorithm name.
    std::array<std::string, Layout::InputCount> inputCaptions;
    // Current date and time in the system's short date and long time format.
    std::string dateTime;
    // The site, its zones and relays as the project names them; the report
    // itself does not show them.
    TSiteNames site;
};

#pragma once
// The names file the tool writes at every close and never reads: beside the
// executable when its folder is writable, otherwise in the user's data folder
// (an installed program's folder such as /usr/bin is not writable).

#include "project/TFileResult.h"
#include "project/TNamesFile.h"

#include <string>

class TProgramNamesFile {
public:
    static std::string path(const std::string& executablePath);
    // Writes the names, creating the data folder where needed.
    static TFileResult write(const std::string& executablePath, const TNamesFile::Names& names);

    // The user's data folder: $XDG_DATA_HOME, or ~/.local/share.
    static std::string dataFolder();
};
